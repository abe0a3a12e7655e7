// Window frames stored per owner and restored onto the screen.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>
#include <QWidget>

#include "platform/UserDefaults.h"
#include "services/WindowFrame.h"

namespace {

class FrameOwner : public QObject
{
    Q_OBJECT
};

TEST(WindowFrame, SaveThenRestore)
{
    FrameOwner owner;
    owner.setProperty("windowNibName", QStringLiteral("RoundTrip"));
    QWidget window;
    window.setGeometry(40, 50, 300, 200);
    Save_Window_Frame(&window, &owner);
    auto &defaults = platform::UserDefaults::standard();
    EXPECT_EQ(defaults.doubleForKey(QStringLiteral("winFrame_FrameOwnerRoundTrip_w")), 300.0);
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("winFrame_FrameOwnerRoundTrip_x")).typeId(),
              QMetaType::Double);

    QWidget other;
    other.resize(100, 100);
    Localize_LoadWindowPos_SetBackground(&other, &owner, platform::Color(), false);
    EXPECT_EQ(other.geometry(), QRect(40, 50, 300, 200));
    Save_Window_Frame(nullptr, &owner);
    Save_Window_Frame(&window, nullptr);
    Localize_LoadWindowPos_SetBackground(nullptr, &owner, platform::Color(), true);
}

TEST(WindowFrame, MissingOrDegenerateFramesAreNotRestored)
{
    FrameOwner owner;
    owner.setProperty("windowNibName", QStringLiteral("Degenerate"));
    QWidget window;
    EXPECT_TRUE(Load_Window_Frame(&window, &owner).isEmpty());
    auto &defaults = platform::UserDefaults::standard();
    defaults.setDouble(10, QStringLiteral("winFrame_FrameOwnerDegenerate_x"));
    defaults.setDouble(10, QStringLiteral("winFrame_FrameOwnerDegenerate_y"));
    defaults.setDouble(0.5, QStringLiteral("winFrame_FrameOwnerDegenerate_w"));
    defaults.setDouble(100, QStringLiteral("winFrame_FrameOwnerDegenerate_h"));
    EXPECT_TRUE(Load_Window_Frame(&window, &owner).isEmpty());
    defaults.setDouble(std::numeric_limits<double>::quiet_NaN(),
                       QStringLiteral("winFrame_FrameOwnerDegenerate_w"));
    EXPECT_TRUE(Load_Window_Frame(&window, &owner).isEmpty());
}

TEST(WindowFrame, FrameFarOffScreenIsHeldOnTheScreen)
{
    FrameOwner owner;
    owner.setProperty("windowNibName", QStringLiteral("Far"));
    auto &defaults = platform::UserDefaults::standard();
    defaults.setDouble(1e7, QStringLiteral("winFrame_FrameOwnerFar_x"));
    defaults.setDouble(-1e7, QStringLiteral("winFrame_FrameOwnerFar_y"));
    defaults.setDouble(200, QStringLiteral("winFrame_FrameOwnerFar_w"));
    defaults.setDouble(100, QStringLiteral("winFrame_FrameOwnerFar_h"));
    QWidget window;
    const QRectF frame = Load_Window_Frame(&window, &owner);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(QRectF(area).contains(frame)) << frame.x() << "," << frame.y();
    EXPECT_EQ(frame.size(), QSizeF(200, 100));
}

TEST(WindowFrame, NoStoredFrameCentresAndSetsTheBackground)
{
    FrameOwner owner;
    owner.setProperty("windowNibName", QStringLiteral("Centre"));
    QWidget window;
    window.setGeometry(0, 0, 200, 100);
    Localize_LoadWindowPos_SetBackground(&window, &owner, platform::Color::calibratedRGB(1, 0, 0),
                                         true);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window.geometry().center().x() - area.center().x()), 1);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(255, 0, 0));
}

} // namespace

#include "WindowFrameTest.moc"
