#pragma once
// Keeps the two panes of the text window side by side. The line a third of the way down the
// pane being scrolled and its counterpart in the other pane stand at the same height, where a
// line's counterpart follows the blocks of the line compare: lines outside the blocks line for
// line, the lines of a block spread evenly over the other side's lines of that block. A block
// the user steps to is shown in both panes, each half in its own.

#include "compare/MergeBlock.h"

#include <QObject>
#include <QPointer>

class MyEditTextView;

// Where a line position of side fromSide (a line number and how far through its rows) falls on
// the other side. Blocks are in order, as the line compare gives them.
double MapLinePosition(const MergeBlockList &blocks, int fromSide, double position);

class PaneScrollSync : public QObject
{
    Q_OBJECT
public:
    PaneScrollSync(MyEditTextView *left, MyEditTextView *right, QObject *parent = nullptr);

    // The blocks are lent by the window, which replaces them on every compare.
    void setBlocks(const MergeBlockList *blocks) { mBlocks = blocks; }

    // The other pane follows the one that scrolled (vertically or sideways).
    void follow(int fromSide);
    void followSideways(int fromSide);
    // Both halves of the block in view (a half taller than its pane filling it), their first rows
    // on the same row of the screen. When either is out of view, or the two cannot be brought to
    // one row, both panes move so that each half starts a third of the way down its pane; in a
    // folded line, at the row of its first change (a text position of that side, or -1).
    void revealBlock(const MERGE_BLOCK &block, qint64 changeAt1 = -1, qint64 changeAt2 = -1);
    // Some line of either half of the block is in view (an empty half: the line after it).
    bool showsBlock(const MERGE_BLOCK &block) const;

    // While one lives, neither pane follows the other: the window moves both itself (a change of
    // wrapping or font re-lays out each pane in turn, and following the first would move the
    // second away from its own place). Its end tells the strips the panes moved.
    class Hold
    {
    public:
        explicit Hold(PaneScrollSync &sync) : mSync(sync) { ++mSync.mHeld; }
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        PaneScrollSync &mSync;
    };

signals:
    // Either pane moved: what is drawn from their positions is out of date.
    void panesMoved();

private:
    MyEditTextView *pane(int side) const { return side == 1 ? mLeft : mRight; }
    int anchorRow() const;
    void matchSidewaysRanges();
    // The half of the block on the side is in view (in a folded line, its first change).
    bool halfShown(const MERGE_BLOCK &block, int side, qint64 changeAt) const;
    // Brings the first rows of two halves in view to one row of the screen; false when the
    // scroll ranges do not allow it with both in view.
    bool alignHalves(const MERGE_BLOCK &block, const double at[3], const qint64 changeAt[3]);

    QPointer<MyEditTextView> mLeft, mRight;
    const MergeBlockList *mBlocks = nullptr;
    bool mMoving = false;
    bool mMatchingRanges = false;
    int mOwnMaximum[3] = {}; // how far each pane's own text lets it scroll sideways
    int mHeld = 0;
};
