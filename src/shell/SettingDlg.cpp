#include "shell/SettingDlg.h"
#include "ui_SettingDlg.h"

#include "controls/LiveHelpDialog.h"
#include "controls/PelkoNSTextField.h"
#include "controls/PelkoNSWindowController.h"
#include "graphics/PelkoNSColor.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/Alerts.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/Colors.h"
#include "services/Fonts.h"
#include "themes/LanguageList.h"
#include "services/Localization.h"
#include "services/TextFile.h"
#include "services/WindowFrame.h"
#include "shell/AppCommands.h"
#include "themes/MyColorWell.h"
#include "themes/ThemeColor.h"

#include <QButtonGroup>
#include <QDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr double kMinTextSize = 6.0;
constexpr double kMaxTextSize = 50.0;
// The characters that separate extensions in the list field.
const QString kExtensionSeparators = QStringLiteral("\t ;,\\/\n\r");

bool checked(const QCheckBox *box)
{
    return box && box->isChecked();
}
void setChecked(QCheckBox *box, quint8 value)
{
    if (box)
        box->setChecked(value != 0);
}
quint8 flag(const QCheckBox *box)
{
    return checked(box) ? 1 : 0;
}

// The check boxes that each show one flag of the record; shown and stored through this one list.
struct FlagBinding
{
    QCheckBox *Ui::SettingDlg::*box;
    quint8 AppSetting::*field;
};
const FlagBinding kFlagBindings[] = {
    {&Ui::SettingDlg::compare_FileList_bUseDefaultColor,
     &AppSetting::compare_FileList_bUseDefaultColor},
    {&Ui::SettingDlg::bOpenNewFileInSeparateDocumentWindow,
     &AppSetting::bOpenNewFileInSeparateDocumentWindow},
    {&Ui::SettingDlg::bSave_IgnoreCoding_UseCustomCoding,
     &AppSetting::bSave_IgnoreCoding_UseCustomCoding},
    {&Ui::SettingDlg::save_Coding_BOM, &AppSetting::save_Coding_BOM},
    {&Ui::SettingDlg::bSave_IgnorePermission_UseCustomPermission,
     &AppSetting::bSave_IgnorePermission_UseCustomPermission},
    {&Ui::SettingDlg::save_OverwriteBackupToTmp, &AppSetting::save_OverwriteBackupToTmp},
    {&Ui::SettingDlg::bViewMarks, &AppSetting::bViewMarks},
    {&Ui::SettingDlg::bViewMarks_showSpace, &AppSetting::bViewMarks_showSpace},
    {&Ui::SettingDlg::bViewMarks_showTab, &AppSetting::bViewMarks_showTab},
    {&Ui::SettingDlg::bViewMarks_showEOL, &AppSetting::bViewMarks_showEOL},
    {&Ui::SettingDlg::bWrapText, &AppSetting::bWrapText},
    {&Ui::SettingDlg::bAutoSaveUntitleTabBeforeQuit, &AppSetting::bAutoSaveUntitleTabBeforeQuit},
    {&Ui::SettingDlg::bAutoIndent, &AppSetting::bAutoIndent},
    {&Ui::SettingDlg::bAllowDetectLink, &AppSetting::bAllowDetectLink},
    {&Ui::SettingDlg::bAutoHightLightText, &AppSetting::bAutoHightLightText},
    {&Ui::SettingDlg::bShowLineNumber, &AppSetting::bShowLineNumber},
    {&Ui::SettingDlg::bShowEndOfLineMark, &AppSetting::bShowEndOfLineMark},
    {&Ui::SettingDlg::bIgnore_MacHiddenFile, &AppSetting::bIgnore_MacHiddenFile},
    {&Ui::SettingDlg::folder_compare_ignore_EndLineDiff,
     &AppSetting::folder_compare_ignore_EndLineDiff},
    {&Ui::SettingDlg::compare_showFolder, &AppSetting::compare_showFolder},
    {&Ui::SettingDlg::compare_autoMoveToNextDiffAfterMerge,
     &AppSetting::compare_autoMoveToNextDiffAfterMerge},
    {&Ui::SettingDlg::compare_sort_folder_tree_above_file,
     &AppSetting::compare_sort_folder_tree_above_file},
    {&Ui::SettingDlg::compare_deletesFilesToTrash, &AppSetting::compare_deletesFilesToTrash},
    {&Ui::SettingDlg::spelling_GrammarCheckingEnabled,
     &AppSetting::spelling_GrammarCheckingEnabled},
    {&Ui::SettingDlg::spelling_ContinuousSpellCheckingEnabled,
     &AppSetting::spelling_ContinuousSpellCheckingEnabled},
    {&Ui::SettingDlg::spelling_AutomaticSpellingCorrectionEnabled,
     &AppSetting::spelling_AutomaticSpellingCorrectionEnabled},
    {&Ui::SettingDlg::save_Permission_Owner_R, &AppSetting::save_Permission_Owner_R},
    {&Ui::SettingDlg::save_Permission_Owner_W, &AppSetting::save_Permission_Owner_W},
    {&Ui::SettingDlg::save_Permission_Owner_X, &AppSetting::save_Permission_Owner_X},
    {&Ui::SettingDlg::save_Permission_Group_R, &AppSetting::save_Permission_Group_R},
    {&Ui::SettingDlg::save_Permission_Group_W, &AppSetting::save_Permission_Group_W},
    {&Ui::SettingDlg::save_Permission_Group_X, &AppSetting::save_Permission_Group_X},
    {&Ui::SettingDlg::save_Permission_Others_R, &AppSetting::save_Permission_Others_R},
    {&Ui::SettingDlg::save_Permission_Others_W, &AppSetting::save_Permission_Others_W},
    {&Ui::SettingDlg::save_Permission_Others_X, &AppSetting::save_Permission_Others_X},
    {&Ui::SettingDlg::CheckSpellingWhileTyping, &AppSetting::CheckSpellingWhileTyping},
    {&Ui::SettingDlg::CheckGrammarWithSpelling, &AppSetting::CheckGrammarWithSpelling},
    {&Ui::SettingDlg::CorrectSpellingAutomatically, &AppSetting::CorrectSpellingAutomatically},
    {&Ui::SettingDlg::ShowRuler, &AppSetting::ShowRuler},
    {&Ui::SettingDlg::DataDetectors, &AppSetting::DataDetectors},
    {&Ui::SettingDlg::SmartCopyPaste, &AppSetting::SmartCopyPaste},
    {&Ui::SettingDlg::SmartQuotes, &AppSetting::SmartQuotes},
    {&Ui::SettingDlg::SmartDashes, &AppSetting::SmartDashes},
    {&Ui::SettingDlg::SmartLinks, &AppSetting::SmartLinks},
    {&Ui::SettingDlg::TextReplacement, &AppSetting::TextReplacement},
};

