#pragma once
// The curve operations the crossing search repeats in every clipping step, on the four points of
// a curve held by value: the search cuts and compares thousands of pieces per pair of curves,
// and making each piece a shared curve object cost more than the arithmetic. FBBezierCurve
// answers through these same functions, so both give the same digits.

#include "pathops/FBGeometry.h"
#include "pathops/FBTolerances.h"

#include <QPointF>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

using FBCurvePoints = std::array<QPointF, 4>;

// The convex hull of at most four points, held without allocating: the search builds four in
// every clipping round.
struct FBCurveHull
{
    std::array<QPointF, 4> points;
    std::size_t count = 0;

    void push(QPointF p) { points[count++] = p; }
    const QPointF &operator[](std::size_t i) const { return points[i]; }
    const QPointF *begin() const { return points.data(); }
    const QPointF *end() const { return points.data() + count; }
};

// (1 - t)·a + t·b, except that equal coordinates stay exactly as they are: the weighted sum of
// two equal numbers can miss them in the last digit, which tilts the pieces of a horizontal or
// vertical line off it, so that pieces of one straight edge no longer lie on one line.
inline double FBCurve_Blend(double a, double b, double t)
{
    // A parameter that is not a number stays one in the answer: callers detect degenerate
    // input by it.
    return a == b && t >= 0.0 && t <= 1.0 ? a : a * (1.0 - t) + b * t;
}

// De Casteljau's evaluation of a curve of degree n (n + 1 points); the control points of the
// halves [0, t] and [t, 1] go to `left` and `right` when given.
template <std::size_t N>
inline QPointF FBCurve_DeCasteljau(const std::array<QPointF, N> &points, double t,
                                   std::array<QPointF, N> *left = nullptr,
                                   std::array<QPointF, N> *right = nullptr)
{
    constexpr std::size_t degree = N - 1;
    std::array<QPointF, N> row = points;
    if (left)
        (*left)[0] = row[0];
    if (right)
        (*right)[degree] = row[degree];
    for (std::size_t level = 1; level <= degree; ++level) {
        for (std::size_t i = 0; i <= degree - level; ++i)
            row[i] = QPointF(FBCurve_Blend(row[i].x(), row[i + 1].x(), t),
                             FBCurve_Blend(row[i].y(), row[i + 1].y(), t));
        if (left)
            (*left)[level] = row[0];
        if (right)
            (*right)[degree - level] = row[degree - level];
    }
    return row[0];
}

// The control points of a curve's derivative (degree n - 1, each n times a difference of
// neighbouring points): FBCurve_DeCasteljau on them gives the derivative at t.
template <std::size_t N>
inline std::array<QPointF, N - 1> FBCurve_Derivative(const std::array<QPointF, N> &points)
{
    std::array<QPointF, N - 1> out;
    for (std::size_t i = 0; i + 1 < N; ++i)
        out[i] = FBGeom_ScalePoint(FBGeom_SubtractPoints(points[i + 1], points[i]), double(N - 1));
    return out;
}

inline QPointF FBCurve_BlendPoints(QPointF a, QPointF b, double t)
{
    return QPointF(FBCurve_Blend(a.x(), b.x(), t), FBCurve_Blend(a.y(), b.y(), t));
}

// The point at t by the same blends as FBCurve_DeCasteljau, written out for a cubic.
inline QPointF FBCurve_PointAt(const FBCurvePoints &points, double t)
{
    const QPointF q1 = FBCurve_BlendPoints(points[1], points[2], t);
    const QPointF r0 = FBCurve_BlendPoints(FBCurve_BlendPoints(points[0], points[1], t), q1, t);
    const QPointF r1 = FBCurve_BlendPoints(q1, FBCurve_BlendPoints(points[2], points[3], t), t);
    return FBCurve_BlendPoints(r0, r1, t);
}

// The piece of the curve over `range`: first the part from range.minimum on, then of that the
// part up to where range.maximum lies on it. The same blends as FBCurve_DeCasteljau, written
// out for the one half each cut keeps.
inline FBCurvePoints FBCurve_SubcurveWithRange(const FBCurvePoints &points, FBRange range)
{
    const double t1 = range.minimum;
    const QPointF q1 = FBCurve_BlendPoints(points[1], points[2], t1);
    const QPointF q2 = FBCurve_BlendPoints(points[2], points[3], t1);
    const QPointF r1 = FBCurve_BlendPoints(q1, q2, t1);
    const QPointF r0 = FBCurve_BlendPoints(FBCurve_BlendPoints(points[0], points[1], t1), q1, t1);
    const FBCurvePoints upper = {FBCurve_BlendPoints(r0, r1, t1), r1, q2, points[3]};
    if (range.minimum == 1.0)
        return upper;
    const double t2 = (range.maximum - range.minimum) / (1.0 - range.minimum);
    const QPointF a0 = FBCurve_BlendPoints(upper[0], upper[1], t2);
    const QPointF a1 = FBCurve_BlendPoints(upper[1], upper[2], t2);
    const QPointF b0 = FBCurve_BlendPoints(a0, a1, t2);
    const QPointF b1 = FBCurve_BlendPoints(a1, FBCurve_BlendPoints(upper[2], upper[3], t2), t2);
    return {upper[0], a0, b0, FBCurve_BlendPoints(b0, b1, t2)};
}

