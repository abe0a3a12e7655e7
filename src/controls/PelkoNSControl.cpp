#include "controls/PelkoNSControl.h"

#include "controls/PelkoNSButton.h"
#include "controls/PelkoNSTextField.h"
#include "controls/PelkoNSTextView.h"
#include "platform/Guard.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <cmath>

void setStringValue2(QWidget *self, const QString &text)
{
    GUARD_BEGIN
    if (!self)
        return;
    if (auto *e = qobject_cast<QLineEdit *>(self))
        setStringValue(e, text);
    else if (auto *l = qobject_cast<QLabel *>(self))
        setStringValue(l, text);
    else if (auto *b = qobject_cast<QAbstractButton *>(self))
        setString2(b, text);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(self))
        setStringValue(p, text);
    else if (auto *t = qobject_cast<QTextEdit *>(self))
        setStringValue(t, text);
    else if (auto *c = qobject_cast<QComboBox *>(self); c && c->isEditable())
        c->setEditText(text.isNull() ? QString(QLatin1String("")) : text);
    else
        REPORT_FATAL();
    GUARD_END_VOID
}

namespace {

// Nearest whole pixel within what a widget can take; NaN gives 0.
int wholePixels(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::lround(std::clamp(v, double(-QWIDGETSIZE_MAX), double(QWIDGETSIZE_MAX))));
}

} // namespace

void sizeToFit_WidthOnly(QWidget *self, float extraWidth)
{
    if (!self)
        return;
    const QRect before = self->geometry();
    const QSize fitted = self->sizeHint().isValid() ? self->sizeHint() : before.size();
    // Qt geometry is whole pixels; the centre is kept to the nearest one.
    const double top = before.y() + before.height() * 0.5 - fitted.height() * 0.5;
    const double width = fitted.width() + (std::isnan(extraWidth) ? 0.0 : double(extraWidth));
    self->setGeometry(before.x(), wholePixels(top), std::max(wholePixels(width), 0),
                      fitted.height());
}
