#include "services/SupportFolder.h"

#include "platform/Image.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <mutex>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
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
            platform::RemoveTreeNoFollow(path);
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

QList<QByteArray> namesIn(int dirFd)
{
    QList<QByteArray> names;
    const int copy = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    DIR *dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return names;
    }
    while (const dirent *entry = ::readdir(dir))
        names.append(QByteArray(entry->d_name));
    ::closedir(dir);
    return names;
}

// Folders of processes that no longer run (a crash leaves them behind). Only what this process
// could have made goes: a folder of this user, 0700, under the expected name; a link under such a
// name is removed itself. Nothing is followed, so a link planted here never empties the folder
// it points to.
void removeStaleTempFolders(const QString &tmpRoot)
{
    static const QRegularExpression pattern(QStringLiteral("^p(\\d+)-[A-Za-z0-9]+$"));
    const int root = ::open(QFile::encodeName(tmpRoot).constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (root < 0) {
        platform::LogWarning(
            lcServices, QStringLiteral("ERROR %1 is not a folder; nothing cleaned").arg(tmpRoot));
        return;
    }
    struct stat rootStat;
    if (::fstat(root, &rootStat) != 0 || rootStat.st_uid != ::geteuid()) {
        platform::LogWarning(
            lcServices,
            QStringLiteral("ERROR %1 is not this user's; nothing cleaned").arg(tmpRoot));
        ::close(root);
        return;
    }
    for (const QByteArray &native : namesIn(root)) {
        const auto match = pattern.match(QFile::decodeName(native));
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid == QCoreApplication::applicationPid() || processIsRunning(pid))
            continue;
        struct stat st;
        if (::fstatat(root, native.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            ::unlinkat(root, native.constData(), 0);
            platform::Log(lcServices,
                          QStringLiteral("Removed the link %1 from %2 without following it")
                              .arg(QFile::decodeName(native), tmpRoot));
            continue;
        }
        const bool ours = S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
                          (st.st_mode & 07777) == platform::kPrivateFolderMode;
        if (!ours) {
            platform::Log(lcServices,
                          QStringLiteral("Left %1 in %2: not a private folder of this user")
                              .arg(QFile::decodeName(native), tmpRoot));
            continue;
        }
        platform::RemoveTreeAt(root, native);
    }
    ::close(root);
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
    // It holds settings, untitled texts and copies of compared texts: this user's only. The
    // user may have made it a link to another disk: then the folder it leads to is made private.
    const QFileInfo top(gSupportFolder);
    const QString real = top.isSymLink() ? top.canonicalFilePath() : gSupportFolder;
    bool ok = platform::MakePrivateFolder(real.isEmpty() ? gSupportFolder : real);
    for (const QString &name : SupportSubFolderNames())
        ok = platform::MakePrivateFolder(gSupportFolder + QLatin1Char('/') + name) && ok;
    if (!ok)
        platform::LogWarning(
            lcServices,
            QStringLiteral("ERROR the support folder %1 could not be made").arg(gSupportFolder));
    return ok;
}

QString GetSupportSubFolder(const QString &name)
{
    if (gSupportFolder.isEmpty())
        PrepareSupportFolder();
    if (name.isEmpty()) {
        QDir().mkpath(gSupportFolder);
        return gSupportFolder;
    }
    const QString path = gSupportFolder + QLatin1Char('/') + name;
    if (!platform::IsPrivateFolder(path))
        platform::MakePrivateFolder(path);
    return path;
}

QString GetProcessTempFolder()
{
    std::lock_guard lock(gTempMutex);
    ProcessTempFolder &temp = processTemp();
    if (!temp.path.isEmpty() && QFileInfo(temp.path).isDir())
        return temp.path;
    const QString tmpRoot = GetSupportSubFolder(QStringLiteral("tmp"));
    if (!platform::IsPrivateFolder(tmpRoot)) {
        platform::LogWarning(
            lcServices, QStringLiteral("ERROR no temporary folder: %1 is not a private folder of "
                                       "this user")
                            .arg(tmpRoot));
        return {};
    }
    removeStaleTempFolders(tmpRoot);
    QTemporaryDir dir(
        QStringLiteral("%1/p%2-XXXXXX").arg(tmpRoot).arg(QCoreApplication::applicationPid()));
    if (!dir.isValid()) {
        platform::LogWarning(
            lcServices,
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
        platform::RemoveTreeNoFollow(temp.path);
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
