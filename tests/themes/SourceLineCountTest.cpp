// Line counting with comments, strings and blanks taken out.
#include <gtest/gtest.h>

#include "foundation/PelkoNSArray.h"
#include "support/LogCapture.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SourceLineCount.h"

namespace {

std::shared_ptr<MyLanguageInfo> cLike()
{
    auto lang = MyLanguageInfo::create();
    lang->setCommentBegin_c(QStringLiteral("/*"));
    lang->setCommentEnd_c(QStringLiteral("*/"));
    lang->setLineComment1_c(QStringLiteral("//"));
    lang->setEscape_c(u'\\');
    return lang;
}

struct Counts
{
    qint64 total = -1, comment = -1, code = -1, blank = -1;
    QString text;
    QVariantList ranges;
    bool ok = false;
};

Counts count(const MyLanguageInfo *lang, const QString &text, bool comments, bool strings,
             bool blanks)
{
    Counts c;
    c.ok = SrcCount_RemoveComment_AndString(lang, text, comments, strings, blanks, &c.total,
                                            &c.comment, &c.code, &c.blank, &c.text,
                                            comments ? &c.ranges : nullptr);
    return c;
}

} // namespace

TEST(SourceLineCount, CountsAndOutputOfTypicalTexts)
{
    auto lang = cLike();
    struct Row
    {
        const char *name;
        QString text;
        bool comments, strings, blanks;
        qint64 total, comment, code, blank;
        QString out;
    };
    const Row rows[] = {
        {"only blanks removed", "int a; // note\n\n  b = \"x y\";", false, false, true, 3, 0, 2, 1,
         "inta;//note\n\nb=\"x y\";"},
        {"line comment after code", "a = 1; // one\nb = 2;", true, false, false, 2, 1, 2, 0,
         "a = 1; \nb = 2;"},
        {"three-line block between code", "a\n/* x\ny\nz */\nb", true, false, false, 5, 3, 2, 0,
         "a\n\n\nb"},
        {"unterminated block", "a\n/* x\ny", true, false, false, 3, 3, 1, 0, "a\n\n"},
        {"string becomes its quotes", "s = \"abc\" + 'd';", false, true, false, 1, 0, 1, 0,
         "s = \"\" + '';"},
        {"CRLF counts twice", "a\r\nb", false, false, true, 3, 0, 2, 1, "a\r\nb"},
        {"final break adds a blank line", "a\n", false, false, true, 2, 0, 1, 1, "a\n"},
        {"ideographic space is blank", QStringLiteral("\u3000\t \nx"), false, false, true, 2, 0, 1,
         1, "\nx"},
        {"comment marker inside a kept string", "u = \"http://x\"; // c", true, false, false, 1, 1,
         1, 0, "u = \"http://x\"; "},
        {"escaped quote inside a kept string", "s = \"a\\\"//b\";", true, false, false, 1, 0, 1, 0,
         "s = \"a\\\"//b\";"},
        {"escape as the last character", "s = \"ab\\", false, true, false, 1, 0, 1, 0, "s = \""},
        {"string ends at a line break", "s = \"ab\nc", false, true, false, 2, 0, 2, 0, "s = \"\nc"},
    };
    for (const Row &r : rows) {
        const Counts c = count(lang.get(), r.text, r.comments, r.strings, r.blanks);
        ASSERT_TRUE(c.ok) << r.name;
        EXPECT_EQ(c.total, r.total) << r.name;
        EXPECT_EQ(c.comment, r.comment) << r.name;
        EXPECT_EQ(c.code, r.code) << r.name;
        EXPECT_EQ(c.blank, r.blank) << r.name;
        EXPECT_EQ(c.text, r.out) << r.name;
    }
}

TEST(SourceLineCount, CommentRangesAndLanguageRules)
{
    auto lang = cLike();
    const QString text = QStringLiteral("x /* a */ y // b\nz");
    Counts c = count(lang.get(), text, true, false, false);
    ASSERT_EQ(c.ranges.size(), 2);
    EXPECT_EQ(rangeAt(c.ranges, 0).location, 2);
    EXPECT_EQ(rangeAt(c.ranges, 0).length, 7);
    EXPECT_EQ(rangeAt(c.ranges, 1).location, 12);
    EXPECT_EQ(rangeAt(c.ranges, 1).length, 4);

    // A letter marker matches in any case; a one-character end marker at the very end closes.
    auto basic = MyLanguageInfo::create();
    basic->setLineComment1_c(QStringLiteral("rem"));
    basic->setCommentBegin_c(QStringLiteral("{"));
    basic->setCommentEnd_c(QStringLiteral("}"));
    c = count(basic.get(), QStringLiteral("a\nREM x\nb {c}"), true, false, false);
    EXPECT_EQ(c.comment, 2);
    EXPECT_EQ(c.text, QStringLiteral("a\n\nb "));

    // Without an escape character a backslash is ordinary; continued quotes span lines.
    auto cont = MyLanguageInfo::create();
    cont->setContinueQuote(true);
    c = count(cont.get(), QStringLiteral("s = \"a\\\nb\" ; t"), false, true, false);
    EXPECT_EQ(c.text, QStringLiteral("s = \"\n\" ; t"));
    EXPECT_EQ(c.code, 2);
}

TEST(SourceLineCount, RefusedCallsAndEmptyText)
{
    auto lang = cLike();
    pelkotest::LogCapture log;
    qint64 total = -1;
    EXPECT_FALSE(SrcCount_RemoveComment_AndString(nullptr, QStringLiteral("a"), true, true, true,
                                                  &total, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr));
    EXPECT_FALSE(SrcCount_RemoveComment_AndString(lang.get(), QStringLiteral("a"), false, false,
                                                  false, &total, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr));
    EXPECT_EQ(log.reportCount(), 2);

    // Ranges asked for without removing comments: reported, nothing listed, counting goes on.
    QVariantList ranges;
    QString out;
    EXPECT_TRUE(SrcCount_RemoveComment_AndString(lang.get(), QStringLiteral("a // b"), false, false,
                                                 true, &total, nullptr, nullptr, nullptr, &out,
                                                 &ranges));
    EXPECT_EQ(log.reportCount(), 3);
    EXPECT_TRUE(ranges.isEmpty());
    EXPECT_EQ(out, QStringLiteral("a//b"));

    Counts c = count(lang.get(), QString(), true, true, true);
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.total, 0);
    EXPECT_FALSE(c.text.isNull());
    EXPECT_TRUE(c.text.isEmpty());
}
