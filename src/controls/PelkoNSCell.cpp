#include "controls/PelkoNSCell.h"

#include "controls/ControlText.h"

#include "platform/SystemColors.h"

#include <QAbstractButton>

void setTextColor2(QAbstractButton *self, const platform::Color &color)
{
    if (!self || self->text().isEmpty())
        return;
    const QColor c = (color.isValid() ? color : platform::textColor()).toQColor();
    setPaletteTextColor(self, c, {QPalette::ButtonText, QPalette::WindowText});
}
