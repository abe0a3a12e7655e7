// View helpers, small widgets, size-limited views and the colour box.
#include <gtest/gtest.h>

#include <QDial>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QUndoStack>

#include "support/TestEnvironment.h"
#include "controls/MinMaxSizeView.h"
#include "controls/MyClickTextLabel.h"
#include "controls/MyImageCell.h"
#include "controls/NSColorView.h"
#include "controls/PelkoNSTabView.h"
#include "controls/PelkoNSView.h"

using platform::Color;

TEST(ViewHelpers, MousePositionVisibilityAndContainment)
{
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    auto *child = new QWidget(&window);
    child->setGeometry(20, 30, 100, 100);
    auto *grandchild = new QWidget(child);
    grandchild->setGeometry(5, 5, 10, 10);
    window.show();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());

    // A key event carries no pointer position: the pointer's own is used.
    QCursor::setPos(window.mapToGlobal(QPoint(50, 60)));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(MousePosOnView(child, &key), child->mapFromGlobal(QPointF(QCursor::pos())));
    // A mouse event of another window is carried through the screen.
    QWidget other;
    other.setGeometry(600, 100, 100, 100);
    other.show();
    const QPointF inOther(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, inOther, other.mapToGlobal(inOther), Qt::LeftButton,
                      Qt::LeftButton, {});
    EXPECT_EQ(MousePosOnView(child, &press), child->mapFromGlobal(other.mapToGlobal(inOther)));
    EXPECT_EQ(MousePosOnView(nullptr, &press), QPointF());

    EXPECT_TRUE(containSubView(&window, child, false));
    EXPECT_FALSE(containSubView(&window, grandchild, false));
    EXPECT_TRUE(containSubView(&window, grandchild, true));
    EXPECT_FALSE(containSubView(&window, &window, true));
    EXPECT_FALSE(containSubView(grandchild, child, true));

    child->hide();
    EXPECT_TRUE(isVisible(grandchild)) << "hidden only by its parent";
    EXPECT_FALSE(isVisibleWithSuper(grandchild));
    EXPECT_FALSE(isVisible(child));
    setVisible(child, true);
    EXPECT_TRUE(isVisibleWithSuper(grandchild));
    EXPECT_FALSE(isVisible(nullptr));
}

TEST(ViewHelpers, TabsUndoAndCircularSlider)
{
    QTabWidget tabs;
    QWidget *pages[3];
    for (int i = 0; i < 3; ++i)
        tabs.addTab(pages[i] = new QWidget, QString::number(i));
    tabs.setCurrentIndex(2);
    removeTabViewItemThenSelectRightTab_IfNeed(&tabs, pages[2]);
    EXPECT_EQ(tabs.currentWidget(), pages[1]) << "closing the last selects its left neighbour";
    tabs.insertTab(0, pages[2] = new QWidget, QStringLiteral("new"));
    tabs.setCurrentIndex(0);
    removeTabViewItemThenSelectRightTab_IfNeed(&tabs, pages[2]);
    EXPECT_EQ(tabs.currentWidget(), pages[0]) << "closing the first selects the new first";
    removeTabViewItemThenSelectRightTab_IfNeed(&tabs, pages[1]);
    EXPECT_EQ(tabs.currentWidget(), pages[0]) << "an unselected tab keeps the selection";
    EXPECT_FALSE(containsTabItem(&tabs, pages[1]));
    EXPECT_EQ(indexOfSelectedTabViewItem(&tabs), 0);
    delete pages[1];

    QUndoStack stack;
    EXPECT_FALSE(undoIfCan(&stack));
    EXPECT_FALSE(redoIfCan(nullptr));

    QDial dial;
    const struct
    {
        float angle;
        double value;
    } rows[] = {{0, 90}, {90, 0}, {-90, 180}, {180, 270}, {450, 0}};
    for (const auto &r : rows) {
        setAngle(&dial, r.angle);
        EXPECT_NEAR(circularSliderValue(&dial), r.value, 1e-9) << r.angle;
    }
    EXPECT_EQ(dial.minimum(), 0);
    EXPECT_EQ(dial.maximum(), 360);
    setCircularSliderValue(&dial, 270);
    EXPECT_FLOAT_EQ(getAngle(&dial), 180);
    // The slider's 0 points up: a wrapping dial shows its minimum pointing down.
    setCircularSliderValue(&dial, 0);
    EXPECT_EQ(dial.value(), 180);
}

