#pragma once
// Pixels of the RGBA8 buffers and colour comparisons within a tolerance.
//
// A PIXEL holds the bytes R, G, B, A in memory order: red in bits 0-7, alpha in bits 24-31. It is
// the byte-reversal of a colour word (0xRRGGBBAA in the low 32 bits of a 64-bit value).

#include <QtGlobal>

#include "platform/Color.h"

using PIXEL = quint32;

// The pixel of a colour; 0 for no colour.
PIXEL ColorToPixel(const platform::Color &color);
// Byte-reversal of a colour word; 0 for a word above 0xFFFFFFFF.
PIXEL HexColorToPixel(quint64 word);
// Byte-reversal of a pixel: its colour word.
quint64 PixelToHexColor(PIXEL pixel);

// Components in 0..1. Every given out-value is first set to 1.0; false for no colour or one that
// does not convert to RGB (alpha is still read then).
bool GetColorComponents(const platform::Color &color, float *r, float *g, float *b, float *a);

// Sum of the component differences (alpha included) strictly below tolerance. The same colour
// object (also no colour twice) is always similar; a copy is not similar at tolerance 0.
bool IsSimilarColor(const platform::Color &a, const platform::Color &b, float tolerance);
// Mean difference of red, green and blue, 0..1; alpha does not count. The same object is 0,
// anything that is not a comparable colour is 1.
float ColorDifference(const platform::Color &a, const platform::Color &b);

// Sum of the four byte differences at most tolerance * 4 (tolerance: mean per channel in bytes).
bool IsSimilarPixel(PIXEL a, PIXEL b, float tolerance);
bool IsSimilarPixelRef(const PIXEL *a, const PIXEL *b, float tolerance);
