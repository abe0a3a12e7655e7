#include "controls/PelkoNSTextFieldCell.h"

#include "controls/ControlText.h"

#include <QLabel>
#include <QLineEdit>
#include <QStandardItem>

void setTextColor2(QLineEdit *self, const platform::Color &color)
{
    if (!self || !color.isValid())
        return;
    setPaletteTextColor(self, color.toQColor(), {QPalette::Text});
}

void setTextColor2(QLabel *self, const platform::Color &color)
{
    if (!self || !color.isValid())
        return;
    setPaletteTextColor(self, color.toQColor(), {QPalette::WindowText});
}

void setTextColor2(QStandardItem *self, const platform::Color &color)
{
    if (!self || !color.isValid())
        return;
    self->setForeground(color.toQColor());
}
