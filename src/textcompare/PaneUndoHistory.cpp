#include "textcompare/PaneUndoHistory.h"

#include "textcompare/MyEditTextView.h"

#include <algorithm>

PaneUndoHistory::PaneUndoHistory(MyEditTextView *left, MyEditTextView *right)
    : mLeft(left), mRight(right)
{}

void PaneUndoHistory::added(int side)
{
    if (mStepping)
        return;
    mUndoSides.push_back(side);
    mRedoSides.clear();
}

void PaneUndoHistory::forget(int side)
{
    std::erase(mUndoSides, side);
    std::erase(mRedoSides, side);
}

bool PaneUndoHistory::available(int side, bool redo) const
{
    const MyEditTextView *view = pane(side);
    if (!view)
        return false;
    return redo ? view->document()->isRedoAvailable() : view->document()->isUndoAvailable();
}

bool PaneUndoHistory::canUndo() const
{
    return std::any_of(mUndoSides.begin(), mUndoSides.end(),
                       [this](int side) { return available(side, false); });
}

bool PaneUndoHistory::canRedo() const
{
    return std::any_of(mRedoSides.begin(), mRedoSides.end(),
                       [this](int side) { return available(side, true); });
}

int PaneUndoHistory::step(bool redo)
{
    std::vector<int> &from = redo ? mRedoSides : mUndoSides;
    std::vector<int> &to = redo ? mUndoSides : mRedoSides;
    while (!from.empty()) {
        const int side = from.back();
        from.pop_back();
        // A step the pane no longer has (its text was loaded again) is skipped.
        if (!available(side, redo))
            continue;
        mStepping = true;
        mChangePosition = -1;
        redo ? pane(side)->redo() : pane(side)->undo();
        mStepping = false;
        to.push_back(side);
        return side;
    }
    return 0;
}
