#include "controls/PathOperationDialog.h"

#include "controls/DialogSetup.h"
#include "controls/DialogWindow.h"
#include "controls/PelkoNSWindowController.h"
#include "foundation/FoundationFunctions.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathOperationState.h"
#include "platform/Alerts.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/ModalRun.h"
#include "services/Localization.h"

#include "ui_PathOperationDialog.h"

#include <QPointer>
#include <QProgressBar>
#include <QThreadPool>
#include <algorithm>
#include <condition_variable>
#include <mutex>

using platform::BezierPath;

// What the dialog and its worker share; the worker keeps it alive past the dialog.
struct PathOperationDialog::WorkerState
{
    std::mutex mutex;
    std::condition_variable ended;
    bool running = false;
};

namespace {

QString busyText()
{
    return AppendString2(L_(QStringLiteral("\"%@\" is busy.{**}{*app*}")),
                         L_(QStringLiteral("\n{++}Retry later{++}...")));
}

bool isUsable(const BezierPath &path)
{
    if (path.elementCount() < 2)
        return false;
    const QRectF bounds = path.bounds();
    return bounds.width() >= 1.0 && bounds.height() >= 1.0;
}

QString tooFewPathsMessage(qint32 action)
{
    switch (action) {
    case PathBooleanDifference:
        return QStringLiteral("[Difference combination] action requires to select only 2 objects");
    case PathBooleanXor:
        return QStringLiteral(
            "[Exclusive OR combination (XOR)] action requires to select only 2 objects");
    default:
        return QStringLiteral("Please select at least 2 objects before combination");
    }
}

} // namespace

PathOperationDialog::PathOperationDialog()
    : platform::WindowController(QStringLiteral("PathOperationDialog")),
      mUi(std::make_unique<Ui::PathOperationDialog>()), mWorker(std::make_shared<WorkerState>())
{}

PathOperationDialog::~PathOperationDialog()
{
    mIsClosing = true;
    requestCancelThread();
}

const QString &PathOperationDialog::failureMessage()
{
    static const QString text =
        QStringLiteral("Path processing failed. Please move objects a little then try again");
    return text;
}

QWidget *PathOperationDialog::makeWindow()
{
    auto *window = setupWindow<DialogWindow>(*mUi);
    window->setCloseRequestHandler([this] { btnCancel(mUi->progressCancelButton); });
    return window;
}

void PathOperationDialog::windowDidLoad()
{
    GUARD_BEGIN
    QWidget *w = window();
    SetupDialogWindow(w, this, mUi->mCloseButton1, mUi->mCloseButton2);
    // Every way of closing a running dialog is its Cancel.
    for (QAbstractButton *button :
         {mUi->mCloseButton1, mUi->mCloseButton2, mUi->progressCancelButton}) {
        QObject::connect(button, &QAbstractButton::clicked, this,
                         [this] { btnCancel(mUi->progressCancelButton); });
    }
    w->setWindowTitle(L_(QStringLiteral("Processing{++}...")));
    setShouldCascadeWindows(false);
    mPathResult.reset();
    mErrorMessage.clear();
    mUi->progressIndicator->setRange(0, 0);
    bDidCancelDialog = false;
    mUserCancel = false;
    GUARD_END_VOID
}

QProgressBar *PathOperationDialog::progressIndicator() const
{
    return mUi->progressIndicator;
}

QAbstractButton *PathOperationDialog::progressCancelButton() const
{
    return mUi->progressCancelButton;
}

bool PathOperationDialog::isBusyCheckAndShowMsg(bool show)
{
    const bool busy = gPathOperationBusy.load();
    if (show && busy) {
        platform::AlertRequest alert;
        alert.title = L_(QStringLiteral("Warning"));
        alert.text = busyText();
        alert.buttons = {L_(QStringLiteral("OK"))};
        platform::runAlert(alert);
    }
    return busy;
}

int PathOperationDialog::runModal()
{
    GUARD_BEGIN
    QWidget *w = window();
    if (!w)
        return -1;
    bool expected = false;
    if (!gPathOperationBusy.compare_exchange_strong(expected, true)) {
        // Refused before any run starts, so no run of another window is ended.
        platform::AlertRequest alert;
        alert.title = busyText();
        alert.text = QStringLiteral(" ");
        alert.buttons = {L_(QStringLiteral("OK"))};
        platform::runAlert(alert);
        btnCancel(nullptr);
        return -1;
    }
    gPathOperationCancel = false;
    mPathResult.reset();
    startWorker();
    // The answer comes through the event loop, so it cannot arrive before the run has begun.
    const int code = mFinishArrived ? platform::ModalResponseAbort : platform::runModalForWindow(w);
    if (auto *dialogWindow = qobject_cast<DialogWindow *>(w))
        dialogWindow->closeByCode();
    return code;
    GUARD_END(-1)
}

