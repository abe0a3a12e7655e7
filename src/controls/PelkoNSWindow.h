#pragma once
// Screens of a window, point conversions and the window drag, none of which fails.

#include <QPointF>
#include <QRectF>

class QInputEvent;
class QScreen;
class QWidget;

// The screen showing most of the window; the first screen when the window is on none; nullptr
// (with the report) when there are no screens.
QScreen *screen2(const QWidget *self);
// The usable area of screen2; the zero rectangle without one.
QRectF screenFrame(const QWidget *self);
// Window (widget) coordinates to global screen coordinates and back; (0, 0) without a window.
QPointF convertPointToScreen2(const QWidget *self, QPointF point);
QPointF convertPointFromScreen2(const QWidget *self, QPointF point);
// Hands the window to the windowing system's move, started by a mouse press. False without an
// event or window, or where the windowing system refuses the move.
bool performWindowDragUntilMouseUp(QWidget *self, const QInputEvent *mouseDown);
