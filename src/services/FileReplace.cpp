#include "services/FileReplace.h"

#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"
#include "services/FileBytes.h"
#include "services/InterruptedSaves.h"
#include "services/Localization.h"
#include "services/NamedFile.h"
#include "services/NewContent.h"
#include "services/TemporaryRecord.h"

#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <optional>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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
        return FileWriteFailure::DiskFull;
    case EFBIG:
        return FileWriteFailure::FileTooLarge;
    case EISDIR:
    case ENXIO:
    case ELOOP:
        return FileWriteFailure::NotRegularFile;
    case kContentChanged:
        return FileWriteFailure::SourceChanged;
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

// The content to the end of the file, synced, then cut to its length. 0, the error, or
// kContentChanged.
int writeWhole(int fd, const NewContent &content)
{
    if (const int error = content.writeTo(fd))
        return error;
    if (::ftruncate(fd, off_t(content.size())) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// The status of the file open as fd, for the caller to compare later saves with.
void stampOf(int fd, FileStamp *stamp)
{
    struct stat st
    {
    };
    if (stamp && ::fstat(fd, &st) == 0)
        *stamp = FileStamp::of(st);
}

// A new file of its own beside the entry name of the folder held open as folder, 0600 until it
// is complete, removed on every way out (an exception included) unless it took the entry's
// place. Once the exclusive create has made it, it is recorded, so that the next start removes
// it when the process is killed meanwhile (services/TemporaryRecord). fd is -1 when the folder
// takes none.
struct TempBeside
{
    TempBeside(int folder, const QByteArray &target) : dir(folder)
    {
        const QByteArray stem = '.' + target.left(100) + '.';
        error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            const QByteArray tried = stem + randomSuffix();
            fd = Fd(::openat(dir, tried.constData(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!fd.isOpen()) {
                error = errno;
                continue;
            }
            name = tried;
            struct stat made;
            if (::fstat(fd.get(), &made) == 0)
                record.made(dir, name, made);
            error = 0;
        }
    }
    ~TempBeside()
    {
        if (!name.isEmpty())
            ::unlinkat(dir, name.constData(), 0);
    }
    TempBeside(const TempBeside &) = delete;
    TempBeside &operator=(const TempBeside &) = delete;

    static QByteArray randomSuffix()
    {
        static constexpr char kLetters[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        QByteArray suffix;
        for (int k = 0; k < 6; ++k)
            suffix += kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
        return suffix;
    }

    // Declared first, so it goes last: the file is gone or in place by then.
    TemporaryRecord record;
    int dir;
    Fd fd;
    QByteArray name; // empty once it is gone or in place
    int error = 0;   // why it could not be made
};

bool createNew(const NamedFile &file, const NewContent &content, int mode,
               FileWriteFailure *failure, FileStamp *written)
{
    TempBeside temp(file.folder(), file.name());
    if (temp.fd.get() < 0)
        return fail(failure, temp.error == ENOSPC || temp.error == EDQUOT
                                 ? FileWriteFailure::DiskFull
                                 : FileWriteFailure::FolderNotWritable);
    int error = writeWhole(temp.fd.get(), content);
    if (error == 0 && ::fchmod(temp.fd.get(), mode_t(mode)) != 0)
        error = errno;
    // The name is taken only if it is still free: a file made meanwhile is never replaced.
    if (error == 0 && ::linkat(file.folder(), temp.name.constData(), file.folder(),
                               file.name().constData(), 0) != 0)
        error = errno;
    if (error == EEXIST)
        return fail(failure, FileWriteFailure::Other);
    if (error != 0)
        return fail(failure, failureOf(error));
    // Its status once it has only the one name.
    ::unlinkat(file.folder(), temp.name.constData(), 0);
    temp.name.clear();
    stampOf(temp.fd.get(), written);
    return true;
}

// The names of the extended attributes of path (or of fd when path is null); nothing when
// they cannot be listed. A file system without them answers an empty list. path names a file
// through its descriptor ("/proc/self/fd/N"), which is followed to the file.
std::optional<QList<QByteArray>> attributeNames(const char *path, int fd)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = path ? ::listxattr(path, nullptr, 0) : ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? std::optional(QList<QByteArray>()) : std::nullopt;
        QByteArray names(size, Qt::Uninitialized);
        const ssize_t got = path ? ::listxattr(path, names.data(), size_t(size))
                                 : ::flistxattr(fd, names.data(), size_t(size));
        if (got < 0 && errno == ERANGE)
            continue; // the list grew meanwhile
        if (got < 0)
            return std::nullopt;
        names.truncate(got);
        QList<QByteArray> list = names.split('\0');
        list.removeAll(QByteArray());
        return list;
    }
    return std::nullopt;
}

std::optional<QByteArray> attributeValue(const char *path, const QByteArray &name)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = ::getxattr(path, name.constData(), nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t got = ::getxattr(path, name.constData(), value.data(), size_t(size));
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return std::nullopt;
        value.truncate(got);
        return value;
    }
    return std::nullopt;
}

bool hasAttribute(int fd, const QByteArray &name, const QByteArray &value)
{
    QByteArray present(value.size() + 1, Qt::Uninitialized);
    const ssize_t got = ::fgetxattr(fd, name.constData(), present.data(), size_t(present.size()));
    return got == value.size() && present.left(got) == value;
}

// Gives the new file exactly the extended attributes of the old one (access lists, labels, the
// user's own), with the old file's ACL among them: the mode alone would hand the whole group the
// list's mask. False when that cannot be done; then the file is rewritten in place instead.
bool copyAttributes(const QByteArray &from, int toFd)
{
    const std::optional<QList<QByteArray>> names = attributeNames(from.constData(), -1);
    const std::optional<QList<QByteArray>> made = attributeNames(nullptr, toFd);
    if (!names || !made)
        return false;
    for (const QByteArray &name : *names) {
        const std::optional<QByteArray> value = attributeValue(from.constData(), name);
        if (!value)
            return false;
        // The system may have given the new file the same already (a security label).
        if (hasAttribute(toFd, name, *value))
            continue;
        if (::fsetxattr(toFd, name.constData(), value->constData(), size_t(value->size()), 0) != 0)
            return false;
    }
    // What the folder gave the new file and the old one lacks (an inherited access list).
    for (const QByteArray &name : *made) {
        if (!names->contains(name) && ::fremovexattr(toFd, name.constData()) != 0)
            return false;
    }
    return true;
}

enum class RenameResult { Done, Failed, NotPossible };

bool sameEntry(int folder, const QByteArray &name, const struct stat &expected)
{
    struct stat st;
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           st.st_dev == expected.st_dev && st.st_ino == expected.st_ino;
}

// Puts the complete new file in the old one's place by exchanging the two names, so that what
// the name held is never lost: when that was not the file judged (another entry was put there
// since it was looked up), or the name does not hold the new file now, the two go back where they
// were and the answer is ChangedOnDisk. Otherwise the old file, under the temporary name now,
// goes. 0, an error, or kNotExchanged when the file system cannot exchange names.
constexpr int kNotExchanged = -2;
constexpr int kExchangedOther = -3;
int exchangeInto(const NamedFile &file, TempBeside &temp, const struct stat &made)
{
    const int folder = file.folder();
    if (::renameat2(folder, temp.name.constData(), folder, file.name().constData(),
                    RENAME_EXCHANGE) != 0)
        return errno == EINVAL || errno == ENOSYS ? kNotExchanged : errno;
    if (sameEntry(folder, temp.name, file.status()) && sameEntry(folder, file.name(), made)) {
        if (::unlinkat(folder, temp.name.constData(), 0) != 0)
            platform::LogWarning(lcServices, QStringLiteral("*** the old content of %1 stays as %2")
                                                 .arg(LocalPath_FromBytes(file.name()),
                                                      LocalPath_FromBytes(temp.name)));
        temp.name.clear();
        return 0;
    }
    if (::renameat2(folder, temp.name.constData(), folder, file.name().constData(),
                    RENAME_EXCHANGE) != 0) {
        // Whatever stands under the temporary name now is not ours to remove.
        platform::LogWarning(
            lcServices, QStringLiteral("*** %1 was swapped while it was saved; what stood "
                                       "there is left as %2")
                            .arg(LocalPath_FromBytes(file.name()), LocalPath_FromBytes(temp.name)));
        temp.name.clear();
    }
    return kExchangedOther;
}

// Replaces the file by a complete new one, keeping its owner, group and mode. NotPossible when
// the new file could not be made to look like the old one (or not made at all), or the file
// system cannot exchange names.
RenameResult renameOver(const NamedFile &file, const NewContent &content, int mode,
                        FileWriteFailure *failure, FileStamp *written)
{
    // Made beside it and put in its place in the folder it was found in.
    const struct stat &old = file.status();
    TempBeside temp(file.folder(), file.name());
    const int fd = temp.fd.get();
    if (fd < 0)
        return RenameResult::NotPossible;
    struct stat made;
    if (::fstat(fd, &made) != 0 ||
        ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
         ::fchown(fd, old.st_uid, old.st_gid) != 0) ||
        !copyAttributes(file.entryPath(), fd))
        return RenameResult::NotPossible;
    int error = writeWhole(fd, content);
    // After the attributes: with an access list, the group bits are its mask.
    if (error == 0 && ::fchmod(fd, mode_t(mode)) != 0)
        error = errno;
    if (error == 0)
        error = exchangeInto(file, temp, made);
    if (error == kNotExchanged)
        return RenameResult::NotPossible;
    if (error != 0) {
        fail(failure,
             error == kExchangedOther ? FileWriteFailure::ChangedOnDisk : failureOf(error));
        return RenameResult::Failed;
    }
    stampOf(fd, written);
    return RenameResult::Done;
}

