#pragma once
// Colour words (0xRRGGBBAA in the low 32 bits; above 0xFFFFFFFF is no colour) and the status
// colours of the folder compare.

#include <QtGlobal>

#include "foundation/ColorWord.h"
#include "platform/Color.h"

// The alpha byte over 255, at most 1.0; 1.0 for an invalid colour.
double GetColorAlpha(const platform::Color &color);

// Status colours: the built-in light or dark colour while "Default status colours" is on, else
// the colour of the status's well.
platform::Color GetColor_DiffChanged();
platform::Color GetColor_DiffStatus2(); // not judged
platform::Color GetColor_DiffStatus3(); // left only
platform::Color GetColor_DiffStatus4(); // right only
platform::Color GetColor_DiffSame();

// The colour of a status's well in the preferences, whether or not the defaults are in use: the
// record's word when set, else the built-in colour. Wells in their order on the preferences:
// 0 changed, 1 not judged, 2 left only, 3 right only, 4 same.
platform::Color GetStatusWellColor(int well);
