#pragma once
// Plain geometry of the curve engine: vector arithmetic, closeness tests with fixed tolerances,
// parameter ranges, angles and tangents, rectangles. Free functions without state.

#include <QPointF>
#include <QRectF>

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

inline constexpr double FBPointClosenessThreshold = 1e-10;

// Vector arithmetic.
QPointF FBGeom_AddPoints(QPointF p, QPointF q);
QPointF FBGeom_SubtractPoints(QPointF p, QPointF q);
QPointF FBGeom_ScalePoint(QPointF p, double s);
QPointF FBGeom_NegatePoint(QPointF p);
// Halves round away from zero.
QPointF FBGeom_RoundPoint(QPointF p);
double FBGeom_DotProduct(QPointF p, QPointF q);
double FBGeom_VectorLength(QPointF v);
double FBGeom_SquaredLength(QPointF v);
double FBGeom_PointDistance(QPointF p, QPointF q);
// A vector of length 0 comes back unchanged.
QPointF FBGeom_NormalizeVector(QPointF v);
QPointF FBGeom_ScaleVectorToLength(QPointF v, double length);
// The unit direction p1 -> p2 turned by +90°; (0, 0) for equal points.
QPointF FBGeom_LineNormal(QPointF p1, QPointF p2);
QPointF FBGeom_LineMidpoint(QPointF p1, QPointF p2);
// Distance from the infinite line through a and b; the distance to a when a and b nearly meet.
double FBGeom_DistancePointToLine(QPointF p, QPointF a, QPointF b);
FBNormalizedLine FBGeom_NormalizedLineFromPoints(QPointF p1, QPointF p2);
double FBGeom_DistanceFromPointToLine(QPointF p, const FBNormalizedLine &line);
// Where the segment s-e meets the horizontal line at height y; false when it does not reach it.
bool FBGeom_LineIntersectsHorizontalLine(QPointF s, QPointF e, double y, QPointF *intersection);

// Closeness; bounds are inclusive and a NaN operand is never close.
bool FBGeom_AreValuesClose(double a, double b);
bool FBGeom_AreValuesCloseWithThreshold(double a, double b, double threshold);
bool FBGeom_ArePointsClose(QPointF p, QPointF q);
bool FBGeom_ArePointsCloseWithThreshold(QPointF p, QPointF q, double threshold);

// Parameter ranges.
FBRange FBGeom_MakeRange(double minimum, double maximum);
double FBGeom_RangeLength(FBRange r);
double FBGeom_RangeAverage(FBRange r);
double FBGeom_RangeInterpolate(FBRange r, double t);
// Both ends agree in their first `places` decimals, further digits cut off.
bool FBGeom_RangeHasConverged(FBRange r, int places);
// True when the range is the empty range (1, 0) the clipping answers.
bool FBGeom_RangeIsEmptyMarker(FBRange r);

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
