#pragma once
// Queries, conversions and comparisons of Bezier paths (free functions, the path first), and the
// drawing effects built on them.
//
// The NaN rule of the element walks: a point with a NaN coordinate is logged as
// "**** NaN value error **** " and read as the zero point, and the walk goes on. The point
// (-999, -999) stands for "no point" in firstElementPoint and lastElementPoint.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>

#include "platform/BezierPath.h"
#include "platform/CGPath.h"
#include "platform/Color.h"
#include "platform/Image.h"

inline constexpr QPointF kNoElementPoint{-999, -999};

// Element counts (length and count are the same).
qint64 length(const platform::BezierPath &path);
qint64 count(const platform::BezierPath &path);
bool hasData(const platform::BezierPath &path);
// Any close-path element.
bool isClosed(const platform::BezierPath &path);
// Any curve element; hasCurve also needs two elements or more.
bool hasCurveLine(const platform::BezierPath &path);
bool hasCurve(const platform::BezierPath &path);
// A NaN in the bounds or in any point (logged); paths of fewer than 2 elements answer false.
bool isNan(const platform::BezierPath &path);

// The first point of element 0 whatever its kind; the zero point for an empty path.
QPointF firstMoveToPoint(const platform::BezierPath &path);
// The point of the first move or line, or the end of a curve met first; kNoElementPoint when
// there is none or it holds a NaN.
QPointF firstElementPoint(const platform::BezierPath &path);
// The end of a final line or curve; otherwise the last move, so that a path ending in a close
// answers where its last subpath began. `outKind` (may be null) tells which.
QPointF lastElementPoint(const platform::BezierPath &path, platform::BezierPathElement *outKind);

// A new path with the elements only (default drawing attributes).
platform::BezierPath cloneAutoRelease(const platform::BezierPath &path);
void appendToDestPath(const platform::BezierPath &path, platform::BezierPath *dest);
platform::BezierPath bezierPathRESIZEDOT(QRectF rect);
// A quadratic segment from the current point, appended as the equal cubic.
void addQuadCurveToPoint(platform::BezierPath &path, QPointF end, QPointF control);
// Scales about the origin; factors within 0.0002 of 1 change nothing.
void zoom(platform::BezierPath &path, float factor);
std::optional<platform::BezierPath> reusePathWithZoom(const platform::BezierPath &path,
                                                      float factor);

// A fingerprint of the geometry, to a thousandth of a unit: 32 upper-case hexadecimal digits,
// "nullpath" for a path without elements, "" on failure.
QString hash2(const platform::BezierPath &path);
// Writes the element count, the bounds and every element to the log.
void LogPathInfor(const platform::BezierPath &path);

// The same elements as a Core Graphics path; none for a path without elements.
std::optional<platform::CGPath> quartzPath(const platform::BezierPath &path);
// The same elements as a Bezier path (quadratics become cubics); none for a null path.
std::optional<platform::BezierPath> bezierPathFromPathRef(const platform::CGPath *path);
// The CGPath::apply callback behind bezierPathFromPathRef: appends the element to the
// BezierPath that `info` points to.
void PathElementToBezierPath(void *info, const platform::CGPathElement *element);

// Same element kinds with every point within 0.1; a NaN on either side answers false.
bool SamePath(const platform::BezierPath *a, const platform::BezierPath *b);
