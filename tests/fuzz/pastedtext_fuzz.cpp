// Pasted text through the text helpers: a frame read from it has a positive size or is zero,
// escaping round-trips text that holds no token already, previews keep their bound, and the
// mirror is its own inverse.
#include "FuzzQuiet.h"
#include "layers/TextTokens.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 1 || size > 200000)
        return 0;
    const int n = int(int8_t(data[0]));
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const QRectF frame = GetFirstItemFrameFrpmPasteStr(text);
    if (!frame.isNull() && !(frame.width() > 0 && frame.height() > 0))
        std::abort();

    const QString escaped = EscapeLineBreakTokens(text);
    if (escaped.contains(u'\n') || escaped.contains(u'\r') || escaped.contains(u'\t') ||
        escaped.contains(u'='))
        std::abort();
    const bool holdsToken =
        text.contains(QStringLiteral("{XUONGDONG_")) || text.contains(QStringLiteral("{DAU_"));
    if (!holdsToken && UnescapeLineBreakTokens(escaped) != text)
        std::abort();

    const QString preview = ShortEscapedText(text, n);
    if (preview.contains(u'\n') || preview.contains(u'\r') || preview.contains(u'\t'))
        std::abort();
    if (preview.size() > qMax(n, 3) && preview.size() > 0 && !text.isEmpty() &&
        preview.size() > qMax(0, n - 3) + 3)
        std::abort();

    if (MirrorPrintableChars(MirrorPrintableChars(text)) != text)
        std::abort();
    return 0;
}
