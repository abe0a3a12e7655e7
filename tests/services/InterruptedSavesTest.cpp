// A save stopped at any point (killed, or over the file-size limit) leaves the old or the new
// content in the file, or keeps the old content for the next start to offer back. The saves run
// in a child process of this test binary, which dies in the middle of its write.
#include "services/FileReplace.h"
#include "services/InterruptedSaves.h"
#include "services/SupportFolder.h"
#include "services/TemporaryRecord.h"
#include "platform/PrivateFiles.h"
#include "platform/UniqueFd.h"
#include "support/AlertAnswers.h"
#include "support/ChildTest.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QProcess>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contentOf(char seed, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(seed + i % 61);
    return bytes;
}

const QByteArray kOld = contentOf('a', 5000);
const QByteArray kNew = contentOf('A', 400000);

void killSelf(int)
{
    ::kill(::getpid(), SIGKILL);
}

// The child: saves kNew over the named file under a file-size limit. With PELKO_SAVE_KILL set,
// reaching the limit kills it (SIGKILL) at exactly that offset of whatever it is writing;
// otherwise the save meets the limit as the application would.
TEST(InterruptedSavesChild, Save)
{
    const QString target = qEnvironmentVariable("PELKO_SAVE_TARGET");
    if (target.isEmpty())
        GTEST_SKIP() << "only run by InterruptedSaves.StoppedSavesLeaveOldOrNewContent";
    PrepareSupportFolder(qEnvironmentVariable("PELKO_SAVE_SUPPORT"));
    if (qEnvironmentVariableIsSet("PELKO_SAVE_KILL"))
        std::signal(SIGXFSZ, killSelf);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(qEnvironmentVariableIntValue("PELKO_SAVE_LIMIT"));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    FileWriteFailure failure = FileWriteFailure::None;
    const bool ok = ReplaceFileContent(target, kNew, -1, 0644, &failure);
    std::printf("SAVED %d %d\n", ok ? 1 : 0, int(failure));
    std::fflush(stdout);
}

// The next start's offer, in a child: it answers every question with "Restore the Old Content"
// and prints how many copies it offered. With PELKO_OFFER_LIMIT set, a write past that size kills
// it, as PELKO_SAVE_KILL does to a save.
TEST(InterruptedSavesChild, Offer)
{
    const QString support = qEnvironmentVariable("PELKO_OFFER_SUPPORT");
    if (support.isEmpty())
        GTEST_SKIP() << "only run by InterruptedSaves.StoppedSavesLeaveOldOrNewContent";
    PrepareSupportFolder(support);
    if (qEnvironmentVariableIsSet("PELKO_OFFER_LIMIT")) {
        std::signal(SIGXFSZ, killSelf);
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = rlim_t(qEnvironmentVariableIntValue("PELKO_OFFER_LIMIT"));
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    pelkotest::AlertAnswers answers;
    answers.answers = {platform::AlertSecondButtonReturn};
    const int offered = OfferInterruptedSaves();
    std::printf("OFFERED %d %d\n", offered, int(answers.alerts.size()));
    std::fflush(stdout);
}

struct ChildRun
{
    bool killed = false;
    QByteArray output;
};

ChildRun saveInChild(const QString &target, qint64 limit, bool kill, const QString &support,
                     bool asOrdinaryUser)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PELKO_SAVE_TARGET"), target);
    env.insert(QStringLiteral("PELKO_SAVE_SUPPORT"), support);
    env.insert(QStringLiteral("PELKO_SAVE_LIMIT"), QString::number(limit));
    if (kill)
        env.insert(QStringLiteral("PELKO_SAVE_KILL"), QStringLiteral("1"));
    if (asOrdinaryUser) {
        ChildRun run;
        run.killed = pelkotest::runTestAsOrdinaryUser(QStringLiteral("InterruptedSavesChild.Save"),
                                                      env, &run.output) == -1;
        return run;
    }
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    all.insert(env);
    QProcess process;
    process.setProcessEnvironment(all);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=InterruptedSavesChild.Save")});
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::CrashExit, process.readAll()};
}

QStringList entriesIn(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The contents of the files in folder, which are then removed.
QList<QByteArray> takeFilesOf(const QString &folder)
{
    QList<QByteArray> contents;
    for (const QString &name : entriesIn(folder)) {
        contents.append(pelkotest::readFile(folder + u'/' + name));
        QFile::remove(folder + u'/' + name);
    }
    return contents;
}

// Keeps the content of the file at path, as a save that rewrites it in place does first.
int keepContentOf(const QString &path, const QByteArray &newContent, KeptOldContent *kept)
{
    const platform::UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0)
        return errno;
    return KeepOldContent(path, fd.get(), st, newContent, kept);
}

