#include "services/FileReplace.h"

#include "platform/Log.h"
#include "services/Localization.h"
#include "services/SupportFolder.h"
#include "platform/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Fd = platform::UniqueFd;

FileWriteFailure failureOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return FileWriteFailure::ReadOnlyFile;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileWriteFailure::DiskFull;
    case EISDIR:
    case ENXIO:
    case ELOOP:
        return FileWriteFailure::NotRegularFile;
    default:
        return FileWriteFailure::Other;
    }
}

bool fail(FileWriteFailure *failure, FileWriteFailure why)
{
    if (failure)
        *failure = why;
    return false;
}

// Writes all the bytes from the start of the file. 0, or the error.
int writeAllAt(int fd, const QByteArray &bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + at, size_t(bytes.size() - at), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        at += n;
    }
    return 0;
}

int readAllAt(int fd, qint64 size, QByteArray *out)
{
    out->resize(qsizetype(size));
    qint64 at = 0;
    while (at < size) {
        const ssize_t n = ::pread(fd, out->data() + at, size_t(size - at), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        at += n;
    }
    out->resize(qsizetype(at));
    return 0;
}

// The bytes to the end of the file, synced, then cut to their length. 0, or the error.
int writeWhole(int fd, const QByteArray &bytes)
{
    if (const int error = writeAllAt(fd, bytes))
        return error;
    if (::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// Where a link the user named leads; the path itself otherwise.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}

// A new file of its own beside target, 0600 until it is complete. -1 when the folder takes none.
int makeTempBeside(const QString &target, QByteArray *tempName)
{
    const QFileInfo info(target);
    *tempName = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                  QStringLiteral(".XXXXXX"));
    return ::mkostemp(tempName->data(), O_CLOEXEC);
}

bool createNew(const QString &target, const QByteArray &bytes, int mode, FileWriteFailure *failure)
{
    QByteArray temp;
    Fd fd(makeTempBeside(target, &temp));
    if (fd.get() < 0)
        return fail(failure, errno == ENOSPC || errno == EDQUOT
                                 ? FileWriteFailure::DiskFull
                                 : FileWriteFailure::FolderNotWritable);
    int error = writeWhole(fd.get(), bytes);
    if (error == 0 && ::fchmod(fd.get(), mode_t(mode)) != 0)
        error = errno;
    fd.reset();
    // The name is taken only if it is still free: a file made meanwhile is never replaced.
    if (error == 0 && ::link(temp.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    ::unlink(temp.constData());
    if (error == EEXIST)
        return fail(failure, FileWriteFailure::Other);
    return error == 0 || fail(failure, failureOf(error));
}

enum class RenameResult { Done, Failed, NotPossible };

// Replaces target by a complete new file, keeping its owner, group and mode. NotPossible when
// the new file could not be made to look like the old one (or not made at all).
RenameResult renameOver(const QString &target, const struct stat &old, const QByteArray &bytes,
                        int mode, FileWriteFailure *failure)
{
    QByteArray temp;
    Fd fd(makeTempBeside(target, &temp));
    if (fd.get() < 0)
        return RenameResult::NotPossible;
    struct stat made;
    if (::fstat(fd.get(), &made) != 0 ||
        ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
         ::fchown(fd.get(), old.st_uid, old.st_gid) != 0)) {
        fd.reset();
        ::unlink(temp.constData());
        return RenameResult::NotPossible;
    }
    int error = writeWhole(fd.get(), bytes);
    if (error == 0 && ::fchmod(fd.get(), mode_t(mode)) != 0)
        error = errno;
    fd.reset();
    if (error == 0 && ::rename(temp.constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        fail(failure, failureOf(error));
        return RenameResult::Failed;
    }
    return RenameResult::Done;
}

// The old bytes, kept on disk while the file itself is rewritten, so that even a crash in the
// middle leaves them somewhere. Null when they could not be kept.
QString keepAside(const QString &target, const QByteArray &old, int *error)
{
    const QString folder = GetProcessTempFolder();
    if (folder.isEmpty()) {
        *error = EACCES;
        return {};
    }
    QByteArray name = QFile::encodeName(folder + QStringLiteral("/aside-") +
                                        QFileInfo(target).fileName() + QStringLiteral("-XXXXXX"));
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        *error = errno;
        return {};
    }
    *error = writeWhole(fd.get(), old);
    if (*error != 0) {
        ::unlink(name.constData());
        return {};
    }
    return QFile::decodeName(name);
}

bool writeInPlace(const QString &target, const struct stat &old, const QByteArray &bytes,
                  int permissions, FileWriteFailure *failure)
{
    Fd fd(::open(QFile::encodeName(target).constData(),
                 O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return fail(failure, failureOf(errno));
    struct stat now;
    if (::fstat(fd.get(), &now) != 0 || !S_ISREG(now.st_mode) || now.st_ino != old.st_ino ||
        now.st_dev != old.st_dev)
        return fail(failure, FileWriteFailure::NotRegularFile);
    QByteArray previous;
    if (int error = readAllAt(fd.get(), now.st_size, &previous))
        return fail(failure, failureOf(error));
    int error = 0;
    const QString aside = keepAside(target, previous, &error);
    if (aside.isEmpty())
        return fail(failure, error == ENOSPC || error == EDQUOT ? FileWriteFailure::DiskFull
                                                                : FileWriteFailure::Other);
    // Room is asked for before the first byte changes, where the file system can say.
    if (bytes.size() > previous.size() &&
        ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        error = errno;
        QFile::remove(aside);
        return fail(failure, failureOf(error));
    }
    error = writeWhole(fd.get(), bytes);
    if (error != 0) {
        if (writeWhole(fd.get(), previous) == 0) {
            QFile::remove(aside);
        } else {
            platform::LogWarning(lcServices,
                                 QStringLiteral("ERROR %1 could not be put back as it was; its old "
                                                "content is kept in %2")
                                     .arg(target, aside));
        }
        return fail(failure, failureOf(error));
    }
    QFile::remove(aside);
    if (permissions >= 0 && mode_t(permissions) != (now.st_mode & 07777) &&
        ::fchmod(fd.get(), mode_t(permissions)) != 0)
        platform::LogWarning(lcServices,
                             QStringLiteral("*** cannot set permissions of %1").arg(target));
    return true;
}

} // namespace

QString FileWriteFailureText(FileWriteFailure failure)
{
    switch (failure) {
    case FileWriteFailure::None:
        return {};
    case FileWriteFailure::ReadOnlyFile:
        return L_("The file is read-only, or its disk cannot be written.");
    case FileWriteFailure::FolderNotWritable:
        return L_("No file can be made in its folder.");
    case FileWriteFailure::DiskFull:
        return L_("The disk is full.");
    case FileWriteFailure::NotRegularFile:
        return L_("It is no longer a regular file.");
    case FileWriteFailure::CannotEncode:
        return L_("The text cannot be written in the chosen encoding.");
    case FileWriteFailure::Other:
        break;
    }
    return L_("The file could not be written.");
}

bool ReplaceFileContent(const QString &path, const QByteArray &bytes, int permissions,
                        int defaultMode, FileWriteFailure *failure, FileWriteWay *way)
{
    if (failure)
        *failure = FileWriteFailure::None;
    if (path.isEmpty())
        return fail(failure, FileWriteFailure::Other);
    const QString target = resolvedTarget(path);
    struct stat old;
    if (::lstat(QFile::encodeName(target).constData(), &old) != 0) {
        if (errno != ENOENT)
            return fail(failure, failureOf(errno));
        if (way)
            *way = FileWriteWay::Created;
        return createNew(target, bytes, permissions >= 0 ? permissions : defaultMode, failure);
    }
    if (!S_ISREG(old.st_mode))
        return fail(failure, FileWriteFailure::NotRegularFile);
    const int mode = permissions >= 0 ? permissions : int(old.st_mode & 07777);
    // A second name would keep the old text: such a file is only ever rewritten in place.
    if (old.st_nlink == 1) {
        if (way)
            *way = FileWriteWay::Renamed;
        switch (renameOver(target, old, bytes, mode, failure)) {
        case RenameResult::Done:
            return true;
        case RenameResult::Failed:
            return false;
        case RenameResult::NotPossible:
            break;
        }
    }
    if (way)
        *way = FileWriteWay::InPlace;
    return writeInPlace(target, old, bytes, permissions, failure);
}
