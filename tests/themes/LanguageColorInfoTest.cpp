#include "themes/LanguageColorInfo.h"

#include "foundation/CoverInfor.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "themes/SyntaxTextView.h"
#include "themes/ThemeColor.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

const char *kCppLanguage = "#CommentBegin=/*\n#CommentEnd=*/\n#LineComment1=//\n#Escape=\\\n"
                           "#Keyword color=3,case=on\nint\nreturn\nchar\nconst\n"
                           "#Keyword color=4,case=on\nstd\n";
const char *kPythonLanguage = "#LineComment1=#\n#Escape=\\\n"
                              "#Keyword color=3,case=on\ndef\nreturn\n"
                              "#Keyword color=5,case=on\nNone\nTrue\n";

std::shared_ptr<MyLanguageInfo> language(const char *text, const char *name)
{
    auto info = MyLanguageInfo::create();
    EXPECT_TRUE(info->resetWithText(QString::fromUtf8(text), name, true));
    return info;
}

class ColouringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().setFilePath(pelkotest::freshDir() + "/d.plist");
        ResetCurrentThemeCache();
        mView = std::make_unique<SyntaxTextView>();
        mView->resize(800, 2000);
        mView->show();
    }
    void TearDown() override { LanguageColorInfo::setPassTimeLimit(0.5); }

    void load(const char *languageText, const QString &text)
    {
        mView->setPlainText(text);
        mView->setLanguage(language(languageText, "lang.myrsctx"));
        settle();
    }
    // Lets the view colour what it shows, as it would between two events.
    void settle()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        mView->colorVisibleText();
    }
    qint64 at(const QString &needle, int nth = 0) const
    {
        const QString text = mView->toPlainText();
        qint64 pos = -1;
        for (int i = 0; i <= nth; ++i)
            pos = text.indexOf(needle, pos + 1);
        EXPECT_GE(pos, 0) << needle.toStdString();
        return pos;
    }
    int kind(const QString &needle, int offset = 0, int nth = 0) const
    {
        return mView->paintedColorIndexAt(at(needle, nth) + offset);
    }
    void edit(qint64 from, qint64 to, const QString &replacement)
    {
        QTextCursor cursor(mView->document());
        cursor.setPosition(int(from));
        cursor.setPosition(int(to), QTextCursor::KeepAnchor);
        cursor.insertText(replacement);
        settle();
    }
    std::unique_ptr<SyntaxTextView> mView;
};

const QString kCppSample = "int main() {\n"
                           "  // note int\n"
                           "  char c = 'x';\n"
                           "  const char *s = \"a\\\"b int\";\n"
                           "  /* block\n"
                           "     int */return 42;\n"
                           "  std::cout << -1.5e3 << x2y;\n"
                           "}\n";

} // namespace

TEST_F(ColouringTest, CppSampleGetsTheIndexesOfItsTokens)
{
    load(kCppLanguage, kCppSample);
    struct Row
    {
        const char *needle;
        int offset;
        int nth;
        int expected;
    };
    const Row rows[] = {
        {"int main", 0, 0, 3},   {"main", 0, 0, -1},      {"// note", 0, 0, 999},
        {"note int", 6, 0, 999}, {"char c", 0, 0, 3},     {"'x'", 0, 0, 997},
        {"'x'", 2, 0, 997},      {"= 'x'", 0, 0, -1},     {"\"a", 0, 0, 998},
        {"b int\"", 0, 0, 998},  {"b int\"", 5, 0, 998},  {"/* block", 0, 0, 999},
        {"int */", 0, 0, 999},   {"*/return", 1, 0, 999}, {"return 42", 0, 0, 3},
        {"42", 0, 0, 996},       {"std", 0, 0, 4},        {"-1.5e3", 0, 0, 996},
        {"e3", 0, 0, -1},        {"x2y", 0, 0, -1},
    };
    for (const Row &row : rows)
        EXPECT_EQ(kind(row.needle, row.offset, row.nth), row.expected)
            << row.needle << "+" << row.offset;

    // The colours reach the layout of the block, not the text's own formats.
    const QTextBlock block = mView->document()->findBlock(int(at("int main")));
    ASSERT_FALSE(block.layout()->formats().isEmpty());
    EXPECT_EQ(block.layout()->formats().first().format.foreground().color(),
              GetApp_Color_Text_Default_WithIndex(3).toQColor());
    EXPECT_FALSE(mView->document()->isModified());
    EXPECT_FALSE(mView->document()->isUndoAvailable());
}

