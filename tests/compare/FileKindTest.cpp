// Image detection and byte-for-byte equality of files.
#include "compare/FileKind.h"
#include "support/TestEnvironment.h"

#include <QFile>
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

TEST(FileKind, TwoPathsOpenOneWindow)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("pairwindow"));
    const QByteArray pngHead = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x');
    ASSERT_TRUE(pelkotest::writeFile(dir + "/a.txt", "a\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/b.txt", "b\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/a.png", pngHead));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/noext", pngHead));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/f1/x", "x"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/f2/x", "x"));
    ASSERT_TRUE(QFile::link(dir + "/f2", dir + "/f2link"));
    struct Row
    {
        const char *left, *right;
        PairWindow window;
    };
    const Row rows[] = {
        {"a.txt", "b.txt", PairWindow::Text},
        {"a.png", "noext", PairWindow::Image},
        {"a.png", "a.txt", PairWindow::Text}, // one image is not enough for the image window
        {"f1", "f2", PairWindow::Folder},
        {"f1", "f2link", PairWindow::Folder}, // a link the user named is followed
        {"f1", "a.txt", PairWindow::None},
        {"a.txt", "f1", PairWindow::None},
        {"a.txt", "missing", PairWindow::None},
        {"missing", "f1", PairWindow::None},
        {"", "", PairWindow::None},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.left) + " | " + row.right);
        const auto path = [&](const char *name) {
            return *name ? dir + u'/' + QString::fromUtf8(name) : QString();
        };
        EXPECT_EQ(CompareWindowForPaths(path(row.left), path(row.right)), row.window);
    }
}
