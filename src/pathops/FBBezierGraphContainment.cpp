// Whether a contour that crosses nothing lies inside a graph's region: rays across the contour
// and the whole graph narrow the list of contours that may hold it.

#include "pathops/FBBezierGraph.h"

#include "pathops/FBBoxPairs.h"
#include "pathops/FBContourOverlap.h"
#include "pathops/FBContourPieces.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBJointCuts.h"
#include "pathops/FBRayCrossing.h"
#include "pathops/PathOperationState.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

// Rays through the middle of a contour on a grid often run through corners, which cannot be
// judged: every contour gets at least this many fractions, however small.
constexpr quint64 kMinRayFractions = 8;
// Past this many fractions a contour whose every ray touches a joint is read at a point of it;
// trying every fraction up to a contour's size in units would take for ever on large input.
constexpr quint64 kMaxRayFractions = 100;
constexpr double kExtentSlack = FBTol_ExtentSlack;
// How far from an end of the tested contour's extent, relative to the contour's size, a
// container crossing the ray still passes through that end. The crossings are placed to rounding
// (preciseHit): an outline a millionth of its size outside the contour (its copy grown by a hair)
// is a container of its own, not one touching it.
constexpr double kTouchReach = FBTol_TouchReach;

// The parameter ranges of the edge that lie on the contour's shared stretches.
std::vector<FBRange> sharedRangesOn(const FBBezierContour &contour, const FBContourEdge *edge)
{
    std::vector<FBRange> ranges;
    for (const FBContourOverlapPtr &overlap : contour.sharedOverlaps()) {
        for (const FBEdgeOverlapRun &run : overlap->runs()) {
            for (const FBEdgeOverlapPtr &stretch : run.overlaps()) {
                const FBBezierIntersectRange &range = *stretch->range();
                if (stretch->edge1() == edge)
                    ranges.push_back(range.parameterRange1());
                else if (stretch->edge2() == edge)
                    ranges.push_back(range.parameterRange2());
            }
        }
    }
    return ranges;
}

// A point of a contour and the direction across the contour there.
struct Probe
{
    QPointF point;
    QPointF across;
};

// The point of the contour farthest from every outline of `contours`, among a few points of each
// edge off its shared stretches (or, when none of those is clear, the middles of the pieces of
// edges between stretches), when it lies clear of them all; nothing when every such point lies
// on or next to one.
std::optional<Probe> pointClearOfOutlines(const FBBezierContour &contour,
                                          const std::vector<FBBezierContourPtr> &contours)
{
    constexpr int PerEdge = 8;
    constexpr double Clear = FBTol_ClearOfOutlines;
    QRectF box = contour.bounds();
    std::vector<const FBBezierContour *> outlines;
    for (const FBBezierContourPtr &c : contours) {
        box = box.united(c->bounds());
        outlines.push_back(c.get());
    }
    const double size = std::max(box.width(), box.height());
    if (!std::isfinite(size))
        return std::nullopt;
    std::optional<Probe> best;
    double bestDistance = Clear * size;
    auto tryPoint = [&](const FBContourEdge *edge, double t) {
        const FBBezierCurve &own = *edge->curve();
        const QPointF p = own.pointAtParameter(t);
        // Only a point farther than the best so far can replace it.
        const double nearest = FBOutline_Nearest(p, outlines, bestDistance).distance;
        const QPointF along =
            FBGeom_NormalizeVector(FBCurve_DeCasteljau(FBCurve_Derivative(own.points()), t));
        if (nearest > bestDistance && FBGeom_SquaredLength(along) > 0) {
            bestDistance = nearest;
            best = Probe{p, QPointF(-along.y(), along.x())};
        }
    };
    for (const auto &edge : contour.edges()) {
        for (int k = 0; k < PerEdge; ++k) {
            const double t = (k + 0.5) / PerEdge;
            if (!FBContour_OnSharedStretch(contour, edge.get(), t))
                tryPoint(edge.get(), t);
        }
    }
    if (best)
        return best;
    // Stretches may cover every point tried while a short piece of an edge lies off them (a
    // corner of a counter whose copy has its corner cut off a hair): the middle of each such
    // piece is tried too.
    for (const auto &edge : contour.edges()) {
        std::vector<FBRange> covered = sharedRangesOn(contour, edge.get());
        std::sort(covered.begin(), covered.end(),
                  [](FBRange a, FBRange b) { return a.minimum < b.minimum; });
        double from = 0.0;
        covered.push_back(FBGeom_MakeRange(1.0, 1.0));
        for (const FBRange &r : covered) {
            if (r.minimum > from) {
                const double t = (from + r.minimum) * 0.5;
                if (!FBContour_OnSharedStretch(contour, edge.get(), t))
                    tryPoint(edge.get(), t);
            }
            from = std::max(from, r.maximum);
        }
    }
    return best;
}

