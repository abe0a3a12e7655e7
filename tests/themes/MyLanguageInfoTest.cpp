#include "themes/MyLanguageInfo.h"

#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/EncodedFile.h"
#include "themes/LanguageList.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<MyLanguageInfo> parse(const QString &text, const QString &name = "test.myrsctx",
                                      bool bEncode = true)
{
    auto info = MyLanguageInfo::create();
    return info->resetWithText(text, name, bEncode) ? info : nullptr;
}

const char *kSmall = "#CommentBegin=/*\n#CommentEnd=*/\n#LineComment1=//\n#Escape=\\\n"
                     "#SupportFileTypes= CPP ; hpp;;\n"
                     "#Keyword color=3,case=on\nint\nfor\n"
                     "#Keyword color=5,case=off\nnull\nTrue\n";

// Word lookups go through zero-terminated UTF-16.
MyLanguageKeyWord *lookup(MyLanguageInfo &info, const QString &word)
{
    std::u16string units(reinterpret_cast<const char16_t *>(word.utf16()), size_t(word.size()));
    return info.typeForWord(units.c_str());
}

class LanguageDefaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().setFilePath(pelkotest::freshDir() + "/defaults.plist");
        gAppLanguageInfoList.clear();
    }
    void TearDown() override { gAppLanguageInfoList.clear(); }
};

} // namespace

TEST(MyLanguageInfo, RefusesTooShortOrKeywordlessTextsAndDirectivesWithoutEquals)
{
    struct Row
    {
        const char *name;
        const char *text;
        bool ok;
    };
    const Row rows[] = {
        {"empty", "", false},
        {"two lines", "#Keyword color=1\nint", false},
        {"three lines with one group", "#Keyword color=1\nint\n", true},
        {"no keyword group", "#CommentBegin=/*\n#CommentEnd=*/\n;x\n", false},
        {"directive without =", "#CommentBegin\n#Keyword color=1\nint\n", false},
        {"unknown directive is skipped", "#Whatever=1\n#Keyword color=1\nint\n", true},
        {"other lines are skipped", "garbage line\n#Keyword color=1\nint\n", true},
        {"CR line ends", "#LineComment1=//\r#Keyword color=1\rint\r", true},
    };
    for (const Row &row : rows)
        EXPECT_EQ(parse(QString::fromUtf8(row.text)) != nullptr, row.ok) << row.name;
}

TEST(MyLanguageInfo, ReadsDirectivesAndGroupsAsWritten)
{
    auto info = parse(QString::fromUtf8(
        "#HighlightBraces=off\n#ContinueQuote=ON\n#SpecialSyntax=off\n#ScriptBegin=<?\n"
        "#CommentBegin=\n#LineComment1=^\n#LineComment2=^;\n#Escape=\\\\\n"
        "#Keyword color=7,rightall2=on,case=off,regexp=off,cus=1,bogus=1,x\n"
        "alpha\n\n;comment\nb\n#Keyword color=2abc\n#Keyword\nlast\n"));
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->HighlightBraces());
    EXPECT_TRUE(info->Highlight());
    EXPECT_TRUE(info->ContinueQuote());
    EXPECT_TRUE(info->SpecialSyntax().isNull());
    EXPECT_EQ(info->ScriptBegin(), "<?");
    EXPECT_TRUE(info->CommentBegin().isNull());
    EXPECT_EQ(info->CommentBegin_c(), nullptr);
    EXPECT_EQ(info->LineComment1(), "^");
    EXPECT_EQ(info->LineComment2(), ";");
    EXPECT_EQ(info->Escape_c(), u'\\');

    ASSERT_EQ(info->keywords().size(), 3);
    const auto &g = *info->keywords()[0];
    EXPECT_EQ(g.colorIndex(), 7);
    EXPECT_TRUE(g.rightall2());
    EXPECT_FALSE(g.rightall());
    EXPECT_FALSE(g.bCase());
    EXPECT_EQ(g.keys(), QStringList({"alpha", "b"}));
    EXPECT_EQ(info->keywords()[1]->colorIndex(), 2);
    EXPECT_TRUE(info->keywords()[1]->keys().isEmpty());
    EXPECT_EQ(info->keywords()[2]->keys(), QStringList({"last"}));
}