TEST_F(ColouringTest, PythonSampleGetsTheIndexesOfItsTokens)
{
    load(kPythonLanguage, "def f(x):\n"
                          "    # comment def\n"
                          "    return 'it\\'s' + \"two\" + 3.5 or None\n"
                          "s = \"open\n"
                          "t = True\n");
    EXPECT_EQ(kind("def f"), 3);
    EXPECT_EQ(kind("# comment"), 999);
    EXPECT_EQ(kind("comment def", 8), 999);
    EXPECT_EQ(kind("return"), 3);
    EXPECT_EQ(kind("'it"), 997);
    EXPECT_EQ(kind("s' +", 1), 997); // the escaped quote did not end it
    EXPECT_EQ(kind("\"two\""), 998);
    EXPECT_EQ(kind("3.5"), 996);
    EXPECT_EQ(kind("None"), 5);
    // Without ContinueQuote a line break ends an open string and belongs to it.
    EXPECT_EQ(kind("\"open", 5), 998);
    EXPECT_EQ(kind("t = True"), -1);
    EXPECT_EQ(kind("True"), 5);
}

TEST_F(ColouringTest, EditsInsideAndAcrossCommentsRecolour)
{
    load(kCppLanguage, "int a;\n"
                       "int b;\n"
                       "/* one\n"
                       "   int */\n"
                       "int c;\n"
                       "/* two */ int d;\n");
    EXPECT_EQ(kind("int b"), 3);

    // Opening a comment above turns the following lines into comment.
    edit(at("int b"), at("int b"), "/* ");
    EXPECT_EQ(kind("int b"), 999);
    EXPECT_EQ(kind("one"), 999);
    EXPECT_EQ(kind("int */"), 999);
    EXPECT_EQ(kind("int c"), 3); // the first "*/" closed it

    // Removing it brings the code back, however far the comment reached.
    edit(at("/* int b"), at("/* int b") + 3, "");
    EXPECT_EQ(kind("int b"), 3);
    EXPECT_EQ(kind("one"), 999);
    EXPECT_EQ(kind("int c"), 3);

    // Typing inside a comment keeps it a comment.
    edit(at("one") + 3, at("one") + 3, " int");
    EXPECT_EQ(kind("one int", 4), 999);
    EXPECT_EQ(kind("int c"), 3);

    // Deleting across the end of one comment and the start of the next joins them.
    edit(at("int */"), at("two"), "");
    EXPECT_EQ(kind("/* one"), 999);
    EXPECT_EQ(kind("*/ int d"), 999);
    EXPECT_EQ(kind("int d"), 3);

    // Deleting a whole comment with the lines around it.
    edit(0, at("int d"), "");
    EXPECT_EQ(kind("int d"), 3);
}

TEST_F(ColouringTest, JoiningALineWithACommentOpenerUncommentsWhatFollowed)
{
    load(kCppLanguage, "foo bar\n/* c\nc */ int y;\nint x;\n");
    EXPECT_EQ(kind("c */"), 999);
    edit(at("\n/*"), at("\n/*") + 3, ""); // "foo bar c" now, and the comment is gone
    EXPECT_EQ(kind("c */"), -1);
    EXPECT_EQ(kind("int y"), 3);
    EXPECT_EQ(kind("int x"), 3);
}

