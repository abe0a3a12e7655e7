#include "pathops/FBBezierContour.h"

#include "pathops/FBBezierGraph.h"
#include "pathops/FBBoxPairs.h"
#include "pathops/FBContourOverlap.h"
#include "pathops/FBContourPieces.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBCurveStretch.h"
#include "pathops/FBDecisionCounters.h"
#include "pathops/FBHitMeasures.h"
#include "pathops/FBRayCrossing.h"
#include "pathops/PelkoNSBezierPath.h"
#include "pathops/FBTolerances.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <unordered_set>

namespace {

bool isZeroRect(const QRectF &r)
{
    return r.x() == 0 && r.y() == 0 && r.width() == 0 && r.height() == 0;
}

} // namespace

FBBezierContour::FBBezierContour()
{
    mEdges.reserve(12);
}

FBBezierContourPtr FBBezierContour::bezierContourWithCurve(const FBBezierCurvePtr &curve)
{
    auto contour = std::make_shared<FBBezierContour>();
    contour->addCurve(curve);
    return contour;
}

void FBBezierContour::addCurve(const FBBezierCurvePtr &curve)
{
    if (!curve)
        return;
    auto edge = std::make_unique<FBContourEdge>(curve, this);
    edge->setIndex(qsizetype(mEdges.size()));
    mEdges.push_back(std::move(edge));
    mBounds = QRectF();
    mBezPathCache.reset();
}

void FBBezierContour::addReverseCurve(const FBBezierCurvePtr &curve)
{
    if (curve)
        addCurve(curve->reversedCurve());
}

namespace {

FBBezierCurvePtr pieceBetween(const FBEdgeCrossing *startCrossing,
                              const FBEdgeCrossing *endCrossing)
{
    if (!startCrossing && !endCrossing)
        return nullptr;
    if (!startCrossing)
        return endCrossing->leftCurve();
    if (!endCrossing)
        return startCrossing->rightCurve();
    return startCrossing->curve()->subcurveWithRange(
        FBGeom_MakeRange(startCrossing->parameter(), endCrossing->parameter()));
}

} // namespace

void FBBezierContour::addCurveFrom(const FBEdgeCrossing *startCrossing,
                                   const FBEdgeCrossing *endCrossing)
{
    addCurve(pieceBetween(startCrossing, endCrossing));
}

void FBBezierContour::addReverseCurveFrom(const FBEdgeCrossing *startCrossing,
                                          const FBEdgeCrossing *endCrossing)
{
    addReverseCurve(pieceBetween(startCrossing, endCrossing));
}

void FBBezierContour::joinEdgesFrom(size_t first, QPointF start, QPointF end)
{
    if (first >= mEdges.size())
        return;
    FBContourEdge &head = *mEdges[first];
    head.setCurve(head.curve()->curveWithEndPoints(
        start, first + 1 == mEdges.size() ? end : head.curve()->endPoint2()));
    if (first + 1 < mEdges.size()) {
        FBContourEdge &tail = *mEdges.back();
        tail.setCurve(tail.curve()->curveWithEndPoints(tail.curve()->endPoint1(), end));
    }
    mBounds = QRectF();
    mBezPathCache.reset();
}

void FBBezierContour::close()
{
    if (mEdges.empty())
        return;
    const QPointF first = mEdges.front()->curve()->endPoint1();
    const QPointF last = mEdges.back()->curve()->endPoint2();
    if (!FBGeom_ArePointsClose(first, last))
        addCurve(FBBezierCurve::bezierCurveWithLineStartPoint(last, first));
}

FBBezierContourPtr FBBezierContour::copy() const
{
    auto contour = std::make_shared<FBBezierContour>();
    for (const auto &edge : mEdges)
        contour->addCurve(edge->curve());
    return contour;
}

FBBezierContourPtr FBBezierContour::reversedContour() const
{
    auto contour = std::make_shared<FBBezierContour>();
    for (auto it = mEdges.rbegin(); it != mEdges.rend(); ++it)
        contour->addReverseCurve((*it)->curve());
    return contour;
}

