#include "controls/LiveHelpDialog.h"
#include "controls/TokenField.h"
#include "platform/Alerts.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/Fonts.h"
#include "themes/LanguageList.h"
#include "services/SupportFolder.h"
#include "services/WindowFrame.h"
#include "shell/AppCommands.h"
#include "shell/SettingDlg.h"
#include "shell/ThemeForAppearance.h"
#include "support/TestEnvironment.h"
#include "themes/DarkMode.h"
#include "themes/MyColorWell.h"
#include "themes/ThemeColor.h"
#include "ui_SettingDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFontInfo>
#include <QScopeGuard>
#include <QLineEdit>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <utility>
#include <memory>

namespace {

class SettingDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        appCommandHooks() = AppCommandHooks();
        mDir = pelkotest::freshDir(QStringLiteral("preferences"));
        platform::UserDefaults::standard().setFilePath(mDir + QStringLiteral("/defaults.plist"));
        // The template themes come from the bundle into the support folder.
        mSavedSupport = gSupportFolder;
        ASSERT_TRUE(PrepareSupportFolder(mDir + QStringLiteral("/support")));
        SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
        ResetCurrentThemeCache();
        ResetThemeTemplateCache();
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            alerts.push_back(r);
            return 1000;
        });
    }
    void TearDown() override
    {
        platform::setAlertHook(nullptr);
        appCommandHooks() = AppCommandHooks();
        ResetCurrentThemeCache();
        ResetThemeTemplateCache();
        SetBundleResourceFolder(QString());
        gSupportFolder = mSavedSupport;
    }
    QString mDir, mSavedSupport;
    std::unique_ptr<SettingDlg> open()
    {
        auto d = std::make_unique<SettingDlg>();
        d->window();
        return d;
    }
    std::vector<platform::AlertRequest> alerts;
};

