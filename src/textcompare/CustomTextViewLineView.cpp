#include "textcompare/CustomTextViewLineView.h"

#include "graphics/Contrast.h"
#include "textcompare/MyEditTextView.h"

#include <QPainter>
#include <QTextBlock>
#include <algorithm>

QColor CustomTextViewLineView::lineNumberColor(const QColor &background, const QColor &text)
{
    // Quieter than the text, but never below the contrast text needs.
    for (double t = 0.6; t < 1.0; t += 0.05) {
        const QColor c = MixColors(background, text, t);
        if (ContrastRatio(c, background) >= kMinimumTextContrast)
            return c;
    }
    return text;
}

CustomTextViewLineView::CustomTextViewLineView(MyEditTextView *view) : QWidget(view), mView(view)
{}

QSize CustomTextViewLineView::sizeHint() const
{
    return QSize(mView->lineNumberAreaWidth(), 0);
}

void CustomTextViewLineView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QColor base = mView->palette().color(QPalette::Base);
    const bool dark = base.lightnessF() < 0.5;
    const QColor background = dark ? base.lighter(130) : base.darker(106);
    painter.fillRect(event->rect(), background);
    const QColor numberColor = lineNumberColor(background, mView->palette().color(QPalette::Text));
    painter.setFont(mView->font());

    const qint64 first = mView->firstVisibleLine();
    const qint64 last = mView->lastVisibleLine();
    const int lineHeight = mView->fontMetrics().height();
    const int viewportTop = mView->viewport()->geometry().top() - geometry().top();

    // Marks of the blocks in view, so a block stays visible in the gutter when its colour is
    // faint in the text.
    if (const MergeBlockList *blocks = mView->mergeBlocks()) {
        const int side = mView->side();
        // Blocks are ascending: start at the first one that reaches the view.
        auto it = std::partition_point(blocks->begin(), blocks->end(), [&](const MERGE_BLOCK &b) {
            return b.startLine[side] + std::max<qint64>(b.lineCount[side], 1) < first;
        });
        for (; it != blocks->end(); ++it) {
            const MERGE_BLOCK &b = *it;
            const qint64 s = b.startLine[side], c = b.lineCount[side];
            if (s > last + 1)
                break;
            const qreal top = mView->lineTopY(s) + viewportTop;
            const qreal bottom = c > 0 ? mView->lineTopY(s + c) + viewportTop : top + 2;
            painter.fillRect(
                QRectF(width() - 4, top - (c > 0 ? 0 : 1), 4, std::max<qreal>(bottom - top, 2)),
                MyEditTextView::blockColor(b));
        }
    }

    painter.setPen(numberColor);
    // Rows of a folded line after its first carry no number.
    const FoldMap &folds = mView->foldMap();
    QTextBlock block = mView->firstVisibleBlock();
    if (!block.isValid())
        return;
    qint64 line = folds.lineOfBlock(block.blockNumber());
    qreal top = mView->blockTopY(block.blockNumber()) + viewportTop;
    for (bool isFirst = true; block.isValid() && top <= event->rect().bottom();
         block = block.next(), isFirst = false) {
        if (!isFirst && !IsFoldRow(block))
            ++line;
        if (!block.isVisible())
            continue;
        if (isFirst || !IsFoldRow(block))
            painter.drawText(QRectF(0, top, width() - 8, lineHeight), Qt::AlignRight,
                             QString::number(line + 1));
        top += mView->blockBoundingRect(block).height();
    }
}
