#pragma once
// While a file is rewritten in place, its old bytes are kept in the support folder's "saving"
// folder, beside "tmp" (which the clean-up of ended processes empties), in a copy named for the
// file. The copy goes once the file holds the old or the new content whole; a process that dies
// in the middle leaves it, and the next start offers the old content back. Putting it back never
// destroys bytes: what the file holds then is first kept in the support folder's "beforeRestore".
//
// A copy is locked (flock) by its saving process for as long as it is kept, so a start meanwhile
// leaves a save in progress alone; the lock ends with the process however it ends.

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

// The folder of kept copies, made private when missing; null when it cannot be.
QString InterruptedSavesFolder();

// The old content of one file, kept while the file is rewritten.
struct KeptOldContent
{
    platform::UniqueFd fd; // holds the lock
    QByteArray path;
    qint64 bodyOffset = 0; // where the old bytes start in the copy
    qint64 oldSize = 0;
};

// Keeps the content of target, open as targetFd and of the status st (its first st.st_size
// bytes), on disk and synced before target is rewritten with newContent. It is copied a block at a
// time, whatever its size. 0, or the error.
int KeepOldContent(const QString &target, int targetFd, const struct stat &st,
                   const QByteArray &newContent, KeptOldContent *kept);
// The same for new content known by its size and SHA-256 (hex) alone.
int KeepOldContent(const QString &target, int targetFd, const struct stat &st, qint64 newSize,
                   const QByteArray &newHash, KeptOldContent *kept);

// Writes the kept old content back into the file open as targetFd, cut to its length and synced.
// 0, or the error (the copy then stays for the next start).
int PutOldContentBack(const KeptOldContent &kept, int targetFd);

// Removes the kept copy: the file holds the old or the new content whole again.
void DropOldContent(KeptOldContent *kept);

// The folder where a restore keeps what a file held before it was written over; null when it is
// not a private folder of this user.
QString BeforeRestoreFolder();

// At start: each copy a process left behind whose file holds neither its old nor its new content
// is offered back. "Keep the File as It Is" (the default, and Escape) changes nothing and leaves
// the copy, so the next start asks again; "Restore the Old Content" first keeps what the file
// holds now in BeforeRestoreFolder(), then writes the old content over it and removes the copy;
// "Discard the Old Content" removes the copy. A copy whose file holds either content whole is
// removed at once. One whose file is gone or is another file now is offered too, and nothing is
// ever written at the file's name: "Keep the Old Content as a File" writes the old content to a
// new private file of BeforeRestoreFolder() (the next alert names it) and removes the copy; "Ask
// Again Later" (the default, and Escape) leaves it; "Discard the Old Content" removes it. One
// whose file is there but cannot be written now stays (logged). Answers how many were offered.
int OfferInterruptedSaves();

// What a kept copy's header says, read without acting on it (for checks of the reader).
struct KeptCopyHeader
{
    QByteArray path; // the file's absolute path
    qint64 oldSize = -1, newSize = -1;
    qint64 bodyOffset = 0; // where the old bytes begin
};
// The header of the kept copy open as fd, fileSize bytes long; nothing when it is incomplete or
// malformed, as the start finds it.
std::optional<KeptCopyHeader> ReadKeptCopyHeader(int fd, qint64 fileSize);
