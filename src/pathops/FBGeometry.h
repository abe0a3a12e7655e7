#pragma once
// Plain geometry of the curve engine: vector arithmetic, closeness tests with fixed tolerances,
// parameter ranges, angles and tangents, rectangles. Free functions without state.

#include "pathops/FBTolerances.h"
#include <QPointF>
#include <QRectF>
#include <algorithm>
#include <cmath>

// A parameter range on a curve. (1, 0) is the empty range: nothing of a curve can meet.
struct FBRange
{
    double minimum = 0.0;
    double maximum = 0.0;
};

// A line in normal form: a·x + b·y + c is the signed distance of (x, y) from it.
// (0, 0, 0) stands for a degenerate line through two equal points.
struct FBNormalizedLine
{
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
};

// Start and end angle in radians, both within [0, 2π).
struct FBAngleRange
{
    double minimum = 0.0;
    double maximum = 0.0;
};

// The left tangent leaves a crossing backwards along its edge, the right one forwards.
struct FBTangentPair
{
    QPointF left;
    QPointF right;
};

// Vector arithmetic.
inline QPointF FBGeom_AddPoints(QPointF p, QPointF q);
inline QPointF FBGeom_SubtractPoints(QPointF p, QPointF q);
inline QPointF FBGeom_ScalePoint(QPointF p, double s);
inline QPointF FBGeom_NegatePoint(QPointF p);
// Halves round away from zero.
QPointF FBGeom_RoundPoint(QPointF p);
inline double FBGeom_DotProduct(QPointF p, QPointF q);
inline double FBGeom_VectorLength(QPointF v);
inline double FBGeom_SquaredLength(QPointF v);
inline double FBGeom_PointDistance(QPointF p, QPointF q);
// A vector of length 0 comes back unchanged.
inline QPointF FBGeom_NormalizeVector(QPointF v);
inline QPointF FBGeom_ScaleVectorToLength(QPointF v, double length);
// The unit direction p1 -> p2 turned by +90°; (0, 0) for equal points.
inline QPointF FBGeom_LineNormal(QPointF p1, QPointF p2);
inline QPointF FBGeom_LineMidpoint(QPointF p1, QPointF p2);
// Distance from the infinite line through a and b; the distance to a when a and b nearly meet.
double FBGeom_DistancePointToLine(QPointF p, QPointF a, QPointF b);
inline FBNormalizedLine FBGeom_NormalizedLineFromPoints(QPointF p1, QPointF p2);
inline double FBGeom_DistanceFromPointToLine(QPointF p, const FBNormalizedLine &line);
// Where the segment s-e meets the horizontal line at height y; false when it does not reach it.
inline bool FBGeom_LineIntersectsHorizontalLine(QPointF s, QPointF e, double y,
                                                QPointF *intersection);

// Closeness; bounds are inclusive and a NaN operand is never close.
inline bool FBGeom_AreValuesClose(double a, double b);
inline bool FBGeom_AreValuesCloseWithThreshold(double a, double b, double threshold);
inline bool FBGeom_ArePointsClose(QPointF p, QPointF q);
inline bool FBGeom_ArePointsCloseWithThreshold(QPointF p, QPointF q, double threshold);

// Parameter ranges.
inline FBRange FBGeom_MakeRange(double minimum, double maximum);
inline double FBGeom_RangeLength(FBRange r);
inline double FBGeom_RangeAverage(FBRange r);
inline double FBGeom_RangeInterpolate(FBRange r, double t);
// Both ends agree in their first `places` decimals, further digits cut off.
bool FBGeom_RangeHasConverged(FBRange r, int places);
// True when the range is the empty range (1, 0) the clipping answers.
inline bool FBGeom_RangeIsEmptyMarker(FBRange r);

// Angles and tangents.
double FBGeom_NormalizeAngle(double angle);
double FBGeom_PolarAngle(QPointF v);
FBAngleRange FBGeom_MakeAngleRange(double start, double end);
// Open at both ends; a range whose end is below its start runs through angle 0.
bool FBGeom_AngleRangeContainsAngle(FBAngleRange range, double angle);
// One tangent of the second edge lies on each side of the first edge.
bool FBGeom_TangentsCross(const FBTangentPair &edge1, const FBTangentPair &edge2);

// Rectangles and bounds.
QPointF FBGeom_RectOrigin(const QRectF &r);
QPointF FBGeom_RectMaxXMinY(const QRectF &r);
QPointF FBGeom_RectMinXMaxY(const QRectF &r);
QPointF FBGeom_RectMaxXMaxY(const QRectF &r);
void FBGeom_ExpandBoundsByPoint(QPointF *topLeft, QPointF *bottomRight, QPointF p);
QRectF FBGeom_UnionRect(const QRectF &r1, const QRectF &r2);
// The largest magnitude of the rectangle's coordinates: the scale of their rounding.
double FBGeom_LargestMagnitude(const QRectF &r);

// The small helpers are defined here so that the curve search, which calls them in every step,
// has them inlined.

inline QPointF FBGeom_AddPoints(QPointF p, QPointF q)
{
    return QPointF(p.x() + q.x(), p.y() + q.y());
}

