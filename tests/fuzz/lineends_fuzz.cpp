// The folder compare's content judgement that ignores line ends: two files are the same exactly
// when they are once every CRLF, CR and LF is one line end, however the reads in blocks cut them
// (a CR ending one block and its LF starting the next are one line end). Small blocks put many
// block ends inside every input.
#include "FuzzQuiet.h"
#include "compare/FolderContentCompare.h"
#include "compare/LineEndReader.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

QByteArray withOneLineEnd(const QByteArray &bytes)
{
    QByteArray out = bytes;
    out.replace("\r\n", "\n");
    out.replace('\r', '\n');
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

ContentVerdict compareInBlocks(const QString &a, const QString &b, size_t block)
{
    const int fa = ::open(QFile::encodeName(a).constData(), O_RDONLY | O_CLOEXEC);
    const int fb = ::open(QFile::encodeName(b).constData(), O_RDONLY | O_CLOEXEC);
    ContentVerdict verdict = ContentVerdict::Unreadable;
    if (fa >= 0 && fb >= 0) {
        std::vector<char> memory(4 * block);
        char *const buffers[4] = {memory.data(), memory.data() + block, memory.data() + 2 * block,
                                  memory.data() + 3 * block};
        verdict = CompareIgnoringLineEnds(fa, fb, nullptr, buffers, block);
    }
    if (fa >= 0)
        ::close(fa);
    if (fb >= 0)
        ::close(fb);
    return verdict;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    if (!dir.isValid() || size < 1 || size > 8192)
        return 0;
    // Byte 0 is the block size; the rest is the two files' bytes, split at the first NUL.
    const size_t block = 1 + data[0] % 64;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype cut = rest.indexOf('\0');
    const QByteArray a = cut < 0 ? rest : rest.left(cut);
    const QByteArray b = cut < 0 ? QByteArray() : rest.mid(cut + 1);
    const QString pathA = dir.filePath(QStringLiteral("a"));
    const QString pathB = dir.filePath(QStringLiteral("b"));
    if (!writeFile(pathA, a) || !writeFile(pathB, b))
        return 0;

    const bool same = withOneLineEnd(a) == withOneLineEnd(b);
    const ContentVerdict expected = same ? ContentVerdict::Same : ContentVerdict::Different;
    if (compareInBlocks(pathA, pathB, block) != expected)
        __builtin_trap();
    // The folder compare's own reads, in blocks larger than any input here.
    const QByteArray nameA = QFile::encodeName(pathA), nameB = QFile::encodeName(pathB);
    if (CompareFileContents(nameA, nameB, true, nullptr) != expected)
        __builtin_trap();
    if (CompareFileContents(nameA, nameB, false, nullptr) !=
        (a == b ? ContentVerdict::Same : ContentVerdict::Different))
        __builtin_trap();
    return 0;
}
