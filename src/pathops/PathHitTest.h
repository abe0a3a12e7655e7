#pragma once
// Hit tests on paths: does the outline pass through a small square or a rect, which element's
// stroke is under a point, how often the first subpath winds around a point, and which way it
// runs. A point hits a stroke within half the line width plus a padding of the centre line.

#include "platform/BezierPath.h"

#include <QPointF>
#include <QRectF>

constexpr double kDefaultHitPadding = 5.0;

// The outline passes through the square of side |diff| centred on q.
bool intersectsPointWithDiff(const platform::BezierPath &path, QPointF q, float diff);
// No outline crosses the rect and the path's fill holds its centre.
bool isPathCoverAllRect(const platform::BezierPath &path, QRectF rect);

// The index of the element whose stroke is under q, 0 for none. `position`, when given,
// receives the parameter within that element's segment (single-precision for curves).
qint64 segmentHitByPoint(const platform::BezierPath &path, QPointF q, double *position,
                         double padding);
qint64 segmentHitByPoint(const platform::BezierPath &path, QPointF q,
                         double padding = kDefaultHitPadding);
bool isStrokeHitByPoint(const platform::BezierPath &path, QPointF q,
                        double padding = kDefaultHitPadding);
// The path position (element index and parameter spread evenly over 0..1) of the point on the
// stroke, 0.5 when the stroke is not hit.
double getPositionForPoint(const platform::BezierPath &path, QPointF q);

bool straightLineHit(const platform::BezierPath &path, QPointF a, QPointF b, QPointF q,
                     double *position, double padding);
bool curvedLineHit(const platform::BezierPath &path, QPointF q, QPointF start, QPointF end,
                   QPointF control1, QPointF control2, double *position, double padding);

// Walks the first subpath, closed, with a ray from q towards -x. `winding` receives the
// crossings counted by direction, `hits` the segments q lies on; either may be null.
void getWindingAndHitForPoint(const platform::BezierPath &path, qint64 *winding, quint64 *hits,
                              QPointF q);
