#include "services/FileUtility.h"

#include "platform/Workspace.h"
#include "services/AppSetting.h"
#include "FilePermissionDrop.h"
#include "services/AppInit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using pelkotest::freshDir;
using pelkotest::readFile;
using pelkotest::writeFile;

TEST(FileUtilityTest, ExistenceOfFilesFoldersAndLinks)
{
    const QString dir = freshDir();
    const QString file = dir + QStringLiteral("/f.txt");
    const QString folder = dir + QStringLiteral("/sub");
    const QString fileLink = dir + QStringLiteral("/fileLink");
    const QString folderLink = dir + QStringLiteral("/folderLink");
    const QString dangling = dir + QStringLiteral("/dangling");
    ASSERT_TRUE(writeFile(file, "x"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::link(file, fileLink));
    ASSERT_TRUE(QFile::link(folder, folderLink));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/nothing"), dangling));

    struct Row
    {
        QString path;
        bool file, folder, any;
    };
    const Row rows[] = {
        {file, true, false, true},
        {folder, false, true, true},
        {folder + u'/', false, true, true},
        {fileLink, true, false, true},
        {folderLink, false, true, true},
        {dangling, false, false, false},
        {dir + QStringLiteral("/missing"), false, false, false},
        {QString(), false, false, false},
        {QStringLiteral(""), false, false, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        EXPECT_EQ(IsFileExist(row.path), row.file);
        EXPECT_EQ(IsFolderExist(row.path), row.folder);
        EXPECT_EQ(IsPathExist(row.path), row.any);
    }
}

TEST(FileUtilityTest, SamePathIsExactAfterOneTrailingSlash)
{
    struct Row
    {
        QString a, b;
        bool same;
    };
    const Row rows[] = {
        {QStringLiteral("/a/b"), QStringLiteral("/a/b"), true},
        {QStringLiteral("/a/b/"), QStringLiteral("/a/b"), true},
        {QStringLiteral("/a/B"), QStringLiteral("/a/b"), false},
        {QStringLiteral("/a//"), QStringLiteral("/a"), false},
        {QStringLiteral("/"), QStringLiteral("/"), true},
        {QString(), QStringLiteral(""), true},
        {QString(), QStringLiteral("/"), false},
        {QStringLiteral("/a"), QStringLiteral(""), false},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(IsSamePath(row.a, row.b), row.same)
            << row.a.toStdString() << " | " << row.b.toStdString();
        EXPECT_EQ(IsSamePath(row.b, row.a), row.same);
    }
    EXPECT_TRUE(ResolveAliasPath(QStringLiteral("/")).isNull());
}

TEST(FileUtilityTest, RecentListMovesPathToFront)
{
    const QString dir = freshDir();
    const QString missing = dir + QStringLiteral("/missing");
    QStringList list{QStringLiteral("/x"), dir, QStringLiteral("/y")};

    AddPathToRecentList(dir, &list, true);
    EXPECT_EQ(list, (QStringList{dir, QStringLiteral("/x"), QStringLiteral("/y")}));
    AddPathToRecentList(missing, &list, true);
    EXPECT_EQ(list.size(), 3);
    AddPathToRecentList(missing, &list, false);
    EXPECT_EQ(list.first(), missing);
    AddPathToRecentList(QStringLiteral("/X"), &list, false);
    EXPECT_EQ(list, (QStringList{QStringLiteral("/X"), missing, dir, QStringLiteral("/x"),
                                 QStringLiteral("/y")}));
    AddPathToRecentList(QString(), &list, false);
    AddPathToRecentList(dir, nullptr, false);
    EXPECT_EQ(list.size(), 5);

    // A folder with and without its trailing slash is one entry, spelled as it came last; an
    // older list holding both loses both.
    AddPathToRecentList(dir + QStringLiteral("/"), &list, true);
    EXPECT_EQ(list, (QStringList{dir + QStringLiteral("/"), QStringLiteral("/X"), missing,
                                 QStringLiteral("/x"), QStringLiteral("/y")}));
    list << dir;
    AddPathToRecentList(dir, &list, true);
    EXPECT_EQ(list, (QStringList{dir, QStringLiteral("/X"), missing, QStringLiteral("/x"),
                                 QStringLiteral("/y")}));
    // The root is not a folder without its slash.
    AddPathToRecentList(QStringLiteral("/"), &list, true);
    EXPECT_EQ(list.first(), QStringLiteral("/"));
    EXPECT_EQ(list.size(), 6);
}

TEST(FileUtilityTest, DeleteAnswersWhetherItWorkedAndNeverFollowsLinks)
{
    const QString dir = freshDir();
    const QString outside = freshDir(QStringLiteral("outside"));
    ASSERT_TRUE(writeFile(outside + QStringLiteral("/keep.txt"), "keep"));
    const QString tree = dir + QStringLiteral("/tree");
    ASSERT_TRUE(writeFile(tree + QStringLiteral("/a/b/c.txt"), "c"));
    ASSERT_TRUE(writeFile(tree + QStringLiteral("/.hidden"), "h"));
    ASSERT_TRUE(QFile::link(outside, tree + QStringLiteral("/a/toOutside")));
    const QString link = dir + QStringLiteral("/link");
    ASSERT_TRUE(QFile::link(outside, link));

    EXPECT_TRUE(DeleteFileOrFolder(tree));
    EXPECT_FALSE(QFileInfo::exists(tree));
    EXPECT_TRUE(DeleteFileOrFolder(link));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(outside + QStringLiteral("/keep.txt")), QByteArray("keep"));

    EXPECT_FALSE(DeleteFileOrFolder(dir + QStringLiteral("/missing")));
    EXPECT_FALSE(DeleteFileOrFolder(QString()));
    EXPECT_TRUE(CreateFolder(dir + QStringLiteral("/n/e/w")));
    EXPECT_TRUE(IsFolderExist(dir + QStringLiteral("/n/e/w")));
    EXPECT_FALSE(CreateFolder(QString()));
    EXPECT_FALSE(CreateFolder(outside + QStringLiteral("/keep.txt/below")));
    EXPECT_EQ(GetFileSize(outside + QStringLiteral("/keep.txt")), 4);
    EXPECT_EQ(GetFileSize(dir + QStringLiteral("/missing")), 0);
}

TEST(FileUtilityTest, FolderListings)
{
    const QString dir = freshDir();
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/b.txt"), "b"));
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/A.txt"), "a"));
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/.DS_Store"), "d"));
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/.dot"), "d"));
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/sub/inner.txt"), "i"));
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/sub/.DS_Store"), "d"));
    ASSERT_TRUE(writeFile(dir + QStringLiteral("/sub/deep/x"), "x"));
    ASSERT_TRUE(QFile::link(dir + QStringLiteral("/sub"), dir + QStringLiteral("/loop")));

    const auto full = [&](const QStringList &names) {
        QStringList paths;
        for (const QString &n : names)
            paths << dir + u'/' + n;
        return paths;
    };
    const quint8 savedFlag = gAppSetting.bIgnore_MacHiddenFile;
    gAppSetting.bIgnore_MacHiddenFile = 0;
    EXPECT_EQ(GetFileListInFolder_Names(dir),
              full({QStringLiteral(".dot"), QStringLiteral("A.txt"), QStringLiteral("b.txt"),
                    QStringLiteral("loop"), QStringLiteral("sub")}));
    EXPECT_EQ(GetFileListInFolder_Names(dir, false), GetFileListInFolder_Names(dir));
    gAppSetting.bIgnore_MacHiddenFile = 1;
    EXPECT_EQ(GetFileListInFolder_Names(dir), GetFileListInFolder_Names(dir, true));
    EXPECT_EQ(GetFileListInFolder_Names(dir, true),
              full({QStringLiteral("A.txt"), QStringLiteral("b.txt"), QStringLiteral("loop"),
                    QStringLiteral("sub")}));
    gAppSetting.bIgnore_MacHiddenFile = savedFlag;
    EXPECT_TRUE(GetFileListInFolder_Names(dir + QStringLiteral("/b.txt")).isEmpty());

    EXPECT_EQ(
        GetFileListDeepFromFolder(dir),
        (QStringList{QStringLiteral(".dot"), QStringLiteral("A.txt"), QStringLiteral("b.txt"),
                     QStringLiteral("loop"), QStringLiteral("sub"), QStringLiteral("sub/deep"),
                     QStringLiteral("sub/deep/x"), QStringLiteral("sub/inner.txt")}));
    EXPECT_TRUE(GetFileListDeepFromFolder(dir + QStringLiteral("/missing")).isEmpty());
}

int modeOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

// Files left beside a target after a copy (temporary copies that were not cleaned up).
QStringList namesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

TEST(FileUtilityTest, CopyFileSaveReplacesTarget)
{
    const QString dir = freshDir();
    const QString source = dir + QStringLiteral("/source.bin");
    const QString target = dir + QStringLiteral("/target.bin");
    QByteArray content;
    for (int i = 0; i < 3 << 20; ++i)
        content.append(char(i * 7));
    ASSERT_TRUE(writeFile(source, content));
    ASSERT_TRUE(QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
    ASSERT_TRUE(writeFile(target, "old"));
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup));

    EXPECT_TRUE(CopyFileSave(source, target));
    EXPECT_EQ(readFile(target), content);
    // A replaced file keeps its own mode; a new one takes the source's.
    EXPECT_EQ(modeOf(target), 0640);
    EXPECT_EQ(namesIn(dir),
              (QStringList{QStringLiteral("source.bin"), QStringLiteral("target.bin")}));
    EXPECT_TRUE(CopyFileSave(source, dir + QStringLiteral("/new.bin")));
    EXPECT_EQ(readFile(dir + QStringLiteral("/new.bin")), content);
    EXPECT_EQ(modeOf(dir + QStringLiteral("/new.bin")), 0700);
}

