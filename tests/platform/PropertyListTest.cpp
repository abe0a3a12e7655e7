#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstdlib>
#include <langinfo.h>
#include <limits>
#include <locale.h>
#include <sys/stat.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

using platform::PlistFormat;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// A binary property list of `levels` arrays, each holding the next one `width` times.
QByteArray nestedBinaryArrays(int levels, bool cycle = false, int width = 1)
{
    QByteArray out("bplist00");
    QList<quint32> offsets;
    for (int i = 0; i < levels; ++i) {
        offsets << quint32(out.size());
        const bool last = i == levels - 1;
        if (last && !cycle) {
            out.append(char(0xA0));
        } else {
            out.append(char(0xA0 | width));
            quint32 ref = last ? 0u : quint32(i + 1); // a cycle points back at the top
            char be[4];
            qToBigEndian(ref, be);
            for (int k = 0; k < width; ++k)
                out.append(be, 4);
        }
    }
    const quint64 tableOffset = quint64(out.size());
    for (quint32 off : offsets) {
        char be[4];
        qToBigEndian(off, be);
        out.append(be, 4);
    }
    QByteArray trailer(32, '\0');
    trailer[6] = 4; // offset size
    trailer[7] = 4; // reference size
    qToBigEndian(quint64(levels), trailer.data() + 8);
    qToBigEndian(quint64(0), trailer.data() + 16);
    qToBigEndian(tableOffset, trailer.data() + 24);
    return out + trailer;
}

QVariantMap sampleValues()
{
    QVariantMap inner;
    inner.insert(QStringLiteral("list"), QVariantList{qint64(1), QStringLiteral("two"), 3.5, true});
    inner.insert(QStringLiteral("empty list"), QVariantList{});
    inner.insert(QStringLiteral("empty map"), QVariantMap{});
    QVariantMap m;
    m.insert(QStringLiteral("int"), qint64(-42));
    m.insert(QStringLiteral("int max"), std::numeric_limits<qint64>::max());
    m.insert(QStringLiteral("int min"), std::numeric_limits<qint64>::min());
    m.insert(QStringLiteral("zero"), qint64(0));
    m.insert(QStringLiteral("real"), 0.1);
    m.insert(QStringLiteral("real whole"), 2.0);
    m.insert(QStringLiteral("yes"), true);
    m.insert(QStringLiteral("no"), false);
    m.insert(QStringLiteral("text"), QStringLiteral("Grüße <&> \"quoted\" 日本 \U0001F600"));
    m.insert(QStringLiteral("empty text"), QStringLiteral(""));
    m.insert(QStringLiteral("data"), QByteArray("\x00\x01\xff<plist>", 10));
    m.insert(QStringLiteral("date"), utc(2024, 2, 29, 23, 59, 58));
    m.insert(QStringLiteral("old date"), utc(1950, 6, 1, 12, 0, 0));
    m.insert(QStringLiteral("nested"), inner);
    m.insert(QStringLiteral("ключ"), QStringLiteral("non-ASCII key"));
    return m;
}

TEST(PropertyListTest, RoundTripKeepsTypesAndValuesInBothFormats)
{
    const QVariantMap values = sampleValues();
    for (PlistFormat format : {PlistFormat::Xml, PlistFormat::Binary}) {
        SCOPED_TRACE(format == PlistFormat::Xml ? "xml" : "binary");
        const QByteArray bytes = platform::dataFromPropertyList(values, format);
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_EQ(bytes.startsWith("bplist00"), format == PlistFormat::Binary);
        const auto back = platform::propertyListFromData(bytes);
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(back->typeId(), QMetaType::QVariantMap);
        const QVariantMap map = back->toMap();
        ASSERT_EQ(map.keys(), values.keys());
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            SCOPED_TRACE(it.key().toStdString());
            EXPECT_EQ(map.value(it.key()).typeId(), it.value().typeId());
            EXPECT_EQ(map.value(it.key()), it.value());
        }
    }
}

