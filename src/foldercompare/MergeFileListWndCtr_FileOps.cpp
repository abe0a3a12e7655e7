// The folder window's file operations: copy, delete and the patch of the different pairs. Each
// runs on a worker; the window shows its progress and Stop, and judges touched entries again.
#include "foldercompare/MergeFileListWndCtr.h"

#include "compare/Export_GenegatePatch_SettingView.h"
#include "compare/FolderCompareState.h"
#include "compare/FolderCopy.h"
#include "compare/PatchDiffRunner.h"
#include "compare/SubThreadAlerts.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeEditPreview.h"
#include "controls/ProcessModalDlg.h"
#include "platform/Dispatch.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/Guard.h"
#include "platform/Panels.h"
#include "platform/Workspace.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/FileUtility.h"
#include "services/Localization.h"
#include "services/WorkerFailure.h"

#include "ui_MergeFileListWndCtr.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace {

// The selected entries without those whose folder is selected too.
std::vector<int> topmostOnly(const FolderCompareModel &model, const std::vector<int> &ids)
{
    const std::set<int> chosen(ids.begin(), ids.end());
    std::vector<int> out;
    for (int id : ids) {
        bool inside = false;
        for (const COMP_ITEM *p = model.item(model.item(id)->parent); p && !inside;
             p = model.item(p->parent))
            inside = chosen.count(p->ID) > 0;
        if (!inside)
            out.push_back(id);
    }
    return out;
}

bool present(const COMP_ITEM &item, int side)
{
    return (side == 1 ? item.kind1 : item.kind2) != Side_None;
}

// The first few entries a delete takes, one a line with the sides it takes them from, and how
// many more there are; starts with an empty line.
QString namesOfWhatGoes(const FolderCompareModel &model, const std::vector<int> &ids, int sides)
{
    constexpr size_t kNamed = 5;
    QString text = QStringLiteral("\n");
    for (size_t k = 0; k < ids.size() && k < kNamed; ++k) {
        const COMP_ITEM *it = model.item(ids[k]);
        const bool left = (sides & 1) && present(*it, 1), right = (sides & 2) && present(*it, 2);
        const QString where = left && right ? L_(QStringLiteral("left and right"))
                              : left        ? L_(QStringLiteral("left"))
                                            : L_(QStringLiteral("right"));
        text += QStringLiteral("\n") + CompItem_DisplayName(model.relativePath(ids[k])) +
                QStringLiteral(" (") + where + QLatin1Char(')');
    }
    if (ids.size() > kNamed)
        text += QStringLiteral("\n") + L_Count(qint64(ids.size() - kNamed),
                                               QStringLiteral("and 1 more"),
                                               QStringLiteral("and %1 more"));
    return text;
}

// The message naming the entries a patch left out, one a line, their line breaks shown as \n
// and \r: first the names with line breaks, then the links and the files changed since the
// compare, each with its reason.
QString namesNotInPatch(const std::vector<PatchLeftOut> &leftOut)
{
    const auto shown = [](const QString &name) {
        return LocalPath_Shown(name)
            .replace(QLatin1Char('\n'), QStringLiteral("\\n"))
            .replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    };
    QString breaks, changed;
    for (const PatchLeftOut &entry : leftOut) {
        if (entry.reason == PatchLeftOut::LineBreak) {
            breaks += QStringLiteral("\n") + shown(entry.relativePath);
            continue;
        }
        changed +=
            QStringLiteral("\n") + shown(entry.relativePath) + QStringLiteral(" (") +
            (entry.reason == PatchLeftOut::Link ? L_(QStringLiteral("a link"))
                                                : L_(QStringLiteral("changed since the compare"))) +
            QLatin1Char(')');
    }
    QStringList parts;
    if (!breaks.isEmpty())
        parts << L_(QStringLiteral("not in the patch: names with line breaks")) + breaks;
    if (!changed.isEmpty())
        parts << L_(QStringLiteral(
                     "not in the patch: links, and files changed since the compare")) +
                     changed;
    return parts.join(u'\n');
}

} // namespace

