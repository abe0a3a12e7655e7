#include "shell/MergeImageWindCtr.h"
#include "ui_MergeImageWindCtr.h"

#include "compare/FileKind.h"
#include "controls/ProcessModalDlg.h"
#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "services/Alerts.h"
#include "services/CompareWindowTitle.h"
#include "services/FileUtility.h"
#include "services/Localization.h"
#include "services/ShownPath.h"
#include "services/WindowFrame.h"
#include "services/WorkerFailure.h"

#include <QCloseEvent>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The size shown in the title: that of the file held open, 0 for anything but a regular file.
qint64 heldSize(const std::shared_ptr<const HeldFile> &held)
{
    return held && held->isRegularFile() ? held->size() : 0;
}

// The percentage of the progress dialog.
constexpr double kProgressTotal = 100;

} // namespace

MergeImageWindCtr::MergeImageWindCtr(const QString &windowNibName, QObject *parent)
    : MergeWindow(windowNibName, parent), mUi(std::make_unique<Ui::MergeImageWindCtr>())
{
    OpenCompareWindowList_Add(this);
}

MergeImageWindCtr::~MergeImageWindCtr()
{
    mIsClosing = true;
    OpenCompareWindowList_Remove(this);
}

QWidget *MergeImageWindCtr::makeWindow()
{
    return setupWindow<QMainWindow>(*mUi);
}

void MergeImageWindCtr::windowDidLoad()
{
    GUARD_BEGIN
    platform::Log(lcShell, QStringLiteral("MergeImageWindCtr awakeFromNib"));
    QWidget *w = window();
    Localize_LoadWindowPos_SetBackground(w, this, platform::Color(), true);
    mUi->mSplitView->setStretchFactor(0, 1);
    mUi->mSplitView->setStretchFactor(1, 1);
    connect(mUi->mButton_Choose_Left, &QPushButton::clicked, this, [this] { Merge_ChooseLeft(); });
    connect(mUi->mButton_Choose_Right, &QPushButton::clicked, this,
            [this] { Merge_ChooseRight(); });
    connect(mUi->mButton_Restore, &QPushButton::clicked, this, [this] { Merge_Restore(); });
    connect(mUi->mButton_Save, &QPushButton::clicked, this, [this] { Merge_Save(); });
    // Escape and the close key stand in for the hidden quit button.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
        connect(new QShortcut(key, w), &QShortcut::activated, this, [this] { closeTab(); });
    UpdateTitle();
    showVerdict();
    GUARD_END_VOID
}

void MergeImageWindCtr::showWindow()
{
    GUARD_BEGIN
    if (mFileCurrent1.isNull())
        mFileCurrent1 = mFile1;
    if (mFileCurrent2.isNull())
        mFileCurrent2 = mFile2;
    window();
    MergeWindow::showWindow();
    ReadFromFiles();
    GUARD_END_VOID
}

bool MergeImageWindCtr::WasEdit() const
{
    return allPathsSet() && !untouched();
}

QStringList MergeImageWindCtr::EditedFiles() const
{
    QStringList files;
    if (!WasEdit())
        return files;
    if (mFileCurrent1 != mFile1)
        files << mFile1;
    if (mFileCurrent2 != mFile2)
        files << mFile2;
    return files;
}

bool MergeImageWindCtr::allPathsSet() const
{
    return !mFile1.isEmpty() && !mFile2.isEmpty() && !mFileCurrent1.isEmpty() &&
           !mFileCurrent2.isEmpty();
}

void MergeImageWindCtr::ReadFromFiles()
{
    GUARD_BEGIN
    if (!showResult())
        return;
    UpdateButtonStatus();
    GUARD_END_VOID
}

bool MergeImageWindCtr::showResult()
{
    GUARD_BEGIN
    if (mFile1.isEmpty() || mFile2.isEmpty() || !isWindowLoaded())
        return false;
    if (mIsEqual < 0)
        judge();
    if (mFileCurrent1.isEmpty())
        mFileCurrent1 = mFile1;
    if (mFileCurrent2.isEmpty())
        mFileCurrent2 = mFile2;
    mUi->mFilePathLabel1->setPath(mFile1);
    mUi->mFilePathLabel2->setPath(mFile2);
    // Each view shows the file held for what it shows, the one the verdict reads; a side whose
    // file was gone when it was looked up keeps what it showed.
    for (auto [view, path] :
         {std::pair{mUi->mView1, mFileCurrent1}, std::pair{mUi->mView2, mFileCurrent2}}) {
        std::shared_ptr<const HeldFile> held = heldFor(path);
        if (held && held->exists())
            view->setFile(std::move(held));
    }
    UpdateTitle();
    return true;
    GUARD_END(false)
}

