#include "pathops/FBBezierCurve.h"

#include "pathops/FBCurvePoints.h"

#include <algorithm>
#include <cmath>

namespace {

// One or two parameters, kept in place: the bounds are asked for in every search.
struct DerivativeRoots
{
    std::array<double, 2> values;
    std::size_t count;

    const double *begin() const { return values.data(); }
    const double *end() const { return values.data() + count; }
};

// Parameters in which one coordinate's derivative vanishes, held in single precision as the
// bounds have always been computed.
DerivativeRoots derivativeRoots(double p0, double p1, double p2, double p3)
{
    const double a = 3 * p1 - p0 - 3 * p2 + p3;
    if (!FBGeom_AreValuesClose(a, 0.0)) {
        const double root = std::sqrt(p2 * p2 + p1 * p1 - p0 * p2 + p0 * p3 - p1 * p3 - p1 * p2);
        return {{double(float((2 * p1 - p0 - p2 - root) / a)),
                 double(float((2 * p1 - p0 - p2 + root) / a))},
                2};
    }
    return {{double(float((p0 - p1) / (2 * (p0 - 2 * p1 + p2)))), 0.0}, 1};
}

// The 12-point Gauss-Legendre rule on [-1, 1].
struct GaussNode
{
    double x;
    double w;
};
constexpr GaussNode GaussLegendre12[] = {
    {-0.1252334085114689, 0.2491470458134028}, {0.1252334085114689, 0.2491470458134028},
    {-0.3678314989981802, 0.2334925365383548}, {0.3678314989981802, 0.2334925365383548},
    {-0.5873179542866175, 0.2031674267230659}, {0.5873179542866175, 0.2031674267230659},
    {-0.7699026741943047, 0.1600783285433462}, {0.7699026741943047, 0.1600783285433462},
    {-0.9041172563704749, 0.1069393259953184}, {0.9041172563704749, 0.1069393259953184},
    {-0.9815606342467192, 0.0471753363865118}, {0.9815606342467192, 0.0471753363865118},
};

QPointF toFloat(QPointF p)
{
    return QPointF(double(float(p.x())), double(float(p.y())));
}

double crossAround(QPointF origin, QPointF p, QPointF q)
{
    return (p.x() - origin.x()) * (q.y() - origin.y()) -
           (q.x() - origin.x()) * (p.y() - origin.y());
}

} // namespace

FBBezierCurve::FBBezierCurve(Key, QPointF endPoint1, QPointF controlPoint1, QPointF controlPoint2,
                             QPointF endPoint2, bool isStraightLine)
    : mEndPoint1(endPoint1), mControlPoint1(controlPoint1), mControlPoint2(controlPoint2),
      mEndPoint2(endPoint2), mIsStraightLine(isStraightLine)
{}

FBBezierCurvePtr FBBezierCurve::make(const std::array<QPointF, 4> &p, bool isStraightLine)
{
    return std::make_shared<const FBBezierCurve>(Key{}, p[0], p[1], p[2], p[3], isStraightLine);
}

FBBezierCurvePtr FBBezierCurve::bezierCurveWithEndPoint1(QPointF endPoint1, QPointF controlPoint1,
                                                         QPointF controlPoint2, QPointF endPoint2)
{
    return make({endPoint1, controlPoint1, controlPoint2, endPoint2}, false);
}

FBBezierCurvePtr FBBezierCurve::bezierCurveWithLineStartPoint(QPointF startPoint, QPointF endPoint)
{
    const double distance = FBGeom_PointDistance(startPoint, endPoint);
    const QPointF direction = FBGeom_NormalizeVector(FBGeom_SubtractPoints(endPoint, startPoint));
    const QPointF control1 =
        FBGeom_AddPoints(startPoint, FBGeom_ScaleVectorToLength(direction, distance / 3.0));
    const QPointF control2 =
        FBGeom_AddPoints(startPoint, FBGeom_ScaleVectorToLength(direction, 2.0 * distance / 3.0));
    return make({startPoint, control1, control2, endPoint}, true);
}

