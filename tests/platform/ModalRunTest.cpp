#include "platform/ModalRun.h"

#include "platform/Log.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
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

void clickThroughTheWindowSystem(QWidget *widget)
{
    QWidget *window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      widget->mapTo(window, widget->rect().center()));
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

TEST(ModalRunTest, OtherWindowsTakeClicksAgainOnceTheRunsWindowHasGone)
{
    // However the run ended and its owner let the window go, the windows that were open before
    // take mouse clicks again (keys alone are not enough to notice this). The clicks go through
    // the window system, where a modal window holds them back.
    enum class End { HideAfterStop, DeleteAfterStop, StopOnShowThenHide, CloseBox };
    for (End end :
         {End::HideAfterStop, End::DeleteAfterStop, End::StopOnShowThenHide, End::CloseBox}) {
        QPushButton other(QStringLiteral("Other"));
        other.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
        int clicks = 0;
        QObject::connect(&other, &QPushButton::clicked, [&] { ++clicks; });

        QWidget *modal = end == End::StopOnShowThenHide ? new StopsOnShow : new QWidget;
        bool blockedDuringTheRun = end == End::StopOnShowThenHide;
        const auto clickThenEnd = [&, modal, end] {
            clickThroughTheWindowSystem(&other);
            blockedDuringTheRun = clicks == 0;
            if (end == End::CloseBox)
                modal->close();
            else
                stopModalWithCode(modal, 1);
        };
        if (end != End::StopOnShowThenHide)
            later(10, clickThenEnd);
        runModalForWindow(modal);
        EXPECT_TRUE(blockedDuringTheRun) << int(end);
        if (end == End::DeleteAfterStop) {
            delete modal;
            modal = nullptr;
        } else {
            modal->hide();
        }
        clickThroughTheWindowSystem(&other);
        EXPECT_EQ(clicks, 1) << int(end);
        if (modal) {
            // Shown again later without a run, it blocks nothing.
            modal->show();
            clickThroughTheWindowSystem(&other);
            EXPECT_EQ(clicks, 2) << int(end);
            EXPECT_EQ(modal->windowModality(), Qt::NonModal) << int(end);
            delete modal;
        }
    }
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
