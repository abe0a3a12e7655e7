// A save stopped at any point (killed, or over the file-size limit) leaves the old or the new
// content in the file, or keeps the old content for the next start to offer back. The saves run
// in a child process of this test binary, which dies in the middle of its write.
#include "services/FileReplace.h"
#include "services/InterruptedSaves.h"
#include "services/SupportFolder.h"
#include "platform/PrivateFiles.h"
#include "support/AlertAnswers.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
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

// The next start's offer, in a child run as the ordinary user: it answers every alert with the
// first button (restore) and prints how many copies it offered.
TEST(InterruptedSavesChild, Offer)
{
    const QString support = qEnvironmentVariable("PELKO_OFFER_SUPPORT");
    if (support.isEmpty())
        GTEST_SKIP() << "only run by InterruptedSaves.StoppedSavesLeaveOldOrNewContent";
    PrepareSupportFolder(support);
    pelkotest::AlertAnswers answers;
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
            if (row.seen == Seen::KeptAsIs)
                answers.answers = {platform::AlertSecondButtonReturn};
            const int offered = OfferInterruptedSaves();
            if (row.seen == Seen::OldContent) {
                EXPECT_EQ(offered, 0);
                EXPECT_EQ(pelkotest::readFile(path), kOld);
            } else {
                ASSERT_EQ(offered, 1);
                ASSERT_EQ(answers.alerts.size(), 1u);
                EXPECT_TRUE(answers.alerts[0].title.contains(QStringLiteral("\"r.txt\"")));
                EXPECT_TRUE(answers.alerts[0].title.contains(QStringLiteral("Pelko Merge")));
                EXPECT_EQ(pelkotest::readFile(path),
                          row.seen == Seen::OfferedBack ? kOld : afterStop);
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
// either content whole, or is gone, is never offered.
TEST(InterruptedSaves, StartOffersOnlyWhatAStoppedSaveLeft)
{
    const QString kept = InterruptedSavesFolder();
    ASSERT_FALSE(kept.isEmpty());
    const QString folder = pelkotest::freshDir(QStringLiteral("kept"));
    const QString path = folder + QStringLiteral("/f.txt");
    struct Row
    {
        const char *name;
        QByteArray onDisk; // the file's content when the start looks; null: the file is gone
        bool stillSaving;
        int offered;
        bool copyStays;
    };
    const QByteArray half = kNew.left(1000) + kOld.mid(1000);
    const Row rows[] = {
        {"the save is still running", half, true, 0, true},
        {"the file holds the new content", kNew, false, 0, false},
        {"the file holds the old content", kOld, false, 0, false},
        {"the file is half written", half, false, 1, false},
        {"the file is gone", QByteArray(), false, 0, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(pelkotest::writeFile(path, kOld));
        struct stat st;
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
        KeptOldContent copy;
        ASSERT_EQ(KeepOldContent(path, st.st_dev, st.st_ino, kOld, kNew, &copy), 0);
        ASSERT_EQ(entriesIn(kept).size(), 1);
        EXPECT_TRUE(entriesIn(kept).front().startsWith(QStringLiteral("f.txt-")));
        if (row.onDisk.isNull())
            ASSERT_TRUE(QFile::remove(path));
        else
            ASSERT_TRUE(pelkotest::writeFile(path, row.onDisk));
        if (!row.stillSaving)
            copy.fd.reset(); // the process ended without removing it

        pelkotest::AlertAnswers answers;
        EXPECT_EQ(OfferInterruptedSaves(), row.offered);
        EXPECT_EQ(entriesIn(kept).size(), row.copyStays ? 1 : 0);
        if (row.offered) {
            EXPECT_EQ(pelkotest::readFile(path), kOld);
        } else if (!row.onDisk.isNull()) {
            EXPECT_EQ(pelkotest::readFile(path), row.onDisk);
        }
        // Leave the folder empty for the next row.
        for (const QString &name : entriesIn(kept))
            QFile::remove(kept + u'/' + name);
    }
}

} // namespace
