#include "services/InterruptedSaves.h"

#include "platform/Alerts.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "services/FileBytes.h"
#include "services/Localization.h"
#include "services/ShownPath.h"
#include "services/SupportFolder.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <optional>

#include <algorithm>
#include <type_traits>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Fd = platform::UniqueFd;

// A kept copy: four lines of header, then the old bytes.
//   pelko-kept-content 2
//   <device> <inode> <old size> <new size> <SHA-256 of the new content>
//   <owner> <group> <change time: seconds nanoseconds> <birth time: seconds nanoseconds, or - ->
//   <the file's path, hex>
// The third line is what tells the file from another that took its inode since: an earlier
// version wrote none (magic "pelko-kept-content 1"), and a copy of it is read but never written
// back at its file's name.
const QByteArray kMagic("pelko-kept-content 2");
const QByteArray kMagicWithoutProof("pelko-kept-content 1");
// Long enough for the longest path in hex.
constexpr qint64 kMaxHeader = 16384;
constexpr int kNameBytes = 120;

struct Stamp
{
    qint64 seconds = 0, nanoseconds = 0;
    auto operator<=>(const Stamp &) const = default;
};

// What the file was when its old content was kept, beyond its device and inode.
struct KeptProof
{
    quint64 owner = 0, group = 0;
    Stamp changed;
    std::optional<Stamp> born; // where the file system keeps birth times
};

struct KeptRecord
{
    quint64 device = 0, inode = 0;
    qint64 oldSize = -1, newSize = -1;
    QByteArray newHash;
    std::optional<KeptProof> proof; // none in a copy of an earlier version
    QByteArray path;
    qint64 bodyOffset = 0;
};

// The birth time of the file open as fd, when its file system keeps one.
std::optional<Stamp> birthTime(int fd)
{
    struct statx stx;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &stx) != 0 || !(stx.stx_mask & STATX_BTIME))
        return std::nullopt;
    return Stamp{qint64(stx.stx_btime.tv_sec), qint64(stx.stx_btime.tv_nsec)};
}

KeptProof proofOf(int fd, const struct stat &st)
{
    return {quint64(st.st_uid), quint64(st.st_gid),
            Stamp{qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)}, birthTime(fd)};
}

QByteArray proofLine(const KeptProof &proof)
{
    const auto stamp = [](const std::optional<Stamp> &t) {
        return t ? QByteArray::number(t->seconds) + ' ' + QByteArray::number(t->nanoseconds)
                 : QByteArray("- -");
    };
    return QByteArray::number(proof.owner) + ' ' + QByteArray::number(proof.group) + ' ' +
           stamp(proof.changed) + ' ' + stamp(proof.born) + '\n';
}

QByteArray headerFor(const QByteArray &path, const struct stat &st, const KeptProof &proof,
                     qint64 newSize, const QByteArray &newHash)
{
    return kMagic + '\n' + QByteArray::number(quint64(st.st_dev)) + ' ' +
           QByteArray::number(quint64(st.st_ino)) + ' ' + QByteArray::number(qint64(st.st_size)) +
           ' ' + QByteArray::number(newSize) + ' ' + newHash + '\n' + proofLine(proof) +
           path.toHex() + '\n';
}

// A number as it is written: digits (a sign where allowed), no leading zeros.
template <class T> std::optional<T> numberField(const QByteArray &field)
{
    bool ok = false;
    const T value = std::is_signed_v<T> ? T(field.toLongLong(&ok)) : T(field.toULongLong(&ok));
    if (!ok || QByteArray::number(value) != field)
        return std::nullopt;
    return value;
}

std::optional<Stamp> stampField(const QByteArray &seconds, const QByteArray &nanoseconds)
{
    const auto s = numberField<qint64>(seconds), ns = numberField<qint64>(nanoseconds);
    if (!s || !ns || *ns < 0 || *ns >= 1000000000)
        return std::nullopt;
    return Stamp{*s, *ns};
}

std::optional<KeptProof> parseProof(const QByteArray &line)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 6)
        return std::nullopt;
    KeptProof proof;
    const auto owner = numberField<quint64>(fields[0]), group = numberField<quint64>(fields[1]);
    const auto changed = stampField(fields[2], fields[3]);
    if (!owner || !group || !changed)
        return std::nullopt;
    proof.owner = *owner;
    proof.group = *group;
    proof.changed = *changed;
    if (fields[4] != "-" || fields[5] != "-") {
        proof.born = stampField(fields[4], fields[5]);
        if (!proof.born)
            return std::nullopt;
    }
    return proof;
}

