#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// Runs the main event loop until the predicate holds or the time is up.
bool spinUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

TEST(DispatchTest, KeyedRequestsReplaceEarlierOnesOfTheSameContext)
{
    QObject a, b;
    QStringList calls;
    platform::performAfterDelay(
        &a, 0.01, [&] { calls << "a1"; }, QStringLiteral("k"));
    platform::performAfterDelay(
        &a, 0.01, [&] { calls << "a2"; }, QStringLiteral("k"));
    platform::performAfterDelay(
        &b, 0.01, [&] { calls << "b"; }, QStringLiteral("k"));
    platform::performAfterDelay(&a, 0.01, [&] { calls << "u1"; });
    platform::performAfterDelay(&a, 0.01, [&] { calls << "u2"; });
    platform::performAfterDelay(
        &a, 0.01, [&] { calls << "other"; }, QStringLiteral("other"));
    platform::cancelPerform(&a, QStringLiteral("other"));
    EXPECT_TRUE(platform::isPerformPending(&a, QStringLiteral("k")));
    EXPECT_TRUE(platform::isPerformPending(&a, QString()));
    EXPECT_FALSE(platform::isPerformPending(&a, QStringLiteral("other")));
    EXPECT_FALSE(platform::isPerformPending(&b, QString()));
    ASSERT_TRUE(spinUntil([&] { return calls.size() >= 4; }));
    // Nothing is left to run: the replaced and the cancelled requests never will.
    EXPECT_FALSE(platform::hasPendingPerforms(&a));
    EXPECT_FALSE(platform::hasPendingPerforms(&b));
    calls.sort();
    EXPECT_EQ(calls, (QStringList{"a2", "b", "u1", "u2"}));
}

TEST(DispatchTest, NothingRunsAfterTheContextIsGoneOrEverythingCancelled)
{
    int calls = 0;
    {
        QObject context;
        platform::performAfterDelay(&context, 0.0, [&] { ++calls; });
        platform::performAfterDelay(
            &context, 0.01, [&] { ++calls; }, QStringLiteral("k"));
    }
    QObject kept;
    platform::performAfterDelay(&kept, 0.0, [&] { ++calls; });
    platform::performAfterDelay(
        &kept, 0.0, [&] { ++calls; }, QStringLiteral("k"));
    platform::cancelPerform(&kept, QString());
    EXPECT_FALSE(platform::hasPendingPerforms(&kept));
    // A request made after them, for later than theirs, runs after any of them would have.
    bool later = false;
    platform::performAfterDelay(&kept, 0.05, [&] { later = true; });
    ASSERT_TRUE(spinUntil([&] { return later; }));
    EXPECT_EQ(calls, 0);
}

TEST(DispatchTest, DelayIsHonouredAndRequestsFromWorkersRunOnTheContextThread)
{
    QObject context;
    QElapsedTimer clock;
    clock.start();
    qint64 elapsed = -1;
    platform::performAfterDelay(&context, 0.05, [&] { elapsed = clock.elapsed(); });
    ASSERT_TRUE(spinUntil([&] { return elapsed >= 0; }));
    EXPECT_GE(elapsed, 45);

    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> ran{false};
    std::thread worker([&] {
        platform::performAfterDelay(&context, 0.0, [&] {
            ranOnMain = QThread::currentThread() == QCoreApplication::instance()->thread();
            ran = true;
        });
    });
    worker.join();
    ASSERT_TRUE(spinUntil([&] { return ran.load(); }));
    EXPECT_TRUE(ranOnMain.load());
}

TEST(DispatchTest, PerformOnMainThread)
{
    EXPECT_TRUE(platform::isMainThread());

    // From the main thread: waiting runs at once, not waiting queues.
    int calls = 0;
    platform::performOnMainThread([&] { ++calls; }, true);
    EXPECT_EQ(calls, 1);
    platform::performOnMainThread([&] { ++calls; }, false);
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(spinUntil([&] { return calls == 2; }));

    // From a worker: waiting returns only after the main thread ran the call.
    std::atomic<bool> workerIsMain{true};
    std::atomic<bool> sawResult{false};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        workerIsMain = platform::isMainThread();
        bool onMain = false;
        platform::performOnMainThread([&] { onMain = platform::isMainThread(); }, true);
        sawResult = onMain;
        finished = true;
    });
    ASSERT_TRUE(spinUntil([&] { return finished.load(); }));
    worker.join();
    EXPECT_FALSE(workerIsMain.load());
    EXPECT_TRUE(sawResult.load());
}

TEST(DispatchTest, MonitorsAreMadeOncePerName)
{
    std::atomic<std::recursive_mutex *> seen[8] = {};
    std::vector<std::thread> threads;
    for (auto &slot : seen)
        threads.emplace_back([&slot] { slot = &platform::monitor("sharedState"); });
    for (auto &t : threads)
        t.join();
    for (auto &slot : seen)
        EXPECT_EQ(slot.load(), &platform::monitor("sharedState"));
    EXPECT_NE(&platform::monitor("mainBundle"), &platform::monitor("sharedState"));

    std::recursive_mutex &m = platform::monitor("mainBundle");
    std::lock_guard outer(m);
    std::lock_guard inner(m); // recursive: the same thread may enter again
    std::atomic<bool> otherGotIt{true};
    std::thread other([&] {
        otherGotIt = m.try_lock();
        if (otherGotIt)
            m.unlock();
    });
    other.join();
    EXPECT_FALSE(otherGotIt.load());
}

} // namespace
