#include "controls/PelkoNSCell.h"

#include "platform/SystemColors.h"

#include <QAbstractButton>

void setTextColor2(QAbstractButton *self, const platform::Color &color)
{
    if (!self || self->text().isEmpty())
        return;
    const QColor c = (color.isValid() ? color : platform::textColor()).toQColor();
    QPalette p = self->palette();
    p.setColor(QPalette::ButtonText, c);
    p.setColor(QPalette::WindowText, c);
    self->setPalette(p);
}
