#include "foldercompare/MergeFileListWndCtr.h"

#include "compare/FileKind.h"
#include "compare/FolderCompareState.h"
#include "compare/FolderCopy.h"
#include "controls/DraggingInfo.h"
#include "controls/CustomTableShortKey.h"
#include "controls/DropWindow.h"
#include "controls/PelkoNSTableView.h"
#include "compare/PatchDiffRunner.h"
#include "compare/SubThreadAlerts.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/FolderVerdictText.h"
#include "foldercompare/MergeEditPreview.h"
#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/CompareWindowTitle.h"
#include "services/FileUtility.h"
#include "platform/LocalPath.h"
#include "services/Localization.h"
#include "services/WindowFrame.h"
#include "services/WorkerFailure.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MergeWindow.h"

#include "ui_MergeFileListWndCtr.h"

#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHelpEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QMimeData>
#include <QStyle>
#include <QToolBar>
#include <QToolTip>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

std::function<bool(const QString &, const QString &)> gImagePairOpener;
std::function<void(const QString &, const QString &)> gNavigateBack;
std::function<void(const QString &, const QString &, bool)> gFolderPairOpener;

const QString kListColumnsName = QStringLiteral("fileTableView");
const QString kTreeColumnsName = QStringLiteral("treeView");

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

MergeFileListWndCtr::MergeFileListWndCtr(const QString &windowNibName, QObject *parent)
    : platform::WindowController(windowNibName, parent),
      mUi(std::make_unique<Ui::MergeFileListWndCtr>()), mModel(new FolderCompareModel(this))
{
    mUpdateObserver = platform::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(kNeedUpdateFileCompareResult), nullptr,
        [this](const platform::Notification &n) {
            if (mIsClosing)
                return;
            UpdateCompareResultForPaths(n.userInfo.value(QStringLiteral("paths")).toStringList());
        });
}

MergeFileListWndCtr::~MergeFileListWndCtr()
{
    mIsClosing = true;
    FolderCompareState_CancelFor(this);
    if (mWorkCancel)
        mWorkCancel->store(true);
    mJob.reset();
    mWork.waitForFinished();
    FolderCompareState_EndCompare(this);
    FolderCompareState_EndCopy(this);
}

void MergeFileListWndCtr::setNavigateBackHandler(
    std::function<void(const QString &, const QString &)> handler)
{
    gNavigateBack = std::move(handler);
}

void MergeFileListWndCtr::Navigate_Back()
{
    GUARD_BEGIN
    if (gNavigateBack && mCompareInfo && !mIsClosing)
        gNavigateBack(mCompareInfo->mFolder1, mCompareInfo->mFolder2);
    GUARD_END_VOID
}

void MergeFileListWndCtr::setFolderPairOpener(
    std::function<void(const QString &, const QString &, bool)> opener)
{
    gFolderPairOpener = std::move(opener);
}

int MergeFileListWndCtr::selectedFolderPair() const
{
    const std::vector<int> ids = selectedIds();
    const COMP_ITEM *it = ids.empty() ? nullptr : mModel->item(ids.front());
    if (!it || it->kind1 != Side_Folder || it->kind2 != Side_Folder)
        return -1;
    return it->ID;
}

void MergeFileListWndCtr::Merge_Compare_two_subdirectories(bool bRunNow)
{
    GUARD_BEGIN
    if (!gFolderPairOpener || mIsClosing || !isWindowLoaded())
        return;
    const int id = selectedFolderPair();
    if (id >= 0)
        gFolderPairOpener(fullPath(id, 1), fullPath(id, 2), bRunNow);
    GUARD_END_VOID
}

void MergeFileListWndCtr::setImagePairOpener(
    std::function<bool(const QString &, const QString &)> opener)
{
    gImagePairOpener = std::move(opener);
}

QWidget *MergeFileListWndCtr::makeWindow()
{
    return setupWindow<QMainWindow>(*mUi);
}

QMainWindow *MergeFileListWndCtr::mainWindow() const
{
    return qobject_cast<QMainWindow *>(const_cast<MergeFileListWndCtr *>(this)->window());
}

QTreeView *MergeFileListWndCtr::fileTableView() const
{
    return mUi->fileTableView;
}