TEST(PropertyListTest, DatesKeepMillisecondsInBinaryAndSecondsInXml)
{
    // Before the reference date the fraction counts backwards.
    const QDateTime dates[] = {utc(2023, 5, 6, 7, 8, 9, 250), utc(2000, 12, 31, 23, 59, 58, 750)};
    for (const QDateTime &d : dates) {
        SCOPED_TRACE(d.toString(Qt::ISODateWithMs).toStdString());
        const auto bin =
            platform::propertyListFromData(platform::dataFromPropertyList(d, PlistFormat::Binary));
        ASSERT_TRUE(bin.has_value());
        EXPECT_EQ(bin->toDateTime(), d);
        const auto xml = platform::propertyListFromData(platform::dataFromPropertyList(d));
        ASSERT_TRUE(xml.has_value());
        EXPECT_EQ(xml->toDateTime().toSecsSinceEpoch(),
                  d.toSecsSinceEpoch() + (d < utc(2001, 1, 1, 0, 0, 0) ? 1 : 0));
    }
}

TEST(PropertyListTest, DatesBeyondTheStoredRangeReadAsWritableDates)
{
    // A binary list holding one date of 1e20 seconds after the reference date.
    QByteArray bytes("bplist00\x33", 9);
    char real[8];
    qToBigEndian(1e20, real);
    bytes.append(real, 8);
    bytes.append('\x08'); // offset table: the date at 8
    QByteArray trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = 1;
    qToBigEndian(quint64(1), trailer.data() + 8);
    qToBigEndian(quint64(17), trailer.data() + 24);
    const auto date = platform::propertyListFromData(bytes + trailer);
    ASSERT_TRUE(date.has_value());
    ASSERT_EQ(date->typeId(), QMetaType::QDateTime);
    EXPECT_FALSE(platform::dataFromPropertyList(*date).isEmpty());
}

TEST(PropertyListTest, ReadsHandWrittenXml)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- a comment with <array> inside -->
<dict>
	<key>count</key><integer>-17</integer>
	<key>ratio</key><real>1.5</real>
	<key>on</key><true/>
	<key>off</key><false/>
	<key>when</key><date>2010-03-04T05:06:07Z</date>
	<key>bytes</key><data>AAEC/w==</data>
	<key>name</key><string>a &amp; b &lt;c&gt;</string>
	<key>items</key><array><string>x</string><array/><dict/></array>
</dict>
</plist>
)";
    const auto v = platform::propertyListFromData(xml);
    ASSERT_TRUE(v.has_value());
    const QVariantMap m = v->toMap();
    EXPECT_EQ(m.value("count"), QVariant(qint64(-17)));
    EXPECT_EQ(m.value("ratio"), QVariant(1.5));
    EXPECT_EQ(m.value("on"), QVariant(true));
    EXPECT_EQ(m.value("off"), QVariant(false));
    EXPECT_EQ(m.value("when").toDateTime(), utc(2010, 3, 4, 5, 6, 7));
    EXPECT_EQ(m.value("bytes").toByteArray(), QByteArray("\x00\x01\x02\xff", 4));
    EXPECT_EQ(m.value("name").toString(), QStringLiteral("a & b <c>"));
    const QVariantList items = m.value("items").toList();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1].typeId(), QMetaType::QVariantList);
    EXPECT_EQ(items[2].typeId(), QMetaType::QVariantMap);
}