// How many of `contours` (but `skip`) hold the probe's point, by the even-odd count of a ray
// leaving it across the probe's contour: the nearest outlines run along that contour, and the ray
// meets them square. Nothing when each ray tried meets a joint or grazes an edge.
std::optional<size_t> contoursHolding(const Probe &probe,
                                      const std::vector<FBBezierContourPtr> &contours,
                                      const FBBezierContour *skip)
{
    constexpr double JointReach = FBTol_ProbeRayJointReach;
    constexpr double GrazingSine = FBTol_ProbeRayGrazingSine;
    QRectF box(probe.point, QSizeF(0, 0));
    for (const FBBezierContourPtr &c : contours)
        box = box.united(c->bounds());
    const double length = 2.0 * (box.width() + box.height()) + 10.0;
    // The parity of each contour along one ray, or nothing when the ray meets a joint or grazes.
    auto parities = [&](QPointF direction) -> std::optional<std::vector<bool>> {
        const FBBezierCurvePtr ray = FBBezierCurve::bezierCurveWithLineStartPoint(
            probe.point, probe.point + length * direction);
        const QRectF rayBox = ray->bounds();
        std::vector<bool> odd;
        odd.reserve(contours.size());
        for (const FBBezierContourPtr &c : contours) {
            size_t crossings = 0;
            if (c.get() != skip && FBBoxPairs_BoxesMeet(rayBox, c->bounds())) {
                for (const auto &edge : c->edges()) {
                    const FBBezierCurvePtr &curve = edge->curve();
                    if (!FBBoxPairs_BoxesMeet(rayBox, curve->bounds()))
                        continue;
                    for (const FBBezierIntersectionPtr &hit :
                         ray->intersectionsWithBezierCurve(curve)) {
                        const double t = hit->parameter2();
                        const QPointF tangent = FBGeom_NormalizeVector(
                            FBCurve_DeCasteljau(FBCurve_Derivative(curve->points()), t));
                        const double sine =
                            std::abs(tangent.x() * direction.y() - tangent.y() * direction.x());
                        if (t <= JointReach || t >= 1.0 - JointReach || hit->parameter1() <= 0 ||
                            !(sine >= GrazingSine))
                            return std::nullopt;
                        ++crossings;
                    }
                }
            }
            odd.push_back((crossings & 1) != 0);
        }
        return odd;
    };
    // Rays both ways must agree, contour by contour: a crossing the search missed on one shows.
    for (const double turn : {0.0, 0.1, -0.1, 0.3, -0.3, 0.7, -0.7}) {
        const QPointF direction(
            probe.across.x() * std::cos(turn) - probe.across.y() * std::sin(turn),
            probe.across.x() * std::sin(turn) + probe.across.y() * std::cos(turn));
        const std::optional<std::vector<bool>> forward = parities(direction);
        if (!forward)
            continue;
        const std::optional<std::vector<bool>> backward = parities(-direction);
        if (!backward || *forward != *backward)
            continue;
        return size_t(std::count(forward->begin(), forward->end(), true));
    }
    return std::nullopt;
}

bool isHorizontal(const FBBezierCurvePtr &ray)
{
    return ray->endPoint1().y() == ray->endPoint2().y();
}

double alongRay(const FBBezierCurvePtr &ray, QPointF p)
{
    return isHorizontal(ray) ? p.x() : p.y();
}

// The search answers where a ray meets a curve to six places of the ray's parameter, which on a
// ray across the whole graph is millionths of the graph's size: too coarse to tell a contour a
// hair inside another from one touching it. The hit moved to where the curve really reaches the
// ray's line, by Newton's steps on the curve's parameter (an end of the curve stays where it is);
// the hit itself where the steps do not settle close by.
FBBezierIntersectionPtr preciseHit(const FBBezierCurvePtr &ray, const FBBezierIntersectionPtr &hit)
{
    constexpr int Steps = 8;
    constexpr double Reach = FBTol_PreciseHitReach;
    if (hit->isAtEndPointOfCurve2())
        return hit;
    const bool horizontal = isHorizontal(ray);
    auto across = [horizontal](QPointF p) { return horizontal ? p.y() : p.x(); };
    const FBBezierCurve &curve = *hit->curve2();
    const FBCurvePoints p = curve.points();
    const std::array<QPointF, 3> dp = FBCurve_Derivative(p);
    const double level = across(ray->endPoint1());
    const double start = hit->parameter2();
    double t = start;
    for (int step = 0; step < Steps; ++step) {
        const double offset = across(FBCurve_DeCasteljau(p, t)) - level;
        if (offset == 0.0)
            break;
        const double slope = across(FBCurve_DeCasteljau(dp, t));
        const double next = t - offset / slope;
        if (!std::isfinite(next) || next < 0.0 || next > 1.0 || std::abs(next - start) > Reach)
            return hit;
        t = next;
    }
    const QPointF point = FBCurve_DeCasteljau(p, t);
    const QPointF from = ray->endPoint1(), to = ray->endPoint2();
    const double length = alongRay(ray, to) - alongRay(ray, from);
    const double rounding = 1e-12 * (1.0 + std::abs(level) + std::abs(length));
    if (!(std::abs(across(point) - level) <= rounding) || !(length != 0.0))
        return hit;
    const double s = (alongRay(ray, point) - alongRay(ray, from)) / length;
    if (!(s >= 0.0 && s <= 1.0))
        return hit;
    return FBBezierIntersection::intersectionWithCurve1(ray, s, hit->curve2(), t);
}