void PathOperationDialog::startWorker()
{
    {
        std::lock_guard lock(mWorker->mutex);
        mWorker->running = true;
    }
    QPointer<PathOperationDialog> dialog(this);
    QThreadPool::globalInstance()->start(
        [state = mWorker, dialog, action = mAction, reverse = mReserve, inputs = mPathInputList] {
            PathOperationOutcome outcome;
            try {
                outcome = executeThread(action, reverse, inputs);
            } catch (const std::exception &e) {
                platform::reportException(__FILE__, Q_FUNC_INFO, __LINE__, &e);
                outcome = {std::nullopt, failureMessage()};
            } catch (...) {
                platform::reportException(__FILE__, Q_FUNC_INFO, __LINE__, nullptr);
                outcome = {std::nullopt, failureMessage()};
            }
            // The cancel belongs to this run only: the next direct operation must not see it.
            // Under the lock a cancel request either reaches this run or finds it ended.
            bool cancelled = false;
            {
                std::lock_guard lock(state->mutex);
                cancelled = gPathOperationCancel.exchange(false);
                gPathOperationBusy = false;
                state->running = false;
            }
            state->ended.notify_all();
            platform::performOnMainThread(
                [dialog, outcome, cancelled] {
                    if (dialog)
                        dialog->threadInform_Finish(outcome, cancelled);
                },
                false);
        });
}

PathOperationOutcome PathOperationDialog::executeThread(qint32 action, bool reverse,
                                                        const QList<BezierPath> &inputs)
{
    PathOperationOutcome outcome;
    QList<BezierPath> usable;
    usable.reserve(20);
    for (const BezierPath &path : inputs) {
        if (isUsable(path))
            usable.append(path);
    }
    if ((action == PathBooleanDifference || action == PathBooleanXor) && usable.size() > 2)
        usable.resize(2);
    if (usable.size() < 2) {
        outcome.errorMessage = tooFewPathsMessage(action);
        return outcome;
    }
    if (reverse)
        std::reverse(usable.begin(), usable.end());
    BezierPath accumulator = usable.front();
    for (qsizetype i = 1; i < usable.size(); ++i) {
        std::optional<BezierPath> step = performBooleanOp(accumulator, action, &usable[i]);
        // A step without an answer has lost what came before it: the fold has failed.
        if (!step || step->isEmpty()) {
            outcome.errorMessage = failureMessage();
            return outcome;
        }
        accumulator = std::move(*step);
    }
    outcome.result = std::move(accumulator);
    return outcome;
}

void PathOperationDialog::threadInform_Finish(const PathOperationOutcome &outcome, bool cancelled)
{
    GUARD_BEGIN
    mFinishArrived = true;
    cancelled = cancelled || mUserCancel;
    if (outcome.result && !outcome.result->isEmpty() && !cancelled) {
        mPathResult = outcome.result;
        mErrorMessage.clear();
    } else {
        mPathResult.reset();
        if (cancelled)
            mErrorMessage.clear();
        else
            mErrorMessage =
                outcome.errorMessage.isEmpty() ? failureMessage() : outcome.errorMessage;
    }
    btnCancel(nullptr);
    GUARD_END_VOID
}

void PathOperationDialog::requestCancelThread()
{
    std::unique_lock lock(mWorker->mutex);
    if (!mWorker->running)
        return;
    gPathOperationCancel = true;
    mWorker->ended.wait(lock, [this] { return !mWorker->running; });
}

void PathOperationDialog::btnCancel(QObject *sender)
{
    GUARD_BEGIN
    if (bDidCancelDialog)
        return;
    bDidCancelDialog = true;
    QWidget *w = isWindowLoaded() ? window() : nullptr;
    if (sender && sender == mUi->progressCancelButton) {
        mUserCancel = true;
        mPathResult.reset();
        requestCancelThread();
        stopModalAndSaveFrameWithCode(this, 0);
    } else if (w && platform::isRunningModal(w)) {
        platform::stopModalWithCode(w, platform::ModalResponseAbort);
    }
    if (auto *dialogWindow = qobject_cast<DialogWindow *>(w))
        dialogWindow->closeByCode();
    else if (w)
        w->close();
    GUARD_END_VOID
}
