// Removing, reading and writing the application's own files without following a link planted
// among them.
#include "platform/PrivateFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int modeOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 07777);
}

TEST(PrivateFiles, RemovingATreeNeverFollowsALink)
{
    // What the links point to: a folder of the user's with a file in it.
    const QString precious = pelkotest::freshDir(QStringLiteral("precious"));
    ASSERT_TRUE(pelkotest::writeFile(precious + QStringLiteral("/keep.txt"), "mine"));
    struct Row
    {
        const char *name;
        std::function<QString(const QString &)> make; // makes the entry in a folder, answers it
    };
    const Row rows[] = {
        {"a link to the folder, as the entry itself",
         [&](const QString &in) {
             const QString link = in + QStringLiteral("/p99999-abc123");
             QFile::link(precious, link);
             return link;
         }},
        {"a link to the folder inside the tree",
         [&](const QString &in) {
             const QString tree = in + QStringLiteral("/tree");
             QDir().mkpath(tree + QStringLiteral("/deeper"));
             QFile::link(precious, tree + QStringLiteral("/deeper/link"));
             QFile::link(precious + QStringLiteral("/keep.txt"), tree + QStringLiteral("/file"));
             return tree;
         }},
        {"a tree with a folder left without write permission",
         [&](const QString &in) {
             const QString tree = in + QStringLiteral("/locked");
             pelkotest::writeFile(tree + QStringLiteral("/inner/a.txt"), "a");
             ::chmod(QFile::encodeName(tree + QStringLiteral("/inner")).constData(), 0500);
             return tree;
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString in = pelkotest::freshDir(QStringLiteral("remove"));
        const QString entry = row.make(in);
        EXPECT_TRUE(platform::RemoveTreeNoFollow(entry));
        EXPECT_EQ(platform::EntryKindOf(entry), platform::EntryKind::Missing);
        EXPECT_EQ(pelkotest::readFile(precious + QStringLiteral("/keep.txt")), "mine");
    }
    EXPECT_TRUE(platform::RemoveTreeNoFollow(precious + QStringLiteral("/nothing-here")));
}

TEST(PrivateFiles, ReadsOnlyRegularFilesWithinTheirSize)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("read"));
    const QString regular = dir + QStringLiteral("/regular");
    const QString secret = dir + QStringLiteral("/secret");
    const QString link = dir + QStringLiteral("/link");
    const QString fifo = dir + QStringLiteral("/fifo");
    ASSERT_TRUE(pelkotest::writeFile(regular, "0123456789"));
    ASSERT_TRUE(pelkotest::writeFile(secret, "someone else's"));
    ASSERT_TRUE(QFile::link(secret, link));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Row
    {
        const char *name;
        QString path;
        qint64 limit;
        bool read;
    };
    const Row rows[] = {
        {"a regular file", regular, 10, true},
        {"a file over the limit", regular, 9, false},
        {"a link", link, 100, false},
        {"a pipe", fifo, 100, false},
        {"a folder", dir, 100, false},
        {"nothing", dir + QStringLiteral("/missing"), 100, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QString why;
        const auto bytes = platform::ReadRegularFileNoFollow(row.path, row.limit, &why);
        EXPECT_EQ(bytes.has_value(), row.read);
        if (!row.read) {
            EXPECT_FALSE(why.isEmpty());
            EXPECT_FALSE(why.contains(QStringLiteral("0123"))); // never the content
        }
    }
}

TEST(PrivateFiles, NewPrivateFilesAreNeverWrittenThroughALink)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("write"));
    const QString outside = pelkotest::freshDir(QStringLiteral("outside"));
    const QString dangling = dir + QStringLiteral("/dangling");
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/chosen.txt"), dangling));
    const QString taken = dir + QStringLiteral("/taken");
    ASSERT_TRUE(pelkotest::writeFile(taken, "old"));

    EXPECT_FALSE(platform::WriteNewPrivateFile(dangling, "planted"));
    EXPECT_FALSE(QFileInfo::exists(outside + QStringLiteral("/chosen.txt")));
    EXPECT_FALSE(platform::WriteNewPrivateFile(taken, "new"));
    EXPECT_EQ(pelkotest::readFile(taken), "old");

    const QString fresh = dir + QStringLiteral("/fresh");
    ASSERT_TRUE(platform::WriteNewPrivateFile(fresh, "text"));
    EXPECT_EQ(pelkotest::readFile(fresh), "text");
    EXPECT_EQ(modeOf(fresh), platform::kPrivateFileMode);
    // Only the file itself and the two entries planted before.
    EXPECT_EQ(QDir(dir)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .size(),
              3);
}

