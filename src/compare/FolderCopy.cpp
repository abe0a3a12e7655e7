#include "compare/FolderCopy.h"

#include "compare/CopyTemporary.h"
#include "platform/UniqueFd.h"
#include "services/FileReplace.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Fd = platform::UniqueFd;

constexpr size_t kBlock = size_t{1024} * 1024;
// An existing file is replaced from its whole new content in memory, the way a save replaces it.
// Larger files are renamed over it, and only where that changes nothing but the content.
constexpr qint64 kMaxReplacedInMemory = qint64{512} << 20;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load();
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// The names of a relative path; empty when it has none or names "." or "..".
QList<QByteArray> namesOfPath(const QByteArray &relative)
{
    QList<QByteArray> names;
    for (const QByteArray &name : relative.split('/')) {
        if (name.isEmpty())
            continue;
        if (name == "." || name == "..")
            return {};
        names.append(name);
    }
    return names;
}

// Where a copy goes: a name in a folder held open, and its path as messages show it.
struct Place
{
    int folder;
    QByteArray name;
    QByteArray shown;
};

QString linkRefused(const QByteArray &path)
{
    return QStringLiteral("%1 is a link; nothing was copied into it").arg(QFile::decodeName(path));
}

bool statAt(int folder, const QByteArray &name, struct stat *st)
{
    return ::fstatat(folder, name.constData(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The folder name in folder, never through a link; made (mode as mkdir takes it) when missing and
// make is set. Not open, with the reason, when there is no such folder.
Fd folderAt(int folder, const QByteArray &name, const QByteArray &shown, mode_t mode, bool make,
            QString *reason)
{
    for (int attempt = 0;; ++attempt) {
        Fd fd(::openat(folder, name.constData(), kFolderFlags));
        if (fd.isOpen())
            return fd;
        const int error = errno;
        if (error == ENOENT && make && attempt == 0) {
            if (::mkdirat(folder, name.constData(), mode) == 0 || errno == EEXIST)
                continue;
            *reason = errnoText(errno);
            return Fd();
        }
        struct stat st
        {
        };
        if (statAt(folder, name, &st) && S_ISLNK(st.st_mode))
            *reason = linkRefused(shown);
        else if (error == ENOTDIR)
            *reason = QStringLiteral("a file stands in its place");
        else
            *reason = errnoText(error);
        return Fd();
    }
}

// The names in a folder, "." and ".." left out.
bool namesIn(const QByteArray &folder, std::vector<QByteArray> *names, int *error)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        *error = errno;
        return false;
    }
    while (const dirent *e = ::readdir(dir)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        names->emplace_back(n);
    }
    ::closedir(dir);
    return true;
}

// The source's permission bits for a copy owned by owner and group. Set-user-id and set-group-id
// stay only where the copy keeps the source's owner and group: otherwise they would hand the
// copier's rights to whoever runs the copy.
mode_t copyMode(const struct stat &source, uid_t owner, gid_t group)
{
    mode_t mode = source.st_mode & 07777;
    if (owner != source.st_uid || group != source.st_gid)
        mode &= ~mode_t(S_ISUID | S_ISGID);
    return mode;
}

bool writeAll(int fd, const char *data, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        n -= size_t(w);
    }
    return true;
}

CopyOutcome streamInto(int in, int out, const std::atomic<bool> *cancel, QString *reason)
{
    std::vector<char> buf(kBlock);
    for (;;) {
        if (cancelled(cancel))
            return CopyOutcome::Cancelled;
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (n > 0 && !writeAll(out, buf.data(), size_t(n)))) {
            *reason = errnoText(errno);
            return CopyOutcome::Failed;
        }
        if (n == 0)
            return CopyOutcome::Copied;
    }
}

CopyOutcome readWhole(int in, const std::atomic<bool> *cancel, QByteArray *bytes, QString *reason)
{
    for (;;) {
        if (cancelled(cancel))
            return CopyOutcome::Cancelled;
        const qsizetype at = bytes->size();
        if (at > kMaxReplacedInMemory) {
            *reason = QStringLiteral("it grew while it was copied");
            return CopyOutcome::Failed;
        }
        bytes->resize(at + qsizetype(kBlock));
        const ssize_t n = ::read(in, bytes->data() + at, kBlock);
        bytes->resize(at + qMax<qsizetype>(n, 0));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *reason = errnoText(errno);
            return CopyOutcome::Failed;
        }
        if (n == 0)
            return CopyOutcome::Copied;
    }
}

