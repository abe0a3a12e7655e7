// Syntax colouring of a pane on behalf of its LanguageColorInfo: only what is in view is coloured,
// in positions of the text (a folded line is one line) while the runs are kept on the document.
#include "textcompare/MyEditTextView.h"

#include "foundation/CoverInfor.h"
#include "platform/Guard.h"
#include "textcompare/PaneLoader.h"
#include "themes/LanguageColorInfo.h"
#include "themes/SyntaxColorRuns.h"
#include "themes/ThemeColor.h"

#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>

void MyEditTextView::setLanguage(const std::shared_ptr<MyLanguageInfo> &language)
{
    GUARD_BEGIN
    mColorInfo->setLanguage(language);
    mColorInfo->resetAll();
    // Forget every painted run: a new language (or none) starts from plain text.
    mRuns->clearAll();
    mRuns->applyFormats(0, document()->characterCount());
    // The tints depend on the colours text is painted in, which the language decides.
    updateExtraSelections();
    scheduleColoring();
    GUARD_END_VOID
}

void MyEditTextView::themeChanged()
{
    // The formats made for the old theme's colours go first, or the new colouring reuses them.
    mRuns->themeChanged();
    setLanguage(language());
}

std::shared_ptr<MyLanguageInfo> MyEditTextView::language() const
{
    return mColorInfo->language();
}

void MyEditTextView::scheduleColoring()
{
    if (mColoringScheduled || !mColorInfo->language())
        return;
    mColoringScheduled = true;
    QTimer::singleShot(0, this, [this] {
        mColoringScheduled = false;
        colorVisibleText();
    });
}

QTextBlock MyEditTextView::lastBlockThatMayShow() const
{
    // Counted, not measured: measuring a block lays it out, which the colours about to be put on
    // it would undo. Every block takes at least one row, so this reaches at least to the last
    // one in view.
    QTextBlock block = firstVisibleBlock();
    for (int rows = rowsInView() + 1; rows > 0 && block.isValid() && block.next().isValid(); --rows)
        block = block.next();
    return block;
}

bool MyEditTextView::isVisibleTextColoured() const
{
    if (!mColorInfo->language() || document()->isEmpty())
        return true;
    const QTextBlock last = lastBlockThatMayShow();
    if (!firstVisibleBlock().isValid() || !last.isValid())
        return true;
    const FoldMap &folds = foldMap();
    const qint64 start = folds.toText(firstVisibleBlock().position());
    const qint64 end = folds.toText(last.position() + last.length() - 1);
    return end <= start ||
           mColorInfo->doneRanges().indexThatContainsRange(Range{start, end - start}) != NotFound;
}

void MyEditTextView::keepGlyphsOfLongRows(const QTextBlock &first, const QTextBlock &last)
{
    // Qt shapes a block's text when it lays the block out, drops the glyphs, and shapes it again
    // for every paint. Long rows in view keep their glyphs; rows out of view let them go.
    constexpr int kLongRow = 200;
    const int from = first.blockNumber(), to = last.blockNumber();
    if (mShapedDocument == document()) {
        for (int number : mShapedRows) {
            if (number >= from && number <= to)
                continue;
            QTextBlock block = document()->findBlockByNumber(number);
            if (block.isValid() && block.layout()->cacheEnabled()) {
                block.layout()->setCacheEnabled(false);
                block.clearLayout();
            }
        }
    }
    mShapedRows.clear();
    mShapedDocument = document();
    for (QTextBlock block = first; block.isValid() && block.blockNumber() <= to;
         block = block.next()) {
        if (block.length() <= kLongRow)
            continue;
        block.layout()->setCacheEnabled(true);
        mShapedRows.push_back(block.blockNumber());
    }
}

SyntaxColorRuns::ShownPart MyEditTextView::shownPartOfRows() const
{
    if (lineWrapMode() != QPlainTextEdit::NoWrap)
        return {};
    return [this](const QTextBlock &block) -> std::pair<int, int> {
        const int length = block.length() - 1;
        // Laid out without the colours to come, a row costs little; its line tells which of
        // its characters stand in the viewport.
        const QRectF rect = blockBoundingRect(block);
        const QTextLine line =
            block.layout()->lineCount() == 1 ? block.layout()->lineAt(0) : QTextLine();
        if (!line.isValid())
            return {0, length};
        const qreal left = -contentOffset().x() - rect.left();
        const int first = line.xToCursor(left - 1);
        const int last = line.xToCursor(left + viewport()->width() + 1);
        return {std::clamp(first, 0, length), std::clamp(last + 1, 0, length)};
    };
}

