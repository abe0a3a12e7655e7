#pragma once
// Lets a window take dropped files and folders and hands every step of the drag to its delegate.
// Attached to a window (of a .ui or not), it covers the window and every descendant that does not
// take file drops itself, so that a line edit under the pointer does not take the paths as text.
// A widget that takes file drops itself has the property "takesFileDrops" set (DropFolderBox).
//
// The window's answer to a drag is worked out once when the drag enters (the paths are tested on
// disk then) and kept while it moves; the delegate is told of each step 0.01 s later.

#include "controls/DraggingInfo.h"

#include <QObject>
#include <QPointer>
#include <optional>

class DropWindowDelegate;
class QWidget;

class DropWindow : public QObject
{
    Q_OBJECT
public:
    // Attaches to window (which owns the DropWindow from then on).
    explicit DropWindow(QWidget *window);
    ~DropWindow() override;

    // The DropWindow of window, nullptr when none is attached.
    static DropWindow *of(const QWidget *window);

    // Not owned; a delegate that is a QObject is also guarded against its destruction.
    void setDropDelegate(DropWindowDelegate *delegate);
    DropWindowDelegate *dropDelegate() const;

    // The steps of a drag, as the window answers them (Qt::CopyAction or Qt::IgnoreAction).
    Qt::DropAction draggingEntered(const std::optional<DraggingInfo> &info);
    Qt::DropAction draggingUpdated(const std::optional<DraggingInfo> &info);
    void draggingExited(const std::optional<DraggingInfo> &info);
    void draggingEnded(const std::optional<DraggingInfo> &info);
    bool prepareForDragOperation(const std::optional<DraggingInfo> &info);
    bool performDragOperation(const std::optional<DraggingInfo> &info);

    // Covers widgets added to the window after the DropWindow was attached.
    void coverWidget(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool delegateRefuses() const;
    Qt::DropAction computeEntered(const std::optional<DraggingInfo> &info);
    void forwardLater(const QString &key, const DraggingInfo &info,
                      void (DropWindowDelegate::*step)(const DraggingInfo &));
    bool handleDragEvent(QWidget *widget, QEvent *event);

    QPointer<QWidget> mWindow;
    DropWindowDelegate *mDelegate = nullptr;
    QPointer<QObject> mDelegateObject; // set when the delegate is a QObject
    bool mDelegateIsObject = false;

    // The drag in progress: its data, information and the answer given when it entered.
    const void *mDragData = nullptr;
    std::optional<DraggingInfo> mDragInfo;
    Qt::DropAction mDragAnswer = Qt::IgnoreAction;
};
