// The start window's path entry: suggestions while typing, the keys of the path fields, the
// history menus, the open panels, Swap, and drops on the window.
#include "shell/MergeDocument.h"
#include "ui_MergeDocument.h"

#include "compare/SuggestSubPathList.h"
#include "controls/PelkoNSOpenPanel.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "services/AppSetting.h"
#include "services/FileUtility.h"
#include "services/Localization.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <utility>

namespace {

// The key commands of a path field, by key.
QString commandForKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        return QStringLiteral("moveUp:");
    case Qt::Key_Down:
        return QStringLiteral("moveDown:");
    case Qt::Key_PageUp:
        return QStringLiteral("scrollPageUp:");
    case Qt::Key_PageDown:
        return QStringLiteral("scrollPageDown:");
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("insertNewline:");
    case Qt::Key_Escape:
        return QStringLiteral("cancelOperation:");
    default:
        return QString();
    }
}

QStringList *historyOf(bool left)
{
    return left ? gAppSetting_compare_leftHistoryPaths : gAppSetting_compare_rightHistoryPaths;
}

} // namespace

// ---- suggestions ----

void MergeDocument::setUpSuggestList()
{
    QListWidget *list = mUi->mSuggestTableView;
    list->setParent(mUi->mainView);
    connect(list, &QListWidget::clicked, this, [this] { MouseDoubleClick(); });
}

bool MergeDocument::isSuggestListShown() const
{
    return mWindow && !mUi->mSuggestTableView->isHidden();
}

void MergeDocument::hideSuggestList()
{
    mSuggestFileList.clear();
    if (!mWindow)
        return;
    mUi->mSuggestTableView->clear();
    mUi->mSuggestTableView->hide();
}

void MergeDocument::suggestListHidesItself()
{
    if (isSuggestListShown())
        mSuggestListHidItself = true;
    hideSuggestList();
}

bool MergeDocument::escapeClosesWhatIsOpen()
{
    if (QWidget *popup = QApplication::activePopupWidget()) {
        popup->close();
        return true;
    }
    if (std::exchange(mPopupClosedThisTurn, false))
        return true;
    if (isSuggestListShown()) {
        hideSuggestList();
        return true;
    }
    return std::exchange(mSuggestListHidItself, false);
}

void MergeDocument::placeSuggestListUnder(QLineEdit *field)
{
    QListWidget *list = mUi->mSuggestTableView;
    QWidget *host = mUi->mainView;
    const QPoint at = field->mapTo(host, QPoint(0, field->height()));
    const int room = std::max(60, host->height() - at.y() - 4);
    list->setGeometry(at.x(), at.y(), field->width(), std::min(168, room));
    list->raise();
}

void MergeDocument::ResetSuggestFileList(const QString &typed)
{
    GUARD_BEGIN
    if (!mWindow)
        return;
    QListWidget *list = mUi->mSuggestTableView;
    mSuggestFileList.clear();
    if (!typed.isEmpty())
        mSuggestFileList = SuggestSubPathList(typed);
    list->clear();
    for (const QString &path : std::as_const(mSuggestFileList)) {
        auto *item = new QListWidgetItem(LocalPath_Shown(path), list);
        item->setToolTip(item->text());
    }
    list->setHidden(mSuggestFileList.isEmpty());
    GUARD_END_VOID
}

void MergeDocument::textDidChange(QLineEdit *field)
{
    GUARD_BEGIN
    if (mIsClosing || !mWindow)
        return;
    UpdateButtonStatus();
    // Looked at first: a new list that comes out empty hides the old one at once.
    const bool wasShown = isSuggestListShown();
    mSuggestFileList.clear();
    if (field == mUi->mLeftPathTxt || field == mUi->mRightPathTxt) {
        mCurrentEdit = field;
        const QString typed = field->text().trimmed();
        if (!typed.isEmpty()) {
            const bool wasHidden = !wasShown;
            ResetSuggestFileList(typed);
            if (!mSuggestFileList.isEmpty() && isSuggestListShown()) {
                if (wasHidden) {
                    placeSuggestListUnder(field);
                    mUi->mSuggestTableView->clearSelection();
                    mUi->mSuggestTableView->setCurrentRow(-1);
                } else {
                    placeSuggestListUnder(field);
                }
                mSuggestListHidItself = false;
                return;
            }
        }
    }
    if (wasShown)
        mSuggestListHidItself = true;
    hideSuggestList();
    mCurrentEdit = nullptr;
    GUARD_END_VOID
}

