#include "controls/PelkoNSTextView.h"

#include "platform/Guard.h"

#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Null becomes empty, and the text is our own copy, not shared with the caller's.
QString ownCopy(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : QString(text.constData(), text.size());
}

} // namespace

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
        self->setPlainText(ownCopy(text));
}

void setString(QTextEdit *self, const QString &text)
{
    if (self)
        self->setPlainText(ownCopy(text));
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
    setString(self, ownCopy(text));
}

void setStringValue(QTextEdit *self, const QString &text)
{
    setString(self, ownCopy(text));
}

QString stringValue(const QPlainTextEdit *self)
{
    return ownCopy(string(self));
}

QString stringValue(const QTextEdit *self)
{
    return ownCopy(string(self));
}
