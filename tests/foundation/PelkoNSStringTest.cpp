#include "foundation/PelkoNSString.h"
#include "platform/Guard.h"
#include "foundation/FoundationServices.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(PelkoNSString, ContainmentAndPrefix)
{
    EXPECT_TRUE(containsString2(QStringLiteral("Hello World"), QStringLiteral("o W")));
    EXPECT_FALSE(containsString2(QStringLiteral("Hello World"), QStringLiteral("o w")));
    EXPECT_FALSE(containsString2(QString(), QStringLiteral("a")));
    EXPECT_FALSE(containsString2(QStringLiteral("abc"), QString()));
    EXPECT_FALSE(contain(QStringLiteral("abc"), QStringLiteral("")));
    EXPECT_TRUE(contain(QStringLiteral("abc"), QStringLiteral("bc")));

    EXPECT_TRUE(hasPrefixNoCase(QStringLiteral("README.md"), QStringLiteral("readme")));
    EXPECT_TRUE(hasPrefixNoCase(QStringLiteral("ÄBC"), QStringLiteral("äb")));
    EXPECT_FALSE(hasPrefixNoCase(QStringLiteral("abc"), QString()));
    EXPECT_FALSE(hasPrefixNoCase(QString(), QStringLiteral("a")));
}

TEST(PelkoNSString, LocalisedTextsGoThroughTheInstalledTranslator)
{
    // Nothing installed: the English text stands, and the empty text stays non-null.
    InstallFoundationServices({});
    EXPECT_EQ(toLocalizeString(QStringLiteral("Quit {*app*}")), QStringLiteral("Quit {*app*}"));
    EXPECT_FALSE(toLocalizeString(QString()).isNull());

    FoundationServices services;
    services.translate = [](const QString &english) { return QStringLiteral("<") + english + '>'; };
    InstallFoundationServices(services);
    EXPECT_EQ(toLocalizeString(QStringLiteral("Quit")), QStringLiteral("<Quit>"));
    // The empty text never reaches the translator.
    EXPECT_FALSE(toLocalizeString(QString()).isNull());
    EXPECT_TRUE(toLocalizeString(QString()).isEmpty());
    InstallFoundationServices({});
}

TEST(PelkoNSString, InstalledFileTestsAreAsked)
{
    FoundationServices services;
    services.fileExists = [](const QString &path) { return path == QStringLiteral("/only-file"); };
    services.folderExists = [](const QString &path) { return path == QStringLiteral("/only-dir"); };
    InstallFoundationServices(services);
    EXPECT_TRUE(isFileExist(QStringLiteral("/only-file")));
    EXPECT_FALSE(isFileExist(QStringLiteral("/only-dir")));
    EXPECT_TRUE(isFolderExist(QStringLiteral("/only-dir")));
    EXPECT_TRUE(isFileOrFolderExist(QStringLiteral("/only-dir")));
    EXPECT_FALSE(isFileOrFolderExist(QString()));
    InstallFoundationServices({});
}

TEST(PelkoNSString, CodeUnits)
{
    const QString s = QStringLiteral("a\U0001F600");
    EXPECT_EQ(CHARAT(s, 0), u'a');
    EXPECT_EQ(CHARAT(s, 1), char16_t(0xD83D));
    EXPECT_EQ(CHARAT(s, 3), 0);
    EXPECT_EQ(CHARAT(s, -1), 0);
    EXPECT_EQ(firstChar(QString()), 0);
    EXPECT_EQ(firstChar(QStringLiteral("xy")), u'x');
    EXPECT_EQ(stringWithUnichar(u'Z'), QStringLiteral("Z"));
    EXPECT_TRUE(stringWithUnichar(0).isEmpty());
    EXPECT_FALSE(stringWithUnichar(0).isNull());

    EXPECT_EQ(copyToBuffer(QString()), nullptr);
    auto empty = copyToBuffer(QStringLiteral(""));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    auto buffer = copyToBuffer(s);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(QString::fromUtf16(buffer.get()), s);
    EXPECT_EQ(buffer[s.size()], 0);
}

