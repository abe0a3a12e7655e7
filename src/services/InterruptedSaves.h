#pragma once
// While a file is rewritten in place, its old bytes are kept in the support folder's "saving"
// folder, beside "tmp" (which the clean-up of ended processes empties), in a copy named for the
// file. The copy goes once the file holds the old or the new content whole; a process that dies
// in the middle leaves it, and the next start offers the old content back.
//
// A copy is locked (flock) by its saving process for as long as it is kept, so a start meanwhile
// leaves a save in progress alone; the lock ends with the process however it ends.

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

// The folder of kept copies, made private when missing; null when it cannot be.
QString InterruptedSavesFolder();

// The old content of one file, kept while the file is rewritten.
struct KeptOldContent
{
    platform::UniqueFd fd; // holds the lock
    QByteArray path;
};

// Keeps old, the content of target (the file of the given device and inode), on disk and synced,
// before target is rewritten with newContent. 0, or the error.
int KeepOldContent(const QString &target, dev_t device, ino_t inode, const QByteArray &old,
                   const QByteArray &newContent, KeptOldContent *kept);

// Removes the kept copy: the file holds the old or the new content whole again.
void DropOldContent(KeptOldContent *kept);

// At start: each copy a process left behind whose file holds neither its old nor its new content
// is offered back ("restore the old content" / "keep the file as it is") and removed once
// answered; one whose file holds either content whole is removed at once. A copy whose file is
// gone or is another file now stays where it is (logged). Answers how many were offered.
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