TEST(MyLanguageInfo, LineCommentCaretsAndExchange)
{
    auto twoCarets = parse("#LineComment1=^^\n#Keyword color=1\nint\n");
    ASSERT_TRUE(twoCarets);
    EXPECT_EQ(twoCarets->LineComment1(), "^^");

    auto onlySecond = parse("#LineComment2=rem\n#Keyword color=1\nint\n");
    ASSERT_TRUE(onlySecond);
    EXPECT_EQ(onlySecond->LineComment1(), "rem"); // exchanged by hasComment
    EXPECT_EQ(onlySecond->hasCommentLine(), "rem ");
    EXPECT_FALSE(onlySecond->hasCommentBlock());
}

TEST(MyLanguageInfo, ShownNames)
{
    EXPECT_EQ(parse(kSmall, "/x/My_Lang.esy", false)->nameShow(), "my lang (*)imported");
    EXPECT_EQ(parse(kSmall, "/x/CSharp.myrsctx")->nameShow(), "c#");
    EXPECT_EQ(parse(kSmall, "/x/Cpp.myrsctx")->nameShow(), "c++");
    EXPECT_EQ(parse(kSmall, "/x/Cpp.myrsctx")->name(), "Cpp");
    EXPECT_EQ(parse(kSmall)->supportFileTypes(), QStringList({"cpp", "hpp"}));
}

TEST(MyLanguageInfo, WordTablesFindEveryWordAndNothingBetween)
{
    for (int count = 1; count <= 6; ++count) {
        QString text = "#Keyword color=4\n";
        QStringList words;
        for (int i = 0; i < count; ++i)
            words << QString("w%1m").arg(char('b' + 2 * i));
        text += words.join('\n') + '\n';
        auto info = parse(text);
        ASSERT_TRUE(info);
        for (const QString &w : words) {
            ASSERT_NE(lookup(*info, w), nullptr) << count << " " << w.toStdString();
            EXPECT_EQ(lookup(*info, w)->colorIndex(), 4);
        }
        for (int i = 0; i <= count; ++i) // between, before and after the entries
            EXPECT_EQ(lookup(*info, QString("w%1m").arg(char('a' + 2 * i))), nullptr) << count;
    }
}

TEST(MyLanguageInfo, CaseRulesAndFirstGroupWins)
{
    auto info = parse("#Keyword color=1,case=on\nint\nNull\n#Keyword color=2,case=on\nint\n"
                      "#Keyword color=3,case=off\nnull\nTrue\nSelect\nfrom\nwhere\n");
    ASSERT_TRUE(info);
    EXPECT_EQ(lookup(*info, "int")->colorIndex(), 1);
    EXPECT_EQ(lookup(*info, "INT"), nullptr);
    EXPECT_EQ(lookup(*info, "Null")->colorIndex(), 1); // exact case-sensitive hit first
    EXPECT_EQ(lookup(*info, "NULL")->colorIndex(), 3);
    EXPECT_EQ(lookup(*info, "sElEcT")->colorIndex(), 3);
    EXPECT_EQ(lookup(*info, "WHERE")->colorIndex(), 3);
    EXPECT_EQ(lookup(*info, ""), nullptr);
    EXPECT_EQ(info->typeForWord(nullptr), nullptr);
}

TEST(MyLanguageInfo, ReadsEncipheredAndPlainFiles)
{
    const QString dir = pelkotest::freshDir();
    ASSERT_TRUE(App_MyEncodeFile_Write(dir + "/Go.myrsctx", kSmall));
    auto enc = MyLanguageInfo::createFromFile(dir + "/Go.myrsctx", true);
    ASSERT_TRUE(enc);
    EXPECT_EQ(enc->nameShow(), "go");
    EXPECT_EQ(enc->filePath(), dir + "/Go.myrsctx");

    QByteArray utf16 = QByteArray("\xff\xfe");
    const QString plainText = QString::fromUtf8(kSmall) + QString::fromUtf8("caf\xc3\xa9\n");
    utf16.append(reinterpret_cast<const char *>(plainText.utf16()), plainText.size() * 2);
    ASSERT_TRUE(pelkotest::writeFile(dir + "/Plain.esy", utf16)); // any encoding the reader knows
    auto plain = MyLanguageInfo::createFromFile(dir + "/Plain.esy", false);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->keywords().last()->keys().contains(QString::fromUtf8("caf\xc3\xa9")));

    EXPECT_EQ(MyLanguageInfo::createFromFile(dir + "/missing.myrsctx", true), nullptr);
    ASSERT_TRUE(pelkotest::writeFile(dir + "/Bad.esy", "#Keyword color=1\n"));
    EXPECT_EQ(MyLanguageInfo::createFromFile(dir + "/Bad.esy", false), nullptr);
}

