// Where two curves meet, by Bezier clipping: each curve is cut down to the part that can still
// lie in a strip (a fat line) around the other, until both parameter ranges shrink to a point;
// when a round removes too little, the longer range is halved and both halves are searched.
#include "pathops/FBBezierCurve.h"

#include "pathops/FBBezierIntersectRange.h"
#include "pathops/FBBezierIntersection.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBCurveStretch.h"
#include "pathops/PathOperationState.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int ConvergencePlaces = 6;
constexpr int MaxIterations = 500;
constexpr int MaxDepth = 9;
constexpr double MinimumShrink = 0.2;
constexpr int ExtraClippingRounds = 3;
// Newton's steps toward the other curve's point once one range has converged: until a step moves
// the parameter no more than rounding, at most this many. A curve whose control points lie on its
// ends (a line drawn as a cubic) starts and stops with no speed, and three steps from the middle
// of its range left it short of the crossing by more than the search accepts.
constexpr int RefinementSteps = 24;
// Points of both curves at an answered crossing lie at most this far apart.
constexpr double CrossingPointThreshold = FBTol_CrossingPoint;
constexpr double ConvergedPointSpread = FBTol_ConvergedPointSpread;
constexpr double PointRangeWidth = FBTol_PointRangeWidth;
// How far from one line the ends of two straight lines may lie and still count as on it, as a
// share of their coordinates' size: as far as an end may lie from a curve and count as on it
// (FBBezierIntersection), so that a line whose ends both meet the other's side there runs along
// it rather than passing it a hair away, touching at each end.
constexpr double CollinearTolerance = FBTol_Collinear;
// How far the two clipped ranges may pass each other by rounding alone.
constexpr double InvertedRangeTolerance = FBTol_InvertedRange;
// How near an end of its curve, by parameter, a shared stretch reads as reaching that end when
// stretches are chained along a contour.
constexpr double RunEndReach = FBTol_RunEndReach;

// Six equal decimals on a piece no longer than `widest` (by parameter), or (since cutting digits
// off parts 0.39999999999 from 0.4) a range no wider than rounding.
bool hasConverged(FBRange range, double widest)
{
    const double width = std::abs(FBGeom_RangeLength(range));
    return (FBGeom_RangeHasConverged(range, ConvergencePlaces) && width <= widest) ||
           width <= PointRangeWidth;
}

void widenRange(FBRange *range, double value)
{
    range->minimum = std::min(range->minimum, value);
    range->maximum = std::max(range->maximum, value);
}

// Moves `parameter` of `curve` toward the point `target`, staying inside `range`.
double refineWithinRange(const FBBezierCurve &curve, FBRange range, QPointF target)
{
    double t = FBGeom_RangeAverage(range);
    for (int i = 0; i < RefinementSteps; ++i) {
        const double before = t;
        t = curve.refineParameter(t, target);
        t = std::isnan(t) ? range.maximum : std::clamp(t, range.minimum, range.maximum);
        if (std::abs(t - before) <= 1e-15)
            break;
    }
    return t;
}

double extent(const FBBezierCurve &curve)
{
    const QRectF box = curve.bounds();
    return std::max(box.width(), box.height());
}

// The two curves' sizes together, as shares of them are taken: a speck against a long side counts
// as no more than FBTol_LikeSizeRatio times the speck's size.
double pairExtent(const FBBezierCurve &us, const FBBezierCurve &them)
{
    const double a = extent(us), b = extent(them);
    return std::min(a + b, 2.0 * FBTol_LikeSizeRatio * std::min(a, b));
}

double largestCoordinate(const FBBezierCurve &curve)
{
    return std::max({std::abs(curve.endPoint1().x()), std::abs(curve.endPoint1().y()),
                     std::abs(curve.endPoint2().x()), std::abs(curve.endPoint2().y())});
}

// The distances a search of two curves decides by, taken at the smaller curve's scale: a long
// side against a speck converges until its piece is short beside the speck, and takes the speck's
// pieces for points only when they are small beside the speck itself.
struct PairScale
{
    double smaller = 0;
    double pointSpread = 0;
    double usWidest = 0;
    double themWidest = 0;
    // The factor (a power of two) taking distances to a strip to the smaller curve's scale.
    double magnify = 1.0;
};

PairScale pairScaleOf(const FBBezierCurve &us, const FBBezierCurve &them)
{
    PairScale scale;
    const double usSize = extent(us), themSize = extent(them);
    // Never below the rounding of the coordinates (a curve drawn as one point has no size).
    const double rounding = 1e-12 * std::max({largestCoordinate(us), largestCoordinate(them), 1.0});
    scale.smaller = std::max(std::min(usSize, themSize), rounding);
    scale.pointSpread = FBTol_AtCurveSize(FBTol_PointCurveSpread, scale.smaller);
    if (scale.smaller < FBTol_FixedScaleCurveSize)
        scale.magnify = std::exp2(std::floor(std::log2(FBTol_FixedScaleCurveSize / scale.smaller)));
    // Six places already hold a piece under a millionth of its curve: this bites only where the
    // curves differ in size by a hundred times or more.
    const double piece = FBTol_ConvergedPieceShare * scale.smaller;
    scale.usWidest = usSize > 0 ? piece / usSize : 1.0;
    scale.themWidest = themSize > 0 ? piece / themSize : 1.0;
    return scale;
}

// Both curves really pass (nearly) through one point at the middles of their ranges. Ranges
// converged to six places still leave the points apart by up to a millionth of the curves'
// size, which the threshold allows for on large coordinates; between a curve and a much smaller
// one, no farther apart than a share of the smaller.
bool middlesMeet(const FBBezierCurve &originalUs, FBRange usRange,
                 const FBBezierCurve &originalThem, FBRange themRange, const PairScale &scale)
{
    const QPointF usPoint = originalUs.pointAtParameter(FBGeom_RangeAverage(usRange));
    const QPointF themPoint = originalThem.pointAtParameter(FBGeom_RangeAverage(themRange));
    // Within the smallest threshold the curves' sizes need not be measured.
    const double smallest = FBTol_AtCurveSize(CrossingPointThreshold, scale.smaller);
    if (FBGeom_ArePointsCloseWithThreshold(usPoint, themPoint, smallest))
        return true;
    const double threshold =
        FBTol_AtCurveSize(std::max(CrossingPointThreshold,
                                   ConvergedPointSpread * pairExtent(originalUs, originalThem)),
                          scale.smaller);
    return FBGeom_ArePointsCloseWithThreshold(usPoint, themPoint, threshold);
}

