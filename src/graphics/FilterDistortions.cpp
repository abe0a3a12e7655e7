#include "graphics/FilterDistortions.h"

#include "graphics/FilterSampler.h"
#include "graphics/PixelFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kMaxReach = 1e7;
constexpr double kMaxFactor = 1e6;

const QString kRadius = QStringLiteral("inputRadius");
const QString kScale = QStringLiteral("inputScale");
const QString kAngle = QStringLiteral("inputAngle");
const QString kCenter = QStringLiteral("inputCenter");

double reach(const PixelFilter &f)
{
    return boundedInput(f.num(kRadius), 0, kMaxReach, 0);
}

double factor(const PixelFilter &f, const QString &key)
{
    return boundedInput(f.num(key), -kMaxFactor, kMaxFactor, 0);
}

// A map given in y-up offsets from the centre: the source of each output pixel is
// centre + fn(offset), and rows of pixels are turned into y-up and back.
template <class Fn> QImage distort(const PixelFilter &f, const QImage &in, Fn fn)
{
    const QPointF c = f.centreInPixels(kCenter, in.height());
    return resampleInverse(
        in,
        [&](double x, double y) {
            const QPointF d = fn(QPointF(x - c.x(), c.y() - y));
            return QPointF(c.x() + d.x(), c.y() - d.y());
        },
        SampleEdge::Transparent);
}

// A map that moves only the points inside the radius, by `fn(offset, t, k)` with t the distance
// over the radius and k the input `key`; the image itself when either is 0.
template <class Fn>
QImage insideRadius(const PixelFilter &f, const QImage &in, const QString &key, Fn fn)
{
    const double r = reach(f);
    const double k = factor(f, key);
    if (r == 0 || k == 0)
        return in;
    return distort(f, in, [&](QPointF d) {
        const double t = std::hypot(d.x(), d.y()) / r;
        return t >= 1 ? d : fn(d, t, k);
    });
}

QPointF rotated(QPointF d, double angle)
{
    const double s = std::sin(angle);
    const double co = std::cos(angle);
    return QPointF(d.x() * co - d.y() * s, d.x() * s + d.y() * co);
}

// Inside the radius each offset is scaled by 1 - scale x (1 - t^2)^2 (t the distance over the
// radius): a positive scale magnifies the middle, a negative one shrinks it.
QImage bump(const PixelFilter &f, const QImage &in)
{
    return insideRadius(f, in, kScale, [](QPointF d, double t, double scale) {
        const double u = 1 - t * t;
        return d * (1 - scale * u * u);
    });
}

// The bump across a line through the centre at the angle: only the distance from the line is
// scaled.
QImage bumpLinear(const PixelFilter &f, const QImage &in)
{
    const double r = reach(f);
    const double scale = factor(f, kScale);
    const double angle = factor(f, kAngle);
    if (r == 0 || scale == 0)
        return in;
    const QPointF along(std::cos(angle), std::sin(angle));
    const QPointF across(-along.y(), along.x());
    return distort(f, in, [&](QPointF d) {
        const double a = QPointF::dotProduct(d, along);
        const double n = QPointF::dotProduct(d, across);
        const double t = std::abs(n) / r;
        if (t >= 1)
            return d;
        const double u = 1 - t * t;
        return along * a + across * (n * (1 - scale * u * u));
    });
}

// The image wrapped around a circle: its bottom row lies on the circle, its columns run
// counter-clockwise from the angle one pixel per unit of arc, its rows outward.
QImage circularWrap(const PixelFilter &f, const QImage &in)
{
    const double r = reach(f);
    const double angle = factor(f, kAngle);
    const QPointF c = f.centreInPixels(kCenter, in.height());
    const int h = in.height();
    return resampleInverse(
        in,
        [&](double x, double y) {
            const double dx = x - c.x();
            const double dy = c.y() - y;
            double phi = std::remainder(std::atan2(dy, dx) - angle, 2 * std::numbers::pi);
            if (phi < 0)
                phi += 2 * std::numbers::pi;
            const double rho = std::hypot(dx, dy);
            return QPointF(phi * r, h - 1 - (rho - r));
        },
        SampleEdge::Transparent);
}

