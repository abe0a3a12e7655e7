#include "controls/PelkoNSTextFieldCell.h"

#include <QLabel>
#include <QLineEdit>
#include <QStandardItem>

void setTextColor2(QLineEdit *self, const platform::Color &color)
{
    if (!self || !color.isValid())
        return;
    QPalette p = self->palette();
    p.setColor(QPalette::Text, color.toQColor());
    self->setPalette(p);
}

void setTextColor2(QLabel *self, const platform::Color &color)
{
    if (!self || !color.isValid())
        return;
    QPalette p = self->palette();
    p.setColor(QPalette::WindowText, color.toQColor());
    self->setPalette(p);
}

void setTextColor2(QStandardItem *self, const platform::Color &color)
{
    if (!self || !color.isValid())
        return;
    self->setForeground(color.toQColor());
}