void MergeImageWindCtr::judge()
{
    // Large files take a while to read: the verdict comes from a worker, and only the latest
    // request may set it.
    const quint64 generation = ++mJudgeGeneration;
    // A save later writes only over the files as they were when read for this verdict.
    recordDiskStates();
    auto *watcher = new QFutureWatcher<int>(this);
    connect(watcher, &QFutureWatcher<int>::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != mJudgeGeneration || mIsClosing)
            return;
        QString why;
        const std::optional<int> same =
            TakeFinishedResult("image compare", watcher->future(), &why);
        mIsEqual = !same ? -1 : *same == 1 ? 1 : 0;
        showVerdict();
        if (!same) // the verdict stays unknown, and the line says why
            mUi->mResultLabel->setText(L_(QStringLiteral("The files could not be compared.")) +
                                       u' ' + why);
        UpdateButtonStatus();
        emit verdictChanged();
    });
    // The worker holds both files open for as long as it reads them.
    const std::shared_ptr<const HeldFile> a = mHeld1, b = mHeld2;
    watcher->setFuture(QtConcurrent::run([a, b] {
        WorkerFaultPoint("image compare");
        return IsSameOpenFile(a->fd(), b->fd());
    }));
    showVerdict();
}

void MergeImageWindCtr::showVerdict()
{
    if (!isWindowLoaded())
        return;
    QString text;
    if (mIsEqual == 1)
        text = L_(QStringLiteral("The two files are identical"));
    else if (mIsEqual == 0)
        text = L_(QStringLiteral("The two files are different"));
    else if (!mFile1.isEmpty() && !mFile2.isEmpty())
        text = L_(QStringLiteral("Comparing..."));
    mUi->mResultLabel->setText(text);
}

void MergeImageWindCtr::recordDiskStates()
{
    mHeld1 = HeldFile::open(mFile1);
    mHeld2 = HeldFile::open(mFile2);
    mOld1 = mFile1.isEmpty() ? FileIdentity() : mHeld1->identity();
    mOld2 = mFile2.isEmpty() ? FileIdentity() : mHeld2->identity();
}

std::shared_ptr<const HeldFile> MergeImageWindCtr::heldFor(const QString &path) const
{
    if (mHeld1 && path == mFile1)
        return mHeld1;
    if (mHeld2 && path == mFile2)
        return mHeld2;
    return nullptr;
}

bool MergeImageWindCtr::sideChangedOnDisk(const QString &path, const FileIdentity &read) const
{
    if (!read.known || path.isEmpty())
        return false;
    // Another file, a link swapped in or re-pointed, new content or status: all differ.
    return IdentityNow(path, read) != read;
}

void MergeImageWindCtr::windowWillBeKey()
{
    GUARD_BEGIN
    if (mIsClosing || mAskingReload || mSaving)
        return;
    const bool changed1 = sideChangedOnDisk(mFile1, mOld1);
    const bool changed2 = sideChangedOnDisk(mFile2, mOld2);
    if (!changed1 && !changed2)
        return;
    askToReload();
    GUARD_END_VOID
}

bool MergeImageWindCtr::askToReload()
{
    // The alert itself makes the window key again: stop watching while it is up.
    const FileIdentity kept1 = mOld1, kept2 = mOld2;
    mOld1 = mOld2 = FileIdentity();
    mAskingReload = true;
    platform::AlertRequest request;
    request.title = L_(
        QStringLiteral("This document was changed in another application.{++}Reload content{++}?"));
    request.text = L_(QStringLiteral("You\u2019ll lose your changes if you reload the document."));
    request.buttons = {L_(QStringLiteral("Reload")), L_(QStringLiteral("Cancel"))};
    // Reloading throws the choice away: Return, like Escape, keeps it.
    request.cancelIndex = 1;
    request.defaultIndex = 1;
    const int answer = platform::runAlert(request);
    mAskingReload = false;
    if (mIsClosing)
        return false;
    if (answer != platform::AlertFirstButtonReturn) {
        mOld1 = kept1;
        mOld2 = kept2;
        return false;
    }
    // What is on disk now is judged again.
    mFileCurrent1.clear();
    mFileCurrent2.clear();
    mIsEqual = -1;
    ReadFromFiles();
    return true;
}

void MergeImageWindCtr::Merge_ChooseLeft()
{
    GUARD_BEGIN
    if (!allPathsSet())
        return;
    mFileCurrent1 = mFile1;
    mFileCurrent2 = mFile1;
    ReadFromFiles();
    GUARD_END_VOID
}