TEST(InterruptedSaves, StoppedSavesLeaveOldOrNewContent)
{
    ASSERT_FALSE(InterruptedSavesFolder().isEmpty());
    // A second name, or another user's file, makes the save write the file itself.
    enum class Way { InPlace, Renamed, TheirFile };
    enum class Seen { OldContent, OfferedBack, KeptAsIs };
    struct Row
    {
        const char *name;
        Way way;
        qint64 limit;
        bool kill;
        Seen seen;
    };
    const Row rows[] = {
        {"in place, over the size limit", Way::InPlace, 100000, false, Seen::OldContent},
        {"renamed, over the size limit", Way::Renamed, 100000, false, Seen::OldContent},
        {"in place, killed while keeping the old bytes", Way::InPlace, 3000, true,
         Seen::OldContent},
        {"in place, killed early in the write", Way::InPlace, 65536 + 123, true, Seen::OfferedBack},
        {"in place, killed late in the write", Way::InPlace, 399999, true, Seen::OfferedBack},
        {"in place, killed, the user keeps the file", Way::InPlace, 250000, true, Seen::KeptAsIs},
        {"renamed, killed in the write", Way::Renamed, 100000, true, Seen::OldContent},
        {"root's file saved by an ordinary user, over the size limit", Way::TheirFile, 100000,
         false, Seen::OldContent},
        {"root's file saved by an ordinary user, killed in the write", Way::TheirFile, 200000, true,
         Seen::OfferedBack},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const bool ordinary = row.way == Way::TheirFile;
        if (ordinary && !pelkotest::canSwitchToOrdinaryUser())
            continue;
        const QString folder = ordinary ? pelkotest::folderForOrdinaryUser(true)
                                        : pelkotest::freshDir(QStringLiteral("stopped"));
        ASSERT_FALSE(folder.isEmpty());
        const QString path = folder + QStringLiteral("/r.txt");
        ASSERT_TRUE(pelkotest::writeFile(path, kOld));
        QString support = gSupportFolder;
        if (row.way == Way::InPlace) {
            ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                             QFile::encodeName(folder + QStringLiteral("/second.txt")).constData()),
                      0);
        } else if (ordinary) {
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
            support = folder + QStringLiteral("/support");
            ASSERT_TRUE(QDir().mkpath(support));
            ASSERT_EQ(::chown(QFile::encodeName(support).constData(), pelkotest::kOrdinaryUid,
                              pelkotest::kOrdinaryGid),
                      0);
            ASSERT_EQ(::chmod(QFile::encodeName(support).constData(), 0700), 0);
        }
        const QString kept = support + QStringLiteral("/saving");
        // The user's own, named like a save's temporary file.
        ASSERT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/.r.txt.Ab3dE9"), "mine"));
        const QStringList namesBefore = entriesIn(folder);

        const ChildRun run = saveInChild(path, row.limit, row.kill, support, ordinary);
        EXPECT_EQ(run.killed, row.kill) << run.output.constData();
        if (!row.kill) {
            // The process lives on: the save failed, said why, and left nothing behind.
            EXPECT_TRUE(run.output.contains(
                "SAVED 0 " + QByteArray::number(int(FileWriteFailure::FileTooLarge))))
                << run.output.constData();
            EXPECT_EQ(entriesIn(folder), namesBefore);
        }
        if (!ordinary) {
            // The next start removes the temporary file a save by rename left, and only that.
            RemoveLeftTemporaries();
            EXPECT_EQ(entriesIn(folder), namesBefore);
        }
        const QByteArray afterStop = pelkotest::readFile(path);
        EXPECT_TRUE(afterStop == kOld || afterStop == kNew || !entriesIn(kept).isEmpty());
        if (row.seen != Seen::OldContent) {
            // The killed write stopped at its limit.
            EXPECT_EQ(afterStop, kNew.left(int(row.limit)));
        }

        // The next start.
        if (ordinary) {
            QProcessEnvironment env;
            env.insert(QStringLiteral("PELKO_OFFER_SUPPORT"), support);
            QByteArray output;
            EXPECT_EQ(pelkotest::runTestAsOrdinaryUser(
                          QStringLiteral("InterruptedSavesChild.Offer"), env, &output),
                      0)
                << output.constData();
            const int offered = row.seen == Seen::OldContent ? 0 : 1;
            EXPECT_TRUE(output.contains(QByteArray("OFFERED ") + QByteArray::number(offered) + ' ' +
                                        QByteArray::number(offered)))
                << output.constData();
            EXPECT_EQ(pelkotest::readFile(path), kOld);
        } else {
            pelkotest::AlertAnswers answers;
            // Escape, or Return, keeps the file as it is and asks again at the next start.
            answers.answers = {row.seen == Seen::KeptAsIs ? platform::AlertFirstButtonReturn
                                                          : platform::AlertSecondButtonReturn,
                               platform::AlertThirdButtonReturn};
            const int offered = OfferInterruptedSaves();
            if (row.seen == Seen::OldContent) {
                EXPECT_EQ(offered, 0);
                EXPECT_EQ(pelkotest::readFile(path), kOld);
            } else {
                ASSERT_EQ(offered, 1);
                ASSERT_EQ(answers.alerts.size(), 1u);
                EXPECT_TRUE(answers.alerts[0].title.contains(QStringLiteral("\"r.txt\"")));
                EXPECT_TRUE(answers.alerts[0].title.contains(QStringLiteral("Pelko Merge")));
                EXPECT_TRUE(answers.alerts[0].text.contains(
                    QStringLiteral("The file may be only partly written.")));
                EXPECT_EQ(answers.alerts[0].cancelIndex, 0);
                EXPECT_EQ(answers.alerts[0].defaultIndex, 0);
                EXPECT_EQ(pelkotest::readFile(path),
                          row.seen == Seen::OfferedBack ? kOld : afterStop);
                // What the restore wrote over is kept; nothing is when the file stays.
                EXPECT_EQ(takeFilesOf(BeforeRestoreFolder()), row.seen == Seen::OfferedBack
                                                                  ? QList<QByteArray>{afterStop}
                                                                  : QList<QByteArray>{});
            }
            if (row.seen == Seen::KeptAsIs) {
                EXPECT_EQ(entriesIn(kept).size(), 1);
                EXPECT_EQ(OfferInterruptedSaves(), 1); // asked again; now discarded
                EXPECT_EQ(pelkotest::readFile(path), afterStop);
            }
        }
        EXPECT_EQ(entriesIn(kept), QStringList());
        if (row.way == Way::InPlace) {
            EXPECT_EQ(pelkotest::readFile(folder + QStringLiteral("/second.txt")),
                      pelkotest::readFile(path));
        }
        if (ordinary) {
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
            EXPECT_EQ(st.st_uid, 0u);
            platform::RemoveTreeNoFollow(folder);
        }
    }
}

