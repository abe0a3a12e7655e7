#include "services/ZipArchive.h"

#include "platform/Log.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Archives are made by Python's zipfile, an independent writer; the script gets the archive
// path as sys.argv[1] and a ZipFile z opened for writing.
QString makeZip(const QString &body)
{
    const QString path = pelkotest::freshDir(QStringLiteral("zip")) + QStringLiteral("/a.zip");
    const QString script = QStringLiteral("import sys, zipfile\n"
                                          "z = zipfile.ZipFile(sys.argv[1], 'w', "
                                          "zipfile.ZIP_DEFLATED)\n") +
                           body + QStringLiteral("\nz.close()\n");
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return QString();
    }
    return path;
}

struct LogCapture
{
    QStringList lines;
    LogCapture()
    {
        platform::setLogSink([this](const QString &l) { lines << l; });
    }
    ~LogCapture() { platform::setLogSink(nullptr); }
};

// Every file under the folder, relative, with its content.
QMap<QString, QByteArray> tree(const QString &folder)
{
    QMap<QString, QByteArray> result;
    QDir dir(folder);
    const auto entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : entries) {
        if (info.isDir() && !info.isSymLink()) {
            const auto sub = tree(info.filePath());
            for (auto it = sub.begin(); it != sub.end(); ++it)
                result.insert(info.fileName() + u'/' + it.key(), it.value());
            result.insert(info.fileName() + u'/', QByteArray());
        } else {
            result.insert(info.fileName(), pelkotest::readFile(info.filePath()));
        }
    }
    return result;
}

TEST(ZipArchiveTest, UnpacksFilesFoldersAndNames)
{
    const QString zip = makeZip(QStringLiteral("z.writestr('a.txt', 'alpha\\n' * 1000)\n"
                                               "z.writestr('sub/deeper/b.txt', b'\\x00\\x01bin')\n"
                                               "z.writestr('empty/', '')\n"
                                               "z.writestr('\\u00fcml\\u00e4ut.txt', 'u')\n"
                                               "z.writestr('./dot/c.txt', 'c')\n"));
    const QString out = pelkotest::freshDir(QStringLiteral("out"));
    ZipArchive archive;
    ASSERT_TRUE(archive.UnzipOpenFile(zip));
    EXPECT_TRUE(archive.UnzipFileTo(out, true));
    EXPECT_TRUE(archive.UnzipCloseFile());
    EXPECT_FALSE(archive.UnzipCloseFile());

    const auto files = tree(out);
    EXPECT_EQ(files.value(QStringLiteral("a.txt")), QByteArray("alpha\n").repeated(1000));
    EXPECT_EQ(files.value(QStringLiteral("sub/deeper/b.txt")), QByteArray("\0\1bin", 5));
    EXPECT_TRUE(files.contains(QStringLiteral("empty/")));
    EXPECT_EQ(files.value(QStringLiteral("dot/c.txt")), QByteArray("c"));
    EXPECT_EQ(files.value(QString::fromUtf8("\xC3\xBCml\xC3\xA4ut.txt")), QByteArray("u"));
    EXPECT_TRUE(archive.refusedEntries().isEmpty());
}

TEST(ZipArchiveTest, OverwriteOnlyWhenAsked)
{
    const QString zip = makeZip(QStringLiteral("z.writestr('f.txt', 'new')"));
    const QString out = pelkotest::freshDir(QStringLiteral("out"));
    pelkotest::writeFile(out + QStringLiteral("/f.txt"), "old");

    ZipArchive archive;
    ASSERT_TRUE(archive.UnzipOpenFile(zip));
    EXPECT_TRUE(archive.UnzipFileTo(out, false));
    EXPECT_EQ(pelkotest::readFile(out + QStringLiteral("/f.txt")), QByteArray("old"));
    EXPECT_TRUE(archive.UnzipFileTo(out, true));
    EXPECT_EQ(pelkotest::readFile(out + QStringLiteral("/f.txt")), QByteArray("new"));
}

