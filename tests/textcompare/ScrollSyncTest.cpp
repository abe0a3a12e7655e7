#include "TextCompareFixture.h"
#include "support/WrappedPair.h"
#include "textcompare/PaneScrollSync.h"
#include "ui_MergeEditWndCtr.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>

namespace {

QString pairFile(const char *name)
{
    return pelkotest::sourceDir() + QStringLiteral("/tests/textcompare/data/") +
           QString::fromLatin1(name);
}

// The lines [start, start + count) of a side, or the place between lines of an empty half, are
// in the pane's view; a half taller than the pane starts in its upper half and fills it from there.
bool halfInView(MyEditTextView *pane, const MERGE_BLOCK &b, int side)
{
    const qint64 last = std::max<qint64>(0, pane->lineCount() - 1);
    const qint64 start = std::min(b.startLine[side], last);
    const qint64 end = std::min(start + std::max<qint64>(b.lineCount[side], 1) - 1, last);
    const qint64 first = pane->firstVisibleLine(), lastShown = pane->lastVisibleLine();
    if (start < first || start > lastShown)
        return false;
    return end <= lastShown || start - first <= (lastShown - first) / 2;
}

// The side-fromSide line outside every block at the given height of its pane, with its
// counterpart on the other side; -1 when the line there belongs to a block.
std::pair<qint64, qint64> equalLineAt(MyEditTextView *pane, const MergeBlockList &blocks,
                                      int fromSide, int y)
{
    const qint64 line = pane->cursorForPosition(QPoint(4, y)).blockNumber();
    qint64 offset = 0;
    for (const MERGE_BLOCK &b : blocks) {
        if (line < b.startLine[fromSide])
            break;
        if (line < b.startLine[fromSide] + b.lineCount[fromSide])
            return {-1, -1};
        offset = (b.startLine[3 - fromSide] + b.lineCount[3 - fromSide]) -
                 (b.startLine[fromSide] + b.lineCount[fromSide]);
    }
    return {line, line + offset};
}

} // namespace

