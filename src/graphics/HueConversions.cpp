#include "graphics/HueConversions.h"

#include "platform/Saturate.h"

#include <algorithm>
#include <cmath>

namespace {

float channelOf(PIXEL pixel, int shift)
{
    return float(double((pixel >> shift) & 0xFF) / 255.0);
}

// A channel of 0..1 (clamped; NaN is 0) as a byte, truncated.
quint32 byteOf(double channel)
{
    const double clamped = std::isnan(channel) ? 0.0 : std::clamp(channel, 0.0, 1.0);
    return quint32(platform::saturatingTruncate<int>(clamped * 255.0));
}

PIXEL opaquePixel(quint32 r, quint32 g, quint32 b)
{
    return r | (g << 8) | (b << 16) | 0xFF000000u;
}

} // namespace

void RGBtoHSV(float *h, float *s, float *v, float r, float g, float b)
{
    const float max = std::max({r, g, b});
    const float min = std::min({r, g, b});
    *v = max;
    float d = max - min;
    if (std::fabs(d) <= 0.01f)
        d = 0.01f;
    if (std::fabs(max) <= 0.01f) {
        *s = 0;
        *h = -1;
        return;
    }
    *s = d / max;
    float x;
    if (max == r)
        x = (g - b) / d;
    else if (max == g)
        x = (b - r) / d + 2;
    else
        x = (r - g) / d + 4;
    float hue = x * 60;
    for (int i = 0; i < 2 && hue < 0; ++i)
        hue += 360;
    for (int i = 0; i < 2 && hue >= 360; ++i)
        hue -= 360;
    *h = hue;
}

HSV_COLOR PixelToHSV(PIXEL pixel)
{
    HSV_COLOR out{};
    RGBtoHSV(&out.h, &out.s, &out.v, channelOf(pixel, 0), channelOf(pixel, 8),
             channelOf(pixel, 16));
    return out;
}

void HSVtoRGB(float *r, float *g, float *b, float h, float s, float v)
{
    if (s == 0) {
        *r = *g = *b = v;
        return;
    }
    // NaN and huge hues take the last case.
    const int i = platform::saturatingTruncate<int>(std::floor(h / 60), -1);
    const float f = h / 60 - float(i);
    const float p = (1 - s) * v;
    const float q = (1 - f * s) * v;
    const float t = (1 - (1 - f) * s) * v;
    switch (i) {
    case 0:
        *r = v, *g = t, *b = p;
        break;
    case 1:
        *r = q, *g = v, *b = p;
        break;
    case 2:
        *r = p, *g = v, *b = t;
        break;
    case 3:
        *r = p, *g = q, *b = v;
        break;
    case 4:
        *r = t, *g = p, *b = v;
        break;
    default:
        *r = v, *g = p, *b = q;
        break;
    }
}

PIXEL HSVToPixel(HSV_COLOR hsv)
{
    float r, g, b;
    HSVtoRGB(&r, &g, &b, hsv.h, hsv.s, hsv.v);
    // The products are 32-bit as the formula has them; byteOf clamps before converting.
    auto byte = [](float c) {
        const float clamped = std::isnan(c) ? 0.0f : std::clamp(c, 0.0f, 1.0f);
        return quint32(platform::saturatingTruncate<int>(double(clamped * 255.0f)));
    };
    return opaquePixel(byte(r), byte(g), byte(b));
}

HSL_COLOR PixelToHSL(PIXEL pixel)
{
    const double r = ((pixel >> 0) & 0xFF) / 255.0;
    const double g = ((pixel >> 8) & 0xFF) / 255.0;
    const double b = ((pixel >> 16) & 0xFF) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double l = (max + min) * 0.5;
    const double d = max - min;
    if (d <= double(0.02f))
        return {0, 0, float(l)};
    const double s = l < 0.5 ? d / (max + min) : d / (2 - max - min);
    const double dR = ((max - r) / 6 + d / 2) / d;
    const double dG = ((max - g) / 6 + d / 2) / d;
    const double dB = ((max - b) / 6 + d / 2) / d;
    double h = 0;
    if (r == max)
        h = dB - dG;
    else if (g == max)
        h = 1.0 / 3 + dR - dB;
    else if (b == max)
        h = 2.0 / 3 + dG - dR;
    if (h < 0)
        h += 1;
    if (h > 1)
        h -= 1;
    return {float(h * 360), float(s), float(l)};
}

float HueToRGB(float p, float q, float t)
{
    double tt = t;
    if (tt < 0)
        tt += 1;
    if (tt > 1)
        tt -= 1;
    const double pp = p, qq = q;
    if (6 * tt < 1)
        return float(pp + (qq - pp) * 6 * tt);
    if (2 * tt < 1)
        return float(qq);
    if (3 * tt < 2)
        return float(pp + (qq - pp) * (2.0 / 3 - tt) * 6);
    return float(pp);
}

PIXEL HSLToPixel(HSL_COLOR hsl)
{
    if (hsl.s == 0) {
        const quint32 grey = byteOf(double(hsl.l));
        return opaquePixel(grey, grey, grey);
    }
    const float H = hsl.h / 360;
    const float q = hsl.l < 0.5f ? hsl.l * (1 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
    const float p = 2 * hsl.l - q;
    const float red = HueToRGB(p, q, float(double(H) + 1.0 / 3));
    const float green = HueToRGB(p, q, H);
    const float blue = HueToRGB(p, q, float(double(H) - 1.0 / 3));
    return opaquePixel(byteOf(red), byteOf(green), byteOf(blue));
}
