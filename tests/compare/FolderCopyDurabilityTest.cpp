// A copy's bytes reach the disk before its name does: every file a copy puts in place by renaming
// was synced first, so a power loss leaves the old file or the whole new one, never an empty one
// under the name.
//
// fsync is seen here by standing in for it: this program's own code calls this one, which notes
// the file and then syncs it as the system call does.
#include "compare/FolderCopy.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace {

std::mutex gSyncedMutex;
std::set<std::pair<dev_t, ino_t>> gSynced;

bool wasSynced(const QByteArray &path)
{
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0)
        return false;
    std::lock_guard lock(gSyncedMutex);
    return gSynced.count({st.st_dev, st.st_ino}) > 0;
}

} // namespace

extern "C" int fsync(int fd)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0) {
        std::lock_guard lock(gSyncedMutex);
        gSynced.insert({st.st_dev, st.st_ino});
    }
    return int(::syscall(SYS_fsync, fd));
}

TEST(FolderCopyDurability, EveryFileRenamedIntoPlaceWasSyncedFirst)
{
    const QByteArray dir = QFile::encodeName(pelkotest::freshDir(QStringLiteral("durable")));
    struct Row
    {
        const char *name;
        QByteArray entry;
        bool targetThere;
    };
    const Row rows[] = {
        {"a new file", "new.txt", false},
        {"a file replaced by renaming over it", "over.txt", true},
        // Its name is not text: no save can name it, so the copy is renamed over it.
        {"a file whose name is not text", "over\xe9.txt", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(pelkotest::writeFile(QFile::decodeName(dir + "/L/x"), "new content\n"));
        QDir().mkpath(QFile::decodeName(dir + "/R"));
        const QByteArray source = dir + "/L/" + row.entry, target = dir + "/R/" + row.entry;
        ASSERT_EQ(::rename((dir + "/L/x").constData(), source.constData()), 0);
        if (row.targetThere) {
            FILE *old = std::fopen(target.constData(), "wb");
            ASSERT_TRUE(old);
            std::fputs("old content\n", old);
            std::fclose(old);
        }
        ASSERT_EQ(CopyEntry(source, target, nullptr, {}), CopyOutcome::Copied);
        EXPECT_TRUE(wasSynced(target));
    }
}
