#include "platform/TextEncoding.h"

#include <QSet>
#include <gtest/gtest.h>

using platform::StringEncoding;
using platform::TextEncoding;
namespace Enc = platform::Encoding;

namespace {

const QString kJapanese = QStringLiteral("日本語のテキスト、カナとかな。ABC");
const QString kLatin = QStringLiteral("Crème brûlée à l'œuvre? Ça va, Zoë");
const QString kEmoji = QStringLiteral("smile \U0001F600 and \U0001F680!");

TEST(TextEncodingTest, RoundTripsTextsThroughEncodings)
{
    struct Row
    {
        StringEncoding encoding;
        QString text;
    };
    const Row rows[] = {
        {Enc::UTF8, kJapanese + kEmoji},
        {Enc::UTF16, kEmoji},
        {Enc::UTF16BE, kEmoji},
        {Enc::UTF16LE, kEmoji},
        {Enc::UTF32, kEmoji},
        {Enc::UTF32BE, kEmoji},
        {Enc::UTF32LE, kEmoji},
        {Enc::ShiftJIS, kJapanese},
        {Enc::JapaneseEUC, kJapanese},
        {Enc::ISO2022JP, kJapanese},
        {Enc::ISOLatin1, QStringLiteral("Crème brûlée, Zoë, Ça")},
        {Enc::MacOSRoman, kLatin},
        {Enc::WindowsCP1252, kLatin},
        {Enc::ISOLatin9, QStringLiteral("Œuvre à 5 €")},
        {Enc::WindowsCP1251, QStringLiteral("Привет, мир")},
        {Enc::KOI8R, QStringLiteral("Привет, мир")},
        {Enc::GB18030, QStringLiteral("简体中文 \U0001F600")},
        {Enc::Big5, QStringLiteral("繁體中文")},
        {Enc::EUCKR, QStringLiteral("한국어")},
        {Enc::ASCII, QStringLiteral("plain text\r\n\t~")},
        {Enc::NonLossyASCII, QStringLiteral("back\\slash é \U0001F600 日本")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(TextEncoding::localizedName(row.encoding).toStdString());
        ASSERT_TRUE(TextEncoding::isAvailable(row.encoding));
        bool lossy = true;
        const QByteArray bytes = TextEncoding::encode(row.text, row.encoding, false, &lossy);
        ASSERT_FALSE(bytes.isNull());
        EXPECT_FALSE(lossy);
        EXPECT_EQ(TextEncoding::decodeStrict(bytes, row.encoding), row.text);
    }
}

TEST(TextEncodingTest, ByteOrderOfUnicodeEncodings)
{
    EXPECT_EQ(TextEncoding::encode("A", Enc::UTF16BE, false), QByteArray("\0A", 2));
    EXPECT_EQ(TextEncoding::encode("A", Enc::UTF16LE, false), QByteArray("A\0", 2));
    EXPECT_EQ(TextEncoding::encode("A", Enc::UTF16, false), QByteArray("\xFF\xFE"
                                                                       "A\0",
                                                                       4));
    EXPECT_EQ(TextEncoding::encode("A", Enc::UTF32, false), QByteArray("\xFF\xFE\0\0A\0\0\0", 8));

    // Plain UTF-16 and UTF-32: the byte-order mark decides, big-endian without one.
    EXPECT_EQ(TextEncoding::decodeStrict(QByteArray("\0A\0B", 4), Enc::UTF16), "AB");
    EXPECT_EQ(TextEncoding::decodeStrict(QByteArray("\xFE\xFF\0A", 4), Enc::UTF16), "A");
    EXPECT_EQ(TextEncoding::decodeStrict(QByteArray("\xFF\xFE"
                                                    "A\0",
                                                    4),
                                         Enc::UTF16),
              "A");
    EXPECT_EQ(TextEncoding::decodeStrict(QByteArray("\0\0\0A", 4), Enc::UTF32), "A");
    EXPECT_EQ(TextEncoding::decodeStrict(QByteArray("\xFF\xFE\0\0A\0\0\0", 8), Enc::UTF32), "A");
    // The explicit byte orders keep a mark as a character.
    EXPECT_EQ(TextEncoding::decodeStrict(QByteArray("\xFE\xFF\0A", 4), Enc::UTF16BE),
              QString(QChar(0xFEFF)) + "A");
}

TEST(TextEncodingTest, StrictDecodingRejectsWhatIsNotExactlyThatEncoding)
{
    struct Row
    {
        const char *why;
        QByteArray bytes;
        StringEncoding encoding;
    };
    const Row rows[] = {
        {"UTF-8 stray continuation", "a\x80z", Enc::UTF8},
        {"UTF-8 overlong slash", "\xC0\xAF", Enc::UTF8},
        {"UTF-8 overlong three bytes", "\xE0\x80\xAF", Enc::UTF8},
        {"UTF-8 surrogate", "\xED\xA0\x80", Enc::UTF8},
        {"UTF-8 above U+10FFFF", "\xF4\x90\x80\x80", Enc::UTF8},
        {"UTF-8 truncated", "ab\xE6\x97", Enc::UTF8},
        {"ASCII with 8-bit byte", "caf\xE9", Enc::ASCII},
        {"UTF-16 odd length", QByteArray("\0A\0", 3), Enc::UTF16BE},
        {"UTF-16 lone high surrogate", QByteArray("\xD8\x3D\0A", 4), Enc::UTF16BE},
        {"UTF-16 lone low surrogate", QByteArray("\0A\xDE\x00", 4), Enc::UTF16},
        {"UTF-32 above U+10FFFF", QByteArray("\0\x11\0\0", 4), Enc::UTF32BE},
        {"UTF-32 surrogate", QByteArray("\0\0\xD8\0", 4), Enc::UTF32BE},
        {"Shift-JIS truncated", "\x93\xFA\x96", Enc::ShiftJIS},
        {"EUC-JP bad trail", "\xC6\x20", Enc::JapaneseEUC},
        {"ISO-2022-JP 8-bit byte", "\x1B$B\xC6\xFC", Enc::ISO2022JP},
        {"non-lossy ASCII lone backslash", "a\\z", Enc::NonLossyASCII},
        {"non-lossy ASCII short escape", "\\u12", Enc::NonLossyASCII},
        {"non-lossy ASCII 8-bit byte", "\xE9", Enc::NonLossyASCII},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_FALSE(TextEncoding::decodeStrict(row.bytes, row.encoding));
    }
    EXPECT_FALSE(TextEncoding::decodeStrict("abc", 0));
    EXPECT_FALSE(TextEncoding::decodeStrict("abc", 0x8000FFFF));
    const auto empty = TextEncoding::decodeStrict(QByteArray(), Enc::UTF8);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
}

TEST(TextEncodingTest, LossyEncodingSubstitutesOrRefuses)
{
    bool lossy = false;
    const QString text = QStringLiteral("a€b日");
    EXPECT_EQ(TextEncoding::encode(text, Enc::ASCII, true, &lossy), "a?b?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(TextEncoding::encode(text, Enc::ISOLatin1, true, &lossy), "a?b?");
    EXPECT_TRUE(lossy);
    EXPECT_TRUE(TextEncoding::encode(text, Enc::ISOLatin1, false, &lossy).isNull());
    EXPECT_TRUE(lossy);
    // One '?' per character, also for one beyond the basic plane.
    EXPECT_EQ(TextEncoding::encode(QStringLiteral("x\U0001F600y"), Enc::ShiftJIS, true), "x?y");
    // A lone surrogate cannot become UTF-8.
    const QString broken = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    EXPECT_TRUE(TextEncoding::encode(broken, Enc::UTF8, false, &lossy).isNull());
    EXPECT_EQ(TextEncoding::encode(broken, Enc::UTF8, true, &lossy), "a?b");

    EXPECT_EQ(TextEncoding::encode(QStringLiteral("a€"), Enc::WindowsCP1252, false, &lossy),
              "a\x80");
    EXPECT_FALSE(lossy);
    const QByteArray empty = TextEncoding::encode(QString(), Enc::UTF16, false);
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(TextEncoding::encode("abc", 0, true).isNull());
}

TEST(TextEncodingTest, NonLossyAsciiEscapes)
{
    EXPECT_EQ(TextEncoding::encode(QStringLiteral("é\\x"), Enc::NonLossyASCII, false),
              "\\u00e9\\\\x");
    EXPECT_EQ(TextEncoding::encode(QStringLiteral("\U0001F600"), Enc::NonLossyASCII, false),
              "\\ud83d\\ude00");
    EXPECT_EQ(TextEncoding::decodeStrict("\\u00E9\\351", Enc::NonLossyASCII), QStringLiteral("éé"));
}

TEST(TextEncodingTest, IanaNamesBothWays)
{
    const QList<StringEncoding> all = TextEncoding::availableEncodings();
    for (StringEncoding e : all) {
        const QString name = TextEncoding::ianaName(e);
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(name, name.toLower());
        EXPECT_EQ(TextEncoding::fromIanaName(name), e);
        EXPECT_EQ(TextEncoding::fromIanaName(name.toUpper()), e);
    }
    struct Row
    {
        const char *alias;
        StringEncoding encoding;
    };
    const Row aliases[] = {
        {"UTF8", Enc::UTF8},
        {"latin1", Enc::ISOLatin1},
        {"SJIS", Enc::ShiftJIS},
        {"cp1252", Enc::WindowsCP1252},
        {"x-mac-roman", Enc::MacOSRoman},
        {"ASCII", Enc::ASCII},
        {"csEUCPkdFmtJapanese", Enc::JapaneseEUC},
        {"UTF16", Enc::UTF16},
        {"ucs-4", Enc::UTF32},
        {"UnicodeBigUnmarked", Enc::UTF16BE},
    };
    for (const Row &row : aliases) {
        SCOPED_TRACE(row.alias);
        EXPECT_EQ(TextEncoding::fromIanaName(QString::fromLatin1(row.alias)), row.encoding);
    }
    EXPECT_EQ(TextEncoding::fromIanaName("no-such-charset"), 0u);
    EXPECT_EQ(TextEncoding::fromIanaName(""), 0u);
    EXPECT_TRUE(TextEncoding::ianaName(0).isNull());
}

TEST(TextEncodingTest, AvailableListIsUsable)
{
    const QList<StringEncoding> all = TextEncoding::availableEncodings();
    EXPECT_GE(all.size(), 40);
    EXPECT_EQ(all.first(), Enc::UTF8);
    QSet<QString> names;
    for (StringEncoding e : all) {
        const QString name = TextEncoding::localizedName(e);
        EXPECT_FALSE(name.isEmpty());
        names.insert(name);
        // Every listed encoding really converts ASCII text.
        EXPECT_EQ(TextEncoding::decodeStrict(TextEncoding::encode("Text 1", e, false), e),
                  QStringLiteral("Text 1"))
            << name.toStdString();
    }
    EXPECT_EQ(names.size(), all.size()); // menus map titles back to numbers
    EXPECT_EQ(TextEncoding::localizedName(Enc::UTF8), "Unicode (UTF-8)");
    EXPECT_EQ(TextEncoding::localizedName(Enc::ISOLatin1), "Western (ISO Latin 1)");
    EXPECT_EQ(TextEncoding::localizedName(Enc::ShiftJIS), "Japanese (Shift JIS)");
    EXPECT_EQ(TextEncoding::localizedName(Enc::MacOSRoman), "Western (Mac OS Roman)");
    for (StringEncoding needed : {Enc::ASCII, Enc::JapaneseEUC, Enc::NonLossyASCII, Enc::ISOLatin2,
                                  Enc::ISO2022JP, Enc::WindowsCP1250})
        EXPECT_TRUE(all.contains(needed)) << needed;
}

} // namespace
