#include "platform/Alerts.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/Fonts.h"
#include "services/SupportFolder.h"
#include "services/WindowFrame.h"
#include "shell/AppCommands.h"
#include "shell/SettingDlg.h"
#include "support/TestEnvironment.h"
#include "themes/MyColorWell.h"
#include "themes/ThemeColor.h"
#include "ui_SettingDlg.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
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

// Each row changes one control and names the record bytes it must change on OK.
TEST_F(SettingDlgTest, EveryControlReachesItsField)
{
    struct Row
    {
        const char *name;
        std::function<void(Ui::SettingDlg &, SettingDlg &)> change;
        std::function<bool(const AppSetting &)> stored;
    };
    auto flip = [](QCheckBox *b) { b->setChecked(!b->isChecked()); };
    const Row rows[] = {
        {"wrap", [&](auto &u, auto &) { flip(u.bWrapText); },
         [](const AppSetting &s) { return s.bWrapText == 1; }},
        {"auto indent", [&](auto &u, auto &) { flip(u.bAutoIndent); },
         [](const AppSetting &s) { return s.bAutoIndent == 0; }},
        {"keep untitled", [&](auto &u, auto &) { flip(u.bAutoSaveUntitleTabBeforeQuit); },
         [](const AppSetting &s) { return s.bAutoSaveUntitleTabBeforeQuit == 0; }},
        {"links", [&](auto &u, auto &) { flip(u.bAllowDetectLink); },
         [](const AppSetting &s) { return s.bAllowDetectLink == 1; }},
        {"line numbers", [&](auto &u, auto &) { flip(u.bShowLineNumber); },
         [](const AppSetting &s) { return s.bShowLineNumber == 0; }},
        {"end of line", [&](auto &u, auto &) { flip(u.bShowEndOfLineMark); },
         [](const AppSetting &s) { return s.bShowEndOfLineMark == 1; }},
        {"hidden files", [&](auto &u, auto &) { flip(u.bIgnore_MacHiddenFile); },
         [](const AppSetting &s) { return s.bIgnore_MacHiddenFile == 0; }},
        {"separate window", [&](auto &u, auto &) { flip(u.bOpenNewFileInSeparateDocumentWindow); },
         [](const AppSetting &s) { return s.bOpenNewFileInSeparateDocumentWindow == 1; }},
        {"BOM", [&](auto &u, auto &) { flip(u.save_Coding_BOM); },
         [](const AppSetting &s) { return s.save_Coding_BOM == 1; }},
        {"line end", [&](auto &u, auto &) { u.save_Coding_EndLine->setCurrentIndex(2); },
         [](const AppSetting &s) { return s.save_Coding_EndLine == 2; }},
        {"group write", [&](auto &u, auto &) { flip(u.save_Permission_Group_W); },
         [](const AppSetting &s) { return s.save_Permission_Group_W == 1; }},
        {"others read", [&](auto &u, auto &) { flip(u.save_Permission_Others_R); },
         [](const AppSetting &s) { return s.save_Permission_Others_R == 0; }},
        {"backup", [&](auto &u, auto &) { flip(u.save_OverwriteBackupToTmp); },
         [](const AppSetting &s) { return s.save_OverwriteBackupToTmp == 1; }},
        {"smart quotes", [&](auto &u, auto &) { flip(u.SmartQuotes); },
         [](const AppSetting &s) { return s.SmartQuotes == 1; }},
        {"text replacement", [&](auto &u, auto &) { flip(u.TextReplacement); },
         [](const AppSetting &s) { return s.TextReplacement == 1; }},
        {"grammar", [&](auto &u, auto &) { flip(u.spelling_GrammarCheckingEnabled); },
         [](const AppSetting &s) { return s.spelling_GrammarCheckingEnabled == 1; }},
        {"show folders", [&](auto &u, auto &) { flip(u.compare_showFolder); },
         [](const AppSetting &s) { return s.compare_showFolder == 0; }},
        {"trash", [&](auto &u, auto &) { flip(u.compare_deletesFilesToTrash); },
         [](const AppSetting &s) { return s.compare_deletesFilesToTrash == 0; }},
        {"content mode",
         [&](auto &u, auto &d) { d.compare_quickCompare_change(u.compare_quickCompare_full); },
         [](const AppSetting &s) { return s.folder_compare_Mode == 3; }},
        {"print page",
         [&](auto &u, auto &d) { d.printPageGroup(true)->button(2)->setChecked(true); },
         [](const AppSetting &s) { return s.printPage_Ver == 2; }},
        {"margin", [&](auto &u, auto &) { u.mPrintMargin_T->setText(QStringLiteral("12.5")); },
         [](const AppSetting &s) { return s.printMargin_T == 13; }},
        {"centre", [&](auto &u, auto &) { flip(u.mPrintCenter_Ver); },
         [](const AppSetting &s) { return s.printCenter_Ver == 1; }},
        {"tab width", [&](auto &u, auto &) { u.textTabLen->setText(QStringLiteral("45")); },
         [](const AppSetting &s) { return s.textTabLen == 30; }},
        {"extension",
         [&](auto &u, auto &) { u.defaultSaveTextExtension->setText(QStringLiteral("  MD ")); },
         [](const AppSetting &s) {
             // Stored as typed, shown lower-cased the next time.
             return APPSETTING_GET_STRING(s, defaultSaveTextExtension)
                        .compare(QStringLiteral("MD"), Qt::CaseInsensitive) == 0;
         }},
        {"empty extension", [&](auto &u, auto &) { u.defaultSaveTextExtension->clear(); },
         [](const AppSetting &s) {
             return APPSETTING_GET_STRING(s, defaultSaveTextExtension) == QStringLiteral("txt");
         }},
        {"text size", [&](auto &u, auto &) { u.mSlider_textSize->setValue(27); },
         [](const AppSetting &s) { return s.textSize == 13.5; }},
        {"own colours", [&](auto &u, auto &) { flip(u.compare_FileList_bUseDefaultColor); },
         [](const AppSetting &s) { return s.compare_FileList_bUseDefaultColor == 0; }},
    };
    for (const Row &row : rows) {
        AppSetting_SetDefault(&gAppSetting);
        const AppSetting before = gAppSetting;
        auto d = open();
        row.change(d->ui(), *d);
        d->okButtonClicked();
        EXPECT_TRUE(row.stored(gAppSetting)) << row.name;
        // Nothing else moved (the tab shown last and the dark byte aside).
        AppSetting expected = gAppSetting;
        expected.settingDialogLastTabIndex = before.settingDialogLastTabIndex;
        expected.bIsDarkMode = before.bIsDarkMode;
        int differing = 0;
        const QByteArray a = AppSetting_ToData(before), b = AppSetting_ToData(expected);
        for (int i = 0; i < a.size(); ++i)
            differing += a[i] != b[i];
        EXPECT_LE(differing, 8) << row.name; // one field of at most 8 bytes
        // And shown again as stored.
        auto again = open();
        again->okButtonClicked();
        EXPECT_TRUE(row.stored(gAppSetting)) << row.name << " (second round)";
    }
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
    gAppSetting_compare_listOfTextSupportFileExt = &list;
    auto d = open();
    EXPECT_EQ(d->ui().bind_txt_listOfTextSupportFileExt_token->text(), QStringLiteral("txt"));
    d->ui().bind_txt_listOfTextSupportFileExt_token->setText(
        QStringLiteral("  TXT ;md,Md ,,\tc/h\\x\nY\r"));
    d->okButtonClicked();
    EXPECT_EQ(list, (QStringList{QStringLiteral("txt"), QStringLiteral("md"), QStringLiteral("c"),
                                 QStringLiteral("h"), QStringLiteral("x"), QStringLiteral("y")}));
    gAppSetting_compare_listOfTextSupportFileExt = nullptr;
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
    // A stored font that is gone shows the default.
    APPSETTING_SET_STRING(gAppSetting, fontName, QStringLiteral("Gone Font"));
    EXPECT_EQ(open()->ui().mCmb_FontName->currentText(), GetDefaultFixedFontName());
}

} // namespace
