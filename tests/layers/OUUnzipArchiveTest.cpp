#include "layers/OUUnzipArchive.h"

#include "services/ZipArchive.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <zlib.h>

namespace {

// The archives are made once per run by Python's zipfile and Info-ZIP's zip; manifest.json says
// what each holds as zipfile reads it, so no expectation comes from minizip.
class ZipFixtures
{
public:
    static ZipFixtures &get()
    {
        static ZipFixtures fixtures(false);
        return fixtures;
    }
    // The archive of 70,000 entries, made only for the test that needs it.
    static ZipFixtures &many()
    {
        static ZipFixtures fixtures(true);
        return fixtures;
    }
    QString path(const QString &name) const { return mFolder + u'/' + name; }
    QJsonValue manifest(const QString &name) const { return mManifest.value(name); }
    bool ok() const { return mOk; }
    const QString &error() const { return mError; }

private:
    explicit ZipFixtures(bool manyOnly)
    {
        mFolder = pelkotest::freshDir(QStringLiteral("zipfixtures"));
        QStringList arguments = {pelkotest::sourceDir() +
                                     QStringLiteral("/tests/layers/data/make_zip_fixtures.py"),
                                 mFolder};
        if (manyOnly)
            arguments << QStringLiteral("--many-only");
        QProcess python;
        python.start(QStringLiteral("python3"), arguments);
        mOk = python.waitForFinished(-1) && python.exitCode() == 0;
        mError = QString::fromUtf8(python.readAllStandardError());
        mManifest =
            QJsonDocument::fromJson(pelkotest::readFile(path(QStringLiteral("manifest.json"))))
                .object();
    }
    QString mFolder;
    QJsonObject mManifest;
    bool mOk = false;
    QString mError;
};

class OUUnzipArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ZipFixtures::get().ok()) << ZipFixtures::get().error().toStdString();
    }
    static QString fixture(const char *name)
    {
        return ZipFixtures::get().path(QString::fromLatin1(name));
    }
    static std::shared_ptr<OUUnzipArchive> open(const char *name)
    {
        return OUUnzipArchive::initWithPath(fixture(name));
    }
    pelkotest::LogCapture mLog;
};

QByteArray inflateRaw(const QByteArray &compressed, qsizetype size)
{
    QByteArray out(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int rc = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    return rc == Z_STREAM_END && stream.total_out == uLong(size) ? out
                                                                 : QByteArray("inflate failed");
}

quint32 crcOf(const QByteArray &bytes)
{
    return quint32(
        crc32(0, reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size())));
}

// Listing and contents agree with zipfile's reading, for every valid archive.
TEST_F(OUUnzipArchiveTest, ListingAndContentsAgreeWithPython)
{
    for (const char *name : {"basic.zip", "zip64.zip", "infozip.zip", "sfx.zip", "base.zip",
                             "bzip2.zip", "encrypted.zip"}) {
        SCOPED_TRACE(name);
        const auto archive = open(name);
        ASSERT_TRUE(archive);
        EXPECT_FALSE(archive->hasError());
        const QJsonArray expected =
            ZipFixtures::get().manifest(QString::fromLatin1(name)).toArray();
        ASSERT_TRUE(archive->entries().has_value());
        const QList<OUUnzipEntryPtr> &entries = *archive->entries();
        ASSERT_EQ(entries.size(), expected.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const OUUnzipEntryPtr &entry = entries[i];
            const QJsonObject row = expected[i].toObject();
            SCOPED_TRACE(row.value("name").toString().left(60).toStdString());
            EXPECT_EQ(entry->name(), row.value("name").toString());
            const QString type = row.value("type").toString();
            EXPECT_EQ(entry->fileType(), type == "link"     ? NSFileTypeSymbolicLink
                                         : type == "folder" ? NSFileTypeDirectory
                                                            : NSFileTypeRegular);
            EXPECT_EQ(entry->compressionMethod(), quint64(row.value("method").toInteger()));
            EXPECT_EQ(entry->compressedSize(), quint64(row.value("compressed").toInteger()));
            EXPECT_EQ(entry->uncompressedSize(), quint64(row.value("size").toInteger()));
            EXPECT_EQ(entry->crc(), quint64(row.value("crc").toInteger()));
            EXPECT_EQ(entry->fileNumber(), quint64(i));
            EXPECT_GT(entry->positionInFile(), 0u);
            const QJsonArray date = row.value("date").toArray();
            EXPECT_EQ(entry->date().date(),
                      QDate(date[0].toInt(), date[1].toInt(), date[2].toInt()));
            EXPECT_EQ(entry->date().time(),
                      QTime(date[3].toInt(), date[4].toInt(), date[5].toInt()));

            const std::optional<QByteArray> raw = archive->dataForEntry(entry, true);
            ASSERT_TRUE(raw.has_value());
            EXPECT_EQ(quint64(raw->size()), entry->compressedSize());
            const std::optional<QByteArray> data = archive->dataForEntry(entry);
            if (!row.contains("content") ||
                (entry->compressionMethod() != 0 && entry->compressionMethod() != 8)) {
                // Encrypted and bzip2 entries are read raw only.
                EXPECT_FALSE(data.has_value());
                continue;
            }
            const QByteArray content =
                QByteArray::fromBase64(row.value("content").toString().toLatin1());
            ASSERT_TRUE(data.has_value());
            EXPECT_EQ(*data, content);
            if (entry->compressionMethod() == 8)
                EXPECT_EQ(inflateRaw(*raw, content.size()), content);
            else
                EXPECT_EQ(*raw, content);
        }
    }
}

