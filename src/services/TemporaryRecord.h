#pragma once
// What a process left beside a user's files when it was killed: the temporary file of a save
// (".NAME.XXXXXX") or of a folder copy (".NAME.pelko-XXXXXX"). Each is recorded in the support
// folder's "temporaries" once its exclusive create has made it (its folder's real path, device
// and inode, its name, and its own device, inode and type, written at once); the record goes when
// the temporary is gone or has taken its place. A record whose process ended names what that
// process made, and the next start removes exactly that: nothing is ever removed for its name
// alone, so a user's own file that looks like one of ours stays, also one that stood at a name
// the create found taken.
//
// Records are not synced: they are for a process that is killed, not for a machine that stops.
// A temporary whose record is missing (the machine stopped, or the process was killed between
// the create and the record) is left in place, which loses nothing.

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

    // Records name in the folder open as folder (a descriptor of any kind, O_PATH included), an
    // entry this process has just made itself (an exclusive create), whose status is st; a later
    // call records another entry in its place. False when no record could be written (logged):
    // then nothing removes the temporary after a kill.
    bool made(int folder, const QByteArray &name, const struct stat &st);
    // Removes the record: its temporary is gone or has taken its place.
    void forget();

private:
    platform::UniqueFd mFd;
    QByteArray mPath;
};

// What a record names: the folder (device and inode, and its real path, absolute), the entry's
// name in it (one name, neither "." nor ".."), and the entry's device, inode and type (the S_IFMT
// bits of its mode). Records of earlier versions were written before the create and may lack the
// entry's identity: such a record proves nothing about what stands at the name.
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
// followed, owned by this user, of the recorded device, inode and type (a record without the
// entry's identity removes nothing). The record goes then;
// one whose folder cannot be reached stays until it is a week old. Records of other machines go
// after a week, and nothing they name is touched. Answers how many entries were removed.
int RemoveLeftTemporaries();
