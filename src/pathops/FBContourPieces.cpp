#include "pathops/FBContourPieces.h"

#include "pathops/FBBezierContour.h"
#include "pathops/FBBoxPairs.h"
#include "pathops/FBContourOverlap.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBDecisionCounters.h"
#include "pathops/FBHitMeasures.h"
#include "pathops/FBJointCuts.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A stretch of one edge's parameter that a piece covers.
struct Stretch
{
    const FBContourEdge *edge;
    double from;
    double to;
    double length;
};

// The length of the stretch of `curve` from `a` to `b`, by the chords through its middle: the
// stretches only need ordering.
double roughLength(const FBBezierCurve &curve, double a, double b)
{
    const QPointF p = curve.pointAtParameter(a);
    const QPointF m = curve.pointAtParameter((a + b) / 2);
    const QPointF q = curve.pointAtParameter(b);
    return FBGeom_PointDistance(p, m) + FBGeom_PointDistance(m, q);
}

std::vector<Stretch> stretchesOf(const FBEdgeCrossing &from, const FBEdgeCrossing &to, bool around)
{
    std::vector<Stretch> stretches;
    auto add = [&stretches](const FBContourEdge *edge, double a, double b) {
        if (b > a)
            stretches.push_back({edge, a, b, roughLength(*edge->curve(), a, b)});
    };
    const FBContourEdge *first = from.edge();
    const FBContourEdge *last = to.edge();
    if (!first || !last)
        return stretches;
    if (!around && first == last) {
        add(first, from.parameter(), to.parameter());
        return stretches;
    }
    add(first, from.parameter(), 1.0);
    // Whole edges up to the last one; a piece that runs round passes its own edge once.
    const size_t edgeCount = first->contour()->edges().size();
    const FBContourEdge *edge = first->next();
    for (size_t passed = 0; edge != last && passed < edgeCount; ++passed) {
        add(edge, 0.0, 1.0);
        edge = edge->next();
    }
    add(last, 0.0, to.parameter());
    return stretches;
}

double boxDistance(const QRectF &b, QPointF p)
{
    const double dx = std::max({b.left() - p.x(), 0.0, p.x() - b.right()});
    const double dy = std::max({b.top() - p.y(), 0.0, p.y() - b.bottom()});
    return std::hypot(dx, dy);
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double s =
        length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    return FBGeom_PointDistance(p, a + s * ab);
}

// The even-odd count of the contours along the ray from `from` to `to`; nothing when the ray
// passes through or beside a joint (within `reach`), meets a curve at a grazing angle, where the
// search may answer a crossing twice, once or not at all, or meets one right at its start.
// A ray from a point a speck's size off a long curve is searched in pieces growing from
// `firstLength` sixteen times over: the search places a hit only to within a share of the
// smaller of the curves met, so a piece of the ray as long as the whole outline would place the
// long curve's hit anywhere near the start, while each shorter piece, as far from that curve as
// a good share of its own length, meets it clearly or not at all. A hit at a joint between two
// pieces decides nothing.
std::optional<bool> oddAlongRay(QPointF from, QPointF to,
                                const std::vector<const FBBezierContour *> &contours, double reach,
                                double firstLength = 0.0)
{
    constexpr double GrazingSine = FBTol_ProbeRayGrazingSine;
    constexpr double Growth = FBTol_RayPieceGrowth;
    const QPointF along = FBGeom_NormalizeVector(to - from);
    const double length = FBGeom_PointDistance(from, to);
    std::vector<FBBezierCurvePtr> pieces;
    double reached = 0.0;
    for (double piece = firstLength; piece > 0 && reached + piece < length; piece *= Growth) {
        pieces.push_back(FBBezierCurve::bezierCurveWithLineStartPoint(
            from + reached * along, from + (reached + piece) * along));
        reached += piece;
    }
    pieces.push_back(FBBezierCurve::bezierCurveWithLineStartPoint(
        reached > 0 ? from + reached * along : from, to));
    bool odd = false;
    for (const FBBezierContour *contour : contours) {
        if (!FBBoxPairs_BoxesMeet(
                FBGeom_UnionRect(pieces.front()->bounds(), pieces.back()->bounds()),
                contour->bounds()))
            continue;
        for (const auto &edge : contour->edges()) {
            const FBBezierCurvePtr &curve = edge->curve();
            if (distanceToSegment(curve->endPoint1(), from, to) <=
                    FBEdge_JointReach(*edge, reach) &&
                FBBoxPairs_BoxesMeet(
                    FBGeom_UnionRect(pieces.front()->bounds(), pieces.back()->bounds()),
                    curve->bounds()))
                return std::nullopt;
            for (const FBBezierCurvePtr &ray : pieces) {
                if (!FBBoxPairs_BoxesMeet(ray->bounds(), curve->bounds()))
                    continue;
                for (const FBBezierIntersectionPtr &hit :
                     ray->intersectionsWithBezierCurve(curve)) {
                    const QPointF tangent = FBGeom_NormalizeVector(FBCurve_DeCasteljau(
                        FBCurve_Derivative(curve->points()), hit->parameter2()));
                    const double sine = std::abs(tangent.x() * along.y() - tangent.y() * along.x());
                    if (hit->isTangent() || hit->isAtEndPointOfCurve2() || !(sine >= GrazingSine))
                        return std::nullopt;
                    if (pieces.size() > 1 &&
                        (hit->isAtEndPointOfCurve1() ||
                         (ray != pieces.front() &&
                          FBGeom_PointDistance(hit->location(), ray->endPoint1()) <=
                              2 * FBHit_SearchReach(*hit)) ||
                         (ray != pieces.back() &&
                          FBGeom_PointDistance(hit->location(), ray->endPoint2()) <=
                              2 * FBHit_SearchReach(*hit))))
                        return std::nullopt;
                    // The search places a crossing only to within its point reach: one that near
                    // the ray's start (the far side of a thin wedge the point lies in) may lie
                    // behind it.
                    if (FBGeom_PointDistance(hit->location(), from) <= 2 * FBHit_SearchReach(*hit))
                        return std::nullopt;
                    odd = !odd;
                }
            }
        }
    }
    return odd;
}

} // namespace

