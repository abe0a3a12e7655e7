// The progress-and-cancel dialog with a real worker thread.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "controls/ProcessModalDlg.h"
#include "services/Localization.h"
#include "platform/ModalRun.h"

#include <QApplication>

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QProgressBar>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <functional>

namespace {

// Runs fn on the main thread as soon as the dialog's window has loaded (inside its run).
void whenShown(ProcessModalDlg *dialog, std::function<void()> fn)
{
    auto *timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, dialog, fn] {
        if (!dialog->dialogDidInitOrNot())
            return;
        timer->stop();
        timer->deleteLater();
        fn();
    });
    timer->start(5);
}

// Runs fn on the main thread with the first visible progress dialog window that appears.
void whenShownAny(std::function<void(QWidget *)> fn)
{
    auto *timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == QLatin1String("ProcessModalDlg")) {
                timer->stop();
                timer->deleteLater();
                fn(w);
                return;
            }
        }
    });
    timer->start(5);
}

class WindowlessDlg : public ProcessModalDlg
{
public:
    WindowlessDlg() : ProcessModalDlg(QStringLiteral("No window")) {}

protected:
    QWidget *makeWindow() override { return nullptr; }
};

} // namespace

TEST(ProcessModalDlg, TitleDefaultsToTheLocalisedProcessingText)
{
    for (const QString &title : {QString(), QStringLiteral("")}) {
        auto dialog = ProcessModalDlg::create(title);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->winTitle(), L_(QStringLiteral("Processing{++}...")));
        EXPECT_EQ(dialog->currentProgressValue(), 0.0);
        EXPECT_EQ(dialog->showProgressWithTotal(), 0.0);
    }
    auto dialog = ProcessModalDlg::create(L_(QStringLiteral("Delete Files{++}...")));
    EXPECT_EQ(dialog->window()->windowTitle(), L_(QStringLiteral("Delete Files{++}...")));
}

TEST(ProcessModalDlg, BarIsIndeterminateUpToTheSinglePrecisionThreshold)
{
    struct Row
    {
        double total;
        bool determinate;
    } rows[] = {
        {0, false}, {double(0.02f), false}, {0.0199, false}, {0.020000001, true}, {0.5, true}};
    for (const Row &row : rows) {
        auto dialog = ProcessModalDlg::create(QStringLiteral("T"));
        dialog->setShowProgressWithTotal(row.total);
        dialog->window();
        QProgressBar *bar = dialog->progressIndicator();
        EXPECT_EQ(bar->maximum() > 0, row.determinate) << row.total;
        // Reports change the title always, the bar only when determinate.
        dialog->sub_thread_inforThreadProgress(row.total / 2, QStringLiteral(" (1/2)"));
        EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("T (1/2)"));
        if (row.determinate)
            EXPECT_EQ(bar->value(), ProcessModalDlg::kBarSteps / 2) << row.total;
        else
            EXPECT_EQ(bar->maximum(), 0);
    }
}

TEST(ProcessModalDlg, TitleJoinsTheReportTextAndBarClampsForDisplayOnly)
{
    auto dialog = ProcessModalDlg::create(QStringLiteral("Delete"));
    dialog->setShowProgressWithTotal(4);
    dialog->window();
    dialog->sub_thread_inforThreadProgress(9, QString());
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("Delete"));
    EXPECT_EQ(dialog->currentProgressValue(), 9.0);
    EXPECT_EQ(dialog->progressIndicator()->value(), ProcessModalDlg::kBarSteps);
    dialog->sub_thread_inforThreadProgress(-3, QStringLiteral("x"));
    EXPECT_EQ(dialog->progressIndicator()->value(), 0);

    // No base title and no text: the title is left alone.
    dialog->setWinTitle(QString());
    dialog->window()->setWindowTitle(QStringLiteral("kept"));
    dialog->sub_thread_inforThreadProgress(1, QStringLiteral(""));
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("kept"));
}

TEST(ProcessModalDlg, WorkerReportsThenFinishes)
{
    auto dialog = ProcessModalDlg::create(QStringLiteral("Delete Files"));
    const int count = 7;
    dialog->setShowProgressWithTotal(count);
    auto channel = dialog->channel();
    QThreadPool::globalInstance()->start([channel] {
        channel->sub_thread_waitTillDialogShow();
        for (int i = 0; i < count; ++i) {
            if (i % 3 == 0 && ProcessModalChannel::sub_thread_checkIf_userRequestCancelled())
                break;
            channel->sub_thread_inforThreadProgress(
                i + 1, QStringLiteral("(%1/%2)").arg(i + 1).arg(count));
        }
        channel->sub_thread_inforThreadFinish();
    });
    EXPECT_FALSE(dialog->main_thread_ShowModal_Then_CheckIfCancel());
    // The last report is applied before the finish ends the run.
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("Delete Files(7/7)"));
    EXPECT_EQ(dialog->progressIndicator()->value(), ProcessModalDlg::kBarSteps);
    EXPECT_FALSE(dialog->window()->isVisible());
}

