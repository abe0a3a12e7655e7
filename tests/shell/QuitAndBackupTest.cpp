#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "shell/AppTermination.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/QuitWalk.h"
#include "shell/UntitledBackup.h"
#include "support/TestEnvironment.h"
#include "support/AlertAnswers.h"
#include "support/OddNames.h"
#include "textcompare/MergeEditWndCtr.h"

#include <QDir>
#include <QScopeGuard>
#include <QFile>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QByteArray kMark("\xEF\xBB\xBF");

class QuitAndBackupTest : public ::testing::Test, protected pelkotest::AlertAnswers
{
protected:
    void SetUp() override
    {
        AppSetting_SetDefault(&gAppSetting);
        OpenCompareWindowList_Reset();
        mSavedSupport = gSupportFolder;
        gSupportFolder = pelkotest::freshDir(QStringLiteral("support"));
    }
    void TearDown() override
    {
        windows.clear();
        QFile::setPermissions(BackupRestoreFolder(), QFileDevice::ReadOwner |
                                                         QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner);
        gSupportFolder = mSavedSupport;
    }

    MergeEditWndCtr *untitled(const QString &left, const QString &right)
    {
        auto w = std::make_unique<MergeEditWndCtr>();
        w->showWindow();
        w->setCompareTextToView1(left);
        w->setCompareTextToView2(right);
        windows.push_back(std::move(w));
        return windows.back().get();
    }
    // A window on two files with its left side edited; the left file named left when given.
    MergeEditWndCtr *namedEdited(const QString &left = QString())
    {
        const QString dir = pelkotest::freshDir(QStringLiteral("named"));
        EXPECT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/a.txt"), "one\n"));
        EXPECT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/b.txt"), "two\n"));
        auto w = std::make_unique<MergeEditWndCtr>();
        w->setMFile1(left.isEmpty() ? dir + QStringLiteral("/a.txt") : left);
        w->setMFile2(dir + QStringLiteral("/b.txt"));
        w->showWindow();
        w->setMTextWasEdited1(true);
        windows.push_back(std::move(w));
        return windows.back().get();
    }
    static QStringList backupFiles()
    {
        return QDir(BackupRestoreFolder()).entryList(QDir::Files, QDir::Name);
    }
    static QByteArray pair(int index, int side)
    {
        return pelkotest::readFile(BackupPairPath(index, side));
    }

    std::vector<std::unique_ptr<MergeEditWndCtr>> windows;
    QString mSavedSupport;
};

TEST_F(QuitAndBackupTest, PairBytes)
{
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("abc"), QString()), 0);
    EXPECT_EQ(pair(0, 1), kMark + "abc");
    EXPECT_TRUE(QFile::exists(BackupPairPath(0, 2)));
    EXPECT_EQ(pair(0, 2), QByteArray());
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QString(), QStringLiteral("\u00e9")), 1);
    EXPECT_EQ(pair(1, 2), kMark + "\xC3\xA9");
    // Two empty texts keep nothing.
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QString(), QStringLiteral("")), -1);
    EXPECT_EQ(backupFiles().size(), 4);
    // A half pair still takes its index.
    QFile::remove(BackupPairPath(0, 2));
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("x"), QStringLiteral("y")), 2);
    // A text that begins with a zero-width no-break space keeps it: only the writer's mark is
    // taken off when the pair is read.
    const QString marked = QStringLiteral("\ufeffmarked");
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(marked, marked + marked), 3);
    int kept = 0;
    const QList<BackupPair> pairs = ReadBackupPairs(&kept);
    ASSERT_EQ(pairs.size(), 3);
    EXPECT_EQ(pairs[2].index, 3);
    EXPECT_EQ(pairs[2].text1, marked);
    EXPECT_EQ(pairs[2].text2, marked + marked);
}

