// The built application: untitled texts kept at an ending signal and brought back at the next
// start, and two images opening the image window.
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QByteArray kMark("\xEF\xBB\xBF");

// The application's environment with the shell's log turned on, which these tests read.
QProcessEnvironment loggingEnvironment(const QString &home)
{
    QProcessEnvironment env = pelkotest::applicationEnvironment(home);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pelko.shell.info=true"));
    return env;
}

// Reads the process's standard error until it holds the text (or the time is up).
bool waitForLog(QProcess &p, QByteArray *log, const QByteArray &text, int ms = 30000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        p.waitForReadyRead(200);
        *log += p.readAllStandardError();
        if (log->contains(text))
            return true;
        if (p.state() == QProcess::NotRunning)
            break;
    }
    *log += p.readAllStandardError();
    return log->contains(text);
}

TEST(Executable, UntitledTextsComeBackAndAreKeptAgainAtSigterm)
{
    const QString app = pelkotest::applicationPath();
    ASSERT_TRUE(QFileInfo(app).isExecutable());
    const QString home = pelkotest::freshDir(QStringLiteral("apphome"));
    const QString backups = home + QStringLiteral("/data/pelkomerge/backupRestore");
    ASSERT_TRUE(
        pelkotest::writeFile(backups + QStringLiteral("/backup_000_a.txt"), kMark + "left text\n"));
    ASSERT_TRUE(pelkotest::writeFile(backups + QStringLiteral("/backup_000_b.txt"), QByteArray()));
    ASSERT_TRUE(pelkotest::writeFile(backups + QStringLiteral("/backup_007_a.txt"), kMark + "x"));
    ASSERT_TRUE(pelkotest::writeFile(backups + QStringLiteral("/backup_007_b.txt"), kMark + "y"));

    QProcess p;
    p.setProcessEnvironment(loggingEnvironment(home));
    p.start(app, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    QByteArray log;
    ASSERT_TRUE(waitForLog(p, &log, "Restored the untitled texts of backup pair 7")) << log.data();
    EXPECT_TRUE(log.contains("Restored the untitled texts of backup pair 0"));
    // Restored pairs leave the disk while their windows are open.
    EXPECT_TRUE(QDir(backups).entryList(QDir::Files).isEmpty());

    p.terminate(); // SIGTERM
    ASSERT_TRUE(p.waitForFinished(30000)) << log.data();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QStringList kept = QDir(backups).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(kept.size(), 4) << kept.join(u' ').toStdString();
    const QByteArray a0 = pelkotest::readFile(backups + u'/' + kept[0]);
    const QByteArray a1 = pelkotest::readFile(backups + u'/' + kept[2]);
    EXPECT_TRUE((a0 == kMark + "left text\n" && a1 == kMark + "x") ||
                (a0 == kMark + "x" && a1 == kMark + "left text\n"));
}

// What follows "--" is paths, also when it looks like one of Qt's own options: another user's
// files named "-platformpluginpath" in a shared folder must not choose the code Qt loads.
TEST(Executable, QtOptionsAfterTheEndOfOptionsAreOnlyPaths)
{
    const QString app = pelkotest::applicationPath();
    const QString dir = pelkotest::freshDir(QStringLiteral("dashdash"));
    QProcess p;
    p.setProcessEnvironment(loggingEnvironment(dir + QStringLiteral("/home")));
    p.setWorkingDirectory(dir);
    p.start(app,
            {QStringLiteral("--"), QStringLiteral("-platform"), QStringLiteral("no-such-platform"),
             QStringLiteral("-platformpluginpath"), dir + QStringLiteral("/plugins")});
    ASSERT_TRUE(p.waitForStarted(10000));
    QByteArray log;
    EXPECT_TRUE(waitForLog(p, &log, "Start-up step delegate")) << log.data();
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
}

TEST(Executable, TwoImagesOpenTheImageWindow)
{
    const QString app = pelkotest::applicationPath();
    const QString dir = pelkotest::freshDir(QStringLiteral("appimages"));
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/a.png")));
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/b.png")));
    QProcess p;
    p.setProcessEnvironment(loggingEnvironment(dir + QStringLiteral("/home")));
    p.start(app, {dir + QStringLiteral("/a.png"), dir + QStringLiteral("/b.png")});
    ASSERT_TRUE(p.waitForStarted(10000));
    QByteArray log;
    EXPECT_TRUE(waitForLog(p, &log, "MergeImageWindCtr awakeFromNib")) << log.data();
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(30000));
    log += p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(log.contains("MergeImageWindCtr windowWillClose")) << log.data();
}

} // namespace