QPointF FBPieceSample::point() const
{
    return edge->curve()->pointAtParameter(t);
}

std::vector<FBPieceSample> FBPiece_Samples(const FBEdgeCrossing &from, const FBEdgeCrossing &to,
                                           bool around, size_t most)
{
    std::vector<Stretch> stretches = stretchesOf(from, to, around);
    std::stable_sort(stretches.begin(), stretches.end(),
                     [](const Stretch &a, const Stretch &b) { return a.length > b.length; });
    std::vector<FBPieceSample> samples;
    auto sample = [&samples, most](const Stretch &s, double share) {
        if (samples.size() >= most)
            return;
        const double t = s.from + share * (s.to - s.from);
        samples.push_back({s.edge, t});
    };
    for (const Stretch &s : stretches)
        sample(s, 0.5);
    for (const double share : {0.25, 0.75, 0.125, 0.375, 0.625, 0.875}) {
        for (size_t k = 0; k < stretches.size() && k < 2; ++k)
            sample(stretches[k], share);
    }
    return samples;
}

bool FBContour_OnSharedStretch(const FBBezierContour &contour, const FBContourEdge *edge, double t,
                               const std::unordered_set<const FBBezierContour *> *others)
{
    for (const FBContourOverlapPtr &overlap : contour.sharedOverlaps()) {
        const FBBezierContour *other =
            overlap->contour1() == &contour ? overlap->contour2() : overlap->contour1();
        if (others && !others->contains(other))
            continue;
        for (const FBEdgeOverlapRun &run : overlap->runs()) {
            for (const FBEdgeOverlapPtr &stretch : run.overlaps()) {
                const FBBezierIntersectRange &range = *stretch->range();
                const bool first = stretch->edge1() == edge, second = stretch->edge2() == edge;
                if (!first && !second)
                    continue;
                const FBRange r = first ? range.parameterRange1() : range.parameterRange2();
                if (t >= r.minimum && t <= r.maximum)
                    return true;
            }
        }
    }
    return false;
}

FBNearestOnOutline
FBOutline_Nearest(QPointF point, const std::vector<const FBBezierContour *> &contours, double floor)
{
    FBNearestOnOutline nearest{INFINITY, point};
    for (const FBBezierContour *c : contours) {
        if (!(nearest.distance > floor))
            break;
        if (!(boxDistance(c->bounds(), point) < nearest.distance))
            continue;
        for (const auto &edge : c->edges()) {
            const FBBezierCurve &curve = *edge->curve();
            if (!(boxDistance(curve.bounds(), point) < nearest.distance) ||
                FBCurve_FartherThan(curve.points(), point, nearest.distance))
                continue;
            const QPointF on = curve.pointAtParameter(FBJointCuts_Nearest(curve, point));
            const double distance = FBGeom_PointDistance(on, point);
            if (distance < nearest.distance)
                nearest = {distance, on};
        }
    }
    return nearest;
}

