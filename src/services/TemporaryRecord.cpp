#include "services/TemporaryRecord.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "services/FileBytes.h"
#include "services/SupportFolder.h"

#include <QDateTime>
#include <QFile>
#include <QList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

using Fd = platform::UniqueFd;

// A record, in lines:
//   pelko-temporary 1
//   <the folder's device> <the folder's inode>
//   <the folder's real path, hex>
//   <the entry's name, hex>
//   <the entry's device> <the entry's inode> <its type>
// (An earlier version wrote the first four lines before the create, and the last one after it.)
const QByteArray kMagic("pelko-temporary 1");
// Long enough for the longest path in hex.
constexpr qint64 kMaxRecord = 16384;
constexpr qint64 kForeignRecordAgeSeconds = 7 * 24 * 3600;

using Identity = LeftTemporary::Identity;
using Record = LeftTemporary;

QByteArray identityLine(const struct stat &st, bool withType)
{
    QByteArray line =
        QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino));
    if (withType)
        line += ' ' + QByteArray::number(quint64(st.st_mode & S_IFMT));
    return line + '\n';
}

std::optional<Identity> identityOf(const QByteArray &line, bool withType)
{
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != (withType ? 3 : 2))
        return std::nullopt;
    // Each number exactly as it is written: digits, without leading zeros.
    const auto number = [](const QByteArray &field) -> std::optional<quint64> {
        bool ok = false;
        const quint64 value = field.toULongLong(&ok);
        if (!ok || QByteArray::number(value) != field)
            return std::nullopt;
        return value;
    };
    const auto device = number(fields[0]), inode = number(fields[1]);
    const auto type = withType ? number(fields[2]) : std::optional<quint64>(0);
    if (!device || !inode || !type)
        return std::nullopt;
    // A type is what a made entry has: a kind of file, never "any".
    if (withType && (*type == 0 || (*type & ~quint64(S_IFMT)) != 0))
        return std::nullopt;
    return Identity{*device, *inode, *type};
}

std::optional<QByteArray> fromHex(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (bytes.isEmpty() || bytes.toHex() != hex || bytes.contains('\0'))
        return std::nullopt;
    return bytes;
}

// Nothing when the record is incomplete or malformed. A last line cut short (the process was
// killed while it added the entry's identity) counts as not written.
std::optional<Record> parseRecord(const QByteArray &bytes)
{
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.left(end).split('\n');
    if ((lines.size() != 4 && lines.size() != 5) || lines[0] != kMagic)
        return std::nullopt;
    Record record;
    const std::optional<Identity> folder = identityOf(lines[1], false);
    const std::optional<QByteArray> path = fromHex(lines[2]);
    const std::optional<QByteArray> name = fromHex(lines[3]);
    if (!folder || !path || !name || !path->startsWith('/') || name->contains('/') ||
        *name == "." || *name == "..")
        return std::nullopt;
    record.folder = *folder;
    record.folderPath = *path;
    record.name = *name;
    if (lines.size() == 5) {
        record.entry = identityOf(lines[4], true);
        if (!record.entry)
            return std::nullopt;
    }
    return record;
}

// The real path of an open folder, as the kernel names it; empty when it has none.
QByteArray realPathOf(int folder)
{
    QByteArray path(4096, Qt::Uninitialized);
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(folder);
    const ssize_t n = ::readlink(link.constData(), path.data(), size_t(path.size()));
    if (n <= 0 || n >= path.size())
        return {};
    path.truncate(n);
    // A removed folder is named "... (deleted)": nothing can be found there again.
    if (!path.startsWith('/') || path.endsWith(" (deleted)"))
        return {};
    return path;
}

