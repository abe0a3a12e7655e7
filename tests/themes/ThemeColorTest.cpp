#include "themes/ThemeColor.h"

#include "platform/UserDefaults.h"
#include "services/EncodedFile.h"
#include "services/SupportFolder.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <clocale>
#include <gtest/gtest.h>

using platform::Color;

namespace {

void expectRGBA(const Color &c, double r, double g, double b, double a, const char *what)
{
    ASSERT_TRUE(c.isValid()) << what;
    EXPECT_NEAR(c.redComponent(), r, 1e-6) << what;
    EXPECT_NEAR(c.greenComponent(), g, 1e-6) << what;
    EXPECT_NEAR(c.blueComponent(), b, 1e-6) << what;
    EXPECT_NEAR(c.alphaComponent(), a, 1e-6) << what;
}

const char *kSyntaxKeys[] = {"theme.syntax.plain",
                             "theme.syntax.comment",
                             "theme.syntax.url",
                             "theme.syntax.character",
                             "theme.syntax.string",
                             "theme.syntax.number",
                             "theme.syntax.identifier.function",
                             "theme.syntax.identifier.macro",
                             "theme.syntax.keyword",
                             "theme.syntax.identifier.type.system",
                             "theme.syntax.identifier.constant",
                             "theme.syntax.attribute",
                             "theme.syntax.preprocessor",
                             "theme.syntax.identifier.class",
                             "theme.syntax.identifier.constant.system"};

// A theme file's text; `skip` leaves one syntax key out, `text` and `background` set those two.
QByteArray themeFile(const char *text = "0 0 0", const char *background = "1 1 1",
                     const char *skip = nullptr, bool withSyntax = true)
{
    QByteArray s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n";
    s += "<key>PelkoSourceTextBackground</key><string>" + QByteArray(background) + "</string>\n";
    s += "<key>PelkoSourceTextInsertionPointColor</key><string>0 0 0</string>\n";
    s += "<key>PelkoSourceTextSelectionColor</key><string>0.5 0.5 1 1</string>\n";
    if (withSyntax) {
        s += "<key>PelkoSourceTextSyntaxColors</key><dict>\n";
        for (const char *key : kSyntaxKeys) {
            if (skip && qstrcmp(skip, key) == 0)
                continue;
            const QByteArray value =
                qstrcmp(key, "theme.syntax.plain") == 0 ? QByteArray(text) : "0.1 0.2 0.3";
            s += "<key>" + QByteArray(key) + "</key><string>" + value + "</string>\n";
        }
        s += "</dict>\n";
    }
    return s + "</dict></plist>\n";
}

class ThemeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDir = pelkotest::freshDir("theme");
        platform::UserDefaults::standard().setFilePath(mDir + "/defaults.plist");
        ASSERT_TRUE(PrepareSupportFolder(mDir + "/support"));
        SetBundleResourceFolder(pelkotest::binaryDir() + "/Resources");
        ResetCurrentThemeCache();
        ResetThemeTemplateCache();
    }
    void TearDown() override
    {
        ResetCurrentThemeCache();
        ResetThemeTemplateCache();
        SetBundleResourceFolder(QString());
    }
    std::shared_ptr<ThemeColor> themeFromText(const QByteArray &text, const QString &name = "t")
    {
        const QString path = mDir + "/" + name + ".plist";
        EXPECT_TRUE(pelkotest::writeFile(path, text));
        return ThemeColor::createThemeFromFile(path);
    }
    QString mDir;
};

} // namespace

