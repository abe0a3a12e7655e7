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

// Across a joint, a stretch that ends at its edge's end goes on in one that starts at the next
// edge's start, both within the range's end tolerance, by which the run's branches are chosen
// too. Curves leaving a shared joint in one direction run within the search's tolerance for a
// hair, found as a stretch starting a hair after the joint: judged apart from the stretch before
// the joint, that sliver would read as the outlines crossing.
bool FBEdgeOverlap::fitsBefore(const FBEdgeOverlap &next) const
{
    const FBRange mine = mRange->parameterRange1();
    const FBRange theirs = next.mRange->parameterRange1();
    if (mRange->isAtStopOfCurve1())
        return next.mEdge1 == mEdge1->next() && next.mRange->isAtStartOfCurve1();
    return next.mEdge1 == mEdge1 && FBGeom_AreValuesClose(theirs.minimum, mine.maximum);
}

bool FBEdgeOverlap::fitsAfter(const FBEdgeOverlap &previous) const
{
    const FBRange mine = mRange->parameterRange1();
    const FBRange theirs = previous.mRange->parameterRange1();
    if (mRange->isAtStartOfCurve1())
        return previous.mEdge1 == mEdge1->previous() && previous.mRange->isAtStopOfCurve1();
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