// Rewrites the file itself, opened through the descriptor it was judged by. realPath names the
// file in the kept copy and in messages.
bool writeInPlace(const NamedFile &file, const QString &realPath, NewContent &content,
                  int permissions, FileWriteFailure *failure, FileStamp *written)
{
    const struct stat &old = file.status();
    Fd fd(file.reopen(O_RDWR | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return fail(failure, failureOf(errno));
    struct stat now;
    if (::fstat(fd.get(), &now) != 0 || !S_ISREG(now.st_mode) || now.st_ino != old.st_ino ||
        now.st_dev != old.st_dev)
        return fail(failure, FileWriteFailure::NotRegularFile);
    // The kept copy names the new content by its digest, for the next start to know it whole.
    QByteArray digest;
    if (const int error = content.digest(&digest))
        return fail(failure, error == kContentChanged ? FileWriteFailure::SourceChanged
                                                      : FileWriteFailure::Other);
    // The old bytes go aside a block at a time: never the whole file in memory.
    KeptOldContent kept;
    if (const int error = KeepOldContent(realPath, fd.get(), now, content.size(), digest, &kept))
        return fail(failure, error == ENOSPC || error == EDQUOT || error == EFBIG
                                 ? failureOf(error)
                                 : FileWriteFailure::Other);
    // Room is asked for before the first byte changes, where the file system can say.
    if (content.size() > now.st_size &&
        ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, off_t(content.size())) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        const int error = errno;
        DropOldContent(&kept);
        return fail(failure, failureOf(error));
    }
    if (const int error = writeWhole(fd.get(), content)) {
        if (PutOldContentBack(kept, fd.get()) == 0) {
            DropOldContent(&kept);
        } else {
            platform::LogWarning(lcServices,
                                 QStringLiteral("ERROR %1 could not be put back as it was; its old "
                                                "content is kept in %2 and offered back at the "
                                                "next start")
                                     .arg(realPath, LocalPath_FromBytes(kept.path)));
        }
        return fail(failure, failureOf(error));
    }
    DropOldContent(&kept);
    if (permissions >= 0 && mode_t(permissions) != (now.st_mode & 07777) &&
        ::fchmod(fd.get(), mode_t(permissions)) != 0)
        platform::LogWarning(lcServices,
                             QStringLiteral("*** cannot set permissions of %1").arg(realPath));
    stampOf(fd.get(), written);
    return true;
}

// Why nothing can be written at a name that leads to no file.
FileWriteFailure missingFailure(const NamedFile &file)
{
    const int error = file.error();
    if (!file.folderOpen())
        return error == ENOENT || error == ENOTDIR ? FileWriteFailure::FolderNotWritable
                                                   : failureOf(error);
    // A link the user named that leads nowhere is not turned into a file.
    return error == ENOENT && file.viaLink() ? FileWriteFailure::NotRegularFile : failureOf(error);
}

// Writes the bytes over what the name was found to lead to, through the descriptors it was
// found by. realPath (may be empty): the file's path for others, as ReplaceFileContent takes it.
// *written gets the status of the file written.
bool writeFound(const NamedFile &file, const QString &path, const QString &realPath,
                NewContent &content, int permissions, int defaultMode, FileWriteFailure *failure,
                FileWriteWay *way, FileStamp *written)
{
    if (!file.exists()) {
        if (!file.folderOpen() || file.error() != ENOENT || file.viaLink())
            return fail(failure, missingFailure(file));
        if (way)
            *way = FileWriteWay::Created;
        return createNew(file, content, permissions >= 0 ? permissions : defaultMode, failure,
                         written);
    }
    const struct stat &old = file.status();
    if (!S_ISREG(old.st_mode))
        return fail(failure, FileWriteFailure::NotRegularFile);
    const int mode = permissions >= 0 ? permissions : int(old.st_mode & 07777);
    // A second name would keep the old text: such a file is only ever rewritten in place.
    if (old.st_nlink == 1) {
        if (way)
            *way = FileWriteWay::Renamed;
        switch (renameOver(file, content, mode, failure, written)) {
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
    // The kept old content names the file where it lies, as the kernel names the entry found
    // (no link on the way), for the next start to walk to without following one.
    QString shown = file.realPath();
    if (!shown.startsWith(u'/') || shown.endsWith(QLatin1String(" (deleted)")))
        shown = realPath;
    return writeInPlace(file, shown.isEmpty() ? path : shown, content, permissions, failure,
                        written);
}

// Looks the name up once and writes through what was found, when it is what the caller
// expected (null: anything).
bool replaceNamed(const QString &path, const QString &realPath, NewContent &content,
                  int permissions, int defaultMode, FileWriteFailure *failure, FileWriteWay *way,
                  bool followLink, const FileIdentity *expected, FileIdentity *written)
{
    if (failure)
        *failure = FileWriteFailure::None;
    IgnoreFileSizeSignal();
    if (path.isEmpty())
        return fail(failure, FileWriteFailure::Other);
    const NamedFile file(path, followLink);
    FileIdentity found = file.identity();
    if (expected && expected->known && found != *expected)
        return fail(failure, FileWriteFailure::ChangedOnDisk);
    if (!writeFound(file, path, realPath, content, permissions, defaultMode, failure, way,
                    &found.file))
        return false;
    if (written) {
        found.exists = true;
        *written = found;
    }
    return true;
}

// The umask as the kernel reports it (Linux 4.7 on); -1 when it does not.
int umaskFromStatus()
{
    const Fd fd(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return -1;
    QByteArray status;
    char block[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0 || status.size() > (1 << 16))
            break;
        status.append(block, n);
    }
    const qsizetype at = status.indexOf("\nUmask:");
    if (at < 0)
        return -1;
    const qsizetype end = status.indexOf('\n', at + 1);
    bool ok = false;
    const int mask = status.mid(at + 7, end < 0 ? -1 : end - at - 7).trimmed().toInt(&ok, 8);
    return ok && mask >= 0 && mask <= 0777 ? mask : -1;
}

// Setting the umask to read it would give files that other threads make meanwhile no mask at
// all: it is read once, before main, where no other thread runs yet.
mode_t umaskAtStart()
{
    const int mask = umaskFromStatus();
    if (mask >= 0)
        return mode_t(mask);
    const mode_t set = ::umask(0);
    ::umask(set);
    return set;
}
const mode_t gUmaskAtStart = umaskAtStart();

} // namespace

void IgnoreFileSizeSignal()
{
    struct sigaction current
    {
    };
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
        return;
    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
}

int DefaultNewFileMode()
{
    const int mask = umaskFromStatus();
    return int(0666 & ~mode_t(mask >= 0 ? mask : gUmaskAtStart));
}

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
    case FileWriteFailure::FileTooLarge:
        return L_("The file is larger than the limit this process may write.");
    case FileWriteFailure::NotRegularFile:
        return L_("It is no longer a regular file.");
    case FileWriteFailure::ChangedOnDisk:
        return L_("It was changed on disk since it was read.");
    case FileWriteFailure::SourceChanged:
        return L_("It changed while it was copied.");
    case FileWriteFailure::CannotEncode:
        return L_("The text cannot be written in the chosen encoding.");
    case FileWriteFailure::Other:
        break;
    }
    return L_("The file could not be written.");
}