double FBOutline_BoxDistance(QPointF point, const std::vector<const FBBezierContour *> &contours)
{
    double nearest = INFINITY;
    for (const FBBezierContour *c : contours) {
        if (!(boxDistance(c->bounds(), point) < nearest))
            continue;
        for (const auto &edge : c->edges())
            nearest = std::min(nearest, boxDistance(edge->curve()->bounds(), point));
    }
    return nearest;
}

bool FBOutline_FartherThan(QPointF point, const std::vector<const FBBezierContour *> &contours,
                           double distance)
{
    // A box counts as far only past a margin for the rounding of the box and of the points the
    // search computes on its curve.
    auto farBox = [&](const QRectF &b) {
        const double extent =
            std::max({FBGeom_LargestMagnitude(b), std::abs(point.x()), std::abs(point.y())});
        return boxDistance(b, point) > distance + 1e-9 * (1.0 + extent);
    };
    for (const FBBezierContour *c : contours) {
        if (farBox(c->bounds()))
            continue;
        for (const auto &edge : c->edges()) {
            const FBBezierCurve &curve = *edge->curve();
            if (!farBox(curve.bounds()) && !FBCurve_FartherThan(curve.points(), point, distance))
                return false;
        }
    }
    return true;
}

namespace {

// Whether `point` lies inside `contours` by two rays that agree, aimed away from `nearest`.
std::optional<bool> agreedByRays(QPointF point, QPointF nearest,
                                 const std::vector<const FBBezierContour *> &contours, double reach,
                                 double length)
{
    const QPointF away = FBGeom_NormalizeVector(point - nearest);
    const double offOutline = FBGeom_PointDistance(point, nearest);
    if (!(FBGeom_SquaredLength(away) > 0))
        return std::nullopt;
    // The first ray's answer not yet matched: -1 none, 0 even, 1 odd.
    int first = -1;
    for (const double turn : {0.0, 0.2, -0.2, 0.5, -0.5, 0.9, -0.9, 1.3, -1.3}) {
        const QPointF direction(away.x() * std::cos(turn) - away.y() * std::sin(turn),
                                away.x() * std::sin(turn) + away.y() * std::cos(turn));
        const std::optional<bool> odd = oddAlongRay(point, point + length * direction, contours,
                                                    reach, FBTol_RayPieceGrowth * offOutline);
        if (!odd)
            continue;
        if (first == int(*odd))
            return *odd;
        first = first < 0 ? int(*odd) : -1;
    }
    return std::nullopt;
}

// A point on the same side of every outline of `contours` as `point` and at least `clearance`
// off them, with its nearest point on them, found by steps away from the nearest outline, each
// half as long as the point's distance off every outline: no step leaves the disc no outline
// enters, so none crosses one. Nothing when the steps stop gaining (a point deep in a slit
// narrower than `clearance`).
std::optional<std::pair<QPointF, QPointF>>
steppedClear(QPointF point, const std::vector<const FBBezierContour *> &contours, double clearance)
{
    constexpr int MostSteps = 64;
    for (int step = 0; step < MostSteps; ++step) {
        const FBNearestOnOutline nearest = FBOutline_Nearest(point, contours);
        if (!(nearest.distance > 0) || !std::isfinite(nearest.distance))
            return std::nullopt;
        if (nearest.distance >= clearance)
            return std::pair{point, nearest.point};
        point += 0.5 * nearest.distance * FBGeom_NormalizeVector(point - nearest.point);
    }
    return std::nullopt;
}

} // namespace

std::optional<bool>
FBOutline_ContainsPointNear(QPointF point, QPointF nearest,
                            const std::vector<const FBBezierContour *> &contours)
{
    QRectF box(point, QSizeF(0, 0));
    for (const FBBezierContour *c : contours)
        box = box.united(c->bounds());
    const double size = std::max(box.width(), box.height());
    const double length = 2.0 * (box.width() + box.height()) + 10.0;
    const double reach =
        FBTol_BesideJoint * (1.0 + std::max({size, std::abs(point.x()), std::abs(point.y())}));
    if (!std::isfinite(length))
        return std::nullopt;
    if (const std::optional<bool> inside = agreedByRays(point, nearest, contours, reach, length))
        return inside;
    // Every ray from a point nearer a joint of the outline than the rays' joint reach passes
    // that joint too near to tell how it crosses there: such a point (a speck's, at a long
    // curve's joint) is read from a point stepped clear of the outline on its side.
    const double clearance = 4 * reach;
    if (!(FBGeom_PointDistance(point, nearest) < clearance))
        return std::nullopt;
    const std::optional<std::pair<QPointF, QPointF>> clear =
        steppedClear(point, contours, clearance);
    if (!clear)
        return std::nullopt;
    ++FBDecision_Counters().pointsSteppedClear;
    return agreedByRays(clear->first, clear->second, contours, reach, length);
}
