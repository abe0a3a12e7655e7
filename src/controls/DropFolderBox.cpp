#include "controls/DropFolderBox.h"

#include "controls/PelkoNSTextField.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "platform/Workspace.h"
#include "services/FileUtility.h"
#include "controls/DraggingInfo.h"

#include <QAbstractButton>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

namespace {

QPixmap &storedPlaceholder()
{
    static QPixmap pixmap;
    return pixmap;
}
bool gPlaceholderTaken = false;

bool pathExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace

DropFolderBox::DropFolderBox(QWidget *parent) : QLabel(parent)
{
    setProperty("takesFileDrops", true);
    setAcceptDrops(true);
    setAlignment(Qt::AlignCenter);
}

DropFolderBox::~DropFolderBox()
{
    UnLoad();
}

void DropFolderBox::setParentDocument(DropFolderBoxParent *parent)
{
    mParent = parent;
    mParentObject = parent ? dynamic_cast<QObject *>(parent) : nullptr;
    mParentIsObject = !mParentObject.isNull();
}

DropFolderBoxParent *DropFolderBox::parentDocument() const
{
    if (mParentIsObject && !mParentObject)
        return nullptr;
    return mParent;
}

QPixmap DropFolderBox::placeholder()
{
    return storedPlaceholder();
}

void DropFolderBox::awakeFromNib()
{
    GUARD_BEGIN
    if (!gPlaceholderTaken) {
        gPlaceholderTaken = true;
        storedPlaceholder() = pixmap();
    }
    mLatestPath = QString();
    if (!mUpdateTimer) {
        mUpdateTimer = new QTimer(this);
        mUpdateTimer->setInterval(500);
        connect(mUpdateTimer, &QTimer::timeout, this, [this] { TimerUpdate(); });
    }
    mUpdateTimer->start();
    GUARD_END_VOID
}

void DropFolderBox::UnLoad()
{
    if (mUpdateTimer) {
        mUpdateTimer->stop();
        delete mUpdateTimer;
        mUpdateTimer = nullptr;
    }
    mLatestPath = QString();
    mParent = nullptr;
    mParentObject = nullptr;
    mParentIsObject = false;
}

bool DropFolderBox::isTimerRunning() const
{
    return mUpdateTimer && mUpdateTimer->isActive();
}

void DropFolderBox::showPlaceholder()
{
    mShowsMissing = false;
    setPixmap(QPixmap());
    setPixmap(storedPlaceholder());
}

void DropFolderBox::showMissing()
{
    // A path that names nothing gets no icon: the placeholder is a folder and would claim one.
    mShowsMissing = true;
    setPixmap(QPixmap());
}

void DropFolderBox::showNothingFound(const QString &text)
{
    if (text.isEmpty())
        showPlaceholder();
    else
        showMissing();
}

void DropFolderBox::RefreshImageFromFile(const QString &path)
{
    GUARD_BEGIN
    if (!pathExists(path)) {
        showPlaceholder();
        return;
    }
    mShowsMissing = false;
    // Drawn at twice the box's size, so it stays sharp on a dense screen.
    const QIcon icon = platform::iconForFile(path);
    QSize size = contentsRect().size();
    if (size.isEmpty())
        size = QSize(32, 32);
    setPixmap(icon.pixmap(size, 2.0));
    GUARD_END_VOID
}

void DropFolderBox::RefreshImageFromText()
{
    GUARD_BEGIN
    mLatestPath = QString();
    const QString path = mDestText ? stringValue(mDestText.data()) : QString();
    if (pathExists(path)) {
        RefreshImageFromFile(path);
        mLatestPath = path;
    } else {
        showNothingFound(path);
    }
    GUARD_END_VOID
}

void DropFolderBox::TimerUpdate()
{
    GUARD_BEGIN
    QString current = mDestText ? stringValue(mDestText.data()) : QString();
    const bool missing = !current.isEmpty() && !pathExists(current);
    if (!pathExists(current))
        current = QString();
    if (current.isNull() && mLatestPath.isNull() && missing == mShowsMissing)
        return;
    // Paths are compared exactly: on Linux other letter case names another file.
    if (current.isNull() != mLatestPath.isNull() || current != mLatestPath ||
        missing != mShowsMissing)
        RefreshImageFromText();
    GUARD_END_VOID
}

void DropFolderBox::Reveal_Path()
{
    GUARD_BEGIN
    const QString path = mDestText ? stringValue(mDestText.data()) : QString();
    if (!path.isEmpty() && IsPathExist(path))
        RevealFileFolderInFinder(path);
    GUARD_END_VOID
}

void DropFolderBox::dragEnterEvent(QDragEnterEvent *event)
{
    GUARD_BEGIN
    event->ignore();
    if (event->possibleActions() == Qt::IgnoreAction)
        return;
    const QStringList paths = LocalPathsFromMimeData(event->mimeData());
    for (const QString &path : paths) {
        if (pathExists(path)) {
            RefreshImageFromFile(path);
            event->setDropAction(Qt::CopyAction);
            event->accept();
            return;
        }
    }
    GUARD_END_VOID
}

void DropFolderBox::dragMoveEvent(QDragMoveEvent *event)
{
    // The answer of the enter stands while the drag moves over the box.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropFolderBox::dragLeaveEvent(QDragLeaveEvent *event)
{
    QLabel::dragLeaveEvent(event);
    RefreshImageFromText();
}

void DropFolderBox::dropEvent(QDropEvent *event)
{
    GUARD_BEGIN
    event->ignore();
    // Only the first path counts for the drop, even when a later one exists.
    const QStringList paths = LocalPathsFromMimeData(event->mimeData());
    const QString path = paths.isEmpty() ? QString() : paths.first();
    if (pathExists(path)) {
        if (mDestText)
            setString2(mDestText.data(), path);
        if (mDestButton)
            mDestButton->setText(LocalPath_Shown(path));
        if (DropFolderBoxParent *parent = parentDocument())
            parent->UpdateButtonStatus();
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
    GUARD_END_VOID
    RefreshImageFromText();
}

void DropFolderBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Reveal_Path();
}