// The record offsets that OK changed, the tab shown last and the dark byte aside.
QList<int> changedOffsets(const QByteArray &before, const QByteArray &after)
{
    QList<int> out;
    for (int i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            out.append(i);
    return out;
}

// Opens the dialog, lets change() alter one control, presses OK, and checks that only the bytes
// of that control's field changed; then opens and confirms again, which must store the same
// record (each control shows what is stored).
struct RoundTrip
{
    const char *name;
    std::function<void(Ui::SettingDlg &, SettingDlg &)> change;
    std::size_t offset, width;
    std::function<bool(const AppSetting &)> stored = {};
};

void checkRoundTrip(const RoundTrip &row, const std::function<std::unique_ptr<SettingDlg>()> &open)
{
    AppSetting_SetDefault(&gAppSetting);
    const QByteArray before = SettingsRecordForComparison();
    auto d = open();
    row.change(d->ui(), *d);
    d->okButtonClicked();
    const QByteArray after = SettingsRecordForComparison();
    const QList<int> changed = changedOffsets(before, after);
    EXPECT_FALSE(changed.isEmpty()) << row.name;
    for (int offset : changed) {
        EXPECT_TRUE(offset >= int(row.offset) && offset < int(row.offset + row.width))
            << row.name << ": byte " << offset << " changed";
    }
    if (row.stored) {
        EXPECT_TRUE(row.stored(gAppSetting)) << row.name;
    }
    auto again = open();
    again->okButtonClicked();
    EXPECT_EQ(changedOffsets(after, SettingsRecordForComparison()), QList<int>())
        << row.name << " (shown again and confirmed)";
}

// Every check box against its byte in the stored record.
TEST_F(SettingDlgTest, EveryCheckBoxReachesItsByte)
{
    using Box = QCheckBox *Ui::SettingDlg::*;
    const std::pair<Box, std::size_t> boxes[] = {
        {&Ui::SettingDlg::bOpenNewFileInSeparateDocumentWindow,
         offsetof(AppSetting, bOpenNewFileInSeparateDocumentWindow)},
        {&Ui::SettingDlg::bSave_IgnoreCoding_UseCustomCoding,
         offsetof(AppSetting, bSave_IgnoreCoding_UseCustomCoding)},
        {&Ui::SettingDlg::save_Coding_BOM, offsetof(AppSetting, save_Coding_BOM)},
        {&Ui::SettingDlg::bSave_IgnorePermission_UseCustomPermission,
         offsetof(AppSetting, bSave_IgnorePermission_UseCustomPermission)},
        {&Ui::SettingDlg::save_Permission_Owner_R, 244},
        {&Ui::SettingDlg::save_Permission_Owner_W, 245},
        {&Ui::SettingDlg::save_Permission_Owner_X, 246},
        {&Ui::SettingDlg::save_Permission_Group_R, 247},
        {&Ui::SettingDlg::save_Permission_Group_W, 248},
        {&Ui::SettingDlg::save_Permission_Group_X, 249},
        {&Ui::SettingDlg::save_Permission_Others_R, 250},
        {&Ui::SettingDlg::save_Permission_Others_W, 251},
        {&Ui::SettingDlg::save_Permission_Others_X, 252},
        {&Ui::SettingDlg::save_OverwriteBackupToTmp, 253},
        {&Ui::SettingDlg::bViewMarks_showSpace, 255},
        {&Ui::SettingDlg::CheckSpellingWhileTyping, 291},
        {&Ui::SettingDlg::CheckGrammarWithSpelling, 292},
        {&Ui::SettingDlg::CorrectSpellingAutomatically, 293},
        {&Ui::SettingDlg::ShowRuler, 294},
        {&Ui::SettingDlg::DataDetectors, 295},
        {&Ui::SettingDlg::SmartCopyPaste, 296},
        {&Ui::SettingDlg::SmartQuotes, 297},
        {&Ui::SettingDlg::SmartDashes, 298},
        {&Ui::SettingDlg::SmartLinks, 299},
        {&Ui::SettingDlg::TextReplacement, 300},
        {&Ui::SettingDlg::bWrapText, 262},
        {&Ui::SettingDlg::bAutoIndent, 263},
        {&Ui::SettingDlg::bAutoSaveUntitleTabBeforeQuit, 264},
        {&Ui::SettingDlg::bAllowDetectLink, 265},
        {&Ui::SettingDlg::bAutoHightLightText, 266},
        {&Ui::SettingDlg::bShowLineNumber, 287},
        {&Ui::SettingDlg::bShowEndOfLineMark, 288},
        {&Ui::SettingDlg::bIgnore_MacHiddenFile, 290},
        {&Ui::SettingDlg::compare_autoMoveToNextDiffAfterMerge, 420},
        {&Ui::SettingDlg::compare_sort_folder_tree_above_file, 421},
        {&Ui::SettingDlg::compare_deletesFilesToTrash, 422},
        {&Ui::SettingDlg::compare_showFolder, 431},
        {&Ui::SettingDlg::compare_FileList_bUseDefaultColor, 538},
        {&Ui::SettingDlg::bThemeIsCustomByUser, 540},
        {&Ui::SettingDlg::folder_compare_ignore_EndLineDiff, 546},
        {&Ui::SettingDlg::spelling_AutomaticSpellingCorrectionEnabled, 551},
        {&Ui::SettingDlg::spelling_GrammarCheckingEnabled, 552},
        {&Ui::SettingDlg::spelling_ContinuousSpellCheckingEnabled, 553},
        {&Ui::SettingDlg::mPrintCenter_Hor, offsetof(AppSetting, printCenter_Hor)},
        {&Ui::SettingDlg::mPrintCenter_Ver, offsetof(AppSetting, printCenter_Ver)},
    };
    for (const std::pair<Box, std::size_t> &row : boxes) {
        // Named copies, since clang before 16 cannot capture structured bindings.
        const Box box = row.first;
        const std::size_t offset = row.second;
        AppSetting_SetDefault(&gAppSetting);
        auto probe = open();
        QCheckBox *b = probe->ui().*box;
        const std::string name = b->objectName().toStdString();
        const bool on = !b->isChecked();
        probe->cancelButtonClicked();
        const std::size_t width = offset == offsetof(AppSetting, printCenter_Hor) ||
                                          offset == offsetof(AppSetting, printCenter_Ver)
                                      ? 4
                                      : 1;
        checkRoundTrip({name.c_str(),
                        [box](auto &u, auto &) { (u.*box)->setChecked(!(u.*box)->isChecked()); },
                        offset, width,
                        [offset, on](const AppSetting &s) {
                            return reinterpret_cast<const quint8 *>(&s)[offset] == (on ? 1 : 0);
                        }},
                       [this] { return open(); });
    }
}

// A setting the system has no use for is shown disabled, saying why, and its stored value stays
// as it is through OK; those the text window follows stay offered.
TEST_F(SettingDlgTest, SettingsThisSystemCannotUseAreShownDisabledAndKept)
{
    AppSetting_SetDefault(&gAppSetting);
    gAppSetting.CheckSpellingWhileTyping = 1;
    gAppSetting.SmartQuotes = 0;
    gAppSetting.printMargin_L = 17;
    const QByteArray before = SettingsRecordForComparison();
    auto d = open();
    const QString why = QStringLiteral("Not available on this system.");
    auto &ui = d->ui();
    for (QWidget *control : QList<QWidget *>{
             ui.CheckSpellingWhileTyping, ui.CheckGrammarWithSpelling,
             ui.CorrectSpellingAutomatically, ui.ShowRuler, ui.DataDetectors, ui.SmartCopyPaste,
             ui.SmartQuotes, ui.SmartDashes, ui.SmartLinks, ui.TextReplacement,
             ui.spelling_ContinuousSpellCheckingEnabled, ui.spelling_GrammarCheckingEnabled,
             ui.spelling_AutomaticSpellingCorrectionEnabled, ui.bAllowDetectLink,
             ui.bOpenNewFileInSeparateDocumentWindow, ui.save_OverwriteBackupToTmp,
             ui.mPrintCenter_Hor, ui.mPrintMargin_L, ui.mPrintPage_Hor_0}) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_FALSE(control->isEnabled());
        // Its own tip, or that of the page it stands on.
        QString tip;
        for (QWidget *w = control; w && tip.isEmpty(); w = w->parentWidget())
            tip = w->toolTip();
        EXPECT_EQ(tip, why);
    }
    EXPECT_EQ(ui.mTab->tabToolTip(ui.mTab->indexOf(ui.tabPrint)), why);
    for (QCheckBox *offered : {ui.bShowEndOfLineMark, ui.bAutoIndent, ui.bWrapText,
                               ui.bShowLineNumber, ui.bAutoHightLightText})
        EXPECT_TRUE(offered->isEnabled()) << offered->objectName().toStdString();
    // Restoring the defaults offers nothing more.
    QTest::mouseClick(ui.mButton_RestoreDefaults, Qt::LeftButton);
    EXPECT_FALSE(ui.SmartQuotes->isEnabled());
    AppSetting_SetDefault(&gAppSetting);
    gAppSetting.CheckSpellingWhileTyping = 1;
    gAppSetting.SmartQuotes = 0;
    gAppSetting.printMargin_L = 17;
    d = open();
    d->okButtonClicked();
    EXPECT_EQ(changedOffsets(before, SettingsRecordForComparison()), QList<int>());
}