// The clip of a very short piece against another can fail by rounding alone where the two
// really cross: the piece's strip is only as wide as its last digits. Pieces this short are
// straight to well within the search's tolerance, so their chords tell.
constexpr double ShortPieceRange = FBTol_ShortPieceRange;
constexpr double ShortPieceCrossingSine = FBTol_ShortPieceCrossingSine;

bool shortPiecesCross(const FBBezierCurve &originalUs, FBRange usRange,
                      const FBBezierCurve &originalThem, FBRange themRange)
{
    if (!(std::abs(FBGeom_RangeLength(usRange)) <= ShortPieceRange) ||
        !(std::abs(FBGeom_RangeLength(themRange)) <= ShortPieceRange))
        return false;
    const QPointF a0 = originalUs.pointAtParameter(usRange.minimum);
    const QPointF a1 = originalUs.pointAtParameter(usRange.maximum);
    const QPointF b0 = originalThem.pointAtParameter(themRange.minimum);
    const QPointF b1 = originalThem.pointAtParameter(themRange.maximum);
    auto side = [](QPointF p, QPointF q, QPointF r) {
        return (q.x() - p.x()) * (r.y() - p.y()) - (q.y() - p.y()) * (r.x() - p.x());
    };
    // Rounding of the cross products themselves, relative to the size of the numbers; between a
    // curve and a speck (smaller than FBTol_FixedScaleCurveSize), at the speck's scale, but never
    // below what rounding the differences of such coordinates leaves in the products.
    const double scale =
        std::max({std::abs(a0.x()), std::abs(a0.y()), std::abs(b0.x()), std::abs(b0.y()), 1.0});
    const double smaller = std::min(extent(originalUs), extent(originalThem));
    const double chords =
        FBGeom_PointDistance(a0, a1) + FBGeom_PointDistance(b0, b1) + FBGeom_PointDistance(a0, b0);
    const double slack =
        std::max(1e-12 * scale * scale * std::min(1.0, smaller / FBTol_FixedScaleCurveSize),
                 1e-15 * scale * chords);
    // Only where the pieces clearly cut across each other: nearly parallel pieces may pass a
    // hair apart, and taking them as crossing would add a crossing that is not there.
    const QPointF ua = FBGeom_NormalizeVector(FBGeom_SubtractPoints(a1, a0));
    const QPointF ub = FBGeom_NormalizeVector(FBGeom_SubtractPoints(b1, b0));
    if (!(std::abs(ua.x() * ub.y() - ua.y() * ub.x()) >= ShortPieceCrossingSine))
        return false;
    const double b0Side = side(a0, a1, b0), b1Side = side(a0, a1, b1);
    const double a0Side = side(b0, b1, a0), a1Side = side(b0, b1, a1);
    return std::min(b0Side, b1Side) <= slack && std::max(b0Side, b1Side) >= -slack &&
           std::min(a0Side, a1Side) <= slack && std::max(a0Side, a1Side) >= -slack;
}

// Clipping is exact only up to rounding: where the ranges have already closed in on a crossing
// from one side, the next clip can shave the crossing itself off by the last digits of a strip
// and report that the pieces miss each other. The crossing then sits at a corner of the ranges,
// where both curves pass through (nearly) one point and cut clearly across each other, or, where
// they cut across at a shallow angle, next to that corner. How far the search closes in before
// the shave depends on the curves' size against its fixed tolerances, so without this a shallow
// crossing comes and goes with the units. Crossings at a curve's end are left to the joint
// handling, which has its own rules.
constexpr double LostCrossingSpread = FBTol_LostCrossingSpread;
constexpr double LostCrossingEndMargin = FBTol_LostCrossingEndMargin;

QPointF tangentAt(const FBBezierCurve &curve, double t)
{
    const QPointF p0 = curve.endPoint1(), p1 = curve.controlPoint1();
    const QPointF p2 = curve.controlPoint2(), p3 = curve.endPoint2();
    const double s = 1 - t;
    return 3 * (s * s * (p1 - p0) + 2 * s * t * (p2 - p1) + t * t * (p3 - p2));
}

// Curves cutting across each other at a shallow angle (sine under ShortPieceCrossingSine, but at
// least ShallowCrossingSine all the way) cross where Newton's steps on both parameters from the
// corner lead, when that lies within a range's width of the ranges: the shaved crossing. Nothing
// where the steps do not settle on one point of both curves there (curves passing a hair apart).
constexpr double ShallowCrossingSine = FBTol_ShallowCrossingSine;

std::optional<std::pair<double, double>>
shallowCrossingNear(const FBBezierCurve &us, FBRange usRange, const FBBezierCurve &them,
                    FBRange themRange, std::pair<double, double> corner)
{
    auto [u, t] = corner;
    const QPointF at = us.pointAtParameter(u);
    const double rounding =
        1e-12 * pairExtent(us, them) + 1e-15 * std::max(std::abs(at.x()), std::abs(at.y()));
    for (int step = 0; step < 16; ++step) {
        const QPointF offset = us.pointAtParameter(u) - them.pointAtParameter(t);
        const QPointF a = tangentAt(us, u), b = tangentAt(them, t);
        const double det = a.y() * b.x() - a.x() * b.y();
        if (!(std::abs(det) >=
              ShallowCrossingSine * FBGeom_VectorLength(a) * FBGeom_VectorLength(b)))
            return std::nullopt;
        if (FBGeom_VectorLength(offset) <= rounding)
            break;
        u += (offset.x() * b.y() - offset.y() * b.x()) / det;
        t += (a.y() * offset.x() - a.x() * offset.y()) / det;
        if (!std::isfinite(u) || !std::isfinite(t))
            return std::nullopt;
    }
    if (!(FBGeom_PointDistance(us.pointAtParameter(u), them.pointAtParameter(t)) <= rounding))
        return std::nullopt;
    auto near = [](FBRange r, double v) {
        const double width = FBGeom_RangeLength(r);
        return v >= r.minimum - width && v <= r.maximum + width;
    };
    if (!near(usRange, u) || !near(themRange, t))
        return std::nullopt;
    return std::make_pair(u, t);
}

