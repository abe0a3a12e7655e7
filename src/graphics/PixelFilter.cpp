#include "graphics/PixelFilter.h"

#include <algorithm>
#include <cmath>
#include <limits>

PixelFilter::PixelFilter(Defaults defaults, Apply apply)
    : mDefaults(std::move(defaults)), mApply(std::move(apply))
{}

void PixelFilter::setDefaults()
{
    for (const auto &[key, value] : mDefaults)
        setValue(key, value);
}

platform::FilterImage PixelFilter::outputImage() const
{
    return mApply ? mApply(*this) : platform::FilterImage();
}

double PixelFilter::num(const QString &key) const
{
    return number(key, std::numeric_limits<double>::quiet_NaN());
}

QPointF PixelFilter::centre(const QString &key) const
{
    const platform::FilterVector v = vector(key, {150, 150});
    return QPointF(v.size() > 0 ? v[0] : 150, v.size() > 1 ? v[1] : 150);
}

QPointF PixelFilter::centreInPixels(const QString &key, int height) const
{
    const QPointF c = centre(key);
    return QPointF(c.x(), height - 1 - c.y());
}

void RegisterImageFilter(const QString &name, PixelFilter::Defaults defaults,
                         std::function<QImage(const PixelFilter &, const QImage &)> apply)
{
    platform::Filter::registerFilter(name, [defaults, apply] {
        return std::make_unique<PixelFilter>(defaults, [apply](const PixelFilter &filter) {
            const platform::FilterImage in = filter.picture(QStringLiteral("inputImage"));
            if (in.isNull())
                return platform::FilterImage();
            const QImage out = apply(filter, in.pixels());
            return out.isNull() ? platform::FilterImage() : platform::FilterImage(out, in.extent());
        });
    });
}

void RegisterGeneratorFilter(const QString &name, PixelFilter::Defaults defaults,
                             PixelFilter::Apply apply)
{
    platform::Filter::registerFilter(
        name, [defaults, apply] { return std::make_unique<PixelFilter>(defaults, apply); });
}

double boundedInput(double value, double lo, double hi, double neutral)
{
    if (std::isnan(value))
        return neutral;
    return std::clamp(value, lo, hi);
}