void MergeFileListWndCtr::SetCompareInfoWith(std::shared_ptr<FileListCompareInfo> info)
{
    if (!info || info->mFolder1.isEmpty() || info->mFolder2.isEmpty())
        return;
    mCompareInfo = std::move(info);
    mModel->setTopFolders(LocalPath_ToBytes(withSlash(mCompareInfo->mFolder1)),
                          LocalPath_ToBytes(withSlash(mCompareInfo->mFolder2)));
    mModel->setCompareMode(mCompareInfo->folder_compare_Mode);
    if (isWindowLoaded()) {
        updateModeLabel();
        // Shown readable: bytes that are not UTF-8 as escapes.
        const QString shown1 = CompItem_DisplayName(LocalPath_ToBytes(mCompareInfo->mFolder1));
        const QString shown2 = CompItem_DisplayName(LocalPath_ToBytes(mCompareInfo->mFolder2));
        mUi->mPathLabel1->setText(shown1);
        mUi->mPathLabel2->setText(shown2);
        window()->setWindowTitle(CompareWindowTitle(mCompareInfo->mFolder1, mCompareInfo->mFolder2,
                                                    CompareTitleKind::Folders));
    }
}

void MergeFileListWndCtr::windowDidLoad()
{
    GUARD_BEGIN
    QMainWindow *w = mainWindow();
    CustomTableShortKey *view = mUi->fileTableView;
    view->mainController = this;
    view->setModel(mModel);
    view->header()->setSortIndicator(FolderCompareModel::ColName1, Qt::AscendingOrder);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < FolderCompareModel::ColumnCount; ++c) {
        auto column = std::make_shared<platform::TableColumn>();
        column->identifier = FolderCompareModel::columnIdentifier(c);
        column->title = mModel->headerData(c, Qt::Horizontal).toString();
        const bool name = c == FolderCompareModel::ColName1 || c == FolderCompareModel::ColName2;
        const bool date = c == FolderCompareModel::ColDate1 || c == FolderCompareModel::ColDate2;
        column->width = name ? 280 : date ? 150 : 90;
        column->minWidth = 30;
        mColumns.append(column);
    }
    setTableColumns(view, mColumns);
    view->installEventFilter(this);
    (new DropWindow(w))->setDropDelegate(this);

    mUi->actionRefresh->setShortcut(QKeySequence(Qt::Key_F5));
    // Delete follows the preferences (the Trash, or for good); Shift+Delete is for good.
    mUi->actionDeleteBoth->setShortcut(QKeySequence(Qt::Key_Delete));
    mUi->actionDeletePermanently->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    mUi->actionClose->setShortcut(QKeySequence::Close);
    // The list's keys, shown on the items. Return opens the pair selected; on a folder, where
    // Open is disabled, the key reaches the list, which opens or closes it in the tree. Alt+arrows
    // copy as they do in the text window.
    mUi->actionOpenPair->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    mUi->actionPreview->setShortcut(QKeySequence(Qt::Key_Space));
    mUi->actionCopyToRight->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    mUi->actionCopyToLeft->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    mUi->mCountsLabel->installEventFilter(this);
    mUi->menuShowFolder->setChecked(gAppSetting.compare_showFolder != 0);
    mUi->actionTreeMode->setChecked(gAppSetting.compare_folderViewMode == 1);
    mModel->setFoldersFirst(gAppSetting.compare_sort_folder_tree_above_file != 0);
    mUi->actionOpenPair->setEnabled(false);
    // The selection's commands under the right button as well.
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto separator = [view] {
        auto *line = new QAction(view);
        line->setSeparator(true);
        return line;
    };
    view->addActions({mUi->actionOpenPair, mUi->actionCompareFolders, separator(),
                      mUi->actionCopyToRight, mUi->actionCopyToLeft, separator(),
                      mUi->actionDeleteLeft, mUi->actionDeleteRight, mUi->actionDeleteBoth,
                      mUi->actionDeletePermanently});

    const bool firstSize = Load_Window_Frame(w, this).isEmpty();
    Localize_LoadWindowPos_SetBackground(w, this, platform::Color(), true);
    setToolbarIcons();
    connectControls();
    applyViewMode();
    if (firstSize) {
        fitFirstSize();
        mFirstSizePending = true; // again once shown, when the frame is known
    }
    updateFilterFromMenus();
    setProgressVisible(false);
    SetCompareInfoWith(mCompareInfo);
    updateCounts();
    updateButtons();
    GUARD_END_VOID
}

