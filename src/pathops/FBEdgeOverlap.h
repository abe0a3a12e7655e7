#pragma once
// A stretch along which one edge of each of two contours runs on the other: the two edges and
// the parameter ranges of the shared stretch.

#include "pathops/FBBezierIntersectRange.h"

#include <memory>

class FBContourEdge;
class FBEdgeOverlap;
using FBEdgeOverlapPtr = std::shared_ptr<FBEdgeOverlap>;

class FBEdgeOverlap
{
public:
    FBEdgeOverlap(FBBezierIntersectRangePtr range, FBContourEdge *edge1, FBContourEdge *edge2);
    static FBEdgeOverlapPtr overlapWithRange(FBBezierIntersectRangePtr range, FBContourEdge *edge1,
                                             FBContourEdge *edge2);

    // Whether `next` continues this stretch along the first contour, or `previous` leads into
    // it; only the first contour's side is compared.
    bool fitsBefore(const FBEdgeOverlap &next) const;
    bool fitsAfter(const FBEdgeOverlap &previous) const;
    // One crossing pair in the middle of the stretch.
    void addMiddleCrossing();
    QString description() const;

    FBContourEdge *edge1() const { return mEdge1; }
    FBContourEdge *edge2() const { return mEdge2; }
    const FBBezierIntersectRangePtr &range() const { return mRange; }

private:
    FBBezierIntersectRangePtr mRange;
    FBContourEdge *mEdge1;
    FBContourEdge *mEdge2;
};