TEST(ThemeFileColorText, ParsesNumbersInTheCLocaleAndClamps)
{
    const char *saved = setlocale(LC_NUMERIC, nullptr);
    const std::string savedLocale = saved ? saved : "C";
    setlocale(LC_NUMERIC, "de_DE.UTF-8"); // a decimal comma must not matter
    struct Row
    {
        const char *text;
        bool valid;
        double r, g, b, a;
    };
    const Row rows[] = {
        {"0.5 0.25 1", true, 0.5, 0.25, 1.0, 1.0},
        {"1.5 -2 0.5 3", true, 1.0, 0.0, 0.5, 1.0},
        {"0.2  0.4 0.6", true, 0.2, 0.0, 0.4, 0.6},
        {"  0.1 0.2 0.3 0.4 9\n", true, 0.1, 0.2, 0.3, 0.4},
        {"x 0.5abc nan", true, 0.0, 0.5, 0.0, 1.0},
        {"0,5 0 0", true, 0.0, 0.0, 0.0, 1.0},
        {"0.5 0.25", false, 0, 0, 0, 0},
        {"   ", false, 0, 0, 0, 0},
    };
    for (const Row &row : rows) {
        const Color c = ThemeFile_GetColor_FromText(QString::fromLatin1(row.text));
        if (!row.valid) {
            EXPECT_FALSE(c.isValid()) << row.text;
            continue;
        }
        EXPECT_EQ(c.colorSpace(), platform::ColorSpace::CalibratedRGB) << row.text;
        expectRGBA(c, row.r, row.g, row.b, row.a, row.text);
    }
    setlocale(LC_NUMERIC, savedLocale.c_str());
}

TEST_F(ThemeTest, ReadsThemeFilesAndComputesTheFindMark)
{
    auto theme = themeFromText(themeFile());
    ASSERT_TRUE(theme);
    expectRGBA(theme->mColor_FindMark(), 1, 1, 0, 1, "black on white");
    expectRGBA(theme->mColor_Syntax9(), 0.1, 0.2, 0.3, 1, "syntax 9");
    expectRGBA(theme->PelkoSourceTextSelectionColor(), 0.5, 0.5, 1, 1, "selection");

    expectRGBA(themeFromText(themeFile("1 1 1", "0 0 0"))->mColor_FindMark(), 0, 0, 1, 1,
               "white on black");
    expectRGBA(themeFromText(themeFile("0.2 0.4 0.9", "0.5 0.6 0.3"))->mColor_FindMark(), 0.8, 0.6,
               0.7, 1, "mixed");

    // An enciphered file reads the same.
    ASSERT_TRUE(App_MyEncodeFile_Write(mDir + "/enc.theme", themeFile("1 1 1", "0 0 0")));
    expectRGBA(ThemeColor::createThemeFromFile(mDir + "/enc.theme")->mColor_DefaultText(), 1, 1, 1,
               1, "enciphered");
}

TEST_F(ThemeTest, BrokenThemeFilesNeverGiveAPartialTheme)
{
    const ThemeColor defaults;
    auto missingKey = themeFromText(themeFile("0 0 0", "1 1 1", "theme.syntax.preprocessor"));
    ASSERT_TRUE(missingKey);
    EXPECT_TRUE(missingKey->isEqual(&defaults));
    auto badColour = themeFromText(themeFile("0 0", "1 1 1"));
    ASSERT_TRUE(badColour);
    EXPECT_TRUE(badColour->isEqual(&defaults));

    EXPECT_EQ(themeFromText(themeFile("0 0 0", "1 1 1", nullptr, false)), nullptr);
    EXPECT_EQ(themeFromText("not a property list"), nullptr);
    EXPECT_EQ(themeFromText("<plist version=\"1.0\"><array/></plist>"), nullptr);
    auto missingFile = ThemeColor::createThemeFromFile(mDir + "/none.plist");
    ASSERT_TRUE(missingFile);
    EXPECT_TRUE(missingFile->isEqual(&defaults));
}

TEST_F(ThemeTest, WrittenThemeReadsBackEqual)
{
    auto theme = ThemeColor::create();
    theme->setMColor_Comment(Color::calibratedRGB(0.25, 0.5, 0.75));
    theme->setPelkoSourceTextBackground(Color::calibratedWhite(0.1));
    ASSERT_TRUE(theme->writeToFile(mDir + "/w.plist"));
    auto back = ThemeColor::createThemeFromFile(mDir + "/w.plist");
    ASSERT_TRUE(back);
    back->setMColor_FindMark(theme->mColor_FindMark()); // computed on reading
    EXPECT_TRUE(back->isEqual(theme.get()));
}