TEST(MyLanguageInfo, OversizedFilesAreRefusedUnreadAndNoContentIsLogged)
{
    const QString dir = pelkotest::freshDir();
    const QByteArray marker("SECRET-LINE-MARKER");
    const QByteArray definition = "#CommentBegin=/*\n#CommentEnd=*/\n" + marker +
                                  " is not a directive\n#Keyword color=1\nint\n";
    struct Row
    {
        const char *name;
        QByteArray bytes;
        bool parsed;
    };
    const Row rows[] = {
        {"a definition with an unsupported line", definition, true},
        {"the same beyond the size of any definition",
         definition + QByteArray(kMaxLanguageFileBytes, ';'), false},
        {"an unknown directive",
         "#CommentBegin=/*\n#CommentEnd=*/\n#" + marker + "=1\n#Keyword color=1\nint\n", true},
        {"an unknown setting of a keyword group",
         "#CommentBegin=/*\n#CommentEnd=*/\n#Keyword color=1," + marker + "=1\nint\n", true},
        {"a word listed twice",
         "#CommentBegin=/*\n#CommentEnd=*/\n#Keyword color=1\n" + marker + "\n" + marker + "\n",
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        pelkotest::LogCapture log;
        ASSERT_TRUE(pelkotest::writeFile(dir + "/Lang.esy", row.bytes));
        const auto language = MyLanguageInfo::createFromFile(dir + "/Lang.esy", false);
        EXPECT_EQ(language != nullptr, row.parsed);
        if (language)
            language->typeForWord(u"x"); // builds the word tables, which note repeated words
        EXPECT_FALSE(log.lines().isEmpty());
        for (const QString &line : log.lines())
            EXPECT_FALSE(line.contains(QString::fromLatin1(marker))) << qPrintable(line);
        EXPECT_FALSE(log.reports().contains(marker));
    }
}

TEST_F(LanguageDefaults, FileTypeMappingIsRememberedAndFallsBack)
{
    auto c = parse("#SupportFileTypes=c;h\n#Keyword color=1\nint\n", "C.myrsctx");
    auto cpp = parse("#SupportFileTypes=cpp;h\n#Keyword color=1\nint\n", "Cpp.myrsctx");
    auto java = parse("#SupportFileTypes=java\n#Keyword color=1\nint\n", "Java.myrsctx");
    gAppLanguageInfoList = {c, cpp, java};
    auto &defaults = platform::UserDefaults::standard();

    EXPECT_EQ(MyLanguageInfo::languageWith_fileType(" H ", false), c); // the earlier one wins
    EXPECT_EQ(defaults.stringForKey("lang_for_type_h"), "c");
    defaults.setString("c++", "lang_for_type_h"); // a user's choice is taken first
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("h", false), cpp);
    defaults.setString("gone", "lang_for_type_h"); // a stale choice falls back to the search
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("h", false), c);

    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("xyz", false), nullptr);
    APPSETTING_SET_STRING(gAppSetting, bAutoHightLightText_WithLanguage, "JAVA");
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("xyz", true), java);
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("", true), java);
    APPSETTING_SET_STRING(gAppSetting, bAutoHightLightText_WithLanguage, "");
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("xyz", true), nullptr);

    EXPECT_EQ(MyLanguageInfo::languageWith_nameShow("(None)"), nullptr);
    EXPECT_EQ(MyLanguageInfo::languageWith_nameShow("C++"), cpp);
}

TEST(MyLanguageInfo, ShippedDefinitionsLoadWithoutALogLine)
{
    // Opening a file of any shipped language writes nothing to the log: no word is listed twice
    // and the tables are built silently.
    const QDir folder(pelkotest::sourceDir() + QStringLiteral("/resources/languages"));
    const QStringList files = folder.entryList({QStringLiteral("*.esy")}, QDir::Files);
    ASSERT_GE(files.size(), 10);
    for (const QString &name : files) {
        pelkotest::LogCapture capture;
        auto language = MyLanguageInfo::createFromFile(folder.filePath(name), false);
        ASSERT_TRUE(language) << name.toStdString();
        language->typeForWord(u"x");
        EXPECT_TRUE(capture.lines().isEmpty())
            << name.toStdString() << ": " << capture.lines().join(u'\n').toStdString();
        EXPECT_EQ(capture.reportCount(), 0) << name.toStdString();
    }
}
