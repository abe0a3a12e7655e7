// The crossings of two graphs and of the contours of one graph: where curves meet, which of those
// hits are crossings of their own (and not echoes, repeats, passages a shared run holds, or
// crossings past an end that the next edge finds), and the crossing pairs of shared runs.

#include "pathops/FBBezierGraph.h"

#include "pathops/FBCoincidentContours.h"
#include "pathops/FBContourOverlap.h"
#include "pathops/FBContourPairs.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBCurveStretch.h"
#include "pathops/FBEdgeOverlapRun.h"
#include "pathops/FBHitMeasures.h"
#include "pathops/PathOperationState.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace {

// Marks where an intersection lies on an edge's start, or on the next edge's start.
void markSharedStarts(FBContourEdge *edge1, FBContourEdge *edge2,
                      const FBBezierIntersection &intersection)
{
    if (intersection.isAtStartOfCurve1())
        edge1->setStartShared(true);
    else if (intersection.isAtStopOfCurve1())
        edge1->next()->setStartShared(true);
    if (intersection.isAtStartOfCurve2())
        edge2->setStartShared(true);
    else if (intersection.isAtStopOfCurve2())
        edge2->next()->setStartShared(true);
}

void addCrossingPair(FBContourEdge *edge1, FBContourEdge *edge2,
                     const FBBezierIntersectionPtr &intersection, bool selfCrossing)
{
    const FBEdgeCrossingPtr crossing1 = FBEdgeCrossing::crossingWithIntersection(intersection);
    const FBEdgeCrossingPtr crossing2 = FBEdgeCrossing::crossingWithIntersection(intersection);
    crossing1->setSelfCrossing(selfCrossing);
    crossing2->setSelfCrossing(selfCrossing);
    crossing1->setCounterpart(crossing2.get());
    crossing2->setCounterpart(crossing1.get());
    edge1->addCrossing(crossing1);
    edge2->addCrossing(crossing2);
}

// One place where an edge meets an edge of another contour.
struct EdgeHit
{
    FBContourEdge *edge1;
    FBContourEdge *edge2;
    FBBezierIntersectionPtr intersection;
};

// A hit dropped past a run's end, nearer to it than the run read the sides at: the passage that
// reading holds.
struct PassageHit
{
    const FBEdgeOverlapRun *run;
    EdgeHit hit;
};

// Where two curves cross near a hit, by Newton's steps (below, with the crossings past an end).
std::optional<std::pair<double, double>> exactCrossing(const FBBezierCurve &curve1, double s,
                                                       const FBBezierCurve &curve2, double t);

QPointF directionFromEnd(const FBBezierCurve &curve, double end);
QPointF directionAt(const FBBezierCurve &curve, double t);

// Whether the edge ending or starting at a joint (`atStart`: it starts there) and its neighbour
// across that joint both leave the joint clearly to one side of `other` where it passes there
// (at `otherT`): a curve passing a hair beside that joint then crosses both edges or neither,
// so a hit on each, however rough one of them, is two crossings (a sharp spike's tip poking a
// hair through a side), never one crossing and its echo.
bool jointWholeOnOneSide(const FBContourEdge *edge, bool atStart, const FBBezierCurve &other,
                         double otherT)
{
    constexpr double ClearSine = FBTol_JointClearSine;
    const FBContourEdge *neighbour = atStart ? edge->previous() : edge->next();
    const QPointF along = FBGeom_NormalizeVector(directionAt(other, otherT));
    const QPointF away[] = {
        FBGeom_NormalizeVector(directionFromEnd(*edge->curve(), atStart ? 0.0 : 1.0)),
        FBGeom_NormalizeVector(directionFromEnd(*neighbour->curve(), atStart ? 1.0 : 0.0))};
    const double sine0 = along.x() * away[0].y() - along.y() * away[0].x();
    const double sine1 = along.x() * away[1].y() - along.y() * away[1].x();
    return std::abs(sine0) > ClearSine && std::abs(sine1) > ClearSine && (sine0 > 0) == (sine1 > 0);
}

