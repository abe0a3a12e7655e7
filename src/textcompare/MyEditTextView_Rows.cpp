// Lines, rows and scrolling of a pane: a line of the text may take several rows of the document
// (folded) and each row several rows on screen (wrapped).
#include "textcompare/MyEditTextView.h"

#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <limits>

qint64 MyEditTextView::lineCount() const
{
    return document()->blockCount() - foldMap().foldRowCount();
}

qint64 MyEditTextView::cursorLine() const
{
    return foldMap().lineOfBlock(textCursor().blockNumber());
}

qint64 MyEditTextView::firstVisibleLine() const
{
    return foldMap().lineOfBlock(firstVisibleBlock().blockNumber());
}

qint64 MyEditTextView::firstVisibleRowInLine() const
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return 0;
    const qint64 block = firstVisibleBlock().blockNumber();
    return block - folds.firstBlockOfLine(folds.lineOfBlock(block));
}

qint64 MyEditTextView::lastVisibleLine() const
{
    const FoldMap &folds = foldMap();
    QTextBlock block = firstVisibleBlock();
    qreal y = blockBoundingGeometry(block).translated(contentOffset()).top();
    const qreal bottom = viewport()->height();
    qint64 last = block.blockNumber();
    while (block.isValid() && y < bottom) {
        last = block.blockNumber();
        y += blockBoundingRect(block).height();
        block = block.next();
    }
    return std::max<qint64>(folds.lineOfBlock(last), 0);
}

qreal MyEditTextView::lineTopY(qint64 line) const
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return blockTopY(line);
    const qint64 lines = lineCount();
    if (line < lines)
        return blockTopY(folds.firstBlockOfLine(line));
    // Past the last line: placed by the line height after the end.
    return blockTopY(document()->blockCount()) + (line - lines) * fontMetrics().lineSpacing();
}

qreal MyEditTextView::blockTopY(qint64 number) const
{
    const qreal lineHeight = fontMetrics().lineSpacing();
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return number * lineHeight;
    const qint64 first = block.blockNumber();
    qreal y = blockBoundingGeometry(block).translated(contentOffset()).top();
    if (number <= first)
        return y - (first - number) * lineHeight;
    const qreal limit = viewport()->height() + 2 * lineHeight;
    while (block.isValid() && block.blockNumber() < number && y < limit) {
        y += blockBoundingRect(block).height();
        block = block.next();
    }
    if (!block.isValid())
        return y + std::max<qint64>(0, number - document()->blockCount()) * lineHeight;
    return y + (number - block.blockNumber()) * lineHeight;
}

void MyEditTextView::scrollToLine(qint64 line, qint64 rowInLine)
{
    const FoldMap &folds = foldMap();
    line = std::clamp<qint64>(line, 0, std::max<qint64>(0, lineCount() - 1));
    const qint64 number =
        folds.firstBlockOfLine(line) + std::clamp<qint64>(rowInLine, 0, folds.foldRowsOfLine(line));
    const QTextBlock block = document()->findBlockByNumber(int(number));
    verticalScrollBar()->setValue(block.isValid() ? block.firstLineNumber() : int(number));
}

int MyEditTextView::rowsInView() const
{
    return std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()));
}

double MyEditTextView::linePositionAtRow(int rowsFromTop) const
{
    const int row = verticalScrollBar()->value() + rowsFromTop;
    const QTextBlock block = document()->findBlockByLineNumber(row);
    if (!block.isValid() || row < 0) {
        const QTextBlock last = document()->lastBlock();
        const int endRow = last.firstLineNumber() + std::max(1, last.lineCount());
        return double(lineCount()) + std::max(0, row - endRow);
    }
    const double inBlock = std::clamp(
        double(row - block.firstLineNumber()) / std::max(1, block.lineCount()), 0.0, 1.0);
    const FoldMap &folds = foldMap();
    const qint64 line = folds.lineOfBlock(block.blockNumber());
    const qint64 rows = folds.foldRowsOfLine(line) + 1;
    return double(line) +
           (double(block.blockNumber() - folds.firstBlockOfLine(line)) + inBlock) / double(rows);
}

void MyEditTextView::scrollLinePositionToRow(double position, int rowsFromTop)
{
    const qint64 lines = lineCount();
    double row = 0;
    if (!(position >= 0)) {
        row = 0;
    } else if (position >= double(lines)) {
        const QTextBlock last = document()->lastBlock();
        row = last.firstLineNumber() + std::max(1, last.lineCount()) + (position - double(lines));
    } else {
        const FoldMap &folds = foldMap();
        const qint64 line = qint64(position);
        const qint64 rows = folds.foldRowsOfLine(line) + 1;
        const double intoLine = (position - double(line)) * double(rows);
        // A row's own start, given as a fraction of the line, must not fall into the row before.
        const qint64 blockInLine = std::min(qint64(intoLine + 1e-9), rows - 1);
        const QTextBlock block =
            document()->findBlockByNumber(int(folds.firstBlockOfLine(line) + blockInLine));
        if (block.isValid())
            row = block.firstLineNumber() +
                  (intoLine - double(blockInLine)) * std::max(1, block.lineCount());
    }
    const double top = std::clamp(row - rowsFromTop, 0.0, double(std::numeric_limits<int>::max()));
    verticalScrollBar()->setValue(int(std::lround(top)));
}

double MyEditTextView::linePositionOfText(qint64 position) const
{
    const FoldMap &folds = foldMap();
    const QTextBlock block = document()->findBlock(int(folds.toDocument(position)));
    if (!block.isValid())
        return double(lineCount());
    const qint64 line = folds.lineOfBlock(block.blockNumber());
    const qint64 rows = folds.foldRowsOfLine(line) + 1;
    return double(line) + double(block.blockNumber() - folds.firstBlockOfLine(line)) / double(rows);
}

bool MyEditTextView::isTextPositionInView(qint64 position) const
{
    const QTextBlock block = document()->findBlock(int(foldMap().toDocument(position)));
    if (!block.isValid())
        return false;
    const qreal top = blockTopY(block.blockNumber());
    return top >= 0 && top + fontMetrics().lineSpacing() <= viewport()->height();
}