// The folder at an absolute path, reached name by name from the root without following a link.
Fd openFolderNoFollow(const QByteArray &path)
{
    Fd folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray &name : path.split('/')) {
        if (!folder.isOpen())
            break;
        if (name.isEmpty())
            continue;
        if (name == "." || name == "..")
            return Fd();
        folder = Fd(::openat(folder.get(), name.constData(),
                             O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return folder;
}

bool processIsRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

enum class Owner { EndedHere, RunningHere, Elsewhere, NotARecord };

// Whose record the name is: "p<pid>-<where>-XXXXXX", where is ProcessTempFolderTag().
Owner ownerOf(const QByteArray &name)
{
    const qsizetype dash = name.indexOf('-');
    if (!name.startsWith('p') || dash < 2)
        return Owner::NotARecord;
    bool ok = false;
    const qint64 pid = name.mid(1, dash - 1).toLongLong(&ok);
    if (!ok)
        return Owner::NotARecord;
    if (!name.mid(dash + 1).startsWith(ProcessTempFolderTag().toUtf8() + '-'))
        return Owner::Elsewhere;
    return pid == qint64(::getpid()) || processIsRunning(pid) ? Owner::RunningHere
                                                              : Owner::EndedHere;
}

bool sameIdentity(const struct stat &st, const Identity &id)
{
    return quint64(st.st_dev) == id.device && quint64(st.st_ino) == id.inode &&
           (id.type == 0 || quint64(st.st_mode & S_IFMT) == id.type);
}

enum class Outcome { Removed, Left, FolderUnreachable };

Outcome removeNamed(const Record &record)
{
    const QString shown =
        QFile::decodeName(record.folderPath) + u'/' + QFile::decodeName(record.name);
    const Fd folder = openFolderNoFollow(record.folderPath);
    struct stat st;
    if (!folder.isOpen() || ::fstat(folder.get(), &st) != 0)
        return Outcome::FolderUnreachable;
    if (!sameIdentity(st, record.folder)) {
        platform::Log(lcServices,
                      QStringLiteral("Left %1: its folder is another one now").arg(shown));
        return Outcome::Left;
    }
    if (::fstatat(folder.get(), record.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Outcome::Left; // gone, or put in place
    const bool ours = st.st_uid == ::geteuid() && sameIdentity(st, *record.entry) &&
                      (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode));
    if (!ours) {
        platform::Log(lcServices,
                      QStringLiteral("Left %1: not the temporary file that was made").arg(shown));
        return Outcome::Left;
    }
    if (::unlinkat(folder.get(), record.name.constData(), 0) != 0)
        return Outcome::Left;
    platform::Log(lcServices,
                  QStringLiteral("Removed %1, left by a process that stopped").arg(shown));
    return Outcome::Removed;
}

bool olderThanAWeek(const struct stat &st)
{
    return st.st_mtime < QDateTime::currentSecsSinceEpoch() - kForeignRecordAgeSeconds;
}

// One entry of the records' folder; true when it removed a temporary.
bool handleRecord(int records, const QByteArray &name)
{
    const Owner owner = ownerOf(name);
    if (owner == Owner::RunningHere || owner == Owner::NotARecord)
        return false;
    const Fd fd(::openat(records, name.constData(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid()) {
        platform::Log(lcServices, QStringLiteral("Left %1 in the records of temporary files: not "
                                                 "a record of this user")
                                      .arg(QFile::decodeName(name)));
        return false;
    }
    if (owner == Owner::Elsewhere) {
        if (olderThanAWeek(st))
            ::unlinkat(records, name.constData(), 0);
        return false;
    }
    const std::optional<Record> record = ReadTemporaryRecord(fd.get(), qint64(st.st_size));
    if (!record || !record->entry) {
        // Killed while it wrote the record, or a record written before the create (an earlier
        // version), which may name what the create found taken: nothing of it is removed.
        ::unlinkat(records, name.constData(), 0);
        return false;
    }
    const Outcome outcome = removeNamed(*record);
    if (outcome != Outcome::FolderUnreachable || olderThanAWeek(st))
        ::unlinkat(records, name.constData(), 0);
    return outcome == Outcome::Removed;
}

} // namespace

std::optional<LeftTemporary> ReadTemporaryRecord(int fd, qint64 fileSize)
{
    QByteArray bytes;
    if (fileSize < 0 || fileSize > kMaxRecord || ReadBytesAt(fd, 0, fileSize, &bytes) != 0)
        return std::nullopt;
    return parseRecord(bytes);
}

QString TemporaryRecordsFolder()
{
    const QString folder = GetSupportSubFolder(QStringLiteral("temporaries"));
    return platform::IsPrivateFolder(folder) ? folder : QString();
}

bool TemporaryRecord::made(int folder, const QByteArray &name, const struct stat &st)
{
    const auto refused = [&](int error) {
        platform::LogWarning(
            lcServices,
            QStringLiteral("*** no record of the temporary file %1 (%2)")
                .arg(QFile::decodeName(name), QString::fromLocal8Bit(std::strerror(error))));
        forget();
        return false;
    };
    struct stat folderStatus;
    const QByteArray path = realPathOf(folder);
    if (path.isEmpty())
        return refused(ENOENT); // a folder removed meanwhile: nothing could find it again
    if (::fstat(folder, &folderStatus) != 0)
        return refused(errno);
    const QByteArray body = kMagic + '\n' + identityLine(folderStatus, false) + path.toHex() +
                            '\n' + name.toHex() + '\n' + identityLine(st, true);
    // Another entry in place of the one recorded: emptied first, so that a kill never leaves
    // the start a mix of both.
    if (mFd.isOpen() && ::ftruncate(mFd.get(), 0) != 0)
        return refused(errno);
    if (!mFd.isOpen()) {
        const QString records = TemporaryRecordsFolder();
        if (records.isEmpty()) {
            forget(); // no private folder for records: the start has nothing to read either
            return false;
        }
        QByteArray recordPath = QFile::encodeName(records) + "/p" +
                                QByteArray::number(qint64(::getpid())) + '-' +
                                ProcessTempFolderTag().toUtf8() + "-XXXXXX";
        mFd = Fd(::mkostemp(recordPath.data(), O_CLOEXEC));
        if (!mFd.isOpen())
            return refused(errno);
        mPath = recordPath;
    }
    // One write: a record cut short by a kill holds no identity, and so names nothing.
    if (const int error = WriteBytesAt(mFd.get(), body.constData(), body.size(), 0))
        return refused(error);
    return true;
}

void TemporaryRecord::forget()
{
    if (!mPath.isEmpty())
        ::unlink(mPath.constData());
    mPath.clear();
    mFd.reset();
}

int RemoveLeftTemporaries()
{
    const QString folder = TemporaryRecordsFolder();
    if (folder.isEmpty())
        return 0;
    const Fd records(::open(QFile::encodeName(folder).constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!records.isOpen())
        return 0;
    int removed = 0;
    for (const QByteArray &name : platform::NamesInFolder(records.get()))
        removed += handleRecord(records.get(), name) ? 1 : 0;
    return removed;
}