void MergeFileListWndCtr::fitFirstSize()
{
    QMainWindow *w = mainWindow();
    QTreeView *view = mUi->fileTableView;
    QHeaderView *header = view->header();
    view->ensurePolished();
    header->ensurePolished();
    // What a full date, a large size and each header take in the fonts shown.
    const QFontMetrics cells(view->font());
    const int cellPadding =
        2 * view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 12;
    const auto widest = [&](const QString &sample) {
        int widest = 0;
        for (char digit = '0'; digit <= '9'; ++digit)
            widest = std::max(widest, cells.horizontalAdvance(QString(sample).replace(
                                          QLatin1Char('0'), QLatin1Char(digit))));
        return widest + cellPadding;
    };
    const int dateWidth = widest(QStringLiteral("0000-00-00 00:00:00"));
    const int sizeWidth = widest(QLocale().toString(qint64(100000000000)));
    int fixed = 0;
    for (int c = 0; c < FolderCompareModel::ColumnCount; ++c) {
        if (c == FolderCompareModel::ColName1 || c == FolderCompareModel::ColName2)
            continue;
        const bool date = c == FolderCompareModel::ColDate1 || c == FolderCompareModel::ColDate2;
        const int width = std::max(
            {header->sectionSize(c), header->sectionSizeHint(c), date ? dateWidth : sizeWidth});
        header->resizeSection(c, width);
        fixed += width;
    }
    // The window around the list: its margins, the list's frame and a vertical scroll bar.
    const QMargins margins = mUi->mainLayout->contentsMargins();
    const int chrome = margins.left() + margins.right() + 2 * view->frameWidth() +
                       view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view) + 2;
    // The names share what is left; the window widens for them only as far as its screen lets
    // it, frame included (known once the window has been shown).
    constexpr int kNameWidth = 200;
    const QScreen *screen = w->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QMargins frame = platform::WindowController::expectedFrameMargins(w, nullptr);
    QSize size = w->size();
    size.setWidth(std::max(size.width(), fixed + 2 * kNameWidth + chrome));
    if (!area.isEmpty()) {
        size = size.boundedTo(area.size().shrunkBy(frame));
        QRect outer(w->geometry().topLeft() - QPoint(frame.left(), frame.top()),
                    size.grownBy(frame));
        if (!area.contains(outer))
            outer.moveCenter(area.center());
        if (size != w->size() || !area.contains(w->frameGeometry()))
            w->setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), size));
    }
    const int nameWidth = std::max(30, (size.width() - chrome - fixed) / 2);
    header->resizeSection(FolderCompareModel::ColName1, nameWidth);
    header->resizeSection(FolderCompareModel::ColName2, nameWidth);
}

void MergeFileListWndCtr::setToolbarIcons()
{
    struct Icon
    {
        QAction *action;
        const char *name;
        QStyle::StandardPixmap fallback;
    };
    auto &ui = *mUi;
    const Icon icons[] = {
        {ui.actionRefresh, "view-refresh", QStyle::SP_BrowserReload},
        {ui.actionTreeMode, "view-list-tree", QStyle::SP_FileDialogDetailedView},
        {ui.actionCopyToRight, "go-next", QStyle::SP_ArrowRight},
        {ui.actionCopyToLeft, "go-previous", QStyle::SP_ArrowLeft},
        {ui.actionDeleteLeft, "edit-delete", QStyle::SP_TrashIcon},
        {ui.actionDeleteRight, "edit-delete", QStyle::SP_TrashIcon},
        {ui.actionDeleteBoth, "edit-delete", QStyle::SP_TrashIcon},
        {ui.actionDeletePermanently, "edit-delete", QStyle::SP_TrashIcon},
        {ui.actionGeneratePatch, "document-save-as", QStyle::SP_DialogSaveButton},
        {ui.actionOpenPair, "document-open", QStyle::SP_DialogOpenButton},
        {ui.actionPreview, "document-preview", QStyle::SP_FileDialogContentsView},
        {ui.actionCompareFolders, "folder-open", QStyle::SP_DirOpenIcon},
        {ui.actionClose, "window-close", QStyle::SP_DialogCloseButton},
    };
    QStyle *style = window()->style();
    for (const Icon &i : icons)
        i.action->setIcon(
            QIcon::fromTheme(QString::fromLatin1(i.name), style->standardIcon(i.fallback)));
    // As in the text window: the text goes under the icon where the style asks for that, else
    // beside it; it is never left out.
    const auto asked = Qt::ToolButtonStyle(style->styleHint(QStyle::SH_ToolButtonStyle));
    ui.toolBar->setToolButtonStyle(
        asked == Qt::ToolButtonTextUnderIcon ? asked : Qt::ToolButtonTextBesideIcon);
}