// `closedIn`: one of the ranges has converged, or they are a half's after a split. Between a long
// curve and a speck, the long curve's range closes in on the crossing to a piece a few dozen units
// of its last digit long while the speck's is still wide, and the next clip, of the speck against
// that piece, shaves the crossing off by rounding with no corner near it: Newton's steps from the
// nearest corner find it there too, however steeply the curves cross. So for a half that ends on
// a crossing the clips before the split closed in on from outside: they stop wherever their
// shrink falls below a fifth, which left a long arc's range past the second crossing of a speck's
// quarter circle by half a ten-thousandth of the speck, five times the corner's closeness.
std::optional<std::pair<double, double>> crossingAtCorner(const FBBezierCurve &originalUs,
                                                          FBRange usRange,
                                                          const FBBezierCurve &originalThem,
                                                          FBRange themRange, bool closedIn)
{
    const double threshold = LostCrossingSpread * pairExtent(originalUs, originalThem);
    std::optional<std::pair<double, double>> best;
    double bestDistance = 0;
    for (double u : {usRange.minimum, usRange.maximum}) {
        for (double t : {themRange.minimum, themRange.maximum}) {
            const double d = FBGeom_PointDistance(originalUs.pointAtParameter(u),
                                                  originalThem.pointAtParameter(t));
            if (!(d <= threshold) || (best && d >= bestDistance))
                continue;
            best = std::make_pair(u, t);
            bestDistance = d;
        }
    }
    if (!best) {
        // Curves cutting across at a very shallow angle: the ranges close in on the crossing
        // along the curves, and the clip shaves it off while the corners still lie apart along
        // them by far more than the threshold. Newton's steps from the nearest corner find it.
        double nearest = 0;
        for (double u : {usRange.minimum, usRange.maximum}) {
            for (double t : {themRange.minimum, themRange.maximum}) {
                const double d = FBGeom_PointDistance(originalUs.pointAtParameter(u),
                                                      originalThem.pointAtParameter(t));
                if (!best || d < nearest) {
                    best = std::make_pair(u, t);
                    nearest = d;
                }
            }
        }
        const QPointF ua = FBGeom_NormalizeVector(tangentAt(originalUs, best->first));
        const QPointF ub = FBGeom_NormalizeVector(tangentAt(originalThem, best->second));
        if (!closedIn && !(std::abs(ua.x() * ub.y() - ua.y() * ub.x()) < ShortPieceCrossingSine))
            return std::nullopt;
        best = shallowCrossingNear(originalUs, usRange, originalThem, themRange, *best);
        if (!best)
            return std::nullopt;
    }
    // The margin is taken at the smaller curve's scale: on a long curve across a speck it is the
    // share of the long curve as long as the margin of the speck, so that a crossing half a speck
    // from the long curve's joint (a ten-billionth of its length) is the speck's side's, not the
    // joint's.
    const double smaller = std::min(extent(originalUs), extent(originalThem));
    auto marginOf = [smaller](const FBBezierCurve &curve) {
        const double size = extent(curve);
        return size > smaller ? LostCrossingEndMargin * (smaller / size) : LostCrossingEndMargin;
    };
    const double usMargin = marginOf(originalUs), themMargin = marginOf(originalThem);
    const auto inside = [usMargin, themMargin](std::pair<double, double> at) {
        return at.first > usMargin && at.first < 1 - usMargin && at.second > themMargin &&
               at.second < 1 - themMargin;
    };
    if (!inside(*best))
        return std::nullopt;
    const QPointF ua = FBGeom_NormalizeVector(tangentAt(originalUs, best->first));
    const QPointF ub = FBGeom_NormalizeVector(tangentAt(originalThem, best->second));
    if (!(std::abs(ua.x() * ub.y() - ua.y() * ub.x()) >= ShortPieceCrossingSine)) {
        best = shallowCrossingNear(originalUs, usRange, originalThem, themRange, *best);
        if (!best || !inside(*best))
            return std::nullopt;
    }
    return best;
}

