// The built application started as a user starts it: the windows its arguments open, a second
// start handing its paths over, a socket fed garbage, the command line's errors and the desktop
// entry.
#include "shell/ApplicationIcon.h"
#include "shell/HandOver.h"
#include "platform/PrivateFiles.h"
#include "support/OtherUser.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A home of its own, with the runtime folder the hand-over socket lives in and the shell's
// window log turned on.
struct Home
{
    explicit Home(const QString &hint)
    {
        path = pelkotest::freshDir(hint);
        env = pelkotest::applicationEnvironment(path);
        runtime = env.value(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("pelko.shell.info=true"));
    }
    QString socketName() const
    {
        return handover::serverNameIn(runtime, path + QStringLiteral("/data/pelkomerge"));
    }
    QString path, runtime;
    QProcessEnvironment env;
};

class Running
{
public:
    Running(const Home &home, const QStringList &args)
    {
        mProcess.setProcessEnvironment(home.env);
        mProcess.start(pelkotest::applicationPath(), args);
    }
    ~Running()
    {
        if (mProcess.state() != QProcess::NotRunning) {
            mProcess.kill();
            mProcess.waitForFinished(10000);
        }
    }
    // Waits until the log holds the text `times` times.
    bool waitForLog(const QByteArray &text, int times = 1, int ms = 30000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            mLog += mProcess.readAllStandardError();
            if (mLog.count(text) >= times)
                return true;
            if (mProcess.state() == QProcess::NotRunning)
                break;
            mProcess.waitForReadyRead(200);
        }
        mLog += mProcess.readAllStandardError();
        return mLog.count(text) >= times;
    }
    // SIGTERM; answers the exit code (-1 when it did not end normally).
    int terminate()
    {
        mProcess.terminate();
        if (!mProcess.waitForFinished(30000) || mProcess.exitStatus() != QProcess::NormalExit)
            return -1;
        mLog += mProcess.readAllStandardError();
        return mProcess.exitCode();
    }
    bool running() const { return mProcess.state() == QProcess::Running; }
    const QByteArray &log() const { return mLog; }

private:
    QProcess mProcess;
    QByteArray mLog;
};