// The search accepts curves that pass a hair apart at an edge's end as meeting there: a rough
// hit at the joint, beside the precise hit where the curve really crosses the same edge or the
// one across the joint. Both would become crossings where there is one, and the pair would
// cross an odd number of times. A hit near an edge's end (by parameter) that lies within a
// hundred times its gap of a hit at least a hundred times more precise, on the same edge or the
// neighbouring one at that end, is such an echo; the answer marks it true. A rough hit whose
// curves, followed by Newton's steps, cross within both edges at a point apart from the precise
// hit is a crossing of its own that the search found roughly (a line's corner lying a hair inside
// a circle: the circle crosses both lines at the corner), and no echo.
std::vector<bool> echoesAtJoints(const std::vector<EdgeHit> &hits)
{
    constexpr double EndReach = FBTol_EndParameter;
    std::vector<bool> echoes(hits.size(), false);
    // The hits on each edge of either side, gathered when first needed.
    std::unordered_map<const FBContourEdge *, std::vector<size_t>> onEdge[2];
    bool gathered = false;
    for (size_t index = 0; index < hits.size(); ++index) {
        FBBezierIntersection &y = *hits[index].intersection;
        const QPointF point = y.location();
        const double gap = FBHit_Gap(y);
        const double rounding = 1e-9 * (1.0 + std::abs(point.x()) + std::abs(point.y()));
        if (!(gap > rounding))
            continue;
        // Where the rough hit's curves cross within both edges, found once when first needed.
        bool ownCrossingSought = false, ownCrossingFound = false;
        QPointF ownCrossing;
        auto crossesApartFrom = [&](QPointF precise) {
            if (!ownCrossingSought) {
                ownCrossingSought = true;
                const auto exact =
                    exactCrossing(*y.curve1(), y.parameter1(), *y.curve2(), y.parameter2());
                ownCrossingFound = exact && exact->first >= 0.0 && exact->first <= 1.0 &&
                                   exact->second >= 0.0 && exact->second <= 1.0;
                if (ownCrossingFound)
                    ownCrossing = y.curve1()->pointAtParameter(exact->first);
            }
            return ownCrossingFound && FBGeom_PointDistance(ownCrossing, precise) > gap;
        };
        for (bool side1 : {true, false}) {
            const double t = side1 ? y.parameter1() : y.parameter2();
            const bool nearStart = t <= EndReach, nearStop = t >= 1.0 - EndReach;
            if (echoes[index] || !(nearStart || nearStop))
                continue;
            if (!gathered) {
                for (size_t k = 0; k < hits.size(); ++k) {
                    onEdge[0][hits[k].edge1].push_back(k);
                    onEdge[1][hits[k].edge2].push_back(k);
                }
                gathered = true;
            }
            const FBContourEdge *edge = side1 ? hits[index].edge1 : hits[index].edge2;
            const auto &bySide = onEdge[side1 ? 0 : 1];
            const FBContourEdge *neighbour = nearStart ? edge->previous() : edge->next();
            for (const FBContourEdge *e : {edge, neighbour}) {
                const auto found = bySide.find(e);
                if (found == bySide.end())
                    continue;
                if (e != edge &&
                    jointWholeOnOneSide(edge, nearStart, side1 ? *y.curve2() : *y.curve1(),
                                        side1 ? y.parameter2() : y.parameter1()))
                    continue;
                for (size_t k : found->second) {
                    FBBezierIntersection &x = *hits[k].intersection;
                    if (k != index && !echoes[k] && 1e2 * FBHit_Gap(x) < gap &&
                        FBGeom_PointDistance(x.location(), point) <= 1e2 * gap &&
                        !crossesApartFrom(x.location()))
                        echoes[index] = true;
                }
            }
        }
    }
    return echoes;
}

// Where two curves, taken past their ends as the same polynomials, cross near the parameters
// (s, t) where the search found them meeting: Newton's steps on both parameters at once. Where
// the curves cut across each other at a sine of at least ClearSine, the crossing lies within
// gap / sine of the found point, the gap being how far apart the curves' points are there.
// Nothing where they cut across too shallowly for the steps to be sure, or where the steps do
// not settle on one point of both curves close by.
std::optional<std::pair<double, double>> exactCrossing(const FBBezierCurve &curve1, double s,
                                                       const FBBezierCurve &curve2, double t)
{
    constexpr double ClearSine = FBTol_ExactCrossingSine;
    const FBCurvePoints p = curve1.points();
    const FBCurvePoints q = curve2.points();
    const std::array<QPointF, 3> dp = FBCurve_Derivative(p);
    const std::array<QPointF, 3> dq = FBCurve_Derivative(q);
    const QPointF found = FBCurve_DeCasteljau(p, s);
    QPointF offset = FBGeom_SubtractPoints(found, FBCurve_DeCasteljau(q, t));
    const double reach = 2.0 * FBGeom_VectorLength(offset) / ClearSine;
    const double rounding = 1e-9 * (1.0 + std::max(std::abs(found.x()), std::abs(found.y())));
    for (int step = 0; step < 16 && FBGeom_VectorLength(offset) > 1e-3 * rounding; ++step) {
        const QPointF a = FBCurve_DeCasteljau(dp, s);
        const QPointF b = FBCurve_DeCasteljau(dq, t);
        // offset + a·ds - b·dt = 0, by Cramer's rule.
        const double det = a.y() * b.x() - a.x() * b.y();
        if (!(std::abs(det) >= ClearSine * FBGeom_VectorLength(a) * FBGeom_VectorLength(b)))
            return std::nullopt;
        s += (offset.x() * b.y() - offset.y() * b.x()) / det;
        t += (a.y() * offset.x() - a.x() * offset.y()) / det;
        const QPointF point = FBCurve_DeCasteljau(p, s);
        if (!(FBGeom_PointDistance(point, found) <= reach + rounding))
            return std::nullopt;
        offset = FBGeom_SubtractPoints(point, FBCurve_DeCasteljau(q, t));
    }
    if (!(FBGeom_VectorLength(offset) <= rounding))
        return std::nullopt;
    return std::make_pair(s, t);
}