TEST(PrivateFiles, PrivateFoldersAreMadePrivateAndLinksRefused)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("private"));
    const QString open = dir + QStringLiteral("/open");
    ASSERT_TRUE(QDir().mkpath(open));
    ::chmod(QFile::encodeName(open).constData(), 0755);
    EXPECT_FALSE(platform::IsPrivateFolder(open));
    EXPECT_TRUE(platform::MakePrivateFolder(open));
    EXPECT_EQ(modeOf(open), platform::kPrivateFolderMode);
    EXPECT_TRUE(platform::IsPrivateFolder(open));

    EXPECT_TRUE(platform::MakePrivateFolder(dir + QStringLiteral("/new/deeper")));
    EXPECT_EQ(modeOf(dir + QStringLiteral("/new/deeper")), platform::kPrivateFolderMode);

    const QString link = dir + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(open, link));
    EXPECT_FALSE(platform::IsPrivateFolder(link));
    EXPECT_FALSE(platform::MakePrivateFolder(link));
}

// XDG_DATA_HOME and XDG_CONFIG_HOME name where settings, untitled texts and language files live:
// a folder that another user can replace or fill is not used.
TEST(PrivateFiles, BaseFoldersThatAnotherUserCanReachAreNotUsed)
{
    const bool asRoot = ::geteuid() == 0;
    const QString dir = pelkotest::freshDir(QStringLiteral("bases"));
    const auto folder = [&](const QString &name, int mode, uid_t owner) {
        const QString path = dir + u'/' + name;
        QDir().mkpath(path);
        ::chmod(QFile::encodeName(path).constData(), mode);
        if (owner != ::geteuid() && ::chown(QFile::encodeName(path).constData(), owner, owner))
            return QString();
        return path;
    };
    struct Row
    {
        const char *name;
        QString path; // null: cannot be arranged as this user
        bool trusted;
    };
    const QString shared = folder(QStringLiteral("shared"), 0777, ::geteuid());
    const QString theirs = asRoot ? folder(QStringLiteral("theirs"), 01777, 65534) : QString();
    const QString linkToShared = dir + QStringLiteral("/link-to-shared");
    QFile::link(shared + QStringLiteral("/data"), linkToShared);
    const Row rows[] = {
        {"a folder of this user", folder(QStringLiteral("mine"), 0700, ::geteuid()), true},
        {"not made yet, below one of this user", dir + QStringLiteral("/mine/a/b"), true},
        {"below a sticky folder of root's", QStringLiteral("/tmp/x-not-made"), true},
        {"writable by others", shared, false},
        {"not made yet, below one writable by others", shared + QStringLiteral("/data"), false},
        {"another user's, even sticky", theirs, false},
        {"below another user's", theirs.isNull() ? theirs : theirs + QStringLiteral("/data"),
         false},
        {"a link of this user's into a folder writable by others", linkToShared, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.path.isNull())
            continue;
        QString why;
        EXPECT_EQ(platform::IsTrustedFolderPath(row.path, &why), row.trusted) << qPrintable(why);
        EXPECT_EQ(why.isEmpty(), row.trusted);
        const QString chosen =
            platform::TrustedBaseFolder("XDG_DATA_HOME", row.path, QStringLiteral(".local/share"));
        EXPECT_EQ(chosen, row.trusted ? QDir::cleanPath(row.path)
                                      : QDir::homePath() + QStringLiteral("/.local/share"));
    }
    EXPECT_EQ(platform::TrustedBaseFolder("XDG_DATA_HOME", QStringLiteral("relative/data"),
                                          QStringLiteral(".local/share")),
              QDir::homePath() + QStringLiteral("/.local/share"));
    EXPECT_EQ(platform::TrustedBaseFolder("XDG_DATA_HOME", QString(), QStringLiteral(".config")),
              QDir::homePath() + QStringLiteral("/.config"));
}

} // namespace
