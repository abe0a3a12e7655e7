#include "graphics/DarkModeImages.h"
#include "graphics/PelkoNSImage.h"
#include "platform/Image.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <gtest/gtest.h>

using platform::Image;
using platform::ImagePtr;

namespace {

// A black disc on transparency, anti-aliased at its edge.
QImage blackDisc(int side)
{
    QImage image(side, side, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::black);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(1.5, 1.5, side - 3, side - 3));
    return image;
}

QColor centreOf(const QIcon &icon, int side)
{
    const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
    return image.pixelColor(side / 2, side / 2);
}

class DarkModeImagesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mBundle = pelkotest::freshDir(QStringLiteral("bundle"));
        QDir().mkpath(mBundle + QStringLiteral("/images"));
        mName =
            QStringLiteral("disc%1").arg(++sCounter); // fresh names: the registry is per process
        ASSERT_TRUE(
            writeToPNG(Image::fromBitmap(blackDisc(16)).get(),
                       mBundle + QStringLiteral("/images/") + mName + QStringLiteral(".png")));
        SetBundleResourceFolder(mBundle);
        mDark = gAppSetting.bIsDarkMode;
        gAppSetting.bIsDarkMode = 1;
    }
    void TearDown() override
    {
        gAppSetting.bIsDarkMode = mDark;
        SetBundleResourceFolder(QString());
    }
    QString variantPath() const
    {
        return GetSupportSubFolder(QStringLiteral("DarkModeImg")) + QLatin1Char('/') + mName +
               QStringLiteral("_@dark.png");
    }
    // As a later process would: the variant is no longer known by name.
    void forgetVariant()
    {
        if (ImagePtr known = Image::named(mName + QStringLiteral("_@dark")))
            known->setName(QString());
    }

    static inline int sCounter = 0;
    QString mBundle;
    QString mName;
    quint8 mDark = 0;
};

TEST_F(DarkModeImagesTest, NamedControlsShowTheInvertedImageInDark)
{
    QMainWindow window;
    QToolBar *toolbar = window.addToolBar(QStringLiteral("tools"));
    QAction *action = toolbar->addAction(QStringLiteral("go"));
    auto *button = new QPushButton(&window);
    auto *label = new QLabel(&window);
    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("menu"));
    QAction *item = menu->addMenu(QStringLiteral("sub"))->addAction(QStringLiteral("item"));
    for (QObject *control : std::initializer_list<QObject *>{action, button, label, item})
        SetControlImageName(control, mName);

    EXPECT_EQ(centreOf(action->icon(), 16), QColor(Qt::white));
    EXPECT_EQ(centreOf(button->icon(), 16), QColor(Qt::white));
    EXPECT_EQ(centreOf(item->icon(), 16), QColor(Qt::white));
    EXPECT_EQ(label->pixmap().toImage().pixelColor(8, 8), QColor(Qt::white));

    gAppSetting.bIsDarkMode = 0;
    RefreshControlsInDarkMode(&window);
    EXPECT_EQ(centreOf(action->icon(), 16), QColor(Qt::black));
    EXPECT_EQ(centreOf(button->icon(), 16), QColor(Qt::black));
    EXPECT_EQ(centreOf(item->icon(), 16), QColor(Qt::black));
    EXPECT_EQ(label->pixmap().toImage().pixelColor(8, 8), QColor(Qt::black));

    // A menu on its own (the shared menus) is walked with its sub-menus.
    gAppSetting.bIsDarkMode = 1;
    RefreshControlsInDarkMode(menu);
    EXPECT_EQ(centreOf(item->icon(), 16), QColor(Qt::white));
    EXPECT_EQ(centreOf(action->icon(), 16), QColor(Qt::black)); // not in that menu
}

