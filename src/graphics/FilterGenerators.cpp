#include "graphics/FilterGenerators.h"

#include "graphics/FilterSampler.h"
#include "graphics/PixelFilter.h"
#include "platform/Saturate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kMaxReach = 256;

const QString kColor = QStringLiteral("inputColor");
const QString kCenter = QStringLiteral("inputCenter");

double input(const PixelFilter &f, const char *key, double lo, double hi)
{
    return boundedInput(f.num(QString::fromLatin1(key)), lo, hi, 0);
}

// A square of 2 x reach pixels around the centre, each pixel the colour at the strength that
// light(dx, dy) gives (0 to 1) for its offset from the centre, y up.
template <class Light> platform::FilterImage paint(const PixelFilter &f, double reach, Light light)
{
    reach = std::clamp(std::ceil(reach), 1.0, kMaxReach);
    const int side = int(reach) * 2;
    QImage out(side, side, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return {};
    const platform::Color c = f.colour(kColor);
    const double rgb[3] = {std::clamp(c.redComponent(), 0.0, 1.0),
                           std::clamp(c.greenComponent(), 0.0, 1.0),
                           std::clamp(c.blueComponent(), 0.0, 1.0)};
    out = mapPixels(out, [&](int x, int y) {
        const double strength = std::clamp(light(x + 0.5 - reach, reach - y - 0.5), 0.0, 1.0);
        if (!(strength > 0))
            return 0u;
        return toPixel({float(rgb[0] * strength * 255), float(rgb[1] * strength * 255),
                        float(rgb[2] * strength * 255), float(strength * 255)});
    });
    const QPointF centre = f.centre(kCenter);
    QRectF extent(centre.x() - reach, centre.y() - reach, side, side);
    if (!extent.isValid() || !std::isfinite(extent.x()) || !std::isfinite(extent.y()))
        extent.moveTo(-reach, -reach);
    return platform::FilterImage(out, extent);
}

// A sun: full light within its radius, a halo falling as (radius / d)^2 beyond, and rays whose
// pattern turns with the time, sharpened by the contrast; everything fades out at the reach,
// radius x (1 + striation reach).
platform::FilterImage sunbeams(const PixelFilter &f)
{
    const double radius = input(f, "inputSunRadius", 0, kMaxReach);
    const double striation = input(f, "inputMaxStriationRadius", 0, 64);
    const double strength = input(f, "inputStriationStrength", -1e3, 1e3);
    const double contrast = input(f, "inputStriationContrast", 0, 64);
    const double time = input(f, "inputTime", -1e6, 1e6);
    const double reach = std::max(1.0, radius * (1 + striation));
    return paint(f, reach, [&](double dx, double dy) {
        const double d = std::hypot(dx, dy);
        if (d >= reach)
            return 0.0;
        const double fade = 1 - d / reach;
        const double halo = d <= radius ? 1.0 : (radius / d) * (radius / d) * fade;
        const double phi = std::atan2(dy, dx);
        const double rays = std::pow(0.5 + 0.5 * std::cos(24 * phi + 3 * time) *
                                               (0.5 + 0.5 * std::cos(7 * phi - time)),
                                     contrast);
        return halo + strength * rays * fade;
    });
}

double logistic(double v)
{
    return 1 / (1 + std::exp(-v));
}

// A star: a glow 1 / (1 + (d / radius)^k), k from 2 to 4 as epsilon rises, crossed by two
// perpendicular rays at the cross angle, radius x cross scale long and about cross width wide,
// their opacity the logistic of the cross opacity; everything fades out at the reach.
platform::FilterImage starShine(const PixelFilter &f)
{
    const double radius = input(f, "inputRadius", 0, kMaxReach);
    const double scale = input(f, "inputCrossScale", 0, 1e3);
    const double angle = input(f, "inputCrossAngle", -1e6, 1e6);
    const double opacity = logistic(input(f, "inputCrossOpacity", -1e3, 1e3));
    const double width = input(f, "inputCrossWidth", 0, kMaxReach);
    const double k = 2 + 2 * logistic(input(f, "inputEpsilon", -1e3, 1e3));
    const double length = std::max(1.0, radius * scale);
    const double reach = std::max({1.0, radius * 2, length});
    const double ca = std::cos(angle);
    const double sa = std::sin(angle);
    return paint(f, reach, [&](double dx, double dy) {
        const double d = std::hypot(dx, dy);
        if (d >= reach)
            return 0.0;
        const double fade = 1 - d / reach;
        const double glow = radius > 0 ? 1 / (1 + std::pow(d / radius, k)) : 0.0;
        double cross = 0;
        for (const auto &[ux, uy] : {std::pair{ca, sa}, std::pair{-sa, ca}}) {
            const double along = std::abs(dx * ux + dy * uy);
            const double off = std::abs(-dx * uy + dy * ux);
            if (width > 0 && along < length)
                cross = std::max(cross,
                                 std::exp(-(off / width) * (off / width)) * (1 - along / length));
        }
        return (glow + opacity * cross) * fade;
    });
}

} // namespace

void RegisterGeneratorFilters()
{
    const platform::Color white = platform::Color::calibratedRGB(1, 1, 1);
    const platform::FilterVector centre{150, 150};
    RegisterGeneratorFilter(QStringLiteral("CISunbeamsGenerator"),
                            {{kColor, platform::Color::calibratedRGB(1, 0.5, 0)},
                             {QStringLiteral("inputSunRadius"), 40.0},
                             {QStringLiteral("inputMaxStriationRadius"), 2.58},
                             {QStringLiteral("inputStriationStrength"), 0.5},
                             {QStringLiteral("inputStriationContrast"), 1.375},
                             {QStringLiteral("inputTime"), 0.0},
                             {kCenter, centre}},
                            sunbeams);
    RegisterGeneratorFilter(QStringLiteral("CIStarShineGenerator"),
                            {{kColor, white},
                             {QStringLiteral("inputRadius"), 50.0},
                             {QStringLiteral("inputCrossScale"), 15.0},
                             {QStringLiteral("inputCrossAngle"), 0.6},
                             {QStringLiteral("inputCrossOpacity"), -2.0},
                             {QStringLiteral("inputCrossWidth"), 2.5},
                             {QStringLiteral("inputEpsilon"), -2.0},
                             {kCenter, centre}},
                            starShine);
}