void MergeFileListWndCtr::connectControls()
{
    QTreeView *view = mUi->fileTableView;
    connect(view, &QTreeView::activated, this, [this](const QModelIndex &i) { openActivated(i); });
    connect(mUi->mStopButton, &QPushButton::clicked, this, [this] { StopCompare(); });
    connect(mUi->actionRefresh, &QAction::triggered, this, [this] { StartCompare(); });
    connect(mUi->actionClose, &QAction::triggered, this, [this] { close(); });
    connect(mUi->actionTreeMode, &QAction::toggled, this, [this] { applyViewMode(); });
    for (QAction *a : {mUi->menuShowDifferent, mUi->menuShowIdentical, mUi->menuShowLeftOnly,
                       mUi->menuShowRightOnly, mUi->menuShowFolder})
        connect(a, &QAction::toggled, this, [this] { updateFilterFromMenus(); });
    connect(mUi->actionOpenPair, &QAction::triggered, this, [this] {
        const auto ids = selectedIds();
        if (!ids.empty())
            OpenItem(ids.front());
    });
    connect(mUi->actionPreview, &QAction::triggered, this, [this] { TogglePreview(); });
    connect(mUi->actionLegend, &QAction::triggered, this, [this] { ShowLegend(); });
    connect(mModel, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &a, const QModelIndex &b) { previewRowsChanged(a, b); });
    // A new compare empties the list, and the selection with it, without a word.
    connect(mModel, &QAbstractItemModel::modelReset, this, [this] { selectionSettled(); });
    connect(mUi->actionCompareFolders, &QAction::triggered, this,
            [this] { Merge_Compare_two_subdirectories(true); });
    connect(mUi->actionCopyToRight, &QAction::triggered, this, [this] { CopySelection(2); });
    connect(mUi->actionCopyToLeft, &QAction::triggered, this, [this] { CopySelection(1); });
    connect(mUi->actionDeleteLeft, &QAction::triggered, this, [this] { DeleteSelection(1); });
    connect(mUi->actionDeleteRight, &QAction::triggered, this, [this] { DeleteSelection(2); });
    connect(mUi->actionDeleteBoth, &QAction::triggered, this, [this] { DeleteSelection(3); });
    connect(mUi->actionDeletePermanently, &QAction::triggered, this,
            [this] { DeleteSelection(3, true); });
    connect(mUi->actionGeneratePatch, &QAction::triggered, this, [this] { Menu_GeneratePatch(); });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        updateButtons();
        platform::performAfterDelay(
            this, 0.15, [this] { selectionSettled(); }, QStringLiteral("selectionSettled"));
    });
}

void MergeFileListWndCtr::saveColumns()
{
    saveTableColumn_Order_Width2(mUi->fileTableView,
                                 mModel->treeMode() ? kTreeColumnsName : kListColumnsName);
}

void MergeFileListWndCtr::loadColumns()
{
    loadTableColumn_Order_Width2(mUi->fileTableView,
                                 mModel->treeMode() ? kTreeColumnsName : kListColumnsName);
}

void MergeFileListWndCtr::applyViewMode()
{
    const bool tree = mUi->actionTreeMode->isChecked();
    if (tree != mModel->treeMode()) {
        saveColumns();
        mModel->setTreeMode(tree);
        gAppSetting.compare_folderViewMode = tree ? 1 : 0;
    }
    mUi->fileTableView->setRootIsDecorated(tree);
    mUi->fileTableView->setItemsExpandable(tree);
    loadColumns();
}

namespace {
QAction *sameNamedFilter(Ui::MergeFileListWndCtr &ui, const QAction *item)
{
    if (!item)
        return nullptr;
    for (QAction *own : {ui.menuShowDifferent, ui.menuShowIdentical, ui.menuShowLeftOnly,
                         ui.menuShowRightOnly, ui.menuShowFolder})
        if (own->objectName() == item->objectName())
            return own;
    return nullptr;
}
} // namespace

void MergeFileListWndCtr::toggleVerdictFilter(QAction *item)
{
    if (!isWindowLoaded())
        return;
    if (QAction *own = sameNamedFilter(*mUi, item))
        own->setChecked(item->isChecked());
}

void MergeFileListWndCtr::validateMenuItem(QAction *item)
{
    if (!isWindowLoaded())
        return;
    if (QAction *own = sameNamedFilter(*mUi, item))
        item->setChecked(own->isChecked());
}

void MergeFileListWndCtr::updateFilterFromMenus()
{
    FolderCompareModel::Filter f;
    f.different = mUi->menuShowDifferent->isChecked();
    f.identical = mUi->menuShowIdentical->isChecked();
    f.leftOnly = mUi->menuShowLeftOnly->isChecked();
    f.rightOnly = mUi->menuShowRightOnly->isChecked();
    f.showFolders = mUi->menuShowFolder->isChecked();
    gAppSetting.compare_showFolder = f.showFolders ? 1 : 0;
    mModel->setFilter(f);
}