// The other controls, one row each: what the user does and the field it must reach.
TEST_F(SettingDlgTest, EveryOtherControlReachesItsField)
{
    ASSERT_GT(Setup_gAppLanguageInfoList(), 1); // the syntax languages for the highlight pop-up
    auto otherIndex = [](QComboBox *c) { return c->currentIndex() == 1 ? 2 : 1; };
    const RoundTrip rows[] = {
        {"line end", [](auto &u, auto &) { u.save_Coding_EndLine->setCurrentIndex(2); },
         offsetof(AppSetting, save_Coding_EndLine), 4,
         [](const AppSetting &s) { return s.save_Coding_EndLine == 2; }},
        {"content mode",
         [](auto &u, auto &d) { d.compare_quickCompare_change(u.compare_quickCompare_full); },
         offsetof(AppSetting, folder_compare_Mode), 4,
         [](const AppSetting &s) { return s.folder_compare_Mode == 3; }},
        {"print page across",
         [](auto &, auto &d) { d.printPageGroup(false)->button(1)->setChecked(true); },
         offsetof(AppSetting, printPage_Hor), 4,
         [](const AppSetting &s) { return s.printPage_Hor == 1; }},
        {"print page down",
         [](auto &, auto &d) { d.printPageGroup(true)->button(2)->setChecked(true); },
         offsetof(AppSetting, printPage_Ver), 4,
         [](const AppSetting &s) { return s.printPage_Ver == 2; }},
        {"left margin", [](auto &u, auto &) { u.mPrintMargin_L->setText(QStringLiteral("7.5")); },
         offsetof(AppSetting, printMargin_L), 4,
         [](const AppSetting &s) { return s.printMargin_L == 8; }},
        {"right margin", [](auto &u, auto &) { u.mPrintMargin_R->setText(QStringLiteral("40")); },
         offsetof(AppSetting, printMargin_R), 4,
         [](const AppSetting &s) { return s.printMargin_R == 40; }},
        {"top margin", [](auto &u, auto &) { u.mPrintMargin_T->setText(QStringLiteral("12.5")); },
         offsetof(AppSetting, printMargin_T), 4,
         [](const AppSetting &s) { return s.printMargin_T == 13; }},
        {"bottom margin", [](auto &u, auto &) { u.mPrintMargin_B->setText(QStringLiteral("3.4")); },
         offsetof(AppSetting, printMargin_B), 4,
         [](const AppSetting &s) { return s.printMargin_B == 3; }},
        {"tab width", [](auto &u, auto &) { u.textTabLen->setText(QStringLiteral("45")); },
         offsetof(AppSetting, textTabLen), 4,
         [](const AppSetting &s) { return s.textTabLen == 30; }},
        {"extension",
         [](auto &u, auto &) { u.defaultSaveTextExtension->setText(QStringLiteral("  md ")); },
         offsetof(AppSetting, defaultSaveTextExtension), 19,
         [](const AppSetting &s) {
             return APPSETTING_GET_STRING(s, defaultSaveTextExtension) == QStringLiteral("md");
         }},
        {"text size", [](auto &u, auto &) { u.mSlider_textSize->setValue(27); },
         offsetof(AppSetting, textSize), 8, [](const AppSetting &s) { return s.textSize == 13.5; }},
        {"font",
         [](auto &u, auto &) {
             const QString other = QFontDatabase::families().value(0) == GetDefaultFixedFontName()
                                       ? QFontDatabase::families().value(1)
                                       : QFontDatabase::families().value(0);
             u.mCmb_FontName->setCurrentIndex(u.mCmb_FontName->findText(other));
         },
         offsetof(AppSetting, fontName), 101},
        {"encoding for opening",
         [&](auto &u, auto &) {
             u.open_preferEncode->setCurrentIndex(otherIndex(u.open_preferEncode));
         },
         offsetof(AppSetting, open_preferEncode), 8},
        {"encoding for saving",
         [&](auto &u, auto &) {
             u.save_Coding_preferEncode->setCurrentIndex(otherIndex(u.save_Coding_preferEncode));
         },
         offsetof(AppSetting, save_Coding_preferEncode), 8},
        {"highlight language",
         [&](auto &u, auto &) {
             u.bAutoHightLightText_WithLanguage->setCurrentIndex(
                 otherIndex(u.bAutoHightLightText_WithLanguage));
         },
         offsetof(AppSetting, bAutoHightLightText_WithLanguage), 20},
        {"marks", [](auto &u, auto &) { u.bViewMarks->setChecked(!u.bViewMarks->isChecked()); },
         offsetof(AppSetting, bViewMarks), 1},
        {"status colour",
         [](auto &, auto &d) {
             d.statusWell(2)->setColor(platform::Color::deviceRGB(0.2, 0.4, 0.6));
         },
         offsetof(AppSetting, compare_COLOR_ONLY1), 8,
         [](const AppSetting &s) { return quint64(s.compare_COLOR_ONLY1) == 0x336699FFu; }},
        {"language",
         [](auto &u, auto &) {
             u.mPop_Languages->setCurrentIndex(u.mPop_Languages->findData(QStringLiteral("en")));
         },
         offsetof(AppSetting, languageCode), 49},
    };
    for (const RoundTrip &row : rows)
        checkRoundTrip(row, [this] { return open(); });
    gAppLanguageInfoList.clear();
}

