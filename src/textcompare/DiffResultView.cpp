#include "textcompare/DiffResultView.h"

#include "platform/Guard.h"
#include "textcompare/MyEditTextView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {
constexpr qreal kMargin = 2;
constexpr qreal kMinMark = 2;
constexpr qreal kClickSlop = 3;
} // namespace

DiffResultView::DiffResultView(QWidget *parent) : QWidget(parent)
{
    setMinimumWidth(16);
    setCursor(Qt::PointingHandCursor);
}

void DiffResultView::setMergeBlocks(const MergeBlockList *blocks, qint64 lines1, qint64 lines2)
{
    mBlocks = blocks;
    mLines[1] = lines1;
    mLines[2] = lines2;
    mCurrentBlock = -1;
    update();
}

void DiffResultView::setCurrentBlock(int index)
{
    mCurrentBlock = index;
    update();
}

void DiffResultView::setVisibleLines(qint64 first, qint64 last)
{
    if (first == mVisibleFirst && last == mVisibleLast)
        return;
    mVisibleFirst = first;
    mVisibleLast = last;
    update();
}

// Both sides share one scale, so a block's two marks stand side by side.
qreal DiffResultView::scale() const
{
    const qreal h = std::max<qreal>(1, height() - 2 * kMargin);
    return h / qreal(std::max<qint64>(1, std::max(mLines[1], mLines[2])));
}

QRectF DiffResultView::blockRect(const MERGE_BLOCK &block, int side) const
{
    const qreal s = scale();
    const qreal half = width() / 2.0;
    const qreal x = side == 1 ? 1 : half;
    const qreal top = kMargin + block.startLine[side] * s;
    const qreal h = std::max<qreal>(kMinMark, block.lineCount[side] * s);
    return QRectF(x, top - (block.lineCount[side] == 0 ? 1 : 0), half - 1, h);
}

void DiffResultView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor base = palette().color(QPalette::Base);
    painter.fillRect(rect(), base.lightnessF() < 0.5 ? base.lighter(140) : base.darker(110));
    if (!mBlocks)
        return;
    // Marks narrower than a pixel row are merged by painting over each other; a long list costs
    // one rectangle per block and side.
    for (size_t i = 0; i < mBlocks->size(); ++i) {
        const MERGE_BLOCK &b = (*mBlocks)[i];
        const QColor color = MyEditTextView::blockColor(b);
        painter.fillRect(blockRect(b, 1), color);
        painter.fillRect(blockRect(b, 2), color);
    }
    if (mCurrentBlock >= 0 && mCurrentBlock < int(mBlocks->size())) {
        const MERGE_BLOCK &b = (*mBlocks)[size_t(mCurrentBlock)];
        painter.setPen(QPen(palette().color(QPalette::Text), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(blockRect(b, 1).united(blockRect(b, 2)).adjusted(-0.5, -1.5, -0.5, 1.5));
    }
    // The part of the left text in view.
    const qreal s = scale();
    QColor frame = palette().color(QPalette::Text);
    frame.setAlpha(90);
    painter.setPen(QPen(frame, 1));
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(40);
    painter.setBrush(fill);
    const qreal top = kMargin + mVisibleFirst * s;
    const qreal bottom = kMargin + (mVisibleLast + 1) * s;
    painter.drawRect(QRectF(0.5, top, width() - 1.0, std::max<qreal>(3, bottom - top)));
}

int DiffResultView::blockAt(const QPointF &point) const
{
    if (!mBlocks || mBlocks->empty())
        return -1;
    const int side = point.x() < width() / 2.0 ? 1 : 2;
    int best = -1;
    qreal bestDistance = kClickSlop;
    for (size_t i = 0; i < mBlocks->size(); ++i) {
        const QRectF r = blockRect((*mBlocks)[i], side);
        qreal d = 0;
        if (point.y() < r.top())
            d = r.top() - point.y();
        else if (point.y() > r.bottom())
            d = point.y() - r.bottom();
        if (d <= bestDistance) {
            best = int(i);
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}

qint64 DiffResultView::lineAt(qreal y) const
{
    const qreal line = (y - kMargin) / scale();
    if (!std::isfinite(line) || line < 0)
        return 0;
    return std::min<qint64>(qint64(line), std::max<qint64>(0, mLines[1] - 1));
}

void DiffResultView::mousePressEvent(QMouseEvent *event)
{
    GUARD_BEGIN
    if (event->button() != Qt::LeftButton)
        return;
    const int index = blockAt(event->position());
    if (index >= 0)
        emit blockClicked(index);
    else
        emit lineClicked(lineAt(event->position().y()));
    GUARD_END_VOID
}
