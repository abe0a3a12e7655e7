#include "services/NewContent.h"

#include "services/FileBytes.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {

constexpr qint64 kBlock = qint64{1} << 20;

// True when the file open as fd ends at size: nothing more can be read there.
bool endsAt(int fd, qint64 size, int *error)
{
    QByteArray more;
    *error = ReadBytesAt(fd, size, 1, &more);
    return *error == 0 && more.isEmpty();
}

// What a change to a file shows in its status; reading it changes none of it.
bool sameStatus(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

NewContent::NewContent(const QByteArray &bytes) : mBytes(bytes), mSize(bytes.size())
{}

NewContent::NewContent(int fd, qint64 size, const std::atomic<bool> *cancel,
                       ContentProgress progress)
    : mFd(fd), mSize(std::max<qint64>(size, 0)), mCancel(cancel), mProgress(std::move(progress))
{}

// Reads the file's size bytes a block at a time, handing each to use (which answers 0 or an
// error), and tells the progress as the read numbered pass (from 0) of passes. 0, the error,
// ECANCELED, or kContentChanged when the file ends early, goes on, or its status moves meanwhile.
template <class Use> int NewContent::eachBlock(int pass, int passes, Use use) const
{
    struct stat before, after;
    if (::fstat(mFd, &before) != 0)
        return errno;
    const double whole = double(std::max<qint64>(mSize, 1)) * passes;
    QByteArray block;
    for (qint64 done = 0; done < mSize;) {
        if (mCancel && mCancel->load())
            return ECANCELED;
        const qint64 want = std::min(kBlock, mSize - done);
        if (const int error = ReadBytesAt(mFd, done, want, &block))
            return error;
        if (block.size() != want)
            return kContentChanged;
        if (const int error = use(block, done))
            return error;
        done += want;
        if (mProgress && !mProgress((double(pass) * double(mSize) + double(done)) / whole))
            return ECANCELED;
    }
    int error = 0;
    if (!endsAt(mFd, mSize, &error))
        return error != 0 ? error : kContentChanged;
    if (::fstat(mFd, &after) != 0)
        return errno;
    return sameStatus(before, after) ? 0 : kContentChanged;
}

int NewContent::digest(QByteArray *hex)
{
    if (mFd < 0) {
        *hex = QCryptographicHash::hash(mBytes, QCryptographicHash::Sha256).toHex();
        return 0;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const int error = eachBlock(0, 2, [&](const QByteArray &block, qint64) {
        hash.addData(block);
        return 0;
    });
    if (error != 0)
        return error;
    mDigest = hash.result().toHex();
    *hex = mDigest;
    return 0;
}

int NewContent::writeTo(int fd) const
{
    if (mFd < 0)
        return WriteBytesAt(fd, mBytes.constData(), mBytes.size(), 0);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const bool digested = !mDigest.isEmpty();
    const int error =
        eachBlock(digested ? 1 : 0, digested ? 2 : 1, [&](const QByteArray &block, qint64 at) {
            hash.addData(block);
            return WriteBytesAt(fd, block.constData(), block.size(), at);
        });
    if (error != 0)
        return error;
    return mDigest.isEmpty() || hash.result().toHex() == mDigest ? 0 : kContentChanged;
}
