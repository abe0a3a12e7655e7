#pragma once
// The colour inversion: the one effect the running application uses (dark variants of images).

#include "graphics/ImageEffect.h"

// Each colour byte c becomes alpha - c: the complement for opaque pixels, and still valid
// premultiplied colour at partial alpha; alpha stays. The record is not read. Null for a null
// source or one that does not convert.
platform::ImagePtr ApplyChange_InvertColor(const platform::Image *source, CHANGE_SETTING setting);

// The loop itself, over count pixels in place.
void InvertPremultipliedPixels(PIXEL *pixels, qint64 count);
