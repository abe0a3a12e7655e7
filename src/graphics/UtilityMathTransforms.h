#pragma once
// Transforms for common moves (turn or scale about a point, move, segment onto segment, mirror
// across a line), the angle and scale read back out of a transform, and moves, resizes, flips
// and turns of whole paths. A builder that cannot build answers no transform.

#include <QPointF>
#include <QRectF>
#include <optional>

#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"

platform::AffineTransform CreateRotationTransformAroundPoint(QPointF p, float angle);
// None when |angle| <= 0.2.
std::optional<platform::AffineTransform> CreateRotationTransformAboutRectCenter(QRectF rect,
                                                                                float angle);
platform::AffineTransform CreateScaleTransformAroundPoint(QPointF p, double sx, double sy);
platform::AffineTransform CreateScaleTransform(double factor);
platform::AffineTransform CreateTranslateTransform(double dx, double dy);
platform::AffineTransform CreateTranslateTransformBetweenPoints(QPointF a, QPointF b);
// Maps a1 onto b1 and a2 onto b2 (turn and uniform scale); none when a segment is shorter
// than 0.02.
std::optional<platform::AffineTransform> CreateTransformSegmentToSegment(QPointF a1, QPointF a2,
                                                                         QPointF b1, QPointF b2);
// The reflection across the line through a and b; none when they are less than 0.1 apart.
std::optional<platform::AffineTransform> CreateMirrorTransformAcrossLine(QPointF a, QPointF b);

// Readers: a null transform answers 0 for the angle and 1 for the scales.
double GetTransformAngle(const platform::AffineTransform *transform);
double GetTransformScale(const platform::AffineTransform *transform);
double GetTransformScaleXY(const platform::AffineTransform *transform);
void GetTransformOutputRectAndAngle(const platform::AffineTransform *transform, QRectF rect,
                                    QRectF *outRect, float *outAngle);

void MoveResize_NSBezierPath(platform::BezierPath *path, QRectF from, QRectF to);
void FlipPathHorizontallyInRect(platform::BezierPath *path, QRectF rect);
void FlipPathVerticallyInRect(platform::BezierPath *path, QRectF rect);
std::optional<platform::BezierPath> CopyPathRotatedAboutPoint(const platform::BezierPath *path,
                                                              QPointF point, float angle);
// A curve to b whose controls are the midpoints of a-c and c-b.
void AppendMidpointCurve(platform::BezierPath *path, QPointF a, QPointF b, QPointF c);