// Entries that would write outside the target folder, or make links, are refused and logged;
// the harmless entries of the same archive are still unpacked.
TEST(ZipArchiveTest, RefusesEntriesThatEscapeTheFolder)
{
    const QString zip = makeZip(QStringLiteral("z.writestr('../escaped.txt', 'x')\n"
                                               "z.writestr('sub/../../escaped2.txt', 'x')\n"
                                               "z.writestr('..\\\\escaped3.txt', 'x')\n"
                                               "z.writestr('/tmp/pelko_absolute_entry.txt', 'x')\n"
                                               "z.writestr('C:/windows.txt', 'x')\n"
                                               "link = zipfile.ZipInfo('link')\n"
                                               "link.create_system = 3\n"
                                               "link.external_attr = 0o120777 << 16\n"
                                               "z.writestr(link, '/etc/passwd')\n"
                                               "z.writestr('ok..name.txt', 'fine')\n"));
    const QString parent = pelkotest::freshDir(QStringLiteral("parent"));
    const QString out = parent + QStringLiteral("/out");
    LogCapture logs;
    ZipArchive archive;
    ASSERT_TRUE(archive.UnzipOpenFile(zip));
    EXPECT_FALSE(archive.UnzipFileTo(out, true));

    EXPECT_EQ(tree(parent).keys(),
              (QStringList{QStringLiteral("out/"), QStringLiteral("out/ok..name.txt")}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/pelko_absolute_entry.txt")));
    EXPECT_EQ(archive.refusedEntries().size(), 6);
    for (const QString &name : archive.refusedEntries()) {
        const bool logged = std::any_of(logs.lines.begin(), logs.lines.end(),
                                        [&](const QString &l) { return l.endsWith(name); });
        EXPECT_TRUE(logged) << name.toStdString();
    }
}

TEST(ZipArchiveTest, DoesNotFollowALinkAlreadyInTheFolder)
{
    const QString zip = makeZip(QStringLiteral("z.writestr('elsewhere/f.txt', 'x')\n"
                                               "z.writestr('target.txt', 'x')\n"));
    const QString outside = pelkotest::freshDir(QStringLiteral("outside"));
    const QString out = pelkotest::freshDir(QStringLiteral("out"));
    pelkotest::writeFile(outside + QStringLiteral("/kept.txt"), "kept");
    ASSERT_TRUE(QFile::link(outside, out + QStringLiteral("/elsewhere")));
    ASSERT_TRUE(
        QFile::link(outside + QStringLiteral("/kept.txt"), out + QStringLiteral("/target.txt")));

    ZipArchive archive;
    ASSERT_TRUE(archive.UnzipOpenFile(zip));
    EXPECT_FALSE(archive.UnzipFileTo(out, true));
    EXPECT_EQ(tree(outside).keys(), QStringList{QStringLiteral("kept.txt")});
    EXPECT_EQ(pelkotest::readFile(outside + QStringLiteral("/kept.txt")), QByteArray("kept"));
}

TEST(ZipArchiveTest, DamagedArchives)
{
    const QString good = makeZip(QStringLiteral("import random\n"
                                                "random.seed(7)\n"
                                                "z.writestr('one.txt', random.randbytes(4000))\n"
                                                "z.writestr('two.txt', 'second')\n"));
    const QByteArray bytes = pelkotest::readFile(good);
    ASSERT_GT(bytes.size(), 200);
    const QString dir = pelkotest::freshDir(QStringLiteral("damaged"));

    // Not an archive, cut short (no central directory): refused at open.
    for (const QByteArray &broken :
         {QByteArray("plain text, no zip"), bytes.left(bytes.size() / 2), QByteArray()}) {
        const QString path = dir + QStringLiteral("/broken.zip");
        ASSERT_TRUE(pelkotest::writeFile(path, broken));
        ZipArchive archive;
        EXPECT_FALSE(archive.UnzipOpenFile(path));
        EXPECT_FALSE(archive.UnzipFileTo(dir + QStringLiteral("/o"), true));
    }
    ZipArchive none;
    EXPECT_FALSE(none.UnzipOpenFile(dir + QStringLiteral("/missing.zip")));

    // Damaged compressed data: the entry fails as a whole and leaves no file, not even a
    // temporary one; the intact entry is unpacked.
    QByteArray corrupt = bytes;
    for (int i = 100; i < 130; ++i)
        corrupt[i] = char(corrupt[i] ^ 0x5A);
    const QString path = dir + QStringLiteral("/corrupt.zip");
    ASSERT_TRUE(pelkotest::writeFile(path, corrupt));
    const QString out = pelkotest::freshDir(QStringLiteral("out"));
    ZipArchive archive;
    ASSERT_TRUE(archive.UnzipOpenFile(path));
    EXPECT_FALSE(archive.UnzipFileTo(out, true));
    EXPECT_EQ(tree(out).keys(), QStringList{QStringLiteral("two.txt")});
}

// The declared size bounds an entry: data beyond it is not written, and a huge declared size
// is refused before anything is inflated.
TEST(ZipArchiveTest, DeclaredSizesAreEnforced)
{
    const QString good = makeZip(QStringLiteral("z.writestr('one.txt', 'x' * 5000)"));
    const QByteArray bytes = pelkotest::readFile(good);
    const qsizetype central = bytes.lastIndexOf("PK\x01\x02");
    ASSERT_GT(central, 0);
    const auto withDeclaredSize = [&](quint32 size) {
        QByteArray patched = bytes;
        for (int i = 0; i < 4; ++i) {
            patched[central + 24 + i] = char((size >> (8 * i)) & 0xFF); // central directory
            patched[22 + i] = char((size >> (8 * i)) & 0xFF);           // local header
        }
        const QString path = pelkotest::freshDir(QStringLiteral("lie")) + QStringLiteral("/a.zip");
        EXPECT_TRUE(pelkotest::writeFile(path, patched));
        return path;
    };
    for (quint32 size : {quint32(10), quint32(0xFFFFFFF0)}) {
        const QString out = pelkotest::freshDir(QStringLiteral("out"));
        ZipArchive archive;
        ASSERT_TRUE(archive.UnzipOpenFile(withDeclaredSize(size)));
        EXPECT_FALSE(archive.UnzipFileTo(out, true));
        EXPECT_TRUE(tree(out).isEmpty()) << size;
    }
}

} // namespace