// Writes the source into a temporary file beside the place and renames it there. With old (what
// stands there now), the new file first takes its owner and group, and the copy is refused where
// a rename would change more than the content.
CopyOutcome writeAndRename(int in, const struct stat &st, const Place &place,
                           const struct stat *old, bool replace, const std::atomic<bool> *cancel,
                           QString *reason)
{
    CopyTemporary temp(place.folder);
    Fd out(temp.createFile(place.name));
    struct stat made
    {
    };
    if (!out.isOpen() || ::fstat(out.get(), &made) != 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    if (old && (old->st_nlink > 1 || ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
                                      ::fchown(out.get(), old->st_uid, old->st_gid) != 0))) {
        *reason = QStringLiteral("it cannot be replaced here without changing its owner, "
                                 "its group or its other names");
        return CopyOutcome::Failed;
    }
    const uid_t owner = old ? old->st_uid : made.st_uid;
    const gid_t group = old ? old->st_gid : made.st_gid;
    const CopyOutcome outcome = streamInto(in, out.get(), cancel, reason);
    if (outcome != CopyOutcome::Copied)
        return outcome;
    // Permissions and time before the rename, so the target is never seen half made.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.get(), copyMode(st, owner, group)) != 0 || ::futimens(out.get(), times) != 0 ||
        ::close(out.release()) != 0 || !temp.placeAs(place.name, replace)) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

// Replaces an existing file as a save replaces it: its owner, group and other names stay.
CopyOutcome replaceFile(int in, const struct stat &st, const Place &place, const struct stat &old,
                        const std::atomic<bool> *cancel, QString *reason)
{
    // The file is named through the folder held open, so no link above it is followed.
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(place.folder) + '/' + place.name;
    const QString spelled = QFile::decodeName(path);
    if (st.st_size > kMaxReplacedInMemory || QFile::encodeName(spelled) != path)
        return writeAndRename(in, st, place, &old, true, cancel, reason);
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size) + qsizetype(kBlock));
    const CopyOutcome outcome = readWhole(in, cancel, &bytes, reason);
    if (outcome != CopyOutcome::Copied)
        return outcome;
    const int mode = int(copyMode(st, old.st_uid, old.st_gid));
    FileWriteFailure failure = FileWriteFailure::None;
    // A link swapped in since the file was looked at is refused, never followed.
    if (!ReplaceFileContent(spelled, bytes, mode, mode, &failure, nullptr, LinkAtPath::Refuse)) {
        *reason = FileWriteFailureText(failure);
        return CopyOutcome::Failed;
    }
    // Another user's file this user may only write keeps its own time.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(place.folder, place.name.constData(), times, AT_SYMLINK_NOFOLLOW);
    return CopyOutcome::Copied;
}

CopyOutcome copyFile(const QByteArray &source, const Place &place, const std::atomic<bool> *cancel,
                     QString *reason)
{
    const Fd in(::open(source.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!in.isOpen()) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    struct stat st
    {
    };
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *reason = QStringLiteral("not a regular file");
        return CopyOutcome::Failed;
    }
    struct stat existing
    {
    };
    const bool exists = statAt(place.folder, place.name, &existing);
    if (exists && S_ISDIR(existing.st_mode)) {
        *reason = QStringLiteral("a folder stands in its place");
        return CopyOutcome::Failed;
    }
    if (exists && S_ISREG(existing.st_mode))
        return replaceFile(in.get(), st, place, existing, cancel, reason);
    // A link (or pipe) standing there is replaced itself, never followed.
    return writeAndRename(in.get(), st, place, nullptr, exists, cancel, reason);
}

