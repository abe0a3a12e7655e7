#pragma once
// The curve operations the crossing search repeats in every clipping step, on the four points of
// a curve held by value: the search cuts and compares thousands of pieces per pair of curves,
// and making each piece a shared curve object cost more than the arithmetic. FBBezierCurve
// answers through these same functions, so both give the same digits.

#include "pathops/FBGeometry.h"

#include <QPointF>
#include <array>
#include <cstddef>

using FBCurvePoints = std::array<QPointF, 4>;

// (1 - t)·a + t·b, except that equal coordinates stay exactly as they are: the weighted sum of
// two equal numbers can miss them in the last digit, which tilts the pieces of a horizontal or
// vertical line off it, so that pieces of one straight edge no longer lie on one line.
inline double FBCurve_Blend(double a, double b, double t)
{
    // A parameter that is not a number stays one in the answer: callers detect degenerate
    // input by it.
    return a == b && t >= 0.0 && t <= 1.0 ? a : a * (1.0 - t) + b * t;
}

// De Casteljau's evaluation of a curve of degree n (n + 1 points); the control points of the
// halves [0, t] and [t, 1] go to `left` and `right` when given.
template <std::size_t N>
inline QPointF FBCurve_DeCasteljau(const std::array<QPointF, N> &points, double t,
                                   std::array<QPointF, N> *left = nullptr,
                                   std::array<QPointF, N> *right = nullptr)
{
    constexpr std::size_t degree = N - 1;
    std::array<QPointF, N> row = points;
    if (left)
        (*left)[0] = row[0];
    if (right)
        (*right)[degree] = row[degree];
    for (std::size_t level = 1; level <= degree; ++level) {
        for (std::size_t i = 0; i <= degree - level; ++i)
            row[i] = QPointF(FBCurve_Blend(row[i].x(), row[i + 1].x(), t),
                             FBCurve_Blend(row[i].y(), row[i + 1].y(), t));
        if (left)
            (*left)[level] = row[0];
        if (right)
            (*right)[degree - level] = row[degree - level];
    }
    return row[0];
}

// The piece of the curve over `range`: first the part from range.minimum on, then of that the
// part up to where range.maximum lies on it.
inline FBCurvePoints FBCurve_SubcurveWithRange(const FBCurvePoints &points, FBRange range)
{
    FBCurvePoints upper;
    FBCurve_DeCasteljau(points, range.minimum, static_cast<FBCurvePoints *>(nullptr), &upper);
    if (range.minimum == 1.0)
        return upper;
    const double adjustedMaximum = (range.maximum - range.minimum) / (1.0 - range.minimum);
    FBCurvePoints lower;
    FBCurve_DeCasteljau(upper, adjustedMaximum, &lower);
    return lower;
}

inline FBCurvePoints FBCurve_Reversed(const FBCurvePoints &points)
{
    return {points[3], points[2], points[1], points[0]};
}

// All four points within 1e-5 of the first.
inline bool FBCurve_IsPoint(const FBCurvePoints &points)
{
    constexpr double threshold = 1e-5;
    return FBGeom_ArePointsCloseWithThreshold(points[0], points[1], threshold) &&
           FBGeom_ArePointsCloseWithThreshold(points[0], points[2], threshold) &&
           FBGeom_ArePointsCloseWithThreshold(points[0], points[3], threshold);
}

// Points compared in order; a straight line only by its ends; a single point equals nothing.
inline bool FBCurve_IsEqual(const FBCurvePoints &a, bool aIsStraightLine, const FBCurvePoints &b,
                            bool bIsStraightLine)
{
    if (FBCurve_IsPoint(a) || FBCurve_IsPoint(b))
        return false;
    if (aIsStraightLine != bIsStraightLine)
        return false;
    if (aIsStraightLine)
        return FBGeom_ArePointsClose(a[0], b[0]) && FBGeom_ArePointsClose(a[3], b[3]);
    return FBGeom_ArePointsClose(a[0], b[0]) && FBGeom_ArePointsClose(a[1], b[1]) &&
           FBGeom_ArePointsClose(a[2], b[2]) && FBGeom_ArePointsClose(a[3], b[3]);
}
