#pragma once
// One undo history for both panes of the text window, in the order the edits were made. Each
// pane's document keeps its own edits; the history keeps which pane each step was made in, so
// that undo after taking a block reverts that block whichever pane has the focus.

#include <QPointer>
#include <vector>

class MyEditTextView;

class PaneUndoHistory
{
public:
    PaneUndoHistory(MyEditTextView *left, MyEditTextView *right);

    // A pane's document recorded an edit (not one made by undo or redo here): redo is gone.
    void added(int side);
    // The pane's text was loaded again: its steps are gone.
    void forget(int side);
    bool canUndo() const;
    bool canRedo() const;

    // Undoes (or redoes) the latest step its pane still has. The pane stepped, or 0 when there
    // was none.
    int step(bool redo);
    // Undo or redo is running: edits seen now are its own.
    bool isStepping() const { return mStepping; }
    // Where the step running changed the text (the document reports it while it runs).
    void noteChange(int position) { mChangePosition = position; }
    // Where the last step changed the text; -1 when it reported nothing.
    int changePosition() const { return mChangePosition; }

private:
    MyEditTextView *pane(int side) const { return side == 1 ? mLeft : mRight; }
    bool available(int side, bool redo) const;

    QPointer<MyEditTextView> mLeft, mRight;
    std::vector<int> mUndoSides, mRedoSides; // the pane of each undo and redo step
    bool mStepping = false;
    int mChangePosition = -1;
};