TEST_F(OUUnzipArchiveTest, LookupByNameAndPrefix)
{
    const auto archive = open("basic.zip");
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->entryNamed("case.txt"));
    EXPECT_EQ(archive->dataForEntry(archive->entryNamed("case.txt")), QByteArray("lower"));
    EXPECT_EQ(archive->dataForEntry(archive->entryNamed("Case.txt")), QByteArray("upper"));
    EXPECT_FALSE(archive->entryNamed("CASE.TXT"));
    EXPECT_FALSE(archive->entryNamed(QString()));

    const auto folder = archive->entriesWithNamePrefix("folder/");
    ASSERT_EQ(folder.size(), 2);
    EXPECT_EQ(folder[0]->name(), "folder/");
    EXPECT_EQ(folder[1]->name(), "folder/inner.txt");
    EXPECT_TRUE(archive->entriesWithNamePrefix(QString()).isEmpty());
    EXPECT_TRUE(archive->entriesWithNamePrefix("Folder/").isEmpty());

    // The empty entry reads as empty data, not as nothing.
    const std::optional<QByteArray> empty = archive->dataForEntry(archive->entryNamed("empty.txt"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_FALSE(archive->dataForEntry(nullptr).has_value());

    // Long names are decoded whole: two that differ only after 1,500 bytes stay apart.
    const QString longA = QString(1500, u'x') + u'A';
    const QString longB = QString(1500, u'x') + u'B';
    EXPECT_EQ(archive->dataForEntry(archive->entryNamed(longA)), QByteArray("first long"));
    EXPECT_EQ(archive->dataForEntry(archive->entryNamed(longB)), QByteArray("second long"));
    EXPECT_TRUE(archive->entryNamed(QString(65535, u'n')));

    // A folder entry without Unix mode bits is a regular entry.
    EXPECT_EQ(archive->entryNamed("plain/")->fileType(), NSFileTypeRegular);
    EXPECT_EQ(archive->entryNamed("folder/")->fileType(), NSFileTypeDirectory);
    EXPECT_TRUE(archive->entryNamed("link")->shortDescription().startsWith("<OUUnzipEntry:0x"));
    EXPECT_TRUE(archive->entryNamed("link")->shortDescription().endsWith(
        QStringLiteral("'link' offset:%1 file number:7>")
            .arg(archive->entryNamed("link")->positionInFile())));
}

// Climbing, absolute and link entries are listed as stored; reading them makes no file.
TEST_F(OUUnzipArchiveTest, HostileNamesAreListedAndNothingIsWritten)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("hostile")) + QStringLiteral("/in");
    QDir().mkpath(folder);
    QFile::copy(fixture("basic.zip"), folder + QStringLiteral("/a.zip"));
    const auto archive = OUUnzipArchive::initWithPath(folder + QStringLiteral("/a.zip"));
    ASSERT_TRUE(archive);
    for (const char *name : {"../escape.txt", "/absolute.txt", "link"}) {
        const OUUnzipEntryPtr entry = archive->entryNamed(QString::fromLatin1(name));
        ASSERT_TRUE(entry) << name;
        EXPECT_TRUE(archive->dataForEntry(entry).has_value());
    }
    EXPECT_EQ(archive->dataForEntry(archive->entryNamed("link")), QByteArray("/etc/passwd"));
    EXPECT_EQ(archive->entryNamed("link")->fileType(), NSFileTypeSymbolicLink);
    EXPECT_EQ(
        QDir(folder + QStringLiteral("/..")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList{"in"});
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"a.zip"});
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/absolute.txt")));
}

