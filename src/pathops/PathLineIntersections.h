#pragma once
// Where a path meets a line segment: the first crossing along the line on the first subpath,
// and the nearest crossing along the line over the whole path.

#include "pathops/OABezierPathIntersection.h"
#include "platform/BezierPath.h"

// The crossing of the first subpath (closed) nearest the line's start; `found`, when given,
// receives it with the path as the left side and the line as the right.
bool firstIntersectionWithLine(const platform::BezierPath &path, OABezierPathIntersection *found,
                               QPointF lineStart, QPointF lineEnd);
// The point of the path's outline nearest the line's start, before its end.
bool intersectionWithLine(const platform::BezierPath &path, QPointF *point, QPointF lineStart,
                          QPointF lineEnd);

// u on the line and s on the segment where they cross, both within [0, 1] give or take 1e-4.
// A segment within 0.001 of an axis is made to lie on it.
bool straightLineIntersection(double *u, double *s, LineRecord *segment, const LineRecord &line);
// u on the line (clamped to [0, 1]) and t on the curve of the crossing nearest the line's start.
bool curvedIntersection(double *u, double *t, const CurveCoefficients &curve,
                        const LineRecord &line);

// Whether the path runs clockwise, judged where a level line through its widest gap of
// heights first meets it.
bool isClockwise(const platform::BezierPath &path);