TEST(PropertyListTest, MalformedInputGivesNoValue)
{
    pelkotest::LogCapture quiet;
    const QByteArray valid = platform::dataFromPropertyList(sampleValues(), PlistFormat::Binary);
    QByteArray deepXml = "<plist version=\"1.0\">";
    for (int i = 0; i < 5000; ++i)
        deepXml += "<array>";
    for (int i = 0; i < 5000; ++i)
        deepXml += "</array>";
    deepXml += "</plist>";
    QByteArray badReference = nestedBinaryArrays(3);
    badReference[9 + 4] = char(0x7f); // second array's reference far beyond the object table

    const struct
    {
        const char *name;
        QByteArray bytes;
    } rows[] = {
        {"empty", QByteArray()},
        {"text", QByteArray("hello world")},
        {"binary header only", QByteArray("bplist00")},
        {"binary truncated", valid.left(valid.size() / 2)},
        {"binary trailer cut", valid.left(valid.size() - 1)},
        {"binary cycle", nestedBinaryArrays(4, true)},
        {"binary deep", nestedBinaryArrays(20000)},
        {"binary bad reference", badReference},
        // 200 bytes that unfold into 2^40 arrays when every reference is copied.
        {"binary shared containers", nestedBinaryArrays(40, false, 2)},
        {"xml truncated", platform::dataFromPropertyList(sampleValues()).left(300)},
        {"xml deep", deepXml},
        {"xml unterminated comment", QByteArray("<plist><!-- <array>")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(platform::propertyListFromData(row.bytes).has_value());
    }
    // A moderately nested list is still fine, and so is modest sharing.
    EXPECT_TRUE(platform::propertyListFromData(nestedBinaryArrays(100)).has_value());
    EXPECT_TRUE(platform::propertyListFromData(nestedBinaryArrays(8, false, 3)).has_value());
}

TEST(PropertyListTest, StringsWithNulCharactersAreRefusedNotAborted)
{
    pelkotest::LogCapture quiet;
    // {"k": "\u00e9\0b"} (UTF-16 string) and {"k": "a\0b"} (ASCII string) as binary lists.
    const QByteArray utf16(
        "bplist00\xd1\x01\x02\x51\x6b\x63\x00\xe9\x00\x00\x00\x62\x08\x0b\x0d\x00\x00\x00"
        "\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x14",
        55);
    const QByteArray ascii("bplist00\xd1\x01\x02\x51\x6b\x53\x61\x00\x62\x08\x0b\x0d\x00\x00"
                           "\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00"
                           "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x11",
                           52);
    QByteArray asciiKey = ascii;
    asciiKey.replace(QByteArray("\x51\x6b", 2), QByteArray("\x51\x00", 2)); // the key "\0"
    const QByteArray rows[] = {
        utf16,
        ascii,
        asciiKey,
        QByteArray("<plist><dict><key>a&#0;</key><string>x</string></dict></plist>"),
        QByteArray("<plist><string>a&#x000;b</string></plist>"),
        QByteArray("<plist><string>a\0b</string></plist>", 30),
    };
    for (const QByteArray &row : rows) {
        SCOPED_TRACE(row.toPercentEncoding().toStdString());
        EXPECT_FALSE(platform::propertyListFromData(row).has_value());
    }
    // Unchanged but for the NUL, both are fine.
    QByteArray fine = ascii;
    fine.replace(QByteArray("\x61\x00\x62", 3), QByteArray("\x61\x20\x62", 3));
    EXPECT_EQ(platform::propertyListFromData(fine)->toMap().value("k"), QVariant("a b"));
    EXPECT_EQ(platform::propertyListFromData("<plist><string>&#65;&#x42;</string></plist>"),
              QVariant("AB"));
}

TEST(PropertyListTest, ValuesAPropertyListCannotHoldAreRefused)
{
    const QVariant rows[] = {
        QVariant(),
        QVariant(QPoint(1, 2)),
        QVariant(QVariantList{qint64(1), QVariant(QPoint(3, 4))}),
        QVariant(QStringLiteral("cut") + QChar(0) + QStringLiteral("here")),
        QVariant(utc(2100, 1, 1, 0, 0, 0)), // beyond 32-bit seconds from 2001
        QVariant(std::numeric_limits<quint64>::max()),
    };
    for (const QVariant &v : rows) {
        SCOPED_TRACE(v.typeName() ? v.typeName() : "invalid");
        EXPECT_TRUE(platform::dataFromPropertyList(v).isEmpty());
        EXPECT_TRUE(platform::dataFromPropertyList(v, PlistFormat::Binary).isEmpty());
    }
}

TEST(PropertyListTest, QtTypesAreNormalisedToPropertyListTypes)
{
    QVariantHash hash;
    hash.insert(QStringLiteral("n"), int(7));
    const QVariantList in{int(-3), uint(4), float(0.5f), QStringList{"a", "b"}, hash};
    const auto back = platform::propertyListFromData(platform::dataFromPropertyList(QVariant(in)));
    ASSERT_TRUE(back.has_value());
    const QVariantList expected{qint64(-3), qint64(4), 0.5, QVariantList{"a", "b"},
                                QVariantMap{{"n", qint64(7)}}};
    EXPECT_EQ(back->toList(), expected);
    EXPECT_EQ(platform::normalizedPropertyListValue(QVariant(in)), QVariant(expected));
}

TEST(PropertyListTest, FilesAreWrittenWholeOrNotAtAll)
{
    pelkotest::LogCapture quiet;
    const QString dir = pelkotest::freshDir(QStringLiteral("plist"));
    const QString path = dir + QStringLiteral("/sub/values.plist");
    ASSERT_TRUE(platform::writePropertyListFile(path, sampleValues(), PlistFormat::Binary));
    auto read = platform::readPropertyListFile(path);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->toMap(), sampleValues());

    // A value that cannot be written leaves the old file as it was.
    const QByteArray before = pelkotest::readFile(path);
    EXPECT_FALSE(platform::writePropertyListFile(path, QVariant(QPoint(1, 1))));
    EXPECT_EQ(pelkotest::readFile(path), before);

    EXPECT_FALSE(platform::readPropertyListFile(dir + QStringLiteral("/missing.plist")));
    const QString fifo = dir + QStringLiteral("/pipe.plist");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(platform::readPropertyListFile(fifo)); // must not wait for a writer
    EXPECT_FALSE(platform::readPropertyListFile(QStringLiteral("/dev/zero")));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/bad.plist"), "<plist><dict><key>"));
    EXPECT_FALSE(platform::readPropertyListFile(dir + QStringLiteral("/bad.plist")));
}

} // namespace

