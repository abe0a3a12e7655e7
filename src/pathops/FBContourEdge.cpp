#include "pathops/FBContourEdge.h"

#include "pathops/FBBezierContour.h"

#include <QStringList>
#include <algorithm>
#include <initializer_list>

FBContourEdge::FBContourEdge(FBBezierCurvePtr curve, FBBezierContour *contour)
    : mCurve(std::move(curve)), mContour(contour)
{
    mCrossings.reserve(4);
}

void FBContourEdge::addCrossing(const FBEdgeCrossingPtr &crossing)
{
    crossing->setEdge(this);
    mCrossings.push_back(crossing);
    sortCrossings();
}

void FBContourEdge::removeCrossing(FBEdgeCrossing *crossing)
{
    const auto it =
        std::find_if(mCrossings.begin(), mCrossings.end(),
                     [crossing](const FBEdgeCrossingPtr &c) { return c.get() == crossing; });
    if (it == mCrossings.end())
        return;
    // Keep it alive until it has let go of this edge.
    const FBEdgeCrossingPtr keep = *it;
    keep->setEdge(nullptr);
    mCrossings.erase(it);
    sortCrossings();
}

void FBContourEdge::sortCrossings()
{
    std::stable_sort(mCrossings.begin(), mCrossings.end(),
                     [](const FBEdgeCrossingPtr &a, const FBEdgeCrossingPtr &b) {
                         return a->order() < b->order();
                     });
    for (size_t i = 0; i < mCrossings.size(); ++i)
        mCrossings[i]->setIndex(qsizetype(i));
}

void FBContourEdge::removeAllCrossings()
{
    mCrossings.clear();
}

FBContourEdge *FBContourEdge::next() const
{
    const auto &edges = mContour->edges();
    if (edges.empty())
        return nullptr;
    return edges[(size_t(mIndex) + 1) % edges.size()].get();
}

FBContourEdge *FBContourEdge::previous() const
{
    const auto &edges = mContour->edges();
    if (edges.empty())
        return nullptr;
    return edges[mIndex == 0 ? edges.size() - 1 : size_t(mIndex) - 1].get();
}

std::vector<FBContourEdge *> FBContourEdge::edgesAcross(bool selfCrossings) const
{
    std::vector<FBContourEdge *> edges;
    for (const FBEdgeCrossingPtr &crossing : mCrossings) {
        if (crossing->isSelfCrossing() != selfCrossings || !crossing->counterpart())
            continue;
        FBContourEdge *edge = crossing->counterpart()->edge();
        if (edge && std::find(edges.begin(), edges.end(), edge) == edges.end())
            edges.push_back(edge);
    }
    return edges;
}

std::vector<FBContourEdge *> FBContourEdge::intersectingEdges() const
{
    return edgesAcross(false);
}

std::vector<FBContourEdge *> FBContourEdge::selfIntersectingEdges() const
{
    return edgesAcross(true);
}

FBEdgeCrossing *FBContourEdge::firstCrossing() const
{
    return mCrossings.empty() ? nullptr : mCrossings.front().get();
}

FBEdgeCrossing *FBContourEdge::lastCrossing() const
{
    return mCrossings.empty() ? nullptr : mCrossings.back().get();
}

FBTangentPair FBEdge_TangentsAtIntersection(const FBContourEdge *edge,
                                            FBBezierIntersection &intersection, bool curve1)
{
    const bool atStart =
        curve1 ? intersection.isAtStartOfCurve1() : intersection.isAtStartOfCurve2();
    const bool atStop = curve1 ? intersection.isAtStopOfCurve1() : intersection.isAtStopOfCurve2();
    // A control point on its end point gives no direction: the next distinct point does.
    auto towardsFirstDistinct = [](QPointF from, std::initializer_list<QPointF> points) {
        for (QPointF p : points) {
            if (p != from)
                return FBGeom_SubtractPoints(p, from);
        }
        return QPointF();
    };
    auto leaving = [&](const FBBezierCurvePtr &c) {
        return towardsFirstDistinct(c->endPoint1(),
                                    {c->controlPoint1(), c->controlPoint2(), c->endPoint2()});
    };
    auto arriving = [&](const FBBezierCurvePtr &c) {
        return towardsFirstDistinct(c->endPoint2(),
                                    {c->controlPoint2(), c->controlPoint1(), c->endPoint1()});
    };
    FBTangentPair pair;
    if (atStart) {
        pair.left = arriving(edge->previous()->curve());
        pair.right = leaving(edge->curve());
    } else if (atStop) {
        pair.left = arriving(edge->curve());
        pair.right = leaving(edge->next()->curve());
    } else {
        pair.left =
            arriving(curve1 ? intersection.curve1LeftBezier() : intersection.curve2LeftBezier());
        pair.right =
            leaving(curve1 ? intersection.curve1RightBezier() : intersection.curve2RightBezier());
    }
    return pair;
}

bool FBContourEdge::crossesEdge(const FBContourEdge *edge2,
                                FBBezierIntersection &intersection) const
{
    if (intersection.isTangent())
        return false;
    if (!intersection.isAtEndPointOfCurve())
        return true;
    return FBGeom_TangentsCross(FBEdge_TangentsAtIntersection(this, intersection, true),
                                FBEdge_TangentsAtIntersection(edge2, intersection, false));
}

QString FBContourEdge::description() const
{
    QStringList crossings;
    for (size_t i = 0; i < mCrossings.size(); ++i)
        crossings << QStringLiteral("%1: %2").arg(i).arg(mCrossings[i]->description());
    return QStringLiteral("<FBContourEdge: curve = %1 crossings = (%2)>")
        .arg(mCurve->description(), crossings.join(QStringLiteral(", ")));
}
