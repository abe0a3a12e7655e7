#include "controls/ControlSettingValue.h"

#include "controls/TokenField.h"
#include "foundation/PelkoNSUserDefaults.h"
#include "platform/UserDefaults.h"
#include "services/WindowFrame.h"
#include "support/LogCapture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTextEdit>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

QString freshKey()
{
    return QStringLiteral("ctl.") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

platform::UserDefaults &defaults()
{
    return platform::UserDefaults::standard();
}

// Writes the defaults to their file and reads them back, so a value survives only when it was
// stored in a form the file keeps.
void throughTheFile()
{
    ASSERT_TRUE(defaults().synchronize());
    defaults().reload();
}

QComboBox *popUp(int items)
{
    auto *combo = new QComboBox;
    for (int i = 0; i < items; ++i)
        combo->addItem(QStringLiteral("item %1").arg(i));
    return combo;
}

// Sets a control to a value, saves it, spoils the control, loads it back and reads it.
struct Kind
{
    const char *name;
    std::function<QWidget *()> make;
    std::function<void(QWidget *)> set;
    std::function<void(QWidget *)> spoil;
    std::function<QVariant(QWidget *)> read;
    QVariant expected;
};

TEST(ControlSettingValueTest, EveryKindRoundTripsThroughTheDefaultsFile)
{
    pelkotest::LogCapture log;
    const Kind kinds[] = {
        {"token field", [] { return new TokenField; },
         [](QWidget *w) {
             static_cast<TokenField *>(w)->setObjectValue(
                 QStringList{QStringLiteral("a"), QString(), QStringLiteral("B c")});
         },
         [](QWidget *w) { static_cast<TokenField *>(w)->setObjectValue(QStringList{"x"}); },
         [](QWidget *w) { return QVariant(static_cast<TokenField *>(w)->tokens()); },
         QStringList{QStringLiteral("a"), QStringLiteral("B c")}},
        {"slider",
         [] {
             auto *s = new QSlider;
             s->setRange(0, 50);
             return s;
         },
         [](QWidget *w) { static_cast<QSlider *>(w)->setValue(37); },
         [](QWidget *w) { static_cast<QSlider *>(w)->setValue(1); },
         [](QWidget *w) { return QVariant(static_cast<QSlider *>(w)->value()); }, 37},
        {"pop-up", [] { return popUp(4); },
         [](QWidget *w) { static_cast<QComboBox *>(w)->setCurrentIndex(2); },
         [](QWidget *w) { static_cast<QComboBox *>(w)->setCurrentIndex(0); },
         [](QWidget *w) { return QVariant(static_cast<QComboBox *>(w)->currentIndex()); }, 2},
        {"editable combo box",
         [] {
             auto *c = popUp(2);
             c->setEditable(true);
             return c;
         },
         [](QWidget *w) { static_cast<QComboBox *>(w)->setEditText(QStringLiteral("typed")); },
         [](QWidget *w) { static_cast<QComboBox *>(w)->setEditText(QStringLiteral("-")); },
         [](QWidget *w) { return QVariant(static_cast<QComboBox *>(w)->currentText()); },
         QStringLiteral("typed")},
        {"line edit", [] { return new QLineEdit; },
         [](QWidget *w) { static_cast<QLineEdit *>(w)->setText(QStringLiteral("line = 1")); },
         [](QWidget *w) { static_cast<QLineEdit *>(w)->clear(); },
         [](QWidget *w) { return QVariant(static_cast<QLineEdit *>(w)->text()); },
         QStringLiteral("line = 1")},
        {"text edit", [] { return new QTextEdit; },
         [](QWidget *w) { static_cast<QTextEdit *>(w)->setPlainText("two\nlines"); },
         [](QWidget *w) { static_cast<QTextEdit *>(w)->clear(); },
         [](QWidget *w) { return QVariant(static_cast<QTextEdit *>(w)->toPlainText()); },
         QStringLiteral("two\nlines")},
        {"plain text edit", [] { return new QPlainTextEdit; },
         [](QWidget *w) { static_cast<QPlainTextEdit *>(w)->setPlainText("plain"); },
         [](QWidget *w) { static_cast<QPlainTextEdit *>(w)->clear(); },
         [](QWidget *w) { return QVariant(static_cast<QPlainTextEdit *>(w)->toPlainText()); },
         QStringLiteral("plain")},
        {"tristate box, partial",
         [] {
             auto *b = new QCheckBox;
             b->setTristate(true);
             return b;
         },
         [](QWidget *w) { static_cast<QCheckBox *>(w)->setCheckState(Qt::PartiallyChecked); },
         [](QWidget *w) { static_cast<QCheckBox *>(w)->setCheckState(Qt::Unchecked); },
         [](QWidget *w) { return QVariant(int(static_cast<QCheckBox *>(w)->checkState())); },
         int(Qt::PartiallyChecked)},
        {"check box, on", [] { return new QCheckBox; },
         [](QWidget *w) { static_cast<QCheckBox *>(w)->setChecked(true); },
         [](QWidget *w) { static_cast<QCheckBox *>(w)->setChecked(false); },
         [](QWidget *w) { return QVariant(static_cast<QCheckBox *>(w)->isChecked()); }, true},
        {"radio button, on", [] { return new QRadioButton; },
         [](QWidget *w) { static_cast<QRadioButton *>(w)->setChecked(true); },
         [](QWidget *w) { static_cast<QRadioButton *>(w)->setChecked(false); },
         [](QWidget *w) { return QVariant(static_cast<QRadioButton *>(w)->isChecked()); }, true},
    };
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        std::unique_ptr<QWidget> control(kind.make());
        const QString key = freshKey();
        kind.set(control.get());
        Save_ControlSettingValue(control.get(), key);
        throughTheFile();
        kind.spoil(control.get());
        Load_ControlSettingValue(control.get(), key, QStringLiteral("1"));
        EXPECT_EQ(kind.read(control.get()), kind.expected);
    }
    EXPECT_TRUE(log.reports().isEmpty());
}

