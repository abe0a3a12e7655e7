// Lines folded into rows: the map between the text and the document, edits that must keep the
// rows' marks, and the keys that cross a row's edge.
#include "textcompare/MyEditTextView.h"

#include "textcompare/PaneLoader.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <algorithm>

const FoldMap &MyEditTextView::foldMap() const
{
    static const FoldMap none;
    if (!mMayHaveFolds)
        return none;
    // Two documents may stand at the same revision: the map is that of one document.
    if (mFoldsDirty || mFoldsRevision != document()->revision() || mFoldsDocument != document()) {
        mFolds.rebuild(document());
        mFoldsDirty = false;
        mFoldsRevision = document()->revision();
        mFoldsDocument = document();
    }
    return mFolds;
}

void MyEditTextView::beginFoldWatch()
{
    if (mWatchDepth++ > 0)
        return;
    mWatchRepairs.clear();
    mWatching = mMayHaveFolds && !foldMap().empty();
}

void MyEditTextView::endFoldWatch()
{
    if (--mWatchDepth > 0 || !mWatching)
        return;
    mWatching = false;
    for (auto &[at, row] : mWatchRepairs) {
        if (!at.atBlockStart() || IsFoldRow(at.block()) == row)
            continue;
        // Part of the edit's own undo step; the window heard of the edit already, and the text
        // it will read is the one mended here.
        const bool blocked = document()->blockSignals(true);
        at.joinPreviousEditBlock();
        SetFoldRow(at.block(), row);
        at.endEditBlock();
        document()->blockSignals(blocked);
        mFoldsDirty = true;
    }
    mWatchRepairs.clear();
}

bool MyEditTextView::handleFoldKeys(QKeyEvent *event)
{
    if (isReadOnly() || !mMayHaveFolds || foldMap().empty())
        return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    QTextCursor cursor = textCursor();
    if (event->matches(QKeySequence::InsertParagraphSeparator)) {
        // A break typed into a folded line is a break of the text: it must not take the mark
        // of the row it splits.
        InsertPaneText(cursor, u"\n", false);
        setTextCursor(cursor);
        ensureCursorVisible();
        return true;
    }
    if (cursor.hasSelection() || mods != Qt::NoModifier)
        return false;
    // Backspace at the start of a row and Delete at the end of one take the character beyond the
    // row's edge (and beyond rows left empty): the edge itself is no character of the text.
    QTextBlock block = cursor.block();
    QTextCursor target(document());
    if (event->key() == Qt::Key_Backspace && cursor.atBlockStart() && IsFoldRow(block)) {
        do
            block = block.previous();
        while (block.length() == 1 && IsFoldRow(block));
        if (!block.isValid())
            return false;
        const int end = block.position() + block.length() - 1;
        if (end > block.position()) {
            const bool pair = end - block.position() >= 2 &&
                              document()->characterAt(end - 1).isLowSurrogate() &&
                              document()->characterAt(end - 2).isHighSurrogate();
            target.setPosition(end - (pair ? 2 : 1));
            target.setPosition(end, QTextCursor::KeepAnchor);
        } else if (block.position() > 0) {
            // An empty line: the break before it.
            target.setPosition(block.position() - 1);
            target.setPosition(block.position(), QTextCursor::KeepAnchor);
        }
    } else if (event->key() == Qt::Key_Delete && cursor.atBlockEnd() && IsFoldRow(block.next())) {
        block = block.next();
        while (block.length() == 1 && IsFoldRow(block.next()))
            block = block.next();
        const int start = block.position();
        const bool pair = block.length() > 2 && document()->characterAt(start).isHighSurrogate() &&
                          document()->characterAt(start + 1).isLowSurrogate();
        // An empty last row: the break after it, when there is one.
        if (block.length() > 1 || block.next().isValid()) {
            target.setPosition(start);
            target.setPosition(start + (pair ? 2 : 1), QTextCursor::KeepAnchor);
        }
    } else {
        return false;
    }
    if (target.hasSelection()) {
        RemovePaneSelection(target);
        setTextCursor(target);
    }
    return true;
}

// The colourer's positions are positions of the text; the runs are kept on the document.
Range MyEditTextView::documentRange(Range range) const
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return range;
    const qint64 start = folds.toDocument(range.location);
    return Range{start, folds.toDocument(MaxRange(range)) - start};
}

QTextBlock MyEditTextView::blockOfText(qint64 position) const
{
    const qint64 last = std::max(0, document()->characterCount() - 1);
    return document()->findBlock(int(std::clamp<qint64>(foldMap().toDocument(position), 0, last)));
}
