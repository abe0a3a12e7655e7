#pragma once
// Growing the opaque area of an RGBA8 buffer into an outline, and copying alpha between buffers.

#include "graphics/ColorPixel.h"

// Every pixel of out (w x h, like src) becomes the colour (straight; its alpha is not read) at
// an alpha that fades with the pixel's chessboard distance d to the nearest pixel of src whose
// alpha is 2 or more: 255 at d * fade <= 0.001, 0 at d * fade >= 0.99 or d > levels, else
// (1 - d * fade) * 255 truncated. Out is premultiplied and serves as the work area. False, with
// out untouched, for a side below 1, a missing buffer, levels outside 1..1000 or a fade outside
// 0 <= fade < 1.
bool ExtendMaskBuffer(long levels, const PIXEL *src, long width, long height, PIXEL *out,
                      PIXEL color, float fade);

// The alpha of every pixel of src given to dst's pixel, whose straight colour stays. False for a
// missing buffer or a side below 1.
bool CopyAlphaChannel(PIXEL *dst, const PIXEL *src, long width, long height);
