#pragma once
// Accessors shared by every control that shows a text.

#include <QString>

class QWidget;

// Sets the shown text of a line edit, label, button, text view or editable combo box (a copy;
// null taken as empty). Failures are reported, never raised.
void setStringValue2(QWidget *self, const QString &text);
// Fits the control to its content, keeping its left edge and vertical centre, then widens it.
void sizeToFit_WidthOnly(QWidget *self, float extraWidth);
