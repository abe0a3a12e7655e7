#pragma once
// The path field of the start window. Besides typing it takes a file or folder dropped on it:
// while a drag is over it the field is blank, a dropped path replaces its text, and when the drag
// leaves or ends without a path the old text comes back. A dropped colour is taken and ignored.

#include <QLineEdit>
#include <QPointer>

class DropFolderBoxParent;
class QMimeData;

class MyTextField : public QLineEdit
{
    Q_OBJECT
public:
    explicit MyTextField(QWidget *parent = nullptr);

    // Told to refresh its buttons after a drag (not owned; guarded when it is a QObject).
    void setMParent(DropFolderBoxParent *parent);
    DropFolderBoxParent *mParent() const;

    // The text saved when the last drag entered; null when none is saved.
    QString savedTextBeforeDragging() const { return mSaveTextBeforeDraging; }

    // The steps of a drag on the field, in the order a drag takes them.
    Qt::DropAction draggingEntered(const QMimeData *data, Qt::DropActions allowed);
    bool performDragOperation(const QMimeData *data);
    void draggingEnded();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QString mSaveTextBeforeDraging;
    DropFolderBoxParent *mParentDocument = nullptr;
    QPointer<QObject> mParentObject;
    bool mParentIsObject = false;
    Qt::DropAction mDragAnswer = Qt::IgnoreAction;
};
