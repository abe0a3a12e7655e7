#pragma once
// Two measures of a place where two curves meet, shared by the steps that judge such places.

#include "pathops/FBBezierIntersection.h"

#include <algorithm>

// The size of the two curves met at a hit: the larger side of their joint box.
inline double FBHit_Size(FBBezierIntersection &x)
{
    const QRectF box = x.curve1()->bounds().united(x.curve2()->bounds());
    return std::max(box.width(), box.height());
}

// How far apart the two curves' own points at a hit lie: the search's uncertainty there.
inline double FBHit_Gap(FBBezierIntersection &x)
{
    return FBGeom_PointDistance(x.location(), x.curve2()->pointAtParameter(x.parameter2()));
}
