// Uniform text accessors, button state and colours, pop-up buttons and the string pop-up menu.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "controls/PelkoNSButton.h"
#include "controls/PelkoNSCell.h"
#include "controls/PelkoNSControl.h"
#include "controls/PelkoNSPopUpButton.h"
#include "controls/PelkoNSTextField.h"
#include "controls/PelkoNSTextFieldCell.h"
#include "controls/PelkoNSTextView.h"
#include "platform/Guard.h"
#include "platform/SystemColors.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

using platform::Color;

namespace {

// Runs `fn` on the string pop-up once it is up.
void whenMenuShows(std::function<void(QMenu *)> fn)
{
    QTimer::singleShot(0, [fn] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        fn(menu);
    });
}

QComboBox *encodingPopUp(QWidget *parent)
{
    auto *box = new QComboBox(parent);
    addItemWithTitle(box, QStringLiteral("UTF-8"), 4);
    addItemWithTitle(box, QStringLiteral("UTF-16"), 10);
    addItemWithTitle(box, QStringLiteral("ASCII"), 1);
    return box;
}

} // namespace

TEST(ControlAccessors, NullTextShowsEmptyAndNeverAnswersNull)
{
    QPlainTextEdit view(QStringLiteral("old"));
    QLineEdit field(QStringLiteral("old"));
    QLabel label(QStringLiteral("old"));
    QPushButton button(QStringLiteral("old"));

    setString2(&view, QString());
    setString2(&field, QString());
    setString2(&label, QString());
    setString2(&button, QString());
    for (const QString &s :
         {stringValue(&view), string(&field), string(&label), stringValue(&button)}) {
        EXPECT_FALSE(s.isNull());
        EXPECT_TRUE(s.isEmpty());
    }
    EXPECT_FALSE(string(static_cast<QLineEdit *>(nullptr)).isNull());
    EXPECT_FALSE(stringValue(static_cast<QPlainTextEdit *>(nullptr)).isNull());
    EXPECT_FALSE(stringValue(static_cast<QAbstractButton *>(nullptr)).isNull());

    setStringValue(&view, QStringLiteral("a\nb"));
    EXPECT_EQ(string(&view), QStringLiteral("a\nb"));
    setStringValue2(&field, QStringLiteral("x"));
    setStringValue2(&button, QStringLiteral("Go"));
    EXPECT_EQ(string(&field), QStringLiteral("x"));
    EXPECT_EQ(stringValue(&button), QStringLiteral("Go"));
    setTitle2(&button, QStringLiteral("Stop"));
    EXPECT_EQ(string(&button), QStringLiteral("Stop"));

    // A name that looks like markup is shown as typed; a label made rich on purpose stays rich.
    setStringValue2(&label, QStringLiteral("<b>.txt"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(string(&label), QStringLiteral("<b>.txt"));
    QLabel rich;
    rich.setTextFormat(Qt::RichText);
    setString(&rich, QStringLiteral("<a href=\"x\">x</a>"));
    EXPECT_EQ(rich.textFormat(), Qt::RichText);
}

TEST(ControlAccessors, CheckboxAnswersItsTitleAndItsStateAsBool)
{
    QCheckBox box(QStringLiteral("Case"));
    box.setTristate(true);
    EXPECT_EQ(stringValue(&box), QStringLiteral("Case"));
    box.setCheckState(Qt::Checked);
    EXPECT_TRUE(stateBool(&box));
    box.setCheckState(Qt::PartiallyChecked); // mixed
    EXPECT_FALSE(stateBool(&box));
    setStateBool(&box, false);
    EXPECT_EQ(box.checkState(), Qt::Unchecked);
    setStateBool(&box, true);
    EXPECT_EQ(box.checkState(), Qt::Checked);
    EXPECT_FALSE(stateBool(nullptr));
}

TEST(ControlAccessors, Colours)
{
    QPushButton button(QStringLiteral("Title"));
    setTitleColor(&button, Color());
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), QColor(Qt::black));
    setTextColor2(&button, Color()); // a button cell: the system text colour
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), platform::textColor().toQColor());

    QLineEdit field;
    const QColor before = field.palette().color(QPalette::Text);
    setTextColor2(&field, Color()); // a text-field cell: unchanged
    EXPECT_EQ(field.palette().color(QPalette::Text), before);
    setTextColor2(&field, Color::calibratedRGB(1, 0, 0));
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(255, 0, 0));

    QLabel label(QStringLiteral("Label"));
    setLableEnable(&label, false);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), platform::systemGrayColor().toQColor());
    setLableEnable(&label, true);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), platform::labelColor().toQColor());
}

TEST(ControlAccessors, SizeToFitKeepsTheVerticalCentre)
{
    QWidget parent;
    auto *label = new QLabel(QStringLiteral("Results: 12"), &parent);
    label->setGeometry(30, 40, 300, 40);
    const QSize fitted = label->sizeHint();
    sizeToFit_WidthOnly(label, 10);
    EXPECT_EQ(label->x(), 30);
    EXPECT_EQ(label->width(), fitted.width() + 10);
    EXPECT_EQ(label->height(), fitted.height());
    EXPECT_NEAR(label->y() + label->height() / 2.0, 60.0, 0.5);

    // Widths that are no number or too large still give a usable frame.
    sizeToFit_WidthOnly(label, std::nanf(""));
    EXPECT_EQ(label->width(), fitted.width());
    sizeToFit_WidthOnly(label, 1e30f);
    EXPECT_EQ(label->x(), 30);
    EXPECT_GT(label->width(), fitted.width());
}

