#pragma once
// What the folder compare judged one side's name to be, so that whatever reads that side later
// (the content compare, the folder patch) reads the very file judged and nothing another user
// put in its place since: the device and inode of the regular file read, and whether the name
// was a link the compare saw and followed to it.

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QtGlobal>

// Kept with every entry of a compare (two per entry). The device number is kept whole, as the
// system gives it: folding it into fewer bits would let two devices pass for one.
struct JudgedFile
{
    quint64 ino = 0;      // of the regular file (a link's target when viaLink)
    quint64 dev = 0;      // its device
    bool viaLink = false; // the name was a link to that file
    bool known = false;   // set only for a side judged a regular file (or a link to one)

    bool operator==(const JudgedFile &) const = default;
};

// Why a judged side was not opened.
enum class JudgedOpenFailure {
    None,
    Gone,        // nothing by that name (or a folder above it is gone)
    NameTooLong, // the path is longer than the system takes
    Unreadable,  // there but may not be read
    NotAsJudged, // another file, a link where none was, or no regular file: changed since
};

// Opens name (relative to folder, or whole with AT_FDCWD) for reading as the compare judged it:
// without following a link unless judged.viaLink, and only a regular file of the judged device
// and inode (when judged is not known: any regular file that is not reached through a link). A
// pipe is never waited on. Answers the open descriptor, or none with *why (may be null) set.
platform::UniqueFd JudgedFile_Open(int folder, const QByteArray &name, const JudgedFile &judged,
                                   JudgedOpenFailure *why = nullptr);

// The folder at rel (names joined by "/"; empty for the top itself) below the top folder, held
// open (O_PATH): the top folder as named, a link there followed, and every name below it opened
// without following a link, so a folder swapped for a link on the way is never walked through.
platform::UniqueFd JudgedFile_OpenFolder(const QByteArray &top, const QByteArray &rel,
                                         JudgedOpenFailure *why = nullptr);
