#pragma once
// What the folder compare judged one side's name to be, so that whatever reads that side later
// (the content compare, the folder patch, anything walking below a folder) reaches the very file
// or folder judged and nothing another user put in its place since: the device and inode of the
// regular file read or the folder listed, and whether the name was a link the compare saw and
// followed to a file (compare/ComparedTree checks it).

#include <QtGlobal>

// Kept with every entry of a compare (two per entry). The device number is kept whole, as the
// system gives it: folding it into fewer bits would let two devices pass for one.
struct JudgedFile
{
    quint64 ino = 0;      // of the regular file (a link's target when viaLink)
    quint64 dev = 0;      // its device
    bool viaLink = false; // the name was a link to that file
    bool known = false;   // set for a side judged a regular file (or a link to one) or a folder

    bool operator==(const JudgedFile &) const = default;
};
