#include "controls/DropWindow.h"

#include "controls/DropWindowDelegate.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>

namespace {

const QString kEnteredKey = QStringLiteral("draggingEntered");
const QString kExitedKey = QStringLiteral("draggingExited");
const QString kEndedKey = QStringLiteral("draggingEnded");
constexpr double kForwardDelay = 0.01;

} // namespace

DropWindow::DropWindow(QWidget *window) : QObject(window), mWindow(window)
{
    if (!window)
        return;
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children)
        coverWidget(child);
}

DropWindow::~DropWindow()
{
    mDelegate = nullptr;
}

DropWindow *DropWindow::of(const QWidget *window)
{
    return window ? window->findChild<DropWindow *>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void DropWindow::setDropDelegate(DropWindowDelegate *delegate)
{
    mDelegate = delegate;
    QObject *object = delegate ? dynamic_cast<QObject *>(delegate) : nullptr;
    mDelegateObject = object;
    mDelegateIsObject = object != nullptr;
}

DropWindowDelegate *DropWindow::dropDelegate() const
{
    if (mDelegateIsObject && !mDelegateObject)
        return nullptr;
    return mDelegate;
}

void DropWindow::coverWidget(QWidget *widget)
{
    if (!widget || widget->property("takesFileDrops").toBool())
        return;
    widget->installEventFilter(this);
}

bool DropWindow::delegateRefuses() const
{
    DropWindowDelegate *delegate = dropDelegate();
    return !delegate || delegate->get_mIsClosing();
}

void DropWindow::forwardLater(const QString &key, const DraggingInfo &info,
                              void (DropWindowDelegate::*step)(const DraggingInfo &))
{
    if (!dropDelegate())
        return;
    platform::performAfterDelay(
        this, kForwardDelay,
        [this, info, step] {
            if (DropWindowDelegate *delegate = dropDelegate())
                (delegate->*step)(info);
        },
        key);
}

Qt::DropAction DropWindow::computeEntered(const std::optional<DraggingInfo> &info)
{
    if (delegateRefuses() || !info)
        return Qt::IgnoreAction;
    const std::optional<bool> allow = dropDelegate()->get_AllowDrop(*info);
    if (allow.has_value() && !*allow)
        return Qt::IgnoreAction;
    forwardLater(kEnteredKey, *info, &DropWindowDelegate::draggingEntered);
    if (info->sourceActions == Qt::IgnoreAction || info->filenames.isEmpty())
        return Qt::IgnoreAction;
    for (const QString &path : info->filenames) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            return Qt::CopyAction;
    }
    return Qt::IgnoreAction;
}

Qt::DropAction DropWindow::draggingEntered(const std::optional<DraggingInfo> &info)
{
    GUARD_BEGIN
    return computeEntered(info);
    GUARD_END(Qt::IgnoreAction)
}

Qt::DropAction DropWindow::draggingUpdated(const std::optional<DraggingInfo> &info)
{
    GUARD_BEGIN
    if (!mDragInfo || !info)
        return computeEntered(info);
    // Same drag: the answer given when it entered stands; the delegate still hears the move.
    if (delegateRefuses())
        return Qt::IgnoreAction;
    mDragInfo->position = info->position;
    forwardLater(kEnteredKey, *mDragInfo, &DropWindowDelegate::draggingEntered);
    return mDragAnswer;
    GUARD_END(Qt::IgnoreAction)
}

void DropWindow::draggingExited(const std::optional<DraggingInfo> &info)
{
    GUARD_BEGIN
    forwardLater(kExitedKey, info.value_or(DraggingInfo()), &DropWindowDelegate::draggingExited);
    GUARD_END_VOID
}

void DropWindow::draggingEnded(const std::optional<DraggingInfo> &info)
{
    GUARD_BEGIN
    forwardLater(kEndedKey, info.value_or(DraggingInfo()), &DropWindowDelegate::draggingEnded);
    GUARD_END_VOID
}

bool DropWindow::prepareForDragOperation(const std::optional<DraggingInfo> &info)
{
    GUARD_BEGIN
    if (delegateRefuses() || !info)
        return false;
    return dropDelegate()->get_AllowDrop(*info).value_or(true);
    GUARD_END(false)
}

bool DropWindow::performDragOperation(const std::optional<DraggingInfo> &info)
{
    GUARD_BEGIN
    if (delegateRefuses() || !info)
        return false;
    return dropDelegate()->performDragOperation_Finish(*info).value_or(true);
    GUARD_END(false)
}

bool DropWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded: {
        auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child());
        if (child && child != mWindow.data()) {
            coverWidget(child);
            const auto grandChildren = child->findChildren<QWidget *>();
            for (QWidget *grandChild : grandChildren)
                coverWidget(grandChild);
        }
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        if (auto *widget = qobject_cast<QWidget *>(watched))
            return handleDragEvent(widget, event);
        return false;
    default:
        return false;
    }
}

bool DropWindow::handleDragEvent(QWidget *widget, QEvent *event)
{
    if (event->type() == QEvent::DragLeave) {
        // Moving from one widget of the window to another leaves one and enters the next at
        // once; the exit counts only when no enter of the same drag follows.
        if (mDragInfo) {
            draggingExited(mDragInfo);
            draggingEnded(mDragInfo);
        }
        platform::performAfterDelay(
            this, kForwardDelay,
            [this] {
                mDragData = nullptr;
                mDragInfo.reset();
            },
            QStringLiteral("dragReset"));
        return true;
    }

    auto *dropEvent = static_cast<QDropEvent *>(event);
    const void *data = dropEvent->mimeData();
    const bool sameDrag = data && data == mDragData && mDragInfo;
    if (sameDrag) {
        platform::cancelPerform(this, kExitedKey);
        platform::cancelPerform(this, kEndedKey);
        platform::cancelPerform(this, QStringLiteral("dragReset"));
    }

    if (event->type() == QEvent::Drop) {
        const std::optional<DraggingInfo> info =
            DraggingInfoFromEvent(dropEvent, widget, mWindow.data());
        const bool accepted = prepareForDragOperation(info) && performDragOperation(info);
        if (accepted) {
            dropEvent->setDropAction(Qt::CopyAction);
            dropEvent->accept();
        } else {
            dropEvent->ignore();
        }
        draggingEnded(info);
        mDragData = nullptr;
        mDragInfo.reset();
        return true;
    }

    Qt::DropAction answer = Qt::IgnoreAction;
    if (sameDrag) {
        std::optional<DraggingInfo> moved = DraggingInfo();
        moved->position = dropEvent->position();
        if (widget != mWindow.data() && mWindow)
            moved->position = QPointF(widget->mapTo(mWindow, dropEvent->position().toPoint()));
        answer = draggingUpdated(moved);
    } else {
        mDragData = data;
        mDragInfo = DraggingInfoFromEvent(dropEvent, widget, mWindow.data());
        mDragAnswer = draggingEntered(mDragInfo);
        answer = mDragAnswer;
    }
    if (answer == Qt::CopyAction) {
        dropEvent->setDropAction(Qt::CopyAction);
        dropEvent->accept();
    } else {
        dropEvent->ignore();
    }
    return true;
}