TEST(MapLinePosition, FollowsTheBlocksOfTheLineCompare)
{
    // Left 0-9 equal to right 0-9; 4 lines added on the right (10-13); left 10-19 equal to right
    // 14-23; left 20-25 changed into right 24-26; left 26-27 removed; the rest equal.
    const MergeBlockList blocks{makeBlock(10, 0, 10, 4), makeBlock(20, 6, 24, 3),
                                makeBlock(26, 2, 27, 0)};
    struct Row
    {
        const char *name;
        int fromSide;
        double from, to;
    };
    const Row rows[] = {
        {"before every block", 1, 3.5, 3.5},
        {"before every block, from the right", 2, 9.0, 9.0},
        {"the place of lines added on the other side", 1, 10.0, 14.0},
        {"the lines added stay at their place", 2, 10.0, 10.0},
        {"the last of the lines added", 2, 13.75, 10.0},
        {"after the lines added", 2, 14.0, 10.0},
        {"equal lines after them", 1, 15.25, 19.25},
        {"a changed block spreads evenly", 1, 22.0, 25.0},
        {"a changed block spreads evenly, from the short side", 2, 25.5, 23.0},
        {"the end of a changed block", 1, 25.99, 26.995},
        {"removed lines map to their place", 1, 27.0, 27.0},
        {"after the removed lines", 1, 28.0, 27.0},
        {"equal lines after the last block", 2, 40.0, 41.0},
        {"past the end", 1, 1000.0, 999.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(MapLinePosition(blocks, row.fromSide, row.from), row.to, 1e-9);
    }
    EXPECT_DOUBLE_EQ(MapLinePosition({}, 1, 12.5), 12.5);
}

class ScrollSyncTest : public TextCompareTest
{
protected:
    // The wrapped pair, 1000 x 600, wrapped or not.
    std::unique_ptr<MergeEditWndCtr> openWrappedPair(bool wrap)
    {
        const auto [left, right] = pelkotest::wrappedPairTexts();
        gAppSetting.bWrapText = wrap;
        auto w = open(write("left.txt", left), write("right.txt", right));
        w->window()->resize(1000, 600);
        EXPECT_TRUE(pelkotest::deliverPostedEvents());
        EXPECT_EQ(w->mergeBlocks().size(), 10u);
        return w;
    }
    std::unique_ptr<MergeEditWndCtr> openPair()
    {
        auto w =
            open(pairFile("propertylist-older.cpp.txt"), pairFile("propertylist-newer.cpp.txt"));
        w->window()->resize(1000, 600);
        EXPECT_TRUE(pelkotest::deliverPostedEvents());
        return w;
    }
};

TEST_F(ScrollSyncTest, SteppingShowsBothHalvesOfTheBlockInTheirPanes)
{
    auto w = openPair();
    const MergeBlockList &blocks = w->mergeBlocks();
    ASSERT_EQ(blocks.size(), 8u);
    // The pair's shape: many lines added on the right just above a later change.
    ASSERT_EQ(blocks[1].lineCount[1], 0);
    ASSERT_GE(blocks[1].lineCount[2], 60);
    MyEditTextView *left = w->textView(1);
    MyEditTextView *right = w->textView(2);
    const auto expectBothInView = [&](const char *how) {
        const int i = w->currentBlock();
        SCOPED_TRACE(std::string(how) + ", block " + std::to_string(i));
        ASSERT_GE(i, 0);
        EXPECT_TRUE(halfInView(left, blocks[size_t(i)], 1))
            << left->firstVisibleLine() << "-" << left->lastVisibleLine();
        EXPECT_TRUE(halfInView(right, blocks[size_t(i)], 2))
            << right->firstVisibleLine() << "-" << right->lastVisibleLine();
    };
    w->selectBlock(0);
    expectBothInView("first");
    while (w->currentBlock() < int(blocks.size()) - 1) {
        w->Merge_Next();
        expectBothInView("next");
    }
    while (w->currentBlock() > 0) {
        w->Merge_Previous();
        expectBothInView("previous");
    }
}

TEST_F(ScrollSyncTest, TakingABlockShowsWhatItChanges)
{
    auto w = openPair();
    ASSERT_EQ(w->mergeBlocks().size(), 8u);
    const MERGE_BLOCK b = w->mergeBlocks()[2];
    w->selectBlock(2);
    // Scrolled away from the block since it was selected.
    w->textView(1)->scrollToLine(0);
    ASSERT_FALSE(halfInView(w->textView(2), b, 2));
    ASSERT_TRUE(w->Merge_CopyBlock(1));
    // The right pane shows the lines that took the left text.
    MyEditTextView *right = w->textView(2);
    EXPECT_LE(right->firstVisibleLine(), b.startLine[2]);
    EXPECT_LE(b.startLine[2] + b.lineCount[1] - 1, right->lastVisibleLine());
    EXPECT_TRUE(halfInView(w->textView(1), b, 1));
}

// Turning wrapping on or off changes every row under the panes; the place stays: the line at the
// top stays there, and a block being shown stays in view with both its halves.
TEST_F(ScrollSyncTest, WrappingKeepsThePlace)
{
    auto w = openPair();
    const MergeBlockList &blocks = w->mergeBlocks();
    ASSERT_EQ(blocks.size(), 8u);
    MyEditTextView *left = w->textView(1);
    MyEditTextView *right = w->textView(2);
    const bool wrappedAtFirst = left->lineWrapMode() != QPlainTextEdit::NoWrap;
    for (int block : {-1, 6}) {
        SCOPED_TRACE(block < 0 ? "no block shown" : "a block shown");
        w->selectBlock(block);
        if (block < 0)
            left->scrollToLine(150);
        ASSERT_GT(left->firstVisibleLine(), 100);
        for (bool wrap : {!wrappedAtFirst, wrappedAtFirst}) {
            SCOPED_TRACE(wrap ? "wrapping on" : "wrapping off");
            const qint64 top = left->firstVisibleLine();
            ASSERT_TRUE(w->Menu_SetWrapLines(wrap));
            // The layouts and repaints that follow have run: nothing moves the panes after them.
            ASSERT_TRUE(pelkotest::deliverPostedEvents());
            EXPECT_EQ(w->currentBlock(), block);
            if (block < 0) {
                EXPECT_EQ(left->firstVisibleLine(), top);
                continue;
            }
            EXPECT_TRUE(halfInView(left, blocks[size_t(block)], 1))
                << left->firstVisibleLine() << "-" << left->lastVisibleLine();
            EXPECT_TRUE(halfInView(right, blocks[size_t(block)], 2))
                << right->firstVisibleLine() << "-" << right->lastVisibleLine();
        }
    }
}

// Lines that take more rows in one pane than in the other once wrapped: each pane keeps the line
// at its top, both ways, the first row of that line at the top.
TEST_F(ScrollSyncTest, WrappingKeepsTheTopLineOfBothPanes)
{
    QByteArray left, right;
    for (int i = 0; i < 600; ++i) {
        const QByteArray line = "line " + QByteArray::number(i);
        left += line + "\n";
        right += (i % 2 ? line + " " + QByteArray(300, 'x') : line) + "\n";
    }
    gAppSetting.bWrapText = 0; // every line one row: the tops are whole lines
    auto w = open(write("short.txt", left), write("long.txt", right));
    w->window()->resize(1000, 600);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    MyEditTextView *panes[3] = {nullptr, w->textView(1), w->textView(2)};
    // No block selected, and the first block selected but scrolled away from: nothing to keep
    // in view but the lines at the top.
    for (const auto &[line, block] : {std::pair{254, -1}, std::pair{435, -1}, std::pair{254, 0}}) {
        w->selectBlock(block);
        panes[1]->scrollToLine(line);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        double top[3] = {};
        for (int side : {1, 2})
            top[side] = panes[side]->linePositionAtRow(0);
        ASSERT_EQ(top[1], double(line));
        for (bool wrap : {true, false}) {
            SCOPED_TRACE(std::string(wrap ? "wrapping on" : "wrapping off") + " at line " +
                         std::to_string(line) + ", block " + std::to_string(block));
            ASSERT_TRUE(w->Menu_SetWrapLines(wrap));
            ASSERT_TRUE(pelkotest::deliverPostedEvents());
            for (int side : {1, 2})
                EXPECT_NEAR(panes[side]->linePositionAtRow(0), top[side], 1e-9) << "side " << side;
        }
    }
}

// Whichever pane is scrolled, and wherever to, a line outside the blocks a third of the way down
// the view stands at the same height as its counterpart in the other pane.
TEST_F(ScrollSyncTest, ScrollingKeepsCorrespondingLinesSideBySide)
{
    auto w = openPair();
    const MergeBlockList blocks = w->mergeBlocks();
    for (int side : {1, 2}) {
        MyEditTextView *pane = w->textView(side);
        MyEditTextView *other = w->textView(3 - side);
        QScrollBar *bar = pane->verticalScrollBar();
        const int anchor = pane->viewport()->height() / 3;
        int checked = 0;
        for (int value = 0; value <= bar->maximum(); value += 3) {
            bar->setValue(value);
            const auto [line, counterpart] = equalLineAt(pane, blocks, side, anchor);
            if (line < 0)
                continue;
            SCOPED_TRACE("side " + std::to_string(side) + ", line " + std::to_string(line));
            ++checked;
            EXPECT_NEAR(other->lineTopY(counterpart), pane->lineTopY(line), 1.0);
        }
        EXPECT_GT(checked, 50);
    }
}

// With wrapping on, each step shows the block's two halves starting on one row of the screen,
// forward and back, whether the pane was laid out there before or not. Wrapped lines above a
// block that a pane had not laid out yet count as one row until painted.
TEST_F(ScrollSyncTest, EveryStepPutsBothHalvesOnOneRowWrappedOrNot)
{
    for (bool wrap : {true, false}) {
        SCOPED_TRACE(wrap ? "wrapped" : "not wrapped");
        auto w = openWrappedPair(wrap);
        // The divider moved off the middle: a long line takes more rows on the left.
        const QList<int> sizes = w->ui().mSplitView->sizes();
        const int both = sizes[0] + sizes[2];
        w->ui().mSplitView->setSizes({both * 2 / 5, sizes[1], both - both * 2 / 5});
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        const MergeBlockList &blocks = w->mergeBlocks();
        MyEditTextView *panes[3] = {nullptr, w->textView(1), w->textView(2)};
        // The long lines do wrap: a row of the pane holds well under 200 characters.
        if (wrap) {
            const QTextBlock longLine = panes[1]->document()->findBlockByNumber(4);
            ASSERT_GT(longLine.document()->documentLayout()->blockBoundingRect(longLine).height(),
                      2 * panes[1]->fontMetrics().height());
        }
        // One pane laid out whole, the other only where it has been shown: the rows of what a
        // pane has not shown yet are not known until it is laid out.
        int laidOut = 1;
        const auto layOutOnePane = [&] {
            laidOut = 3 - laidOut;
            QTextDocument *doc = panes[laidOut]->document();
            for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
                (void)doc->documentLayout()->blockBoundingRect(b);
            ASSERT_TRUE(pelkotest::deliverPostedEvents());
        };
        const auto expectOneRow = [&](const char *how) {
            ASSERT_TRUE(pelkotest::deliverPostedEvents()); // painted: every row in view laid out
            const int i = w->currentBlock();
            SCOPED_TRACE(std::string(how) + " to block " + std::to_string(i));
            const MERGE_BLOCK &b = blocks[size_t(i)];
            for (int side : {1, 2}) {
                EXPECT_GE(panes[side]->lineTopY(b.startLine[side]), 0) << side;
                EXPECT_LT(panes[side]->lineTopY(b.startLine[side]),
                          panes[side]->viewport()->height())
                    << side;
            }
            EXPECT_NEAR(panes[1]->lineTopY(b.startLine[1]), panes[2]->lineTopY(b.startLine[2]),
                        1.0);
        };
        w->selectBlock(0);
        expectOneRow("first");
        while (w->currentBlock() < int(blocks.size()) - 1) {
            w->Merge_Next();
            expectOneRow("next");
        }
        while (w->currentBlock() > 0) {
            w->Merge_Previous();
            expectOneRow("previous");
        }
        // Again, with what each pane had laid out before the step uneven.
        while (w->currentBlock() < int(blocks.size()) - 1) {
            layOutOnePane();
            w->Merge_Next();
            expectOneRow("next, uneven");
        }
        while (w->currentBlock() > 0) {
            layOutOnePane();
            w->Merge_Previous();
            expectOneRow("previous, uneven");
        }
        // Straight from the top to a block far down, past rows never laid out.
        panes[1]->scrollToLine(0);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        w->selectBlock(8);
        expectOneRow("jump");
    }
}

// Undo brings back a block taken out of view and shows it as a step to it would: a third of the
// way down both panes, with the lines before it, not on the top row.
TEST_F(ScrollSyncTest, UndoShowsTheBlockItBringsBackAThirdOfTheWayDown)
{
    for (bool wrap : {false, true}) {
        SCOPED_TRACE(wrap ? "wrapped" : "not wrapped");
        auto w = openWrappedPair(wrap);
        const MERGE_BLOCK taken = w->mergeBlocks()[5];
        w->selectBlock(5);
        ASSERT_TRUE(w->Merge_CopyBlock(1));
        settleSelection(*w);
        ASSERT_EQ(w->mergeBlocks().size(), 9u);
        // On, until the block taken is well above the view.
        w->selectBlock(8);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        ASSERT_GT(w->textView(2)->firstVisibleLine(), taken.startLine[2] + 10);
        ASSERT_TRUE(w->Menu_Undo());
        settleSelection(*w);
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        ASSERT_EQ(w->currentBlock(), 5);
        for (int side : {1, 2}) {
            MyEditTextView *pane = w->textView(side);
            const int row = pane->viewRowOfLinePosition(double(taken.startLine[side]));
            EXPECT_NEAR(row, pane->rowsInView() / 3, 1) << "side " << side;
        }
        w->setDocumentEdited(false);
    }
}

// Typing at the end of a line longer than any of the other pane carries the pane sideways; the
// other pane goes as far with it, though its own lines end sooner.
TEST_F(ScrollSyncTest, TypingAtTheEndOfALongLineKeepsThePanesSideBySide)
{
    gAppSetting.bWrapText = 0;
    const QByteArray longLine = "start " + QByteArray(300, 'x') + "\n";
    auto w = open(write("long.txt", "a\n" + longLine + "b\n"),
                  write("short.txt", "a\nstart " + QByteArray(100, 'x') + "\nb\n"));
    w->window()->resize(800, 500);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    for (int typing : {1, 2}) {
        SCOPED_TRACE(typing == 1 ? "typing in the longer pane" : "typing in the shorter pane");
        MyEditTextView *pane = w->textView(typing);
        QTextCursor end(pane->document()->findBlockByNumber(1));
        end.movePosition(QTextCursor::EndOfBlock);
        pane->setTextCursor(end);
        pane->setFocus();
        for (int i = 0; i < 40; ++i) {
            QTest::keyClicks(pane, QStringLiteral("y"));
            ASSERT_TRUE(pelkotest::deliverPostedEvents());
            EXPECT_EQ(w->textView(1)->horizontalScrollBar()->value(),
                      w->textView(2)->horizontalScrollBar()->value())
                << "after " << i + 1 << " characters";
        }
        EXPECT_GT(pane->horizontalScrollBar()->value(), 0);
        settle(*w);
    }
    // Both long lines gone, neither pane scrolls sideways any more.
    for (int side : {1, 2}) {
        QTextCursor line(w->textView(side)->document()->findBlockByNumber(1));
        line.select(QTextCursor::BlockUnderCursor);
        line.removeSelectedText();
    }
    settle(*w);
    ASSERT_TRUE(pelkotest::deliverPostedEvents());
    for (int side : {1, 2})
        EXPECT_EQ(w->textView(side)->horizontalScrollBar()->maximum(), 0) << side;
    w->setDocumentEdited(false);
}
