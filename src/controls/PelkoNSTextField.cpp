#include "controls/PelkoNSTextField.h"

#include "controls/ControlText.h"
#include "platform/Guard.h"
#include "platform/SystemColors.h"

#include <QLabel>
#include <QLineEdit>

QString stringValue(const QLineEdit *self)
{
    return self ? ownTextCopy(self->text()) : QString(QLatin1String(""));
}

QString stringValue(const QLabel *self)
{
    return self ? ownTextCopy(self->text()) : QString(QLatin1String(""));
}

void setStringValue(QLineEdit *self, const QString &text)
{
    if (self)
        self->setText(ownTextCopy(text));
}

void setStringValue(QLabel *self, const QString &text)
{
    if (!self)
        return;
    // A text value is shown as it is: a file name such as "<b>.txt" must not turn into markup.
    // Labels made rich on purpose keep their format.
    if (self->textFormat() == Qt::AutoText)
        self->setTextFormat(Qt::PlainText);
    self->setText(ownTextCopy(text));
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
    setPaletteTextColor(self, c, {QPalette::WindowText, QPalette::Text});
}