int FBBezierContour::direction() const
{
    // The shoelace sum over every corner of the loop.
    double area = 0.0;
    for (const auto &edge : mEdges) {
        const QPointF l = edge->curve()->endPoint1();
        const QPointF c = edge->curve()->endPoint2();
        area += l.x() * c.y() - c.x() * l.y();
    }
    return area >= 0 ? 0 : 1;
}

FBBezierContourPtr FBBezierContour::contourMadeClockwiseIfNecessary()
{
    return direction() == 0 ? shared_from_this() : reversedContour();
}

QRectF FBBezierContour::bounds() const
{
    if (!isZeroRect(mBounds))
        return mBounds;
    if (mEdges.empty())
        return QRectF();
    QRectF total;
    for (const auto &edge : mEdges) {
        const QRectF b = edge->curve()->bounds();
        total = isZeroRect(total) ? b : FBGeom_UnionRect(total, b);
    }
    mBounds = total;
    return mBounds;
}

QPointF FBBezierContour::firstPoint() const
{
    return mEdges.empty() ? QPointF() : mEdges.front()->curve()->endPoint1();
}

bool FBBezierContour::containsPoint(QPointF point) const
{
    const QRectF b = bounds();
    const double endX = point.x() > b.left() ? b.left() - 10 : b.right() + 10;
    // A ray that passes a hair from a joint meets one of its two edges "at the joint" and the
    // other just off it: the joint is judged as a touch and the other hit still counts, so the
    // count comes out odd for a point well outside. The first of these rays that meets no
    // joint decides; when every one does, the first is used as before.
    const QPointF ends[] = {
        QPointF(endX, point.y()),
        QPointF(endX == b.left() - 10 ? b.right() + 10 : b.left() - 10, point.y()),
        QPointF(point.x(), b.top() - 10),
        QPointF(point.x(), b.bottom() + 10),
    };
    auto rayFor = [point](QPointF end) {
        return bezierContourWithCurve(FBBezierCurve::bezierCurveWithLineStartPoint(point, end));
    };
    // A ray through a joint where both edges leave along it (a spike's tip) may meet neither by
    // the search, and is as unclear as one the search answers at the joint.
    const double reach =
        1e-7 * (1.0 + std::max({b.width(), b.height(), std::abs(point.x()), std::abs(point.y())}));
    auto throughAJoint = [this, point, reach](QPointF end) {
        const QPointF along = FBGeom_SubtractPoints(end, point);
        const double length2 = QPointF::dotProduct(along, along);
        for (const auto &edge : mEdges) {
            const QPointF joint = edge->curve()->endPoint1();
            const double s =
                QPointF::dotProduct(FBGeom_SubtractPoints(joint, point), along) / length2;
            if (s >= 0.0 && s <= 1.0 &&
                FBGeom_DistancePointToLine(joint, point, end) <= FBEdge_JointReach(*edge, reach))
                return true;
        }
        return false;
    };
    // A ray that grazes the outline where it turns back (the top of a bowl, at a joint or a
    // hair beside it) can be counted once where it meets it twice or not at all: such a ray does
    // not decide either.
    auto unclear = [](const std::vector<RayHit> &hits) {
        constexpr double GrazingSine = FBTol_InsideRayGrazingSine;
        if (hitsMeetJoint(hits))
            return true;
        for (const RayHit &hit : hits) {
            for (const FBBezierIntersectionPtr &x : hit.intersections) {
                const QPointF ray = FBGeom_NormalizeVector(FBCurve_DeCasteljau(
                    FBCurve_Derivative(x->curve1()->points()), x->parameter1()));
                const QPointF edge = FBGeom_NormalizeVector(FBCurve_DeCasteljau(
                    FBCurve_Derivative(x->curve2()->points()), x->parameter2()));
                if (x->isTangent() ||
                    std::abs(ray.x() * edge.y() - ray.y() * edge.x()) < GrazingSine)
                    return true;
            }
        }
        return false;
    };
    // Each ray's edges are searched once, for the joint test and the count alike.
    std::optional<std::pair<FBBezierContourPtr, std::vector<RayHit>>> first;
    for (const QPointF end : ends) {
        FBBezierContourPtr ray = rayFor(end);
        std::vector<RayHit> hits = hitsOfRay(ray->edges().front()->curve(), true);
        if (!unclear(hits) && !throughAJoint(end))
            return (crossingsAmongHits(ray->edges().front().get(), hits).size() & 1) != 0;
        if (!first)
            first.emplace(std::move(ray), std::move(hits));
    }
    // Outlines drawn on a grid can have a joint or a side level with the point on all four
    // sides; slanted rays, their slopes no simple ratio, pass clear of those.
    const double span = b.width() + b.height() + std::abs(point.x() - b.center().x()) +
                        std::abs(point.y() - b.center().y()) + 10;
    const QPointF slants[] = {{1.0, 0.3183098861837907},
                              {-1.0, -0.4142135623730950},
                              {-0.2679491924311227, 1.0},
                              {0.5773502691896258, -1.0}};
    for (const QPointF slant : slants) {
        FBBezierContourPtr ray = rayFor(point + span * slant);
        std::vector<RayHit> hits = hitsOfRay(ray->edges().front()->curve(), true);
        if (!unclear(hits) && !throughAJoint(point + span * slant))
            return (crossingsAmongHits(ray->edges().front().get(), hits).size() & 1) != 0;
    }
    return (crossingsAmongHits(first->first->edges().front().get(), first->second).size() & 1) != 0;
}

