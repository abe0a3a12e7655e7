#pragma once
// Where two curves run along each other within a tolerance for a whole stretch, though their
// control points differ a little (a circle drawn again turned a quarter, its control points
// rounded otherwise) or their joints lie at other places along the outline. Clipping cannot
// tell where such curves cross, if they cross at all: they are one stretch of outline, as curves
// lying exactly on each other are.

#include "pathops/FBBezierIntersectRange.h"
#include "pathops/FBTolerances.h"

#include <optional>
#include <utility>
#include <vector>

// The shared stretch of two curves, not both straight lines: both ends of the stretch lie on
// both curves, each an end of one of them, and every point of it on either curve lies within the
// tolerance of the other. Nothing where the curves do not share such a stretch, or share only a
// piece too short to tell from a crossing or a touch.
FBBezierIntersectRangePtr FBCurveStretch_Shared(const FBBezierCurvePtr &curve1,
                                                const FBBezierCurvePtr &curve2);

// Where the curves of a shared stretch cross, as pairs of parameters (on curve 1, on curve 2),
// when somewhere along the stretch they lie farther apart than rounding (FBTol_StretchApart):
// then they are two outlines bounding a sliver, which every answer keeps or drops as its own
// region, and the distance between them changes sign only where they cross. Nothing when they
// lie on each other all along, and the stretch is one outline.
std::optional<std::vector<std::pair<double, double>>>
FBCurveStretch_Crossings(const FBBezierCurve &curve1, const FBBezierCurve &curve2,
                         const FBBezierIntersectRange &stretch);

// The distance of `point` from `curve`, signed by the side of the curve it lies on (positive to
// the left of the curve's direction), measured to the curve's point nearest it, looked for from
// the parameter `guess` within [low, high]; and that point's parameter.
std::pair<double, double> FBCurve_SignedOffset(const FBBezierCurve &curve, QPointF point,
                                               double guess, double low = 0.0, double high = 1.0);

// Whether `curve1` passes from one side of `curve2` to the other where they meet at (s, t): its
// points a little before and after s (half way to the nearest end of either curve at most) lie
// on opposite sides of curve2, each farther from it than rounding and than `clearOf`. False
// where they lie on one side (a touch) or too near to tell.
bool FBCurve_ChangesSidesAt(const FBBezierCurve &curve1, double s, const FBBezierCurve &curve2,
                            double t, double clearOf = 0.0);