// Whether the ray passes a hair beside one of the tested contour's joints, not through it: where
// the contour touches a container there, the ray meets both on either side of the touch by
// rounding alone and cannot tell which lies outside.
bool passesBesideAJoint(const FBBezierCurvePtr &ray, const FBBezierContour &contour)
{
    constexpr double kBeside = FBTol_BesideJoint;
    const bool horizontal = isHorizontal(ray);
    const double across = horizontal ? ray->endPoint1().y() : ray->endPoint1().x();
    const QRectF box = contour.bounds();
    // At the contour's own scale where it is a speck: a ray a hair of its size beside its joint.
    const double reach =
        FBTol_AtCurveSize(kBeside * (1.0 + std::max({box.width(), box.height(), std::abs(across)})),
                          std::max(box.width(), box.height()), std::abs(across));
    for (const auto &edge : contour.edges()) {
        const QPointF joint = edge->curve()->endPoint1();
        const double distance = std::abs((horizontal ? joint.y() : joint.x()) - across);
        if (distance > 0 && distance <= reach)
            return true;
    }
    return false;
}

double largestSide(const QRectF &box)
{
    return std::max(box.width(), box.height());
}

// Whether the ray runs through one of the curve's ends or a hair beside it. There the curve may
// meet the ray at a grazing angle (a bowl ending level at a corner, a ray just short of it), and
// the search answers such a crossing near the end erratically: twice, once, or not at all, as
// the ray moves by a rounding error. A container counted on it may lose or gain a crossing, so
// the ray judges nothing, as one through a joint of the tested contour does. Beside an end at
// the tested contour's scale where that is small (`testBounds`), but never nearer than an end
// may lie off the ray and still be read as on it: a speck lying at a long outline's joint has
// every ray within a ten-millionth of that outline's size of the joint.
bool passesByAnEnd(const FBBezierCurvePtr &ray, const FBBezierCurve &curve, const QRectF &box,
                   const QRectF *testBounds)
{
    constexpr double kBeside = 1e-7;
    const bool horizontal = isHorizontal(ray);
    const double across = horizontal ? ray->endPoint1().y() : ray->endPoint1().x();
    double reach = kBeside * (1.0 + std::max({box.width(), box.height(), std::abs(across)}));
    if (testBounds)
        reach =
            std::max(FBTol_AtCurveSize(reach, std::max(testBounds->width(), testBounds->height()),
                                       std::abs(across)),
                     2.0 * FBTol_EndPointOffCurve * (1.0 + std::abs(across)));
    for (const QPointF end : {curve.endPoint1(), curve.endPoint2()}) {
        if (std::abs((horizontal ? end.y() : end.x()) - across) <= reach)
            return true;
    }
    return false;
}

// Whether an odd number of `candidates` hold the contour, read at the point of it farthest from
// their outlines (among a few points of each edge) by rays that pass clear of the joints that
// every ray along the axes through a speck may pass by. Nothing when no such point lies clear of
// them at the contour's own scale.
std::optional<bool> heldAtAPointOf(const FBBezierContour &contour,
                                   const std::vector<const FBBezierContour *> &candidates)
{
    constexpr int PerEdge = 4;
    const QRectF box = contour.bounds();
    const double coordinates = FBGeom_LargestMagnitude(box);
    double best = FBTol_AtCurveSize(FBTol_ClearOfContainer, largestSide(box), coordinates);
    std::optional<QPointF> clear;
    for (const auto &edge : contour.edges()) {
        for (int k = 0; k < PerEdge; ++k) {
            const QPointF p = edge->curve()->pointAtParameter((k + 0.5) / PerEdge);
            const double distance = FBOutline_Nearest(p, candidates, best).distance;
            if (distance > best) {
                best = distance;
                clear = p;
            }
        }
    }
    if (!clear)
        return std::nullopt;
    // Rays aimed away from the nearest outline (and from a point stepped clear of it, when every
    // ray passes a joint too near) read the candidates together by the even-odd rule; failing
    // that, each candidate's own inside test.
    const FBNearestOnOutline nearest = FBOutline_Nearest(*clear, candidates);
    if (const std::optional<bool> inside =
            FBOutline_ContainsPointNear(*clear, nearest.point, candidates))
        return inside;
    bool odd = false;
    for (const FBBezierContour *c : candidates) {
        if (FBBoxPairs_BoxHoldsPoint(c->bounds(), *clear))
            odd = odd != c->containsPoint(*clear);
    }
    return odd;
}

// Of two contours within a hair of each other all round, whether `outer` holds `inner`: when it
// encloses more area. Of two enclosing the same, exactly one holds the other (the one whose box
// comes first), so that a union keeps one of them and an intersection the other.
bool holdsByArea(const FBBezierContour &outer, const FBBezierContour &inner)
{
    const double a = outer.enclosedArea(), b = inner.enclosedArea();
    if (a != b)
        return a > b;
    const QRectF p = outer.bounds(), q = inner.bounds();
    return std::tuple(p.left(), p.top(), p.right(), p.bottom()) <
           std::tuple(q.left(), q.top(), q.right(), q.bottom());
}

