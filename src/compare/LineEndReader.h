#pragma once
// Reading two files for a content compare that takes CR, LF and CRLF for the same line end.

#include "compare/FolderContentCompare.h"

#include <atomic>
#include <cstddef>
#include <sys/types.h>

// Reads up to n bytes, retrying short reads; -1 on error.
ssize_t ReadFully(int fd, char *buffer, size_t n);

// A file's bytes with every CR, LF and CRLF given as one LF, read in blocks. A CR at the end of
// one block and an LF at the start of the next are one line end.
class LineEndReader
{
public:
    // raw and out hold `block` bytes each.
    LineEndReader(int fd, char *raw, char *out, size_t block)
        : mFd(fd), mRaw(raw), mOut(out), mBlock(block)
    {}

    // Makes sure unread normalised bytes are there; false at the end; error set on failure.
    bool fill();
    const char *data() const { return mOut + mPos; }
    size_t available() const { return mOutSize - mPos; }
    void consume(size_t n) { mPos += n; }
    bool error = false;

private:
    // The output never outgrows the input, so it fits the block.
    void normalize(size_t n);

    int mFd;
    char *mRaw, *mOut;
    size_t mBlock;
    size_t mOutSize = 0;
    size_t mPos = 0;
    bool mAfterCR = false;
};

// Compares two open files from where they stand, each read through a LineEndReader on its pair
// of buffers (raw, out) of `block` bytes. cancel may be null.
ContentVerdict CompareIgnoringLineEnds(int fa, int fb, const std::atomic<bool> *cancel,
                                       char *const buffers[4], size_t block);
