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
{}

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

void PaneScrollSync::revealBlock(const MERGE_BLOCK &block, qint64 changeAt1, qint64 changeAt2)
{
    if (!mLeft || !mRight)
        return;
    const qint64 changeAt[3] = {-1, changeAt1, changeAt2};
    bool inView = true;
    for (int side : {1, 2}) {
        const MyEditTextView *view = pane(side);
        if (!view->foldMap().empty() && changeAt[side] >= 0) {
            inView = inView && view->isTextPositionInView(changeAt[side]);
            continue;
        }
        // An empty half is the place between two lines: the line after it is shown.
        const qint64 last = std::max<qint64>(0, view->lineCount() - 1);
        const qint64 start = std::min(block.startLine[side], last);
        const qint64 end = std::min(start + std::max<qint64>(block.lineCount[side], 1) - 1, last);
        // The last line in view may be cut off at the bottom, unless nothing follows it. A half
        // that fills the whole view (a folded line, a long block) is in view too.
        const qint64 first = view->firstVisibleLine(), lastShown = view->lastVisibleLine();
        const bool whole = start >= first && (end < lastShown || (end == lastShown && end == last));
        inView = inView && (whole || (start <= first && end >= lastShown));
    }
    if (inView)
        return;
    mMoving = true;
    const int row = anchorRow();
    for (int side : {1, 2}) {
        MyEditTextView *view = pane(side);
        if (!view->foldMap().empty() && changeAt[side] >= 0)
            view->scrollLinePositionToRow(view->linePositionOfText(changeAt[side]), row);
        else
            view->scrollLinePositionToRow(double(block.startLine[side]), row);
    }
    mMoving = false;
    emit panesMoved();
}
