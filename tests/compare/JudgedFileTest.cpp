// Reading a side as the folder compare judged it: only the file of the judged device and inode.
#include "compare/ComparedTree.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// A file judged on another device is not the file judged, however its device number differs:
// in the major number's upper bits, in the minor number's, or only in its lowest bit.
TEST(JudgedFile, OnlyTheJudgedDeviceAndInodeAreRead)
{
    const QString path = pelkotest::freshDir(QStringLiteral("judged")) + QStringLiteral("/f.txt");
    ASSERT_TRUE(pelkotest::writeFile(path, "content"));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    const quint64 major = ::major(st.st_dev), minor = ::minor(st.st_dev);
    struct Row
    {
        const char *name;
        quint64 dev, ino;
        TreeFailure expected;
    };
    const Row rows[] = {
        {"the file judged", quint64(st.st_dev), quint64(st.st_ino), TreeFailure::None},
        {"a major number past 12 bits", ::makedev(major + 4096, minor), quint64(st.st_ino),
         TreeFailure::NotAsJudged},
        {"a minor number past 20 bits", ::makedev(major, minor + (1u << 20)), quint64(st.st_ino),
         TreeFailure::NotAsJudged},
        {"another device", quint64(st.st_dev) ^ 1, quint64(st.st_ino), TreeFailure::NotAsJudged},
        {"another inode", quint64(st.st_dev), quint64(st.st_ino) + 1, TreeFailure::NotAsJudged},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        JudgedFile judged;
        judged.dev = row.dev;
        judged.ino = row.ino;
        judged.known = true;
        TreeFailure why = TreeFailure::Gone;
        const platform::UniqueFd fd =
            TreeFile_OpenAt(AT_FDCWD, QFile::encodeName(path), judged, &why);
        EXPECT_EQ(why, row.expected);
        EXPECT_EQ(fd.isOpen(), row.expected == TreeFailure::None);
    }
}

} // namespace
