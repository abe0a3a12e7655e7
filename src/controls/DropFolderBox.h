#pragma once
// The path icon of a start-window side: shows the icon of the path in its companion field, takes
// one dropped path into that field, and reveals the path in the file manager when clicked. A
// 0.5 s timer follows what is typed into the field. The owner calls awakeFromNib() once the
// window's form is set up (the box's image of the form becomes the placeholder) and UnLoad()
// when its window closes.

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QString>

class QTimer;

// The window that a drop box reports a dropped path to.
class DropFolderBoxParent
{
public:
    virtual ~DropFolderBoxParent() = default;
    virtual void UpdateButtonStatus() = 0;
};

class DropFolderBox : public QLabel
{
    Q_OBJECT
public:
    explicit DropFolderBox(QWidget *parent = nullptr);
    ~DropFolderBox() override;

    // Not owned; a parent that is a QObject is guarded against its destruction.
    void setParentDocument(DropFolderBoxParent *parent);
    void setDestText(QLineEdit *field) { mDestText = field; }
    void setDestButton(QAbstractButton *button) { mDestButton = button; }
    QLineEdit *destText() const { return mDestText; }

    void awakeFromNib();
    void UnLoad();

    void RefreshImageFromText();
    void RefreshImageFromFile(const QString &path);
    void TimerUpdate();
    void Reveal_Path();

    // The path whose icon is shown; null while the placeholder is shown.
    QString latestPath() const { return mLatestPath; }
    bool isTimerRunning() const;
    // True while the field names a path that does not exist (no image is shown then).
    bool showsMissing() const { return mShowsMissing; }
    // The image every box shows when its field names nothing (kept for the process).
    static QPixmap placeholder();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showPlaceholder();
    void showMissing();
    // The placeholder for an empty field, no image for a path that names nothing.
    void showNothingFound(const QString &text);
    DropFolderBoxParent *parentDocument() const;

    DropFolderBoxParent *mParent = nullptr;
    QPointer<QObject> mParentObject;
    bool mParentIsObject = false;
    QPointer<QLineEdit> mDestText;
    QPointer<QAbstractButton> mDestButton;
    QTimer *mUpdateTimer = nullptr;
    QString mLatestPath;
    bool mShowsMissing = false;
};
