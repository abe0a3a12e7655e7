#pragma once
// Arithmetic on text ranges (union, containment, overlap, contact, difference) and comparisons of
// coordinates, points, sizes and rectangles within a tolerance. No state.
//
// Ranges follow the original platform's unsigned model: a location of NotFound means "no range",
// and the containment and cover tests compare as unsigned values, so a negative location (which
// the platform could not hold) is treated as a huge one.

#include "platform/Range.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// The smallest range that spans both; {0, 0} when either location is NotFound. Empty ranges
// take part like any other.
Range RangeUnionChecked(Range a, Range b);
// a contains b; an empty a contains nothing, an empty b at a's end is not contained.
bool RangeContainsRange(Range a, Range b);
// a and b share a position, or one covers the other; two empty ranges never overlap.
bool RangeOverlapsRange(Range a, Range b);
// a and b meet end to start, or overlap.
bool RangeTouchesRange(Range a, Range b);
// What remains of a once b is taken away, in out[0..count-1]. false (count 0) when they do not
// overlap or an argument is missing; true with count 0 when b covers a completely.
bool RangeMinus(Range a, Range b, Range *out, int *count);

// |a - b| < 0.02 (strict).
bool FloatAlmostEqual(double a, double b);
// |x| < 0.02 (strict).
bool FloatIsAlmostZero(double x);

// Each coordinate within the tolerance (inclusive); a tolerance of 0 or less means 0.002.
bool PointsAlmostEqual(QPointF a, QPointF b, float tolerance);
bool SizesAlmostEqual(QSizeF a, QSizeF b, float tolerance);
bool RectsAlmostEqual(QRectF a, QRectF b, float tolerance);

// Each coordinate within the tolerance itself (inclusive): 0 asks for exact equality and a
// negative tolerance accepts nothing.
bool PointsEqualWithTolerance(QPointF a, QPointF b, float tolerance);
bool SizesEqualWithTolerance(QSizeF a, QSizeF b, float tolerance);
bool RectsEqualWithTolerance(QRectF a, QRectF b, float tolerance);
// The point lies in the rectangle grown by the tolerance on every side, borders included.
bool PointInRectWithTolerance(QPointF p, QRectF r, float tolerance);