bool MergeFileListWndCtr::confirm(const QString &title, const QString &text, const QString &go,
                                  bool cannotBeUndone)
{
    // Only the explicit go-ahead; where it cannot be taken back, Return is Cancel too.
    if (cannotBeUndone)
        return AskBeforeUndoable(title, text, go);
    return ShowMessage2(title, text, go, L_(QStringLiteral("Cancel"))) == 1000;
}

void MergeFileListWndCtr::CopySelection(int toSide)
{
    GUARD_BEGIN
    if (mIsClosing || isBusy() || !mCompareInfo)
        return;
    const int fromSide = toSide == 2 ? 1 : 2;
    std::vector<CopyTask> tasks;
    for (int id : topmostOnly(*mModel, selectedIds())) {
        const COMP_ITEM *it = mModel->item(id);
        if (!it || !present(*it, fromSide))
            continue;
        const bool folder = (fromSide == 1 ? it->kind1 : it->kind2) == Side_Folder;
        // Both sides are walked from their top folders as the compare opened them, following no
        // link below them and only through the folders it listed.
        tasks.push_back({id, entryOn(id, fromSide), entryOn(id, toSide), folder});
    }
    if (tasks.empty())
        return;
    // What the copy would replace is counted on disk, where a folder may hold many files and
    // may have changed since the compare: on a worker, before the question.
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    mWorkCancel = cancel;
    mCopyRunning = true;
    updateButtons();
    QPointer<MergeFileListWndCtr> self(this);
    mWork = QtConcurrent::run([self, cancel, tasks, toSide] {
        int replaced = 0;
        const QString failure = RunWorkerStep("count replaced", [&] {
            for (const CopyTask &task : tasks)
                replaced += CountReplacedOnDisk(task.source, task.target, cancel.get());
        });
        platform::performOnMainThread(
            [self, cancel, tasks, toSide, replaced, failure] {
                if (!self)
                    return;
                self->mCopyRunning = false;
                self->mWorkCancel.reset();
                if (self->mIsClosing || cancel->load())
                    return;
                self->updateButtons();
                if (!failure.isEmpty()) {
                    ShowMessage(L_(QStringLiteral("Error")),
                                L_(QStringLiteral("Nothing was copied.")) + u'\n' + failure);
                    return;
                }
                self->askAndCopy(tasks, toSide, replaced);
            },
            false);
    });
    GUARD_END_VOID
}

void MergeFileListWndCtr::askAndCopy(std::vector<CopyTask> tasks, int toSide, int replaced)
{
    GUARD_BEGIN
    const qint64 n = qint64(tasks.size());
    QString text = toSide == 2 ? L_Count(n, QStringLiteral("Copy 1 item to the right folder?"),
                                         QStringLiteral("Copy %1 items to the right folder?"))
                               : L_Count(n, QStringLiteral("Copy 1 item to the left folder?"),
                                         QStringLiteral("Copy %1 items to the left folder?"));
    if (replaced > 0)
        text += QStringLiteral("\n") + L_Count(replaced,
                                               QStringLiteral("1 file there will be replaced."),
                                               QStringLiteral("%1 files there will be replaced."));
    if (!confirm(L_(QStringLiteral("Copy")), text, L_(QStringLiteral("Copy")), replaced > 0))
        return;
    runCopy(std::move(tasks));
    GUARD_END_VOID
}