// Nothing when the copy's header is incomplete or malformed.
std::optional<KeptRecord> readRecord(int fd, qint64 fileSize)
{
    QByteArray head;
    if (ReadBytesAt(fd, 0, std::min(fileSize, kMaxHeader), &head) != 0)
        return std::nullopt;
    QList<qsizetype> ends;
    for (qsizetype at = head.indexOf('\n'); at >= 0 && ends.size() < 4;
         at = head.indexOf('\n', at + 1))
        ends.append(at);
    const QByteArray magic = head.left(ends.value(0, -1));
    const bool proven = magic == kMagic;
    const qsizetype lines = proven ? 4 : 3;
    if ((!proven && magic != kMagicWithoutProof) || ends.size() < lines)
        return std::nullopt;
    const auto line = [&](int k) { return head.mid(ends[k - 1] + 1, ends[k] - ends[k - 1] - 1); };
    const QList<QByteArray> fields = line(1).split(' ');
    if (fields.size() != 5)
        return std::nullopt;
    KeptRecord record;
    bool ok[4] = {};
    record.device = fields[0].toULongLong(&ok[0]);
    record.inode = fields[1].toULongLong(&ok[1]);
    record.oldSize = fields[2].toLongLong(&ok[2]);
    record.newSize = fields[3].toLongLong(&ok[3]);
    record.newHash = fields[4];
    if (proven) {
        record.proof = parseProof(line(2));
        if (!record.proof)
            return std::nullopt;
    }
    const QByteArray hexPath = line(int(lines) - 1);
    record.path = QByteArray::fromHex(hexPath);
    record.bodyOffset = ends[lines - 1] + 1;
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3] || record.oldSize < 0 || record.newSize < 0 ||
        record.newHash.size() != 64 || record.path.isEmpty() || record.path.front() != '/' ||
        record.path.toHex() != hexPath || record.path.contains('\0'))
        return std::nullopt;
    // The old bytes are written before anything else happens: a shorter copy never got that far.
    // (bodyOffset is within the file, so the subtraction cannot overflow where a sum could.)
    if (fileSize - record.bodyOffset != record.oldSize)
        return std::nullopt;
    return record;
}

QByteArray hashOf(int fd, qint64 size)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block;
    for (qint64 done = 0; done < size;) {
        const qint64 want = std::min<qint64>(1 << 20, size - done);
        if (ReadBytesAt(fd, done, want, &block) != 0 || block.size() != want)
            return {};
        hash.addData(block);
        done += want;
    }
    return hash.result().toHex();
}

