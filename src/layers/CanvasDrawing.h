#pragma once
// Helpers of a drawing canvas: its background (page colour, checkerboard or grid), grid
// snapping, dragging held to axes and diagonals with the shift key, dash patterns and line
// styles, anchor points of a rect, points given relative to a line, cubic values, a boxed
// label, the largest visible screen area, and the painted area of a path measured on a
// raster. Grid and area settings come from the settings record.

#include "platform/BezierPath.h"
#include "platform/Color.h"

#include <QPointF>
#include <QRectF>
#include <QString>

// Draws into the current graphics context (nothing without one).
void DrawBackGround(QRectF pageRect, quint64 pageColorWord, float zoom, QRectF visibleRect,
                    bool colorGridMode, bool whitePage);

// Round to the nearest grid line (halves away from the lower line) when snapping is on.
void SnapRectToGrid(QRectF *rect);
void SnapPointToGrid(QPointF *point);

// With the shift key held: the nearest of the vertical, horizontal and diagonal moves from
// the anchor.
QPointF ConstrainPointWithShift(QPointF anchor, QPointF current);
// The end turned to the nearest multiple of 45 degrees (90 with `rightAnglesOnly`).
QPointF SnapLineEndToAngle(QPointF start, QPointF end, bool rightAnglesOnly);
// 0 right middle, 1 right top, 2 top middle, 3 top left, 4 left middle, 5 bottom left,
// 6 bottom middle, 7 bottom right (in y-up terms); (-999, -999) otherwise.
QPointF GetRectAnchorPoint(int position, QRectF rect);

// Styles 1 to 14, in units of the width (at least 2) times the scale.
void SetBezierPathDashStyle(platform::BezierPath *path, int style, float width, float scale);
// A join or cap outside 0 to 2 becomes 0; the miter limit becomes 5.
void SetBezierPathLineStyles(platform::BezierPath *path, int join, int cap);

// Points given in hundredths of the line's length about its midpoint, turned with the line.
bool LinePercentPointsToAbsolute(QPointF start, QPointF end, QPointF q1, QPointF q2, QPointF *out1,
                                 QPointF *out2);
bool AbsolutePointToLinePercent(QPointF start, QPointF end, QPointF p, QPointF *out);

float CubicBezierValue(float t, float p0, float p1, float p2, float p3);
// t is held to 0.01 .. 0.99.
QPointF CubicBezierPointAt(float t, QPointF p0, QPointF p1, QPointF p2, QPointF p3);

// A label in the white label attributes on a box of `boxColor` (none for an invalid colour),
// centred on the point and scaled; in the current graphics context.
void DrawTextWithBackGroundBlackBox(const QString &text, QPointF centre, float scale,
                                    const platform::Color &boxColor);
// The largest available width and the largest available height over all screens.
QRectF GetMaxScreenVisibleRect();

// The painted area of the path with a stroke of `lineWidth`, as the settings' stroke mode
// counts it; measured on a raster unless the path is a polygon without a stroke.
double GetAreaSize(const platform::BezierPath *path, double lineWidth, int join, int cap);
double GetAreaSize_NoLine(const platform::BezierPath *path);
