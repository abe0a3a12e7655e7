// The images of named controls follow the appearance: the shared menus after an appearance
// change, and every window as its controller loads it.
#include "ShellFakes.h"

#include "graphics/DarkModeImages.h"
#include "graphics/PelkoNSImage.h"
#include "platform/WindowController.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "shell/MyApp.h"
#include "support/TestEnvironment.h"
#include "themes/DarkMode.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

const QString kImage = QStringLiteral("shellDisc");

QColor centreOf(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16), 1.0).toImage().pixelColor(8, 8);
}

// A window whose toolbar action and button name their image as a form would: by the property.
class NamedImagesWindow : public platform::WindowController
{
public:
    NamedImagesWindow() : platform::WindowController(QStringLiteral("NamedImagesWindow")) {}
    QAction *action = nullptr;
    QPushButton *button = nullptr;

protected:
    QWidget *makeWindow() override
    {
        auto *window = new QMainWindow();
        action = window->addToolBar(QStringLiteral("tools"))->addAction(QStringLiteral("go"));
        action->setProperty(kControlImageNameProperty, kImage);
        button = new QPushButton(window);
        button->setProperty(kControlImageNameProperty, kImage);
        return window;
    }
};

class DarkModeRefreshTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        gIsFirstRun = false;
        const QString bundle = pelkotest::freshDir(QStringLiteral("bundle"));
        QDir().mkpath(bundle + QStringLiteral("/images"));
        QImage disc(16, 16, QImage::Format_RGBA8888_Premultiplied);
        disc.fill(Qt::transparent);
        QPainter painter(&disc);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::black);
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        painter.end();
        ASSERT_TRUE(
            writeToPNG(platform::Image::fromBitmap(disc).get(),
                       bundle + QStringLiteral("/images/") + kImage + QStringLiteral(".png")));
        SetBundleResourceFolder(bundle);
        mPalette = QApplication::palette();
        app = std::make_unique<MyApp>();
        app->setQuitHandler([] {});
    }
    void TearDown() override
    {
        app.reset();
        QApplication::setPalette(mPalette);
        ResetDarkModeCache();
        SetBundleResourceFolder(QString());
    }
    void appear(bool dark)
    {
        QPalette palette = mPalette;
        palette.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
        QApplication::setPalette(palette);
        ResetDarkModeCache();
    }

    FakeWindowFactory factory;
    std::unique_ptr<MyApp> app;
    QPalette mPalette;
};

TEST_F(DarkModeRefreshTest, SharedMenusAndLoadedWindowsFollowTheAppearance)
{
    appear(true);
    app->awakeFromNib();
    ASSERT_FALSE(app->sharedMenus().isEmpty());
    QAction *item = app->sharedMenus().first()->addAction(QStringLiteral("with an image"));
    SetControlImageName(item, kImage);
    EXPECT_EQ(centreOf(item->icon()), QColor(Qt::white));

    NamedImagesWindow window;
    ASSERT_TRUE(window.window());
    EXPECT_EQ(centreOf(window.action->icon()), QColor(Qt::white));
    EXPECT_EQ(centreOf(window.button->icon()), QColor(Qt::white));

    appear(false);
    app->validateDarkModeChanged_Later();
    EXPECT_EQ(gAppSetting.bIsDarkMode, 0);
    EXPECT_EQ(centreOf(item->icon()), QColor(Qt::black));

    appear(true);
    app->validateDarkModeChanged_Later();
    EXPECT_EQ(centreOf(item->icon()), QColor(Qt::white));
}

} // namespace
