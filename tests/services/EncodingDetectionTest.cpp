// Texts without a byte-order mark are shown in their own encoding: real paragraphs in the
// legacy encodings of their languages, and UTF-16 in both byte orders.
#include "services/EncodingDetection.h"
#include "services/TextFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>

using platform::StringEncoding;
using platform::TextEncoding;
namespace Encoding = platform::Encoding;

namespace {

// The committed paragraphs; PELKO_ENCODING_TEXTS names a folder of more in the same form.
QString corpusFolder()
{
    const QByteArray other = qgetenv("PELKO_ENCODING_TEXTS");
    if (!other.isEmpty())
        return QString::fromLocal8Bit(other);
    return pelkotest::sourceDir() + QStringLiteral("/tests/services/data/encoding-texts");
}

QStringList paragraphs(const QString &group)
{
    QFile f(corpusFolder() + u'/' + group + QStringLiteral(".txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    for (const QString &p : QString::fromUtf8(f.readAll()).split(QStringLiteral("====\n")))
        if (!p.trimmed().isEmpty())
            out << p;
    return out;
}

struct Score
{
    int shown = 0, total = 0;
};

// How many paragraphs the reader shows exactly as written, when they are stored in encoding.
Score scoreOf(const QStringList &texts, StringEncoding encoding)
{
    Score s;
    for (const QString &text : texts) {
        const QByteArray bytes = TextEncoding::encode(text, encoding, false);
        if (bytes.isNull())
            continue;
        ++s.total;
        TextFileInfo info;
        if (App_DecodeTextBytes(bytes, &info) == text)
            ++s.shown;
    }
    return s;
}

} // namespace

TEST(EncodingDetectionTest, RealTextIsShownInItsOwnEncoding)
{
    struct Row
    {
        const char *group;
        StringEncoding encoding;
    };
    const Row rows[] = {
        {"western", Encoding::WindowsCP1252}, {"central", Encoding::ISOLatin2},
        {"russian", Encoding::KOI8R},         {"japanese", Encoding::ShiftJIS},
        {"japanese", Encoding::JapaneseEUC},  {"simplified", Encoding::GB18030},
        {"traditional", Encoding::Big5},
    };
    QStringList all;
    Score sum;
    auto check = [&](const QString &label, const Score &s) {
        std::printf("  %-34s %3d of %3d shown in their own encoding\n", qPrintable(label), s.shown,
                    s.total);
        EXPECT_GE(s.total, 10) << label.toStdString();
        EXPECT_GE(s.shown * 10, s.total * 9) << label.toStdString();
        sum.shown += s.shown;
        sum.total += s.total;
    };
    for (const Row &row : rows) {
        const QStringList texts = paragraphs(QString::fromLatin1(row.group));
        if (row.encoding != Encoding::JapaneseEUC)
            all << texts;
        check(TextEncoding::localizedName(row.encoding), scoreOf(texts, row.encoding));
    }
    for (StringEncoding e : {Encoding::UTF16LE, Encoding::UTF16BE})
        check(TextEncoding::localizedName(e) + QStringLiteral(", no mark"), scoreOf(all, e));
    std::printf("  %-34s %3d of %3d\n", "all", sum.shown, sum.total);
}

TEST(EncodingDetectionTest, UnmarkedUtf16NeedsItsZeroBytesAndStrictDecoding)
{
    struct Row
    {
        const char *name;
        QByteArray bytes;
        StringEncoding expected;
    };
    const Row rows[] = {
        {"latin little-endian", QByteArray("h\0i\0\n\0", 6), Encoding::UTF16LE},
        {"latin big-endian", QByteArray("\0h\0i\0\n", 6), Encoding::UTF16BE},
        // U+4E00 has a zero low byte; the line ends still tell the order.
        {"cjk with a zero low byte",
         QByteArray("\x4E\0\0\n\x4E\x8C\0\n\0 \0\n\0"
                    "1\0"
                    "2\0\n",
                    18),
         Encoding::UTF16BE},
        {"odd length", QByteArray("h\0i\0\n", 5), 0},
        {"zeros on both sides", QByteArray("a\0\0b\0c\0\0", 8), 0},
        {"a lone surrogate", QByteArray("h\0i\0\x01\xD8\n\0", 8), 0},
        {"NUL characters", QByteArray("a\0\0\0b\0c\0d\0e\0f\0", 14), 0},
        {"no zeros", QByteArray("\x83\x41\x83\x61", 4), 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DetectUnmarkedUTF16(row.bytes), row.expected);
    }
}

TEST(EncodingDetectionTest, DetectionNeverPicksMacRomanOrAnEncodingThatDoesNotDecode)
{
    // Bytes 0x81 and 0x8D have no character in Windows Latin 1; the reader still shows the text
    // and never falls back to Mac OS Roman.
    const QByteArray bytes("Gr\xFC\xDF Gott \x81\x8D und \xE9t\xE9\n");
    TextFileInfo info;
    const QString text = App_DecodeTextBytes(bytes, &info);
    ASSERT_FALSE(text.isNull());
    EXPECT_NE(info.encoding, Encoding::MacOSRoman);
    EXPECT_FALSE(info.encodingSure);
    EXPECT_EQ(TextEncoding::encode(text, info.encoding, false), bytes);
    EXPECT_TRUE(text.contains(QString::fromUtf8("Grüß")));

    // Only what a candidate decodes in full is taken.
    for (int i = 0; i < 256; ++i) {
        const QByteArray one = QByteArray("ab ") + char(i) + QByteArray(" cd");
        const StringEncoding e = DetectTextEncodingWithICU(one);
        if (e != 0) {
            EXPECT_TRUE(TextEncoding::decodeStrict(one, e).has_value()) << i;
        }
    }
    EXPECT_EQ(DetectTextEncodingWithICU(QByteArray()), StringEncoding(0));
}
