// The flow of a bar of controls: rows as the width needs them, groups kept on one row where they
// fit on one, and nothing ever outside the bar or over another control.
#include <gtest/gtest.h>

#include "controls/FlowLayout.h"

#include <QWidget>
#include <map>

namespace {

// A control that asks for a width of its own.
class Box : public QWidget
{
public:
    Box(QWidget *parent, int width) : QWidget(parent), mHint(width, 20) {}
    QSize sizeHint() const override { return mHint; }
    QSize minimumSizeHint() const override { return mHint; }

private:
    QSize mHint;
};

// Three buttons of 50, then a group of two options of 40 set apart by 10; spacing 4.
struct Bar
{
    QWidget bar;
    FlowLayout *flow = new FlowLayout(&bar);
    std::vector<Box *> boxes;
    Bar()
    {
        flow->setContentsMargins(0, 0, 0, 0);
        flow->setSpacing(4);
        for (int width : {50, 50, 50, 40, 40}) {
            boxes.push_back(new Box(&bar, width));
            flow->addWidget(boxes.back());
        }
        flow->startGroup(boxes[0], 0);
        flow->startGroup(boxes[3], 10);
    }
    // The row of each box once laid out at the width, by the boxes' tops.
    std::vector<int> rowsAt(int width)
    {
        flow->setGeometry(QRect(0, 0, width, flow->heightForWidth(width)));
        std::map<int, int> rowOfTop;
        for (Box *b : boxes)
            rowOfTop.emplace(b->geometry().top(), 0);
        int row = 0;
        for (auto &[top, r] : rowOfTop)
            r = row++;
        std::vector<int> rows;
        for (Box *b : boxes)
            rows.push_back(rowOfTop[b->geometry().top()]);
        return rows;
    }
};

} // namespace

TEST(FlowLayout, StartsRowsWhereTheWidthEndsAndKeepsGroupsTogether)
{
    struct Row
    {
        const char *name;
        int width;
        std::vector<int> rows;
    } rows[] = {
        {"all on one row", 300, {0, 0, 0, 0, 0}},
        // The first option would fit after the buttons, the second not: both go down.
        {"the options below the buttons", 220, {0, 0, 0, 1, 1}},
        {"the buttons in two rows", 120, {0, 0, 1, 2, 2}},
        // A group wider than the bar flows item by item.
        {"one control a row", 60, {0, 1, 2, 3, 4}},
    };
    Bar bar;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(bar.rowsAt(row.width), row.rows);
        EXPECT_EQ(bar.flow->rowCount(row.width), row.rows.back() + 1);
    }
    // The gap sets the group apart where it shares a row with the buttons.
    bar.rowsAt(300);
    EXPECT_EQ(bar.boxes[3]->geometry().left() - bar.boxes[2]->geometry().right() - 1, 14);
    EXPECT_EQ(bar.boxes[3]->geometry().left(), 0 + 3 * 50 + 2 * 4 + 4 + 10);
    // At the start of a row it has none.
    bar.rowsAt(220);
    EXPECT_EQ(bar.boxes[3]->geometry().left(), 0);
}

TEST(FlowLayout, EveryControlStaysInsideAndApartAtEveryWidth)
{
    Bar bar;
    EXPECT_EQ(bar.flow->minimumSize().width(), 50);
    EXPECT_EQ(bar.flow->sizeHint().width(), 3 * 50 + 2 * 40 + 4 * 4 + 10);
    for (int width = 50; width <= 320; ++width) {
        SCOPED_TRACE(width);
        const int height = bar.flow->heightForWidth(width);
        bar.rowsAt(width);
        const QRect area(0, 0, width, height);
        for (size_t i = 0; i < bar.boxes.size(); ++i) {
            const QRect r = bar.boxes[i]->geometry();
            EXPECT_TRUE(area.contains(r)) << i;
            EXPECT_EQ(r.size(), bar.boxes[i]->sizeHint()) << i;
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(r.intersects(bar.boxes[j]->geometry())) << i << " " << j;
        }
        // As tall as its rows, no taller.
        EXPECT_EQ(height, bar.flow->rowCount(width) * 20 + (bar.flow->rowCount(width) - 1) * 4);
    }
}
