#include "graphics/PelkoNSAffineTransform.h"

#include "graphics/UtilityMathRects.h"

#include <array>
#include <cmath>

using platform::AffineTransform;

namespace {

constexpr double kFlipProduct = double(0.00002f);
constexpr double kSame = double(0.002f);
constexpr double kChange = double(0.02f);

std::array<double, 6> values(const AffineTransform &t)
{
    const platform::AffineTransformStruct s = t.transformStruct();
    return {s.m11, s.m12, s.m21, s.m22, s.tX, s.tY};
}

} // namespace

AffineTransform fromCg(const platform::CGAffineTransform &t)
{
    return platform::toAffineTransform(t);
}

platform::CGAffineTransform cgTransform(const AffineTransform &t)
{
    return platform::toCGAffineTransform(t);
}

QRectF transformRect(const AffineTransform &t, QRectF rect)
{
    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    return BoundingRectOfFourPoints(
        t.transformPoint(QPointF(x, y)), t.transformPoint(QPointF(x + w, y)),
        t.transformPoint(QPointF(x, y + h)), t.transformPoint(QPointF(x + w, y + h)));
}

LINE_ transformLine(const AffineTransform &t, const LINE_ &line)
{
    return LINE_{t.transformPoint(line.p1), t.transformPoint(line.p2)};
}

std::optional<AffineTransform> getInvert(const AffineTransform &t)
{
    AffineTransform inverted = t;
    if (!inverted.invert())
        return std::nullopt;
    return inverted;
}

bool isFlip(const AffineTransform &t)
{
    if (t.m11() * t.m22() < -kFlipProduct)
        return true;
    if (std::fabs(t.m11()) < kSame && std::fabs(t.m22()) < kSame) {
        const bool acrossMainDiagonal =
            std::fabs(t.m12() - 1) < kChange && std::fabs(t.m21() - 1) < kChange;
        const bool acrossOtherDiagonal =
            std::fabs(t.m12() + 1) < kChange && std::fabs(t.m21() + 1) < kChange;
        return acrossMainDiagonal || acrossOtherDiagonal;
    }
    return false;
}

bool IsWillChange(const AffineTransform &t)
{
    const std::array<double, 6> v = values(t);
    const std::array<double, 6> identity = values(AffineTransform::transform());
    for (size_t i = 0; i < v.size(); ++i)
        if (std::fabs(v[i] - identity[i]) > kChange)
            return true;
    return false;
}

bool SameTransform(const AffineTransform *a, const AffineTransform *b)
{
    if (a == b)
        return true;
    const AffineTransform identity;
    const std::array<double, 6> va = values(a ? *a : identity);
    const std::array<double, 6> vb = values(b ? *b : identity);
    for (size_t i = 0; i < va.size(); ++i)
        if (std::fabs(va[i] - vb[i]) >= kSame)
            return false;
    return true;
}
