// Copies of folder-compare entries. The copies that meet other users' files run as this
// process's user, and as an ordinary user when the tests run as root.
#include "compare/FolderCopy.h"
#include "platform/PrivateFiles.h"
#include "platform/UniqueFd.h"
#include "support/ChildTest.h"
#include "services/FileBytes.h"
#include "services/InterruptedSaves.h"
#include "services/SupportFolder.h"
#include "services/TemporaryRecord.h"
#include "support/AlertAnswers.h"
#include "support/LogCapture.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(bytes(path).constData(), &st);
    return st;
}

} // namespace

TEST(FolderCopy, KeepsTimeModeAndLinksAndReplacesSafely)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("copy"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/L/f.sh", "#!/bin/sh\n"));
    ::chmod(bytes(dir + "/L/f.sh").constData(), 0750);
    const struct timespec old[2] = {{1600000000, 5}, {1600000000, 123456789}};
    ::utimensat(AT_FDCWD, bytes(dir + "/L/f.sh").constData(), old, 0);
    ASSERT_TRUE(pelkotest::writeFile(dir + "/R/f.sh", "old"));
    ASSERT_EQ(::symlink("f.sh", bytes(dir + "/L/link").constData()), 0);
    ASSERT_TRUE(pelkotest::writeFile(dir + "/L/sub/deep/x", "x"));

    EXPECT_EQ(CopyEntry(bytes(dir + "/L/f.sh"), bytes(dir + "/R/f.sh"), nullptr, {}),
              CopyOutcome::Copied);
    const struct stat st = statOf(dir + "/R/f.sh");
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(pelkotest::readFile(dir + "/R/f.sh"), QByteArray("#!/bin/sh\n"));

    EXPECT_EQ(CopyEntry(bytes(dir + "/L/link"), bytes(dir + "/R/link"), nullptr, {}),
              CopyOutcome::Copied);
    EXPECT_TRUE(S_ISLNK(statOf(dir + "/R/link").st_mode));
    EXPECT_EQ(QFile::symLinkTarget(dir + "/R/link"), dir + "/R/f.sh");

    EXPECT_EQ(CopyEntry(bytes(dir + "/L/sub"), bytes(dir + "/R/sub"), nullptr, {}),
              CopyOutcome::Copied);
    EXPECT_EQ(pelkotest::readFile(dir + "/R/sub/deep/x"), QByteArray("x"));

    // A stopped copy leaves the old target and no temporary file.
    ASSERT_TRUE(pelkotest::writeFile(dir + "/R/f.sh", "keep me"));
    std::atomic<bool> stop{true};
    EXPECT_EQ(CopyEntry(bytes(dir + "/L/f.sh"), bytes(dir + "/R/f.sh"), &stop, {}),
              CopyOutcome::Cancelled);
    EXPECT_EQ(pelkotest::readFile(dir + "/R/f.sh"), QByteArray("keep me"));
    EXPECT_EQ(
        QDir(dir + "/R").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
        3);
}

TEST(FolderCopy, RefusesWhatWouldLoseOrLoop)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("copyrefuse"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/a/file", "1"));
    QDir().mkpath(dir + "/b/file"); // a folder where the file would go
    QStringList failures;
    auto collect = [&](const QByteArray &path, const QString &) {
        failures.append(QFile::decodeName(path));
        return true;
    };
    EXPECT_EQ(CopyEntry(bytes(dir + "/a/file"), bytes(dir + "/b/file"), nullptr, collect),
              CopyOutcome::Failed);
    EXPECT_TRUE(QFileInfo(dir + "/b/file").isDir());
    EXPECT_EQ(CopyEntry(bytes(dir + "/a"), bytes(dir + "/a/inner"), nullptr, collect),
              CopyOutcome::Failed);
    EXPECT_FALSE(QFileInfo::exists(dir + "/a/inner"));
    // The same through a target top named by a link, where the paths do not show it.
    ASSERT_TRUE(pelkotest::writeFile(dir + "/a/sub/f", "f"));
    ASSERT_EQ(::symlink("a", bytes(dir + "/alink").constData()), 0);
    EXPECT_EQ(CopyEntry(bytes(dir + "/a"), bytes(dir + "/alink"), "inner", nullptr, collect),
              CopyOutcome::Failed);
    EXPECT_EQ(CopyEntry(bytes(dir + "/a/sub"), bytes(dir + "/alink"), "sub/deeper/inner", nullptr,
                        collect),
              CopyOutcome::Failed);
    EXPECT_EQ(CopyEntry(bytes(dir + "/a/sub"), bytes(dir + "/alink"), "sub", nullptr, collect),
              CopyOutcome::Failed);
    EXPECT_FALSE(QFileInfo::exists(dir + "/a/inner"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/a/sub/deeper/inner"));
    EXPECT_EQ(QDir(dir + "/a/sub").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("f")});
    EXPECT_EQ(failures.size(), 5);
    // Stop answered to a failure stops the copy.
    EXPECT_EQ(CopyEntry(bytes(dir + "/a/file"), bytes(dir + "/b/file"), nullptr,
                        [](const QByteArray &, const QString &) { return false; }),
              CopyOutcome::Cancelled);
}

// A tree nested without end (another user can make one) is copied down to a fixed depth; the
// folder below which nothing more is copied is named.
TEST(FolderCopy, FoldersNestedTooDeeplyAreNamedNotFollowedForEver)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("deep"));
    ASSERT_TRUE(QDir().mkpath(dir + "/L/top") && QDir().mkpath(dir + "/R"));
    constexpr int kLevels = 450;
    {
        platform::UniqueFd folder(
            ::open(bytes(dir + "/L/top").constData(), O_RDONLY | O_DIRECTORY));
        for (int level = 0; level < kLevels && folder.isOpen(); ++level) {
            ASSERT_EQ(::mkdirat(folder.get(), "d", 0755), 0);
            folder = platform::UniqueFd(::openat(folder.get(), "d", O_RDONLY | O_DIRECTORY));
        }
        ASSERT_TRUE(folder.isOpen());
    }
    QList<QPair<QByteArray, QString>> failures;
    EXPECT_EQ(CopyEntry(bytes(dir + "/L/top"), bytes(dir + "/R"), "top", nullptr,
                        [&](const QByteArray &path, const QString &reason) {
                            failures.append({path, reason});
                            return true;
                        }),
              CopyOutcome::Failed);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].second, QStringLiteral("its folders are nested too deeply"));
    const QByteArray named = failures[0].first;
    EXPECT_TRUE(named.startsWith(bytes(dir + "/L/top/d/"))) << named.constData();
    const int depth = int(named.count("/d"));
    EXPECT_GE(depth, 100);
    EXPECT_LT(depth, kLevels);
    // Copied down to the folder above the one named.
    const QByteArray copied = bytes(dir + "/R/top") + named.mid(bytes(dir + "/L/top").size());
    struct stat st
    {
    };
    EXPECT_EQ(::stat(copied.left(copied.lastIndexOf('/')).constData(), &st), 0);
    EXPECT_NE(::stat(copied.constData(), &st), 0);
}

