#include "graphics/UtilityMathAngles.h"

#include "graphics/DrawingUtility.h"
#include "graphics/UtilityMathTransforms.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kSamePoint = 0.0002;
constexpr double kNearAngle = 0.02;
constexpr double kNearZero = 0.02;
constexpr double kPi = 3.141592653589793;
constexpr float kPiF = 3.1415927f;
// atan answers radians; directions are read in degrees with the float value of pi.
constexpr double kDegreesPerRadianF = 180.0 / 3.1415927410125732;

float normalized(float angle)
{
    NormalizeAngleInPlace(&angle);
    return angle;
}

bool isFullCircle(bool clockwise, float start, float end)
{
    return (start == 0.0f && end == 360.0f && !clockwise) ||
           (start == 360.0f && end == 0.0f && clockwise);
}

// A unit vector of random direction in the first quadrant, for vectors that have none.
QPointF randomUnitVector()
{
    const double x = double(QRandomGenerator::global()->bounded(100) + 1) / 100.0;
    const double y = double(QRandomGenerator::global()->bounded(100) + 1) / 100.0;
    const double length = std::hypot(x, y);
    return QPointF(x / length, y / length);
}

} // namespace

bool GetLineAngleInto(float *outAngle, QPointF a, QPointF b)
{
    if (!outAngle)
        return false;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    if (std::abs(dx) <= kSamePoint && std::abs(dy) <= kSamePoint)
        return false;
    float angle;
    if (std::abs(dx) <= kSamePoint) {
        angle = dy > 0 ? 90.0f : 270.0f;
    } else if (std::abs(dy) <= kSamePoint) {
        angle = dx > 0 ? 0.0f : 180.0f;
    } else {
        const double t = std::atan(std::abs(dy / dx)) * kDegreesPerRadianF;
        double deg;
        if (dx > 0)
            deg = dy > 0 ? t : 360.0 - t;
        else
            deg = dy > 0 ? 180.0 - t : 180.0 + t;
        angle = float(deg);
    }
    if (!std::isfinite(angle))
        return false;
    NormalizeAngleInPlace(&angle);
    *outAngle = angle;
    return true;
}

float GetLineAngle(QPointF a, QPointF b)
{
    float angle = 0;
    return GetLineAngleInto(&angle, a, b) ? angle : 0.0f;
}

float DegreesToRadians(float degrees)
{
    return float(double(degrees) * kPi / 180.0);
}

bool AngleInArc(bool clockwise, float angle, float startAngle, float endAngle)
{
    if (isFullCircle(clockwise, startAngle, endAngle))
        return true;
    const double a = normalized(angle);
    const double start = normalized(startAngle);
    const double end = normalized(endAngle);
    // The margin is measured on the circle: 359.995 lies 0.005 from 0.
    const auto apart = [](double x, double y) {
        const double d = std::abs(x - y);
        return std::min(d, 360 - d);
    };
    if (apart(a, start) < kNearAngle || apart(a, end) < kNearAngle)
        return true;
    if (!clockwise) {
        if (end >= start)
            return start <= a && a <= end;
        return a >= start || a <= end;
    }
    if (start >= end)
        return end <= a && a <= start;
    return a <= start || a >= end;
}

bool AngleInArcInfo(const ARC_INFO &arc, double angle)
{
    return AngleInArc(arc.clockwise, float(angle), arc.startAngle, arc.endAngle);
}

bool PointDirectionInArc(const ARC_INFO &arc, QPointF p)
{
    return AngleInArc(arc.clockwise, GetLineAngle(arc.center, p), arc.startAngle, arc.endAngle);
}

bool IsFullCircleArc(const ARC_INFO &arc)
{
    return isFullCircle(arc.clockwise, arc.startAngle, arc.endAngle);
}

float MidAngleOfArc(bool clockwise, float startAngle, float endAngle)
{
    const float start = normalized(startAngle);
    const float end = normalized(endAngle);
    if (std::abs(double(start) - double(end)) < kNearAngle)
        return start;
    const float mid = normalized((start + end) / 2.0f);
    if (AngleInArc(clockwise, mid, start, end))
        return mid;
    return normalized(mid + 180.0f);
}