// Whether an odd number of `candidates` hold the contour when no point of it lies clear of them
// all (heldAtAPointOf has no answer): it runs within a hair of some of them all round, nearer than
// rays or points can tell apart, with no shared stretch found (a copy of it scaled or grown by a
// few billionths). Each candidate some point of the contour lies clear of is asked at that point;
// one it lies within a hair of at every point holds it when it encloses more area: it lies a hair
// outside it, or runs outside and inside it crossing where no crossing can be found, and is then
// the union of the two to a hair.
bool heldWithoutAClearPoint(const FBBezierContour &contour,
                            const std::vector<const FBBezierContour *> &candidates)
{
    constexpr int PerEdge = 4;
    const QRectF box = contour.bounds();
    const double clear =
        FBTol_AtCurveSize(FBTol_ClearOfContainer, largestSide(box), FBGeom_LargestMagnitude(box));
    std::vector<QPointF> points;
    for (const auto &edge : contour.edges()) {
        for (int k = 0; k < PerEdge; ++k)
            points.push_back(edge->curve()->pointAtParameter((k + 0.5) / PerEdge));
    }
    bool odd = false;
    for (const FBBezierContour *c : candidates) {
        const std::vector<const FBBezierContour *> one{c};
        const auto away = std::find_if(points.begin(), points.end(), [&](QPointF p) {
            return FBOutline_Nearest(p, one, clear).distance > clear;
        });
        const bool holds = away != points.end() ? FBBoxPairs_BoxHoldsPoint(c->bounds(), *away) &&
                                                      c->containsPoint(*away)
                                                : holdsByArea(*c, contour);
        odd = odd != holds;
    }
    return odd;
}

// Whether a search of the straight `ray` against `curve` could answer a point at one of the
// curve's ends. Such a point lies within the search's tolerance (a thousandth, or a hundred
// thousandth of the two curves' size) of the ray, and the curve's end within a parameter step of
// 1e-5 of it; an end farther off than twice both cannot be answered.
bool mayMeetAtAnEnd(const FBBezierCurve &ray, const FBBezierCurve &curve)
{
    const QRectF rayBounds = ray.bounds();
    const QRectF bounds = curve.bounds();
    const QPointF points[] = {curve.endPoint1(), curve.controlPoint1(), curve.controlPoint2(),
                              curve.endPoint2()};
    double spread = 0.0;
    for (const QPointF p : points) {
        spread =
            std::max({spread, std::abs(p.x() - points[0].x()) + std::abs(p.y() - points[0].y()),
                      std::abs(p.x() - points[3].x()) + std::abs(p.y() - points[3].y())});
    }
    const double reach =
        2.0 *
        (std::max(1e-3, 1e-5 * (largestSide(rayBounds) + largestSide(bounds))) + 3e-5 * spread);
    if (!std::isfinite(reach))
        return true;
    const QRectF near = rayBounds.adjusted(-reach, -reach, reach, reach);
    return near.contains(curve.endPoint1()) || near.contains(curve.endPoint2());
}

const FBBezierContour *contourOf(const FBEdgeCrossingPtr &crossing)
{
    return crossing->edge() ? crossing->edge()->contour() : nullptr;
}

// How far a container's crossing may lie from an end of the tested contour's extent along the
// ray and still be taken as passing through that end. Crossings found on different curves at one
// point differ in their last digits, a counter touching its outline's side at a joint among them.
// An extent of one point keeps the rounding alone.
double extentSlack(double minimum, double maximum, const QRectF *testBounds)
{
    const double largest = std::max(std::abs(minimum), std::abs(maximum));
    const double rounding = kExtentSlack * (1.0 + largest);
    if (!testBounds || minimum == maximum)
        return rounding;
    // A speck of a contour is measured at its own scale, not at that of its coordinates.
    return std::max(FBTol_AtCurveSize(rounding, largestSide(*testBounds), largest),
                    kTouchReach * largestSide(*testBounds));
}

// The contours the ray crosses at either end of the tested contour's extent along it, `minimum`
// and `maximum`, to within the extent's slack: those among `before` at the minimum, those among
// `after` at the maximum. None where the extent is a single point, which the crossings at it are
// shared out for.
std::pair<std::unordered_set<const FBBezierContour *>, std::unordered_set<const FBBezierContour *>>
contoursThroughExtent(const std::vector<FBEdgeCrossingPtr> &before,
                      const std::vector<FBEdgeCrossingPtr> &after, const FBBezierCurvePtr &ray,
                      QPointF minimum, QPointF maximum, const QRectF &testBounds)
{
    std::pair<std::unordered_set<const FBBezierContour *>,
              std::unordered_set<const FBBezierContour *>>
        through;
    if (minimum == maximum)
        return through;
    const double low = alongRay(ray, minimum), high = alongRay(ray, maximum);
    const double slack = extentSlack(low, high, &testBounds);
    for (const FBEdgeCrossingPtr &crossing : before) {
        if (std::abs(alongRay(ray, crossing->location()) - low) <= slack)
            through.first.insert(contourOf(crossing));
    }
    for (const FBEdgeCrossingPtr &crossing : after) {
        if (std::abs(alongRay(ray, crossing->location()) - high) <= slack)
            through.second.insert(contourOf(crossing));
    }
    return through;
}

} // namespace

