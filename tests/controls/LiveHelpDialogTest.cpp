// One-time help alerts: what the user silences, what the settings file keeps, and when.
#include "controls/LiveHelpDialog.h"
#include "platform/Alerts.h"
#include "platform/PropertyList.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const QString kTitle = QStringLiteral("Shortcut keys");
const QString kText = QStringLiteral("Next Difference: Alt+Down");

class LiveHelpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mSavedSupport = gSupportFolder;
        ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir(QStringLiteral("helps"))));
        LiveHelpDialogSetting_Forget();
        LiveHelpDialog::setQuietInThisProcess(false);
        platform::setAlertHook([this](const platform::AlertRequest &r) {
            shown.push_back(r);
            if (r.suppressionState)
                *r.suppressionState = tick;
            return answer;
        });
    }
    void TearDown() override
    {
        platform::setAlertHook(nullptr);
        LiveHelpDialog::setQuietInThisProcess(true);
        LiveHelpDialogSetting_Forget();
        gSupportFolder = mSavedSupport;
    }

    // A restart: the next call reads the file again.
    static void restart() { LiveHelpDialogSetting_Forget(); }
    static QString file() { return gSupportFolder + QStringLiteral("/liveHelpSetting.plist"); }
    static QVariantMap stored()
    {
        const auto value = platform::readPropertyListFile(file());
        EXPECT_TRUE(value && value->typeId() == QMetaType::QVariantMap);
        return value ? value->toMap() : QVariantMap();
    }
    int showCount(const QString &title = kTitle, const QString &text = kText)
    {
        const size_t before = shown.size();
        LiveHelpDialog::ShowHelp(title, text);
        return int(shown.size() - before);
    }

    std::vector<platform::AlertRequest> shown;
    bool tick = false;
    int answer = platform::AlertFirstButtonReturn;
    QString mSavedSupport;
};

TEST_F(LiveHelpTest, FirstStartMakesAnEmptyFileAndShowsTheHelp)
{
    ASSERT_FALSE(QFile::exists(file()));
    EXPECT_EQ(showCount(), 1);
    EXPECT_TRUE(QFile::exists(file()));
    EXPECT_TRUE(stored().isEmpty());

    const platform::AlertRequest &alert = shown.back();
    EXPECT_EQ(alert.title, kTitle);
    EXPECT_EQ(alert.text, kText);
    EXPECT_EQ(alert.buttons,
              (QStringList{QStringLiteral("OK"), QStringLiteral("Turn Off All Tips")}));
    EXPECT_EQ(alert.style, platform::AlertRequest::Warning);
    EXPECT_NE(alert.suppressionState, nullptr);
    EXPECT_TRUE(LiveHelpDialog::isShowingLiveHelp());

    // Empty title and text still make an alert that shows something.
    EXPECT_EQ(showCount(QString(), QString()), 1);
    EXPECT_EQ(shown.back().title, QStringLiteral(" "));
    EXPECT_EQ(shown.back().text, QStringLiteral(" "));
}

TEST_F(LiveHelpTest, TickedHelpStaysSilentThisRunAndAfterASave)
{
    tick = true;
    EXPECT_EQ(showCount(), 1);
    tick = false;
    EXPECT_EQ(showCount(), 0);
    EXPECT_EQ(showCount(kTitle, QStringLiteral("another help")), 1) << "only that help is silent";
    // Kept in memory only: without a save a restart shows it again.
    EXPECT_TRUE(stored().isEmpty());
    restart();
    EXPECT_EQ(showCount(), 1);

    tick = true;
    EXPECT_EQ(showCount(), 1);
    ASSERT_TRUE(LiveHelpDialogSetting_Save());
    EXPECT_EQ(stored().value(LiveHelpDialog::helpKey(kTitle, kText)), QVariant(true));
    restart();
    EXPECT_EQ(showCount(), 0);
    EXPECT_TRUE(LiveHelpDialog::isShowingLiveHelp());
}

TEST_F(LiveHelpTest, SecondButtonTurnsEveryHelpOffUntilThePreferencesTurnThemOn)
{
    tick = true; // this help is also silenced by itself
    answer = platform::AlertSecondButtonReturn;
    EXPECT_EQ(showCount(), 1);
    EXPECT_EQ(stored().value(QStringLiteral("hideall")), QVariant(true));
    EXPECT_FALSE(LiveHelpDialog::isShowingLiveHelp());
    EXPECT_EQ(showCount(kTitle, QStringLiteral("another help")), 0);
    restart();
    EXPECT_FALSE(LiveHelpDialog::isShowingLiveHelp());
    EXPECT_EQ(showCount(QStringLiteral("x"), QStringLiteral("y")), 0);

    // On again: every help, the single silenced one too.
    LiveHelpDialog::setShowHideAllLiveHelpDialog(true);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_TRUE(LiveHelpDialog::isShowingLiveHelp());
    answer = platform::AlertFirstButtonReturn;
    tick = false;
    EXPECT_EQ(showCount(), 1);
}

