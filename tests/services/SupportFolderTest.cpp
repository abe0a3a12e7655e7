// The support folder, this process's temporary folder, and start-up.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/UserDefaults.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "support/ChildTest.h"
#include "support/TestEnvironment.h"

namespace {

// The first start of a process, so a child of its own: in one run of this whole binary another
// test has started the application's services already.
TEST(SupportFolderChild, FirstStart)
{
    if (!qEnvironmentVariableIsSet("PELKO_FIRST_START_CHILD"))
        GTEST_SKIP() << "only run by SupportFolder.StartUpMakesFolderMarkerAndSettings";
    auto &defaults = platform::UserDefaults::standard();
    for (const QString &key : defaults.dictionaryRepresentation().keys())
        defaults.removeObjectForKey(key);
    defaults.setString(QStringLiteral("0.0.1"), QString::fromLatin1(kAppFirstTimeWithVersionKey));
    InitAppSetting();
    EXPECT_TRUE(gSupportFolder.endsWith(QStringLiteral("/pelkomerge")));
    for (const QString &name : SupportSubFolderNames())
        EXPECT_TRUE(QFileInfo(gSupportFolder + QLatin1Char('/') + name).isDir())
            << qPrintable(name);
    EXPECT_TRUE(QFileInfo(gSupportFolder + QStringLiteral("/FirstChk2")).isDir());
    EXPECT_TRUE(gIsFirstRun);
    ASSERT_NE(gAppSetting_compare_leftHistoryPaths, nullptr);
    EXPECT_EQ(+gAppSetting.textTabLen, 4);
    // A new version stored itself and saved the record.
    EXPECT_EQ(defaults.stringForKey(QString::fromLatin1(kAppFirstTimeWithVersionKey)),
              AppBundleVersion());
    EXPECT_EQ(defaults.dataForKey(QString::fromLatin1(kAppSettingDataKey)).size(), 565);
    EXPECT_EQ(gOSVersionMinor >= 14, true);
    EXPECT_EQ(gAppHasSandbox, qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID"));
    EXPECT_EQ(gDrawTextAttr_White.foreground, QColor(Qt::white));
}

TEST(SupportFolder, StartUpMakesFolderMarkerAndSettings)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("PELKO_FIRST_START_CHILD"), QStringLiteral("1"));
    const QByteArray output =
        pelkotest::runChildTest(QStringLiteral("SupportFolderChild.FirstStart"), env);
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.constData();
}

TEST(SupportFolder, LanguageSettingWritesOrRemovesAppleLanguages)
{
    auto &defaults = platform::UserDefaults::standard();
    APPSETTING_SET_STRING(gAppSetting, languageCode, QStringLiteral("fr"));
    App_ApplyLanguageSetting();
    EXPECT_EQ(defaults.arrayForKey(QStringLiteral("AppleLanguages")),
              QVariantList{QStringLiteral("fr")});
    APPSETTING_SET_STRING(gAppSetting, languageCode, QString());
    App_ApplyLanguageSetting();
    EXPECT_FALSE(defaults.hasKey(QStringLiteral("AppleLanguages")));
}

TEST(SupportFolder, ProcessTempFolderIsOwnAndStaleOnesGo)
{
    const QString tmpRoot = GetSupportSubFolder(QStringLiteral("tmp"));
    RemoveProcessTempFolder();
    // Folders of processes that cannot exist, here and elsewhere; one of a running process;
    // an unrelated one. A pid names a process only in one PID namespace of one boot of one host
    // (the home may be shared with a container or another machine): a folder of another, or
    // one whose name does not say (an earlier version's), goes only when a week old.
    const QString here = ProcessTempFolderTag();
    const QString dead = QStringLiteral("/p2147483646-");
    struct Row
    {
        const char *name;
        QString folder;
        bool old;
        bool removed;
    };
    const Row rows[] = {
        {"a process here that ended", dead + here + "-abc123", false, true},
        {"a running process here", QStringLiteral("/p%1-%2-keep01").arg(::getppid()).arg(here),
         true, false},
        {"another host", dead + "n1-b0123abcd-hother.host-abc123", false, false},
        {"another host, a week old", dead + "n1-b0123abcd-hother.host-abc124", true, true},
        {"this host's other PID namespace",
         dead + here.section(u'-', 0, 0) + "1-" + here.section(u'-', 1) + "-abc125", false, false},
        {"another boot of this host", dead + "n1-b0-" + here.section(u'-', 2) + "-abc126", false,
         false},
        {"a name of an earlier version", dead + "abc127", false, false},
        {"a name of an earlier version, a week old", dead + "abc128", true, true},
        {"an unrelated folder", QStringLiteral("/setting.log.d"), true, false},
    };
    for (const Row &row : rows) {
        const QString dir = tmpRoot + row.folder;
        ASSERT_TRUE(QDir().mkpath(dir)) << row.name;
        // As a process makes its own.
        ASSERT_TRUE(
            QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        if (row.old) {
            const struct timeval eightDaysAgo[2] = {{::time(nullptr) - 8 * 24 * 3600, 0},
                                                    {::time(nullptr) - 8 * 24 * 3600, 0}};
            ASSERT_EQ(::utimes(QFile::encodeName(dir).constData(), eightDaysAgo), 0);
        }
    }
    const QString mine = GetProcessTempFolder();
    ASSERT_FALSE(mine.isEmpty());
    EXPECT_EQ(QFileInfo(mine).absolutePath(), tmpRoot);
    EXPECT_TRUE(QFileInfo(mine).fileName().startsWith(
        QStringLiteral("p%1-%2-").arg(QCoreApplication::applicationPid()).arg(here)));
    EXPECT_EQ(GetProcessTempFolder(), mine);
    for (const Row &row : rows) {
        EXPECT_EQ(QFileInfo::exists(tmpRoot + row.folder), !row.removed) << row.name;
        if (!row.removed)
            QDir(tmpRoot + row.folder).removeRecursively();
    }
    RemoveProcessTempFolder();
    EXPECT_FALSE(QFileInfo::exists(mine));
    const QString again = GetProcessTempFolder();
    EXPECT_TRUE(QFileInfo(again).isDir());
}

TEST(SupportFolder, StaleTemporaryFoldersAreCleanedWithoutFollowingLinks)
{
    const QString tmpRoot = GetSupportSubFolder(QStringLiteral("tmp"));
    RemoveProcessTempFolder();
    // A folder of the user's that a planted link points to.
    const QString precious = pelkotest::freshDir(QStringLiteral("precious"));
    ASSERT_TRUE(pelkotest::writeFile(precious + QStringLiteral("/work.txt"), "years of work"));
    const QString link = tmpRoot + QStringLiteral("/p2147483645-") + ProcessTempFolderTag() +
                         QStringLiteral("-abc123");
    ASSERT_TRUE(QFile::link(precious, link));
    // A stale folder holding a link to the same folder.
    const QString stale = tmpRoot + QStringLiteral("/p2147483644-") + ProcessTempFolderTag() +
                          QStringLiteral("-def456");
    ASSERT_TRUE(QDir().mkpath(stale));
    ASSERT_TRUE(
        QFile::setPermissions(stale, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::link(precious, stale + QStringLiteral("/inner")));
    // A folder under the expected name that this process would never make: open to others.
    const QString open = tmpRoot + QStringLiteral("/p2147483643-") + ProcessTempFolderTag() +
                         QStringLiteral("-ghi789");
    ASSERT_TRUE(pelkotest::writeFile(open + QStringLiteral("/x"), "x"));
    ::chmod(QFile::encodeName(open).constData(), 0755);
    // One of another user (only root can make it).
    const QString theirs = tmpRoot + QStringLiteral("/p2147483642-") + ProcessTempFolderTag() +
                           QStringLiteral("-jkl012");
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_TRUE(QDir().mkpath(theirs));
        ::chmod(QFile::encodeName(theirs).constData(), 0700);
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    }

    ASSERT_FALSE(GetProcessTempFolder().isEmpty());
    EXPECT_EQ(pelkotest::readFile(precious + QStringLiteral("/work.txt")), "years of work");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(open + QStringLiteral("/x")));
    if (asRoot) {
        EXPECT_TRUE(QFileInfo(theirs).isDir());
    }
    QDir(open).removeRecursively();
    QDir(theirs).removeRecursively();
}