// A wider field of the packed record, reached by its offset: a pointer to it, or to a member
// holding it, may be misaligned.
template <class T> struct RecordField
{
    std::size_t offset;
    T get(const AppSetting &s) const
    {
        T value;
        std::memcpy(&value, reinterpret_cast<const char *>(&s) + offset, sizeof value);
        return value;
    }
    void set(AppSetting &s, T value) const
    {
        std::memcpy(reinterpret_cast<char *>(&s) + offset, &value, sizeof value);
    }
};

// Check boxes over 32-bit flags, number fields over 32-bit numbers, and encoding pop-ups over
// encoding numbers; shown and stored through these lists.
struct WideFlagBinding
{
    QCheckBox *Ui::SettingDlg::*box;
    RecordField<qint32> field;
};
const WideFlagBinding kWideFlagBindings[] = {
    {&Ui::SettingDlg::mPrintCenter_Hor, {offsetof(AppSetting, printCenter_Hor)}},
    {&Ui::SettingDlg::mPrintCenter_Ver, {offsetof(AppSetting, printCenter_Ver)}},
};
struct NumberBinding
{
    QLineEdit *Ui::SettingDlg::*text;
    RecordField<qint32> field;
};
const NumberBinding kNumberBindings[] = {
    {&Ui::SettingDlg::mPrintMargin_L, {offsetof(AppSetting, printMargin_L)}},
    {&Ui::SettingDlg::mPrintMargin_R, {offsetof(AppSetting, printMargin_R)}},
    {&Ui::SettingDlg::mPrintMargin_T, {offsetof(AppSetting, printMargin_T)}},
    {&Ui::SettingDlg::mPrintMargin_B, {offsetof(AppSetting, printMargin_B)}},
};
struct EncodingBinding
{
    QComboBox *Ui::SettingDlg::*popup;
    RecordField<quint64> field;
};
const EncodingBinding kEncodingBindings[] = {
    {&Ui::SettingDlg::open_preferEncode, {offsetof(AppSetting, open_preferEncode)}},
    {&Ui::SettingDlg::save_Coding_preferEncode, {offsetof(AppSetting, save_Coding_preferEncode)}},
};