inline FBCurvePoints FBCurve_Reversed(const FBCurvePoints &points)
{
    return {points[3], points[2], points[1], points[0]};
}

// All four points within 1e-5 of the first.
inline bool FBCurve_IsPoint(const FBCurvePoints &points)
{
    constexpr double threshold = FBTol_PointCurveSpread;
    return FBGeom_ArePointsCloseWithThreshold(points[0], points[1], threshold) &&
           FBGeom_ArePointsCloseWithThreshold(points[0], points[2], threshold) &&
           FBGeom_ArePointsCloseWithThreshold(points[0], points[3], threshold);
}

// Points compared in order; a straight line only by its ends; a single point equals nothing.
inline bool FBCurve_IsEqual(const FBCurvePoints &a, bool aIsStraightLine, const FBCurvePoints &b,
                            bool bIsStraightLine)
{
    if (FBCurve_IsPoint(a) || FBCurve_IsPoint(b))
        return false;
    if (aIsStraightLine != bIsStraightLine)
        return false;
    if (aIsStraightLine)
        return FBGeom_ArePointsClose(a[0], b[0]) && FBGeom_ArePointsClose(a[3], b[3]);
    return FBGeom_ArePointsClose(a[0], b[0]) && FBGeom_ArePointsClose(a[1], b[1]) &&
           FBGeom_ArePointsClose(a[2], b[2]) && FBGeom_ArePointsClose(a[3], b[3]);
}

// The hull of a distance curve: the points (0, d0), (1/3, d1), (2/3, d2), (1, d3). It takes
// exactly the steps FBBezierCurve::hullOfPoints takes for them (lowest point, rays from it,
// insertion by angle, Graham scan) and so answers the same corners in the same order, but on
// values held in registers: no two of these points are equal, which spares the general case's
// bookkeeping.
namespace FBCurveHullDetail {

inline double crossAround(QPointF origin, QPointF p, QPointF q)
{
    return (p.x() - origin.x()) * (q.y() - origin.y()) -
           (q.x() - origin.x()) * (p.y() - origin.y());
}

// Whether `a` and `b` lie on one line through the origin: their cross product around it is
// within the closeness threshold, or within its own rounding where the products are large (a
// long curve's distances from a speck's strip, magnified to the speck's scale, run to millions,
// and a line's points read as a bent outline whose middle corners hide its end).
inline bool onOneLine(QPointF origin, QPointF a, QPointF b)
{
    const double across = (a.x() - origin.x()) * (b.y() - origin.y());
    const double back = (b.x() - origin.x()) * (a.y() - origin.y());
    const double rounding = FBTol_ProductRounding * (std::abs(across) + std::abs(back));
    return std::abs(across - back) <= std::max(FBPointClosenessThreshold, rounding);
}

// Of two points on one ray from the origin the nearer goes; false when they lie on none.
inline void dropNearerOnRay(QPointF origin, QPointF a, QPointF b, bool *removedA, bool *removedB)
{
    if (*removedA || *removedB)
        return;
    if (!onOneLine(origin, a, b))
        return;
    const double da = FBGeom_SquaredLength(FBGeom_SubtractPoints(a, origin));
    const double db = FBGeom_SquaredLength(FBGeom_SubtractPoints(b, origin));
    if (FBGeom_DotProduct(FBGeom_SubtractPoints(a, origin), FBGeom_SubtractPoints(b, origin)) < 0)
        return; // opposite rays
    if (da < db)
        *removedA = true;
    else
        *removedB = true;
}

} // namespace FBCurveHullDetail