TEST(SupportFolder, FoldersHoldingTextsAndSettingsArePrivate)
{
    const QString folder = pelkotest::freshDir(QStringLiteral("private-support"));
    // A folder made by an earlier version under the usual umask.
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/backupRestore")));
    ::chmod(QFile::encodeName(folder + QStringLiteral("/backupRestore")).constData(), 0755);
    const QString saved = gSupportFolder;
    ASSERT_TRUE(PrepareSupportFolder(folder));
    for (const QString &name : QStringList{QString()} + SupportSubFolderNames()) {
        SCOPED_TRACE(qPrintable(name));
        struct stat st
        {
        };
        ASSERT_EQ(::lstat(QFile::encodeName(folder + u'/' + name).constData(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 077, 0u);
    }
    // A support folder the user made a link to another disk is used, and made private there.
    const QString elsewhere = pelkotest::freshDir(QStringLiteral("other-disk"));
    ::chmod(QFile::encodeName(elsewhere).constData(), 0755);
    const QString linked = pelkotest::freshDir(QStringLiteral("linked-home")) + "/pelkomerge";
    ASSERT_TRUE(QFile::link(elsewhere, linked));
    EXPECT_TRUE(PrepareSupportFolder(linked));
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_EQ(QFileInfo(elsewhere).permissions() & 0x0077, 0);
    EXPECT_TRUE(QFileInfo(elsewhere + QStringLiteral("/backupRestore")).isDir());
    PrepareSupportFolder(saved);
}

TEST(SupportFolder, ApplicationStartsAndLeavesItsSettings)
{
    const QString app = pelkotest::applicationPath();
    ASSERT_TRUE(QFileInfo(app).isExecutable());
    const QString home = pelkotest::freshDir(QStringLiteral("apphome"));
    QProcess process;
    QProcessEnvironment env = pelkotest::applicationEnvironment(home);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pelko.shell.info=true"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(app, {});
    // It runs until its windows are gone or it is told to end: once launched, end it.
    QByteArray log;
    while (!log.contains("Start-up step launched") && process.waitForReadyRead(60000))
        log += process.readAll();
    ASSERT_TRUE(log.contains("Start-up step launched")) << log.constData();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAll().constData();
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/data/pelkomerge/FirstChk2")).isDir());
    // Both bundle archives were unpacked into the support folder.
    const QDir languages(home + QStringLiteral("/data/pelkomerge/languages"));
    const QDir themes(home + QStringLiteral("/data/pelkomerge/colorThemes"));
    EXPECT_GT(languages.entryList({QStringLiteral("*.myrsctx")}, QDir::Files).size(), 5);
    EXPECT_GT(themes.entryList({QStringLiteral("*.plist")}, QDir::Files).size(), 5);
    platform::UserDefaults stored(home + QStringLiteral("/config/pelkomerge/defaults.plist"));
    EXPECT_EQ(stored.dataForKey(QString::fromLatin1(kAppSettingDataKey)).size(), 565);
    // Its temporary folder went with it.
    EXPECT_TRUE(QDir(home + QStringLiteral("/data/pelkomerge/tmp")).isEmpty());
}

} // namespace
