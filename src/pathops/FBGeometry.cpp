#include "pathops/FBGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;
// Below this many turns the angle is brought into range step by step, as the engine always did;
// beyond it (or for a non-finite angle) stepping would take for ever.
constexpr double MaxSteppedAngle = 64.0 * TwoPi;
// The nearly-equal end points of a line, as a single-precision value.
constexpr double DegenerateLineLength = double(0.02f);

// Truncation toward zero that saturates; NaN becomes 0.
qint64 truncateSaturating(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775807.0; // rounds up to 2^63
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

} // namespace

QPointF FBGeom_AddPoints(QPointF p, QPointF q)
{
    return QPointF(p.x() + q.x(), p.y() + q.y());
}

QPointF FBGeom_SubtractPoints(QPointF p, QPointF q)
{
    return QPointF(p.x() - q.x(), p.y() - q.y());
}

QPointF FBGeom_ScalePoint(QPointF p, double s)
{
    return QPointF(p.x() * s, p.y() * s);
}

QPointF FBGeom_NegatePoint(QPointF p)
{
    return QPointF(-p.x(), -p.y());
}

QPointF FBGeom_RoundPoint(QPointF p)
{
    return QPointF(std::round(p.x()), std::round(p.y()));
}

double FBGeom_DotProduct(QPointF p, QPointF q)
{
    return p.x() * q.x() + p.y() * q.y();
}

double FBGeom_VectorLength(QPointF v)
{
    return std::sqrt(FBGeom_SquaredLength(v));
}

double FBGeom_SquaredLength(QPointF v)
{
    return v.x() * v.x() + v.y() * v.y();
}

double FBGeom_PointDistance(QPointF p, QPointF q)
{
    return FBGeom_VectorLength(FBGeom_SubtractPoints(q, p));
}

QPointF FBGeom_NormalizeVector(QPointF v)
{
    const double length = FBGeom_VectorLength(v);
    if (length == 0.0)
        return v;
    return QPointF(v.x() / length, v.y() / length);
}

QPointF FBGeom_ScaleVectorToLength(QPointF v, double length)
{
    const double current = FBGeom_VectorLength(v);
    if (current == 0.0)
        return v;
    return FBGeom_ScalePoint(v, length / current);
}

QPointF FBGeom_LineNormal(QPointF p1, QPointF p2)
{
    return FBGeom_NormalizeVector(QPointF(p1.y() - p2.y(), p2.x() - p1.x()));
}

QPointF FBGeom_LineMidpoint(QPointF p1, QPointF p2)
{
    const double distance = FBGeom_PointDistance(p1, p2);
    const QPointF direction = FBGeom_NormalizeVector(FBGeom_SubtractPoints(p2, p1));
    return FBGeom_AddPoints(p1, FBGeom_ScaleVectorToLength(direction, distance / 2.0));
}

double FBGeom_DistancePointToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = FBGeom_SubtractPoints(b, a);
    const double lengthSquared = FBGeom_SquaredLength(ab);
    if (std::sqrt(lengthSquared) <= DegenerateLineLength)
        return FBGeom_PointDistance(p, a);
    const double t = FBGeom_DotProduct(FBGeom_SubtractPoints(p, a), ab) / lengthSquared;
    const QPointF foot = FBGeom_AddPoints(a, FBGeom_ScalePoint(ab, t));
    return FBGeom_PointDistance(foot, p);
}

FBNormalizedLine FBGeom_NormalizedLineFromPoints(QPointF p1, QPointF p2)
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

double FBGeom_DistanceFromPointToLine(QPointF p, const FBNormalizedLine &line)
{
    return line.a * p.x() + line.b * p.y() + line.c;
}

bool FBGeom_LineIntersectsHorizontalLine(QPointF s, QPointF e, double y, QPointF *intersection)
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

bool FBGeom_AreValuesClose(double a, double b)
{
    return FBGeom_AreValuesCloseWithThreshold(a, b, FBPointClosenessThreshold);
}

bool FBGeom_AreValuesCloseWithThreshold(double a, double b, double threshold)
{
    const double delta = a - b;
    return -threshold <= delta && delta <= threshold;
}

bool FBGeom_ArePointsClose(QPointF p, QPointF q)
{
    return FBGeom_ArePointsCloseWithThreshold(p, q, FBPointClosenessThreshold);
}

bool FBGeom_ArePointsCloseWithThreshold(QPointF p, QPointF q, double threshold)
{
    return FBGeom_AreValuesCloseWithThreshold(p.x(), q.x(), threshold) &&
           FBGeom_AreValuesCloseWithThreshold(p.y(), q.y(), threshold);
}

FBRange FBGeom_MakeRange(double minimum, double maximum)
{
    return FBRange{minimum, maximum};
}

double FBGeom_RangeLength(FBRange r)
{
    return r.maximum - r.minimum;
}

