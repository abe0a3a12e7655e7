#pragma once
// What an editor view gives its syntax colourer (LanguageColorInfo).

#include "platform/Range.h"

class QTextDocument;

class LanguageColorInfoDelegate
{
public:
    virtual ~LanguageColorInfoDelegate() = default;

    // Every position below is a position of the text the colourer reads (colourText...), which
    // is the document's own unless the view answers otherwise.

    // Paint the range's foreground with the theme colour of a SYNTAX_COLOR_INDEX.
    virtual void setTextInRange(Range range, int colorIndex) = 0;
    // Paint the range as a comment (index 999).
    virtual void setCommentColorForTextInRange(Range range) = 0;
    // The live document (not a copy).
    virtual QTextDocument *getMyTextStorage() = 0;
    // The colour index last painted at a position, or -1 when nothing (or index 0) was painted
    // there. The colourer finds uncoloured ("normal") text by this, not by the painted colour.
    virtual int paintedColorIndexAt(qint64 position) = 0;

    // The text the colourer reads. By default the document's, read block by block, a block's
    // separator counting as one LF. A view that shows one line of its text in several blocks
    // answers its text as lines instead, so that what runs across a block's edge is coloured as
    // on one line.
    virtual qint64 colourTextLength();
    // Copies text[from, to) into dst (to - from units).
    virtual void copyColourText(qint64 from, qint64 to, char16_t *dst);
    // Where the line holding the position starts, and where its terminator is (the text length
    // for the last line); -1 when there is no text.
    virtual qint64 colourLineStart(qint64 position);
    virtual qint64 colourLineContentEnd(qint64 position);
};

// The defaults, on any document.
qint64 DocumentTextLength(const QTextDocument *doc);
void CopyDocumentText(const QTextDocument *doc, qint64 from, qint64 to, char16_t *dst);
qint64 DocumentLineStart(const QTextDocument *doc, qint64 position);
qint64 DocumentLineContentEnd(const QTextDocument *doc, qint64 position);
