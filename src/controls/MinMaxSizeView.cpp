#include "controls/MinMaxSizeView.h"

#include <QEvent>
#include <QMouseEvent>
#include <cmath>

#include "controls/PelkoNSWindow.h"

namespace {

constexpr double kZeroTolerance = 0.01;
constexpr double kMinimumWidth = 150.0;

bool isZeroSize(const QSizeF &s)
{
    return std::fabs(s.width()) <= kZeroTolerance && std::fabs(s.height()) <= kZeroTolerance;
}

int toPixels(double v)
{
    if (std::isnan(v) || v <= 0)
        return 0;
    return v >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : int(std::lround(v));
}

// Installs a resize watch on the current parent (and removes it from the previous one).
void rewatch(QObject *watcher, QPointer<QWidget> &watched, QWidget *parent)
{
    if (watched == parent)
        return;
    if (watched)
        watched->removeEventFilter(watcher);
    watched = parent;
    if (parent)
        parent->installEventFilter(watcher);
}

} // namespace

QRectF consider_MaxMinSize(const QRectF &frame, const QSizeF &minSize, const QSizeF &maxSize)
{
    const bool noMin = isZeroSize(minSize);
    const bool noMax = isZeroSize(maxSize);
    if (noMin && noMax)
        return frame;
    const bool fitsMin =
        noMin || (frame.width() >= minSize.width() && frame.height() >= minSize.height());
    if (fitsMin &&
        (noMax || (frame.width() <= maxSize.width() && frame.height() <= maxSize.height())))
        return frame;
    QRectF r = frame;
    if (!noMin) {
        if (r.width() < minSize.width())
            r.setWidth(minSize.width());
        if (r.height() < minSize.height())
            r.setHeight(minSize.height());
    }
    if (!noMax) {
        if (r.width() > maxSize.width())
            r.setWidth(maxSize.width());
        if (r.height() > maxSize.height())
            r.setHeight(maxSize.height());
    }
    return r;
}

MinMaxSizeView::MinMaxSizeView(QWidget *parent) : QWidget(parent)
{
    watchParent();
}

void MinMaxSizeView::setMinSize(const QSizeF &size)
{
    mMinSize = size;
    applySizeLimits();
}

void MinMaxSizeView::setMaxSize(const QSizeF &size)
{
    mMaxSize = size;
    applySizeLimits();
}

void MinMaxSizeView::setBMustHasSize_Of_SuperView_In_Width(bool on)
{
    mFollowWidth = on;
    parentGeometryChanged();
}

void MinMaxSizeView::setBMustHasSize_Of_SuperView_In_Height(bool on)
{
    mFollowHeight = on;
    parentGeometryChanged();
}

// Layouts read the widget's own limits; where the maximum is below the minimum the maximum wins,
// as in consider_MaxMinSize.
void MinMaxSizeView::applySizeLimits()
{
    const bool noMin = isZeroSize(mMinSize);
    const bool noMax = isZeroSize(mMaxSize);
    int maxW = noMax ? QWIDGETSIZE_MAX : toPixels(mMaxSize.width());
    int maxH = noMax ? QWIDGETSIZE_MAX : toPixels(mMaxSize.height());
    int minW = noMin ? 0 : std::min(toPixels(mMinSize.width()), maxW);
    int minH = noMin ? 0 : std::min(toPixels(mMinSize.height()), maxH);
    setMinimumSize(minW, minH);
    setMaximumSize(maxW, maxH);
    setFrame(geometry());
}

QRectF MinMaxSizeView::consider_SuperView_Size_withBaseFrame(const QRectF &frame) const
{
    const QWidget *parent = parentWidget();
    if (!parent)
        return frame;
    const QRectF b = parent->rect();
    QRectF r = frame;
    if (mFollowWidth) {
        r.setX(0);
        r.setWidth(b.width());
    }
    if (mFollowHeight) {
        r.setY(0);
        r.setHeight(b.height());
    }
    return r;
}

QRectF MinMaxSizeView::consider_MaxMinSize(const QRectF &frame) const
{
    return ::consider_MaxMinSize(frame, mMinSize, mMaxSize);
}

void MinMaxSizeView::setFrame(const QRectF &frame)
{
    const QRectF r = consider_MaxMinSize(consider_SuperView_Size_withBaseFrame(frame));
    setGeometry(r.toRect());
}

void MinMaxSizeView::parentGeometryChanged()
{
    if (mFollowWidth || mFollowHeight)
        setFrame(geometry());
}

void MinMaxSizeView::watchParent()
{
    rewatch(this, mWatchedParent, parentWidget());
}

bool MinMaxSizeView::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) {
        watchParent();
        parentGeometryChanged();
    }
    return handled;
}

bool MinMaxSizeView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mWatchedParent && event->type() == QEvent::Resize)
        parentGeometryChanged();
    return QWidget::eventFilter(watched, event);
}

void MinMaxSizeView_SizeOfSuperView::setFrame(const QRectF &frame)
{
    if (parentWidget())
        fixFrame();
    else
        MinMaxSizeView::setFrame(frame);
}

void MinMaxSizeView_SizeOfSuperView::fixFrame()
{
    if (QWidget *parent = parentWidget())
        MinMaxSizeView::setFrame(QRectF(parent->rect()));
}

void MinMaxSizeView_SizeOfSuperView::mousePressEvent(QMouseEvent *event)
{
    if (event && window())
        performWindowDragUntilMouseUp(window(), event);
    event->accept();
}

ViewWithMinWidth_XXX::ViewWithMinWidth_XXX(QWidget *parent) : QWidget(parent)
{
    setMinimumWidth(int(kMinimumWidth));
    rewatch(this, mWatchedParent, parentWidget());
}

void ViewWithMinWidth_XXX::setFrame(const QRectF &frame)
{
    QRectF r = frame;
    if (const QWidget *parent = parentWidget()) {
        r.setX(0);
        r.setWidth(parent->width());
    }
    if (r.width() < kMinimumWidth)
        r.setWidth(kMinimumWidth);
    setGeometry(r.toRect());
}

bool ViewWithMinWidth_XXX::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) {
        rewatch(this, mWatchedParent, parentWidget());
        setFrame(geometry());
    }
    return handled;
}

bool ViewWithMinWidth_XXX::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mWatchedParent && event->type() == QEvent::Resize)
        setFrame(geometry());
    return QWidget::eventFilter(watched, event);
}
