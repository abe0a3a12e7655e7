#include "controls/InputDialog.h"

#include "controls/DialogSetup.h"
#include "controls/DialogWindow.h"
#include "controls/PelkoNSControl.h"
#include "controls/PelkoNSWindowController.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "platform/Sheets.h"

#include "ui_InputDialog.h"

#include <QLineEdit>
#include <QTimer>

namespace {

bool textIsRefused(const InputDialogSetting &setting, const QString &text)
{
    const QString trimmed = text.trimmed();
    if (setting.bUnAllowEmptyStringAfterTrim && trimmed.isEmpty())
        return true;
    if (setting.bUnAllowEmptyString && text.isEmpty())
        return true;
    for (const QChar c : setting.unallowed_InputChars) {
        if (c.unicode() != 0 && text.contains(c))
            return true;
    }
    for (const QString &value : setting.unallowed_InputValues) {
        const QString refused = value.trimmed();
        if (!refused.isEmpty() && trimmed.compare(refused, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

InputDialog::InputDialog(std::shared_ptr<InputDialogSetting> setting)
    : platform::WindowController(QStringLiteral("InputDialog")),
      mUi(std::make_unique<Ui::InputDialog>()), mSetting(std::move(setting))
{
    mValue = mSetting->defaultTxt.isNull() ? QStringLiteral("") : mSetting->defaultTxt;
}

InputDialog::~InputDialog()
{
    if (mTypingTimer)
        mTypingTimer->stop();
}

std::unique_ptr<InputDialog> InputDialog::create(std::shared_ptr<InputDialogSetting> setting)
{
    if (!setting)
        return nullptr;
    return std::unique_ptr<InputDialog>(new InputDialog(std::move(setting)));
}

QWidget *InputDialog::makeWindow()
{
    auto *window = setupWindow<DialogWindow>(*mUi);
    window->setCloseRequestHandler([this] { closeClicked(); });
    return window;
}

void InputDialog::windowDidLoad()
{
    GUARD_BEGIN
    QWidget *w = window();
    SetupDialogWindow(w, this, mUi->mCloseButton1, mUi->mCloseButton2);
    if (!mSetting->bShowCancel)
        MoveButtonOutOfSight(mUi->mCancelButton);
    connect(mUi->mCloseButton1, &QAbstractButton::clicked, this, [this] { closeClicked(); });
    connect(mUi->mCloseButton2, &QAbstractButton::clicked, this, [this] { ctrlQApp(); });
    connect(mUi->mCancelButton, &QAbstractButton::clicked, this, [this] { cancelButtonClicked(); });
    connect(mUi->mOKButton, &QAbstractButton::clicked, this, [this] { okButtonClicked(); });

    if (!mSetting->winTitle.isEmpty())
        w->setWindowTitle(mSetting->winTitle);
    if (!mSetting->txtTitle.isEmpty())
        setStringValue2(mUi->mTextLabel, mSetting->txtTitle);

    if (mSetting->bInputIsPassword) {
        mUi->mTextEdit_normal->hide();
        mEdit = mUi->mTextEdit_Password;
    } else {
        mUi->mTextEdit_Password->hide();
        mEdit = mUi->mTextEdit_normal;
    }
    mEdit->setText(mValue);
    mEdit->setFocus();
    mUi->warningImageView->hide();

    mTypingTimer = new QTimer(this);
    mTypingTimer->setSingleShot(true);
    mTypingTimer->setTimerType(Qt::PreciseTimer);
    mTypingTimer->setInterval(500);
    connect(mTypingTimer, &QTimer::timeout, this, [this] { TextDidChange_Later(); });
    // OK follows every change of the text; the typing notice only what the user types.
    connect(mEdit, &QLineEdit::textChanged, this, [this] { updateOkButton(); });
    connect(mEdit, &QLineEdit::textEdited, this, [this](const QString &text) { textEdited(text); });
    updateOkButton();

    const Range range = mSetting->defaultTxt_selectedRange;
    const qint64 length = mEdit->text().size();
    if (range.location != NotFound && range.location >= 0 && range.length >= 0 &&
        range.location <= length) {
        const qint64 end = std::min(length, range.location + std::min(range.length, length));
        mEdit->setSelection(int(range.location), int(end - range.location));
    }
    GUARD_END_VOID
}

void InputDialog::updateOkButton()
{
    GUARD_BEGIN
    if (!mEdit)
        return;
    mUi->mOKButton->setEnabled(!textIsRefused(*mSetting, mEdit->text()));
    GUARD_END_VOID
}

void InputDialog::textEdited(const QString &text)
{
    if (!mSetting->delegate)
        return;
    mPendingText = text;
    mTypingTimer->start(); // restarts a pending notice
}

void InputDialog::TextDidChange_Later()
{
    GUARD_BEGIN
    if (mTypingTimer)
        mTypingTimer->stop();
    const QString text = mPendingText.isNull() ? (mEdit ? mEdit->text() : QString()) : mPendingText;
    mPendingText = QString();
    if (mSetting->delegate)
        mSetting->delegate->input_RealTimeChangeString(text.isNull() ? QStringLiteral("") : text);
    GUARD_END_VOID
}

bool InputDialog::isTypingNoticePending() const
{
    return mTypingTimer && mTypingTimer->isActive();
}

bool InputDialog::DoSave()
{
    const QString text = mEdit ? mEdit->text() : QString();
    mValue = text.isNull() ? QStringLiteral("") : text;
    return true;
}

void InputDialog::okButtonClicked()
{
    GUARD_BEGIN
    if (!mUi->mOKButton->isEnabled())
        return; // a refused text cannot be confirmed, also not by a key
    if (DoSave()) {
        mSetting->outPressOK = true;
        stopModalWithCode(1);
    }
    GUARD_END_VOID
}

void InputDialog::cancelButtonClicked()
{
    if (mSetting->bShowCancel)
        stopModalWithCode(0);
    else
        okButtonClicked();
}

void InputDialog::closeClicked()
{
    cancelButtonClicked();
}

void InputDialog::ctrlQApp()
{
    stopModalWithCode(0);
}

void InputDialog::stopModalWithCode(int code)
{
    GUARD_BEGIN
    if (isTypingNoticePending())
        TextDidChange_Later();
    QWidget *w = window();
    if (platform::sheetParent(w))
        platform::endSheet(w, code);
    else
        stopModalAndSaveFrameWithCode(this, code);
    GUARD_END_VOID
}

QAbstractButton *InputDialog::okButton() const
{
    return mUi->mOKButton;
}

QAbstractButton *InputDialog::cancelButton() const
{
    return mUi->mCancelButton;
}

std::unique_ptr<InputDialog>
InputDialog::initWindowForSheet_GetInputStringWinTitle(std::shared_ptr<InputDialogSetting> setting)
{
    GUARD_BEGIN
    if (!setting)
        return nullptr;
    setting->outPressOK = false;
    std::unique_ptr<InputDialog> dialog = create(std::move(setting));
    if (!dialog || !dialog->window())
        return nullptr;
    return dialog;
    GUARD_END(nullptr)
}

QString InputDialog::GetInputStringWinTitle2(const std::shared_ptr<InputDialogSetting> &setting)
{
    if (!setting)
        return QString();
    setting->outPressOK = false;
    GUARD_BEGIN
    std::unique_ptr<InputDialog> dialog = create(setting);
    QWidget *w = dialog ? dialog->window() : nullptr;
    if (!w)
        return QString();
    const int response = platform::runModalForWindow(w);
    QString result;
    if (response == 1) {
        setting->outPressOK = true;
        result = dialog->mValue.isNull() ? QStringLiteral("") : dialog->mValue;
    } else {
        setting->outPressOK = false;
    }
    if (auto *dialogWindow = qobject_cast<DialogWindow *>(w))
        dialogWindow->closeByCode();
    return result;
    GUARD_END_VOID
    // After a failure nothing was confirmed: no text, and not OK.
    setting->outPressOK = false;
    return QString();
}

QString InputDialog::GetInputStringWinTitle(const QString &winTitle, const QString &textTitle,
                                            const QString &defaultText, const QString &warningIcon,
                                            bool showCancel, bool inputIsPassword,
                                            bool *userPressOK, InputDialogDelegate *delegate)
{
    auto setting = InputDialogSetting::create();
    setting->winTitle = winTitle;
    setting->txtTitle = textTitle;
    setting->defaultTxt = defaultText;
    setting->warningIconName = warningIcon;
    setting->bShowCancel = showCancel;
    setting->bInputIsPassword = inputIsPassword;
    setting->delegate = delegate;
    const QString result = GetInputStringWinTitle2(setting);
    if (userPressOK)
        *userPressOK = setting->outPressOK;
    return result;
}