// Each token trimmed and lower-cased; empty ones and repeats dropped, the order kept.
QStringList extensionsFromText(const QString &text)
{
    QStringList out;
    QString token;
    auto flush = [&] {
        const QString t = token.trimmed().toLower();
        if (!t.isEmpty() && !out.contains(t))
            out.append(t);
        token.clear();
    };
    for (QChar c : text) {
        if (kExtensionSeparators.contains(c))
            flush();
        else
            token += c;
    }
    flush();
    return out;
}

// The number a field holds (C locale, as typed); 0 when it holds none.
double fieldNumber(const QLineEdit *field)
{
    bool ok = false;
    const double v = field ? field->text().trimmed().toDouble(&ok) : 0;
    return ok && std::isfinite(v) ? v : 0;
}

qint32 roundHalfUp(double v)
{
    const double r = std::floor(v + 0.5);
    return qint32(std::clamp(r, -2147483648.0, 2147483647.0));
}

void setEncodingPopup(QComboBox *popup, quint64 stored)
{
    if (popup)
        SetupEncodingList(popup, platform::StringEncoding(stored));
}

} // namespace

SettingDlg::SettingDlg(const QString &windowNibName, QObject *parent)
    : platform::WindowController(windowNibName, parent), mUi(std::make_unique<Ui::SettingDlg>())
{
    GUARD_BEGIN
    const auto current = ThemeColor::getCurrent();
    if (current)
        mCurrentTheme = current->copy();
    else
        REPORT_FATAL();
    GUARD_END_VOID
}

SettingDlg::~SettingDlg() = default;

void SettingDlg::setCurrentTheme(const std::shared_ptr<ThemeColor> &theme)
{
    mCurrentTheme = theme ? theme->copy() : nullptr;
}

QWidget *SettingDlg::makeWindow()
{
    return setupWindow<QDialog>(*mUi);
}

void SettingDlg::windowDidLoad()
{
    GUARD_BEGIN
    QWidget *w = window();
    if (!mWindowsTitle.isEmpty())
        w->setWindowTitle(mWindowsTitle);
    // Radio columns: the id of each button is its row.
    mPrintPageHor = new QButtonGroup(w);
    mPrintPageVer = new QButtonGroup(w);
    const QList<QRadioButton *> hor = {mUi->mPrintPage_Hor_0, mUi->mPrintPage_Hor_1,
                                       mUi->mPrintPage_Hor_2};
    const QList<QRadioButton *> ver = {mUi->mPrintPage_Ver_0, mUi->mPrintPage_Ver_1,
                                       mUi->mPrintPage_Ver_2};
    for (int row = 0; row < 3; ++row) {
        mPrintPageHor->addButton(hor[row], row);
        mPrintPageVer->addButton(ver[row], row);
    }
    mUi->save_Coding_EndLine->addItems({QStringLiteral("LF (Unix)"), QStringLiteral("CR (Mac)"),
                                        QStringLiteral("CRLF (Windows)")});
    Localize_LoadWindowPos_SetBackground(w, this, platform::Color(), true);
    SetupFontComboBox(mUi->mCmb_FontName, false);
    Setup_ThemeTemplateList_ComboBox(mUi->mCmb_ThemeList);
    // The last item stands for the user's own colours: it carries no theme.
    mUi->mCmb_ThemeList->addItem(L_(QStringLiteral("Custom")));
    Select_ItemBaseOnThemeColor_ThemeTemplateList_ComboBox(mUi->mCmb_ThemeList, mCurrentTheme,
                                                           L_(QStringLiteral("Custom")));
    connectControls();
    ApplySettingToControls();
    disableUnavailableControls();
    const int tab = gAppSetting.settingDialogLastTabIndex;
    if (tab >= 0 && tab < mUi->mTab->count()) {
        mUi->mTab->setCurrentIndex(tab);
    } else {
        REPORT_FATAL();
        mUi->mTab->setCurrentIndex(0);
    }
    w->installEventFilter(this);
    GUARD_END_VOID
}