void MergeFileListWndCtr::updateCounts()
{
    const int *c = mModel->counts();
    mUi->mCountsLabel->setText(
        L_(QStringLiteral("Different: %1   Same: %2   Left only: %3   Right only: %4   Not "
                          "judged: %5"))
            .arg(c[COMP_RESULT_DIFFERENT])
            .arg(c[COMP_RESULT_SAME])
            .arg(c[COMP_RESULT_LEFT_ONLY])
            .arg(c[COMP_RESULT_RIGHT_ONLY])
            .arg(c[COMP_RESULT_NOT_JUDGED] + c[COMP_RESULT_GONE]) +
        hiddenText());
}

QString MergeFileListWndCtr::hiddenText() const
{
    // Left out by the preferences' "Ignore hidden files": said, so two folders that differ
    // only there do not look the same without a word.
    const int hidden = mModel->hiddenLeftOut();
    if (hidden <= 0)
        return {};
    return QStringLiteral("   ") + L_Count(hidden, QStringLiteral("1 hidden entry not compared"),
                                           QStringLiteral("%1 hidden entries not compared"));
}

void MergeFileListWndCtr::updateButtons()
{
    if (!isWindowLoaded())
        return;
    const bool busy = isBusy();
    const std::vector<int> ids = selectedIds();
    const bool any = !ids.empty();
    // Image pairs open only once the application has registered their window.
    const COMP_ITEM *first = any ? mModel->item(ids.front()) : nullptr;
    mUi->actionOpenPair->setEnabled(first && !first->isFolder() &&
                                    (first->itemType != ITEM_TYPE_IMAGE || gImagePairOpener));
    mUi->actionCompareFolders->setEnabled(gFolderPairOpener && selectedFolderPair() >= 0);
    // A copy goes only from a side that holds something of the selection.
    bool onLeft = false, onRight = false;
    for (int id : ids) {
        if (const COMP_ITEM *it = mModel->item(id)) {
            onLeft = onLeft || it->onLeft();
            onRight = onRight || it->onRight();
        }
        if (onLeft && onRight)
            break;
    }
    mUi->actionCopyToRight->setEnabled(onLeft && !busy);
    mUi->actionCopyToLeft->setEnabled(onRight && !busy);
    for (QAction *a : {mUi->actionDeleteLeft, mUi->actionDeleteRight, mUi->actionDeleteBoth,
                       mUi->actionDeletePermanently})
        a->setEnabled(any && !busy);
    mUi->actionGeneratePatch->setEnabled(!busy && mLastCompareComplete);
    mUi->actionRefresh->setEnabled(!isCopyRunning());
}

void MergeFileListWndCtr::setProgressVisible(bool on)
{
    mUi->mProgressBar->setVisible(on);
    mUi->mStopButton->setVisible(on);
    mUi->mStopButton->setEnabled(on);
}

void MergeFileListWndCtr::showWindow()
{
    GUARD_BEGIN
    platform::WindowController::showWindow();
    if (std::exchange(mFirstSizePending, false))
        fitFirstSize();
    if (!mJob && mModel->items().empty() && mCompareInfo)
        // The frame paints first; the walk starts at the next turn of the loop.
        platform::performAfterDelay(
            this, 0, [this] { StartCompare(); }, QStringLiteral("startCompare"));
    GUARD_END_VOID
}

bool MergeFileListWndCtr::StartCompare()
{
    GUARD_BEGIN
    if (mIsClosing || !mCompareInfo || isCopyRunning())
        return false;
    if (mJob) {
        mJob->cancel();
        mJob.reset();
        FolderCompareState_EndCompare(this);
    }
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    if (!FolderCompareState_BeginCompare(this, mCompareInfo, cancel)) {
        CheckCompareNotBusyAndWarn(this);
        return false;
    }
    window();
    mCompareCancel = cancel;
    mModel->clear();
    mLastCompareComplete = false;
    const quint64 generation = ++mGeneration;
    QPointer<MergeFileListWndCtr> self(this);
    auto settings = FolderCompareSettings::fromRequest(mCompareInfo);
    mJob = std::make_unique<FolderCompareJob>(settings, [self, generation](FolderCompareBatch &&b) {
        auto batch = std::make_shared<FolderCompareBatch>(std::move(b));
        platform::performOnMainThread(
            [self, generation, batch] {
                if (self)
                    self->onBatch(generation, std::move(*batch));
            },
            false);
    });
    // The state's cancel flag reaches the job through the window's Stop.
    setProgressVisible(true);
    updateButtons();
    mJob->start();
    mTree1 = mJob->tree(1);
    mTree2 = mJob->tree(2);
    return true;
    GUARD_END(false)
}

