#pragma once
// Where two cubics meet. Each is cut into windows on which both coordinates are monotonic;
// pairs of windows whose boxes meet are halved until one piece is small enough to count as
// straight. Stretches where the curves run together come back as ranges.

#include "pathops/PathIntersectionKernels.h"

// Records in order of leftParameter; at most kMaxIntersectionsPerPair.
int intersectionsBetweenCurveAndCurve(const CurveCoefficients &left, const CurveCoefficients &right,
                                      IntersectionRecords &out);

// The records of the windows (start, length) of each curve, folded into the `existing` ones
// already in `out`. Answers the new count.
int intersectionsBetweenCurveAndCurveMonotonic(const CurveCoefficients &left,
                                               const CurveCoefficients &right,
                                               curveSegment leftWindow, curveSegment rightWindow,
                                               IntersectionRecords &out, int existing);