void MergeDocument::selectSuggestRow(int row)
{
    QListWidget *list = mUi->mSuggestTableView;
    row = std::clamp(row, 0, int(mSuggestFileList.size()) - 1);
    list->setCurrentRow(row);
    list->scrollToItem(list->item(row));
}

bool MergeDocument::handlePathFieldKey(QLineEdit *field, QKeyEvent *event)
{
    const QString command = commandForKey(event);
    if (command.isEmpty())
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // While the list is shown its keys go to the field, not to the window's shortcuts
        // (Escape hides the list rather than closing the window).
        if (isSuggestListShown() && !mSuggestFileList.isEmpty()) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return doCommandBySelector(field, command);
}

bool MergeDocument::doCommandBySelector(QLineEdit *control, const QString &command)
{
    GUARD_BEGIN
    if (command.isEmpty() || mIsClosing || !mWindow)
        return false;
    const bool pathField = control == mUi->mLeftPathTxt || control == mUi->mRightPathTxt;
    if (isSuggestListShown() && !mSuggestFileList.isEmpty() && mCurrentEdit) {
        if (!pathField)
            return false;
        const int n = int(mSuggestFileList.size());
        const int r = mUi->mSuggestTableView->currentRow();
        const bool valid = r >= 0 && r < n;
        if (command == QLatin1String("moveUp:"))
            selectSuggestRow(valid ? r - 1 : n - 1);
        else if (command == QLatin1String("moveDown:"))
            selectSuggestRow(valid ? r + 1 : 0);
        else if (command == QLatin1String("scrollPageUp:"))
            selectSuggestRow(valid ? r - 4 : n - 1);
        else if (command == QLatin1String("scrollPageDown:"))
            selectSuggestRow(valid ? r + 4 : 0);
        else if (command == QLatin1String("insertNewline:"))
            TableOpenRow(r);
        else if (command == QLatin1String("cancelOperation:"))
            hideSuggestList();
        else
            return false;
        return true;
    }
    if (!pathField)
        return false;
    // No list: Return starts the compare, as the window's default button would.
    if (command == QLatin1String("insertNewline:")) {
        if (!mUi->mCompareButton->isEnabled())
            return false;
        mUi->mCompareButton->animateClick();
        return true;
    }
    // An up arrow at the start or a down arrow at the end opens the side's history.
    const bool up = command.compare(QLatin1String("moveUp:"), Qt::CaseInsensitive) == 0;
    const bool down = command.compare(QLatin1String("moveDown:"), Qt::CaseInsensitive) == 0;
    const bool noSelection = !control->hasSelectedText();
    const bool atStart = noSelection && control->cursorPosition() == 0;
    const bool atEnd = noSelection && control->cursorPosition() == control->text().size();
    if ((up && atStart) || (down && atEnd)) {
        const bool left = control == mUi->mLeftPathTxt;
        platform::performAfterDelay(this, 0.1, [this, left] {
            if (left)
                LeftSelect(mUi->mLeftSelectButton);
            else
                RightSelect(mUi->mRightSelectButton);
        });
    }
    return false;
    GUARD_END(false)
}

void MergeDocument::TableOpenRow(int row)
{
    GUARD_BEGIN
    if (!mWindow || mSuggestFileList.isEmpty() || !mCurrentEdit || mIsClosing)
        return;
    if (row >= 0 && row < mSuggestFileList.size() && !mSuggestFileList.at(row).isEmpty()) {
        const QString path = mSuggestFileList.at(row);
        if (mCurrentEdit == mUi->mLeftPathTxt)
            mUi->mLeftPathTxt->setText(path);
        else if (mCurrentEdit == mUi->mRightPathTxt)
            mUi->mRightPathTxt->setText(path);
    }
    hideSuggestList();
    UpdateButtonStatus();
    GUARD_END_VOID
}

void MergeDocument::MouseDoubleClick()
{
    if (!mWindow || mSuggestFileList.isEmpty() || !mCurrentEdit || mIsClosing)
        return;
    TableOpenRow(mUi->mSuggestTableView->currentRow());
}