bool FBBezierGraph::containsContour(const FBBezierContour *testContour) const
{
    // A contour running within the coincidence tolerance of the tested one all the way round,
    // crossing it nowhere, lies a hair inside or outside it, or crosses it at angles too small
    // for a crossing to be found (a copy scaled by a hair about a point, whose outline runs
    // outside on one side and inside on the other). Rays across both meet them a hair apart in
    // either order and cannot tell; the larger of the two holds the smaller in the first case and
    // is their union to a hair in the second. The rest of the graph is counted by rays as ever.
    std::vector<const FBBezierContour *> hairApart;
    for (const FBContourOverlapPtr &overlap : testContour->sharedOverlaps()) {
        if (!overlap->isComplete())
            continue;
        const FBBezierContour *other =
            overlap->contour1() == testContour ? overlap->contour2() : overlap->contour1();
        if (other != testContour &&
            std::any_of(mContours.begin(), mContours.end(),
                        [other](const FBBezierContourPtr &c) { return c.get() == other; }) &&
            !testContour->isSameOutline(other) &&
            std::find(hairApart.begin(), hairApart.end(), other) == hairApart.end())
            hairApart.push_back(other);
    }
    if (hairApart.empty())
        return containsContourByRays(testContour);
    FBBezierGraph rest;
    for (const FBBezierContourPtr &contour : mContours) {
        if (std::find(hairApart.begin(), hairApart.end(), contour.get()) == hairApart.end())
            rest.addContour(contour);
    }
    bool held = !rest.mContours.empty() && rest.containsContourByRays(testContour);
    for (const FBBezierContour *other : hairApart) {
        if (holdsByArea(*other, *testContour))
            held = !held;
    }
    return held;
}

bool FBBezierGraph::containsContourByRays(const FBBezierContour *testContour) const
{
    PathOperation_CheckCancelAndTimeLimit();
    // A contour that shares stretches of outline with this graph's, crossing none, may reach a
    // hair past a container along them, and rays along or across them cannot tell: a point of it
    // clear of every outline can, by the even-odd count of the contours holding it.
    const bool sharesStretches = std::any_of(
        testContour->sharedOverlaps().begin(), testContour->sharedOverlaps().end(),
        [&](const FBContourOverlapPtr &overlap) {
            const FBBezierContour *other =
                overlap->contour1() == testContour ? overlap->contour2() : overlap->contour1();
            return !overlap->runs().empty() &&
                   std::any_of(mContours.begin(), mContours.end(),
                               [other](const FBBezierContourPtr &c) { return c.get() == other; });
        });
    if (sharesStretches) {
        if (const std::optional<Probe> probe = pointClearOfOutlines(*testContour, mContours)) {
            if (const std::optional<size_t> holding =
                    contoursHolding(*probe, mContours, testContour)) {
                return (*holding & 1) != 0;
            }
        }
    }
    const QRectF testBounds = testContour->bounds();
    const QRectF graphBounds = bounds();
    const double largest = std::max(std::ceil(testBounds.width()), std::ceil(testBounds.height()));
    if (!std::isfinite(largest) || !std::isfinite(graphBounds.width()) ||
        !std::isfinite(graphBounds.height()))
        return false;
    // Even a contour under one unit across gets the rays through its middle.
    // Clamped as a double: a width near 1e308 has no integer to convert to.
    const quint64 count =
        quint64(std::min(std::max(largest, double(kMinRayFractions)), double(kMaxRayFractions)));

    // Only a contour whose box holds the tested contour's box can surround it; without one
    // there is nothing to count.
    // No box's pad exceeds that of the graph's box, which holds them all: a box farther off than
    // that cannot hold the tested one, and most are told apart without working out their pads.
    const double widest =
        1e-9 * (1.0 + std::max({std::abs(graphBounds.left()), std::abs(graphBounds.right()),
                                std::abs(graphBounds.top()), std::abs(graphBounds.bottom())}));
    const double reach = std::max(
        widest,
        1e-9 * (1.0 + std::max({std::abs(testBounds.left()), std::abs(testBounds.right()),
                                std::abs(testBounds.top()), std::abs(testBounds.bottom())})));
    auto mayHold = [&](const FBBezierContour &contour) {
        const QRectF box = contour.bounds();
        if (box.left() - reach > testBounds.left() || box.right() + reach < testBounds.right() ||
            box.top() - reach > testBounds.top() || box.bottom() + reach < testBounds.bottom())
            return false;
        return FBBoxPairs_BoxHolds(box, testBounds);
    };
    // Of a large graph, the row index lists every contour that may hold the tested one (and a
    // few more), so that a graph of thousands of contours is not read whole for each test.
    constexpr size_t ContoursReadWhole = 16;
    const std::optional<std::vector<size_t>> around =
        mContours.size() > ContoursReadWhole ? contoursAround(testBounds, reach) : std::nullopt;
    const bool anyMayHold =
        around ? std::any_of(around->begin(), around->end(),
                             [&](size_t i) { return mayHold(*mContours[i]); })
               : std::any_of(mContours.begin(), mContours.end(),
                             [&](const FBBezierContourPtr &c) { return mayHold(*c); });
    if (!anyMayHold)
        return false;
    std::vector<FBBezierContour *> containers;
    containers.reserve(mContours.size());
    for (const FBBezierContourPtr &contour : mContours)
        containers.push_back(contour.get());

    const double left = std::min(graphBounds.left(), testBounds.left()) - 10;
    const double right = std::max(graphBounds.right(), testBounds.right()) + 10;
    const double top = std::min(graphBounds.top(), testBounds.top()) - 10;
    const double bottom = std::max(graphBounds.bottom(), testBounds.bottom()) + 10;
    for (quint64 fraction = 2; fraction <= count; ++fraction) {
        bool judged = false;
        const double ySpacing = testBounds.height() / double(fraction);
        for (quint64 k = 1; k < fraction; ++k) {
            const double y = testBounds.top() + ySpacing * double(k);
            if (!(y < testBounds.bottom()))
                break;
            const FBBezierCurvePtr ray =
                FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(left, y), QPointF(right, y));
            judged = eliminateContainers(containers, testContour, ray) || judged;
        }
        const double xSpacing = testBounds.width() / double(fraction);
        for (quint64 k = 1; k < fraction; ++k) {
            const double x = testBounds.left() + xSpacing * double(k);
            if (!(x < testBounds.right()))
                break;
            const FBBezierCurvePtr ray =
                FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(x, top), QPointF(x, bottom));
            judged = eliminateContainers(containers, testContour, ray) || judged;
        }
        if (containers.empty())
            return false;
        if (judged)
            return (containers.size() & 1) != 0;
    }
    // No ray judged: each passed by a joint or an end. A speck lying at a container's joint,
    // nearer to it than an end still reads as on the ray, has every ray along the axes pass it
    // (a long side's corner level with the speck, or a point where the side runs straight on);
    // taken for outside, a speck inside the shape became a part of every answer it is not. It is
    // read at a point of it instead, where the contours that may hold it are asked one by one.
    std::vector<const FBBezierContour *> candidates;
    for (const FBBezierContour *c : containers) {
        if (mayHold(*c))
            candidates.push_back(c);
    }
    if (const std::optional<bool> held = heldAtAPointOf(*testContour, candidates))
        return *held;
    return heldWithoutAClearPoint(*testContour, candidates);
}

