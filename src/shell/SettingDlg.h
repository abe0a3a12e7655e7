#pragma once
// The preferences dialog: the one place where the user edits the settings record, the list of
// extensions compared as text, the interface language, the help tips and the colour theme. The
// dialog fills its controls from the record when it opens and writes them back only on OK;
// Restore Defaults stores the defaults at once. Its runner stores the record afterwards.

#include "platform/Color.h"
#include "platform/WindowController.h"

#include <QString>
#include <QStringList>
#include <memory>

class MyColorWell;
class QButtonGroup;
class QCheckBox;
class ThemeColor;
namespace Ui {
class SettingDlg;
}

class SettingDlg : public platform::WindowController
{
    Q_OBJECT
public:
    // Modal run codes: OK, Cancel (and the close box), the quit key.
    enum { CodeCancel = 0, CodeOK = 1, CodeQuit = 2 };

    explicit SettingDlg(const QString &windowNibName = QStringLiteral("SettingDlg"),
                        QObject *parent = nullptr);
    ~SettingDlg() override;

    QString mWindowsTitle;
    QStringList bind_txt_listOfTextSupportFileExt;

    std::shared_ptr<ThemeColor> currentTheme() const { return mCurrentTheme; }
    void setCurrentTheme(const std::shared_ptr<ThemeColor> &theme);

    void ApplySettingToControls();
    bool DoSave();
    void saveLatestSelectedTabInfo();

    void Change_bViewMarks();
    void Change_textTabLen();
    void compare_quickCompare_change(QCheckBox *sender);
    void UpdateButtonStatus_Controls_For_compare_quickCompare_full();
    void action_Change_compare_FileList_bUseDefaultColor();
    void action_checkBoxChangeValue(QCheckBox *sender);
    void action_Change_bThemeIsCustomByUser();
    void action_ChangeSyntax_Color(QObject *sender);
    void Change_FontSetting();
    void ApplyThemeFontColorToUI();
    void Menu_AssignFileTypeToLanguage();
    void restoreDefaultSetting();

    void okButtonClicked();
    void cancelButtonClicked();
    void ctrlQApp();

    Ui::SettingDlg &ui() { return *mUi; }
    QButtonGroup *printPageGroup(bool vertical) const;
    // The controls of settings this system has no use for (no spell checker, no printing, ...):
    // shown disabled with a tooltip saying so, their stored values kept as they are.
    QList<QWidget *> unavailableControls() const;
    // The size the slider stands for, in half points held to 6 .. 50.
    double sliderTextSize() const;

    // The interface languages offered: "en" and the translation table's, the seven main ones
    // first in a fixed order, the rest sorted.
    static QStringList OrderedLanguageCodes(QStringList codes);
    // The colour well of a theme slot (ThemeColor::Slot) and of a status (0 .. 4).
    MyColorWell *themeWell(int slot) const;
    MyColorWell *statusWell(int status) const;

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void disableUnavailableControls();
    void fillLanguagePopup();
    void saveLanguage();
    void applyThemeControls();
    void saveTheme();
    void showTextSample();
    QList<QCheckBox *> quickCompareButtons() const;
    QList<QCheckBox *> permissionBoxes() const;
    void endWithCode(int code);

    std::unique_ptr<Ui::SettingDlg> mUi;
    std::shared_ptr<ThemeColor> mCurrentTheme;
    QButtonGroup *mPrintPageHor = nullptr;
    QButtonGroup *mPrintPageVer = nullptr;
    bool mChk_ShowLiveHelp_oldValue = true;
    quint64 mShownStatusWords[5] = {};
    bool mEnded = false;
};
