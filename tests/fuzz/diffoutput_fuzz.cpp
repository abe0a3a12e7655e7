// Fuzz target: the reader of the line compare's output ("setting.log"). Whatever the bytes, it
// answers a list of sane blocks or nothing, and never reads out of bounds.
#include "FuzzQuiet.h"
#include "compare/LineCompare.h"
#include "compare/MergeBlock.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto blocks = ParseDiffNormalOutput(bytes);
    if (!blocks)
        return 0;
    for (const MERGE_BLOCK &b : *blocks) {
        for (int side = 1; side <= 2; ++side) {
            if (b.startLine[side] < 0 || b.lineCount[side] < 0)
                std::abort();
        }
    }
    // Line tables of the same bytes read as text must map every position back to a line.
    const QString text = QString::fromUtf8(bytes);
    const LineTable table = BuildLineTable(text);
    for (qint64 pos = 0; pos < text.size(); pos += 7) {
        const qint64 line = LineOfPosition(table, pos);
        if (line < 0 || line >= static_cast<qint64>(table.size()))
            std::abort();
    }
    return 0;
}
