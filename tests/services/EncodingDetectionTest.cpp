// Texts without a byte-order mark are shown in their own encoding: real paragraphs in the
// legacy encodings of their languages, and UTF-16 in both byte orders.
#include "services/EncodingDetection.h"
#include "services/TextFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QtEndian>
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

// The bytes of the text in the encoding, converted by iconv (not by the converter under test);
// null when iconv cannot convert all of it.
QByteArray iconvBytes(const QString &text, const char *encoding)
{
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("UTF-8"),
                                          QStringLiteral("-t"), QString::fromLatin1(encoding)});
    if (!iconv.waitForStarted(5000))
        return {};
    iconv.write(text.toUtf8());
    iconv.closeWriteChannel();
    if (!iconv.waitForFinished(10000) || iconv.exitStatus() != QProcess::NormalExit ||
        iconv.exitCode() != 0)
        return {};
    return iconv.readAllStandardOutput();
}

// How many of the texts the reader shows as their own encoding shows them, when iconv stores
// them in that encoding. What iconv and ICU map differently (a yen sign for a backslash) is no
// fault of the detection, so the reference is ICU's strict decoding of the same bytes.
Score scoreOf(const QStringList &texts, const char *iconvName, StringEncoding encoding)
{
    Score s;
    for (const QString &text : texts) {
        const QByteArray bytes = iconvBytes(text, iconvName);
        if (bytes.isEmpty())
            continue;
        const auto own = TextEncoding::decodeStrict(bytes, encoding);
        if (!own)
            continue;
        ++s.total;
        TextFileInfo info;
        s.shown += App_DecodeTextBytes(bytes, &info) == *own;
    }
    return s;
}

// The translations of a compiled message catalogue (.mo), in their order; the header entry and
// anything malformed are left out.
QStringList catalogueTranslations(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > (8 << 20))
        return {};
    const QByteArray data = f.readAll();
    if (data.size() < 28)
        return {};
    const auto *raw = reinterpret_cast<const uchar *>(data.constData());
    const bool little = qFromLittleEndian<quint32>(raw) == 0x950412deu;
    if (!little && qFromBigEndian<quint32>(raw) != 0x950412deu)
        return {};
    auto word = [&](qint64 at) -> qint64 {
        if (at < 0 || at + 4 > data.size())
            return -1;
        return little ? qFromLittleEndian<quint32>(raw + at) : qFromBigEndian<quint32>(raw + at);
    };
    const qint64 count = word(8), translations = word(16);
    QStringList out;
    for (qint64 i = 1; i < count; ++i) {
        const qint64 length = word(translations + 8 * i), offset = word(translations + 8 * i + 4);
        if (length < 0 || offset < 0 || offset + length > data.size())
            break;
        // Plural forms follow each other after a NUL: the first is enough.
        const QByteArray text = data.mid(offset, length).split('\0').value(0);
        out << QString::fromUtf8(text);
    }
    return out;
}

// Paragraphs of at least minimum characters, one from each catalogue of the languages, with
// enough characters outside ASCII to tell encodings apart.
QStringList catalogueParagraphs(const QStringList &languages, int wanted)
{
    constexpr int minimum = 400;
    QStringList catalogues;
    for (const QString &language : languages) {
        QDirIterator it(QStringLiteral("/usr/share/locale/") + language +
                            QStringLiteral("/LC_MESSAGES"),
                        {QStringLiteral("*.mo")}, QDir::Files);
        while (it.hasNext())
            catalogues << it.next();
    }
    std::sort(catalogues.begin(), catalogues.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).fileName() != QFileInfo(b).fileName()
                   ? QFileInfo(a).fileName() < QFileInfo(b).fileName()
                   : a < b;
    });
    QStringList out;
    for (const QString &path : catalogues) {
        QString paragraph;
        for (const QString &t : catalogueTranslations(path)) {
            const QString line = t.simplified();
            if (line.size() < 20 || line.contains(QChar::ReplacementCharacter))
                continue;
            paragraph += line + u'\n';
            if (paragraph.size() >= minimum)
                break;
        }
        const auto nonAscii = std::count_if(paragraph.begin(), paragraph.end(),
                                            [](QChar c) { return c.unicode() > 0x7F; });
        if (paragraph.size() >= minimum && nonAscii >= 20)
            out << paragraph;
        if (out.size() >= wanted)
            break;
    }
    return out;
}

} // namespace

TEST(EncodingDetectionTest, MessageCataloguesOfThisSystemAreShownInTheirOwnEncoding)
{
    // Up to 30 paragraphs per encoding from the system's message catalogues, converted by iconv.
    // A system with fewer than 10 for an encoding only prints its count for that one.
    struct Row
    {
        const char *iconvName;
        StringEncoding encoding;
        QStringList languages;
    };
    const Row rows[] = {
        {"WINDOWS-1252",
         Encoding::WindowsCP1252,
         {"de", "fr", "es", "it", "pt", "nl", "da", "sv", "fi", "ca"}},
        {"ISO-8859-2", Encoding::ISOLatin2, {"cs", "pl", "hu", "sk", "sl", "hr"}},
        {"KOI8-R", Encoding::KOI8R, {"ru"}},
        {"SHIFT_JIS", Encoding::ShiftJIS, {"ja"}},
        {"EUC-JP", Encoding::JapaneseEUC, {"ja"}},
        {"GB18030", Encoding::GB18030, {"zh_CN"}},
        {"BIG5", Encoding::Big5, {"zh_TW"}},
        {"UTF-16LE", Encoding::UTF16LE, {"de", "cs", "ru", "ja", "zh_CN"}},
        {"UTF-16BE", Encoding::UTF16BE, {"fr", "pl", "ru", "ja", "zh_TW"}},
    };
    Score sum;
    for (const Row &row : rows) {
        const Score s =
            scoreOf(catalogueParagraphs(row.languages, 30), row.iconvName, row.encoding);
        std::printf("  system catalogues, %-12s %3d of %3d shown in their own encoding\n",
                    row.iconvName, s.shown, s.total);
        if (s.total >= 10) {
            EXPECT_GE(s.shown * 10, s.total * 9) << row.iconvName;
            sum.shown += s.shown;
            sum.total += s.total;
        }
    }
    std::printf("  system catalogues, all          %3d of %3d\n", sum.shown, sum.total);
}

TEST(EncodingDetectionTest, RealTextIsShownInItsOwnEncoding)
{
    struct Row
    {
        const char *group;
        const char *iconvName;
        StringEncoding encoding;
    };
    const Row rows[] = {
        {"western", "WINDOWS-1252", Encoding::WindowsCP1252},
        {"central", "ISO-8859-2", Encoding::ISOLatin2},
        {"russian", "KOI8-R", Encoding::KOI8R},
        {"japanese", "SHIFT_JIS", Encoding::ShiftJIS},
        {"japanese", "EUC-JP", Encoding::JapaneseEUC},
        {"simplified", "GB18030", Encoding::GB18030},
        {"traditional", "BIG5", Encoding::Big5},
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
        check(TextEncoding::localizedName(row.encoding),
              scoreOf(texts, row.iconvName, row.encoding));
    }
    check(QStringLiteral("UTF-16 little-endian, no mark"),
          scoreOf(all, "UTF-16LE", Encoding::UTF16LE));
    check(QStringLiteral("UTF-16 big-endian, no mark"),
          scoreOf(all, "UTF-16BE", Encoding::UTF16BE));
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
