#include "controls/MyImageCell.h"

#include <QPainter>

void MyImageCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const
{
    if (painter && backgroundColor2.isValid())
        painter->fillRect(option.rect, backgroundColor2.toQColor());
    QStyledItemDelegate::paint(painter, option, index);
}
