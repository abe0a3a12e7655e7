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
    // Where along the stretch, between the shares `from` and `to` of the first curve's range,
    // the two curves lie nearest each other: the parameters on both and the distance apart.
    struct Nearest
    {
        double parameter1 = 0;
        double parameter2 = 0;
        double distance = 0;
    };
    Nearest nearest(double from, double to) const;
    // One crossing pair at the given parameters of the two curves.
    void addCrossingAt(double parameter1, double parameter2);
    QString description() const;

    FBContourEdge *edge1() const { return mEdge1; }
    FBContourEdge *edge2() const { return mEdge2; }
    const FBBezierIntersectRangePtr &range() const { return mRange; }

private:
    void addCrossing(const FBBezierIntersectionPtr &intersection);

    FBBezierIntersectRangePtr mRange;
    FBContourEdge *mEdge1;
    FBContourEdge *mEdge2;
};
