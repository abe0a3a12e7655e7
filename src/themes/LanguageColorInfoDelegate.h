#pragma once
// What an editor view gives its syntax colourer (LanguageColorInfo).

#include "platform/Range.h"

class QTextDocument;

class LanguageColorInfoDelegate
{
public:
    virtual ~LanguageColorInfoDelegate() = default;

    // Paint the range's foreground with the theme colour of a SYNTAX_COLOR_INDEX.
    virtual void setTextInRange(Range range, int colorIndex) = 0;
    // Paint the range as a comment (index 999).
    virtual void setCommentColorForTextInRange(Range range) = 0;
    // The live document (not a copy). The colourer reads it block by block; a block's separator
    // counts as one LF.
    virtual QTextDocument *getMyTextStorage() = 0;
    // The colour index last painted at a position, or -1 when nothing (or index 0) was painted
    // there. The colourer finds uncoloured ("normal") text by this, not by the painted colour.
    virtual int paintedColorIndexAt(qint64 position) = 0;
};