TEST_F(QuitAndBackupTest, PlantedLinksAreNeitherWrittenNorReadThrough)
{
    const QString outside = pelkotest::freshDir(QStringLiteral("outside"));
    const QString chosen = outside + QStringLiteral("/chosen.txt");
    const QString secret = outside + QStringLiteral("/secret.txt");
    ASSERT_TRUE(pelkotest::writeFile(secret, "another file of the user"));
    ASSERT_TRUE(QDir().mkpath(BackupRestoreFolder()));
    // A dangling link in a free slot, and a link to another file in a full pair.
    ASSERT_TRUE(QFile::link(chosen, BackupPairPath(0, 1)));
    ASSERT_TRUE(QFile::link(secret, BackupPairPath(1, 1)));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(1, 2), kMark + "b"));

    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("untitled"), QString()), 2);
    EXPECT_FALSE(QFileInfo::exists(chosen));
    int kept = 0;
    const QList<BackupPair> pairs = ReadBackupPairs(&kept);
    ASSERT_EQ(pairs.size(), 1);
    EXPECT_EQ(pairs[0].index, 2);
    EXPECT_EQ(kept, 2);
    // The planted entries stay as they were; nothing was read from them.
    EXPECT_TRUE(QFileInfo(BackupPairPath(1, 1)).isSymLink());
    EXPECT_EQ(pelkotest::readFile(secret), "another file of the user");

    // Untitled texts are for this user alone.
    EXPECT_EQ(QFileInfo(BackupRestoreFolder()).permissions() & 0x0077, 0);
    EXPECT_EQ(QFileInfo(BackupPairPath(2, 1)).permissions(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser);

    // The folder itself replaced by a link: nothing is written where it leads.
    ASSERT_TRUE(QDir(BackupRestoreFolder()).removeRecursively());
    ASSERT_TRUE(QFile::link(outside, BackupRestoreFolder()));
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("untitled"), QString()), -2);
    EXPECT_EQ(QDir(outside).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(ReadBackupPairs(&kept).isEmpty());
    QFile::remove(BackupRestoreFolder());
}

TEST_F(QuitAndBackupTest, AllIndicesTakenIsAFailure)
{
    for (int i = 0; i < kBackupPairCount; ++i)
        ASSERT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("t"), QString()), i);
    EXPECT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("t"), QString()), -2);
}

TEST_F(QuitAndBackupTest, UntitledWindowsAreKeptInSlotOrder)
{
    untitled(QStringLiteral("first"), QString());
    untitled(QString(), QString()); // nothing to keep
    untitled(QStringLiteral("second L"), QStringLiteral("second R"));
    untitled(QStringLiteral("third"), QStringLiteral("3"));
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(backupFiles().size(), 6);
    EXPECT_EQ(pair(0, 1), kMark + "first");
    EXPECT_EQ(pair(1, 2), kMark + "second R");
    EXPECT_EQ(pair(2, 1), kMark + "third");
}

TEST_F(QuitAndBackupTest, DiscardStillKeepsLaterUntitledTexts)
{
    namedEdited();
    untitled(QStringLiteral("typed"), QString());
    answers = {1000}; // Discard and Close
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(alerts[0].text.startsWith(QStringLiteral("Are you sure you wish to quit?")));
    EXPECT_EQ(pair(0, 1), kMark + "typed");
}

TEST_F(QuitAndBackupTest, TheQuitQuestionNamesEveryFileWithUnsavedEdits)
{
    MergeEditWndCtr *first = namedEdited(); // its left side
    MergeEditWndCtr *second = namedEdited();
    second->setMTextWasEdited1(false);
    second->setMTextWasEdited2(true);
    namedEdited()->setMTextWasEdited1(false); // not edited: not named
    // A name that would add lines of its own is named on one line.
    const QString oddFolder = pelkotest::freshDir(QStringLiteral("oddnames"));
    const auto removeOdd = qScopeGuard([&] { pelkotest::removeTree(oddFolder); });
    const QString odd = pelkotest::oddPath(oddFolder);
    ASSERT_TRUE(pelkotest::writeOddFile(odd, "three\n"));
    namedEdited(odd);
    gAppSetting.bAutoSaveUntitleTabBeforeQuit = 0;
    MergeEditWndCtr *typed = untitled(QStringLiteral("typed"), QString());
    typed->setMTextWasEdited2(true);
    answers = {1001};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Cancel);
    ASSERT_EQ(alerts.size(), 1u); // one question for all of them
    EXPECT_EQ(alerts[0].text,
              QStringLiteral("Are you sure you wish to quit?\n\nUnsaved "
                             "changes:\n%1\n%2\n%3\nUntitled")
                  .arg(first->GetFile1(), second->GetFile2(), LocalPath_Shown(odd)));
    EXPECT_TRUE(pelkotest::showsOddNameOnItsLine(alerts[0].text));
    // The edits are lost for good: Return keeps them, as Escape does.
    EXPECT_EQ(alerts[0].buttons,
              (QStringList{QStringLiteral("Discard and Close"), QStringLiteral("Cancel")}));
    EXPECT_EQ(alerts[0].defaultIndex, 1);
    EXPECT_EQ(alerts[0].cancelIndex, 1);
}

TEST_F(QuitAndBackupTest, CancelWritesNothing)
{
    untitled(QStringLiteral("typed"), QString());
    MergeEditWndCtr *named = namedEdited();
    answers = {1001};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Cancel);
    EXPECT_TRUE(backupFiles().isEmpty());
    EXPECT_TRUE(named->window()->isVisible());
    // A named window that was not edited is neither asked about nor kept.
    named->setMTextWasEdited1(false);
    alerts.clear();
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(backupFiles().size(), 2);
}

