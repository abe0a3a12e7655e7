#include "controls/MySplitViewLeft.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QSplitterHandle>

#include "controls/PelkoNSSplitView.h"
#include "platform/NotificationCenter.h"

namespace {

// Holds the first pane to the split view's limit while the user drags.
class LimitedHandle : public QSplitterHandle
{
public:
    LimitedHandle(Qt::Orientation o, MySplitViewLeft *parent) : QSplitterHandle(o, parent) {}

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        auto *split = static_cast<MySplitViewLeft *>(splitter());
        if (event->button() == Qt::LeftButton && split->count() > 0 && split->indexOf(this) == 1) {
            QWidget *first = split->widget(0);
            mSavedMaximum = split->orientation() == Qt::Horizontal ? first->maximumWidth()
                                                                   : first->maximumHeight();
            const int limit = std::max(0, int(split->constrainMaxCoordinate()));
            if (split->orientation() == Qt::Horizontal)
                first->setMaximumWidth(limit);
            else
                first->setMaximumHeight(limit);
            mLimited = true;
        }
        QSplitterHandle::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QSplitterHandle::mouseReleaseEvent(event);
        auto *split = static_cast<MySplitViewLeft *>(splitter());
        if (mLimited && split->count() > 0) {
            QWidget *first = split->widget(0);
            if (split->orientation() == Qt::Horizontal)
                first->setMaximumWidth(mSavedMaximum);
            else
                first->setMaximumHeight(mSavedMaximum);
            mLimited = false;
        }
        if (event->button() == Qt::LeftButton)
            split->dividerDragEnded();
    }

private:
    int mSavedMaximum = QWIDGETSIZE_MAX;
    bool mLimited = false;
};

} // namespace

MySplitViewLeft::MySplitViewLeft(QWidget *parent) : QSplitter(parent)
{}

MySplitViewLeft::MySplitViewLeft(Qt::Orientation orientation, QWidget *parent)
    : QSplitter(orientation, parent)
{}

void MySplitViewLeft::takeDefaultsIfNeeded()
{
    if (defaultPosition < 0)
        defaultPosition = 100;
    if (leftMaxRatio < 0)
        leftMaxRatio = 0.5f;
}

void MySplitViewLeft::setPosition2(std::optional<double> position)
{
    if (!position)
        return;
    ::setPosition2(this, position);
    oldPos = float(getPositionOfFirstDivider(this));
}

double MySplitViewLeft::constrainMaxCoordinate()
{
    takeDefaultsIfNeeded();
    const double w = width();
    if (oldPos > -0.1 && 0.3 * w < oldPos && oldPos < 0.7 * w)
        return oldPos;
    return w * leftMaxRatio;
}

bool MySplitViewLeft::canCollapseSubview(const QWidget *subview) const
{
    if (!subview || count() < 2)
        return false;
    return indexOf(const_cast<QWidget *>(subview)) != 1;
}

void MySplitViewLeft::dividerDragEnded()
{
    oldPos = float(getPositionOfFirstDivider(this));
    platform::NotificationCenter::defaultCenter().postNotification(PelkoSplitViewDidChangePosition,
                                                                   this);
}

QSplitterHandle *MySplitViewLeft::createHandle()
{
    return new LimitedHandle(orientation(), this);
}

void MySplitViewLeft::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    applyCollapsible();
    takeDefaultsIfNeeded();
    if (count() >= 2)
        setPositionOfDividerAtIndex(this, oldPos < -0.1 ? defaultPosition : oldPos, 0);
}

void MySplitViewLeft::childEvent(QChildEvent *event)
{
    QSplitter::childEvent(event);
    applyCollapsible();
}

void MySplitViewLeft::applyCollapsible()
{
    for (int i = 0; i < count(); ++i)
        setCollapsible(i, canCollapseSubview(widget(i)));
}

void MySplitViewLeft::showEvent(QShowEvent *event)
{
    applyCollapsible();
    QSplitter::showEvent(event);
}
