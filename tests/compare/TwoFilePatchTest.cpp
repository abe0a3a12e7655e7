// The patch of two files: diff's bytes written unchanged through a temporary file, the options
// view below the save panel, and what happens on cancel and on failure.
#include "compare/Export_GenegatePatch_SettingView.h"
#include "compare/GeneratePatch.h"
#include "compare/PatchDiffRunner.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Applies the patch to a copy of left with GNU patch and answers the patched bytes.
QByteArray applyPatch(const QString &dir, const QByteArray &left, const QString &patchFile)
{
    const QString target = dir + QStringLiteral("/target.txt");
    pelkotest::writeFile(target, left);
    QProcess patch;
    patch.start(QStringLiteral("patch"), {QStringLiteral("-s"), target, patchFile});
    if (!patch.waitForFinished(20000) || patch.exitCode() != 0)
        return "patch failed: " + patch.readAllStandardError();
    return pelkotest::readFile(target);
}

class TwoFilePatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDir = pelkotest::freshDir(QStringLiteral("patch2"));
        platform::UserDefaults::standard().setFilePath(mDir + QStringLiteral("/defaults.plist"));
        mLeft = mDir + QStringLiteral("/left.txt");
        mRight = mDir + QStringLiteral("/right.txt");
        // Latin-1 text: é, è and ü are single bytes that are not UTF-8.
        pelkotest::writeFile(mLeft, "caf\xe9\nline two\nsame\n");
        pelkotest::writeFile(mRight, "caf\xe8s\nline two\nsame\nm\xfc"
                                     "de\n");
        platform::setSavePanelHook([this](const platform::SavePanelRequest &r) {
            mRequests << r;
            if (mDuringPanel)
                mDuringPanel();
            return mAnswer;
        });
        platform::setRevealHook([this](const QString &p) {
            mRevealed << p;
            return true;
        });
    }
    void TearDown() override
    {
        platform::setSavePanelHook(nullptr);
        platform::setRevealHook(nullptr);
    }

    QString mDir, mLeft, mRight, mAnswer;
    QList<platform::SavePanelRequest> mRequests;
    QStringList mRevealed;
    std::function<void()> mDuringPanel;
};

} // namespace

TEST_F(TwoFilePatchTest, PatchTurnsLeftIntoRightAndKeepsLatin1Bytes)
{
    const QString out = mDir + QStringLiteral("/out.patch");
    QString error;
    ASSERT_TRUE(WriteTwoFilePatch(mLeft, mRight, {}, out, &error)) << error.toStdString();
    const QByteArray patch = pelkotest::readFile(out);
    EXPECT_TRUE(patch.contains("< caf\xe9\n")) << patch.toStdString();
    EXPECT_TRUE(patch.contains("> m\xfc"
                               "de\n"));
    EXPECT_EQ(applyPatch(mDir, pelkotest::readFile(mLeft), out), pelkotest::readFile(mRight));
}

TEST_F(TwoFilePatchTest, OptionsReachDiff)
{
    pelkotest::writeFile(mLeft, "Alpha\nbeta\n");
    pelkotest::writeFile(mRight, "alpha\nbeta\n");
    const QString out = mDir + QStringLiteral("/out.patch");
    PatchDiffOptions ignoreCase;
    ignoreCase.ignore.ignoreCase = true;
    ASSERT_TRUE(WriteTwoFilePatch(mLeft, mRight, ignoreCase, out));
    EXPECT_TRUE(pelkotest::readFile(out).isEmpty());
    PatchDiffOptions columns;
    columns.sideBySide = true;
    ASSERT_TRUE(WriteTwoFilePatch(mLeft, mRight, columns, out));
    EXPECT_TRUE(pelkotest::readFile(out).contains('|'));
}

