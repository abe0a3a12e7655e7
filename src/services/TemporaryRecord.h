#pragma once
// What a process left beside a user's files when it was killed: the temporary file of a save
// (".NAME.XXXXXX") or of a folder copy (".NAME.pelko-XXXXXX"). Each is recorded in the support
// folder's "temporaries" before it is made (its folder's real path, device and inode, and its
// name), and its device and inode are added once it is made; the record goes when the temporary
// is gone or has taken its place. A record whose process ended names what that process left, and
// the next start removes exactly that: nothing is ever removed for its name alone, so a user's
// own file that looks like one of ours stays.
//
// Records are not synced: they are for a process that is killed, not for a machine that stops
// (whose temporaries a missing record leaves in place, which loses nothing).

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>

class TemporaryRecord
{
public:
    TemporaryRecord() = default;
    ~TemporaryRecord() { forget(); }
    TemporaryRecord(const TemporaryRecord &) = delete;
    TemporaryRecord &operator=(const TemporaryRecord &) = delete;

    // Records that name is about to be made in the folder open as folder (a descriptor of any
    // kind, O_PATH included); a later call records another name in its place. False when no
    // record could be written (logged): the temporary may still be made, but nothing removes it
    // after a kill.
    bool willMake(int folder, const QByteArray &name);
    // Adds the identity of the entry once it is made.
    void made(const struct stat &st);
    // Removes the record: its temporary is gone or has taken its place.
    void forget();

private:
    platform::UniqueFd mFd;
    QByteArray mPath;
    qint64 mLength = 0;
};

// What a record names: the folder (device and inode, and its real path, absolute), the entry's
// name in it (one name, neither "." nor ".."), and once it was made, the entry's device, inode and
// type (the S_IFMT bits of its mode).
struct LeftTemporary
{
    struct Identity
    {
        quint64 device = 0, inode = 0, type = 0;
    };
    Identity folder;
    QByteArray folderPath;
    QByteArray name;
    std::optional<Identity> entry;
};

// The record open as fd, fileSize bytes long, as the start reads it; nothing when it is not
// exactly as a record is written (a last line cut short counts as not written yet).
std::optional<LeftTemporary> ReadTemporaryRecord(int fd, qint64 fileSize);

// The folder of the records; null when it is not a private folder of this user.
QString TemporaryRecordsFolder();

// At start: for each record of a process of this PID namespace, boot and host that no longer
// runs, removes the entry it names when that still is the very entry it made: reached from the
// root without following a link, in the folder of the recorded device and inode, itself not
// followed, owned by this user, of the recorded device and inode (an entry recorded before its
// identity was added goes only when it is an empty file, as it was made). The record goes then;
// one whose folder cannot be reached stays until it is a week old. Records of other machines go
// after a week, and nothing they name is touched. Answers how many entries were removed.
int RemoveLeftTemporaries();
