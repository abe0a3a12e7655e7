#pragma once
// Directions in degrees, arc membership of angles, points on circles and ovals, and small vector
// arithmetic. Pure geometry: angles are degrees counter-clockwise from the positive x axis,
// normalised to [0, 360), and coordinates are kept as the caller gives them.

#include <QPointF>
#include <QRectF>

// A segment from p1 to p2.
struct LINE_
{
    QPointF p1;
    QPointF p2;
    bool operator==(const LINE_ &) const = default;
};

// A circular arc from startAngle to endAngle in the given direction. A radius of 0 or less is no
// arc; 0 -> 360 counter-clockwise and 360 -> 0 clockwise are full circles.
struct ARC_INFO
{
    QPointF center;
    float radius = 0;
    float startAngle = 0;
    float endAngle = 0;
    bool clockwise = false;
};

// A point with a sort key.
struct POINT_WITH_KEY
{
    QPointF point;
    double key = 0;
};

// A vector in polar form: angle in radians, then length.
struct POLAR_VECTOR
{
    float angle = 0;
    float length = 0;
};

// Directions.
bool GetLineAngleInto(float *outAngle, QPointF a, QPointF b);
float GetLineAngle(QPointF a, QPointF b);
float DegreesToRadians(float degrees);
bool AngleInArc(bool clockwise, float angle, float startAngle, float endAngle);
bool AngleInArcInfo(const ARC_INFO &arc, double angle);
bool PointDirectionInArc(const ARC_INFO &arc, QPointF p);
bool IsFullCircleArc(const ARC_INFO &arc);
float MidAngleOfArc(bool clockwise, float startAngle, float endAngle);
bool AnglesAlmostEqual(float a, float b, float tolerance);
bool LinesParallel(QPointF a, QPointF b, QPointF c, QPointF d, float tolerance);
bool LinesAreParallel(QPointF a, QPointF b, QPointF c, QPointF d);
// Whole degrees in [0, 360): current moved toward target the short way by at most |step|.
int StepAngleToward(int current, int target, int step);

// Points.
QPointF PointOnCircleAtAngle(QPointF center, float angle, float radius);
// The centre when |distance| < 0.02; a negative distance points the opposite way.
QPointF PointAtDistanceAndAngle(QPointF center, float distance, float angle);
QPointF PointOnOvalAtAngle(float angle, QRectF rect);
QPointF PointAlongLine(QPointF a, QPointF b, float distance);
QPointF MidPointOfPoints(QPointF a, QPointF b);
QPointF MirrorPointAroundPoint(QPointF p, QPointF center);
QPointF LerpPoints(QPointF a, QPointF b, float t);
QPointF ScalePoint(QPointF p, float factor);
QPointF MultiplyPoint(QPointF p, float factor);
QPointF AddPoints(QPointF a, QPointF b);
QPointF SubtractPoints(QPointF a, QPointF b);
void MakePointPair(LINE_ *out, double x1, double y1, double x2, double y2);
double SquaredDistance(QPointF a, QPointF b);
double DistanceBetweenPointsF(QPointF a, QPointF b);
double DistanceBetweenIntPoints(int x1, int y1, int x2, int y2);
QPointF IntPointToPoint(int x, int y);

// Vectors. A zero-length vector gets a random direction.
QPointF UnitVectorBetweenPoints(QPointF a, QPointF b);
QPointF UnitVectorOfPoint(QPointF p);
QPointF LimitVector(QPointF v, float limit);
POLAR_VECTOR VectorToPolar(QPointF v);
QPointF PolarToVector(POLAR_VECTOR polar);
// The point |offset| from a on the left of a -> b (the right for a negative offset).
bool OffsetPointPerpendicular(QPointF *out, QPointF a, QPointF b, float offset);
bool OffsetSegmentPerpendicular(LINE_ *out, LINE_ segment, float offset);
void SortPointsByKey(POINT_WITH_KEY *points, int count, bool ascending);
