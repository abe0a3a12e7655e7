// The colour well driven through the mouse on the offscreen platform: geometry, the shared colour
// panel, colour setting and its action, drops, and the grid popover.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include "support/LogCapture.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "themes/MyColorWell.h"
#include "themes/MyColorWellGridView.h"
#include "themes/MyColorWellHistory.h"

using platform::Color;

namespace {

quint64 word(const Color &c)
{
    return GetHexColor_ForMyColorWell(c);
}

struct WellWindow
{
    QWidget window;
    MyColorWell *well1;
    MyColorWell *well2;
    WellWindow()
    {
        window.resize(300, 100);
        well1 = new MyColorWell(&window);
        well1->setGeometry(10, 10, 100, 24);
        well2 = new MyColorWell(&window);
        well2->setGeometry(10, 50, 100, 24);
        window.show();
    }
    ~WellWindow()
    {
        if (auto *panel = MyColorWell::sharedColorPanel(false))
            panel->hide();
    }
};

QPoint buttonCentre(MyColorWell *w)
{
    return w->buttonFrame().center().toPoint();
}
QPoint swatchCentre(MyColorWell *w)
{
    return w->colorSwatchFrame().center().toPoint();
}

} // namespace

TEST(MyColorWell, GeometryOfSwatchButtonAndIndicator)
{
    MyColorWell well;
    well.resize(100, 24);
    EXPECT_EQ(well.colorSwatchFrame(), QRectF(0.25, 0.25, 78, 23));
    EXPECT_EQ(well.buttonFrame(), QRectF(78.5, 0.25, 21, 23));
    EXPECT_EQ(well.mouseOverIndicatorFrame(), QRectF(78.25 - 17, 5, 13, 13));
    EXPECT_EQ(well.toolTipAt(QPointF(10, 10)), QStringLiteral("Click to choose a color."));
    EXPECT_EQ(well.toolTipAt(QPointF(90, 10)),
              QStringLiteral("Click to show more colors or create your own."));
    well.setToolTip(QStringLiteral("Text colour"));
    EXPECT_EQ(well.toolTipAt(QPointF(90, 10)), QStringLiteral("Text colour"));
    // The hint does not follow the current size, so layouts cannot make it grow.
    const QSize hint = well.sizeHint();
    well.resize(hint);
    EXPECT_EQ(well.sizeHint(), hint);
}

TEST(MyColorWell, SettingColoursByCodeSendsNoActionAndIgnoresNoColour)
{
    MyColorWell well;
    QSignalSpy actions(&well, &MyColorWell::action);
    QSignalSpy changes(&well, &MyColorWell::colorChanged);
    EXPECT_EQ(well.hexColor(), 0xFFFFFFFFu) << "white after set-up";
    well.setColor(Color::calibratedRGB(1, 0, 0, 0.5));
    EXPECT_EQ(well.hexColor(), 0xFF00007Fu);
    well.setColor(Color());
    well.setHexColor(0x100000000ull);
    EXPECT_EQ(well.hexColor(), 0xFF00007Fu);
    well.setHexColor(0x00FF00FF);
    EXPECT_EQ(well.hexColor(), 0x00FF00FFu);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(actions.count(), 0);

    pelkotest::LogCapture log;
    well.activate(true);
    EXPECT_TRUE(log.logged(QStringLiteral("does not support [activate:(BOOL)exclusive]")));
    EXPECT_FALSE(well.isActive());
}