TEST_F(ColouringTest, CommentsInTheTextColourAreStillKnownAsComments)
{
    // A theme whose comment colour is the text colour: the colourer must not take the comment
    // for normal text and restart a scan inside it.
    auto theme = ThemeColor::create();
    theme->setMColor_Comment(theme->mColor_DefaultText());
    ThemeColor::setCurrentTheme(theme);
    mView->applyTheme();
    QString text = "int a;\n/* first\n";
    for (int i = 0; i < 40; ++i)
        text += "   \"int\" line inside\n";
    text += "*/ int b;\n";
    load(kCppLanguage, text);
    EXPECT_EQ(kind("int\" line", 0, 20), 999);
    edit(at("line inside", 30), at("line inside", 30), "x");
    EXPECT_EQ(kind("line inside", 0, 30), 999);
    EXPECT_EQ(kind("\"int\"", 0, 31), 999); // not taken for a string
    EXPECT_EQ(kind("int b"), 3);
    ThemeColor::restoreToDefault();
}

TEST_F(ColouringTest, NulInAStringDoesNotStopTheColouring)
{
    QString text = "x = \"ab";
    text += QChar(0);
    text += "cd\"; int y;\n";
    load(kCppLanguage, text);
    EXPECT_EQ(kind("\"ab"), 998);
    EXPECT_EQ(kind("cd\"", 2), 998);
    EXPECT_EQ(kind("int y"), 3);
    // Nothing is left to do, and nothing asks for another pass.
    EXPECT_NE(
        mView->colorInfo().doneRanges().indexThatContainsRange(mView->visibleCharacterRange()),
        NotFound);
    EXPECT_FALSE(mView->colorInfo().parseInRangeIfNeed(mView->visibleCharacterRange()));
}

TEST_F(ColouringTest, OpenEndsAtTheEndOfTheText)
{
    load(kCppLanguage, "int a;\nchar *s = \"abc\\");
    EXPECT_EQ(kind("\"abc"), 998);
    EXPECT_EQ(kind("abc\\", 3), 998);

    load(kCppLanguage, "int a;\n/* never closed\nint b;\nint c;");
    EXPECT_EQ(kind("int b"), 999);
    EXPECT_EQ(kind("int c", 4), 999);
    EXPECT_EQ(kind("int a"), 3);
}

TEST_F(ColouringTest, LetterMarkersMatchInAnyCaseAndOddEndMarkers)
{
    load("#LineComment1=rem\n#LineComment2=::\n#CommentBegin=<<\n#CommentEnd=>>>\n"
         "#Keyword color=2,case=off\necho\n",
         "REM first\n:: second\nEcho <<x>>>echo a-b\n");
    EXPECT_EQ(kind("REM"), 999);
    EXPECT_EQ(kind(":: second"), 999);
    EXPECT_EQ(kind("Echo"), 2);
    EXPECT_EQ(kind("<<x"), 999);
    EXPECT_EQ(kind(">>>echo", 2), 999);
    EXPECT_EQ(kind(">>>echo", 3), 2); // the word right after the marker
    EXPECT_EQ(kind("-b"), 996);
    EXPECT_EQ(kind("a-b"), -1);
}

TEST_F(ColouringTest, APassStoppedByTheTimeLimitIsContinued)
{
    QString text;
    for (int i = 0; i < 4000; ++i)
        text += "int a; char b; return c; // x\n";
    mView->setPlainText(text);
    mView->setLanguage(language(kCppLanguage, "c.myrsctx"));
    LanguageColorInfo::setPassTimeLimit(0.0005);
    auto &info = mView->colorInfo();
    const Range all{0, text.size()};
    int passes = 0;
    while (info.doneRanges().indexThatContainsRange(all) == NotFound && passes < 100000) {
        info.parseInRangeIfNeed(all);
        ++passes;
        if (passes > 10 && info.doneRanges().length() == 0)
            LanguageColorInfo::setPassTimeLimit(0.5); // this machine is too slow for the limit
    }
    EXPECT_GT(passes, 1);
    EXPECT_NE(info.doneRanges().indexThatContainsRange(all), NotFound);
    const qint64 lastLine = text.size() - 30;
    EXPECT_EQ(mView->paintedColorIndexAt(lastLine), 3);
    EXPECT_EQ(mView->paintedColorIndexAt(lastLine + 26), 999);
}

