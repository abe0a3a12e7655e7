// The text window names its keys in a help after its first load, until the user silences it.
#include "TextCompareFixture.h"
#include "controls/LiveHelpDialog.h"
#include "services/SupportFolder.h"

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
        LiveHelpDialog::setQuietInThisProcess(false);
    }
    void TearDown() override
    {
        LiveHelpDialog::setQuietInThisProcess(true);
        LiveHelpDialogSetting_Forget();
        gSupportFolder = mSavedSupport;
        TextCompareTest::TearDown();
    }
    int helpsShown() const
    {
        return int(std::count_if(alerts.begin(), alerts.end(), [](const platform::AlertRequest &r) {
            return r.title == QStringLiteral("Shortcut keys");
        }));
    }
    QString mSavedSupport;
};

TEST_F(ShortcutKeysHelpTest, ShownOnceAfterLoadWithTheWindowsKeysUntilSilenced)
{
    const QString left = write("a.txt", "one\ntwo\n"), right = write("b.txt", "one\n2\n");
    platform::setAlertHook([this](const platform::AlertRequest &r) {
        alerts.push_back(r);
        if (r.suppressionState)
            *r.suppressionState = true;
        return platform::AlertFirstButtonReturn;
    });
    auto w = open(left, right);
    ASSERT_TRUE(QTest::qWaitFor([&] { return helpsShown() == 1; }, 5000));
    EXPECT_EQ(alerts.back().style, platform::AlertRequest::Informational);
    const QString text = alerts.back().text;
    for (const char *line : {"Previous Difference: Alt+Up", "Next Difference: Alt+Down",
                             "Left to Right: Alt+Right", "Right to Left: Alt+Left",
                             "All to Right: Alt+Shift+Right", "All to Left: Alt+Shift+Left"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("{++}")));

    // A reload is no new first load; another window finds the help silenced.
    ASSERT_TRUE(w->Menu_Reload());
    settle(*w);
    auto other = open(left, right);
    QTest::qWait(700);
    EXPECT_EQ(helpsShown(), 1);
}

} // namespace
