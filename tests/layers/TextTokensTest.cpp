#include "layers/TextTokens.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

TEST(TextTokensTest, EscapingRoundTrips)
{
    const QString texts[] = {
        QStringLiteral("a=1\nb\t2"),
        QStringLiteral("\r\n\r\n==\t"),
        QStringLiteral("x = {y}\n"),
        QStringLiteral("\u65e5\u672c=\n"),
    };
    for (const QString &text : texts) {
        const QString escaped = EscapeLineBreakTokens(text);
        EXPECT_FALSE(escaped.contains(u'\n') || escaped.contains(u'\r') ||
                     escaped.contains(u'\t') || escaped.contains(u'='))
            << escaped.toStdString();
        EXPECT_EQ(UnescapeLineBreakTokens(escaped), text);
    }
    EXPECT_EQ(EscapeLineBreakTokens(QStringLiteral("a=1\nb\t2")),
              QStringLiteral("a{DAU_BANG_}1{XUONGDONG_N}b{DAU_TAP_}2"));
    EXPECT_EQ(EscapeLineBreakTokens(QString()), QStringLiteral(""));
    EXPECT_FALSE(EscapeLineBreakTokens(QString()).isNull());
    EXPECT_EQ(UnescapeLineBreakTokens(QString()), QStringLiteral(""));
}

TEST(TextTokensTest, ShortEscapedText)
{
    struct Row
    {
        QString text;
        int n;
        QString expected;
    };
    const Row rows[] = {
        {"0123456789", 10, "0123456789"}, {"0123456789", 8, "01234..."},
        {"0123456789", 2, "..."},         {"0123456789", 0, "..."},
        {"0123456789", -5, "..."},        {"a\nb\tc\r", 10, "a\\nb\\tc\\r"},
        {"a\nb\tc\r", 6, "a\\n..."},      {"", 4, ""},
    };
    for (const Row &row : rows)
        EXPECT_EQ(ShortEscapedText(row.text, row.n), row.expected) << row.n;
}

TEST(TextTokensTest, MirrorOfEveryUnit)
{
    EXPECT_EQ(MirrorPrintableChars(QStringLiteral("~")), QStringLiteral(" "));
    EXPECT_EQ(MirrorPrintableChars(QStringLiteral("!}")), QStringLiteral("}!"));
    EXPECT_TRUE(MirrorPrintableChars(QString()).isNull());
    EXPECT_EQ(MirrorPrintableChars(QStringLiteral("")), QStringLiteral(""));
    QString all;
    for (int u = 1; u < 0x10000; ++u)
        all += QChar(char16_t(u));
    const QString mirrored = MirrorPrintableChars(all);
    for (qsizetype i = 0; i < all.size(); ++i) {
        const char16_t u = all[i].unicode();
        const char16_t m = mirrored[i].unicode();
        if (u >= 32 && u <= 126)
            ASSERT_EQ(m, 158 - u);
        else
            ASSERT_EQ(m, u);
    }
    EXPECT_EQ(MirrorPrintableChars(mirrored), all);
}

TEST(TextTokensTest, FrameFromPastedText)
{
    struct Row
    {
        const char *name;
        QString text;
        QRectF expected;
    };
    const Row rows[] = {
        {"all four",
         "frame.origin.x=1.5\nframe.origin.y=-2\nframe.size.width=30\n"
         "frame.size.height=40\n",
         QRectF(1.5, -2, 30, 40)},
        {"any order, extra lines",
         "name=x\nframe.size.height=4\nframe.size.width=3\n"
         "frame.origin.y=2\nframe.origin.x=1\n",
         QRectF(1, 2, 3, 4)},
        {"first occurrence counts",
         "frame.origin.x=1\nframe.origin.x=9\nframe.origin.y=2\n"
         "frame.size.width=3\nframe.size.height=4\n",
         QRectF(1, 2, 3, 4)},
        {"last value without LF",
         "frame.origin.x=1\nframe.origin.y=2\nframe.size.width=3\n"
         "frame.size.height=4",
         QRectF()},
        {"missing key", "frame.origin.x=1\nframe.size.width=3\nframe.size.height=4\n", QRectF()},
        {"empty value",
         "frame.origin.x=\nframe.origin.y=2\nframe.size.width=3\n"
         "frame.size.height=4\n",
         QRectF()},
        {"zero width",
         "frame.origin.x=1\nframe.origin.y=2\nframe.size.width=0\n"
         "frame.size.height=4\n",
         QRectF()},
        {"not a number reads 0",
         "frame.origin.x=abc\nframe.origin.y=2\nframe.size.width=3\n"
         "frame.size.height=4\n",
         QRectF(0, 2, 3, 4)},
        {"NaN size",
         "frame.origin.x=1\nframe.origin.y=2\nframe.size.width=nan\n"
         "frame.size.height=4\n",
         QRectF()},
        {"empty text", "", QRectF()},
    };
    for (const Row &row : rows)
        EXPECT_EQ(GetFirstItemFrameFrpmPasteStr(row.text), row.expected) << row.name;
}

TEST(TextTokensTest, Conveniences)
{
    EXPECT_EQ(GetHexColorOpaque(platform::Color::calibratedRGB(1.0, 0.0, 0.0, 0.5)), 0xFF0000FFu);
    EXPECT_EQ(GetHexColorOpaque(platform::Color()), 0xFFFFFFFFu);

    QLineEdit edit;
    QWidget *widget = &edit;
    EXPECT_EQ(CastOrNil<QLineEdit>(widget), &edit);
    EXPECT_EQ(CastOrNil<QLabel>(widget), nullptr);
    EXPECT_EQ(CastOrNil<QLabel>(static_cast<QWidget *>(nullptr)), nullptr);

    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextEdit rich;
    rich.setPlainText(QStringLiteral("one\ntwo"));
    SetTextViewAllAttributes(&rich, bold);
    QTextCursor cursor(rich.document());
    cursor.movePosition(QTextCursor::End);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(rich.currentCharFormat().fontWeight(), QFont::Bold);
    QPlainTextEdit plain;
    plain.setPlainText(QStringLiteral("x"));
    SetTextViewAllAttributes(&plain, bold);
    EXPECT_EQ(plain.currentCharFormat().fontWeight(), QFont::Bold);
    SetTextViewAllAttributes(&edit, bold); // not a text view: nothing
    SetTextViewAllAttributes(nullptr, bold);
}

} // namespace