void MergeImageWindCtr::Merge_ChooseRight()
{
    GUARD_BEGIN
    if (!allPathsSet() || mIsClosing)
        return;
    mFileCurrent1 = mFile2;
    mFileCurrent2 = mFile2;
    ReadFromFiles();
    GUARD_END_VOID
}

void MergeImageWindCtr::Merge_Restore()
{
    GUARD_BEGIN
    if (!allPathsSet() || mIsClosing)
        return;
    mFileCurrent1 = mFile1;
    mFileCurrent2 = mFile2;
    ReadFromFiles();
    GUARD_END_VOID
}

void MergeImageWindCtr::UpdateButtonStatus()
{
    GUARD_BEGIN
    if (!isWindowLoaded())
        return;
    QPushButton *buttons[] = {mUi->mButton_Choose_Left, mUi->mButton_Choose_Right,
                              mUi->mButton_Save, mUi->mButton_Restore};
    if (mIsEqual == 1) {
        for (QPushButton *b : buttons)
            b->setEnabled(false);
        return;
    }
    if (!allPathsSet())
        return;
    for (QPushButton *b : buttons)
        b->setEnabled(true);
    if (leftChosen())
        mUi->mButton_Choose_Left->setEnabled(false);
    if (rightChosen())
        mUi->mButton_Choose_Right->setEnabled(false);
    if (untouched()) {
        mUi->mButton_Save->setEnabled(false);
        mUi->mButton_Restore->setEnabled(false);
    }
    GUARD_END_VOID
}

void MergeImageWindCtr::UpdateTitle()
{
    GUARD_BEGIN
    if (!isWindowLoaded())
        return;
    const QString title = CompareWindowTitle(mFile1, mFile2, CompareTitleKind::Files,
                                             heldSize(mHeld1), heldSize(mHeld2));
    window()->setWindowTitle(title);
    GUARD_END_VOID
}

bool MergeImageWindCtr::SaveFile()
{
    GUARD_BEGIN
    mLastSaveError.clear();
    mSaveMetChange = false;
    if (mFileCurrent1.isEmpty() || mFileCurrent2.isEmpty() || !mHeld1 || !mHeld2)
        return false;
    for (const auto &[path, held] : {std::pair{mFile1, mHeld1}, std::pair{mFile2, mHeld2}}) {
        if (!IdentityNow(path, held->identity()).exists) {
            mLastSaveError = FillFormat(L_(QStringLiteral("The file \"%@\" no longer exists.")),
                                        {ShownPath(path)});
            return false;
        }
        // The copy would put a regular file in place of a FIFO or a device.
        if (!held->isRegularFile()) {
            mLastSaveError =
                FillFormat(L_(QStringLiteral("Cannot save the file \"%@\".")), {ShownPath(path)}) +
                QStringLiteral("\n\n") + L_(QStringLiteral("It is not a regular file."));
            return false;
        }
    }
    bool copied = false;
    if (mFileCurrent1 != mFile1) {
        if (!copyOver(heldFor(mFileCurrent1), mFile1, &mOld1))
            return false;
        copied = true;
    }
    if (mFileCurrent2 != mFile2) {
        if (!copyOver(heldFor(mFileCurrent2), mFile2, &mOld2))
            return false;
        copied = true;
    }
    if (copied) {
        mIsEqual = 1;
        ++mJudgeGeneration; // a verdict still being read is older than the copy
        showVerdict();
        UpdateButtonStatus();
    }
    return true;
    GUARD_END(false)
}