std::vector<FBBezierContour::RayHit> FBBezierContour::hitsOfRay(const FBBezierCurvePtr &ray,
                                                                bool quick) const
{
    std::vector<RayHit> hits;
    const QRectF rayBounds = ray->bounds();
    for (const auto &edge : mEdges) {
        if (!FBBoxPairs_BoxesMeet(rayBounds, edge->curve()->bounds()))
            continue;
        if (quick && FBRay_ClearCrossing(*ray, *edge->curve()))
            hits.push_back({edge.get(), {}, true});
        else
            hits.push_back({edge.get(), ray->intersectionsWithBezierCurve(edge->curve())});
    }
    return hits;
}

bool FBBezierContour::hitsMeetJoint(const std::vector<RayHit> &hits)
{
    for (const RayHit &hit : hits) {
        for (const FBBezierIntersectionPtr &intersection : hit.intersections) {
            if (intersection->isAtEndPointOfCurve2())
                return true;
        }
    }
    return false;
}

bool FBBezierContour::rayMeetsJoint(const FBBezierCurvePtr &ray) const
{
    return hitsMeetJoint(hitsOfRay(ray, true));
}

qsizetype FBBezierContour::numberOfIntersectionsWithRay(const FBContourEdge *testEdge) const
{
    return qsizetype(crossingsAmongHits(testEdge, hitsOfRay(testEdge->curve(), true)).size());
}

FBBezierContour::RayCount FBBezierContour::crossingsOfRay(const FBContourEdge *testEdge,
                                                          double reach) const
{
    const FBBezierCurvePtr &ray = testEdge->curve();
    const std::vector<RayHit> hits = hitsOfRay(ray, true);
    RayCount count{qsizetype(crossingsAmongHits(testEdge, hits).size()), true};
    const QRectF near = ray->bounds().adjusted(-reach, -reach, reach, reach);
    for (const auto &edge : mEdges) {
        if (near.contains(edge->curve()->endPoint1()))
            count.clear = false;
    }
    // A ray starting a hair from this contour (a counter touching its bowl, started at the
    // touch) cannot tell whether it leaves across it or beside it: the search places such a hit
    // anywhere within a hair of the start. A hair of the curves met: of a speck's curve, a hair
    // of the ray's length would hold the whole speck.
    for (const RayHit &hit : hits) {
        for (const FBBezierIntersectionPtr &intersection : hit.intersections) {
            const double hair = FBTol_Hair * std::min(ray->length(), FBHit_Size(*intersection));
            if (intersection->isTangent() || intersection->isAtEndPointOfCurve2() ||
                FBGeom_PointDistance(intersection->location(), ray->endPoint1()) <= hair)
                count.clear = false;
        }
    }
    return count;
}

std::vector<FBBezierIntersectionPtr>
FBBezierContour::intersectionsWithRay(const FBContourEdge *testEdge) const
{
    return crossingsAmongHits(testEdge, hitsOfRay(testEdge->curve(), false));
}