// Two straight lines on one line meet along a stretch, at a point, or not at all; clipping
// cannot always tell (it may stall on a short shared stretch and answer a point), so they are
// measured directly. nullopt when the lines do not lie on one line.
std::optional<std::vector<FBBezierIntersectionPtr>>
collinearLinesMeet(const FBBezierCurvePtr &us, const FBBezierCurvePtr &them,
                   FBBezierIntersectRangePtr *overlapRange)
{
    const QPointF a1 = us->endPoint1();
    const QPointF a2 = us->endPoint2();
    const QPointF b1 = them->endPoint1();
    const QPointF b2 = them->endPoint2();
    const QPointF usDirection = FBGeom_SubtractPoints(a2, a1);
    const QPointF themDirection = FBGeom_SubtractPoints(b2, b1);
    const double usLength2 = FBGeom_SquaredLength(usDirection);
    const double themLength2 = FBGeom_SquaredLength(themDirection);
    if (!(usLength2 > 0) || !(themLength2 > 0))
        return std::nullopt;
    // At the shorter line's scale where that is small: a speck's side level with a long line's
    // a hair of the speck away does not lie on it.
    const double largest = std::max(largestCoordinate(*us), largestCoordinate(*them));
    const double tolerance = FBTol_AtCurveSize(
        CollinearTolerance * (1.0 + largest), std::sqrt(std::min(usLength2, themLength2)), largest);
    // The shorter line's ends against the longer line: a short line's own direction, taken
    // out to the longer line's far ends, would carry the rounding of its ends that far.
    const bool usLonger = usLength2 >= themLength2;
    const FBNormalizedLine line = usLonger ? FBGeom_NormalizedLineFromPoints(a1, a2)
                                           : FBGeom_NormalizedLineFromPoints(b1, b2);
    const QPointF ends[] = {usLonger ? b1 : a1, usLonger ? b2 : a2};
    if (!(std::abs(FBGeom_DistanceFromPointToLine(ends[0], line)) <= tolerance) ||
        !(std::abs(FBGeom_DistanceFromPointToLine(ends[1], line)) <= tolerance))
        return std::nullopt;
    auto onUs = [&](QPointF p) {
        return FBGeom_DotProduct(FBGeom_SubtractPoints(p, a1), usDirection) / usLength2;
    };
    auto onThem = [&](QPointF p) {
        return FBGeom_DotProduct(FBGeom_SubtractPoints(p, b1), themDirection) / themLength2;
    };
    const double t1 = onUs(b1);
    const double t2 = onUs(b2);
    const double low = std::max(0.0, std::min(t1, t2));
    const double high = std::min(1.0, std::max(t1, t2));
    const double slack = tolerance / std::sqrt(usLength2);
    if (low > high + slack)
        return std::vector<FBBezierIntersectionPtr>{};
    const double s1 = std::clamp(onThem(us->pointAtParameter(low)), 0.0, 1.0);
    const double s2 = std::clamp(onThem(us->pointAtParameter(high)), 0.0, 1.0);
    // Lines on one line whose joints lie a hair apart share a stretch that may lie, on the first
    // line, within the reach of its end by which the stretch beside it on the same line already
    // reaches that end: the lines meet there at a point. Taken as a stretch, it would follow
    // that one on the same edge, where a chain of stretches along the first line's contour
    // cannot place it, and break the run they make.
    // A stretch that holds a good share of the shorter line (a speck's side along a long side
    // up to its corner) is one, however near the longer line's end it lies.
    const double stretchLength = (high - low) * std::sqrt(usLength2);
    const bool besideEnd =
        ((low <= RunEndReach && high <= RunEndReach) ||
         (low >= 1.0 - RunEndReach && high >= 1.0 - RunEndReach)) &&
        stretchLength <= FBTol_ShortStretchShare * std::sqrt(std::min(usLength2, themLength2));
    if (high - low <= slack || besideEnd) {
        const double t = std::clamp(FBGeom_RangeAverage(FBGeom_MakeRange(low, high)), 0.0, 1.0);
        return std::vector<FBBezierIntersectionPtr>{
            FBBezierIntersection::intersectionWithCurve1(us, t, them, (s1 + s2) * 0.5)};
    }
    if (overlapRange) {
        const bool reversed = FBGeom_DotProduct(usDirection, themDirection) < 0;
        *overlapRange = FBBezierIntersectRange::intersectRangeWithCurve1(
            us, FBGeom_MakeRange(low, high), them,
            FBGeom_MakeRange(std::min(s1, s2), std::max(s1, s2)), reversed);
    }
    return std::vector<FBBezierIntersectionPtr>{};
}

FBNormalizedLine regularFatLineOf(const FBCurvePoints &p, FBRange *range)
{
    // Through the first end point to its last digits: the line's offset taken from the products
    // of both ends' coordinates cancels, and divided by the chord of a short piece far from the
    // origin, its rounding would move the strip off the piece by more than the strip is wide (a
    // curve touching a line at its own end along it then meets nothing).
    FBNormalizedLine line = FBGeom_NormalizedLineFromPoints(p[0], p[3]);
    line.c = -(line.a * p[0].x() + line.b * p[0].y());
    const double d1 = FBGeom_DistanceFromPointToLine(p[1], line);
    const double d2 = FBGeom_DistanceFromPointToLine(p[2], line);
    *range = FBGeom_MakeRange(std::min({d1, d2, 0.0}), std::max({d1, d2, 0.0}));
    return line;
}

FBNormalizedLine perpendicularFatLineOf(const FBCurvePoints &p, FBRange *range)
{
    // FBGeom_LineNormal and FBGeom_LineMidpoint of the end points, sharing the one length both
    // take of the chord (its normal has the same length to the last digit).
    const QPointF chord = FBGeom_SubtractPoints(p[3], p[0]);
    const double chordLength = FBGeom_VectorLength(chord);
    const QPointF turned(p[0].y() - p[3].y(), p[3].x() - p[0].x());
    const QPointF normal =
        chordLength == 0.0 ? turned : QPointF(turned.x() / chordLength, turned.y() / chordLength);
    const QPointF direction =
        chordLength == 0.0 ? chord : QPointF(chord.x() / chordLength, chord.y() / chordLength);
    const QPointF middle =
        FBGeom_AddPoints(p[0], FBGeom_ScaleVectorToLength(direction, chordLength / 2.0));
    const FBNormalizedLine line =
        FBGeom_NormalizedLineFromPoints(middle, FBGeom_AddPoints(middle, normal));
    const double d0 = FBGeom_DistanceFromPointToLine(p[0], line);
    const double d1 = FBGeom_DistanceFromPointToLine(p[1], line);
    const double d2 = FBGeom_DistanceFromPointToLine(p[2], line);
    const double d3 = FBGeom_DistanceFromPointToLine(p[3], line);
    *range = FBGeom_MakeRange(std::min({d0, d1, d2, d3}), std::max({d0, d1, d2, d3}));
    return line;
}

