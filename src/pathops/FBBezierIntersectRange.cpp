#include "pathops/FBBezierIntersectRange.h"

#include "pathops/FBBezierIntersection.h"
#include "pathops/FBTolerances.h"

namespace {

constexpr double ParameterCloseThreshold = FBTol_EndParameter;

} // namespace

FBBezierIntersectRange::FBBezierIntersectRange(FBBezierCurvePtr curve1, FBRange parameterRange1,
                                               FBBezierCurvePtr curve2, FBRange parameterRange2,
                                               bool reversed)
    : mCurve1(std::move(curve1)), mParameterRange1(parameterRange1), mCurve2(std::move(curve2)),
      mParameterRange2(parameterRange2), mReversed(reversed)
{}

FBBezierIntersectRangePtr FBBezierIntersectRange::intersectRangeWithCurve1(FBBezierCurvePtr curve1,
                                                                           FBRange parameterRange1,
                                                                           FBBezierCurvePtr curve2,
                                                                           FBRange parameterRange2,
                                                                           bool reversed)
{
    return std::make_shared<FBBezierIntersectRange>(std::move(curve1), parameterRange1,
                                                    std::move(curve2), parameterRange2, reversed);
}

void FBBezierIntersectRange::computeCurve1()
{
    if (!mNeedToComputeCurve1)
        return;
    const auto pieces = mCurve1->splitSubcurvesWithRange(mParameterRange1);
    mCurve1LeftBezier = pieces[0];
    mCurve1MiddleBezier = pieces[1];
    mCurve1RightBezier = pieces[2];
    mNeedToComputeCurve1 = false;
}

void FBBezierIntersectRange::computeCurve2()
{
    if (!mNeedToComputeCurve2)
        return;
    const auto pieces = mCurve2->splitSubcurvesWithRange(mParameterRange2);
    mCurve2LeftBezier = pieces[0];
    mCurve2MiddleBezier = pieces[1];
    mCurve2RightBezier = pieces[2];
    mNeedToComputeCurve2 = false;
}

FBBezierCurvePtr FBBezierIntersectRange::curve1LeftBezier()
{
    computeCurve1();
    return mCurve1LeftBezier;
}

FBBezierCurvePtr FBBezierIntersectRange::curve1RightBezier()
{
    computeCurve1();
    return mCurve1RightBezier;
}

FBBezierCurvePtr FBBezierIntersectRange::curve2LeftBezier()
{
    computeCurve2();
    return mCurve2LeftBezier;
}

FBBezierCurvePtr FBBezierIntersectRange::curve2RightBezier()
{
    computeCurve2();
    return mCurve2RightBezier;
}

bool FBBezierIntersectRange::isAtStartOfCurve1() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameterRange1.minimum, 0.0,
                                              ParameterCloseThreshold);
}

bool FBBezierIntersectRange::isAtStopOfCurve1() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameterRange1.maximum, 1.0,
                                              ParameterCloseThreshold);
}

bool FBBezierIntersectRange::isAtStartOfCurve2() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameterRange2.minimum, 0.0,
                                              ParameterCloseThreshold);
}

bool FBBezierIntersectRange::isAtStopOfCurve2() const
{
    return FBGeom_AreValuesCloseWithThreshold(mParameterRange2.maximum, 1.0,
                                              ParameterCloseThreshold);
}

FBBezierIntersectionPtr FBBezierIntersectRange::middleIntersection() const
{
    return FBBezierIntersection::intersectionWithCurve1(
        mCurve1, FBGeom_RangeAverage(mParameterRange1), mCurve2,
        FBGeom_RangeAverage(mParameterRange2));
}

QString FBBezierIntersectRange::description() const
{
    return QString::asprintf("<%s: param1 = (%f, %f), param2 = (%f, %f)>", "FBBezierIntersectRange",
                             mParameterRange1.minimum, mParameterRange1.maximum,
                             mParameterRange2.minimum, mParameterRange2.maximum);
}