// The copy replaces what the target holds and nothing else the user sees: its other names, the
// link named as the target, its owner, group and mode.
TEST(FileUtilityTest, CopyFileSaveKeepsTheTargetsLinksOwnerAndMode)
{
    const QString dir = freshDir();
    const QString source = dir + QStringLiteral("/source.png");
    ASSERT_TRUE(writeFile(source, "new image bytes"));
    ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), 0600), 0);
    auto path = [&dir](const char *name) { return dir + u'/' + QLatin1String(name); };

    ASSERT_TRUE(writeFile(path("linked.png"), "old"));
    ASSERT_EQ(::link(QFile::encodeName(path("linked.png")).constData(),
                     QFile::encodeName(path("second.png")).constData()),
              0);
    ASSERT_TRUE(writeFile(path("real.png"), "old"));
    ASSERT_TRUE(QFile::link(QStringLiteral("real.png"), path("named.png")));
    ASSERT_TRUE(writeFile(path("theirs.png"), "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path("theirs.png")).constData(), 0664), 0);
    // Root saving over an ordinary user's file; anyone else can only keep their own.
    const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
    ASSERT_EQ(::chown(QFile::encodeName(path("theirs.png")).constData(), owner, group), 0);

    struct stat before;
    ASSERT_EQ(::stat(QFile::encodeName(path("linked.png")).constData(), &before), 0);
    for (const char *target : {"linked.png", "named.png", "theirs.png"}) {
        SCOPED_TRACE(target);
        EXPECT_TRUE(CopyFileSave(source, path(target)));
        EXPECT_EQ(readFile(path(target)), QByteArray("new image bytes"));
    }
    struct stat linked;
    ASSERT_EQ(::stat(QFile::encodeName(path("linked.png")).constData(), &linked), 0);
    EXPECT_EQ(linked.st_ino, before.st_ino);
    EXPECT_EQ(readFile(path("second.png")), QByteArray("new image bytes"));
    EXPECT_TRUE(QFileInfo(path("named.png")).isSymLink());
    EXPECT_EQ(readFile(path("real.png")), QByteArray("new image bytes"));
    struct stat theirs;
    ASSERT_EQ(::stat(QFile::encodeName(path("theirs.png")).constData(), &theirs), 0);
    EXPECT_EQ(theirs.st_uid, owner);
    EXPECT_EQ(theirs.st_gid, group);
    EXPECT_EQ(theirs.st_mode & 07777, 0664u);
    EXPECT_EQ(namesIn(dir),
              (QStringList{QStringLiteral("linked.png"), QStringLiteral("named.png"),
                           QStringLiteral("real.png"), QStringLiteral("second.png"),
                           QStringLiteral("source.png"), QStringLiteral("theirs.png")}));
}

// Whatever goes wrong, the old target stays as it was and the answer is NO.
TEST(FileUtilityTest, CopyFileSaveFailureKeepsTarget)
{
    const QString dir = freshDir();
    const QString source = dir + QStringLiteral("/source.txt");
    ASSERT_TRUE(writeFile(source, "new content"));
    const QString target = dir + QStringLiteral("/target.txt");
    ASSERT_TRUE(writeFile(target, "old content"));
    const QString folderTarget = dir + QStringLiteral("/folder");
    ASSERT_TRUE(writeFile(folderTarget + QStringLiteral("/inside.txt"), "inside"));
    const QString blockedParent = dir + QStringLiteral("/notAFolder");
    ASSERT_TRUE(writeFile(blockedParent, "file where a folder should be"));
    // Nobody writes into this pipe: opening it for reading would wait forever.
    const QString pipe = freshDir() + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    struct Row
    {
        const char *what;
        QString from, to;
    };
    const Row rows[] = {
        {"missing source", dir + QStringLiteral("/missing"), target},
        {"folder as source", folderTarget, target},
        {"pipe as source", pipe, target},
        {"empty source", QString(), target},
        {"empty target", source, QString()},
        {"target is a folder", source, folderTarget},
        {"target folder is a file", source, blockedParent + QStringLiteral("/t.txt")},
        {"target folder missing", source, dir + QStringLiteral("/none/t.txt")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_FALSE(CopyFileSave(row.from, row.to));
    }
    EXPECT_EQ(readFile(target), QByteArray("old content"));
    EXPECT_EQ(readFile(folderTarget + QStringLiteral("/inside.txt")), QByteArray("inside"));
    EXPECT_EQ(readFile(blockedParent), QByteArray("file where a folder should be"));
    EXPECT_EQ(namesIn(dir),
              (QStringList{QStringLiteral("folder"), QStringLiteral("notAFolder"),
                           QStringLiteral("source.txt"), QStringLiteral("target.txt")}));
}

// The target's folder may not be written: nothing can be put beside the target, so the copy is
// written into the target itself, as a save would be.
TEST(FileUtilityTest, CopyFileSaveIntoReadOnlyFolderWritesTheTargetItself)
{
    const QString dir = freshDir();
    const QString source = dir + QStringLiteral("/source.txt");
    const QString locked = dir + QStringLiteral("/locked");
    const QString target = locked + QStringLiteral("/target.txt");
    ASSERT_TRUE(writeFile(source, "new content"));
    ASSERT_TRUE(writeFile(target, "old content"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup));
    {
        pelkotest::FilePermissionDrop drop;
        if (!drop.folderRefusesWrites(locked)) {
            QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
            GTEST_SKIP() << "this process may write into read-only folders";
        }
        EXPECT_TRUE(CopyFileSave(source, target));
        EXPECT_EQ(readFile(target), QByteArray("new content"));
        EXPECT_EQ(namesIn(locked), QStringList{QStringLiteral("target.txt")});
    }
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The copy is read a block at a time up to the size the source had when it was opened: a kernel
// file that reports a size of 0 and still has content is refused, never copied cut short.
TEST(FileUtilityTest, CopyFileSaveRefusesFilesThatHoldMoreThanTheirSize)
{
    const QString source = QStringLiteral("/proc/self/mountinfo");
    if (!IsFileExist(source) || QFileInfo(source).size() != 0)
        GTEST_SKIP() << "no kernel file of size 0 here";
    const QString target = freshDir() + QStringLiteral("/copy.txt");
    ASSERT_TRUE(writeFile(target, "as it was"));
    EXPECT_FALSE(CopyFileSave(source, target));
    EXPECT_EQ(readFile(target), QByteArray("as it was"));
    EXPECT_EQ(namesIn(QFileInfo(target).absolutePath()), QStringList{QStringLiteral("copy.txt")});
}

// Outside a sandbox every existing path is accessible; inside one only what may be read, and
// folders are remembered.
TEST(FileUtilityTest, SandboxAccessCheck)
{
    const QString dir = freshDir();
    const QString file = dir + QStringLiteral("/f.txt");
    const QString secret = dir + QStringLiteral("/secret.txt");
    ASSERT_TRUE(writeFile(file, "x"));
    ASSERT_TRUE(writeFile(secret, "y"));
    ASSERT_TRUE(QFile::setPermissions(secret, QFileDevice::Permissions()));
    SandBox_GetAccesablePathList().clear();

    const bool wasSandboxed = gAppHasSandbox;
    gAppHasSandbox = false;
    EXPECT_FALSE(SandBox_CheckCanAccessPath(QString()));
    EXPECT_FALSE(SandBox_CheckCanAccessPath(dir + QStringLiteral("/missing")));
    EXPECT_TRUE(SandBox_CheckCanAccessPath(dir));
    EXPECT_TRUE(SandBox_GetAccesablePathList().isEmpty());

    gAppHasSandbox = true;
    EXPECT_FALSE(SandBox_CheckCanAccessPath(dir + QStringLiteral("/missing")));
    EXPECT_TRUE(SandBox_CheckCanAccessPath(file));
    EXPECT_TRUE(SandBox_CheckCanAccessPath(dir));
    EXPECT_TRUE(SandBox_CheckCanAccessPath(dir));
    EXPECT_EQ(SandBox_GetAccesablePathList(), QStringList{dir});
    {
        pelkotest::FilePermissionDrop drop;
        if (drop.active()) {
            EXPECT_FALSE(SandBox_CheckCanAccessPath(secret));
        }
    }
    gAppHasSandbox = wasSandboxed;
    SandBox_GetAccesablePathList().clear();
}

TEST(FileUtilityTest, RevealOpensFoldersAndShowsFiles)
{
    const QString dir = freshDir();
    const QString file = dir + QStringLiteral("/f.txt");
    const QString bundle = dir + QStringLiteral("/Tool.app");
    ASSERT_TRUE(writeFile(file, "x"));
    ASSERT_TRUE(QDir().mkpath(bundle));
    QStringList calls;
    platform::setRevealHook([&](const QString &p) {
        calls << QStringLiteral("reveal ") + p;
        return true;
    });
    platform::setOpenFileHook([&](const QString &p) {
        calls << QStringLiteral("open ") + p;
        return true;
    });

    RevealFileFolderInFinder(QStringLiteral("  ") + dir + QStringLiteral("\n"));
    RevealFileFolderInFinder(file);
    RevealFileFolderInFinder(bundle);
    RevealFileFolderInFinder(QStringLiteral("file:") + file); // retried from the first "/"
    RevealFileFolderInFinder(dir + QStringLiteral("/missing"));
    RevealFileFolderInFinder(QStringLiteral("   "));
    platform::setRevealHook(nullptr);
    platform::setOpenFileHook(nullptr);

    EXPECT_EQ(calls,
              (QStringList{QStringLiteral("open ") + dir, QStringLiteral("reveal ") + dir,
                           QStringLiteral("reveal ") + dir, QStringLiteral("reveal ") + dir}));
    EXPECT_TRUE(SandBox_CheckCanAccessPath(file));
    EXPECT_FALSE(SandBox_CheckCanAccessPath(dir + QStringLiteral("/missing")));
}

} // namespace
