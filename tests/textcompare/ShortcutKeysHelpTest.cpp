// The text window names its keys in a help after its first load: once a run, never over another
// dialog, and no more once the user silenced it.
#include "TextCompareFixture.h"
#include "controls/LiveHelpDialog.h"
#include "platform/Dispatch.h"
#include "services/SupportFolder.h"
#include "textcompare/ShortcutKeysHelp.h"

#include <QApplication>
#include <QDialog>
#include <QThreadPool>

namespace {

class ShortcutKeysHelpTest : public TextCompareTest
{
protected:
    void SetUp() override
    {
        TextCompareTest::SetUp();
        mSavedSupport = gSupportFolder;
        ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir(QStringLiteral("keyhelp"))));
        LiveHelpDialogSetting_Forget();
        ShortcutKeysHelp_ForgetOffered();
        LiveHelpDialog::setQuietInThisProcess(false);
        // Each help records whether a modal dialog was up when it came.
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            alerts.push_back(r);
            overDialog.push_back(QApplication::activeModalWidget() != nullptr);
            if (r.suppressionState)
                *r.suppressionState = tick;
            return platform::AlertFirstButtonReturn;
        });
    }
    void TearDown() override
    {
        LiveHelpDialog::setQuietInThisProcess(true);
        LiveHelpDialogSetting_Forget();
        ShortcutKeysHelp_ForgetOffered();
        gSupportFolder = mSavedSupport;
        TextCompareTest::TearDown();
    }
    int helpsShown() const
    {
        return int(std::count_if(alerts.begin(), alerts.end(), [](const platform::AlertRequest &r) {
            return r.title == QStringLiteral("Shortcut keys");
        }));
    }
    // The window's offer of the help, made a little after its first load, has been made, and no
    // help waits for a dialog: no help comes after this.
    static bool offerMade(MergeEditWndCtr &w)
    {
        return QTest::qWaitFor(
            [&] {
                return !w.isLoading() && !platform::isPerformPending(&w, "shortcutKeysHelp") &&
                       !LiveHelpDialog::isWaiting();
            },
            20000);
    }
    QString mSavedSupport;
    bool tick = false;
    std::vector<bool> overDialog;
};

TEST_F(ShortcutKeysHelpTest, ShownOnceAfterLoadWithTheWindowsKeys)
{
    const QString left = write("a.txt", "one\ntwo\n"), right = write("b.txt", "one\n2\n");
    auto w = open(left, right);
    ASSERT_TRUE(QTest::qWaitFor([&] { return helpsShown() == 1; }, 20000));
    EXPECT_EQ(alerts.back().style, platform::AlertRequest::Informational);
    const QString text = alerts.back().text;
    for (const char *line : {"Previous Difference: Alt+Up", "Next Difference: Alt+Down",
                             "Left to Right: Alt+Right", "Right to Left: Alt+Left",
                             "All to Right: Alt+Shift+Right", "All to Left: Alt+Shift+Left"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("{++}")));

    // Answered OK without silencing it: a reload is no new first load, and other windows of the
    // same run do not show it again.
    ASSERT_TRUE(w->Menu_Reload());
    settle(*w);
    ASSERT_TRUE(offerMade(*w));
    for (int i = 0; i < 2; ++i) {
        auto other = open(left, right);
        ASSERT_TRUE(offerMade(*other));
    }
    EXPECT_EQ(helpsShown(), 1);
}

TEST_F(ShortcutKeysHelpTest, SilencedItComesInNoLaterRun)
{
    const QString left = write("a.txt", "one\ntwo\n"), right = write("b.txt", "one\n2\n");
    tick = true;
    {
        auto w = open(left, right);
        ASSERT_TRUE(offerMade(*w));
        ASSERT_EQ(helpsShown(), 1);
    }
    // The run ends (quitting saves the help settings); the next one reads them.
    ASSERT_TRUE(LiveHelpDialogSetting_Save());
    LiveHelpDialogSetting_Forget();
    ShortcutKeysHelp_ForgetOffered();
    auto w = open(left, right);
    ASSERT_TRUE(offerMade(*w));
    EXPECT_EQ(helpsShown(), 1);
}

// A dialog up when the help is due (the first start's preferences, say): the help waits for it
// to close, and comes once.
TEST_F(ShortcutKeysHelpTest, WaitsForAModalDialogToClose)
{
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    auto w = open(write("a.txt", "one\ntwo\n"), write("b.txt", "one\n2\n"));
    // The window offered it: it waits for the dialog.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !platform::isPerformPending(w.get(), "shortcutKeysHelp"); }, 20000));
    ASSERT_TRUE(LiveHelpDialog::isWaiting());
    auto other = open(write("c.txt", "x\n"), write("d.txt", "y\n"));
    EXPECT_EQ(helpsShown(), 0);
    dialog.hide();
    ASSERT_TRUE(offerMade(*w));
    ASSERT_TRUE(offerMade(*other));
    EXPECT_EQ(helpsShown(), 1);
    EXPECT_EQ(overDialog, std::vector<bool>{false});
}

} // namespace
