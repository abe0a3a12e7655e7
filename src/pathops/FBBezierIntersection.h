#pragma once
// A point where two curves meet: the parameter on each curve, and the pieces into which it cuts
// them, made on the first request.

#include "pathops/FBBezierCurve.h"

class FBBezierIntersection
{
public:
    FBBezierIntersection(FBBezierCurvePtr curve1, double parameter1, FBBezierCurvePtr curve2,
                         double parameter2);
    static FBBezierIntersectionPtr intersectionWithCurve1(FBBezierCurvePtr curve1,
                                                          double parameter1,
                                                          FBBezierCurvePtr curve2,
                                                          double parameter2);

    // The point on curve 1.
    QPointF location();
    // The one point where the pieces of both curves meet: the end point of either curve the
    // intersection lies at, or else the point on curve 1; a coordinate that either curve holds
    // all along is kept. The two curves' own points differ in their last digits, and more where
    // the curves meet at a shallow angle.
    QPointF meetingPoint();
    // Never at an end point of either curve; otherwise the curves leave in one direction.
    bool isTangent();
    FBBezierCurvePtr curve1LeftBezier();
    FBBezierCurvePtr curve1RightBezier();
    FBBezierCurvePtr curve2LeftBezier();
    FBBezierCurvePtr curve2RightBezier();

    // At an end point: the parameter lies within a small tolerance of the end, and the end
    // point lies on the other curve.
    bool isAtStartOfCurve1() const;
    bool isAtStopOfCurve1() const;
    bool isAtEndPointOfCurve1() const;
    bool isAtStartOfCurve2() const;
    bool isAtStopOfCurve2() const;
    bool isAtEndPointOfCurve2() const;
    bool isAtEndPointOfCurve() const;

    const FBBezierCurvePtr &curve1() const { return mCurve1; }
    double parameter1() const { return mParameter1; }
    const FBBezierCurvePtr &curve2() const { return mCurve2; }
    double parameter2() const { return mParameter2; }
    QString description();

private:
    void computeCurve1();
    void computeCurve2();

    QPointF mLocation;
    FBBezierCurvePtr mCurve1;
    double mParameter1;
    FBBezierCurvePtr mCurve1LeftBezier;
    FBBezierCurvePtr mCurve1RightBezier;
    FBBezierCurvePtr mCurve2;
    double mParameter2;
    FBBezierCurvePtr mCurve2LeftBezier;
    FBBezierCurvePtr mCurve2RightBezier;
    bool mAtStartOfCurve1 = false;
    bool mAtStopOfCurve1 = false;
    bool mAtStartOfCurve2 = false;
    bool mAtStopOfCurve2 = false;
    bool mNeedToComputeCurve1 = true;
    bool mNeedToComputeCurve2 = true;
};
