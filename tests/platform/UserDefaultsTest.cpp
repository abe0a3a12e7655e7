#include "platform/Log.h"
#include "platform/UserDefaults.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QPoint>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <limits>
#include <thread>
#include <vector>

using platform::UserDefaults;

namespace {

QString freshStorePath()
{
    return pelkotest::freshDir(QStringLiteral("defaults")) + QStringLiteral("/defaults.plist");
}

TEST(UserDefaultsTest, StandardStoreLivesInTheConfigFolder)
{
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/pelkomerge/defaults.plist");
    EXPECT_EQ(UserDefaults::standard().filePath(), expected);
}

TEST(UserDefaultsTest, ValuesKeepTheirExactTypeThroughTheFile)
{
    const QString path = freshStorePath();
    const QDateTime when(QDate(2022, 11, 3), QTime(14, 15, 16), Qt::UTC);
    const struct
    {
        const char *key;
        QVariant value;
    } rows[] = {
        {"int", QVariant(qint64(-7))},
        {"int max", QVariant(std::numeric_limits<qint64>::max())},
        {"real", QVariant(2.0)}, // a whole real stays a real
        {"real small", QVariant(1e-300)},
        {"bool", QVariant(true)},
        {"string", QVariant(QStringLiteral("line1\nline2\t\"x\" & <y>"))},
        {"empty string", QVariant(QStringLiteral(""))},
        {"data", QVariant(QByteArray("\x00\x80\xff", 3))},
        {"date", QVariant(when)},
        {"array", QVariant(QVariantList{qint64(1), QStringLiteral("a"), QVariantList{}})},
        {"dictionary", QVariant(QVariantMap{{"x", 1.5}, {"y", QVariantMap{{"z", false}}}})},
    };
    {
        UserDefaults store(path);
        for (const auto &row : rows)
            store.setObject(row.value, QString::fromLatin1(row.key));
        ASSERT_TRUE(store.synchronize());
    }
    UserDefaults reread(path);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.key);
        const QVariant v = reread.objectForKey(QString::fromLatin1(row.key));
        EXPECT_EQ(v.typeId(), row.value.typeId());
        EXPECT_EQ(v, row.value);
    }
    EXPECT_FALSE(reread.objectForKey(QStringLiteral("absent")).isValid());
}

