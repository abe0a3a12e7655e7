#include "layers/ByteTransform.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray allBytes(int repeat)
{
    QByteArray bytes;
    for (int r = 0; r < repeat; ++r)
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
    return bytes;
}

unsigned char *raw(QByteArray &bytes)
{
    return reinterpret_cast<unsigned char *>(bytes.data());
}

TEST(ByteTransformTest, EveryByteValueRoundTripsAndChanges)
{
    QByteArray bytes = allBytes(1);
    TransformBytesForward(raw(bytes), int(bytes.size()));
    QSet<char> seen;
    int changed = 0;
    for (int b = 0; b < 256; ++b) {
        seen.insert(bytes[b]);
        changed += bytes[b] != char(b);
        EXPECT_EQ(uchar(bytes[b]) & 3, b & 3) << b;
    }
    EXPECT_EQ(seen.size(), 256); // a permutation
    EXPECT_EQ(changed, 256);
    TransformBytesBack(raw(bytes), int(bytes.size()));
    EXPECT_EQ(bytes, allBytes(1));
    TransformBytesBack(raw(bytes), int(bytes.size()));
    TransformBytesForward(raw(bytes), int(bytes.size()));
    EXPECT_EQ(bytes, allBytes(1));

    QByteArray untouched = allBytes(1);
    TransformBytesForward(raw(untouched), 0);
    TransformBytesForward(raw(untouched), -4);
    TransformBytesForward(nullptr, 10);
    EXPECT_EQ(untouched, allBytes(1));
}

TEST(ByteTransformTest, FilesForwardBackAndInPlace)
{
    pelkotest::LogCapture log;
    const QString folder = pelkotest::freshDir(QStringLiteral("transform"));
    const QString source = folder + QStringLiteral("/source.bin");
    const QString forward = folder + QStringLiteral("/forward.bin");
    const QString back = folder + QStringLiteral("/back.bin");
    const QByteArray original = allBytes(5000); // more than one read chunk
    ASSERT_TRUE(pelkotest::writeFile(source, original));

    ASSERT_TRUE(TransformFileForward(source, forward));
    EXPECT_NE(pelkotest::readFile(forward), original);
    EXPECT_EQ(pelkotest::readFile(forward).size(), original.size());
    ASSERT_TRUE(TransformFileBack(forward, back));
    EXPECT_EQ(pelkotest::readFile(back), original);

    // The same path: the file is transformed in place, not emptied.
    ASSERT_TRUE(TransformFileForward(back, back));
    EXPECT_EQ(pelkotest::readFile(back), pelkotest::readFile(forward));
    ASSERT_TRUE(TransformFileBack(back, back));
    EXPECT_EQ(pelkotest::readFile(back), original);

    // An empty source gives an empty destination.
    const QString empty = folder + QStringLiteral("/empty.bin");
    ASSERT_TRUE(pelkotest::writeFile(empty, QByteArray()));
    ASSERT_TRUE(TransformFileForward(empty, forward));
    EXPECT_TRUE(pelkotest::readFile(forward).isEmpty());
}

// A failure keeps whatever the destination held.
TEST(ByteTransformTest, FailuresKeepTheOldFile)
{
    pelkotest::LogCapture log;
    const QString folder = pelkotest::freshDir(QStringLiteral("transformfail"));
    const QString source = folder + QStringLiteral("/source.bin");
    const QString target = folder + QStringLiteral("/target.bin");
    ASSERT_TRUE(pelkotest::writeFile(source, "new"));
    ASSERT_TRUE(pelkotest::writeFile(target, "old"));
    const QString fifo = folder + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Row
    {
        const char *name;
        QString source, destination;
    };
    const Row rows[] = {
        {"missing source", folder + QStringLiteral("/missing"), target},
        {"folder as source", folder, target},
        {"pipe as source", fifo, target},
        {"empty source path", QString(), target},
        {"empty destination path", source, QString()},
        {"destination in a missing folder", source, folder + QStringLiteral("/no/such/file")},
    };
    for (const Row &row : rows) {
        EXPECT_FALSE(TransformFileForward(row.source, row.destination)) << row.name;
        EXPECT_EQ(pelkotest::readFile(target), QByteArray("old")) << row.name;
    }

    if (::geteuid() != 0) {
        // An unreadable source.
        QFile::setPermissions(source, QFileDevice::WriteOwner);
        EXPECT_FALSE(TransformFileForward(source, target));
        EXPECT_EQ(pelkotest::readFile(target), QByteArray("old"));
        QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // A folder that takes no new file: the rename cannot happen, the old file stays.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        EXPECT_FALSE(TransformFileForward(source, target));
        EXPECT_EQ(pelkotest::readFile(target), QByteArray("old"));
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
