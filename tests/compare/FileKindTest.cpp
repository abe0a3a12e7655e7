// Image detection and byte-for-byte equality of files.
#include "compare/FileKind.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(FileKind, ImageByExtensionOrSignature)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("filekind"));
    const QByteArray pngHead = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x');
    struct Row
    {
        const char *name;
        QByteArray bytes;
        bool image;
    };
    const Row rows[] = {
        {"photo.JPG", "not really", true}, // extension decides, any case
        {"scan.tif", "", true},
        {"noext", pngHead, true},               // signature
        {"short.dat", pngHead.left(20), false}, // under 30 bytes: no signature test
        {"notes.txt", QByteArray(64, 'a'), false},
        {"gif.bin", QByteArray("GIF89a") + QByteArray(40, '\0'), true},
        // Texts that merely begin like an image are texts.
        {"cars", "BMW and other cars of the seventies\n", false},
        {"icons", "icns files hold the icons of a program\n", false},
        {"bitmap",
         QByteArray("BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18) + QByteArray(52, '\0'), true},
        {"iconfamily", QByteArray("icns\0\0\0\x28", 8) + QByteArray(32, '\0'), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + u'/' + QString::fromLatin1(row.name);
        ASSERT_TRUE(pelkotest::writeFile(path, row.bytes));
        EXPECT_EQ(IsImageFile(path), row.image);
    }
    EXPECT_FALSE(IsImageFile(QString()));
}

TEST(FileKind, SameBinaryFileComparesEveryBlock)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("samebinary"));
    QByteArray big(120000, 'q'); // three blocks
    QByteArray lastBlockDiffers = big;
    lastBlockDiffers[110000] = 'r';
    const QString a = dir + QStringLiteral("/a"), b = dir + QStringLiteral("/b"),
                  c = dir + QStringLiteral("/c"), e1 = dir + QStringLiteral("/e1"),
                  e2 = dir + QStringLiteral("/e2"), s = dir + QStringLiteral("/s");
    ASSERT_TRUE(pelkotest::writeFile(a, big));
    ASSERT_TRUE(pelkotest::writeFile(b, big));
    ASSERT_TRUE(pelkotest::writeFile(c, lastBlockDiffers));
    ASSERT_TRUE(pelkotest::writeFile(e1, {}));
    ASSERT_TRUE(pelkotest::writeFile(e2, {}));
    ASSERT_TRUE(pelkotest::writeFile(s, big.left(1000)));
    EXPECT_EQ(IsSameBinaryFile(a, b, false), 1);
    EXPECT_EQ(IsSameBinaryFile(a, c, false), 0);
    EXPECT_EQ(IsSameBinaryFile(e1, e2, false), 1);
    EXPECT_EQ(IsSameBinaryFile(a, s, false), 0);
    EXPECT_EQ(IsSameBinaryFile(a, dir + QStringLiteral("/missing"), false), 0);
    EXPECT_EQ(IsSameBinaryFile(dir, dir, false), 0); // folders are not files

    SetBinaryCompareCancelCheck([] { return true; });
    EXPECT_EQ(IsSameBinaryFile(a, b, true), -1);
    EXPECT_EQ(IsSameBinaryFile(a, b, false), 1); // the image window never asks
    SetBinaryCompareCancelCheck(nullptr);
}
