#include "layers/EventWaits.h"

#include "platform/Alerts.h"
#include "platform/Sheets.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

class EventWaitsTest : public ::testing::Test
{
protected:
    void TearDown() override { SetFastRepeatCallClock(nullptr); }
};

TEST_F(EventWaitsTest, RepeatGuard)
{
    double now = 0;
    SetFastRepeatCallClock([&now] { return now; });
    struct Step
    {
        double at;
        bool expected;
    };
    // Right after start the guard has seen no call: the first one is never a repeat.
    const Step steps[] = {{0.1, false}, {0.6, true},   {0.75, true}, {0.81, false},
                          {1.3, true},  {1.52, false}, {1.0, false}, {1.0, true}};
    for (const Step &step : steps) {
        now = step.at;
        EXPECT_EQ(IsFastRepeatCall(), step.expected) << step.at;
    }
    SetFastRepeatCallClock([&now] { return now; });
    const Step again[] = {{0, false}, {0.5, true}, {0.8, false}};
    for (const Step &step : again) {
        now = step.at;
        EXPECT_EQ(IsFastRepeatCall(), step.expected) << step.at;
    }
}

// A window with a field that has the focus, shown on the offscreen platform.
struct ShownWindow
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QLineEdit *field = new QLineEdit(window.get());
    ShownWindow()
    {
        window->resize(200, 100);
        window->show();
        field->setFocus();
    }
};

// Posts the events once the wait has started its loop.
void postLater(QObject *target, std::vector<QEvent *> events)
{
    QTimer::singleShot(0, target, [target, events] {
        for (QEvent *event : events)
            QCoreApplication::postEvent(target, event);
    });
}

// Runs a function when the object receives an event of the type (after any application filter).
struct OnEvent : QObject
{
    QEvent::Type type;
    std::function<void()> run;
    int seen = 0;
    OnEvent(QObject *target, QEvent::Type t, std::function<void()> f) : type(t), run(std::move(f))
    {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == type) {
            ++seen;
            run();
        }
        return false;
    }
};

QKeyEvent *keyRelease(int key, const QString &text)
{
    return new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text);
}

QMouseEvent *mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    return new QMouseEvent(type, QPointF(5, 5), QPointF(5, 5), QPointF(5, 5), button, buttons,
                           Qt::NoModifier);
}

TEST_F(EventWaitsTest, EscapeWait)
{
    pelkotest::LogCapture log;
    {
        ShownWindow shown;
        postLater(shown.field, {keyRelease(Qt::Key_Escape, QStringLiteral("\x1b"))});
        EXPECT_TRUE(ProcessEventForWindowToCheckIfESCWasPress(shown.window.get()));
        EXPECT_TRUE(log.lines().contains(
            QStringLiteral("ProcessEventForWindowToCheckIfESCWasPress -> true")));
    }
    {
        // A key press is not a release; the first release decides.
        ShownWindow shown;
        postLater(shown.field,
                  {new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b"),
                   keyRelease(Qt::Key_A, QStringLiteral("a")),
                   keyRelease(Qt::Key_Escape, QStringLiteral("\x1b"))});
        EXPECT_FALSE(ProcessEventForWindowToCheckIfESCWasPress(shown.window.get()));
    }
    {
        // Keys released in another window do not count; closing the window ends the wait.
        ShownWindow shown;
        ShownWindow other;
        OnEvent closeAfter(other.field, QEvent::KeyRelease, [&] { shown.window->close(); });
        postLater(other.field, {keyRelease(Qt::Key_Escape, QStringLiteral("\x1b"))});
        EXPECT_FALSE(ProcessEventForWindowToCheckIfESCWasPress(shown.window.get()));
        EXPECT_EQ(closeAfter.seen, 1);
    }
    {
        ShownWindow shown;
        QTimer::singleShot(0, [&] { shown.window.reset(); });
        QWidget *window = shown.window.get();
        EXPECT_FALSE(ProcessEventForWindowToCheckIfESCWasPress(window));
    }
    EXPECT_FALSE(ProcessEventForWindowToCheckIfESCWasPress(nullptr));
    QWidget hidden;
    EXPECT_FALSE(ProcessEventForWindowToCheckIfESCWasPress(&hidden));
}

TEST_F(EventWaitsTest, MouseUpWait)
{
    ShownWindow shown;
    // Drags before the release are taken from the window; the release ends the wait.
    OnEvent moves(shown.field, QEvent::MouseMove, [] {});
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), QPointF(5, 5),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    postLater(shown.field, {mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton),
                            mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton)});
    WaitTilMouseUp(shown.window.get(), &press);
    EXPECT_EQ(moves.seen, 0);

    // A release as the current event returns at once; null arguments do nothing.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), QPointF(5, 5),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    WaitTilMouseUp(shown.window.get(), &release);
    WaitTilMouseUp(nullptr, &press);
    WaitTilMouseUp(shown.window.get(), nullptr);

    // The window closing ends the wait.
    QTimer::singleShot(0, shown.window.get(), [&] { shown.window->close(); });
    WaitTilMouseUp(shown.window.get(), &press);
    EXPECT_FALSE(shown.window->isVisible());
}

TEST_F(EventWaitsTest, SheetAlert)
{
    QWidget window;
    window.resize(300, 200);
    window.show();
    ShowMessage_ForSheet(&window, QStringLiteral("Title"), QString());
    QMessageBox *box = window.findChild<QMessageBox *>();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(platform::sheetParent(box), &window);
    EXPECT_EQ(box->text(), QStringLiteral("Title"));
    EXPECT_EQ(box->informativeText(), QStringLiteral(" "));
    ASSERT_EQ(box->buttons().size(), 1);
    box->buttons().first()->click();
    // The sheet's end is heard on the next turn of the event loop.
    for (int turn = 0; turn < 100 && window.findChild<QMessageBox *>(); ++turn) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_FALSE(window.findChild<QMessageBox *>());

    ShowMessage_ForSheet(&window, QString(), QString());
    EXPECT_FALSE(window.findChild<QMessageBox *>());

    // Without a window the modal alert is used.
    std::vector<platform::AlertRequest> shown;
    platform::setAlertHook([&](const platform::AlertRequest &request) {
        shown.push_back(request);
        return 1000;
    });
    ShowMessage_ForSheet(nullptr, QStringLiteral("T"), QStringLiteral("X"));
    platform::setAlertHook(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, QStringLiteral("T"));
    EXPECT_EQ(shown[0].text, QStringLiteral("X"));
    EXPECT_EQ(shown[0].buttons, QStringList{QStringLiteral("OK")});
}

} // namespace
