#include "controls/PelkoNSView.h"

#include <QCursor>
#include <QEnterEvent>
#include <QInputEvent>
#include <QMouseEvent>
#include <QWidget>

#include "platform/Guard.h"

namespace {

// Events that carry a pointer position of their own.
std::optional<QPointF> globalPositionOf(const QInputEvent *event)
{
    if (!event)
        return std::nullopt;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
    case QEvent::TabletMove:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::TouchBegin:
        break;
    default:
        return std::nullopt; // keys, wheel, gestures: no position of the pointer to trust
    }
    if (const auto *pointer = dynamic_cast<const QSinglePointEvent *>(event))
        return pointer->globalPosition();
    return std::nullopt;
}

} // namespace

QPointF MousePosOnView(const QWidget *self, const QInputEvent *event)
{
    GUARD_BEGIN
    if (!self)
        return QPointF();
    // Through global coordinates, so an event of another window lands in this view's terms.
    if (const auto global = globalPositionOf(event))
        return self->mapFromGlobal(*global);
    return self->mapFromGlobal(QPointF(QCursor::pos()));
    GUARD_END(QPointF())
}

QPointF getScrollPoint(const QWidget *self)
{
    GUARD_BEGIN
    if (!self)
        return QPointF();
    return QPointF(self->visibleRegion().boundingRect().topLeft());
    GUARD_END(QPointF())
}

bool isVisible(const QWidget *self)
{
    return self && !self->isHidden();
}

void setVisible(QWidget *self, bool visible)
{
    if (self)
        self->setHidden(!visible);
}

bool isVisibleWithSuper(const QWidget *self)
{
    if (!self || self->isHidden())
        return false;
    for (const QWidget *w = self; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (w->isHidden())
            return false;
    return true;
}

void setNeedsDisplayWithNum(QWidget *self, std::optional<bool> needsDisplay)
{
    if (self && needsDisplay.value_or(true))
        self->update();
}

bool containSubView(const QWidget *self, const QWidget *view, bool recursive)
{
    if (!self || !view || view == self)
        return false;
    const auto children = self->findChildren<const QWidget *>(Qt::FindDirectChildrenOnly);
    if (children.isEmpty())
        return false;
    if (children.contains(view))
        return true;
    if (!recursive)
        return false;
    for (const QWidget *child : children)
        if (containSubView(child, view, true))
            return true;
    return false;
}
