#pragma once
// Fitting cubic curves through the points of a path's elements: chord-length parameters, a
// least-squares cubic with fixed end tangents, Newton steps on the parameters, and a split at
// the worst point when a cubic stays outside the error. Errors are squared distances.

#include "platform/BezierPath.h"
#include "platform/Range.h"

#include <QPointF>
#include <vector>

// A path of a move to the first point and cubics that pass within `threshold` of the element
// points; a path of fewer than two elements comes back as it is.
platform::BezierPath fb_fitCurve(const platform::BezierPath &path, double threshold);
platform::BezierPath fb_fitCubicToRange(const platform::BezierPath &path, Range range,
                                        QPointF leftTangent, QPointF rightTangent,
                                        double threshold);

// One cubic from the range's first to its last point, control points a third of the distance
// along the tangents.
platform::BezierPath fb_fitBezierUsingNaiveMethodInRange(const platform::BezierPath &path,
                                                         Range range, QPointF leftTangent,
                                                         QPointF rightTangent);
std::vector<float>
fb_estimateParametersUsingChordLengthMethodInRange(const platform::BezierPath &path, Range range);
platform::BezierPath fb_fitBezierInRange(const platform::BezierPath &path, Range range,
                                         const std::vector<float> &parameters, QPointF leftTangent,
                                         QPointF rightTangent);
// The largest squared distance of an inner point from its curve point; `maximumIndex` gets
// that point's index in the whole path and is left alone when no point is measured.
double fb_findMaximumErrorForBezier(const platform::BezierPath &path,
                                    const platform::BezierPath &bezier, Range range,
                                    const std::vector<float> &parameters, qint64 *maximumIndex);
std::vector<float> fb_refineParameters(const platform::BezierPath &path,
                                       const std::vector<float> &parameters, Range range,
                                       const platform::BezierPath &bezier);

QPointF fb_computeLeftTangentAtIndex(const platform::BezierPath &path, qint64 index);
QPointF fb_computeRightTangentAtIndex(const platform::BezierPath &path, qint64 index);
QPointF fb_computeCenterTangentAtIndex(const platform::BezierPath &path, qint64 index);