// The search stops at a curve's end when the other curve crosses a hair past it, or passes a
// hair beside it: it answers the end, with the two curves' points there apart by up to its
// tolerance. The crossing past the end is the next edge's, which finds it again; a curve passing
// beside a corner crosses neither edge there. Either way the answer at the end is no crossing of
// this curve, and counted, it would leave the two contours crossing an odd number of times.
// Where the end point lies on the other curve, the crossing is at the joint, which the edges on
// both sides decide.
bool crossesPastAnEnd(FBBezierIntersection &x)
{
    constexpr double NearEnd = FBTol_EndParameter;
    // The sine below which exactCrossing does not answer.
    constexpr double ClearEndSine = FBTol_ExactCrossingSine;
    if (x.isAtEndPointOfCurve())
        return false;
    // Near by parameter, or, on a short curve whose parameter runs fast, within the distance
    // the search's own gap leaves uncertain. A curve shorter than that (a sliver's side) is near
    // both ends wherever the hit lies on it, and the other curve may pass beside either.
    const double uncertain = FBHit_Gap(x) / ClearEndSine;
    struct NearEnds
    {
        bool start;
        bool stop;
    };
    auto nearEnds = [uncertain](double t, const FBBezierCurve &curve, QPointF at) {
        return NearEnds{t <= NearEnd || FBGeom_PointDistance(at, curve.endPoint1()) <= uncertain,
                        t >= 1.0 - NearEnd ||
                            FBGeom_PointDistance(at, curve.endPoint2()) <= uncertain};
    };
    const NearEnds near1 = nearEnds(x.parameter1(), *x.curve1(), x.location());
    const NearEnds near2 = nearEnds(x.parameter2(), *x.curve2(), x.location());
    if (!near1.start && !near1.stop && !near2.start && !near2.stop)
        return false;
    const auto exact = exactCrossing(*x.curve1(), x.parameter1(), *x.curve2(), x.parameter2());
    if (!exact)
        return false;
    auto past = [](NearEnds near, double t) {
        return (near.start && t < 0.0) || (near.stop && t > 1.0);
    };
    return past(near1, exact->first) || past(near2, exact->second);
}

// Whether a hit lies on one side of a shared stretch, its ends and the joints at them included:
// on `edge` at `t`, the stretch running over `range` of `stretchEdge`.
bool onStretchSide(const FBContourEdge *edge, double t, const FBContourEdge *stretchEdge,
                   FBRange range, QPointF location)
{
    constexpr double Reach = FBTol_EndParameter;
    if (edge == stretchEdge && t >= range.minimum - Reach && t <= range.maximum + Reach)
        return true;
    if (edge == stretchEdge->next() && t <= Reach && range.maximum >= 1.0 - Reach)
        return true;
    if (edge == stretchEdge->previous() && t >= 1.0 - Reach && range.minimum <= Reach)
        return true;
    // The search and the stretch place an end where curves part a little differently.
    const FBBezierCurve &curve = *stretchEdge->curve();
    const QRectF box = curve.bounds();
    const double tolerance = FBCurveStretchTolerance * std::max(box.width(), box.height());
    const bool nearby =
        edge == stretchEdge || edge == stretchEdge->next() || edge == stretchEdge->previous();
    return nearby &&
           (FBGeom_PointDistance(location, curve.pointAtParameter(range.minimum)) <= tolerance ||
            FBGeom_PointDistance(location, curve.pointAtParameter(range.maximum)) <= tolerance);
}

// A hit on a shared stretch of the two contours, at its ends included, is where the curves run
// along each other, not where they cross: the stretch's run decides whether the outlines cross
// through it. (On curves lying exactly on each other such hits never cross; on curves a hair
// apart their tangents differ by rounding, and would.) Such hits still mark shared starts.
//
// A hit a little past a run's end on the branches leaving it, where the curves really pass from
// one side of each other to the other, is a crossing of its own when the run read the sides
// nearer its end than that (a curve leaving its joint on the other's side at a small angle, a
// copy's curve crossing that side just before its joint lies on it): the reading saw the branch
// before it crossed.
void dropHitsOnStretches(std::vector<EdgeHit> &hits, const FBContourOverlap &overlap)
{
    if (overlap.runs().empty())
        return;
    constexpr double Reach = FBTol_EndParameter;
    auto inside = [](const FBContourEdge *edge, double t, const FBContourEdge *stretchEdge,
                     FBRange range) {
        return edge == stretchEdge && t >= range.minimum - Reach && t <= range.maximum + Reach;
    };
    std::erase_if(hits, [&](const EdgeHit &hit) {
        FBBezierIntersection &x = *hit.intersection;
        for (const FBEdgeOverlapRun &run : overlap.runs()) {
            for (const FBEdgeOverlapPtr &stretch : run.overlaps()) {
                const FBBezierIntersectRange &range = *stretch->range();
                if (!onStretchSide(hit.edge1, x.parameter1(), stretch->edge1(),
                                   range.parameterRange1(), x.location()) ||
                    !onStretchSide(hit.edge2, x.parameter2(), stretch->edge2(),
                                   range.parameterRange2(), x.location()))
                    continue;
                if (!inside(hit.edge1, x.parameter1(), stretch->edge1(), range.parameterRange1()) &&
                    !inside(hit.edge2, x.parameter2(), stretch->edge2(), range.parameterRange2()) &&
                    !x.isAtEndPointOfCurve()) {
                    double readTo = 0.0;
                    run.isCrossing(&readTo);
                    const FBBezierCurve &stretchCurve = *stretch->edge1()->curve();
                    const double fromEnd = std::min(
                        FBGeom_PointDistance(x.location(), stretchCurve.pointAtParameter(
                                                               range.parameterRange1().minimum)),
                        FBGeom_PointDistance(x.location(), stretchCurve.pointAtParameter(
                                                               range.parameterRange1().maximum)));
                    // Beside a stretch of curves, only sides farther apart than the stretch's
                    // own curves may lie tell.
                    const FBBezierCurve &stretchOther = *stretch->edge2()->curve();
                    const QRectF box = stretchCurve.bounds().united(stretchOther.bounds());
                    const double wobble =
                        stretchCurve.isStraightLine() && stretchOther.isStraightLine()
                            ? 0.0
                            : FBTol_StretchApart * (1.0 + FBGeom_LargestMagnitude(box));
                    if (fromEnd > readTo &&
                        FBCurve_ChangesSidesAt(*x.curve1(), x.parameter1(), *x.curve2(),
                                               x.parameter2(), wobble))
                        continue;
                }
                markSharedStarts(hit.edge1, hit.edge2, x);
                return true;
            }
        }
        return false;
    });
}