inline QPointF FBGeom_SubtractPoints(QPointF p, QPointF q)
{
    return QPointF(p.x() - q.x(), p.y() - q.y());
}

inline QPointF FBGeom_ScalePoint(QPointF p, double s)
{
    return QPointF(p.x() * s, p.y() * s);
}

inline QPointF FBGeom_NegatePoint(QPointF p)
{
    return QPointF(-p.x(), -p.y());
}

inline double FBGeom_DotProduct(QPointF p, QPointF q)
{
    return p.x() * q.x() + p.y() * q.y();
}

inline double FBGeom_VectorLength(QPointF v)
{
    return std::sqrt(FBGeom_SquaredLength(v));
}

inline double FBGeom_SquaredLength(QPointF v)
{
    return v.x() * v.x() + v.y() * v.y();
}

inline double FBGeom_PointDistance(QPointF p, QPointF q)
{
    return FBGeom_VectorLength(FBGeom_SubtractPoints(q, p));
}

inline QPointF FBGeom_NormalizeVector(QPointF v)
{
    const double length = FBGeom_VectorLength(v);
    if (length == 0.0)
        return v;
    return QPointF(v.x() / length, v.y() / length);
}

inline QPointF FBGeom_ScaleVectorToLength(QPointF v, double length)
{
    const double current = FBGeom_VectorLength(v);
    if (current == 0.0)
        return v;
    return FBGeom_ScalePoint(v, length / current);
}

inline QPointF FBGeom_LineNormal(QPointF p1, QPointF p2)
{
    return FBGeom_NormalizeVector(QPointF(p1.y() - p2.y(), p2.x() - p1.x()));
}

inline QPointF FBGeom_LineMidpoint(QPointF p1, QPointF p2)
{
    const double distance = FBGeom_PointDistance(p1, p2);
    const QPointF direction = FBGeom_NormalizeVector(FBGeom_SubtractPoints(p2, p1));
    return FBGeom_AddPoints(p1, FBGeom_ScaleVectorToLength(direction, distance / 2.0));
}

inline FBNormalizedLine FBGeom_NormalizedLineFromPoints(QPointF p1, QPointF p2)
{
    FBNormalizedLine line{p1.y() - p2.y(), p2.x() - p1.x(), p1.x() * p2.y() - p2.x() * p1.y()};
    const double length = std::sqrt(line.a * line.a + line.b * line.b);
    if (length == 0.0)
        return FBNormalizedLine{};
    line.a /= length;
    line.b /= length;
    line.c /= length;
    return line;
}

inline double FBGeom_DistanceFromPointToLine(QPointF p, const FBNormalizedLine &line)
{
    return line.a * p.x() + line.b * p.y() + line.c;
}

inline bool FBGeom_LineIntersectsHorizontalLine(QPointF s, QPointF e, double y,
                                                QPointF *intersection)
{
    const double low = std::min(s.y(), e.y());
    const double high = std::max(s.y(), e.y());
    if (low > y && !FBGeom_AreValuesClose(low, y))
        return false;
    if (y > high && !FBGeom_AreValuesClose(y, high))
        return false;
    if (!(low <= high))
        return false; // a NaN end reaches no height
    QPointF hit;
    if (s.x() == e.x() || s.y() == e.y()) {
        // Vertical, or lying on the line itself: the slope below would be 0 or undefined.
        hit = QPointF(s.x(), y);
    } else {
        const double slope = (e.y() - s.y()) / (e.x() - s.x());
        hit = QPointF((y - s.y()) / slope + s.x(), y);
    }
    if (intersection)
        *intersection = hit;
    return true;
}

inline bool FBGeom_AreValuesClose(double a, double b)
{
    return FBGeom_AreValuesCloseWithThreshold(a, b, FBPointClosenessThreshold);
}

inline bool FBGeom_AreValuesCloseWithThreshold(double a, double b, double threshold)
{
    const double delta = a - b;
    return -threshold <= delta && delta <= threshold;
}

inline bool FBGeom_ArePointsClose(QPointF p, QPointF q)
{
    return FBGeom_ArePointsCloseWithThreshold(p, q, FBPointClosenessThreshold);
}

inline bool FBGeom_ArePointsCloseWithThreshold(QPointF p, QPointF q, double threshold)
{
    return FBGeom_AreValuesCloseWithThreshold(p.x(), q.x(), threshold) &&
           FBGeom_AreValuesCloseWithThreshold(p.y(), q.y(), threshold);
}

inline FBRange FBGeom_MakeRange(double minimum, double maximum)
{
    return FBRange{minimum, maximum};
}

inline double FBGeom_RangeLength(FBRange r)
{
    return r.maximum - r.minimum;
}

inline double FBGeom_RangeAverage(FBRange r)
{
    return (r.minimum + r.maximum) * 0.5;
}

inline double FBGeom_RangeInterpolate(FBRange r, double t)
{
    return r.minimum + (r.maximum - r.minimum) * t;
}

inline bool FBGeom_RangeIsEmptyMarker(FBRange r)
{
    return r.minimum == 1.0 && r.maximum == 0.0;
}
