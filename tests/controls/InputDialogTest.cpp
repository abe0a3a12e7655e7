// The text-input dialog: OK rules, the typing notice, ends of modal runs and sheets.
#include <gtest/gtest.h>

#include "controls/InputDialog.h"
#include "support/LogCapture.h"
#include "platform/ModalRun.h"
#include "support/ModalRun.h"
#include "platform/Sheets.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <stdexcept>

using pelkotest::inRun;

namespace {

class TypingListener : public InputDialogDelegate
{
public:
    QStringList heard;
    QElapsedTimer clock;
    qint64 heardAt = -1;
    void input_RealTimeChangeString(const QString &text) override
    {
        heard << text;
        heardAt = clock.elapsed();
    }
};

QLineEdit *shownField(QWidget *w)
{
    for (QLineEdit *edit : w->findChildren<QLineEdit *>()) {
        if (!edit->isHidden())
            return edit;
    }
    return nullptr;
}

std::shared_ptr<InputDialogSetting> renameSetting()
{
    auto setting = InputDialogSetting::create();
    setting->winTitle = QStringLiteral("Rename");
    setting->txtTitle = QStringLiteral("Rename File");
    setting->defaultTxt = QStringLiteral("report.txt");
    setting->defaultTxt_selectedRange = {0, 6};
    setting->unallowed_InputChars = QStringLiteral("/:=\r\n\t");
    setting->unallowed_InputValues = {QStringLiteral("notes.txt"), QStringLiteral("  ")};
    setting->bUnAllowEmptyStringAfterTrim = true;
    setting->bShowCancel = true;
    return setting;
}

} // namespace

TEST(InputDialog, RenameSelectsTheNameAndRefusesBadNames)
{
    auto dialog = InputDialog::create(renameSetting());
    ASSERT_TRUE(dialog);
    QWidget *w = dialog->window();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Rename"));
    QLineEdit *edit = dialog->mTextEdit();
    EXPECT_EQ(edit->selectedText(), QStringLiteral("report"));
    EXPECT_TRUE(dialog->okButton()->isEnabled());

    struct Row
    {
        const char *text;
        bool ok;
    } rows[] = {{"a/b", false}, {"x:y", false}, {"NOTES.TXT", false}, {" notes.txt ", false},
                {"   ", false}, {"", false},    {"summary.txt", true}};
    for (const Row &row : rows) {
        edit->setText(QString::fromLatin1(row.text));
        EXPECT_EQ(dialog->okButton()->isEnabled(), row.ok) << row.text;
    }
}

TEST(InputDialog, SelectedRangeIsClippedToTheText)
{
    struct Row
    {
        qint64 location, length;
        QString selected;
    } rows[] = {{20, 2, QString()}, {7, 50, QStringLiteral("txt")}, {0, 0, QString()}};
    for (const Row &row : rows) {
        auto setting = InputDialogSetting::create();
        setting->defaultTxt = QStringLiteral("report.txt");
        setting->defaultTxt_selectedRange = {row.location, row.length};
        auto dialog = InputDialog::create(setting);
        dialog->window();
        EXPECT_EQ(dialog->mTextEdit()->selectedText(), row.selected) << row.location;
    }
    EXPECT_EQ(InputDialog::create(nullptr), nullptr);
}

TEST(InputDialog, WithoutCancelTheCancelActionsConfirm)
{
    for (bool byKey : {false, true}) {
        auto setting = InputDialogSetting::create();
        setting->defaultTxt = QStringLiteral("value");
        bool cancelOutOfSight = false;
        inRun([&, byKey](QWidget *w) {
            auto *cancel = w->findChild<QAbstractButton *>(QStringLiteral("mCancelButton"));
            cancelOutOfSight = cancel->geometry().right() < 0 && cancel->geometry().bottom() < 0;
            if (byKey)
                QTest::keyClick(w, Qt::Key_Escape);
            else
                cancel->click();
        });
        EXPECT_EQ(InputDialog::GetInputStringWinTitle2(setting), QStringLiteral("value"));
        EXPECT_TRUE(setting->outPressOK);
        EXPECT_TRUE(cancelOutOfSight);
    }
}

TEST(InputDialog, WithoutCancelEscapeAndTheCloseBoxCannotConfirmARefusedText)
{
    for (bool byKey : {true, false}) {
        auto setting = InputDialogSetting::create();
        setting->defaultTxt = QStringLiteral("value");
        setting->unallowed_InputValues = {QStringLiteral("taken")};
        bool okEnabled = true;
        bool stillUp = false;
        inRun([&, byKey](QWidget *w) {
            QLineEdit *edit = shownField(w);
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("taken"));
            okEnabled = w->findChild<QAbstractButton *>(QStringLiteral("mOKButton"))->isEnabled();
            const auto dismiss = [w, byKey] {
                if (byKey)
                    QTest::keyClick(w, Qt::Key_Escape);
                else
                    w->close();
            };
            dismiss();
            stillUp = platform::isRunningModal(w) && w->isVisible();
            // Once the text may be used, the same way confirms it.
            QTest::keyClicks(edit, QStringLiteral("2"));
            dismiss();
        });
        EXPECT_EQ(InputDialog::GetInputStringWinTitle2(setting), QStringLiteral("taken2")) << byKey;
        EXPECT_FALSE(okEnabled) << byKey;
        EXPECT_TRUE(stillUp) << byKey;
        EXPECT_TRUE(setting->outPressOK) << byKey;
    }
}

