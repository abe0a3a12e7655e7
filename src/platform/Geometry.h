#pragma once
// Point and rect predicates with the original platform's edge rules: a rect covers
// [minX, maxX) x [minY, maxY), so a point on the maximum edge is outside and an empty rect
// (zero or negative width or height) contains nothing.

#include <QPointF>
#include <QRectF>

namespace platform {

bool IsEmptyRect(const QRectF &r);
bool PointInRect(const QPointF &p, const QRectF &r);
// The point test of mouse locations: in a flipped view (y grows downwards, as in Qt) the top
// edge belongs to the rect and the bottom edge does not; unflipped the reverse.
bool MouseInRect(const QPointF &p, const QRectF &r, bool flipped);
// True when b lies wholly inside a (b not empty).
bool ContainsRect(const QRectF &a, const QRectF &b);
// True when the rects share area (touching edges do not count).
bool IntersectsRect(const QRectF &a, const QRectF &b);
bool EqualRects(const QRectF &a, const QRectF &b);

// The common area; an all-zero rect when there is none.
QRectF IntersectionRect(const QRectF &a, const QRectF &b);
// The smallest rect around both; an empty rect does not count.
QRectF UnionRect(const QRectF &a, const QRectF &b);
// Shrinks by dx on the left and right and by dy on top and bottom (grows when negative).
QRectF InsetRect(const QRectF &r, double dx, double dy);
QRectF OffsetRect(const QRectF &r, double dx, double dy);
// The smallest rect with integral edges around r; an empty rect becomes all-zero.
QRectF IntegralRect(const QRectF &r);
// Rect with the width and height made non-negative (the origin moved accordingly).
QRectF StandardizeRect(const QRectF &r);

} // namespace platform