// A hole of the radius: nothing inside; outside, offsets shrink by 1 - r^2/d^2, so the image
// is pushed outward and meets itself again far away.
QImage hole(const PixelFilter &f, const QImage &in)
{
    const double r = reach(f);
    if (r == 0)
        return in;
    return distort(f, in, [&](QPointF d) {
        const double dd = d.x() * d.x() + d.y() * d.y();
        if (dd <= r * r)
            return QPointF(qInf(), qInf());
        return d * (1 - r * r / dd);
    });
}

// Inside the radius offsets grow by 1 + scale x (1 - t)^2: the middle is pinched smaller.
QImage pinch(const PixelFilter &f, const QImage &in)
{
    return insideRadius(f, in, kScale, [](QPointF d, double t, double scale) {
        return d * (1 + scale * (1 - t) * (1 - t));
    });
}

// Inside the radius each point turns by angle x (1 - t)^2 about the centre (counter-clockwise
// for a positive angle).
QImage twirl(const PixelFilter &f, const QImage &in)
{
    return insideRadius(f, in, kAngle, [](QPointF d, double t, double angle) {
        return rotated(d, -angle * (1 - t) * (1 - t));
    });
}

// A whirl whose turn falls off as exp(-4 t^2): the middle spins by the whole angle, the rim by a
// fiftieth of it, and the turn ends at the radius.
QImage vortex(const PixelFilter &f, const QImage &in)
{
    return insideRadius(f, in, kAngle, [](QPointF d, double t, double angle) {
        return rotated(d, -angle * (std::exp(-4 * t * t) - std::exp(-4.0)));
    });
}

// The luma of the texture tiled over the plane, 0 to 1.
double tiledLuma(const QImage &texture, long x, long y)
{
    const long w = texture.width();
    const long h = texture.height();
    const uchar *p = texture.constScanLine(int(((y % h) + h) % h)) + (((x % w) + w) % w) * 4;
    return (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255;
}

// Glass: each pixel looks through the tiled texture, displaced by scale/2 times the texture's
// luma gradient (central differences).
QImage glass(const PixelFilter &f, const QImage &in)
{
    const platform::FilterImage textureImage = f.picture(QStringLiteral("inputTexture"));
    if (textureImage.isNull())
        return {};
    const QImage texture = textureImage.pixels();
    const double scale = factor(f, kScale);
    if (scale == 0)
        return in;
    return resampleInverse(
        in,
        [&](double x, double y) {
            const long ix = long(x);
            const long iy = long(y);
            const double gx = tiledLuma(texture, ix + 1, iy) - tiledLuma(texture, ix - 1, iy);
            const double gy = tiledLuma(texture, ix, iy + 1) - tiledLuma(texture, ix, iy - 1);
            return QPointF(x + scale * gx / 2, y + scale * gy / 2);
        },
        SampleEdge::Clamp);
}

const platform::FilterVector kDefaultCentre{150, 150};

} // namespace

void RegisterDistortionFilters()
{
    RegisterImageFilter(QStringLiteral("CIBumpDistortion"),
                        {{kRadius, 300.0}, {kScale, 0.5}, {kCenter, kDefaultCentre}}, bump);
    RegisterImageFilter(QStringLiteral("CIBumpDistortionLinear"),
                        {{kRadius, 300.0}, {kScale, 0.5}, {kAngle, 0.0}, {kCenter, kDefaultCentre}},
                        bumpLinear);
    RegisterImageFilter(QStringLiteral("CICircularWrap"),
                        {{kRadius, 150.0}, {kAngle, 0.0}, {kCenter, kDefaultCentre}}, circularWrap);
    RegisterImageFilter(QStringLiteral("CIHoleDistortion"),
                        {{kRadius, 150.0}, {kCenter, kDefaultCentre}}, hole);
    RegisterImageFilter(QStringLiteral("CIPinchDistortion"),
                        {{kRadius, 300.0}, {kScale, 0.5}, {kCenter, kDefaultCentre}}, pinch);
    RegisterImageFilter(QStringLiteral("CITwirlDistortion"),
                        {{kRadius, 300.0}, {kAngle, std::numbers::pi}, {kCenter, kDefaultCentre}},
                        twirl);
    RegisterImageFilter(QStringLiteral("CIVortexDistortion"),
                        {{kRadius, 300.0}, {kAngle, 56.55}, {kCenter, kDefaultCentre}}, vortex);
    RegisterImageFilter(QStringLiteral("CIGlassDistortion"),
                        {{kScale, 200.0}, {kCenter, kDefaultCentre}}, glass);
}
