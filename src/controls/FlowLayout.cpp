#include "controls/FlowLayout.h"

#include <QWidget>
#include <algorithm>
#include <vector>

FlowLayout::FlowLayout(QWidget *parent) : QLayout(parent)
{}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::startGroup(QWidget *widget, int gap)
{
    for (Item &i : mItems) {
        if (i.item->widget() == widget) {
            i.gap = std::max(0, gap);
            i.groupStart = true;
        }
    }
    invalidate();
}

int FlowLayout::groupWidth(qsizetype first) const
{
    int width = 0, shown = 0;
    for (qsizetype i = first; i < mItems.size(); ++i) {
        if (i > first && mItems[i].groupStart)
            break;
        if (mItems[i].item->isEmpty())
            continue;
        width += mItems[i].item->sizeHint().boundedTo(mItems[i].item->maximumSize()).width() +
                 (shown++ > 0 ? std::max(0, spacing()) : 0);
    }
    return width;
}

void FlowLayout::addItem(QLayoutItem *item)
{
    mItems.append({item, 0});
}

int FlowLayout::count() const
{
    return int(mItems.size());
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < mItems.size() ? mItems[index].item : nullptr;
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= mItems.size())
        return nullptr;
    QLayoutItem *item = mItems.takeAt(index).item;
    invalidate();
    return item;
}

Qt::Orientations FlowLayout::expandingDirections() const
{
    return {};
}

bool FlowLayout::hasHeightForWidth() const
{
    return true;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), nullptr, nullptr);
}

QSize FlowLayout::minimumSize() const
{
    // The widest item alone on a row; the height of one row, as the width grows to the hint.
    QSize size;
    for (const Item &i : mItems)
        if (!i.item->isEmpty())
            size = size.expandedTo(i.item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FlowLayout::sizeHint() const
{
    // Every item on one row.
    int width = 0, height = 0, shown = 0;
    for (const Item &i : mItems) {
        if (i.item->isEmpty())
            continue;
        const QSize hint = i.item->sizeHint();
        width += hint.width() + (shown++ > 0 ? std::max(0, spacing()) + i.gap : 0);
        height = std::max(height, hint.height());
    }
    const QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    std::vector<Placed> placed;
    arrange(rect, &placed, nullptr);
    for (const Placed &p : placed)
        p.item->setGeometry(p.rect);
}

int FlowLayout::rowCount(int width) const
{
    int rows = 1;
    arrange(QRect(0, 0, width, 0), nullptr, &rows);
    return rows;
}

int FlowLayout::arrange(const QRect &rect, std::vector<Placed> *placed, int *rows) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int space = std::max(0, spacing());
    // Rows first, then each item centred in its row's height.
    struct Row
    {
        std::vector<std::pair<QLayoutItem *, int>> items; // item, x
        int height = 0;
    };
    std::vector<Row> laid(1);
    int x = area.x();
    for (qsizetype index = 0; index < mItems.size(); ++index) {
        const Item &i = mItems[index];
        if (i.item->isEmpty())
            continue;
        const QSize hint = i.item->sizeHint().boundedTo(i.item->maximumSize());
        const bool rowStart = laid.back().items.empty();
        int left = rowStart ? x : x + space + i.gap;
        // A group that fits on a row of its own is not split between two.
        const int width =
            i.groupStart && groupWidth(index) <= area.width() ? groupWidth(index) : hint.width();
        if (!rowStart && left + width > area.right() + 1) {
            laid.emplace_back();
            left = area.x();
        }
        laid.back().items.emplace_back(i.item, left);
        laid.back().height = std::max(laid.back().height, hint.height());
        x = left + hint.width();
    }
    int y = area.y();
    for (const Row &row : laid) {
        for (const auto &[item, left] : row.items) {
            const QSize hint = item->sizeHint().boundedTo(item->maximumSize());
            const int width = std::min(hint.width(), std::max(0, area.right() + 1 - left));
            if (placed)
                placed->push_back({item, QRect(left, y + (row.height - hint.height()) / 2, width,
                                               hint.height())});
        }
        y += row.height + space;
    }
    if (rows)
        *rows = int(laid.size());
    const QMargins m = contentsMargins();
    return y - space - area.y() + m.top() + m.bottom();
}
