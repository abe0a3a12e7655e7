#include "controls/ProcessModalDlg.h"

#include "controls/DialogSetup.h"
#include "controls/DialogWindow.h"
#include "controls/PelkoNSWindowController.h"
#include "foundation/FoundationFunctions.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/ModalRun.h"
#include "services/Localization.h"
#include "services/WorkerFailure.h"

#include "ui_ProcessModalDlg.h"

#include <QPointer>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QCoreApplication>
#include <atomic>
#include <cmath>
#include <mutex>

namespace {

constexpr const char *kLockName = "gLock_For_ProcessModalDlg";

std::recursive_mutex &dialogLock()
{
    return platform::monitor(kLockName);
}

// The process-wide cancel flag; read and written under the dialog lock only.
bool gUserRequestCancelled = false;

} // namespace

struct ProcessModalChannel::State
{
    // Under the dialog lock.
    bool didShowDialog = false;
    bool finished = false;
    bool keepCancelUntilFinish = false;

    // The progress report waiting for the main thread; at most one hand-off is queued.
    std::mutex pendingMutex;
    bool handOffQueued = false;
    double pendingValue = 0;
    QString pendingText;
    std::atomic<int> handOffs{0};

    // Main thread only.
    QPointer<ProcessModalDlg> dialog;
};

// ---- worker side ----

void ProcessModalChannel::sub_thread_waitTillDialogShow()
{
    for (int tries = 0; tries < 25; ++tries) {
        QThread::msleep(100);
        bool shown = false;
        {
            std::lock_guard lock(dialogLock());
            shown = mState->didShowDialog;
        }
        if (shown) {
            // Lets the main thread enter the modal run.
            QThread::msleep(100);
            return;
        }
    }
    REPORT_FATAL();
}

void ProcessModalChannel::sub_thread_inforThreadProgress(double value, const QString &text)
{
    const QString safeText = text.isNull() ? QStringLiteral("") : text;
    if (platform::isMainThread()) {
        if (mState->dialog)
            mState->dialog->sub_thread_inforThreadProgress(value, safeText);
        return;
    }
    {
        std::lock_guard lock(mState->pendingMutex);
        mState->pendingValue = value;
        mState->pendingText = safeText;
        if (mState->handOffQueued)
            return; // the queued hand-off will carry this report
        mState->handOffQueued = true;
    }
    platform::performOnMainThread(
        [state = mState] {
            double value = 0;
            QString text;
            {
                std::lock_guard lock(state->pendingMutex);
                state->handOffQueued = false;
                value = state->pendingValue;
                text = state->pendingText;
            }
            state->handOffs.fetch_add(1);
            if (state->dialog)
                state->dialog->sub_thread_inforThreadProgress_Later({value, text});
        },
        false);
}

void ProcessModalChannel::sub_thread_inforThreadFinish()
{
    {
        std::lock_guard lock(dialogLock());
        mState->finished = true;
        // The job that outlived its dialog has stopped: its raised flag is no longer needed.
        if (mState->keepCancelUntilFinish)
            gUserRequestCancelled = false;
    }
    platform::performOnMainThread(
        [state = mState] {
            if (state->dialog)
                state->dialog->sub_thread_inforThreadFinish();
        },
        false);
}

bool ProcessModalChannel::sub_thread_checkIf_userRequestCancelled()
{
    return ProcessModalDlg::sub_thread_checkIf_userRequestCancelled();
}

int ProcessModalChannel::progressHandOffCount() const
{
    return mState->handOffs.load();
}

// ---- dialog ----

ProcessModalDlg::ProcessModalDlg(const QString &title)
    : platform::WindowController(QStringLiteral("ProcessModalDlg")),
      mUi(std::make_unique<Ui::ProcessModalDlg>())
{
    userRequestCancelled_reset();
    auto state = std::make_shared<ProcessModalChannel::State>();
    state->dialog = this;
    mChannel = std::shared_ptr<ProcessModalChannel>(new ProcessModalChannel(state));
    mWinTitle = title.isEmpty() ? L_(QStringLiteral("Processing{++}...")) : title;
}

ProcessModalDlg::~ProcessModalDlg()
{
    mIsClosing = true;
    mChannel->mState->dialog = nullptr;
    std::lock_guard lock(dialogLock());
    // A job whose dialog could not show must still see the flag until it stops.
    const bool keep = mChannel->mState->keepCancelUntilFinish && !mChannel->mState->finished;
    if (!keep)
        gUserRequestCancelled = false;
}

