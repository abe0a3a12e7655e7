#include "controls/PelkoNSTextView.h"

#include "controls/ControlText.h"
#include "platform/Guard.h"

#include <QPlainTextEdit>
#include <QTextEdit>

QString string(const QPlainTextEdit *self)
{
    return self ? self->toPlainText() : QString(QLatin1String(""));
}

QString string(const QTextEdit *self)
{
    return self ? self->toPlainText() : QString(QLatin1String(""));
}

void setString(QPlainTextEdit *self, const QString &text)
{
    if (self)
        self->setPlainText(ownTextCopy(text));
}

void setString(QTextEdit *self, const QString &text)
{
    if (self)
        self->setPlainText(ownTextCopy(text));
}

void setString2(QPlainTextEdit *self, const QString &text)
{
    GUARD_BEGIN
    setString(self, text);
    GUARD_END_VOID
}

void setString2(QTextEdit *self, const QString &text)
{
    GUARD_BEGIN
    setString(self, text);
    GUARD_END_VOID
}

void setStringValue(QPlainTextEdit *self, const QString &text)
{
    setString(self, ownTextCopy(text));
}

void setStringValue(QTextEdit *self, const QString &text)
{
    setString(self, ownTextCopy(text));
}

QString stringValue(const QPlainTextEdit *self)
{
    return ownTextCopy(string(self));
}

QString stringValue(const QTextEdit *self)
{
    return ownTextCopy(string(self));
}
