#pragma once
// Helpers of the curve engine on platform::BezierPath: one element as a record, appending and
// copying elements, joining paths, small marker shapes for debug drawings, splitting a path into
// single segments or single closed pieces, the stroked outline, and three drawing effects.

#include "platform/BezierPath.h"
#include "platform/CGPath.h"
#include "platform/Color.h"
#include "platform/GraphicsContext.h"
#include "platform/Range.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <array>
#include <optional>

// One path element as a record. kind: 0 move-to, 1 line-to, 2 curve-to, 3 close-path; point:
// the element's point (a curve's end point, a close's subpath start); controlPoints: a curve's
// two control points, zero otherwise.
struct NSBezierElement
{
    quint64 kind = 0;
    QPointF point;
    std::array<QPointF, 2> controlPoints{};

    bool operator==(const NSBezierElement &) const = default;
};

// Element access. An index outside the path gives the all-zero record.
NSBezierElement fb_elementAtIndex(const platform::BezierPath &path, qint64 index);
NSBezierElement fb_elementAtIndex(const platform::BezierPath *path, qint64 index);
QPointF fb_pointAtIndex(const platform::BezierPath &path, qint64 index);
// Appends by kind; an unknown kind is ignored.
void fb_appendElement(platform::BezierPath &path, const NSBezierElement &element);
// Line width, cap, join, miter limit and flatness; not the winding rule or the dash.
void fb_copyAttributesFrom(platform::BezierPath &path, const platform::BezierPath &from);
// The elements of the range, the first made a move-to, with the receiver's attributes.
platform::BezierPath fb_subpathWithRange(const platform::BezierPath &path, Range range);
// Appends `other` so that it continues `path`: a move-to onto the current point is dropped, any
// other move-to becomes a line. Onto an empty path the first move-to stays a move-to.
void fb_appendPath(platform::BezierPath &path, const platform::BezierPath &other);

// Marker shapes.
platform::BezierPath circleAtPoint(QPointF p);
platform::BezierPath rectAtPoint(QPointF p);
platform::BezierPath smallCircleAtPoint(QPointF p);
platform::BezierPath smallRectAtPoint(QPointF p);
// A closed triangle whose tip lies 15 units from p along `direction`, its base 10 wide at p.
platform::BezierPath triangleAtPoint(QPointF p, QPointF direction);

// One two-element path per drawn segment (lines shorter than 0.1 are dropped, closes become
// lines); the points visited are appended to `outPoints` when given. A path with no segment
// answers one copy of itself; an empty path answers nothing.
std::optional<QList<platform::BezierPath>>
SeparateIntoSingleLines_AndOutPointList(const platform::BezierPath &path,
                                        QList<QPointF> *outPoints);
// Single closed pieces, each hole joined (even-odd) to the piece that holds it; fewer than two
// pieces answer one copy of the path. An empty path answers nothing.
std::optional<QList<platform::BezierPath>>
SeparateIntoSinglePaths(const platform::BezierPath &path);

// The same elements from a Core Graphics path, quadratics as the equal cubics; none for a null
// path.
std::optional<platform::BezierPath> bezierPathWithCGPath(const platform::CGPath *path);
// The same elements as a Core Graphics path; a point with a NaN coordinate becomes the origin
// (logged). None when an error stops the conversion.
std::optional<platform::CGPath> createCGPath(const platform::BezierPath &path);

// The outline of the path's stroke of the given width with round caps and joins; nothing for a
// path of fewer than two elements.
std::optional<platform::BezierPath> pathWithStrokeWidth(const platform::BezierPath &path,
                                                        double width);

// Drawing effects in the current graphics context (nothing without one).
// The shadow falls inside the shape only; its offset is in the context's coordinates.
void fillWithInnerShadow(const platform::BezierPath &path, const platform::Shadow &shadow);
// A soft blur of the shape's fill, without the fill itself.
void drawBlurWithColor(const platform::BezierPath &path, const platform::Color &color,
                       double radius);
// The stroke kept inside the shape (and inside `rect` when it has an area), at the path's width.
void strokeInsideWithinRect(const platform::BezierPath &path, const QRectF &rect);
void strokeInside(const platform::BezierPath &path);
