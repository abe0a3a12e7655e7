#pragma once
// Grey: a threshold to one colour and white, or a duotone from the colour (for black) to white.

#include "graphics/ImageEffect.h"

// Field 0 exactly 1 is threshold mode (field 1 the threshold, held to 1..254); anything else is
// duotone. Fields 10, 11, 12 are the colour's red, green, blue in 0..255. Alpha stays.
platform::ImagePtr ApplyChange_Gray(const platform::Image *source, CHANGE_SETTING setting);