// Marks the joints a shared stretch covers or ends at, on both contours: a point there lies on the
// other outline within the stretch tolerance, yet a hair to either side of it, and a walk that
// starts there can find the crossing the run puts in its middle on the wrong side of its start.
void markStretchStarts(const FBContourOverlap &overlap)
{
    constexpr double Reach = 1e-5;
    for (const FBEdgeOverlapRun &run : overlap.runs()) {
        for (const FBEdgeOverlapPtr &stretch : run.overlaps()) {
            const FBBezierIntersectRange &range = *stretch->range();
            const FBRange on1 = range.parameterRange1(), on2 = range.parameterRange2();
            if (on1.minimum <= Reach)
                stretch->edge1()->setStartShared(true);
            if (on1.maximum >= 1.0 - Reach)
                stretch->edge1()->next()->setStartShared(true);
            if (on2.minimum <= Reach)
                stretch->edge2()->setStartShared(true);
            if (on2.maximum >= 1.0 - Reach)
                stretch->edge2()->next()->setStartShared(true);
        }
    }
}

// Where a shared stretch ends and the outlines leave it along each other (their curves nearly
// tangent there, bending alike), the search may answer a touch a little past the end, where the
// curves are still closer than its tolerance. The run's reading of the sides at that end, taken
// farther along both branches, already decides whether the outlines cross there: such a hit on
// the edges at the end, nearly tangent and within a sixteenth of the shorter edge of it, would
// count the same passage twice. So would any hit on the branches leaving an end that lies
// nearer the end than the run read the sides at (curves crossing at a shallow angle just past the
// end): the reading already holds that passage. Those hits are kept in `passages`.
void dropHitsPastRunEnds(std::vector<EdgeHit> &hits, const FBContourOverlap &overlap,
                         std::vector<PassageHit> &passages)
{
    constexpr double TangentSine = FBTol_RunEndTangentSine;
    constexpr double Reach = FBTol_RunEndHitReach;
    if (overlap.runs().empty() || hits.empty())
        return;
    struct RunEnd
    {
        const FBEdgeOverlapRun *run;
        QPointF point;
        const FBContourEdge *edge1;
        const FBContourEdge *edge2;
        // Where the stretch ends on each edge, and whether each contour leaves it forwards.
        double t1;
        bool forwards;
        double t2;
        bool forwards2;
        // How far along the branches the run read the sides.
        double readTo;
    };
    std::vector<RunEnd> ends;
    for (const FBEdgeOverlapRun &run : overlap.runs()) {
        if (run.overlaps().empty() || run.isComplete())
            continue;
        double readTo = 0.0;
        run.isCrossing(&readTo);
        const FBEdgeOverlap &first = *run.overlaps().front();
        const FBEdgeOverlap &last = *run.overlaps().back();
        const double start = first.range()->parameterRange1().minimum;
        const double stop = last.range()->parameterRange1().maximum;
        const bool reversed = first.range()->reversed();
        const FBRange firstRange2 = first.range()->parameterRange2();
        const FBRange lastRange2 = last.range()->parameterRange2();
        ends.push_back({&run, first.range()->curve1()->pointAtParameter(start), first.edge1(),
                        first.edge2(), start, false,
                        reversed ? firstRange2.maximum : firstRange2.minimum, reversed, readTo});
        ends.push_back({&run, last.range()->curve1()->pointAtParameter(stop), last.edge1(),
                        last.edge2(), stop, true,
                        reversed ? lastRange2.minimum : lastRange2.maximum, !reversed, readTo});
    }
    auto near = [](const FBContourEdge *edge, const FBContourEdge *at) {
        return edge == at || edge == at->previous() || edge == at->next();
    };
    // On both contours' branches leaving the end, rather than on the stretch before it.
    auto leaving = [](const FBContourEdge *edge, double t, const FBContourEdge *at, double end,
                      bool forwards) {
        if (forwards)
            return (edge == at && t >= end) || edge == at->next();
        return (edge == at && t <= end) || edge == at->previous();
    };
    // Past the end on one contour at least, and on the other past it too or on the stretch's
    // last edge: the stretch ends on the two contours apart (a corner of each, a copy moved a
    // hair), and a hit between the two ends is the passage the run's reading holds as well.
    auto past = [&leaving](const EdgeHit &hit, const RunEnd &end) {
        const bool leaving1 =
            leaving(hit.edge1, hit.intersection->parameter1(), end.edge1, end.t1, end.forwards);
        const bool leaving2 =
            leaving(hit.edge2, hit.intersection->parameter2(), end.edge2, end.t2, end.forwards2);
        return (leaving1 && (leaving2 || hit.edge2 == end.edge2)) ||
               (leaving2 && hit.edge1 == end.edge1);
    };
    std::erase_if(hits, [&](const EdgeHit &hit) {
        FBBezierIntersection &x = *hit.intersection;
        const FBBezierCurve &c1 = *hit.edge1->curve();
        const FBBezierCurve &c2 = *hit.edge2->curve();
        const double reach = Reach * std::min(c1.length(), c2.length());
        for (const RunEnd &end : ends) {
            if (!near(hit.edge1, end.edge1) || !near(hit.edge2, end.edge2))
                continue;
            const double distance = FBGeom_PointDistance(x.location(), end.point);
            if (distance < end.readTo && past(hit, end)) {
                passages.push_back({end.run, hit});
                return true;
            }
            if (!(distance <= reach))
                continue;
            const QPointF d1 = FBGeom_NormalizeVector(
                FBCurve_DeCasteljau(FBCurve_Derivative(c1.points()), x.parameter1()));
            const QPointF d2 = FBGeom_NormalizeVector(
                FBCurve_DeCasteljau(FBCurve_Derivative(c2.points()), x.parameter2()));
            // Nearly tangent there: a touch, unless the curves really pass from one side of
            // each other to the other (a shallow crossing farther out than the run read).
            if (std::abs(d1.x() * d2.y() - d1.y() * d2.x()) < TangentSine &&
                !FBCurve_ChangesSidesAt(c1, x.parameter1(), c2, x.parameter2()))
                return true;
        }
        return false;
    });
}

