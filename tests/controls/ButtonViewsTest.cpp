// Button views that arrange their buttons in a flowing grid.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/TestEnvironment.h"
#include "controls/NSAutoArrangeButtonsView.h"
#include "ui_ToolPaletteForm.h"

namespace {

QList<QPushButton *> addButtons(QWidget *view, int count, int yStep = 0)
{
    QList<QPushButton *> list;
    for (int i = 0; i < count; ++i) {
        auto *b = new QPushButton(QString::number(i), view);
        b->move(i * 3, i * yStep);
        list << b;
    }
    return list;
}

} // namespace

TEST(ButtonViews, GridMeasures)
{
    const ButtonGrid g = MakeButtonGrid(200, 1, 35, 35);
    EXPECT_EQ(g.columns, 5);
    EXPECT_NEAR(g.spacing, 25.0 / 6.0, 1e-5);
    EXPECT_EQ(MakeButtonGrid(20, 1, 35, 35).columns, 1) << "narrower than one cell";
    EXPECT_EQ(MakeButtonGrid(200, 0, 0, 0).columns, 1) << "no cell size: one column";
    EXPECT_EQ(MakeButtonGrid(200, -5, 2, 2).columns, 1);
}

TEST(ButtonViews, FlatListRowsAndCollection)
{
    NSAutoArrangeButtonsView view;
    const auto buttons = addButtons(&view, 8);
    buttons[7]->hide();
    const QRect hiddenBefore = buttons[7]->geometry();
    view.show();
    view.resize(200, 100);
    ASSERT_EQ(view.buttonList.size(), 7);
    EXPECT_EQ(buttons[0]->geometry(), QRect(4, 3, 35, 35));
    EXPECT_EQ(buttons[4]->geometry().top(), 3);
    EXPECT_EQ(buttons[5]->geometry(), QRect(4, 39, 35, 35));
    EXPECT_EQ(buttons[6]->geometry().left(), QRectF(4.1666 + 39.1666, 0, 1, 1).toRect().left());
    EXPECT_EQ(buttons[7]->geometry(), hiddenBefore) << "hidden buttons are left alone";

    // Once collected, later buttons wait until the list is emptied.
    auto *late = new QPushButton(QStringLiteral("late"), &view);
    late->move(500, 500);
    late->show();
    view.resize(210, 100);
    EXPECT_EQ(late->pos(), QPoint(500, 500));
    view.buttonList.clear();
    view.resize(220, 100);
    EXPECT_NE(late->pos(), QPoint(500, 500));
}

TEST(ButtonViews, TopRowFirstLeftToRight)
{
    QWidget parent;
    QList<QPointer<QWidget>> list;
    const QPoint at[] = {{50, 40}, {10, 42}, {30, 0}, {5, 3}};
    for (const QPoint &p : at) {
        auto *w = new QWidget(&parent);
        w->move(p);
        list << w;
    }
    SortWidgetsByPosition(list);
    EXPECT_EQ(list[0]->pos(), QPoint(5, 3));
    EXPECT_EQ(list[1]->pos(), QPoint(30, 0));
    EXPECT_EQ(list[2]->pos(), QPoint(10, 42));
    EXPECT_EQ(list[3]->pos(), QPoint(50, 40));
}

TEST(ButtonViews, GroupsStartOnNewRowsUnderTheirLabels)
{
    // Made the way a form builds it: children first, size last, no measures set by hand.
    NSAutoArrangeButtonsViewWithGroup view;
    auto *label1 = new QLabel(QStringLiteral("Shapes"), &view);
    label1->setGeometry(0, 0, 80, 16);
    const auto first = addButtons(&view, 6, 1);
    for (auto *b : first)
        b->move(b->x(), 20);
    auto *label2 = new QLabel(QStringLiteral("Lines"), &view);
    label2->setGeometry(0, 60, 80, 16);
    auto *second = new QPushButton(QStringLiteral("x"), &view);
    second->move(0, 80);
    view.show();
    view.resize(200, 300);

    ASSERT_EQ(view.groups.size(), 2);
    EXPECT_EQ(view.groups[0].size(), 7);
    // y starts at gap + 1 = 2; the label at gap + y = 3; buttons from y = 2 + 1 + 16 = 19.
    EXPECT_EQ(label1->y(), 3);
    EXPECT_EQ(first[0]->geometry(), QRect(4, 20, 35, 35));
    EXPECT_EQ(first[4]->y(), 20);
    EXPECT_EQ(first[5]->y(), 56) << "the sixth button starts the second row";
    EXPECT_EQ(label2->y(), 20 + 36 + 36) << "the next group starts below the row of one";
    EXPECT_GT(second->y(), label2->y());
    EXPECT_GT(first[0]->width(), 0);
}

TEST(ButtonViews, GroupViewFromAFormTakesTheDefaultMeasures)
{
    // A form creates the view before its children and sets no measures of its own: the view
    // must still lay out 35 x 35 cells in as many columns as fit.
    QWidget form;
    Ui::ToolPaletteForm ui;
    ui.setupUi(&form);
    form.show();
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    NSAutoArrangeButtonsViewWithGroup *palette = ui.palette;
    EXPECT_FLOAT_EQ(palette->buttonsGap, 1.0f);
    ASSERT_EQ(palette->groups.size(), 2);
    EXPECT_EQ(palette->groups[0].size(), 7) << "label and six buttons";

    const QPushButton *shapes[] = {ui.shape0, ui.shape1, ui.shape2,
                                   ui.shape3, ui.shape4, ui.shape5};
    for (const QPushButton *b : shapes)
        EXPECT_EQ(b->size(), QSize(35, 35)) << qPrintable(b->objectName());
    EXPECT_EQ(ui.shapesLabel->pos(), QPoint(4, 3));
    EXPECT_EQ(ui.shapesLabel->size(), QSize(90, 16)) << "a label keeps its own size";
    EXPECT_EQ(ui.shape0->pos(), QPoint(4, 20));
    EXPECT_EQ(ui.shape4->y(), 20);
    EXPECT_EQ(ui.shape4->x(), QRectF(4.1666 + 4 * 39.1666, 0, 1, 1).toRect().x());
    EXPECT_EQ(ui.shape5->pos(), QPoint(4, 56)) << "five columns: the sixth starts a row";
    EXPECT_EQ(ui.linesLabel->y(), 92);
    EXPECT_EQ(ui.line0->pos(), QPoint(4, 109));
    EXPECT_EQ(ui.line1->y(), 109);

    // Narrower than one cell: still one column, every button in its own row.
    palette->resize(20, 400);
    EXPECT_EQ(ui.shape1->x(), ui.shape0->x());
    EXPECT_EQ(ui.shape1->y() - ui.shape0->y(), 36);
}
