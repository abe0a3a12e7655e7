// Line counting of arbitrary text under a few comment and quote rules: counts stay consistent
// and every comment range lies inside the text.
#include "FuzzQuiet.h"
#include "foundation/PelkoNSArray.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SourceLineCount.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 1 || size > 200000)
        return 0;
    const uint8_t rules = data[0];
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    auto language = MyLanguageInfo::create();
    static const char *const blocks[][2] = {{"/*", "*/"}, {"{", "}"}, {"<!--", "-->"}, {"", ""}};
    static const char *const lines[] = {"//", "#", "rem", ""};
    language->setCommentBegin_c(QString::fromLatin1(blocks[rules & 3][0]));
    language->setCommentEnd_c(QString::fromLatin1(blocks[rules & 3][1]));
    language->setLineComment1_c(QString::fromLatin1(lines[(rules >> 2) & 3]));
    language->setEscape_c((rules & 16) ? u'\\' : 0);
    language->setContinueQuote(rules & 32);

    const bool comments = rules & 64, strings = rules & 128, blanks = !(comments || strings);
    qint64 total = 0, comment = 0, code = 0, blank = 0;
    QString out;
    QVariantList ranges;
    if (!SrcCount_RemoveComment_AndString(language.get(), text, comments, strings, blanks, &total,
                                          &comment, &code, &blank, &out,
                                          comments ? &ranges : nullptr))
        __builtin_trap();
    if (total < 0 || comment < 0 || code < 0 || blank < 0 || blank > total || code > total ||
        out.size() > text.size())
        __builtin_trap();
    for (int i = 0; i < ranges.size(); ++i) {
        const Range r = rangeAt(ranges, i);
        if (r.location < 0 || r.length < 0 || r.location + r.length > text.size())
            __builtin_trap();
    }
    return 0;
}
