#include "services/SupportFolder.h"

#include "platform/Image.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
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

QByteArray firstLineOf(const char *path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine(256).trimmed();
}

// The inode number of this process's PID namespace ("pid:[4026531836]"), or 0.
QString pidNamespaceId()
{
    char target[64] = {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", target, sizeof target - 1);
    QString digits;
    for (ssize_t i = 0; i < n; ++i)
        if (target[i] >= '0' && target[i] <= '9')
            digits.append(QLatin1Char(target[i]));
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

QString bootId()
{
    QString hex;
    for (const char c : firstLineOf("/proc/sys/kernel/random/boot_id"))
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))
            hex.append(QLatin1Char(c));
    return hex.isEmpty() ? QStringLiteral("0") : hex.left(32);
}

// The host name in the characters a folder name of ours may hold; "-" separates the parts.
QString hostName()
{
    QString host = QSysInfo::machineHostName().left(64);
    for (QChar &c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.')
            c = u'_';
    return host.isEmpty() ? QStringLiteral("unknown") : host;
}

constexpr qint64 kForeignTempFolderAgeSeconds = 7 * 24 * 3600;

bool olderThanAWeek(const struct stat &st)
{
    return st.st_mtime < QDateTime::currentSecsSinceEpoch() - kForeignTempFolderAgeSeconds;
}

// Folders of processes that no longer run (a crash leaves them behind). A pid means something
// only in this PID namespace, boot and host: a folder of another (a container or another machine
// sharing the home, or a name without them from an earlier version) goes only once it has
// been left alone for a week. Only what this process could have made goes: a folder of this
// user, 0700, under the expected name; a link under such a name is removed itself. Nothing is
// followed, so a link planted here never empties the folder it points to.
void removeStaleTempFolders(const QString &tmpRoot)
{
    static const QRegularExpression pattern(
        QStringLiteral("^p(\\d+)-(?:(n\\d+-b[0-9a-f]+-h[A-Za-z0-9._]+)-)?[A-Za-z0-9]+$"));
    const QString here = ProcessTempFolderTag();
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
    for (const QByteArray &native : platform::NamesInFolder(root)) {
        const auto match = pattern.match(QFile::decodeName(native));
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        const bool fromHere = match.captured(2) == here;
        if (fromHere && (pid == QCoreApplication::applicationPid() || processIsRunning(pid)))
            continue;
        struct stat st;
        if (::fstatat(root, native.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!fromHere && !olderThanAWeek(st))
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
    return QDir::cleanPath(platform::TrustedDataHome() + QStringLiteral("/pelkomerge"));
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
    // What another user could reach is never read nor written: null for such a folder.
    if (!platform::IsPrivateFolder(path) && !platform::MakePrivateFolder(path))
        return {};
    return path;
}

QString ProcessTempFolderTag()
{
    static const QString tag =
        QStringLiteral("n%1-b%2-h%3").arg(pidNamespaceId(), bootId(), hostName());
    return tag;
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
    QTemporaryDir dir(QStringLiteral("%1/p%2-%3-XXXXXX")
                          .arg(tmpRoot)
                          .arg(QCoreApplication::applicationPid())
                          .arg(ProcessTempFolderTag()));
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
