#include "textcompare/FoldedLines.h"

#include "textcompare/PaneLoader.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>

namespace {

constexpr int kFoldProperty = QTextFormat::UserProperty + 0x4650;
constexpr char kFoldedDocument[] = "pelkoFoldRows";

// The characters a document takes for a line break, besides "\n".
bool hasOtherBreaks(QStringView text)
{
    for (QChar c : {QChar(u'\r'), QChar(QChar::ParagraphSeparator), QChar(0xfdd0), QChar(0xfdd1)})
        if (text.contains(c))
            return true;
    return false;
}

// How many of the first n indexes hold pred (pred holds on a prefix of them).
template <class Pred> qint64 prefixWhere(qint64 n, Pred pred)
{
    qint64 lo = 0, hi = n;
    while (lo < hi) {
        const qint64 mid = (lo + hi) / 2;
        if (pred(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

} // namespace

bool IsFoldRow(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(kFoldProperty);
}

bool HasHadFoldRows(const QTextDocument *doc)
{
    return doc && doc->property(kFoldedDocument).toBool();
}

bool HasLineLongerThan(QStringView text, qsizetype length)
{
    for (qsizetype at = 0; at < text.size();) {
        qsizetype nl = text.indexOf(u'\n', at);
        if (nl < 0)
            nl = text.size();
        if (nl - at > length)
            return true;
        at = nl + 1;
    }
    return false;
}

std::vector<qsizetype> FoldRowStarts(QStringView line, qsizetype longerThan)
{
    std::vector<qsizetype> starts{0};
    if (line.size() <= longerThan)
        return starts;
    qsizetype at = 0;
    while (line.size() - at > kFoldRowLength) {
        qsizetype next = at + kFoldRowLength;
        if (line.at(next - 1).isHighSurrogate() && line.at(next).isLowSurrogate())
            --next;
        starts.push_back(next);
        at = next;
    }
    return starts;
}

void SetFoldRow(const QTextBlock &block, bool row)
{
    if (!block.isValid() || IsFoldRow(block) == row)
        return;
    QTextBlockFormat format = block.blockFormat();
    if (row)
        format.setProperty(kFoldProperty, true);
    else
        format.clearProperty(kFoldProperty);
    QTextCursor(block).setBlockFormat(format);
}

void RemovePaneSelection(QTextCursor &cursor)
{
    if (!cursor.hasSelection())
        return;
    QTextDocument *doc = cursor.document();
    const int start = cursor.selectionStart();
    const QTextBlock first = doc->findBlock(start);
    const bool atBlockStart = first.position() == start;
    const bool row = IsFoldRow(first);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (atBlockStart)
        SetFoldRow(doc->findBlock(start), row);
    cursor.endEditBlock();
}

void InsertPaneText(QTextCursor &cursor, QStringView input, bool fold)
{
    QString normalised;
    if (hasOtherBreaks(input)) {
        normalised = input.toString();
        ToPaneLineEnds(normalised);
        input = normalised;
    }
    const QStringView text = input;
    const qsizetype limit = FoldLengthLimit(fold);
    cursor.beginEditBlock();
    RemovePaneSelection(cursor);
    QTextBlockFormat hard = cursor.blockFormat();
    hard.clearProperty(kFoldProperty);
    QTextBlockFormat row = hard;
    row.setProperty(kFoldProperty, true);

    auto insertLine = [&](QStringView line) {
        const std::vector<qsizetype> starts = FoldRowStarts(line, limit);
        for (size_t i = 0; i < starts.size(); ++i) {
            const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : line.size();
            if (i > 0) {
                if (i == 1)
                    cursor.document()->setProperty(kFoldedDocument, true);
                cursor.insertBlock(row);
            }
            if (end > starts[i])
                cursor.insertText(line.mid(starts[i], end - starts[i]).toString());
        }
    };
    auto lineEnd = [&](qsizetype from) {
        const qsizetype nl = text.indexOf(u'\n', from);
        return nl < 0 ? text.size() : nl;
    };

    qsizetype pos = 0;
    bool first = true;
    while (true) {
        if (!first)
            cursor.insertBlock(hard);
        qsizetype end = lineEnd(pos);
        if (first || end - pos > limit) {
            // The cursor's own block may be a fold row, whose format a break in the middle of
            // an inserted text would copy: its line goes in alone.
            insertLine(text.mid(pos, end - pos));
        } else {
            // A break of our own came just before: the short lines up to the next long one go
            // in with one call, their breaks taking this block's plain format.
            while (end < text.size()) {
                const qsizetype next = lineEnd(end + 1);
                if (next - (end + 1) > limit)
                    break;
                end = next;
            }
            if (end > pos)
                cursor.insertText(text.mid(pos, end - pos).toString());
        }
        first = false;
        if (end >= text.size())
            break;
        pos = end + 1;
    }
    cursor.endEditBlock();
}

QString PaneText(const QTextDocument *doc, int from, int to)
{
    const int last = doc->characterCount() - 1; // the final block's separator is not text
    if (to < 0 || to > last)
        to = last;
    from = std::clamp(from, 0, std::max(0, to));
    QString out;
    out.reserve(to - from);
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        const int start = b.position();
        const QString t = b.text();
        const int s = std::max(from, start) - start;
        const int e = int(std::min<qint64>(to, qint64(start) + t.size()) - start);
        if (e > s)
            out += QStringView(t).mid(s, e - s);
        const int separator = start + int(t.size());
        if (separator >= to)
            break;
        if (separator >= from && !IsFoldRow(b.next()))
            out += u'\n';
    }
    return out;
}

void FoldMap::rebuild(const QTextDocument *doc)
{
    mRows.clear();
    mTextStarts.clear();
    mBlockCount = doc->blockCount();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (!IsFoldRow(b))
            continue;
        mRows.push_back(b.blockNumber());
        mTextStarts.push_back(qint64(b.position()) - qint64(mRows.size()));
    }
}

bool FoldMap::follow(const QTextDocument *doc, int position, int removed, int added)
{
    if (doc->blockCount() != mBlockCount)
        return false;
    const QTextBlock block = doc->findBlock(position);
    // Inside one block after the edit, with as many blocks as before: no break came or went.
    if (!block.isValid() || position + added > block.position() + block.length() - 1)
        return false;
    const qint64 delta = qint64(added) - removed;
    if (delta == 0)
        return true;
    const auto first = std::upper_bound(mRows.begin(), mRows.end(), block.blockNumber());
    for (auto i = size_t(first - mRows.begin()); i < mRows.size(); ++i)
        mTextStarts[i] += delta;
    return true;
}

qint64 FoldMap::lineOfBlock(qint64 block) const
{
    const auto rowsUpTo = std::upper_bound(mRows.begin(), mRows.end(), block) - mRows.begin();
    return block - rowsUpTo;
}

qint64 FoldMap::firstBlockOfLine(qint64 line) const
{
    return line + rowsBeforeLine(line, false);
}

// Row i belongs to line mRows[i] - (i + 1), which never decreases with i: the rows of lines
// before `line` (with upTo, of lines up to it).
qint64 FoldMap::rowsBeforeLine(qint64 line, bool upTo) const
{
    return prefixWhere(qint64(mRows.size()), [&](qint64 i) {
        const qint64 of = mRows[size_t(i)] - (i + 1);
        return upTo ? of <= line : of < line;
    });
}

qint64 FoldMap::documentStartOfRow(qint64 i) const
{
    return mTextStarts[size_t(i)] + i + 1;
}

qint64 FoldMap::foldRowsOfLine(qint64 line) const
{
    return rowsBeforeLine(line, true) - rowsBeforeLine(line, false);
}

qint64 FoldMap::toDocument(qint64 textPosition) const
{
    const auto k = std::upper_bound(mTextStarts.begin(), mTextStarts.end(), textPosition) -
                   mTextStarts.begin();
    return textPosition + k;
}

bool FoldMap::rowStartsAt(qint64 documentPosition) const
{
    const qint64 n = qint64(mTextStarts.size());
    const qint64 k =
        prefixWhere(n, [&](qint64 i) { return documentStartOfRow(i) < documentPosition; });
    return k < n && documentStartOfRow(k) == documentPosition;
}

qint64 FoldMap::toText(qint64 documentPosition) const
{
    return documentPosition - prefixWhere(qint64(mTextStarts.size()), [&](qint64 i) {
               return documentStartOfRow(i) <= documentPosition;
           });
}
