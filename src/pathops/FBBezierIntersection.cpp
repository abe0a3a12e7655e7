#include "pathops/FBBezierIntersection.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double ParameterCloseThreshold = FBTol_EndParameter;
constexpr double TangentCloseThreshold = FBTol_TangentClose;
// How far an end point may lie from the other curve and still be on it, relative to the size
// of the coordinates: rounding, not geometry.
constexpr double EndPointOffCurveTolerance = FBTol_EndPointOffCurve;
// How near a point may lie to a curve's end point in space to be at it, whatever its parameter:
// on a very short piece a small error of the point is a large one of its parameter.
constexpr double EndPointNearTolerance = FBTol_EndPointNear;

// The distance from `point` to the nearest point of the curve, searched from parameter `t`.
double distanceToCurve(QPointF point, const FBBezierCurve &curve, double t, QPointF onCurve)
{
    double nearest = FBGeom_PointDistance(point, onCurve);
    for (int step = 0; step < 4 && nearest > 0; ++step) {
        const double next = curve.refineParameter(t, point);
        if (!std::isfinite(next))
            break;
        t = std::clamp(next, 0.0, 1.0);
        nearest = std::min(nearest, FBGeom_PointDistance(point, curve.pointAtParameter(t)));
    }
    return nearest;
}

// Whether an intersection at parameter `t` of a curve (its point there `onCurve`) lies at the
// curve's end point `end` (reached at `endParameter`), the other curve meeting it at `otherT`
// (its point there `onOther`). Being near the end is not enough: a curve that passes a corner a
// hair away crosses the edge before the corner near its end and the edge after it near its
// start, at two different points. Taken by nearness alone, one of those could count as at the
// corner and the other not, and the contour would get an odd number of crossings. So the end
// point must also lie on the other curve.
// The end point's distance off the other curve is taken at the scale of the smaller curve met
// (`smaller`): a side's end lying a rounding error of the side's coordinates off a speck is far
// off it at the speck's scale.
bool liesAtEnd(double t, double endParameter, QPointF end, QPointF onCurve,
               const FBBezierCurve &other, double otherT, QPointF onOther, double smaller)
{
    const double largest = std::max(
        {std::abs(end.x()), std::abs(end.y()), std::abs(onOther.x()), std::abs(onOther.y())});
    const double scale = 1.0 + largest;
    // Of a piece shorter than the tolerance, only the end nearer by parameter.
    const bool near =
        FBGeom_AreValuesCloseWithThreshold(t, endParameter, ParameterCloseThreshold) ||
        (std::abs(t - endParameter) <= 0.5 &&
         FBGeom_PointDistance(onCurve, end) <= EndPointNearTolerance * scale);
    return near && !(distanceToCurve(end, other, otherT, onOther) >
                     FBTol_AtCurveSize(EndPointOffCurveTolerance * scale, smaller, largest));
}

double sizeOf(const FBBezierCurve &curve)
{
    const QRectF box = curve.bounds();
    return std::max(box.width(), box.height());
}

// Sets a coordinate of `point` to the curve's where all four of its points share it.
void keepSharedCoordinate(QPointF &point, const FBBezierCurve &curve)
{
    const QPointF p0 = curve.endPoint1();
    const QPointF p1 = curve.controlPoint1();
    const QPointF p2 = curve.controlPoint2();
    const QPointF p3 = curve.endPoint2();
    if (p0.x() == p1.x() && p0.x() == p2.x() && p0.x() == p3.x())
        point.setX(p0.x());
    if (p0.y() == p1.y() && p0.y() == p2.y() && p0.y() == p3.y())
        point.setY(p0.y());
}

} // namespace

FBBezierIntersection::FBBezierIntersection(FBBezierCurvePtr curve1, double parameter1,
                                           FBBezierCurvePtr curve2, double parameter2)
    : mCurve1(std::move(curve1)), mParameter1(parameter1), mCurve2(std::move(curve2)),
      mParameter2(parameter2)
{
    const QPointF on1 = mCurve1->pointAtParameter(mParameter1);
    const QPointF on2 = mCurve2->pointAtParameter(mParameter2);
    const double smaller = std::min(sizeOf(*mCurve1), sizeOf(*mCurve2));
    mAtStartOfCurve1 =
        liesAtEnd(mParameter1, 0.0, mCurve1->endPoint1(), on1, *mCurve2, mParameter2, on2, smaller);
    mAtStopOfCurve1 =
        liesAtEnd(mParameter1, 1.0, mCurve1->endPoint2(), on1, *mCurve2, mParameter2, on2, smaller);
    mAtStartOfCurve2 =
        liesAtEnd(mParameter2, 0.0, mCurve2->endPoint1(), on2, *mCurve1, mParameter1, on1, smaller);
    mAtStopOfCurve2 =
        liesAtEnd(mParameter2, 1.0, mCurve2->endPoint2(), on2, *mCurve1, mParameter1, on1, smaller);
    // Where the curves share the end point the intersection lies at, it lies at both ends,
    // however far the search left the other curve's parameter from it (it can where the curves
    // part slowly).
    auto sameEnd = [&](QPointF end, bool &atStart, bool &atStop, const FBBezierCurve &curve,
                       double parameter) {
        const bool start = end.x() == curve.endPoint1().x() && end.y() == curve.endPoint1().y();
        const bool stop = end.x() == curve.endPoint2().x() && end.y() == curve.endPoint2().y();
        if (atStart || atStop || !(start || stop))
            return;
        if (start && (!stop || parameter <= 0.5))
            atStart = true;
        else
            atStop = true;
    };
    if (mAtStartOfCurve1 || mAtStopOfCurve1)
        sameEnd(mAtStartOfCurve1 ? mCurve1->endPoint1() : mCurve1->endPoint2(), mAtStartOfCurve2,
                mAtStopOfCurve2, *mCurve2, mParameter2);
    else if (mAtStartOfCurve2 || mAtStopOfCurve2)
        sameEnd(mAtStartOfCurve2 ? mCurve2->endPoint1() : mCurve2->endPoint2(), mAtStartOfCurve1,
                mAtStopOfCurve1, *mCurve1, mParameter1);
}

