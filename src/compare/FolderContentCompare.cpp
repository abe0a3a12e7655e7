#include "compare/FolderContentCompare.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kBlock = size_t{256} * 1024;

class Fd
{
public:
    explicit Fd(int fd) : mFd(fd) {}
    ~Fd()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return mFd; }

private:
    int mFd;
};

// Opens without blocking on a pipe; answers the verdict that ends the compare when it fails.
int openRegular(const QByteArray &path, ContentVerdict *failure)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *failure = (errno == ENOENT || errno == ENOTDIR) ? ContentVerdict::Vanished
                                                         : ContentVerdict::Unreadable;
        return -1;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *failure = ContentVerdict::Special;
        return -1;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

// Reads up to n bytes, retrying short reads; -1 on error.
ssize_t readFull(int fd, char *buf, size_t n)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, buf + got, n - got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        got += size_t(r);
    }
    return ssize_t(got);
}

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

ContentVerdict compareBytes(int fa, int fb, const std::atomic<bool> *cancel)
{
    std::vector<char> a(kBlock), b(kBlock);
    for (;;) {
        if (cancelled(cancel))
            return ContentVerdict::Cancelled;
        const ssize_t na = readFull(fa, a.data(), kBlock);
        const ssize_t nb = readFull(fb, b.data(), kBlock);
        if (na < 0 || nb < 0)
            return ContentVerdict::Unreadable;
        if (na != nb || std::memcmp(a.data(), b.data(), size_t(na)) != 0)
            return ContentVerdict::Different;
        if (na == 0)
            return ContentVerdict::Same;
    }
}

// A file's bytes with every CR, LF and CRLF given as one LF. A CR at the end of one block and an
// LF at the start of the next are one line end.
class LineEndReader
{
public:
    explicit LineEndReader(int fd) : mFd(fd), mRaw(kBlock) {}

    // Makes sure unread normalised bytes are there; false at the end; error set on failure.
    bool fill()
    {
        while (mPos >= mOut.size()) {
            mOut.clear();
            mPos = 0;
            const ssize_t n = readFull(mFd, mRaw.data(), kBlock);
            if (n < 0) {
                error = true;
                return false;
            }
            if (n == 0)
                return false;
            normalize(size_t(n));
        }
        return true;
    }
    const char *data() const { return mOut.data() + mPos; }
    size_t available() const { return mOut.size() - mPos; }
    void consume(size_t n) { mPos += n; }
    bool error = false;

private:
    void normalize(size_t n)
    {
        mOut.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            const char c = mRaw[i];
            if (c == '\r') {
                mOut.push_back('\n');
                mAfterCR = true;
                continue;
            }
            if (c == '\n' && mAfterCR) {
                mAfterCR = false;
                continue;
            }
            mAfterCR = false;
            mOut.push_back(c);
        }
    }

    int mFd;
    std::vector<char> mRaw, mOut;
    size_t mPos = 0;
    bool mAfterCR = false;
};

ContentVerdict compareIgnoringLineEnds(int fa, int fb, const std::atomic<bool> *cancel)
{
    LineEndReader a(fa), b(fb);
    for (;;) {
        if (cancelled(cancel))
            return ContentVerdict::Cancelled;
        const bool moreA = a.fill();
        const bool moreB = b.fill();
        if (a.error || b.error)
            return ContentVerdict::Unreadable;
        if (!moreA || !moreB)
            return moreA == moreB ? ContentVerdict::Same : ContentVerdict::Different;
        const size_t n = std::min(a.available(), b.available());
        if (std::memcmp(a.data(), b.data(), n) != 0)
            return ContentVerdict::Different;
        a.consume(n);
        b.consume(n);
    }
}

} // namespace

ContentVerdict CompareFileContents(const QByteArray &path1, const QByteArray &path2,
                                   bool ignoreLineEnds, const std::atomic<bool> *cancel)
{
    ContentVerdict failure = ContentVerdict::Unreadable;
    const Fd fa(openRegular(path1, &failure));
    if (fa.get() < 0)
        return failure;
    const Fd fb(openRegular(path2, &failure));
    if (fb.get() < 0)
        return failure;
    return ignoreLineEnds ? compareIgnoringLineEnds(fa.get(), fb.get(), cancel)
                          : compareBytes(fa.get(), fb.get(), cancel);
}
