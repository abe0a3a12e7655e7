#include "themes/SyntaxColorRuns.h"

#include "themes/ColorRunList.h"
#include "themes/ThemeColor.h"

#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

using Run = ColorRun;

// The runs of one block, in block offsets, ascending and disjoint. Offsets may include the
// block's separator (a comment that spans lines covers it).
class RunsData : public QTextBlockUserData
{
public:
    std::vector<Run> runs;
    int blockLength = 0; // the block's length when the runs were last brought in step
    bool dirty = true;   // the layout formats do not show the runs yet
    quint64 appliedTheme = 0;
    // The block offsets whose runs the layout formats show.
    int appliedFrom = 0, appliedTo = 0;
};

RunsData *dataOf(const QTextBlock &block)
{
    return dynamic_cast<RunsData *>(block.userData());
}

RunsData *ensureData(QTextBlock &block)
{
    if (RunsData *d = dataOf(block))
        return d;
    auto *d = new RunsData;
    d->blockLength = block.length();
    block.setUserData(d); // the document owns it from now on
    return d;
}

int kindAt(const std::vector<Run> &runs, int offset)
{
    auto it = std::upper_bound(runs.begin(), runs.end(), offset,
                               [](int off, const Run &r) { return off < r.start; });
    if (it == runs.begin())
        return -1;
    --it;
    return offset < it->end() ? it->colorIndex : -1;
}

// The runs of [from, to) moved to start at newStart.
std::vector<Run> sliceRuns(const std::vector<Run> &runs, int from, int to, int newStart)
{
    std::vector<Run> out;
    for (const Run &r : runs) {
        const int a = std::max(r.start, from), b = std::min(r.end(), to);
        if (a < b)
            out.push_back({a - from + newStart, b - a, r.colorIndex});
    }
    return out;
}

} // namespace

SyntaxColorRuns::SyntaxColorRuns(QTextDocument *document, QObject *parent)
    : QObject(parent), mDocument(document)
{}

void SyntaxColorRuns::paint(Range range, int colorIndex)
{
    if (!mDocument || range.location == NotFound || range.length <= 0)
        return;
    const qint64 end = MaxRange(range);
    for (QTextBlock block = mDocument->findBlock(int(std::min<qint64>(range.location, INT_MAX)));
         block.isValid() && block.position() < end; block = block.next()) {
        const qint64 start = block.position();
        const int from = int(std::max(range.location, start) - start);
        const int to = int(std::min<qint64>(end, start + block.length()) - start);
        RunsData *d = dataOf(block);
        // Every block the colourer has looked at gets its data, even without a run: an edit
        // can then tell whether it joined the block with the next one.
        if (!d)
            d = ensureData(block);
        SetColorRun(d->runs, from, to, colorIndex);
        d->blockLength = block.length();
        d->dirty = true;
    }
}

int SyntaxColorRuns::colorIndexAt(qint64 position) const
{
    if (!mDocument || position < 0 || position >= mDocument->characterCount())
        return -1;
    const QTextBlock block = mDocument->findBlock(int(position));
    const RunsData *d = dataOf(block);
    if (!d)
        return -1;
    const int kind = kindAt(d->runs, int(position - block.position()));
    return kind == 0 ? -1 : kind;
}

void SyntaxColorRuns::clearAll()
{
    if (!mDocument)
        return;
    for (QTextBlock block = mDocument->begin(); block.isValid(); block = block.next()) {
        if (RunsData *d = dataOf(block)) {
            if (!d->runs.empty()) {
                d->runs.clear();
                d->dirty = true;
            }
        }
    }
}

