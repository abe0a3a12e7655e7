// Renders colour wells in their states and the open grid into PNGs under the build folder.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include "support/TestEnvironment.h"
#include "services/SupportFolder.h"
#include "themes/MyColorWell.h"
#include "themes/MyColorWellGridView.h"
#include "themes/MyColorWellHistory.h"

using platform::Color;

TEST(ColorWellScreenshot, WellsInEveryStateAndTheOpenGrid)
{
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    gMyColorWellHistory()->setColorArray(
        {Color::red(), Color::orange(), Color::calibratedRGB(0.2, 0.5, 0.9)});

    QWidget window;
    window.resize(560, 50);
    const struct
    {
        const char *name;
        Color color;
    } wells[] = {{"opaque", Color::calibratedRGB(0.1, 0.45, 0.8)},
                 {"translucent", Color::calibratedRGB(0.9, 0.1, 0.1, 0.45)},
                 {"hovered", Color::calibratedRGB(0.2, 0.7, 0.3)},
                 {"bound", Color::calibratedRGB(0.95, 0.8, 0.1)},
                 {"disabled", Color::calibratedRGB(0.5, 0.2, 0.6)}};
    QList<MyColorWell *> list;
    for (int i = 0; i < 5; ++i) {
        auto *well = new MyColorWell(&window);
        well->setGeometry(10 + i * 110, 12, 100, 24);
        well->setColor(wells[i].color);
        list << well;
    }
    window.show();
    QTest::mouseMove(list[2], list[2]->colorSwatchFrame().center().toPoint());
    QMouseEvent hover(QEvent::MouseMove, list[2]->colorSwatchFrame().center(),
                      list[2]->mapToGlobal(list[2]->colorSwatchFrame().center()), Qt::NoButton,
                      Qt::NoButton, {});
    QApplication::sendEvent(list[2], &hover);
    QTest::mouseClick(list[3], Qt::LeftButton, {}, list[3]->buttonFrame().center().toPoint());
    list[4]->setEnabled(false);
    ASSERT_TRUE(list[2]->shouldDrawMouseOverIndicator());
    ASSERT_TRUE(list[3]->isActive());

    const QImage wellsShot = window.grab().toImage();
    ASSERT_TRUE(wellsShot.save(pelkotest::screenshotPath(QStringLiteral("colorwells.png"))));
    // The swatch shows its colour inside the frame; the translucent one mixes with black/white.
    const QImage opaque = list[0]->grab().toImage();
    EXPECT_EQ(opaque.pixelColor(30, 12).rgb(), QColor::fromRgbF(0.1, 0.45, 0.8).rgb());
    const QImage translucent = list[1]->grab().toImage();
    EXPECT_NE(translucent.pixelColor(12, 6).rgb(), translucent.pixelColor(70, 18).rgb());

    // The grid with a help line for the cell under the pointer.
    QTest::mouseClick(list[0], Qt::LeftButton, {}, list[0]->colorSwatchFrame().center().toPoint());
    MyColorWellGridView *grid = list[0]->colorGridView();
    ASSERT_TRUE(grid);
    const QPoint cell = grid->frameForColorAreaAtColumn(0, 0).center().toPoint();
    QTest::mouseMove(grid, cell);
    QTest::mousePress(grid, Qt::LeftButton, {},
                      grid->frameForColorAreaAtColumn(13, 4).center().toPoint());
    QMouseEvent move(QEvent::MouseMove, QPointF(cell), grid->mapToGlobal(QPointF(cell)),
                     Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(grid, &move);
    ASSERT_FALSE(grid->helpLabel()->text().isEmpty());
    const QImage gridShot = grid->grab().toImage();
    ASSERT_TRUE(gridShot.save(pelkotest::screenshotPath(QStringLiteral("colorgrid.png"))));
    EXPECT_EQ(gridShot.size(), QSize(730, 190));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(2, 2));
    if (auto *panel = MyColorWell::sharedColorPanel(false))
        panel->hide();
}
