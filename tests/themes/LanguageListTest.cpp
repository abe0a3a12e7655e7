#include "themes/LanguageList.h"

#include "services/AppSetting.h"
#include "services/BundleArchive.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageInfo.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

class LanguageListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mDir = pelkotest::freshDir("languages");
        ASSERT_TRUE(PrepareSupportFolder(mDir + "/support"));
        SetBundleResourceFolder(pelkotest::binaryDir() + "/Resources");
        mFolder = gSupportFolder + "/languages";
        APPSETTING_SET_STRING(gAppSetting, bAutoHightLightText_WithLanguage, "");
    }
    void TearDown() override
    {
        gAppLanguageInfoList.clear();
        SetBundleResourceFolder(QString());
    }
    // The names inside the bundle's archive, read by an independent tool.
    QStringList archiveNames() const
    {
        QProcess python;
        python.start("python3", {"-c",
                                 "import sys,zipfile;print('\\n'.join(zipfile.ZipFile("
                                 "sys.argv[1]).namelist()))",
                                 pelkotest::binaryDir() + "/Resources/languages.zip"});
        python.waitForFinished();
        return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    QString mDir, mFolder;
};

QStringList shownNames()
{
    QStringList names;
    for (const auto &language : gAppLanguageInfoList)
        names << language->nameShow();
    return names;
}

} // namespace

TEST_F(LanguageListTest, EveryShippedLanguageIsLoadedInNameOrder)
{
    const QStringList shipped = archiveNames();
    ASSERT_GE(shipped.size(), 12);
    EXPECT_EQ(Setup_gAppLanguageInfoList(), shipped.size());
    EXPECT_EQ(gAppLanguageInfoList.size(), shipped.size());
    const QStringList names = shownNames();
    for (const char *expected : {"c", "c++", "c#", "java", "python", "javascript", "objective c"})
        EXPECT_TRUE(names.contains(expected)) << expected;
    for (qsizetype i = 1; i < gAppLanguageInfoList.size(); ++i)
        EXPECT_LT(gAppLanguageInfoList[i - 1]->name().compare(gAppLanguageInfoList[i]->name(),
                                                              Qt::CaseInsensitive),
                  0);
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("py", false)->nameShow(), "python");
    EXPECT_EQ(MyLanguageInfo::languageWith_fileType("hpp", false)->nameShow(), "c++");
    EXPECT_EQ(Get_HIGH_LIGHT_DEFAULT_LANGUAGE(), "java");
    EXPECT_TRUE(MyLanguageInfo::languageWith_nameShow(Get_HIGH_LIGHT_DEFAULT_LANGUAGE()));
}

TEST_F(LanguageListTest, RefillKeepsTheUsersImportedDefinitions)
{
    QDir().mkpath(mFolder);
    ASSERT_TRUE(
        pelkotest::writeFile(mFolder + "/Mine.esy", "#LineComment1=%\n#Keyword color=1\nfoo\n"));
    ASSERT_TRUE(pelkotest::writeFile(mFolder + "/C.myrsctx", "damaged"));
    const qsizetype count = Setup_gAppLanguageInfoList();
    EXPECT_EQ(count, archiveNames().size() + 1);
    EXPECT_TRUE(shownNames().contains("mine (*)imported"));
    EXPECT_TRUE(shownNames().contains("c"));

    // With more than five entries the folder is used as it is.
    QFile::remove(mFolder + "/Go.myrsctx");
    Setup_gAppLanguageInfoList();
    EXPECT_FALSE(shownNames().contains("go"));
}

TEST_F(LanguageListTest, DamagedOrMissingArchiveLeavesTheFolderAlone)
{
    QDir().mkpath(mFolder);
    ASSERT_TRUE(
        pelkotest::writeFile(mFolder + "/Mine.esy", "#LineComment1=%\n#Keyword color=1\nfoo\n"));
    ASSERT_TRUE(pelkotest::writeFile(mDir + "/bad.zip", "PK\x03\x04 not really a zip"));
    EXPECT_FALSE(InstallBundleArchiveIntoFolder(mDir + "/bad.zip", mFolder));
    EXPECT_FALSE(InstallBundleArchiveIntoFolder(mDir + "/missing.zip", mFolder));
    EXPECT_EQ(QDir(mFolder).entryList(QDir::Files), QStringList({"Mine.esy"}));

    SetBundleResourceFolder(mDir + "/nowhere");
    EXPECT_EQ(Setup_gAppLanguageInfoList(), 1);
}

TEST_F(LanguageListTest, PopUpShowsTheLanguagesAndStoresTheChoice)
{
    Setup_gAppLanguageInfoList();
    AppSetting setting = gAppSetting;
    APPSETTING_SET_STRING(setting, bAutoHightLightText_WithLanguage, "Python");
    QComboBox popup;
    SetupLanguageListFromSetting(&popup, &setting, true);
    EXPECT_EQ(popup.count(), gAppLanguageInfoList.size() + 1);
    EXPECT_EQ(popup.itemText(0), "(none)");
    EXPECT_EQ(popup.currentText(), "python");

    popup.setCurrentIndex(0);
    ReadLanguageListToSetting(&popup, &setting);
    EXPECT_EQ(APPSETTING_GET_STRING(setting, bAutoHightLightText_WithLanguage), "");
    popup.setCurrentIndex(popup.findText("rust"));
    ReadLanguageListToSetting(&popup, &setting);
    EXPECT_EQ(APPSETTING_GET_STRING(setting, bAutoHightLightText_WithLanguage), "rust");

    APPSETTING_SET_STRING(setting, bAutoHightLightText_WithLanguage, "gone");
    SetupLanguageListFromSetting(&popup, &setting, true);
    EXPECT_EQ(popup.currentIndex(), 0);
}
