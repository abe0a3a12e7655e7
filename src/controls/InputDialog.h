#pragma once
// Asks the user for one line of text: a title, a prompt, a plain or secure field, OK and,
// optionally, Cancel. Runs as an application-modal window (GetInputStringWinTitle2) or as a sheet
// on a caller's window (initWindowForSheet_GetInputStringWinTitle, then platform::beginSheet;
// the caller reads setting->outPressOK and mValue in the completion).

#include "controls/InputDialogSetting.h"
#include "platform/WindowController.h"

#include <QString>
#include <memory>

class QAbstractButton;
class QLineEdit;
class QTimer;
namespace Ui {
class InputDialog;
}

class InputDialog : public platform::WindowController
{
    Q_OBJECT
public:
    // A dialog for setting; nullptr without one.
    static std::unique_ptr<InputDialog> create(std::shared_ptr<InputDialogSetting> setting);
    ~InputDialog() override;

    // The dialog with its window loaded, ready to be shown as a sheet; nullptr without a setting.
    static std::unique_ptr<InputDialog>
    initWindowForSheet_GetInputStringWinTitle(std::shared_ptr<InputDialogSetting> setting);
    // The modal run: the text after OK, a null string otherwise (outPressOK tells which).
    static QString GetInputStringWinTitle2(const std::shared_ptr<InputDialogSetting> &setting);
    static QString GetInputStringWinTitle(const QString &winTitle, const QString &textTitle,
                                          const QString &defaultText, const QString &warningIcon,
                                          bool showCancel, bool inputIsPassword, bool *userPressOK,
                                          InputDialogDelegate *delegate);

    std::shared_ptr<InputDialogSetting> setting() const { return mSetting; }
    // The text: the default text at first, the final text after OK.
    QString mValue;

    void okButtonClicked();
    void cancelButtonClicked();
    // The close key and the close box.
    void closeClicked();
    void ctrlQApp();
    // Ends the sheet or the modal run; a pending typing notice is delivered first.
    void stopModalWithCode(int code);
    bool DoSave();

    QLineEdit *mTextEdit() const { return mEdit; }
    QAbstractButton *okButton() const;
    QAbstractButton *cancelButton() const;
    bool isTypingNoticePending() const;
    Ui::InputDialog &ui() { return *mUi; }

protected:
    explicit InputDialog(std::shared_ptr<InputDialogSetting> setting);
    QWidget *makeWindow() override;
    void windowDidLoad() override;

private:
    void updateOkButton();
    void textEdited(const QString &text);
    void TextDidChange_Later();

    std::unique_ptr<Ui::InputDialog> mUi;
    std::shared_ptr<InputDialogSetting> mSetting;
    QLineEdit *mEdit = nullptr;
    QTimer *mTypingTimer = nullptr;
    QString mPendingText;
};