TEST_F(DarkModeImagesTest, TheVariantIsWrittenOnceAndReadBackLater)
{
    const ImagePtr first = GetImageInResourceConsiderDarkMode(mName, true);
    ASSERT_TRUE(first);
    ASSERT_TRUE(QFileInfo::exists(variantPath()));
    EXPECT_EQ(first->size(), QSizeF(16, 16));
    EXPECT_EQ(GetImageInResourceConsiderDarkMode(mName, true), first);

    // A later process reads the stored file instead of inverting again: mark it to tell.
    QImage marked = QImage(variantPath()).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    marked.setPixelColor(0, 0, QColor(Qt::red));
    ASSERT_TRUE(writeToPNG(Image::fromBitmap(marked).get(), variantPath()));
    forgetVariant();
    const ImagePtr stored = GetImageInResourceConsiderDarkMode(mName, true);
    ASSERT_TRUE(stored && stored != first);
    EXPECT_EQ(stored->representations()[0].bitmap.pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(DarkModeImagesTest, ACorruptVariantIsMadeAgain)
{
    ASSERT_TRUE(pelkotest::writeFile(variantPath(), QByteArray("\x89PNG broken", 11)));
    pelkotest::LogCapture log;
    const ImagePtr made = GetImageInResourceConsiderDarkMode(mName, true);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->representations()[0].bitmap.pixelColor(8, 8), QColor(Qt::white));
    const QImage onDisk(variantPath());
    ASSERT_FALSE(onDisk.isNull());
    EXPECT_EQ(onDisk.pixelColor(8, 8), QColor(Qt::white));
}

TEST_F(DarkModeImagesTest, ANewVersionEmptiesTheVariantFolder)
{
    ASSERT_TRUE(GetImageInResourceConsiderDarkMode(mName, true));
    ASSERT_TRUE(QFileInfo::exists(variantPath()));
    const QString folder = QFileInfo(variantPath()).path();
    const QString outside = pelkotest::freshDir() + QStringLiteral("/keep.png");
    ASSERT_TRUE(pelkotest::writeFile(outside, "not ours"));
    ASSERT_TRUE(QFile::link(outside, folder + QStringLiteral("/link.png")));

    EXPECT_TRUE(AppSetting_ApplyNewVersionReset(QStringLiteral("99.%1").arg(sCounter)));
    EXPECT_FALSE(QFileInfo::exists(variantPath()));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/link.png")).isSymLink()); // links stay
    EXPECT_TRUE(QFileInfo::exists(outside));
    QFile::remove(folder + QStringLiteral("/link.png"));
}

TEST_F(DarkModeImagesTest, LightNamesAndNamesNotHeld)
{
    const ImagePtr light = GetImageInResourceConsiderDarkMode(mName, false);
    ASSERT_TRUE(light);
    EXPECT_EQ(light, Image::named(mName));
    EXPECT_FALSE(GetImageInResourceConsiderDarkMode(QString(), true));
    for (const QString &name : TemplateResourceImageNames())
        EXPECT_FALSE(GetImageInResourceConsiderDarkMode(name, true)) << name.toStdString();
    EXPECT_EQ(TemplateResourceImageNames().size(), 13);
    EXPECT_FALSE(QFileInfo::exists(GetSupportSubFolder(QStringLiteral("DarkModeImg")) +
                                   QStringLiteral("/aNSSynchronize_@dark.png")));
}

TEST_F(DarkModeImagesTest, TemplateImagesFollowThePalette)
{
    const QString name = QStringLiteral("aNSSynchronize");
    ASSERT_TRUE(writeToPNG(Image::fromBitmap(blackDisc(16)).get(),
                           mBundle + QStringLiteral("/images/") + name + QStringLiteral(".png")));
    SetBundleResourceFolder(QString());
    SetBundleResourceFolder(mBundle); // forget what was read before
    Set_Template_ForResourceImages();
    const ImagePtr image = Image::named(name);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isTemplate());
    for (const QColor text : {QColor(230, 230, 230), QColor(20, 20, 20)}) {
        QPalette palette;
        palette.setColor(QPalette::ButtonText, text);
        EXPECT_EQ(centreOf(image->toQIcon(palette), 16), text);
    }
}

} // namespace
