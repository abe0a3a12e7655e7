#include "controls/ControlSettingValue.h"

#include "controls/PelkoNSControl.h"
#include "controls/TokenField.h"
#include "foundation/PelkoNSUserDefaults.h"
#include "foundation/RangeUtility.h"
#include "layers/LengthUnits.h"
#include "platform/Guard.h"
#include "platform/UserDefaults.h"
#include "services/Localization.h"
#include "services/WindowFrame.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

enum class Kind { Tokens, Slider, PopUp, ComboText, LineText, ViewText, Button, Unknown };

Kind kindOf(QWidget *control)
{
    if (qobject_cast<TokenField *>(control))
        return Kind::Tokens;
    if (qobject_cast<QAbstractSlider *>(control))
        return Kind::Slider;
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->isEditable() ? Kind::ComboText : Kind::PopUp;
    if (qobject_cast<QLineEdit *>(control))
        return Kind::LineText;
    if (qobject_cast<QTextEdit *>(control) || qobject_cast<QPlainTextEdit *>(control))
        return Kind::ViewText;
    if (qobject_cast<QAbstractButton *>(control))
        return Kind::Button;
    return Kind::Unknown;
}

QString plainTextOf(QWidget *view)
{
    if (auto *edit = qobject_cast<QTextEdit *>(view))
        return edit->toPlainText();
    return static_cast<QPlainTextEdit *>(view)->toPlainText();
}

QString textOf(QWidget *control, Kind kind)
{
    switch (kind) {
    case Kind::ComboText:
        return static_cast<QComboBox *>(control)->currentText();
    case Kind::LineText:
        return static_cast<QLineEdit *>(control)->text();
    default:
        return plainTextOf(control);
    }
}

int buttonState(QAbstractButton *button)
{
    if (auto *box = qobject_cast<QCheckBox *>(button)) {
        switch (box->checkState()) {
        case Qt::PartiallyChecked:
            return -1;
        case Qt::Checked:
            return 1;
        default:
            return 0;
        }
    }
    return button->isChecked() ? 1 : 0;
}

void setButtonState(QAbstractButton *button, int state)
{
    auto *box = qobject_cast<QCheckBox *>(button);
    if (box && state == -1 && box->isTristate()) {
        box->setCheckState(Qt::PartiallyChecked);
        return;
    }
    // A button without a partial state shows the partial state as on.
    button->setChecked(state != 0);
}

// The stored integer as the 32-bit value it was saved as.
int storedInt(const platform::UserDefaults &defaults, const QString &key)
{
    return int(std::clamp<qint64>(defaults.integerForKey(key), INT_MIN, INT_MAX));
}

QString orZero(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("0") : text;
}

void loadSlider(QAbstractSlider *slider, double value)
{
    if (std::isnan(value))
        value = 0;
    const double held = std::clamp(value, double(slider->minimum()), double(slider->maximum()));
    slider->setValue(int(std::lround(held)));
}

void loadPopUp(QComboBox *popUp, int index)
{
    if (index >= 0 && index < popUp->count())
        popUp->setCurrentIndex(index);
    else if (popUp->count() > 0)
        popUp->setCurrentIndex(0);
}

} // namespace