void MergeDocument::textDidEndEditing(QLineEdit *field)
{
    if (mIsClosing || !mWindow)
        return;
    if (field == mUi->mLeftPathTxt || field == mUi->mRightPathTxt)
        platform::performAfterDelay(
            this, 0.1, [this] { textDidEndEditing_Later(); },
            QStringLiteral("textDidEndEditing_Later"));
}

void MergeDocument::textDidEndEditing_Later()
{
    suggestListHidesItself();
}

void MergeDocument::withView_mouseUp(MyView *view, QMouseEvent *event)
{
    (void)view;
    (void)event;
    if (!mIsClosing)
        hideSuggestList();
}

// ---- history menus ----

void MergeDocument::LeftSelect(QAbstractButton *sender)
{
    openHistoryMenu(true, sender);
}

void MergeDocument::RightSelect(QAbstractButton *sender)
{
    openHistoryMenu(false, sender);
}

void MergeDocument::openHistoryMenu(bool left, QAbstractButton *sender)
{
    GUARD_BEGIN
    if (mIsClosing || !mWindow)
        return;
    hideSuggestList();
    const QStringList *history = historyOf(left);
    if (!history || history->isEmpty())
        return;
    QAbstractButton *anchor =
        sender ? sender : (left ? mUi->mLeftSelectButton : mUi->mRightSelectButton);
    if (!anchor) {
        REPORT_FATAL();
        return;
    }
    if (mHistoryMenu)
        mHistoryMenu->deleteLater();
    auto *menu = new QMenu(mWindow);
    menu->setObjectName(left ? QStringLiteral("leftHistoryMenu")
                             : QStringLiteral("rightHistoryMenu"));
    for (int i = 0; i < history->size(); ++i) {
        if (history->at(i).isEmpty())
            continue;
        QAction *item = menu->addAction(LocalPath_Shown(history->at(i)));
        item->setData(i);
    }
    menu->addSeparator();
    // The clear item carries its own marker: no history index can be taken for it.
    QAction *clear = menu->addAction(L_(QStringLiteral("Clear History")));
    clear->setData(kClearHistoryMarker);
    connect(menu, &QMenu::triggered, this,
            [this, left](QAction *item) { historyMenuSelected(left, item); });
    mHistoryMenu = menu;
    menu->popup(anchor->mapToGlobal(QPoint(0, anchor->height())));
    GUARD_END_VOID
}

void MergeDocument::LeftMenuSelected(QAction *item)
{
    historyMenuSelected(true, item);
}

void MergeDocument::RightMenuSelected(QAction *item)
{
    historyMenuSelected(false, item);
}

void MergeDocument::historyMenuSelected(bool left, QAction *item)
{
    GUARD_BEGIN
    if (!mWindow || mIsClosing)
        return;
    hideSuggestList();
    QStringList *history = historyOf(left);
    if (!history || history->isEmpty() || !item)
        return;
    bool ok = false;
    const int tag = item->data().toInt(&ok);
    if (!ok) {
        REPORT_FATAL();
        return;
    }
    if (tag == kClearHistoryMarker) {
        history->clear();
        AppSetting_Save();
        UpdateButtonStatus();
        return;
    }
    if (tag < 0 || tag >= history->size() || history->at(tag).isEmpty())
        return;
    MyTextField *field = left ? mUi->mLeftPathTxt : mUi->mRightPathTxt;
    field->setText(history->at(tag));
    field->setFocus();
    UpdateButtonStatus();
    GUARD_END_VOID
}

// ---- open panels, swap ----

void MergeDocument::ButtonLeft()
{
    choosePathWithPanel(true);
}

void MergeDocument::ButtonRight()
{
    choosePathWithPanel(false);
}