TEST(ProcessModalDlg, CancelDisablesButtonsAndWaitsForTheWorker)
{
    for (const char *how : {"button", "escape", "closebox"}) {
        std::atomic<bool> workerSawCancel{false};
        std::atomic<bool> workerLooked{false};
        // Released once the test has cancelled, and once it has looked at the dialog.
        QSemaphore cancelled, looked;
        auto dialog = ProcessModalDlg::create(QStringLiteral("Job"));
        ProcessModalDlg *d = dialog.get();
        auto channel = dialog->channel();
        QThreadPool::globalInstance()->start(
            [channel, &workerSawCancel, &workerLooked, &cancelled, &looked] {
                channel->sub_thread_waitTillDialogShow();
                cancelled.tryAcquire(1, 20000);
                workerSawCancel = ProcessModalChannel::sub_thread_checkIf_userRequestCancelled();
                workerLooked = true;
                // The dialog must stay up until the finish: it comes once the test has looked.
                looked.tryAcquire(1, 20000);
                channel->sub_thread_inforThreadFinish();
            });
        bool stillUpAfterCancel = false;
        whenShown(d, [&, d, how] {
            const QString kind = QString::fromLatin1(how);
            if (kind == QLatin1String("button"))
                QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
            else if (kind == QLatin1String("escape"))
                QTest::keyClick(d->window(), Qt::Key_Escape);
            else
                d->window()->close();
            cancelled.release();
            QTimer::singleShot(0, [&, d] {
                // Looked at once the worker has read the cancel, before it finishes.
                EXPECT_TRUE(QTest::qWaitFor([&] { return workerLooked.load(); }, 20000));
                stillUpAfterCancel = d->window()->isVisible();
                looked.release();
                EXPECT_FALSE(d->cancelButton()->isEnabled());
                EXPECT_FALSE(d->window()
                                 ->findChild<QAbstractButton *>(QStringLiteral("mCloseButton1"))
                                 ->isEnabled());
                EXPECT_FALSE(d->window()
                                 ->findChild<QAbstractButton *>(QStringLiteral("mCloseButton2"))
                                 ->isEnabled());
            });
        });
        EXPECT_TRUE(dialog->main_thread_ShowModal_Then_CheckIfCancel()) << how;
        EXPECT_TRUE(workerSawCancel) << how;
        EXPECT_TRUE(stillUpAfterCancel) << how;
    }
    // A new dialog starts with the flag cleared.
    auto next = ProcessModalDlg::create(QString());
    EXPECT_FALSE(ProcessModalDlg::sub_thread_checkIf_userRequestCancelled());
}

TEST(ProcessModalDlg, EarlyFinishStillEndsTheRun)
{
    auto dialog = ProcessModalDlg::create(QStringLiteral("Quick"));
    auto channel = dialog->channel();
    // Reported before the window even exists: served inside the run, which ends at once.
    QThreadPool::globalInstance()->start([channel] { channel->sub_thread_inforThreadFinish(); });
    QThreadPool::globalInstance()->waitForDone();
    // Posted after the finish, so served after it: the run must be over by then (else this ends
    // it, so that the failure does not hang the test).
    bool stillRunningAfterTheFinish = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            if (QWidget *w = platform::currentModalWindow()) {
                stillRunningAfterTheFinish = true;
                platform::stopModalWithCode(w, 0);
            }
        },
        Qt::QueuedConnection);
    EXPECT_FALSE(dialog->main_thread_ShowModal_Then_CheckIfCancel());
    EXPECT_FALSE(stillRunningAfterTheFinish);
}

TEST(ProcessModalDlg, MalformedAndLateHandOffsChangeNothing)
{
    pelkotest::LogCapture log;
    auto dialog = ProcessModalDlg::create(QStringLiteral("T"));
    dialog->setShowProgressWithTotal(10);
    dialog->window();
    const QVariantList bad[] = {{},
                                {1.0},
                                {QStringLiteral("1"), QStringLiteral("x")},
                                {1.0, 2.0},
                                {1.0, QStringLiteral("a"), QStringLiteral("b")}};
    for (const QVariantList &pair : bad)
        dialog->sub_thread_inforThreadProgress_Later(pair);
    EXPECT_EQ(log.reportCount(), 5);
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("T"));
    EXPECT_EQ(dialog->progressIndicator()->value(), 0);
    dialog->sub_thread_inforThreadProgress_Later({5.0, QStringLiteral(" ok")});
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("T ok"));

    // Reports for a dialog that is gone are dropped.
    auto channel = dialog->channel();
    dialog.reset();
    QThreadPool::globalInstance()->start([channel] {
        channel->sub_thread_inforThreadProgress(3, QStringLiteral("late"));
        channel->sub_thread_inforThreadFinish();
    });
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
}

