#pragma once
// Colour words: 0xRRGGBBAA in the low 32 bits; a word above 0xFFFFFFFF is no colour.

#include "platform/Color.h"

#include <QtGlobal>

inline constexpr quint64 kNoColorWord = 0xFFFFFFFFull;

// 0xRRGGBBAA; 0xFFFFFFFF for an invalid colour or one that does not convert.
quint64 GetHexColor(const platform::Color &color);
// Calibrated RGB from a colour word; invalid for a word above 0xFFFFFFFF.
platform::Color ColorFromHexColor(quint64 word);
