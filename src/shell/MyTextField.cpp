#include "shell/MyTextField.h"

#include "controls/DraggingInfo.h"
#include "controls/DropFolderBox.h"
#include "platform/Guard.h"

#include <QDragEnterEvent>
#include <QMimeData>

MyTextField::MyTextField(QWidget *parent) : QLineEdit(parent)
{
    setAcceptDrops(true);
    // The window's own drop handling leaves the field to take its drops itself.
    setProperty("takesFileDrops", true);
}

void MyTextField::setMParent(DropFolderBoxParent *parent)
{
    mParentDocument = parent;
    mParentObject = dynamic_cast<QObject *>(parent);
    mParentIsObject = mParentObject != nullptr;
}

DropFolderBoxParent *MyTextField::mParent() const
{
    if (mParentIsObject && !mParentObject)
        return nullptr;
    return mParentDocument;
}

Qt::DropAction MyTextField::draggingEntered(const QMimeData *data, Qt::DropActions allowed)
{
    GUARD_BEGIN
    if (!text().isEmpty())
        mSaveTextBeforeDraging = text();
    setText(QString());
    if (!data || data->formats().isEmpty())
        return Qt::IgnoreAction;
    if (data->hasColor() && (allowed & Qt::CopyAction))
        return Qt::CopyAction;
    if (!LocalPathsFromMimeData(data).isEmpty()) {
        if (allowed & Qt::LinkAction)
            return Qt::LinkAction;
        if (allowed & Qt::CopyAction)
            return Qt::CopyAction;
    }
    return Qt::IgnoreAction;
    GUARD_END(Qt::IgnoreAction)
}

bool MyTextField::performDragOperation(const QMimeData *data)
{
    GUARD_BEGIN
    if (!data || data->formats().isEmpty())
        return false;
    if (!data->hasUrls())
        return true; // a colour: taken, and nothing changes
    const QStringList paths = LocalPathsFromMimeData(data);
    if (paths.isEmpty())
        return false;
    setText(paths.first());
    if (DropFolderBoxParent *parent = mParent())
        parent->UpdateButtonStatus();
    return true;
    GUARD_END(false)
}

void MyTextField::draggingEnded()
{
    GUARD_BEGIN
    if (!mSaveTextBeforeDraging.isEmpty() && text().isEmpty()) {
        setText(mSaveTextBeforeDraging);
        mSaveTextBeforeDraging = QString();
    }
    if (DropFolderBoxParent *parent = mParent())
        parent->UpdateButtonStatus();
    GUARD_END_VOID
}

void MyTextField::dragEnterEvent(QDragEnterEvent *event)
{
    mDragAnswer = draggingEntered(event->mimeData(), event->possibleActions());
    if (mDragAnswer == Qt::IgnoreAction) {
        // A refused drag sends no leave event: the old text comes back at once.
        event->ignore();
        draggingEnded();
        return;
    }
    event->setDropAction(mDragAnswer);
    event->accept();
}

void MyTextField::dragMoveEvent(QDragMoveEvent *event)
{
    if (mDragAnswer == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(mDragAnswer);
    event->accept();
}

void MyTextField::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
    mDragAnswer = Qt::IgnoreAction;
    draggingEnded();
}

void MyTextField::dropEvent(QDropEvent *event)
{
    const bool taken = performDragOperation(event->mimeData());
    if (taken) {
        event->setDropAction(mDragAnswer == Qt::IgnoreAction ? Qt::CopyAction : mDragAnswer);
        event->accept();
    } else {
        event->ignore();
    }
    mDragAnswer = Qt::IgnoreAction;
    draggingEnded();
}
