#pragma once
// Hue, saturation and value shifts, and channel offsets, on straight colour.

#include "graphics/ImageEffect.h"

// Field 0 shifts the hue in degrees, field 1 the value, field 2 the saturation (0..1 scales).
// A grey keeps the small saturation of the hue formulas, so white comes back (255, 252, 252).
platform::ImagePtr ApplyChange_HSV(const platform::Image *source, CHANGE_SETTING setting);
// Fields 0, 1, 2 are added to red, green and blue; sums truncated and held to 0..255.
platform::ImagePtr ApplyChange_RGB(const platform::Image *source, CHANGE_SETTING setting);

// The shifted hue brought into 0..360 as the effect does it: ten turns at most, then held to
// 0..359; a full turn (360) is hue 0.
float WrapShiftedHue(float hue);
