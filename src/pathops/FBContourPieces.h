#pragma once
// The pieces of a contour's outline between consecutive crossings along a walk round it, and
// which side of the other outline each lies on. A piece is decided by where it lies, not by
// counting crossings from the contour's start: a crossing lost or found twice then misplaces a
// cut by a hair rather than turning over every later piece.

#include "pathops/FBEdgeCrossing.h"

#include <QPointF>
#include <optional>
#include <unordered_set>
#include <vector>

class FBBezierContour;

// A place on a piece, by its edge and parameter; its point is worked out when asked for, since
// the first place tested nearly always decides the piece.
struct FBPieceSample
{
    const FBContourEdge *edge = nullptr;
    double t = 0.0;
    QPointF point() const;
};

// Points of the piece from `from` to `to` along their contour (`around`: the piece runs all the
// way round, back past `from`'s own edge, as the last piece of a walk and every piece of a walk
// with one crossing do). The middle of the piece's longest stretch of edge first, then the
// middles of its other edges, then points spread over the longest stretches; at most `most`.
std::vector<FBPieceSample> FBPiece_Samples(const FBEdgeCrossing &from, const FBEdgeCrossing &to,
                                           bool around, size_t most = 16);

// Whether the point at `t` of the contour's edge lies on a stretch the contour shares with
// another outline (with one of `others`, when given), where the outlines count as one whichever
// side of each other they run.
bool FBContour_OnSharedStretch(const FBBezierContour &contour, const FBContourEdge *edge, double t,
                               const std::unordered_set<const FBBezierContour *> *others = nullptr);

// The point of an outline of `contours` nearest `point`, and its distance; the search may stop at
// any distance at or below `floor`, which is all a caller looking for a point clear by more
// needs. An infinite distance when no contour has an edge.
struct FBNearestOnOutline
{
    double distance = 0.0;
    QPointF point;
};
FBNearestOnOutline FBOutline_Nearest(QPointF point,
                                     const std::vector<const FBBezierContour *> &contours,
                                     double floor = 0.0);

// A distance no greater than that from `point` to the outlines of `contours`, from their curves'
// boxes alone (control points included): cheap, and enough to tell a point well clear of them.
double FBOutline_BoxDistance(QPointF point, const std::vector<const FBBezierContour *> &contours);

// Whether every curve of the outlines of `contours` lies farther than `distance` from `point`,
// told from the hulls of the curves and their pieces: when it says so, FBOutline_Nearest finds
// the point farther than `distance` too, to the last digit.
bool FBOutline_FartherThan(QPointF point, const std::vector<const FBBezierContour *> &contours,
                           double distance);

// Whether `point`, a distance off the outlines of `contours` (`nearest` on them), lies inside
// them by the even-odd rule, read by rays leaving it away from that nearest point: the nearest
// outline lies behind them, where a ray towards it could meet it too close to tell, and the
// others are met well apart. Two rays must agree; nothing when no two that meet no joint and
// graze no curve do.
std::optional<bool>
FBOutline_ContainsPointNear(QPointF point, QPointF nearest,
                            const std::vector<const FBBezierContour *> &contours);
