#pragma once
// Traced contours freed of slits: a level or upright side run along once each way.

#include "pathops/FBBezierContour.h"

#include <vector>

// Where a traced contour runs along a stretch of a horizontal or vertical line and later runs
// back along it, the stretch bounds nothing: both passes are dropped and the contour falls into
// the loops on either side of it. Winding numbers stay the same everywhere off the stretch, but
// a later operation on the answer no longer meets an outline that touches itself along a side.
// A contour without such a stretch comes back as it is.
std::vector<FBBezierContourPtr> contoursWithoutSlits(const FBBezierContourPtr &contour);

// The same for all the contours one trace made: two of them running along one stretch opposite
// ways are first joined there, the stretch dropped. Two running along it the same way (the trace
// leaves such pairs where the operands share sides with nothing between them) bound nothing
// there under the even-odd rule either: one of them is turned round first, then joined alike.
std::vector<FBBezierContourPtr>
contoursWithoutSharedSides(const std::vector<FBBezierContourPtr> &traced);