int lockFile(int fd, int how)
{
    for (;;) {
        if (::flock(fd, how) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

void syncFolder(const QString &folder)
{
    const Fd dir(::open(QFile::encodeName(folder).constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// The folder at an absolute path, reached name by name from the root without following a link.
Fd openFolderNoFollow(const QByteArray &path)
{
    Fd folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray &name : path.split('/')) {
        if (!folder.isOpen())
            break;
        if (name.isEmpty() || name == ".")
            continue;
        if (name == "..")
            return Fd();
        folder = Fd(::openat(folder.get(), name.constData(),
                             O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return folder;
}

// True when the file open as fd, of the status st, is the one the copy was kept for, beyond its
// device and inode (which a file made since can take over): still of the same owner and group,
// changed no earlier than it was then, and born when it was (or, where the file system keeps no
// birth time, of a size the interrupted save or a restore could have left). A copy of an earlier
// version proves nothing.
bool provenSame(const KeptRecord &record, int fd, const struct stat &st)
{
    if (!record.proof)
        return false;
    const KeptProof now = proofOf(fd, st);
    const KeptProof &then = *record.proof;
    if (now.owner != then.owner || now.group != then.group || now.changed < then.changed)
        return false;
    if (then.born)
        return now.born == then.born;
    const qint64 size = qint64(st.st_size);
    return size >= std::min(record.oldSize, record.newSize) &&
           size <= std::max(record.oldSize, record.newSize);
}

// The file a copy was kept for, when it is still that very file, open for writing. Its path is
// walked from the root without following a link, and the entry is opened only once its status
// shows the regular file kept for (a device node is never opened). *there (may be null) says
// whether the path leads to that file, also when it cannot be opened for writing now.
Fd openKeptFor(const KeptRecord &record, bool *there = nullptr)
{
    if (there)
        *there = false;
    const qsizetype slash = record.path.lastIndexOf('/');
    const QByteArray name = record.path.mid(slash + 1);
    const Fd folder = openFolderNoFollow(record.path.left(slash));
    if (!folder.isOpen() || name.isEmpty() || name == "." || name == "..")
        return Fd();
    const Fd entry(::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!entry.isOpen() || ::fstat(entry.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        quint64(st.st_dev) != record.device || quint64(st.st_ino) != record.inode ||
        !provenSame(record, entry.get(), st))
        return Fd();
    if (there)
        *there = true;
    // Through the descriptor judged: the very file, whatever stands at the name by now.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(entry.get());
    return Fd(::open(self.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

bool holdsWhole(int copy, const KeptRecord &record, int target)
{
    struct stat st;
    if (::fstat(target, &st) != 0)
        return false;
    if (st.st_size == record.oldSize &&
        SameBytesAt(copy, record.bodyOffset, target, 0, record.oldSize))
        return true;
    return st.st_size == record.newSize && hashOf(target, record.newSize) == record.newHash;
}

// The file's name on one line of an alert (services/ShownPath).
QString shownName(const QString &path)
{
    return ShownPath(path.mid(path.lastIndexOf(u'/') + 1));
}

enum class Answer { KeepAsItIs, Restore, Discard };

Answer askToRestore(const QString &path, const QString &keptIn)
{
    platform::AlertRequest request;
    request.title = FillFormat(L_(QStringLiteral("\"%@\" was being saved when {*app*} stopped.")),
                               {shownName(path)});
    request.text =
        ShownPath(path) + QStringLiteral("\n\n") +
        L_(QStringLiteral("The file may be only partly written.")) + QStringLiteral("\n\n") +
        FillFormat(L_(QStringLiteral("\"Restore the Old Content\" brings back its content from "
                                     "before the save; what the file holds now is kept first in "
                                     "%@.")),
                   {ShownPath(keptIn)}) +
        QStringLiteral("\n") +
        L_(QStringLiteral("\"Keep the File as It Is\" changes nothing, and you are asked again at "
                          "the next start.")) +
        QStringLiteral("\n") +
        L_(QStringLiteral("\"Discard the Old Content\" keeps the file as it is for good."));
    request.buttons = {L_(QStringLiteral("Keep the File as It Is")),
                       L_(QStringLiteral("Restore the Old Content")),
                       L_(QStringLiteral("Discard the Old Content"))};
    // Return and Escape change nothing: either of the others cannot be undone from here.
    request.cancelIndex = 0;
    request.defaultIndex = 0;
    switch (platform::runAlert(request)) {
    case platform::AlertSecondButtonReturn:
        return Answer::Restore;
    case platform::AlertThirdButtonReturn:
        return Answer::Discard;
    default:
        return Answer::KeepAsItIs;
    }
}

// A new private file in BeforeRestoreFolder(), named for the file at path; *name gets its path.
Fd newBeforeRestoreFile(const QString &path, QByteArray *name, int *error)
{
    const QString folder = BeforeRestoreFolder();
    if (folder.isEmpty()) {
        *error = EACCES;
        return Fd();
    }
    *name = QFile::encodeName(folder) + '/' +
            LocalPath_ToBytes(QFileInfo(path).fileName()).left(kNameBytes) + "-XXXXXX";
    Fd fd(::mkostemp(name->data(), O_CLOEXEC));
    *error = fd.get() < 0 ? errno : 0;
    return fd;
}

// Ends a file newBeforeRestoreFile made: synced when error is 0, else removed.
int finishBeforeRestoreFile(int fd, const QByteArray &name, int error)
{
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.constData());
        return error;
    }
    syncFolder(BeforeRestoreFolder());
    return 0;
}

// Keeps what target holds now in a new file of BeforeRestoreFolder(), named for the file; its
// path, or the error. Refused when the file changes while it is read.
int keepCurrentContent(int target, const QString &path, QByteArray *keptPath)
{
    struct stat before, after;
    if (::fstat(target, &before) != 0)
        return errno;
    QByteArray name;
    int error = 0;
    const Fd fd = newBeforeRestoreFile(path, &name, &error);
    if (fd.get() < 0)
        return error;
    error = CopyBytesLeavingHoles(target, 0, fd.get(), 0, before.st_size);
    if (error == 0 && ::fstat(target, &after) != 0)
        error = errno;
    if (error == 0 &&
        (after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
         after.st_mtim.tv_nsec != before.st_mtim.tv_nsec ||
         after.st_ctim.tv_sec != before.st_ctim.tv_sec ||
         after.st_ctim.tv_nsec != before.st_ctim.tv_nsec))
        error = EBUSY; // another program is writing it
    if (const int failed = finishBeforeRestoreFile(fd.get(), name, error))
        return failed;
    *keptPath = name;
    return 0;
}

// Writes the old content of a kept copy into a new file of BeforeRestoreFolder(), named for the
// file at path; its path, or the error.
int keepOldContentAsFile(int copy, const KeptRecord &record, const QString &path,
                         QByteArray *keptPath)
{
    QByteArray name;
    int error = 0;
    const Fd fd = newBeforeRestoreFile(path, &name, &error);
    if (fd.get() < 0)
        return error;
    error = CopyBytesLeavingHoles(copy, record.bodyOffset, fd.get(), 0, record.oldSize);
    if (const int failed = finishBeforeRestoreFile(fd.get(), name, error))
        return failed;
    *keptPath = name;
    return 0;
}

enum class MissingAnswer { KeepAsFile, AskLater, Discard };

// The file a copy was kept for is not at its path any more (gone, or another file has the name
// now): nothing is written there; the old content can be kept as a file of its own.
MissingAnswer askAboutMissing(const QString &path)
{
    platform::AlertRequest request;
    request.title = FillFormat(L_(QStringLiteral("\"%@\" was being saved when {*app*} stopped, and "
                                                 "is not there as it was.")),
                               {shownName(path)});
    request.text =
        ShownPath(path) + QStringLiteral("\n\n") +
        L_(QStringLiteral("It is gone, or another file has its name now; its old content was "
                          "kept from before the save.")) +
        QStringLiteral("\n\n") +
        FillFormat(L_(QStringLiteral("\"Keep the Old Content as a File\" writes it to a new file "
                                     "in %@; nothing is written at the file's name.")),
                   {ShownPath(BeforeRestoreFolder())}) +
        QStringLiteral("\n") +
        L_(QStringLiteral("\"Ask Again Later\" changes nothing, and you are asked again at the "
                          "next start.")) +
        QStringLiteral("\n") +
        L_(QStringLiteral("\"Discard the Old Content\" forgets it for good."));
    request.buttons = {L_(QStringLiteral("Keep the Old Content as a File")),
                       L_(QStringLiteral("Ask Again Later")),
                       L_(QStringLiteral("Discard the Old Content"))};
    // Return and Escape change nothing.
    request.cancelIndex = 1;
    request.defaultIndex = 1;
    switch (platform::runAlert(request)) {
    case platform::AlertFirstButtonReturn:
        return MissingAnswer::KeepAsFile;
    case platform::AlertThirdButtonReturn:
        return MissingAnswer::Discard;
    default:
        return MissingAnswer::AskLater;
    }
}

// Asks about a copy whose file is not there as it was; true when the copy is done with.
bool offerMissing(int copy, const KeptRecord &record, const QString &path, const QString &shown)
{
    switch (askAboutMissing(path)) {
    case MissingAnswer::AskLater:
        return false;
    case MissingAnswer::Discard:
        return true;
    case MissingAnswer::KeepAsFile:
        break;
    }
    QByteArray keptAs;
    platform::AlertRequest told;
    if (const int error = keepOldContentAsFile(copy, record, path, &keptAs)) {
        const QString why = QString::fromLocal8Bit(::strerror(error));
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR the old content of %1 could not be kept as a "
                                            "file (%2); it stays in %3")
                                 .arg(path, why, shown));
        told.title = FillFormat(L_(QStringLiteral("The old content of \"%@\" could not be kept as "
                                                  "a file.")),
                                {shownName(path)});
        told.text = why + QStringLiteral("\n\n") +
                    FillFormat(L_(QStringLiteral("It stays in %@, and you are asked again at the "
                                                 "next start.")),
                               {ShownPath(shown)});
        platform::runAlert(told);
        return false;
    }
    platform::Log(
        lcServices,
        QStringLiteral("Kept the old content of %1 as %2").arg(path, LocalPath_FromBytes(keptAs)));
    told.style = platform::AlertRequest::Informational;
    told.title = FillFormat(L_(QStringLiteral("The old content of \"%@\" is kept as a file.")),
                            {shownName(path)});
    told.text = ShownPath(LocalPath_FromBytes(keptAs));
    platform::runAlert(told);
    return true;
}

int restore(int copy, const KeptRecord &record, int target)
{
    if (const int error = CopyBytesBetween(copy, record.bodyOffset, target, 0, record.oldSize))
        return error;
    if (::ftruncate(target, off_t(record.oldSize)) != 0 || ::fsync(target) != 0)
        return errno;
    return 0;
}

// keptNow: where what the file held was kept before the failed write; empty when nothing was.
void tellRestoreFailed(const QString &path, const QString &shown, int error,
                       const QByteArray &keptNow = {})
{
    const QString why = QString::fromLocal8Bit(::strerror(error));
    platform::LogWarning(
        lcServices,
        QStringLiteral("ERROR the old content of %1 could not be put back (%2); it stays in %3")
            .arg(path, why, shown));
    platform::AlertRequest request;
    request.title = FillFormat(L_(QStringLiteral("The old content of \"%@\" could not be put "
                                                 "back.")),
                               {shownName(path)});
    request.text = why + QStringLiteral("\n\n") +
                   FillFormat(L_(QStringLiteral("It stays in %@, and you are asked again at the "
                                                "next start.")),
                              {ShownPath(shown)});
    if (!keptNow.isEmpty())
        request.text += QStringLiteral("\n") +
                        FillFormat(L_(QStringLiteral("What the file held before is kept in %@.")),
                                   {ShownPath(LocalPath_FromBytes(keptNow))});
    platform::runAlert(request);
}

// One entry of the folder; true when it was offered.
bool handleKept(int dirFd, const QString &folder, const QByteArray &name)
{
    const QString shown = folder + u'/' + QFile::decodeName(name);
    const Fd copy(::openat(dirFd, name.constData(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (copy.get() < 0 || ::fstat(copy.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid()) {
        platform::Log(lcServices,
                      QStringLiteral("Left %1: not a kept copy of this user").arg(shown));
        return false;
    }
    // Its process is still saving.
    if (::flock(copy.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(copy.get(), &st) != 0 ||
        st.st_nlink == 0)
        return false;
    const std::optional<KeptRecord> record = readRecord(copy.get(), st.st_size);
    if (!record) {
        // Its file was not touched before the copy was complete.
        ::unlinkat(dirFd, name.constData(), 0);
        platform::Log(lcServices, QStringLiteral("Removed the unfinished copy %1").arg(shown));
        return false;
    }
    const QString path = LocalPath_FromBytes(record->path);
    bool there = false;
    const Fd target = openKeptFor(*record, &there);
    if (target.get() < 0 && there) {
        // Still the file, but this user cannot write it now: asked about when it can be.
        platform::LogWarning(lcServices,
                             QStringLiteral("*** %1 was being saved when the application stopped "
                                            "and cannot be written now; its old content stays in "
                                            "%2")
                                 .arg(path, shown));
        return false;
    }
    if (target.get() < 0) {
        platform::LogWarning(lcServices,
                             QStringLiteral("*** %1 was being saved when the application stopped "
                                            "and is gone or another file now; its old content is "
                                            "in %2")
                                 .arg(path, shown));
        if (offerMissing(copy.get(), *record, path, shown))
            ::unlinkat(dirFd, name.constData(), 0);
        return true;
    }
    if (holdsWhole(copy.get(), *record, target.get())) {
        ::unlinkat(dirFd, name.constData(), 0);
        return false;
    }
    switch (askToRestore(path, BeforeRestoreFolder())) {
    case Answer::KeepAsItIs:
        return true;
    case Answer::Discard:
        break;
    case Answer::Restore: {
        QByteArray keptNow;
        if (const int error = keepCurrentContent(target.get(), path, &keptNow)) {
            tellRestoreFailed(path, shown, error);
            return true;
        }
        if (const int error = restore(copy.get(), *record, target.get())) {
            tellRestoreFailed(path, shown, error, keptNow);
            return true;
        }
        platform::Log(lcServices, QStringLiteral("Restored %1; what it held is kept in %2")
                                      .arg(path, LocalPath_FromBytes(keptNow)));
        break;
    }
    }
    ::unlinkat(dirFd, name.constData(), 0);
    return true;
}

} // namespace

QString InterruptedSavesFolder()
{
    const QString folder = GetSupportSubFolder(QStringLiteral("saving"));
    return platform::IsPrivateFolder(folder) ? folder : QString();
}

QString BeforeRestoreFolder()
{
    const QString folder = GetSupportSubFolder(QStringLiteral("beforeRestore"));
    return platform::IsPrivateFolder(folder) ? folder : QString();
}

int KeepOldContent(const QString &target, int targetFd, const struct stat &st,
                   const QByteArray &newContent, KeptOldContent *kept)
{
    return KeepOldContent(target, targetFd, st, newContent.size(),
                          QCryptographicHash::hash(newContent, QCryptographicHash::Sha256).toHex(),
                          kept);
}

int KeepOldContent(const QString &target, int targetFd, const struct stat &st, qint64 newSize,
                   const QByteArray &newHash, KeptOldContent *kept)
{
    const QString folder = InterruptedSavesFolder();
    if (folder.isEmpty())
        return EACCES;
    if (newSize < 0 || newHash.size() != 64)
        return EINVAL;
    // Named by its absolute path, as the start reads it back (a relative one would be refused
    // there, and the copy taken for an unfinished one).
    const QByteArray path = LocalPath_ToBytes(target);
    if (!path.startsWith('/'))
        return EINVAL;
    const qint64 oldSize = st.st_size;
    const QByteArray header = headerFor(path, st, proofOf(targetFd, st), newSize, newHash);
    const QByteArray stem = QFile::encodeName(folder) + '/' +
                            LocalPath_ToBytes(QFileInfo(target).fileName()).left(kNameBytes);
    // A start that finds the copy before it is locked takes it for an unfinished one and removes
    // it: then another is made.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QByteArray name = stem + "-XXXXXX";
        Fd fd(::mkostemp(name.data(), O_CLOEXEC));
        if (fd.get() < 0)
            return errno;
        struct stat made;
        int error = lockFile(fd.get(), LOCK_EX);
        if (error == 0 && ::fstat(fd.get(), &made) != 0)
            error = errno;
        if (error == 0 && made.st_nlink == 0)
            continue;
        if (error == 0)
            error = WriteBytesAt(fd.get(), header.constData(), header.size(), 0);
        if (error == 0)
            error = CopyBytesLeavingHoles(targetFd, 0, fd.get(), header.size(), oldSize);
        if (error == 0 && ::fsync(fd.get()) != 0)
            error = errno;
        if (error != 0) {
            ::unlink(name.constData());
            return error;
        }
        syncFolder(folder);
        kept->fd = std::move(fd);
        kept->path = name;
        kept->bodyOffset = header.size();
        kept->oldSize = oldSize;
        return 0;
    }
    return EAGAIN;
}

int PutOldContentBack(const KeptOldContent &kept, int targetFd)
{
    if (kept.fd.get() < 0)
        return EBADF;
    if (const int error =
            CopyBytesBetween(kept.fd.get(), kept.bodyOffset, targetFd, 0, kept.oldSize))
        return error;
    if (::ftruncate(targetFd, off_t(kept.oldSize)) != 0 || ::fsync(targetFd) != 0)
        return errno;
    return 0;
}

void DropOldContent(KeptOldContent *kept)
{
    if (!kept->path.isEmpty())
        ::unlink(kept->path.constData());
    kept->path.clear();
    kept->fd.reset();
}

int OfferInterruptedSaves()
{
    const QString folder = InterruptedSavesFolder();
    if (folder.isEmpty())
        return 0;
    const Fd dir(::open(QFile::encodeName(folder).constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0)
        return 0;
    int offered = 0;
    for (const QByteArray &name : platform::NamesInFolder(dir.get()))
        offered += handleKept(dir.get(), folder, name) ? 1 : 0;
    return offered;
}

std::optional<KeptCopyHeader> ReadKeptCopyHeader(int fd, qint64 fileSize)
{
    const std::optional<KeptRecord> record = readRecord(fd, fileSize);
    if (!record)
        return std::nullopt;
    return KeptCopyHeader{record->path, record->oldSize, record->newSize, record->bodyOffset};
}
