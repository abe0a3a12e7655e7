#pragma once
// One curve of a contour, with the crossings found on it kept sorted by parameter. The contour
// owns its edges; the edge owns its crossings and refers back to its contour.

#include "pathops/FBEdgeCrossing.h"

#include <vector>

class FBBezierContour;

class FBContourEdge
{
public:
    FBContourEdge(FBBezierCurvePtr curve, FBBezierContour *contour);

    // A crossing added out of order is put in its place when the crossings are next read, so
    // that an edge crossed thousands of times is sorted once rather than once per crossing.
    void addCrossing(const FBEdgeCrossingPtr &crossing);
    void removeCrossing(FBEdgeCrossing *crossing);
    void sortCrossings() const;
    // The crossings keep their edge link.
    void removeAllCrossings();

    // Both wrap around the contour.
    FBContourEdge *next() const;
    FBContourEdge *previous() const;
    // The edges on the other side of the (self) crossings, each once, in crossing order.
    std::vector<FBContourEdge *> intersectingEdges() const;
    std::vector<FBContourEdge *> selfIntersectingEdges() const;
    FBEdgeCrossing *firstCrossing() const;
    FBEdgeCrossing *lastCrossing() const;
    // Whether the two edges really cross at the intersection (this edge's curve is curve 1)
    // rather than touch.
    bool crossesEdge(const FBContourEdge *edge2, FBBezierIntersection &intersection) const;
    QString description() const;

    const FBBezierCurvePtr &curve() const { return mCurve; }
    void setCurve(FBBezierCurvePtr curve) { mCurve = std::move(curve); }
    const std::vector<FBEdgeCrossingPtr> &crossings() const
    {
        if (mUnsorted)
            sortCrossings();
        return mCrossings;
    }
    FBBezierContour *contour() const { return mContour; }
    qsizetype index() const { return mIndex; }
    void setIndex(qsizetype index) { mIndex = index; }
    bool isStartShared() const { return mStartShared; }
    void setStartShared(bool shared) { mStartShared = shared; }

private:
    std::vector<FBContourEdge *> edgesAcross(bool selfCrossings) const;

    FBBezierCurvePtr mCurve;
    // Sorted, with each crossing's index its place, unless mUnsorted.
    mutable std::vector<FBEdgeCrossingPtr> mCrossings;
    mutable bool mUnsorted = false;
    FBBezierContour *mContour;
    qsizetype mIndex = 0;
    bool mStartShared = false;
};

// The tangent pair of an edge at an intersection on its curve (curve 1 or curve 2): the left
// tangent leaves backwards along the edge, the right one forwards.
FBTangentPair FBEdge_TangentsAtIntersection(const FBContourEdge *edge,
                                            FBBezierIntersection &intersection, bool curve1);

// `reach` (a distance within which a ray passes beside a joint) at the joint where the edge
// starts, taken at the scale of the smaller of the two edges meeting there.
double FBEdge_JointReach(const FBContourEdge &edge, double reach);
