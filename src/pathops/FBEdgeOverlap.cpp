#include "pathops/FBEdgeOverlap.h"

#include "pathops/FBContourEdge.h"

FBEdgeOverlap::FBEdgeOverlap(FBBezierIntersectRangePtr range, FBContourEdge *edge1,
                             FBContourEdge *edge2)
    : mRange(std::move(range)), mEdge1(edge1), mEdge2(edge2)
{}

FBEdgeOverlapPtr FBEdgeOverlap::overlapWithRange(FBBezierIntersectRangePtr range,
                                                 FBContourEdge *edge1, FBContourEdge *edge2)
{
    return std::make_shared<FBEdgeOverlap>(std::move(range), edge1, edge2);
}

bool FBEdgeOverlap::fitsBefore(const FBEdgeOverlap &next) const
{
    const FBRange mine = mRange->parameterRange1();
    const FBRange theirs = next.mRange->parameterRange1();
    if (FBGeom_AreValuesClose(mine.maximum, 1.0))
        return next.mEdge1 == mEdge1->next() && FBGeom_AreValuesClose(theirs.minimum, 0.0);
    return next.mEdge1 == mEdge1 && FBGeom_AreValuesClose(theirs.minimum, mine.maximum);
}

bool FBEdgeOverlap::fitsAfter(const FBEdgeOverlap &previous) const
{
    const FBRange mine = mRange->parameterRange1();
    const FBRange theirs = previous.mRange->parameterRange1();
    if (FBGeom_AreValuesClose(mine.minimum, 0.0))
        return previous.mEdge1 == mEdge1->previous() && FBGeom_AreValuesClose(theirs.maximum, 1.0);
    return previous.mEdge1 == mEdge1 && FBGeom_AreValuesClose(theirs.maximum, mine.minimum);
}

void FBEdgeOverlap::addMiddleCrossing()
{
    const FBBezierIntersectionPtr middle = mRange->middleIntersection();
    const FBEdgeCrossingPtr ours = FBEdgeCrossing::crossingWithIntersection(middle);
    const FBEdgeCrossingPtr theirs = FBEdgeCrossing::crossingWithIntersection(middle);
    ours->setCounterpart(theirs.get());
    theirs->setCounterpart(ours.get());
    mEdge1->addCrossing(ours);
    mEdge2->addCrossing(theirs);
}

QString FBEdgeOverlap::description() const
{
    return QStringLiteral("<FBEdgeOverlap: edge1 = %1, edge2 = %2, range = %3>")
        .arg(mEdge1->description(), mEdge2->description(), mRange->description());
}