TEST(PopUpButton, SelectByTitleThenPrefix)
{
    QWidget parent;
    QComboBox *box = encodingPopUp(&parent);
    box->setCurrentIndex(2);
    EXPECT_FALSE(selectItemAllowPrefix(box, false, QStringLiteral("utf")));
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_TRUE(selectItemAllowPrefix(box, true, QStringLiteral("utf")));
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(selectItemAllowPrefix(box, true, QStringLiteral("utf-16")));
    EXPECT_EQ(box->currentIndex(), 1); // an exact title wins over an earlier prefix
    EXPECT_FALSE(selectItemAllowPrefix(box, true, QString()));
    QComboBox empty;
    EXPECT_FALSE(selectItemAllowPrefix(&empty, true, QStringLiteral("a")));
}

TEST(PopUpButton, RepresentedObjectsAndReplacedTitles)
{
    QWidget parent;
    QComboBox *box = encodingPopUp(&parent);
    EXPECT_EQ(representedObjectOfItemAtIndex(box, 1).toInt(), 10);
    EXPECT_FALSE(representedObjectOfItemAtIndex(box, -1).isValid());
    EXPECT_FALSE(representedObjectOfItemAtIndex(box, box->count()).isValid());

    // The same title again replaces the old item, at the end.
    EXPECT_EQ(addItemWithTitle(box, QStringLiteral("UTF-8"), 99), 2);
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(2), QStringLiteral("UTF-8"));
    box->setCurrentIndex(2);
    EXPECT_EQ(representedObjectOfSelectedItem(box).toInt(), 99);
    box->setCurrentIndex(-1);
    EXPECT_FALSE(representedObjectOfSelectedItem(box).isValid());

    pelkotest::LogCapture reports;
    EXPECT_EQ(addItemWithTitle(box, QString(), QVariant()), 3);
    EXPECT_EQ(reports.reportCount(), 1);
    EXPECT_FALSE(representedObjectOfItemAtIndex(box, 3).isValid());
}

TEST(StringPopUp, ChoosesACheckedItemUnderTheButton)
{
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    auto *button = new QPushButton(QStringLiteral("History"), &window);
    button->setGeometry(10, 20, 80, 24);
    window.show();

    QPoint menuAt;
    whenMenuShows([&menuAt](QMenu *menu) {
        menuAt = menu->pos();
        const QList<QAction *> actions = menu->actions();
        ASSERT_EQ(actions.size(), 3);
        EXPECT_EQ(actions[0]->text(), QStringLiteral("UTF-8"));
        EXPECT_FALSE(actions[0]->isChecked());
        EXPECT_TRUE(actions[1]->isSeparator());
        EXPECT_TRUE(actions[2]->isChecked());
        actions[2]->trigger();
        menu->close();
    });
    const QString chosen = selectFromPopupMenuWithMenuOfStringArrays(
        button, {QStringLiteral("UTF-8"), QVariant(), QStringLiteral("ASCII")},
        {QStringLiteral("ASCII")});
    EXPECT_EQ(chosen, QStringLiteral("ASCII"));
    EXPECT_EQ(menuAt, button->mapToGlobal(QPoint(0, button->height())));

    whenMenuShows([](QMenu *menu) { QTest::keyClick(menu, Qt::Key_Escape); });
    EXPECT_TRUE(
        selectFromPopupMenuWithMenuOfStringArrays(button, {QStringLiteral("A&B")}, {}).isNull());
}

TEST(StringPopUp, LeavesOutBadEntries)
{
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("History"), &window);
    window.show();
    pelkotest::LogCapture reports;
    QStringList shown;
    whenMenuShows([&shown](QMenu *menu) {
        for (QAction *a : menu->actions())
            shown << a->data().toString();
        menu->actions().first()->trigger();
        menu->close();
    });
    const QString chosen = selectFromPopupMenuWithMenuOfStringArrays(
        button, {QString(), 5, QStringLiteral("a & b"), QStringLiteral("last")}, {});
    EXPECT_EQ(shown, (QStringList{QStringLiteral("a & b"), QStringLiteral("last")}));
    EXPECT_EQ(chosen, QStringLiteral("a & b")); // the title as given, not the menu text
    EXPECT_EQ(reports.reportCount(), 2);

    EXPECT_TRUE(selectFromPopupMenuWithMenuOfStringArrays(button, {}, {}).isNull());
    EXPECT_TRUE(selectFromPopupMenuWithMenuOfStringArrays(button, {7}, {}).isNull());
}

TEST(StringPopUp, WindowClosedWhileTheMenuIsUp)
{
    auto *window = new QWidget();
    auto *button = new QPushButton(QStringLiteral("History"), window);
    window->show();
    whenMenuShows([window](QMenu *) { delete window; });
    EXPECT_TRUE(
        selectFromPopupMenuWithMenuOfStringArrays(button, {QStringLiteral("a")}, {}).isNull());
}