std::vector<FBBezierIntersectionPtr>
FBBezierContour::crossingsAmongHits(const FBContourEdge *testEdge, const std::vector<RayHit> &hits)
{
    std::vector<FBBezierIntersectionPtr> found;
    for (const RayHit &hit : hits) {
        if (hit.clear) {
            found.push_back(nullptr);
            continue;
        }
        const FBContourEdge *edge = hit.edge;
        for (const FBBezierIntersectionPtr &intersection : hit.intersections) {
            if (!testEdge->crossesEdge(edge, *intersection))
                continue;
            // A crossing at the joint of two edges is found on both: count it once.
            if (intersection->isAtStartOfCurve2() && !found.empty()) {
                const FBBezierIntersectionPtr &last = found.back();
                if (last && last->isAtEndPointOfCurve2() &&
                    edge->previous()->curve() == last->curve2())
                    continue;
            } else if (intersection->isAtStopOfCurve2() && !found.empty()) {
                const FBBezierIntersectionPtr &first = found.front();
                if (first && first->isAtStartOfCurve2() && edge->next()->curve() == first->curve2())
                    continue;
            }
            found.push_back(intersection);
        }
    }
    return found;
}

FBContourEdge *FBBezierContour::startEdge() const
{
    if (mEdges.empty())
        return nullptr;
    for (const auto &edge : mEdges) {
        if (!edge->isStartShared())
            return edge.get();
    }
    return mEdges.front().get();
}

FBBezierContour::CrossingWalk FBBezierContour::crossingWalk() const
{
    CrossingWalk walk;
    FBContourEdge *start = startEdge();
    if (!start)
        return walk;
    size_t place = 0;
    FBContourEdge *edge = start;
    do {
        for (const FBEdgeCrossingPtr &crossing : edge->crossings()) {
            const FBEdgeCrossing *counterpart = crossing->counterpart();
            if (!crossing->isSelfCrossing() && counterpart && counterpart->edge())
                walk[counterpart->edge()->contour()].emplace_back(place, crossing.get());
            ++place;
        }
        edge = edge->next();
    } while (edge != start);
    return walk;
}

