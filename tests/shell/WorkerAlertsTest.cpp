// Questions asked by worker threads, served on the main thread by the application's side, and
// the busy flag.
#include "compare/FolderCompareState.h"
#include "compare/SubThreadAlerts.h"
#include "platform/Alerts.h"
#include "platform/Log.h"
#include "shell/AppBusyFlag.h"
#include "shell/MainThreadAlerts.h"
#include "shell/SourceLineLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Shown
{
    platform::AlertRequest request;
    Qt::HANDLE thread;
};

class WorkerAlertsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InstallMainThreadAlerts();
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            shown.push_back({r, QThread::currentThreadId()});
            return answer ? answer(r) : platform::AlertFirstButtonReturn;
        });
    }
    void TearDown() override
    {
        platform::setAlertHook(nullptr);
        InstallMainThreadAlerts();
    }
    // Runs fn on a worker while the main thread serves events; answers what fn returned.
    long onWorker(const std::function<long()> &fn)
    {
        std::atomic<bool> done{false};
        long result = -99;
        std::thread worker([&] {
            result = fn();
            done = true;
        });
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        worker.join();
        return result;
    }

    std::vector<Shown> shown;
    std::function<int(const platform::AlertRequest &)> answer;
};

TEST_F(WorkerAlertsTest, WorkerWaitsUntilTheSecondButtonIsPressed)
{
    std::atomic<bool> workerWentOn{false};
    bool wentOnBeforeTheAnswer = true;
    answer = [&](const platform::AlertRequest &) {
        // The user takes a while; the worker must still be waiting.
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        wentOnBeforeTheAnswer = workerWentOn;
        return platform::AlertSecondButtonReturn;
    };
    const long code = onWorker([&] {
        const long c =
            ShowMessage2_from_sub_thread(QStringLiteral("Copy failed"), QStringLiteral("100% done"),
                                         QStringLiteral("Skip"), QStringLiteral("Stop"));
        workerWentOn = true;
        return c;
    });
    EXPECT_EQ(code, 1001);
    EXPECT_FALSE(wentOnBeforeTheAnswer);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].thread, QThread::currentThreadId());
    EXPECT_EQ(shown[0].request.title, QStringLiteral("Copy failed"));
    EXPECT_EQ(shown[0].request.text, QStringLiteral("100% done")); // percent signs as they stand
    EXPECT_EQ(shown[0].request.buttons,
              (QStringList{QStringLiteral("Skip"), QStringLiteral("Stop")}));
}

