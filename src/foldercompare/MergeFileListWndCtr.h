#pragma once
// The folder compare window: two folder trees compared on workers and shown, as the results
// arrive, in a list or a tree coloured by verdict; pairs open in the text compare window; files
// are copied, deleted and turned into a patch.

#include "compare/FileListCompareInfo.h"
#include "compare/FolderCompareJob.h"
#include "compare/FolderCopy.h"
#include "compare/PatchDiffRunner.h"
#include "controls/DropWindowDelegate.h"
#include "foldercompare/MergeEditPreview.h"
#include "platform/NotificationCenter.h"
#include "platform/TableColumn.h"
#include "platform/WindowController.h"

#include <QFuture>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

namespace Ui {
class MergeFileListWndCtr;
}
class CustomTableShortKey;
class FolderCompareModel;

class QMainWindow;
class QTreeView;

class QAction;

class MergeFileListWndCtr : public platform::WindowController, public DropWindowDelegate
{
    Q_OBJECT
public:
    explicit MergeFileListWndCtr(
        const QString &windowNibName = QStringLiteral("MergeFileListWndCtr"),
        QObject *parent = nullptr);
    ~MergeFileListWndCtr() override;

    // Taken when both folders are non-empty, else ignored.
    void SetCompareInfoWith(std::shared_ptr<FileListCompareInfo> info);
    std::shared_ptr<const FileListCompareInfo> compareInfo() const { return mCompareInfo; }
    // Writes a patch of the different files as soon as the compare has ended.
    void setBRequestExport_Generate_patch_later(bool on) { mGeneratePatchLater = on; }
    bool bRequestExport_Generate_patch_later() const { return mGeneratePatchLater; }
    // The diff options of the patches this window writes; the patch command takes them from the
    // options below its save panel.
    void setPatchOptions(const PatchDiffOptions &options) { mPatchOptions = options; }
    const PatchDiffOptions &patchOptions() const { return mPatchOptions; }
    // Frees the controller when its window closes.
    void setShouldCloseDocument(bool on) { mShouldCloseDocument = on; }
    // Shows the window and starts the compare.
    void showWindow() override;

    // The verdict filters of the application's shared menu items: an item named like one of this
    // window's filter actions sets it, or is given its check mark.
    Q_INVOKABLE void toggleVerdictFilter(QAction *item);
    Q_INVOKABLE void validateMenuItem(QAction *item);

    // Compares again (Refresh). False when another compare runs (the busy alert was shown).
    bool StartCompare();
    void StopCompare();
    bool isCompareRunning() const { return bool(mJob); }
    bool isCopyRunning() const { return mCopyRunning; }
    bool isBusy() const { return isCompareRunning() || isCopyRunning(); }

    FolderCompareModel *model() const { return mModel; }
    QTreeView *fileTableView() const;
    QMainWindow *mainWindow() const;
    // The full paths of an entry on each side: as text that keeps every byte of the names
    // (platform/LocalPath), and as the bytes themselves.
    QString fullPath(int id, int side) const;
    QByteArray fullPathBytes(int id, int side) const;
    // The top folder of side 1 or 2 as the last compare opened it when it started: every action
    // below it (copy, delete, trash, patch, preview, judging again) starts from that folder and
    // walks down by the names the compare listed (compare/ComparedTree). Null before a compare
    // or when it could not be opened.
    ComparedTreePtr tree(int side) const { return side == 1 ? mTree1 : mTree2; }
    std::vector<int> selectedIds() const;

    // Opens the pair of the entry in its compare window, or raises the one already open.
    bool OpenItem(int id);
    // Copies the selected entries to the other side (toSide 2: left to right), after a
    // confirmation; runs on a worker.
    void CopySelection(int toSide);
    // Deletes the selected entries on side 1, 2 or both (3), after a confirmation: to the Trash
    // when the preferences say so, unless permanently is asked for.
    void DeleteSelection(int sides, bool permanently = false);
    // Asks for a file and writes the patch of the different pairs.
    void Menu_GeneratePatch();
    // Writes the patch to path on a worker (no panel); done(ok) is called on the main thread.
    void GeneratePatchTo(const QString &path, std::function<void(bool)> done = {});
    // Quick preview of the selection beside the window.
    void TogglePreview();
    MergeEditPreview *preview() const { return mPreview; }
    // What the colours of the rows mean (rich text), on the list's backgrounds as they are now:
    // the tool tip of the counts, and the View > Legend window.
    QString legendText() const;
    void ShowLegend();
    QWidget *legendWindow() const { return mLegend; }
    // Judges the entries of these left paths again.
    void UpdateCompareResultForPaths(const QStringList &leftPaths);

