// Lines, rows and scrolling of a pane: a line of the text may take several rows of the document
// (folded) and each row several rows on screen (wrapped).
#include "textcompare/MyEditTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <cmath>
#include <limits>

qint64 MyEditTextView::lineCount() const
{
    return document()->blockCount() - foldMap().foldRowCount();
}

qint64 MyEditTextView::numberedLineCount() const
{
    const qint64 lines = lineCount();
    const QTextBlock last = document()->lastBlock();
    const bool emptyRowAfterBreak = lines > 1 && last.length() == 1 && !IsFoldRow(last);
    return emptyRowAfterBreak ? lines - 1 : lines;
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

int MyEditTextView::rowsOfBlock(const QTextBlock &block) const
{
    if (!block.isValid() || !block.isVisible())
        return 0;
    if (lineWrapMode() == QPlainTextEdit::NoWrap)
        return 1;
    // Until it is laid out a block counts as one row, however many it wraps into: measuring it
    // lays it out and gives its rows to the document's count of them.
    (void)blockBoundingRect(block);
    return std::max(1, block.lineCount());
}

std::pair<QTextBlock, double> MyEditTextView::rowOfLinePosition(double position) const
{
    const qint64 lines = lineCount();
    if (!(position >= 0))
        return {document()->firstBlock(), 0.0};
    if (position >= double(lines)) {
        // Past the end: the rows after the last one.
        const QTextBlock last = document()->lastBlock();
        return {last, rowsOfBlock(last) + (position - double(lines))};
    }
    const FoldMap &folds = foldMap();
    const qint64 line = qint64(position);
    const qint64 rows = folds.foldRowsOfLine(line) + 1;
    const double intoLine = (position - double(line)) * double(rows);
    // A row's own start, given as a fraction of the line, must not fall into the row before.
    const qint64 blockInLine = std::min(qint64(intoLine + 1e-9), rows - 1);
    const QTextBlock block =
        document()->findBlockByNumber(int(folds.firstBlockOfLine(line) + blockInLine));
    if (!block.isValid())
        return {document()->firstBlock(), 0.0};
    return {block, (intoLine - double(blockInLine)) * rowsOfBlock(block)};
}

void MyEditTextView::scrollLinePositionToRow(double position, int rowsFromTop)
{
    const auto [target, rowInTarget] = rowOfLinePosition(position);
    // The rows above the target that the view is to show are counted as they will be painted:
    // each block there is laid out first. Counted before, a wrapped line above would push the
    // target down by its extra rows once painted.
    int above = rowsFromTop - int(std::lround(rowInTarget));
    QTextBlock top = target;
    int topRow = 0;
    if (above <= 0) {
        topRow = -above;
    } else {
        while (above > 0 && top.previous().isValid()) {
            top = top.previous();
            const int rows = rowsOfBlock(top);
            topRow = std::max(0, rows - above);
            above -= rows;
        }
        if (above > 0)
            topRow = 0; // the start of the text
    }
    const qint64 value = qint64(top.firstLineNumber()) + topRow;
    QScrollBar *bar = verticalScrollBar();
    // The rows just laid out may lengthen the range the bar has not heard of yet.
    if (value > bar->maximum())
        emit document()->documentLayout()->documentSizeChanged(
            document()->documentLayout()->documentSize());
    bar->setValue(int(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max())));
}

qreal MyEditTextView::rowHeight() const
{
    const QTextBlock block = firstVisibleBlock();
    if (block.isValid() && block.layout() && block.layout()->lineCount() > 0)
        return std::max<qreal>(1, block.layout()->lineAt(0).height());
    return std::max(1, fontMetrics().lineSpacing());
}

int MyEditTextView::viewRowOfLinePosition(double position) const
{
    const auto [block, rowInBlock] = rowOfLinePosition(position);
    const qreal height = rowHeight();
    // The top of the row the scroll bar stands at: the first one shown whole.
    const QTextBlock first = firstVisibleBlock();
    const qreal topRow = blockTopY(first.blockNumber()) +
                         (verticalScrollBar()->value() - first.firstLineNumber()) * height;
    const qreal y = blockTopY(block.blockNumber()) + std::floor(rowInBlock + 1e-9) * height;
    return int(std::lround((y - topRow) / height));
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