std::unique_ptr<ProcessModalDlg> ProcessModalDlg::create(const QString &title)
{
    GUARD_BEGIN
    return std::unique_ptr<ProcessModalDlg>(new ProcessModalDlg(title));
    GUARD_END(nullptr)
}

bool ProcessModalDlg::runJob(const QString &title, double total,
                             std::function<void(ProcessModalChannel &channel)> job,
                             QString *failure)
{
    std::unique_ptr<ProcessModalDlg> dialog = create(title);
    if (!dialog) {
        REPORT_FATAL();
        return true;
    }
    dialog->setShowProgressWithTotal(total);
    std::shared_ptr<ProcessModalChannel> channel = dialog->channel();
    bool workerStarted = false;
    // The worker starts from inside the modal run: a run that never starts runs no job.
    // Read once the job has ended: the finish report orders the write before the read.
    QString why;
    QTimer::singleShot(0, dialog.get(), [&workerStarted, &job, &why, d = dialog.get(), channel] {
        if (!d->isWindowLoaded() || !platform::isRunningModal(d->window()))
            return;
        workerStarted = true;
        QThreadPool::globalInstance()->start([channel, &why, job = std::move(job)] {
            if (job)
                why = RunWorkerStep("job", [&] { job(*channel); });
            channel->sub_thread_inforThreadFinish();
        });
    });
    const bool cancelled = dialog->main_thread_ShowModal_Then_CheckIfCancel();
    if (!workerStarted) {
        // No job ran, so none needs the cancel flag kept raised.
        std::lock_guard lock(dialogLock());
        channel->mState->finished = true;
        return true;
    }
    // The job may use what lives in the caller's frame: it has stopped before this returns.
    const bool endedEarly = dialog->waitForWorkerAfterEarlyEnd();
    if (failure)
        *failure = why;
    return endedEarly || cancelled;
}

