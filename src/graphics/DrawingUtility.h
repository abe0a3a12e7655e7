#pragma once
// Drawing helpers of the views: filled and outlined rectangles and ovals, rectangles about a
// point, distances, rectangle-to-rectangle transforms, angle normalising, and the line and arrow
// marks of the text layout. Geometry is kept as given: angles in degrees, counter-clockwise from
// the positive x axis, y growing the way the caller's coordinates grow.

#include <QPointF>
#include <QRectF>

#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"
#include "platform/Color.h"

// Fills then strokes the rectangle (the oval inside it) in the current graphics context. The
// stroke needs a line width of at least 0.01; with nothing to draw the report is printed.
void DrawRectPath(QRectF rect, const platform::Color &fillColor, const platform::Color &strokeColor,
                  float lineWidth);
void DrawOvalPath(QRectF rect, const platform::Color &fillColor, const platform::Color &strokeColor,
                  float lineWidth);

QRectF MakeRectCenteredAtPoint(QPointF center, float width, float height);
// Measured in 64 bits, rounded to a 32-bit float.
float DistanceBetweenPoints(QPointF a, QPointF b);
// Maps `from` onto `to`; sides below 0.002 count as 0.002.
platform::AffineTransform CreateTransformRectToRect(QRectF from, QRectF to);

// Brings the angle into [0, 360); gives up after 1000 turns. nullptr is ignored.
void NormalizeAngleInPlace(float *angle);
void NormalizeAngle(float *angle);

void AppendLineToPath(platform::BezierPath *path, QPointF p1, QPointF p2);
void AppendLineToPathF(platform::BezierPath *path, float x1, float y1, float x2, float y2);
// An arrow head at tip (wings wingOffset off the shaft, angle degrees from it) and the shaft to
// tail. The wing points go to the out-values that are given.
bool AppendArrowToPath(platform::BezierPath *path, QPointF *outWing1, QPointF *outWing2,
                       QPointF tip, QPointF tail, float wingOffset, float angle);
bool GetArrowWingPoints(QPointF *outWing1, QPointF *outWing2, int angle, QPointF tip, QPointF tail,
                        float wingOffset);
// A line from `from` to `to` with an arrow head at its middle.
bool AppendArrowLine(platform::BezierPath *path, QPointF from, QPointF to, float wingOffset,
                     float angle);
// Alternate pieces of the line: pieces 0, 2, 4, ... of `pieces` equal parts are drawn (at most
// 100000 parts).
void AppendDashedLine(platform::BezierPath *path, int pieces, QPointF from, QPointF to);
