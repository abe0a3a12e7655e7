#pragma once
// A small modal window that folds a list of paths with one boolean operation on a worker while it
// shows an indeterminate bar and Cancel. The opener fills pathInputList, action and bReserve,
// calls runModal(), and reads pathResult or errorMessage afterwards.
//
// One combination runs in the process at a time (gPathOperationBusy). The worker has copies of
// the inputs and never touches the dialog: its answer comes back on the main thread, and is
// dropped when the dialog has gone.

#include "platform/BezierPath.h"
#include "platform/WindowController.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

class QAbstractButton;
class QProgressBar;
namespace Ui {
class PathOperationDialog;
}

// What one run of the fold leaves behind.
struct PathOperationOutcome
{
    std::optional<platform::BezierPath> result;
    QString errorMessage;
};

class PathOperationDialog : public platform::WindowController
{
    Q_OBJECT
public:
    PathOperationDialog();
    // Waits for a worker of this dialog that still runs.
    ~PathOperationDialog() override;

    // Starts the worker and runs the window modally until the worker's answer or Cancel. When
    // another combination runs, shows the busy alert instead and answers at once without a run.
    // Answers the run's code: ModalResponseAbort after the worker's answer, 0 after Cancel, -1
    // when refused.
    int runModal();

    // The fold itself, on the calling thread: the usable paths (at least two elements, bounds at
    // least 1 x 1), only the first two for difference and exclusive or, in reverse order with
    // `reverse`, combined one after the other; the first step without an answer ends it.
    static PathOperationOutcome executeThread(qint32 action, bool reverse,
                                              const QList<platform::BezierPath> &inputs);

    // Asks a running worker of this dialog to stop and waits until it has.
    void requestCancelThread();
    // The busy flag; with `show`, a busy flag also shows the busy alert.
    static bool isBusyCheckAndShowMsg(bool show);
    // Closes the dialog once: the Cancel button stops the worker first; any other sender (the
    // worker's answer) ends the dialog's own run.
    void btnCancel(QObject *sender);

    qint32 action() const { return mAction; }
    void setAction(qint32 action) { mAction = action; }
    bool bReserve() const { return mReserve; }
    void setBReserve(bool reserve) { mReserve = reserve; }
    const QList<platform::BezierPath> &pathInputList() const { return mPathInputList; }
    void setPathInputList(const QList<platform::BezierPath> &paths) { mPathInputList = paths; }
    const std::optional<platform::BezierPath> &pathResult() const { return mPathResult; }
    const QString &errorMessage() const { return mErrorMessage; }
    bool userCancel() const { return mUserCancel; }

    QProgressBar *progressIndicator() const;
    QAbstractButton *progressCancelButton() const;

    static const QString &failureMessage();

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;

private:
    struct WorkerState;

    void startWorker();
    // The main-thread end of the worker.
    void threadInform_Finish(const PathOperationOutcome &outcome, bool cancelled);

    std::unique_ptr<Ui::PathOperationDialog> mUi;
    std::shared_ptr<WorkerState> mWorker;
    qint32 mAction = 0;
    bool mReserve = false;
    QList<platform::BezierPath> mPathInputList;
    std::optional<platform::BezierPath> mPathResult;
    QString mErrorMessage;
    bool mUserCancel = false;
    bool bDidCancelDialog = false;
    bool mFinishArrived = false;
};