void FBBezierContour::markCrossingsAsEntryOrExitWithContour(
    FBBezierContour *otherContour, bool markInside, const CrossingWalk *walk,
    const std::vector<FBBezierContour *> *otherSelfIntersecting, FBAlongRule alongRule)
{
    FBContourEdge *start = startEdge();
    if (!start)
        return;
    std::vector<FBBezierContour *> counted =
        otherSelfIntersecting ? *otherSelfIntersecting : otherContour->selfIntersectingContours();
    // contourAndSelfIntersectingContoursContainPoint of the other contour, on the list in hand.
    // A contour whose box does not hold the point cannot hold it: of a long chain of contours
    // meeting one another, only the few around the point are asked.
    auto countedContain = [&counted](QPointF point) {
        int count = 0;
        for (const FBBezierContour *contour : counted) {
            if (FBBoxPairs_BoxHoldsPoint(contour->bounds(), point) && contour->containsPoint(point))
                ++count;
        }
        return (count & 1) != 0;
    };
    counted.push_back(otherContour);
    const std::unordered_set<const FBBezierContour *> counts(counted.begin(), counted.end());
    auto isCounted = [&counts](const FBEdgeCrossingPtr &crossing) {
        return !crossing->isSelfCrossing() && crossing->counterpart() &&
               crossing->counterpart()->edge() &&
               counts.contains(crossing->counterpart()->edge()->contour());
    };

    // The counted crossings in the order a walk round the contour from its start edge meets
    // them. A contour crossed by thousands of others (a square across nested squares) is marked
    // against each in turn: the walk gives the few crossings with the counted contours.
    std::vector<FBEdgeCrossing *> along;
    if (walk) {
        std::vector<std::pair<size_t, FBEdgeCrossing *>> marked;
        for (const FBBezierContour *contour : counted) {
            const auto found = walk->find(contour);
            if (found != walk->end())
                marked.insert(marked.end(), found->second.begin(), found->second.end());
        }
        if (counted.size() > 1)
            std::sort(marked.begin(), marked.end());
        for (const auto &[place, crossing] : marked) {
            (void)place;
            along.push_back(crossing);
        }
    } else {
        FBContourEdge *edge = start;
        do {
            for (const FBEdgeCrossingPtr &crossing : edge->crossings()) {
                if (isCounted(crossing))
                    along.push_back(crossing.get());
            }
            edge = edge->next();
        } while (edge != start);
    }
    if (along.empty())
        return;

    // Each piece between consecutive crossings lies inside the other contour or outside it. The
    // point of it farthest from the other outline tells, off the stretches the two outlines
    // share (where a run, not a side, decides): between crossings of copies a hair apart that is
    // the middle of the sliver they bound. Piece k runs from along[k] to the next crossing; the
    // last runs round past the walk's start to the first.
    const std::vector<const FBBezierContour *> outlines(counted.begin(), counted.end());
    // A piece that lies along the other outline all its length, where this whole contour is drawn
    // in the other operand too (and another contour of either crosses it), is kept by `along`:
    // points a little off it on either side tell which of the two regions lie there, and whether
    // the answer differs across. Elsewhere such a piece (between a shared run's crossing and its
    // end) is told by the pieces beside it.
    const bool drawnInBoth =
        std::any_of(counted.begin(), counted.end(),
                    [this](const FBBezierContour *c) { return isEquivalent(c); });
    // This contour and those of its graph it meets, gathered when first needed.
    std::vector<const FBBezierContour *> own;
    auto evenOddContains = [](const std::vector<const FBBezierContour *> &contours, QPointF p) {
        bool odd = false;
        for (const FBBezierContour *c : contours) {
            if (FBBoxPairs_BoxHoldsPoint(c->bounds(), p))
                odd = odd != c->containsPoint(p);
        }
        return odd;
    };
    // Read only where a piece runs along the other outline all its length.
    std::optional<bool> ownParityRead, otherParityRead;
    auto sideAlong = [&](const FBPieceSample &sample) -> std::optional<bool> {
        const FBBezierCurve &curve = *sample.edge->curve();
        const QPointF tangent = FBGeom_NormalizeVector(
            FBCurve_DeCasteljau(FBCurve_Derivative(curve.points()), sample.t));
        const QRectF b = curve.bounds();
        const double curveSize = std::max(b.width(), b.height());
        if (!drawnInBoth || !alongRule.result || FBGeom_SquaredLength(tangent) == 0 ||
            !(curveSize > 0))
            return std::nullopt;
        if (own.empty()) {
            own.push_back(this);
            for (const FBBezierContour *c : selfIntersectingContours())
                own.push_back(c);
        }
        std::vector<const FBBezierContour *> all = own;
        all.insert(all.end(), outlines.begin(), outlines.end());
        const QPointF normal(-tangent.y(), tangent.x());
        const QPointF at = sample.point();
        for (const double share : FBTol_AlongOffsets) {
            const double off = share * FBCurveStretchTolerance * curveSize;
            const QPointF plus = at + off * normal;
            const QPointF minus = at - off * normal;
            if (!(FBOutline_Nearest(plus, all, off / 2).distance > off / 2) ||
                !(FBOutline_Nearest(minus, all, off / 2).distance > off / 2))
                continue;
            if (!ownParityRead) {
                ownParityRead = parityOutside(own);
                otherParityRead = otherContour->parityOutside(outlines);
            }
            const bool ownParity = *ownParityRead, otherParity = *otherParityRead;
            auto answer = [&](QPointF q) {
                return alongRule.result(evenOddContains(own, q) != ownParity,
                                        evenOddContains(outlines, q) != otherParity);
            };
            const bool kept = alongRule.keeps && answer(plus) != answer(minus);
            // As the marks read a piece's side: kept pieces get the entry mark.
            return markInside ? kept : !kept;
        }
        return std::nullopt;
    };
    auto sideOf = [&](const FBEdgeCrossing &from, const FBEdgeCrossing &to,
                      bool around) -> std::optional<bool> {
        constexpr size_t MostTried = 3;
        std::vector<std::pair<FBNearestOnOutline, QPointF>> tried;
        const std::vector<FBPieceSample> samples = FBPiece_Samples(from, to, around);
        // A point's distance off the other outline is taken at the scale of the curves met at
        // the piece's ends (a side between two crossings with a speck is read at the speck's);
        // whether it lies well clear, at that of the other outline's curves there, which the
        // inside test's rays meet: a speck's arc beside a long side is not clear of it by the
        // speck's measure, where the ray's hit on that side could land behind the point.
        const double scale = std::min(FBHit_SmallerSize(*from.intersection()),
                                      FBHit_SmallerSize(*to.intersection()));
        auto otherSize = [](const FBEdgeCrossing &crossing) {
            const QRectF b = crossing.counterpart()->edge()->curve()->bounds();
            return std::max(b.width(), b.height());
        };
        const double wellClear =
            FBTol_AtCurveSize(FBTol_PieceWellClear, std::max(otherSize(from), otherSize(to)));
        bool offStretches = false;
        for (const FBPieceSample &sample : samples) {
            if (FBContour_OnSharedStretch(*this, sample.edge, sample.t, &counts))
                continue;
            offStretches = true;
            const QPointF p = sample.point();
            // A point within the search's reach of either crossing (the piece a hair between
            // two) may lie on the other side of where the crossing really is.
            if (FBGeom_PointDistance(p, from.location()) <=
                    2 * FBHit_SearchReach(*from.intersection()) ||
                FBGeom_PointDistance(p, to.location()) <= 2 * FBHit_SearchReach(*to.intersection()))
                continue;
            const double largest = std::max(std::abs(p.x()), std::abs(p.y()));
            const double rounding =
                FBTol_AtCurveSize(FBTol_PieceOffOutline * (1.0 + largest), scale, largest);
            // A point well clear of the other outline (most pieces' middles) needs no search for
            // a farther one, and the inside test's rays along the axes read it.
            // Clear only at a speck's scale, the point is read by rays searched in pieces: the
            // inside test's rays run ten units past the outline, and their search meets none of
            // a speck's outline a speck's size from their start.
            const bool clearAtFixedScale = !(wellClear < FBTol_PieceWellClear);
            if (FBOutline_BoxDistance(p, outlines) >= wellClear ||
                (clearAtFixedScale && FBOutline_FartherThan(p, outlines, wellClear)))
                return countedContain(p);
            const FBNearestOnOutline nearest = FBOutline_Nearest(p, outlines);
            if (nearest.distance >= FBTol_PieceWellClear ||
                (clearAtFixedScale && nearest.distance >= wellClear))
                return countedContain(p);
            if (nearest.distance > rounding)
                tried.emplace_back(nearest, p);
        }
        std::stable_sort(tried.begin(), tried.end(), [](const auto &a, const auto &b) {
            return a.first.distance > b.first.distance;
        });
        for (size_t k = 0; k < tried.size() && k < MostTried; ++k) {
            if (const std::optional<bool> inside =
                    FBOutline_ContainsPointNear(tried[k].second, tried[k].first.point, outlines))
                return inside;
        }
        if (!offStretches && !samples.empty())
            return sideAlong(samples.front());
        return std::nullopt;
    };
    const size_t count = along.size();
    std::vector<std::optional<bool>> inside(count);
    for (size_t k = 0; k < count; ++k)
        inside[k] = sideOf(*along[k], *along[(k + 1) % count], k + 1 == count);
    // A piece with no point clear of the other outline (a hair between two crossings, or one
    // running along the other outline all its length) continues the alternation from the piece
    // before it that was decided. With none decided, the walk's start decides, as it did for
    // every piece before the pieces were tested.
    const auto firstDecided =
        std::find_if(inside.begin(), inside.end(), [](const auto &d) { return d.has_value(); });
    std::vector<bool> sides(count);
    if (firstDecided == inside.end()) {
        FBDecision_Counters().undecidedPieces += count;
        const bool startInside = countedContain(start->curve()->endPoint1());
        for (size_t k = 0; k < count; ++k)
            sides[k] = startInside != (k % 2 == 0);
    } else {
        const size_t from = size_t(firstDecided - inside.begin());
        bool side = **firstDecided;
        for (size_t step = 0; step < count; ++step) {
            const size_t k = (from + step) % count;
            if (inside[k]) {
                side = *inside[k];
            } else {
                side = !side;
                ++FBDecision_Counters().undecidedPieces;
            }
            sides[k] = side;
        }
        // The count along the outline would have turned the side over at every crossing from
        // the piece holding the walk's start.
        for (size_t k = 0; k < count; ++k) {
            if (sides[k] != (sides[count - 1] != (k % 2 == 0)))
                ++FBDecision_Counters().pointOverruledParity;
        }
    }
    for (size_t k = 0; k < count; ++k) {
        along[k]->setEntry(markInside ? sides[k] : !sides[k]);
        along[k]->setTouch(sides[(k + count - 1) % count] == sides[k]);
    }
}