// What the start does with each kept copy: one whose save is still running, or whose file holds
// either content whole, is never offered; a restore keeps what the file held first, and Escape
// changes nothing. One whose file is gone or another file now is offered as such: its old content
// can be kept as a file of its own, and nothing is ever written at the file's name.
TEST(InterruptedSaves, StartOffersOnlyWhatAStoppedSaveLeft)
{
    const QString kept = InterruptedSavesFolder();
    ASSERT_FALSE(kept.isEmpty());
    const QString folder = pelkotest::freshDir(QStringLiteral("kept"));
    const QString path = folder + QStringLiteral("/f.txt");
    const QString elsewhere = folder + QStringLiteral("/elsewhere.txt");
    constexpr int kNoQuestion = 0;
    struct Row
    {
        const char *name;
        std::function<void()> change; // what happens to the file after the copy is kept
        bool stillSaving;
        int answer;
        QByteArray after;     // the file's content after the start; null: as it was
        QByteArray keptAside; // what the restore kept of the file; null: nothing
        bool copyStays;
        bool notThere = false; // asked about as a file that is not there as it was
    };
    const QByteArray half = kNew.left(1000) + kOld.mid(1000);
    const QByteArray edited = "edited since in another program\n";
    const auto holds = [&](const QByteArray &bytes) {
        return [&, bytes] { ASSERT_TRUE(pelkotest::writeFile(path, bytes)); };
    };
    const Row rows[] = {
        {"the save is still running", holds(half), true, kNoQuestion, {}, {}, true},
        {"the file holds the new content", holds(kNew), false, kNoQuestion, {}, {}, false},
        {"the file holds the old content", holds(kOld), false, kNoQuestion, {}, {}, false},
        {"the file is half written, restored", holds(half), false,
         platform::AlertSecondButtonReturn, kOld, half, false},
        {"the file was edited since, restored", holds(edited), false,
         platform::AlertSecondButtonReturn, kOld, edited, false},
        {"the file was edited since, Escape",
         holds(edited),
         false,
         platform::AlertFirstButtonReturn,
         {},
         {},
         true},
        {"the file is half written, discarded",
         holds(half),
         false,
         platform::AlertThirdButtonReturn,
         {},
         {},
         false},
        {"the file is gone, its old content kept as a file",
         [&] { ASSERT_TRUE(QFile::remove(path)); },
         false,
         platform::AlertFirstButtonReturn,
         {},
         kOld,
         false,
         true},
        {"the file is another file now",
         [&] {
             ASSERT_TRUE(pelkotest::writeFile(elsewhere, half));
             ASSERT_EQ(::rename(QFile::encodeName(elsewhere).constData(),
                                QFile::encodeName(path).constData()),
                       0);
         },
         false,
         platform::AlertSecondButtonReturn, // asked again later
         {},
         {},
         true,
         true},
        {"the file was swapped for a link to another",
         [&] {
             ASSERT_TRUE(pelkotest::writeFile(elsewhere, half));
             ASSERT_TRUE(QFile::remove(path));
             ASSERT_TRUE(QFile::link(elsewhere, path));
         },
         false,
         platform::AlertThirdButtonReturn, // discarded
         {},
         {},
         false,
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(path);
        QFile::remove(elsewhere);
        ASSERT_TRUE(pelkotest::writeFile(path, kOld));
        KeptOldContent copy;
        ASSERT_EQ(keepContentOf(path, kNew, &copy), 0);
        ASSERT_EQ(entriesIn(kept).size(), 1);
        EXPECT_TRUE(entriesIn(kept).front().startsWith(QStringLiteral("f.txt-")));
        row.change();
        const QByteArray before = QFileInfo(path).isSymLink() || !QFileInfo::exists(path)
                                      ? QByteArray()
                                      : pelkotest::readFile(path);
        if (!row.stillSaving)
            copy.fd.reset(); // the process ended without removing it

        pelkotest::AlertAnswers answers;
        if (row.answer != kNoQuestion)
            answers.answers = {row.answer};
        EXPECT_EQ(OfferInterruptedSaves(), row.answer != kNoQuestion ? 1 : 0);
        EXPECT_EQ(entriesIn(kept).size(), row.copyStays ? 1 : 0);
        if (!before.isNull()) {
            EXPECT_EQ(pelkotest::readFile(path), row.after.isNull() ? before : row.after);
        }
        if (QFileInfo::exists(elsewhere)) {
            EXPECT_EQ(pelkotest::readFile(elsewhere), half);
        }
        if (row.notThere) {
            ASSERT_FALSE(answers.alerts.empty());
            const platform::AlertRequest &asked = answers.alerts.front();
            EXPECT_TRUE(asked.title.contains(QStringLiteral("\"f.txt\" was being saved")) &&
                        asked.title.contains(QStringLiteral("is not there as it was")))
                << qPrintable(asked.title);
            EXPECT_TRUE(asked.text.startsWith(path + u'\n')) << qPrintable(asked.text);
            EXPECT_EQ(asked.buttons, (QStringList{QStringLiteral("Keep the Old Content as a File"),
                                                  QStringLiteral("Ask Again Later"),
                                                  QStringLiteral("Discard the Old Content")}));
            EXPECT_EQ(asked.cancelIndex, 1);
            EXPECT_EQ(asked.defaultIndex, 1);
            // Keeping it as a file names the file, a private one of its own.
            const QStringList aside = entriesIn(BeforeRestoreFolder());
            ASSERT_EQ(answers.alerts.size(), row.keptAside.isNull() ? 1u : 2u);
            ASSERT_EQ(aside.size(), row.keptAside.isNull() ? 0 : 1);
            if (!aside.isEmpty()) {
                const QString made = BeforeRestoreFolder() + u'/' + aside.front();
                EXPECT_TRUE(aside.front().startsWith(QStringLiteral("f.txt-")));
                EXPECT_TRUE(answers.alerts[1].text.contains(made))
                    << qPrintable(answers.alerts[1].text);
                struct stat st;
                ASSERT_EQ(::lstat(QFile::encodeName(made).constData(), &st), 0);
                EXPECT_TRUE(S_ISREG(st.st_mode));
                EXPECT_EQ(st.st_mode & 07777, 0600u);
            }
            EXPECT_EQ(QFileInfo::exists(path) || QFileInfo(path).isSymLink(),
                      !QByteArray(row.name).contains("gone"));
        }
        EXPECT_EQ(takeFilesOf(BeforeRestoreFolder()),
                  row.keptAside.isNull() ? QList<QByteArray>{} : QList<QByteArray>{row.keptAside});
        // Leave the folder empty for the next row.
        takeFilesOf(kept);
    }
}

// The line of a kept copy's header that tells the file at path from another one that took its
// inode since: owner, group, change time and birth time (as "- -" when born is false).
QByteArray proofLineOf(const QString &path, bool born = true)
{
    struct statx stx;
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_BASIC_STATS | STATX_BTIME,
                &stx) != 0)
        return {};
    const auto stamp = [](const statx_timestamp &t) {
        return QByteArray::number(qint64(t.tv_sec)) + ' ' + QByteArray::number(t.tv_nsec);
    };
    return QByteArray::number(stx.stx_uid) + ' ' + QByteArray::number(stx.stx_gid) + ' ' +
           stamp(stx.stx_ctime) + ' ' +
           (born && (stx.stx_mask & STATX_BTIME) ? stamp(stx.stx_btime) : QByteArray("- -"));
}

