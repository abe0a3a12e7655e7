#include "pathops/FBRayCrossing.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The search answers points of both curves up to this far apart (a thousandth, or a hundred
// thousandth of the two curves' size); and an answer within 1e-5 of a parameter's end counts as
// at that end.
constexpr double kSearchReach = FBTol_CrossingPoint;
constexpr double kSearchReachPerSize = FBTol_ConvergedPointSpread;
constexpr double kEndParameter = FBTol_EndParameter;
// How far inside both curves the crossing must lie, in parameter, and how steeply the curve must
// cut the ray (the sine of the angle between them): well clear of what the search calls an end
// or a tangent.
constexpr double kClearParameter = FBTol_ClearRayParameter;
constexpr double kClearSine = FBTol_ClearRaySine;

double largestSide(const QRectF &box)
{
    return std::max(box.width(), box.height());
}

double cubic(const std::array<double, 4> &c, double t)
{
    const double u = 1.0 - t;
    return u * u * u * c[0] + 3.0 * u * u * t * c[1] + 3.0 * u * t * t * c[2] + t * t * t * c[3];
}

double slope(const std::array<double, 4> &c, double t)
{
    const double u = 1.0 - t;
    return 3.0 * (u * u * (c[1] - c[0]) + 2.0 * u * t * (c[2] - c[1]) + t * t * (c[3] - c[2]));
}

} // namespace

std::optional<FBRayCrossing> FBRay_ClearCrossing(const FBBezierCurve &ray,
                                                 const FBBezierCurve &curve)
{
    if (!ray.isStraightLine())
        return std::nullopt;
    const QPointF start = ray.endPoint1();
    const QPointF end = ray.endPoint2();
    const bool horizontal = start.y() == end.y();
    if (!horizontal && start.x() != end.x())
        return std::nullopt;
    auto across = [horizontal](QPointF p) { return horizontal ? p.y() : p.x(); };
    auto along = [horizontal](QPointF p) { return horizontal ? p.x() : p.y(); };
    const double level = across(start);
    const double rayStart = along(start);
    const double rayLength = along(end) - rayStart;
    if (!std::isfinite(level) || !std::isfinite(rayLength) || rayLength == 0.0)
        return std::nullopt;

    const std::array<QPointF, 4> points = {curve.endPoint1(), curve.controlPoint1(),
                                           curve.controlPoint2(), curve.endPoint2()};
    std::array<double, 4> side{};
    std::array<double, 4> position{};
    for (size_t i = 0; i < 4; ++i) {
        side[i] = across(points[i]) - level;
        position[i] = along(points[i]);
        if (!std::isfinite(side[i]) || !std::isfinite(position[i]))
            return std::nullopt;
    }
    // Ends on opposite sides, the control points running one way between them: the curve then
    // runs steadily across and meets the ray's line exactly once.
    if (!((side[0] < 0.0 && side[3] > 0.0) || (side[0] > 0.0 && side[3] < 0.0)))
        return std::nullopt;
    const double sign = side[3] > 0.0 ? 1.0 : -1.0;
    for (size_t i = 0; i < 3; ++i) {
        if (sign * (side[i + 1] - side[i]) < 0.0)
            return std::nullopt;
    }
    // Both ends lie farther off the ray's line than a search reaches: only the crossing itself
    // can be answered.
    const double reach =
        std::max(kSearchReach,
                 kSearchReachPerSize * (largestSide(ray.bounds()) + largestSide(curve.bounds())));
    if (std::min(std::abs(side[0]), std::abs(side[3])) < 2.0 * reach)
        return std::nullopt;
    double low = 0.0;
    double high = 1.0;
    for (int i = 0; i < 100 && high - low > 1e-15; ++i) {
        const double middle = 0.5 * (low + high);
        if (sign * cubic(side, middle) < 0.0)
            low = middle;
        else
            high = middle;
    }
    const double t = 0.5 * (low + high);
    if (t < kClearParameter || t > 1.0 - kClearParameter)
        return std::nullopt;
    const double acrossSlope = slope(side, t);
    const double alongSlope = slope(position, t);
    const double speed = std::hypot(acrossSlope, alongSlope);
    if (!(speed > 0.0))
        return std::nullopt;
    const double sine = std::abs(acrossSlope) / speed;
    if (sine < kClearSine)
        return std::nullopt;

    // A searched answer lies within the search's reach of both curves; near a crossing at this
    // angle, that is within reach / sine of it along the ray.
    FBRayCrossing crossing;
    crossing.along = cubic(position, t);
    crossing.uncertainty = 2.0 * reach / sine;
    crossing.curveParameter = t;
    crossing.rayParameter = (crossing.along - rayStart) / rayLength;
    const double clearOfEnds =
        (crossing.uncertainty + kEndParameter * std::abs(rayLength)) / std::abs(rayLength);
    if (!std::isfinite(crossing.rayParameter) || !std::isfinite(clearOfEnds) ||
        crossing.rayParameter < std::max(kClearParameter, 2.0 * clearOfEnds) ||
        crossing.rayParameter > 1.0 - std::max(kClearParameter, 2.0 * clearOfEnds))
        return std::nullopt;
    return crossing;
}
