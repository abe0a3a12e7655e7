// Files opened for reading only once judged regular: a pipe or device put where a file was
// expected is never opened (the kernel hears no open of it), so no writer waiting on the pipe is
// released and no device's open runs.
#include "platform/LocalPath.h"
#include "platform/RegularFile.h"
#include "support/OpenWatch.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using platform::RegularOpenFailure;

namespace {

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

// A character device node like /dev/null, for a test that may make one (root); empty otherwise.
QString deviceNode(const QString &path)
{
    if (::mknod(bytes(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        return QString();
    return path;
}

} // namespace

TEST(RegularFile, NothingButARegularFileIsEverOpened)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("regular"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/file.png", "bytes"));
    ASSERT_EQ(::mkfifo(bytes(dir + "/pipe.png").constData(), 0644), 0);
    ASSERT_EQ(::symlink("pipe.png", bytes(dir + "/pipe-link.png").constData()), 0);
    ASSERT_EQ(::symlink("file.png", bytes(dir + "/file-link.png").constData()), 0);
    const QString device = deviceNode(dir + "/device.png");
    if (!device.isEmpty()) {
        ASSERT_EQ(::symlink("device.png", bytes(dir + "/device-link.png").constData()), 0);
    }

    struct Row
    {
        const char *name;
        const char *entry;
        const char *watched; // the item whose opens are counted
        bool followLink;
        RegularOpenFailure failure;
    };
    const Row rows[] = {
        {"a regular file", "file.png", "file.png", false, RegularOpenFailure::None},
        {"a link to one, followed", "file-link.png", "file.png", true, RegularOpenFailure::None},
        {"a link to one, not followed", "file-link.png", "file.png", false,
         RegularOpenFailure::Link},
        {"a pipe", "pipe.png", "pipe.png", false, RegularOpenFailure::NotRegular},
        {"a link to a pipe, followed", "pipe-link.png", "pipe.png", true,
         RegularOpenFailure::NotRegular},
        {"a device", "device.png", "device.png", false, RegularOpenFailure::NotRegular},
        {"a link to a device, followed", "device-link.png", "device.png", true,
         RegularOpenFailure::NotRegular},
        {"a folder", ".", ".", false, RegularOpenFailure::NotRegular},
        {"nothing", "missing", ".", false, RegularOpenFailure::Missing},
    };
    const platform::UniqueFd folder(::open(bytes(dir).constData(), O_PATH | O_DIRECTORY));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (QByteArray(row.entry).startsWith("device") && device.isEmpty())
            continue; // only root makes device nodes
        pelkotest::OpenWatch watch(dir + '/' + row.watched);
        ASSERT_TRUE(watch.isWatching());
        const bool regular = row.failure == RegularOpenFailure::None;
        {
            const platform::RegularFile file =
                platform::OpenRegularFileAt(folder.get(), row.entry, row.followLink);
            EXPECT_EQ(file.failure, row.failure);
            EXPECT_EQ(file.isOpen(), regular);
            if (regular) {
                char got[8] = {};
                EXPECT_EQ(::read(file.fd.get(), got, sizeof got), 5);
                EXPECT_EQ(QByteArray(got), "bytes");
            }
        }
        EXPECT_EQ(watch.opens(), regular ? 1 : 0);
        // The path form the image reader and the file tests use does the same, a link followed.
        const auto opened = LocalPath_OpenRegularFile(dir + '/' + row.entry);
        EXPECT_EQ(bool(opened), regular || row.failure == RegularOpenFailure::Link);
        EXPECT_EQ(watch.opens(), bool(opened) ? 1 : 0);
    }
}
