// The command line "pelkomerge LEFT RIGHT" opens the text compare window and keeps running.
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

TEST(CommandLine, TwoFilesOpenTheCompareWindowAndKeepRunning)
{
    const QString app = pelkotest::applicationPath();
    ASSERT_TRUE(QFileInfo(app).isExecutable());
    const QString dir = pelkotest::freshDir(QStringLiteral("cmdline"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/a.txt"), "one\ntwo\nthree\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/b.txt"), "one\n2\nthree\n"));

    QProcess window;
    window.setProcessEnvironment(pelkotest::applicationEnvironment(dir + QStringLiteral("/home1")));
    window.start(app, {dir + QStringLiteral("/a.txt"), dir + QStringLiteral("/b.txt")});
    ASSERT_TRUE(window.waitForStarted(10000));
    // The window's event loop keeps the process alive; a failed start would have ended it.
    EXPECT_FALSE(window.waitForFinished(4000)) << window.readAllStandardError().constData();
    window.kill();
    window.waitForFinished(10000);
}

TEST(CommandLine, TwoFoldersOpenTheFolderWindow)
{
    const QString app = pelkotest::applicationPath();
    const QString dir = pelkotest::freshDir(QStringLiteral("cmdlinefolders"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/L/a.txt"), "one\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/R/a.txt"), "two\n"));
    QProcess window;
    window.setProcessEnvironment(pelkotest::applicationEnvironment(dir + QStringLiteral("/home")));
    window.start(app, {dir + QStringLiteral("/L"), dir + QStringLiteral("/R")});
    ASSERT_TRUE(window.waitForStarted(10000));
    EXPECT_FALSE(window.waitForFinished(4000)) << window.readAllStandardError().constData();
    window.terminate();
    ASSERT_TRUE(window.waitForFinished(30000));
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
}