bool FBBezierGraph::eliminateContainers(std::vector<FBBezierContour *> &containers,
                                        const FBBezierContour *testContour,
                                        const FBBezierCurvePtr &ray) const
{
    if (passesBesideAJoint(ray, *testContour)) {
        return false;
    }
    QPointF testMinimum;
    QPointF testMaximum;
    if (!findBoundsOfContour(testContour, ray, &testMinimum, &testMaximum)) {
        return false;
    }
    std::vector<FBEdgeCrossingPtr> crossingsBefore;
    std::vector<FBEdgeCrossingPtr> crossingsAfter;
    crossingsBefore.reserve(containers.size());
    crossingsAfter.reserve(containers.size());
    const QRectF testBounds = testContour->bounds();
    if (!findCrossingsOnContainers(containers, ray, testMinimum, testMaximum, crossingsBefore,
                                   crossingsAfter, &testBounds)) {
        return false;
    }
    // A container the ray crosses where the tested contour's extent ends runs through that end
    // point: the contour touches it there, and its crossings on that side tell nothing of where
    // the contour lies. The other side decides alone; a container touched at both ends of the
    // extent (sharing the contour's top and bottom) leaves the ray unable to judge.
    const auto [atMinimum, atMaximum] = contoursThroughExtent(crossingsBefore, crossingsAfter, ray,
                                                              testMinimum, testMaximum, testBounds);
    const auto &maxima = atMaximum; // clang before 16 cannot capture a structured binding
    if (std::any_of(atMinimum.begin(), atMinimum.end(),
                    [&maxima](const FBBezierContour *c) { return maxima.contains(c); }))
        return false;
    FBContainment_RemoveContoursThatDontContain(crossingsBefore);
    FBContainment_RemoveContoursThatDontContain(crossingsAfter);
    if (atMinimum.empty() && atMaximum.empty()) {
        FBContainment_RemoveContourCrossingsThatDontAppearIn(crossingsBefore, crossingsAfter);
        FBContainment_RemoveContourCrossingsThatDontAppearIn(crossingsAfter, crossingsBefore);
        containers = FBContainment_ContoursFromCrossings(crossingsBefore);
        return true;
    }
    std::vector<FBBezierContour *> candidates =
        FBContainment_ContoursFromCrossings(crossingsBefore);
    const std::vector<FBBezierContour *> oddAfter =
        FBContainment_ContoursFromCrossings(crossingsAfter);
    const std::unordered_set<const FBBezierContour *> before(candidates.begin(), candidates.end());
    const std::unordered_set<const FBBezierContour *> after(oddAfter.begin(), oddAfter.end());
    for (FBBezierContour *contour : oddAfter) {
        if (!before.contains(contour))
            candidates.push_back(contour);
    }
    containers.clear();
    for (FBBezierContour *contour : candidates) {
        const bool holds = atMinimum.contains(contour) ? after.contains(contour)
                           : atMaximum.contains(contour)
                               ? before.contains(contour)
                               : before.contains(contour) && after.contains(contour);
        if (holds)
            containers.push_back(contour);
    }
    return true;
}

