#pragma once
// View helpers: the mouse position in a view, visibility as the window answers it, deferred
// redisplay and sub-view containment. All accept nullptr and answer the neutral value.

#include <QPointF>
#include <optional>

class QInputEvent;
class QWidget;

// The mouse position in the view's coordinates. A key or wheel event counts as no event: the
// pointer's current position is used then, as without an event. (0, 0) without a view.
QPointF MousePosOnView(const QWidget *self, const QInputEvent *event);
// The top-left corner of the part of the view that is shown.
QPointF getScrollPoint(const QWidget *self);
// Not hidden by itself (an ancestor may still hide it).
bool isVisible(const QWidget *self);
void setVisible(QWidget *self, bool visible);
// Neither the view nor any ancestor up to its window is hidden.
bool isVisibleWithSuper(const QWidget *self);
// Schedules a repaint unless told false; no value means yes.
void setNeedsDisplayWithNum(QWidget *self, std::optional<bool> needsDisplay);
// Whether view is a direct child (or, recursively, any descendant) of self.
bool containSubView(const QWidget *self, const QWidget *view, bool recursive);