QList<QWidget *> SettingDlg::unavailableControls() const
{
    const auto &ui = *mUi;
    return {ui.bOpenNewFileInSeparateDocumentWindow,
            ui.save_OverwriteBackupToTmp,
            ui.bAllowDetectLink,
            ui.CheckSpellingWhileTyping,
            ui.CheckGrammarWithSpelling,
            ui.CorrectSpellingAutomatically,
            ui.ShowRuler,
            ui.DataDetectors,
            ui.SmartCopyPaste,
            ui.SmartQuotes,
            ui.SmartDashes,
            ui.SmartLinks,
            ui.TextReplacement,
            ui.spelling_ContinuousSpellCheckingEnabled,
            ui.spelling_GrammarCheckingEnabled,
            ui.spelling_AutomaticSpellingCorrectionEnabled,
            ui.tabPrint};
}

void SettingDlg::disableUnavailableControls()
{
    const QString why = L_(QStringLiteral("Not available on this system."));
    for (QWidget *control : unavailableControls()) {
        control->setEnabled(false);
        control->setToolTip(why);
    }
    // The page stays readable; its tab says why nothing on it can be changed.
    mUi->mTab->setTabToolTip(mUi->mTab->indexOf(mUi->tabPrint), why);
}

QButtonGroup *SettingDlg::printPageGroup(bool vertical) const
{
    return vertical ? mPrintPageVer : mPrintPageHor;
}

QList<QCheckBox *> SettingDlg::quickCompareButtons() const
{
    return {mUi->compare_quickCompare_size_date, mUi->compare_quickCompare_size,
            mUi->compare_quickCompare_date, mUi->compare_quickCompare_full};
}

QList<QCheckBox *> SettingDlg::permissionBoxes() const
{
    return {mUi->save_Permission_Owner_R,  mUi->save_Permission_Owner_W,
            mUi->save_Permission_Owner_X,  mUi->save_Permission_Group_R,
            mUi->save_Permission_Group_W,  mUi->save_Permission_Group_X,
            mUi->save_Permission_Others_R, mUi->save_Permission_Others_W,
            mUi->save_Permission_Others_X};
}

void SettingDlg::connectControls()
{
    for (QCheckBox *b : {mUi->bViewMarks, mUi->bViewMarks_showSpace, mUi->bViewMarks_showTab,
                         mUi->bViewMarks_showEOL})
        connect(b, &QCheckBox::clicked, this, [this] { Change_bViewMarks(); });
    connect(mUi->textTabLen, &QLineEdit::editingFinished, this, [this] { Change_textTabLen(); });
    for (QCheckBox *b : quickCompareButtons())
        connect(b, &QCheckBox::clicked, this, [this, b] { compare_quickCompare_change(b); });
    connect(mUi->folder_compare_ignore_EndLineDiff, &QCheckBox::clicked, this,
            [this] { UpdateButtonStatus_Controls_For_compare_quickCompare_full(); });
    connect(mUi->compare_FileList_bUseDefaultColor, &QCheckBox::clicked, this,
            [this] { action_Change_compare_FileList_bUseDefaultColor(); });
    for (QCheckBox *b :
         {mUi->bSave_IgnoreCoding_UseCustomCoding, mUi->bSave_IgnorePermission_UseCustomPermission})
        connect(b, &QCheckBox::clicked, this, [this, b] { action_checkBoxChangeValue(b); });
    connect(mUi->bThemeIsCustomByUser, &QCheckBox::clicked, this,
            [this] { action_Change_bThemeIsCustomByUser(); });
    connect(mUi->mCmb_ThemeList, &QComboBox::activated, this,
            [this] { action_ChangeSyntax_Color(mUi->mCmb_ThemeList); });
    for (int slot = 0; slot < ThemeColor::SlotCount; ++slot)
        connect(themeWell(slot), &MyColorWell::action, this,
                [this](MyColorWell *well) { action_ChangeSyntax_Color(well); });
    connect(mUi->mCmb_FontName, &QComboBox::activated, this, [this] { Change_FontSetting(); });
    connect(mUi->mSlider_textSize, &QSlider::valueChanged, this, [this] { Change_FontSetting(); });
    connect(mUi->mButton_AssignFileTypeToLanguage, &QPushButton::clicked, this,
            [this] { Menu_AssignFileTypeToLanguage(); });
    connect(mUi->mButton_RestoreDefaults, &QPushButton::clicked, this,
            [this] { restoreDefaultSetting(); });
    connect(mUi->mButton_OK, &QPushButton::clicked, this, [this] { okButtonClicked(); });
    connect(mUi->mButton_Cancel, &QPushButton::clicked, this, [this] { cancelButtonClicked(); });
    connect(new QShortcut(QKeySequence::Quit, window()), &QShortcut::activated, this,
            [this] { ctrlQApp(); });
}