// The direction a curve leaves its end at `end` (0 or 1) in, away from it: the first control
// point distinct from the end gives it.
QPointF directionFromEnd(const FBBezierCurve &curve, double end)
{
    const FBCurvePoints p = curve.points();
    const QPointF from = end == 0.0 ? p[0] : p[3];
    const std::array<QPointF, 3> inward = end == 0.0 ? std::array<QPointF, 3>{p[1], p[2], p[3]}
                                                     : std::array<QPointF, 3>{p[2], p[1], p[0]};
    for (QPointF q : inward) {
        if (q != from)
            return FBGeom_SubtractPoints(q, from);
    }
    return QPointF();
}

// The curve's direction at `t`, by its derivative.
QPointF directionAt(const FBBezierCurve &curve, double t)
{
    return FBCurve_DeCasteljau(FBCurve_Derivative(curve.points()), t);
}

// Where a curve runs into its own joint along the other outline (a bowl's joint touching a bar's
// side), the search may answer the touch anywhere along the stretch where the two stay within its
// tolerance of each other: on pieces cut at crossings nearby, or on arcs of nearly equal radii,
// farther from the joint than the parameter tolerance, and often a hair either side of it. Taken
// as crossings there, such hits cut a sliver out of the answer. A hit within a hundredth of the
// curves' size of an end of `ours`, where `ours` leaves that end along `theirs` (a sine under
// 1e-3) and the end lies on `theirs`, is moved to that end, where the edges on both sides decide
// whether the outlines touch or cross. The answer is the end's parameter, if the hit is moved.
std::optional<double> jointRunInto(const FBBezierCurve &ours, double t, const FBBezierCurve &theirs,
                                   double theirT)
{
    constexpr double Reach = FBTol_JointRunIntoReach;
    constexpr double RunSine = FBTol_AlongSine;
    const QPointF at = ours.pointAtParameter(t);
    const double size = FBCurves_PairSize(ours.bounds(), theirs.bounds());
    const QPointF along = FBGeom_NormalizeVector(directionAt(theirs, theirT));
    for (double end : {0.0, 1.0}) {
        const QPointF endPoint = end == 0.0 ? ours.endPoint1() : ours.endPoint2();
        if (!(std::abs(t - end) <= 0.5 && FBGeom_PointDistance(at, endPoint) <= Reach * size))
            continue;
        const QPointF leaving = FBGeom_NormalizeVector(directionFromEnd(ours, end));
        if (std::abs(leaving.x() * along.y() - leaving.y() * along.x()) < RunSine)
            return end;
    }
    return std::nullopt;
}

// The hit, or the same hit moved to the joint a curve runs into along the other (see
// jointRunInto), where that joint lies on the other curve. A hit where the curves really pass
// from one side of each other to the other stays: that is a crossing of its own just short of
// the joint (a curve leaving a side at a small angle, crossing it again before its joint), which
// the edges at the joint, read past it, cannot see.
FBBezierIntersectionPtr movedToJointRunInto(FBBezierIntersectionPtr hit)
{
    FBBezierIntersection &x = *hit;
    if (FBCurve_ChangesSidesAt(*x.curve1(), x.parameter1(), *x.curve2(), x.parameter2()))
        return hit;
    if (!x.isAtEndPointOfCurve1()) {
        if (const auto end =
                jointRunInto(*x.curve1(), x.parameter1(), *x.curve2(), x.parameter2())) {
            auto moved = FBBezierIntersection::intersectionWithCurve1(x.curve1(), *end, x.curve2(),
                                                                      x.parameter2());
            if (moved->isAtEndPointOfCurve1())
                hit = std::move(moved);
        }
    }
    FBBezierIntersection &y = *hit;
    if (!y.isAtEndPointOfCurve2()) {
        if (const auto end =
                jointRunInto(*y.curve2(), y.parameter2(), *y.curve1(), y.parameter1())) {
            auto moved = FBBezierIntersection::intersectionWithCurve1(y.curve1(), y.parameter1(),
                                                                      y.curve2(), *end);
            if (moved->isAtEndPointOfCurve2())
                hit = std::move(moved);
        }
    }
    return hit;
}