std::vector<FBBezierCurvePtr>
FBBezierCurve::bezierCurvesFromBezierPath(const platform::BezierPath &path)
{
    std::vector<FBBezierCurvePtr> curves;
    QPointF current(0, 0);
    QPointF subpathStart(0, 0);
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        QPointF p[3];
        switch (path.elementAtIndex(i, p)) {
        case platform::BezierPathElement::MoveTo:
            current = subpathStart = p[0];
            break;
        case platform::BezierPathElement::LineTo:
            curves.push_back(bezierCurveWithLineStartPoint(current, p[0]));
            current = p[0];
            break;
        case platform::BezierPathElement::CurveTo:
            curves.push_back(bezierCurveWithEndPoint1(current, p[0], p[1], p[2]));
            current = p[2];
            break;
        case platform::BezierPathElement::ClosePath:
            // No closing line; what follows starts where the closed subpath started.
            current = subpathStart;
            break;
        }
    }
    return curves;
}

bool FBBezierCurve::isEqual(const FBBezierCurve &other) const
{
    return FBCurve_IsEqual(points(), mIsStraightLine, other.points(), other.mIsStraightLine);
}

QPointF FBBezierCurve::pointAtParameter(double t, FBBezierCurvePtr *leftBezierCurve,
                                        FBBezierCurvePtr *rightBezierCurve) const
{
    if (!leftBezierCurve && !rightBezierCurve)
        return FBCurve_PointAt(points(), t);
    std::array<QPointF, 4> left, right;
    const QPointF point = FBCurve_DeCasteljau(points(), t, leftBezierCurve ? &left : nullptr,
                                              rightBezierCurve ? &right : nullptr);
    if (leftBezierCurve)
        *leftBezierCurve = make(left, mIsStraightLine);
    if (rightBezierCurve)
        *rightBezierCurve = make(right, mIsStraightLine);
    return point;
}

std::array<FBBezierCurvePtr, 2> FBBezierCurve::splitCurveAtParameter(double t) const
{
    std::array<FBBezierCurvePtr, 2> pieces;
    pointAtParameter(t, &pieces[0], &pieces[1]);
    return pieces;
}

FBBezierCurvePtr FBBezierCurve::subcurveWithRange(FBRange range) const
{
    return make(FBCurve_SubcurveWithRange(points(), range), mIsStraightLine);
}

std::array<FBBezierCurvePtr, 3> FBBezierCurve::splitSubcurvesWithRange(FBRange range) const
{
    FBBezierCurvePtr before, upperCurve;
    pointAtParameter(range.minimum, &before, &upperCurve);
    if (range.minimum == 0.0)
        before = nullptr;
    if (range.minimum == 1.0)
        return {before, upperCurve, nullptr};
    const double adjustedMaximum = (range.maximum - range.minimum) / (1.0 - range.minimum);
    FBBezierCurvePtr middle, after;
    upperCurve->pointAtParameter(adjustedMaximum, &middle, &after);
    return {before, middle, after};
}

FBBezierCurvePtr FBBezierCurve::reversedCurve() const
{
    return make({mEndPoint2, mControlPoint2, mControlPoint1, mEndPoint1}, mIsStraightLine);
}

FBBezierCurvePtr FBBezierCurve::curveWithEndPoints(QPointF start, QPointF end) const
{
    // Exactly: QPointF's == overlooks differences in the last digits.
    if (start.x() == mEndPoint1.x() && start.y() == mEndPoint1.y() && end.x() == mEndPoint2.x() &&
        end.y() == mEndPoint2.y())
        return self();
    const QPointF control1 =
        FBGeom_AddPoints(mControlPoint1, FBGeom_SubtractPoints(start, mEndPoint1));
    const QPointF control2 =
        FBGeom_AddPoints(mControlPoint2, FBGeom_SubtractPoints(end, mEndPoint2));
    return make({start, control1, control2, end}, mIsStraightLine);
}

