#pragma once
// An image cell of a table that paints a background colour behind its image.

#include <QStyledItemDelegate>

#include "platform/Color.h"

class MyImageCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Painted over the whole cell before the image; an invalid colour paints nothing.
    platform::Color backgroundColor2;

    // A fresh cell with no background colour.
    MyImageCell *copy(QObject *parent = nullptr) const { return new MyImageCell(parent); }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
