#pragma once
// Selection by colour: from a point of an image, every 4-connected pixel of similar colour is
// selected (a scan-line flood fill); the selection can be painted with a colour, or its outline
// traced into a path.
//
// The marking buffer convention: a pixel is selected when its alpha byte is MARK_ALPHA_VALUE.
// The outline tracer reads that mark, so any routine that marks a buffer this way (the path
// outset does) can have its outline traced.
//
// Traced outlines run along pixel corners, in pixels, row 0 at the top of the buffer: outer
// outlines clockwise on screen, the outlines of holes counter-clockwise, so the signed areas add
// up to the number of marked pixels. Two marked areas that touch only at a corner are two
// outlines.

#include "graphics/ImageData.h"
#include "platform/BezierPath.h"
#include "platform/Color.h"

#include <QPointF>
#include <QRectF>
#include <QtGlobal>
#include <optional>
#include <vector>

inline constexpr quint8 MARK_ALPHA_VALUE = 81;

// One pending seed of the flood fill. 32-bit coordinates: any side the pixel bound allows fits.
struct FillStackPair
{
    quint32 x = 0;
    quint32 y = 0;
};
using FillStack = std::vector<FillStackPair>;

// Pushes (x, y); answers the new count.
qint64 FillStackPush(FillStack &stack, quint32 x, quint32 y);
// False when the stack is empty; else hands out the last pair and removes it.
bool FillStackPop(FillStack &stack, quint32 *x, quint32 *y);

// The pixels 4-connected to (x, y) whose words are similar to its word (IsSimilarPixel, alpha
// included; an alpha of MARK_ALPHA_VALUE reads as one less, on both sides): one byte per pixel,
// 1 when selected. Empty when (x, y) is outside the buffer or memory fails (logged).
std::vector<quint8> SelectSimilarPixels(const PIXEL *pixels, qint64 width, qint64 height, qint64 x,
                                        qint64 y, float tolerance);

// Marks the selection at `point` (in the image's points) in `buffer`: selected pixels get alpha
// MARK_ALPHA_VALUE, every other pixel that had it gets one less. Without a usable buffer one is
// made from the image. Null for no image, a point outside it, or an image of 0.1 points or less.
ImageDataPtr TempFunc_FillColorToImageTo_ImageData(const platform::Image *image,
                                                   ImageDataPtr buffer, QPointF point,
                                                   float tolerance);
// Paints the selection at `point` with the colour (premultiplied, its alpha included) into the
// buffer (made from the image when missing) and answers the buffer's image. Pixels outside the
// selection keep their bytes. Null when nothing can be selected or painted.
platform::ImagePtr FillColorToImage(const platform::Image *image, ImageDataPtr buffer,
                                    const platform::Color &color, QPointF point, float tolerance);
// The outline of the selection at `point`; `outRect` (when given) receives the buffer's pixel
// rectangle. nullopt when nothing is selected or traced.
std::optional<platform::BezierPath> GetSelectPathWithTheSameColor(const platform::Image *image,
                                                                  ImageDataPtr buffer,
                                                                  QPointF point, float tolerance,
                                                                  QRectF *outRect);
// The outlines of every pixel whose alpha is MARK_ALPHA_VALUE, one closed subpath each, with
// points along straight runs left out. nullopt for a null buffer, one without memory or without
// any marked pixel, or when memory fails.
std::optional<platform::BezierPath>
GetSelectPathWithAlpha_MARK_ALPHA_VALUE(const ImageData *buffer);