// Damaged archives: nil, or what minizip's own reading of the records documents.
TEST_F(OUUnzipArchiveTest, DamagedArchives)
{
    struct Row
    {
        const char *file;
        qsizetype listed;       // -1: the listing gives nil
        const char *unreadable; // an entry whose non-raw read gives nil, or nullptr
        enum { RawNo, RawYes, RawAny } raw;
    };
    const Row rows[] = {
        {"none.zip", -1, nullptr, Row::RawNo},
        // minizip stops at the declared count when it is too small, and fails past the real end
        // when it is too large.
        {"count_small.zip", 2, nullptr, Row::RawNo},
        {"count_large.zip", -1, nullptr, Row::RawNo},
        // A directory offset of 0 lists a first entry at position 0.
        {"cd_offset_zero.zip", -1, nullptr, Row::RawNo},
        {"cd_offset_past.zip", -1, nullptr, Row::RawNo},
        {"local_disagrees.zip", 3, "a.txt", Row::RawNo},
        // Raw reads have no CRC to check: they give the declared stored bytes.
        {"bad_crc.zip", 3, "a.txt", Row::RawYes},
        {"flipped.zip", 3, "b.txt", Row::RawYes},
        {"huge_sizes.zip", 3, "a.txt", Row::RawNo},
        {"size_larger.zip", 3, "a.txt", Row::RawYes},
        {"flag_encrypted.zip", 3, "a.txt", Row::RawYes},
        {"bzip2_forged.zip", 1, "text.bz", Row::RawYes},
        // A minizip that ignores zip64 extra fields lists the 32-bit marker as the size.
        {"zip64_huge.zip", 1, "huge.bin", Row::RawAny},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        QString error;
        const auto archive = OUUnzipArchive::initWithPath(fixture(row.file), &error);
        if (row.listed < 0) {
            EXPECT_FALSE(archive);
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        ASSERT_TRUE(archive);
        ASSERT_EQ(archive->entries()->size(), row.listed);
        for (const OUUnzipEntryPtr &entry : *archive->entries()) {
            error.clear();
            const std::optional<QByteArray> data = archive->dataForEntry(entry, &error);
            if (row.unreadable && entry->name() == QLatin1String(row.unreadable)) {
                EXPECT_FALSE(data.has_value()) << entry->name().toStdString();
                EXPECT_FALSE(error.isEmpty());
                if (row.raw != Row::RawAny) {
                    EXPECT_EQ(archive->dataForEntry(entry, true).has_value(),
                              row.raw == Row::RawYes);
                }
            } else {
                ASSERT_TRUE(data.has_value()) << entry->name().toStdString();
                EXPECT_EQ(quint64(crcOf(*data)), entry->crc());
            }
        }
    }
    // Sizes stay 64-bit. Debian's minizip leaves the 32-bit marker in place of zip64 sizes; one
    // that reads them gives the real ones, and then the raw bytes are within reach.
    const auto huge = open("zip64_huge.zip");
    ASSERT_TRUE(huge);
    const OUUnzipEntryPtr hugeEntry = huge->entries()->at(0);
    if (hugeEntry->uncompressedSize() == 0xFFFFFFFFu) {
        EXPECT_EQ(hugeEntry->compressedSize(), 0xFFFFFFFFu);
        EXPECT_FALSE(huge->dataForEntry(hugeEntry, true).has_value());
    } else {
        EXPECT_EQ(hugeEntry->uncompressedSize(), (quint64(1) << 63) - 5);
        EXPECT_EQ(huge->dataForEntry(hugeEntry, true), QByteArray(1100, 'Z'));
    }
    // The bzip2 entry would otherwise come back as its compressed bytes.
    EXPECT_EQ(open("bzip2_forged.zip")->entries()->at(0)->compressionMethod(), 12u);
}

TEST_F(OUUnzipArchiveTest, ImpossibleDatesAreNullAndTheEntryStays)
{
    const auto archive = open("bad_dates.zip");
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive->entries()->size(), 3);
    EXPECT_TRUE(archive->entries()->at(0)->date().isNull());
    EXPECT_TRUE(archive->entries()->at(1)->date().isNull());
    EXPECT_EQ(archive->entries()->at(2)->date(), QDateTime(QDate(2021, 5, 6), QTime(7, 8, 10)));
    EXPECT_EQ(archive->dataForEntry(archive->entries()->at(0)), QByteArray(1100, 'A'));
}

