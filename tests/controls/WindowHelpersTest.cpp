// The common end of modal dialogs, and window and document accessors.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "controls/PelkoNSDocument.h"
#include "controls/PelkoNSWindow.h"
#include "controls/PelkoNSWindowController.h"
#include "platform/Document.h"
#include "platform/Guard.h"
#include "platform/ModalRun.h"
#include "platform/UserDefaults.h"
#include "platform/WindowController.h"
#include "services/WindowFrame.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace {

class ModalProbeDlg : public platform::WindowController
{
    Q_OBJECT
public:
    explicit ModalProbeDlg(const QString &nib) : platform::WindowController(nib) {}

protected:
    QWidget *makeWindow() override { return new QDialog(); }
};

class EmptyController : public platform::WindowController
{
    Q_OBJECT
public:
    EmptyController() : platform::WindowController(QStringLiteral("Empty")) {}
};

} // namespace

TEST(WindowControllerHelpers, StopStoresTheFrameAndEndsOnlyItsOwnRun)
{
    ModalProbeDlg outer(QStringLiteral("Outer"));
    ModalProbeDlg inner(QStringLiteral("Inner"));
    outer.window()->setGeometry(120, 130, 300, 200);

    int innerCode = -1;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            // The outer dialog's stop must not end the inner run that is on top of it.
            stopModalAndSaveFrameWithCode(&outer, 1);
            EXPECT_TRUE(platform::isRunningModal(inner.window()));
            stopModalAndSaveFrameWithCode(&inner, 2);
        });
        innerCode = platform::runModalForWindow(inner.window());
    });
    const int outerCode = platform::runModalForWindow(outer.window());
    EXPECT_EQ(innerCode, 2);
    EXPECT_EQ(outerCode, 1);

    auto &defaults = platform::UserDefaults::standard();
    const QString key = QStringLiteral("winFrame_ModalProbeDlgOuter_");
    EXPECT_EQ(defaults.doubleForKey(key + QLatin1Char('w')), 300.0);
    EXPECT_EQ(defaults.doubleForKey(key + QLatin1Char('h')), 200.0);
    EXPECT_TRUE(defaults.hasKey(QStringLiteral("winFrame_ModalProbeDlgInner_x")));

    // Reopening a dialog of the same name restores the stored frame.
    ModalProbeDlg again(QStringLiteral("Outer"));
    const QRectF restored = Load_Window_Frame(again.window(), &again);
    EXPECT_EQ(restored.size(), QSizeF(300, 200));
}

TEST(WindowControllerHelpers, StopWithoutARunOrWindowIsHarmless)
{
    ModalProbeDlg idle(QStringLiteral("Idle"));
    stopModalAndSaveFrameWithCode(&idle, 1);
    EXPECT_TRUE(
        platform::UserDefaults::standard().hasKey(QStringLiteral("winFrame_ModalProbeDlgIdle_w")));
    EmptyController empty;
    stopModalAndSaveFrameWithCode(&empty, 0);
    stopModalAndSaveFrameWithCode(nullptr, 0);

    pelkotest::LogCapture reports;
    EXPECT_EQ(window2(&empty), nullptr);
    EXPECT_EQ(window2(static_cast<platform::WindowController *>(nullptr)), nullptr);
    EXPECT_EQ(reports.reportCount(), 2);
    EXPECT_EQ(window2(&idle), idle.window());
}

TEST(WindowHelpers, DocumentPathAndWindow)
{
    platform::Document untitled;
    EXPECT_EQ(getFilePath(&untitled), QStringLiteral(""));
    EXPECT_FALSE(getFilePath(nullptr).isNull());
    untitled.setFileURL(QStringLiteral("/home/u/a.txt"));
    EXPECT_EQ(getFilePath(&untitled), QStringLiteral("/home/u/a.txt"));
    pelkotest::LogCapture reports;
    EXPECT_EQ(window2(&untitled), nullptr);
    EXPECT_EQ(reports.reportCount(), 1);
}

TEST(WindowHelpers, ScreensAndPoints)
{
    ASSERT_FALSE(QGuiApplication::screens().isEmpty());
    QWidget window;
    window.setGeometry(50, 60, 200, 100);
    EXPECT_EQ(screen2(&window), QGuiApplication::screens().first());
    EXPECT_EQ(screenFrame(&window),
              QRectF(QGuiApplication::screens().first()->availableGeometry()));

    // Off every screen: the first screen of the list.
    window.setGeometry(-100000, -100000, 10, 10);
    EXPECT_EQ(screen2(&window), QGuiApplication::screens().first());

    window.setGeometry(50, 60, 200, 100);
    window.show();
    const QPointF global = convertPointToScreen2(&window, QPointF(5, 7));
    EXPECT_EQ(global, QPointF(window.mapToGlobal(QPoint(5, 7))));
    EXPECT_EQ(convertPointFromScreen2(&window, global), QPointF(5, 7));
    EXPECT_EQ(convertPointToScreen2(nullptr, QPointF(5, 7)), QPointF());

    EXPECT_FALSE(performWindowDragUntilMouseUp(&window, nullptr));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    // The offscreen windowing system has no interactive move and says so.
    EXPECT_FALSE(performWindowDragUntilMouseUp(&window, &press));
}

#include "WindowHelpersTest.moc"