TEST_F(LiveHelpTest, DamagedOrOddlyTypedSettingsLeaveTheHelpsOn)
{
    const QByteArray wrongTypes =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>hideall</key><string>YES</string><key>" +
        LiveHelpDialog::helpKey(kTitle, kText).toUtf8() +
        "</key><integer>1</integer></dict></plist>\n";
    const QByteArray notADictionary =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
        "<array><true/></array></plist>\n";
    for (const QByteArray &bytes :
         {QByteArray("\x00\xff garbage <dict>", 16), QByteArray(), wrongTypes, notADictionary}) {
        SCOPED_TRACE(bytes.toStdString());
        ASSERT_TRUE(pelkotest::writeFile(file(), bytes));
        restart();
        EXPECT_TRUE(LiveHelpDialog::isShowingLiveHelp());
        EXPECT_EQ(showCount(), 1);
        // The damaged file is only replaced by a real save.
        EXPECT_EQ(pelkotest::readFile(file()), bytes);
    }
    LiveHelpDialog::setShowHideAllLiveHelpDialog(false);
    EXPECT_EQ(stored().value(QStringLiteral("hideall")), QVariant(true));
}

TEST_F(LiveHelpTest, SavingReplacesTheFileInsteadOfRewritingIt)
{
    EXPECT_EQ(showCount(), 1);
    const QByteArray before = pelkotest::readFile(file());
    // A second name for the old file: writing in place would change what it shows too.
    const QString oldName = gSupportFolder + QStringLiteral("/old.plist");
    ASSERT_EQ(::link(QFile::encodeName(file()).constData(), QFile::encodeName(oldName).constData()),
              0);
    LiveHelpDialog::setShowHideAllLiveHelpDialog(false);
    EXPECT_EQ(pelkotest::readFile(oldName), before);
    EXPECT_EQ(stored().value(QStringLiteral("hideall")), QVariant(true));
    const QStringList left = QDir(gSupportFolder).entryList(QDir::Files);
    EXPECT_EQ(left.size(), 2) << left.join(u' ').toStdString();
}

TEST_F(LiveHelpTest, KeysAreTheSameNumbersInEveryRun)
{
    // FNV-1a 64 over UTF-16 units; its offset basis for the empty string.
    EXPECT_EQ(LiveHelpStringHash(QString()), 14695981039346656037ull);
    EXPECT_EQ(LiveHelpStringHash(QStringLiteral("a")), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(LiveHelpDialog::helpKey(QString(), QStringLiteral("")),
              QStringLiteral("14695981039346656037_14695981039346656037"));
    EXPECT_NE(LiveHelpDialog::helpKey(QStringLiteral("ab"), QStringLiteral("c")),
              LiveHelpDialog::helpKey(QStringLiteral("a"), QStringLiteral("bc")));
    EXPECT_NE(LiveHelpStringHash(QStringLiteral("\u00e9")),
              LiveHelpStringHash(QStringLiteral("e")));
}

TEST_F(LiveHelpTest, QuietProcessShowsNothingAndTouchesNoFile)
{
    LiveHelpDialog::setQuietInThisProcess(true);
    EXPECT_EQ(showCount(), 0);
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(LiveHelpTest, RealAlertCarriesTheCheckBox)
{
    platform::setAlertHook(nullptr);
    bool sawCheckBox = false;
    QTimer::singleShot(50, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), kTitle);
        QCheckBox *check = box->checkBox();
        ASSERT_NE(check, nullptr);
        sawCheckBox = check->isVisibleTo(box) && !check->isChecked();
        check->setChecked(true);
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == QStringLiteral("OK"))
                b->click();
        }
    });
    LiveHelpDialog::ShowHelp(kTitle, kText);
    EXPECT_TRUE(sawCheckBox);
    platform::setAlertHook([this](const platform::AlertRequest &r) {
        shown.push_back(r);
        return 1000;
    });
    EXPECT_EQ(showCount(), 0);
}

} // namespace
