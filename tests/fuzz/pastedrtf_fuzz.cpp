// Pasted RTF of any shape gives plain text no longer than its input, without reading past it.
#include "controls/NSTextViewPasteNormal.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 200000)
        return 0;
    const QByteArray rtf(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = NSTextViewPasteNormal::plainTextFromRtf(rtf);
    if (text.size() > rtf.size())
        __builtin_trap();
    return 0;
}
