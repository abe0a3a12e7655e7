#pragma once
// Whole reads and writes at an offset of an open file, retried after signals and short counts.

#include <QByteArray>
#include <QtGlobal>

// Writes size bytes at offset. 0, or the error (ENOSPC when the file takes no more).
int WriteBytesAt(int fd, const char *data, qint64 size, qint64 offset);

// Reads up to size bytes from offset into *out (shorter at the end of the file). 0, or the error.
int ReadBytesAt(int fd, qint64 offset, qint64 size, QByteArray *out);

// Copies size bytes from one file to another, a block at a time. 0, or the error (EIO when the
// source ends early).
int CopyBytesBetween(int fromFd, qint64 fromOffset, int toFd, qint64 toOffset, qint64 size);

// The same into a new file: blocks of zeros are left as holes, so a sparse source takes no more
// room than it has, and the target's length is set to end with the copy. 0, or the error.
int CopyBytesLeavingHoles(int fromFd, qint64 fromOffset, int toFd, qint64 toOffset, qint64 size);

// True when the two files hold the same size bytes at the offsets (false on any read error).
bool SameBytesAt(int fdA, qint64 offsetA, int fdB, qint64 offsetB, qint64 size);