void SyntaxColorRuns::documentEdited(qint64 position, qint64 removed, qint64 added)
{
    if (!mDocument || position < 0 || position >= mDocument->characterCount())
        return;
    QTextBlock first = mDocument->findBlock(int(position));
    const int offset = int(position - first.position());
    // The first block keeps its user data through an edit; its runs still have the old offsets.
    RunsData *d0 = dataOf(first);
    const std::vector<Run> oldRuns = d0 ? d0->runs : std::vector<Run>();
    const int oldLength = d0 ? d0->blockLength : 0;
    const int inherited = kindAt(oldRuns, offset);

    // The old text after the edit: known when it came from the first block itself. A block
    // without data was never coloured, so whether a removal joined it with the next block
    // (whose runs are gone) cannot be told: only an insertion keeps its tail known.
    const qint64 removedEnd = offset + removed;
    const bool tailKnown = d0 ? removedEnd < oldLength : removed == 0;
    std::vector<Run> tail;
    if (d0 && tailKnown)
        tail = sliceRuns(oldRuns, int(removedEnd), oldLength, 0);

    const qint64 insertedEnd = position + added;
    QTextBlock last = mDocument->findBlock(int(std::min<qint64>(insertedEnd, INT_MAX)));
    if (!last.isValid())
        last = mDocument->lastBlock();

    // First block: its head, then the inserted text in the kind it replaced.
    std::vector<Run> firstRuns = sliceRuns(oldRuns, 0, offset, 0);
    const int firstInsertedEnd =
        int(std::min<qint64>(insertedEnd, first.position() + first.length()) - first.position());
    if (inherited != -1 && inherited != 0 && firstInsertedEnd > offset)
        firstRuns.push_back({offset, firstInsertedEnd - offset, inherited});

    auto placeTail = [&](std::vector<Run> &runs, const QTextBlock &block) {
        const int at = int(insertedEnd - block.position());
        if (tailKnown) {
            for (const Run &r : tail)
                runs.push_back({r.start + at, r.length, r.colorIndex});
        } else if (block.length() > at) {
            runs.push_back({at, block.length() - at, kUnknownKind});
        }
    };

    if (last.blockNumber() == first.blockNumber()) {
        placeTail(firstRuns, first);
    } else {
        RunsData *dl = ensureData(last);
        dl->runs.clear();
        placeTail(dl->runs, last);
        dl->blockLength = last.length();
        dl->dirty = true;
        // Blocks made wholly of inserted text start without runs.
        for (QTextBlock b = first.next(); b.isValid() && b.blockNumber() < last.blockNumber();
             b = b.next()) {
            if (RunsData *d = dataOf(b)) {
                d->runs.clear();
                d->blockLength = b.length();
                d->dirty = true;
            }
        }
    }
    if (d0 || !firstRuns.empty()) {
        RunsData *d = ensureData(first);
        d->runs = std::move(firstRuns);
        d->blockLength = first.length();
        d->dirty = true;
    }
}

void SyntaxColorRuns::applyFormats(qint64 from, qint64 to, const ShownPart &shown)
{
    if (!mDocument || mApplying)
        return;
    // Columns formatted beyond the part shown, so that a short sideways scroll needs none; blocks
    // up to kWholeBlock characters are formatted whole.
    constexpr int kShownMargin = 40;
    constexpr int kWholeBlock = 500;
    mApplying = true;
    // Each stretch of blocks given formats reaches the layout once: a stretch of several blocks
    // only forgets their layouts, where one block at a time would lay each out anew.
    qint64 stretchStart = -1, stretchEnd = -1;
    auto flush = [&] {
        if (stretchStart >= 0)
            mDocument->markContentsDirty(int(stretchStart), int(stretchEnd - stretchStart));
        stretchStart = -1;
    };
    for (QTextBlock block = mDocument->findBlock(int(std::max<qint64>(0, from)));
         block.isValid() && block.position() <= to; block = block.next()) {
        RunsData *d = dataOf(block);
        if (!d) {
            flush();
            continue;
        }
        const int textLength = block.length() - 1;
        std::pair<int, int> want{0, textLength};
        if (shown && textLength > kWholeBlock)
            want = shown(block);
        const bool covered = d->appliedFrom <= want.first && want.second <= d->appliedTo;
        if (!d->dirty && d->appliedTheme == mThemeGeneration && covered) {
            flush();
            continue;
        }
        const int first = std::max(0, want.first - kShownMargin);
        const int last = std::min(textLength, want.second + kShownMargin);
        QList<QTextLayout::FormatRange> formats;
        formats.reserve(qsizetype(d->runs.size()));
        for (const Run &r : d->runs) {
            const int start = std::max(r.start, first);
            const int end = std::min(r.end(), last);
            if (r.colorIndex == kUnknownKind || start >= end)
                continue;
            QTextLayout::FormatRange range;
            range.start = start;
            range.length = end - start;
            range.format = formatForIndex(r.colorIndex);
            formats.append(range);
        }
        block.layout()->setFormats(formats);
        if (stretchStart < 0)
            stretchStart = block.position();
        stretchEnd = qint64(block.position()) + block.length();
        d->dirty = false;
        d->appliedTheme = mThemeGeneration;
        d->appliedFrom = first == 0 ? 0 : first;
        d->appliedTo = last >= textLength ? std::numeric_limits<int>::max() : last;
        ++mAppliedBlocks;
    }
    flush();
    mApplying = false;
}

void SyntaxColorRuns::themeChanged()
{
    ++mThemeGeneration;
    mFormats.clear();
}

const QTextCharFormat &SyntaxColorRuns::formatForIndex(int colorIndex)
{
    auto it = mFormats.find(colorIndex);
    if (it == mFormats.end()) {
        QTextCharFormat format;
        format.setForeground(GetApp_Color_Text_Default_WithIndex(colorIndex).toQColor());
        it = mFormats.insert(colorIndex, format);
    }
    return it.value();
}
