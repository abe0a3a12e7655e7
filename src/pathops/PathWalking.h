#pragma once
// Walking a path's segments: the walk over one subpath, where a segment starts and ends, the
// point and tangent at a position spread evenly over the elements, curve splitting and arc
// lengths. The segment of element i (i >= 1) runs from the point element i - 1 leaves to
// element i's end point.

#include "graphics/PathHitTesting.h"
#include "platform/BezierPath.h"

#include <QPointF>
#include <QRectF>
#include <array>

struct OABezierPathPosition
{
    qint64 segment = 0;
    double parameter = 0;
};

// A point of the path and the tangent there (not normalised).
struct pointInfo
{
    double x = 0;
    double y = 0;
    double tangentX = 0;
    double tangentY = 0;
};

struct lengthAndParameter
{
    double length = 0;
    double parameter = 0;
};

// The four points of a cubic: start, control 1, control 2, end.
using BezierCurvePoints = std::array<QPointF, 4>;

struct subpathWalkingState
{
    const platform::BezierPath *pathBeingWalked = nullptr;
    // One past the last element the walk may visit; shrinks to the subpath's end once found.
    qint64 elementCount = 0;
    QPointF startPoint;
    // The current segment's kind; ClosePath also for a closing line the walk adds itself.
    platform::BezierPathElement what = platform::BezierPathElement::MoveTo;
    // points[0] the segment's start, points[1..3] the element's points (a close's is the start).
    std::array<QPointF, 4> points{};
    qint64 currentElementIndex = 0;
    // An open subpath is finished by a straight line back to its start.
    bool possibleImplicitClosepath = false;
};

// False when `index` is not below elementCount - 1, or that element is not a move-to.
bool initSubpathWalkingState(subpathWalkingState *state, const platform::BezierPath &path,
                             qint64 index, bool implicitClose);
// Steps to the next segment; false when the subpath is finished.
bool nextSubpathElement(subpathWalkingState *state);
bool hasNextSubpathElement(const subpathWalkingState *state);
// Aims the walk at segment `index`.
void repositionSubpathWalkingState(subpathWalkingState *state, qint64 index);

// Where segment `index` starts. Throws platform::Exception for a segment without a start.
QPointF currentpointForSegment(const platform::BezierPath &path, qint64 index);
// The end point of element `index`; a close answers element 0's point, anything else (0, 0).
QPointF endPointForSegment(const platform::BezierPath &path, qint64 index);

// The point and tangent at a position in [0, 1] spread evenly over the element indices.
pointInfo getPointInfoForPosition(const platform::BezierPath &path, double position);
// The point moved sideways by `offset` along the normal, whose y part is never positive.
QPointF getPointForPositionAndOffset(const platform::BezierPath &path, double position,
                                     double offset);
// The direction of the normal (-tangentY, tangentX) in degrees.
double getNormalForPosition(const platform::BezierPath &path, double position);
// The point at a segment and parameter. Throws platform::Exception for a segment without a
// start or an element it cannot read.
QPointF getPointForPosition(const platform::BezierPath &path, OABezierPathPosition position);

// The length of the first subpath up to `parameter` within `segment`; `totalLength`, when
// given, receives the whole first subpath's length.
double lengthToSegment(const platform::BezierPath &path, qint64 segment, double parameter,
                       double *totalLength);
// The segment (and `parameter` within it, when given) at a length along the first subpath,
// or at that fraction of its length when `fractional` is set.
qint64 segmentAndParameter(const platform::BezierPath &path, double *parameter, double length,
                           bool fractional);

// de Casteljau split at t.
void splitBezierCurveTo(const BezierCurvePoints &curve, double t, BezierCurvePoints *left,
                        BezierCurvePoints *right);
// The arc length by halving until each piece's control polygon is within the tolerance of its
// chord (halved with each split; a bounded depth, then the chord).
double subdivideBezierLength(const BezierCurvePoints &curve, double tolerance);
double subpathElementLength(const subpathWalkingState *state, double tolerance);
// The length along the curve up to `wanted`, and the parameter there.
lengthAndParameter arcLength_l(const BezierCurvePoints &curve, double wanted, double tolerance);
// Grows `rect` to hold the curve widened by `halfWidth`; true when it changed.
bool expandBoundsForCurve(QRectF *rect, QPointF p0, QPointF c1, QPointF c2, QPointF p3,
                          double halfWidth);