double FBBezierCurve::refineParameter(double t, QPointF point) const
{
    const std::array<QPointF, 4> p = points();
    const std::array<QPointF, 3> firstDerivative = FBCurve_Derivative(p);
    const std::array<QPointF, 2> secondDerivative = FBCurve_Derivative(firstDerivative);
    const QPointF q = FBCurve_DeCasteljau(p, t);
    const QPointF q1 = FBCurve_DeCasteljau(firstDerivative, t);
    const QPointF q2 = FBCurve_DeCasteljau(secondDerivative, t);
    const QPointF offset = FBGeom_SubtractPoints(q, point);
    const double numerator = FBGeom_DotProduct(offset, q1);
    const double denominator = FBGeom_DotProduct(q1, q1) + FBGeom_DotProduct(offset, q2);
    return t - numerator / denominator;
}

double FBBezierCurve::length() const
{
    return lengthAtParameter(1.0);
}

double FBBezierCurve::lengthAtParameter(double t) const
{
    const QPointF p0 = mEndPoint1, p1 = mControlPoint1, p2 = mControlPoint2, p3 = mEndPoint2;
    const QPointF a = toFloat(3 * p3 + 9 * p1 - 3 * p0 - 9 * p2);
    const QPointF b = 6 * p0 - 12 * p1 + 6 * p2;
    const QPointF c = 3 * p1 - 3 * p0;
    const double half = t / 2.0;
    double sum = 0.0;
    for (const GaussNode &node : GaussLegendre12) {
        const double u = half * node.x + half;
        const QPointF d = toFloat(a * u + b);
        const QPointF v = d * u + c;
        const float vx = float(v.x());
        const float vy = float(v.y());
        sum += node.w * double(std::sqrt(vx * vx + vy * vy));
    }
    return half * sum;
}

std::vector<QPointF> FBBezierCurve::convexHull() const
{
    return convexHullOfPoints(points());
}

std::vector<QPointF> FBBezierCurve::convexHullOfPoints(const std::array<QPointF, 4> &input)
{
    const FBCurveHull hull = hullOfPoints(input);
    return std::vector<QPointF>(hull.begin(), hull.end());
}

FBCurveHull FBBezierCurve::hullOfPoints(const std::array<QPointF, 4> &input)
{
    // Lowest point first: smallest y, the larger x among nearly equal heights.
    std::array<QPointF, 4> points = input;
    std::size_t lowest = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const bool closeHeights = FBGeom_AreValuesClose(points[i].y(), points[lowest].y());
        if ((closeHeights && points[i].x() > points[lowest].x()) ||
            (!closeHeights && points[i].y() < points[lowest].y()))
            lowest = i;
    }
    std::swap(points[0], points[lowest]);
    const QPointF origin = points[0];

    // Of the points on one ray from the lowest point only the farthest can be a corner; of two
    // copies of one point exactly one stays.
    std::array<QPointF, 3> others;
    std::size_t otherCount = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        if (points[i] != origin)
            others[otherCount++] = points[i];
    std::array<bool, 3> removed = {false, false, false};
    for (std::size_t i = 0; i < otherCount; ++i) {
        for (std::size_t j = i + 1; j < otherCount; ++j) {
            if (removed[i] || removed[j])
                continue;
            if (!FBCurveHullDetail::onOneLine(origin, others[i], others[j]))
                continue;
            const double di = FBGeom_SquaredLength(FBGeom_SubtractPoints(others[i], origin));
            const double dj = FBGeom_SquaredLength(FBGeom_SubtractPoints(others[j], origin));
            if (FBGeom_DotProduct(FBGeom_SubtractPoints(others[i], origin),
                                  FBGeom_SubtractPoints(others[j], origin)) < 0)
                continue; // opposite rays
            removed[di < dj ? i : j] = true;
        }
    }
    FBCurveHull sorted;
    sorted.push(origin);
    for (std::size_t i = 0; i < otherCount; ++i) {
        if (removed[i])
            continue;
        // Counter-clockwise around the lowest point; at most three points, so insertion.
        std::size_t position = 1;
        while (position < sorted.count && crossAround(origin, sorted[position], others[i]) > 0)
            ++position;
        for (std::size_t k = sorted.count; k > position; --k)
            sorted.points[k] = sorted.points[k - 1];
        sorted.points[position] = others[i];
        ++sorted.count;
    }

    // Graham scan.
    if (sorted.count < 3)
        return sorted;
    FBCurveHull hull;
    hull.push(sorted[0]);
    hull.push(sorted[1]);
    for (std::size_t i = 2; i < sorted.count;) {
        const QPointF c = sorted[i];
        const QPointF t = hull[hull.count - 1];
        const QPointF n = hull[hull.count - 2];
        if ((t.x() - n.x()) * (c.y() - n.y()) - (t.y() - n.y()) * (c.x() - n.x()) > 0) {
            hull.push(c);
            ++i;
            continue;
        }
        --hull.count;
        if (hull.count < 2) {
            hull.push(c);
            ++i;
        }
    }
    return hull;
}