// Kept copies that are not whole, or whose header does not hold together, are never offered and
// never drive a write: each is taken for an unfinished copy.
TEST(InterruptedSaves, MalformedCopiesAreNeverOffered)
{
    const QString kept = InterruptedSavesFolder();
    ASSERT_FALSE(kept.isEmpty());
    const QString folder = pelkotest::freshDir(QStringLiteral("malformed"));
    const QString path = folder + QStringLiteral("/m.txt");
    const QByteArray half = kNew.left(1000) + kOld.mid(1000);
    ASSERT_TRUE(pelkotest::writeFile(path, half));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    const QByteArray hash = QCryptographicHash::hash(kNew, QCryptographicHash::Sha256).toHex();
    const QByteArray id =
        QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino)) + ' ';
    const QByteArray hexPath = QFile::encodeName(path).toHex();
    const QByteArray proof = proofLineOf(path);
    const auto copyWith = [&](const QByteArray &proofLine, const QByteArray &sizes,
                              const QByteArray &pathLine, const QByteArray &body) {
        return "pelko-kept-content 2\n" + id + sizes + ' ' + hash + '\n' + proofLine + '\n' +
               pathLine + '\n' + body;
    };
    const auto copy = [&](const QByteArray &sizes, const QByteArray &pathLine,
                          const QByteArray &body) {
        return copyWith(proof, sizes, pathLine, body);
    };
    const QByteArray newSize = QByteArray::number(kNew.size());
    const QByteArray sizes = "5000 " + newSize;
    struct Row
    {
        const char *name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"an old size near the largest number",
         copy("9223372036854775800 " + newSize, hexPath, kOld)},
        {"the largest old size", copy("9223372036854775807 " + newSize, hexPath, kOld)},
        {"a negative old size", copy("-5000 " + newSize, hexPath, kOld)},
        {"an old size past the largest number",
         copy("9223372036854775808 " + newSize, hexPath, kOld)},
        {"the body shorter than its size", copy(sizes, hexPath, kOld.left(4999))},
        {"the body longer than its size", copy(sizes, hexPath, kOld + 'x')},
        {"a relative path", copy(sizes, QByteArray("m.txt").toHex(), kOld)},
        {"a path that is not hex", copy(sizes, "/m.txt", kOld)},
        {"no path", copy(sizes, {}, kOld)},
        {"another magic", "pelko-kept-content 9" + copy(sizes, hexPath, kOld).mid(20)},
        {"a header cut short", copy(sizes, hexPath, kOld).left(60)},
        {"no owner line",
         "pelko-kept-content 2\n" + id + sizes + ' ' + hash + '\n' + hexPath + '\n' + kOld},
        {"an owner line cut short",
         copyWith(proof.left(proof.lastIndexOf(' ')), sizes, hexPath, kOld)},
        {"a nanosecond past the second", copyWith("0 0 1 1000000000 - -", sizes, hexPath, kOld)},
        {"a time with a leading zero", copyWith("0 0 01 0 - -", sizes, hexPath, kOld)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = kept + QStringLiteral("/m.txt-Ab3dE9");
        ASSERT_TRUE(pelkotest::writeFile(name, row.bytes));
        ASSERT_EQ(::chmod(QFile::encodeName(name).constData(), 0600), 0);
        pelkotest::AlertAnswers answers;
        answers.answers = {platform::AlertSecondButtonReturn};
        EXPECT_EQ(OfferInterruptedSaves(), 0);
        EXPECT_TRUE(answers.alerts.empty());
        EXPECT_EQ(pelkotest::readFile(path), half);
        takeFilesOf(kept);
    }
    // The well-formed copy the rows were made from is offered: they failed for their fault alone.
    ASSERT_TRUE(
        pelkotest::writeFile(kept + QStringLiteral("/m.txt-Ab3dE9"), copy(sizes, hexPath, kOld)));
    pelkotest::AlertAnswers answers;
    answers.answers = {platform::AlertSecondButtonReturn};
    EXPECT_EQ(OfferInterruptedSaves(), 1);
    EXPECT_EQ(pelkotest::readFile(path), kOld);
    EXPECT_EQ(takeFilesOf(BeforeRestoreFolder()), QList<QByteArray>{half});
}

