// Small helpers: UTF-16 strings, range clipping, searching, numbers and debug text.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "services/Utility.h"

namespace {

TEST(Utility, UniStrings)
{
    EXPECT_EQ(UniString_Length(u"abc"), 3);
    EXPECT_EQ(UniString_Length(u""), 0);
    EXPECT_EQ(UniString_Length(nullptr), 0);
    struct Row
    {
        const char16_t *a, *b;
        bool noCase;
        int sign;
    };
    const Row rows[] = {
        {u"abc", u"abc", false, 0}, {u"ABC", u"abc", true, 0}, {u"ABC", u"abc", false, -1},
        {u"ab", u"abc", false, -1}, {u"abd", u"abc", true, 1}, {u"\u00C4", u"\u00E4", true, -1},
        {u"[", u"{", true, -1},
    };
    for (const Row &r : rows) {
        const int d = UniString_Compare(r.a, r.b, r.noCase);
        EXPECT_EQ((d > 0) - (d < 0), r.sign);
    }
    EXPECT_EQ(UniString_Compare(u"a", u"c", false), int(u'a') - int(u'c'));
    EXPECT_TRUE(UniString_HasPrefix(u"Hello", u"", false));
    EXPECT_TRUE(UniString_HasPrefix(u"Hello", u"hel", true));
    EXPECT_FALSE(UniString_HasPrefix(u"Hello", u"hel", false));
    EXPECT_FALSE(UniString_HasPrefix(u"He", u"Hel", false));
}

TEST(Utility, ClipRangeToLength)
{
    struct Row
    {
        Range in;
        qint64 length;
        bool ok;
        Range out;
    };
    const Row rows[] = {
        {{2, 3}, 10, true, {2, 3}},
        {{8, 5}, 10, true, {8, 2}},
        {{10, 4}, 10, true, {10, 0}},
        {{11, 0}, 10, false, {NotFound, 0}},
        {{NotFound, 0}, 10, false, {NotFound, 0}},
        {{0, NotFound}, 10, false, {NotFound, 0}},
        {{0, 1}, NotFound, false, {NotFound, 0}},
        {{5, NotFound - 1}, 10, true, {5, 5}},
    };
    for (const Row &r : rows) {
        Range range = r.in;
        EXPECT_EQ(ClipRangeToLength(&range, r.length), r.ok) << r.in.location << "+" << r.in.length;
        EXPECT_EQ(range, r.out) << r.in.location << "+" << r.in.length;
    }
    EXPECT_FALSE(ClipRangeToLength(nullptr, 5));
}

TEST(Utility, SearchingAndCharacters)
{
    EXPECT_EQ(FindStringIndex(QStringLiteral("abcabc"), QStringLiteral("ca")), 2);
    EXPECT_EQ(FindStringIndex(QStringLiteral("abc"), QStringLiteral("B")), -1);
    EXPECT_EQ(FindStringIndex(QStringLiteral("abc"), QString()), -1);
    EXPECT_EQ(FindStringIndex(QString(), QStringLiteral("a")), -1);
    EXPECT_TRUE(IsStringAllBelow256(QString()));
    EXPECT_TRUE(IsStringAllBelow256(QStringLiteral("caf\u00E9\u00FF")));
    EXPECT_FALSE(IsStringAllBelow256(QStringLiteral("\u0100")));
    for (char16_t c : {u'\n', u'\f', u'\r', char16_t(0x2028), char16_t(0x2029)})
        EXPECT_TRUE(IsLineBreakChar(c));
    for (char16_t c : {u' ', u'\t', u'\v', char16_t(0x85)})
        EXPECT_FALSE(IsLineBreakChar(c));
    EXPECT_EQ(ToNSStringUTF8(nullptr), QStringLiteral(""));
    EXPECT_FALSE(ToNSStringUTF8(nullptr).isNull());
    EXPECT_EQ(NSStringFromUTF8CString("\xC3\xA4x"), QStringLiteral("\u00E4x"));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    EXPECT_EQ(GetKeyCharFromEvent(&key), u'A');
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_S, Qt::ControlModifier, QStringLiteral("\x13"));
    EXPECT_EQ(GetKeyCharFromEvent(&ctrl), u's');
    QKeyEvent none(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, QString());
    EXPECT_EQ(GetKeyCharFromEvent(&none), 0);
    EXPECT_EQ(GetKeyCharFromEvent(nullptr), 0);
}

TEST(Utility, NumbersAndDescriptions)
{
    EXPECT_EQ(GetDecimalReadStringFromInt(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(GetDecimalReadStringFromInt(-1000), QStringLiteral("-1,000"));
    EXPECT_EQ(GetDecimalReadStringFromInt(999), QStringLiteral("999"));
    for (int i = 0; i < 200; ++i) {
        EXPECT_LT(GetRandomNumber(7), 7u);
        const double d = GetRandomDouble(-2.0, 3.0);
        EXPECT_GE(d, -2.0);
        EXPECT_LT(d, 3.0);
    }
    EXPECT_EQ(GetRandomNumber(0), 0u);
    EXPECT_EQ(GetRandomDouble(5.0, 5.0), 5.0);
    EXPECT_EQ(GetRandomDouble(5.0, 1.0), 5.0);
    EXPECT_EQ(DescriptionOfArray_Indexed({}), QStringLiteral("[]"));
    EXPECT_EQ(DescriptionOfArray_Indexed({QStringLiteral("a%1"), 7}),
              QStringLiteral("[\n\t0\t=\ta%1\n\t1\t=\t7\n]"));
}

} // namespace
