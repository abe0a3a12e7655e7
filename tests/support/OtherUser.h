#pragma once
// Tests of what another local user can and cannot do. Run as root, a test can act as an ordinary
// user by starting a process under `setpriv` (this test binary running one named test, or a
// small script); run as an ordinary user, it already is one and can only stand in for root
// where root's files are at hand. Either way, it says when it cannot and is skipped.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <sys/stat.h>
#include <unistd.h>

namespace pelkotest {

// The ordinary user a root test switches to.
inline constexpr uid_t kOrdinaryUid = 65534;
inline constexpr gid_t kOrdinaryGid = 65534;

inline bool runningAsRoot()
{
    return ::geteuid() == 0;
}

inline QString setprivPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("setpriv"));
}

// True when this test can start processes as the ordinary user.
inline bool canSwitchToOrdinaryUser()
{
    return runningAsRoot() && !setprivPath().isEmpty();
}

// The command line that runs program as the ordinary user (for a QProcess run without blocking).
inline QStringList ordinaryUserArguments(const QString &program, const QStringList &args)
{
    return QStringList{QStringLiteral("--reuid=%1").arg(kOrdinaryUid),
                       QStringLiteral("--regid=%1").arg(kOrdinaryGid),
                       QStringLiteral("--clear-groups"), QStringLiteral("--"), program} +
           args;
}

// Runs the program as the ordinary user, with the extra environment, and answers its exit code
// (-1 when it did not start or crashed); *output gets what it wrote.
inline int runAsOrdinaryUser(const QString &program, const QStringList &args,
                             const QProcessEnvironment &extra = {}, QByteArray *output = nullptr)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    // The temporary home of the run is root's own; the child makes its own in the shared one.
    env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(setprivPath(),
                  QStringList{QStringLiteral("--reuid=%1").arg(kOrdinaryUid),
                              QStringLiteral("--regid=%1").arg(kOrdinaryGid),
                              QStringLiteral("--clear-groups"), QStringLiteral("--"), program} +
                      args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        if (output)
            *output = process.readAll();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitCode();
}

// Runs one test of this binary as the ordinary user; it finds what to do in the environment.
inline int runTestAsOrdinaryUser(const QString &testName, const QProcessEnvironment &extra,
                                 QByteArray *output = nullptr)
{
    return runAsOrdinaryUser(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--gtest_filter=") + testName}, extra, output);
}

// Runs the named test of this binary as the ordinary user (for what root reads anyway: a folder
// of mode 000): true only when it ran there and passed, not when it was skipped or matched no
// test. *output gets what it printed.
inline bool passesAsOrdinaryUser(const QString &testName, QByteArray *output)
{
    return runTestAsOrdinaryUser(testName, {}, output) == 0 &&
           output->contains("[  PASSED  ] 1 test.");
}

// A folder in the shared temporary folder that the ordinary user may enter; root's own test
// home is private. Removed by the caller.
inline QString folderForOrdinaryUser(bool ownedByOrdinaryUser)
{
    QByteArray name = QFile::encodeName(QStringLiteral("/tmp/pelko-users-XXXXXX"));
    if (!::mkdtemp(name.data()))
        return {};
    ::chmod(name.constData(), 0755);
    if (ownedByOrdinaryUser && ::chown(name.constData(), kOrdinaryUid, kOrdinaryGid) != 0)
        return {};
    return QFile::decodeName(name);
}

// A folder like /tmp: anyone may make entries in it, and only their owner may remove them (the
// sticky bit). Owned by the ordinary user when this test can act as one, so that links that user
// makes there are followed even under fs.protected_symlinks. Removed by the caller.
inline QString stickySharedFolder()
{
    const QString folder = folderForOrdinaryUser(canSwitchToOrdinaryUser());
    if (folder.isEmpty() || ::chmod(QFile::encodeName(folder).constData(), 01777) != 0)
        return {};
    return folder;
}

// A file of this user's that only this user may read, in a folder (removed by the caller) that
// anyone may enter: what another user would like to read, or to have written.
inline QString privateFileInOpenFolder(const QByteArray &bytes)
{
    const QString folder = folderForOrdinaryUser(false);
    if (folder.isEmpty())
        return {};
    const QString path = folder + QStringLiteral("/secret.conf");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return {};
    return path;
}

// Runs the shell script (with its arguments as $1, $2, ...) as the ordinary user when this test
// can act as one, otherwise as this user: a second process of another user, or of one's own,
// doing what an attacker would. Answers its exit code (-1 when it did not run).
inline int runShellAsOtherUser(const QString &script, const QStringList &args = {},
                               QByteArray *output = nullptr)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sh"));
    const QStringList shellArgs =
        QStringList{QStringLiteral("-c"), script, QStringLiteral("sh")} + args;
    if (canSwitchToOrdinaryUser())
        return runAsOrdinaryUser(shell, shellArgs, {}, output);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(shell, shellArgs);
    const bool ran = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit;
    if (output)
        *output = process.readAll();
    return ran ? process.exitCode() : -1;
}

} // namespace pelkotest
