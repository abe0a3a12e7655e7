// Saving over a file changes its content and nothing else the user can see: its other names,
// its owner and group, the link the user named. Each case runs as this process's user, and as
// an ordinary user when the tests run as root.
#include "platform/PrivateFiles.h"
#include "platform/UniqueFd.h"
#include "services/FileReplace.h"
#include "services/InterruptedSaves.h"
#include "services/NewContent.h"
#include "services/NamedFile.h"
#include "services/TextFile.h"
#include "support/NameSwapper.h"
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
#include <cstdio>
#include <fcntl.h>
#include <functional>
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

    // A file-size limit the new text passes: the new text fails half written, the old bytes are
    // back, whether the file was renamed over or written in place, and the user is told of the
    // limit, not of a full disk.
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
        EXPECT_EQ(failure, FileWriteFailure::FileTooLarge);
        EXPECT_TRUE(FileWriteFailureText(failure).contains(QStringLiteral("limit")));
        EXPECT_NE(FileWriteFailureText(failure), FileWriteFailureText(FileWriteFailure::DiskFull));
        EXPECT_EQ(pelkotest::readFile(row.path), kOld);
    }
    // Nothing of the attempts is left beside the files.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// The new content of a copy is read from the source a block at a time, twice where the old
// content is kept aside (for its digest, then as it is written): a source whose bytes are not
// those it had fails as "changed while it was copied", and the file keeps its old content.
TEST(FileReplace, ASourceThatChangesWhileItIsCopiedLeavesTheOldContent)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("sourcechanged"));
    const QString source = folder + QStringLiteral("/source.bin");
    QByteArray block(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char('a' + i % 23);
    ASSERT_TRUE(pelkotest::writeFile(source, block));
    const platform::UniqueFd in(::open(QFile::encodeName(source).constData(), O_RDONLY));
    ASSERT_TRUE(in.isOpen());

    // Bytes changed between the digest and the write, in the last block.
    {
        const QString changed = folder + QStringLiteral("/changed.bin");
        ASSERT_TRUE(pelkotest::writeFile(changed, block));
        const platform::UniqueFd from(::open(QFile::encodeName(changed).constData(), O_RDWR));
        NewContent content(from.get(), block.size());
        QByteArray digest;
        ASSERT_EQ(content.digest(&digest), 0);
        ASSERT_EQ(::pwrite(from.get(), "Z", 1, block.size() - 2), 1);
        const QString target = folder + QStringLiteral("/written.bin");
        const platform::UniqueFd out(
            ::open(QFile::encodeName(target).constData(), O_RDWR | O_CREAT, 0600));
        EXPECT_EQ(content.writeTo(out.get()), kContentChanged);
        ASSERT_EQ(::pwrite(from.get(), block.constData() + block.size() - 2, 1, block.size() - 2),
                  1);
        ASSERT_EQ(content.writeTo(out.get()), 0); // as it was digested again
    }

    struct Row
    {
        const char *name;
        bool linked;   // another name: written in place
        qint64 judged; // the size the copy judged; the source has another now
        FileWriteWay way;
    };
    const Row rows[] = {
        {"in place, the source shrank", true, block.size() + 5, FileWriteWay::InPlace},
        {"in place, the source grew", true, block.size() - 5, FileWriteWay::InPlace},
        {"renamed over, the source shrank", false, block.size() + 5, FileWriteWay::Renamed},
        {"renamed over, the source grew", false, 1024 * 1024, FileWriteWay::Renamed},
        {"in place, as judged", true, block.size(), FileWriteWay::InPlace},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString dir = pelkotest::freshDir(QStringLiteral("sourcechangedrow"));
        const QString target = dir + QStringLiteral("/t.bin");
        ASSERT_TRUE(pelkotest::writeFile(target, kOld));
        if (row.linked) {
            ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                             QFile::encodeName(dir + QStringLiteral("/second.bin")).constData()),
                      0);
        }
        FileWriteFailure failure = FileWriteFailure::None;
        FileWriteWay way = FileWriteWay::Created;
        const bool ok = ReplaceFileContentFrom(target, in.get(), row.judged, 0600, 0600, &failure,
                                               &way, LinkAtPath::Refuse);
        EXPECT_EQ(way, row.way);
        if (row.judged == block.size()) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(pelkotest::readFile(dir + QStringLiteral("/second.bin")), block);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(failure, FileWriteFailure::SourceChanged);
            EXPECT_EQ(FileWriteFailureText(failure),
                      QStringLiteral("It changed while it was copied."));
            EXPECT_EQ(pelkotest::readFile(target), kOld);
            EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), row.linked ? 2 : 1);
        }
        EXPECT_EQ(QDir(InterruptedSavesFolder()).entryList(QDir::Files | QDir::Hidden),
                  QStringList());
    }

    // A copy stopped by the user leaves the old content too.
    const QString dir = pelkotest::freshDir(QStringLiteral("sourcecancelled"));
    const QString target = dir + QStringLiteral("/t.bin");
    ASSERT_TRUE(pelkotest::writeFile(target, kOld));
    ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                     QFile::encodeName(dir + QStringLiteral("/second.bin")).constData()),
              0);
    const std::atomic<bool> stop(true);
    EXPECT_FALSE(ReplaceFileContentFrom(target, in.get(), block.size(), 0600, 0600, nullptr,
                                        nullptr, LinkAtPath::Refuse, QString(), &stop));
    EXPECT_EQ(pelkotest::readFile(target), kOld);
    EXPECT_EQ(QDir(InterruptedSavesFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Gives path the modification and access times of model, as `touch -r` does.
void copyTimes(const QString &model, const QString &path)
{
    const struct stat st = statOf(model);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// The files of one case: the name saved to, the file read through it, and another file (of the
// same size and time as the one read) that a changed name may lead to.
struct ReadFiles
{
    QString folder, named, read, other;
};

ReadFiles makeReadFiles(bool namedIsLink)
{
    ReadFiles f;
    f.folder = pelkotest::freshDir(QStringLiteral("readsave"));
    const QString elsewhere = pelkotest::freshDir(QStringLiteral("elsewhere"));
    f.other = elsewhere + QStringLiteral("/other.txt");
    EXPECT_TRUE(pelkotest::writeFile(f.other, "OLD TEXT\n"));
    f.read = (namedIsLink ? elsewhere : f.folder) + QStringLiteral("/read.txt");
    EXPECT_TRUE(pelkotest::writeFile(f.read, kOld));
    copyTimes(f.other, f.read);
    f.named = f.folder + QStringLiteral("/named.txt");
    if (namedIsLink) {
        EXPECT_TRUE(QFile::link(f.read, f.named));
    } else {
        EXPECT_TRUE(QFile::rename(f.read, f.named));
        f.read = f.named;
    }
    return f;
}

// Puts a link to target at path, in place of what stands there.
void linkInPlace(const QString &target, const QString &path)
{
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(target, path));
}

// A save of a file that was read writes it only while the name still leads to the file as it was
// read: whatever another program (or another user) changed since, even keeping the size and the
// modification time, is refused and nothing is written anywhere.
TEST(FileReplace, ASaveOfAReadFileWritesOnlyWhatWasRead)
{
    struct Row
    {
        const char *name;
        bool namedIsLink;
        std::function<void(const ReadFiles &)> change;
        bool written;
    };
    const Row rows[] = {
        {"unchanged", false, [](const ReadFiles &) {}, true},
        {"a link the user named, still leading to the file read", true, [](const ReadFiles &) {},
         true},
        {"rewritten with the same size and time", false,
         [](const ReadFiles &f) {
             ASSERT_TRUE(pelkotest::writeFile(f.named, "new TEXT\n"));
             copyTimes(f.other, f.named);
         },
         false},
        {"swapped for a link to a file of the same size and time", false,
         [](const ReadFiles &f) { linkInPlace(f.other, f.named); }, false},
        {"swapped for a second name of another file", false,
         [](const ReadFiles &f) {
             ASSERT_TRUE(QFile::remove(f.named));
             ASSERT_EQ(::link(QFile::encodeName(f.other).constData(),
                              QFile::encodeName(f.named).constData()),
                       0);
         },
         false},
        {"given a second name", false,
         [](const ReadFiles &f) {
             ASSERT_EQ(::link(QFile::encodeName(f.named).constData(),
                              QFile::encodeName(f.named + QStringLiteral(".2")).constData()),
                       0);
         },
         false},
        {"its folder swapped for another holding the same name", false,
         [](const ReadFiles &f) {
             ASSERT_TRUE(QDir().rename(f.folder, f.folder + QStringLiteral(".old")));
             ASSERT_TRUE(QDir().mkpath(f.folder));
             ASSERT_EQ(::link(QFile::encodeName(f.other).constData(),
                              QFile::encodeName(f.named).constData()),
                       0);
         },
         false},
        {"its folder swapped for a link to another folder", false,
         [](const ReadFiles &f) {
             ASSERT_TRUE(QDir().rename(f.folder, f.folder + QStringLiteral(".old")));
             const QString elsewhere = QFileInfo(f.other).absolutePath();
             ASSERT_TRUE(QFile::link(elsewhere, f.folder));
             ASSERT_EQ(
                 ::link(QFile::encodeName(f.other).constData(),
                        QFile::encodeName(elsewhere + QStringLiteral("/named.txt")).constData()),
                 0);
         },
         false},
        {"a link the user named, re-pointed to a file of the same size and time", true,
         [](const ReadFiles &f) { linkInPlace(f.other, f.named); }, false},
        {"a link the user named, replaced by the file it led to", true,
         [](const ReadFiles &f) {
             ASSERT_EQ(::rename(QFile::encodeName(f.read).constData(),
                                QFile::encodeName(f.named).constData()),
                       0);
         },
         false},
        {"removed", false, [](const ReadFiles &f) { ASSERT_TRUE(QFile::remove(f.named)); }, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const ReadFiles f = makeReadFiles(row.namedIsLink);
        TextFileInfo info;
        ASSERT_EQ(App_ReadTextFileContent(f.named, &info), QString::fromUtf8(kOld));
        ASSERT_TRUE(info.identity.known);
        EXPECT_EQ(info.identity.viaLink, row.namedIsLink);
        row.change(f);
        const FileIdentity beforeSave = IdentityNow(f.named, info.identity);

        FileWriteFailure failure = FileWriteFailure::None;
        FileIdentity written;
        EXPECT_EQ(
            ReplaceReadFileContent(f.named, info.identity, kNew, -1, 0644, &failure, &written),
            row.written);
        EXPECT_EQ(pelkotest::readFile(f.other), QByteArray("OLD TEXT\n"));
        if (!row.written) {
            EXPECT_EQ(failure, FileWriteFailure::ChangedOnDisk);
            EXPECT_FALSE(FileWriteFailureText(failure).isEmpty());
            EXPECT_EQ(IdentityNow(f.named, info.identity), beforeSave);
            continue;
        }
        EXPECT_EQ(pelkotest::readFile(f.read), kNew);
        // What was written is what the next save compares with: it goes through unasked, and
        // is refused once the name is swapped again.
        EXPECT_EQ(IdentityNow(f.named, written), written);
        EXPECT_TRUE(ReplaceReadFileContent(f.named, written, kOld, -1, 0644, &failure, &written));
        EXPECT_EQ(pelkotest::readFile(f.read), kOld);
        linkInPlace(f.other, f.named);
        EXPECT_FALSE(ReplaceReadFileContent(f.named, written, kNew, -1, 0644, &failure));
        EXPECT_EQ(failure, FileWriteFailure::ChangedOnDisk);
        EXPECT_EQ(pelkotest::readFile(f.other), QByteArray("OLD TEXT\n"));
    }
}

// A second thread swaps the name saved to with a link to a secret file, pausing a moment of its
// own choosing between swaps, for as long as a fixed number of saves runs. Each save is agreed to
// whatever the name held just before (the user answering "Save Anyway" every time), the file has
// a second name every other round (so it is written in place, not renamed over), and the plain
// writer that refuses links runs beside it: none of them ever writes into the secret.
TEST(FileReplace, SavesRacingASwappedLinkNeverWriteItsTarget)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("race"));
    const QString secret = pelkotest::freshDir(QStringLiteral("secret")) + "/secret.conf";
    const QByteArray secretBytes("root=only\n");
    ASSERT_TRUE(pelkotest::writeFile(secret, secretBytes));
    const struct stat secretBefore = statOf(secret);
    const QString named = folder + QStringLiteral("/x.txt");
    const QString alternate = folder + QStringLiteral("/x.alt");
    ASSERT_TRUE(pelkotest::writeFile(named, kOld));
    ASSERT_TRUE(QFile::link(secret, alternate));
    TextFileInfo info;
    ASSERT_FALSE(App_ReadTextFileContent(named, &info).isNull());
    ASSERT_FALSE(info.identity.viaLink);

    int saved = 0, refused = 0;
    {
        const pelkotest::NameSwapper swapper(named, alternate, secret);
        const QByteArray second = QFile::encodeName(folder + QStringLiteral("/x.second"));
        for (int round = 0; round < 3000; ++round) {
            if (round % 2 == 0)
                ::link(QFile::encodeName(named).constData(), second.constData());
            else
                ::unlink(second.constData());
            const FileIdentity agreed = IdentityNow(named, info.identity);
            const QByteArray bytes = kNew + QByteArray::number(round);
            if (ReplaceReadFileContent(named, agreed, bytes, -1, 0644))
                ++saved;
            else
                ++refused;
            ReplaceFileContent(named, bytes, -1, 0644, nullptr, nullptr, LinkAtPath::Refuse);
        }
    }
    const struct stat secretAfter = statOf(secret);
    EXPECT_EQ(pelkotest::readFile(secret), secretBytes);
    EXPECT_EQ(secretAfter.st_ino, secretBefore.st_ino);
    EXPECT_EQ(secretAfter.st_mtim.tv_nsec, secretBefore.st_mtim.tv_nsec);
    EXPECT_EQ(secretAfter.st_ctim.tv_nsec, secretBefore.st_ctim.tv_nsec);
    RecordProperty("saved", saved);
    RecordProperty("refused", refused);
}

// A save that replaces a file by renaming puts the new file in place of the very file it judged,
// never of what another process swapped in under the name meanwhile: a second thread swaps the
// name with a link again and again, and after every save that says it renamed, the file it
// judged has no name left (a rename over the link instead would leave it under the other name,
// and take the link away).
TEST(FileReplace, ARenameReplacesOnlyTheFileItJudged)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("exchange"));
    const QString secret = pelkotest::freshDir(QStringLiteral("secret")) + "/secret.conf";
    ASSERT_TRUE(pelkotest::writeFile(secret, "root=only\n"));
    const QString named = folder + QStringLiteral("/x.txt");
    const QString alternate = folder + QStringLiteral("/x.alt");
    ASSERT_TRUE(pelkotest::writeFile(named, kOld));
    ASSERT_TRUE(QFile::link(secret, alternate));
    int renamed = 0, elsewhere = 0, refused = 0;
    {
        const pelkotest::NameSwapper swapper(named, alternate, secret);
        for (int round = 0; round < 2000; ++round) {
            // The one regular file of the two names: what a save can judge.
            platform::UniqueFd held;
            for (const QString &name : {named, alternate}) {
                platform::UniqueFd fd(
                    ::open(QFile::encodeName(name).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
                struct stat st;
                if (fd.isOpen() && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode))
                    held = std::move(fd);
            }
            FileWriteWay way = FileWriteWay::Created;
            if (!ReplaceFileContent(named, kNew + QByteArray::number(round), -1, 0644, nullptr,
                                    &way, LinkAtPath::Refuse)) {
                ++refused;
                continue;
            }
            struct stat st;
            if (way != FileWriteWay::Renamed || !held.isOpen() || ::fstat(held.get(), &st) != 0)
                continue;
            ++renamed;
            elsewhere += st.st_nlink != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(elsewhere, 0) << "of " << renamed << " saves by rename";
    EXPECT_GT(renamed, 0);
    EXPECT_EQ(pelkotest::readFile(secret), QByteArray("root=only\n"));
    RecordProperty("refused", refused);
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