void MergeFileListWndCtr::StopCompare()
{
    if (mJob)
        mJob->cancel();
    if (mCompareCancel)
        mCompareCancel->store(true);
    if (mWorkCancel)
        mWorkCancel->store(true);
    mUi->mStopButton->setEnabled(false);
}

void MergeFileListWndCtr::onBatch(quint64 generation, FolderCompareBatch &&batch)
{
    GUARD_BEGIN
    if (generation != mGeneration || mIsClosing)
        return;
    // A Stop pressed through the shared state reaches the job here.
    if (mJob && mCompareCancel && mCompareCancel->load())
        mJob->cancel();
    const bool finished = batch.finished;
    const bool cancelled = batch.cancelled;
    const QString rootError = batch.rootError;
    mModel->applyBatch(std::move(batch));
    updateCounts();
    if (finished)
        compareEnded(cancelled, rootError);
    GUARD_END_VOID
}

void MergeFileListWndCtr::compareEnded(bool cancelled, const QString &rootError)
{
    mJob.reset();
    mCompareCancel.reset();
    FolderCompareState_EndCompare(this);
    mLastCompareCancelled = cancelled;
    mLastCompareComplete = !cancelled && rootError.isEmpty();
    mModel->sumUpAllFolders();
    mModel->refilter();
    setProgressVisible(false);
    updateCounts();
    updateButtons();
    if (!rootError.isEmpty())
        ShowMessage(L_(QStringLiteral("Error")), rootError);
    emit compareFinished(cancelled);
    if (!mPendingUpdatePaths.isEmpty()) {
        const QStringList paths = std::exchange(mPendingUpdatePaths, {});
        UpdateCompareResultForPaths(paths);
    }
    if (mGeneratePatchLater && mLastCompareComplete) {
        mGeneratePatchLater = false;
        platform::performAfterDelay(this, 0, [this] { Menu_GeneratePatch(); });
    }
}

QByteArray MergeFileListWndCtr::fullPathBytes(int id, int side) const
{
    if (!mCompareInfo || !mModel->item(id))
        return {};
    const QString root = withSlash(side == 1 ? mCompareInfo->mFolder1 : mCompareInfo->mFolder2);
    return LocalPath_ToBytes(root) + mModel->relativePath(id);
}

TreeEntry MergeFileListWndCtr::entryOn(int id, int side) const
{
    return {tree(side), mModel->route(id, side)};
}

QString MergeFileListWndCtr::fullPath(int id, int side) const
{
    if (!mCompareInfo || mModel->relativePath(id).isEmpty())
        return {};
    return LocalPath_FromBytes(fullPathBytes(id, side));
}

std::vector<int> MergeFileListWndCtr::selectedIds() const
{
    std::vector<int> ids;
    if (!mUi->fileTableView || !mUi->fileTableView->selectionModel())
        return ids;
    for (const QModelIndex &i : mUi->fileTableView->selectionModel()->selectedRows())
        ids.push_back(int(i.internalId()));
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool MergeFileListWndCtr::eventFilter(QObject *watched, QEvent *event)
{
    GUARD_BEGIN
    if (watched == mUi->mCountsLabel && event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), legendText(), mUi->mCountsLabel);
        return true;
    }
    if (watched == mUi->fileTableView && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // Escape closes the preview from the list too, which keeps the keyboard meanwhile.
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && mPreview) {
            TogglePreview();
            return true;
        }
    }
    return platform::WindowController::eventFilter(watched, event);
    GUARD_END(false)
}

void MergeFileListWndCtr::openActivated(const QModelIndex &index)
{
    const COMP_ITEM *it = mModel->itemAt(index);
    if (!it)
        return;
    if (it->isFolder() && it->kind1 != Side_File && it->kind2 != Side_File) {
        if (mModel->treeMode())
            mUi->fileTableView->setExpanded(
                index.siblingAtColumn(0),
                !mUi->fileTableView->isExpanded(index.siblingAtColumn(0)));
        return;
    }
    OpenItem(it->ID);
}

