// The shared folder-compare state, the alerts of worker threads and the folder patch.
#include "compare/FolderCompareState.h"
#include "compare/PatchDiffRunner.h"
#include "compare/SubThreadAlerts.h"
#include "platform/Alerts.h"
#include "platform/PrivateFiles.h"
#include "platform/LocalPath.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct AlertLog
{
    QList<platform::AlertRequest> shown;
    QList<Qt::HANDLE> threads;
};

// Waits in the event loop until done() holds.
template <class F> bool spinUntil(F done, int ms = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Writes a file under its very bytes (the name need not be UTF-8), making its folder.
bool writeNamed(const QByteArray &path, const QByteArray &content)
{
    const qsizetype slash = path.lastIndexOf('/');
    ::mkdir(path.left(slash).constData(), 0755);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

QByteArray readNamed(const QByteArray &path)
{
    QByteArray out(64, '\0');
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "(missing)";
    const ssize_t n = ::read(fd, out.data(), size_t(out.size()));
    ::close(fd);
    return out.left(n < 0 ? 0 : n);
}

} // namespace

TEST(FolderCompareState, OneCompareAtATimeAndTheBusyAlert)
{
    AlertLog log;
    platform::setAlertHook([&](const platform::AlertRequest &r) {
        log.shown.append(r);
        return platform::AlertFirstButtonReturn;
    });
    QObject owner, other;
    EXPECT_TRUE(CheckCompareNotBusyAndWarn(&other));
    ASSERT_TRUE(FolderCompareState_BeginCompare(&owner, FileListCompareInfo::create(), nullptr));
    EXPECT_FALSE(FolderCompareState_BeginCompare(&other, FileListCompareInfo::create(), nullptr));
    EXPECT_FALSE(CheckCompareNotBusyAndWarn(&owner)); // its own compare: no alert
    EXPECT_TRUE(log.shown.isEmpty());
    EXPECT_FALSE(CheckCompareNotBusyAndWarn(&other));
    ASSERT_EQ(log.shown.size(), 1);
    EXPECT_EQ(log.shown[0].title, QStringLiteral("Warning"));
    EXPECT_TRUE(log.shown[0].text.startsWith(QStringLiteral("\"Pelko Merge\" is busy.")));
    EXPECT_TRUE(log.shown[0].text.contains(QStringLiteral("Retry later")));
    FolderCompareState_EndCompare(&other); // not the owner: nothing changes
    EXPECT_TRUE(FolderCompareState_Get().compareBusy);
    FolderCompareState_EndCompare(&owner);
    EXPECT_TRUE(CheckCompareNotBusyAndWarn(&other));

    // An owner that went away without ending its compare does not block the next one.
    {
        QObject gone;
        ASSERT_TRUE(FolderCompareState_BeginCompare(&gone, nullptr, nullptr));
    }
    EXPECT_TRUE(FolderCompareState_BeginCompare(&other, nullptr, nullptr));
    FolderCompareState_EndCompare(&other);
    platform::setAlertHook(nullptr);
}

TEST(SubThreadAlerts, WorkerWaitsForTheAnswerGivenOnTheMainThread)
{
    AlertLog log;
    platform::setAlertHook([&](const platform::AlertRequest &r) {
        log.shown.append(r);
        log.threads.append(QThread::currentThreadId());
        return platform::AlertSecondButtonReturn;
    });
    const Qt::HANDLE mainThread = QThread::currentThreadId();
    std::atomic<long> answer{-5}, panel{-5}, panelOther{-5};
    std::thread worker([&] {
        answer =
            ShowMessage2_from_sub_thread(QStringLiteral("Copy failed"), QStringLiteral("50% done"),
                                         QStringLiteral("Skip"), QStringLiteral("Stop"));
        panel = NSRunAlertPanel_from_sub_thread(QStringLiteral("T"), QStringLiteral("%@ %d"),
                                                QStringLiteral("Go"), {}, QStringLiteral("Other"));
        panelOther = NSRunAlertPanel_from_sub_thread(QStringLiteral("T"), QStringLiteral("m"),
                                                     QStringLiteral("Go"), QStringLiteral("No"),
                                                     QStringLiteral("Other"));
    });
    EXPECT_TRUE(spinUntil([&] { return panelOther.load() != -5; }));
    worker.join();
    EXPECT_EQ(answer.load(), 1001);
    ASSERT_EQ(log.shown.size(), 3);
    for (Qt::HANDLE h : log.threads)
        EXPECT_EQ(h, mainThread);
    EXPECT_EQ(log.shown[0].buttons, (QStringList{QStringLiteral("Skip"), QStringLiteral("Stop")}));
    EXPECT_EQ(log.shown[0].cancelIndex, 1); // Escape stops, never skips
    // Without an alternate button the other one is left out; the message stays literal.
    EXPECT_EQ(log.shown[1].buttons, QStringList{QStringLiteral("Go")});
    EXPECT_EQ(log.shown[1].text, QStringLiteral("%@ %d"));
    EXPECT_EQ(panel.load(), 0); // the hook pressed a second button that the panel does not have
    EXPECT_EQ(panelOther.load(), 0);
    platform::setAlertHook(nullptr);
}

TEST(SubThreadAlerts, NobodyAnsweringIsNoConsent)
{
    int shown = 0;
    platform::setAlertHook([&](const platform::AlertRequest &) {
        ++shown;
        return platform::AlertFirstButtonReturn;
    });
    EXPECT_EQ(ShowMessage2_from_sub_thread({}, {}, QStringLiteral("OK")), 0);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(ShowMessage2_from_sub_thread(QStringLiteral("m"), {}, QStringLiteral("OK")), 1000);
    EXPECT_EQ(shown, 1);

    // A worker whose job is cancelled while it waits gets 0, even though the main thread has not
    // served the question yet.
    std::atomic<bool> cancel{false};
    std::atomic<long> answer{-5};
    std::thread worker([&] {
        answer = ShowMessage2_from_sub_thread(QStringLiteral("m"), QStringLiteral("i"),
                                              QStringLiteral("Delete"), {}, {}, {}, {}, &cancel);
    });
    cancel = true;
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    QCoreApplication::processEvents(); // the late question is shown and dropped
    platform::setAlertHook(nullptr);
}

TEST(PatchDiffRunner, FolderPatchAppliesWithPatchAndReplacesSafely)
{
    const QString base = pelkotest::freshDir(QStringLiteral("patch"));
    const QString l = base + "/L/", r = base + "/R/";
    ASSERT_TRUE(pelkotest::writeFile(l + "a.txt", "one\ntwo\nthree\n"));
    ASSERT_TRUE(pelkotest::writeFile(r + "a.txt", "one\n2\nthree\nfour\n"));
    ASSERT_TRUE(pelkotest::writeFile(l + "sub dir/b.txt", "x\n"));
    ASSERT_TRUE(pelkotest::writeFile(r + "sub dir/b.txt", "y"));
    ASSERT_TRUE(pelkotest::writeFile(l + "same.txt", "s\n"));
    ASSERT_TRUE(pelkotest::writeFile(r + "same.txt", "s\n"));
    std::vector<PatchPair> pairs;
    for (const char *rel : {"a.txt", "sub dir/b.txt", "same.txt"})
        pairs.push_back({QString::fromLatin1(rel), l + rel, r + rel});
    const QString out = base + "/out.patch";
    ASSERT_TRUE(pelkotest::writeFile(out, "old patch"));

    std::atomic<bool> stop{true};
    EXPECT_FALSE(WriteFolderPatch(pairs, {}, out, &stop));
    EXPECT_EQ(pelkotest::readFile(out), QByteArray("old patch")); // kept on cancel
    EXPECT_EQ(QDir(base).entryList(QDir::Files).size(), 1);

    QString error;
    ASSERT_TRUE(WriteFolderPatch(pairs, {}, out, nullptr, &error)) << error.toStdString();
    const QByteArray text = pelkotest::readFile(out);
    EXPECT_TRUE(text.startsWith("Index: a.txt\n"));
    EXPECT_FALSE(text.contains("same.txt"));

    QProcess patch;
    patch.setWorkingDirectory(l);
    patch.start(QStringLiteral("patch"),
                {QStringLiteral("-p0"), QStringLiteral("-s"), QStringLiteral("-i"), out});
    ASSERT_TRUE(patch.waitForFinished(20000));
    EXPECT_EQ(patch.exitCode(), 0) << patch.readAllStandardError().toStdString();
    EXPECT_EQ(pelkotest::readFile(l + "a.txt"), pelkotest::readFile(r + "a.txt"));
    EXPECT_EQ(pelkotest::readFile(l + "sub dir/b.txt"), QByteArray("y"));

    // diff's trouble (exit 2) fails; the old patch stays.
    pairs = {{QStringLiteral("gone"), l + "gone", r + "gone"}};
    EXPECT_FALSE(WriteFolderPatch(pairs, {}, out, nullptr, &error));
    EXPECT_EQ(pelkotest::readFile(out), text);
}

// Every byte a name can hold, at its start and at its end (where GNU patch ends an unquoted name
// at white space), and names that are not UTF-8: GNU patch finds each file the patch names.
TEST(PatchDiffRunner, FolderPatchNamesReadBackByGnuPatchWhateverTheirBytes)
{
    const QByteArray base = QFile::encodeName(pelkotest::freshDir(QStringLiteral("patchnames")));
    const QByteArray l = base + "/L/", r = base + "/R/";
    struct Row
    {
        QByteArray name;
        bool inPatch;
    };
    std::vector<Row> rows;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == '/')
            continue;
        const QByteArray b(1, char(byte));
        // A line break would let a name write header lines of its own: left out.
        rows.push_back({b + "n" + b, byte != '\n' && byte != '\r'});
    }
    for (const char *name :
         {"sub/x", "caf\xc3\xa9 \xe2\x82\xac", "\xf0\x90\x82\x80 four bytes", "latin\xe9/top\xe9",
          "sjis\x83\x65\x83\x4c", "\xc3(cut)", "\xed\xa0\x80 surrogate", "-dash", "..."})
        rows.push_back({name, true});
    std::vector<PatchPair> pairs;
    for (const Row &row : rows) {
        ASSERT_TRUE(writeNamed(l + row.name, "left\n")) << row.name.toHex().constData();
        ASSERT_TRUE(writeNamed(r + row.name, "right\n")) << row.name.toHex().constData();
        pairs.push_back({LocalPath_FromBytes(row.name), LocalPath_FromBytes(l + row.name),
                         LocalPath_FromBytes(r + row.name)});
    }
    const QString out = QFile::decodeName(base + "/names.patch");
    QString error;
    std::vector<PatchLeftOut> notInPatch;
    ASSERT_TRUE(WriteFolderPatch(pairs, {}, out, nullptr, &error, &notInPatch))
        << error.toStdString();
    EXPECT_EQ(notInPatch.size(), 2u);

    QProcess patch;
    patch.setWorkingDirectory(QFile::decodeName(l));
    patch.start(QStringLiteral("patch"),
                {QStringLiteral("-p0"), QStringLiteral("-s"), QStringLiteral("-i"), out});
    ASSERT_TRUE(patch.waitForFinished(60000));
    EXPECT_EQ(patch.exitCode(), 0) << patch.readAll().toStdString();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name.toHex().toStdString());
        EXPECT_EQ(readNamed(l + row.name), row.inPatch ? "right\n" : "left\n");
    }
    // Plain names stay as they are, whatever their bytes; the rest is quoted with C escapes.
    const QByteArray text = "\n" + pelkotest::readFile(out);
    EXPECT_TRUE(text.contains("\nIndex: ana\n"));
    EXPECT_TRUE(text.contains("\nIndex: \"\\vn\\v\"\n"));
    EXPECT_TRUE(text.contains("\nIndex: \"caf\xc3\xa9 \xe2\x82\xac\"\n"));
    EXPECT_TRUE(text.contains("\nIndex: latin\xe9/top\xe9\n"));
    EXPECT_TRUE(text.contains("\nIndex: \"\\001n\\001\"\n"));
    platform::RemoveTreeNoFollow(QFile::decodeName(base)); // names Qt cannot spell
}
