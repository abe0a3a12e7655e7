#pragma once
// Where two curves run along each other within a tolerance for a whole stretch, though their
// control points differ a little (a circle drawn again turned a quarter, its control points
// rounded otherwise) or their joints lie at other places along the outline. Clipping cannot
// tell where such curves cross, if they cross at all: they are one stretch of outline, as curves
// lying exactly on each other are.

#include "pathops/FBBezierIntersectRange.h"
#include "pathops/FBTolerances.h"

// The shared stretch of two curves, not both straight lines: both ends of the stretch lie on
// both curves, each an end of one of them, and every point of it on either curve lies within the
// tolerance of the other. Nothing where the curves do not share such a stretch, or share only a
// piece too short to tell from a crossing or a touch.
FBBezierIntersectRangePtr FBCurveStretch_Shared(const FBBezierCurvePtr &curve1,
                                                const FBBezierCurvePtr &curve2);