TEST(ViewHelpers, ImageCellBackgroundAndClickableLabel)
{
    QStandardItemModel model(1, 1);
    QImage transparent(16, 16, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    model.setData(model.index(0, 0), transparent, Qt::DecorationRole);
    QTableView table;
    table.setModel(&model);
    auto *cell = new MyImageCell(&table);
    cell->backgroundColor2 = Color::calibratedRGB(1, 0, 0);
    table.setItemDelegate(cell);
    table.setSelectionMode(QAbstractItemView::NoSelection);
    table.setFocusPolicy(Qt::NoFocus);
    table.resize(200, 100);
    table.show();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    const QRect r = table.visualRect(model.index(0, 0));
    const QImage shot = table.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(r.center()).rgb(), QColor(Qt::red).rgb());
    EXPECT_EQ(shot.pixelColor(r.right() - 1, r.bottom() - 1).rgb(), QColor(Qt::red).rgb());
    std::unique_ptr<MyImageCell> copy(cell->copy());
    EXPECT_FALSE(copy->backgroundColor2.isValid());

    MyClickTextLabel label(QStringLiteral("click"));
    QSignalSpy spy(&label, &MyClickTextLabel::action);
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
}

TEST(SizedViews, MinimumAndMaximumRules)
{
    struct Row
    {
        const char *name;
        QSizeF min, max;
        QRectF in, out;
    };
    const Row rows[] = {
        {"grows to the minimum", {200, 30}, {0, 0}, {10, 10, 100, 20}, {10, 10, 200, 30}},
        {"big enough stays", {200, 30}, {0, 0}, {10, 10, 900, 40}, {10, 10, 900, 40}},
        {"shrinks to the maximum", {0, 0}, {300, 50}, {0, 0, 400, 80}, {0, 0, 300, 50}},
        {"tiny minimum is none", {0.005, 0.005}, {0, 0}, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"maximum below minimum wins", {200, 200}, {100, 100}, {0, 0, 50, 50}, {0, 0, 100, 100}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(consider_MaxMinSize(r.in, r.min, r.max), r.out) << r.name;

    // Layouts see the same limits; the maximum wins over a larger minimum.
    MinMaxSizeView view;
    view.setMinSize({200, 200});
    view.setMaxSize({100, 120});
    EXPECT_EQ(view.minimumSize(), QSize(100, 120));
    EXPECT_EQ(view.maximumSize(), QSize(100, 120));
}

TEST(SizedViews, FollowTheParent)
{
    QWidget parent;
    parent.resize(640, 300);
    parent.show();
    auto *bar = new MinMaxSizeView(&parent);
    bar->setBMustHasSize_Of_SuperView_In_Width(true);
    bar->setFrame(QRectF(30, 10, 100, 40));
    EXPECT_EQ(bar->geometry(), QRect(0, 10, 640, 40));
    parent.resize(800, 300);
    EXPECT_EQ(bar->geometry(), QRect(0, 10, 800, 40));
    bar->setMaxSize({500, 0.001});
    EXPECT_EQ(bar->geometry().width(), 500);

    auto *cover = new MinMaxSizeView_SizeOfSuperView(&parent);
    cover->setFrame(QRectF(5, 5, 10, 10));
    EXPECT_EQ(cover->geometry(), parent.rect());
    parent.resize(700, 320);
    EXPECT_EQ(cover->geometry(), parent.rect());

    QWidget narrow;
    narrow.resize(100, 50);
    narrow.show();
    auto *wide = new ViewWithMinWidth_XXX(&narrow);
    wide->setFrame(QRectF(20, 3, 60, 20));
    EXPECT_EQ(wide->geometry(), QRect(0, 3, 150, 20));
}

TEST(SizedViews, ColourBoxFillsAndFrames)
{
    NSColorView box;
    box.resize(40, 30);
    box.setFillColor(Color::calibratedRGB(0, 0, 1));
    box.setBorderColor(Color::calibratedRGB(1, 0, 0));
    box.setBorderWidth(0.02f);
    QImage shot = box.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 15).rgb(), QColor(Qt::blue).rgb()) << "no frame at 0.02";
    box.setBorderWidth(2.0f);
    shot = box.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 15).rgb(), QColor(Qt::red).rgb());
    EXPECT_EQ(shot.pixelColor(20, 15).rgb(), QColor(Qt::blue).rgb());
}