bool MergeImageWindCtr::copyOver(const std::shared_ptr<const HeldFile> &source,
                                 const QString &target, FileIdentity *targetRead)
{
    if (!source)
        return false;
    // The file chosen is copied only while its name still leads to what the window showed, and
    // the other written only as it was read for the verdict shown.
    FileWriteFailure failure = FileWriteFailure::None;
    bool done = false;
    FileIdentity written;
    QString stopped;
    if (sideChangedOnDisk(source->path(), source->identity()) ||
        sideChangedOnDisk(target, *targetRead)) {
        failure = FileWriteFailure::ChangedOnDisk;
    } else {
        // The window the dialog leaves becomes key again: the outcome is told once, below.
        const QScopedValueRollback<bool> saving(mSaving, true);
        // A copy of up to gigabytes: on a worker, with progress and Cancel, the window painting.
        const FileIdentity expected = *targetRead;
        const bool cancelled = ProcessModalDlg::runJob(
            L_(QStringLiteral("Saving{++}...")), kProgressTotal,
            [&](ProcessModalChannel &channel) {
                // runJob starts it inside the dialog's modal run: nothing to wait for.
                WorkerFaultPoint("image save");
                done = CopyHeldFileSave(
                    *source, target, expected, &failure, &written, [&channel](double fraction) {
                        channel.sub_thread_inforThreadProgress(fraction * kProgressTotal,
                                                               QString());
                        return !ProcessModalChannel::sub_thread_checkIf_userRequestCancelled();
                    });
            },
            &stopped);
        if (cancelled && !done)
            return false; // the user stopped it: the file is as it was, nothing to tell
    }
    if (done) {
        *targetRead = written;
        return true;
    }
    mSaveMetChange = failure == FileWriteFailure::ChangedOnDisk;
    if (mSaveMetChange) {
        const QString changed =
            sideChangedOnDisk(source->path(), source->identity()) || source->changedSinceOpened()
                ? source->path()
                : target;
        mLastSaveError = FillFormat(L_(QStringLiteral("The file \"%@\" was changed by another "
                                                      "application since it was read.")),
                                    {ShownPath(changed)});
    } else {
        mLastSaveError = FillFormat(L_(QStringLiteral("The file \"%@\" could not be saved.")),
                                    {ShownPath(target)});
        if (!stopped.isEmpty())
            mLastSaveError += u' ' + stopped;
        else if (failure != FileWriteFailure::Other)
            mLastSaveError += u' ' + FileWriteFailureText(failure);
    }
    return false;
}

void MergeImageWindCtr::Merge_Save()
{
    GUARD_BEGIN
    if (!SaveFile()) {
        // A file that is no longer what the window showed is never written: the window offers
        // to show what is there now.
        if (mSaveMetChange)
            askToReload();
        else if (!mLastSaveError.isEmpty())
            ShowMessage(L_(QStringLiteral("Warning")), mLastSaveError);
        return;
    }
    closeWithoutAsking();
    GUARD_END_VOID
}

void MergeImageWindCtr::closeWithoutAsking()
{
    mCloseWithoutAsking = true;
    if (isWindowLoaded())
        window()->close();
}

void MergeImageWindCtr::closeTab()
{
    if (isWindowLoaded())
        window()->close();
}

bool MergeImageWindCtr::windowShouldClose()
{
    GUARD_BEGIN
    if (mCloseWithoutAsking || mIsEqual == 1 || !allPathsSet() || untouched())
        return true;
    if (mCloseQuestion) {
        mCloseQuestion->raise();
        return false;
    }
    const QString side =
        mFileCurrent1 != mFile1 ? QStringLiteral("Left file") : QStringLiteral("Right file");
    auto *box = new QMessageBox(window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(L_(QStringLiteral("Warning")));
    box->setText(L_(QStringLiteral("Warning")));
    box->setInformativeText(L_(
        QStringLiteral("Do you want to save the changes made to the document \"%@\"?{**}") + side));
    QPushButton *save = box->addButton(L_(QStringLiteral("Save")), QMessageBox::AcceptRole);
    QPushButton *discard =
        box->addButton(L_(QStringLiteral("Discard and Close")), QMessageBox::DestructiveRole);
    QPushButton *cancel = box->addButton(L_(QStringLiteral("Cancel")), QMessageBox::RejectRole);
    box->setDefaultButton(save);
    box->setEscapeButton(cancel);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::buttonClicked, this, [this, save, discard](QAbstractButton *b) {
        answerCloseQuestion(b == save ? 0 : b == discard ? 1 : 2);
    });
    mCloseQuestion = box;
    box->open();
    return false;
    GUARD_END(true)
}

void MergeImageWindCtr::answerCloseQuestion(int button)
{
    if (button == 0)
        platform::performAfterDelay(
            this, 0.1, [this] { Merge_Save(); }, QStringLiteral("save"));
    else if (button == 1)
        platform::performAfterDelay(
            this, 0, [this] { closeWithoutAsking(); }, QStringLiteral("discard"));
}

void MergeImageWindCtr::windowWillCloseEvent()
{
    GUARD_BEGIN
    if (mClosed)
        return;
    mClosed = true;
    mIsClosing = true;
    platform::Log(lcShell, QStringLiteral("MergeImageWindCtr windowWillClose"));
    platform::cancelPerform(this, QString());
    Save_Window_Frame(window(), this);
    OpenCompareWindowList_Remove(this);
    if (mIsCompareSameFileName && !mFile1.isEmpty()) {
        QVariantMap info;
        info.insert(QStringLiteral("paths"), QStringList{mFile1});
        platform::NotificationCenter::defaultCenter().postNotification(
            QString::fromLatin1(kNeedUpdateFileCompareResult), this, info);
    }
    if (mShouldCloseDocument)
        deleteLater();
    GUARD_END_VOID
}
