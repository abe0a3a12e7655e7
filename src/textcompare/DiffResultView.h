#pragma once
// The overview strip: every difference block of both files at the scale of the whole text (left
// side in the left half, right side in the right half), the current block outlined and the part
// in view framed. A click goes to the block under the mouse, or to that place of the text.

#include "compare/MergeBlock.h"

#include <QWidget>

class DiffResultView : public QWidget
{
    Q_OBJECT
public:
    explicit DiffResultView(QWidget *parent = nullptr);

    // Lent by the window with the line counts of both texts.
    void setMergeBlocks(const MergeBlockList *blocks, qint64 lines1, qint64 lines2);
    void setCurrentBlock(int index);
    // The lines of the left text in view.
    void setVisibleLines(qint64 first, qint64 last);

    // The block drawn at a point, or the nearest one within a few pixels; -1 for none.
    int blockAt(const QPointF &point) const;
    // The left line at a height.
    qint64 lineAt(qreal y) const;

    QSize sizeHint() const override { return QSize(24, 100); }

signals:
    void blockClicked(int index);
    void lineClicked(qint64 line);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QRectF blockRect(const MERGE_BLOCK &block, int side) const;
    qreal scale() const;

    const MergeBlockList *mBlocks = nullptr;
    qint64 mLines[3] = {0, 0, 0};
    int mCurrentBlock = -1;
    qint64 mVisibleFirst = 0, mVisibleLast = 0;
};