bool FBBezierCurve::isPoint() const
{
    return FBCurve_IsPoint(points());
}

QRectF FBBezierCurve::bounds() const
{
    if (mBoundsState.load(std::memory_order_acquire) == 2)
        return mBounds;
    const QRectF box = computeBounds();
    int unknown = 0;
    if (mBoundsState.compare_exchange_strong(unknown, 1, std::memory_order_acq_rel)) {
        mBounds = box;
        mBoundsState.store(2, std::memory_order_release);
    }
    return box;
}

QRectF FBBezierCurve::computeBounds() const
{
    QPointF low(std::min(mEndPoint1.x(), mEndPoint2.x()), std::min(mEndPoint1.y(), mEndPoint2.y()));
    QPointF high(std::max(mEndPoint1.x(), mEndPoint2.x()),
                 std::max(mEndPoint1.y(), mEndPoint2.y()));
    // Along an axis where both control points lie between the ends, so does the whole curve:
    // the ends are its extremes there and no turning point need be looked for.
    auto turns = [](double p0, double p1, double p2, double p3) {
        const double lowest = std::min(p0, p3), highest = std::max(p0, p3);
        return !(p1 >= lowest && p1 <= highest && p2 >= lowest && p2 <= highest);
    };
    const DerivativeRoots none{{0.0, 0.0}, 0};
    const DerivativeRoots roots[2] = {
        turns(mEndPoint1.x(), mControlPoint1.x(), mControlPoint2.x(), mEndPoint2.x())
            ? derivativeRoots(mEndPoint1.x(), mControlPoint1.x(), mControlPoint2.x(),
                              mEndPoint2.x())
            : none,
        turns(mEndPoint1.y(), mControlPoint1.y(), mControlPoint2.y(), mEndPoint2.y())
            ? derivativeRoots(mEndPoint1.y(), mControlPoint1.y(), mControlPoint2.y(),
                              mEndPoint2.y())
            : none};
    for (const DerivativeRoots &axis : roots)
        for (double t : axis)
            if (t >= 0.0 && t <= 1.0) // NaN and infinite roots fail both tests
                FBGeom_ExpandBoundsByPoint(&low, &high, pointAtParameter(t));
    return QRectF(low.x(), low.y(), high.x() - low.x(), high.y() - low.y());
}

platform::BezierPath FBBezierCurve::bezierPath() const
{
    platform::BezierPath path;
    path.moveToPoint(mEndPoint1);
    path.curveToPoint(mEndPoint2, mControlPoint1, mControlPoint2);
    return path;
}

QString FBBezierCurve::description() const
{
    return QString::asprintf("<%s (%.18f, %.18f)-[%.18f, %.18f] curve to [%.18f, %.18f]-(%.18f, "
                             "%.18f)>",
                             "FBBezierCurve", mEndPoint1.x(), mEndPoint1.y(), mControlPoint1.x(),
                             mControlPoint1.y(), mControlPoint2.x(), mControlPoint2.y(),
                             mEndPoint2.x(), mEndPoint2.y());
}