// `magnify` (a power of two, so exact) takes the distances to the smaller curve's scale, where the
// hull's and the strip's closeness hold as they do for curves of ordinary size.
FBRange clipPointsWithFatLine(const FBCurvePoints &p, const FBNormalizedLine &fatLine,
                              FBRange bounds, double magnify = 1.0)
{
    constexpr double close = FBPointClosenessThreshold;
    bounds = FBGeom_MakeRange(bounds.minimum * magnify, bounds.maximum * magnify);
    // The distance curve: parameter across, distance from the line up. Where its hull lies
    // inside the strip is where the curve can.
    const FBCurveHull hull =
        FBCurve_HullOfDistanceCurve(FBGeom_DistanceFromPointToLine(p[0], fatLine) * magnify,
                                    FBGeom_DistanceFromPointToLine(p[1], fatLine) * magnify,
                                    FBGeom_DistanceFromPointToLine(p[2], fatLine) * magnify,
                                    FBGeom_DistanceFromPointToLine(p[3], fatLine) * magnify);

    FBRange range = FBGeom_MakeRange(1.0, 0.0);
    for (std::size_t i = 0; i < hull.count; ++i) {
        const QPointF start = hull[i];
        const QPointF end = hull[i + 1 < hull.count ? i + 1 : 0];
        // FBGeom_LineIntersectsHorizontalLine for both boundaries, with the edge's extent and
        // slope taken once.
        const double low = std::min(start.y(), end.y());
        const double high = std::max(start.y(), end.y());
        const bool upright = start.x() == end.x() || start.y() == end.y();
        const double slope = upright ? 0.0 : (end.y() - start.y()) / (end.x() - start.x());
        for (double boundary : {bounds.minimum, bounds.maximum}) {
            const bool reaches =
                !(low > boundary && !FBGeom_AreValuesCloseWithThreshold(low, boundary, close)) &&
                !(boundary > high && !FBGeom_AreValuesCloseWithThreshold(boundary, high, close)) &&
                low <= high;
            if (reaches)
                widenRange(&range,
                           upright ? start.x() : (boundary - start.y()) / slope + start.x());
            // A flat hull lying on the boundary touches it everywhere.
            if (hull.count == 2 && FBGeom_AreValuesCloseWithThreshold(start.y(), end.y(), close) &&
                FBGeom_AreValuesCloseWithThreshold(start.y(), boundary, close) &&
                !FBGeom_AreValuesCloseWithThreshold(bounds.minimum, bounds.maximum, close))
                range = FBGeom_MakeRange(0.0, 1.0);
        }
        if (bounds.minimum < start.y() && start.y() < bounds.maximum)
            widenRange(&range, start.x());
    }
    return range;
}

// A piece of a curve while the search narrows it, held by value.
struct Piece
{
    FBCurvePoints points;
    bool isStraightLine = false;
};

Piece pieceOf(const FBBezierCurve &curve)
{
    return Piece{curve.points(), curve.isStraightLine()};
}

bool isPoint(const Piece &piece, double spread)
{
    const FBCurvePoints &p = piece.points;
    return FBGeom_ArePointsCloseWithThreshold(p[0], p[1], spread) &&
           FBGeom_ArePointsCloseWithThreshold(p[0], p[2], spread) &&
           FBGeom_ArePointsCloseWithThreshold(p[0], p[3], spread);
}

// The piece of `original` that may still meet `other`, narrowing `originalRange` to it;
// `piece` itself and `intersects` false when nothing can.
Piece clipPiece(const Piece &piece, const Piece &other, const Piece &original,
                FBRange *originalRange, bool *intersects, double magnify = 1.0)
{
    FBRange fatLineBounds;
    const FBNormalizedLine fatLine = regularFatLineOf(other.points, &fatLineBounds);
    const FBRange regularClippedRange =
        clipPointsWithFatLine(piece.points, fatLine, fatLineBounds, magnify);
    if (FBGeom_RangeIsEmptyMarker(regularClippedRange)) {
        *intersects = false;
        return piece;
    }
    FBRange perpendicularBounds;
    const FBNormalizedLine perpendicularLine =
        perpendicularFatLineOf(other.points, &perpendicularBounds);
    const FBRange perpendicularClippedRange =
        clipPointsWithFatLine(piece.points, perpendicularLine, perpendicularBounds, magnify);
    if (FBGeom_RangeIsEmptyMarker(perpendicularClippedRange)) {
        *intersects = false;
        return piece;
    }
    FBRange clippedRange =
        FBGeom_MakeRange(std::max(regularClippedRange.minimum, perpendicularClippedRange.minimum),
                         std::min(regularClippedRange.maximum, perpendicularClippedRange.maximum));
    if (clippedRange.minimum > clippedRange.maximum) {
        // Ranges that only touch (a crossing at an end) may cross by rounding: one parameter.
        // Beyond that the curve lies in either strip but in no part of both, and an inverted
        // range would cut a piece from outside the curve.
        if (!FBGeom_AreValuesCloseWithThreshold(clippedRange.minimum, clippedRange.maximum,
                                                InvertedRangeTolerance)) {
            *intersects = false;
            return piece;
        }
        const double middle = FBGeom_RangeAverage(clippedRange);
        clippedRange = FBGeom_MakeRange(middle, middle);
    }
    *originalRange =
        FBGeom_MakeRange(FBGeom_RangeInterpolate(*originalRange, clippedRange.minimum),
                         FBGeom_RangeInterpolate(*originalRange, clippedRange.maximum));
    *intersects = true;
    // Always cut from the whole curve so that rounding does not pile up.
    return Piece{FBCurve_SubcurveWithRange(original.points, *originalRange),
                 original.isStraightLine};
}

// What stays the same through one search, from the two whole curves down to every split.
struct Search
{
    const FBBezierCurvePtr &originalUs;
    const FBBezierCurvePtr &originalThem;
    Piece wholeUs;
    Piece wholeThem;
    FBBezierIntersectRangePtr *overlapRange;
    std::vector<FBBezierIntersectionPtr> *found;
    // Crossings taken back at a range's corner after a clip shaved them off (see
    // crossingAtCorner); kept apart, as the neighbouring range may find the same one.
    std::vector<std::pair<double, double>> *lost;
    PairScale scale;
};

// After a clip found that the pieces miss each other, where rounding may be the cause: true
// when two very short pieces still cross on their chords (the search then answers them);
// otherwise a crossing shaved off at the ranges' corner is kept aside. `half`: the ranges are a
// half's, searched after a split, or have closed in on a speck (closedInOnSpeck).
bool missedByRounding(const Search &search, FBRange usRange, FBRange themRange, bool half)
{
    if (shortPiecesCross(*search.originalUs, usRange, *search.originalThem, themRange))
        return true;
    const bool closedIn = half || hasConverged(usRange, search.scale.usWidest) ||
                          hasConverged(themRange, search.scale.themWidest);
    if (auto corner = crossingAtCorner(*search.originalUs, usRange, *search.originalThem, themRange,
                                       closedIn))
        search.lost->push_back(*corner);
    return false;
}