TEST_F(ThemeTest, EqualityToleranceValidateAndCopy)
{
    auto a = ThemeColor::create();
    auto b = a->copy();
    b->setMColor_Number(Color::calibratedRGB(0.004, 0, 1));
    EXPECT_TRUE(a->isEqual(b.get()));
    b->setMColor_Number(Color::calibratedRGB(0.02, 0, 1));
    EXPECT_FALSE(a->isEqual(b.get()));
    EXPECT_FALSE(a->isEqual(nullptr));

    b->setMColor_Syntax3(Color());
    EXPECT_FALSE(b->validate());
    EXPECT_TRUE(b->isEqual(a.get())); // back to the defaults
    EXPECT_TRUE(b->validate());
}

TEST_F(ThemeTest, ColourByIndex)
{
    auto theme = ThemeColor::create();
    theme->setMColor_Syntax1(Color::calibratedRGB(0.1, 0.1, 0.1));
    theme->setMColor_Comment(Color::calibratedRGB(0.3, 0.3, 0.3));
    ThemeColor::setCurrentTheme(theme);
    EXPECT_EQ(GetApp_Color_Text_Default_WithIndex(1991), theme->mColor_Syntax1());
    EXPECT_EQ(GetApp_Color_Text_Default_WithIndex(1), theme->mColor_Syntax1());
    EXPECT_EQ(GetApp_Color_Text_Default_WithIndex(999), theme->mColor_Comment());
    EXPECT_EQ(GetApp_Color_Text_Default_WithIndex(9), theme->mColor_Syntax9());
    for (int index : {10, 995, 2000, -1})
        EXPECT_EQ(GetApp_Color_Text_Default_WithIndex(index), Color::blue()) << index;
}

TEST_F(ThemeTest, CurrentThemeIsStoredInTheUserDefaults)
{
    auto &defaults = platform::UserDefaults::standard();
    pelkotest::LogCapture capture;
    auto first = ThemeColor::getCurrent(); // nothing stored: the defaults, now stored
    EXPECT_TRUE(first->isEqual(ThemeColor::create().get()));
    EXPECT_TRUE(defaults.hasKey("gCurrentTheme.mColor_Syntax9"));
    EXPECT_EQ(capture.reportCount(), 0) << "a first start is no damage";

    auto theme = ThemeColor::create();
    theme->setMColor_String(Color::calibratedRGB(0.2, 0.4, 0.6));
    ThemeColor::setCurrentTheme(theme);
    EXPECT_EQ(ThemeColor::getCurrent(), theme);
    ThemeColor::setCurrentTheme(nullptr);
    EXPECT_EQ(ThemeColor::getCurrent(), theme);

    ResetCurrentThemeCache();
    defaults.reload();
    EXPECT_TRUE(ThemeColor::getCurrent()->isEqual(theme.get()));

    // A damaged stored entry turns the current theme into the defaults, stored again.
    defaults.setData(QByteArray("junk"), "gCurrentTheme.mColor_DefaultText");
    ResetCurrentThemeCache();
    capture.clear();
    EXPECT_TRUE(ThemeColor::getCurrent()->isEqual(ThemeColor::create().get()));
    EXPECT_TRUE(capture.hasFatalReport()) << "a damaged stored theme is reported";
    ResetCurrentThemeCache();
    EXPECT_TRUE(ThemeColor::loadFromHistory()->isEqual(ThemeColor::create().get()));

    ThemeColor::setCurrentTheme(theme);
    ThemeColor::restoreToDefault();
    EXPECT_TRUE(ThemeColor::getCurrent()->isEqual(ThemeColor::create().get()));
}

