// Syntax colours of a compare pane follow the text through edits.
#include "textcompare/MyEditTextView.h"

#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SyntaxTextView.h"
#include "themes/ThemeColor.h"

#include <QCoreApplication>
#include <QTest>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

const char *kCpp = "#CommentBegin=/*\n#CommentEnd=*/\n#LineComment1=//\n#Escape=\\\n"
                   "#Keyword color=3,case=on\nint\nreturn\n";

class PaneColouringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().setFilePath(pelkotest::freshDir() + "/d.plist");
        ResetCurrentThemeCache();
        mView = std::make_unique<MyEditTextView>();
        mView->resize(800, 1200);
        mView->show();
    }
    void load(const QString &text)
    {
        mView->loadText(text);
        auto info = MyLanguageInfo::create();
        ASSERT_TRUE(info->resetWithText(QString::fromUtf8(kCpp), "cpp.myrsctx", true));
        mView->setLanguage(info);
        settle();
    }
    void settle()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        mView->colorVisibleText();
    }
    qint64 at(const QString &needle) const
    {
        const qint64 pos = mView->plainText().indexOf(needle);
        EXPECT_GE(pos, 0) << needle.toStdString();
        return pos;
    }
    int kind(const QString &needle) const { return mView->paintedColorIndexAt(at(needle)); }
    void edit(qint64 from, qint64 to, const QString &replacement)
    {
        QTextCursor cursor(mView->document());
        cursor.setPosition(int(from));
        cursor.setPosition(int(to), QTextCursor::KeepAnchor);
        cursor.insertText(replacement);
        settle();
    }
    std::unique_ptr<MyEditTextView> mView;
};

} // namespace

TEST_F(PaneColouringTest, EditsMoveTheColoursWithTheText)
{
    load("foo bar\n/* c\nc */ int y;\nint x;\n");
    EXPECT_EQ(kind("c */"), 999);
    EXPECT_EQ(kind("int y"), 3);

    // Typing in front of a keyword on its line keeps the keyword coloured where it now is.
    edit(at("int x"), at("int x"), "  ");
    EXPECT_EQ(kind("int x"), 3);

    // Joining the comment opener's line into the one above removes the comment.
    edit(at("\n/*"), at("\n/*") + 3, "");
    EXPECT_EQ(kind("c */"), -1);
    EXPECT_EQ(kind("int y"), 3);
    EXPECT_EQ(kind("int x"), 3);

    // Opening a comment again colours what follows as comment.
    edit(at("foo"), at("foo"), "/* ");
    EXPECT_EQ(kind("bar"), 999);
}

TEST_F(PaneColouringTest, CtrlEndIntoABlockCommentShowsTheLastScreenAsComment)
{
    QString text = "int a;\n/* a comment that runs to the last screen\n";
    for (int i = 0; i < 4000; ++i)
        text += "int x = 1; \"no string\n";
    text += "int last; */ int after;\n";
    mView->resize(700, 300);
    load(text);
    mView->setFocus();
    // Only what the pane does on its own: the key, then its queued colouring.
    QTest::keyClick(mView.get(), Qt::Key_End, Qt::ControlModifier);
    (void)QTest::qWaitFor([&] { return kind("int last") == 999; }, 20000);
    EXPECT_GT(mView->firstVisibleLine(), 3900);
    EXPECT_EQ(kind("int last"), 999);
    EXPECT_EQ(mView->paintedColorIndexAt(mView->plainText().lastIndexOf("\"no string")), 999);
    EXPECT_EQ(kind("int after"), 3);
}

TEST_F(PaneColouringTest, ACommentOpenerTypedInAnInlineScriptColoursLikeAFreshPane)
{
    auto html = MyLanguageInfo::createFromFile(
        pelkotest::sourceDir() + QStringLiteral("/resources/languages/HTML.esy"), false);
    ASSERT_TRUE(html);
    QString page = "<html><body>\n";
    for (int i = 0; i < 40; ++i)
        page += "<p class='c'>Paragraph " + QString::number(i) + ", don't stop.</p>\n";
    page += "<script>\n  var a = 'x'; var b = \"y\";\n  if (a < b) go();\n</script>\n";
    for (int i = 0; i < 40; ++i)
        page += "<div id=\"d" + QString::number(i) + "\">it's prose</div>\n";
    page += "<!-- end -->\n</body></html>\n";
    mView->resize(700, 400);
    mView->loadText(page);
    mView->setLanguage(html);
    settle();
    mView->setFocus();
    QTextCursor cursor(mView->document());
    cursor.setPosition(int(at("var b")));
    mView->setTextCursor(cursor);
    mView->ensureCursorVisible();
    for (const char *c : {"<", "!", "-", "-"}) {
        QTest::keyClicks(mView.get(), QString::fromLatin1(c)); // typed, as a user types
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        SyntaxTextView fresh;
        fresh.setPlainText(mView->plainText());
        fresh.setLanguage(html);
        fresh.colorInfo().parseInRangeIfNeed(Range{0, fresh.document()->characterCount() - 1});
        for (qint64 line = mView->firstVisibleLine(); line <= mView->lastVisibleLine(); ++line) {
            const QTextBlock block = mView->document()->findBlockByNumber(int(line));
            for (int i = 0; i < block.length() - 1; ++i) {
                if (block.text().at(i).isSpace())
                    continue;
                const qint64 p = block.position() + i;
                ASSERT_EQ(mView->paintedColorIndexAt(p), fresh.paintedColorIndexAt(p))
                    << "after typing " << c << ", line " << line + 1 << ": "
                    << block.text().toStdString();
            }
        }
    }
}
