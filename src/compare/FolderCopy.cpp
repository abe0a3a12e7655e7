#include "compare/FolderCopy.h"

#include "compare/CopyTemporary.h"
#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"
#include "platform/UniqueFd.h"
#include "services/FileReplace.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Fd = platform::UniqueFd;

constexpr size_t kBlock = size_t{1024} * 1024;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Folders nested deeper below the copied one are refused: each level holds two folders open (the
// usual limit of 1,024 open files allows some 500) and a stack frame, and a hostile tree can be
// nested without end.
constexpr int kMaxDepth = 400;
// The source's folders on the way to the item are only looked through, which a folder this user
// may search but not list allows too.
constexpr int kSourceFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

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

// Where a copy goes, or what it comes from: a name in a folder held open, and its path as
// messages show it (the top folder's path joined with the names below it).
struct Place
{
    int folder;
    QByteArray name;
    QByteArray shown;
};
using Origin = Place;

enum class Side { Source, Target };

QString linkRefused(const QByteArray &path, Side side)
{
    return (side == Side::Source ? QStringLiteral("%1 is a link; nothing was copied from it")
                                 : QStringLiteral("%1 is a link; nothing was copied into it"))
        .arg(QFile::decodeName(path));
}

QString swappedText()
{
    return QStringLiteral("it was replaced by another item while it was being copied");
}

QString notListedText()
{
    return QStringLiteral("it is not the folder that was compared; it was replaced since");
}

bool statAt(int folder, const QByteArray &name, struct stat *st)
{
    return ::fstatat(folder, name.constData(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The folder name in folder, never through a link; made (mode as mkdir takes it) when missing and
// make is set. Not open, with the reason, when there is no such folder.
Fd folderAt(int folder, const QByteArray &name, const QByteArray &shown, mode_t mode, bool make,
            QString *reason, Side side = Side::Target)
{
    for (int attempt = 0;; ++attempt) {
        Fd fd(::openat(folder, name.constData(),
                       side == Side::Source ? kSourceFolderFlags : kFolderFlags));
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
            *reason = linkRefused(shown, side);
        else if (side == Side::Source && (error == ENOTDIR || error == ELOOP))
            *reason = QStringLiteral("%1 is not a folder; nothing was copied from it")
                          .arg(QFile::decodeName(shown));
        else if (error == ENOTDIR)
            *reason = QStringLiteral("a file stands in its place");
        else
            *reason = errnoText(error);
        return Fd();
    }
}

bool sameItem(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino &&
           (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT);
}

// The source item that was looked at (judged), opened with flags and never through a link, when
// it is still that very item; *opened gets its state. A name that leads elsewhere now is refused:
// the copy reads only what it judged.
Fd openJudged(const Origin &from, const struct stat &judged, int flags, struct stat *opened,
              QString *reason)
{
    Fd fd(::openat(from.folder, from.name.constData(), flags | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.isOpen()) {
        // A link where a file or folder was judged, a file where a folder was, a socket: another
        // item stands there, even if the name has been swapped back since.
        const int error = errno;
        struct stat now
        {
        };
        const bool swapped = error == ELOOP || error == ENOTDIR || error == ENXIO ||
                             !statAt(from.folder, from.name, &now) || !sameItem(now, judged);
        *reason = swapped ? swappedText() : errnoText(error);
        return fd;
    }
    if (::fstat(fd.get(), opened) != 0) {
        *reason = errnoText(errno);
        return Fd();
    }
    if (!sameItem(*opened, judged)) {
        *reason = swappedText();
        return Fd();
    }
    return fd;
}

// True when folder is the folder item, or lies inside it (reached up through "..", which follows
// no link). A top named through a link can spell a place inside the source in a way its path does
// not show.
bool insideItem(int folder, const struct stat &item)
{
    Fd at(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    struct stat st
    {
    };
    while (at.isOpen() && ::fstat(at.get(), &st) == 0) {
        if (sameItem(st, item))
            return true;
        Fd up(::openat(at.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat above
        {
        };
        if (!up.isOpen() || ::fstat(up.get(), &above) != 0 ||
            (above.st_dev == st.st_dev && above.st_ino == st.st_ino))
            return false; // the root
        at = std::move(up);
    }
    return false;
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

// Copies the bytes of in from at up to end (-1: to the end of the file) to the same places of out.
// *at ends where the copy stopped; *ended is set when the file ended first.
CopyOutcome copyRange(int in, int out, off_t *at, off_t end, std::vector<char> &buf,
                      const std::atomic<bool> *cancel, bool *ended, QString *reason)
{
    while (end < 0 || *at < end) {
        if (cancelled(cancel))
            return CopyOutcome::Cancelled;
        const size_t want = end < 0 ? buf.size() : size_t(std::min<off_t>(end - *at, buf.size()));
        const ssize_t n = ::pread(in, buf.data(), want, *at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0) {
            *ended = true;
            return CopyOutcome::Copied;
        }
        if (n < 0 || ::lseek(out, *at, SEEK_SET) < 0 || !writeAll(out, buf.data(), size_t(n))) {
            *reason = errnoText(errno);
            return CopyOutcome::Failed;
        }
        *at += n;
    }
    return CopyOutcome::Copied;
}

// Copies in into the new, empty file out. The holes of a sparse file stay holes: only the parts
// the file system says hold data are read and written, and the length is set last.
CopyOutcome streamInto(int in, int out, const std::atomic<bool> *cancel, QString *reason)
{
    std::vector<char> buf(kBlock);
    off_t at = 0;
    bool ended = false;
    while (!ended) {
        const off_t data = ::lseek(in, at, SEEK_DATA);
        // No data past at: the rest is one hole. A file system that cannot tell gives all as data.
        if (data < 0 && errno == ENXIO)
            break;
        const bool holesKnown = data >= 0;
        const off_t from = holesKnown ? data : at;
        const off_t hole = holesKnown ? ::lseek(in, from, SEEK_HOLE) : -1;
        at = from;
        const CopyOutcome outcome =
            copyRange(in, out, &at, hole >= 0 ? hole : -1, buf, cancel, &ended, reason);
        if (outcome != CopyOutcome::Copied)
            return outcome;
        if (!holesKnown || hole < 0)
            ended = true;
    }
    struct stat st
    {
    };
    if (::fstat(in, &st) != 0 || ::ftruncate(out, st.st_size) != 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
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
    // Permissions and time before the rename, so the target is never seen half made; the bytes
    // on the disk before the name, so a power loss never leaves an empty file in its place.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out.get(), copyMode(st, owner, group)) != 0 || ::futimens(out.get(), times) != 0 ||
        ::fsync(out.get()) != 0 || ::close(out.release()) != 0 ||
        !temp.placeAs(place.name, replace)) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

// Replaces an existing file as a save replaces it: its owner, group and other names stay. The new
// content is read from in a block at a time, whatever its size.
CopyOutcome replaceFile(int in, const struct stat &st, const Place &place, const struct stat &old,
                        const std::atomic<bool> *cancel, QString *reason)
{
    // The file is named through the folder held open, so no link above it is followed. The copy
    // of its old content kept meanwhile names it by its real path, which another process (the
    // next start, after a crash) can open; that path must be text as well.
    const QByteArray path = "/proc/self/fd/" + QByteArray::number(place.folder) + '/' + place.name;
    const QString spelled = QFile::decodeName(path);
    const QString real = QFile::decodeName(place.shown);
    if (QFile::encodeName(spelled) != path || QFile::encodeName(real) != place.shown)
        return writeAndRename(in, st, place, &old, true, cancel, reason);
    if (cancelled(cancel))
        return CopyOutcome::Cancelled;
    const int mode = int(copyMode(st, old.st_uid, old.st_gid));
    FileWriteFailure failure = FileWriteFailure::None;
    // A link swapped in since the file was looked at is refused, never followed.
    if (!ReplaceFileContentFrom(spelled, in, qint64(st.st_size), mode, mode, &failure, nullptr,
                                LinkAtPath::Refuse, real, cancel)) {
        if (cancelled(cancel))
            return CopyOutcome::Cancelled; // the old content is back
        *reason = FileWriteFailureText(failure);
        return CopyOutcome::Failed;
    }
    // Another user's file this user may only write keeps its own time.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(place.folder, place.name.constData(), times, AT_SYMLINK_NOFOLLOW);
    return CopyOutcome::Copied;
}

CopyOutcome copyFile(const Origin &from, const struct stat &judged, const Place &place,
                     const std::atomic<bool> *cancel, QString *reason)
{
    // Judged on a handle before it is opened: a pipe or device swapped in is never opened.
    platform::RegularFile file = platform::OpenRegularFileAt(from.folder, from.name, false);
    if (!file.isOpen() || !sameItem(file.st, judged)) {
        *reason = file.failure == platform::RegularOpenFailure::Unreadable ? errnoText(file.error)
                                                                           : swappedText();
        return CopyOutcome::Failed;
    }
    const Fd in = std::move(file.fd);
    const struct stat &st = file.st;
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

CopyOutcome copyLink(const Origin &from, const struct stat &judged, const Place &place,
                     QString *reason)
{
    // The link itself is held open, so its text and times are those of the link judged.
    struct stat st
    {
    };
    const Fd link = openJudged(from, judged, O_PATH, &st, reason);
    if (!link.isOpen())
        return CopyOutcome::Failed;
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t n = ::readlinkat(link.get(), "", text.data(), size_t(text.size()));
    if (n < 0 || n == text.size()) {
        *reason = errnoText(n < 0 ? errno : ENAMETOOLONG);
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
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(place.folder, temp.name().constData(), times, AT_SYMLINK_NOFOLLOW);
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

CopyOutcome copyAny(const Origin &from, const Place &place, int depth,
                    const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure,
                    const TreeStep *listed = nullptr);

CopyOutcome copyFolder(const Origin &from, const struct stat &judged, const Place &place, int depth,
                       const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    if (depth >= kMaxDepth)
        return failed(onFailure, from.shown, QStringLiteral("its folders are nested too deeply"));
    QString reason;
    struct stat st
    {
    };
    const Fd source = openJudged(from, judged, O_RDONLY | O_DIRECTORY, &st, &reason);
    if (!source.isOpen())
        return failed(onFailure, from.shown, reason);
    // Never into itself, however the tops spell it: that would walk a folder while filling it.
    if (insideItem(place.folder, st))
        return failed(onFailure, from.shown, QStringLiteral("cannot be copied into itself"));
    const Fd target =
        folderAt(place.folder, place.name, place.shown, (st.st_mode & 01777) | 0700, true, &reason);
    if (!target.isOpen())
        return failed(onFailure, place.shown, reason);
    if (insideItem(target.get(), st))
        return failed(onFailure, from.shown, QStringLiteral("cannot be copied onto itself"));
    CopyOutcome outcome = CopyOutcome::Copied;
    for (const QByteArray &name : platform::NamesInFolder(source.get())) {
        const CopyOutcome o =
            copyAny({source.get(), name, joined(from.shown, name)},
                    {target.get(), name, joined(place.shown, name)}, depth + 1, cancel, onFailure);
        if (o == CopyOutcome::Cancelled)
            return o;
        if (o == CopyOutcome::Failed)
            outcome = o;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(target.get(), times);
    return outcome;
}

// True when the item is a folder the listing found (listed) as that very folder, or anything
// where it found no folder.
bool asListed(const struct stat &st, const TreeStep *listed)
{
    if (!listed || !listed->folder || !listed->judged.known)
        return true;
    return S_ISDIR(st.st_mode) && TreeIdentity_Of(st) == listed->judged;
}

// What the source item is judged to be here decides how it is copied; it is then read only
// through a descriptor of that same item. listed (the entry the user chose) is what the compare
// listed there: a folder listed is copied only while it is that folder.
CopyOutcome copyAny(const Origin &from, const Place &place, int depth,
                    const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure,
                    const TreeStep *listed)
{
    if (cancelled(cancel))
        return CopyOutcome::Cancelled;
    struct stat st
    {
    };
    QString reason;
    CopyOutcome o = CopyOutcome::Failed;
    if (!statAt(from.folder, from.name, &st)) {
        reason = errnoText(errno);
    } else if (!asListed(st, listed)) {
        reason = notListedText();
    } else if (S_ISDIR(st.st_mode)) {
        return copyFolder(from, st, place, depth, cancel, onFailure);
    } else if (S_ISLNK(st.st_mode)) {
        o = copyLink(from, st, place, &reason);
    } else if (S_ISREG(st.st_mode)) {
        o = copyFile(from, st, place, cancel, &reason);
    } else {
        reason = QStringLiteral("not a regular file");
    }
    if (o != CopyOutcome::Failed)
        return o;
    return failed(onFailure, from.shown, reason);
}

// The folder that holds the entry's last name, reached (and made, with make) name by name from
// its top folder held open, no link followed and each folder on the way the one the listing
// recorded there. *shown gets the whole path.
Fd parentBelow(const TreeEntry &entry, bool make, QByteArray *shown, QString *reason,
               Side side = Side::Target)
{
    const TreeRoute &route = entry.route;
    *shown = entry.tree->path();
    // The top held is that very folder, whatever its name leads to now.
    Fd folder =
        side == Side::Source ? entry.tree->openFolder({}, 0) : entry.tree->openFolderToList({}, 0);
    if (!folder.isOpen()) {
        *reason = errnoText(errno);
        return folder;
    }
    for (size_t k = 0; k + 1 < route.size(); ++k) {
        *shown = joined(*shown, route[k].name);
        folder = folderAt(folder.get(), route[k].name, *shown, 0777, make, reason, side);
        struct stat st
        {
        };
        if (folder.isOpen() && (::fstat(folder.get(), &st) != 0 || !asListed(st, &route[k]))) {
            *reason = notListedText();
            return Fd();
        }
        if (!folder.isOpen())
            return folder;
    }
    *shown = joined(*shown, route.back().name);
    return folder;
}

int countAt(const Origin &from, int folder, const QByteArray &name, int depth,
            const std::atomic<bool> *cancel)
{
    struct stat judged
    {
    }, there{}, opened{};
    if (cancelled(cancel) || !statAt(from.folder, from.name, &judged) ||
        !statAt(folder, name, &there))
        return 0;
    if (!S_ISDIR(judged.st_mode))
        return S_ISDIR(there.st_mode) ? 0 : 1;
    if (depth >= kMaxDepth)
        return 0;
    QString reason;
    const Fd source = openJudged(from, judged, O_RDONLY | O_DIRECTORY, &opened, &reason);
    const Fd inside(::openat(folder, name.constData(), kFolderFlags));
    if (!source.isOpen() || !inside.isOpen())
        return 0;
    int count = 0;
    for (const QByteArray &n : platform::NamesInFolder(source.get()))
        count += countAt({source.get(), n, {}}, inside.get(), n, depth + 1, cancel);
    return count;
}

// The deepest folder on the way to the entry's last name that exists now.
Fd deepestFolderBelow(const TreeEntry &entry)
{
    Fd folder = entry.tree->openFolder({}, 0);
    for (size_t k = 0; folder.isOpen() && k + 1 < entry.route.size(); ++k) {
        Fd next(::openat(folder.get(), entry.route[k].name.constData(), kSourceFolderFlags));
        if (!next.isOpen())
            break;
        folder = std::move(next);
    }
    return folder;
}

// The source's folders below its top, opened as the target's are: its parent then holds the item
// copied.
struct SourceParent
{
    Fd folder;
    QByteArray shown;
    QString reason;
};

SourceParent sourceParent(const TreeEntry &source)
{
    SourceParent parent;
    parent.folder = parentBelow(source, false, &parent.shown, &parent.reason, Side::Source);
    return parent;
}

// The top folder and the last name of a path given whole.
FolderEntry entryOfPath(const QByteArray &path)
{
    const QByteArray whole = withoutTrailingSlashes(path);
    const qsizetype slash = whole.lastIndexOf('/');
    if (slash < 0)
        return {".", whole};
    return {slash == 0 ? QByteArray("/") : whole.left(slash), whole.mid(slash + 1)};
}

// An entry named by its top folder's path, that folder opened now. The top is null, with
// *reason, when it cannot be opened.
TreeEntry treeEntryOf(const FolderEntry &entry, QString *reason)
{
    int error = 0;
    TreeEntry out{ComparedTree::open(withoutTrailingSlashes(entry.top), &error),
                  TreeRoute_FromPath(entry.relative)};
    if (!out.tree)
        *reason = errnoText(error);
    return out;
}

// A route that names an entry below its top: at least one name, none of them "." or "..".
bool isEntry(const TreeEntry &entry)
{
    return entry.tree && !entry.route.empty();
}

} // namespace

CopyOutcome CopyEntry(const TreeEntry &source, const TreeEntry &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    if (!isEntry(source) || !isEntry(target)) {
        if (onFailure)
            onFailure(isEntry(source) ? source.tree->pathOf(source.route)
                                      : TreeRoute_Path(source.route),
                      QStringLiteral("not a name in the folder"));
        return CopyOutcome::Failed;
    }
    const QByteArray src = source.tree->pathOf(source.route);
    const QByteArray dst = target.tree->pathOf(target.route);
    // Never into itself, as the paths spell it; the walk checks the folders themselves.
    if (dst == src || dst.startsWith(src + '/')) {
        if (onFailure)
            onFailure(src, QStringLiteral("cannot be copied into itself"));
        return CopyOutcome::Failed;
    }
    const SourceParent from = sourceParent(source);
    if (!from.folder.isOpen())
        return failed(onFailure, from.shown, from.reason);
    const TreeStep &item = source.route.back();
    // Asked before any folder on the way is made, so a refused copy makes none inside the source.
    struct stat judged
    {
    };
    if (statAt(from.folder.get(), item.name, &judged) && S_ISDIR(judged.st_mode) &&
        insideItem(deepestFolderBelow(target).get(), judged))
        return failed(onFailure, src, QStringLiteral("cannot be copied into itself"));
    QByteArray shown;
    QString reason;
    const Fd parent = parentBelow(target, true, &shown, &reason);
    if (!parent.isOpen())
        return failed(onFailure, shown, reason);
    // A folder the target side listed there is copied into only while it is that folder.
    struct stat there
    {
    };
    if (statAt(parent.get(), target.route.back().name, &there) &&
        !asListed(there, &target.route.back()))
        return failed(onFailure, shown, notListedText());
    return copyAny({from.folder.get(), item.name, from.shown},
                   {parent.get(), target.route.back().name, shown}, 0, cancel, onFailure, &item);
}

CopyOutcome CopyEntry(const FolderEntry &source, const FolderEntry &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    QString sourceReason, targetReason;
    const TreeEntry from = treeEntryOf(source, &sourceReason);
    const TreeEntry to = treeEntryOf(target, &targetReason);
    // A top folder that cannot be opened fails the copy as a folder on the way would.
    if (!from.tree && !from.route.empty() && !to.route.empty())
        return failed(onFailure, withoutTrailingSlashes(source.top), sourceReason);
    if (!to.tree && !from.route.empty() && !to.route.empty())
        return failed(onFailure, withoutTrailingSlashes(target.top), targetReason);
    return CopyEntry(from, to, cancel, onFailure);
}

CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &targetTop,
                      const QByteArray &relativeTarget, const std::atomic<bool> *cancel,
                      const CopyFailureHandler &onFailure)
{
    return CopyEntry(entryOfPath(source), FolderEntry{targetTop, relativeTarget}, cancel,
                     onFailure);
}

CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    return CopyEntry(entryOfPath(source), entryOfPath(target), cancel, onFailure);
}

int CountReplacedOnDisk(const TreeEntry &source, const TreeEntry &target,
                        const std::atomic<bool> *cancel)
{
    if (!isEntry(source) || !isEntry(target))
        return 0;
    const SourceParent from = sourceParent(source);
    QByteArray shown;
    QString reason;
    const Fd parent = parentBelow(target, false, &shown, &reason);
    return from.folder.isOpen() && parent.isOpen()
               ? countAt({from.folder.get(), source.route.back().name, from.shown}, parent.get(),
                         target.route.back().name, 0, cancel)
               : 0;
}

int CountReplacedOnDisk(const FolderEntry &source, const FolderEntry &target,
                        const std::atomic<bool> *cancel)
{
    QString reason;
    return CountReplacedOnDisk(treeEntryOf(source, &reason), treeEntryOf(target, &reason), cancel);
}

int CountReplacedOnDisk(const QByteArray &source, const QByteArray &targetTop,
                        const QByteArray &relativeTarget, const std::atomic<bool> *cancel)
{
    return CountReplacedOnDisk(entryOfPath(source), FolderEntry{targetTop, relativeTarget}, cancel);
}

bool MakeFolderPath(const QByteArray &top, const QByteArray &relative)
{
    QString reason;
    const TreeEntry entry = treeEntryOf({top, relative}, &reason);
    if (!isEntry(entry))
        return false;
    QByteArray shown;
    const Fd parent = parentBelow(entry, true, &shown, &reason);
    return parent.isOpen() &&
           folderAt(parent.get(), entry.route.back().name, shown, 0777, true, &reason).isOpen();
}
