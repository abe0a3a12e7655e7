#pragma once
// The halftone dot screen: dots of one colour sized by each cell's darkness, or three screens
// (red, green, blue) sized by each channel, on a staggered grid of square cells.

#include "graphics/ImageEffect.h"

struct HALFTONE_EFFECT
{
    bool bSeparateChannels; // false: one-colour dots; true: red, green, blue screens
    quint64 dotColor;       // 0xRRGGBBAA; above 32 bits counts as 0
    quint64 backColor;      // laid under the dots; above 32 bits counts as 0
    qint32 dotSize;         // cell edge in pixels; below 1 gives null
};

// The image as a dot screen; null for a null image, a dot size below 1 or a failed conversion.
platform::ImagePtr ApplyHalfTone(const platform::Image *image, HALFTONE_EFFECT effect);
// Field 0 > 0 separates the channels, field 1 is the dot size (held to 2..60), fields 10, 11, 12
// the dot colour's red, green, blue (0..255), on opaque white.
platform::ImagePtr ApplyChange_RGBHalftone(const platform::Image *source, CHANGE_SETTING setting);

// Blends the colour (straight) over the straight-colour pixels of the cell (x0, y0)-(x1, y1) by
// the mask of the cell size and tone, anchored at (x0, y0); alpha stays.
void PaintHalftoneDot(PIXEL *pixels, long width, long height, long cellSize, long x0, long y0,
                      long x1, long y1, quint8 tone, PIXEL color);
// Writes the mask into one channel (0 red, 1 green, 2 blue) of the cell's straight-colour pixels.
void WriteHalftoneDotChannel(PIXEL *pixels, long width, long height, long cellSize, long x0,
                             long y0, long x1, long y1, quint8 tone, int channel);
