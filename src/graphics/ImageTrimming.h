#pragma once
// New images made from old ones: transparent edges cut away, mirrored, inverted, resized,
// transformed and cropped. Each answers a new image or null and leaves its input unchanged.
//
// Canvases asked for in pixels (resize, crop) are, on a retina screen (gIsRetinaScreen),
// images of half as many points at two pixels a point: the pixels asked for, the points of the
// screen. Every canvas is sized through checkedPixelSize; a non-finite size gives null.

#include "platform/AffineTransform.h"
#include "platform/Image.h"

#include <QRectF>
#include <QSizeF>

// The image cut to the box of its pixels that are not fully transparent, keeping the source's
// points per pixel. `outRect` receives that box in pixels, row 0 at the top. Null for a side
// below 2 pixels, no out rectangle, or no visible pixel.
platform::ImagePtr ImageByRemovingTransparentAreasWithFinalRect(platform::Image *image,
                                                                QRectF *outRect);
// The image cut on its point grid: whole rows and columns of points whose pixels all have an
// alpha of 0.01 or less are taken off each edge. `outRect` receives the area kept, in points
// with y from the top (as drawInRect's source area); null when nothing is left.
platform::ImagePtr ImageByTrimmingTransparentEdges(const platform::Image *image, QRectF *outRect);
// Mirrored left to right and/or top to bottom, at the source's pixel size and point size, whole
// pixels moved (on any screen); the image itself when neither is asked for.
platform::ImagePtr FlipImage(const platform::ImagePtr &image, bool horizontally, bool vertically);
// Each colour byte c of a pixel whose alpha a is 11 or more becomes a - c (the premultiplied
// inversion); fainter pixels stay as they are.
platform::ImagePtr NegativeImage(const platform::Image *image);
// The whole image drawn into a canvas of `size` (both sides above 0.9), stretched or, keeping
// its aspect, centred between transparent bars.
platform::ImagePtr ResizeImage(const platform::Image *image, QSizeF size, bool keepAspect);
// The image at its pixel size drawn through `transform` (row 0 at the top) into a canvas of
// the transformed size, rounded, at least a pixel each way. Only what the transform moves into
// the canvas is kept: a bare quarter turn moves everything out of it.
platform::ImagePtr TransformImage(const platform::Image *image,
                                  const platform::AffineTransform *transform);
// The area `source` of the image (in its points, y from the top) drawn into `target` of a new
// canvas of `size` (y from the top). On a retina screen `size` and `target` are halved.
platform::ImagePtr CropImage(const platform::Image *image, QRectF source, QRectF target,
                             QSizeF size);