bool AnglesAlmostEqual(float a, float b, float tolerance)
{
    const double t = std::abs(double(tolerance));
    if (std::abs(double(a) - double(b)) < t)
        return true;
    const double na = normalized(a);
    const double nb = normalized(b);
    const double d = na - nb;
    return std::abs(d) < t || std::abs(d + 360.0) < t || std::abs(d - 360.0) < t;
}

bool LinesParallel(QPointF a, QPointF b, QPointF c, QPointF d, float tolerance)
{
    float first = 0, second = 0;
    if (!GetLineAngleInto(&first, a, b) || !GetLineAngleInto(&second, c, d))
        return false;
    const double t = std::abs(double(tolerance));
    // The difference lies in [0, 360): equal directions are near 0 or 360, opposite ones near
    // 180, whichever line is named first.
    const double delta = normalized(first - second);
    return delta <= t || 360.0 - delta <= t || std::abs(delta - 180.0) <= t;
}

bool LinesAreParallel(QPointF a, QPointF b, QPointF c, QPointF d)
{
    return LinesParallel(a, b, c, d, 0.02f);
}

int StepAngleToward(int current, int target, int step)
{
    const qint64 c = current, t = target;
    const qint64 s = step < 0 ? -qint64(step) : qint64(step);
    if (c == t)
        return current;
    qint64 down = c - t;
    qint64 up = t - c;
    if (down < 0)
        down += 360;
    if (up < 0)
        up += 360;
    if (down < up) {
        qint64 r = c - std::min(s, down);
        if (r < 0)
            r += 360;
        return int(r);
    }
    qint64 r = c + std::min(s, up);
    if (r > 359)
        r -= 360;
    return int(r);
}

QPointF PointOnCircleAtAngle(QPointF center, float angle, float radius)
{
    if (double(radius) <= kNearZero)
        return center;
    const float a = normalized(angle);
    const double r = radius;
    auto near = [a](double axis) { return std::abs(double(a) - axis) < kNearZero; };
    if (near(0.0) || near(360.0))
        return QPointF(center.x() + r, center.y());
    if (near(180.0))
        return QPointF(center.x() - r, center.y());
    if (near(90.0))
        return QPointF(center.x(), center.y() + r);
    if (near(270.0))
        return QPointF(center.x(), center.y() - r);
    const float radians = a * kPiF / 180.0f;
    return QPointF(center.x() + r * double(std::cos(radians)),
                   center.y() + r * double(std::sin(radians)));
}

QPointF PointAtDistanceAndAngle(QPointF center, float distance, float angle)
{
    if (std::abs(double(distance)) < kNearZero)
        return center;
    const double radians = double(normalized(angle)) * kPi / 180.0;
    return QPointF(center.x() + double(distance) * std::cos(radians),
                   center.y() + double(distance) * std::sin(radians));
}

QPointF PointOnOvalAtAngle(float angle, QRectF rect)
{
    const double w = rect.width(), h = rect.height();
    const QPointF c(rect.x() + w / 2, rect.y() + h / 2);
    const bool wide = w >= kNearZero, high = h >= kNearZero;
    if (!wide && !high)
        return c;
    if (!wide || !high) {
        // A flat oval is its centre line: the circle point is projected onto it.
        const QPointF p = PointOnCircleAtAngle(c, angle, float(std::max(w, h) / 2));
        return wide ? QPointF(p.x(), c.y()) : QPointF(c.x(), p.y());
    }
    if (w <= h) {
        const QPointF p = PointOnCircleAtAngle(c, angle, float(h / 2));
        return QPointF(c.x() + (p.x() - c.x()) * (w / h), p.y());
    }
    const QPointF p = PointOnCircleAtAngle(c, angle, float(w / 2));
    return QPointF(p.x(), c.y() + (p.y() - c.y()) * (h / w));
}

QPointF PointAlongLine(QPointF a, QPointF b, float distance)
{
    const platform::AffineTransform turn =
        CreateRotationTransformAroundPoint(a, GetLineAngle(a, b));
    return turn.transformPoint(QPointF(a.x() + double(distance), a.y()));
}

