#include "graphics/ColorPixel.h"

#include "platform/Guard.h"
#include "services/Colors.h"

#include <cmath>
#include <cstdlib>

namespace {

quint32 reverseBytes(quint32 v)
{
    return ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
}

bool isWhiteSpace(platform::ColorSpace s)
{
    return s == platform::ColorSpace::CalibratedWhite || s == platform::ColorSpace::DeviceWhite;
}

bool isRGBSpace(platform::ColorSpace s)
{
    return s == platform::ColorSpace::CalibratedRGB || s == platform::ColorSpace::DeviceRGB;
}

void setIf(float *out, double v)
{
    if (out)
        *out = float(v);
}

} // namespace

PIXEL ColorToPixel(const platform::Color &color)
{
    if (!color.isValid())
        return 0;
    return reverseBytes(quint32(GetHexColor(color) & 0xFFFFFFFFu));
}

PIXEL HexColorToPixel(quint64 word)
{
    if (word > 0xFFFFFFFFull)
        return 0;
    return reverseBytes(quint32(word));
}

quint64 PixelToHexColor(PIXEL pixel)
{
    return reverseBytes(pixel);
}

bool GetColorComponents(const platform::Color &color, float *r, float *g, float *b, float *a)
{
    GUARD_BEGIN
    for (float *out : {r, g, b, a})
        setIf(out, 1.0);
    if (!color.isValid())
        return false;
    setIf(a, color.alphaComponent());
    const platform::ColorSpace space = color.colorSpace();
    if (isWhiteSpace(space)) {
        const double w = color.whiteComponent();
        setIf(r, w);
        setIf(g, w);
        setIf(b, w);
        return true;
    }
    platform::Color rgb = color;
    if (!isRGBSpace(space)) {
        const std::optional<platform::Color> converted =
            color.usingColorSpace(platform::ColorSpace::CalibratedRGB);
        if (!converted)
            return false;
        rgb = *converted;
    }
    setIf(r, rgb.redComponent());
    setIf(g, rgb.greenComponent());
    setIf(b, rgb.blueComponent());
    return true;
    GUARD_END(false)
}

bool IsSimilarColor(const platform::Color &a, const platform::Color &b, float tolerance)
{
    if (&a == &b || (!a.isValid() && !b.isValid()))
        return true;
    if (!a.isValid() || !b.isValid())
        return false;
    float r1, g1, b1, a1, r2, g2, b2, a2;
    if (!GetColorComponents(a, &r1, &g1, &b1, &a1) || !GetColorComponents(b, &r2, &g2, &b2, &a2))
        return false;
    const float sum =
        std::fabs(r1 - r2) + std::fabs(g1 - g2) + std::fabs(b1 - b2) + std::fabs(a1 - a2);
    return sum < tolerance;
}

float ColorDifference(const platform::Color &a, const platform::Color &b)
{
    if (&a == &b)
        return 0.0f;
    if (!a.isValid() || !b.isValid())
        return 1.0f;
    float r1, g1, b1, r2, g2, b2;
    // A colour that cannot be compared is as far as it gets, like a missing one.
    if (!GetColorComponents(a, &r1, &g1, &b1, nullptr) ||
        !GetColorComponents(b, &r2, &g2, &b2, nullptr))
        return 1.0f;
    const float d = (std::fabs(r1 - r2) + std::fabs(g1 - g2) + std::fabs(b1 - b2)) / 3.0f;
    return d < 1.0f ? d : 1.0f;
}

bool IsSimilarPixel(PIXEL a, PIXEL b, float tolerance)
{
    int sum = 0;
    for (int shift = 0; shift < 32; shift += 8)
        sum += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
    return double(sum) <= double(tolerance) * 4.0;
}

bool IsSimilarPixelRef(const PIXEL *a, const PIXEL *b, float tolerance)
{
    if (!a || !b)
        return false;
    return IsSimilarPixel(*a, *b, tolerance);
}