TEST(FolderCopy, FailureMidWayLeavesTheOldTargetAndNoTemporaryFile)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("copyfail"));
    ASSERT_TRUE(pelkotest::writeFile(dir + "/L/big", QByteArray(3 * 1024 * 1024, 'n')));
    const QByteArray old = QByteArrayLiteral("old bytes\r\n\0kept");
    ASSERT_TRUE(pelkotest::writeFile(dir + "/R/big", old));
    ::chmod(bytes(dir + "/R/big").constData(), 0640);
    // The file-size limit makes the write fail after its first megabyte.
    struct rlimit saved
    {
    };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1024 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString reason;
    const CopyOutcome outcome = CopyEntry(bytes(dir + "/L/big"), bytes(dir + "/R/big"), nullptr,
                                          [&](const QByteArray &, const QString &why) {
                                              reason = why;
                                              return true;
                                          });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(outcome, CopyOutcome::Failed);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(pelkotest::readFile(dir + "/R/big"), old);
    EXPECT_EQ(statOf(dir + "/R/big").st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir + "/R").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("big")});
}

// A sparse file keeps its holes in its copy, whichever way the copy is written: as a new file, in
// place of a file with a second name, renamed over one, or over one whose name is not text. The
// copy holds the same bytes and takes no more of the disk than its source.
TEST(FolderCopy, ASparseFileKeepsItsHoles)
{
    constexpr off_t kSize = off_t{64} * 1024 * 1024;
    constexpr qint64 kMostBlocks = 1024 * 1024; // bytes on disk a copy may take
    const QString dir = pelkotest::freshDir(QStringLiteral("sparse"));
    ASSERT_TRUE(QDir().mkpath(dir + "/L") && QDir().mkpath(dir + "/R"));
    const auto makeSparse = [&](const QByteArray &path) {
        const platform::UniqueFd fd(::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        ASSERT_TRUE(fd.isOpen());
        ASSERT_EQ(::pwrite(fd.get(), "head", 4, 0), 4);
        ASSERT_EQ(::pwrite(fd.get(), "middle", 6, kSize / 2), 6);
        ASSERT_EQ(::ftruncate(fd.get(), kSize), 0);
    };
    struct Row
    {
        const char *name;
        QByteArray entry;
        bool targetThere, secondName;
    };
    const Row rows[] = {
        {"a new file", "new", false, false},
        {"renamed over a file", "over", true, false},
        {"in place of a file with a second name", "inplace", true, true},
        {"over a file whose name is not text", "over\xe9", true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray source = bytes(dir + "/L/") + row.entry;
        const QByteArray target = bytes(dir + "/R/") + row.entry;
        makeSparse(source);
        if (statOf(QFile::decodeName(source)).st_blocks * 512 >= kMostBlocks)
            GTEST_SKIP() << "this file system keeps no holes";
        if (row.targetThere) {
            const platform::UniqueFd fd(::open(target.constData(), O_WRONLY | O_CREAT, 0644));
            ASSERT_EQ(::write(fd.get(), "old content", 11), 11);
        }
        if (row.secondName) {
            ASSERT_EQ(::link(target.constData(), (target + ".second").constData()), 0);
        }
        ASSERT_EQ(CopyEntry(source, target, nullptr, {}), CopyOutcome::Copied);
        struct stat st
        {
        };
        ASSERT_EQ(::lstat(target.constData(), &st), 0);
        EXPECT_EQ(st.st_size, kSize);
        EXPECT_LT(qint64(st.st_blocks) * 512, kMostBlocks);
        const platform::UniqueFd copy(::open(target.constData(), O_RDONLY));
        char head[4] = {}, middle[6] = {}, zeros[8] = {1};
        EXPECT_EQ(::pread(copy.get(), head, 4, 0), 4);
        EXPECT_EQ(::pread(copy.get(), middle, 6, kSize / 2), 6);
        EXPECT_EQ(::pread(copy.get(), zeros, 8, kSize - 8), 8);
        EXPECT_EQ(QByteArray(head, 4), "head");
        EXPECT_EQ(QByteArray(middle, 6), "middle");
        EXPECT_EQ(QByteArray(zeros, 8), QByteArray(8, '\0'));
        if (row.secondName) {
            EXPECT_EQ(statOf(QFile::decodeName(target + ".second")).st_ino, st.st_ino);
        }
    }
}

TEST(FolderCopy, MakeFolderPathKeepsTheBytesOfEveryName)
{
    const QByteArray dir = bytes(pelkotest::freshDir(QStringLiteral("mkpath")));
    const QByteArray deep = dir + "/a\xff/b\xe9/c/";
    EXPECT_TRUE(MakeFolderPath(dir, "a\xff/b\xe9/c/"));
    struct stat st
    {
    };
    ASSERT_EQ(::stat((dir + "/a\xff/b\xe9/c").constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(MakeFolderPath(dir, deep.mid(dir.size()))); // already there
    ASSERT_TRUE(pelkotest::writeFile(QFile::decodeName(dir) + "/file", "x"));
    EXPECT_FALSE(MakeFolderPath(dir, "file/sub")); // a file in the way
    EXPECT_FALSE(MakeFolderPath(dir, "file"));
    ASSERT_EQ(::symlink(dir.constData(), (dir + "/link").constData()), 0);
    EXPECT_FALSE(MakeFolderPath(dir, "link/sub")); // a link is no folder below the top
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(dir) + "/sub"));
    ::rmdir((dir + "/a\xff/b\xe9/c").constData());
    ::rmdir((dir + "/a\xff/b\xe9").constData());
    ::rmdir((dir + "/a\xff").constData());
}

// What stands on the target side and how the copy must treat it: nothing is ever written through
// a link there.
TEST(FolderCopy, NothingIsWrittenThroughALinkOnTheTargetSide)
{
    struct Row
    {
        const char *name;
        std::function<void(const QString &)> prepare; // given the base folder
        const char *source;                           // below L
        const char *target;                           // below R
        int replaced;                                 // counted before the copy
        CopyOutcome outcome;
        const char *refusedLink; // below R: the link named in the failure, or null
        std::function<void(const QString &)> check;
    };
    const auto linkTo = [](const char *text, const char *at) {
        return [=](const QString &base) {
            ASSERT_EQ(::symlink(text, bytes(base + "/R/" + at).constData()), 0);
        };
    };
    const Row rows[] = {
        {"a linked folder above the file", linkTo("../outside", "dir"), "dir/x.txt", "dir/x.txt", 0,
         CopyOutcome::Failed, "dir", nullptr},
        {"a linked folder where the folder goes", linkTo("../outside", "dir"), "dir", "dir", 0,
         CopyOutcome::Failed, "dir", nullptr},
        {"a linked folder deep inside the copied folder",
         [](const QString &base) {
             QDir().mkpath(base + "/R/deep");
             ASSERT_TRUE(pelkotest::writeFile(base + "/R/deep/y.txt", "old y"));
             ASSERT_EQ(::symlink("../../outside", bytes(base + "/R/deep/sub").constData()), 0);
         },
         "deep", "deep", 1, CopyOutcome::Failed, "deep/sub",
         [](const QString &base) {
             EXPECT_EQ(pelkotest::readFile(base + "/R/deep/y.txt"), QByteArray("left y"));
         }},
        {"a link where the file goes is replaced itself", linkTo("../outside/x.txt", "x.txt"),
         "dir/x.txt", "x.txt", 1, CopyOutcome::Copied, nullptr,
         [](const QString &base) {
             EXPECT_FALSE(QFileInfo(base + "/R/x.txt").isSymLink());
             EXPECT_EQ(pelkotest::readFile(base + "/R/x.txt"), QByteArray("left x"));
         }},
        {"missing folders are made on the way", [](const QString &) {}, "dir/x.txt", "new/a/x.txt",
         0, CopyOutcome::Copied, nullptr,
         [](const QString &base) {
             EXPECT_EQ(pelkotest::readFile(base + "/R/new/a/x.txt"), QByteArray("left x"));
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString base = pelkotest::freshDir(QStringLiteral("copylinks"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/L/dir/x.txt", "left x"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/L/deep/y.txt", "left y"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/L/deep/sub/x.txt", "left x"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/outside/x.txt", "outside"));
        ASSERT_TRUE(QDir().mkpath(base + "/R"));
        row.prepare(base);
        const QByteArray source = bytes(base + "/L/" + row.source);
        const QByteArray top = bytes(base + "/R");
        EXPECT_EQ(CountReplacedOnDisk(source, top, row.target, nullptr), row.replaced);
        QList<QPair<QByteArray, QString>> failures;
        EXPECT_EQ(CopyEntry(source, top, row.target, nullptr,
                            [&](const QByteArray &path, const QString &reason) {
                                failures.append({path, reason});
                                return true;
                            }),
                  row.outcome);
        if (row.refusedLink) {
            const QByteArray link = top + '/' + row.refusedLink;
            ASSERT_EQ(failures.size(), 1);
            EXPECT_EQ(failures[0].first, link);
            EXPECT_EQ(failures[0].second,
                      QFile::decodeName(link) + QStringLiteral(" is a link; nothing was copied "
                                                               "into it"));
        } else {
            EXPECT_TRUE(failures.isEmpty());
        }
        EXPECT_EQ(QDir(base + "/outside")
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("x.txt")});
        EXPECT_EQ(pelkotest::readFile(base + "/outside/x.txt"), QByteArray("outside"));
        if (row.check)
            row.check(base);
    }
}

// The source side is walked like the target side: its top folder is opened as the user named it,
// and no link below it is followed to find what to copy (a link itself is copied as a link).
TEST(FolderCopy, NothingIsReadThroughALinkOnTheSourceSide)
{
    struct Row
    {
        const char *name;
        const char *sourceTop; // below the base folder
        const char *entry;     // below both tops
        int replaced;          // counted before the copy
        CopyOutcome outcome;
        const char *refused; // below the base folder: the source folder named in the failure
        const char *reason;  // after that path
        std::function<void(const QString &)> check;
    };
    const Row rows[] = {
        {"a linked folder above the file", "L", "linked/x.txt", 0, CopyOutcome::Failed, "L/linked",
         " is a link; nothing was copied from it",
         [](const QString &base) { EXPECT_FALSE(QFileInfo::exists(base + "/R/linked/x.txt")); }},
        {"a linked folder deep inside the copied folder", "L", "dir", 1, CopyOutcome::Copied,
         nullptr, nullptr,
         [](const QString &base) {
             EXPECT_EQ(pelkotest::readFile(base + "/R/dir/x.txt"), QByteArray("left x"));
             EXPECT_TRUE(QFileInfo(base + "/R/dir/deeplink").isSymLink());
         }},
        {"a file standing where a folder on the way was", "L", "plain/x.txt", 0,
         CopyOutcome::Failed, "L/plain", " is not a folder; nothing was copied from it", nullptr},
        {"a top folder named through a link is followed", "Llink", "dir/x.txt", 1,
         CopyOutcome::Copied, nullptr, nullptr,
         [](const QString &base) {
             EXPECT_EQ(pelkotest::readFile(base + "/R/dir/x.txt"), QByteArray("left x"));
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString base = pelkotest::freshDir(QStringLiteral("copysourcelinks"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/L/dir/x.txt", "left x"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/L/plain", "a file"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/outside/x.txt", "outside"));
        ASSERT_TRUE(pelkotest::writeFile(base + "/R/dir/x.txt", "right x"));
        ASSERT_EQ(::symlink("../outside", bytes(base + "/L/linked").constData()), 0);
        ASSERT_EQ(::symlink("../../outside", bytes(base + "/L/dir/deeplink").constData()), 0);
        ASSERT_EQ(::symlink("L", bytes(base + "/Llink").constData()), 0);
        const FolderEntry source{bytes(base + '/' + row.sourceTop), row.entry};
        const FolderEntry target{bytes(base + "/R"), row.entry};
        EXPECT_EQ(CountReplacedOnDisk(source, target, nullptr), row.replaced);
        QList<QPair<QByteArray, QString>> failures;
        EXPECT_EQ(CopyEntry(source, target, nullptr,
                            [&](const QByteArray &path, const QString &reason) {
                                failures.append({path, reason});
                                return true;
                            }),
                  row.outcome);
        if (row.refused) {
            const QByteArray refused = bytes(base + '/' + row.refused);
            ASSERT_EQ(failures.size(), 1);
            EXPECT_EQ(failures[0].first, refused);
            EXPECT_EQ(failures[0].second, QFile::decodeName(refused) + QLatin1String(row.reason));
        } else {
            EXPECT_TRUE(failures.isEmpty());
        }
        // Nothing of what lies behind the links reached the target.
        QDirIterator it(base + "/R", QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            EXPECT_NE(pelkotest::readFile(it.next()), QByteArray("outside"))
                << qPrintable(it.filePath());
        if (row.check)
            row.check(base);
    }
}

// A name that is not text cannot go through the save's replacement: such a file is renamed over
// only where that keeps everything but its content.
TEST(FolderCopy, FilesNamedWithoutUtf8AreReplacedOnlyWhereNothingElseChanges)
{
    const QByteArray dir = bytes(pelkotest::freshDir(QStringLiteral("copybytes")));
    const QByteArray source = dir + "/new";
    ASSERT_TRUE(pelkotest::writeFile(QFile::decodeName(source), "new"));
    struct Row
    {
        const char *name;
        QByteArray target;
        bool secondName;
        CopyOutcome outcome;
    };
    const Row rows[] = {
        {"one name", dir + "/one\xff", false, CopyOutcome::Copied},
        {"two names", dir + "/two\xff", true, CopyOutcome::Failed},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const int fd = ::open(row.target.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "old", 3), 3);
        ::close(fd);
        const QByteArray second = row.target + ".second";
        if (row.secondName) {
            ASSERT_EQ(::link(row.target.constData(), second.constData()), 0);
        }
        QString reason;
        EXPECT_EQ(CopyEntry(source, row.target, nullptr,
                            [&](const QByteArray &, const QString &why) {
                                reason = why;
                                return true;
                            }),
                  row.outcome);
        char content[8] = {};
        const int in = ::open(row.target.constData(), O_RDONLY);
        ASSERT_GE(in, 0);
        EXPECT_EQ(QByteArray(content, int(::read(in, content, sizeof(content)))),
                  row.outcome == CopyOutcome::Copied ? QByteArray("new") : QByteArray("old"));
        ::close(in);
        EXPECT_EQ(reason.isEmpty(), row.outcome == CopyOutcome::Copied) << qPrintable(reason);
        struct stat st
        {
        };
        ASSERT_EQ(::lstat(row.target.constData(), &st), 0);
        EXPECT_EQ(st.st_nlink, row.secondName ? 2u : 1u);
        ::unlink(row.target.constData());
        ::unlink(second.constData());
    }
    // Nothing is left beside them.
    EXPECT_EQ(QDir(QFile::decodeName(dir))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("new")});
}

namespace {

// One copy set up before it runs and checked after it.
struct CopyCase
{
    const char *name;
    QString source, target;
    std::function<void()> check;
};

bool chownPath(const QString &path, uid_t uid, gid_t gid)
{
    return ::lchown(bytes(path).constData(), uid, gid) == 0;
}

// The cases, set up in folder for a copier running as copierUid:copierGid. Another user's files
// belong to root when the copier is an ordinary user, to the ordinary user when it is root.
QList<CopyCase> prepareCopyCases(const QString &folder, uid_t copierUid, gid_t copierGid)
{
    const uid_t otherUid = copierUid == 0 ? pelkotest::kOrdinaryUid : 0;
    const gid_t otherGid = copierUid == 0 ? pelkotest::kOrdinaryGid : 0;
    QList<CopyCase> cases;
    const auto file = [&](const QString &name, const QByteArray &content, uid_t uid, gid_t gid,
                          mode_t mode) {
        const QString path = folder + u'/' + name;
        EXPECT_TRUE(pelkotest::writeFile(path, content));
        EXPECT_TRUE(chownPath(path, uid, gid));
        EXPECT_EQ(::chmod(bytes(path).constData(), mode), 0);
        return path;
    };
    const auto expectFile = [](const QString &path, uid_t uid, gid_t gid, mode_t mode) {
        const struct stat st = statOf(path);
        EXPECT_EQ(st.st_uid, uid);
        EXPECT_EQ(st.st_gid, gid);
        EXPECT_EQ(st.st_mode & 07777, mode) << qPrintable(path);
    };
    QDir().mkpath(folder + QStringLiteral("/R"));
    const QString source1 = file(QStringLiteral("suid"), "#!/bin/sh\n", otherUid, otherGid, 04755);
    const QString target1 = folder + QStringLiteral("/R/suid");
    cases.append({"another user's set-user-id program loses the bit", source1, target1,
                  [=] { expectFile(target1, copierUid, copierGid, 0755); }});
    const QString source2 = file(QStringLiteral("sgid"), "#!/bin/sh\n", copierUid, otherGid, 02755);
    const QString target2 = folder + QStringLiteral("/R/sgid");
    cases.append({"a set-group-id program of another group loses the bit", source2, target2,
                  [=] { expectFile(target2, copierUid, copierGid, 0755); }});
    const QString source3 = file(QStringLiteral("own"), "#!/bin/sh\n", copierUid, copierGid, 06750);
    const QString target3 = folder + QStringLiteral("/R/own");
    cases.append({"the copier's own set-id program keeps its bits", source3, target3,
                  [=] { expectFile(target3, copierUid, copierGid, 06750); }});
    {
        const QString source = file(QStringLiteral("new"), "new", copierUid, copierGid, 0644);
        const QString target = file(QStringLiteral("R/theirs"), "old", otherUid, otherGid, 0666);
        const QString second = folder + QStringLiteral("/R/theirs2");
        EXPECT_EQ(::link(bytes(target).constData(), bytes(second).constData()), 0);
        cases.append({"replacing another user's file keeps its owner, group and other names",
                      source, target, [=] {
                          EXPECT_EQ(pelkotest::readFile(target), QByteArray("new"));
                          EXPECT_EQ(pelkotest::readFile(second), QByteArray("new"));
                          EXPECT_EQ(statOf(target).st_nlink, 2u);
                          EXPECT_EQ(statOf(target).st_uid, otherUid);
                          EXPECT_EQ(statOf(target).st_gid, otherGid);
                      }});
    }
    {
        const QString source =
            file(QStringLiteral("their-suid"), "#!/bin/sh\n", otherUid, otherGid, 04755);
        const QString target =
            file(QStringLiteral("R/their-suid"), "old", otherUid, otherGid, 0666);
        // The replaced file stays theirs: only a copier who may give it the bit does.
        cases.append(
            {"their set-user-id program over their file stays theirs", source, target, [=] {
                 EXPECT_EQ(pelkotest::readFile(target), QByteArray("#!/bin/sh\n"));
                 expectFile(target, otherUid, otherGid, copierUid == 0 ? 04755 : 0666);
             }});
    }
    {
        const QString source =
            file(QStringLiteral("searchonly/f"), "content", copierUid, copierGid, 0644);
        const QString searchOnly = folder + QStringLiteral("/searchonly");
        EXPECT_TRUE(chownPath(searchOnly, otherUid, otherGid));
        EXPECT_EQ(::chmod(bytes(searchOnly).constData(), 0711), 0);
        const QString target = folder + QStringLiteral("/R/f");
        cases.append({"a file in a folder the copier may search but not list", source, target,
                      [=] { EXPECT_EQ(pelkotest::readFile(target), QByteArray("content")); }});
    }
    return cases;
}

} // namespace

// The child: copies each pair named in the environment as this (ordinary) user and prints how
// each went; the parent checks the files.
TEST(FolderCopyAsUser, CopyChild)
{
    const QString pairs = qEnvironmentVariable("PELKO_COPY_PAIRS");
    if (pairs.isEmpty())
        GTEST_SKIP() << "only run by FolderCopy.SetIdBitsOwnersAndLinksOfOtherUsers";
    for (const QString &pair : pairs.split(u'\n')) {
        const QStringList paths = pair.split(u'\t');
        QString why;
        const CopyOutcome outcome = CopyEntry(bytes(paths.value(0)), bytes(paths.value(1)), nullptr,
                                              [&](const QByteArray &, const QString &r) {
                                                  why = r;
                                                  return true;
                                              });
        std::printf("COPIED %s %d %s\n", qPrintable(paths.value(1)), int(outcome), qPrintable(why));
    }
}

TEST(FolderCopy, SetIdBitsOwnersAndLinksOfOtherUsers)
{
    if (!pelkotest::runningAsRoot())
        GTEST_SKIP() << "files of other users are made by root";
    int ran = 0;
    for (const bool ordinary : {false, true}) {
        SCOPED_TRACE(ordinary ? "as an ordinary user" : "as root");
        if (ordinary && !pelkotest::canSwitchToOrdinaryUser())
            continue;
        const QString folder = ordinary ? pelkotest::folderForOrdinaryUser(true)
                                        : pelkotest::freshDir(QStringLiteral("copyids"));
        ASSERT_FALSE(folder.isEmpty());
        const uid_t copierUid = ordinary ? pelkotest::kOrdinaryUid : 0;
        const gid_t copierGid = ordinary ? pelkotest::kOrdinaryGid : 0;
        if (ordinary) {
            ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/R")) &&
                        chownPath(folder + QStringLiteral("/R"), copierUid, copierGid));
        }
        const QList<CopyCase> cases = prepareCopyCases(folder, copierUid, copierGid);
        if (!ordinary) {
            for (const CopyCase &c : cases) {
                SCOPED_TRACE(c.name);
                EXPECT_EQ(CopyEntry(bytes(c.source), bytes(c.target), nullptr, {}),
                          CopyOutcome::Copied);
                c.check();
            }
        } else {
            QStringList pairs;
            for (const CopyCase &c : cases)
                pairs << c.source + u'\t' + c.target;
            QProcessEnvironment env;
            env.insert(QStringLiteral("PELKO_COPY_PAIRS"), pairs.join(u'\n'));
            QByteArray output;
            EXPECT_EQ(pelkotest::runTestAsOrdinaryUser(QStringLiteral("FolderCopyAsUser.CopyChild"),
                                                       env, &output),
                      0)
                << output.constData();
            for (const CopyCase &c : cases) {
                SCOPED_TRACE(c.name);
                const QByteArray line = "COPIED " + bytes(c.target) + ' ';
                const qsizetype at = output.indexOf(line);
                ASSERT_GE(at, 0) << output.constData();
                EXPECT_EQ(output.mid(at + line.size(), 1),
                          QByteArray::number(int(CopyOutcome::Copied)))
                    << output.constData();
                c.check();
            }
        }
        platform::RemoveTreeNoFollow(folder);
        ++ran;
    }
    if (ran < 2)
        GTEST_SKIP() << "the run as an ordinary user needs setpriv";
}

namespace {

// The records of temporaries this process made since the names in before were listed, renamed to
// a process that cannot exist: as a killed process leaves them.
void abandonRecordsSince(const QStringList &before)
{
    const QString folder = TemporaryRecordsFolder();
    const QString mine = QStringLiteral("p%1-").arg(::getpid());
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (before.contains(name) || !name.startsWith(mine))
            continue;
        ASSERT_TRUE(QFile::rename(folder + u'/' + name, folder + QStringLiteral("/p2147483646-") +
                                                            name.mid(mine.size())));
    }
}

// The records made since the names in before were listed, without their last line: as an
// earlier version wrote them before the create.
void dropIdentityLinesSince(const QStringList &before)
{
    const QString folder = TemporaryRecordsFolder();
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (before.contains(name))
            continue;
        QByteArray record = pelkotest::readFile(folder + u'/' + name);
        record.chop(1);
        record.truncate(record.lastIndexOf('\n') + 1);
        ASSERT_TRUE(pelkotest::writeFile(folder + u'/' + name, record));
    }
}

QStringList recordNames()
{
    return QDir(TemporaryRecordsFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

// A copy or save killed on its way leaves its temporary file and the record of it. The next
// start removes what such a record names when it still is that very entry, and nothing else: not
// a user's own file named like one, nor one swapped or handed to another user since.
TEST(FolderCopy, LeftTemporariesGoOnlyWhenTheyAreSurelyOurs)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("leftovers"));
    ASSERT_TRUE(QDir().mkpath(dir + QStringLiteral("/sub")));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/outside"), "not ours to remove"));
    enum Recorded { NotRecorded, NameOnly, Identity, ByARunningProcess };
    struct Row
    {
        const char *name;
        const char *entry;
        Recorded recorded;
        std::function<void(const QString &)> make;
        std::function<void(const QString &)> after;
        bool removed;
    };
    const auto plainFile = [](const QString &path) {
        ASSERT_TRUE(pelkotest::writeFile(path, "part"));
    };
    const auto emptyFile = [](const QString &path) { ASSERT_TRUE(pelkotest::writeFile(path, "")); };
    const auto nothing = [](const QString &) {};
    const auto swapForAnother = [](const QString &path) {
        ASSERT_TRUE(pelkotest::writeFile(path + QStringLiteral(".new"), "someone else's"));
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QFile::rename(path + QStringLiteral(".new"), path));
    };
    const Row rows[] = {
        {"a copy's temporary file", ".big.bin.pelko-Ab3dE9", Identity, plainFile, nothing, true},
        {"a save's temporary file", ".r.txt.Ab3dE9", Identity, plainFile, nothing, true},
        {"a copy's temporary link", ".l.pelko-Ab3dE9", Identity,
         [](const QString &path) { ASSERT_TRUE(QFile::link(QStringLiteral("nowhere"), path)); },
         nothing, true},
        // Records of an earlier version, written before the create: they may name a file the
        // create found taken, so they prove nothing.
        {"recorded by name alone, an empty file", ".e.pelko-Ab3dE9", NameOnly, emptyFile, nothing,
         false},
        {"the same, holding bytes", ".f.pelko-Ab3dE9", NameOnly, plainFile, nothing, false},
        {"a user's own file named like one", ".mine.pelko-Ab3dE9", NotRecorded, plainFile, nothing,
         false},
        {"a user's own file named like a save's", ".notes.txt.Ab3dE9", NotRecorded, plainFile,
         nothing, false},
        {"a process that still runs", ".run.pelko-Ab3dE9", ByARunningProcess, plainFile, nothing,
         false},
        {"another file under its name since", ".g.pelko-Ab3dE9", Identity, plainFile,
         swapForAnother, false},
        {"swapped for a link", ".h.pelko-Ab3dE9", Identity, plainFile,
         [&](const QString &path) {
             ASSERT_TRUE(QFile::remove(path));
             ASSERT_TRUE(QFile::link(dir + QStringLiteral("/outside"), path));
         },
         false},
        {"handed to another user", ".w.pelko-Ab3dE9", Identity, plainFile,
         [](const QString &path) {
             if (pelkotest::runningAsRoot()) {
                 ASSERT_TRUE(chownPath(path, pelkotest::kOrdinaryUid, pelkotest::kOrdinaryGid));
             } else {
                 ::unlink(bytes(path).constData()); // cannot be made: nothing to remove either
             }
         },
         false},
        {"its record swapped for a link to it", ".k.pelko-Ab3dE9", Identity, plainFile,
         [&](const QString &path) {
             const QString records = TemporaryRecordsFolder();
             for (const QString &name : recordNames()) {
                 const QString record = records + u'/' + name;
                 if (!pelkotest::readFile(record).contains(
                         bytes(QFileInfo(path).fileName()).toHex()))
                     continue;
                 ASSERT_TRUE(QFile::rename(record, dir + QStringLiteral("/moved-record")));
                 ASSERT_TRUE(QFile::link(dir + QStringLiteral("/moved-record"), record));
             }
         },
         false},
        {"reached through a link swapped in for its folder", "sub/.s.pelko-Ab3dE9", Identity,
         plainFile,
         [&](const QString &) {
             ASSERT_TRUE(
                 QFile::rename(dir + QStringLiteral("/sub"), dir + QStringLiteral("/sub2")));
             ASSERT_TRUE(QFile::link(dir + QStringLiteral("/sub2"), dir + QStringLiteral("/sub")));
         },
         false},
    };
    std::vector<std::unique_ptr<TemporaryRecord>> running;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + u'/' + QLatin1String(row.entry);
        const QFileInfo info(path);
        const platform::UniqueFd folder(
            ::open(bytes(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY));
        ASSERT_TRUE(folder.isOpen());
        const QStringList before = recordNames();
        auto record = std::make_unique<TemporaryRecord>();
        row.make(path);
        if (row.recorded != NotRecorded) {
            ASSERT_TRUE(record->made(folder.get(), bytes(info.fileName()), statOf(path)));
        }
        if (row.recorded == NameOnly)
            dropIdentityLinesSince(before);
        if (row.recorded == ByARunningProcess)
            running.push_back(std::move(record));
        else
            abandonRecordsSince(before);
        row.after(path);
    }
    std::vector<bool> made;
    for (const Row &row : rows)
        made.push_back(statOf(dir + u'/' + QLatin1String(row.entry)).st_nlink > 0);
    RemoveLeftTemporaries();
    for (size_t k = 0; k < std::size(rows); ++k) {
        SCOPED_TRACE(rows[k].name);
        EXPECT_EQ(statOf(dir + u'/' + QLatin1String(rows[k].entry)).st_nlink > 0,
                  made[k] && !rows[k].removed);
    }
    EXPECT_EQ(pelkotest::readFile(dir + QStringLiteral("/outside")), "not ours to remove");
    // Only the records whose folder could not be reached are left, and the running process's.
    int abandoned = 0;
    for (const QString &name : recordNames())
        abandoned += name.startsWith(QStringLiteral("p2147483646-")) ? 1 : 0;
    EXPECT_EQ(abandoned, 2);
    running.clear();
    for (const QString &name : recordNames())
        QFile::remove(TemporaryRecordsFolder() + u'/' + name);
}

// The child: copies PELKO_KILLED_SOURCE to PELKO_KILLED_TARGET under a file-size limit that
// kills it (SIGKILL) in the middle of its write.
TEST(FolderCopyChild, Killed)
{
    const QString source = qEnvironmentVariable("PELKO_KILLED_SOURCE");
    if (source.isEmpty())
        GTEST_SKIP() << "only run by FolderCopy.AKilledCopyLeavesOnlyWhatTheNextStartRemoves";
    PrepareSupportFolder(qEnvironmentVariable("PELKO_KILLED_SUPPORT"));
    std::signal(SIGXFSZ, [](int) { ::kill(::getpid(), SIGKILL); });
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1024 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    CopyEntry(bytes(source), bytes(qEnvironmentVariable("PELKO_KILLED_TARGET")), nullptr, {});
    std::printf("NOT KILLED\n");
}

// A copy killed in its write, of a new file and over an existing one, leaves the old target and
// a temporary file, which the next start removes; a user's own files named like ours stay.
TEST(FolderCopy, AKilledCopyLeavesOnlyWhatTheNextStartRemoves)
{
    ASSERT_FALSE(TemporaryRecordsFolder().isEmpty()); // the support folder, for the child too
    const QString dir = pelkotest::freshDir(QStringLiteral("killedcopy"));
    const QByteArray big(3 * 1024 * 1024, 'n');
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/L/big"), big));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/R/.big.pelko-Ab3dE9"), "mine"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/R/.big.Ab3dE9"), "mine too"));
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "over an existing file" : "a new file");
        if (existing) {
            ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/R/big"), "old"));
        }
        const QStringList before =
            QDir(dir + QStringLiteral("/R"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PELKO_KILLED_SOURCE"), dir + QStringLiteral("/L/big"));
        env.insert(QStringLiteral("PELKO_KILLED_TARGET"), dir + QStringLiteral("/R/big"));
        env.insert(QStringLiteral("PELKO_KILLED_SUPPORT"), gSupportFolder);
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_filter=FolderCopyChild.Killed")});
        process.waitForFinished(-1);
        ASSERT_EQ(process.exitStatus(), QProcess::CrashExit) << process.readAll().constData();
        const QStringList after =
            QDir(dir + QStringLiteral("/R"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        EXPECT_EQ(after.size(), before.size() + 1) << qPrintable(after.join(u' '));
        if (existing) {
            EXPECT_EQ(pelkotest::readFile(dir + QStringLiteral("/R/big")), "old");
        }
        EXPECT_EQ(RemoveLeftTemporaries(), 1);
        EXPECT_EQ(
            QDir(dir + QStringLiteral("/R"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            before);
        EXPECT_EQ(recordNames(), QStringList());
    }
}

namespace {

QByteArray contentOf(char seed, int size)
{
    QByteArray content(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        content[i] = char(seed + i % 61);
    return content;
}

const QByteArray kOldContent = contentOf('a', 5000);
// Two blocks of the copy's writes.
const QByteArray kNewContent = contentOf('A', 1600000);

void killSelf(int)
{
    ::kill(::getpid(), SIGKILL);
}

} // namespace

// The child: copies PELKO_COPY_SOURCE to PELKO_COPY_RELATIVE below PELKO_COPY_TOP and is killed
// (SIGKILL) when its writes reach PELKO_COPY_LIMIT bytes.
TEST(FolderCopyChild, KilledInTheWrite)
{
    const QByteArray source = qgetenv("PELKO_COPY_SOURCE");
    if (source.isEmpty())
        GTEST_SKIP() << "only run by FolderCopy.KilledInPlaceReplaceIsOfferedBackAtTheNextStart";
    PrepareSupportFolder(qEnvironmentVariable("PELKO_COPY_SUPPORT"));
    std::signal(SIGXFSZ, killSelf);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(qEnvironmentVariableIntValue("PELKO_COPY_LIMIT"));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const CopyOutcome outcome =
        CopyEntry(source, qgetenv("PELKO_COPY_TOP"), qgetenv("PELKO_COPY_RELATIVE"), nullptr, {});
    std::printf("COPY %d\n", int(outcome));
}

// A hard-linked target is replaced in place, through the folder the copy holds open; a copy killed
// in that write leaves the old content kept under the file's real path, so the next start (another
// process) finds the file, checks it is still that file, and puts the old content back. Killed
// while the old content is still being kept, the file is untouched and nothing is asked; when
// another file has the name since, nothing is written there, and the old content can be kept as a
// file of its own.
TEST(FolderCopy, KilledInPlaceReplaceIsOfferedBackAtTheNextStart)
{
    ASSERT_FALSE(InterruptedSavesFolder().isEmpty());
    const QString kept = InterruptedSavesFolder();
    struct Row
    {
        const char *name;
        int limit;          // the write that reaches this many bytes of a file is killed
        bool replacedSince; // another file took the name after the crash
    };
    const int lastByte = int(kNewContent.size()) - 1;
    const Row rows[] = {
        {"killed while the old content is kept aside", 3000, false},
        {"killed early in the first block, restored", 100000, false},
        {"killed in the second block, restored", 1500000, false},
        {"killed before the last byte, restored", lastByte, false},
        {"another file at the name is left alone", 100000, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString dir = pelkotest::freshDir(QStringLiteral("copykilled"));
        const QString target = dir + "/R/sub/t.txt", second = dir + "/R/sub/second.txt";
        ASSERT_TRUE(pelkotest::writeFile(dir + "/L/t.txt", kNewContent));
        ASSERT_TRUE(pelkotest::writeFile(target, kOldContent));
        ASSERT_EQ(::link(bytes(target).constData(), bytes(second).constData()), 0);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PELKO_COPY_SOURCE"), dir + "/L/t.txt");
        env.insert(QStringLiteral("PELKO_COPY_TOP"), dir + "/R");
        env.insert(QStringLiteral("PELKO_COPY_RELATIVE"), QStringLiteral("sub/t.txt"));
        env.insert(QStringLiteral("PELKO_COPY_SUPPORT"), gSupportFolder);
        env.insert(QStringLiteral("PELKO_COPY_LIMIT"), QString::number(row.limit));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=FolderCopyChild.KilledInTheWrite")});
        ASSERT_TRUE(child.waitForFinished(-1));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().constData();
        const bool untouched = row.limit < kOldContent.size();
        ASSERT_EQ(pelkotest::readFile(target),
                  untouched ? kOldContent : kNewContent.left(row.limit));
        ASSERT_EQ(QDir(kept).entryList(QDir::Files | QDir::Hidden).size(), 1);

        QByteArray other;
        if (row.replacedSince) {
            other = "written since by someone else";
            ASSERT_TRUE(pelkotest::writeFile(dir + "/other", other));
            ASSERT_EQ(::rename(bytes(dir + "/other").constData(), bytes(target).constData()), 0);
        }
        pelkotest::AlertAnswers answers;
        // Restore; for a file that is not there as it was, keep the old content as a file.
        answers.answers = {row.replacedSince ? platform::AlertFirstButtonReturn
                                             : platform::AlertSecondButtonReturn};
        const pelkotest::LogCapture log;
        const int offered = OfferInterruptedSaves();
        if (untouched) {
            EXPECT_EQ(offered, 0);
            EXPECT_TRUE(answers.alerts.empty());
            EXPECT_EQ(pelkotest::readFile(target), kOldContent);
            EXPECT_EQ(pelkotest::readFile(second), kOldContent);
        } else if (row.replacedSince) {
            EXPECT_EQ(offered, 1);
            EXPECT_TRUE(log.logged(target + QStringLiteral(" was being saved")))
                << qPrintable(log.lines().join(u'\n'));
            ASSERT_EQ(answers.alerts.size(), 2u);
            EXPECT_TRUE(answers.alerts[0].title.contains(QStringLiteral("is not there as it was")))
                << qPrintable(answers.alerts[0].title);
            EXPECT_TRUE(answers.alerts[0].text.startsWith(target + u'\n'))
                << qPrintable(answers.alerts[0].text);
            EXPECT_EQ(pelkotest::readFile(target), other);
            EXPECT_EQ(pelkotest::readFile(second), kNewContent.left(row.limit));
            // The old content is a file of its own, named in the next alert.
            const QString aside = BeforeRestoreFolder();
            const QStringList made = QDir(aside).entryList(QDir::Files | QDir::Hidden);
            ASSERT_EQ(made.size(), 1);
            EXPECT_EQ(answers.alerts[1].text, aside + u'/' + made.front());
            EXPECT_EQ(pelkotest::readFile(aside + u'/' + made.front()), kOldContent);
            QFile::remove(aside + u'/' + made.front());
        } else {
            EXPECT_EQ(offered, 1);
            ASSERT_EQ(answers.alerts.size(), 1u);
            EXPECT_TRUE(answers.alerts[0].title.contains(QStringLiteral("\"t.txt\"")))
                << qPrintable(answers.alerts[0].title);
            EXPECT_TRUE(answers.alerts[0].text.startsWith(target + u'\n'))
                << qPrintable(answers.alerts[0].text);
            EXPECT_EQ(pelkotest::readFile(target), kOldContent);
            EXPECT_EQ(pelkotest::readFile(second), kOldContent);
            // What the restore wrote over is kept first.
            for (const QString &name :
                 QDir(BeforeRestoreFolder()).entryList(QDir::Files | QDir::Hidden))
                QFile::remove(BeforeRestoreFolder() + u'/' + name);
        }
        EXPECT_EQ(QDir(kept).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
}

// The child: copies PELKO_LARGE_SOURCE over PELKO_LARGE_TOP/big.bin and prints whether it was
// copied and how much its peak resident size grew, in KiB.
TEST(FolderCopyChild, LargeReplace)
{
    const QByteArray source = qgetenv("PELKO_LARGE_SOURCE");
    if (source.isEmpty())
        GTEST_SKIP() << "only run by FolderCopy.ALargeFileIsReplacedInPlaceInBlocks";
    PrepareSupportFolder(qEnvironmentVariable("PELKO_LARGE_SUPPORT"));
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    QString reason;
    const CopyOutcome outcome = CopyEntry(source, qgetenv("PELKO_LARGE_TOP"), "big.bin", nullptr,
                                          [&](const QByteArray &, const QString &why) {
                                              reason = why;
                                              return true;
                                          });
    ::getrusage(RUSAGE_SELF, &after);
    std::printf("LARGE %d %ld %s\n", int(outcome), after.ru_maxrss - before.ru_maxrss,
                qPrintable(reason));
    std::fflush(stdout);
}

// A copy over a hard-linked file rewrites it in place, its new content read from the source a
// block at a time as its old content is kept aside: a gigabyte over a gigabyte adds little to the
// peak of the process that copies.
TEST(FolderCopy, ALargeFileIsReplacedInPlaceInBlocks)
{
    ASSERT_FALSE(InterruptedSavesFolder().isEmpty()); // the support folder, for the child too
    const QString dir = pelkotest::freshDir(QStringLiteral("largecopy"));
    const qint64 size = qint64(1) << 30;
    const auto sparse = [&](const QString &path, const QByteArray &head) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(head) == head.size() &&
               file.seek(size - head.size()) && file.write(head) == head.size() &&
               file.resize(size); // the rest is a hole: no room taken
    };
    ASSERT_TRUE(QDir().mkpath(dir + "/L") && QDir().mkpath(dir + "/R"));
    ASSERT_TRUE(sparse(dir + "/L/big.bin", "the new head"));
    ASSERT_TRUE(sparse(dir + "/R/big.bin", "the old head"));
    ASSERT_EQ(::link(bytes(dir + "/R/big.bin").constData(), bytes(dir + "/second.bin").constData()),
              0);
    QProcessEnvironment env;
    env.insert(QStringLiteral("PELKO_LARGE_SOURCE"), dir + "/L/big.bin");
    env.insert(QStringLiteral("PELKO_LARGE_TOP"), dir + "/R");
    env.insert(QStringLiteral("PELKO_LARGE_SUPPORT"), gSupportFolder);
    const QByteArray output =
        pelkotest::runChildTest(QStringLiteral("FolderCopyChild.LargeReplace"), env);
    const QList<QByteArray> fields = pelkotest::fieldsAfter(output, "LARGE ");
    ASSERT_GE(fields.size(), 2) << output.constData();
    EXPECT_EQ(fields[0], QByteArray::number(int(CopyOutcome::Copied))) << output.constData();
    const qint64 grewKiB = fields[1].toLongLong();
    std::printf("[ peak ] a 1 GiB copy over a hard-linked 1 GiB file grew the peak by %lld KiB\n",
                static_cast<long long>(grewKiB));
    EXPECT_LT(grewKiB, 100 * 1024);
    // The other name holds the new content: it was written in place.
    const platform::UniqueFd a(::open(bytes(dir + "/L/big.bin").constData(), O_RDONLY));
    const platform::UniqueFd b(::open(bytes(dir + "/second.bin").constData(), O_RDONLY));
    EXPECT_EQ(statOf(dir + "/second.bin").st_size, size);
    EXPECT_TRUE(SameBytesAt(a.get(), 0, b.get(), 0, size));
    EXPECT_EQ(statOf(dir + "/R/big.bin").st_ino, statOf(dir + "/second.bin").st_ino);
    EXPECT_EQ(QDir(InterruptedSavesFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QDir(dir).removeRecursively();
}