TEST_F(SettingDlgTest, BadStoredValuesAreHeldWhenShown)
{
    gAppSetting.textSize = 3.0;
    gAppSetting.save_Coding_EndLine = 7;
    gAppSetting.settingDialogLastTabIndex = 99;
    auto d = open();
    EXPECT_EQ(d->ui().mSlider_textSize->value(), 12);
    EXPECT_EQ(+gAppSetting.textSize, 6.0);
    EXPECT_EQ(d->ui().save_Coding_EndLine->currentIndex(), 2);
    EXPECT_EQ(+gAppSetting.save_Coding_EndLine, 2);
    EXPECT_EQ(d->ui().mTab->currentIndex(), 0);
    d->cancelButtonClicked();
    EXPECT_EQ(+gAppSetting.textSize, 6.0);
    // Every way out keeps the frame under the dialog's own keys.
    EXPECT_TRUE(
        platform::UserDefaults::standard()
            .objectForKey(QStringLiteral("winFrame_%1_w").arg(WindowFrameOwnerName(d.get())))
            .isValid());

    gAppSetting.textSize = 12.0;
    auto ext = open();
    ext->ui().defaultSaveTextExtension->setText(QStringLiteral("  MD "));
    ext->okButtonClicked();
    EXPECT_EQ(APPSETTING_GET_STRING(gAppSetting, defaultSaveTextExtension), QStringLiteral("MD"));
    EXPECT_EQ(open()->ui().defaultSaveTextExtension->text(), QStringLiteral("md"));

    auto typed = open();
    for (const auto &[text, held] : {std::pair{"1", "2"}, {"45", "30"}, {"8", "8"}}) {
        typed->ui().textTabLen->setText(QString::fromLatin1(text));
        typed->Change_textTabLen();
        EXPECT_EQ(typed->ui().textTabLen->text(), QString::fromLatin1(held));
    }
}

