#pragma once
// Colour words (0xRRGGBBAA in the low 32 bits; above 0xFFFFFFFF is no colour) and the status
// colours of the folder compare.

#include <QtGlobal>

#include "foundation/ColorWord.h"
#include "platform/Color.h"

// The alpha byte over 255, at most 1.0; 1.0 for an invalid colour.
double GetColorAlpha(const platform::Color &color);

// Status colours: the record's word when set, else the built-in light or dark colour.
platform::Color GetColor_DiffChanged();
platform::Color GetColor_DiffStatus2(); // not judged
platform::Color GetColor_DiffStatus3(); // left only
platform::Color GetColor_DiffStatus4(); // right only
platform::Color GetColor_DiffSame();