FBBezierIntersectionPtr FBBezierIntersection::intersectionWithCurve1(FBBezierCurvePtr curve1,
                                                                     double parameter1,
                                                                     FBBezierCurvePtr curve2,
                                                                     double parameter2)
{
    return std::make_shared<FBBezierIntersection>(std::move(curve1), parameter1, std::move(curve2),
                                                  parameter2);
}

void FBBezierIntersection::computeCurve1()
{
    if (!mNeedToComputeCurve1)
        return;
    mLocation = mCurve1->pointAtParameter(mParameter1, &mCurve1LeftBezier, &mCurve1RightBezier);
    mNeedToComputeCurve1 = false;
}

void FBBezierIntersection::computeCurve2()
{
    if (!mNeedToComputeCurve2)
        return;
    mCurve2->pointAtParameter(mParameter2, &mCurve2LeftBezier, &mCurve2RightBezier);
    mNeedToComputeCurve2 = false;
}

QPointF FBBezierIntersection::location()
{
    // The point alone needs no pieces; the inside tests ask only for it.
    if (mNeedToComputeCurve1)
        return mCurve1->pointAtParameter(mParameter1);
    return mLocation;
}

QPointF FBBezierIntersection::meetingPoint()
{
    QPointF point;
    if (isAtStartOfCurve1())
        point = mCurve1->endPoint1();
    else if (isAtStopOfCurve1())
        point = mCurve1->endPoint2();
    else if (isAtStartOfCurve2())
        point = mCurve2->endPoint1();
    else if (isAtStopOfCurve2())
        point = mCurve2->endPoint2();
    else {
        // Always the point found with the pieces, so that every call answers the same.
        computeCurve1();
        point = mLocation;
    }
    // A coordinate that all of a curve's points share (a horizontal or vertical edge) is kept
    // exactly, so that its pieces stay on its line.
    keepSharedCoordinate(point, *mCurve2);
    keepSharedCoordinate(point, *mCurve1);
    return point;
}

FBBezierCurvePtr FBBezierIntersection::curve1LeftBezier()
{
    computeCurve1();
    return mCurve1LeftBezier;
}

FBBezierCurvePtr FBBezierIntersection::curve1RightBezier()
{
    computeCurve1();
    return mCurve1RightBezier;
}

FBBezierCurvePtr FBBezierIntersection::curve2LeftBezier()
{
    computeCurve2();
    return mCurve2LeftBezier;
}

FBBezierCurvePtr FBBezierIntersection::curve2RightBezier()
{
    computeCurve2();
    return mCurve2RightBezier;
}

bool FBBezierIntersection::isTangent()
{
    if (isAtEndPointOfCurve())
        return false;
    const QPointF curve1Left = FBGeom_NormalizeVector(FBGeom_SubtractPoints(
        curve1LeftBezier()->controlPoint2(), curve1LeftBezier()->endPoint2()));
    const QPointF curve1Right = FBGeom_NormalizeVector(FBGeom_SubtractPoints(
        curve1RightBezier()->controlPoint1(), curve1RightBezier()->endPoint1()));
    const QPointF curve2Left = FBGeom_NormalizeVector(FBGeom_SubtractPoints(
        curve2LeftBezier()->controlPoint2(), curve2LeftBezier()->endPoint2()));
    const QPointF curve2Right = FBGeom_NormalizeVector(FBGeom_SubtractPoints(
        curve2RightBezier()->controlPoint1(), curve2RightBezier()->endPoint1()));
    return FBGeom_ArePointsCloseWithThreshold(curve1Left, curve2Left, TangentCloseThreshold) ||
           FBGeom_ArePointsCloseWithThreshold(curve1Left, curve2Right, TangentCloseThreshold) ||
           FBGeom_ArePointsCloseWithThreshold(curve1Right, curve2Left, TangentCloseThreshold) ||
           FBGeom_ArePointsCloseWithThreshold(curve1Right, curve2Right, TangentCloseThreshold);
}

bool FBBezierIntersection::isAtStartOfCurve1() const
{
    return mAtStartOfCurve1;
}

bool FBBezierIntersection::isAtStopOfCurve1() const
{
    return mAtStopOfCurve1;
}

bool FBBezierIntersection::isAtEndPointOfCurve1() const
{
    return isAtStartOfCurve1() || isAtStopOfCurve1();
}

bool FBBezierIntersection::isAtStartOfCurve2() const
{
    return mAtStartOfCurve2;
}

bool FBBezierIntersection::isAtStopOfCurve2() const
{
    return mAtStopOfCurve2;
}

bool FBBezierIntersection::isAtEndPointOfCurve2() const
{
    return isAtStartOfCurve2() || isAtStopOfCurve2();
}

bool FBBezierIntersection::isAtEndPointOfCurve() const
{
    return isAtEndPointOfCurve1() || isAtEndPointOfCurve2();
}

QString FBBezierIntersection::description()
{
    const QPointF point = location();
    return QString::asprintf("<%s: location = (%f, %f), param1 = %f, param2 = %f, isTangent = %s>",
                             "FBBezierIntersection", point.x(), point.y(), mParameter1, mParameter2,
                             isTangent() ? "yes" : "no");
}
