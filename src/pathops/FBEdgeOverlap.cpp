#include "pathops/FBEdgeOverlap.h"

#include "pathops/FBContourEdge.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    addCrossing(mRange->middleIntersection());
}

void FBEdgeOverlap::addCrossingAt(double parameter1, double parameter2)
{
    addCrossing(FBBezierIntersection::intersectionWithCurve1(mRange->curve1(), parameter1,
                                                             mRange->curve2(), parameter2));
}

// The second curve's parameter for each sampled point of the first starts where the ranges'
// linear match puts it, on whichever way the second runs, and settles by Newton's steps onto
// the point nearest; the curves run within the stretch tolerance of each other here, so the
// steps stay within the range.
FBEdgeOverlap::Nearest FBEdgeOverlap::nearest(double from, double to) const
{
    const FBBezierCurve &curve1 = *mRange->curve1();
    const FBBezierCurve &curve2 = *mRange->curve2();
    const FBRange range1 = mRange->parameterRange1();
    const FBRange range2 = mRange->parameterRange2();
    const QPointF start1 = curve1.pointAtParameter(range1.minimum);
    const bool forward = FBGeom_PointDistance(start1, curve2.pointAtParameter(range2.minimum)) <=
                         FBGeom_PointDistance(start1, curve2.pointAtParameter(range2.maximum));
    constexpr int kSamples = 16;
    Nearest best;
    best.distance = std::numeric_limits<double>::infinity();
    for (int k = 0; k <= kSamples; ++k) {
        const double share = from + (to - from) * k / kSamples;
        const double t1 = range1.minimum + (range1.maximum - range1.minimum) * share;
        const QPointF point = curve1.pointAtParameter(t1);
        double t2 = forward ? range2.minimum + (range2.maximum - range2.minimum) * share
                            : range2.maximum - (range2.maximum - range2.minimum) * share;
        for (int step = 0; step < 8; ++step) {
            const double next = curve2.refineParameter(t2, point);
            if (!std::isfinite(next))
                break;
            t2 = std::clamp(next, range2.minimum, range2.maximum);
        }
        const double distance = FBGeom_PointDistance(point, curve2.pointAtParameter(t2));
        if (distance < best.distance)
            best = {t1, t2, distance};
    }
    return best;
}

void FBEdgeOverlap::addCrossing(const FBBezierIntersectionPtr &middle)
{
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
