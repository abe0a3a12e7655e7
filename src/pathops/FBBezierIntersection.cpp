#include "pathops/FBBezierIntersection.h"

namespace {

constexpr double ParameterCloseThreshold = 1e-5;
constexpr double TangentCloseThreshold = 1e-7;

} // namespace

FBBezierIntersection::FBBezierIntersection(FBBezierCurvePtr curve1, double parameter1,
                                           FBBezierCurvePtr curve2, double parameter2)
    : mCurve1(std::move(curve1)), mParameter1(parameter1), mCurve2(std::move(curve2)),
      mParameter2(parameter2)
{}

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
    if (isAtStartOfCurve1())
        return mCurve1->endPoint1();
    if (isAtStopOfCurve1())
        return mCurve1->endPoint2();
    if (isAtStartOfCurve2())
        return mCurve2->endPoint1();
    if (isAtStopOfCurve2())
        return mCurve2->endPoint2();
    return location();
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
    return FBGeom_AreValuesCloseWithThreshold(mParameter1, 0.0, ParameterCloseThreshold);
}

bool FBBezierIntersection::isAtStopOfCurve1() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameter1, 1.0, ParameterCloseThreshold);
}

bool FBBezierIntersection::isAtEndPointOfCurve1() const
{
    return isAtStartOfCurve1() || isAtStopOfCurve1();
}

bool FBBezierIntersection::isAtStartOfCurve2() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameter2, 0.0, ParameterCloseThreshold);
}

bool FBBezierIntersection::isAtStopOfCurve2() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameter2, 1.0, ParameterCloseThreshold);
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
