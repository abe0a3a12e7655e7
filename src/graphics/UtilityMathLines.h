#pragma once
// Crossings of lines, segments, rect sides and arcs; distances of points from lines; whether a
// point lies on a segment or inside an oval, a diamond or a path. Most tests turn the points
// about a line's start until the line lies flat, so that comparing heights decides.

#include <QPointF>
#include <QRectF>

#include "graphics/UtilityMathAngles.h"
#include "platform/BezierPath.h"

// Where segment a1-a2 meets b1-b2 (the lines through them when `infinite`).
bool IntersectLines(bool infinite, QPointF *out, QPointF a1, QPointF a2, QPointF b1, QPointF b2);
bool IntersectSegments(QPointF *out, QPointF a1, QPointF a2, QPointF b1, QPointF b2);
bool IntersectLinesCount(bool infinite, QPointF *out, int *count, QPointF a1, QPointF a2,
                         QPointF b1, QPointF b2);
// The crossings of the segment with the rect's sides, tried from the side of smallest y, then
// the side of largest x, largest y and smallest x; at most two, at least 0.1 apart.
bool IntersectLineWithRectSides(QPointF out[2], int *count, LINE_ line, QRectF rect);
bool IntersectLineWithRectBorder(QPointF a, QPointF b, QRectF rect, QPointF *out);
bool IntersectLineWithRectBorderTest(QPointF a, QPointF b, QRectF rect);

bool IsPointOnSegment(QPointF a, QPointF b, QPointF p, float tolerance);
double DistancePointToLine(QPointF p, QPointF a, QPointF b);
bool SnapPointToSegment(QPointF *out, QPointF a, QPointF b, QPointF p, float tolerance);
// The foot of the perpendicular from q onto the line through p and a.
bool FootOfPerpendicular(QPointF *out, QPointF p, QPointF a, QPointF q);
QPointF ProjectPointOnLine(QPointF p, QPointF a, QPointF q);
int SegmentRectBorderCrossings(QPointF out[2], QRectF rect, QPointF a, QPointF b);
bool ArePointsCollinear(bool infinite, QPointF p, QPointF a, QPointF b);
bool PointOnLineWithTolerance(bool infinite, LINE_ line, QPointF p, float tolerance);
bool PointsNearLine(QPointF a, QPointF b, QPointF p1, QPointF p2, float tolerance);
bool PointBetweenSegmentEnds(LINE_ line, QPointF p);
LINE_ TrimSegmentAtPoint(LINE_ line, QPointF p);
bool LinesEqualWithTolerance(LINE_ a, LINE_ b, double tolerance);

bool PointInOval(QPointF p, QRectF rect);
bool PointInDiamond(QPointF p, QRectF rect);
bool RectsIntersectSignificantly(QRectF a, QRectF b);
bool RectPointsInsideRectTest(QRectF outer, QRectF inner);
bool RectsTouch(QRectF a, QRectF b);
// Inside the path, or its outline within `tolerance` of p.
bool PathContainsPointWithTolerance(const platform::BezierPath *path, QPointF p, float tolerance);

// With `unbounded` the segment is an infinite line and the arc a full circle.
bool IntersectSegmentWithArc(bool unbounded, QPointF out[2], int *count, LINE_ line, ARC_INFO arc);
bool IntersectSegmentWithArcSwapped(bool unbounded, QPointF out[2], int *count, ARC_INFO arc,
                                    LINE_ line);
bool IntersectArcs(bool fullCircles, QPointF out[2], int *count, ARC_INFO arc1, ARC_INFO arc2);
