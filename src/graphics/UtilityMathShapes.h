#pragma once
// Shape paths (star, regular polygon, circles, arcs, rects, scalloped, wavy and zigzag lines, a
// symbol of three strokes), even points along a segment, and a path drawn into an image.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <optional>

#include "graphics/UtilityMathAngles.h"
#include "platform/BezierPath.h"
#include "platform/Image.h"

// None unless r1 - 1 < r2, r2 >= 1 and 2 <= points <= 100000.
std::optional<platform::BezierPath> Create_BezierPath_Star(QPointF center, float r1, float r2,
                                                           int points, float startAngle);
// None unless radius >= 1 and 2 <= sides <= 100000.
std::optional<platform::BezierPath> Create_BezierPath_Polygon(QPointF center, float radius,
                                                              int sides, float startAngle);

// The path moved to the origin, filled and stroked into an image of its bounds' size. Colours
// are colour words (0xRRGGBBAA; larger values draw nothing). One bitmap, row 0 at the top, one
// pixel per point; null for an empty path, bounds under 0.1 or an image too large to allocate.
platform::ImagePtr CreateImageFromBezierPath(const platform::BezierPath *path, quint64 fillColor,
                                             quint64 strokeColor, float lineWidth);

void AppendCircleToPath(platform::BezierPath *path, QPointF center, float radius);
void AppendArcFromCircle(platform::BezierPath *path, QPointF center, float radius, float startAngle,
                         float endAngle, bool clockwise);
// The arc about center from start to end that passes by middle's direction.
void AppendArcThroughPoints(platform::BezierPath *path, bool moveFirst, QPointF center,
                            QPointF start, QPointF end, QPointF middle);
void AppendDoubledCircle(platform::BezierPath *path, QPointF center, float radius);
void AppendOvalToPath(platform::BezierPath *path, QRectF rect);
void AppendRectToPath(platform::BezierPath *path, QRectF rect);
void AppendRectCenteredAtPoint(platform::BezierPath *path, QPointF center, float width,
                               float height);
void AppendRectFromTwoPoints(platform::BezierPath *path, QPointF a, QPointF b);

// Lines of `pieces` equal parts from start to end (with `ends`, two more straight parts at the
// ends): half circles all on one side, alternating sides, or a zigzag.
void AppendScallopLine(platform::BezierPath *path, int pieces, QPointF start, QPointF end,
                       bool ends);
void AppendWaveLine(platform::BezierPath *path, int pieces, QPointF start, QPointF end, bool ends);
void AppendZigzagLine(platform::BezierPath *path, int pieces, QPointF start, QPointF end,
                      bool ends);
void AppendThreeStrokeSymbol(platform::BezierPath *path, QPointF a, QPointF b);

// count points evenly from a to b into out.
bool SplitSegmentIntoPoints(QPointF a, QPointF b, int count, QPointF *out);
LINE_ CenteredSegmentOfLength(float length, QPointF a, QPointF b);
