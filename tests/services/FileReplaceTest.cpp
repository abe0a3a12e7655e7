// Saving over a file changes its content and nothing else the user can see: its other names,
// its owner and group, the link the user named. Each case runs as this process's user, and as
// an ordinary user when the tests run as root.
#include "platform/PrivateFiles.h"
#include "services/FileReplace.h"
#include "services/TextFile.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <optional>
#include <tuple>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace {

const QByteArray kOld("old text\n");
const QByteArray kNew("the new text, longer than the old one\n");

struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

bool chownPath(const QString &path, uid_t uid, gid_t gid)
{
    return ::lchown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

// One file set up before the save and checked after it.
struct SaveCase
{
    const char *name;
    QString saved;                              // the path saved to
    std::function<void(const QString &)> check; // after the save, given the folder
    bool expectOk = true;
};

// The cases, set up in folder for a saver running as saverUid. Another user's files belong to
// root when the saver is an ordinary user, to the ordinary user when the saver is root.
QList<SaveCase> prepareCases(const QString &folder, uid_t saverUid)
{
    const uid_t otherUid = saverUid == 0 ? pelkotest::kOrdinaryUid : 0;
    const gid_t otherGid = saverUid == 0 ? pelkotest::kOrdinaryGid : 0;
    QList<SaveCase> cases;
    auto file = [&](const QString &name, const QByteArray &bytes) {
        const QString path = folder + u'/' + name;
        EXPECT_TRUE(pelkotest::writeFile(path, bytes));
        return path;
    };
    {
        const QString target = file(QStringLiteral("target.txt"), kOld);
        const QString link = folder + QStringLiteral("/link.txt");
        EXPECT_TRUE(QFile::link(QStringLiteral("target.txt"), link));
        chownPath(target, saverUid, saverUid == 0 ? 0 : pelkotest::kOrdinaryGid);
        chownPath(link, saverUid, saverUid == 0 ? 0 : pelkotest::kOrdinaryGid);
        cases.append(
            {"a link the user named: its target gets the text", link, [=](const QString &) {
                 EXPECT_TRUE(QFileInfo(link).isSymLink());
                 EXPECT_EQ(pelkotest::readFile(target), kNew);
             }});
    }
    {
        const QString first = file(QStringLiteral("first.txt"), kOld);
        const QString second = folder + QStringLiteral("/second.txt");
        EXPECT_TRUE(::link(QFile::encodeName(first).constData(),
                           QFile::encodeName(second).constData()) == 0);
        chownPath(first, saverUid, saverUid == 0 ? 0 : pelkotest::kOrdinaryGid);
        const ino_t inode = statOf(first).st_ino;
        cases.append({"a file with two names keeps both", first, [=](const QString &) {
                          EXPECT_EQ(pelkotest::readFile(second), kNew);
                          EXPECT_EQ(statOf(first).st_ino, inode);
                          EXPECT_EQ(statOf(first).st_nlink, 2u);
                      }});
    }
    {
        const QString theirs = file(QStringLiteral("theirs.txt"), kOld);
        EXPECT_TRUE(chownPath(theirs, otherUid, otherGid));
        ::chmod(QFile::encodeName(theirs).constData(), 0666);
        cases.append({"another user's file this user may write keeps its owner", theirs,
                      [=](const QString &) {
                          EXPECT_EQ(pelkotest::readFile(theirs), kNew);
                          EXPECT_EQ(statOf(theirs).st_uid, otherUid);
                          EXPECT_EQ(statOf(theirs).st_gid, otherGid);
                          EXPECT_EQ(statOf(theirs).st_mode & 07777, 0666u);
                      }});
    }
    if (saverUid != 0) {
        // Root may write anything; an ordinary user is refused, and told why.
        const QString locked = file(QStringLiteral("locked.txt"), kOld);
        EXPECT_TRUE(chownPath(locked, otherUid, otherGid));
        ::chmod(QFile::encodeName(locked).constData(), 0644);
        cases.append({"another user's read-only file is refused and left as it was", locked,
                      [=](const QString &) { EXPECT_EQ(pelkotest::readFile(locked), kOld); },
                      false});
    }
    return cases;
}

// The child: saves each path named in the environment as this (ordinary) user and prints how
// each went; the parent checks the files.
TEST(FileReplaceAsUser, SaveChild)
{
    const QString paths = qEnvironmentVariable("PELKO_SAVE_PATHS");
    if (paths.isEmpty())
        GTEST_SKIP() << "only run by FileReplace.SavesKeepLinksOwnersAndGroups";
    for (const QString &path : paths.split(u'\n')) {
        FileWriteFailure failure = FileWriteFailure::None;
        TextSaveOptions options;
        const bool ok = App_WriteStringToFile(QString::fromUtf8(kNew), path, options, &failure);
        std::printf("SAVED %s %d %d\n", qPrintable(path), ok ? 1 : 0, int(failure));
    }
}

TEST(FileReplace, SavesKeepLinksOwnersAndGroups)
{
    struct Saver
    {
        const char *name;
        bool ordinary;
    };
    int ran = 0;
    for (const Saver saver : {Saver{"as this user", false}, Saver{"as an ordinary user", true}}) {
        SCOPED_TRACE(saver.name);
        const bool asRoot = pelkotest::runningAsRoot();
        if (saver.ordinary && asRoot && !pelkotest::canSwitchToOrdinaryUser())
            continue;
        const uid_t saverUid =
            saver.ordinary ? (asRoot ? pelkotest::kOrdinaryUid : ::geteuid()) : ::geteuid();
        // An ordinary user cannot make files of another user: that run needs root to prepare.
        if (saverUid != 0 && !asRoot)
            continue;
        const QString folder = saver.ordinary ? pelkotest::folderForOrdinaryUser(true)
                                              : pelkotest::freshDir(QStringLiteral("save"));
        ASSERT_FALSE(folder.isEmpty());
        const QList<SaveCase> cases = prepareCases(folder, saverUid);
        if (!saver.ordinary) {
            for (const SaveCase &c : cases) {
                SCOPED_TRACE(c.name);
                FileWriteFailure failure = FileWriteFailure::None;
                EXPECT_EQ(App_WriteStringToFile(QString::fromUtf8(kNew), c.saved, {}, &failure),
                          c.expectOk);
                c.check(folder);
            }
        } else {
            QStringList paths;
            for (const SaveCase &c : cases)
                paths << c.saved;
            QProcessEnvironment env;
            env.insert(QStringLiteral("PELKO_SAVE_PATHS"), paths.join(u'\n'));
            QByteArray output;
            EXPECT_EQ(pelkotest::runTestAsOrdinaryUser(
                          QStringLiteral("FileReplaceAsUser.SaveChild"), env, &output),
                      0)
                << output.constData();
            for (const SaveCase &c : cases) {
                SCOPED_TRACE(c.name);
                const QByteArray line = "SAVED " + QFile::encodeName(c.saved) + ' ';
                const qsizetype at = output.indexOf(line);
                ASSERT_GE(at, 0) << output.constData();
                EXPECT_EQ(output.mid(at + line.size(), 1), c.expectOk ? "1" : "0");
                if (!c.expectOk) {
                    EXPECT_EQ(output.mid(at + line.size() + 2, 1),
                              QByteArray::number(int(FileWriteFailure::ReadOnlyFile)));
                }
                c.check(folder);
            }
            platform::RemoveTreeNoFollow(folder);
        }
        ++ran;
    }
    if (ran < 2)
        GTEST_SKIP() << "the run as an ordinary user needs root and setpriv";
}

TEST(FileReplace, RefusedSavesSayWhyAndLeaveTheOldFile)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("refused"));
    const QString existing = folder + QStringLiteral("/existing.txt");
    ASSERT_TRUE(pelkotest::writeFile(existing, kOld));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));

    FileWriteFailure failure = FileWriteFailure::None;
    EXPECT_FALSE(ReplaceFileContent(folder + QStringLiteral("/sub"), kNew, -1, 0644, &failure));
    EXPECT_EQ(failure, FileWriteFailure::NotRegularFile);
    EXPECT_FALSE(FileWriteFailureText(failure).isEmpty());

    // A link where a writer expects the file it looked at (one swapped in by another user) is
    // refused when the writer says so; a link the user named is followed.
    const QString elsewhere = pelkotest::freshDir(QStringLiteral("elsewhere")) + "/target.txt";
    ASSERT_TRUE(pelkotest::writeFile(elsewhere, kOld));
    const QString swapped = folder + QStringLiteral("/swapped.txt");
    ASSERT_TRUE(QFile::link(elsewhere, swapped));
    EXPECT_FALSE(
        ReplaceFileContent(swapped, kNew, -1, 0644, &failure, nullptr, LinkAtPath::Refuse));
    EXPECT_EQ(failure, FileWriteFailure::NotRegularFile);
    EXPECT_EQ(pelkotest::readFile(elsewhere), kOld);
    EXPECT_TRUE(QFileInfo(swapped).isSymLink());
    EXPECT_TRUE(ReplaceFileContent(swapped, kNew, -1, 0644, &failure));
    EXPECT_EQ(pelkotest::readFile(elsewhere), kNew);
    ASSERT_TRUE(QFile::remove(swapped));

    // A file system that takes no more bytes: the new text fails half written, and the old bytes
    // are back, whether the file was renamed over or written in place.
    const QString second = folder + QStringLiteral("/second.txt");
    ASSERT_EQ(
        ::link(QFile::encodeName(existing).constData(), QFile::encodeName(second).constData()), 0);
    const QByteArray huge(200000, 'x');
    struct Row
    {
        const char *name;
        QString path;
        FileWriteWay way;
    };
    const QString single = folder + QStringLiteral("/single.txt");
    ASSERT_TRUE(pelkotest::writeFile(single, kOld));
    for (const Row &row : {Row{"written in place", existing, FileWriteWay::InPlace},
                           Row{"renamed over", single, FileWriteWay::Renamed}}) {
        SCOPED_TRACE(row.name);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 100000;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        FileWriteWay way = FileWriteWay::Created;
        const bool ok = ReplaceFileContent(row.path, huge, -1, 0644, &failure, &way);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(ok);
        EXPECT_EQ(way, row.way);
        EXPECT_EQ(failure, FileWriteFailure::DiskFull);
        EXPECT_EQ(pelkotest::readFile(row.path), kOld);
    }
    // Nothing of the attempts is left beside the files.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// A POSIX access list as the kernel stores it: a version, then (tag, permissions, id) entries
