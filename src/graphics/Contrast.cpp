#include "graphics/Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double linearChannel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
           0.0722 * linearChannel(rgb.blueF());
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor MixColors(const QColor &base, const QColor &over, double amount)
{
    const double t = std::isfinite(amount) ? std::clamp(amount, 0.0, 1.0) : 0.0;
    const QColor b = base.toRgb(), o = over.toRgb();
    auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return QColor::fromRgbF(float(mix(b.redF(), o.redF())), float(mix(b.greenF(), o.greenF())),
                            float(mix(b.blueF(), o.blueF())), 1.0f);
}
