#include "controls/PelkoNSLayoutManager.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/Guard.h"

namespace {

qint64 textLength(const QPlainTextEdit *self)
{
    return std::max(0, self->document()->characterCount() - 1);
}

QRect caretAt(const QPlainTextEdit *self, qint64 position)
{
    QTextCursor c(self->document());
    c.setPosition(int(position));
    return self->cursorRect(c);
}

} // namespace

QRectF boundingRectForTextRange(const QPlainTextEdit *self, Range range)
{
    GUARD_BEGIN
    if (!self || !self->document() || range.location == NotFound || range.length == NotFound ||
        range.location < 0 || range.length < 0) {
        REPORT_FATAL();
        return QRectF();
    }
    const qint64 length = textLength(self);
    if (range.location > length || range.length > length - range.location) {
        REPORT_FATAL();
        return QRectF();
    }
    const QRect start = caretAt(self, range.location);
    const QRect end = caretAt(self, range.location + range.length);
    if (start.top() == end.top())
        return QRectF(start.left(), start.top(), std::max(0, end.left() - start.left()),
                      start.height());
    // Several lines: their full width, from the first line's top to the last one's bottom.
    const qreal left = self->document()->documentMargin();
    const qreal right = std::max<qreal>(left, self->viewport()->width());
    return QRectF(left, start.top(), right - left, end.bottom() + 1 - start.top());
    GUARD_END(QRectF())
}

Range textRangeForBoundingRect(const QPlainTextEdit *self, const QRectF &rect)
{
    GUARD_BEGIN
    if (!self || !self->document()) {
        REPORT_FATAL();
        return Range{NotFound, 0};
    }
    const QRectF visible = QRectF(self->viewport()->rect()).intersected(rect);
    if (visible.isEmpty() || textLength(self) == 0)
        return Range{NotFound, 0};
    QTextCursor first = self->cursorForPosition(visible.topLeft().toPoint());
    first.movePosition(QTextCursor::StartOfLine);
    QTextCursor last =
        self->cursorForPosition(QPoint(int(visible.left()), int(visible.bottom()) - 1));
    last.movePosition(QTextCursor::EndOfLine);
    qint64 end = last.position();
    const QTextBlock block = last.block();
    if (end == block.position() + block.length() - 1 && block.next().isValid())
        ++end; // the line break belongs to the line
    const qint64 start = first.position();
    if (end < start)
        return Range{NotFound, 0};
    return Range{start, end - start};
    GUARD_END((Range{NotFound, 0}))
}
