#pragma once
// Hue, saturation and value (or lightness) of pixels and back. These are the image effects' own
// formulas, not QColor's: a grey keeps a small saturation 0.01 / v, a colour too dark for a hue
// has hue -1, and ties between channels go to red first.

#include "graphics/ColorPixel.h"

struct HSV_COLOR
{
    float h; // degrees, 0 up to 360, or -1 when too dark to have a hue
    float s; // 0..1
    float v; // 0..1
};

struct HSL_COLOR
{
    float h; // degrees, 0..360
    float s; // 0..1
    float l; // 0..1
};

// The alpha byte is never read; every pixel made here is opaque.
HSV_COLOR PixelToHSV(PIXEL pixel);
void RGBtoHSV(float *h, float *s, float *v, float r, float g, float b);
PIXEL HSVToPixel(HSV_COLOR hsv);
void HSVtoRGB(float *r, float *g, float *b, float h, float s, float v);
HSL_COLOR PixelToHSL(PIXEL pixel);
PIXEL HSLToPixel(HSL_COLOR hsl);
float HueToRGB(float p, float q, float t);