TEST(UserDefaultsTest, QtTypesAndDatesAreStoredAsTheFileKeepsThem)
{
    UserDefaults store(freshStorePath());
    store.setObject(QVariant(int(5)), QStringLiteral("int"));
    store.setObject(QVariant(QStringList{"a", "b"}), QStringLiteral("list"));
    // Local time with milliseconds becomes UTC, whole seconds, before and after saving alike.
    const QDateTime local(QDate(2021, 7, 8), QTime(9, 10, 11, 999), Qt::OffsetFromUTC, 7200);
    store.setObject(QVariant(local), QStringLiteral("date"));
    const QDateTime expected(QDate(2021, 7, 8), QTime(7, 10, 11), Qt::UTC);
    EXPECT_EQ(store.objectForKey(QStringLiteral("int")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(store.arrayForKey(QStringLiteral("list")), (QVariantList{"a", "b"}));
    EXPECT_EQ(store.objectForKey(QStringLiteral("date")).toDateTime(), expected);
    EXPECT_EQ(store.objectForKey(QStringLiteral("date")).toDateTime().timeSpec(), Qt::UTC);
    ASSERT_TRUE(store.synchronize());
    store.reload();
    EXPECT_EQ(store.objectForKey(QStringLiteral("date")).toDateTime(), expected);
}

TEST(UserDefaultsTest, TypedReadsConvertNumbersAndAnswerNeutralValues)
{
    UserDefaults store(freshStorePath());
    store.setObject(QStringLiteral("  42abc"), QStringLiteral("numeric text"));
    store.setObject(QStringLiteral("YES"), QStringLiteral("yes text"));
    store.setObject(QStringLiteral("2.5e1x"), QStringLiteral("real text"));
    store.setObject(QStringLiteral("99999999999999999999"), QStringLiteral("huge text"));
    store.setObject(3.99, QStringLiteral("real"));
    store.setObject(-1e300, QStringLiteral("huge real"));
    store.setObject(true, QStringLiteral("bool"));
    store.setObject(qint64(0), QStringLiteral("zero"));
    store.setObject(QVariantList{1}, QStringLiteral("array"));

    const struct
    {
        const char *key;
        qint64 integer;
        double real;
        bool flag;
        bool isString;
    } rows[] = {
        {"numeric text", 42, 42.0, true, true},
        {"yes text", 0, 0.0, true, true},
        {"real text", 2, 25.0, true, true},
        {"huge text", std::numeric_limits<qint64>::max(), 1e20, true, true},
        {"real", 3, 3.99, true, false},
        {"huge real", std::numeric_limits<qint64>::min(), -1e300, true, false},
        {"bool", 1, 1.0, true, false},
        {"zero", 0, 0.0, false, false},
        {"array", 0, 0.0, false, false},
        {"absent", 0, 0.0, false, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.key);
        const QString key = QString::fromLatin1(row.key);
        EXPECT_EQ(store.integerForKey(key), row.integer);
        EXPECT_DOUBLE_EQ(store.doubleForKey(key), row.real);
        EXPECT_EQ(store.boolForKey(key), row.flag);
        EXPECT_EQ(store.stringForKey(key).isNull(), !row.isString);
    }
    EXPECT_TRUE(store.dataForKey(QStringLiteral("numeric text")).isEmpty());
    EXPECT_TRUE(store.dictionaryForKey(QStringLiteral("array")).isEmpty());
}

TEST(UserDefaultsTest, RemovingAndRefusingValues)
{
    pelkotest::LogCapture log;
    UserDefaults store(freshStorePath());
    store.setString(QStringLiteral("v"), QStringLiteral("a"));
    store.setString(QStringLiteral("v"), QStringLiteral("b"));
    store.setInteger(3, QStringLiteral("c"));
    store.setString(QString(), QStringLiteral("a")); // nil removes
    store.setObject(QVariant(), QStringLiteral("b"));
    store.removeObjectForKey(QStringLiteral("c"));
    EXPECT_FALSE(store.hasKey(QStringLiteral("a")));
    EXPECT_FALSE(store.hasKey(QStringLiteral("b")));
    EXPECT_FALSE(store.hasKey(QStringLiteral("c")));

    // A value the file cannot hold is refused, and later saves still work.
    store.setObject(QVariant(QPoint(1, 2)), QStringLiteral("point"));
    store.setObject(QVariant(QVariantList{QVariant(QPoint(1, 2))}), QStringLiteral("points"));
    EXPECT_FALSE(store.hasKey(QStringLiteral("point")));
    EXPECT_FALSE(store.hasKey(QStringLiteral("points")));
    EXPECT_EQ(log.lines().size(), 2);
    store.setBool(true, QStringLiteral("ok"));
    EXPECT_TRUE(store.synchronize());
}

TEST(UserDefaultsTest, DamagedFileIsKeptAsideAndAnEmptyStoreUsed)
{
    pelkotest::LogCapture log;
    const QString path = freshStorePath();
    const QByteArray damaged("<?xml version=\"1.0\"?><plist><dict><key>a</key><integer>1");
    ASSERT_TRUE(pelkotest::writeFile(path, damaged));
    UserDefaults store(path);
    EXPECT_FALSE(store.hasKey(QStringLiteral("a")));
    ASSERT_FALSE(log.lines().isEmpty());
    EXPECT_TRUE(log.lines().last().startsWith(QStringLiteral("ERROR")));
    EXPECT_TRUE(log.lines().last().contains(QStringLiteral("damaged")));

    const QStringList aside = QDir(QFileInfo(path).absolutePath())
                                  .entryList({QStringLiteral("defaults.plist.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(pelkotest::readFile(QFileInfo(path).absolutePath() + '/' + aside.first()), damaged);

    store.setInteger(2, QStringLiteral("a"));
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(UserDefaults(path).integerForKey(QStringLiteral("a")), 2);

    // A property list that is not a dictionary is as unusable as a broken one.
    const QString other = freshStorePath();
    ASSERT_TRUE(pelkotest::writeFile(other, "<plist><array/></plist>"));
    EXPECT_TRUE(UserDefaults(other).dictionaryRepresentation().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(other));
}

TEST(UserDefaultsTest, AnOversizedFileIsRefusedUnreadAndNeverEchoed)
{
    // Well formed, and far larger than any settings: its size alone refuses it.
    const QByteArray marker("SECRET-CONTENT-MARKER");
    QByteArray big = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>";
    big += marker;
    big += QByteArray(20 * 1024 * 1024, 'x');
    big += "</string></dict></plist>";
    pelkotest::LogCapture log;
    const QString path = freshStorePath();
    ASSERT_TRUE(pelkotest::writeFile(path, big));
    UserDefaults store(path);
    EXPECT_FALSE(store.hasKey(QStringLiteral("a")));
    ASSERT_FALSE(log.lines().isEmpty());
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral("refused unread")));
    for (const QString &line : log.lines())
        EXPECT_FALSE(line.contains(QString::fromLatin1(marker)));
    // Kept aside like a damaged file; the store starts empty and saves.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath())
                  .entryList({QStringLiteral("defaults.plist.damaged-*")})
                  .size(),
              1);
    store.setInteger(1, QStringLiteral("b"));
    EXPECT_TRUE(store.synchronize());
    // Settings are this user's alone.
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, 0);
}

TEST(UserDefaultsTest, FailedSaveIsReportedAndKeepsTheValues)
{
    pelkotest::LogCapture log;
    const QString dir = pelkotest::freshDir(QStringLiteral("defaults"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/file"), "x"));
    UserDefaults store(dir + QStringLiteral("/file/defaults.plist")); // parent is a file
    store.setInteger(1, QStringLiteral("k"));
    EXPECT_FALSE(store.synchronize());
    EXPECT_EQ(store.integerForKey(QStringLiteral("k")), 1);

    // A pipe in the file's place is neither waited on nor replaced.
    const QString fifo = dir + QStringLiteral("/pipe.plist");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    UserDefaults onPipe(fifo);
    EXPECT_FALSE(onPipe.hasKey(QStringLiteral("k")));
    onPipe.setInteger(2, QStringLiteral("k"));
    EXPECT_FALSE(onPipe.synchronize());
    EXPECT_FALSE(QFileInfo(fifo).isFile()); // still the pipe

    // Pointing the store at a good file works, and reload drops what was not saved.
    store.setFilePath(freshStorePath());
    store.setInteger(5, QStringLiteral("k"));
    ASSERT_TRUE(store.synchronize());
    store.setInteger(6, QStringLiteral("k"));
    store.reload();
    EXPECT_EQ(store.integerForKey(QStringLiteral("k")), 5);
}

TEST(UserDefaultsTest, ConcurrentWritersAndReadersKeepEveryValue)
{
    UserDefaults store(freshStorePath());
    constexpr int threads = 4;
    constexpr int perThread = 200;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&store, t] {
            for (int i = 0; i < perThread; ++i) {
                const QString key = QStringLiteral("t%1.%2").arg(t).arg(i);
                store.setInteger(i, key);
                (void)store.integerForKey(QStringLiteral("t0.0"));
                if (i % 50 == 0)
                    store.synchronize();
            }
        });
    }
    for (auto &w : workers)
        w.join();
    EXPECT_EQ(store.dictionaryRepresentation().size(), threads * perThread);
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(UserDefaults(store.filePath()).dictionaryRepresentation().size(),
              threads * perThread);
}

} // namespace