namespace {

// A locale that writes numbers with a decimal comma; built with localedef into the test home when
// none is installed. Null when the system cannot make one.
locale_t decimalCommaLocale()
{
    static const locale_t found = [] {
        auto usable = [](locale_t l) {
            if (l && QByteArray(nl_langinfo_l(RADIXCHAR, l)) == ",")
                return l;
            if (l)
                freelocale(l);
            return locale_t(nullptr);
        };
        for (const char *name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "fr_FR.utf8"}) {
            if (locale_t l = usable(newlocale(LC_ALL_MASK, name, locale_t(nullptr))))
                return l;
        }
        const QString dir = pelkotest::freshDir(QStringLiteral("locales"));
        QProcess::execute(QStringLiteral("localedef"),
                          {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                           QStringLiteral("UTF-8"), dir + QStringLiteral("/de_DE.UTF-8")});
        qputenv("LOCPATH", dir.toLocal8Bit());
#ifdef __SANITIZE_ADDRESS__
        __lsan_disable(); // the C library keeps the parsed LOCPATH for good
#endif
        const locale_t built = usable(newlocale(LC_ALL_MASK, "de_DE.UTF-8", locale_t(nullptr)));
#ifdef __SANITIZE_ADDRESS__
        __lsan_enable();
#endif
        qunsetenv("LOCPATH");
        return built;
    }();
    return found;
}

// Switches this thread's locale for the scope.
class ThreadLocale
{
public:
    explicit ThreadLocale(locale_t l) : mPrevious(uselocale(l)) {}
    ~ThreadLocale() { uselocale(mPrevious); }

private:
    locale_t mPrevious;
};

} // namespace

// Qt takes the C library's locale from the environment, so a German user's process reads numbers
// with a decimal comma unless the reader insists on the point.
TEST(PropertyListTest, RealsReadTheSameUnderADecimalCommaLocale)
{
    const locale_t comma = decimalCommaLocale();
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma can be made here";
    const ThreadLocale scope(comma);
    ASSERT_EQ(std::strtod("0,5", nullptr), 0.5); // the locale is in force

    const QVariantMap values{{QStringLiteral("half"), 0.5},
                             {QStringLiteral("small"), 1.25e-5},
                             {QStringLiteral("big"), -3.75e200}};
    const auto back = platform::propertyListFromData(platform::dataFromPropertyList(values));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->toMap(), values);
    const auto hand = platform::propertyListFromData(
        "<plist version=\"1.0\"><array><real>0.25</real><real>1.5e3</real></array></plist>");
    ASSERT_TRUE(hand.has_value());
    EXPECT_EQ(hand->toList(), (QVariantList{0.25, 1500.0}));

    platform::UserDefaults store(pelkotest::freshDir() + QStringLiteral("/defaults.plist"));
    store.setString(QStringLiteral("2.5 px"), QStringLiteral("text"));
    store.setDouble(0.125, QStringLiteral("real"));
    ASSERT_TRUE(store.synchronize());
    store.reload();
    EXPECT_EQ(store.doubleForKey(QStringLiteral("text")), 2.5);
    EXPECT_EQ(store.doubleForKey(QStringLiteral("real")), 0.125);
}