bool ProcessModalDlg::waitForWorkerAfterEarlyEnd()
{
    const std::shared_ptr<ProcessModalChannel::State> state = mChannel->mState;
    {
        std::lock_guard lock(dialogLock());
        if (state->finished)
            return false;
        state->keepCancelUntilFinish = true;
        gUserRequestCancelled = true;
    }
    for (;;) {
        {
            std::lock_guard lock(dialogLock());
            if (state->finished)
                return true;
        }
        // The finish report wakes this wait; alerts the job asks for are served meanwhile.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

QWidget *ProcessModalDlg::makeWindow()
{
    auto *window = setupWindow<DialogWindow>(*mUi);
    window->setCloseRequestHandler([this] { cancelButtonClicked(); });
    return window;
}

void ProcessModalDlg::windowDidLoad()
{
    GUARD_BEGIN
    mIsClosing = false;
    userRequestCancelled_reset();
    QWidget *w = window();
    SetupDialogWindow(w, this, mUi->mCloseButton1, mUi->mCloseButton2);
    // The quit key cancels too: only the job's finish ends this dialog.
    QObject::connect(mUi->mCloseButton1, &QAbstractButton::clicked, this,
                     [this] { cancelButtonClicked(); });
    QObject::connect(mUi->mCloseButton2, &QAbstractButton::clicked, this,
                     [this] { cancelButtonClicked(); });
    QObject::connect(mUi->mCancelButton, &QAbstractButton::clicked, this,
                     [this] { cancelButtonClicked(); });
    w->setWindowTitle(mWinTitle.isNull() ? L_(QStringLiteral("Processing{++}...")) : mWinTitle);
    mUserCancel = false;

    if (mShowProgressWithTotal <= kDeterminateThreshold) {
        mUi->progressIndicator->setRange(0, 0); // busy: animates by itself
    } else {
        mUi->progressIndicator->setRange(0, kBarSteps);
        mUi->progressIndicator->setValue(0);
    }
    std::lock_guard lock(dialogLock());
    mChannel->mState->didShowDialog = true;
    GUARD_END_VOID
}

void ProcessModalDlg::windowWillCloseEvent()
{
    mIsClosing = true;
}

void ProcessModalDlg::setShowProgressWithTotal(double total)
{
    mShowProgressWithTotal = total;
}

QProgressBar *ProcessModalDlg::progressIndicator() const
{
    return mUi->progressIndicator;
}

QAbstractButton *ProcessModalDlg::cancelButton() const
{
    return mUi->mCancelButton;
}

bool ProcessModalDlg::main_thread_ShowModal_Then_CheckIfCancel()
{
    GUARD_BEGIN
    QWidget *w = window();
    if (!w) {
        REPORT_FATAL();
        std::lock_guard lock(dialogLock());
        mChannel->mState->keepCancelUntilFinish = !mChannel->mState->finished;
        gUserRequestCancelled = mChannel->mState->keepCancelUntilFinish;
        return true;
    }
    if (!mFinishArrived)
        platform::runModalForWindow(w);
    if (auto *dialogWindow = qobject_cast<DialogWindow *>(w))
        dialogWindow->closeByCode();
    else
        w->close();
    return mUserCancel;
    GUARD_END(true)
}

void ProcessModalDlg::sub_thread_inforThreadProgress(double value, const QString &text)
{
    if (!platform::isMainThread()) {
        mChannel->sub_thread_inforThreadProgress(value, text);
        return;
    }
    GUARD_BEGIN
    applyProgress(value, text.isNull() ? QStringLiteral("") : text);
    GUARD_END_VOID
}

void ProcessModalDlg::applyProgress(double value, const QString &text)
{
    if (mIsClosing || !isWindowLoaded())
        return;
    const QString title = AppendString2(mWinTitle, text);
    if (!title.isEmpty())
        window()->setWindowTitle(title);
    if (mShowProgressWithTotal > kDeterminateThreshold) {
        mCurrentProgressValue = value;
        // The stored value is the job's own; only what the bar shows is scaled and clamped.
        double steps = value / mShowProgressWithTotal * kBarSteps;
        if (std::isnan(steps))
            steps = 0;
        mUi->progressIndicator->setValue(int(std::clamp(steps, 0.0, double(kBarSteps))));
    }
}

void ProcessModalDlg::sub_thread_inforThreadProgress_Later(const QVariantList &pair)
{
    GUARD_BEGIN
    if (mIsClosing)
        return;
    if (pair.size() != 2) {
        REPORT_FATAL();
        return;
    }
    const QVariant &number = pair.at(0);
    const QVariant &string = pair.at(1);
    const bool isNumber = number.typeId() == QMetaType::Double ||
                          number.typeId() == QMetaType::Int ||
                          number.typeId() == QMetaType::LongLong;
    if (!isNumber || string.typeId() != QMetaType::QString) {
        REPORT_FATAL();
        return;
    }
    sub_thread_inforThreadProgress(number.toDouble(), string.toString());
    GUARD_END_VOID
}

void ProcessModalDlg::sub_thread_inforThreadFinish()
{
    if (!platform::isMainThread()) {
        mChannel->sub_thread_inforThreadFinish();
        return;
    }
    GUARD_BEGIN
    {
        std::lock_guard lock(dialogLock());
        mChannel->mState->finished = true;
    }
    finishOnMainThread();
    GUARD_END_VOID
}

void ProcessModalDlg::finishOnMainThread()
{
    mFinishArrived = true;
    if (isWindowLoaded())
        stopModalAndSaveFrameWithCode(this, mUserCancel ? 1 : 0);
}

bool ProcessModalDlg::sub_thread_checkIf_userRequestCancelled()
{
    std::lock_guard lock(dialogLock());
    return gUserRequestCancelled;
}

void ProcessModalDlg::userRequestCancelled_reset()
{
    setCancelFlag(false);
}

void ProcessModalDlg::setCancelFlag(bool raised)
{
    std::lock_guard lock(dialogLock());
    gUserRequestCancelled = raised;
}

bool ProcessModalDlg::dialogDidInitOrNot() const
{
    std::lock_guard lock(dialogLock());
    return mChannel->mState->didShowDialog;
}

void ProcessModalDlg::cancelButtonClicked()
{
    if (!platform::isMainThread())
        REPORT_FATAL();
    GUARD_BEGIN
    mUserCancel = true;
    setCancelFlag(true);
    if (!isWindowLoaded())
        return;
    mUi->mCloseButton1->setEnabled(false);
    mUi->mCloseButton2->setEnabled(false);
    mUi->mCancelButton->setEnabled(false);
    GUARD_END_VOID
}
