#pragma once
// Two measures of a place where two curves meet, shared by the steps that judge such places.

#include "pathops/FBBezierIntersection.h"
#include "pathops/FBTolerances.h"

#include <algorithm>

// The size of two curves met, by their boxes: the larger side of their joint box, but no more than
// FBTol_LikeSizeRatio times the smaller curve's size.
inline double FBCurves_PairSize(const QRectF &a, const QRectF &b)
{
    const QRectF box = a.united(b);
    const double smaller =
        std::min(std::max(a.width(), a.height()), std::max(b.width(), b.height()));
    return std::min(std::max(box.width(), box.height()), FBTol_LikeSizeRatio * smaller);
}

// The size of the two curves met at a hit (FBCurves_PairSize).
inline double FBHit_Size(FBBezierIntersection &x)
{
    return FBCurves_PairSize(x.curve1()->bounds(), x.curve2()->bounds());
}

// How far apart the two curves' own points at a hit lie: the search's uncertainty there.
inline double FBHit_Gap(FBBezierIntersection &x)
{
    return FBGeom_PointDistance(x.location(), x.curve2()->pointAtParameter(x.parameter2()));
}

// The size of the smaller of the two curves met at a hit (the larger side of its box): a side
// crossing a speck is decided at the speck's scale.
inline double FBHit_SmallerSize(const FBBezierIntersection &x)
{
    const QRectF a = x.curve1()->bounds(), b = x.curve2()->bounds();
    return std::min(std::max(a.width(), a.height()), std::max(b.width(), b.height()));
}

// How far from the meeting point the search may have placed a hit: its point reach, taken at the
// smaller curve's scale.
inline double FBHit_SearchReach(const FBBezierIntersection &x)
{
    return FBTol_AtCurveSize(FBTol_CrossingPoint, FBHit_SmallerSize(x));
}
