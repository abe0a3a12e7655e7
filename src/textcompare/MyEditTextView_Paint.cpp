// Painting a pane: the difference blocks behind the text, the changed characters of the current
// block, the marks of invisible characters and the caret, in colours readable on the theme.
#include "textcompare/MyEditTextView.h"

#include "foundation/CoverInfor.h"
#include "graphics/Contrast.h"
#include "services/Colors.h"
#include "themes/LanguageColorInfo.h"
#include "themes/TextCaret.h"
#include "themes/ThemeColor.h"

#include <QPainter>
#include <QPaintEvent>
#include <QTextBlock>
#include <algorithm>
#include <cstdlib>

namespace {

// Every colour text is painted in on a pane: the default text and each syntax colour.
QList<QColor> themeTextColors(const QColor &paletteText)
{
    QList<QColor> colors{paletteText};
    for (int index :
         {int(SYNTAX_COLOR_DEFAULT), 1, 2, 3, 4, 5, 6, 7, 8, 9, int(SYNTAX_COLOR_NUMBER),
          int(SYNTAX_COLOR_SINGLE_QUOTE), int(SYNTAX_COLOR_DOUBLE_QUOTE), int(SYNTAX_COLOR_COMMENT),
          int(SYNTAX_COLOR_URL)})
        colors << GetApp_Color_Text_Default_WithIndex(index).toQColor();
    return colors;
}

} // namespace

QColor MyEditTextView::blockColor(const MERGE_BLOCK &block)
{
    platform::Color c;
    if (block.lineCount[1] > 0 && block.lineCount[2] > 0)
        c = GetColor_DiffChanged();
    else if (block.lineCount[2] == 0)
        c = GetColor_DiffStatus3(); // only on the left
    else
        c = GetColor_DiffStatus4(); // only on the right
    QColor q = c.isValid() ? c.toQColor() : QColor(Qt::red);
    q.setAlpha(255);
    return q;
}

QList<QColor> MyEditTextView::textColors() const
{
    // Without colouring only the default colours paint text: the tints need not keep every
    // syntax colour of the theme readable, which would leave them too faint to see.
    if (!mColorInfo->language())
        return {palette().color(QPalette::Text),
                GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_DEFAULT).toQColor()};
    return themeTextColors(palette().color(QPalette::Text));
}

BlockPalette MyEditTextView::blockPalette(const MERGE_BLOCK &block) const
{
    const QColor status = blockColor(block);
    const QColor background = palette().color(QPalette::Base);
    const QList<QColor> texts = textColors();
    for (const CachedPalette &c : mPaletteCache)
        if (c.status == status && c.background == background && c.texts == texts)
            return c.palette;
    if (mPaletteCache.size() > 8)
        mPaletteCache.clear();
    const BlockPalette p = MakeBlockPalette(status, background, texts);
    mPaletteCache.push_back({status, background, texts, p});
    return p;
}

void MyEditTextView::paintBlocks(QPainter &painter, const QRect &clip)
{
    if (!mBlocks || mBlocks->empty())
        return;
    const int side = mSide;
    const qint64 first = firstVisibleLine();
    const qint64 last = lastVisibleLine();
    // Blocks are ascending on both sides: start at the first one that ends in view.
    auto it = std::partition_point(mBlocks->begin(), mBlocks->end(), [&](const MERGE_BLOCK &b) {
        return b.startLine[side] + std::max<qint64>(b.lineCount[side], 1) < first;
    });
    const qreal width = viewport()->width();
    for (; it != mBlocks->end() && it->startLine[side] <= last + 1; ++it) {
        const int index = int(it - mBlocks->begin());
        const bool current = index == mCurrentBlock;
        const BlockPalette colors = blockPalette(*it);
        const qint64 start = it->startLine[side], count = it->lineCount[side];
        const qreal top = lineTopY(start);
        if (count > 0) {
            const qreal bottom = lineTopY(start + count);
            const QRectF r(0, top, width, bottom - top);
            if (r.intersects(clip))
                painter.fillRect(r, current ? colors.currentBlock : colors.block);
            if (current) {
                // The selected block stands out by its frame, not by a darker fill under the
                // text.
                painter.fillRect(QRectF(0, top, width, 2), colors.frame);
                painter.fillRect(QRectF(0, bottom - 2, width, 2), colors.frame);
                painter.fillRect(QRectF(0, top, 3, bottom - top), colors.frame);
            }
        } else {
            // Nothing on this side: a line where the other side's lines would go.
            QColor line = colors.frame;
            if (!current)
                line = MixColors(palette().color(QPalette::Base), line, 0.7);
            painter.fillRect(QRectF(0, top - 1, width, current ? 3 : 2), line);
        }
    }
}

