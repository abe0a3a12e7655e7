#include "services/SupportFolder.h"

#include "platform/Image.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <mutex>

#include <cerrno>
#include <signal.h>
#include <unistd.h>

QString gSupportFolder;

namespace {

QString gBundleOverride;

// This process's temporary folder; removed when the process ends.
struct ProcessTempFolder
{
    QString path;
    ~ProcessTempFolder()
    {
        if (!path.isEmpty())
            QDir(path).removeRecursively();
    }
};
ProcessTempFolder &processTemp()
{
    static ProcessTempFolder folder;
    return folder;
}
std::mutex gTempMutex;

bool processIsRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Folders of processes that no longer run (a crash leaves them behind).
void removeStaleTempFolders(const QString &tmpRoot)
{
    static const QRegularExpression pattern(QStringLiteral("^p(\\d+)-[A-Za-z0-9]+$"));
    const QStringList names =
        QDir(tmpRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : names) {
        const auto match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid == QCoreApplication::applicationPid() || processIsRunning(pid))
            continue;
        QDir(tmpRoot + QLatin1Char('/') + name).removeRecursively();
    }
}

} // namespace

QStringList SupportSubFolderNames()
{
    return {QStringLiteral("tmp"),         QStringLiteral("wrk"),
            QStringLiteral("wrk_crash"),   QStringLiteral("backupRestore"),
            QStringLiteral("save"),        QStringLiteral("save2"),
            QStringLiteral("fileIcon"),    QStringLiteral("thumbImg"),
            QStringLiteral("DarkModeImg"), QStringLiteral("languages"),
            QStringLiteral("colorThemes"), QStringLiteral("clipArt")};
}

QString DefaultSupportFolderPath()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/pelkomerge"));
}

bool PrepareSupportFolder(const QString &path)
{
    QString folder = path;
    if (folder.isEmpty())
        folder = DefaultSupportFolderPath();
    gSupportFolder = QDir::cleanPath(folder);
    bool ok = QDir().mkpath(gSupportFolder);
    for (const QString &name : SupportSubFolderNames())
        ok = QDir().mkpath(gSupportFolder + QLatin1Char('/') + name) && ok;
    if (!ok)
        platform::Log(
            QStringLiteral("ERROR the support folder %1 could not be made").arg(gSupportFolder));
    return ok;
}

QString GetSupportSubFolder(const QString &name)
{
    if (gSupportFolder.isEmpty())
        PrepareSupportFolder();
    const QString path = name.isEmpty() ? gSupportFolder : gSupportFolder + QLatin1Char('/') + name;
    QDir().mkpath(path);
    return path;
}

QString GetProcessTempFolder()
{
    std::lock_guard lock(gTempMutex);
    ProcessTempFolder &temp = processTemp();
    if (!temp.path.isEmpty() && QFileInfo(temp.path).isDir())
        return temp.path;
    const QString tmpRoot = GetSupportSubFolder(QStringLiteral("tmp"));
    removeStaleTempFolders(tmpRoot);
    QTemporaryDir dir(
        QStringLiteral("%1/p%2-XXXXXX").arg(tmpRoot).arg(QCoreApplication::applicationPid()));
    if (!dir.isValid()) {
        platform::Log(
            QStringLiteral("ERROR no temporary folder in %1: %2").arg(tmpRoot, dir.errorString()));
        return {};
    }
    dir.setAutoRemove(false);
    temp.path = dir.path();
    return temp.path;
}

void RemoveProcessTempFolder()
{
    std::lock_guard lock(gTempMutex);
    ProcessTempFolder &temp = processTemp();
    if (!temp.path.isEmpty())
        QDir(temp.path).removeRecursively();
    temp.path.clear();
}

QString GetBundleResourceFolder()
{
    if (!gBundleOverride.isEmpty())
        return gBundleOverride;
    const QString env = qEnvironmentVariable("PELKO_BUNDLE_DIR");
    if (!env.isEmpty())
        return env;
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString &candidate :
         {appDir + QStringLiteral("/Resources"), appDir + QStringLiteral("/../Resources"),
          appDir + QStringLiteral("/../share/pelkomerge")}) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(candidate);
    }
    return QDir::cleanPath(appDir + QStringLiteral("/Resources"));
}

void SetBundleResourceFolder(const QString &path)
{
    gBundleOverride = path;
    platform::Image::setBundleImageFolder(GetBundleResourceFolder() + QStringLiteral("/images"));
}

QString GetBundleResourcePath(const QString &name)
{
    if (name.isEmpty())
        return {};
    const QString path = GetBundleResourceFolder() + QLatin1Char('/') + name;
    return QFileInfo::exists(path) ? path : QString();
}