TEST_F(WorkerAlertsTest, NobodyAnsweringIsNoButton)
{
    // Both texts empty: nothing is shown, on either thread, and the answer is no button.
    EXPECT_EQ(ShowMessage2_from_sub_thread({}, {}, QStringLiteral("Delete")), 0);
    EXPECT_EQ(onWorker([] { return ShowMessage2_from_sub_thread({}, {}, QStringLiteral("Go")); }),
              0);
    EXPECT_TRUE(shown.empty());

    // The alert ended without any of the panel's buttons.
    answer = [](const platform::AlertRequest &) { return 0; };
    EXPECT_EQ(onWorker([] {
                  return NSRunAlertPanel_from_sub_thread(QStringLiteral("T"), QStringLiteral("m"),
                                                         QStringLiteral("Replace"));
              }),
              kAlertPanelNoAnswer);

    // The application's side given nothing to show.
    QVariantList empty;
    Run_ShowMessage2_from_main_thread(&empty);
    EXPECT_EQ(empty, QVariantList{0});
    QVariantList emptyPanel;
    NSRunAlertPanelMainThread(&emptyPanel);
    EXPECT_EQ(emptyPanel.last().toLongLong(), kAlertPanelNoAnswer);
    Run_ShowMessage2_from_main_thread(nullptr);
    NSRunAlertPanelMainThread(nullptr);
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(WorkerAlertsTest, PanelButtonsAndLiteralMessage)
{
    answer = [](const platform::AlertRequest &r) {
        return platform::AlertFirstButtonReturn + int(r.buttons.size()) - 1; // the last button
    };
    // An other button without an alternate one is left out.
    EXPECT_EQ(onWorker([] {
                  return NSRunAlertPanel_from_sub_thread(
                      QStringLiteral("T"), QStringLiteral("%@ of %d: 100%"), QStringLiteral("Go"),
                      {}, QStringLiteral("Other"));
              }),
              1);
    EXPECT_EQ(onWorker([] {
                  return NSRunAlertPanel_from_sub_thread(QStringLiteral("T"), QStringLiteral("m"),
                                                         QStringLiteral("Go"), QStringLiteral("No"),
                                                         QStringLiteral("Other"));
              }),
              -1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].request.buttons, QStringList{QStringLiteral("Go")});
    EXPECT_EQ(shown[0].request.text, QStringLiteral("%@ of %d: 100%"));
    EXPECT_EQ(shown[1].request.buttons.size(), 3);

    // The application's side: a missing first button is "OK", a number is no text.
    QVariantList args{QStringLiteral("m"), 42};
    answer = nullptr;
    Run_ShowMessage2_from_main_thread(&args);
    EXPECT_EQ(args.last().toLongLong(), 1000);
    EXPECT_EQ(shown.back().request.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(shown.back().request.text, QStringLiteral(" "));
}

TEST_F(WorkerAlertsTest, WithoutDelegateTheQuestionStillReachesTheMainThread)
{
    SetSubThreadAlertDelegate({});
    answer = [](const platform::AlertRequest &) { return platform::AlertSecondButtonReturn; };
    EXPECT_EQ(onWorker([] {
                  return ShowMessage2_from_sub_thread(QStringLiteral("m"), QStringLiteral("i"),
                                                      QStringLiteral("A"), QStringLiteral("B"));
              }),
              1001);
    EXPECT_EQ(onWorker([] {
                  return NSRunAlertPanel_from_sub_thread(QStringLiteral("T"), QStringLiteral("m"),
                                                         QStringLiteral("A"), QStringLiteral("B"));
              }),
              0);
    ASSERT_EQ(shown.size(), 2u);
    for (const Shown &s : shown)
        EXPECT_EQ(s.thread, QThread::currentThreadId());
}

TEST_F(WorkerAlertsTest, CancelledJobStopsWaiting)
{
    std::atomic<bool> cancel{true};
    EXPECT_EQ(onWorker([&] {
                  return NSRunAlertPanel_from_sub_thread(QStringLiteral("T"), QStringLiteral("m"),
                                                         QStringLiteral("Go"), {}, {}, &cancel);
              }),
              kAlertPanelNoAnswer);
    QCoreApplication::processEvents(); // the late question is shown and its answer dropped
}

TEST(AppBusyFlag, ClearUntilSetAndSeenByEveryThread)
{
    EXPECT_FALSE(GetAppBusyFlag());
    SetAppBusyFlag(true);
    bool seen = false;
    std::thread([&] { seen = GetAppBusyFlag(); }).join();
    EXPECT_TRUE(seen);
    SetAppBusyFlag(false);
    EXPECT_FALSE(GetAppBusyFlag());
}

TEST(SourceLineLog, NamesTheFileAndLine)
{
    QStringList lines;
    platform::setLogSink([&](const QString &line) { lines << line; });
    LogWithSourceLine("/a/b/Copy.cpp", 42, QStringLiteral("100% of %d"));
    LogWithSourceLine(nullptr, 7, QStringLiteral("x"));
    LogWithSourceLine("c.cpp", 1, QString());
    platform::setLogSink(nullptr);
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("(Copy.cpp:42) 100% of %d"), QStringLiteral("(:7) x")}));
}

TEST(FolderCompareLock, HeldOnlyInsideTheStateFunctions)
{
    EXPECT_FALSE(FolderCompareState_LockHeldByThisThread());
    QObject owner;
    ASSERT_TRUE(FolderCompareState_BeginCompare(&owner, nullptr, nullptr));
    EXPECT_FALSE(FolderCompareState_LockHeldByThisThread());
    FolderCompareState_EndCompare(&owner);
}

} // namespace
