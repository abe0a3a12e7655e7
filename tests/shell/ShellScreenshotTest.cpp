// Renders the image compare window and every page of the preferences into PNGs under the build
// folder ("screenshots"), and checks that what should be drawn is there.
#include "platform/Alerts.h"
#include "services/AppSetting.h"
#include "shell/ImagePreviewView.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/SettingDlg.h"
#include "support/TestEnvironment.h"
#include "ui_MergeImageWindCtr.h"
#include "ui_SettingDlg.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage sampleImage(bool variant)
{
    QImage image(640, 420, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 640, 420);
    g.setColorAt(0, QColor(30, 90, 160));
    g.setColorAt(1, variant ? QColor(220, 120, 40) : QColor(40, 170, 110));
    p.fillRect(image.rect(), g);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(variant ? 420 : 220, 210), 110, 110);
    return image;
}

TEST(ShellScreenshot, ImageWindowWithTwoDifferentImages)
{
    AppSetting_SetDefault(&gAppSetting);
    const QString dir = pelkotest::freshDir(QStringLiteral("shots"));
    ASSERT_TRUE(sampleImage(false).save(dir + QStringLiteral("/sunrise.png")));
    ASSERT_TRUE(sampleImage(true).save(dir + QStringLiteral("/sunset.jpg"), "JPEG", 90));
    MergeImageWindCtr w;
    w.setMFile1(dir + QStringLiteral("/sunrise.png"));
    w.setMFile2(dir + QStringLiteral("/sunset.jpg"));
    w.showWindow();
    w.window()->resize(1000, 560);
    QTRY_VERIFY_WITH_TIMEOUT(w.isEqual() == 0, 20000);
    for (ImagePreviewView *v : {w.ui().mView1, w.ui().mView2})
        QTRY_VERIFY_WITH_TIMEOUT(v->state() == ImagePreviewView::State::Shown, 20000);
    QTest::qWait(200);
    const QImage shot = w.window()->grab().toImage();
    EXPECT_TRUE(shot.save(pelkotest::screenshotPath(QStringLiteral("imagewindow.png"))));
    EXPECT_GT(pelkotest::distinctColours(w.ui().mView1->grab().toImage(), 3), 20);
    EXPECT_GT(pelkotest::distinctColours(w.ui().mView2->grab().toImage(), 3), 20);
    EXPECT_EQ(w.ui().mResultLabel->text(), QStringLiteral("The two files are different"));
}

TEST(ShellScreenshot, EveryPreferencesPage)
{
    AppSetting_SetDefault(&gAppSetting);
    SettingDlg d;
    d.window()->resize(760, 640);
    d.window()->show();
    QTabWidget *tabs = d.ui().mTab;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QTest::qWait(30);
        const QImage shot = d.window()->grab().toImage();
        ASSERT_FALSE(shot.isNull());
        EXPECT_TRUE(
            shot.save(pelkotest::screenshotPath(QStringLiteral("preferences-%1.png")).arg(i)));
    }
    // The sample shows the theme's colours.
    EXPECT_GT(pelkotest::distinctColours(d.ui().mtxt_TextSample->viewport()->grab().toImage(), 3),
              6);
    d.cancelButtonClicked();
}

} // namespace