TEST_F(SettingDlgTest, ViewMarksRule)
{
    auto d = open();
    Ui::SettingDlg &u = d->ui();
    u.bViewMarks->setChecked(true);
    u.bViewMarks_showSpace->setChecked(false);
    u.bViewMarks_showTab->setChecked(false);
    u.bViewMarks_showEOL->setChecked(true);
    d->Change_bViewMarks();
    EXPECT_TRUE(u.bViewMarks->isChecked());
    QTest::mouseClick(u.bViewMarks_showEOL, Qt::LeftButton);
    EXPECT_FALSE(u.bViewMarks->isChecked());
    EXPECT_TRUE(u.bViewMarks_showTab->isChecked());
    EXPECT_TRUE(u.bViewMarks_showEOL->isChecked());
    EXPECT_FALSE(u.bViewMarks_showSpace->isEnabled());
}

TEST_F(SettingDlgTest, ExtensionTokens)
{
    QStringList list{QStringLiteral("txt")};
    // The loaded list comes back afterwards (dropping it would leak it).
    QStringList *const loaded = std::exchange(gAppSetting_compare_listOfTextSupportFileExt, &list);
    const auto restore =
        qScopeGuard([loaded] { gAppSetting_compare_listOfTextSupportFileExt = loaded; });
    auto d = open();
    TokenField *field = d->ui().bind_txt_listOfTextSupportFileExt_token;
    EXPECT_EQ(field->tokens(), QStringList{QStringLiteral("txt")});
    field->setStringValue(QStringLiteral("  TXT ;md,Md ,,\tc/h\\x\nY\r"));
    // Typed text not yet turned into a token counts too.
    field->editor()->setText(QStringLiteral("Lst"));
    d->okButtonClicked();
    EXPECT_EQ(list, (QStringList{QStringLiteral("txt"), QStringLiteral("md"), QStringLiteral("c"),
                                 QStringLiteral("h"), QStringLiteral("x"), QStringLiteral("y"),
                                 QStringLiteral("lst")}));
}

