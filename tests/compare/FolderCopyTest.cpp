// Copies of folder-compare entries.
#include "compare/FolderCopy.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <fcntl.h>
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
    EXPECT_EQ(failures.size(), 2);
    // Stop answered to a failure stops the copy.
    EXPECT_EQ(CopyEntry(bytes(dir + "/a/file"), bytes(dir + "/b/file"), nullptr,
                        [](const QByteArray &, const QString &) { return false; }),
              CopyOutcome::Cancelled);
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

TEST(FolderCopy, MakeFolderPathKeepsTheBytesOfEveryName)
{
    const QByteArray dir = bytes(pelkotest::freshDir(QStringLiteral("mkpath")));
    const QByteArray deep = dir + "/a\xff/b\xe9/c/";
    EXPECT_TRUE(MakeFolderPath(deep));
    struct stat st
    {
    };
    ASSERT_EQ(::stat((dir + "/a\xff/b\xe9/c").constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(MakeFolderPath(deep)); // already there
    ASSERT_TRUE(pelkotest::writeFile(QFile::decodeName(dir) + "/file", "x"));
    EXPECT_FALSE(MakeFolderPath(dir + "/file/sub")); // a file in the way
    EXPECT_FALSE(MakeFolderPath(dir + "/file"));
    ::rmdir((dir + "/a\xff/b\xe9/c").constData());
    ::rmdir((dir + "/a\xff/b\xe9").constData());
    ::rmdir((dir + "/a\xff").constData());
}
