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

// Drawing effects in the current graphics context; the path itself is left as it is. A colour
// that is not valid draws nothing.
//
// Radii of 0.02 or less stroke (fill) plainly in the colour; larger ones draw only the blur.
void strokeBlurWithColor(const platform::BezierPath &path, const platform::Color &color,
                         double radius);
void fillBlurWithColor(const platform::BezierPath &path, const platform::Color &color,
                       double radius);
// Only the blurred shadow of the stroke (fill): a black copy is drawn beyond the clip box and
// its shadow thrown back onto the path's own place.
void drawBlurWithColor(const platform::BezierPath &path, const platform::Color &color,
                       double radius, bool isStroke);
// The clip box of drawBlurWithColor for paths of these bounds and line width: the bounds grown
// by 4 * lineWidth + 4 * radius + 3, snapped outwards to hundreds, with a hundred more each side.
QRectF blurClipBox(QRectF bounds, double lineWidth, double radius);
// The path filled with an embossed material: its mask raised into a height field (radius) and
// lit through the shading image (scale). Nothing without a shading image.
void drawPathWithShadedMaterial(const platform::BezierPath &path, const platform::Image *shading,
                                float radius, float scale);
// Offsets the outline by `distance` (positive grows, negative shrinks) through a raster of at
// most 900 x 900 pixels. False, with the path untouched, for |distance| < 0.5 or when no
// outline comes back.
bool ExpandWithValue(platform::BezierPath &path, float distance);