TEST(MyColorWell, OneWellAtATimeIsBoundToTheColourPanel)
{
    WellWindow w;
    QTest::mouseClick(w.well1, Qt::LeftButton, {}, buttonCentre(w.well1));
    QColorDialog *panel = MyColorWell::sharedColorPanel(false);
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->testOption(QColorDialog::ShowAlphaChannel));
    EXPECT_TRUE(w.well1->isActive());
    EXPECT_EQ(MyColorWell::colorPanelTarget(), w.well1);

    QTest::mouseClick(w.well2, Qt::LeftButton, {}, buttonCentre(w.well2));
    EXPECT_FALSE(w.well1->isActive());
    EXPECT_TRUE(w.well1->shouldDrawDarkerButtonRegion());
    EXPECT_TRUE(w.well2->isActive());
    EXPECT_EQ(MyColorWell::colorPanelTarget(), w.well2);

    // Only the bound well follows the panel, and it sends its action.
    QSignalSpy actions1(w.well1, &MyColorWell::action);
    QSignalSpy actions2(w.well2, &MyColorWell::action);
    const quint64 before = w.well1->hexColor();
    panel->setCurrentColor(QColor(10, 20, 30, 40));
    EXPECT_EQ(w.well2->hexColor(), 0x0A141E28u);
    EXPECT_EQ(w.well1->hexColor(), before);
    EXPECT_GE(actions2.count(), 1);
    EXPECT_EQ(actions1.count(), 0);

    // Closing the panel leaves no well bound and unhooks its colour changes.
    panel->close();
    EXPECT_FALSE(w.well2->isActive());
    EXPECT_EQ(MyColorWell::colorPanelTarget(), nullptr);
    panel->setCurrentColor(QColor(200, 200, 0));
    EXPECT_EQ(w.well2->hexColor(), 0x0A141E28u);

    // A second click on the bound well's button unbinds it and closes the panel.
    QTest::mouseClick(w.well1, Qt::LeftButton, {}, buttonCentre(w.well1));
    EXPECT_TRUE(w.well1->isActive());
    QTest::mouseClick(w.well1, Qt::LeftButton, {}, buttonCentre(w.well1));
    EXPECT_FALSE(w.well1->isActive());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(MyColorWell::colorPanelTarget(), nullptr);

    // A bound well that goes away unbinds itself.
    QTest::mouseClick(w.well2, Qt::LeftButton, {}, buttonCentre(w.well2));
    delete w.well2;
    w.well2 = nullptr;
    EXPECT_EQ(MyColorWell::colorPanelTarget(), nullptr);
    panel->setCurrentColor(QColor(1, 2, 3)); // nothing may reach the deleted well
}

TEST(MyColorWell, DisabledWellTakesNoClicks)
{
    WellWindow w;
    w.well1->setEnabled(false);
    QTest::mouseClick(w.well1, Qt::LeftButton, {}, buttonCentre(w.well1));
    QTest::mouseClick(w.well1, Qt::LeftButton, {}, swatchCentre(w.well1));
    EXPECT_FALSE(w.well1->isActive());
    EXPECT_EQ(w.well1->popover(), nullptr);
}

TEST(MyColorWell, HiddenWindowGetsTheColourButNoActionOrHistory)
{
    QWidget window;
    auto *well = new MyColorWell(&window);
    QSignalSpy actions(well, &MyColorWell::action);
    auto *history = gMyColorWellHistory();
    history->setColorArray({Color::red()});
    pelkotest::LogCapture log;
    well->setColorToControl(Color::calibratedRGB(0.1, 0.6, 0.3), true);
    // Nothing is set to keep the colour a moment later.
    EXPECT_FALSE(platform::hasPendingPerforms(well));
    EXPECT_EQ(well->hexColor(), word(Color::calibratedRGB(0.1, 0.6, 0.3)));
    EXPECT_EQ(actions.count(), 0);
    EXPECT_TRUE(log.logged(QStringLiteral("This window is hidden")));
    EXPECT_EQ(history->colorArray().size(), 1);
}

