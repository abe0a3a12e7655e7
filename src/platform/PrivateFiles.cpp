#include "platform/PrivateFiles.h"

#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Deeper trees are not ours: each level holds one descriptor while it is emptied.
constexpr int kMaxRemoveDepth = 200;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void setWhy(QString *why, const QString &text)
{
    if (why)
        *why = text;
}

using Fd = platform::UniqueFd;

bool removeAt(int dirFd, const QByteArray &name, int depth);

// Removes everything in the folder open as folder (whose state is opened).
bool emptyFolder(int folder, const struct stat &opened, int depth)
{
    // A folder of ours left without write permission can still be emptied.
    if ((opened.st_mode & S_IRWXU) != S_IRWXU && opened.st_uid == ::geteuid())
        ::fchmod(folder, (opened.st_mode & 07777) | S_IRWXU);
    bool ok = true;
    for (const QByteArray &entry : NamesInFolder(folder))
        ok = removeAt(folder, entry, depth + 1) && ok;
    return ok;
}

bool removeAt(int dirFd, const QByteArray &name, int depth)
{
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirFd, name.constData(), 0) == 0 || errno == ENOENT;
    if (depth >= kMaxRemoveDepth)
        return false;
    Fd folder(::openat(dirFd, name.constData(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (folder.get() < 0) {
        // Swapped for a link or a file since it was looked at: that entry itself goes.
        if (errno == ELOOP || errno == ENOTDIR)
            return ::unlinkat(dirFd, name.constData(), 0) == 0 || errno == ENOENT;
        return false;
    }
    struct stat opened;
    if (::fstat(folder.get(), &opened) != 0 || opened.st_ino != st.st_ino ||
        opened.st_dev != st.st_dev)
        return false;
    if (!emptyFolder(folder.get(), opened, depth))
        return false;
    return ::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// The last name of path and its parent folder (-1 when it cannot be opened).
int openParent(const QString &path, QByteArray *name)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || clean == QLatin1String("/") || clean == QLatin1String("."))
        return -1;
    const QFileInfo info(clean);
    *name = LocalPath_ToBytes(info.fileName());
    if (name->isEmpty() || *name == "." || *name == "..")
        return -1;
    const QByteArray folder = LocalPath_ToBytes(info.absolutePath());
    return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

bool RemoveTreeAt(int dirFd, const QByteArray &name)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/'))
        return false;
    return removeAt(dirFd, name, 0);
}

bool EmptyFolder(int folderFd)
{
    struct stat st;
    return ::fstat(folderFd, &st) == 0 && S_ISDIR(st.st_mode) && emptyFolder(folderFd, st, 0);
}

bool RemoveTreeNoFollow(const QString &path)
{
    QByteArray name;
    const Fd parent(openParent(path, &name));
    if (parent.get() < 0) {
        // The parent is gone: so is the entry.
        return !name.isEmpty() && errno == ENOENT;
    }
    return RemoveTreeAt(parent.get(), name);
}

EntryKind EntryKindOf(const QString &path)
{
    if (path.isEmpty())
        return EntryKind::Missing;
    struct stat st;
    if (::lstat(LocalPath_ToBytes(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Unknown;
    if (S_ISLNK(st.st_mode))
        return EntryKind::Link;
    if (S_ISREG(st.st_mode))
        return EntryKind::RegularFile;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

QList<QByteArray> NamesInFolder(int dirFd)
{
    QList<QByteArray> names;
    // fdopendir takes the descriptor it is given: it gets a copy.
    const int copy = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return names;
    DIR *dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

bool IsPrivateFolder(const QString &path)
{
    struct stat st;
    if (path.isEmpty() || ::lstat(LocalPath_ToBytes(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

namespace {

bool trustedEntry(const QByteArray &native, const struct stat &st, QString *why)
{
    const uid_t me = ::geteuid();
    if (st.st_uid != me && st.st_uid != 0) {
        if (why)
            *why = QStringLiteral("%1 belongs to another user").arg(LocalPath_FromBytes(native));
        return false;
    }
    if (S_ISDIR(st.st_mode) && (st.st_mode & 022) && !(st.st_mode & S_ISVTX)) {
        if (why)
            *why = QStringLiteral("others may write in %1").arg(LocalPath_FromBytes(native));
        return false;
    }
    return true;
}

bool trustedChain(const QString &path, int linksLeft, QString *why)
{
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(u'/')) {
        if (why)
            *why = QStringLiteral("%1 is not an absolute path").arg(path);
        return false;
    }
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString walked;
    for (qsizetype i = -1; i < parts.size(); ++i) {
        walked = i < 0 ? QStringLiteral("/") : (i == 0 ? QString() : walked) + u'/' + parts[i];
        const QByteArray native = LocalPath_ToBytes(walked);
        struct stat st;
        if (::lstat(native.constData(), &st) != 0)
            return true; // made by this user from here on
        if (!trustedEntry(native, st, why))
            return false;
        if (S_ISLNK(st.st_mode)) {
            if (linksLeft == 0) {
                if (why)
                    *why = QStringLiteral("too many links on the way to %1").arg(path);
                return false;
            }
            const QString target = QFileInfo(walked).symLinkTarget();
            QString rest;
            for (qsizetype j = i + 1; j < parts.size(); ++j)
                rest += u'/' + parts[j];
            return trustedChain(target + rest, linksLeft - 1, why);
        }
    }
    return true;
}

} // namespace

bool IsTrustedFolderPath(const QString &path, QString *why)
{
    return trustedChain(path, 8, why);
}

QString TrustedBaseFolder(const char *variable, const QString &named, const QString &homeRelative)
{
    const QString fallback = QDir::cleanPath(QDir::homePath() + u'/' + homeRelative);
    if (named.isEmpty())
        return fallback;
    QString why;
    if (QDir::isAbsolutePath(named) && IsTrustedFolderPath(named, &why))
        return QDir::cleanPath(named);
    if (why.isEmpty())
        why = QStringLiteral("it is not an absolute path");
    Log(QStringLiteral("ERROR %1 (%2) is not used: %3; %4 is used instead")
            .arg(QLatin1String(variable), named, why, fallback));
    return fallback;
}

QString TrustedDataHome()
{
    return TrustedBaseFolder("XDG_DATA_HOME",
                             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                             QStringLiteral(".local/share"));
}

QString TrustedConfigHome()
{
    return TrustedBaseFolder(
        "XDG_CONFIG_HOME", QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QStringLiteral(".config"));
}

bool MakePrivateFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(path);
    const QString parent = QFileInfo(clean).absolutePath();
    if (!QDir().mkpath(parent)) {
        Log(QStringLiteral("ERROR cannot make the folder %1").arg(parent));
        return false;
    }
    const QByteArray native = LocalPath_ToBytes(clean);
    if (::mkdir(native.constData(), kPrivateFolderMode) != 0 && errno != EEXIST) {
        Log(QStringLiteral("ERROR cannot make the folder %1: %2").arg(clean, errnoText(errno)));
        return false;
    }
    Fd folder(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (folder.get() < 0 || ::fstat(folder.get(), &st) != 0) {
        Log(QStringLiteral("ERROR %1 is not a folder (a link or a file stands there)").arg(clean));
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        Log(QStringLiteral("ERROR the folder %1 belongs to another user").arg(clean));
        return false;
    }
    if ((st.st_mode & 07777) != kPrivateFolderMode &&
        ::fchmod(folder.get(), kPrivateFolderMode) != 0) {
        Log(QStringLiteral("ERROR cannot make the folder %1 private").arg(clean));
        return false;
    }
    return true;
}

std::optional<QByteArray> ReadRegularFileNoFollow(const QString &path, qint64 maxBytes,
                                                  QString *why)
{
    if (path.isEmpty()) {
        setWhy(why, QStringLiteral("no path"));
        return std::nullopt;
    }
    // Not blocking: a pipe in its place would hold the open until a writer came.
    Fd file(::open(LocalPath_ToBytes(path).constData(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        setWhy(why, errno == ELOOP ? QStringLiteral("a link, not followed") : errnoText(errno));
        return std::nullopt;
    }
    struct stat st;
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        setWhy(why, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    if (st.st_size > maxBytes) {
        setWhy(why,
               QStringLiteral("%1 bytes, more than the %2 allowed").arg(st.st_size).arg(maxBytes));
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            setWhy(why, errnoText(errno));
            return std::nullopt;
        }
        if (n == 0)
            break;
        // The file may grow while it is read.
        if (bytes.size() + n > maxBytes) {
            setWhy(why, QStringLiteral("more than the %1 bytes allowed").arg(maxBytes));
            return std::nullopt;
        }
        bytes.append(chunk, qsizetype(n));
    }
    return bytes;
}

bool WriteNewPrivateFile(const QString &path, const QByteArray &bytes, QString *why)
{
    if (path.isEmpty()) {
        setWhy(why, QStringLiteral("no path"));
        return false;
    }
    const QByteArray target = LocalPath_ToBytes(path);
    if (EntryKindOf(path) != EntryKind::Missing) {
        setWhy(why, QStringLiteral("an entry is already there"));
        return false;
    }
    // Written whole under a name of its own, then given its name only if that is still free: a
    // crash leaves no half file under the name, and nothing is written through a link.
    QByteArray temp = target + ".XXXXXX";
    Fd file(::mkostemp(temp.data(), O_CLOEXEC));
    if (file.get() < 0) {
        setWhy(why, errnoText(errno));
        return false;
    }
    auto fail = [&](int error) {
        ::unlink(temp.constData());
        setWhy(why, errnoText(error));
        return false;
    };
    if (::fchmod(file.get(), kPrivateFileMode) != 0)
        return fail(errno);
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.constData() + at, size_t(bytes.size() - at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        at += n;
    }
    if (::fsync(file.get()) != 0)
        return fail(errno);
    ::close(file.release());
    // A hard link fails when anything, a dangling link included, took the name meanwhile.
    if (::link(temp.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        setWhy(why,
               error == EEXIST ? QStringLiteral("an entry is already there") : errnoText(error));
        return false;
    }
    ::unlink(temp.constData());
    return true;
}

} // namespace platform
