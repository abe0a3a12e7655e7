#pragma once
// Text colour of text-field cells (line edits, labels, items of item views): set only when a
// colour is given; no colour leaves the cell as it is.

#include "platform/Color.h"

class QLabel;
class QLineEdit;
class QStandardItem;

void setTextColor2(QLineEdit *self, const platform::Color &color);
void setTextColor2(QLabel *self, const platform::Color &color);
void setTextColor2(QStandardItem *self, const platform::Color &color);
