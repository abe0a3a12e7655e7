#pragma once
// Laying a generated light onto a picture.

#include "graphics/ImageData.h"
#include "platform/Color.h"

// Lays the light's middle on the point (x, y) of the target (pixels, rows down; each light
// row and column found by truncating toward zero, those outside the light skipped). Where the
// light lies, each colour of the target moves toward the colour by the light's brightness a =
// (red + green + blue) / 765: truncate(colour x a + old x (1 - a)), on straight colour; alpha
// stays.
void BlendSunbeamLight(ImageData *target, const ImageData *light, const platform::Color &colour,
                       float x, float y);
