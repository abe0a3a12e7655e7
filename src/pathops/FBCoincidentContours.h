#pragma once
// Contours of two graphs that trace one outline: the same curves, one for one, from any starting
// edge, in either direction, each point within a tolerance of the other's. An operand combined
// with itself, reversed or moved by a hair gives such pairs. The curve search finds them only as
// a tangle of touches and partial stretches, which can lose the outline or count it twice; the
// graph takes them as one shared stretch that runs all the way round.

#include "pathops/FBBezierContour.h"
#include "pathops/FBContourOverlap.h"

// The tolerance within which the points of two contours count as one, for contours whose boxes
// are `a` and `b`: a hundred thousandth of their size, never less than that of one unit.
double FBCoincidence_Tolerance(const QRectF &a, const QRectF &b);

// A complete overlap of the two contours (one run of whole edges closing on itself) when they
// trace one outline; nullptr otherwise.
FBContourOverlapPtr FBCoincidence_CompleteOverlap(FBBezierContour &ours, FBBezierContour &theirs);