QPointF MidPointOfPoints(QPointF a, QPointF b)
{
    return (a + b) * 0.5;
}

QPointF MirrorPointAroundPoint(QPointF p, QPointF center)
{
    return 2 * center - p;
}

QPointF LerpPoints(QPointF a, QPointF b, float t)
{
    return a + double(t) * (b - a);
}

QPointF ScalePoint(QPointF p, float factor)
{
    return p * double(factor);
}

QPointF MultiplyPoint(QPointF p, float factor)
{
    return ScalePoint(p, factor);
}

QPointF AddPoints(QPointF a, QPointF b)
{
    return a + b;
}

QPointF SubtractPoints(QPointF a, QPointF b)
{
    return a - b;
}

void MakePointPair(LINE_ *out, double x1, double y1, double x2, double y2)
{
    if (!out)
        return;
    out->p1 = QPointF(x1, y1);
    out->p2 = QPointF(x2, y2);
}

double SquaredDistance(QPointF a, QPointF b)
{
    const double dx = a.x() - b.x(), dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

double DistanceBetweenPointsF(QPointF a, QPointF b)
{
    return std::sqrt(SquaredDistance(a, b));
}

double DistanceBetweenIntPoints(int x1, int y1, int x2, int y2)
{
    // Differences of 32-bit values need 33 bits; their squares are summed as doubles.
    const double dx = double(qint64(x2) - qint64(x1));
    const double dy = double(qint64(y2) - qint64(y1));
    return std::sqrt(dx * dx + dy * dy);
}

QPointF IntPointToPoint(int x, int y)
{
    return QPointF(x, y);
}

QPointF UnitVectorBetweenPoints(QPointF a, QPointF b)
{
    return UnitVectorOfPoint(b - a);
}

QPointF UnitVectorOfPoint(QPointF p)
{
    const double length = std::hypot(p.x(), p.y());
    if (length == 0)
        return randomUnitVector();
    return p / length;
}

QPointF LimitVector(QPointF v, float limit)
{
    const float squared = float(v.x() * v.x() + v.y() * v.y());
    if (squared > limit) {
        const double root = std::sqrt(double(limit));
        return QPointF(v.x() / root, v.y() / root);
    }
    return v;
}

POLAR_VECTOR VectorToPolar(QPointF v)
{
    return POLAR_VECTOR{float(std::atan2(v.y(), v.x())), float(std::hypot(v.x(), v.y()))};
}

QPointF PolarToVector(POLAR_VECTOR polar)
{
    return QPointF(double(polar.length) * std::cos(double(polar.angle)),
                   double(polar.length) * std::sin(double(polar.angle)));
}

bool OffsetPointPerpendicular(QPointF *out, QPointF a, QPointF b, float offset)
{
    if (!out)
        return false;
    const double d = std::abs(double(offset));
    if (d < 1.0) {
        *out = a;
        return true;
    }
    const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (length < 1.0)
        return false;
    const double s = d / length;
    const QPointF left(a.x() - (b.y() - a.y()) * s, a.y() + (b.x() - a.x()) * s);
    *out = offset < 0 ? 2 * a - left : left;
    return true;
}

bool OffsetSegmentPerpendicular(LINE_ *out, LINE_ segment, float offset)
{
    if (!out)
        return false;
    QPointF start;
    if (!OffsetPointPerpendicular(&start, segment.p1, segment.p2, offset))
        return false;
    const QPointF move = start - segment.p1;
    out->p1 = start;
    out->p2 = segment.p2 + move;
    return true;
}

void SortPointsByKey(POINT_WITH_KEY *points, int count, bool ascending)
{
    if (!points || count < 2)
        return;
    for (int i = 0; i < count - 1; ++i) {
        int best = i;
        for (int j = i + 1; j < count; ++j) {
            const bool better =
                ascending ? points[j].key < points[best].key : points[j].key > points[best].key;
            if (better)
                best = j;
        }
        if (best != i)
            std::swap(points[i], points[best]);
    }
}
