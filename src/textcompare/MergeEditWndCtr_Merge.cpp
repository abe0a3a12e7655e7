// Stepping from block to block, taking a side for a block or for the whole text, and the undo
// history both panes share.
#include "textcompare/MergeEditWndCtr.h"

#include "textcompare/BlockCharacterCompare.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "services/AppSetting.h"
#include "textcompare/CenterLinkView.h"
#include "textcompare/DiffResultView.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/PaneScrollSync.h"
#include "textcompare/PaneUndoHistory.h"
#include "ui_MergeEditWndCtr.h"

#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

void MergeEditWndCtr::selectBlock(int index)
{
    showBlock(index, true);
}

bool MergeEditWndCtr::isBlockSelectionPending() const
{
    return platform::isPerformPending(this, QStringLiteral("selectBlock"));
}

void MergeEditWndCtr::showBlock(int index, bool reveal)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded())
        return;
    platform::cancelPerform(this, QStringLiteral("selectBlock"));
    if (index < 0 || index >= int(mergeBlocks().size()))
        index = -1;
    mCurrentBlock = index;
    auto &ui = *mUi;
    ui.mTextView1->setCurrentBlock(index);
    ui.mTextView2->setCurrentBlock(index);
    ui.mDiffResultView->setCurrentBlock(index);
    // The marks of the block shown before go at once; those of this block follow its compare.
    mCharacterCompare->cancel();
    ui.mTextView1->setChangedCharacters({});
    ui.mTextView2->setChangedCharacters({});
    if (index >= 0) {
        mNavigationAnchor = index;
        const MERGE_BLOCK b = mergeBlocks()[size_t(index)];
        if (reveal)
            mScrollSync->revealBlock(b);
        const Range r1 = mCompare->rangeOf(b, 1);
        const Range r2 = mCompare->rangeOf(b, 2);
        const QString text1 = mCompare->text(1), text2 = mCompare->text(2);
        const int shown1 = ui.mTextView1->verticalScrollBar()->value();
        const int shown2 = ui.mTextView2->verticalScrollBar()->value();
        mCharacterCompare->start(
            text1, r1, text2, r2,
            [this, index, b, text1, text2, shown1, shown2, reveal](const InlineDiff &d) {
                // Marks only for the block and the texts they were computed on.
                if (mIsClosing || mCurrentBlock != index || mCompare->isOutOfDate() ||
                    !mCompare->text(1).isSharedWith(text1) ||
                    !mCompare->text(2).isSharedWith(text2))
                    return;
                auto &ui = *mUi;
                ui.mTextView1->setChangedCharacters(d.changed1);
                ui.mTextView2->setChangedCharacters(d.changed2);
                // In a folded line, the row of the first change, unless the user has moved on.
                const bool moved = ui.mTextView1->verticalScrollBar()->value() != shown1 ||
                                   ui.mTextView2->verticalScrollBar()->value() != shown2;
                if (reveal && !moved && (!d.changed1.empty() || !d.changed2.empty()))
                    mScrollSync->revealBlock(
                        b, d.changed1.empty() ? qint64(-1) : d.changed1.front().location,
                        d.changed2.empty() ? qint64(-1) : d.changed2.front().location);
            });
    }
    ui.mCenterLinkView->update();
    updateResultLabel();
    UpdateButtonStatus();
    GUARD_END_VOID
}

void MergeEditWndCtr::Merge_Previous()
{
    if (mergeBlocks().empty() || mCompare->isRunning() || mCompare->isOutOfDate())
        return;
    const int target = mCurrentBlock >= 0 ? mCurrentBlock - 1 : mNavigationAnchor - 1;
    if (target >= 0)
        selectBlock(target);
}

void MergeEditWndCtr::Merge_Next()
{
    if (mergeBlocks().empty() || mCompare->isRunning() || mCompare->isOutOfDate())
        return;
    const int target = mCurrentBlock >= 0 ? mCurrentBlock + 1 : mNavigationAnchor;
    if (target < int(mergeBlocks().size()))
        selectBlock(target);
}