TEST_F(QuitAndBackupTest, TextsThatCannotBeKeptAreAskedAbout)
{
    untitled(QStringLiteral("one"), QString());
    untitled(QStringLiteral("two"), QString());
    // A file where the folder should be: no pair can be written, whatever the process's rights.
    ASSERT_TRUE(pelkotest::writeFile(BackupRestoreFolder(), "not a folder"));
    answers = {1001}; // Cancel
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Cancel);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].text,
              QStringLiteral("2 untitled texts could not be kept for the next start."));
    EXPECT_EQ(alerts[0].buttons,
              (QStringList{QStringLiteral("Quit Anyway"), QStringLiteral("Cancel")}));
    answers = {1000};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    QFile::remove(BackupRestoreFolder());
}

TEST_F(QuitAndBackupTest, ReadOnlyFolderIsAskedAbout)
{
    untitled(QStringLiteral("one"), QString());
    ASSERT_TRUE(QDir().mkpath(BackupRestoreFolder()));
    // A pair already on disk is not this walk's: a cancel leaves it.
    ASSERT_EQ(backup_BlankTextWindow_For_NextSession(QStringLiteral("old"), QString()), 0);
    QFile::setPermissions(BackupRestoreFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(BackupRestoreFolder()).isWritable())
        GTEST_SKIP() << "running with rights that ignore file permissions";
    answers = {1001};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Cancel);
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(backupFiles().size(), 2);
}

TEST_F(QuitAndBackupTest, CancelAfterAFailureRemovesThisWalksPairs)
{
    untitled(QStringLiteral("kept"), QString());
    untitled(QStringLiteral("lost"), QString());
    // Index 0 stays free; every later index is taken, so the second text has nowhere to go.
    for (int i = 1; i < kBackupPairCount; ++i)
        ASSERT_TRUE(QDir().mkpath(BackupPairPath(i, 2)));
    answers = {1001};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Cancel);
    EXPECT_FALSE(QFile::exists(BackupPairPath(0, 1)));
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(QuitAndBackupTest, WithoutAutoKeepUntitledEditedWindowsAreAsked)
{
    gAppSetting.bAutoSaveUntitleTabBeforeQuit = 0;
    MergeEditWndCtr *w = untitled(QStringLiteral("typed"), QString());
    w->setMTextWasEdited1(true);
    answers = {1001};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Cancel);
    EXPECT_EQ(alerts.size(), 1u);
    answers = {1000};
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    EXPECT_TRUE(backupFiles().isEmpty());
}

TEST_F(QuitAndBackupTest, WithoutInteractionNothingIsAsked)
{
    namedEdited();
    untitled(QStringLiteral("typed"), QString());
    EXPECT_EQ(QuitWalk_ShouldTerminate(false), TerminateReply::Now);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(pair(0, 1), kMark + "typed");
}

// The session asks to save, then a signal ends the process: each text is kept once, as it is at
// the last walk.
TEST_F(QuitAndBackupTest, ASecondWalkReplacesThePairsOfTheFirst)
{
    MergeEditWndCtr *w = untitled(QStringLiteral("first"), QString());
    EXPECT_EQ(QuitWalk_ShouldTerminate(false), TerminateReply::Now);
    w->setCompareTextToView1(QStringLiteral("second"));
    EXPECT_EQ(QuitWalk_ShouldTerminate(false), TerminateReply::Now);
    EXPECT_EQ(backupFiles().size(), 2);
    EXPECT_EQ(pair(0, 1), kMark + "second");
}

// The Quit command: once quitting is decided, windows close without their own questions.
// (Last of the quit tests of this process: a decided quit is not undone.)
TEST_F(QuitAndBackupTest, QuitClosesEveryWindowWithoutItsOwnQuestion)
{
    MergeEditWndCtr *text = untitled(QStringLiteral("typed"), QString());
    const QString dir = pelkotest::freshDir(QStringLiteral("images"));
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/a.png")));
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/b.png")));
    auto images = std::make_unique<MergeImageWindCtr>();
    images->setMFile1(dir + QStringLiteral("/a.png"));
    images->setMFile2(dir + QStringLiteral("/b.png"));
    images->showWindow();
    QTRY_COMPARE_WITH_TIMEOUT(images->isEqual(), 0, 20000);
    images->Merge_ChooseLeft(); // an unsaved choice: its own close would ask

    answers = {1001}; // Cancel
    EXPECT_FALSE(AppTermination::RequestQuit(true));
    EXPECT_TRUE(images->window()->isVisible());
    EXPECT_TRUE(text->window()->isVisible());
    EXPECT_TRUE(backupFiles().isEmpty());

    answers = {1000}; // Discard and Close
    EXPECT_TRUE(AppTermination::RequestQuit(true));
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_FALSE(images->window()->isVisible());
    EXPECT_EQ(images->closeQuestion(), nullptr);
    EXPECT_FALSE(text->window()->isVisible());
    EXPECT_EQ(pair(0, 1), kMark + "typed");
    // Nothing was copied by closing.
    EXPECT_NE(pelkotest::readFile(dir + QStringLiteral("/a.png")),
              pelkotest::readFile(dir + QStringLiteral("/b.png")));
}