TEST(ProcessModalDlg, DialogThatCannotShowStopsItsWorker)
{
    pelkotest::LogCapture log;
    auto dialog = std::make_unique<WindowlessDlg>();
    auto channel = dialog->channel();
    QSemaphore stop;
    std::atomic<bool> sawCancel{false};
    QThreadPool::globalInstance()->start([channel, &stop, &sawCancel] {
        stop.acquire();
        sawCancel = ProcessModalChannel::sub_thread_checkIf_userRequestCancelled();
        channel->sub_thread_inforThreadFinish();
    });
    EXPECT_TRUE(dialog->main_thread_ShowModal_Then_CheckIfCancel());
    EXPECT_TRUE(log.hasFatalReport());
    // The caller lets the dialog go at once; the worker must still be told to stop.
    dialog.reset();
    stop.release();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_TRUE(sawCancel);
    EXPECT_FALSE(ProcessModalDlg::sub_thread_checkIf_userRequestCancelled());
}

TEST(ProcessModalDlg, RunJobFinishesForTheJobOnEveryPath)
{
    pelkotest::LogCapture log;
    int seen = 0;
    EXPECT_FALSE(ProcessModalDlg::runJob(QStringLiteral("Job"), 3, [&](ProcessModalChannel &c) {
        c.sub_thread_waitTillDialogShow();
        seen = 3;
        throw std::runtime_error("job failed"); // the guard reports it; the finish still comes
    }));
    EXPECT_EQ(seen, 3);
    EXPECT_TRUE(log.hasExceptionReport());
}

TEST(ProcessModalDlg, RunJobNeverLeavesItsJobRunningBehindIt)
{
    // The job reads the caller's locals, so it must not run once runJob has returned: neither
    // when no modal run takes place nor when the run ends before the job has finished.
    enum class Way { NoRun, RunEndsEarly };
    for (Way way : {Way::NoRun, Way::RunEndsEarly}) {
        std::atomic<bool> returned{false};
        std::atomic<bool> ranAfterReturn{false};
        std::atomic<bool> sawCancel{false};
        if (way == Way::NoRun)
            platform::setModalHook([](QWidget *) { return 0; });
        else
            // Something else hides the dialog while the job is busy (the run ends with 0).
            whenShownAny([](QWidget *w) { w->hide(); });
        const bool cancelled =
            ProcessModalDlg::runJob(QStringLiteral("Job"), 0, [&](ProcessModalChannel &c) {
                if (way == Way::RunEndsEarly)
                    c.sub_thread_waitTillDialogShow();
                // The early end raises the cancel flag, which a job can only poll (a deadline
                // ends the wait should it not).
                const QDeadlineTimer deadline(20000);
                while (!ProcessModalChannel::sub_thread_checkIf_userRequestCancelled() &&
                       !deadline.hasExpired())
                    QThread::yieldCurrentThread();
                sawCancel = ProcessModalChannel::sub_thread_checkIf_userRequestCancelled();
                if (returned)
                    ranAfterReturn = true;
            });
        returned = true;
        platform::setModalHook(nullptr);
        QThreadPool::globalInstance()->waitForDone();
        EXPECT_TRUE(cancelled) << int(way);
        EXPECT_FALSE(ranAfterReturn) << int(way);
        if (way == Way::RunEndsEarly) {
            EXPECT_TRUE(sawCancel);
        }
        EXPECT_FALSE(ProcessModalDlg::sub_thread_checkIf_userRequestCancelled()) << int(way);
    }
}

TEST(ProcessModalDlg, ManyReportsMergeIntoFewHandOffs)
{
    auto dialog = ProcessModalDlg::create(QStringLiteral("Many"));
    const int count = 100000;
    dialog->setShowProgressWithTotal(count);
    auto channel = dialog->channel();
    QThreadPool::globalInstance()->start([&, channel] {
        channel->sub_thread_waitTillDialogShow();
        for (int i = 0; i < count; ++i)
            channel->sub_thread_inforThreadProgress(i + 1, QStringLiteral(" %1").arg(i + 1));
        channel->sub_thread_inforThreadFinish();
    });
    EXPECT_FALSE(dialog->main_thread_ShowModal_Then_CheckIfCancel());
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("Many 100000"));
    // At most one hand-off waits at a time, so a fast worker is never matched report by report
    // and the finish never queues behind a backlog of them.
    EXPECT_LT(channel->progressHandOffCount(), count / 4);
}