bool MergeFileListWndCtr::OpenItem(int id)
{
    GUARD_BEGIN
    const COMP_ITEM *it = mModel->item(id);
    if (!it || it->isFolder())
        return false;
    const QString p1 = it->kind1 == Side_File ? fullPath(id, 1) : QString();
    const QString p2 = it->kind2 == Side_File ? fullPath(id, 2) : QString();
    if (p1.isEmpty() && p2.isEmpty())
        return false; // links that are no file: nothing safe to open
    for (const QPointer<MergeWindow> &open : gOpenCompareWindowList) {
        if (open && !open->IsPreviewMode() && !open->mIsClosing && open->GetFile1() == p1 &&
            open->GetFile2() == p2 && open->isWindowLoaded()) {
            open->showWindow();
            return true;
        }
    }
    if (it->itemType == ITEM_TYPE_IMAGE || IsImageFileExtension(it->extension)) {
        return gImagePairOpener ? gImagePairOpener(p1, p2) : false;
    }
    auto *editor = new MergeEditWndCtr();
    const platform::StringEncoding encoding = mCompareInfo ? mCompareInfo->preferEncoding : 0;
    editor->setPreferEncoding1(encoding);
    editor->setPreferEncoding2(encoding);
    editor->setMFile1(p1);
    editor->setMFile2(p2);
    editor->setShouldCascadeWindows(true);
    editor->setShouldCloseDocument(true);
    editor->showWindow();
    return true;
    GUARD_END(false)
}

// Judging again ------------------------------------------------------------------------------

void MergeFileListWndCtr::judgeAgain(const std::vector<int> &ids)
{
    if (!mCompareInfo || ids.empty())
        return;
    struct Job
    {
        COMP_ITEM item;
        TreeRoute parent1, parent2; // the folders holding it, as the compare listed them
    };
    std::vector<Job> jobs;
    for (int id : ids) {
        const COMP_ITEM *it = mModel->item(id);
        if (!it)
            continue;
        jobs.push_back({*it, mModel->route(it->parent, 1), mModel->route(it->parent, 2)});
    }
    auto settings = FolderCompareSettings::fromRequest(mCompareInfo);
    settings.tree1 = mTree1;
    settings.tree2 = mTree2;
    QPointer<MergeFileListWndCtr> self(this);
    const quint64 generation = mGeneration;
    const auto judge = [self, generation, settings, jobs = std::move(jobs)] {
        std::vector<COMP_ITEM> updates;
        for (const Job &j : jobs)
            updates.push_back(
                FolderCompare_JudgeAgain(settings, j.item, j.parent1, j.parent2, nullptr));
        platform::performOnMainThread(
            [self, generation, updates = std::move(updates)] {
                if (!self || self->mIsClosing || generation != self->mGeneration)
                    return;
                self->mModel->applyUpdates(updates);
                self->updateCounts();
            },
            false);
    };
    // The rows keep their old verdicts: the user is told they may be out of date.
    const auto stopped = [self, generation](const QString &why) {
        platform::performOnMainThread(
            [self, generation, why] {
                if (!self || self->mIsClosing || generation != self->mGeneration)
                    return;
                ShowMessage(L_(QStringLiteral("Error")),
                            L_(QStringLiteral("The files could not be judged again.")) + u'\n' +
                                why);
            },
            false);
    };
    (void)QtConcurrent::run(WorkerGuarded("judge again", judge, stopped));
}

void MergeFileListWndCtr::UpdateCompareResultForPaths(const QStringList &leftPaths)
{
    GUARD_BEGIN
    if (!mCompareInfo || leftPaths.isEmpty())
        return;
    if (isCompareRunning()) {
        mPendingUpdatePaths += leftPaths;
        return;
    }
    const QString root = withSlash(mCompareInfo->mFolder1);
    std::vector<int> ids;
    for (const QString &path : leftPaths) {
        if (!path.startsWith(root))
            continue;
        const QByteArray rel = LocalPath_ToBytes(path.mid(root.size()));
        // Walk down the names of the relative path.
        int parent = -1;
        int found = -1;
        const QList<QByteArray> parts = rel.split('/');
        for (qsizetype k = 0; k < parts.size(); ++k) {
            found = -1;
            const auto &items = mModel->items();
            for (const COMP_ITEM &it : items) { // the top level has no node of its own
                if (it.parent == parent && it.name() == parts[k]) {
                    found = it.ID;
                    break;
                }
            }
            if (found < 0)
                break;
            parent = found;
        }
        if (found >= 0)
            ids.push_back(found);
    }
    judgeAgain(ids);
    GUARD_END_VOID
}

// Preview ------------------------------------------------------------------------------------

