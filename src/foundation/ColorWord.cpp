#include "foundation/ColorWord.h"

#include "platform/Guard.h"

#include <algorithm>
#include <cmath>

namespace {

quint64 componentByte(double c)
{
    if (!std::isfinite(c))
        return 0;
    const double v = std::trunc(c * 255.0);
    return static_cast<quint64>(std::clamp(v, 0.0, 255.0));
}

} // namespace

quint64 GetHexColor(const platform::Color &color)
{
    GUARD_BEGIN
    double r = 0, g = 0, b = 0;
    switch (color.colorSpace()) {
    case platform::ColorSpace::CalibratedWhite:
    case platform::ColorSpace::DeviceWhite:
        r = g = b = color.whiteComponent();
        break;
    case platform::ColorSpace::CalibratedRGB:
    case platform::ColorSpace::DeviceRGB:
        r = color.redComponent();
        g = color.greenComponent();
        b = color.blueComponent();
        break;
    default: {
        const auto rgb = color.usingColorSpace(platform::ColorSpace::CalibratedRGB);
        if (!rgb)
            return kNoColorWord;
        r = rgb->redComponent();
        g = rgb->greenComponent();
        b = rgb->blueComponent();
    }
    }
    return (componentByte(r) << 24) | (componentByte(g) << 16) | (componentByte(b) << 8) |
           componentByte(color.alphaComponent());
    GUARD_END(kNoColorWord)
}

platform::Color ColorFromHexColor(quint64 word)
{
    if (word > kNoColorWord)
        return {};
    return platform::Color::calibratedRGB(((word >> 24) & 0xFF) / 255.0,
                                          ((word >> 16) & 0xFF) / 255.0,
                                          ((word >> 8) & 0xFF) / 255.0, (word & 0xFF) / 255.0);
}