TEST(LanguageColorInfoEdits, AnEditForgetsFromALineStartBeforeItToTheEnd)
{
    // Colours below an edit may all change (a comment opened above them): the coloured part
    // ends before the edit's line, at a line start where the scan was in plain text.
    SyntaxTextView view;
    QString text;
    for (int i = 0; i < 200; ++i)
        text += "a = 1;\n"; // 7 characters a line
    view.setPlainText(text);
    view.setLanguage(language(kCppLanguage, "c.myrsctx"));
    auto &info = view.colorInfo();
    info.parseInRangeIfNeed(Range{0, text.size()});
    ASSERT_EQ(info.doneRanges().ranges(), (std::vector<Range>{Range{0, text.size()}}));

    const qint64 editAt = 7 * 100 + 3;
    info.shouldChangeTextInRanges({Range{editAt, 1}, Range{7 * 150, 0}}, {"x", "/*"});
    ASSERT_EQ(info.doneRanges().length(), 1);
    const Range kept = info.doneRanges().ranges().front();
    EXPECT_EQ(kept.location, 0);
    EXPECT_LE(MaxRange(kept), 7 * 100);
    EXPECT_GT(MaxRange(kept), 7 * 100 - 100); // not all the way back to the start
    EXPECT_EQ(MaxRange(kept) % 7, 0);         // a line start

    // An edit after the coloured part changes nothing of it.
    info.shouldChangeTextInRange(Range{7 * 180, 0}, "x");
    EXPECT_EQ(info.doneRanges().ranges().front(), kept);
}

