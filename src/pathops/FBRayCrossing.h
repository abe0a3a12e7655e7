#pragma once
// A shortcut for the rays of the inside and containment tests. Where a straight ray along an axis
// cuts a curve that runs steadily from one side of it to the other, steeply enough and far from
// the ends of both, a search can only answer that one crossing, in the middle of both curves and
// not tangent; the ray needs no search of that curve then.

#include "pathops/FBBezierCurve.h"

#include <optional>

struct FBRayCrossing
{
    // The crossing's coordinate along the ray, and how far from it a search may answer it.
    double along = 0.0;
    double uncertainty = 0.0;
    // The parameters of the crossing on the ray and on the curve.
    double rayParameter = 0.0;
    double curveParameter = 0.0;
};

// The single clear crossing of a horizontal or vertical straight `ray` with `curve`, or nothing
// when the curve may meet the ray in any other way (then it is to be searched).
std::optional<FBRayCrossing> FBRay_ClearCrossing(const FBBezierCurve &ray,
                                                 const FBBezierCurve &curve);
