#include "compare/FolderContentCompare.h"

#include "compare/ComparedTree.h"
#include "compare/LineEndReader.h"
#include "platform/RegularFile.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

namespace {

constexpr size_t kBlock = size_t{256} * 1024;

// Read blocks of one worker thread, reused for every pair it compares; never cleared, as every
// byte is written by a read before it is looked at.
struct ScratchBuffers
{
    std::unique_ptr<char[]> raw1{new char[kBlock]}, raw2{new char[kBlock]};
    std::unique_ptr<char[]> out1, out2; // normalised line ends; made on first use

    char *out(int side)
    {
        std::unique_ptr<char[]> &b = side == 1 ? out1 : out2;
        if (!b)
            b.reset(new char[kBlock]);
        return b.get();
    }
};

ScratchBuffers &scratch()
{
    thread_local ScratchBuffers buffers;
    return buffers;
}

using Fd = platform::UniqueFd;

ContentSideState stateOf(const struct stat &st)
{
    ContentSideState state;
    state.size = st.st_size;
    state.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    state.unlinked = st.st_nlink == 0;
    return state;
}

ContentVerdict verdictOf(TreeFailure why)
{
    switch (why) {
    case TreeFailure::Gone:
        return ContentVerdict::Vanished;
    case TreeFailure::NameTooLong:
        return ContentVerdict::NameTooLong;
    case TreeFailure::NotAsJudged:
    case TreeFailure::NotRegular: // where a regular file was judged
        return ContentVerdict::NotAsJudged;
    default:
        return ContentVerdict::Unreadable;
    }
}

ContentVerdict verdictOf(platform::RegularOpenFailure why)
{
    using F = platform::RegularOpenFailure;
    return why == F::Missing       ? ContentVerdict::Vanished
           : why == F::NameTooLong ? ContentVerdict::NameTooLong
           : why == F::NotRegular  ? ContentVerdict::Special
                                   : ContentVerdict::Unreadable;
}

// Opens only a regular file, never opening a pipe or device at all; answers the verdict that ends
// the compare when it fails. opened receives what the file was when it was opened. With judged,
// only the file judged.
int openRegular(int folder, const QByteArray &path, const JudgedFile *judged,
                ContentVerdict *failure, ContentSideState *opened)
{
    Fd fd;
    struct stat st
    {
    };
    if (judged) {
        TreeFailure why = TreeFailure::None;
        fd = TreeFile_OpenAt(folder, path, *judged, &why, &st);
        if (!fd.isOpen())
            *failure = verdictOf(why);
    } else {
        platform::RegularFile file = platform::OpenRegularFileAt(folder, path, true);
        if (!file.isOpen())
            *failure = verdictOf(file.failure);
        fd = std::move(file.fd);
        st = file.st;
    }
    if (!fd.isOpen())
        return -1;
    *opened = stateOf(st);
    // Files read in one block gain nothing from read-ahead advice.
    if (st.st_size > qint64(kBlock))
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd.release();
}

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// oneBlockSize receives the size of both files when they ended within their first block.
ContentVerdict compareBytes(int fa, int fb, const std::atomic<bool> *cancel, qint64 *oneBlockSize)
{
    ScratchBuffers &buffers = scratch();
    char *a = buffers.raw1.get(), *b = buffers.raw2.get();
    bool first = true;
    for (;;) {
        if (cancelled(cancel))
            return ContentVerdict::Cancelled;
        const ssize_t na = ReadFully(fa, a, kBlock);
        const ssize_t nb = ReadFully(fb, b, kBlock);
        if (na < 0 || nb < 0)
            return ContentVerdict::Unreadable;
        if (na != nb || std::memcmp(a, b, size_t(na)) != 0)
            return ContentVerdict::Different;
        // A block that is not full ended at the end of both files: no read is left to do.
        if (size_t(na) < kBlock) {
            if (first)
                *oneBlockSize = na;
            return ContentVerdict::Same;
        }
        first = false;
    }
}

ContentVerdict compareIgnoringLineEnds(int fa, int fb, const std::atomic<bool> *cancel)
{
    ScratchBuffers &buffers = scratch();
    char *const blocks[4] = {buffers.raw1.get(), buffers.out(1), buffers.raw2.get(),
                             buffers.out(2)};
    return CompareIgnoringLineEnds(fa, fb, cancel, blocks, kBlock);
}

} // namespace

ContentVerdict CompareFileContents(const QByteArray &path1, const QByteArray &path2,
                                   bool ignoreLineEnds, const std::atomic<bool> *cancel,
                                   ContentSideState *after1, ContentSideState *after2)
{
    return CompareFileContentsAt(AT_FDCWD, path1, AT_FDCWD, path2, ignoreLineEnds, cancel, after1,
                                 after2);
}

ContentVerdict CompareFileContentsAt(int folder1, const QByteArray &path1, int folder2,
                                     const QByteArray &path2, bool ignoreLineEnds,
                                     const std::atomic<bool> *cancel, ContentSideState *after1,
                                     ContentSideState *after2, const JudgedFile *judged1,
                                     const JudgedFile *judged2)
{
    ContentVerdict failure = ContentVerdict::Unreadable;
    ContentSideState opened1, opened2;
    const Fd fa(openRegular(folder1, path1, judged1, &failure, &opened1));
    if (fa.get() < 0)
        return failure;
    const Fd fb(openRegular(folder2, path2, judged2, &failure, &opened2));
    if (fb.get() < 0)
        return failure;
    qint64 oneBlockSize = -1;
    const ContentVerdict verdict = ignoreLineEnds
                                       ? compareIgnoringLineEnds(fa.get(), fb.get(), cancel)
                                       : compareBytes(fa.get(), fb.get(), cancel, &oneBlockSize);
    // A file read whole in one block that ended at the size it had when opened is taken as it
    // was opened; after longer reads the open file is looked at again.
    const auto after = [oneBlockSize](int fd, const ContentSideState &opened) {
        struct stat st
        {
        };
        if (oneBlockSize >= 0 && oneBlockSize == opened.size)
            return opened;
        if (::fstat(fd, &st) != 0) {
            ContentSideState gone;
            gone.unlinked = true;
            return gone;
        }
        return stateOf(st);
    };
    if (after1)
        *after1 = after(fa.get(), opened1);
    if (after2)
        *after2 = after(fb.get(), opened2);
    return verdict;
}
