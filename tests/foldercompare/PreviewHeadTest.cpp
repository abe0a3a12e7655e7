// Quick Preview's head of a compared file: what it reads, and the lines it shows.
#include "foldercompare/PreviewHead.h"
#include "platform/PrivateFiles.h"
#include "platform/LocalPath.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(PreviewHead, ShowsOneLineForEachLineDiffCounts)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("previewhead"));
    struct Row
    {
        const char *name;
        QByteArray bytes;
        QString shown;
    };
    const Row rows[] = {
        {"plain lines", "a\nb\n", QStringLiteral("a\nb\n")},
        {"CRLF ends", "a\r\nb\r\n", QStringLiteral("a\r\nb\r\n")},
        {"lone carriage returns", "a\rb\rc\n", QStringLiteral("a\u240db\u240dc\n")},
        {"a carriage return at the end", "a\r", QStringLiteral("a\u240d")},
        {"a paragraph separator",
         "a\xe2\x80\xa9"
         "b",
         QStringLiteral("a\ufffdb")},
        {"block markers", "\xef\xb7\x90x\xef\xb7\x91", QStringLiteral("\ufffdx\ufffd")},
        {"a line separator stays",
         "a\xe2\x80\xa8"
         "b",
         QStringLiteral("a\u2028b")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + QStringLiteral("/f.txt");
        ASSERT_TRUE(pelkotest::writeFile(path, row.bytes));
        const PreviewHead head = ReadPreviewHead(path);
        EXPECT_TRUE(head.read);
        EXPECT_FALSE(head.binary);
        EXPECT_EQ(head.text, row.shown);
        QTextDocument document;
        document.setPlainText(head.text);
        EXPECT_EQ(document.blockCount(), row.bytes.count('\n') + 1);
    }
}

TEST(PreviewHead, ReadsRegularFilesByTheirBytesAndNeverWaitsOnAPipe)
{
    const QByteArray dir = QFile::encodeName(pelkotest::freshDir(QStringLiteral("previewkinds")));
    // A name of Latin-1 times.
    const QByteArray latin1 = dir + "/caf\xe9.txt";
    FILE *f = std::fopen(latin1.constData(), "wb");
    ASSERT_TRUE(f);
    std::fputs("text\n", f);
    std::fclose(f);
    PreviewHead head = ReadPreviewHead(LocalPath_FromBytes(latin1));
    EXPECT_TRUE(head.read);
    EXPECT_EQ(head.text, QStringLiteral("text\n"));
    // A link the walk judged as the file it leads to is read as that file.
    ASSERT_EQ(::symlink(latin1.constData(), (dir + "/link").constData()), 0);
    EXPECT_EQ(ReadPreviewHead(QFile::decodeName(dir + "/link")).text, QStringLiteral("text\n"));
    // A pipe put where the file was is not read, and no writer is waited for.
    ASSERT_EQ(::mkfifo((dir + "/pipe").constData(), 0600), 0);
    head = ReadPreviewHead(QFile::decodeName(dir + "/pipe"));
    EXPECT_FALSE(head.read);
    EXPECT_TRUE(head.text.isEmpty());
    EXPECT_FALSE(ReadPreviewHead(QFile::decodeName(dir)).read);
    EXPECT_FALSE(ReadPreviewHead(QFile::decodeName(dir + "/missing")).read);
    // A NUL byte near the start marks a file that is no text.
    ASSERT_TRUE(pelkotest::writeFile(QFile::decodeName(dir + "/bin"), QByteArray("ab\0cd", 5)));
    EXPECT_TRUE(ReadPreviewHead(QFile::decodeName(dir + "/bin")).binary);
    // Only the head is read.
    ASSERT_TRUE(pelkotest::writeFile(QFile::decodeName(dir + "/big"),
                                     QByteArray(kPreviewHeadBytes + 10, 'x')));
    EXPECT_EQ(ReadPreviewHead(QFile::decodeName(dir + "/big")).text.size(), kPreviewHeadBytes);
    platform::RemoveTreeNoFollow(QFile::decodeName(dir)); // a name Qt cannot spell
}

} // namespace
