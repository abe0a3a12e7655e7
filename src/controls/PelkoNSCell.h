#pragma once
// Text colour of a cell-like control. A button cell takes the colour in its title (no colour
// means the system text colour); text-field cells use PelkoNSTextFieldCell.h instead.

#include "platform/Color.h"

class QAbstractButton;

void setTextColor2(QAbstractButton *self, const platform::Color &color);
