#pragma once
// A two-colour gradient of 8-bit colours.

#include <QGradientStops>

#include "platform/Color.h"

// Stops at 0 and 1 with both colours made 8-bit (normalizeRGB); a missing colour becomes white
// after the broken-precondition report.
QGradientStops initWithStartingColor2(const platform::Color &startingColor,
                                      const platform::Color &endingColor);