// Whether the range of a curve far larger than the other (FBTol_LikeSizeRatio) has closed in to a
// piece of the smaller curve's scale: a long curve's first clip against a speck cuts it down to
// the speck's strip at once, and the clip of the speck that follows runs at that piece's rounding,
// as the clips after a first round do.
bool closedInOnSpeck(const Search &search, FBRange usRange, FBRange themRange)
{
    const double reach = FBTol_LikeSizeRatio * search.scale.smaller;
    auto closed = [reach](const FBBezierCurve &whole, FBRange range) {
        const double size = extent(whole);
        return size > reach && std::abs(FBGeom_RangeLength(range)) * size <= reach;
    };
    return closed(*search.originalUs, usRange) || closed(*search.originalThem, themRange);
}

// One level of the search: `startUs` is the piece `usRange` of the first whole curve,
// `startThem` the piece `themRange` of the second. Crossings go to the search's list in order.
void searchPieces(const Search &search, const Piece &startUs, const Piece &startThem,
                  FBRange *usRange, FBRange *themRange, int depth)
{
    PathOperation_CheckCancelAndTimeLimit();
    const FBBezierCurve &originalUs = *search.originalUs;
    const FBBezierCurve &originalThem = *search.originalThem;

    Piece us = startUs;
    Piece them = startThem;
    Piece previousUs = us;
    Piece previousThem = them;
    // A clip that finds the pieces apart may have shaved a crossing off by rounding once the
    // ranges have closed in on it: after this search's first clip, or from its start when it
    // searches a half, whose ranges the clips before the split closed in (on two crossings of a
    // long curve across a speck's arc, from outside, to its last digits; or on a crossing shaved
    // off while another kept the ranges open, as a line passing a hair beside a spike's tip
    // crosses one side there and the curve again farther on).
    // Also, within the first round, once a long curve's range has closed in on a speck.
    auto closedIn = [depth](int iterations) { return iterations > 0 || depth > 0; };
    auto lookBack = [&](int iterations) {
        const bool onSpeck = closedInOnSpeck(search, *usRange, *themRange);
        return (closedIn(iterations) || onSpeck) &&
               missedByRounding(search, *usRange, *themRange, depth > 0 || onSpeck);
    };

    for (int iterations = 0; iterations < MaxIterations &&
                             (iterations == 0 || !hasConverged(*usRange, search.scale.usWidest) ||
                              !hasConverged(*themRange, search.scale.themWidest));
         ++iterations) {
        const FBRange previousUsRange = *usRange;
        const FBRange previousThemRange = *themRange;
        bool intersects = false;

        if (!isPoint(them, search.scale.pointSpread))
            previousThem = them;
        us = clipPiece(previousUs, previousThem, search.wholeUs, usRange, &intersects,
                       search.scale.magnify);
        if (!intersects) {
            if (lookBack(iterations))
                break;
            return;
        }
        if (iterations > 0 &&
            (isPoint(us, search.scale.pointSpread) || isPoint(them, search.scale.pointSpread)))
            break;
        if (!isPoint(us, search.scale.pointSpread))
            previousUs = us;

        them = clipPiece(previousThem, previousUs, search.wholeThem, themRange, &intersects,
                         search.scale.magnify);
        if (!intersects) {
            if (lookBack(iterations))
                break;
            return;
        }
        if (iterations > 0 &&
            (isPoint(us, search.scale.pointSpread) || isPoint(them, search.scale.pointSpread)))
            break;

        const double previousUsLength = FBGeom_RangeLength(previousUsRange);
        const double previousThemLength = FBGeom_RangeLength(previousThemRange);
        const double usShrink =
            (previousUsLength - FBGeom_RangeLength(*usRange)) / previousUsLength;
        const double themShrink =
            (previousThemLength - FBGeom_RangeLength(*themRange)) / previousThemLength;
        if (usShrink >= MinimumShrink || themShrink >= MinimumShrink)
            continue;

        // Clipping stalled: either the curves run on each other, or there are several crossings.
        const bool sameWay =
            FBCurve_IsEqual(us.points, us.isStraightLine, them.points, them.isStraightLine);
        if (sameWay || FBCurve_IsEqual(us.points, us.isStraightLine, FBCurve_Reversed(them.points),
                                       them.isStraightLine)) {
            if (search.overlapRange)
                *search.overlapRange = FBBezierIntersectRange::intersectRangeWithCurve1(
                    search.originalUs, *usRange, search.originalThem, *themRange, !sameWay);
            return;
        }

        const bool splitUs = FBGeom_RangeLength(*usRange) > FBGeom_RangeLength(*themRange);
        const FBRange splitRange = splitUs ? *usRange : *themRange;
        const FBRange otherRange = splitUs ? *themRange : *usRange;
        const FBRange halves[2] = {
            FBGeom_MakeRange(splitRange.minimum, FBGeom_RangeAverage(splitRange)),
            FBGeom_MakeRange(FBGeom_RangeAverage(splitRange), splitRange.maximum)};
        const double splitWidest = splitUs ? search.scale.usWidest : search.scale.themWidest;
        const double otherWidest = splitUs ? search.scale.themWidest : search.scale.usWidest;
        const bool halvesResolved =
            (hasConverged(halves[0], splitWidest) && hasConverged(otherRange, otherWidest)) ||
            (hasConverged(halves[1], splitWidest) && hasConverged(otherRange, otherWidest));
        if (depth <= MaxDepth && !halvesResolved) {
            for (FBRange half : halves) {
                FBRange otherCopy = otherRange;
                if (splitUs) {
                    const Piece piece{FBCurve_SubcurveWithRange(search.wholeUs.points, half),
                                      search.wholeUs.isStraightLine};
                    searchPieces(search, piece, them, &half, &otherCopy, depth + 1);
                } else {
                    const Piece piece{FBCurve_SubcurveWithRange(search.wholeThem.points, half),
                                      search.wholeThem.isStraightLine};
                    searchPieces(search, us, piece, &otherCopy, &half, depth + 1);
                }
            }
            return;
        }
        if (previousUsLength == FBGeom_RangeLength(*usRange) &&
            previousThemLength == FBGeom_RangeLength(*themRange))
            return;
    }

    if (!hasConverged(*usRange, search.scale.usWidest) ||
        !hasConverged(*themRange, search.scale.themWidest)) {
        for (int round = 0; round < ExtraClippingRounds; ++round) {
            bool intersects = false;
            us = clipPiece(us, them, search.wholeUs, usRange, &intersects, search.scale.magnify);
            if (!intersects)
                us = clipPiece(previousUs, previousThem, search.wholeUs, usRange, &intersects,
                               search.scale.magnify);
            them =
                clipPiece(them, us, search.wholeThem, themRange, &intersects, search.scale.magnify);
            if (!intersects)
                them = clipPiece(previousThem, previousUs, search.wholeThem, themRange, &intersects,
                                 search.scale.magnify);
            if (!isPoint(them, search.scale.pointSpread))
                previousThem = them;
            if (!isPoint(us, search.scale.pointSpread))
                previousUs = us;
        }
    }

    // A piece that is a point has converged too, whatever the digits of its range: a speck's
    // piece shrinks to a point while its range is still wider than six places, and the long
    // curve's range, left wide by the clip before, is then refined toward that point.
    const bool usConverged =
        hasConverged(*usRange, search.scale.usWidest) || isPoint(us, search.scale.pointSpread);
    const bool themConverged = hasConverged(*themRange, search.scale.themWidest) ||
                               isPoint(them, search.scale.pointSpread);
    // One curve's range refined to the parameter nearest the middle of the other's.
    auto refineToward = [](const FBBezierCurve &curve, FBRange *range, const FBBezierCurve &other,
                           FBRange otherRange) {
        const QPointF target = other.pointAtParameter(FBGeom_RangeAverage(otherRange));
        const double t = refineWithinRange(curve, *range, target);
        *range = FBGeom_MakeRange(t, t);
    };
    if (themConverged && !usConverged)
        refineToward(originalUs, usRange, originalThem, *themRange);
    else if (usConverged && !themConverged)
        refineToward(originalThem, themRange, originalUs, *usRange);
    // The curves must really meet there, or the search would answer a crossing that is not:
    // clipping can also shrink both ranges to points that lie apart, when a curve's strip only
    // touches the other's end.
    if (!middlesMeet(originalUs, *usRange, originalThem, *themRange, search.scale)) {
        // A long curve's range, closed in to a piece still as long as a good share of a speck
        // when the clips stop (neither range converged: the speck's piece lies a hair from its
        // joint), has its middle off the crossing by that much: it is refined toward the
        // speck's point, which the speck's short range holds, and asked again.
        const double usLength = FBGeom_RangeLength(*usRange) * extent(originalUs);
        const double themLength = FBGeom_RangeLength(*themRange) * extent(originalThem);
        if (usConverged || themConverged || !(std::max(usLength, themLength) > 0))
            return;
        if (usLength > themLength)
            refineToward(originalUs, usRange, originalThem, *themRange);
        else
            refineToward(originalThem, themRange, originalUs, *usRange);
        if (!middlesMeet(originalUs, *usRange, originalThem, *themRange, search.scale))
            return;
    }
    search.found->push_back(FBBezierIntersection::intersectionWithCurve1(
        search.originalUs, FBGeom_RangeAverage(*usRange), search.originalThem,
        FBGeom_RangeAverage(*themRange)));
}

} // namespace