void MergeFileListWndCtr::runCopy(std::vector<CopyTask> tasks)
{
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    if (!FolderCompareState_BeginCopy(this, cancel)) {
        ShowMessage(L_(QStringLiteral("Warning")), L_(QStringLiteral("Another copy is running.")));
        return;
    }
    mWorkCancel = cancel;
    mCopyRunning = true;
    setProgressVisible(true);
    mUi->mProgressBar->setRange(0, int(tasks.size()));
    mUi->mProgressBar->setValue(0);
    updateButtons();
    QPointer<MergeFileListWndCtr> self(this);
    // A copy stopped by an exception ends as any copy does, and the window compares again: what
    // it did before it stopped is not known.
    const auto stopped = [self](const QString &why) {
        platform::performOnMainThread(
            [self, why] {
                if (!self)
                    return;
                FolderCompareState_EndCopy(self);
                self->mCopyRunning = false;
                self->mWorkCancel.reset();
                if (self->mIsClosing)
                    return;
                self->setProgressVisible(false);
                self->updateButtons();
                ShowMessage(L_(QStringLiteral("Error")),
                            L_(QStringLiteral("The copy stopped.")) + u'\n' + why);
                self->StartCompare();
                emit self->copyFinished();
            },
            false);
    };
    const auto copy = [self, cancel, tasks] {
        bool anyFolder = false;
        std::vector<int> touched;
        int done = 0;
        for (const CopyTask &task : tasks) {
            if (cancel->load())
                break;
            anyFolder = anyFolder || task.folder;
            // A one-sided folder's content goes into folders the copy makes on its way.
            const CopyOutcome outcome =
                CopyEntry(task.source, task.target, cancel.get(),
                          [&](const QByteArray &path, const QString &reason) {
                              // Only Skip goes on: Stop, or no answer, ends the copy.
                              return NSRunAlertPanel_from_sub_thread(
                                         L_(QStringLiteral("The copy failed")),
                                         CompItem_DisplayName(path) + QStringLiteral("\n") + reason,
                                         L_(QStringLiteral("Skip")), L_(QStringLiteral("Stop")), {},
                                         cancel.get()) == kAlertPanelDefault;
                          });
            touched.push_back(task.id);
            ++done;
            platform::performOnMainThread(
                [self, done] {
                    if (self && !self->mIsClosing)
                        self->mUi->mProgressBar->setValue(done);
                },
                false);
            if (outcome == CopyOutcome::Cancelled)
                break;
        }
        platform::performOnMainThread(
            [self, anyFolder, touched] {
                if (!self)
                    return;
                FolderCompareState_EndCopy(self);
                self->mCopyRunning = false;
                self->mWorkCancel.reset();
                if (self->mIsClosing)
                    return;
                self->setProgressVisible(false);
                self->updateButtons();
                if (anyFolder)
                    self->StartCompare();
                else
                    self->judgeAgain(touched);
                emit self->copyFinished();
            },
            false);
    };
    mWork = QtConcurrent::run(WorkerGuarded("copy", copy, stopped));
}

void MergeFileListWndCtr::DeleteSelection(int sides, bool permanently)
{
    GUARD_BEGIN
    if (mIsClosing || isBusy() || !mCompareInfo)
        return;
    std::vector<int> ids;
    int count = 0;
    for (int id : topmostOnly(*mModel, selectedIds())) {
        const COMP_ITEM *it = mModel->item(id);
        if (!it)
            continue;
        const int n = ((sides & 1) && present(*it, 1)) + ((sides & 2) && present(*it, 2));
        if (n == 0)
            continue;
        ids.push_back(id);
        count += n;
    }
    if (ids.empty())
        return;
    const bool trash = !permanently && gAppSetting.compare_deletesFilesToTrash != 0;
    const QString what = namesOfWhatGoes(*mModel, ids, sides);
    const bool ok = trash ? confirm(L_(QStringLiteral("Delete")),
                                    L_Count(count, QStringLiteral("Move 1 item to the Trash?"),
                                            QStringLiteral("Move %1 items to the Trash?")) +
                                        what,
                                    L_(QStringLiteral("Move to Trash")), false)
                          : confirm(L_(QStringLiteral("Delete")),
                                    L_Count(count, QStringLiteral("Delete 1 item permanently?"),
                                            QStringLiteral("Delete %1 items permanently?")) +
                                        what + QStringLiteral("\n\n") +
                                        L_Count(count, QStringLiteral("It cannot be restored."),
                                                QStringLiteral("They cannot be restored.")),
                                    L_(QStringLiteral("Delete")), true);
    if (ok)
        runDelete(std::move(ids), sides, trash);
    GUARD_END_VOID
}

