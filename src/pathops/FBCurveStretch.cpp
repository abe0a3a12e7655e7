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

std::optional<std::vector<std::pair<double, double>>>
FBCurveStretch_Crossings(const FBBezierCurve &curve1, const FBBezierCurve &curve2,
                         const FBBezierIntersectRange &stretch)
{
    // Samples of curve 1 along the stretch; between two, the curves cross at most once where
    // they run this close.
    constexpr int Samples = 32;
    // Halvings of a parameter step that holds a change of sign: far below the last digit.
    constexpr int Halvings = 60;
    const FBRange range1 = stretch.parameterRange1(), range2 = stretch.parameterRange2();
    const bool reversed = stretch.reversed();
    const QRectF box1 = curve1.bounds(), box2 = curve2.bounds();
    const double size =
        std::min(std::max(box1.width(), box1.height()), std::max(box2.width(), box2.height()));
    const QRectF both = box1.united(box2);
    const double magnitude = std::max({std::abs(both.left()), std::abs(both.right()),
                                       std::abs(both.top()), std::abs(both.bottom()), size});
    // Distances below this are rounding: they tell no side.
    const double rounding = 1e-12 * magnitude;
    // The distance of curve 1's point at t from curve 2, signed by the side of curve 2 it lies
    // on, and the parameter of curve 2's nearest point.
    auto offset = [&](double t) -> std::pair<double, double> {
        const double share = (t - range1.minimum) / (range1.maximum - range1.minimum);
        const double guess = reversed ? range2.maximum - share * (range2.maximum - range2.minimum)
                                      : range2.minimum + share * (range2.maximum - range2.minimum);
        // Curve 2 only as far as the stretch runs, with a little room: beyond it lies another
        // curve's part of the outline.
        const double room = 1e-3 * (range2.maximum - range2.minimum);
        return FBCurve_SignedOffset(curve2, curve1.pointAtParameter(t), guess,
                                    std::max(0.0, range2.minimum - room),
                                    std::min(1.0, range2.maximum + room));
    };
    if (!(range1.maximum > range1.minimum) || !(size > 0) || !std::isfinite(magnitude))
        return std::nullopt;
    // Each sample's parameter on curve 1 and its offset.
    struct Sample
    {
        double t;
        double offset;
    };
    std::vector<Sample> sampled;
    sampled.reserve(Samples + 1);
    double widest = 0.0;
    for (int k = 0; k <= Samples; ++k) {
        const double t = range1.minimum + (range1.maximum - range1.minimum) * k / Samples;
        sampled.push_back({t, offset(t).first});
        widest = std::max(widest, std::abs(sampled.back().offset));
    }
    if (!(widest > FBTol_StretchApart * (1.0 + magnitude)))
        return std::nullopt;
    // Where the curves meet at an end of the stretch, the side curve 1 leaves to shows only
    // nearer that end than the next sample: a curve leaving a side at a small angle can dip
    // across it and come back within a sliver of the stretch. Samples closing in on the end,
    // halving the step, down to the last one clear of rounding, show that side.
    auto nearEnd = [&](double end, double toward) {
        std::vector<Sample> near;
        for (double share = 0.5; share > 1e-15; share *= 0.5) {
            const double t = end + (toward - end) * share;
            const double d = offset(t).first;
            if (!(std::abs(d) > rounding))
                break;
            near.push_back({t, d});
        }
        return near;
    };
    const double spacing = (range1.maximum - range1.minimum) / Samples;
    if (!(std::abs(sampled.front().offset) > rounding)) {
        std::vector<Sample> near = nearEnd(range1.minimum, range1.minimum + spacing);
        sampled.insert(sampled.begin() + 1, near.rbegin(), near.rend());
    }
    if (!(std::abs(sampled.back().offset) > rounding)) {
        std::vector<Sample> near = nearEnd(range1.maximum, range1.maximum - spacing);
        sampled.insert(sampled.end() - 1, near.begin(), near.end());
    }
    std::vector<std::pair<double, double>> crossings;
    // The last sample clear of rounding, and its side.
    int last = -1;
    for (int k = 0; k < int(sampled.size()); ++k) {
        const double d = sampled[size_t(k)].offset;
        if (!(std::abs(d) > rounding))
            continue;
        if (last >= 0 && (d > 0) != (sampled[size_t(last)].offset > 0)) {
            double low = sampled[size_t(last)].t;
            double high = sampled[size_t(k)].t;
            const bool lowPositive = sampled[size_t(last)].offset > 0;
            for (int step = 0; step < Halvings && high - low > 1e-16; ++step) {
                const double middle = 0.5 * (low + high);
                ((offset(middle).first > 0) == lowPositive ? low : high) = middle;
            }
            const double t = 0.5 * (low + high);
            crossings.emplace_back(t, offset(t).second);
        }
        last = k;
    }
    return crossings;
}

std::pair<double, double> FBCurve_SignedOffset(const FBBezierCurve &curve, QPointF point,
                                               double guess, double low, double high)
{
    const double s = nearestFrom(curve, point, guess, low, high);
    const QPointF tangent =
        FBGeom_NormalizeVector(FBCurve_DeCasteljau(FBCurve_Derivative(curve.points()), s));
    const QPointF d = point - curve.pointAtParameter(s);
    return {tangent.x() * d.y() - tangent.y() * d.x(), s};
}

bool FBCurve_ChangesSidesAt(const FBBezierCurve &curve1, double s, const FBBezierCurve &curve2,
                            double t, double clearOf)
{
    const QPointF at = curve1.pointAtParameter(s);
    // Half way to the nearer end of either curve at most: past curve 2's end its side says
    // nothing, and past curve 1's the points are another curve's.
    const double room = 0.5 * std::min({FBGeom_PointDistance(at, curve1.endPoint1()),
                                        FBGeom_PointDistance(at, curve1.endPoint2()),
                                        FBGeom_PointDistance(at, curve2.endPoint1()),
                                        FBGeom_PointDistance(at, curve2.endPoint2())});
    const double speed =
        FBGeom_VectorLength(FBCurve_DeCasteljau(FBCurve_Derivative(curve1.points()), s));
    const double step = std::min(0.5 * std::min(s, 1.0 - s), room / speed);
    if (!(step > 0) || !std::isfinite(step))
        return false;
    const QRectF box = curve1.bounds().united(curve2.bounds());
    const double rounding =
        std::max(clearOf, 1e-12 * (1.0 + std::max(std::abs(at.x()), std::abs(at.y()))) +
                              1e-11 * std::max(box.width(), box.height()));
    const double before = FBCurve_SignedOffset(curve2, curve1.pointAtParameter(s - step), t).first;
    const double after = FBCurve_SignedOffset(curve2, curve1.pointAtParameter(s + step), t).first;
    return std::abs(before) > rounding && std::abs(after) > rounding && (before > 0) != (after > 0);
}