bool FBBezierGraph::findBoundsOfContour(const FBBezierContour *testContour,
                                        const FBBezierCurvePtr &ray, QPointF *testMinimum,
                                        QPointF *testMaximum) const
{
    const QRectF rayBounds = ray->bounds();
    bool found = false;
    for (const auto &edge : testContour->edges()) {
        if (!FBBoxPairs_BoxesMeet(rayBounds, edge->curve()->bounds()))
            continue;
        for (const FBBezierIntersectionPtr &hit :
             ray->intersectionsWithBezierCurve(edge->curve())) {
            const QPointF location = preciseHit(ray, hit)->location();
            if (!found) {
                *testMinimum = *testMaximum = location;
                found = true;
                continue;
            }
            if (alongRay(ray, location) < alongRay(ray, *testMinimum))
                *testMinimum = location;
            if (alongRay(ray, location) > alongRay(ray, *testMaximum))
                *testMaximum = location;
        }
    }
    return found;
}

bool FBBezierGraph::findCrossingsOnContainers(const std::vector<FBBezierContour *> &containers,
                                              const FBBezierCurvePtr &ray, QPointF testMinimum,
                                              QPointF testMaximum,
                                              std::vector<FBEdgeCrossingPtr> &crossingsBefore,
                                              std::vector<FBEdgeCrossingPtr> &crossingsAfter,
                                              const QRectF *testBounds) const
{
    const double minimum = alongRay(ray, testMinimum);
    const double maximum = alongRay(ray, testMaximum);
    // Crossings found on different curves at one point differ a little: a container that
    // touches the tested contour's extent lies at its end, not inside it.
    const double slack = extentSlack(minimum, maximum, testBounds);
    const QRectF rayBounds = ray->bounds();
    std::vector<FBEdgeCrossingPtr> ambiguous;
    ambiguous.reserve(10);
    // Every contour of the graph is still a container on the first ray: only those the ray
    // meets need looking at.
    std::vector<FBBezierContour *> nearby;
    const bool useIndex = containers.size() == mContours.size() && containers.size() > 16;
    if (useIndex) {
        const bool horizontal = isHorizontal(ray);
        const QPointF origin = ray->endPoint1();
        for (size_t i : contoursAcross(horizontal ? origin.y() : origin.x(), horizontal))
            nearby.push_back(mContours[i].get());
    }
    const std::vector<FBBezierContour *> &candidates = useIndex ? nearby : containers;
    for (FBBezierContour *container : candidates) {
        if (!FBBoxPairs_BoxesMeet(rayBounds, container->bounds()))
            continue;
        // A contour whose box cannot hold the tested one crosses the ray an even number of
        // times on either side and drops out; only a joint on the ray counts from it.
        const bool canHold = !testBounds || FBBoxPairs_BoxHolds(container->bounds(), *testBounds);
        for (const auto &edge : container->edges()) {
            if (!FBBoxPairs_BoxesMeet(rayBounds, edge->curve()->bounds()))
                continue;
            if (!canHold && !mayMeetAtAnEnd(*ray, *edge->curve()))
                continue;
            if (canHold && passesByAnEnd(ray, *edge->curve(), container->bounds(), testBounds))
                return false;
            // A clear crossing far enough from the tested contour's extent goes to its side
            // unsearched.
            if (canHold) {
                if (const auto clear = FBRay_ClearCrossing(*ray, *edge->curve())) {
                    const double low = clear->along - clear->uncertainty;
                    const double high = clear->along + clear->uncertainty;
                    auto settled = [low, high](double bound) {
                        return high < bound || low > bound;
                    };
                    auto reaches = [low, high](double value) {
                        return low <= value && value <= high;
                    };
                    if (settled(minimum + slack) && settled(maximum - slack) && !reaches(minimum) &&
                        !reaches(maximum)) {
                        const bool before = high < minimum + slack;
                        const bool after = low > maximum - slack;
                        if (before || after) {
                            const FBEdgeCrossingPtr crossing =
                                FBEdgeCrossing::crossingWithIntersection(
                                    FBBezierIntersection::intersectionWithCurve1(
                                        ray, clear->rayParameter, edge->curve(),
                                        clear->curveParameter));
                            crossing->setEdge(edge.get());
                            if (before)
                                crossingsBefore.push_back(crossing);
                            if (after)
                                crossingsAfter.push_back(crossing);
                        }
                        continue;
                    }
                }
            }
            for (const FBBezierIntersectionPtr &hit :
                 ray->intersectionsWithBezierCurve(edge->curve())) {
                if (hit->isTangent())
                    continue;
                // A ray through a joint cannot tell which of the two edges it crossed.
                if (hit->isAtEndPointOfCurve2())
                    return false;
                if (!canHold)
                    continue;
                const FBBezierIntersectionPtr intersection = preciseHit(ray, hit);
                const QPointF location = intersection->location();
                const double along = alongRay(ray, location);
                if (along > minimum + slack && along < maximum - slack)
                    continue;
                const FBEdgeCrossingPtr crossing =
                    FBEdgeCrossing::crossingWithIntersection(intersection);
                crossing->setEdge(edge.get());
                if (testMinimum == testMaximum && location == testMinimum) {
                    ambiguous.push_back(crossing);
                    continue;
                }
                if (along <= minimum + slack)
                    crossingsBefore.push_back(crossing);
                if (along >= maximum - slack)
                    crossingsAfter.push_back(crossing);
            }
        }
    }
    for (const FBEdgeCrossingPtr &crossing : ambiguous) {
        const FBBezierContour *contour = contourOf(crossing);
        if (FBContainment_NumberOfTimesContourAppearsInCrossings(contour, crossingsBefore) <
            FBContainment_NumberOfTimesContourAppearsInCrossings(contour, crossingsAfter))
            crossingsBefore.push_back(crossing);
        else
            crossingsAfter.push_back(crossing);
    }
    return true;
}