// Where a hit lies on one contour: the edge starting at the joint it lies at, or else the edge
// it lies inside, told apart by the flag.
struct HitPlace
{
    const FBContourEdge *edge;
    bool atJoint;

    bool operator==(const HitPlace &) const = default;
};

HitPlace placeOf(const FBContourEdge *edge, bool atStart, bool atStop)
{
    return {atStart ? edge : atStop ? edge->next() : edge, atStart || atStop};
}

// The joint a hit on `edge` at `t` lies at or within the end reach of, by parameter (as the
// edge starting there); nullptr inside the edge.
const FBContourEdge *jointNear(const FBContourEdge *edge, double t)
{
    constexpr double EndReach = 1e-5;
    if (t <= EndReach)
        return edge;
    if (t >= 1.0 - EndReach)
        return edge->next();
    return nullptr;
}

// Where joints of both contours lie a hair apart on one line (a curve's end touching the other's
// side a hair before that side's corner, the line after the end running along the side up to the
// corner and on), the search meets the one passage three times: at both joints (the lines'
// shared sliver, too short for a stretch), at one contour's joint a hair inside the other's
// edge, and the other way round. Each of the last two, taken as a crossing, counts the passage
// again, and the pair crosses an odd number of times. A hit at the joint of one contour and
// within the end reach of the other's, next to a hit at both, repeats that hit; the answer marks
// it true.
std::vector<bool> repeatsOfJointHits(const std::vector<EdgeHit> &hits)
{
    std::vector<bool> repeats(hits.size(), false);
    auto atJoint1 = [](const FBBezierIntersection &x) {
        return x.isAtStartOfCurve1() || x.isAtStopOfCurve1();
    };
    auto atJoint2 = [](const FBBezierIntersection &x) {
        return x.isAtStartOfCurve2() || x.isAtStopOfCurve2();
    };
    for (size_t k = 0; k < hits.size(); ++k) {
        FBBezierIntersection &x = *hits[k].intersection;
        if (atJoint1(x) == atJoint2(x))
            continue;
        const FBContourEdge *near1 = jointNear(hits[k].edge1, x.parameter1());
        const FBContourEdge *near2 = jointNear(hits[k].edge2, x.parameter2());
        if (!near1 || !near2)
            continue;
        const double reach = FBCurveStretchTolerance * FBHit_Size(x);
        for (size_t j = 0; j < hits.size() && !repeats[k]; ++j) {
            FBBezierIntersection &y = *hits[j].intersection;
            if (j == k || !atJoint1(y) || !atJoint2(y))
                continue;
            repeats[k] =
                placeOf(hits[j].edge1, y.isAtStartOfCurve1(), y.isAtStopOfCurve1()).edge == near1 &&
                placeOf(hits[j].edge2, y.isAtStartOfCurve2(), y.isAtStopOfCurve2()).edge == near2 &&
                FBGeom_PointDistance(x.location(), y.location()) <= reach;
        }
    }
    return repeats;
}

// Where the joints of both contours lie a hair apart, each on the other's curve (a circle's joint
// on a side a hair before that side's corner, the circle passing out of the other contour at or
// beside the corner), the search meets the passage twice, at each contour's joint a hair inside
// the other's edge. A reading there that takes the piece up to the other's joint for a tail (it is
// no longer than a hair of the hit's curves) reads the curves beyond that joint, and so the whole
// passage, which the other hit reads again: taken both as crossings they count it twice. Of two
// such hits, both left after the other rules, the one whose reading holds the whole passage stays
// (the earlier where both do) and the other is marked in `dropped`; where neither does, each reads
// its own. The hits that stay for another are answered (those that must stand for their joint
// among the hits there).
std::vector<bool> dropRepeatsAcrossJointPairs(const std::vector<EdgeHit> &hits,
                                              std::vector<bool> &dropped)
{
    // The joint of contour 1 (or 2) the hit lies at or within the end reach of, as the edge
    // starting there; else nullptr. (The other curve passing a hair beside the joint, the hit lies
    // a rounding error inside our edge, but at no end of it.)
    auto jointOf = [](const EdgeHit &hit, bool contour1) -> const FBContourEdge * {
        const FBBezierIntersection &x = *hit.intersection;
        const HitPlace place =
            contour1 ? placeOf(hit.edge1, x.isAtStartOfCurve1(), x.isAtStopOfCurve1())
                     : placeOf(hit.edge2, x.isAtStartOfCurve2(), x.isAtStopOfCurve2());
        if (place.atJoint)
            return place.edge;
        return contour1 ? jointNear(hit.edge1, x.parameter1())
                        : jointNear(hit.edge2, x.parameter2());
    };
    auto beside = [](const FBContourEdge *inside, const FBContourEdge *joint) {
        return inside == joint || inside->next() == joint;
    };
    auto hairOf = [](const EdgeHit &hit) { return FBTol_Hair * FBHit_Size(*hit.intersection); };
    // Only a hit read as a crossing stands for the passage: one read as a touch (a curve's joint
    // touching the other's side a little past the corner where the two cross) leaves the other
    // hit the passage's only crossing.
    std::vector<std::optional<bool>> crossing(hits.size());
    auto crosses = [&](size_t k) {
        if (!crossing[k])
            crossing[k] = hits[k].edge1->crossesEdge(hits[k].edge2, *hits[k].intersection);
        return *crossing[k];
    };
    // A hit that stays for another dropped is not dropped in turn.
    std::vector<bool> kept(hits.size(), false);
    for (size_t k = 1; k < hits.size(); ++k) {
        const FBContourEdge *x1 = jointOf(hits[k], true);
        const FBContourEdge *x2 = jointOf(hits[k], false);
        if (!x1 == !x2)
            continue;
        for (size_t j = 0; j < k && !dropped[k]; ++j) {
            if (dropped[j])
                continue;
            const FBContourEdge *y1 = jointOf(hits[j], true);
            const FBContourEdge *y2 = jointOf(hits[j], false);
            if (!y1 == !y2 || !x1 == !y1)
                continue;
            const bool across = x1 ? beside(hits[j].edge1, x1) && beside(hits[k].edge2, y2)
                                   : beside(hits[j].edge2, x2) && beside(hits[k].edge1, y1);
            if (!across)
                continue;
            const double apart = FBGeom_PointDistance(hits[k].intersection->location(),
                                                      hits[j].intersection->location());
            if (apart <= hairOf(hits[j]) && crosses(j)) {
                dropped[k] = true;
                kept[j] = true;
            } else if (apart <= hairOf(hits[k]) && !kept[j] && crosses(k)) {
                dropped[j] = true;
                kept[k] = true;
            }
        }
    }
    return kept;
}

