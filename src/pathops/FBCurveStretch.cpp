#include "pathops/FBCurveStretch.h"

#include "pathops/FBBezierCurve.h"
#include "pathops/FBGeometry.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// Samples along a stretch checked against the other curve, and Newton steps per nearest point.
constexpr int kStretchSamples = 16;
constexpr int kNearestSteps = 8;
// A shared stretch shorter than this many tolerances is left to the search: at that length a
// crossing, a touch and a stretch look alike.
constexpr double kShortestStretch = FBTol_ShortestStretch;

// The parameter in [low, high] of the curve's point nearest `point`, starting from `start`.
double nearestFrom(const FBBezierCurve &curve, QPointF point, double start, double low, double high)
{
    double t = start;
    for (int i = 0; i < kNearestSteps; ++i) {
        const double next = curve.refineParameter(t, point);
        if (!std::isfinite(next))
            break;
        t = std::clamp(next, low, high);
    }
    return t;
}

// The parameter of the curve's point nearest `point`, from the best of a few samples.
double nearest(const FBBezierCurve &curve, QPointF point)
{
    double best = 0.0;
    double bestDistance = INFINITY;
    for (int k = 0; k <= 8; ++k) {
        const double t = k / 8.0;
        const double d = FBGeom_PointDistance(curve.pointAtParameter(t), point);
        if (d < bestDistance) {
            bestDistance = d;
            best = t;
        }
    }
    const double t = nearestFrom(curve, point, best, 0.0, 1.0);
    return FBGeom_PointDistance(curve.pointAtParameter(t), point) < bestDistance ? t : best;
}

// Whether the point can lie within the tolerance of the curve: a curve keeps within the hull of
// its control points, so within the band along its chord that they span and the band across it.
// Most ends of curves that merely cross are told apart here, before any search.
bool mayLieNear(const FBBezierCurve &curve, QPointF point, double tolerance)
{
    const std::array<QPointF, 4> p = curve.points();
    const QPointF chord = p[3] - p[0];
    const double length = std::hypot(chord.x(), chord.y());
    if (!(length > 0) || !std::isfinite(length))
        return true;
    const QPointF along = chord / length;
    auto measure = [&](QPointF q) {
        const QPointF d = q - p[0];
        return std::pair{d.x() * along.x() + d.y() * along.y(),
                         d.y() * along.x() - d.x() * along.y()};
    };
    double lowAlong = std::min(0.0, length), highAlong = std::max(0.0, length);
    double lowAcross = 0.0, highAcross = 0.0;
    for (const QPointF control : {p[1], p[2]}) {
        const auto [a, c] = measure(control);
        lowAlong = std::min(lowAlong, a);
        highAlong = std::max(highAlong, a);
        lowAcross = std::min(lowAcross, c);
        highAcross = std::max(highAcross, c);
    }
    // Room for the rounding of the measures themselves.
    const double scale =
        std::max({std::abs(p[0].x()), std::abs(p[0].y()), std::abs(point.x()), std::abs(point.y()),
                  highAlong - lowAlong, highAcross - lowAcross});
    const double reach = tolerance * (1.0 + 1e-9) + 1e-12 * scale;
    const auto [a, c] = measure(point);
    return a >= lowAlong - reach && a <= highAlong + reach && c >= lowAcross - reach &&
           c <= highAcross + reach;
}

// Where a point on one curve lies on the other, within the tolerance: its parameter there, an
// end exactly when the point lies that close to the end.
std::optional<double> placeOn(const FBBezierCurve &curve, QPointF point, double tolerance)
{
    if (FBGeom_PointDistance(point, curve.endPoint1()) <= tolerance)
        return 0.0;
    if (FBGeom_PointDistance(point, curve.endPoint2()) <= tolerance)
        return 1.0;
    if (!mayLieNear(curve, point, tolerance))
        return std::nullopt;
    const double t = nearest(curve, point);
    if (!(FBGeom_PointDistance(curve.pointAtParameter(t), point) <= tolerance))
        return std::nullopt;
    return t;
}

struct StretchEnd
{
    double t1;
    double t2;
};