// A second start: answers its exit code and what it printed.
int runToEnd(const Home &home, const QStringList &args, QByteArray *output = nullptr)
{
    QProcess p;
    p.setProcessEnvironment(home.env);
    p.start(pelkotest::applicationPath(), args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (output)
        *output = p.readAllStandardOutput() + p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(AppLaunch, ASecondStartHandsItsPathsToTheRunningProcess)
{
    ASSERT_TRUE(QFileInfo(pelkotest::applicationPath()).isExecutable());
    Home home(QStringLiteral("launch"));
    const QString dir = home.path + QStringLiteral("/files");
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        ASSERT_TRUE(
            pelkotest::writeFile(dir + u'/' + QLatin1String(name), name + QByteArray("\n")));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/a.png")));
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/b.png")));

    Running first(home, {dir + QStringLiteral("/a.txt"), dir + QStringLiteral("/b.txt")});
    ASSERT_TRUE(first.waitForLog("Window shown: MergeEditWndCtr")) << first.log().constData();
    ASSERT_TRUE(QFileInfo::exists(home.socketName())) << home.socketName().toStdString();

    EXPECT_EQ(runToEnd(home, {dir + QStringLiteral("/c.txt"), dir + QStringLiteral("/d.txt")}), 0);
    EXPECT_TRUE(first.waitForLog("Window shown: MergeEditWndCtr", 2)) << first.log().constData();

    // Garbage on the socket is dropped; the process goes on and still takes paths.
    {
        QLocalSocket garbage;
        garbage.connectToServer(home.socketName());
        ASSERT_TRUE(garbage.waitForConnected(5000));
        garbage.write(QByteArray(5000, '\xff'));
        garbage.waitForBytesWritten(3000);
        garbage.waitForDisconnected(5000);
    }
    EXPECT_TRUE(first.waitForLog("Dropped a hand-over message")) << first.log().constData();
    EXPECT_TRUE(first.running());

    EXPECT_EQ(runToEnd(home, {dir + QStringLiteral("/a.png"), dir + QStringLiteral("/b.png")}), 0);
    EXPECT_TRUE(first.waitForLog("Window shown: MergeImageWindCtr")) << first.log().constData();

    // Folders named in Latin-1 reach the running process as their own bytes and compare.
    for (const char *side : {"L", "R"}) {
        const QByteArray name = QFile::encodeName(dir) + "/top\xe9" + side;
        ASSERT_EQ(::mkdir(name.constData(), 0700), 0);
        const int fd = ::open((name + "/x.txt").constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    {
        QProcess second;
        second.setProcessEnvironment(home.env);
        // The shell puts the bytes into the arguments; QProcess would pass text.
        second.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("exec \"$0\" \"$1/top$(printf '\\351')L\" "
                                     "\"$1/top$(printf '\\351')R\""),
                      pelkotest::applicationPath(), dir});
        ASSERT_TRUE(second.waitForFinished(20000));
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
    }
    EXPECT_TRUE(first.waitForLog("Window shown: MergeFileListWndCtr")) << first.log().constData();

    // A second start without paths asks the running process for a start window.
    const int startWindows = first.log().count("Window shown: MergeDocument");
    EXPECT_EQ(runToEnd(home, {}), 0);
    EXPECT_TRUE(first.waitForLog("Window shown: MergeDocument", startWindows + 1))
        << first.log().constData();

    EXPECT_EQ(first.terminate(), 0) << first.log().constData();
}

TEST(AppLaunch, AFolderAnotherUserMadeInTheTemporaryFolderDoesNotStopTheHandOver)
{
    if (!pelkotest::canSwitchToOrdinaryUser())
        GTEST_SKIP() << "needs root and setpriv to act as another user";
    // No runtime folder is set, and another user has made the one a desktop library would
    // fall back to in the shared temporary folder before this user's first start.
    const QString shared = pelkotest::folderForOrdinaryUser(false);
    ASSERT_FALSE(shared.isEmpty());
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    const passwd *me = ::getpwuid(::geteuid());
    ASSERT_NE(me, nullptr);
    const QString planted =
        shared + QStringLiteral("/runtime-") + QString::fromLocal8Bit(me->pw_name);
    ASSERT_EQ(pelkotest::runAsOrdinaryUser(QStringLiteral("/bin/mkdir"),
                                           {QStringLiteral("-m"), QStringLiteral("0700"), planted}),
              0);
    Home home(QStringLiteral("noruntime"));
    home.env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    home.env.insert(QStringLiteral("TMPDIR"), shared);
    const QString dir = home.path + QStringLiteral("/files");
    for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        ASSERT_TRUE(
            pelkotest::writeFile(dir + u'/' + QLatin1String(name), name + QByteArray("\n")));

    Running first(home, {dir + QStringLiteral("/a.txt"), dir + QStringLiteral("/b.txt")});
    ASSERT_TRUE(first.waitForLog("Window shown: MergeEditWndCtr")) << first.log().constData();
    EXPECT_FALSE(first.log().contains("running without hand-over")) << first.log().constData();
    EXPECT_EQ(runToEnd(home, {dir + QStringLiteral("/c.txt"), dir + QStringLiteral("/d.txt")}), 0);
    EXPECT_TRUE(first.waitForLog("Window shown: MergeEditWndCtr", 2)) << first.log().constData();
    EXPECT_EQ(first.terminate(), 0) << first.log().constData();
    // The socket lived in the support folder; nothing of this user went into the shared folder.
    EXPECT_TRUE(platform::IsPrivateFolder(home.path + QStringLiteral("/data/pelkomerge/run")));
    EXPECT_EQ(QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QFileInfo(planted).fileName()});
    platform::RemoveTreeNoFollow(shared);
}

TEST(AppLaunch, AloneItShowsTheStartWindowAndTwoFoldersTheirFolderCompare)
{
    Home home(QStringLiteral("startwindow"));
    // Not a first run: no preferences come first.
    ASSERT_TRUE(QDir().mkpath(home.path + QStringLiteral("/data/pelkomerge/FirstChk2")));
    {
        Running alone(home, {});
        EXPECT_TRUE(alone.waitForLog("Window shown: MergeDocument")) << alone.log().constData();
        EXPECT_EQ(alone.terminate(), 0);
    }
    const QString d1 = home.path + QStringLiteral("/d1"), d2 = home.path + QStringLiteral("/d2");
    ASSERT_TRUE(pelkotest::writeFile(d1 + QStringLiteral("/x.txt"), "1\n"));
    ASSERT_TRUE(pelkotest::writeFile(d2 + QStringLiteral("/x.txt"), "2\n"));
    Running folders(home, {d1, d2});
    EXPECT_TRUE(folders.waitForLog("Window shown: MergeFileListWndCtr"))
        << folders.log().constData();
    EXPECT_EQ(folders.terminate(), 0) << folders.log().constData();
}

TEST(AppLaunch, AnOrdinarySessionLogsOnlyTheCategoriesTurnedOn)
{
    // Each line is tagged with its category; only the shell's window log is turned on (and the
    // offscreen platform's notes about what it cannot do are left out).
    Home home(QStringLiteral("quiet"));
    ASSERT_TRUE(QDir().mkpath(home.path + QStringLiteral("/data/pelkomerge/FirstChk2")));
    home.env.insert(QStringLiteral("QT_LOGGING_RULES"),
                    QStringLiteral("pelko.shell.info=true;default.warning=false"));
    home.env.insert(QStringLiteral("QT_MESSAGE_PATTERN"),
                    QStringLiteral("%{category}: %{message}"));
    const QString dir = home.path + QStringLiteral("/files");
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/a.txt"), "same\nleft\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/b.txt"), "same\nright\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/d1/x.txt"), "1\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/d2/x.txt"), "2\n"));

    Running first(home, {dir + QStringLiteral("/a.txt"), dir + QStringLiteral("/b.txt")});
    ASSERT_TRUE(first.waitForLog("Window shown: MergeEditWndCtr")) << first.log().constData();
    QByteArray second;
    EXPECT_EQ(runToEnd(home, {dir + QStringLiteral("/d1"), dir + QStringLiteral("/d2")}, &second),
              0);
    EXPECT_TRUE(first.waitForLog("Window shown: MergeFileListWndCtr")) << first.log().constData();
    EXPECT_EQ(first.terminate(), 0);

    const QList<QByteArray> lines = (first.log() + second).split('\n');
    for (const QByteArray &line : lines) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(line.startsWith("pelko.shell: ")) << line.constData();
        }
    }
}

