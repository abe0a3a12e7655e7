#pragma once
// Where two segments meet: line with line, cubic with line, a cubic with itself. Each crossing
// is a record of the parameters on both sides, a range for overlaps, and the direction codes
// on entering and leaving (the sign of the cross product of the left tangent and the right
// direction; opposite codes for a touch, 0 where the side is not decided).

#include "graphics/PathHitTesting.h"

#include <QPointF>
#include <array>

// A straight segment: the point at u is start + u * direction. Direction components within
// kLineFlush of 0 are exactly 0, so near-axis lines behave as axis lines.
struct LineRecord
{
    QPointF start;
    QPointF direction;
};

constexpr double kLineFlush = 2e-05;
LineRecord LineRecordFromPoints(QPointF from, QPointF to);

struct intersectionInfo
{
    double leftParameter = 0;
    double rightParameter = 0;
    double leftParameterDistance = 0;
    // Negative when the right range runs backwards.
    double rightParameterDistance = 0;
    int firstAspect = 0;
    int secondAspect = 0;
};

// What one pair of segments can yield.
constexpr int kMaxIntersectionsPerPair = 16;
using IntersectionRecords = std::array<intersectionInfo, kMaxIntersectionsPerPair>;

QPointF EvaluateCurve(const CurveCoefficients &c, double t);
QPointF CurveDerivative(const CurveCoefficients &c, double t);

// At most one record.
int intersectionsBetweenLineAndLine(const LineRecord &a, const LineRecord &b,
                                    intersectionInfo *out);
// At most three records, in order of the curve's parameter.
int intersectionsBetweenCurveAndLine(const CurveCoefficients &c, const LineRecord &line,
                                     intersectionInfo *out);
// The loop of a cubic: at most one record, leftParameter < rightParameter.
int intersectionsOfCurveWithItself(const CurveCoefficients &c, intersectionInfo *out);

// A parameter window of a cubic on which both coordinates are monotonic.
struct curveSegment
{
    double start = 0;
    double length = 0;
};
constexpr int kMaxCurveSegments = 5;
// The parameters where one coordinate's derivative a1 + 2 a2 t + 3 a3 t^2 is 0 (at most two,
// unsorted); none where it has no real root.
int cubicDerivativeRoots(double a1, double a2, double a3, double out[2]);
int computeCurveSegments(const CurveCoefficients &c, curveSegment out[kMaxCurveSegments]);

// Folds `added` new records, stored right after `existing` ones, into one run ordered by
// leftParameter, dropping new ones equal to an existing one. Answers the merged count.
int mergeIntersection(intersectionInfo *records, int existing, int added);

// The left and right sides exchanged, as when a line was intersected with a curve.
intersectionInfo reversedIntersection(const intersectionInfo &r);