// Rewrites the header lines of the kept copy at copyPath, kept for the file at path.
void editKeptHeader(const QString &copyPath, const QString &path,
                    const std::function<void(QList<QByteArray> &)> &edit)
{
    const QByteArray bytes = pelkotest::readFile(copyPath);
    const QByteArray pathLine = '\n' + QFile::encodeName(path).toHex() + '\n';
    const qsizetype end = bytes.indexOf(pathLine) + pathLine.size();
    ASSERT_GT(end, pathLine.size());
    QList<QByteArray> lines = bytes.left(end - 1).split('\n');
    edit(lines);
    ASSERT_TRUE(pelkotest::writeFile(copyPath, lines.join('\n') + '\n' + bytes.mid(end)));
}

// The old content goes back only into the very file it was kept for. Another file that took its
// device and inode since (as one made after the file was removed can) is asked about as a file
// that is not there as it was, and is never written: one of another owner, one born later, or,
// where no birth time was kept, one of a size the save could not have left. A copy of an earlier
// version, whose header tells device and inode alone, proves nothing either.
TEST(InterruptedSaves, OldContentGoesBackOnlyIntoTheFileItWasKeptFor)
{
    const QString kept = InterruptedSavesFolder();
    ASSERT_FALSE(kept.isEmpty());
    const QByteArray half = kNew.left(1000) + kOld.mid(1000);
    const QByteArray theirs = "another file's bytes\n";
    struct Row
    {
        const char *name;
        bool otherFile;   // the header names another file's device and inode
        bool otherOwner;  // that file belongs to another user
        bool noBirthTime; // the header kept no birth time
        bool earlier;     // written as an earlier version wrote it
        bool written;
    };
    const Row rows[] = {
        {"the file itself, half written", false, false, false, false, true},
        {"the file itself, no birth time kept", false, false, true, false, true},
        {"another user's file under its inode", true, true, false, false, false},
        {"a file of the same owner born since", true, false, false, false, false},
        {"no birth time, and a size the save could not leave", true, false, true, false, false},
        {"the file itself, kept by an earlier version", false, false, false, true, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.otherOwner && !pelkotest::runningAsRoot())
            continue;
        const QString folder = pelkotest::freshDir(QStringLiteral("proof"));
        const QString path = folder + QStringLiteral("/p.txt");
        const QString other = folder + QStringLiteral("/o.txt");
        ASSERT_TRUE(pelkotest::writeFile(path, kOld));
        {
            KeptOldContent copy;
            ASSERT_EQ(keepContentOf(path, kNew, &copy), 0);
        } // the process ends, leaving the copy
        ASSERT_EQ(entriesIn(kept).size(), 1);
        const QString copyPath = kept + u'/' + entriesIn(kept).front();
        ASSERT_TRUE(pelkotest::writeFile(path, half));
        QString victim = path;
        if (row.otherFile) {
            ASSERT_TRUE(pelkotest::writeFile(other, theirs));
            if (row.otherOwner) {
                ASSERT_EQ(::chown(QFile::encodeName(other).constData(), pelkotest::kOrdinaryUid,
                                  pelkotest::kOrdinaryGid),
                          0);
                ASSERT_EQ(::chmod(QFile::encodeName(other).constData(), 0666), 0);
            }
            // As if the file had been removed and this one had taken its inode, under its name.
            ASSERT_EQ(
                ::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()),
                0);
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
            editKeptHeader(copyPath, path, [&](QList<QByteArray> &lines) {
                QList<QByteArray> fields = lines[1].split(' ');
                fields[0] = QByteArray::number(quint64(st.st_dev));
                fields[1] = QByteArray::number(quint64(st.st_ino));
                lines[1] = fields.join(' ');
            });
        }
        if (row.noBirthTime) {
            editKeptHeader(copyPath, path, [](QList<QByteArray> &lines) {
                QList<QByteArray> fields = lines.value(2).split(' ');
                if (fields.size() == 6)
                    lines[2] = fields.mid(0, 4).join(' ') + " - -";
            });
        }
        if (row.earlier) {
            editKeptHeader(copyPath, path, [](QList<QByteArray> &lines) {
                if (lines[0] == "pelko-kept-content 2") {
                    lines[0] = "pelko-kept-content 1";
                    lines.removeAt(2);
                }
            });
        }
        const QByteArray before = pelkotest::readFile(victim);
        pelkotest::AlertAnswers answers;
        answers.answers = {platform::AlertSecondButtonReturn}; // Restore, or Ask Again Later
        EXPECT_EQ(OfferInterruptedSaves(), 1);
        ASSERT_FALSE(answers.alerts.empty());
        EXPECT_EQ(answers.alerts[0].title.contains(QStringLiteral("is not there as it was")),
                  !row.written)
            << qPrintable(answers.alerts[0].title);
        EXPECT_EQ(pelkotest::readFile(victim), row.written ? kOld : before);
        if (row.otherOwner) {
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
            EXPECT_EQ(st.st_uid, pelkotest::kOrdinaryUid);
        }
        takeFilesOf(kept);
        takeFilesOf(BeforeRestoreFolder());
    }
}