TEST_F(QuitAndBackupTest, RestoreOpensEveryPairAndKeepsWhatItCannot)
{
    ASSERT_TRUE(QDir().mkpath(BackupRestoreFolder()));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(0, 1), kMark + "abc"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(0, 2), QByteArray()));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(7, 1), "seven"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(7, 2), kMark + "7"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(8, 1), "\xFF\xFE\xFA not UTF-8"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(8, 2), "fine"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(9, 1), "half"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(10, 1), QByteArray()));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(10, 2), QByteArray()));

    std::vector<MergeEditWndCtr *> opened;
    const RestoreResult r = restore_BlankTextWindow_For_LastSession([&] {
        auto w = std::make_unique<MergeEditWndCtr>();
        w->showWindow();
        opened.push_back(w.get());
        windows.push_back(std::move(w));
        return opened.back();
    });
    EXPECT_EQ(r.restored, 2);
    EXPECT_EQ(r.kept, 2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0]->GetTextInView1(), QStringLiteral("abc"));
    EXPECT_EQ(opened[0]->GetTextInView2(), QString());
    EXPECT_TRUE(opened[0]->WasEdit());
    EXPECT_TRUE(opened[0]->isDocumentEdited());
    EXPECT_EQ(opened[1]->GetTextInView1(), QStringLiteral("seven"));
    EXPECT_EQ(backupFiles(),
              (QStringList{QStringLiteral("backup_008_a.txt"), QStringLiteral("backup_008_b.txt"),
                           QStringLiteral("backup_009_a.txt")}));

    // Restored windows are kept again at the next quit.
    for (auto &w : windows)
        if (std::find(opened.begin(), opened.end(), w.get()) == opened.end())
            w.reset();
    EXPECT_EQ(QuitWalk_ShouldTerminate(true), TerminateReply::Now);
    EXPECT_EQ(pair(0, 1), kMark + "abc");
    EXPECT_EQ(pair(1, 1), kMark + "seven");
}

// At the start the first kept text opens at once and the others one per turn of the event loop.
TEST_F(QuitAndBackupTest, StartReopensOneWindowPerTurn)
{
    ASSERT_TRUE(QDir().mkpath(BackupRestoreFolder()));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(i, 1), kMark + QByteArray::number(i)));
        ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(i, 2), QByteArray()));
    }
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(5, 1), "half"));
    const auto textWindows = [] {
        QList<MergeEditWndCtr *> out;
        for (const auto &slot : gOpenCompareWindowList)
            if (auto *w = qobject_cast<MergeEditWndCtr *>(slot.data()))
                out.append(w);
        return out;
    };
    EXPECT_EQ(AppTermination::RestoreUntitledTexts(), 3);
    ASSERT_EQ(textWindows().size(), 1);
    EXPECT_EQ(textWindows()[0]->GetTextInView1(), QStringLiteral("0"));
    EXPECT_FALSE(QFile::exists(BackupPairPath(0, 1)));
    EXPECT_TRUE(QFile::exists(BackupPairPath(2, 1)));
    QTRY_COMPARE_WITH_TIMEOUT(textWindows().size(), 3, 20000);
    EXPECT_EQ(textWindows()[2]->GetTextInView1(), QStringLiteral("2"));
    EXPECT_TRUE(textWindows()[2]->WasEdit());
    EXPECT_EQ(backupFiles(), QStringList{QStringLiteral("backup_005_a.txt")});
    AppTermination::CloseCompareWindowsWithoutAsking();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(QuitAndBackupTest, RestoreWithoutWindowKeepsThePair)
{
    ASSERT_TRUE(QDir().mkpath(BackupRestoreFolder()));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(3, 1), "x"));
    ASSERT_TRUE(pelkotest::writeFile(BackupPairPath(3, 2), "y"));
    const RestoreResult r = restore_BlankTextWindow_For_LastSession([] { return nullptr; });
    EXPECT_EQ(r.restored, 0);
    EXPECT_EQ(r.kept, 1);
    EXPECT_EQ(backupFiles().size(), 2);
    // A missing folder is made.
    QDir(BackupRestoreFolder()).removeRecursively();
    restore_BlankTextWindow_For_LastSession({});
    EXPECT_TRUE(QFileInfo(BackupRestoreFolder()).isDir());
}

} // namespace