qsizetype FBContainment_NumberOfTimesContourAppearsInCrossings(
    const FBBezierContour *contour, const std::vector<FBEdgeCrossingPtr> &crossings)
{
    return std::count_if(crossings.begin(), crossings.end(),
                         [contour](const FBEdgeCrossingPtr &c) { return contourOf(c) == contour; });
}

std::vector<FBBezierContour *>
FBContainment_ContoursFromCrossings(const std::vector<FBEdgeCrossingPtr> &crossings)
{
    std::vector<FBBezierContour *> contours;
    std::unordered_set<const FBBezierContour *> seen;
    for (const FBEdgeCrossingPtr &crossing : crossings) {
        FBBezierContour *contour = crossing->edge() ? crossing->edge()->contour() : nullptr;
        if (contour && seen.insert(contour).second)
            contours.push_back(contour);
    }
    return contours;
}

void FBContainment_RemoveContourCrossingsThatDontAppearIn(
    std::vector<FBEdgeCrossingPtr> &crossings1, const std::vector<FBEdgeCrossingPtr> &crossings2)
{
    std::unordered_set<const FBBezierContour *> present;
    for (const FBEdgeCrossingPtr &crossing : crossings2)
        present.insert(contourOf(crossing));
    std::vector<FBBezierContour *> missing;
    for (FBBezierContour *contour : FBContainment_ContoursFromCrossings(crossings1)) {
        if (!present.contains(contour))
            missing.push_back(contour);
    }
    FBContainment_RemoveCrossingsForContours(crossings1, missing);
}

void FBContainment_RemoveContoursThatDontContain(std::vector<FBEdgeCrossingPtr> &crossings)
{
    // A container crossed an even number of times on one side does not surround the contour.
    std::unordered_map<const FBBezierContour *, qsizetype> counts;
    for (const FBEdgeCrossingPtr &crossing : crossings)
        ++counts[contourOf(crossing)];
    std::vector<FBBezierContour *> even;
    for (FBBezierContour *contour : FBContainment_ContoursFromCrossings(crossings)) {
        if ((counts[contour] & 1) == 0)
            even.push_back(contour);
    }
    FBContainment_RemoveCrossingsForContours(crossings, even);
}

std::optional<bool> FBContainment_SideOfTouchingContour(const FBBezierContour &contour,
                                                        const FBBezierContour &container)
{
    constexpr int PerEdge = 8;
    constexpr size_t MostTested = 12;
    // Clear by more than the inside test's rays can be misled by near the outline.
    constexpr double Clear = FBTol_ClearOfContainer;
    const QRectF box = contour.bounds().united(container.bounds());
    const double size = std::max(box.width(), box.height());
    if (!std::isfinite(size))
        return std::nullopt;
    const std::vector<const FBBezierContour *> outline{&container};
    std::vector<std::pair<double, QPointF>> clear;
    for (const auto &edge : contour.edges()) {
        for (int k = 0; k < PerEdge; ++k) {
            const QPointF p = edge->curve()->pointAtParameter((k + 0.5) / PerEdge);
            const double distance = FBOutline_Nearest(p, outline, Clear * size).distance;
            if (distance > Clear * size)
                clear.emplace_back(distance, p);
        }
    }
    if (clear.empty())
        return std::nullopt;
    // Points spread along the contour, not only the farthest: one on each side shows a crossing.
    std::optional<bool> side;
    const size_t step = std::max<size_t>(1, clear.size() / MostTested);
    for (size_t k = 0; k < clear.size(); k += step) {
        const bool inside = container.containsPoint(clear[k].second);
        if (side && *side != inside)
            return std::nullopt;
        side = inside;
    }
    return side;
}

void FBContainment_RemoveCrossingsForContours(std::vector<FBEdgeCrossingPtr> &crossings,
                                              const std::vector<FBBezierContour *> &contours)
{
    const std::unordered_set<const FBBezierContour *> gone(contours.begin(), contours.end());
    std::erase_if(crossings,
                  [&gone](const FBEdgeCrossingPtr &c) { return gone.contains(contourOf(c)); });
}
