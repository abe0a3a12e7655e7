#include "textcompare/CenterLinkView.h"

#include "textcompare/MyEditTextView.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

CenterLinkView::CenterLinkView(QWidget *parent) : QWidget(parent)
{
    setMinimumWidth(20);
}

void CenterLinkView::setTextViews(MyEditTextView *left, MyEditTextView *right)
{
    mView1 = left;
    mView2 = right;
    update();
}

qreal CenterLinkView::yInSelf(MyEditTextView *view, qreal viewportY) const
{
    const QPoint global = view->viewport()->mapToGlobal(QPoint(0, 0));
    return mapFromGlobal(global).y() + viewportY;
}

void CenterLinkView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor base = palette().color(QPalette::Window);
    painter.fillRect(rect(), base);
    if (!mView1 || !mView2 || !mView1->mergeBlocks())
        return;
    const MergeBlockList &blocks = *mView1->mergeBlocks();
    if (blocks.empty())
        return;
    // The strip is as tall as the sides beside it, path and status rows included; the links
    // belong beside the text only.
    const qreal top = std::max(yInSelf(mView1, 0), yInSelf(mView2, 0));
    const qreal bottom = std::min(yInSelf(mView1, mView1->viewport()->height()),
                                  yInSelf(mView2, mView2->viewport()->height()));
    if (bottom <= top)
        return;
    painter.setClipRect(QRectF(0, top, width(), bottom - top));
    painter.setRenderHint(QPainter::Antialiasing);
    const qint64 first1 = mView1->firstVisibleLine(), last1 = mView1->lastVisibleLine();
    const qint64 first2 = mView2->firstVisibleLine(), last2 = mView2->lastVisibleLine();
    // Blocks are ascending on both sides: the ones in view of either pane form one run.
    auto endsBefore = [](const MERGE_BLOCK &b, int side, qint64 line) {
        return b.startLine[side] + std::max<qint64>(b.lineCount[side], 1) < line;
    };
    auto it = std::partition_point(blocks.begin(), blocks.end(), [&](const MERGE_BLOCK &b) {
        return endsBefore(b, 1, first1) && endsBefore(b, 2, first2);
    });
    const qreal w = width();
    const int current = mView1->currentBlock();
    for (; it != blocks.end(); ++it) {
        const MERGE_BLOCK &b = *it;
        if (b.startLine[1] > last1 + 1 && b.startLine[2] > last2 + 1)
            break;
        const qreal t1 = yInSelf(mView1, mView1->lineTopY(b.startLine[1]));
        const qreal b1 = b.lineCount[1] > 0
                             ? yInSelf(mView1, mView1->lineTopY(b.startLine[1] + b.lineCount[1]))
                             : t1;
        const qreal t2 = yInSelf(mView2, mView2->lineTopY(b.startLine[2]));
        const qreal b2 = b.lineCount[2] > 0
                             ? yInSelf(mView2, mView2->lineTopY(b.startLine[2] + b.lineCount[2]))
                             : t2;
        QPainterPath path;
        path.moveTo(0, t1);
        path.cubicTo(w / 2, t1, w / 2, t2, w, t2);
        path.lineTo(w, b2);
        path.cubicTo(w / 2, b2, w / 2, b1, 0, b1);
        path.closeSubpath();
        QColor color = MyEditTextView::blockColor(b);
        const bool isCurrent = int(it - blocks.begin()) == current;
        QColor fill = color;
        fill.setAlpha(isCurrent ? 110 : 60);
        painter.setBrush(fill);
        painter.setPen(QPen(color, isCurrent ? 1.5 : 1));
        painter.drawPath(path);
    }
}
