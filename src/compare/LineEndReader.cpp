#include "compare/LineEndReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

ssize_t ReadFully(int fd, char *buffer, size_t n)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, buffer + got, n - got);
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

bool LineEndReader::fill()
{
    while (mPos >= mOutSize) {
        mOutSize = 0;
        mPos = 0;
        const ssize_t n = ReadFully(mFd, mRaw, mBlock);
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

void LineEndReader::normalize(size_t n)
{
    size_t w = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = mRaw[i];
        if (c == '\r') {
            mOut[w++] = '\n';
            mAfterCR = true;
            continue;
        }
        if (c == '\n' && mAfterCR) {
            mAfterCR = false;
            continue;
        }
        mAfterCR = false;
        mOut[w++] = c;
    }
    mOutSize = w;
}

ContentVerdict CompareIgnoringLineEnds(int fa, int fb, const std::atomic<bool> *cancel,
                                       char *const buffers[4], size_t block)
{
    LineEndReader a(fa, buffers[0], buffers[1], block);
    LineEndReader b(fb, buffers[2], buffers[3], block);
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed))
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
