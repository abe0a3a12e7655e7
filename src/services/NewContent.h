#pragma once
// The new content of a replace: bytes in memory, or what an open file holds, read a block at a
// time so that a file of any size is never held whole.
//
// A file's content may be read twice: once for its digest (the kept copy of the old content
// records it, so that the next start knows the new content when it finds it whole), then as it
// is written. What is written is digested again on the way; a file whose bytes changed in between
// fails the write (kContentChanged), and the caller puts the old content back. A file whose
// status (size, modification or change time) moves while one read runs fails the same way, also
// when it is read only once.

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <sys/stat.h>

// What NewContent::writeTo answers when the file's bytes are not those it read before.
inline constexpr int kContentChanged = -1;

// Told how far a file's content has been read (0 to 1, over every read of it: the digest's and
// the write's); answering false stops the read as a cancel does (ECANCELED).
using ContentProgress = std::function<bool(double done)>;

class NewContent
{
public:
    // The bytes themselves.
    NewContent(const QByteArray &bytes);
    // The first size bytes of the file open as fd (not owned), read by offset. When cancel (may be
    // null) is set, or progress answers false, reading stops at the next block with ECANCELED.
    NewContent(int fd, qint64 size, const std::atomic<bool> *cancel = nullptr,
               ContentProgress progress = {});

    qint64 size() const { return mSize; }

    // The SHA-256 of the content, in hex; the file's is read whole, a block at a time, and
    // remembered for writeTo to compare with. 0, the read error, or kContentChanged when the file
    // holds other than size bytes.
    int digest(QByteArray *hex);

    // Writes the content at the start of fd, a block at a time. 0, the error, or kContentChanged
    // when the file's content is not what digest() read (or not size bytes long).
    int writeTo(int fd) const;

private:
    template <class Use> int eachBlock(int pass, int passes, Use use) const;

    QByteArray mBytes;
    int mFd = -1;
    qint64 mSize = 0;
    QByteArray mDigest; // of the file, once digest() read it
    const std::atomic<bool> *mCancel = nullptr;
    ContentProgress mProgress;
};
