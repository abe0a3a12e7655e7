#pragma once
// Text accessors of the text views that accept a null string and never answer one.

#include <QString>

class QPlainTextEdit;
class QTextEdit;

QString string(const QPlainTextEdit *self);
QString string(const QTextEdit *self);
void setString(QPlainTextEdit *self, const QString &text);
void setString(QTextEdit *self, const QString &text);

void setString2(QPlainTextEdit *self, const QString &text);
void setString2(QTextEdit *self, const QString &text);
void setStringValue(QPlainTextEdit *self, const QString &text);
void setStringValue(QTextEdit *self, const QString &text);
QString stringValue(const QPlainTextEdit *self);
QString stringValue(const QTextEdit *self);
