#include "graphics/ColorShift.h"

#include "graphics/HueConversions.h"
#include "graphics/StraightColor.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <algorithm>
#include <cmath>

namespace {

float finiteOrZero(float value)
{
    return std::isnan(value) ? 0.0f : value;
}

PIXEL shiftHSV(PIXEL pixel, float hueShift, float valueShift, float saturationShift)
{
    HSV_COLOR hsv = PixelToHSV(pixel);
    hsv.h = WrapShiftedHue(hsv.h + hueShift);
    hsv.s = std::clamp(hsv.s + saturationShift, 0.0f, 1.0f);
    hsv.v = std::clamp(hsv.v + valueShift, 0.0f, 1.0f);
    return (HSVToPixel(hsv) & 0x00FFFFFFu) | (pixel & 0xFF000000u);
}

quint32 offsetByte(quint32 byte, float offset)
{
    const float sum = float(byte) + offset;
    return quint32(std::clamp(platform::saturatingTruncate<int>(sum, int(byte)), 0, 255));
}

} // namespace

float WrapShiftedHue(float hue)
{
    for (int pass = 0; pass < 10; ++pass) {
        if (hue >= 0 && hue <= 360)
            break;
        if (hue < 0)
            hue += 360;
        if (hue >= 360)
            hue -= 360;
    }
    // A full turn is red again, not the last degree before it.
    if (hue == 360)
        return 0;
    if (hue < 0)
        return 0;
    if (hue > 359)
        return 359;
    return std::isnan(hue) ? 0.0f : hue;
}

platform::ImagePtr ApplyChange_HSV(const platform::Image *source, CHANGE_SETTING setting)
{
    GUARD_BEGIN
    const float hue = finiteOrZero(setting.value[0]);
    const float value = finiteOrZero(setting.value[1]);
    const float saturation = finiteOrZero(setting.value[2]);
    return ApplyPixelRoute(source, [=](PIXEL *pixels, qint64 width, qint64 first, qint64 end) {
        ForEachStraightPixel(pixels + first * width, (end - first) * width,
                             [=](PIXEL p) { return shiftHSV(p, hue, value, saturation); });
    });
    GUARD_END(nullptr)
}

platform::ImagePtr ApplyChange_RGB(const platform::Image *source, CHANGE_SETTING setting)
{
    GUARD_BEGIN
    // One table per channel: the offset depends on the byte alone.
    quint32 table[3][256];
    for (int c = 0; c < 3; ++c)
        for (quint32 b = 0; b < 256; ++b)
            table[c][b] = offsetByte(b, setting.value[c]) << (8 * c);
    return ApplyPixelRoute(source, [&](PIXEL *pixels, qint64 width, qint64 first, qint64 end) {
        ForEachStraightPixel(pixels + first * width, (end - first) * width, [&](PIXEL p) {
            return table[0][p & 0xFF] | table[1][(p >> 8) & 0xFF] | table[2][(p >> 16) & 0xFF] |
                   (p & 0xFF000000u);
        });
    });
    GUARD_END(nullptr)
}
