#pragma once
// Every shared stretch between one contour of each graph, chained into runs.

#include "pathops/FBEdgeOverlapRun.h"

#include <vector>

class FBContourOverlap
{
public:
    void addOverlap(const FBBezierIntersectRangePtr &range, FBContourEdge *edge1,
                    FBContourEdge *edge2);
    void reset() { mRuns.clear(); }
    // One run that closes on itself: the contours coincide along their whole length.
    bool isComplete() const;
    FBBezierContour *contour1() const;
    FBBezierContour *contour2() const;
    // By identity, in either order.
    bool isBetweenContour(const FBBezierContour *a, const FBBezierContour *b) const;
    QString description() const;

    std::vector<FBEdgeOverlapRun> &runs() { return mRuns; }
    const std::vector<FBEdgeOverlapRun> &runs() const { return mRuns; }

private:
    void joinRuns();

    std::vector<FBEdgeOverlapRun> mRuns;
};