// Cut anywhere, an archive lists as nil or reads only bytes that pass their CRC.
TEST_F(OUUnzipArchiveTest, TruncationAtEveryOffset)
{
    const QByteArray whole = pelkotest::readFile(fixture("base.zip"));
    const QString path = pelkotest::freshDir(QStringLiteral("cut")) + QStringLiteral("/cut.zip");
    for (qsizetype length = 0; length < whole.size(); ++length) {
        ASSERT_TRUE(pelkotest::writeFile(path, whole.left(length)));
        const auto archive = OUUnzipArchive::initWithPath(path);
        if (!archive || !archive->entries())
            continue;
        // Only a cut inside the end record, whose last fields minizip does not need, lists.
        EXPECT_GT(length, whole.size() - 22);
        for (const OUUnzipEntryPtr &entry : *archive->entries()) {
            const std::optional<QByteArray> data = archive->dataForEntry(entry);
            if (data) {
                EXPECT_EQ(quint64(crcOf(*data)), entry->crc()) << length;
            }
        }
    }
}

TEST_F(OUUnzipArchiveTest, FlippedByteAtEveryOffsetNeverGivesWrongBytes)
{
    const QByteArray whole = pelkotest::readFile(fixture("base.zip"));
    const QString path = pelkotest::freshDir(QStringLiteral("flip")) + QStringLiteral("/flip.zip");
    for (qsizetype at = 0; at < whole.size(); ++at) {
        QByteArray bytes = whole;
        bytes[at] = char(bytes[at] ^ 0x5A);
        ASSERT_TRUE(pelkotest::writeFile(path, bytes));
        const auto archive = OUUnzipArchive::initWithPath(path);
        if (!archive || !archive->entries())
            continue;
        for (const OUUnzipEntryPtr &entry : *archive->entries()) {
            const std::optional<QByteArray> data = archive->dataForEntry(entry);
            if (!data)
                continue;
            EXPECT_EQ(quint64(crcOf(*data)), entry->crc()) << at;
            EXPECT_EQ(quint64(data->size()), entry->uncompressedSize()) << at;
        }
    }
}

TEST_F(OUUnzipArchiveTest, PipesDevicesAndFoldersAreRefusedWithoutBlocking)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("special"));
    const QString fifo = folder + QStringLiteral("/pipe.zip");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/null"),
                                folder, folder + QStringLiteral("/missing.zip"), QString()}) {
        QString error;
        EXPECT_FALSE(OUUnzipArchive::initWithPath(path, &error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }

    // A listed archive whose file is then replaced: by a pipe, by another archive, by nothing.
    const QString path = folder + QStringLiteral("/swap.zip");
    ASSERT_TRUE(QFile::copy(fixture("base.zip"), path));
    const auto archive = OUUnzipArchive::initWithPath(path);
    ASSERT_TRUE(archive);
    const OUUnzipEntryPtr first = archive->entries()->at(0);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_FALSE(archive->dataForEntry(first).has_value());
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(fixture("bad_dates.zip"), path)); // same layout, other records
    EXPECT_EQ(archive->dataForEntry(first), QByteArray(1100, 'A'));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::copy(fixture("bzip2.zip"), path));
    EXPECT_FALSE(archive->dataForEntry(first).has_value());
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(archive->dataForEntry(first).has_value());
}

TEST_F(OUUnzipArchiveTest, SeventyThousandEntries)
{
    ZipFixtures &many = ZipFixtures::many();
    ASSERT_TRUE(many.ok()) << many.error().toStdString();
    const auto archive = OUUnzipArchive::initWithPath(many.path("many.zip"));
    ASSERT_TRUE(archive);
    const QJsonObject expected = many.manifest("many.zip").toObject();
    ASSERT_EQ(archive->entries()->size(), expected.value("count").toInt());
    EXPECT_EQ(archive->entries()->first()->name(), expected.value("first").toString());
    EXPECT_EQ(archive->entries()->last()->name(), expected.value("last").toString());
    EXPECT_EQ(archive->entries()->last()->fileNumber(), 69999u);
    EXPECT_EQ(archive->dataForEntry(archive->entries()->last()), QByteArray("69999"));
    EXPECT_EQ(archive->dataForEntry(archive->entryNamed("many/65536.txt")), QByteArray("65536"));
}

TEST_F(OUUnzipArchiveTest, TwoThreadsReadOneArchive)
{
    const auto archive = open("basic.zip");
    ASSERT_TRUE(archive);
    const QJsonArray expected = ZipFixtures::get().manifest("basic.zip").toArray();
    std::atomic<int> wrong{0};
    const auto readAll = [&] {
        for (int round = 0; round < 5; ++round) {
            for (qsizetype i = 0; i < archive->entries()->size(); ++i) {
                const auto data = archive->dataForEntry(archive->entries()->at(i));
                const QByteArray content = QByteArray::fromBase64(
                    expected[i].toObject().value("content").toString().toLatin1());
                if (!data || *data != content)
                    ++wrong;
            }
        }
    };
    std::thread first(readAll);
    std::thread second(readAll);
    first.join();
    second.join();
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
