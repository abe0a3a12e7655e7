#pragma once
// Small text helpers: line breaks escaped into tokens and back, a one-line preview, a
// reversible character mirror, a frame read from pasted text, and a few conveniences.

#include "platform/Color.h"

#include <QRectF>
#include <QString>

class QTextCharFormat;
class QWidget;

// LF, CR, TAB and "=" replaced, in that order, by "{XUONGDONG_N}", "{XUONGDONG_R}", "{DAU_TAP_}"
// and "{DAU_BANG_}"; a null or empty text gives "".
QString EscapeLineBreakTokens(const QString &text);
// The tokens replaced back, in the same order.
QString UnescapeLineBreakTokens(const QString &text);

// The text on one line: LF, CR and TAB written as \n, \r and \t; longer than maxLength, its first
// maxLength - 3 characters (none when maxLength is below 3) and "...".
QString ShortEscapedText(const QString &text, int maxLength);

// Every UTF-16 unit from 32 to 126 becomes 158 minus itself (space and "~" trade places); other
// units stay. Its own inverse. Null stays null.
QString MirrorPrintableChars(const QString &text);

// The frame in text pasted from an item's description: the values after "frame.origin.x=",
// "frame.origin.y=", "frame.size.width=" and "frame.size.height=", each ended by a LF. The zero
// rectangle when a key or its LF is missing, a value is empty, or the size is not positive.
QRectF GetFirstItemFrameFrpmPasteStr(const QString &text);

// Gives the whole text of the view (QTextEdit or QPlainTextEdit), and what is typed next, the
// format. Nothing for another widget.
void SetTextViewAllAttributes(QWidget *textView, const QTextCharFormat &format);

// The colour word 0xRRGGBBAA with the alpha byte 255; 0xFFFFFFFF (no colour) for an invalid
// colour.
quint64 GetHexColorOpaque(const platform::Color &color);

// The object as T when it is one (or of a subclass), else nullptr; no report.
template <typename T, typename U> T *CastOrNil(U *object)
{
    return dynamic_cast<T *>(object);
}