// in tag order.
QByteArray accessList(std::initializer_list<std::tuple<quint16, quint16, quint32>> entries)
{
    QByteArray bytes;
    auto put = [&bytes](quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.append(char((value >> (8 * i)) & 0xff));
    };
    put(2, 4);
    for (const auto &[tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return bytes;
}

std::optional<QByteArray> attribute(const QString &path, const char *name)
{
    QByteArray value(4096, Qt::Uninitialized);
    const ssize_t n =
        ::lgetxattr(QFile::encodeName(path).constData(), name, value.data(), size_t(value.size()));
    if (n < 0)
        return std::nullopt;
    value.truncate(n);
    return value;
}

bool setAttribute(const QString &path, const char *name, const QByteArray &value)
{
    return ::lsetxattr(QFile::encodeName(path).constData(), name, value.constData(),
                       size_t(value.size()), 0) == 0;
}

// A save by rename gives the new file the old one's extended attributes, its access list among
// them (the group bits of its mode are then the list's mask, not the group's own permissions),
// and nothing the old one lacked.
TEST(FileReplace, SavesKeepExtendedAttributesAndAccessLists)
{
    constexpr quint32 kNoId = 0xffffffffu;
    // user:: rw, user:65534 rw, group:: r, mask rw, other none.
    const QByteArray acl = accessList(
        {{0x01, 6, kNoId}, {0x02, 6, 65534}, {0x04, 4, kNoId}, {0x10, 6, kNoId}, {0x20, 0, kNoId}});
    const QString folder = pelkotest::freshDir(QStringLiteral("attributes"));
    const QString probe = folder + QStringLiteral("/probe");
    ASSERT_TRUE(pelkotest::writeFile(probe, kOld));
    if (!setAttribute(probe, "user.origin", "left") ||
        !setAttribute(probe, "system.posix_acl_access", acl))
        GTEST_SKIP() << "this file system refuses extended attributes or access lists";

    struct Row
    {
        const char *name;
        bool folderDefault; // the folder hands every new file the list
        bool fileHasList;
        bool userAttribute;
    };
    for (const Row row : {Row{"an access list and a user attribute", false, true, true},
                          Row{"a list of the folder the file was cleared of", true, false, false},
                          Row{"the folder's list the file also has", true, true, true}}) {
        SCOPED_TRACE(row.name);
        const QString dir = pelkotest::freshDir(QStringLiteral("attributes"));
        if (row.folderDefault) {
            ASSERT_TRUE(setAttribute(dir, "system.posix_acl_default", acl));
        }
        const QString path = dir + QStringLiteral("/shared.txt");
        ASSERT_TRUE(pelkotest::writeFile(path, kOld));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        if (row.fileHasList) {
            ASSERT_TRUE(setAttribute(path, "system.posix_acl_access", acl));
        } else {
            ::lremovexattr(QFile::encodeName(path).constData(), "system.posix_acl_access");
        }
        if (row.userAttribute) {
            ASSERT_TRUE(setAttribute(path, "user.origin", "left"));
        }
        const mode_t mode = statOf(path).st_mode & 07777;

        FileWriteFailure failure = FileWriteFailure::None;
        FileWriteWay way = FileWriteWay::Created;
        ASSERT_TRUE(ReplaceFileContent(path, kNew, -1, 0644, &failure, &way));
        EXPECT_EQ(way, FileWriteWay::Renamed);
        EXPECT_EQ(pelkotest::readFile(path), kNew);
        EXPECT_EQ(statOf(path).st_mode & 07777, mode);
        EXPECT_EQ(attribute(path, "system.posix_acl_access"),
                  row.fileHasList ? std::optional(acl) : std::nullopt);
        EXPECT_EQ(attribute(path, "user.origin"),
                  row.userAttribute ? std::optional(QByteArray("left")) : std::nullopt);
    }
}

// Other threads make files while saves look up the mode of a new file: their files keep the
// process's umask throughout.
TEST(FileReplace, NewFileModeLeavesTheUmaskAlone)
{
    const mode_t saved = ::umask(022);
    const QByteArray made =
        QFile::encodeName(pelkotest::freshDir(QStringLiteral("umask")) + QStringLiteral("/made"));
    std::atomic<bool> done{false};
    std::atomic<int> count{0}, unmasked{0};
    std::thread maker([&] {
        while (!done.load()) {
            const int fd = ::open(made.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            struct stat st;
            if (fd >= 0 && ::fstat(fd, &st) == 0 && (st.st_mode & 022) != 0)
                ++unmasked;
            if (fd >= 0)
                ::close(fd);
            ::unlink(made.constData());
            ++count;
        }
    });
    while (count.load() == 0)
        std::this_thread::yield();
    // Until the other thread has made a good number of files meanwhile.
    const int start = count.load();
    int wrong = 0;
    for (int calls = 0; calls < 2000 || count.load() < start + 500; ++calls)
        wrong += DefaultNewFileMode() != 0644 ? 1 : 0;
    done = true;
    maker.join();
    ::umask(saved);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(unmasked.load(), 0);
}

} // namespace