TEST(AppLaunch, TheCommandLineAnswersVersionHelpAndUsageErrors)
{
    Home home(QStringLiteral("cmdline"));
    QByteArray out;
    EXPECT_EQ(runToEnd(home, {QStringLiteral("--version")}, &out), 0);
    EXPECT_TRUE(out.startsWith("Pelko Merge ")) << out.constData();
    EXPECT_EQ(runToEnd(home, {QStringLiteral("--help")}, &out), 0);
    EXPECT_TRUE(out.contains("Usage: pelkomerge")) << out.constData();
    EXPECT_EQ(runToEnd(home, {QStringLiteral("--no-such-option")}, &out), 2);
    EXPECT_TRUE(out.contains("no-such-option")) << out.constData();
}

TEST(AppLaunch, TheDesktopEntryIsValid)
{
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validator.isEmpty()) << "scripts/install-deps.sh installs desktop-file-utils";
    const QString entry = pelkotest::sourceDir() + QStringLiteral("/resources/pelkomerge.desktop");
    QProcess p;
    p.start(validator, {entry});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QByteArray out = p.readAllStandardOutput() + p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << out.constData();
    EXPECT_FALSE(out.contains("error")) << out.constData();
    const QByteArray text = pelkotest::readFile(entry);
    EXPECT_TRUE(text.contains("\nExec=pelkomerge %F\n"));
    for (const char *type : {"inode/directory;", "text/plain;", "image/png;"})
        EXPECT_TRUE(text.contains(type)) << type;
    // The icon it names is installed in the hicolor theme, each size drawn at its size, and is
    // the windows' icon too.
    EXPECT_TRUE(text.contains("\nIcon=pelkomerge\n"));
    const QString icons = pelkotest::sourceDir() + QStringLiteral("/resources/icons/hicolor/");
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(icons + QStringLiteral("%1x%1/apps/pelkomerge.png").arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }
    EXPECT_TRUE(QFileInfo::exists(icons + QStringLiteral("scalable/apps/pelkomerge.svg")));
    const QIcon windowIcon = ApplicationIcon();
    EXPECT_FALSE(windowIcon.isNull());
    EXPECT_EQ(windowIcon.pixmap(48).size(), QSize(48, 48));
}

} // namespace
