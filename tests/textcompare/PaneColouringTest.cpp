// Syntax colours of a compare pane follow the text through edits.
#include "textcompare/MyEditTextView.h"

#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "textcompare/PaneLoader.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SyntaxTextView.h"
#include "themes/ThemeColor.h"

#include <QCoreApplication>
#include <QTest>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <functional>
#include <QTextLayout>
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
    // Every character of the rows in view is shown in the colour a fresh colouring of the whole
    // text gives it: the formats the layout paints, not only the runs recorded.
    void expectViewShowsFreshColours(const std::string &when)
    {
        SyntaxTextView fresh;
        fresh.setPlainText(mView->plainText());
        fresh.setLanguage(mView->language());
        fresh.colorInfo().parseInRangeIfNeed(Range{0, fresh.document()->characterCount() - 1});
        const FoldMap &folds = mView->foldMap();
        const qint64 firstRow =
            folds.firstBlockOfLine(mView->firstVisibleLine()) + mView->firstVisibleRowInLine();
        QTextBlock block = mView->document()->findBlockByNumber(int(firstRow));
        for (int row = 0; row < mView->rowsInView() && block.isValid(); ++row) {
            std::vector<QColor> shown(size_t(block.length()));
            for (const QTextLayout::FormatRange &r : block.layout()->formats())
                for (int i = r.start; i < r.start + r.length && i < block.length(); ++i)
                    shown[size_t(i)] = r.format.foreground().color();
            const QTextLine line = block.layout()->lineAt(0);
            ASSERT_TRUE(line.isValid()) << when << ": row " << block.blockNumber() << " laid out";
            const qreal left =
                mView->horizontalScrollBar()->value() - block.layout()->position().x();
            for (int i = 0; i < block.length() - 1; ++i) {
                const qreal x = line.cursorToX(i);
                if (x + 30 < left || x > left + mView->viewport()->width())
                    continue; // not in view
                const qint64 text = folds.toText(block.position() + i);
                const int kind = fresh.paintedColorIndexAt(text);
                const QColor expected =
                    kind < 0 ? QColor() : GetApp_Color_Text_Default_WithIndex(kind).toQColor();
                ASSERT_EQ(shown[size_t(i)], expected)
                    << when << ": row " << block.blockNumber() << ", column " << i
                    << ", text position " << text << " (kind " << kind
                    << "): " << block.text().mid(std::max(0, i - 20), 40).toStdString();
            }
            block = block.next();
        }
    }
    void settleByItself()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
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

// A line long enough to be folded into rows: strings, comments and keywords that run across a
// row's edge are coloured as on one line, scrolled row by row, after edits at the rows' edges and
// after each edit is undone.
TEST_F(PaneColouringTest, FoldedRowsShowTheColoursOfTheWholeLine)
{
    QString line;
    for (int i = 0; line.size() < 60'000; ++i) {
        // Units of changing length, so that the rows' edges fall everywhere in them.
        line += QStringLiteral("int v%1 = \"a string %2\"; /* a comment %3 */ return%4 x; ")
                    .arg(i)
                    .arg(QString(i % 7, u's'))
                    .arg(QString(i % 11, u'c'))
                    .arg(i % 3 ? QString() : QStringLiteral("ed"));
    }
    line += QStringLiteral("// the end");
    mView->resize(700, 300);
    load(line + QStringLiteral("\nint after; \"x\"\n"));
    ASSERT_FALSE(mView->foldMap().empty()) << "the long line is shown in rows";
    EXPECT_EQ(mView->lineCount(), 3);
    const qint64 rows = mView->foldMap().foldRowsOfLine(0) + 1;

    QScrollBar *sideways = mView->horizontalScrollBar();
    for (qint64 row = 0; row <= rows; ++row) {
        mView->scrollToLine(0, row);
        settleByItself();
        expectViewShowsFreshColours("scrolled to row " + std::to_string(row));
        if (HasFatalFailure())
            return;
        if (row % 8 == 3) {
            // Along the rows too: what comes into view sideways is coloured as well.
            for (int x : {sideways->maximum() / 3, sideways->maximum(), 0}) {
                sideways->setValue(x);
                settleByItself();
                expectViewShowsFreshColours("scrolled to row " + std::to_string(row) + ", x " +
                                            std::to_string(x));
                if (HasFatalFailure())
                    return;
            }
        }
    }

    // Typed at the edges of rows: a quote that opens a string running across the edge, a comment
    // opener, a keyword's letters split by the edge. Each is then undone.
    mView->setFocus();
    const struct
    {
        qint64 row;
        int back; // characters before the row's edge
        const char *typed;
    } edits[] = {{3, 0, "\""}, {7, 1, "/*"}, {12, 2, "in"}, {20, 0, "*/"}, {33, 1, "'"}};
    int done = 0;
    for (const auto &e : edits) {
        const QTextBlock rowBlock = mView->document()->findBlockByNumber(int(e.row));
        ASSERT_TRUE(IsFoldRow(rowBlock));
        QTextCursor cursor(mView->document());
        cursor.setPosition(rowBlock.position() - e.back - (e.back ? 1 : 0));
        mView->setTextCursor(cursor);
        mView->scrollToLine(0, e.row - 2);
        QTest::keyClicks(mView.get(), QString::fromLatin1(e.typed));
        ++done;
        settleByItself();
        expectViewShowsFreshColours("after typing " + std::string(e.typed) + " at row " +
                                    std::to_string(e.row));
        if (HasFatalFailure())
            return;
        mView->scrollToLine(0, e.row + 3);
        settleByItself();
        expectViewShowsFreshColours("below the edit at row " + std::to_string(e.row));
        if (HasFatalFailure())
            return;
    }
    while (mView->document()->isUndoAvailable()) {
        mView->document()->undo();
        mView->scrollToLine(0, std::max(0, mView->textCursor().blockNumber() - 2));
        settleByItself();
        expectViewShowsFreshColours("after an undo");
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(mView->plainText(), line + QStringLiteral("\nint after; \"x\"\n"));
    EXPECT_GT(done, 0);
}

// A document adopted while the pane stands far down in another: what it shows is coloured as the
// new text is, whatever the pane did with the old one while the new came in.
TEST_F(PaneColouringTest, AnAdoptedDocumentIsColouredAsItsOwnText)
{
    const auto text = [](const QString &word) {
        QString line;
        while (line.size() < 40'000)
            line += QStringLiteral("int a = \"%1\"; /* note */ return b; ").arg(word);
        return line + QStringLiteral("\nint end;\n");
    };
    load(text(QStringLiteral("first")));
    ASSERT_FALSE(mView->foldMap().empty());
    mView->scrollToLine(0, 25);
    settleByItself();
    // Another text of the same shape, built as a loaded side is.
    mView->adoptDocument(BuildPaneDocument(text(QStringLiteral("second one")), nullptr, false));
    settleByItself();
    EXPECT_EQ(mView->plainText(), text(QStringLiteral("second one")));
    for (qint64 row : {0, 12, 30}) {
        mView->scrollToLine(0, row);
        settleByItself();
        expectViewShowsFreshColours("adopted, row " + std::to_string(row));
        if (HasFatalFailure())
            return;
    }
}