void MergeFileListWndCtr::TogglePreview()
{
    GUARD_BEGIN
    if (mPreview) {
        mPreview->close();
        mUi->actionPreview->setChecked(false);
        return;
    }
    mPreview = new MergeEditPreview(this);
    mUi->actionPreview->setChecked(true);
    connect(mPreview, &platform::WindowController::windowWillClose, this, [this] {
        if (isWindowLoaded())
            mUi->actionPreview->setChecked(false);
    });
    mPreview->showBeside(window());
    selectionSettled();
    GUARD_END_VOID
}

void MergeFileListWndCtr::selectionSettled()
{
    if (!mPreview || mIsClosing)
        return;
    const auto ids = selectedIds();
    if (ids.empty()) {
        mPreview->showNothing();
        return;
    }
    const COMP_ITEM *it = mModel->item(ids.front());
    if (!it) {
        mPreview->showNothing();
        return;
    }
    mPreview->setCompareMode(mCompareInfo ? mCompareInfo->folder_compare_Mode : 3);
    // Each side is read from its top folder held since the compare, as the compare judged it.
    PreviewFiles files;
    for (int side : {1, 2}) {
        if ((side == 1 ? it->kind1 : it->kind2) != Side_File)
            continue;
        files.tree[side - 1] = tree(side);
        files.route[side - 1] = mModel->route(it->ID, side);
    }
    mPreview->showItem(*it, it->kind1 == Side_File ? fullPath(it->ID, 1) : QString(),
                       it->kind2 == Side_File ? fullPath(it->ID, 2) : QString(), files);
}

void MergeFileListWndCtr::previewRowsChanged(const QModelIndex &topLeft,
                                             const QModelIndex &bottomRight)
{
    if (!mPreview || mIsClosing)
        return;
    const int id = mPreview->shownId();
    const COMP_ITEM *it = mModel->item(id);
    const QModelIndex row = mModel->indexForId(id);
    if (!it || !row.isValid() || row.parent() != topLeft.parent() || row.row() < topLeft.row() ||
        row.row() > bottomRight.row())
        return;
    if (mPreview->showsOtherThan(*it))
        selectionSettled();
}

// Drop ---------------------------------------------------------------------------------------

std::optional<bool> MergeFileListWndCtr::get_AllowDrop(const DraggingInfo &info)
{
    GUARD_BEGIN
    if (mIsClosing || isBusy())
        return false;
    return !GetDraggingPathArray(info, false, true).isEmpty();
    GUARD_END(false)
}

std::optional<bool> MergeFileListWndCtr::performDragOperation_Finish(const DraggingInfo &info)
{
    GUARD_BEGIN
    if (mIsClosing || isBusy())
        return false;
    const QStringList folders = GetDraggingPathArray(info, false, true);
    if (folders.isEmpty())
        return false;
    auto request = mCompareInfo ? std::make_shared<FileListCompareInfo>(*mCompareInfo)
                                : FileListCompareInfo_FromSettings(folders[0], folders[0]);
    const bool onRightHalf = isWindowLoaded() && info.position.x() > window()->width() / 2.0;
    if (folders.size() >= 2) {
        request->mFolder1 = withSlash(folders[0]);
        request->mFolder2 = withSlash(folders[1]);
    } else if (onRightHalf) {
        request->mFolder2 = withSlash(folders[0]);
    } else {
        request->mFolder1 = withSlash(folders[0]);
    }
    SetCompareInfoWith(request);
    return StartCompare();
    GUARD_END(false)
}

// Closing ------------------------------------------------------------------------------------

void MergeFileListWndCtr::windowWillCloseEvent()
{
    GUARD_BEGIN
    if (mClosed)
        return;
    mClosed = true;
    mIsClosing = true;
    mUi->fileTableView->mIsClosing = true;
    mUi->fileTableView->mainController = nullptr;
    platform::cancelPerform(this, QString());
    // Workers asking the user give up waiting once cancelled, so nothing here waits on them
    // for long.
    FolderCompareState_CancelFor(this);
    if (mWorkCancel)
        mWorkCancel->store(true);
    if (mJob)
        mJob->cancel();
    mJob.reset();
    FolderCompareState_EndCompare(this);
    if (mPreview)
        mPreview->close();
    if (DropWindow *drop = DropWindow::of(window()))
        drop->setDropDelegate(nullptr);
    saveColumns();
    Save_Window_Frame(window(), this);
    mUpdateObserver.reset();
    if (mShouldCloseDocument)
        deleteLater();
    GUARD_END_VOID
}
