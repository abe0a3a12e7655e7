#include "platform/ModalRun.h"

#include "platform/Log.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

using namespace platform;

namespace {

void later(int ms, std::function<void()> fn)
{
    QTimer::singleShot(ms, qApp, std::move(fn));
}

TEST(ModalRunTest, StopEndsTheRunWithItsCode)
{
    QWidget window;
    bool runningInside = false;
    QWidget *current = nullptr;
    later(10, [&] {
        runningInside = isRunningModal(&window);
        current = currentModalWindow();
        EXPECT_TRUE(stopModalWithCode(&window, 7));
        EXPECT_FALSE(stopModalWithCode(&window, 8)); // already ended
    });
    EXPECT_EQ(runModalForWindow(&window), 7);
    EXPECT_TRUE(runningInside);
    EXPECT_EQ(current, &window);
    EXPECT_FALSE(isRunningModal(&window));
    EXPECT_EQ(currentModalWindow(), nullptr);
    EXPECT_TRUE(window.isVisible()); // closing is the owner's business
    EXPECT_FALSE(stopModalWithCode(&window, 1));
    EXPECT_FALSE(stopModalWithCode(nullptr, 1));
}

TEST(ModalRunTest, StoppingAnOuterRunLeavesTheInnerOneRunning)
{
    QWidget outer, inner;
    int innerCode = -1;
    bool innerStillRunning = false;
    later(10, [&] {
        later(10, [&] {
            EXPECT_EQ(currentModalWindow(), &inner);
            EXPECT_TRUE(stopModalWithCode(&outer, 3));
            later(20, [&] {
                innerStillRunning = isRunningModal(&inner);
                stopModalWithCode(&inner, 5);
            });
        });
        innerCode = runModalForWindow(&inner);
    });
    EXPECT_EQ(runModalForWindow(&outer), 3);
    EXPECT_EQ(innerCode, 5);
    EXPECT_TRUE(innerStillRunning);
}

TEST(ModalRunTest, ApplicationWideStopEndsTheInnermostRun)
{
    QWidget outer, inner;
    int innerCode = 0;
    later(10, [&] {
        later(10, [&] {
            EXPECT_TRUE(abortModal()); // the inner run
            later(10, [&] { EXPECT_TRUE(stopModal(4)); });
        });
        innerCode = runModalForWindow(&inner);
    });
    EXPECT_EQ(runModalForWindow(&outer), 4);
    EXPECT_EQ(innerCode, ModalResponseAbort);
    EXPECT_FALSE(stopModal(1));
}

TEST(ModalRunTest, CloseBoxOrDestructionEndsWithZero)
{
    QWidget closed;
    later(10, [&] { closed.close(); });
    EXPECT_EQ(runModalForWindow(&closed), 0);

    auto *doomed = new QWidget;
    later(10, [doomed] { delete doomed; });
    EXPECT_EQ(runModalForWindow(doomed), 0);
}

// A window that ends its run while it is being shown, before the loop starts.
class StopsOnShow : public QWidget
{
protected:
    void showEvent(QShowEvent *) override { stopModalWithCode(this, 9); }
};

TEST(ModalRunTest, StopBeforeTheLoopStartsAndRefusedRuns)
{
    StopsOnShow window;
    EXPECT_EQ(runModalForWindow(&window), 9);

    QStringList log;
    platform::setLogSink([&](const QString &l) { log << l; });
    EXPECT_EQ(runModalForWindow(nullptr), 0);
    QWidget twice;
    int nested = -1;
    later(10, [&] {
        nested = runModalForWindow(&twice); // the same window cannot run twice
        stopModalWithCode(&twice, 2);
    });
    EXPECT_EQ(runModalForWindow(&twice), 2);
    platform::setLogSink(nullptr);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(log.size(), 2);
}

TEST(ModalRunTest, HookAnswersWithoutRunning)
{
    QWidget window;
    QWidget *asked = nullptr;
    setModalHook([&](QWidget *w) {
        asked = w;
        return 42;
    });
    const int code = runModalForWindow(&window);
    setModalHook(nullptr);
    EXPECT_EQ(code, 42);
    EXPECT_EQ(asked, &window);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