// The hits of one contour pair become crossings, those where a curve runs into its joint along
// the other moved to that joint, but for echoes of a hit beside a joint, hits
// where the curves really cross past an end, and repeats of a hit at a joint: where a curve runs
// into its joint along the other contour's side, the search answers that one point several
// times, at the joint of both contours or of one and inside the same edge of the other, and each
// answer would be a crossing of its own.
void addCrossingsOfHits(std::vector<EdgeHit> hits, bool selfCrossing)
{
    for (EdgeHit &hit : hits)
        hit.intersection = movedToJointRunInto(hit.intersection);
    const std::vector<bool> echoes = echoesAtJoints(hits);
    std::vector<bool> dropped = repeatsOfJointHits(hits);
    for (size_t k = 0; k < hits.size(); ++k)
        dropped[k] = echoes[k] || dropped[k] || crossesPastAnEnd(*hits[k].intersection);
    const std::vector<bool> standing = dropRepeatsAcrossJointPairs(hits, dropped);
    // A hit that stays for a repeat dropped is read first: where another hit lies at the same
    // joints (the same point met with the curve on the joint's other side), it stands for them,
    // as the passage it holds was read from it.
    std::vector<size_t> order;
    order.reserve(hits.size());
    for (const bool first : {true, false}) {
        for (size_t k = 0; k < hits.size(); ++k) {
            if (standing[k] == first)
                order.push_back(k);
        }
    }
    std::vector<std::pair<HitPlace, HitPlace>> joints;
    for (const size_t k : order) {
        const EdgeHit &hit = hits[k];
        if (dropped[k])
            continue;
        FBBezierIntersection &x = *hit.intersection;
        const std::pair<HitPlace, HitPlace> place{
            placeOf(hit.edge1, x.isAtStartOfCurve1(), x.isAtStopOfCurve1()),
            placeOf(hit.edge2, x.isAtStartOfCurve2(), x.isAtStopOfCurve2())};
        if (place.first.atJoint || place.second.atJoint) {
            if (std::find(joints.begin(), joints.end(), place) != joints.end())
                continue;
            joints.push_back(place);
        }
        markSharedStarts(hit.edge1, hit.edge2, *hit.intersection);
        if (hit.edge1->crossesEdge(hit.edge2, *hit.intersection))
            addCrossingPair(hit.edge1, hit.edge2, hit.intersection, selfCrossing);
    }
}

// The pieces joined at a run's crossing pair are bent onto its meeting point, all along their
// length, by as much as the run's sides lie apart there, which changes the area they enclose.
// When the curves themselves cross just past one end of the run, at the one passage its reading
// of the sides holds (a copy moved by a hair: its corner crosses the original's a little beyond
// the side the run follows), the pair goes there instead, where the pieces meet with no gap. With
// more such hits, or one no nearer than the sides both where the run would put its pair and at
// the end beside it, the run keeps its own. (Sides lying on each other along one stretch of the
// run and apart along another, the copy's corner crossing beside the latter: joined on the
// former, the pieces along the latter would keep the wrong side of the sliver between them.)
void addRunCrossings(FBEdgeOverlapRun &run, const std::vector<PassageHit> &passages)
{
    const EdgeHit *passage = nullptr;
    int count = 0;
    for (const PassageHit &p : passages) {
        if (p.run == &run) {
            passage = &p.hit;
            ++count;
        }
    }
    if (count == 1 && !passage->intersection->isAtEndPointOfCurve() &&
        passage->edge1->crossesEdge(passage->edge2, *passage->intersection) &&
        1e2 * FBHit_Gap(*passage->intersection) <
            std::max(run.crossingGap(), run.endGapNear(passage->intersection->location())))
        addCrossingPair(passage->edge1, passage->edge2, passage->intersection, false);
    else
        run.addCrossings();
}

} // namespace

