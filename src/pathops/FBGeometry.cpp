#include "pathops/FBGeometry.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <numbers>

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;
// Below this many turns the angle is brought into range step by step, as the engine always did;
// beyond it (or for a non-finite angle) stepping would take for ever.
constexpr double MaxSteppedAngle = 64.0 * TwoPi;
// The nearly-equal end points of a line, as a single-precision value.
constexpr double DegenerateLineLength = FBTol_DegenerateLineLength;

// Truncation toward zero that saturates; NaN becomes 0.
qint64 truncateSaturating(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775807.0; // rounds up to 2^63
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

} // namespace

QPointF FBGeom_RoundPoint(QPointF p)
{
    return QPointF(std::round(p.x()), std::round(p.y()));
}

double FBGeom_DistancePointToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = FBGeom_SubtractPoints(b, a);
    const double lengthSquared = FBGeom_SquaredLength(ab);
    if (std::sqrt(lengthSquared) <= DegenerateLineLength)
        return FBGeom_PointDistance(p, a);
    const double t = FBGeom_DotProduct(FBGeom_SubtractPoints(p, a), ab) / lengthSquared;
    const QPointF foot = FBGeom_AddPoints(a, FBGeom_ScalePoint(ab, t));
    return FBGeom_PointDistance(foot, p);
}

bool FBGeom_RangeHasConverged(FBRange r, int places)
{
    // Powers of ten up to 10^22 are exact doubles, as pow answers them; the table spares the
    // call in every step of the curve search.
    static constexpr double exactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double factor = places >= 0 && places < int(std::size(exactPowers))
                              ? exactPowers[places]
                              : std::pow(10.0, places);
    return truncateSaturating(r.minimum * factor) == truncateSaturating(r.maximum * factor);
}

double FBGeom_NormalizeAngle(double angle)
{
    if (!std::isfinite(angle))
        return angle;
    if (std::abs(angle) > MaxSteppedAngle) {
        angle = std::fmod(angle, TwoPi);
        if (angle < 0)
            angle += TwoPi;
        return angle >= TwoPi ? 0.0 : angle;
    }
    while (angle < 0)
        angle += TwoPi;
    while (angle >= TwoPi)
        angle -= TwoPi;
    return angle;
}

double FBGeom_PolarAngle(QPointF v)
{
    const double x = v.x();
    const double y = v.y();
    double value = 0.0;
    if (x > 0) {
        value = std::atan(y / x);
    } else if (x < 0) {
        value = y >= 0 ? std::atan(y / x) + std::numbers::pi : std::atan(y / x) - std::numbers::pi;
    } else {
        if (y > 0)
            return std::numbers::pi / 2.0;
        if (y == 0)
            return 0.0;
        value = -std::numbers::pi / 2.0;
    }
    return FBGeom_NormalizeAngle(value);
}

FBAngleRange FBGeom_MakeAngleRange(double start, double end)
{
    return FBAngleRange{start, end};
}

bool FBGeom_AngleRangeContainsAngle(FBAngleRange range, double angle)
{
    if (range.maximum >= range.minimum)
        return range.minimum < angle && angle < range.maximum;
    return (range.minimum < angle && angle <= TwoPi) || (angle >= 0 && angle < range.maximum);
}

bool FBGeom_TangentsCross(const FBTangentPair &edge1, const FBTangentPair &edge2)
{
    const double a1 = FBGeom_PolarAngle(edge1.left);
    const double a2 = FBGeom_PolarAngle(edge1.right);
    const double b1 = FBGeom_PolarAngle(edge2.left);
    const double b2 = FBGeom_PolarAngle(edge2.right);
    const FBAngleRange side1 = FBGeom_MakeAngleRange(a1, a2);
    const FBAngleRange side2 = FBGeom_MakeAngleRange(a2, a1);
    const int inSide1 = int(FBGeom_AngleRangeContainsAngle(side1, b1)) +
                        int(FBGeom_AngleRangeContainsAngle(side1, b2));
    const int inSide2 = int(FBGeom_AngleRangeContainsAngle(side2, b1)) +
                        int(FBGeom_AngleRangeContainsAngle(side2, b2));
    return inSide1 == 1 && inSide2 == 1;
}

QPointF FBGeom_RectOrigin(const QRectF &r)
{
    return QPointF(r.x(), r.y());
}

QPointF FBGeom_RectMaxXMinY(const QRectF &r)
{
    return QPointF(r.x() + r.width(), r.y());
}

QPointF FBGeom_RectMinXMaxY(const QRectF &r)
{
    return QPointF(r.x(), r.y() + r.height());
}

QPointF FBGeom_RectMaxXMaxY(const QRectF &r)
{
    return QPointF(r.x() + r.width(), r.y() + r.height());
}

void FBGeom_ExpandBoundsByPoint(QPointF *topLeft, QPointF *bottomRight, QPointF p)
{
    topLeft->setX(std::min(topLeft->x(), p.x()));
    topLeft->setY(std::min(topLeft->y(), p.y()));
    bottomRight->setX(std::max(bottomRight->x(), p.x()));
    bottomRight->setY(std::max(bottomRight->y(), p.y()));
}

double FBGeom_LargestMagnitude(const QRectF &r)
{
    return std::max(
        {std::abs(r.left()), std::abs(r.right()), std::abs(r.top()), std::abs(r.bottom())});
}

QRectF FBGeom_UnionRect(const QRectF &r1, const QRectF &r2)
{
    const QPointF r2Low = FBGeom_RectOrigin(r2);
    const QPointF r2High = FBGeom_RectMaxXMaxY(r2);
    const QPointF r1Low = FBGeom_RectOrigin(r1);
    const QPointF r1High = FBGeom_RectMaxXMaxY(r1);
    const double minX = std::min({r1Low.x(), r2Low.x(), r2High.x()});
    const double minY = std::min({r1Low.y(), r2Low.y(), r2High.y()});
    const double maxX = std::max({r1High.x(), r2Low.x(), r2High.x()});
    const double maxY = std::max({r1High.y(), r2Low.y(), r2High.y()});
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}
