#include "controls/PelkoNSWindow.h"

#include "platform/Guard.h"
#include "services/AppInit.h"

#include <QGuiApplication>
#include <QInputEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int kDragNeedsMinor = 11;

QScreen *screenShowingMost(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    QScreen *best = nullptr;
    qint64 bestArea = 0;
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect common = s->geometry().intersected(frame);
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > bestArea) {
            best = s;
            bestArea = area;
        }
    }
    return best;
}

} // namespace

QScreen *screen2(const QWidget *self)
{
    if (self) {
        if (QScreen *s = screenShowingMost(self->window()))
            return s;
    }
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *s : screens) {
        if (s)
            return s;
        REPORT_FATAL();
    }
    REPORT_FATAL();
    return nullptr;
}

QRectF screenFrame(const QWidget *self)
{
    QScreen *s = screen2(self);
    return s ? QRectF(s->availableGeometry()) : QRectF();
}

QPointF convertPointToScreen2(const QWidget *self, QPointF point)
{
    return self ? self->mapToGlobal(point) : QPointF();
}

QPointF convertPointFromScreen2(const QWidget *self, QPointF point)
{
    return self ? self->mapFromGlobal(point) : QPointF();
}

bool performWindowDragUntilMouseUp(QWidget *self, const QInputEvent *mouseDown)
{
    GUARD_BEGIN
    if (!mouseDown || !self)
        return false;
    if (gOSVersionMinor < kDragNeedsMinor)
        return false;
    QWidget *top = self->window();
    QWindow *handle = top ? top->windowHandle() : nullptr;
    if (!handle)
        return false;
    // The windowing system follows the mouse until the button is released.
    return handle->startSystemMove();
    GUARD_END(false)
}
