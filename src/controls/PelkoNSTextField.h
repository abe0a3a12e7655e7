#pragma once
// Text accessors of the text fields (editable: QLineEdit; labels: QLabel) that accept a null
// string and never answer one, with the colour of an enabled or disabled label.

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

QString stringValue(const QLineEdit *self);
QString stringValue(const QLabel *self);
void setStringValue(QLineEdit *self, const QString &text);
void setStringValue(QLabel *self, const QString &text);

void setString2(QLineEdit *self, const QString &text);
void setString2(QLabel *self, const QString &text);
void setString(QLineEdit *self, const QString &text);
void setString(QLabel *self, const QString &text);
QString string(const QLineEdit *self);
QString string(const QLabel *self);

// The label colour when enabled, the system grey when not (only the colour changes).
void setLableEnable(QWidget *self, bool enable);