TEST(ControlSettingValueTest, StoredForms)
{
    TokenField tokens;
    tokens.setObjectValue(QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")});
    const QString tokenKey = freshKey();
    Save_ControlSettingValue(&tokens, tokenKey);
    EXPECT_EQ(defaults().objectForKey(tokenKey),
              QVariant(QStringLiteral("a") + kStringArraySeparator + QStringLiteral("b")));

    // A combo box is kept as its text, not as an index.
    std::unique_ptr<QComboBox> combo(popUp(3));
    combo->setEditable(true);
    combo->setCurrentIndex(1);
    const QString comboKey = freshKey();
    Save_ControlSettingValue(combo.get(), comboKey);
    EXPECT_EQ(defaults().objectForKey(comboKey), QVariant(QStringLiteral("item 1")));

    QSlider slider;
    slider.setValue(7);
    const QString sliderKey = freshKey();
    Save_ControlSettingValue(&slider, sliderKey);
    EXPECT_EQ(defaults().objectForKey(sliderKey).typeId(), QMetaType::Double);
}

TEST(ControlSettingValueTest, DefaultsAndOddStoredValues)
{
    pelkotest::LogCapture log;
    // The default is stored when the key holds nothing, and kept on a later load.
    QLineEdit field;
    const QString key = freshKey();
    Load_ControlSettingValue(&field, key, QStringLiteral("first"));
    EXPECT_EQ(field.text(), QStringLiteral("first"));
    EXPECT_EQ(defaults().stringForKey(key), QStringLiteral("first"));
    Load_ControlSettingValue(&field, key, QStringLiteral("second"));
    EXPECT_EQ(field.text(), QStringLiteral("first"));
    QLineEdit nullDefault;
    nullDefault.setText(QStringLiteral("x"));
    Load_ControlSettingValue(&nullDefault, freshKey(), QString());
    EXPECT_EQ(nullDefault.text(), QString());

    // Pop-ups: an index out of range selects the first item, or nothing without items.
    struct PopUpRow
    {
        int items;
        qint64 stored;
        int expected;
    };
    for (const PopUpRow &row : {PopUpRow{3, 7, 0}, PopUpRow{3, -2, 0}, PopUpRow{3, 2, 2},
                                PopUpRow{3, (qint64(1) << 32) + 1, 0}, PopUpRow{0, 7, -1}}) {
        std::unique_ptr<QComboBox> combo(popUp(row.items));
        if (row.items)
            combo->setCurrentIndex(row.items - 1);
        const QString popKey = freshKey();
        defaults().setInteger(row.stored, popKey);
        Load_ControlSettingValue(combo.get(), popKey, QString());
        EXPECT_EQ(combo->currentIndex(), row.expected) << row.stored;
    }

    // Buttons: -1, 0, 1 are states; anything else is reported and reads as off.
    struct StateRow
    {
        qint64 stored;
        bool tristate;
        Qt::CheckState expected;
        bool reported;
    };
    const StateRow states[] = {
        {-1, true, Qt::PartiallyChecked, false}, {0, true, Qt::Unchecked, false},
        {1, true, Qt::Checked, false},           {-1, false, Qt::Checked, false},
        {2, true, Qt::Unchecked, true},          {-7, false, Qt::Unchecked, true},
    };
    for (const StateRow &row : states) {
        QCheckBox box;
        box.setTristate(row.tristate);
        box.setCheckState(Qt::Checked);
        if (row.expected == Qt::Checked)
            box.setCheckState(Qt::Unchecked);
        const QString stateKey = freshKey();
        defaults().setInteger(row.stored, stateKey);
        log.clear();
        Load_ControlSettingValue(&box, stateKey, QString());
        EXPECT_EQ(box.checkState(), row.expected) << row.stored;
        EXPECT_EQ(!log.reports().isEmpty(), row.reported) << row.stored;
    }

    // Sliders take a stored double rounded into their range; the default text is a number.
    QSlider slider;
    slider.setRange(-10, 10);
    for (const auto &[stored, expected] : std::vector<std::pair<double, int>>{
             {3.6, 4}, {-3.5, -4}, {99, 10}, {-1e300, -10}, {std::nan(""), 0}}) {
        const QString sliderKey = freshKey();
        defaults().setDouble(stored, sliderKey);
        Load_ControlSettingValue(&slider, sliderKey, QString());
        EXPECT_EQ(slider.value(), expected) << stored;
    }
    const QString sliderDefault = freshKey();
    Load_ControlSettingValue(&slider, sliderDefault, QStringLiteral("6.2 points"));
    EXPECT_EQ(slider.value(), 6);
    EXPECT_DOUBLE_EQ(defaults().doubleForKey(sliderDefault), 6.2);

    // Unknown kinds and empty keys are reported and store nothing.
    log.clear();
    QLabel label;
    const QString labelKey = freshKey();
    Save_ControlSettingValue(&label, labelKey);
    EXPECT_FALSE(defaults().hasKey(labelKey));
    Save_ControlSettingValue(&field, QString());
    Load_ControlSettingValue(&label, labelKey, QStringLiteral("x"));
    EXPECT_FALSE(log.reports().isEmpty());
    Save_ControlSettingValue(nullptr, freshKey());
    Load_ControlSettingValue(nullptr, freshKey(), QString());
}

TEST(ControlSettingValueTest, TopLeftOnlyPlacement)
{
    pelkotest::LogCapture log;
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    const QRect area = screen->availableGeometry();

    QObject owner;
    owner.setObjectName(QStringLiteral("unused"));
    owner.setProperty("windowNibName", QStringLiteral("TopLeftTest") + freshKey());
    QWidget window;
    window.resize(220, 140);
    window.move(area.topLeft() + QPoint(3, 4));
    const QRect before = window.geometry();

    // Nothing stored: reported, left where it is, or centred when asked.
    Localize_LoadWindowTopLeftOnly_SetBackground(&window, &owner, platform::Color(), false);
    EXPECT_EQ(window.geometry(), before);
    EXPECT_FALSE(log.reports().isEmpty());
    Localize_LoadWindowTopLeftOnly_SetBackground(&window, &owner, platform::Color(), true);
    EXPECT_EQ(window.size(), before.size());
    EXPECT_LE((window.geometry().center() - area.center()).manhattanLength(), 2);

    // A stored frame gives its top-left corner only; the window keeps its own size.
    QWidget stored;
    stored.setGeometry(area.left() + 40, area.top() + 30, 400, 300);
    Save_Window_Frame(&stored, &owner);
    Localize_LoadWindowTopLeftOnly_SetBackground(&window, &owner,
                                                 platform::Color::calibratedRGB(0, 0, 1), false);
    EXPECT_EQ(window.geometry(), QRect(area.left() + 40, area.top() + 30, 220, 140));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 0, 255));

    // A window of 2 points or less is not moved.
    QWidget tiny;
    tiny.resize(2, 50);
    const QPoint tinyAt = tiny.pos();
    Localize_LoadWindowTopLeftOnly_SetBackground(&tiny, &owner, platform::Color(), false);
    EXPECT_EQ(tiny.pos(), tinyAt);

    log.clear();
    Localize_LoadWindowTopLeftOnly_SetBackground(nullptr, &owner, platform::Color(), true);
    Localize_SetBackground(nullptr, &owner, platform::Color());
    EXPECT_FALSE(log.reports().isEmpty());
}

} // namespace