void FBBezierGraph::insertCrossingsWithBezierGraph(FBBezierGraph &other,
                                                   const std::vector<FBContourEdgePair> *known)
{
    std::vector<FBContourEdgePair> found;
    if (!known)
        found = FBContourPairs_Between(mContours, other.mContours);
    const std::vector<FBContourEdgePair> &pairs = known ? *known : found;
    for (size_t from = 0; from < pairs.size();) {
        const size_t ours = pairs[from].contour1, theirs = pairs[from].contour2;
        FBBezierContour *ourContour = mContours[ours].get();
        FBBezierContour *theirContour = other.mContours[theirs].get();
        // Contours tracing one outline share it all the way round and cross nowhere.
        if (const FBContourOverlapPtr same =
                FBCoincidence_CompleteOverlap(*ourContour, *theirContour)) {
            ourContour->addOverlap(same);
            theirContour->addOverlap(same);
            while (from < pairs.size() && pairs[from].contour1 == ours &&
                   pairs[from].contour2 == theirs)
                ++from;
            continue;
        }
        const auto overlap = std::make_shared<FBContourOverlap>();
        std::vector<EdgeHit> hits;
        size_t to = from;
        for (; to < pairs.size() && pairs[to].contour1 == pairs[from].contour1 &&
               pairs[to].contour2 == pairs[from].contour2;
             ++to) {
            FBContourEdge *ourEdge = ourContour->edges()[pairs[to].edge1].get();
            FBContourEdge *theirEdge = theirContour->edges()[pairs[to].edge2].get();
            FBBezierIntersectRangePtr range;
            const auto intersections =
                ourEdge->curve()->intersectionsWithBezierCurve(theirEdge->curve(), &range);
            for (const FBBezierIntersectionPtr &intersection : intersections)
                hits.push_back({ourEdge, theirEdge, intersection});
            if (range)
                overlap->addOverlap(range, ourEdge, theirEdge);
        }
        from = to;
        dropHitsOnStretches(hits, *overlap);
        std::vector<PassageHit> passages;
        dropHitsPastRunEnds(hits, *overlap, passages);
        markStretchStarts(*overlap);
        addCrossingsOfHits(hits, false);
        // Outlines that coincide all the way round cross nowhere.
        if (!overlap->isComplete()) {
            for (FBEdgeOverlapRun &run : overlap->runs()) {
                if (run.isCrossing())
                    addRunCrossings(run, passages);
            }
        }
        ourContour->addOverlap(overlap);
        theirContour->addOverlap(overlap);
    }
    removeDuplicateCrossings();
    other.removeDuplicateCrossings();
}

void FBBezierGraph::removeDuplicateCrossings()
{
    for (const FBBezierContourPtr &contour : mContours) {
        for (const auto &edge : contour->edges()) {
            const std::vector<FBEdgeCrossingPtr> crossings = edge->crossings();
            for (const FBEdgeCrossingPtr &crossing : crossings) {
                // Already gone with an earlier duplicate.
                if (crossing->edge() != edge.get())
                    continue;
                if (crossing->isAtStart()) {
                    const FBEdgeCrossing *last = edge->previous()->lastCrossing();
                    if (last && last->isAtEnd()) {
                        if (FBEdgeCrossing *counterpart = crossing->counterpart())
                            counterpart->removeFromEdge();
                        crossing->removeFromEdge();
                        continue;
                    }
                }
                if (crossing->isAtEnd()) {
                    FBEdgeCrossing *first = edge->next()->firstCrossing();
                    if (first && first->isAtStart()) {
                        // Keep it alive while its counterpart goes.
                        const FBEdgeCrossingPtr keep = edge->next()->crossings().front();
                        if (FBEdgeCrossing *counterpart = first->counterpart())
                            counterpart->removeFromEdge();
                        first->removeFromEdge();
                    }
                }
            }
        }
    }
}

void FBBezierGraph::insertSelfCrossings()
{
    PathOperation_CheckCancelAndTimeLimit();
    // Each unordered pair once: the last contour of a shrinking list against every other.
    if (!mPairsWithin)
        mPairsWithin = FBContourPairs_Within(mContours);
    const std::vector<FBContourEdgePair> &pairs = *mPairsWithin;
    for (size_t from = 0; from < pairs.size();) {
        FBBezierContour *last = mContours[pairs[from].contour1].get();
        FBBezierContour *other = mContours[pairs[from].contour2].get();
        std::vector<EdgeHit> hits;
        size_t to = from;
        for (; to < pairs.size() && pairs[to].contour1 == pairs[from].contour1 &&
               pairs[to].contour2 == pairs[from].contour2;
             ++to) {
            FBContourEdge *lastEdge = last->edges()[pairs[to].edge1].get();
            FBContourEdge *otherEdge = other->edges()[pairs[to].edge2].get();
            const auto intersections =
                lastEdge->curve()->intersectionsWithBezierCurve(otherEdge->curve());
            for (const FBBezierIntersectionPtr &intersection : intersections)
                hits.push_back({lastEdge, otherEdge, intersection});
        }
        from = to;
        // Contours that meet, crossing or only touching, are read together by the other graph.
        if (!hits.empty()) {
            last->addMeetingContour(other);
            other->addMeetingContour(last);
        }
        addCrossingsOfHits(hits, true);
    }
    removeDuplicateCrossings();
}

bool FBBezierGraph::doesEdge(const FBContourEdge *edge1, const FBContourEdge *edge2,
                             FBBezierIntersection &intersection) const
{
    return edge1->crossesEdge(edge2, intersection);
}