bool FBBezierContour::contourAndSelfIntersectingContoursContainPoint(QPointF point) const
{
    int count = containsPoint(point) ? 1 : 0;
    for (const FBBezierContour *contour : selfIntersectingContours()) {
        if (contour->containsPoint(point))
            ++count;
    }
    return (count & 1) != 0;
}

const platform::BezierPath &FBBezierContour::bezierPath() const
{
    if (!mBezPathCache) {
        platform::BezierPath path;
        if (!mEdges.empty()) {
            path.moveToPoint(mEdges.front()->curve()->endPoint1());
            for (const auto &edge : mEdges) {
                const FBBezierCurvePtr &curve = edge->curve();
                if (curve->isStraightLine())
                    path.lineToPoint(curve->endPoint2());
                else
                    path.curveToPoint(curve->endPoint2(), curve->controlPoint1(),
                                      curve->controlPoint2());
            }
            path.closePath();
        }
        path.setWindingRule(platform::WindingRule::EvenOdd);
        mBezPathCache = path;
    }
    return *mBezPathCache;
}

std::vector<FBBezierContour *> FBBezierContour::intersectingContours() const
{
    std::vector<FBBezierContour *> contours;
    // A few are looked up in the list; a contour crossed by thousands of others uses a set.
    constexpr size_t FewContours = 16;
    std::unordered_set<const FBBezierContour *> seen;
    for (const auto &edge : mEdges) {
        // Most edges cross nothing.
        if (edge->crossings().empty())
            continue;
        for (FBContourEdge *other : edge->intersectingEdges()) {
            FBBezierContour *contour = other->contour();
            if (contours.size() < FewContours) {
                if (std::find(contours.begin(), contours.end(), contour) == contours.end())
                    contours.push_back(contour);
                continue;
            }
            if (seen.empty())
                seen.insert(contours.begin(), contours.end());
            if (seen.insert(contour).second)
                contours.push_back(contour);
        }
    }
    return contours;
}

