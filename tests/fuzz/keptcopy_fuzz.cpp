// The kept copy of an interrupted save, as the next start finds it in the "saving" folder after a
// crash, a full disk or another program's hand. Its header names a file that the start would
// write the old bytes over, so this target only reads headers and never restores: nothing is
// written outside its own temporary folder. A header is taken only when it names an absolute
// path without NUL bytes, its sizes are not negative, it ends within the header limit and the
// old bytes fill the rest of the copy exactly.
#include "FuzzInputFile.h"
#include "FuzzQuiet.h"
#include "services/InterruptedSaves.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The header limit of the reader: the longest path in hex and the lines around it.
constexpr qint64 kMaxHeader = 16384;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 64 * 1024)
        return 0;
    const std::optional<KeptCopyHeader> header =
        pelkofuzz::readAsFile<std::optional<KeptCopyHeader>>(
            data, size, "kept-XXXXXX",
            [](int fd, qint64 fileSize) { return ReadKeptCopyHeader(fd, fileSize); });
    if (!header)
        return 0;
    if (header->path.isEmpty() || header->path.front() != '/' || header->path.contains('\0'))
        __builtin_trap();
    if (header->oldSize < 0 || header->newSize < 0)
        __builtin_trap();
    if (header->bodyOffset <= 0 || header->bodyOffset > kMaxHeader ||
        header->bodyOffset > qint64(size))
        __builtin_trap();
    if (header->oldSize != qint64(size) - header->bodyOffset)
        __builtin_trap(); // the old bytes do not fill the copy
    // The header ends with a line end just before the old bytes.
    if (data[header->bodyOffset - 1] != '\n')
        __builtin_trap();
    return 0;
}