void MergeFileListWndCtr::runDelete(std::vector<int> ids, int sides, bool trash)
{
    struct Target
    {
        int id;
        TreeEntry entry; // from its top folder held since the compare
        QString path;    // for the eye
        bool folder;
    };
    std::vector<Target> targets;
    for (int id : ids) {
        const COMP_ITEM *it = mModel->item(id);
        for (int side : {1, 2}) {
            if (!(sides & side) || !present(*it, side))
                continue;
            targets.push_back({id, entryOn(id, side), fullPath(id, side),
                               (side == 1 ? it->kind1 : it->kind2) == Side_Folder});
        }
    }
    // The entry goes from the folder the compare listed it in, never through a name on the way
    // swapped for a link since; a folder goes only while it is the folder listed.
    const auto removeEntry = [](const TreeEntry &entry) {
        return entry.tree && entry.tree->remove(entry.route);
    };
    const auto trashEntry = [](const TreeEntry &entry) {
        return entry.tree && entry.tree->moveToTrash(entry.route);
    };
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    if (!FolderCompareState_BeginCopy(this, cancel)) {
        ShowMessage(L_(QStringLiteral("Warning")), L_(QStringLiteral("Another copy is running.")));
        return;
    }
    mWorkCancel = cancel;
    mCopyRunning = true;
    updateButtons();
    bool anyFolder = false;
    std::vector<int> touched;
    QString failure;
    // runJob returns only once the job has ended (a run that ends early stops it and waits), so
    // the job may use what lives here. No modal run: the job never starts.
    const bool userCancelled = ProcessModalDlg::runJob(
        L_(QStringLiteral("Delete Files{++}...")), double(targets.size()),
        [&](ProcessModalChannel &channel) {
            WorkerFaultPoint("delete");
            channel.sub_thread_waitTillDialogShow();
            // Skip, [Delete Permanently,] Stop: the panel's default, alternate and other
            // buttons.
            auto ask = [&](const QString &title, const QString &path, bool offerPermanent) {
                return offerPermanent ? NSRunAlertPanel_from_sub_thread(
                                            title, path, L_(QStringLiteral("Skip")),
                                            L_(QStringLiteral("Delete Permanently")),
                                            L_(QStringLiteral("Stop")), cancel.get())
                                      : NSRunAlertPanel_from_sub_thread(
                                            title, path, L_(QStringLiteral("Skip")),
                                            L_(QStringLiteral("Stop")), {}, cancel.get());
            };
            const int count = int(targets.size());
            for (int k = 0; k < count; ++k) {
                // Looked at before every item: nothing more goes after a Cancel.
                if (ProcessModalChannel::sub_thread_checkIf_userRequestCancelled() ||
                    cancel->load()) {
                    platform::Log(lcFoldercompare, QStringLiteral("user cancelled "));
                    break;
                }
                channel.sub_thread_inforThreadProgress(
                    k + 1, QStringLiteral("(%1/%2)").arg(k + 1).arg(count));
                const Target &t = targets[size_t(k)];
                bool stop = false;
                const QString shown = LocalPath_Shown(t.path);
                if (trash) {
                    if (!trashEntry(t.entry)) {
                        // A failing trash never turns into a permanent delete on its own.
                        const long answer =
                            ask(L_(QStringLiteral("The item cannot be moved to the Trash")), shown,
                                true);
                        if (answer == kAlertPanelAlternate) {
                            if (!removeEntry(t.entry))
                                stop = ask(L_(QStringLiteral("The item cannot be deleted")), shown,
                                           false) != kAlertPanelDefault;
                        } else {
                            stop = answer != kAlertPanelDefault;
                        }
                    }
                } else if (!removeEntry(t.entry)) {
                    stop = ask(L_(QStringLiteral("The item cannot be deleted")), shown, false) !=
                           kAlertPanelDefault;
                }
                anyFolder = anyFolder || t.folder;
                touched.push_back(t.id);
                if (stop)
                    break;
            }
        },
        &failure);
    if (userCancelled)
        platform::Log(lcFoldercompare, QStringLiteral("**** USER CANCEL ****"));
    FolderCompareState_EndCopy(this);
    mCopyRunning = false;
    mWorkCancel.reset();
    if (mIsClosing)
        return;
    updateButtons();
    if (!failure.isEmpty())
        ShowMessage(L_(QStringLiteral("Error")),
                    L_(QStringLiteral("The delete stopped.")) + u'\n' + failure);
    // After a delete that stopped, what is gone is not known: everything is compared again.
    if (anyFolder || !failure.isEmpty())
        StartCompare();
    else
        judgeAgain(touched);
    emit deleteFinished();
}

