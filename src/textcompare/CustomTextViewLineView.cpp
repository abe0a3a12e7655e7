#include "textcompare/CustomTextViewLineView.h"

#include "graphics/Contrast.h"
#include "controls/PelkoNSTextView.h"
#include "services/Localization.h"
#include "textcompare/FoldedLines.h"
#include "textcompare/MyEditTextView.h"

#include <QMouseEvent>

#include <QPainter>
#include <QScrollBar>
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
{
    setMouseTracking(true);
}

int CustomTextViewLineView::positionAt(int y) const
{
    const int viewportY = y + geometry().top() - mView->viewport()->geometry().top();
    return mView->cursorForPosition(QPoint(0, viewportY)).position();
}

qint64 CustomTextViewLineView::lineNumberAt(int position) const
{
    const QTextBlock block = mView->document()->findBlock(position);
    return mView->foldMap().lineOfBlock(block.isValid() ? block.blockNumber() : 0) + 1;
}

void CustomTextViewLineView::selectLines(int anchor, int position, const QPoint &globalPos)
{
    const QTextDocument *doc = mView->document();
    const FoldMap &folds = mView->foldMap();
    const int last = doc->characterCount() - 1;
    // A folded line is one line of the text however many rows it shows: from the first row of
    // the upper line through the break of the last row of the lower one.
    const auto lineOf = [&](int at) {
        const QTextBlock block = doc->findBlock(at);
        return folds.lineOfBlock(block.isValid() ? block.blockNumber() : 0);
    };
    const qint64 upperLine = lineOf(std::min(anchor, position));
    const qint64 lowerLine = lineOf(std::max(anchor, position));
    const QTextBlock upper = doc->findBlockByNumber(int(folds.firstBlockOfLine(upperLine)));
    const QTextBlock lower = doc->findBlockByNumber(
        int(folds.firstBlockOfLine(lowerLine) + folds.foldRowsOfLine(lowerLine)));
    if (!upper.isValid() || !lower.isValid())
        return;
    // The caret goes to one end of the selection, which on a folded line may lie a thousand rows
    // away from the mouse: there the view stays where the user clicked.
    QScrollBar *bar = mView->verticalScrollBar();
    const int scrolled = bar->value();
    const bool folded = folds.foldRowsOfLine(upperLine) > 0 || folds.foldRowsOfLine(lowerLine) > 0;
    QTextCursor cursor = mView->textCursor();
    cursor.setPosition(upper.position());
    cursor.setPosition(std::min(lower.position() + lower.length(), last), QTextCursor::KeepAnchor);
    mView->setTextCursor(cursor);
    const Range lines = getSelectRangeExtendToLines(mView);
    if (lines.location == NotFound) {
        bar->setValue(scrolled);
        return;
    }
    const int start = int(std::clamp<qint64>(lines.location, 0, last));
    const int end = int(std::clamp<qint64>(lines.location + lines.length, start, last));
    // The selection keeps the direction of the drag: the caret follows the mouse.
    cursor.setPosition(position < anchor ? end : start);
    cursor.setPosition(position < anchor ? start : end, QTextCursor::KeepAnchor);
    mView->setTextCursor(cursor);
    if (folded)
        bar->setValue(scrolled);
    const qint64 first = lineNumberAt(start), lastLine = lineNumberAt(std::max(start, end - 1));
    const QString tip = first == lastLine
                            ? FillFormat(L_(QStringLiteral("Line %@")), {QString::number(first)})
                            : FillFormat(L_(QStringLiteral("Lines %@ - %@")),
                                         {QString::number(first), QString::number(lastLine)});
    emit toolTipRequested(tip, globalPos);
}

void CustomTextViewLineView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int position = positionAt(event->position().toPoint().y());
    const QTextCursor current = mView->textCursor();
    // Shift extends from the far end of what was selected before (the end of whole lines is
    // the start of the next line: one back).
    const bool extend = (event->modifiers() & Qt::ShiftModifier) && current.hasSelection();
    mAnchor = extend ? (position < current.selectionStart() ? current.selectionEnd() - 1
                                                            : current.selectionStart())
                     : position;
    mView->setFocus(Qt::MouseFocusReason);
    selectLines(mAnchor, position, event->globalPosition().toPoint());
    event->accept();
}

void CustomTextViewLineView::mouseMoveEvent(QMouseEvent *event)
{
    const int position = positionAt(event->position().toPoint().y());
    if (mAnchor >= 0 && (event->buttons() & Qt::LeftButton)) {
        selectLines(mAnchor, position, event->globalPosition().toPoint());
    } else {
        const qint64 line = lineNumberAt(position);
        emit toolTipRequested(
            line <= mView->numberedLineCount()
                ? FillFormat(L_(QStringLiteral("Line %@")), {QString::number(line)})
                : QString(),
            event->globalPosition().toPoint());
    }
    event->accept();
}

void CustomTextViewLineView::mouseReleaseEvent(QMouseEvent *event)
{
    mAnchor = -1;
    QWidget::mouseReleaseEvent(event);
}

void CustomTextViewLineView::leaveEvent(QEvent *event)
{
    emit toolTipRequested(QString(), QPoint());
    QWidget::leaveEvent(event);
}

void CustomTextViewLineView::hideEvent(QHideEvent *event)
{
    // Only when the gutter itself was hidden: a window going away hides it too, and then its
    // window controller may be half destroyed.
    if (isHidden())
        emit toolTipRequested(QString(), QPoint());
    QWidget::hideEvent(event);
}

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
    // Rows of a folded line after its first carry no number, nor does the empty row after a
    // text's last line break.
    const qint64 numbered = mView->numberedLineCount();
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
        if ((isFirst || !IsFoldRow(block)) && line < numbered)
            painter.drawText(QRectF(0, top, width() - 8, lineHeight), Qt::AlignRight,
                             QString::number(line + 1));
        top += mView->blockBoundingRect(block).height();
    }
}