void MergeDocument::choosePathWithPanel(bool left)
{
    GUARD_BEGIN
    if (!mWindow || mIsClosing)
        return;
    hideSuggestList();
    MyTextField *field = left ? mUi->mLeftPathTxt : mUi->mRightPathTxt;
    const QString text = field->text().trimmed();
    QString start;
    if (IsFolderExist(text))
        start = text;
    else if (IsFileExist(text))
        start = QFileInfo(text).absolutePath();
    const QString title =
        L_(left ? QStringLiteral("Select %@{**}Left") : QStringLiteral("Select %@{**}Right"));
    const QString chosen =
        requestUserToSelectFileFolder(title, start, QString(), true, true, false, false, {});
    if (chosen.isEmpty())
        return;
    field->setText(chosen);
    UpdateButtonStatus();
    field->setFocus();
    GUARD_END_VOID
}

void MergeDocument::SwapLeftRight()
{
    GUARD_BEGIN
    if (!mWindow || mIsClosing)
        return;
    const QString left = mUi->mLeftPathTxt->text().trimmed();
    const QString right = mUi->mRightPathTxt->text().trimmed();
    mUi->mLeftPathTxt->setText(right);
    mUi->mRightPathTxt->setText(left);
    mUi->mLeftPathTxt->setFocus();
    UpdateButtonStatus();
    GUARD_END_VOID
}

void MergeDocument::SetLeftText(const QString &text)
{
    if (!mWindow)
        return;
    mUi->mLeftPathTxt->setText(text);
    UpdateButtonStatus();
}

void MergeDocument::SetRightText(const QString &text)
{
    if (!mWindow)
        return;
    mUi->mRightPathTxt->setText(text);
    UpdateButtonStatus();
}

QString MergeDocument::getFullPath1() const
{
    return mWindow ? mUi->mLeftPathTxt->text() : QString(QLatin1String(""));
}

QString MergeDocument::getFullPath2() const
{
    return mWindow ? mUi->mRightPathTxt->text() : QString(QLatin1String(""));
}

// ---- drops on the window ----

std::optional<bool> MergeDocument::get_AllowDrop(const DraggingInfo &info)
{
    (void)info;
    return !mIsClosing;
}

void MergeDocument::draggingEntered(const DraggingInfo &info)
{
    (void)info;
    GUARD_BEGIN
    if (mIsClosing || !mWindow)
        return;
    QWidget *half1 = mUi->mView_WhenDropFile1, *half2 = mUi->mView_WhenDropFile2;
    if (!half1->isHidden() && !half2->isHidden())
        return;
    const QRect f = mUi->mView_BeforeDropFile->geometry();
    const int w = f.width() / 2;
    half1->setGeometry(f.x(), f.y(), w, f.height());
    half2->setGeometry(f.x() + w, f.y(), f.width() - w, f.height());
    half1->show();
    half2->show();
    half1->raise();
    half2->raise();
    mUi->mView_BeforeDropFile->hide();
    GUARD_END_VOID
}

void MergeDocument::draggingExited(const DraggingInfo &info)
{
    draggingEnded(info);
}

void MergeDocument::draggingEnded(const DraggingInfo &info)
{
    (void)info;
    if (mIsClosing || !mWindow)
        return;
    mUi->mView_WhenDropFile1->hide();
    mUi->mView_WhenDropFile2->hide();
    mUi->mView_BeforeDropFile->show();
}

std::optional<bool> MergeDocument::performDragOperation_Finish(const DraggingInfo &info)
{
    GUARD_BEGIN
    if (mIsClosing || !mWindow)
        return false;
    draggingEnded(info);
    // Only paths that still exist count: a drop of vanished paths is refused.
    const QStringList paths = GetDraggingPathArray(info, true, true);
    if (paths.isEmpty())
        return false;
    const QString first = paths.value(0);
    const QString second = paths.value(1);
    if (first.isEmpty() && second.isEmpty())
        return false;
    const bool onLeft = mousePositionIsOnSideIndex(info.position) == 1;
    const QString forLeft = onLeft ? first : second;
    const QString forRight = onLeft ? second : first;
    if (!forLeft.isEmpty())
        mUi->mLeftPathTxt->setText(forLeft);
    if (!forRight.isEmpty())
        mUi->mRightPathTxt->setText(forRight);
    UpdateButtonStatus();
    return true;
    GUARD_END(false)
}

int MergeDocument::mousePositionIsOnSideIndex(const QPointF &windowPosition) const
{
    if (mIsClosing || !mWindow)
        return -1;
    return windowPosition.x() < mWindow->width() / 2.0 ? 1 : 2;
}