TEST_F(ThemeTest, TemplatesComeFromTheBundleArchiveAndKeepUserFiles)
{
    const QString folder = gSupportFolder + "/colorThemes";
    QDir().mkpath(folder);
    // Five entries or fewer: refilled from the archive; a file of the user's stays.
    ASSERT_TRUE(pelkotest::writeFile(folder + "/_Mine.plist", themeFile()));
    ASSERT_TRUE(pelkotest::writeFile(folder + "/Classic.plist", "damaged"));
    const QStringList paths = GetApp_Color_ThemeTemplate_FilePaths_List();
    EXPECT_GT(paths.size(), 5);
    EXPECT_TRUE(QFile::exists(folder + "/_Mine.plist"));
    EXPECT_NE(pelkotest::readFile(folder + "/Classic.plist"), QByteArray("damaged"));

    QList<std::shared_ptr<ThemeColor>> themes;
    QStringList names;
    ASSERT_TRUE(GetApp_Color_ThemeTemplate_ThemeColor_List(&themes, &names));
    EXPECT_EQ(themes.size(), names.size());
    EXPECT_FALSE(names.contains("_Mine"));
    EXPECT_FALSE(GetApp_Color_ThemeTemplate_ThemeColor_List(nullptr, &names));

    // At least one light and one dark template for the appearance check.
    auto sum = [](const Color &c) {
        return int(c.redComponent() * 255) + int(c.greenComponent() * 255) +
               int(c.blueComponent() * 255);
    };
    bool light = false, dark = false;
    for (const auto &t : themes) {
        light |= sum(t->PelkoSourceTextBackground()) >= 739;
        dark |= sum(t->PelkoSourceTextBackground()) <= 26;
    }
    EXPECT_TRUE(light);
    EXPECT_TRUE(dark);
}

TEST_F(ThemeTest, MoreThanFiveEntriesAreUsedAsTheyAre)
{
    const QString folder = gSupportFolder + "/colorThemes";
    QDir().mkpath(folder);
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(pelkotest::writeFile(folder + QString("/T%1.plist").arg(i), themeFile()));
    const QStringList paths = GetApp_Color_ThemeTemplate_FilePaths_List();
    EXPECT_EQ(paths.size(), 6);
    EXPECT_FALSE(QFile::exists(folder + "/Classic.plist"));
}

TEST_F(ThemeTest, MissingArchiveLeavesTheFolderAlone)
{
    SetBundleResourceFolder(mDir + "/no-bundle");
    const QString folder = gSupportFolder + "/colorThemes";
    QDir().mkpath(folder);
    ASSERT_TRUE(pelkotest::writeFile(folder + "/Mine.plist", themeFile()));
    EXPECT_TRUE(GetApp_Color_ThemeTemplate_FilePaths_List().isEmpty());
    EXPECT_TRUE(QFile::exists(folder + "/Mine.plist"));
}

TEST_F(ThemeTest, PopUpListsSelectsAndAnswersTemplates)
{
    QComboBox popup;
    Setup_ThemeTemplateList_ComboBox(&popup);
    ASSERT_GT(popup.count(), 5);
    popup.addItem("Custom");

    ASSERT_TRUE(GetSelectedTheme_From_ComboBox(&popup));
    popup.setCurrentIndex(2);
    auto wanted = GetSelectedTheme_From_ComboBox(&popup)->copy();
    popup.setCurrentIndex(0);
    Select_ItemBaseOnThemeColor_ThemeTemplateList_ComboBox(&popup, wanted, "Custom");
    EXPECT_EQ(popup.currentIndex(), 2);

    auto odd = ThemeColor::create();
    odd->setMColor_Number(Color::calibratedRGB(0.123, 0.456, 0.789));
    Select_ItemBaseOnThemeColor_ThemeTemplateList_ComboBox(&popup, odd, "Custom");
    EXPECT_EQ(popup.currentText(), "Custom");
    EXPECT_EQ(GetSelectedTheme_From_ComboBox(&popup), nullptr);
}
