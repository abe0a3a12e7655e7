// Syntax colours of a compare pane follow the text through edits.
#include "textcompare/MyEditTextView.h"

#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageInfo.h"
#include "themes/ThemeColor.h"

#include <QCoreApplication>
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