TEST_F(SettingDlgTest, FolderModeButtons)
{
    gAppSetting.folder_compare_Mode = 1;
    auto d = open();
    Ui::SettingDlg &u = d->ui();
    EXPECT_TRUE(u.compare_quickCompare_size->isChecked());
    EXPECT_TRUE(u.folder_compare_ignore_EndLineDiff->isHidden());
    QTest::mouseClick(u.compare_quickCompare_full, Qt::LeftButton);
    EXPECT_FALSE(u.compare_quickCompare_size->isChecked());
    EXPECT_FALSE(u.folder_compare_ignore_EndLineDiff->isHidden());
    // None on leaves the stored mode.
    u.compare_quickCompare_full->setChecked(false);
    d->okButtonClicked();
    EXPECT_EQ(+gAppSetting.folder_compare_Mode, 1);
}

TEST_F(SettingDlgTest, LanguageListAndRestartAlert)
{
    EXPECT_EQ(SettingDlg::OrderedLanguageCodes({QStringLiteral("zh"), QStringLiteral("pt"),
                                                QStringLiteral("en"), QStringLiteral("ar"),
                                                QStringLiteral("de"), QStringLiteral("en")}),
              (QStringList{QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("pt"),
                           QStringLiteral("ar"), QStringLiteral("zh")}));
    auto d = open();
    QComboBox *popup = d->ui().mPop_Languages;
    ASSERT_GE(popup->count(), 2);
    EXPECT_EQ(popup->itemText(popup->count() - 1), QStringLiteral("System default"));
    EXPECT_EQ(popup->currentIndex(), popup->count() - 1);
    const int english = popup->findData(QStringLiteral("en"));
    ASSERT_GE(english, 0);
    popup->setCurrentIndex(english);
    d->okButtonClicked();
    EXPECT_EQ(APPSETTING_GET_STRING(gAppSetting, languageCode), QStringLiteral("en"));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.contains(QStringLiteral("Restart Required")));
    // The same language again: no alert.
    auto same = open();
    EXPECT_EQ(same->ui().mPop_Languages->currentData().toString(), QStringLiteral("en"));
    same->okButtonClicked();
    EXPECT_EQ(alerts.size(), 1u);
    // Back to the system default.
    auto system = open();
    system->ui().mPop_Languages->setCurrentIndex(system->ui().mPop_Languages->count() - 1);
    system->okButtonClicked();
    EXPECT_EQ(APPSETTING_GET_STRING(gAppSetting, languageCode), QString());
    EXPECT_EQ(alerts.size(), 2u);
}

TEST_F(SettingDlgTest, RestoreDefaultsThenCancelKeepsDefaults)
{
    gAppSetting.textTabLen = 9;
    gAppSetting.bWrapText = 1;
    AppSetting_Save();
    auto d = open();
    EXPECT_EQ(d->ui().textTabLen->text(), QStringLiteral("9"));
    QTest::mouseClick(d->ui().mButton_RestoreDefaults, Qt::LeftButton);
    EXPECT_EQ(d->ui().textTabLen->text(), QStringLiteral("4"));
    d->cancelButtonClicked();
    EXPECT_EQ(+gAppSetting.textTabLen, 4);
    AppSetting_Load();
    EXPECT_EQ(+gAppSetting.textTabLen, 4);
    EXPECT_EQ(+gAppSetting.bWrapText, 0);
}

