#include "themes/LanguageColorInfoDelegate.h"

#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>

qint64 DocumentTextLength(const QTextDocument *doc)
{
    // Without the final paragraph separator every QTextDocument has.
    return doc ? std::max(0, doc->characterCount() - 1) : 0;
}

void CopyDocumentText(const QTextDocument *doc, qint64 from, qint64 to, char16_t *dst)
{
    qint64 at = from;
    if (doc) {
        for (QTextBlock block = doc->findBlock(int(from)); block.isValid() && at < to;
             block = block.next()) {
            const qint64 start = block.position();
            const QString text = block.text();
            const qint64 contentEnd = start + text.size();
            if (at < contentEnd) {
                const qint64 n = std::min(to, contentEnd) - at;
                const char16_t *src =
                    reinterpret_cast<const char16_t *>(text.utf16()) + (at - start);
                std::copy(src, src + n, dst + (at - from));
                at += n;
            }
            if (at < to && at == contentEnd) {
                dst[at - from] = u'\n';
                ++at;
            }
        }
    }
    for (; at < to; ++at) // never leave units unset, whatever the document says
        dst[at - from] = u'\n';
}

qint64 DocumentLineStart(const QTextDocument *doc, qint64 position)
{
    if (!doc)
        return -1;
    const QTextBlock b = doc->findBlock(int(std::min(position, DocumentTextLength(doc))));
    return b.isValid() ? b.position() : -1;
}

qint64 DocumentLineContentEnd(const QTextDocument *doc, qint64 position)
{
    if (!doc)
        return -1;
    const qint64 length = DocumentTextLength(doc);
    const QTextBlock b = doc->findBlock(int(std::min(position, length)));
    return b.isValid() ? std::min<qint64>(b.position() + b.length() - 1, length) : -1;
}

qint64 LanguageColorInfoDelegate::colourTextLength()
{
    return DocumentTextLength(getMyTextStorage());
}

void LanguageColorInfoDelegate::copyColourText(qint64 from, qint64 to, char16_t *dst)
{
    CopyDocumentText(getMyTextStorage(), from, to, dst);
}

qint64 LanguageColorInfoDelegate::colourLineStart(qint64 position)
{
    return DocumentLineStart(getMyTextStorage(), position);
}

qint64 LanguageColorInfoDelegate::colourLineContentEnd(qint64 position)
{
    return DocumentLineContentEnd(getMyTextStorage(), position);
}
