#include "graphics/PelkoNSColor.h"

#include "platform/Guard.h"
#include "platform/SystemColors.h"
#include "services/Colors.h"

#include <algorithm>
#include <cmath>

using platform::Color;

namespace {

constexpr float kRatioEpsilon = 2e-5f;

int byteAt(PIXEL p, int index)
{
    return int((p >> (8 * index)) & 0xFF);
}

// A byte below 9 or of 247 and more is taken for 0 or 255.
quint32 snapByte(quint32 b)
{
    if (b < 9)
        return 0;
    if (b >= 247)
        return 255;
    return b;
}

Color systemColor2(platform::SystemColor which)
{
    GUARD_BEGIN
    const Color c = platform::systemColor(which);
    if (c.isValid())
        return c;
    return platform::systemColorFallback(which);
    GUARD_END(platform::systemColorFallback(which))
}

} // namespace

quint64 toULong(const Color &self)
{
    return GetHexColor(self);
}

quint64 toULong_IgnoreOpaque(const Color &self)
{
    return GetHexColor(self) | 0xFF;
}

quint64 toULong_ROUNDUP_To_systemDefaultColor(const Color &self)
{
    const PIXEL p = ColorToPixel(self);
    PIXEL snapped = 0;
    for (int i = 0; i < 4; ++i)
        snapped |= snapByte((p >> (8 * i)) & 0xFF) << (8 * i);
    return PixelToHexColor(snapped);
}

PIXEL toPixel(const Color &self)
{
    return ColorToPixel(self);
}

float getOpaque(const Color &self)
{
    const float opaque = float(GetHexColor(self) & 0xFF) / 255.0f;
    return std::min(opaque, 1.0f);
}

Color colorWithOpaque(const Color &self, float opacity)
{
    const quint64 w = GetHexColor(self);
    if (w > 0xFFFFFFFFull)
        return Color();
    const double alpha = std::isnan(opacity) ? 0.0 : std::clamp(double(opacity), 0.0, 1.0);
    return Color::calibratedRGB(double((w >> 24) & 0xFF) / 255.0, double((w >> 16) & 0xFF) / 255.0,
                                double((w >> 8) & 0xFF) / 255.0, alpha);
}

Color normalizeRGB(const Color &self)
{
    GUARD_BEGIN
    const Color c = ColorFromLong(toULong(self));
    if (!c.isValid()) {
        REPORT_FATAL();
        return Color::white();
    }
    return c;
    GUARD_END(Color::white())
}

Color inverted(const Color &self)
{
    const PIXEL p = ColorToPixel(self);
    return Color::calibratedRGB(double(255 - byteAt(p, 0)) / 255.0,
                                double(255 - byteAt(p, 1)) / 255.0,
                                double(255 - byteAt(p, 2)) / 255.0, double(byteAt(p, 3)) / 255.0);
}

Color backgroundColorIfSelfIsTextColor(const Color &self)
{
    const PIXEL p = ColorToPixel(self);
    const int sum = byteAt(p, 0) + byteAt(p, 1) + byteAt(p, 2);
    return sum > 382 ? Color::black() : Color::white();
}

Color ColorFromLong(quint64 word)
{
    if (word > 0xFFFFFFFFull)
        return Color();
    return Color::calibratedRGB(double((word >> 24) & 0xFF) / 255.0,
                                double((word >> 16) & 0xFF) / 255.0,
                                double((word >> 8) & 0xFF) / 255.0, double(word & 0xFF) / 255.0);
}

Color ColorFromPixel(PIXEL pixel)
{
    return Color::calibratedRGB(double(byteAt(pixel, 0)) / 255.0, double(byteAt(pixel, 1)) / 255.0,
                                double(byteAt(pixel, 2)) / 255.0, double(byteAt(pixel, 3)) / 255.0);
}

Color ColorBetweenTwoColor(const Color &color1, const Color &color2, float c2_ratio)
{
    GUARD_BEGIN
    if (!color1.isValid() && !color2.isValid()) {
        REPORT_FATAL();
        return Color::white();
    }
    if (!color1.isValid()) {
        REPORT_FATAL();
        return color2;
    }
    if (!color2.isValid()) {
        REPORT_FATAL();
        return color1;
    }
    const float r = std::isnan(c2_ratio) ? 0.0f : std::clamp(c2_ratio, 0.0f, 1.0f);
    if (std::fabs(double(r)) <= double(kRatioEpsilon))
        return color1;
    if (std::fabs(double(r) - 1.0) <= double(kRatioEpsilon))
        return color2;

    const PIXEL p1 = toPixel(color1);
    const PIXEL p2 = toPixel(color2);
    PIXEL blended = p1 & 0xFF000000u; // color1's alpha stays
    for (int i = 0; i < 3; ++i) {
        const float v = float(byteAt(p1, i)) * (1.0f - r) + float(byteAt(p2, i)) * r;
        const auto b = static_cast<quint32>(static_cast<qint64>(std::floor(double(v) + 0.5)));
        blended |= (b & 0xFF) << (8 * i);
    }
    return ColorFromPixel(blended);
    GUARD_END(color1.isValid() ? color1 : color2)
}

Color systemRedColor2()
{
    return systemColor2(platform::SystemColor::Red);
}
Color systemGreenColor2()
{
    return systemColor2(platform::SystemColor::Green);
}
Color systemBlueColor2()
{
    return systemColor2(platform::SystemColor::Blue);
}
Color systemOrangeColor2()
{
    return systemColor2(platform::SystemColor::Orange);
}
Color systemYellowColor2()
{
    return systemColor2(platform::SystemColor::Yellow);
}
Color systemBrownColor2()
{
    return systemColor2(platform::SystemColor::Brown);
}
Color systemPinkColor2()
{
    return systemColor2(platform::SystemColor::Pink);
}
Color systemPurpleColor2()
{
    return systemColor2(platform::SystemColor::Purple);
}
Color systemGrayColor2()
{
    return systemColor2(platform::SystemColor::Gray);
}