TEST_F(SettingDlgTest, HelpSwitchTurnsEveryHelpOffAndRestoreTurnsThemOn)
{
    LiveHelpDialogSetting_Forget(); // read from this test's support folder
    LiveHelpDialog::setShowHideAllLiveHelpDialog(true);
    auto d = open();
    QCheckBox *helps = d->ui().mChk_ShowLiveHelp;
    EXPECT_TRUE(helps->isVisibleTo(d->window()));
    EXPECT_TRUE(helps->isChecked());
    helps->setChecked(false);
    d->okButtonClicked();
    EXPECT_FALSE(LiveHelpDialog::isShowingLiveHelp());

    auto again = open();
    EXPECT_FALSE(again->ui().mChk_ShowLiveHelp->isChecked());
    QTest::mouseClick(again->ui().mButton_RestoreDefaults, Qt::LeftButton);
    // Restoring the defaults stores at once, also when the dialog is cancelled afterwards.
    EXPECT_TRUE(again->ui().mChk_ShowLiveHelp->isChecked());
    again->cancelButtonClicked();
    LiveHelpDialogSetting_Forget();
    EXPECT_TRUE(LiveHelpDialog::isShowingLiveHelp());
    LiveHelpDialogSetting_Forget();
}

TEST_F(SettingDlgTest, ThemeTemplatesWellsAndSample)
{
    auto d = open();
    Ui::SettingDlg &u = d->ui();
    QComboBox *themes = u.mCmb_ThemeList;
    ASSERT_GE(themes->count(), 2);
    EXPECT_EQ(themes->itemText(themes->count() - 1), QStringLiteral("Custom"));
    // A template fills every well and the sample's background.
    themes->setCurrentIndex(0);
    d->action_ChangeSyntax_Color(themes);
    const auto chosen = themes->itemData(0).value<std::shared_ptr<ThemeColor>>();
    ASSERT_TRUE(chosen);
    for (int slot = 0; slot < ThemeColor::SlotCount; ++slot)
        EXPECT_EQ(d->themeWell(slot)->color(), chosen->colorAt(slot)) << slot;
    EXPECT_EQ(u.mtxt_TextSample->palette().color(QPalette::Base),
              chosen->colorAt(ThemeColor::Background).toQColor());
    EXPECT_TRUE(u.mtxt_TextSample->toPlainText().contains(QStringLiteral("syntax 9;")));
    // "Custom" changes nothing.
    themes->setCurrentIndex(themes->count() - 1);
    d->action_ChangeSyntax_Color(themes);
    EXPECT_TRUE(d->currentTheme()->isEqual(chosen.get()));
    // A well changes the copy and the sample, not the current theme.
    const auto before = ThemeColor::getCurrent()->copy();
    d->themeWell(ThemeColor::Background)->setColor(platform::Color::deviceRGB(0.1, 0.2, 0.3));
    d->action_ChangeSyntax_Color(d->themeWell(ThemeColor::Background));
    EXPECT_EQ(d->currentTheme()->colorAt(ThemeColor::Background),
              platform::Color::deviceRGB(0.1, 0.2, 0.3));
    EXPECT_TRUE(ThemeColor::getCurrent()->isEqual(before.get()));
    // Half-point sizes: the label shows what is stored.
    u.mSlider_textSize->setValue(27);
    EXPECT_EQ(u.title_mSlider_textSize->text(), QStringLiteral("Text Size (13.5):"));
    d->cancelButtonClicked();
    EXPECT_TRUE(ThemeColor::getCurrent()->isEqual(before.get()));
}

