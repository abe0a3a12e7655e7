// Cuts arbitrary UTF-16 text (lone surrogates and NUL included) into coloured runs with both
// scanners: runs are non-empty, in order, disjoint, inside the text before its first NUL, and in
// the scanners' colours.
#include "FuzzQuiet.h"
#include "layers/ColorRunParsers.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 400000)
        return 0;
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    const qsizetype nul = text.indexOf(QChar(0));
    const quint64 end = quint64(nul < 0 ? text.size() : nul);
    using namespace colorruns;
    for (auto parse : {Parse_Color_C, Parse_Color_HTML}) {
        QList<TEXT_BLOCK> runs;
        parse(text, &runs);
        quint64 next = 0;
        for (const TEXT_BLOCK &run : runs) {
            const bool known = run.color == kComment || run.color == kPreprocessor ||
                               run.color == kQuoted || run.color == kFunction ||
                               run.color == kNumber || run.color == kKeyword ||
                               run.color == kTagHead || run.color == kPlain;
            if (run.len == 0 || run.pos < next || run.pos + run.len > end || !known || run.used)
                std::abort();
            next = run.pos + run.len;
        }
    }
    return 0;
}
