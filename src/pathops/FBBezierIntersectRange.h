#pragma once
// A stretch along which two curves run on each other: a parameter range on each, whether the
// second runs backwards, and the pieces before, inside and after, made on the first request.

#include "pathops/FBBezierCurve.h"

class FBBezierIntersectRange
{
public:
    FBBezierIntersectRange(FBBezierCurvePtr curve1, FBRange parameterRange1,
                           FBBezierCurvePtr curve2, FBRange parameterRange2, bool reversed);
    static FBBezierIntersectRangePtr
    intersectRangeWithCurve1(FBBezierCurvePtr curve1, FBRange parameterRange1,
                             FBBezierCurvePtr curve2, FBRange parameterRange2, bool reversed);

    // nullptr where the range reaches the curve's end.
    FBBezierCurvePtr curve1LeftBezier();
    FBBezierCurvePtr curve1RightBezier();
    FBBezierCurvePtr curve2LeftBezier();
    FBBezierCurvePtr curve2RightBezier();

    bool isAtStartOfCurve1() const;
    bool isAtStopOfCurve1() const;
    bool isAtStartOfCurve2() const;
    bool isAtStopOfCurve2() const;
    // A crossing at the middle of both ranges.
    FBBezierIntersectionPtr middleIntersection() const;

    const FBBezierCurvePtr &curve1() const { return mCurve1; }
    FBRange parameterRange1() const { return mParameterRange1; }
    const FBBezierCurvePtr &curve2() const { return mCurve2; }
    FBRange parameterRange2() const { return mParameterRange2; }
    bool reversed() const { return mReversed; }
    QString description() const;

private:
    void computeCurve1();
    void computeCurve2();

    FBBezierCurvePtr mCurve1;
    FBRange mParameterRange1;
    FBBezierCurvePtr mCurve1LeftBezier;
    FBBezierCurvePtr mCurve1MiddleBezier;
    FBBezierCurvePtr mCurve1RightBezier;
    bool mNeedToComputeCurve1 = true;
    FBBezierCurvePtr mCurve2;
    FBRange mParameterRange2;
    bool mReversed;
    FBBezierCurvePtr mCurve2LeftBezier;
    FBBezierCurvePtr mCurve2MiddleBezier;
    FBBezierCurvePtr mCurve2RightBezier;
    bool mNeedToComputeCurve2 = true;
};
