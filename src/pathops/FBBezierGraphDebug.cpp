// Inspection helpers of the graph: the first steps of an operation, and drawings.

#include "pathops/FBBezierGraph.h"

#include "pathops/PelkoNSBezierPath.h"

void FBBezierGraph::debuggingInsertCrossingsForUnionWithBezierGraph(FBBezierGraph &otherGraph)
{
    debuggingInsertCrossingsWithBezierGraph(otherGraph, false, false);
}

void FBBezierGraph::debuggingInsertCrossingsForIntersectWithBezierGraph(FBBezierGraph &otherGraph)
{
    debuggingInsertCrossingsWithBezierGraph(otherGraph, true, true);
}

void FBBezierGraph::debuggingInsertCrossingsForDifferenceWithBezierGraph(FBBezierGraph &otherGraph)
{
    debuggingInsertCrossingsWithBezierGraph(otherGraph, false, true);
}

void FBBezierGraph::debuggingInsertCrossingsWithBezierGraph(FBBezierGraph &otherGraph,
                                                            bool markInside, bool markOtherInside)
{
    insertCrossingsWithBezierGraph(otherGraph);
    insertSelfCrossings();
    otherGraph.insertSelfCrossings();
    markCrossingsOfBothGraphs(otherGraph, markInside, markOtherInside);
    removeSelfCrossings();
    otherGraph.removeSelfCrossings();
}

void FBBezierGraph::debuggingInsertIntersectionsWithBezierGraph(FBBezierGraph &otherGraph)
{
    for (const FBBezierContourPtr &ours : mContours) {
        for (const FBBezierContourPtr &theirs : otherGraph.mContours) {
            for (const auto &ourEdge : ours->edges()) {
                for (const auto &theirEdge : theirs->edges()) {
                    FBBezierIntersectRangePtr ignored;
                    for (const FBBezierIntersectionPtr &intersection :
                         ourEdge->curve()->intersectionsWithBezierCurve(theirEdge->curve(),
                                                                        &ignored)) {
                        const auto ourCrossing =
                            FBEdgeCrossing::crossingWithIntersection(intersection);
                        const auto theirCrossing =
                            FBEdgeCrossing::crossingWithIntersection(intersection);
                        ourCrossing->setCounterpart(theirCrossing.get());
                        theirCrossing->setCounterpart(ourCrossing.get());
                        ourEdge->addCrossing(ourCrossing);
                        theirEdge->addCrossing(theirCrossing);
                    }
                }
            }
        }
    }
}

platform::BezierPath
FBBezierGraph::debugPathForJointsOfContour(const FBBezierContour *contour) const
{
    platform::BezierPath path;
    for (const auto &edge : contour->edges()) {
        const FBBezierCurvePtr &curve = edge->curve();
        if (!curve->isStraightLine()) {
            path.moveToPoint(curve->endPoint1());
            path.lineToPoint(curve->controlPoint1());
            path.appendBezierPath(smallCircleAtPoint(curve->controlPoint1()));
            path.moveToPoint(curve->endPoint2());
            path.lineToPoint(curve->controlPoint2());
            path.appendBezierPath(smallCircleAtPoint(curve->controlPoint2()));
        }
        path.appendBezierPath(smallRectAtPoint(curve->endPoint2()));
    }
    return path;
}

platform::BezierPath
FBBezierGraph::debugPathForContainmentOfContour(const FBBezierContour *testContour) const
{
    platform::BezierPath path;
    const QPointF start = testContour->firstPoint();
    const QRectF graphBounds = bounds();
    const double endX =
        start.x() > graphBounds.left() ? graphBounds.left() - 10 : graphBounds.right() + 10;
    const FBBezierContourPtr ray = FBBezierContour::bezierContourWithCurve(
        FBBezierCurve::bezierCurveWithLineStartPoint(start, QPointF(endX, start.y())));
    const FBContourEdge *testEdge = ray->edges().front().get();
    qsizetype count = 0;
    for (const FBBezierContourPtr &contour : mContours) {
        if (contour.get() == testContour)
            continue;
        bool meets = false;
        for (const auto &edge : contour->edges()) {
            for (const auto &other : testContour->edges()) {
                if (!edge->curve()->intersectionsWithBezierCurve(other->curve()).empty()) {
                    meets = true;
                    break;
                }
            }
            if (meets)
                break;
        }
        if (meets)
            continue;
        for (const FBBezierIntersectionPtr &intersection :
             contour->intersectionsWithRay(testEdge)) {
            path.appendBezierPath(circleAtPoint(intersection->location()));
            ++count;
        }
    }
    path.appendBezierPath(testEdge->curve()->bezierPath());
    if (count & 1)
        path.setLineDash({2.0, 3.0}, 0);
    return path;
}