TEST_F(SettingDlgTest, OkStoresTheThemeAndFollowsTheAppearanceUnlessCustom)
{
    int validations = 0;
    appCommandHooks().validateThemeForAppearance = [&] { ++validations; };
    auto d = open();
    d->ui().bThemeIsCustomByUser->setChecked(false);
    d->themeWell(ThemeColor::Comment)->setColor(platform::Color::deviceRGB(0.5, 0.25, 0.0));
    d->action_ChangeSyntax_Color(d->themeWell(ThemeColor::Comment));
    d->okButtonClicked();
    EXPECT_EQ(validations, 1);
    EXPECT_EQ(ThemeColor::getCurrent()->colorAt(ThemeColor::Comment),
              platform::Color::deviceRGB(0.5, 0.25, 0.0));
    auto custom = open();
    custom->ui().bThemeIsCustomByUser->setChecked(true);
    custom->action_Change_bThemeIsCustomByUser();
    EXPECT_TRUE(custom->ui().mCmb_ThemeList->isEnabled());
    custom->okButtonClicked();
    EXPECT_EQ(validations, 1);
    EXPECT_EQ(+gAppSetting.bThemeIsCustomByUser, 1);
    ThemeColor::restoreToDefault();
}

// OK with the application's own appearance check: under a dark appearance a built-in light theme
// gives way to the first dark template; a theme of the user's own stays as edited.
TEST_F(SettingDlgTest, OkUnderTheDarkAppearanceFollowsItUnlessCustom)
{
    appCommandHooks().validateThemeForAppearance = [] {
        ValidateThemeBaseOnCurrentMacDarkModeValue();
    };
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    QApplication::setPalette(dark);
    ResetDarkModeCache();
    const auto backgroundSum = [] {
        const QColor c = ThemeColor::getCurrent()->colorAt(ThemeColor::Background).toQColor();
        return c.red() + c.green() + c.blue();
    };

    ThemeColor::restoreToDefault();
    ASSERT_GT(backgroundSum(), 700);
    auto builtIn = open();
    builtIn->ui().bThemeIsCustomByUser->setChecked(false);
    builtIn->okButtonClicked();
    EXPECT_LE(backgroundSum(), 26);
    EXPECT_EQ(+gAppSetting.bIsDarkMode, 1);

    ThemeColor::restoreToDefault();
    auto own = open();
    own->ui().bThemeIsCustomByUser->setChecked(true);
    own->okButtonClicked();
    EXPECT_GT(backgroundSum(), 700);

    QApplication::setPalette(saved);
    ResetDarkModeCache();
    ThemeColor::restoreToDefault();
}

TEST_F(SettingDlgTest, FontNamesThatDoNotExistStoreTheDefault)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    APPSETTING_SET_STRING(gAppSetting, fontName, families.last());
    auto d = open();
    EXPECT_EQ(d->ui().mCmb_FontName->currentText(), families.last());
    d->ui().mCmb_FontName->setEditable(true);
    d->ui().mCmb_FontName->setEditText(QStringLiteral("No Such Font 123"));
    d->okButtonClicked();
    EXPECT_EQ(APPSETTING_GET_STRING(gAppSetting, fontName), GetDefaultFixedFontName());
    // A stored font that is gone shows the default, and so does the sample, in fixed pitch as
    // the text windows show it.
    APPSETTING_SET_STRING(gAppSetting, fontName, QStringLiteral("Gone Font"));
    auto fallback = open();
    EXPECT_EQ(fallback->ui().mCmb_FontName->currentText(), GetDefaultFixedFontName());
    const QFontMetricsF sample(fallback->ui().mtxt_TextSample->font());
    EXPECT_DOUBLE_EQ(sample.horizontalAdvance(QStringLiteral("iiii")),
                     sample.horizontalAdvance(QStringLiteral("WWWW")))
        << QFontInfo(fallback->ui().mtxt_TextSample->font()).family().toStdString();
}

} // namespace
