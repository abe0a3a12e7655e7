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
#include <functional>
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
    // Every non-blank character of the lines in view has the kind a fresh colouring gives it.
    ::testing::AssertionResult viewShowsFreshColours()
    {
        const QString text = mView->plainText();
        if (text != mFreshText) {
            mFresh = std::make_unique<SyntaxTextView>();
            mFresh->setPlainText(text);
            mFresh->setLanguage(mView->language());
            mFresh->colorInfo().parseInRangeIfNeed(Range{0, text.size()});
            mFreshText = text;
        }
        for (qint64 line = mView->firstVisibleLine(); line <= mView->lastVisibleLine(); ++line) {
            const QTextBlock block = mView->document()->findBlockByNumber(int(line));
            for (int i = 0; i < block.length() - 1; ++i) {
                const qint64 p = block.position() + i;
                if (block.text().at(i).isSpace() ||
                    mView->paintedColorIndexAt(p) == mFresh->paintedColorIndexAt(p))
                    continue;
                return ::testing::AssertionFailure()
                       << "line " << line + 1 << " column " << i + 1 << ": kind "
                       << mView->paintedColorIndexAt(p) << " instead of "
                       << mFresh->paintedColorIndexAt(p) << " in \"" << block.text().toStdString()
                       << "\"";
            }
        }
        return ::testing::AssertionSuccess();
    }
    void typeAt(qint64 position, const QString &keys)
    {
        QTextCursor cursor(mView->document());
        cursor.setPosition(int(position));
        mView->setTextCursor(cursor);
        mView->ensureCursorVisible();
        QTest::keyClicks(mView.get(), keys);
        settle();
    }
    std::unique_ptr<MyEditTextView> mView;
    std::unique_ptr<SyntaxTextView> mFresh;
    QString mFreshText;
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

TEST_F(PaneColouringTest, ScrollingLineByLineOntoAnEmptyLineColoursTheLineBelowIt)
{
    // Scrolled down by one line onto an empty one, the pane asks for that line alone; the pass
    // reads on into the line below, which must not keep the comment colour of an earlier scan,
    // whatever left it there.
    QString text = "int top;\n";
    for (int i = 0; i < 60; ++i) {
        const QString n = QString::number(i);
        text += "foo a" + n + ";\n\nbar b" + n + ";\nint c" + n + ";\n";
    }
    const auto openerDeleted = [&] {
        // The opener colours every page the pane is scrolled through; deleted at the top, only
        // the top is coloured again.
        typeAt(at("foo a0"), "/*");
        QScrollBar *bar = mView->verticalScrollBar();
        for (int v = 0; v < bar->maximum(); v += bar->pageStep()) {
            bar->setValue(v);
            settle();
        }
        bar->setValue(bar->maximum());
        settle();
        ASSERT_EQ(kind("bar b59"), 999);
        bar->setValue(0);
        settle();
        edit(at("/*"), at("/*") + 2, "");
    };
    const auto threeEditsUndone = [&] {
        // Undo takes the pane to each change in turn, the last one to the top.
        typeAt(at("foo a0"), "/*");
        typeAt(at("int c25"), "x");
        typeAt(at("int c50"), "y");
        ASSERT_EQ(kind("bar b50"), 999);
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(mView.get(), Qt::Key_Z, Qt::ControlModifier);
            settle();
        }
        ASSERT_EQ(mView->plainText(), text);
        ASSERT_LT(mView->firstVisibleLine(), 5);
    };
    const struct
    {
        const char *name;
        std::function<void()> edits;
    } rows[] = {{"opener deleted", openerDeleted}, {"three edits undone", threeEditsUndone}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        mView->resize(700, 300);
        load(text);
        mView->setFocus();
        row.edits();
        if (::testing::Test::HasFatalFailure())
            return;
        QScrollBar *bar = mView->verticalScrollBar();
        while (true) {
            const auto shown = viewShowsFreshColours();
            EXPECT_TRUE(shown) << "top line " << mView->firstVisibleLine() + 1;
            if (!shown || bar->value() == bar->maximum())
                break;
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            settle();
        }
    }
}
