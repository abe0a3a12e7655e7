#pragma once
// Where text lies on screen in an editor pane, and which text lies in a rectangle. Rectangles are
// in the viewport's coordinates; only what the layout has placed (the visible lines and those
// near them) is measured cheaply, so callers ask about what they paint.

#include <QRectF>

#include "platform/Range.h"

class QPlainTextEdit;

// The rectangle covering the characters of the range (a range over several lines covers the
// full width of those lines). The zero rectangle, with a report, for a range that does not lie
// inside the text: it is refused, not clamped.
QRectF boundingRectForTextRange(const QPlainTextEdit *self, Range range);
// The characters of the whole lines that the rectangle touches within the viewport, line breaks
// included; {NotFound, 0} when it touches none.
Range textRangeForBoundingRect(const QPlainTextEdit *self, const QRectF &rect);
