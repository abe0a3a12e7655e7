#pragma once
// What the folder compare judged one side's name to be, so that whatever reads that side later
// (the content compare, the folder patch, anything walking below a folder) reaches the very file
// or folder judged and nothing another user put in its place since: the device and inode of the
// regular file read or the folder listed, and whether the name was a link the compare saw and
// followed to a file (compare/ComparedTree checks it).

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QtGlobal>

// Kept with every entry of a compare (two per entry), so it is small: the device number as the
// kernel holds it (12 bits of major, 20 of minor) fits 32 bits exactly.
struct JudgedFile
{
    quint64 ino = 0;      // of the regular file (a link's target when viaLink)
    quint32 dev = 0;      // JudgedFile_Device of its device
    bool viaLink = false; // the name was a link to that file
    bool known = false;   // set for a side judged a regular file (or a link to one) or a folder

    bool operator==(const JudgedFile &) const = default;
};

// A device number as JudgedFile keeps it.
quint32 JudgedFile_Device(quint64 dev);