TEST(InputDialog, ModalFormAnswersNullOnCancelAndEmptyOnEmptyOk)
{
    bool pressed = true;
    inRun([](QWidget *w) {
        shownField(w)->setText(QStringLiteral("typed"));
        w->findChild<QAbstractButton *>(QStringLiteral("mCancelButton"))->click();
    });
    const QString cancelled = InputDialog::GetInputStringWinTitle(
        QStringLiteral("T"), QStringLiteral("P"), QStringLiteral("d"), QString(), true, false,
        &pressed, nullptr);
    EXPECT_TRUE(cancelled.isNull());
    EXPECT_FALSE(pressed);

    inRun([](QWidget *w) {
        shownField(w)->clear();
        w->findChild<QAbstractButton *>(QStringLiteral("mOKButton"))->click();
    });
    const QString empty = InputDialog::GetInputStringWinTitle(
        QString(), QString(), QString(), QString(), true, true, &pressed, nullptr);
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(pressed);

    // Ctrl+Q ends with cancel even without a Cancel button.
    auto setting = InputDialogSetting::create();
    inRun([](QWidget *w) { QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier); });
    EXPECT_TRUE(InputDialog::GetInputStringWinTitle2(setting).isNull());
    EXPECT_FALSE(setting->outPressOK);
}

TEST(InputDialog, FailureInsideTheRunConfirmsNothing)
{
    // The run fails after the user typed and pressed OK: no text and not OK, unlike an OK on an
    // empty field.
    platform::setModalHook([](QWidget *w) -> int {
        shownField(w)->setText(QStringLiteral("typed"));
        w->findChild<QAbstractButton *>(QStringLiteral("mOKButton"))->click();
        throw std::runtime_error("modal run failed");
    });
    pelkotest::LogCapture log;
    auto setting = InputDialogSetting::create();
    setting->bShowCancel = true;
    const QString answer = InputDialog::GetInputStringWinTitle2(setting);
    platform::setModalHook(nullptr);
    EXPECT_TRUE(answer.isNull());
    EXPECT_FALSE(setting->outPressOK);
    EXPECT_TRUE(log.reports().contains("EXCEPTION PROBLEM"));
}

TEST(InputDialog, PasswordModeUsesTheSecureField)
{
    auto setting = InputDialogSetting::create();
    setting->bInputIsPassword = true;
    auto dialog = InputDialog::create(setting);
    dialog->window();
    EXPECT_EQ(dialog->mTextEdit()->echoMode(), QLineEdit::Password);
}

TEST(InputDialog, DelegateHearsTheTextHalfASecondAfterTyping)
{
    TypingListener listener;
    auto setting = InputDialogSetting::create();
    setting->delegate = &listener;
    auto dialog = InputDialog::create(setting);
    dialog->showWindow();
    QLineEdit *edit = dialog->mTextEdit();
    listener.clock.start();
    QTest::keyClicks(edit, QStringLiteral("ab"), Qt::NoModifier, 50);
    // Measured from before the last key is sent, so that a busy machine can only lengthen what
    // is measured: the notice's timer starts after this.
    const qint64 lastEdit = listener.clock.elapsed();
    QTest::keyClick(edit, 'c');
    // The notice waits for the typing to rest.
    EXPECT_TRUE(dialog->isTypingNoticePending());
    EXPECT_TRUE(listener.heard.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listener.heard.isEmpty(); }, 20000));
    EXPECT_FALSE(dialog->isTypingNoticePending()); // no second notice comes
    ASSERT_EQ(listener.heard, QStringList{QStringLiteral("abc")});
    EXPECT_GE(listener.heardAt - lastEdit, 499); // the timer counts whole milliseconds

    // Set by code: no notice. Typed, then OK at once: heard before the dialog ends.
    edit->setText(QStringLiteral("code"));
    EXPECT_FALSE(dialog->isTypingNoticePending());
    QTest::keyClicks(edit, QStringLiteral("d"));
    EXPECT_TRUE(dialog->isTypingNoticePending());
    dialog->okButton()->click();
    EXPECT_EQ(listener.heard.last(), QStringLiteral("coded"));
    EXPECT_EQ(dialog->mValue, QStringLiteral("coded"));
}

TEST(InputDialog, SheetEndsOnItsParentWithTheCode)
{
    QMainWindow parent;
    parent.show();
    auto setting = renameSetting();
    std::shared_ptr<InputDialog> dialog =
        InputDialog::initWindowForSheet_GetInputStringWinTitle(setting);
    ASSERT_TRUE(dialog);
    int heard = -1;
    QString value;
    ASSERT_TRUE(platform::beginSheet(&parent, dialog->window(), [&](int code) {
        heard = code;
        value = dialog->mValue;
    }));
    dialog->mTextEdit()->setText(QStringLiteral("renamed.txt"));
    QTest::keyClick(dialog->window(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(heard, 0);
    EXPECT_FALSE(setting->outPressOK);

    ASSERT_TRUE(platform::beginSheet(&parent, dialog->window(), [&](int code) {
        heard = code;
        value = dialog->mValue;
    }));
    dialog->okButton()->click();
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(setting->outPressOK);
    EXPECT_EQ(value, QStringLiteral("renamed.txt"));
}