bool MergeEditWndCtr::Merge_CopyBlock(int fromSide, int index)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded() || (fromSide != 1 && fromSide != 2))
        return false;
    if (index < 0)
        index = mCurrentBlock;
    if (index < 0 || index >= int(mergeBlocks().size()))
        return false;
    // Blocks that are being compared again, or that an edit has moved, are not where they are
    // shown: take nothing until the new blocks are there.
    if (mCompare->isRunning() || mCompare->isOutOfDate()) {
        if (!mCompare->isRunning())
            RefreshCompare();
        return false;
    }
    const MERGE_BLOCK b = mergeBlocks()[size_t(index)];
    const auto [range, replacement] = mCompare->takeEdit(b, fromSide);
    // What is taken is shown first: the user sees both halves change.
    mScrollSync->revealBlock(b);
    textView(3 - fromSide)->replaceText(range, replacement);
    afterMerge(index);
    return true;
    GUARD_END(false)
}

bool MergeEditWndCtr::Merge_CopyAll(int fromSide)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded() || (fromSide != 1 && fromSide != 2))
        return false;
    const QString text = textView(fromSide)->plainText();
    MyEditTextView *to = textView(3 - fromSide);
    if (to->plainText() == text)
        return false;
    to->replaceAllText(text);
    afterMerge(0);
    return true;
    GUARD_END(false)
}

void MergeEditWndCtr::afterMerge(int mergedIndex)
{
    DoCompare(false, [this, mergedIndex] {
        mNavigationAnchor = std::clamp(mergedIndex, 0, std::max(0, int(mergeBlocks().size())));
        if (gAppSetting.compare_autoMoveToNextDiffAfterMerge && !mergeBlocks().empty()) {
            // The merged block is gone: the next one now has its index.
            const int next = std::min(mergedIndex, int(mergeBlocks().size()) - 1);
            platform::performAfterDelay(
                this, kSelectDelay, [this, next] { selectBlock(next); },
                QStringLiteral("selectBlock"));
        }
    });
}

void MergeEditWndCtr::undoCommandAdded(int side)
{
    if (mLoading || !mUndo)
        return;
    mUndo->added(side);
    UpdateButtonStatus();
}

void MergeEditWndCtr::forgetUndoHistory(int side)
{
    if (mUndo)
        mUndo->forget(side);
    UpdateButtonStatus();
}

bool MergeEditWndCtr::canUndo() const
{
    return mUndo && mUndo->canUndo();
}

bool MergeEditWndCtr::canRedo() const
{
    return mUndo && mUndo->canRedo();
}

bool MergeEditWndCtr::Menu_Undo()
{
    return undoOrRedo(false);
}

bool MergeEditWndCtr::Menu_Redo()
{
    return undoOrRedo(true);
}

bool MergeEditWndCtr::undoOrRedo(bool redo)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded())
        return false;
    if (const int side = mUndo->step(redo)) {
        MyEditTextView *view = textView(side);
        // The pane's cursor goes to what the step changed (a block taken from the other pane
        // was made without it). The pane does not scroll to the cursor's edge of the view: what
        // changed is shown as a step to a block shows it, a third of the way down, with the
        // lines around it.
        if (mUndo->changePosition() >= 0) {
            const int at =
                std::min(mUndo->changePosition(), view->document()->characterCount() - 1);
            QTextCursor cursor(view->document());
            cursor.setPosition(at);
            const int shown = view->verticalScrollBar()->value();
            view->setTextCursor(cursor);
            view->verticalScrollBar()->setValue(shown);
            const qint64 textAt = view->foldMap().toText(at);
            if (!view->isTextPositionInView(textAt)) {
                view->scrollLinePositionToRow(view->linePositionOfText(textAt),
                                              view->rowsInView() / 3);
                mScrollSync->follow(side);
            }
        }
        // Show the blocks as they are now, and select the one the step touched (a block taken
        // back by undo comes back selected).
        recompareAfterEdit(side, [this, side] {
            const qint64 line = textView(side)->cursorLine();
            for (size_t i = 0; i < mergeBlocks().size(); ++i) {
                const MERGE_BLOCK &b = mergeBlocks()[i];
                if (line >= b.startLine[side] &&
                    line <= b.startLine[side] + std::max<qint64>(b.lineCount[side], 1) - 1) {
                    selectBlock(int(i));
                    break;
                }
            }
        });
        UpdateButtonStatus();
        return true;
    }
    UpdateButtonStatus();
    return false;
    GUARD_END(false)
}
