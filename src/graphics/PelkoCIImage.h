#pragma once
// Size, bounds and drawing of filter images.

#include "platform/FilterImage.h"

#include <QRectF>
#include <QSizeF>

// The size of the extent; zero for null.
QSizeF size(const platform::FilterImage *image);
// (0, 0) and the size of the extent: its origin is dropped.
QRectF bounds(const platform::FilterImage *image);
// Draws the image into r of the current graphics context (source-over). Nothing is drawn for a
// rectangle under 0.1 wide or high or an extent under 0.5; the context's state is left as it was.
void drawRespectFlipInRect(const platform::FilterImage *image, const QRectF &r);