// Controls from the record ---------------------------------------------------------------------

void SettingDlg::ApplySettingToControls()
{
    GUARD_BEGIN
    AppSetting_RefreshDarkMode();
    AppSetting &s = gAppSetting;
    fillLanguagePopup();
    bind_txt_listOfTextSupportFileExt =
        gAppSetting_compare_listOfTextSupportFileExt
            ? QStringList(*gAppSetting_compare_listOfTextSupportFileExt)
            : QStringList();
    mUi->bind_txt_listOfTextSupportFileExt_token->setObjectValue(bind_txt_listOfTextSupportFileExt);
    mChk_ShowLiveHelp_oldValue = LiveHelpDialog::isShowingLiveHelp();
    mUi->mChk_ShowLiveHelp->setChecked(mChk_ShowLiveHelp_oldValue);
    for (const FlagBinding &binding : kFlagBindings)
        setChecked(mUi.get()->*binding.box, s.*binding.field);

    if (QAbstractButton *b = mPrintPageHor ? mPrintPageHor->button(s.printPage_Hor) : nullptr)
        b->setChecked(true);
    if (QAbstractButton *b = mPrintPageVer ? mPrintPageVer->button(s.printPage_Ver) : nullptr)
        b->setChecked(true);
    for (const WideFlagBinding &binding : kWideFlagBindings)
        setChecked(mUi.get()->*binding.box, binding.field.get(s) != 0);
    for (const NumberBinding &binding : kNumberBindings)
        (mUi.get()->*binding.text)->setText(QString::number(binding.field.get(s)));

    const platform::Color status[5] = {GetColor_DiffChanged(), GetColor_DiffStatus2(),
                                       GetColor_DiffStatus3(), GetColor_DiffStatus4(),
                                       GetColor_DiffSame()};
    for (int i = 0; i < 5; ++i) {
        statusWell(i)->setColor(status[i]);
        mShownStatusWords[i] = toULong_ROUNDUP_To_systemDefaultColor(status[i]);
    }

    // A stored font that is gone shows the default one; the default is offered even when the
    // system knows it only by an alias.
    const QString font = APPSETTING_GET_STRING(s, fontName);
    int fontIndex = font.isEmpty() ? -1 : mUi->mCmb_FontName->findText(font);
    if (fontIndex < 0) {
        fontIndex = mUi->mCmb_FontName->findText(GetDefaultFixedFontName());
        if (fontIndex < 0) {
            mUi->mCmb_FontName->insertItem(0, GetDefaultFixedFontName());
            fontIndex = 0;
        }
    }
    mUi->mCmb_FontName->setCurrentIndex(fontIndex);
    double size = s.textSize;
    if (!(size >= kMinTextSize && size <= kMaxTextSize)) {
        size = std::isnan(size) ? 12.0 : std::clamp(size, kMinTextSize, kMaxTextSize);
        s.textSize = size;
    }
    {
        const QSignalBlocker block(mUi->mSlider_textSize);
        mUi->mSlider_textSize->setValue(int(std::floor(size * 2 + 0.5)));
    }

    for (const EncodingBinding &binding : kEncodingBindings)
        setEncodingPopup(mUi.get()->*binding.popup, binding.field.get(s));
    QString ext = APPSETTING_GET_STRING(s, defaultSaveTextExtension).trimmed();
    mUi->defaultSaveTextExtension->setText(ext.isEmpty() ? QStringLiteral("txt") : ext.toLower());
    action_checkBoxChangeValue(mUi->bSave_IgnoreCoding_UseCustomCoding);
    const qint32 endLine = s.save_Coding_EndLine;
    if (endLine < 0 || endLine > 2)
        s.save_Coding_EndLine = std::clamp(endLine, 0, 2);
    mUi->save_Coding_EndLine->setCurrentIndex(s.save_Coding_EndLine);
    action_checkBoxChangeValue(mUi->bSave_IgnorePermission_UseCustomPermission);
    Change_bViewMarks();
    mUi->textTabLen->setText(QString::number(qint32(s.textTabLen)));
    SetupLanguageListFromSetting(mUi->bAutoHightLightText_WithLanguage, &s, true);
    const QList<QCheckBox *> modes = quickCompareButtons();
    for (int i = 0; i < modes.size(); ++i)
        modes[i]->setChecked(s.folder_compare_Mode == i);
    UpdateButtonStatus_Controls_For_compare_quickCompare_full();
    applyThemeControls();
    PELKO_GUARD_CATCH
    action_Change_compare_FileList_bUseDefaultColor();
}

