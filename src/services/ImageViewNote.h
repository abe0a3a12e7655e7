#pragma once
// The text a view of an image (the image window's sides, Quick Preview) shows in place of a
// picture it does not show.

#include "platform/ImageReader.h"

#include <QSize>
#include <QString>

// Empty for a picture read; a too large picture is named with its size when known.
QString ImageViewNote(platform::ViewImage::Outcome outcome, QSize sourceSize);