FBNormalizedLine FBBezierCurve::regularFatLineBounds(FBRange *range) const
{
    return regularFatLineOf(points(), range);
}

FBNormalizedLine FBBezierCurve::perpendicularFatLineBounds(FBRange *range) const
{
    return perpendicularFatLineOf(points(), range);
}

FBRange FBBezierCurve::clipWithFatLine(const FBNormalizedLine &fatLine, FBRange bounds) const
{
    return clipPointsWithFatLine(points(), fatLine, bounds);
}

FBBezierCurvePtr FBBezierCurve::bezierClipWithBezierCurve(const FBBezierCurvePtr &curve,
                                                          const FBBezierCurvePtr &original,
                                                          FBRange *originalRange,
                                                          bool *intersects) const
{
    const Piece clipped =
        clipPiece(pieceOf(*this), pieceOf(*curve), pieceOf(*original), originalRange, intersects);
    return *intersects ? make(clipped.points, clipped.isStraightLine) : self();
}

namespace {

// How near an end, by parameter, a speck lies beside it.
constexpr double SpeckEndReach = FBTol_SpeckEndReach;

// Whether a stretch the clipping found is shorter on both curves than the shortest stretch the
// shared-stretch test accepts (ten of its tolerances, measured on the smaller curve): there a
// stretch, a touch and a crossing look alike.
bool isSpeck(const FBBezierIntersectRange &range)
{
    const FBBezierCurve &c1 = *range.curve1();
    const FBBezierCurve &c2 = *range.curve2();
    auto size = [](const FBBezierCurve &c) {
        const QRectF b = c.bounds();
        return std::max(b.width(), b.height());
    };
    const double shortest = 10.0 * FBCurveStretchTolerance * std::min(size(c1), size(c2));
    auto chord = [](const FBBezierCurve &c, FBRange r) {
        return FBGeom_PointDistance(c.pointAtParameter(r.minimum), c.pointAtParameter(r.maximum));
    };
    return chord(c1, range.parameterRange1()) < shortest &&
           chord(c2, range.parameterRange2()) < shortest;
}

} // namespace