    // Drop delegate of the window: folders only, and not while closing or busy.
    bool get_mIsClosing() override { return mIsClosing; }
    std::optional<bool> get_AllowDrop(const DraggingInfo &info) override;
    // Two folders become left and right; one replaces the side it fell on; then compares again.
    std::optional<bool> performDragOperation_Finish(const DraggingInfo &info) override;

    // The shell registers how an image pair opens; without it image pairs open nothing.
    static void setImagePairOpener(std::function<bool(const QString &, const QString &)> opener);
    // Go Back: a start window holding this window's two folders. The application installs how
    // one opens; without it Go Back does nothing.
    Q_INVOKABLE void Navigate_Back();
    static void
    setNavigateBackHandler(std::function<void(const QString &, const QString &)> handler);
    // Compare Selected Folders: the start window of the selected pair of folders, through the
    // application's opener; bRunNow presses its Compare, which opens a new folder window.
    // Nothing without a folder pair selected or without the opener.
    Q_INVOKABLE void Merge_Compare_two_subdirectories(bool bRunNow);
    static void
    setFolderPairOpener(std::function<void(const QString &, const QString &, bool runNow)> opener);

signals:
    void compareFinished(bool cancelled);
    void copyFinished();
    void deleteFinished();
    void patchFinished(bool ok);

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;
    void windowWillCloseEvent() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct CopyTask
    {
        int id;
        TreeEntry source, target; // the same names on both sides
        bool folder;
    };
    // The entry on side 1 or 2, reached from that side's top folder held open.
    TreeEntry entryOn(int id, int side) const;
    void connectControls();
    void setToolbarIcons();
    // With no frame stored: a size that shows every column, inside the window's screen.
    void fitFirstSize();
    void applyViewMode();
    void saveColumns();
    void loadColumns();
    void updateFilterFromMenus();
    void updateCounts();
    QString hiddenText() const;
    void updateButtons();
    void setProgressVisible(bool on);
    void onBatch(quint64 generation, FolderCompareBatch &&batch);
    void compareEnded(bool cancelled, const QString &rootError);
    void judgeAgain(const std::vector<int> &ids);
    void openActivated(const QModelIndex &index);
    void selectionSettled();
    // A row of the list changed: the preview shows it again when it shows that entry and what
    // it shows of it changed (a copy made the sides the same, a file was saved).
    void previewRowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    void updateModeLabel();
    // The entry selected first when it is a folder on both sides with both paths known; -1
    // otherwise.
    int selectedFolderPair() const;
    // The question before a copy or delete; true only for the go-ahead.
    bool confirm(const QString &title, const QString &text, const QString &go, bool cannotBeUndone);
    void askAndCopy(std::vector<CopyTask> tasks, int toSide, int replaced);
    void runCopy(std::vector<CopyTask> tasks);
    void runDelete(std::vector<int> ids, int sides, bool trash);

    std::unique_ptr<Ui::MergeFileListWndCtr> mUi;
    FolderCompareModel *mModel = nullptr;
    std::shared_ptr<FileListCompareInfo> mCompareInfo;
    std::unique_ptr<FolderCompareJob> mJob;
    ComparedTreePtr mTree1, mTree2;
    std::shared_ptr<std::atomic<bool>> mCompareCancel;
    quint64 mGeneration = 0;
    bool mLastCompareCancelled = false;
    bool mLastCompareComplete = false;
    bool mGeneratePatchLater = false;
    PatchDiffOptions mPatchOptions;
    bool mShouldCloseDocument = false;
    bool mFirstSizePending = false;
    bool mClosed = false;
    bool mCopyRunning = false;
    std::shared_ptr<std::atomic<bool>> mWorkCancel;
    QFuture<void> mWork;
    QPointer<MergeEditPreview> mPreview;
    QPointer<QWidget> mLegend;
    QList<platform::TableColumnPtr> mColumns;
    QStringList mPendingUpdatePaths;
    platform::ObserverToken mUpdateObserver;
};