std::vector<FBBezierContour *> FBBezierContour::selfIntersectingContours() const
{
    std::vector<FBBezierContour *> contours;
    addSelfIntersectingContoursToArray(contours, this);
    return contours;
}

void FBBezierContour::addSelfIntersectingContoursToArray(
    std::vector<FBBezierContour *> &contours, const FBBezierContour *originalContour) const
{
    // Depth first, as a recursion would visit them, on a stack of our own: chains of touching
    // contours can be as long as the input. A contour's neighbours are those across its self
    // crossings, edge by edge, then those it meets.
    struct Frame
    {
        const FBBezierContour *contour;
        size_t edge = 0;
        std::vector<FBBezierContour *> across;
        size_t next = 0;
        bool meetingAdded = false;
    };
    std::unordered_set<const FBBezierContour *> added(contours.begin(), contours.end());
    std::vector<Frame> stack;
    stack.push_back(Frame{this, 0, {}, 0, false});
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next >= frame.across.size()) {
            frame.across.clear();
            frame.next = 0;
            if (frame.edge < frame.contour->mEdges.size()) {
                for (FBContourEdge *edge :
                     frame.contour->mEdges[frame.edge++]->selfIntersectingEdges())
                    frame.across.push_back(edge->contour());
            } else if (!frame.meetingAdded) {
                frame.across = frame.contour->mMeeting;
                frame.meetingAdded = true;
            } else {
                stack.pop_back();
            }
            continue;
        }
        FBBezierContour *contour = frame.across[frame.next++];
        if (contour == originalContour || added.contains(contour))
            continue;
        added.insert(contour);
        contours.push_back(contour);
        stack.push_back(Frame{contour, 0, {}, 0, false});
    }
}

