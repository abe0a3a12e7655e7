#pragma once
// Nil-safe helpers on images: validity, loading, template images by name, encoding to JPEG, PNG
// and TIFF, the bitmap representation and true pixel size, resizing, drawing at a point, and an
// empty RGBA8 bitmap of a pixel size.

#include "platform/Image.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <optional>

// The image can be drawn.
bool isOK(const platform::Image *image);
// The image of a regular file; null when it is missing or does not load.
platform::ImagePtr imageWithFilePath(const QString &path);
// The named image, marked as a template when it is OK; null for an empty name or a name the
// application does not hold.
platform::ImagePtr imageTemplateDarkModeNamed(const QString &name);

// Encoded bytes of the image's bitmap representation; empty when there is none. The JPEG quality
// is held to 0.05..1.
QByteArray toJPGData(platform::Image *image, float quality);
QByteArray toPNGData(platform::Image *image);
// The file is replaced only once it is completely written; true when it was.
bool writeToPNG(platform::Image *image, const QString &path);
bool writeToTIFF(platform::Image *image, const QString &path);

// The first bitmap representation; an image without one is drawn at its pixel size and the
// bitmap added, so the next call finds it. nullopt when the image is not OK.
std::optional<platform::ImageRep> getImageRep(platform::Image *image);
// How many images the file holds (1 when its decoder counts none but reads one); 0 for none.
int numberOfImageRep(const QString &path);
// The pixel size of the bitmap representation, else the point size; zero when not OK.
QSizeF getPixelSize(platform::Image *image);
// Sets the size of the image and of each representation; a side of 1 or less (or NaN) changes
// nothing.
void setSize2(platform::Image *image, const QSizeF &size);
// Our images are never flipped; kept for callers.
void setFlipped2(platform::Image *image, bool flipped);
// Draws the whole image at its point size with its top-left corner at p, or (flip) with its
// bottom-left corner at p, into the current graphics context.
void compositeToPoint2(const platform::Image *image, const QPointF &p, QPainter::CompositionMode op,
                       bool flip);
void compositeToPoint2(const platform::Image *image, const QPointF &p, QPainter::CompositionMode op,
                       float fraction, bool flip);

// A transparent RGBA8 bitmap of floor(w + 0.5) x floor(h + 0.5) pixels; null when a side is
// below one pixel, NaN or beyond the pixel bound.
QImage bitmapWithPixelSize(const QSizeF &size);