bool ReplaceFileContent(const QString &path, const QByteArray &bytes, int permissions,
                        int defaultMode, FileWriteFailure *failure, FileWriteWay *way,
                        LinkAtPath link, const QString &realPath)
{
    // Refused, a link put there since the caller looked is a non-regular file like any other.
    NewContent content(bytes);
    return replaceNamed(path, realPath, content, permissions, defaultMode, failure, way,
                        link == LinkAtPath::Follow, nullptr, nullptr);
}

bool ReplaceFileContentFrom(const QString &path, int sourceFd, qint64 size, int permissions,
                            int defaultMode, FileWriteFailure *failure, FileWriteWay *way,
                            LinkAtPath link, const QString &realPath,
                            const std::atomic<bool> *cancel)
{
    NewContent content(sourceFd, size, cancel);
    return replaceNamed(path, realPath, content, permissions, defaultMode, failure, way,
                        link == LinkAtPath::Follow, nullptr, nullptr);
}

bool ReplaceReadFileContent(const QString &path, const FileIdentity &expected,
                            const QByteArray &bytes, int permissions, int defaultMode,
                            FileWriteFailure *failure, FileIdentity *written)
{
    NewContent content(bytes);
    return replaceNamed(path, QString(), content, permissions, defaultMode, failure, nullptr,
                        !expected.known || expected.viaLink, &expected, written);
}

bool ReplaceReadFileContentFrom(const QString &path, const FileIdentity &expected, int sourceFd,
                                qint64 size, int permissions, int defaultMode,
                                FileWriteFailure *failure, FileIdentity *written,
                                const ContentProgress &progress)
{
    NewContent content(sourceFd, size, nullptr, progress);
    return replaceNamed(path, QString(), content, permissions, defaultMode, failure, nullptr,
                        !expected.known || expected.viaLink, &expected, written);
}
