#include "services/NewContent.h"

#include "services/FileBytes.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

constexpr qsizetype kPage = 4096;

bool isZeros(const char *bytes, qsizetype size)
{
    return std::all_of(bytes, bytes + size, [](char c) { return c == 0; });
}

// Leaves the file's size as it is: only what lies inside it can become a hole.
bool punchHole(int fd, qint64 at, qint64 length)
{
    return ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(at), off_t(length)) ==
           0;
}

// Writes the block at `at`, each run of pages of zeros (a sparse file's holes, most often) made a
// hole where the file system makes one, so the copy takes no more of the disk than its source.
// The runs made holes are added to holes.
int writeKeepingHoles(int fd, const QByteArray &block, qint64 at,
                      std::vector<std::pair<qint64, qint64>> *holes)
{
    const auto zerosAt = [&](qsizetype k) {
        return isZeros(block.constData() + k, std::min(kPage, block.size() - k));
    };
    for (qsizetype start = 0; start < block.size();) {
        const bool zeros = zerosAt(start);
        qsizetype end = start + kPage;
        while (end < block.size() && zerosAt(end) == zeros)
            end += kPage;
        end = std::min(end, block.size());
        if (zeros && punchHole(fd, at + start, end - start)) {
            if (!holes->empty() && holes->back().first + holes->back().second == at + start)
                holes->back().second += end - start;
            else
                holes->emplace_back(at + start, end - start);
        } else if (const int error =
                       WriteBytesAt(fd, block.constData() + start, end - start, at + start)) {
            return error;
        }
        start = end;
    }
    return 0;
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
    struct stat before
    {
    };
    if (::fstat(fd, &before) != 0)
        return errno;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const bool digested = !mDigest.isEmpty();
    std::vector<std::pair<qint64, qint64>> holes;
    const int error =
        eachBlock(digested ? 1 : 0, digested ? 2 : 1, [&](const QByteArray &block, qint64 at) {
            hash.addData(block);
            return writeKeepingHoles(fd, block, at, &holes);
        });
    if (error != 0)
        return error;
    // A hole past the file's old end is made only once the file reaches over it: room held there
    // (asked for before a write in place) is given back then.
    struct stat now
    {
    };
    if (!holes.empty() && holes.back().first + holes.back().second > before.st_size) {
        if (::fstat(fd, &now) != 0 || (now.st_size < mSize && ::ftruncate(fd, off_t(mSize)) != 0))
            return errno;
        for (const auto &[at, length] : holes)
            if (at + length > before.st_size)
                punchHole(fd, at, length);
    }
    return mDigest.isEmpty() || hash.result().toHex() == mDigest ? 0 : kContentChanged;
}