// A file name holding line breaks or other controls cannot add lines to the question that read as
// the application's own: each shows as its escape, on the line of the name.
TEST(InterruptedSaves, NamesInTheQuestionsStayOnTheirLines)
{
    const QString kept = InterruptedSavesFolder();
    ASSERT_FALSE(kept.isEmpty());
    const QString folder = pelkotest::freshDir(QStringLiteral("names"));
    const QString plain = folder + QStringLiteral("/plain.txt");
    const QString odd = folder + QStringLiteral("/a\n\nRestore now.\r\u2028\u202eb.txt");
    const auto question = [&](const QString &path, bool gone) {
        EXPECT_TRUE(pelkotest::writeFile(path, kOld));
        KeptOldContent copy;
        EXPECT_EQ(keepContentOf(path, kNew, &copy), 0);
        copy.fd.reset();
        if (gone)
            QFile::remove(path);
        else
            EXPECT_TRUE(pelkotest::writeFile(path, kNew.left(1000) + kOld.mid(1000)));
        pelkotest::AlertAnswers answers;
        answers.answers = {platform::AlertFirstButtonReturn,
                           platform::AlertFirstButtonReturn}; // keep it; or keep it as a file
        OfferInterruptedSaves();
        takeFilesOf(kept);
        takeFilesOf(BeforeRestoreFolder());
        return answers.alerts;
    };
    for (const bool gone : {false, true}) {
        SCOPED_TRACE(gone ? "gone" : "there");
        const auto plainAsked = question(plain, gone), oddAsked = question(odd, gone);
        ASSERT_EQ(oddAsked.size(), plainAsked.size());
        ASSERT_FALSE(oddAsked.empty());
        for (size_t k = 0; k < oddAsked.size(); ++k) {
            EXPECT_EQ(oddAsked[k].title.count(u'\n'), plainAsked[k].title.count(u'\n'));
            EXPECT_EQ(oddAsked[k].text.count(u'\n'), plainAsked[k].text.count(u'\n'));
            for (const QChar c : oddAsked[k].title + oddAsked[k].text) {
                EXPECT_FALSE(c == u'\r' || c == QChar(0x2028) || c == QChar(0x202e))
                    << qPrintable(oddAsked[k].text);
            }
        }
        EXPECT_TRUE(oddAsked[0].title.contains(
            QStringLiteral("\"a\\n\\nRestore now.\\r\\u2028\\u202eb.txt\"")))
            << qPrintable(oddAsked[0].title);
    }
}

