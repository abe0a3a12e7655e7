#pragma once
// Colour words, pixels, blends and the system colours with fixed fallbacks.

#include <QtGlobal>

#include "graphics/ColorPixel.h"
#include "platform/Color.h"

// The colour word (0xRRGGBBAA); 0xFFFFFFFF for no colour or one that does not convert.
quint64 toULong(const platform::Color &self);
// The colour word with the alpha byte 0xFF.
quint64 toULong_IgnoreOpaque(const platform::Color &self);
// The colour word with every byte below 9 made 0 and every byte of 247 or more made 255, so that
// colours a hair off black, white or opaque are stored as exactly that.
quint64 toULong_ROUNDUP_To_systemDefaultColor(const platform::Color &self);
PIXEL toPixel(const platform::Color &self);
// Alpha byte / 255, at most 1.
float getOpaque(const platform::Color &self);
// The colour's red, green and blue bytes with the given opacity (clamped to 0..1).
platform::Color colorWithOpaque(const platform::Color &self, float opacity);
// The colour re-made from its colour word: 8-bit calibrated RGB.
platform::Color normalizeRGB(const platform::Color &self);
// 255 - byte for red, green and blue; alpha kept.
platform::Color inverted(const platform::Color &self);
// Black behind a light text colour, white behind a dark one.
platform::Color backgroundColorIfSelfIsTextColor(const platform::Color &self);

// Calibrated RGB from a colour word; no colour above 0xFFFFFFFF.
platform::Color ColorFromLong(quint64 word);
platform::Color ColorFromPixel(PIXEL pixel);
// color1 moved toward color2 by ratio (0..1) per byte of red, green and blue; color1's alpha.
platform::Color ColorBetweenTwoColor(const platform::Color &color1, const platform::Color &color2,
                                     float c2_ratio);

// The desktop's colour when it has one, else the fixed value.
platform::Color systemRedColor2();
platform::Color systemGreenColor2();
platform::Color systemBlueColor2();
platform::Color systemOrangeColor2();
platform::Color systemYellowColor2();
platform::Color systemBrownColor2();
platform::Color systemPinkColor2();
platform::Color systemPurpleColor2();
platform::Color systemGrayColor2();