TEST(MyColorWell, DropSetsTheExactColourAndSendsTheAction)
{
    WellWindow w;
    QSignalSpy actions(w.well1, &MyColorWell::action);
    const Color dropped = Color::calibratedRGB(0.123456, 0.5, 0.75, 0.3);
    QMimeData mime;
    mime.setColorData(QColor(Qt::red));
    mime.setData(MyColorWell::kColorMimeType, dropped.archive());
    const QPoint at = swatchCentre(w.well1);

    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(w.well1, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(w.well1->shouldDrawFocusRing());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(w.well1, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_FALSE(w.well1->shouldDrawFocusRing());
    EXPECT_TRUE(w.well1->color() == dropped) << "the archive keeps every digit";
    EXPECT_EQ(actions.count(), 1);

    // Plain colour data from elsewhere is taken too; data without a colour is refused.
    QMimeData plain;
    plain.setColorData(QColor(0, 255, 0));
    QDragEnterEvent enterPlain(at, Qt::CopyAction, &plain, Qt::LeftButton, {});
    QApplication::sendEvent(w.well1, &enterPlain);
    QDropEvent drop2(at, Qt::CopyAction, &plain, Qt::LeftButton, {});
    QApplication::sendEvent(w.well1, &drop2);
    EXPECT_EQ(w.well1->hexColor(), 0x00FF00FFu);
    QMimeData text;
    text.setText(QStringLiteral("red"));
    QDragEnterEvent enter2(at, Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(w.well1, &enter2);
    EXPECT_FALSE(enter2.isAccepted());
}

TEST(MyColorWell, ChoosingInTheGridSendsActionClosesPopoverAndRecordsLater)
{
    WellWindow w;
    QSignalSpy actions(w.well1, &MyColorWell::action);
    auto *history = gMyColorWellHistory();
    history->setColorArray({Color::red(), Color::green(), Color::blue()});

    QTest::mouseClick(w.well1, Qt::LeftButton, {}, swatchCentre(w.well1));
    QFrame *popover = w.well1->popover();
    ASSERT_TRUE(popover);
    EXPECT_TRUE(popover->isVisible());
    MyColorWellGridView *grid = w.well1->colorGridView();
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->intrinsicContentSize(), QSize(730, 190));
    EXPECT_EQ(grid->frameForColorAreaAtColumn(1, 0).left() - grid->frameOfTopLeftCell().left(), 20);
    EXPECT_EQ(grid->frameForColorAreaAtColumn(0, 1).top() - grid->frameOfTopLeftCell().top(), 20);
    ASSERT_TRUE(grid->helpLabel());
    EXPECT_GE(grid->helpLabel()->geometry().top(), 170);

    // The help line names the cell under the pointer, also over the gap beside it.
    const QRectF red = grid->frameForColorAreaAtColumn(0, 0);
    QTest::mouseMove(grid, QPoint(int(red.right()) + 1, int(red.center().y())));
    EXPECT_EQ(grid->helpLabel()->text(),
              QStringLiteral("Hex Color #: FF0000FF;   Red:255/255, Green:0/255, Blue:0/255"));
    // A click in the gap chooses nothing.
    QTest::mouseClick(grid, Qt::LeftButton, {},
                      QPoint(int(red.right()) + 1, int(red.center().y())));
    EXPECT_EQ(actions.count(), 0);
    // Pressing on one cell and releasing on another chooses nothing.
    const QPoint cellA = grid->frameForColorAreaAtColumn(4, 3).center().toPoint();
    const QPoint cellB = grid->frameForColorAreaAtColumn(9, 5).center().toPoint();
    QTest::mousePress(grid, Qt::LeftButton, {}, cellA);
    EXPECT_TRUE(grid->mouseIsDown);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, cellB);
    EXPECT_EQ(actions.count(), 0);
    EXPECT_TRUE(popover->isVisible());

    // Choosing a cell sets its colour, sends the action and closes the popover; the history
    // takes the colour 0.1 s later.
    const QPoint cell = grid->frameForColorAreaAtColumn(13, 4).center().toPoint();
    QTest::mouseClick(grid, Qt::LeftButton, {}, cell);
    EXPECT_EQ(w.well1->hexColor(), 0x663366FFu);
    EXPECT_EQ(actions.count(), 1);
    EXPECT_EQ(history->colorArray().size(), 3);
    EXPECT_TRUE(platform::hasPendingPerforms(w.well1));
    EXPECT_FALSE(w.well1->popover() && w.well1->popover()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !platform::hasPendingPerforms(w.well1); }, 20000));
    ASSERT_EQ(history->colorArray().size(), 4);
    EXPECT_EQ(word(history->colorArray()[0]), 0x663366FFu);

    // The grid is made once and reused by the next popover; a row-0 cell beyond the history
    // chooses white.
    QTest::mouseClick(w.well1, Qt::LeftButton, {}, swatchCentre(w.well1));
    ASSERT_TRUE(w.well1->popover());
    EXPECT_EQ(w.well1->colorGridView(), grid);
    QTest::mouseClick(grid, Qt::LeftButton, {},
                      grid->frameForColorAreaAtColumn(20, 0).center().toPoint());
    EXPECT_EQ(w.well1->hexColor(), 0xFFFFFFFFu);
}

TEST(MyColorWellGridView, HitTestWithAndWithoutTolerance)
{
    MyColorWellGridView grid;
    qint64 row = -1, column = -1;
    EXPECT_FALSE(grid.caculateLocation(QPointF(7, 7), nullptr, &column, false));
    EXPECT_TRUE(grid.caculateLocation(QPointF(7, 7), &row, &column, false));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 0);
    // The gap between columns 0 and 1 is x = 24 .. 26.
    EXPECT_FALSE(grid.caculateLocation(QPointF(25, 10), &row, &column, false));
    EXPECT_TRUE(grid.caculateLocation(QPointF(25.5, 10), &row, &column, true));
    EXPECT_TRUE(column == 0 || column == 1);
    EXPECT_TRUE(
        grid.caculateLocation(QPointF(6 + 35 * 20 + 1, 6 + 7 * 20 + 1), &row, &column, false));
    EXPECT_EQ(column, 35);
    EXPECT_EQ(row, 7);
    EXPECT_FALSE(grid.caculateLocation(QPointF(2, 2), &row, &column, true));
}