void Save_ControlSettingValue(QWidget *control, const QString &key)
{
    GUARD_BEGIN
    if (!control)
        return;
    if (key.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    platform::UserDefaults &defaults = platform::UserDefaults::standard();
    const Kind kind = kindOf(control);
    switch (kind) {
    case Kind::Tokens: {
        QStringList tokens;
        for (const QString &token : static_cast<TokenField *>(control)->tokens()) {
            if (!token.isEmpty())
                tokens << token;
        }
        defaults.setString(tokens.join(kStringArraySeparator), key);
        break;
    }
    case Kind::Slider:
        defaults.setDouble(double(static_cast<QAbstractSlider *>(control)->value()), key);
        break;
    case Kind::PopUp:
        defaults.setInteger(static_cast<QComboBox *>(control)->currentIndex(), key);
        break;
    case Kind::ComboText:
    case Kind::LineText:
    case Kind::ViewText:
        defaults.setString(textOf(control, kind), key);
        break;
    case Kind::Button:
        defaults.setInteger(buttonState(static_cast<QAbstractButton *>(control)), key);
        break;
    case Kind::Unknown:
        REPORT_FATAL();
        break;
    }
    GUARD_END_VOID
}

void Load_ControlSettingValue(QWidget *control, const QString &key, const QString &defaultText)
{
    GUARD_BEGIN
    if (!control)
        return;
    if (key.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    platform::UserDefaults &defaults = platform::UserDefaults::standard();
    const Kind kind = kindOf(control);
    switch (kind) {
    case Kind::Tokens: {
        auto *field = static_cast<TokenField *>(control);
        field->setObjectValue(QVariant(QStringList()));
        setDefaultString(defaults, defaultText, key);
        const QString stored = defaults.stringForKey(key);
        if (!stored.isEmpty())
            field->setObjectValue(QVariant(stored.split(kStringArraySeparator)));
        break;
    }
    case Kind::Slider:
        setDefaultDouble(defaults, LeadingDoubleValue(orZero(defaultText)), key);
        loadSlider(static_cast<QAbstractSlider *>(control), defaults.doubleForKey(key));
        break;
    case Kind::PopUp:
        setDefaultInt(defaults, LeadingLongLongValue(orZero(defaultText)), key);
        loadPopUp(static_cast<QComboBox *>(control), storedInt(defaults, key));
        break;
    case Kind::ComboText:
    case Kind::LineText:
    case Kind::ViewText:
        setDefaultString(defaults, defaultText, key);
        setStringValue2(control, defaults.stringForKey(key));
        break;
    case Kind::Button: {
        setDefaultInt(defaults, LeadingLongLongValue(orZero(defaultText)), key);
        int state = storedInt(defaults, key);
        if (state < -1 || state > 1) {
            REPORT_FATAL();
            state = 0;
        }
        setButtonState(static_cast<QAbstractButton *>(control), state);
        break;
    }
    case Kind::Unknown:
        REPORT_FATAL();
        break;
    }
    GUARD_END_VOID
}

void Localize_SetBackground(QWidget *window, const QObject *owner, const platform::Color &bg)
{
    GUARD_BEGIN
    Q_UNUSED(owner);
    if (!window) {
        REPORT_FATAL();
        return;
    }
    LocalizeAllControlsInViewOrWindow(window);
    if (bg.isValid()) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, bg.toQColor());
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }
    GUARD_END_VOID
}

void Localize_LoadWindowTopLeftOnly_SetBackground(QWidget *window, const QObject *owner,
                                                  const platform::Color &bg, bool centre)
{
    GUARD_BEGIN
    if (!window) {
        REPORT_FATAL();
        return;
    }
    Localize_SetBackground(window, owner, bg);
    const QRectF frame = Load_Window_Frame(window, owner);
    if (RectsAlmostEqual(frame, QRectF(), 0.01f)) {
        REPORT_FATAL(); // nothing stored: a diagnostic only
        if (centre) {
            QScreen *screen = QGuiApplication::screenAt(window->geometry().center());
            if (!screen)
                screen = QGuiApplication::primaryScreen();
            if (screen) {
                QRect g = window->geometry();
                g.moveCenter(screen->availableGeometry().center());
                window->setGeometry(g);
            }
        }
        return;
    }
    if (window->width() <= 2 || window->height() <= 2)
        return;
    // Stored frames keep the window's top-left corner, as Qt places windows.
    window->setGeometry(
        QRect(QPoint(int(std::lround(frame.x())), int(std::lround(frame.y()))), window->size()));
    GUARD_END_VOID
}