// A restore killed while it writes loses nothing: what the file held is already kept aside, and
// the copy stays for the start after, which restores the old content whole.
TEST(InterruptedSaves, ARestoreKilledMidwayLosesNothing)
{
    const QString kept = InterruptedSavesFolder();
    const QString folder = pelkotest::freshDir(QStringLiteral("restorekill"));
    const QString path = folder + QStringLiteral("/k.txt");
    const QByteArray edited = "a short edit made since\n";
    ASSERT_TRUE(pelkotest::writeFile(path, kOld));
    {
        KeptOldContent copy;
        ASSERT_EQ(keepContentOf(path, kNew, &copy), 0);
        ASSERT_TRUE(pelkotest::writeFile(path, edited));
    } // the saving process ends, leaving its copy
    ASSERT_EQ(entriesIn(kept).size(), 1);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELKO_OFFER_SUPPORT"), gSupportFolder);
    env.insert(QStringLiteral("PELKO_OFFER_LIMIT"), QStringLiteral("3000"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=InterruptedSavesChild.Offer")});
    process.waitForFinished(-1);
    ASSERT_EQ(process.exitStatus(), QProcess::CrashExit) << process.readAll().constData();
    EXPECT_EQ(pelkotest::readFile(path), kOld.left(3000));
    EXPECT_EQ(entriesIn(kept).size(), 1);
    EXPECT_EQ(entriesIn(BeforeRestoreFolder()).size(), 1);

    pelkotest::AlertAnswers answers;
    answers.answers = {platform::AlertSecondButtonReturn};
    EXPECT_EQ(OfferInterruptedSaves(), 1);
    EXPECT_EQ(pelkotest::readFile(path), kOld);
    EXPECT_EQ(entriesIn(kept), QStringList());
    QList<QByteArray> aside = takeFilesOf(BeforeRestoreFolder());
    std::sort(aside.begin(), aside.end());
    EXPECT_EQ(aside, (QList<QByteArray>{edited, kOld.left(3000)}));
}

// Rewriting a large file in place keeps its old bytes aside a block at a time: an 18-byte save
// over a hard-linked sparse gigabyte adds little to the peak of the process that saves.
TEST(InterruptedSavesChild, LargeSave)
{
    const QString target = qEnvironmentVariable("PELKO_LARGE_TARGET");
    if (target.isEmpty())
        GTEST_SKIP() << "only run by InterruptedSaves.ALargeFileIsKeptAsideInBlocks";
    PrepareSupportFolder(qEnvironmentVariable("PELKO_SAVE_SUPPORT"));
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    FileWriteFailure failure = FileWriteFailure::None;
    FileWriteWay way = FileWriteWay::Created;
    const bool ok = ReplaceFileContent(target, "eighteen bytes.\n\n", -1, 0644, &failure, &way);
    ::getrusage(RUSAGE_SELF, &after);
    std::printf("LARGE %d %d %ld\n", ok ? 1 : 0, int(way), after.ru_maxrss - before.ru_maxrss);
    std::fflush(stdout);
}

TEST(InterruptedSaves, ALargeFileIsKeptAsideInBlocks)
{
    ASSERT_FALSE(InterruptedSavesFolder().isEmpty()); // the support folder, for the child too
    const QString folder = pelkotest::freshDir(QStringLiteral("large"));
    const QString path = folder + QStringLiteral("/big.bin");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.write("head") == 4);
        ASSERT_TRUE(file.resize(qint64(1) << 30)); // sparse: no room taken
    }
    ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                     QFile::encodeName(folder + QStringLiteral("/second.bin")).constData()),
              0);
    QProcessEnvironment env;
    env.insert(QStringLiteral("PELKO_LARGE_TARGET"), path);
    env.insert(QStringLiteral("PELKO_SAVE_SUPPORT"), gSupportFolder);
    const QByteArray output =
        pelkotest::runChildTest(QStringLiteral("InterruptedSavesChild.LargeSave"), env);
    const QList<QByteArray> fields = pelkotest::fieldsAfter(output, "LARGE ");
    ASSERT_EQ(fields.size(), 3) << output.constData();
    EXPECT_EQ(fields[0], "1");
    EXPECT_EQ(fields[1], QByteArray::number(int(FileWriteWay::InPlace)));
    const qint64 grewKiB = fields[2].toLongLong();
    std::printf("[ peak ] an 18-byte save over a 1 GiB file grew the peak by %lld KiB\n",
                static_cast<long long>(grewKiB));
    EXPECT_LT(grewKiB, 100 * 1024);
    EXPECT_EQ(pelkotest::readFile(folder + QStringLiteral("/second.bin")),
              QByteArray("eighteen bytes.\n\n"));
    EXPECT_EQ(entriesIn(InterruptedSavesFolder()), QStringList());
}

} // namespace