void MergeFileListWndCtr::Menu_GeneratePatch()
{
    GUARD_BEGIN
    if (mIsClosing || isBusy())
        return;
    if (!mLastCompareComplete) {
        ShowMessage(L_(QStringLiteral("Error")),
                    L_(QStringLiteral("The compare did not run to its end.")));
        return;
    }
    platform::SavePanelRequest request;
    request.title = L_(QStringLiteral("Generate Patch"));
    request.directory = QDir::homePath();
    request.nameField =
        QStringLiteral("Patch_%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")));
    request.fileTypes = {QStringLiteral("txt")};
    // The patch options below the panel, as last chosen here or in the start window; a folder
    // patch is always one file.
    const auto options = std::make_unique<Export_GenegatePatch_SettingView>();
    options->setOneFileOptionHidden(true);
    request.accessory = options.get();
    const QString path = platform::runSavePanel(request);
    options->storeOptions();
    if (path.isEmpty())
        return;
    mPatchOptions = options->options();
    GeneratePatchTo(path, [path](bool ok) {
        if (ok)
            platform::revealInFileManager(path);
    });
    GUARD_END_VOID
}

void MergeFileListWndCtr::GeneratePatchTo(const QString &path, std::function<void(bool)> done)
{
    GUARD_BEGIN
    if (!mCompareInfo || isBusy())
        return;
    std::vector<PatchPair> pairs;
    for (const COMP_ITEM &it : mModel->items()) {
        if (it.compareResult != COMP_RESULT_DIFFERENT || it.kind1 != Side_File ||
            it.kind2 != Side_File)
            continue;
        // Each side is read as the compare judged it, walked from its top folder held since.
        pairs.push_back(PatchPair_FromEntry(it, mTree1, mModel->route(it.ID, 1), mTree2,
                                            mModel->route(it.ID, 2)));
    }
    std::sort(pairs.begin(), pairs.end(), [](const PatchPair &a, const PatchPair &b) {
        return a.relativePath < b.relativePath;
    });
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    mWorkCancel = cancel;
    mCopyRunning = true;
    setProgressVisible(true);
    mUi->mProgressBar->setRange(0, 0);
    updateButtons();
    QPointer<MergeFileListWndCtr> self(this);
    mWork = QtConcurrent::run([self, cancel, pairs, path, done, options = mPatchOptions] {
        QString error;
        std::vector<PatchLeftOut> notInPatch;
        bool ok = false;
        const QString failure = RunWorkerStep("patch", [&] {
            ok = WriteFolderPatch(pairs, options, path, cancel.get(), &error, &notInPatch);
        });
        if (!failure.isEmpty())
            error = L_(QStringLiteral("The patch could not be written.")) + u'\n' + failure;
        platform::performOnMainThread(
            [self, ok, error, notInPatch, done] {
                if (!self)
                    return;
                self->mCopyRunning = false;
                self->mWorkCancel.reset();
                if (self->mIsClosing)
                    return;
                self->setProgressVisible(false);
                self->updateButtons();
                if (!ok)
                    ShowMessage(L_(QStringLiteral("Error")), error);
                else if (!notInPatch.empty())
                    ShowMessage(L_(QStringLiteral("Warning")), namesNotInPatch(notInPatch));
                if (done)
                    done(ok);
                emit self->patchFinished(ok);
            },
            false);
    });
    GUARD_END_VOID
}
