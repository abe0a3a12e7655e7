#include "controls/PelkoNSTextField.h"

#include "platform/Guard.h"
#include "platform/SystemColors.h"

#include <QLabel>
#include <QLineEdit>

namespace {

QString ownCopy(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : QString(text.constData(), text.size());
}

} // namespace

QString stringValue(const QLineEdit *self)
{
    return self ? ownCopy(self->text()) : QString(QLatin1String(""));
}

QString stringValue(const QLabel *self)
{
    return self ? ownCopy(self->text()) : QString(QLatin1String(""));
}

void setStringValue(QLineEdit *self, const QString &text)
{
    if (self)
        self->setText(ownCopy(text));
}

void setStringValue(QLabel *self, const QString &text)
{
    if (self)
        self->setText(ownCopy(text));
}

void setString2(QLineEdit *self, const QString &text)
{
    GUARD_BEGIN
    setStringValue(self, text);
    GUARD_END_VOID
}

void setString2(QLabel *self, const QString &text)
{
    GUARD_BEGIN
    setStringValue(self, text);
    GUARD_END_VOID
}

void setString(QLineEdit *self, const QString &text)
{
    setStringValue(self, text);
}

void setString(QLabel *self, const QString &text)
{
    setStringValue(self, text);
}

QString string(const QLineEdit *self)
{
    return stringValue(self);
}

QString string(const QLabel *self)
{
    return stringValue(self);
}

void setLableEnable(QWidget *self, bool enable)
{
    if (!self)
        return;
    const QColor c = (enable ? platform::labelColor() : platform::systemGrayColor()).toQColor();
    QPalette p = self->palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    self->setPalette(p);
}