// Record from the controls ---------------------------------------------------------------------

bool SettingDlg::DoSave()
{
    GUARD_BEGIN
    AppSetting &s = gAppSetting;
    saveLanguage();
    if (mUi->mChk_ShowLiveHelp->isChecked() != mChk_ShowLiveHelp_oldValue)
        LiveHelpDialog::setShowHideAllLiveHelpDialog(mUi->mChk_ShowLiveHelp->isChecked());
    bind_txt_listOfTextSupportFileExt =
        extensionsFromText(mUi->bind_txt_listOfTextSupportFileExt_token->stringValue());
    if (gAppSetting_compare_listOfTextSupportFileExt)
        *gAppSetting_compare_listOfTextSupportFileExt = bind_txt_listOfTextSupportFileExt;
    for (const FlagBinding &binding : kFlagBindings)
        s.*binding.field = flag(mUi.get()->*binding.box);

    s.printPage_Hor = std::max(0, mPrintPageHor->checkedId());
    s.printPage_Ver = std::max(0, mPrintPageVer->checkedId());
    for (const WideFlagBinding &binding : kWideFlagBindings)
        binding.field.set(s, flag(mUi.get()->*binding.box));
    for (const NumberBinding &binding : kNumberBindings)
        binding.field.set(s, roundHalfUp(fieldNumber(mUi.get()->*binding.text)));

    s.textSize = sliderTextSize();
    QString font = mUi->mCmb_FontName->currentText();
    if (font.isEmpty() || !QFontDatabase::families().contains(font))
        font = GetDefaultFixedFontName();
    // An empty name already means the default font: keep it so the default follows the system.
    const bool keepDefault =
        APPSETTING_GET_STRING(s, fontName).isEmpty() && font == GetDefaultFixedFontName();
    if (!keepDefault)
        AppSetting_SetString(s.fontName, sizeof(s.fontName), font, 100);

    // The record is packed: its colour words are written field by field, never through a pointer.
    quint64 words[5] = {s.compare_COLOR_DIFF, s.compare_COLOR_UNKNOWN, s.compare_COLOR_ONLY1,
                        s.compare_COLOR_ONLY2, s.compare_COLOR_SAME};
    for (int i = 0; i < 5; ++i) {
        const platform::Color c = statusWell(i)->color();
        // A colour left as shown keeps its word, so a built-in colour stays built-in.
        const quint64 word = c.isValid() ? toULong_ROUNDUP_To_systemDefaultColor(c) : 0;
        if (c.isValid() && word != mShownStatusWords[i])
            words[i] = word;
    }
    s.compare_COLOR_DIFF = words[0];
    s.compare_COLOR_UNKNOWN = words[1];
    s.compare_COLOR_ONLY1 = words[2];
    s.compare_COLOR_ONLY2 = words[3];
    s.compare_COLOR_SAME = words[4];
    saveTheme();

    for (const EncodingBinding &binding : kEncodingBindings)
        binding.field.set(s, quint64(CurrentEncodingOfPopup(mUi.get()->*binding.popup)));
    QString ext = mUi->defaultSaveTextExtension->text().trimmed();
    if (ext.isEmpty())
        ext = QStringLiteral("txt");
    ext = ext.left(19);
    AppSetting_SetString(s.defaultSaveTextExtension, sizeof(s.defaultSaveTextExtension), ext, 17);
    s.save_Coding_EndLine = std::clamp(mUi->save_Coding_EndLine->currentIndex(), 0, 2);

    if (s.bViewMarks && !s.bViewMarks_showSpace && !s.bViewMarks_showTab && !s.bViewMarks_showEOL) {
        s.bViewMarks = 0;
        s.bViewMarks_showTab = 1;
        s.bViewMarks_showEOL = 1;
    }
    s.textTabLen = std::clamp(roundHalfUp(fieldNumber(mUi->textTabLen)), 2, 30);
    ReadLanguageListToSetting(mUi->bAutoHightLightText_WithLanguage, &s);
    const QList<QCheckBox *> modes = quickCompareButtons();
    for (int i = 0; i < modes.size(); ++i) {
        if (modes[i]->isChecked()) {
            s.folder_compare_Mode = i;
            break;
        }
    }
    PELKO_GUARD_CATCH
    AppSetting_RefreshDarkMode();
    return true;
}

