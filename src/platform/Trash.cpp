#include "platform/Trash.h"

#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Names tried before giving up: the plain name, numbered ones, then a few random ones.
constexpr int kNumberedNames = 100;
constexpr int kRandomNames = 16;
// A trashed name with its longest suffix (".123.trashinfo", "-xxxxxxxx.trashinfo") must still
// fit the 255 bytes a file name may have.
constexpr qsizetype kMaxBaseNameBytes = 255 - 20;
// Missing folders on the way to the home trash; a deeper path is not a data folder.
constexpr int kMaxMissingFolders = 32;

using Fd = platform::UniqueFd;

// A trash folder's two halves, open, so that nothing swapped in under their names later is used.
struct OpenTrash
{
    Fd files;
    Fd info;
    QString filesPath;
    // The top of the file system for a top-directory trash, empty for the home trash.
    QString topDir;
};

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The folder `name` inside dirFd, made 0700 when missing, open without following a link, and
// only when it is a folder of uid's.
Fd openOwnedFolderAt(int dirFd, const QByteArray &name, uid_t uid)
{
    if (::mkdirat(dirFd, name.constData(), 0700) != 0 && errno != EEXIST)
        return Fd();
    Fd folder(::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isOpen())
        return Fd();
    struct stat st;
    if (::fstat(folder.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid) {
        errno = EPERM;
        return Fd();
    }
    return folder;
}

// Opens files/ and info/ of the trash folder open as trashFd, making them when missing.
bool openHalves(int trashFd, const QString &trashPath, uid_t uid, OpenTrash *trash)
{
    trash->files = openOwnedFolderAt(trashFd, QByteArrayLiteral("files"), uid);
    if (trash->files.isOpen())
        trash->info = openOwnedFolderAt(trashFd, QByteArrayLiteral("info"), uid);
    if (!trash->files.isOpen() || !trash->info.isOpen()) {
        Log(lcPlatform,
            QStringLiteral("ERROR the trash %1 has no usable files and info folders: %2")
                .arg(trashPath, errnoText(errno)));
        return false;
    }
    trash->filesPath = joined(trashPath, QStringLiteral("files"));
    return true;
}

// Makes the missing folders of path private to this user (a data folder holds user files).
bool makeFolders(const QString &path)
{
    QStringList missing;
    QString current = path;
    struct stat st;
    while (::stat(LocalPath_ToBytes(current).constData(), &st) != 0) {
        if (errno != ENOENT || current == QLatin1String("/") ||
            missing.size() >= kMaxMissingFolders)
            return false;
        missing.prepend(current);
        current = parentOf(current);
    }
    if (!S_ISDIR(st.st_mode))
        return false;
    for (const QString &folder : missing) {
        if (::mkdir(LocalPath_ToBytes(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool openHomeTrash(const TrashContext &context, OpenTrash *trash)
{
    const QString homeTrash = QDir::cleanPath(context.homeTrash);
    const QString dataFolder = parentOf(homeTrash);
    if (!makeFolders(dataFolder)) {
        Log(lcPlatform, QStringLiteral("ERROR cannot make the folder %1").arg(dataFolder));
        return false;
    }
    const Fd data(
        ::open(LocalPath_ToBytes(dataFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!data.isOpen())
        return false;
    const Fd home(openOwnedFolderAt(data.get(), LocalPath_ToBytes(QFileInfo(homeTrash).fileName()),
                                    context.uid));
    if (!home.isOpen()) {
        Log(lcPlatform, QStringLiteral("ERROR the trash %1 is not a folder of this user's: %2")
                            .arg(homeTrash, errnoText(errno)));
        return false;
    }
    return openHalves(home.get(), homeTrash, context.uid, trash);
}

// topDir/.Trash/<uid>: only under a shared .Trash that the administrator set up as such, a real
// folder of root's with the sticky bit. Another user's .Trash, even a sticky one, stays that
// user's to close or empty: our trashed items would be theirs to hide.
bool openSharedTopDirTrash(int topFd, const QString &topDir, uid_t uid, OpenTrash *trash)
{
    const Fd shared(::openat(topFd, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!shared.isOpen())
        return false;
    struct stat st;
    if (::fstat(shared.get(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_ISVTX)) {
        Log(lcPlatform,
            QStringLiteral("ERROR %1/.Trash is not a shared trash (no sticky bit): not used")
                .arg(topDir));
        return false;
    }
    if (st.st_uid != 0) {
        Log(lcPlatform, QStringLiteral("ERROR %1/.Trash belongs to user %2, not to root: not used")
                            .arg(topDir)
                            .arg(st.st_uid));
        return false;
    }
    const QByteArray uidName = QByteArray::number(quint64(uid));
    const Fd mine(openOwnedFolderAt(shared.get(), uidName, uid));
    const QString path = joined(topDir, QStringLiteral(".Trash/") + QString::fromLatin1(uidName));
    if (!mine.isOpen()) {
        Log(lcPlatform,
            QStringLiteral("ERROR %1 is not a folder of this user's: not used").arg(path));
        return false;
    }
    return openHalves(mine.get(), path, uid, trash);
}

bool openTopDirTrash(const QString &topDir, uid_t uid, OpenTrash *trash)
{
    const Fd top(::open(LocalPath_ToBytes(topDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.isOpen())
        return false;
    trash->topDir = topDir;
    if (openSharedTopDirTrash(top.get(), topDir, uid, trash))
        return true;
    const QByteArray name = ".Trash-" + QByteArray::number(quint64(uid));
    const Fd own(openOwnedFolderAt(top.get(), name, uid));
    const QString path = joined(topDir, QString::fromLatin1(name));
    if (!own.isOpen()) {
        Log(lcPlatform,
            QStringLiteral("ERROR the trash %1 cannot be used: %2").arg(path, errnoText(errno)));
        return false;
    }
    return openHalves(own.get(), path, uid, trash);
}

// The item's path with its folder resolved, so that it names the file system the item lies on.
QString physicalPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString name = QFileInfo(clean).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    const QString folder = LocalPath_Canonical(parentOf(clean));
    return folder.isEmpty() ? QString() : joined(folder, name);
}

// The device of path, or of its nearest existing folder when it is missing.
bool deviceOfNearest(QString path, dev_t *device)
{
    struct stat st;
    for (int i = 0; i <= kMaxMissingFolders; ++i) {
        if (::stat(LocalPath_ToBytes(path).constData(), &st) == 0) {
            *device = st.st_dev;
            return true;
        }
        if (errno != ENOENT || path == QLatin1String("/"))
            return false;
        path = parentOf(path);
    }
    return false;
}

// The folder the file system holding folder (a resolved path, on device) is mounted at.
QString mountTopOf(const QString &folder, dev_t device)
{
    QString current = folder;
    while (current != QLatin1String("/")) {
        const QString up = parentOf(current);
        struct stat st;
        if (::stat(LocalPath_ToBytes(up).constData(), &st) != 0)
            return QString();
        if (st.st_dev != device)
            return current;
        current = up;
    }
    return current;
}

QByteArray infoText(const QString &physical, const QString &topDir)
{
    QString stored = physical;
    if (!topDir.isEmpty())
        stored = physical.mid(topDir == QLatin1String("/") ? 1 : topDir.size() + 1);
    return QByteArrayLiteral("[Trash Info]\nPath=") +
           LocalPath_ToBytes(stored).toPercentEncoding("/") + QByteArrayLiteral("\nDeletionDate=") +
           QDateTime::currentDateTime()
               .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
               .toLatin1() +
           '\n';
}

QByteArray baseName(QString name)
{
    while (LocalPath_ToBytes(name).size() > kMaxBaseNameBytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return LocalPath_ToBytes(name);
}

QByteArray candidateName(const QByteArray &base, int attempt)
{
    if (attempt == 0)
        return base;
    if (attempt < kNumberedNames)
        return base + '.' + QByteArray::number(attempt + 1);
    return base + '-' + QByteArray::number(QRandomGenerator::global()->generate(), 16);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return ::fsync(fd) == 0;
}

// Renames without replacing what is there (EEXIST when something is).
int renameNoReplace(int fromFd, const QByteArray &from, int toFd, const QByteArray &to)
{
    if (::renameat2(fromFd, from.constData(), toFd, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: look first, then rename.
    struct stat st;
    if (::fstatat(toFd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(fromFd, from.constData(), toFd, to.constData()) == 0 ? 0 : errno;
}

enum class Attempt { Moved, NameTaken, Failed };

// The info file first, made new so that no planted file or link is written through, then the
// item; the info file goes again when the item cannot follow it.
Attempt moveUnder(OpenTrash &trash, int fromFd, const QByteArray &from, const QByteArray &name,
                  const QByteArray &info)
{
    const QByteArray infoName = name + ".trashinfo";
    Fd file(::openat(trash.info.get(), infoName.constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.isOpen())
        return errno == EEXIST ? Attempt::NameTaken : Attempt::Failed;
    const bool written = writeAll(file.get(), info);
    file = Fd();
    const int error = written ? renameNoReplace(fromFd, from, trash.files.get(), name) : EIO;
    if (error == 0)
        return Attempt::Moved;
    ::unlinkat(trash.info.get(), infoName.constData(), 0);
    errno = error;
    return error == EEXIST || error == ENOTEMPTY ? Attempt::NameTaken : Attempt::Failed;
}

// Moves the entry fromName of the folder open as from, whose real path is physical.
bool moveInto(OpenTrash &trash, int from, const QByteArray &fromName, const QString &physical,
              QString *trashedAs)
{
    struct stat st;
    if (::fstatat(from, fromName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const QByteArray info = infoText(physical, trash.topDir);
    const QByteArray base = baseName(LocalPath_FromBytes(fromName));
    for (int attempt = 0; attempt < kNumberedNames + kRandomNames; ++attempt) {
        const QByteArray name = candidateName(base, attempt);
        switch (moveUnder(trash, from, fromName, name, info)) {
        case Attempt::Moved:
            if (trashedAs)
                *trashedAs = joined(trash.filesPath, LocalPath_FromBytes(name));
            return true;
        case Attempt::NameTaken:
            continue;
        case Attempt::Failed:
            Log(lcPlatform, QStringLiteral("ERROR cannot move %1 to the trash: %2")
                                .arg(physical, errnoText(errno)));
            return false;
        }
    }
    Log(lcPlatform, QStringLiteral("ERROR no free name in the trash for %1").arg(physical));
    return false;
}

bool moveInto(OpenTrash &trash, const QString &physical, QString *trashedAs)
{
    const Fd from(::open(LocalPath_ToBytes(parentOf(physical)).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return from.isOpen() &&
           moveInto(trash, from.get(), LocalPath_ToBytes(QFileInfo(physical).fileName()), physical,
                    trashedAs);
}

// Where the folder held open as fd lies now, as the kernel names it; empty when it is not
// reachable by a path (removed, or outside this process's root).
QString heldFolderPath(int fd)
{
    QByteArray target(4096, Qt::Uninitialized);
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size() || target[0] != '/')
        return QString();
    target.truncate(n);
    struct stat named, held;
    // A removed folder reads as "<path> (deleted)": that path names nothing, or something else.
    if (::stat(target.constData(), &named) != 0 || ::fstat(fd, &held) != 0 ||
        named.st_dev != held.st_dev || named.st_ino != held.st_ino)
        return QString();
    return LocalPath_FromBytes(target);
}

} // namespace

TrashContext CurrentUserTrash()
{
    TrashContext context;
    const QString data = TrustedDataHome();
    if (!data.isEmpty())
        context.homeTrash = QDir::cleanPath(data) + QStringLiteral("/Trash");
    context.uid = ::geteuid();
    return context;
}

bool MoveItemToTrash(const QString &path, const TrashContext &context, QString *trashedAs)
{
    const QString physical = path.isEmpty() ? QString() : physicalPath(path);
    if (physical.isEmpty() || !context.homeTrash.startsWith(QLatin1Char('/')))
        return false;
    const QString folder = parentOf(physical);
    struct stat st;
    dev_t homeDevice = 0;
    if (::stat(LocalPath_ToBytes(folder).constData(), &st) != 0 ||
        !deviceOfNearest(parentOf(QDir::cleanPath(context.homeTrash)), &homeDevice))
        return false;
    if (st.st_dev == homeDevice) {
        OpenTrash trash;
        return openHomeTrash(context, &trash) && moveInto(trash, physical, trashedAs);
    }
    const QString top = mountTopOf(folder, st.st_dev);
    if (top.isEmpty())
        return false;
    return MoveItemToTopDirTrash(physical, top, context.uid, trashedAs);
}

bool MoveItemAtToTrash(int folderFd, const QByteArray &name, const TrashContext &context,
                       QString *trashedAs)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/') ||
        !context.homeTrash.startsWith(QLatin1Char('/')))
        return false;
    const QString folder = heldFolderPath(folderFd);
    struct stat st;
    dev_t homeDevice = 0;
    if (folder.isEmpty() || ::fstat(folderFd, &st) != 0 ||
        !deviceOfNearest(parentOf(QDir::cleanPath(context.homeTrash)), &homeDevice))
        return false;
    const QString physical = joined(folder, LocalPath_FromBytes(name));
    OpenTrash trash;
    if (st.st_dev == homeDevice)
        return openHomeTrash(context, &trash) &&
               moveInto(trash, folderFd, name, physical, trashedAs);
    const QString top = mountTopOf(folder, st.st_dev);
    return !top.isEmpty() && openTopDirTrash(top, context.uid, &trash) &&
           moveInto(trash, folderFd, name, physical, trashedAs);
}

bool MoveItemToTopDirTrash(const QString &path, const QString &topDir, uid_t uid,
                           QString *trashedAs)
{
    const QString physical = path.isEmpty() ? QString() : physicalPath(path);
    const QString top = LocalPath_Canonical(topDir);
    if (physical.isEmpty() || top.isEmpty() ||
        !(top == QLatin1String("/") || physical.startsWith(top + QLatin1Char('/'))))
        return false;
    OpenTrash trash;
    return openTopDirTrash(top, uid, &trash) && moveInto(trash, physical, trashedAs);
}

} // namespace platform
