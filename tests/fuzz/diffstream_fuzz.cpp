// The line compare's output read as it arrives: wherever the pieces split it, the blocks (or the
// refusal) are those of the whole output parsed at once.
#include "FuzzQuiet.h"
#include "compare/DiffOutputStream.h"
#include "compare/LineCompare.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 2)
        return 0;
    // The first two bytes choose where the pieces end; the rest is the output.
    const unsigned seed = data[0] | (unsigned(data[1]) << 8);
    const QByteArray output(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const auto whole = ParseDiffNormalOutput(output);

    DiffOutputStream stream;
    qsizetype at = 0;
    unsigned state = seed;
    while (at < output.size()) {
        state = state * 1103515245u + 12345u;
        const qsizetype piece = std::min<qsizetype>(output.size() - at, (state >> 16) % 9);
        stream.feed(QByteArrayView(output).sliced(at, piece));
        at += piece;
    }
    stream.finish();
    if (stream.failed() != !whole.has_value())
        __builtin_trap();
    if (whole && stream.blocks() != *whole)
        __builtin_trap(); // the pieces gave other blocks than the whole
    return 0;
}