void FBBezierContour::addMeetingContour(FBBezierContour *contour)
{
    if (contour && contour != this &&
        std::find(mMeeting.begin(), mMeeting.end(), contour) == mMeeting.end())
        mMeeting.push_back(contour);
}

bool FBBezierContour::parityOutside(const std::vector<const FBBezierContour *> &counted) const
{
    // The hole-or-fill mark counted every contour holding this one (those touching it by where
    // it lies beside them); those among `counted` are counted again by the even-odd count.
    bool parity = mInside == 1;
    if (mMeeting.empty())
        return parity;
    const QRectF box = bounds();
    for (const FBBezierContour *contour : counted) {
        if (contour != this && FBBoxPairs_BoxHolds(contour->bounds(), box) &&
            FBContainment_SideOfTouchingContour(*this, *contour) == true)
            parity = !parity;
    }
    return parity;
}

void FBBezierContour::addOverlap(const FBContourOverlapPtr &overlap)
{
    mOverlaps.push_back(overlap);
    if (!overlap->runs().empty())
        mSharedOverlaps.push_back(overlap);
}

void FBBezierContour::removeAllOverlaps()
{
    mOverlaps.clear();
    mSharedOverlaps.clear();
}

bool FBBezierContour::isEquivalent(const FBBezierContour *other) const
{
    for (const FBContourOverlapPtr &overlap : mSharedOverlaps) {
        if (overlap->isBetweenContour(this, other) && overlap->isComplete())
            return true;
    }
    return false;
}

double FBBezierContour::enclosedArea() const
{
    // Half the integral of x dy - y dx along the curves, a polynomial of degree five on each,
    // which three Gauss points give exactly.
    constexpr double Node = 0.7745966692414834; // sqrt(3/5)
    constexpr std::array<std::pair<double, double>, 3> Gauss = {
        {{0.5 * (1.0 - Node), 5.0 / 18}, {0.5, 8.0 / 18}, {0.5 * (1.0 + Node), 5.0 / 18}}};
    double twice = 0.0;
    for (const auto &edge : mEdges) {
        const FBCurvePoints p = edge->curve()->points();
        const std::array<QPointF, 3> dp = FBCurve_Derivative(p);
        for (const auto &[t, weight] : Gauss) {
            const QPointF at = FBCurve_DeCasteljau(p, t);
            const QPointF along = FBCurve_DeCasteljau(dp, t);
            twice += weight * (at.x() * along.y() - at.y() * along.x());
        }
    }
    return std::abs(twice) / 2.0;
}

bool FBBezierContour::isSameOutline(const FBBezierContour *other) const
{
    if (!isEquivalent(other))
        return false;
    const double a = enclosedArea(), b = other->enclosedArea();
    return std::abs(a - b) <= FBTol_SameArea * std::max(a, b);
}

QString FBBezierContour::description() const
{
    const QRectF b = bounds();
    QStringList edges;
    for (size_t i = 0; i < mEdges.size(); ++i)
        edges << QStringLiteral("%1: %2").arg(i).arg(mEdges[i]->description());
    return QString::asprintf("<FBBezierContour: bounds = (%f, %f)(%f, %f) edges = ", b.x(), b.y(),
                             b.width(), b.height()) +
           QStringLiteral("(%1)>").arg(edges.join(", "));
}

platform::BezierPath FBBezierContour::debugPathForIntersectionType(int type) const
{
    platform::BezierPath path;
    for (const auto &edge : mEdges) {
        for (const FBEdgeCrossingPtr &crossing : edge->crossings()) {
            if (type == 1 && !crossing->isEntry())
                continue;
            if (type == 2 && crossing->isEntry())
                continue;
            path.appendBezierPath(crossing->isEntry() ? circleAtPoint(crossing->location())
                                                      : rectAtPoint(crossing->location()));
        }
    }
    if (const FBContourEdge *start = startEdge()) {
        const QPointF p = start->curve()->endPoint1();
        const QPointF d =
            FBGeom_NormalizeVector(FBGeom_SubtractPoints(start->curve()->controlPoint1(), p));
        path.appendBezierPath(triangleAtPoint(p, d));
    }
    path.appendBezierPath(bezierPath());
    if (mInside == 1)
        path.setLineDash({2.0, 3.0}, 0);
    return path;
}