TEST(PelkoNSString, PathPieces)
{
    struct Case
    {
        QString path, expected;
    };
    const Case names[] = {
        {QStringLiteral("/a/b/file.tar.gz"), QStringLiteral("file.tar")},
        {QStringLiteral("/a/b/"), QStringLiteral("b")},
        {QStringLiteral("noext"), QStringLiteral("noext")},
        {QStringLiteral("/x/.bashrc"), QStringLiteral(".bashrc")},
        {QStringLiteral("trail."), QStringLiteral("trail.")},
        {QString(), QStringLiteral("")},
    };
    for (const auto &c : names)
        EXPECT_EQ(getFileNameNoExt(c.path), c.expected) << c.path.toStdString();
    EXPECT_FALSE(getFileNameNoExt(QString()).isNull());

    EXPECT_EQ(removePrefixWithLenStr(QStringLiteral("abcdef"), QStringLiteral("XY")),
              QStringLiteral("cdef"));
    EXPECT_EQ(removePrefixWithLenStr(QStringLiteral("ab"), QStringLiteral("XY")), QString());
    EXPECT_EQ(removePrefixWithLenStr(QStringLiteral("ab"), QString()), QStringLiteral("ab"));

    EXPECT_TRUE(getFileURL(QString()).isEmpty());
    EXPECT_EQ(getFileURL(QStringLiteral("/tmp/a b")).toString(), QStringLiteral("file:///tmp/a b"));
}

TEST(PelkoNSString, ExistenceTests)
{
    const QString dir = pelkotest::freshDir();
    const QString file = dir + QStringLiteral("/f.txt");
    ASSERT_TRUE(pelkotest::writeFile(file, "x"));
    EXPECT_TRUE(isFileExist(file));
    EXPECT_FALSE(isFileExist(dir));
    EXPECT_TRUE(isFolderExist(dir));
    EXPECT_FALSE(isFolderExist(file));
    EXPECT_TRUE(isFileOrFolderExist(file));
    EXPECT_TRUE(isFileOrFolderExist(dir));
    EXPECT_FALSE(isFileOrFolderExist(dir + QStringLiteral("/missing")));
    EXPECT_FALSE(isFileOrFolderExist(QString()));
}

TEST(PelkoNSString, Hash)
{
    EXPECT_EQ(hash2(QString()), QStringLiteral("nullstr"));
    EXPECT_EQ(hash2(QStringLiteral("abc")), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
}

TEST(PelkoNSString, Utf8FilesRoundTripWithTheMark)
{
    const QString dir = pelkotest::freshDir();
    const QString path = dir + QStringLiteral("/t.txt");
    const QString text = QStringLiteral("Grüße\n日本\n");
    ASSERT_TRUE(pelkotest::writeFile(path, "old content that is longer"));
    ASSERT_TRUE(writeToFileUtf8(text, path));
    const QByteArray bytes = pelkotest::readFile(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.mid(3), text.toUtf8());
    EXPECT_EQ(stringWithContentsOfFileUtf8(path), text);
    EXPECT_FALSE(writeToFileUtf8(text, QString()));
    EXPECT_FALSE(writeToFileUtf8(text, dir + QStringLiteral("/no/such/folder/x.txt")));

    QByteArray report;
    platform::setReportSink([&](const QByteArray &t) { report += t; });
    EXPECT_TRUE(writeToFileUtf8(QStringLiteral(""), path));
    platform::setReportSink(nullptr);
    EXPECT_TRUE(report.contains("FATAL_ERROR DOWN HERE"));
    EXPECT_EQ(QFile(path).size(), 0);
    EXPECT_EQ(stringWithContentsOfFileUtf8(path), QStringLiteral(""));
    EXPECT_FALSE(stringWithContentsOfFileUtf8(path).isNull());

    ASSERT_TRUE(pelkotest::writeFile(path, "ab\xC3(")); // broken UTF-8
    EXPECT_TRUE(stringWithContentsOfFileUtf8(path).isNull());
    EXPECT_TRUE(stringWithContentsOfFileUtf8(dir + QStringLiteral("/missing")).isNull());
    // A pipe nobody writes to would block the open; a device would be read for ever.
    const QString fifo = dir + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(stringWithContentsOfFileUtf8(fifo).isNull());
    EXPECT_TRUE(stringWithContentsOfFileUtf8(QStringLiteral("/dev/zero")).isNull());
    EXPECT_TRUE(stringWithContentsOfFileUtf8(dir).isNull());
    EXPECT_TRUE(stringWithContentsOfFileUtf8(QString()).isNull());
}

} // namespace