void MyEditTextView::setInvisibleMarks(const InvisibleMarks &marks)
{
    if (marks == mLayoutManager.marks())
        return;
    mLayoutManager.setMarks(marks);
    viewport()->update();
}

QColor MyEditTextView::invisibleMarkColor() const
{
    const QColor base = palette().color(QPalette::Base);
    MERGE_BLOCK changed, leftOnly, rightOnly;
    changed.lineCount[1] = changed.lineCount[2] = 1;
    leftOnly.lineCount[1] = 1;
    rightOnly.lineCount[2] = 1;
    QList<QColor> inputs{GetApp_Color_Mark().toQColor(), palette().color(QPalette::Text), base,
                         palette().color(QPalette::Highlight)};
    for (const MERGE_BLOCK *block : {&changed, &leftOnly, &rightOnly})
        inputs << blockColor(*block);
    inputs += textColors();
    if (mMarkColorCache.color.isValid() && mMarkColorCache.inputs == inputs)
        return mMarkColorCache.color;
    // Everything a mark may stand on: the pane, the selection and each tint of each status.
    QList<QColor> backgrounds{base, palette().color(QPalette::Highlight)};
    for (const MERGE_BLOCK *block : {&changed, &leftOnly, &rightOnly}) {
        const BlockPalette p = blockPalette(*block);
        backgrounds << p.block << p.currentBlock << p.changedCharacters;
    }
    mMarkColorCache = {inputs, ReadableMarkColor(inputs[0], inputs[1], backgrounds)};
    return mMarkColorCache.color;
}

void MyEditTextView::paintInvisibleMarks(QPainter &painter, const QRect &clip)
{
    if (!mLayoutManager.marks().any())
        return;
    const QTextBlock first = firstVisibleBlock();
    if (!first.isValid())
        return;
    const QPointF origin = blockBoundingGeometry(first).translated(contentOffset()).topLeft();
    mLayoutManager.drawGlyphs(painter, first, origin, QRectF(clip), invisibleMarkColor());
}

void MyEditTextView::paintEvent(QPaintEvent *event)
{
    // Colours still to come are put on before the paint lays out what it shows.
    if (mColoringScheduled)
        colourNow();
    {
        QPainter painter(viewport());
        paintBlocks(painter, event->rect());
    }
    QPlainTextEdit::paintEvent(event);
    {
        QPainter painter(viewport());
        paintInvisibleMarks(painter, event->rect());
        mCaret->paint(painter);
    }
    if (mBlocks && !mBlocks->empty())
        emit blocksPainted();
}

void MyEditTextView::updateExtraSelections()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (mBlocks && mCurrentBlock >= 0 && mCurrentBlock < int(mBlocks->size())) {
        const BlockPalette colors = blockPalette((*mBlocks)[size_t(mCurrentBlock)]);
        const QColor color = colors.changedCharacters;
        // Where the theme's text colours leave no room for a stronger tint than the selected
        // block's, the changed characters are underlined in the block's colour as well.
        const QColor a = color.toRgb(), b = colors.currentBlock.toRgb();
        const bool sameTint =
            std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                      std::abs(a.blue() - b.blue())}) < 16;
        const qint64 length = document()->characterCount();
        const FoldMap &folds = foldMap();
        for (const Range &r : mChangedCharacters) {
            const qint64 start = folds.toDocument(r.location);
            if (r.location < 0 || start >= length)
                continue;
            QTextEdit::ExtraSelection sel;
            sel.cursor = QTextCursor(document());
            sel.cursor.setPosition(int(start));
            sel.cursor.setPosition(int(std::min<qint64>(folds.toDocument(MaxRange(r)), length - 1)),
                                   QTextCursor::KeepAnchor);
            sel.format.setBackground(color);
            if (sameTint) {
                sel.format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
                sel.format.setUnderlineColor(colors.frame);
            }
            selections.append(sel);
        }
    }
    setExtraSelections(selections);
}
