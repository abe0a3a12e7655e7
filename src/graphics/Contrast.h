#pragma once
// Contrast of text on a background as the accessibility guidelines measure it: relative
// luminance of sRGB colours and the ratio (L1 + 0.05) / (L2 + 0.05), from 1 to 21.

#include <QColor>

// Relative luminance of an opaque colour, 0 (black) to 1 (white); alpha is ignored.
double RelativeLuminance(const QColor &color);
// Lighter over darker, so the order of the arguments does not matter.
double ContrastRatio(const QColor &a, const QColor &b);
// base + (over - base) * amount, channel by channel; the result is opaque.
QColor MixColors(const QColor &base, const QColor &over, double amount);

// The smallest ratio text must keep on a background.
inline constexpr double kMinimumTextContrast = 4.5;
