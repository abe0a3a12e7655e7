#pragma once
// Which contours of the graphs can meet, found edge by edge: two contours are paired only where
// an edge of one meets an edge of the other by their boxes, so contours nested round one centre
// (whose boxes all meet) cost nothing, and the work and memory grow with the edges that really
// come close. Also the hole-or-fill marks of contours whose outlines come close to no other.

#include "pathops/FBBezierContour.h"

#include <optional>
#include <vector>

// An edge of one contour whose box meets an edge of another contour.
struct FBContourEdgePair
{
    size_t contour1;
    size_t contour2;
    size_t edge1;
    size_t edge2;
};

// Every edge of `first`'s contours against every edge of `second`'s whose boxes meet, sorted by
// contour1, contour2, edge1, edge2 (contour1 and edge1 in `first`).
std::vector<FBContourEdgePair>
FBContourPairs_Between(const std::vector<FBBezierContourPtr> &first,
                       const std::vector<FBBezierContourPtr> &second);

// Every pair of edges of two different contours of one list whose boxes meet, contour1 being
// the later contour of the two: sorted by contour1 from the last, then contour2, edge1, edge2.
std::vector<FBContourEdgePair>
FBContourPairs_Within(const std::vector<FBBezierContourPtr> &contours);

// For each contour whose edges meet no edge of another contour (by their padded boxes), in a
// list of at least 32 contours (fewer are counted by rays as quickly), 1 when
// its first point lies inside an odd number of the others (a hole), 0 otherwise; nothing for
// the other contours, and for all when a coordinate is not finite. No other outline passes near
// such a contour's first point, so an edge wholly to the left of the point crosses the leftward
// ray an odd number of times exactly when its ends lie on different sides of the ray's line (an
// end on the line counting as above it), and an edge not wholly to the left cannot meet the ray
// at all: one sweep across the page counts every such ray at once. Telling which contours
// come close to another finds the pairs of FBContourPairs_Within on the way; they are handed to
// `within` when it is given and the sweep ran.
std::vector<std::optional<int>>
FBContourPairs_IsolatedInsides(const std::vector<FBBezierContourPtr> &contours,
                               std::optional<std::vector<FBContourEdgePair>> *within = nullptr);