TEST_F(ColouringTest, APassAskedForAFewCharactersColoursAllItReadsAnew)
{
    // A view scrolled by one line asks for just that line. A pass of fewer than three characters
    // reads on to the end of the next line and records it as coloured: the colours an earlier
    // scan left there (a comment opener since deleted) must not survive it.
    struct Row
    {
        const char *name;
        const char *shortLine; // the line the pass is asked for
    };
    const Row rows[] = {{"an empty line", ""}, {"a line of one character", "}"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString text =
            "int a;\n" + QString::fromLatin1(row.shortLine) + "\nfoo bar;\nint b;\n";
        SyntaxTextView view;
        view.setPlainText(text);
        view.setLanguage(language(kCppLanguage, "c.myrsctx"));
        auto &info = view.colorInfo();
        const auto colourAll = [&] {
            info.parseInRangeIfNeed(Range{0, view.document()->characterCount() - 1});
        };
        colourAll();
        QTextCursor cursor(view.document());
        cursor.insertText("/*");
        colourAll();
        ASSERT_EQ(view.paintedColorIndexAt(text.indexOf("foo") + 2), 999);
        cursor.setPosition(0);
        cursor.setPosition(2, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();

        // The first line, then the short one, as a view scrolled onto it asks.
        const qint64 shortStart = text.indexOf(u'\n') + 1;
        info.parseInRangeIfNeed(Range{0, shortStart});
        info.parseInRangeIfNeed(Range{shortStart, qint64(strlen(row.shortLine)) + 1});
        ASSERT_EQ(info.doneRanges().length(), 1);
        const qint64 recorded = MaxRange(info.doneRanges().ranges().front());
        ASSERT_GT(recorded, text.indexOf("foo")) << "the pass no longer reads on";

        SyntaxTextView fresh;
        fresh.setPlainText(text);
        fresh.setLanguage(view.language());
        fresh.colorInfo().parseInRangeIfNeed(Range{0, text.size()});
        for (qint64 pos = 0; pos < recorded; ++pos) {
            if (text.at(pos).isSpace())
                continue;
            EXPECT_EQ(view.paintedColorIndexAt(pos), fresh.paintedColorIndexAt(pos))
                << "at " << pos << " ('" << text.at(pos).toLatin1() << "')";
        }
    }
}

TEST_F(ColouringTest, IncrementalColoursMatchAFreshColouringAfterRandomEdits)
{
    // After any sequence of edits the view must show what colouring the final text from scratch
    // shows: edits that open or close comments and strings reach past the edited line.
    const QStringList pieces = {"/*",   "*/", "\"", "'",    "//",    "\n",
                                "int ", "x",  "\\", " 42 ", "\n;\n", "( )"};
    load(kCppLanguage, "int a = 1;\n/* c1 */ int b;\nchar *s = \"str\";\n// line\nint c;\n");
    QRandomGenerator random(qEnvironmentVariableIsSet("PELKO_SEED")
                                ? quint32(qEnvironmentVariableIntValue("PELKO_SEED"))
                                : 20261207u);
    for (int step = 0; step < 300; ++step) {
        const int length = mView->document()->characterCount() - 1;
        const int from = int(random.bounded(length + 1));
        const int to =
            random.bounded(3) == 0 ? std::min(length, from + int(random.bounded(6))) : from;
        const QString piece = pieces[int(random.bounded(qsizetype(pieces.size())))];
        edit(from, to, mView->document()->characterCount() > 1500 ? QString() : piece);

        SyntaxTextView fresh;
        fresh.resize(800, 2000);
        fresh.setPlainText(mView->toPlainText());
        fresh.setLanguage(mView->language());
        fresh.colorInfo().parseInRangeIfNeed(Range{0, fresh.document()->characterCount() - 1});
        mView->colorInfo().parseInRangeIfNeed(Range{0, fresh.document()->characterCount() - 1});
        for (int pos = 0; pos < fresh.document()->characterCount() - 1; ++pos) {
            const QChar c = mView->document()->characterAt(pos);
            if (c.isSpace() || c == QChar::ParagraphSeparator)
                continue; // a separator's kind does not show
            ASSERT_EQ(mView->paintedColorIndexAt(pos), fresh.paintedColorIndexAt(pos))
                << "step " << step << " at " << pos << " in:\n"
                << mView->toPlainText().toStdString();
        }
    }
}

TEST_F(ColouringTest, UndoBringsBackTheColoursOfTheRestoredText)
{
    load(kCppLanguage, "int a;\nint b;\nint c;\n");
    edit(at("int b"), at("int b"), "/*");
    EXPECT_EQ(kind("int c"), 999);
    edit(at("int c"), at("int c") + 7, "");
    mView->document()->undo(); // "int c;" again, inside the open comment
    settle();
    EXPECT_EQ(kind("int c"), 999);
    EXPECT_EQ(kind("c;", 1), 999);
    mView->document()->undo(); // the comment opener gone
    settle();
    EXPECT_EQ(kind("int b"), 3);
    EXPECT_EQ(kind("int c"), 3);
    mView->document()->redo();
    settle();
    EXPECT_EQ(kind("int c"), 999);
}

TEST_F(ColouringTest, JumpingToTheEndInsideABlockCommentShowsItAsComment)
{
    QString text = "int a;\n/* a long comment\n";
    for (int i = 0; i < 3000; ++i)
        text += "int x; \"not a string\n";
    text += "int last; */ int after;\n";
    mView->resize(800, 300);
    load(kCppLanguage, text);
    mView->verticalScrollBar()->setValue(mView->verticalScrollBar()->maximum());
    for (int i = 0; i < 100; ++i)
        settle();
    EXPECT_EQ(kind("int last"), 999);
    EXPECT_EQ(kind("\"not", 0, 2999), 999);
    EXPECT_EQ(kind("int after"), 3);
}

TEST_F(ColouringTest, InHtmlQuotesCountOnlyInsideTagsAndScripts)
{
    auto html = MyLanguageInfo::createFromFile(
        pelkotest::sourceDir() + QStringLiteral("/resources/languages/HTML.esy"), false);
    ASSERT_TRUE(html);
    mView->setPlainText("<p class='intro'>Don't panic, it's \"fine\".</p>\n"
                        "<div id=\"a\n b\">more text</div>\n"
                        "<script type=\"text/javascript\">\n"
                        "  var s = 'it''s'; if (a < b) x = \"q\";\n"
                        "</script>\n"
                        "<p>after the script</p>\n");
    mView->setLanguage(html);
    settle();
    struct Row
    {
        const char *needle;
        int offset;
        int expected;
    };
    const Row rows[] = {
        {"'intro'", 0, 997}, {"'intro'", 6, 997},  {"Don't", 3, -1},
        {"panic", 0, -1},    {"\"fine\"", 0, -1},  {"\"a\n", 0, 998},
        {" b\">", 1, 998},   {"more text", 0, -1}, {"\"text/javascript\"", 0, 998},
        {"'it''s'", 0, 997}, {"\"q\"", 1, 998},    {"after the", 0, -1},
    };
    for (const Row &row : rows)
        EXPECT_EQ(kind(row.needle, row.offset), row.expected) << row.needle << "+" << row.offset;
}

TEST_F(ColouringTest, HtmlEditsInAScriptGiveTheColoursOfAFreshColouring)
{
    auto html = MyLanguageInfo::createFromFile(
        pelkotest::sourceDir() + QStringLiteral("/resources/languages/HTML.esy"), false);
    ASSERT_TRUE(html);
    const QString page = "<html><body>\n<p>Don't stop</p>\n"
                         "<script>\n  var a = 'x'; var b = \"y\";\n  if (a < b) go();\n</script>\n"
                         "<p class=\"c\">it's prose</p>\n<!-- note -->\n<div id='d'>end</div>\n";
    mView->setPlainText(page);
    mView->setLanguage(html);
    settle();
    auto matchesFresh = [&](const std::string &after) -> ::testing::AssertionResult {
        SyntaxTextView fresh;
        fresh.setPlainText(mView->toPlainText());
        fresh.setLanguage(html);
        const qint64 length = fresh.document()->characterCount() - 1;
        fresh.colorInfo().parseInRangeIfNeed(Range{0, length});
        // What the view shows after its own colouring of what is in view (all of the text).
        for (qint64 pos = 0; pos < length; ++pos) {
            const QChar c = mView->document()->characterAt(int(pos));
            if (c.isSpace() || c == QChar::ParagraphSeparator)
                continue;
            if (mView->paintedColorIndexAt(pos) != fresh.paintedColorIndexAt(pos))
                return ::testing::AssertionFailure()
                       << "after " << after << ": kind " << mView->paintedColorIndexAt(pos)
                       << " instead of " << fresh.paintedColorIndexAt(pos) << " at " << pos
                       << " in:\n"
                       << mView->toPlainText().toStdString();
        }
        return ::testing::AssertionSuccess();
    };
    // "<!--" typed one character at a time inside the script, then closed, then taken away.
    qint64 at = mView->toPlainText().indexOf("var b");
    for (const char *c : {"<", "!", "-", "-"}) {
        edit(at, at, QString::fromLatin1(c));
        ++at;
        ASSERT_TRUE(matchesFresh(std::string("typing ") + c));
    }
    const qint64 close = mView->toPlainText().indexOf("if (a");
    edit(close, close, "-->");
    ASSERT_TRUE(matchesFresh("typing -->"));
    mView->document()->undo();
    settle();
    ASSERT_TRUE(matchesFresh("undo"));
    edit(at - 4, at, "");
    ASSERT_TRUE(matchesFresh("deleting <!--"));

    // Random edits with the markers of tags, scripts, comments and quotes.
    const QStringList pieces = {"<!--", "-->", "<script>", "</script>", "<p>", ">",   "<",
                                "'",    "\"",  "\n",       "x",         " ",   "</p>"};
    QRandomGenerator random(20261207u);
    for (int step = 0; step < 200; ++step) {
        const int length = mView->document()->characterCount() - 1;
        const int from = int(random.bounded(length + 1));
        const int to =
            random.bounded(3) == 0 ? std::min(length, from + int(random.bounded(8))) : from;
        const QString piece = pieces[int(random.bounded(qsizetype(pieces.size())))];
        edit(from, to, length > 1500 ? QString() : piece);
        ASSERT_TRUE(matchesFresh("step " + std::to_string(step)));
    }
}