double FBGeom_RangeAverage(FBRange r)
{
    return (r.minimum + r.maximum) * 0.5;
}

double FBGeom_RangeInterpolate(FBRange r, double t)
{
    return r.minimum + (r.maximum - r.minimum) * t;
}

bool FBGeom_RangeHasConverged(FBRange r, int places)
{
    const double factor = std::pow(10.0, places);
    return truncateSaturating(r.minimum * factor) == truncateSaturating(r.maximum * factor);
}

bool FBGeom_RangeIsEmptyMarker(FBRange r)
{
    return r.minimum == 1.0 && r.maximum == 0.0;
}

double FBGeom_NormalizeAngle(double angle)
{
    if (!std::isfinite(angle))
        return angle;
    if (std::abs(angle) > MaxSteppedAngle) {
        angle = std::fmod(angle, TwoPi);
        if (angle < 0)
            angle += TwoPi;
        return angle >= TwoPi ? 0.0 : angle;
    }
    while (angle < 0)
        angle += TwoPi;
    while (angle >= TwoPi)
        angle -= TwoPi;
    return angle;
}

double FBGeom_PolarAngle(QPointF v)
{
    const double x = v.x();
    const double y = v.y();
    double value = 0.0;
    if (x > 0) {
        value = std::atan(y / x);
    } else if (x < 0) {
        value = y >= 0 ? std::atan(y / x) + std::numbers::pi : std::atan(y / x) - std::numbers::pi;
    } else {
        if (y > 0)
            return std::numbers::pi / 2.0;
        if (y == 0)
            return 0.0;
        value = -std::numbers::pi / 2.0;
    }
    return FBGeom_NormalizeAngle(value);
}

FBAngleRange FBGeom_MakeAngleRange(double start, double end)
{
    return FBAngleRange{start, end};
}

bool FBGeom_AngleRangeContainsAngle(FBAngleRange range, double angle)
{
    if (range.maximum >= range.minimum)
        return range.minimum < angle && angle < range.maximum;
    return (range.minimum < angle && angle <= TwoPi) || (angle >= 0 && angle < range.maximum);
}

bool FBGeom_TangentsCross(const FBTangentPair &edge1, const FBTangentPair &edge2)
{
    const double a1 = FBGeom_PolarAngle(edge1.left);
    const double a2 = FBGeom_PolarAngle(edge1.right);
    const double b1 = FBGeom_PolarAngle(edge2.left);
    const double b2 = FBGeom_PolarAngle(edge2.right);
    const FBAngleRange side1 = FBGeom_MakeAngleRange(a1, a2);
    const FBAngleRange side2 = FBGeom_MakeAngleRange(a2, a1);
    const int inSide1 = int(FBGeom_AngleRangeContainsAngle(side1, b1)) +
                        int(FBGeom_AngleRangeContainsAngle(side1, b2));
    const int inSide2 = int(FBGeom_AngleRangeContainsAngle(side2, b1)) +
                        int(FBGeom_AngleRangeContainsAngle(side2, b2));
    return inSide1 == 1 && inSide2 == 1;
}

QPointF FBGeom_RectOrigin(const QRectF &r)
{
    return QPointF(r.x(), r.y());
}

QPointF FBGeom_RectMaxXMinY(const QRectF &r)
{
    return QPointF(r.x() + r.width(), r.y());
}

QPointF FBGeom_RectMinXMaxY(const QRectF &r)
{
    return QPointF(r.x(), r.y() + r.height());
}

QPointF FBGeom_RectMaxXMaxY(const QRectF &r)
{
    return QPointF(r.x() + r.width(), r.y() + r.height());
}

void FBGeom_ExpandBoundsByPoint(QPointF *topLeft, QPointF *bottomRight, QPointF p)
{
    topLeft->setX(std::min(topLeft->x(), p.x()));
    topLeft->setY(std::min(topLeft->y(), p.y()));
    bottomRight->setX(std::max(bottomRight->x(), p.x()));
    bottomRight->setY(std::max(bottomRight->y(), p.y()));
}

QRectF FBGeom_UnionRect(const QRectF &r1, const QRectF &r2)
{
    const QPointF r2Low = FBGeom_RectOrigin(r2);
    const QPointF r2High = FBGeom_RectMaxXMaxY(r2);
    const QPointF r1Low = FBGeom_RectOrigin(r1);
    const QPointF r1High = FBGeom_RectMaxXMaxY(r1);
    const double minX = std::min({r1Low.x(), r2Low.x(), r2High.x()});
    const double minY = std::min({r1Low.y(), r2Low.y(), r2High.y()});
    const double maxX = std::max({r1High.x(), r2Low.x(), r2High.x()});
    const double maxY = std::max({r1High.y(), r2Low.y(), r2High.y()});
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}
