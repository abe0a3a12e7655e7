#include "services/NewContent.h"

#include "services/FileBytes.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>

namespace {

constexpr qint64 kBlock = qint64{1} << 20;

// True when the file open as fd ends at size: nothing more can be read there.
bool endsAt(int fd, qint64 size, int *error)
{
    QByteArray more;
    *error = ReadBytesAt(fd, size, 1, &more);
    return *error == 0 && more.isEmpty();
}

// Reads the file's size bytes a block at a time, handing each to use (which answers 0 or an
// error). 0, the error, ECANCELED, or kContentChanged when the file ends early or goes on.
template <class Use> int eachBlock(int fd, qint64 size, const std::atomic<bool> *cancel, Use use)
{
    QByteArray block;
    for (qint64 done = 0; done < size;) {
        if (cancel && cancel->load())
            return ECANCELED;
        const qint64 want = std::min(kBlock, size - done);
        if (const int error = ReadBytesAt(fd, done, want, &block))
            return error;
        if (block.size() != want)
            return kContentChanged;
        if (const int error = use(block, done))
            return error;
        done += want;
    }
    int error = 0;
    if (!endsAt(fd, size, &error))
        return error != 0 ? error : kContentChanged;
    return 0;
}

} // namespace

NewContent::NewContent(const QByteArray &bytes) : mBytes(bytes), mSize(bytes.size())
{}

NewContent::NewContent(int fd, qint64 size, const std::atomic<bool> *cancel)
    : mFd(fd), mSize(std::max<qint64>(size, 0)), mCancel(cancel)
{}

int NewContent::digest(QByteArray *hex)
{
    if (mFd < 0) {
        *hex = QCryptographicHash::hash(mBytes, QCryptographicHash::Sha256).toHex();
        return 0;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const int error = eachBlock(mFd, mSize, mCancel, [&](const QByteArray &block, qint64) {
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
    const int error = eachBlock(mFd, mSize, mCancel, [&](const QByteArray &block, qint64 at) {
        hash.addData(block);
        return WriteBytesAt(fd, block.constData(), block.size(), at);
    });
    if (error != 0)
        return error;
    return mDigest.isEmpty() || hash.result().toHex() == mDigest ? 0 : kContentChanged;
}
