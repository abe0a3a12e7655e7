#pragma once
// Rects from points, fits of one rect into another, joins of aligned rects, and the cutting of a
// rect into rects that avoid holes. Piece lists hold rects as the foundation's array helpers box
// them (addRect, rectAt); an empty list stands for no pieces.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVariantList>

QRectF RectFromTwoPoints(QPointF a, QPointF b);
QRectF RectUnionWithPoint(QRectF rect, QPointF p);
QRectF BoundingRectOfFourPoints(QPointF a, QPointF b, QPointF c, QPointF d);
QRectF UnionOfRects(QRectF a, QRectF b);
QRectF BoundingRectOfRectAndPoint(QRectF rect, QPointF p);
// The zero rect for no points.
QRectF BoundingRectOfPoints(const QPointF *points, int count);
bool RectContainsRect(QRectF inner, QRectF outer);
QRectF ScaleRect(QRectF rect, double factor);
// The largest rect of shape's width-to-height ratio centred in box; sides of 0.02 or less count
// as a square.
QRectF FitRectKeepingAspect(QRectF shape, QRectF box);
QRectF FitRectWithRatio(double ratio, QRectF box);
QSizeF FitSizeKeepingAspect(QSizeF size, QSizeF boxSize);
// Joins a and b into their union when they share x and width (or y and height) within the
// tolerance and touch or overlap the other way.
bool MergeAlignedRects(QRectF *out, QRectF a, QRectF b, float tolerance);

// Pieces of rect that avoid every hole, none thinner than minSize; empty when none is left.
QVariantList RectangulationRectWithHoles(QRectF rect, const QVariantList &holes, float minSize);
// Pieces of rect around one hole: bands below and above the hole across the whole width, and
// beside it as high as the hole. Empty when they do not overlap; *outCovered when the hole covers
// rect (the list then holds one rect).
QVariantList SplitRectWithHoleRect(QRectF rect, QRectF hole, float minSize, bool *outCovered);