CopyOutcome copyLink(const QByteArray &source, const Place &place, QString *reason)
{
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(source.constData(), text.data(), size_t(text.size()));
    if (n < 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    text.truncate(n);
    struct stat existing
    {
    };
    const bool exists = statAt(place.folder, place.name, &existing);
    if (exists && S_ISDIR(existing.st_mode)) {
        *reason = QStringLiteral("a folder stands in its place");
        return CopyOutcome::Failed;
    }
    CopyTemporary temp(place.folder);
    if (!temp.createLink(place.name, text)) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    struct stat st
    {
    };
    if (::lstat(source.constData(), &st) == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(place.folder, temp.name().constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    if (!temp.placeAs(place.name, exists)) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

CopyOutcome failed(const CopyFailureHandler &onFailure, const QByteArray &path,
                   const QString &reason)
{
    return onFailure && onFailure(path, reason) ? CopyOutcome::Failed : CopyOutcome::Cancelled;
}

CopyOutcome copyAny(const QByteArray &source, const Place &place, const std::atomic<bool> *cancel,
                    const CopyFailureHandler &onFailure);

CopyOutcome copyFolder(const QByteArray &source, const Place &place, const struct stat &st,
                       const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    QString reason;
    const Fd target =
        folderAt(place.folder, place.name, place.shown, (st.st_mode & 01777) | 0700, true, &reason);
    if (!target.isOpen())
        return failed(onFailure, place.shown, reason);
    std::vector<QByteArray> names;
    int error = 0;
    if (!namesIn(source, &names, &error))
        return failed(onFailure, source, errnoText(error));
    CopyOutcome outcome = CopyOutcome::Copied;
    for (const QByteArray &name : names) {
        const CopyOutcome o =
            copyAny(joined(source, name), {target.get(), name, joined(place.shown, name)}, cancel,
                    onFailure);
        if (o == CopyOutcome::Cancelled)
            return o;
        if (o == CopyOutcome::Failed)
            outcome = o;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(target.get(), times);
    return outcome;
}

CopyOutcome copyAny(const QByteArray &source, const Place &place, const std::atomic<bool> *cancel,
                    const CopyFailureHandler &onFailure)
{
    if (cancelled(cancel))
        return CopyOutcome::Cancelled;
    struct stat st
    {
    };
    QString reason;
    CopyOutcome o = CopyOutcome::Failed;
    if (::lstat(source.constData(), &st) != 0) {
        reason = errnoText(errno);
    } else if (S_ISDIR(st.st_mode)) {
        return copyFolder(source, place, st, cancel, onFailure);
    } else if (S_ISLNK(st.st_mode)) {
        o = copyLink(source, place, &reason);
    } else if (S_ISREG(st.st_mode)) {
        o = copyFile(source, place, cancel, &reason);
    } else {
        reason = QStringLiteral("not a regular file");
    }
    if (o != CopyOutcome::Failed)
        return o;
    return failed(onFailure, source, reason);
}

// The folder that holds the last name of the path below top, reached (and made, with make) name
// by name. *last gets the last name and *shown its whole path.
Fd parentBelow(const QByteArray &top, const QList<QByteArray> &names, bool make, QByteArray *shown,
               QString *reason)
{
    Fd folder(::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    *shown = top;
    if (!folder.isOpen()) {
        *reason = errnoText(errno);
        return folder;
    }
    for (qsizetype k = 0; k + 1 < names.size(); ++k) {
        *shown = joined(*shown, names[k]);
        folder = folderAt(folder.get(), names[k], *shown, 0777, make, reason);
        if (!folder.isOpen())
            return folder;
    }
    *shown = joined(*shown, names.last());
    return folder;
}

int countAt(const QByteArray &source, int folder, const QByteArray &name,
            const std::atomic<bool> *cancel)
{
    struct stat from
    {
    }, there{};
    if (cancelled(cancel) || ::lstat(source.constData(), &from) != 0 ||
        !statAt(folder, name, &there))
        return 0;
    if (!S_ISDIR(from.st_mode))
        return S_ISDIR(there.st_mode) ? 0 : 1;
    const Fd inside(::openat(folder, name.constData(), kFolderFlags));
    std::vector<QByteArray> names;
    int error = 0;
    if (!inside.isOpen() || !namesIn(source, &names, &error))
        return 0;
    int count = 0;
    for (const QByteArray &n : names)
        count += countAt(joined(source, n), inside.get(), n, cancel);
    return count;
}

} // namespace

CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &targetTop,
                      const QByteArray &relativeTarget, const std::atomic<bool> *cancel,
                      const CopyFailureHandler &onFailure)
{
    const QByteArray src = withoutTrailingSlashes(source);
    const QByteArray top = withoutTrailingSlashes(targetTop);
    const QList<QByteArray> names = namesOfPath(relativeTarget);
    if (names.isEmpty()) {
        if (onFailure)
            onFailure(joined(top, relativeTarget), QStringLiteral("not a name in the folder"));
        return CopyOutcome::Failed;
    }
    // Never into itself: that would walk a folder while filling it.
    const QByteArray dst = joined(top, names.join('/'));
    if (dst == src || dst.startsWith(src + '/')) {
        if (onFailure)
            onFailure(source, QStringLiteral("cannot be copied into itself"));
        return CopyOutcome::Failed;
    }
    QByteArray shown;
    QString reason;
    const Fd parent = parentBelow(top, names, true, &shown, &reason);
    if (!parent.isOpen())
        return failed(onFailure, shown, reason);
    return copyAny(src, {parent.get(), names.last(), shown}, cancel, onFailure);
}

CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    const QByteArray dst = withoutTrailingSlashes(target);
    const qsizetype slash = dst.lastIndexOf('/');
    if (slash < 0)
        return CopyEntry(source, ".", dst, cancel, onFailure);
    return CopyEntry(source, slash == 0 ? QByteArray("/") : dst.left(slash), dst.mid(slash + 1),
                     cancel, onFailure);
}

int CountReplacedOnDisk(const QByteArray &source, const QByteArray &targetTop,
                        const QByteArray &relativeTarget, const std::atomic<bool> *cancel)
{
    const QList<QByteArray> names = namesOfPath(relativeTarget);
    if (names.isEmpty())
        return 0;
    QByteArray shown;
    QString reason;
    const Fd parent = parentBelow(withoutTrailingSlashes(targetTop), names, false, &shown, &reason);
    return parent.isOpen()
               ? countAt(withoutTrailingSlashes(source), parent.get(), names.last(), cancel)
               : 0;
}

bool MakeFolderPath(const QByteArray &top, const QByteArray &relative)
{
    const QList<QByteArray> names = namesOfPath(relative);
    if (names.isEmpty())
        return false;
    QByteArray shown;
    QString reason;
    const Fd parent = parentBelow(withoutTrailingSlashes(top), names, true, &shown, &reason);
    return parent.isOpen() &&
           folderAt(parent.get(), names.last(), shown, 0777, true, &reason).isOpen();
}
