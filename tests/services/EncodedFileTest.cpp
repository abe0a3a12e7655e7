// The application's enciphered files: round trip, plain files, damaged and missing files.
#include <gtest/gtest.h>

#include "services/EncodedFile.h"
#include "support/TestEnvironment.h"

namespace {

TEST(EncodedFile, RoundTripKeepsTextAndHidesIt)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("enc"));
    const QString text = QStringLiteral("line one\r\nzwei \u00FC\u00DF \U0001F600\n\0tail");
    ASSERT_TRUE(App_MyEncodeFile_Write(dir + QStringLiteral("/a"), text));
    const QByteArray stored = pelkotest::readFile(dir + QStringLiteral("/a"));
    EXPECT_TRUE(IsAppEncodedData(stored));
    EXPECT_FALSE(stored.contains("line one"));
    EXPECT_EQ(App_MyEncodeFile_Read(dir + QStringLiteral("/a")), text);
    // A fresh IV each time: the same text never gives the same file.
    ASSERT_TRUE(App_MyEncodeFile_Write(dir + QStringLiteral("/b"), text));
    EXPECT_NE(pelkotest::readFile(dir + QStringLiteral("/b")), stored);
}

TEST(EncodedFile, ReadingAnswersTextNullOrEmptyAsTheFileDeserves)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("enc"));
    ASSERT_TRUE(App_MyEncodeFile_Write(dir + QStringLiteral("/good"), QStringLiteral("abc")));
    const QByteArray good = pelkotest::readFile(dir + QStringLiteral("/good"));
    // The byte before the last block flips the last deciphered byte, the padding length, into a
    // value no padding has. (Damage inside the last block itself gives random bytes, whose
    // padding is valid by chance once in about 256 files.)
    QByteArray flipped = good;
    const qsizetype beforeLastBlock = flipped.size() - 17;
    flipped[beforeLastBlock] = char(flipped.at(beforeLastBlock) ^ 0x5A);
    struct Row
    {
        const char *name;
        QByteArray bytes; // null: no file
        QString expected; // null: nil
    };
    const Row rows[] = {
        {"plain text", QByteArray("plain \xC3\xA4 text"), QStringLiteral("plain \u00E4 text")},
        {"empty file", QByteArray(""), QStringLiteral("")},
        {"header only", good.left(8), QString()},
        {"cut in a block", good.left(good.size() - 3), QString()},
        {"padding damaged", flipped, QString()},
        {"near-miss header is plain", QByteArray("PKMENC\x02\x00rest", 12),
         QString::fromLatin1("PKMENC\x02\x00rest", 12)},
        {"missing file", QByteArray(), QString()},
    };
    int n = 0;
    for (const Row &row : rows) {
        const QString path = dir + QStringLiteral("/case%1").arg(n++);
        if (!row.bytes.isNull()) {
            ASSERT_TRUE(pelkotest::writeFile(path, row.bytes));
        }
        const QString read = App_MyEncodeFile_Read(path);
        EXPECT_EQ(read.isNull(), row.expected.isNull()) << row.name;
        EXPECT_EQ(read, row.expected) << row.name;
    }
    EXPECT_TRUE(App_MyEncodeFile_Read(QString()).isNull());
    EXPECT_TRUE(App_MyEncodeFile_Read(QStringLiteral("")).isNull());
    EXPECT_TRUE(App_MyEncodeFile_Read(dir).isNull()) << "a folder is unreadable";
}

TEST(EncodedFile, WriteFailsWithoutTouchingAnotherPath)
{
    EXPECT_FALSE(App_MyEncodeFile_Write(QString(), QStringLiteral("x")));
    EXPECT_FALSE(App_MyEncodeFile_Write(QStringLiteral("/proc/none/x"), QStringLiteral("x")));
}

} // namespace
