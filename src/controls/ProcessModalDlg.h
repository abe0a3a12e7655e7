#pragma once
// A small modal window in front of the application while a long job runs on a worker: a title
// that the worker may extend, a progress bar and Cancel. The main thread sits in the window's
// modal run for the whole job. Cancel only raises the process-wide cancel flag that the worker
// polls; the run ends when the worker reports its finish.
//
// The worker never touches the dialog: it holds the dialog's channel, whose reports hop to the
// main thread in order (progress reports that pile up are merged into one hand-off carrying the
// latest value). A report that arrives after the dialog is gone is dropped.

#include "platform/WindowController.h"

#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

class ProcessModalDlg;
class QAbstractButton;
class QLabel;
class QProgressBar;
namespace Ui {
class ProcessModalDlg;
}

class ProcessModalChannel
{
public:
    // Returns once the dialog's window has loaded, or after 25 tries of 0.1 s (with a report).
    void sub_thread_waitTillDialogShow();
    // Updates the title and the bar on the main thread (a null text is taken as "").
    void sub_thread_inforThreadProgress(double value, const QString &text);
    // Ends the dialog's modal run on the main thread; call it once on every path out of the job.
    void sub_thread_inforThreadFinish();
    // The process-wide cancel flag.
    static bool sub_thread_checkIf_userRequestCancelled();

    // Hand-offs of progress served on the main thread so far (each carries the latest report).
    int progressHandOffCount() const;

private:
    friend class ProcessModalDlg;
    struct State;
    std::shared_ptr<State> mState;
    explicit ProcessModalChannel(std::shared_ptr<State> state) : mState(std::move(state)) {}
};

class ProcessModalDlg : public platform::WindowController
{
    Q_OBJECT
public:
    ~ProcessModalDlg() override;

    // A dialog titled with title, or the localised "Processing{++}..." when it is empty.
    static std::unique_ptr<ProcessModalDlg> create(const QString &title);

    // Runs a whole job: the dialog with title and total, then job on a worker thread with the
    // dialog's channel, the finish reported for it however job ends. The worker starts only once
    // the dialog's modal run is up, and the job has ended before this returns (a run that ends
    // early raises the cancel flag and waits for it), so job may use the caller's locals.
    // Answers whether the job was cancelled, also when it never started (no dialog, no run). A
    // job that throws ends there, reported; *failure (may be null) gets the words saying why
    // (services/WorkerFailure), and stays empty otherwise.
    static bool runJob(const QString &title, double total,
                       std::function<void(ProcessModalChannel &channel)> job,
                       QString *failure = nullptr);

    void setShowProgressWithTotal(double total);
    double showProgressWithTotal() const { return mShowProgressWithTotal; }
    double currentProgressValue() const { return mCurrentProgressValue; }
    QString winTitle() const { return mWinTitle; }
    void setWinTitle(const QString &title) { mWinTitle = title; }
    bool userCancel() const { return mUserCancel; }

    // The worker's side of this dialog; the worker keeps it, never the dialog.
    std::shared_ptr<ProcessModalChannel> channel() const { return mChannel; }

    // Loads the window, runs it modally until the worker's finish, closes it, and answers
    // whether the user cancelled. Without a window: a report and true, and the cancel flag stays
    // raised until the worker's finish arrives, so the running job stops.
    bool main_thread_ShowModal_Then_CheckIfCancel();

    // Main thread: progress applied at once. Other threads: handed over through the channel.
    void sub_thread_inforThreadProgress(double value, const QString &text);
    // The receiving end of a hand-off as a pair [number, string]; anything else is reported and
    // changes nothing.
    void sub_thread_inforThreadProgress_Later(const QVariantList &pair);
    void sub_thread_inforThreadFinish();

    static bool sub_thread_checkIf_userRequestCancelled();
    static void userRequestCancelled_reset();
    bool dialogDidInitOrNot() const;

    void cancelButtonClicked();

    Ui::ProcessModalDlg &ui() { return *mUi; }
    QProgressBar *progressIndicator() const;
    QAbstractButton *cancelButton() const;

    // Totals up to this (single-precision 0.02 widened) keep the bar indeterminate.
    static constexpr double kDeterminateThreshold = double(0.02f);
    // The bar's integer range when determinate.
    static constexpr int kBarSteps = 10000;

protected:
    explicit ProcessModalDlg(const QString &title);
    QWidget *makeWindow() override;
    void windowDidLoad() override;
    void windowWillCloseEvent() override;

private:
    void applyProgress(double value, const QString &text);
    void finishOnMainThread();
    // After a run that ended before the worker's finish: raises the cancel flag and serves
    // events until the finish. Answers whether it had to wait.
    bool waitForWorkerAfterEarlyEnd();
    static void setCancelFlag(bool raised);

    std::unique_ptr<Ui::ProcessModalDlg> mUi;
    std::shared_ptr<ProcessModalChannel> mChannel;
    QString mWinTitle;
    double mShowProgressWithTotal = 0;
    double mCurrentProgressValue = 0;
    bool mUserCancel = false;
    bool mFinishArrived = false;
};