std::vector<FBBezierIntersectionPtr>
FBBezierCurve::intersectionsWithBezierCurve(const FBBezierCurvePtr &curve,
                                            FBBezierIntersectRangePtr *overlapRange) const
{
    PathOperation_CheckCancelAndTimeLimit();
    gPathCurvePairSearches.fetch_add(1, std::memory_order_relaxed);
    if (mIsStraightLine && curve && curve->isStraightLine()) {
        if (auto met = collinearLinesMeet(self(), curve, overlapRange))
            return *met;
    }
    // Curves running along each other a hair apart are one stretch, like curves on each other:
    // clipping would answer crossings scattered along them, or none, at random.
    if (overlapRange && curve) {
        if (FBBezierIntersectRangePtr shared = FBCurveStretch_Shared(self(), curve)) {
            // Curves a little apart are two outlines with a sliver between them, crossing
            // where they change sides; only curves on each other to rounding are one.
            const auto crossings = FBCurveStretch_Crossings(*this, *curve, *shared);
            if (!crossings) {
                *overlapRange = std::move(shared);
                return {};
            }
            std::vector<FBBezierIntersectionPtr> found;
            for (const auto &[t1, t2] : *crossings)
                found.push_back(
                    FBBezierIntersection::intersectionWithCurve1(self(), t1, curve, t2));
            return found;
        }
    }
    FBRange usRange = FBGeom_MakeRange(0.0, 1.0);
    FBRange themRange = FBGeom_MakeRange(0.0, 1.0);
    std::vector<FBBezierIntersectionPtr> found =
        intersectionsWithBezierCurve(curve, &usRange, &themRange, self(), curve, overlapRange, 0);
    if (overlapRange && *overlapRange && isSpeck(**overlapRange)) {
        // Too short to be a stretch: beside an end, where curves leaving one joint alike look
        // equal for a moment, the joint decides; elsewhere it is one touch or crossing.
        const FBBezierIntersectRange &speck = **overlapRange;
        const FBRange r1 = speck.parameterRange1(), r2 = speck.parameterRange2();
        overlapRange->reset();
        auto besideEnd = [](FBRange r) {
            return r.minimum <= SpeckEndReach || r.maximum >= 1.0 - SpeckEndReach;
        };
        if (!besideEnd(r1) && !besideEnd(r2))
            found.push_back(FBBezierIntersection::intersectionWithCurve1(
                self(), FBGeom_RangeAverage(r1), curve, FBGeom_RangeAverage(r2)));
    }
    return found;
}

namespace {

// Where Newton's steps on both parameters from a hit of curves meeting at a shallow angle settle
// on one point of both; nothing where they do not, or the curves cut clearly across there.
std::optional<std::pair<double, double>> settledShallowCrossing(const FBBezierIntersection &hit)
{
    const FBBezierCurve &us = *hit.curve1();
    const FBBezierCurve &them = *hit.curve2();
    const QPointF ua = FBGeom_NormalizeVector(tangentAt(us, hit.parameter1()));
    const QPointF ub = FBGeom_NormalizeVector(tangentAt(them, hit.parameter2()));
    if (!(std::abs(ua.x() * ub.y() - ua.y() * ub.x()) < ShortPieceCrossingSine))
        return std::nullopt;
    const FBRange anywhere = FBGeom_MakeRange(0.0, 1.0);
    return shallowCrossingNear(us, anywhere, them, anywhere,
                               std::make_pair(hit.parameter1(), hit.parameter2()));
}

double gapAt(const FBBezierIntersection &hit)
{
    return FBGeom_PointDistance(hit.curve1()->pointAtParameter(hit.parameter1()),
                                hit.curve2()->pointAtParameter(hit.parameter2()));
}

// Curves running along each other a hair apart, crossing at a shallow angle, stay within the
// search's point threshold of each other for a long way past the crossing: a range converging
// there answers a point pair that is no crossing, beside the real one. Hits whose Newton's steps
// settle on one crossing are that crossing once, kept where the curves' points lie closest.
void dropEchoesOfShallowCrossings(std::vector<FBBezierIntersectionPtr> &found)
{
    if (found.size() < 2)
        return;
    constexpr double SameCrossing = FBTol_SameShallowCrossing;
    std::vector<std::optional<std::pair<double, double>>> settled;
    settled.reserve(found.size());
    for (const FBBezierIntersectionPtr &hit : found)
        settled.push_back(settledShallowCrossing(*hit));
    std::vector<bool> drop(found.size(), false);
    for (size_t i = 0; i < found.size(); ++i) {
        for (size_t j = i + 1; j < found.size(); ++j) {
            if (!settled[i] || !settled[j] || drop[i] || drop[j])
                continue;
            if (std::abs(settled[i]->first - settled[j]->first) > SameCrossing ||
                std::abs(settled[i]->second - settled[j]->second) > SameCrossing)
                continue;
            if (gapAt(*found[j]) < gapAt(*found[i]))
                drop[i] = true;
            else
                drop[j] = true;
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < found.size(); ++i) {
        if (!drop[i])
            found[kept++] = found[i];
    }
    found.resize(kept);
}

} // namespace

std::vector<FBBezierIntersectionPtr> FBBezierCurve::intersectionsWithBezierCurve(
    const FBBezierCurvePtr &curve, FBRange *usRange, FBRange *themRange,
    const FBBezierCurvePtr &originalUs, const FBBezierCurvePtr &originalThem,
    FBBezierIntersectRangePtr *overlapRange, int depth) const
{
    if (!curve || !originalUs || !originalThem) {
        PathOperation_CheckCancelAndTimeLimit();
        return {};
    }
    std::vector<FBBezierIntersectionPtr> found;
    std::vector<std::pair<double, double>> lost;
    const Search search{originalUs,
                        originalThem,
                        pieceOf(*originalUs),
                        pieceOf(*originalThem),
                        overlapRange,
                        &found,
                        &lost,
                        pairScaleOf(*originalUs, *originalThem)};
    searchPieces(search, pieceOf(*this), pieceOf(*curve), usRange, themRange, depth);
    for (const auto &[u, t] : lost) {
        const bool foundAlready =
            std::any_of(found.begin(), found.end(), [u = u, t = t](const auto &hit) {
                return std::abs(hit->parameter1() - u) <= LostCrossingEndMargin &&
                       std::abs(hit->parameter2() - t) <= LostCrossingEndMargin;
            });
        if (!foundAlready)
            found.push_back(
                FBBezierIntersection::intersectionWithCurve1(originalUs, u, originalThem, t));
    }
    dropEchoesOfShallowCrossings(found);
    return found;
}
