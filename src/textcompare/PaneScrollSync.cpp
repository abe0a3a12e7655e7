#include "textcompare/PaneScrollSync.h"

#include "textcompare/MyEditTextView.h"

#include <QScrollBar>
#include <algorithm>

double MapLinePosition(const MergeBlockList &blocks, int fromSide, double position)
{
    const int to = 3 - fromSide;
    // The last block that starts at or before the position.
    const auto it = std::partition_point(blocks.begin(), blocks.end(), [&](const MERGE_BLOCK &b) {
        return double(b.startLine[fromSide]) <= position;
    });
    if (it == blocks.begin())
        return position;
    const MERGE_BLOCK &b = *(it - 1);
    const double into = position - double(b.startLine[fromSide]);
    if (into < double(b.lineCount[fromSide]))
        return double(b.startLine[to]) +
               into * double(b.lineCount[to]) / double(b.lineCount[fromSide]);
    return double(b.startLine[to] + b.lineCount[to]) + (into - double(b.lineCount[fromSide]));
}

PaneScrollSync::PaneScrollSync(MyEditTextView *left, MyEditTextView *right, QObject *parent)
    : QObject(parent), mLeft(left), mRight(right)
{
    for (int side : {1, 2}) {
        if (!pane(side))
            continue;
        QScrollBar *bar = pane(side)->horizontalScrollBar();
        mOwnMaximum[side] = bar->maximum();
        connect(bar, &QScrollBar::rangeChanged, this, [this, side](int, int maximum) {
            if (mMatchingRanges)
                return;
            mOwnMaximum[side] = maximum; // the pane's own range, as its text sets it
            matchSidewaysRanges();
        });
    }
}

void PaneScrollSync::matchSidewaysRanges()
{
    if (mMatchingRanges || !mLeft || !mRight)
        return;
    // Both panes scroll sideways as far as the wider text reaches, and no further: a pane whose
    // lines are shorter would otherwise stop short of the other, and typing at the end of a long
    // line would carry the panes apart.
    const int maximum = std::max(mOwnMaximum[1], mOwnMaximum[2]);
    mMatchingRanges = true;
    for (int side : {1, 2}) {
        QScrollBar *bar = pane(side)->horizontalScrollBar();
        if (bar->maximum() != maximum)
            bar->setRange(bar->minimum(), maximum);
    }
    mMatchingRanges = false;
}

int PaneScrollSync::anchorRow() const
{
    return mLeft ? mLeft->rowsInView() / 3 : 0;
}

PaneScrollSync::Hold::~Hold()
{
    if (--mSync.mHeld == 0)
        emit mSync.panesMoved();
}

void PaneScrollSync::follow(int fromSide)
{
    if (mMoving || mHeld > 0 || !mLeft || !mRight)
        return;
    // Before the first compare is in, line for line.
    static const MergeBlockList noBlocks;
    mMoving = true;
    const int row = anchorRow();
    const double at = pane(fromSide)->linePositionAtRow(row);
    pane(3 - fromSide)
        ->scrollLinePositionToRow(MapLinePosition(mBlocks ? *mBlocks : noBlocks, fromSide, at),
                                  row);
    mMoving = false;
    emit panesMoved();
}

void PaneScrollSync::followSideways(int fromSide)
{
    if (mMoving || mHeld > 0 || !mLeft || !mRight)
        return;
    mMoving = true;
    pane(3 - fromSide)
        ->horizontalScrollBar()
        ->setValue(pane(fromSide)->horizontalScrollBar()->value());
    mMoving = false;
}

bool PaneScrollSync::showsBlock(const MERGE_BLOCK &block) const
{
    if (!mLeft || !mRight)
        return false;
    for (int side : {1, 2}) {
        const MyEditTextView *view = pane(side);
        const qint64 start = block.startLine[side];
        const qint64 end = start + std::max<qint64>(block.lineCount[side], 1) - 1;
        if (start <= view->lastVisibleLine() && end >= view->firstVisibleLine())
            return true;
    }
    return false;
}

bool PaneScrollSync::halfShown(const MERGE_BLOCK &block, int side, qint64 changeAt) const
{
    const MyEditTextView *view = pane(side);
    if (!view->foldMap().empty() && changeAt >= 0)
        return view->isTextPositionInView(changeAt);
    // An empty half is the place between two lines: the line after it is shown.
    const qint64 last = std::max<qint64>(0, view->lineCount() - 1);
    const qint64 start = std::min(block.startLine[side], last);
    const qint64 end = std::min(start + std::max<qint64>(block.lineCount[side], 1) - 1, last);
    // The last line in view may be cut off at the bottom, unless nothing follows it. A half
    // that fills the whole view (a folded line, a long block) is in view too.
    const qint64 first = view->firstVisibleLine(), lastShown = view->lastVisibleLine();
    const bool whole = start >= first && (end < lastShown || (end == lastShown && end == last));
    return whole || (start <= first && end >= lastShown);
}

bool PaneScrollSync::alignHalves(const MERGE_BLOCK &block, const double at[3],
                                 const qint64 changeAt[3])
{
    int row[3] = {0, mLeft->viewRowOfLinePosition(at[1]), mRight->viewRowOfLinePosition(at[2])};
    if (row[1] == row[2])
        return true;
    // The half lower in its pane comes up to the other's row: it stays in view, as its end only
    // rises. Where the scroll range stops it, the higher one goes down to it, if it stays in view.
    const int low = row[1] > row[2] ? 1 : 2, high = 3 - low;
    pane(low)->scrollLinePositionToRow(at[low], row[high]);
    row[low] = pane(low)->viewRowOfLinePosition(at[low]);
    if (row[low] == row[high])
        return true;
    pane(high)->scrollLinePositionToRow(at[high], row[low]);
    return pane(high)->viewRowOfLinePosition(at[high]) == row[low] &&
           halfShown(block, high, changeAt[high]) && halfShown(block, low, changeAt[low]);
}

void PaneScrollSync::revealBlock(const MERGE_BLOCK &block, qint64 changeAt1, qint64 changeAt2)
{
    if (!mLeft || !mRight)
        return;
    const qint64 changeAt[3] = {-1, changeAt1, changeAt2};
    // Where each half starts: its first line, or in a folded line the row of its first change.
    double at[3] = {};
    bool inView = true;
    for (int side : {1, 2}) {
        const MyEditTextView *view = pane(side);
        at[side] = !view->foldMap().empty() && changeAt[side] >= 0
                       ? view->linePositionOfText(changeAt[side])
                       : double(block.startLine[side]);
        inView = inView && halfShown(block, side, changeAt[side]);
    }
    // Both halves start on one row of the screen: a half in view that stands lower or higher
    // than the other would read as another line's counterpart.
    mMoving = true;
    if (!inView || !alignHalves(block, at, changeAt)) {
        const int row = anchorRow();
        for (int side : {1, 2})
            pane(side)->scrollLinePositionToRow(at[side], row);
    }
    mMoving = false;
    emit panesMoved();
}