// Whether every sample of the stretch [from, to] of `along` lies within the tolerance of the
// stretch [otherFrom, otherTo] of `other`, the nearest points moving steadily from one end to
// the other.
bool runsAlong(const FBBezierCurve &along, double from, double to, const FBBezierCurve &other,
               double otherFrom, double otherTo, double tolerance)
{
    const double low = std::min(otherFrom, otherTo), high = std::max(otherFrom, otherTo);
    double previous = otherFrom;
    for (int k = 1; k < kStretchSamples; ++k) {
        const double share = double(k) / kStretchSamples;
        const QPointF point = along.pointAtParameter(from + (to - from) * share);
        const double guess = otherFrom + (otherTo - otherFrom) * share;
        const double t = nearestFrom(other, point, guess, low, high);
        if (!(FBGeom_PointDistance(other.pointAtParameter(t), point) <= tolerance))
            return false;
        if ((otherTo - otherFrom) * (t - previous) < 0)
            return false;
        previous = t;
    }
    return true;
}

} // namespace

FBBezierIntersectRangePtr FBCurveStretch_Shared(const FBBezierCurvePtr &curve1,
                                                const FBBezierCurvePtr &curve2)
{
    if (!curve1 || !curve2 || (curve1->isStraightLine() && curve2->isStraightLine()) ||
        curve1->isPoint() || curve2->isPoint())
        return nullptr;
    // A share of the smaller curve: a short curve a hair beside a long one (a corner's arc
    // beside the next side of a copy moved by a hair) is no stretch of it.
    const QRectF box1Of = curve1->bounds(), box2Of = curve2->bounds();
    const double tolerance =
        FBCurveStretchTolerance * std::min(std::max(box1Of.width(), box1Of.height()),
                                           std::max(box2Of.width(), box2Of.height()));
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        return nullptr;
    // Each end of the stretch is an end of one curve lying on the other, so within the
    // tolerance of the other's box: without two such ends there is none to look for.
    const QRectF box1 = curve1->bounds().adjusted(-tolerance, -tolerance, tolerance, tolerance);
    const QRectF box2 = curve2->bounds().adjusted(-tolerance, -tolerance, tolerance, tolerance);
    auto within = [](const QRectF &b, QPointF p) {
        return p.x() >= b.left() && p.x() <= b.right() && p.y() >= b.top() && p.y() <= b.bottom();
    };
    if (int(within(box2, curve1->endPoint1())) + int(within(box2, curve1->endPoint2())) +
            int(within(box1, curve2->endPoint1())) + int(within(box1, curve2->endPoint2())) <
        2)
        return nullptr;
    // The stretch's ends are two points of the first curve, no farther apart than its box is
    // across: a curve too small for the shortest stretch (a probe of a point) shares none.
    const QRectF own = curve1->bounds();
    if (std::hypot(own.width(), own.height()) * (1.0 + 1e-9) < kShortestStretch * tolerance)
        return nullptr;
    // Each end of the stretch is an end of one curve lying on the other.
    // Ends found from both curves at one place are one end, at the curves' own ends where
    // either was found there.
    std::vector<StretchEnd> ends;
    auto isEnd = [](double t) { return t == 0.0 || t == 1.0; };
    auto addEnd = [&](StretchEnd end) {
        const QPointF at = curve1->pointAtParameter(end.t1);
        for (StretchEnd &e : ends) {
            if (FBGeom_PointDistance(curve1->pointAtParameter(e.t1), at) <= 2 * tolerance) {
                if (isEnd(end.t1))
                    e.t1 = end.t1;
                if (isEnd(end.t2))
                    e.t2 = end.t2;
                return;
            }
        }
        ends.push_back(end);
    };
    for (double t : {0.0, 1.0}) {
        if (const auto s = placeOn(*curve2, curve1->pointAtParameter(t), tolerance))
            addEnd({t, *s});
    }
    for (double s : {0.0, 1.0}) {
        if (const auto t = placeOn(*curve1, curve2->pointAtParameter(s), tolerance))
            addEnd({*t, s});
    }
    if (ends.size() != 2)
        return nullptr;
    StretchEnd first = ends[0], last = ends[1];
    if (first.t1 > last.t1)
        std::swap(first, last);
    if (!(last.t1 > first.t1) || first.t2 == last.t2)
        return nullptr;
    const double length =
        FBGeom_PointDistance(curve1->pointAtParameter(first.t1), curve1->pointAtParameter(last.t1));
    if (!(length >= kShortestStretch * tolerance))
        return nullptr;
    if (!runsAlong(*curve1, first.t1, last.t1, *curve2, first.t2, last.t2, tolerance) ||
        !runsAlong(*curve2, first.t2, last.t2, *curve1, first.t1, last.t1, tolerance))
        return nullptr;
    const bool reversed = last.t2 < first.t2;
    return FBBezierIntersectRange::intersectRangeWithCurve1(
        curve1, FBGeom_MakeRange(first.t1, last.t1), curve2,
        FBGeom_MakeRange(std::min(first.t2, last.t2), std::max(first.t2, last.t2)), reversed);
}