TEST_F(TwoFilePatchTest, FailedDiffKeepsTheOldFile)
{
    const QString out = mDir + QStringLiteral("/out.patch");
    pelkotest::writeFile(out, "precious");
    QString error;
    EXPECT_FALSE(WriteTwoFilePatch(mLeft, mDir + QStringLiteral("/gone.txt"), {}, out, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(pelkotest::readFile(out), QByteArray("precious"));
    EXPECT_EQ(QDir(mDir).entryList(QDir::Files).size(), 3); // no temporary file left
}

TEST_F(TwoFilePatchTest, SavePanelWritesWithTheViewsOptionsAndRemembersThem)
{
    Export_GenegatePatch_SettingView view;
    view.mIgnoreBlankLines->setChecked(true);
    mAnswer = mDir + QStringLiteral("/chosen.txt");
    EXPECT_TRUE(GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mRight, &view));
    ASSERT_EQ(mRequests.size(), 1);
    EXPECT_EQ(mRequests[0].title, QStringLiteral("Generate Patch"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Patch_\\d{8}_\\d{6}\\.txt$"))
                    .match(mRequests[0].nameField)
                    .hasMatch())
        << mRequests[0].nameField.toStdString();
    EXPECT_EQ(mRequests[0].fileTypes, QStringList{QStringLiteral("txt")});
    EXPECT_EQ(mRequests[0].accessory, &view);
    EXPECT_TRUE(view.isOneFileOptionHidden());
    EXPECT_EQ(applyPatch(mDir, pelkotest::readFile(mLeft), mAnswer), pelkotest::readFile(mRight));
    EXPECT_EQ(mRevealed.size(), 1); // shown in the file manager
    EXPECT_TRUE(platform::UserDefaults::standard().boolForKey(
        QStringLiteral("Export_GenegatePatch_SettingView.mIgnoreBlankLines")));
    Export_GenegatePatch_SettingView again;
    EXPECT_TRUE(again.options().ignore.ignoreBlankLines);
    EXPECT_FALSE(again.options().sideBySide);
}

TEST_F(TwoFilePatchTest, CancelIsNoFailureAndAFailureKeepsTheOldFile)
{
    Export_GenegatePatch_SettingView view;
    mAnswer.clear();
    EXPECT_TRUE(GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mRight, &view));
    EXPECT_TRUE(mRevealed.isEmpty());

    // The right file goes away while the panel is open: diff fails, the old file stays.
    mAnswer = mDir + QStringLiteral("/old.txt");
    pelkotest::writeFile(mAnswer, "keep me");
    mDuringPanel = [this] { QFile::remove(mRight); };
    pelkotest::LogCapture capture;
    EXPECT_FALSE(
        GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mRight, &view));
    EXPECT_EQ(pelkotest::readFile(mAnswer), QByteArray("keep me"));
    EXPECT_TRUE(capture.logged(QStringLiteral("Generate patch failed: ")));

    // Nothing to patch: no panel at all.
    const int panels = int(mRequests.size());
    EXPECT_FALSE(
        GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mRight, &view));
    EXPECT_FALSE(
        GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mLeft, nullptr));
    EXPECT_EQ(mRequests.size(), panels);
}

TEST_F(TwoFilePatchTest, OnlyRegularFilesArePatched)
{
    // diff would read a FIFO until a writer closed it, with the window waiting on it.
    const QString fifo = mDir + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    Export_GenegatePatch_SettingView view;
    mAnswer = mDir + QStringLiteral("/out.txt");
    EXPECT_FALSE(GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(fifo, mRight, &view));
    EXPECT_FALSE(GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, fifo, &view));
    EXPECT_FALSE(GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mDir, mRight, &view));
    EXPECT_TRUE(mRequests.isEmpty());
    EXPECT_FALSE(QFile::exists(mAnswer));
}

TEST_F(TwoFilePatchTest, CancelStopsDiffAtOnceAndKeepsTheOldFile)
{
    // diff blocks on a FIFO that nobody writes: only the cancel check can end it.
    const QString fifo = mDir + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString out = mDir + QStringLiteral("/old.patch");
    pelkotest::writeFile(out, "keep me");
    const QStringList before = QDir(mDir).entryList(QDir::Files | QDir::System);
    QElapsedTimer clock;
    clock.start();
    QString error;
    EXPECT_FALSE(WriteTwoFilePatch(mLeft, fifo, {}, out, &error,
                                   [&clock] { return clock.elapsed() > 200; }));
    // Without the check diff would wait for the pipe for ever: reaching here is the proof.
    EXPECT_EQ(error, QStringLiteral("cancelled"));
    EXPECT_EQ(pelkotest::readFile(out), QByteArray("keep me"));
    EXPECT_EQ(QDir(mDir).entryList(QDir::Files | QDir::System), before); // no temporary file left
}

TEST_F(TwoFilePatchTest, TheWritingGoesThroughTheRunnerAndItsCancelWritesNothing)
{
    Export_GenegatePatch_SettingView view;
    mAnswer = mDir + QStringLiteral("/through-runner.txt");
    int runs = 0;
    const auto runner = [&runs](const std::function<void(const PatchCancelCheck &)> &write) {
        ++runs;
        write([] { return false; });
        return false;
    };
    EXPECT_TRUE(
        GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mRight, &view, runner));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(applyPatch(mDir, pelkotest::readFile(mLeft), mAnswer), pelkotest::readFile(mRight));

    // The user cancels before diff is done: nothing written, nothing shown, no failure.
    mAnswer = mDir + QStringLiteral("/cancelled.txt");
    const int revealed = int(mRevealed.size());
    const auto cancelling = [](const std::function<void(const PatchCancelCheck &)> &write) {
        write([] { return true; });
        return true;
    };
    EXPECT_TRUE(GeneratePatch_2_files_Using_Export_GenegatePatch_SettingView(mLeft, mRight, &view,
                                                                             cancelling));
    EXPECT_FALSE(QFile::exists(mAnswer));
    EXPECT_EQ(mRevealed.size(), revealed);
}