void SettingDlg::saveLatestSelectedTabInfo()
{
    gAppSetting.settingDialogLastTabIndex = mUi->mTab ? mUi->mTab->currentIndex() : 0;
}

double SettingDlg::sliderTextSize() const
{
    return std::clamp(mUi->mSlider_textSize->value() / 2.0, kMinTextSize, kMaxTextSize);
}

// Interface language ---------------------------------------------------------------------------

QStringList SettingDlg::OrderedLanguageCodes(QStringList codes)
{
    codes.removeDuplicates();
    std::sort(codes.begin(), codes.end());
    static const char *const kFirst[] = {"de", "en", "ja", "fr", "es", "ko", "pt"};
    QStringList front;
    for (const char *code : kFirst) {
        const QString c = QString::fromLatin1(code);
        if (codes.removeAll(c) > 0)
            front.append(c);
    }
    return front + codes;
}

void SettingDlg::fillLanguagePopup()
{
    QComboBox *popup = mUi->mPop_Languages;
    popup->clear();
    for (const QString &code : OrderedLanguageCodes(GetAvailableLocalizations())) {
        if (code.isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        const QString name = GetLanguageName(code);
        const QString title = name.compare(code, Qt::CaseInsensitive) == 0
                                  ? name
                                  : QStringLiteral("%1 (%2)").arg(name, code);
        popup->addItem(title, code);
    }
    popup->addItem(L_(QStringLiteral("System default")));
    const QString stored = APPSETTING_GET_STRING(gAppSetting, languageCode);
    int select = popup->count() - 1;
    for (int i = 0; !stored.isEmpty() && i < popup->count() - 1; ++i) {
        if (popup->itemData(i).toString().compare(stored, Qt::CaseInsensitive) == 0) {
            select = i;
            break;
        }
    }
    popup->setCurrentIndex(select);
}

void SettingDlg::saveLanguage()
{
    const QString oldCode = APPSETTING_GET_STRING(gAppSetting, languageCode);
    const QString newCode = mUi->mPop_Languages->currentData().toString();
    AppSetting_SetString(gAppSetting.languageCode, sizeof(gAppSetting.languageCode), newCode, 48);
    if (newCode == oldCode)
        return;
    App_ApplyLanguageSetting();
    ShowMessage(L_(QStringLiteral("Warning")),
                L_(QStringLiteral("%@\n(You must restart the application for this language "
                                  "setting to be applied).{**}Restart Required")));
}

// Dependent controls ---------------------------------------------------------------------------

void SettingDlg::Change_bViewMarks()
{
    if (mUi->bViewMarks->isChecked() && !mUi->bViewMarks_showSpace->isChecked() &&
        !mUi->bViewMarks_showTab->isChecked() && !mUi->bViewMarks_showEOL->isChecked()) {
        mUi->bViewMarks->setChecked(false);
        mUi->bViewMarks_showTab->setChecked(true);
        mUi->bViewMarks_showEOL->setChecked(true);
    }
    const bool on = mUi->bViewMarks->isChecked();
    for (QCheckBox *b :
         {mUi->bViewMarks_showSpace, mUi->bViewMarks_showTab, mUi->bViewMarks_showEOL})
        b->setEnabled(on);
}

void SettingDlg::Change_textTabLen()
{
    const double v = fieldNumber(mUi->textTabLen);
    const qint32 held = std::clamp(roundHalfUp(v), 2, 30);
    if (held != v)
        mUi->textTabLen->setText(QString::number(held));
}

void SettingDlg::compare_quickCompare_change(QCheckBox *sender)
{
    const QList<QCheckBox *> modes = quickCompareButtons();
    for (QCheckBox *b : modes)
        b->setChecked(false);
    if (modes.contains(sender))
        sender->setChecked(true);
    else
        REPORT_FATAL();
    UpdateButtonStatus_Controls_For_compare_quickCompare_full();
}

void SettingDlg::UpdateButtonStatus_Controls_For_compare_quickCompare_full()
{
    const bool full = mUi->compare_quickCompare_full->isChecked();
    mUi->folder_compare_ignore_EndLineDiff->setVisible(full);
    mUi->folder_compare_ignore_EndLineDiff_Warning_Title->setVisible(
        full && mUi->folder_compare_ignore_EndLineDiff->isChecked());
}

void SettingDlg::action_Change_compare_FileList_bUseDefaultColor()
{
    const bool own = !mUi->compare_FileList_bUseDefaultColor->isChecked();
    const QList<QWidget *> labels = {mUi->label_compare_COLOR_DIFF,
                                     mUi->label_compare_COLOR_UNKNOWN,
                                     mUi->label_compare_COLOR_ONLY1, mUi->label_compare_COLOR_ONLY2,
                                     mUi->label_compare_COLOR_SAME};
    for (int i = 0; i < 5; ++i) {
        statusWell(i)->setEnabled(own);
        setLableEnable(labels[i], own);
    }
}

void SettingDlg::action_checkBoxChangeValue(QCheckBox *sender)
{
    if (sender == mUi->bSave_IgnoreCoding_UseCustomCoding) {
        const bool on = sender->isChecked();
        mUi->save_Coding_preferEncode->setEnabled(on);
        mUi->save_Coding_EndLine->setEnabled(on);
        mUi->save_Coding_BOM->setEnabled(on);
        setLableEnable(mUi->save_Coding_preferEncode_title, on);
        setLableEnable(mUi->label_save_Coding_EndLine, on);
    } else if (sender == mUi->bSave_IgnorePermission_UseCustomPermission) {
        const bool on = sender->isChecked();
        for (QCheckBox *b : permissionBoxes())
            b->setEnabled(on);
        for (QWidget *title : {static_cast<QWidget *>(mUi->save_Permission_Owner_title),
                               static_cast<QWidget *>(mUi->save_Permission_Group_title),
                               static_cast<QWidget *>(mUi->save_Permission_Others_title)})
            setLableEnable(title, on);
    }
}

void SettingDlg::Menu_AssignFileTypeToLanguage()
{
    ::Menu_AssignFileTypeToLanguage();
}

void SettingDlg::restoreDefaultSetting()
{
    GUARD_BEGIN
    ThemeColor::restoreToDefault();
    setCurrentTheme(ThemeColor::getCurrent());
    AppCommand_ValidateDarkModeChanged();
    const auto current = ThemeColor::getCurrent();
    if (current)
        setCurrentTheme(current);
    else
        REPORT_FATAL();
    const int custom = mUi->mCmb_ThemeList->findText(L_(QStringLiteral("Custom")));
    if (custom >= 0)
        mUi->mCmb_ThemeList->setCurrentIndex(custom);
    LiveHelpDialog::setShowHideAllLiveHelpDialog(true);
    AppSetting_SetDefault(&gAppSetting);
    AppSetting_Save();
    LiveHelpDialogSetting_Save();
    ApplySettingToControls();
    GUARD_END_VOID
}

// Ways out ---------------------------------------------------------------------------------------

void SettingDlg::endWithCode(int code)
{
    if (mEnded)
        return;
    mEnded = true;
    saveLatestSelectedTabInfo();
    stopModalAndSaveFrameWithCode(this, code);
}

void SettingDlg::okButtonClicked()
{
    GUARD_BEGIN
    saveLatestSelectedTabInfo();
    DoSave();
    endWithCode(CodeOK);
    GUARD_END_VOID
}

void SettingDlg::cancelButtonClicked()
{
    endWithCode(CodeCancel);
}

void SettingDlg::ctrlQApp()
{
    endWithCode(CodeQuit);
}

bool SettingDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (isWindowLoaded() && watched == window()) {
        // The close box and Escape end the run as Cancel does, so the tab and frame are kept.
        if (event->type() == QEvent::Close && !mEnded) {
            saveLatestSelectedTabInfo();
            Save_Window_Frame(window(), this);
            mEnded = true;
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            cancelButtonClicked();
            return true;
        }
    }
    return platform::WindowController::eventFilter(watched, event);
}