inline FBCurveHull FBCurve_HullOfDistanceCurve(double d0, double d1, double d2, double d3)
{
    using FBCurveHullDetail::crossAround;
    const QPointF p0(0.0, d0), p1(1.0 / 3.0, d1), p2(2.0 / 3.0, d2), p3(1.0, d3);

    // Lowest point first: smallest y, the larger x among nearly equal heights.
    QPointF origin = p0;
    int lowest = 0;
    const auto consider = [&](QPointF p, int index) {
        const bool closeHeights = FBGeom_AreValuesClose(p.y(), origin.y());
        if ((closeHeights && p.x() > origin.x()) || (!closeHeights && p.y() < origin.y())) {
            origin = p;
            lowest = index;
        }
    };
    consider(p1, 1);
    consider(p2, 2);
    consider(p3, 3);
    // The others in the order the general hull sees them: the lowest point's place taken by
    // the first point.
    const QPointF a = lowest == 1 ? p0 : p1;
    const QPointF b = lowest == 2 ? p0 : p2;
    const QPointF c = lowest == 3 ? p0 : p3;

    bool removedA = false, removedB = false, removedC = false;
    FBCurveHullDetail::dropNearerOnRay(origin, a, b, &removedA, &removedB);
    FBCurveHullDetail::dropNearerOnRay(origin, a, c, &removedA, &removedC);
    FBCurveHullDetail::dropNearerOnRay(origin, b, c, &removedB, &removedC);

    // Counter-clockwise around the origin by insertion; s[0..n) follow the origin.
    QPointF s[3];
    int n = 0;
    const auto insert = [&](QPointF p) {
        if (n == 0) {
            s[0] = p;
        } else if (n == 1) {
            if (crossAround(origin, s[0], p) > 0) {
                s[1] = p;
            } else {
                s[1] = s[0];
                s[0] = p;
            }
        } else if (!(crossAround(origin, s[0], p) > 0)) {
            s[2] = s[1];
            s[1] = s[0];
            s[0] = p;
        } else if (!(crossAround(origin, s[1], p) > 0)) {
            s[2] = s[1];
            s[1] = p;
        } else {
            s[2] = p;
        }
        ++n;
    };
    if (!removedA)
        insert(a);
    if (!removedB)
        insert(b);
    if (!removedC)
        insert(c);

    // Graham scan, unrolled: a corner stays only where the outline turns left.
    FBCurveHull hull;
    hull.push(origin);
    if (n < 2) {
        if (n == 1)
            hull.push(s[0]);
        return hull;
    }
    const bool keepFirst = crossAround(origin, s[0], s[1]) > 0;
    if (n == 2) {
        if (keepFirst)
            hull.push(s[0]);
        hull.push(s[1]);
        return hull;
    }
    if (keepFirst) {
        if (crossAround(s[0], s[1], s[2]) > 0) {
            hull.push(s[0]);
            hull.push(s[1]);
        } else if (crossAround(origin, s[0], s[2]) > 0) {
            hull.push(s[0]);
        }
    } else if (crossAround(origin, s[1], s[2]) > 0) {
        hull.push(s[1]);
    }
    hull.push(s[2]);
    return hull;
}

// A distance no greater than that from `point` to the curve of `points`: the distance to the box
// of the control points laid along the chord (the curve lies within their hull), less a margin of
// 1e-9 of the largest coordinate so that rounding cannot lift it over a distance measured to a
// point computed on the curve. Zero when the chord has no length or a number is not finite.
inline double FBCurve_DistanceFloor(const FBCurvePoints &points, QPointF point)
{
    const QPointF chord = points[3] - points[0];
    const double length = std::hypot(chord.x(), chord.y());
    if (!(length > 0) || !std::isfinite(length))
        return 0.0;
    const QPointF along = chord / length;
    double extent = std::max(std::abs(point.x()), std::abs(point.y()));
    double low[2] = {0.0, 0.0}, high[2] = {0.0, 0.0};
    for (const QPointF &p : points) {
        extent = std::max({extent, std::abs(p.x()), std::abs(p.y())});
        const QPointF d = p - points[0];
        const double a = d.x() * along.x() + d.y() * along.y();
        const double b = d.y() * along.x() - d.x() * along.y();
        low[0] = std::min(low[0], a);
        high[0] = std::max(high[0], a);
        low[1] = std::min(low[1], b);
        high[1] = std::max(high[1], b);
    }
    if (!std::isfinite(extent) || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return 0.0;
    const QPointF d = point - points[0];
    const double a = d.x() * along.x() + d.y() * along.y();
    const double b = d.y() * along.x() - d.x() * along.y();
    const double floor = std::hypot(std::max({low[0] - a, 0.0, a - high[0]}),
                                    std::max({low[1] - b, 0.0, b - high[1]})) -
                         1e-9 * (1.0 + extent);
    return floor > 0 ? floor : 0.0;
}

// Whether every point of the curve lies farther than `distance` from `point`, as the floor above
// tells on the whole curve or, failing that, on both halves, `halvings` times over: the halves'
// hulls hug an arc far closer than the whole's.
inline bool FBCurve_FartherThan(const FBCurvePoints &points, QPointF point, double distance,
                                int halvings = 2)
{
    if (FBCurve_DistanceFloor(points, point) > distance)
        return true;
    if (halvings <= 0)
        return false;
    FBCurvePoints left, right;
    FBCurve_DeCasteljau(points, 0.5, &left, &right);
    return FBCurve_FartherThan(left, point, distance, halvings - 1) &&
           FBCurve_FartherThan(right, point, distance, halvings - 1);
}