void MyEditTextView::colourNow()
{
    // Applying colours can move the scroll range, whose scroll would colour again meanwhile.
    if (!mColorInfo->language() || mColouringNow)
        return;
    mColouringNow = true;
    colorVisibleText();
    mColouringNow = false;
}

void MyEditTextView::colorVisibleText()
{
    GUARD_BEGIN
    if (!mColorInfo->language() || document()->isEmpty())
        return;
    const QTextBlock first = firstVisibleBlock();
    const QTextBlock last = lastBlockThatMayShow();
    if (!first.isValid() || !last.isValid())
        return;
    const qint64 docStart = first.position();
    const qint64 docEnd = last.position() + last.length() - 1;
    // The colourer reads the text, where a folded line is one line.
    const FoldMap &folds = foldMap();
    const qint64 start = folds.toText(docStart);
    const qint64 end = folds.toText(docEnd);
    const Range visible{start, end - start};
    const bool progress = end > start && mColorInfo->parseInRangeIfNeed(visible);
    keepGlyphsOfLongRows(first, last);
    mRuns->applyFormats(docStart, docEnd, shownPartOfRows());
    // Another pass only when this one got somewhere (it ran out of time): a pass that recorded
    // nothing would only fail again.
    if (progress && mColorInfo->doneRanges().indexThatContainsRange(visible) == NotFound)
        scheduleColoring();
    GUARD_END_VOID
}

void MyEditTextView::setTextInRange(Range range, int colorIndex)
{
    mRuns->paint(documentRange(range), colorIndex);
}

void MyEditTextView::setCommentColorForTextInRange(Range range)
{
    mRuns->paint(documentRange(range), SYNTAX_COLOR_COMMENT);
}

int MyEditTextView::paintedColorIndexAt(qint64 position)
{
    return mRuns->colorIndexAt(foldMap().toDocument(position));
}

qint64 MyEditTextView::colourTextLength()
{
    return std::max<qint64>(0, document()->characterCount() - 1 - foldMap().foldRowCount());
}

void MyEditTextView::copyColourText(qint64 from, qint64 to, char16_t *dst)
{
    const FoldMap &folds = foldMap();
    if (folds.empty()) {
        CopyDocumentText(document(), from, to, dst);
        return;
    }
    qint64 at = from;
    QTextBlock block = document()->findBlock(int(folds.toDocument(from)));
    qint64 blockStart = block.isValid() ? folds.toText(block.position()) : to;
    while (block.isValid() && at < to) {
        const QString text = block.text();
        const qint64 contentEnd = blockStart + text.size();
        if (at < contentEnd) {
            const qint64 n = std::min(to, contentEnd) - at;
            const char16_t *src =
                reinterpret_cast<const char16_t *>(text.utf16()) + (at - blockStart);
            std::copy(src, src + n, dst + (at - from));
            at += n;
        }
        const QTextBlock next = block.next();
        // The edge before a fold row is no character of the text.
        const bool lineBreak = !IsFoldRow(next);
        if (at < to && at == contentEnd && lineBreak) {
            dst[at - from] = u'\n';
            ++at;
        }
        blockStart = contentEnd + (lineBreak ? 1 : 0);
        block = next;
    }
    for (; at < to; ++at)
        dst[at - from] = u'\n';
}

qint64 MyEditTextView::colourLineStart(qint64 position)
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return DocumentLineStart(document(), position);
    const QTextBlock block = blockOfText(position);
    if (!block.isValid())
        return -1;
    const QTextBlock first = document()->findBlockByNumber(
        int(folds.firstBlockOfLine(folds.lineOfBlock(block.blockNumber()))));
    return first.isValid() ? folds.toText(first.position()) : -1;
}

qint64 MyEditTextView::colourLineContentEnd(qint64 position)
{
    const FoldMap &folds = foldMap();
    if (folds.empty())
        return DocumentLineContentEnd(document(), position);
    QTextBlock block = blockOfText(position);
    if (!block.isValid())
        return -1;
    const qint64 line = folds.lineOfBlock(block.blockNumber());
    const qint64 lastRow = line + 1 < lineCount() ? folds.firstBlockOfLine(line + 1) - 1
                                                  : document()->blockCount() - 1;
    block = document()->findBlockByNumber(int(lastRow));
    if (!block.isValid())
        return -1;
    return std::min(folds.toText(block.position() + block.length() - 1), colourTextLength());
}
