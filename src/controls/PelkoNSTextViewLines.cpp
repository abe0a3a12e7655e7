// Line handling of the editor panes (declared in PelkoNSTextView.h).
#include "controls/PelkoNSTextView.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "foundation/PelkoNSMutableArray.h"
#include "platform/Guard.h"

namespace {

bool isParagraphBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x2029 || u == 0x0085;
}

// The paragraph holding `position`: its start and its end after the terminator (CRLF is one).
void paragraphAt(const QString &text, qint64 position, qint64 *start, qint64 *end)
{
    const qint64 length = text.size();
    position = std::clamp<qint64>(position, 0, length);
    qint64 s = position;
    while (s > 0 && !isParagraphBreak(text[s - 1]))
        --s;
    // A position right after a CR of a CRLF pair still belongs to that paragraph.
    if (s > 0 && s < length && text[s - 1] == u'\r' && text[s] == u'\n') {
        --s;
        while (s > 0 && !isParagraphBreak(text[s - 1]))
            --s;
    }
    qint64 e = position;
    while (e < length && !isParagraphBreak(text[e]))
        ++e;
    if (e < length) {
        if (text[e] == u'\r' && e + 1 < length && text[e + 1] == u'\n')
            e += 2;
        else
            e += 1;
    }
    *start = s;
    *end = e;
}

QString rawText(const QPlainTextEdit *self)
{
    return self->document()->toRawText();
}

} // namespace

void setWrapSetting(QPlainTextEdit *self, bool wrap)
{
    if (!self) {
        REPORT_FATAL();
        return;
    }
    self->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void fixSpecialEndLineCharIfNeedInRange(QPlainTextEdit *self, Range range)
{
    GUARD_BEGIN
    if (range.location == NotFound || range.length == 0)
        return;
    if (!self || !self->document()) {
        REPORT_FATAL();
        return;
    }
    const QString text = rawText(self);
    const qint64 length = text.size();
    if (length == 0 || range.location < 0 || range.length < 0)
        return;
    const qint64 location = std::min(range.location, length);
    const qint64 end = range.length > length - location ? length : location + range.length;
    if (end <= location)
        return;
    // A paragraph separator is already a line break of the document; the others become one.
    QList<qint64> positions;
    for (qint64 i = location; i < end; ++i)
        if (text[i] == QChar(0x2028) || text[i] == QChar(u'\f'))
            positions << i;
    if (positions.isEmpty() || self->isReadOnly())
        return;

    const QTextCursor saved = self->textCursor();
    const int anchor = saved.anchor();
    const int position = saved.position();
    // One replacement of the stretch from the first to the last separator: the document records
    // it as a single undo step (separate replacements of line breaks would not group).
    const qint64 from = positions.first();
    const qint64 to = positions.last() + 1;
    QString replaced = text.mid(from, to - from);
    replaced.replace(QChar(0x2028), QLatin1Char('\n'))
        .replace(QLatin1Char('\f'), QLatin1Char('\n'));
    QTextCursor cursor(self->document());
    cursor.setPosition(int(from));
    cursor.setPosition(int(to), QTextCursor::KeepAnchor);
    cursor.insertText(replaced);
    // Each replacement keeps the length, so the old selection still covers the same text.
    QTextCursor restored(self->document());
    restored.setPosition(anchor);
    restored.setPosition(position, QTextCursor::KeepAnchor);
    self->setTextCursor(restored);
    GUARD_END_VOID
}

bool getCurrentSelectedLines_old_startPos(const QPlainTextEdit *self, int *outStart, int *outEnd,
                                          bool forSelectionOnly, QVariantList *lines)
{
    GUARD_BEGIN
    if (!outStart || !outEnd) {
        REPORT_FATAL();
        return false;
    }
    *outStart = -1;
    *outEnd = -1;
    if (!self || !self->document()) {
        REPORT_FATAL();
        return false;
    }
    const QString text = rawText(self);
    const qint64 length = text.size();
    Range range{0, length};
    if (forSelectionOnly) {
        const QTextCursor c = self->textCursor();
        range = Range{c.selectionStart(), c.selectionEnd() - c.selectionStart()};
    }
    if (length == 0)
        return false;
    const qint64 rangeEnd = range.location + range.length;
    qint64 position = range.location;
    qint64 first = -1, last = -1;
    while (true) {
        qint64 start = 0, end = 0;
        paragraphAt(text, position, &start, &end);
        if (lines)
            addRange(*lines, Range{start, end - start});
        if (first < 0)
            first = start;
        last = end;
        if (end >= rangeEnd || end >= length || end <= position)
            break;
        position = end;
    }
    if (first >= last || first < 0 || last < 0 || last > INT_MAX)
        return false;
    *outStart = int(first);
    *outEnd = int(last);
    return true;
    GUARD_END(false)
}

Range getSelectRangeExtendToLines(const QPlainTextEdit *self)
{
    int start = -1, end = -1;
    if (!getCurrentSelectedLines_old_startPos(self, &start, &end, true, nullptr))
        return Range{NotFound, 0};
    if (end <= start || start < 0 || !self || end > rawText(self).size())
        return Range{NotFound, 0};
    return Range{start, end - start};
}

void insertStringContent(QPlainTextEdit *self, const QString &text, const QTextCharFormat *format,
                         qint64 index, bool selectInsertStr, bool selectEndOfInsertStr,
                         bool keepCurrentSelectTion)
{
    GUARD_BEGIN
    if (text.isEmpty())
        return;
    if (!self || !self->document()) {
        REPORT_FATAL();
        return;
    }
    // Plain positions: a cursor would follow the insertion.
    const int savedAnchor = self->textCursor().anchor();
    const int savedPosition = self->textCursor().position();
    const qint64 length = self->document()->characterCount() - 1;
    index = std::clamp<qint64>(index, 0, std::max<qint64>(0, length));
    // A view that takes no edits keeps its selection: selecting text that was never inserted
    // would point past the end.
    if (self->isReadOnly())
        return;
    QTextCursor cursor(self->document());
    cursor.setPosition(int(index));
    cursor.beginEditBlock();
    if (format)
        cursor.insertText(text, *format);
    else
        cursor.insertText(text);
    cursor.endEditBlock();

    QTextCursor after(self->document());
    if (selectInsertStr) {
        after.setPosition(int(index));
        after.setPosition(int(index + text.size()), QTextCursor::KeepAnchor);
    } else if (selectEndOfInsertStr) {
        after.setPosition(int(index + text.size()));
    } else if (keepCurrentSelectTion) {
        after.setPosition(std::min(savedAnchor, after.document()->characterCount() - 1));
        after.setPosition(std::min(savedPosition, after.document()->characterCount() - 1),
                          QTextCursor::KeepAnchor);
    } else {
        return;
    }
    self->setTextCursor(after);
    GUARD_END_VOID
}
