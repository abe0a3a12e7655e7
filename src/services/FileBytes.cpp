#include "services/FileBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr qint64 kBlock = 1 << 20;

// One read at offset, retried after signals. The count, 0 at the end, or -1 with errno set.
ssize_t readSome(int fd, char *to, qint64 size, qint64 offset)
{
    for (;;) {
        const ssize_t n = ::pread(fd, to, size_t(size), off_t(offset));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace

int WriteBytesAt(int fd, const char *data, qint64 size, qint64 offset)
{
    qint64 at = 0;
    while (at < size) {
        const ssize_t n = ::pwrite(fd, data + at, size_t(size - at), off_t(offset + at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        at += n;
    }
    return 0;
}

int ReadBytesAt(int fd, qint64 offset, qint64 size, QByteArray *out)
{
    out->resize(qsizetype(size));
    qint64 at = 0;
    while (at < size) {
        const ssize_t n = readSome(fd, out->data() + at, size - at, offset + at);
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        at += n;
    }
    out->resize(qsizetype(at));
    return 0;
}

int CopyBytesBetween(int fromFd, qint64 fromOffset, int toFd, qint64 toOffset, qint64 size)
{
    QByteArray block;
    for (qint64 done = 0; done < size;) {
        const qint64 want = std::min(kBlock, size - done);
        if (const int error = ReadBytesAt(fromFd, fromOffset + done, want, &block))
            return error;
        if (block.size() != want)
            return EIO;
        if (const int error = WriteBytesAt(toFd, block.constData(), want, toOffset + done))
            return error;
        done += want;
    }
    return 0;
}

int CopyBytesLeavingHoles(int fromFd, qint64 fromOffset, int toFd, qint64 toOffset, qint64 size)
{
    static const QByteArray zeros(kBlock, '\0');
    QByteArray block;
    for (qint64 done = 0; done < size;) {
        const qint64 want = std::min(kBlock, size - done);
        if (const int error = ReadBytesAt(fromFd, fromOffset + done, want, &block))
            return error;
        if (block.size() != want)
            return EIO;
        if (std::memcmp(block.constData(), zeros.constData(), size_t(want)) != 0) {
            if (const int error = WriteBytesAt(toFd, block.constData(), want, toOffset + done))
                return error;
        }
        done += want;
    }
    return ::ftruncate(toFd, off_t(toOffset + size)) == 0 ? 0 : errno;
}

bool SameBytesAt(int fdA, qint64 offsetA, int fdB, qint64 offsetB, qint64 size)
{
    QByteArray a, b;
    for (qint64 done = 0; done < size;) {
        const qint64 want = std::min(kBlock, size - done);
        if (ReadBytesAt(fdA, offsetA + done, want, &a) != 0 ||
            ReadBytesAt(fdB, offsetB + done, want, &b) != 0 || a.size() != want || a != b)
            return false;
        done += want;
    }
    return true;
}
