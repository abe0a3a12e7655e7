#include "foundation/CoverInfor.h"

#include "foundation/RangeUtility.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>

namespace {

bool isUsable(Range r)
{
    return r.location != NotFound && r.location >= 0 && r.length > 0 &&
           r.length <= NotFound - r.location;
}

} // namespace

std::shared_ptr<CoverInfor> CoverInfor::create()
{
    auto set = std::make_shared<CoverInfor>();
    set->bMergeIfRangeNearEachOther = true;
    return set;
}

Range CoverInfor::rangeAt(qint64 index) const
{
    if (index < 0 || index >= length())
        return Range{NotFound, 0};
    return mRanges[static_cast<size_t>(index)];
}

void CoverInfor::log() const
{
    QString line;
    for (size_t i = 0; i < mRanges.size(); ++i) {
        line += QStringLiteral("%1:[%2 - %3];")
                    .arg(i)
                    .arg(mRanges[i].location)
                    .arg(MaxRange(mRanges[i]));
    }
    platform::Log(lcFoundation, line);
}

bool CoverInfor::checkConflickRange1(Range a, Range b) const
{
    return bMergeIfRangeNearEachOther ? RangeTouchesRange(a, b) : RangeOverlapsRange(a, b);
}

void CoverInfor::addRange(Range range)
{
    if (!isUsable(range))
        return;
    // Entries ending before the range cannot meet it; the first that might is found by its end.
    auto first = std::partition_point(mRanges.begin(), mRanges.end(),
                                      [&](const Range &r) { return MaxRange(r) < range.location; });
    auto last = first;
    Range merged = range;
    while (last != mRanges.end() && last->location <= MaxRange(range)) {
        if (checkConflickRange1(*last, range))
            merged = RangeUnionChecked(merged, *last);
        else if (last->location >= MaxRange(range))
            break;
        ++last;
    }
    // Without touch-merging, an entry that ends exactly where the range starts stays before it.
    while (first != last && !checkConflickRange1(*first, range))
        ++first;
    const auto at = mRanges.erase(first, last);
    mRanges.insert(at, merged);
}

void CoverInfor::removeRange(Range range)
{
    if (range.location == NotFound || range.length == 0 || mRanges.empty())
        return;
    if (range.location < 0 || range.length < 0)
        return;
    std::vector<Range> kept;
    kept.reserve(mRanges.size() + 1);
    for (const Range &entry : mRanges) {
        if (!RangeOverlapsRange(entry, range)) {
            kept.push_back(entry);
            continue;
        }
        if (RangeContainsRange(range, entry))
            continue;
        Range pieces[2];
        int count = 0;
        if (RangeMinus(entry, range, pieces, &count)) {
            for (int i = 0; i < count; ++i)
                kept.push_back(pieces[i]);
        } else {
            kept.push_back(entry);
        }
    }
    mRanges.swap(kept);
}

qint64 CoverInfor::indexThatContainsRange(Range range) const
{
    // Entries are disjoint and ascending: only the last one starting at or before the range can
    // contain it.
    auto after = std::upper_bound(mRanges.begin(), mRanges.end(), range.location,
                                  [](qint64 loc, const Range &r) { return loc < r.location; });
    if (after == mRanges.begin())
        return NotFound;
    const auto candidate = after - 1;
    if (!RangeContainsRange(*candidate, range))
        return NotFound;
    return static_cast<qint64>(candidate - mRanges.begin());
}

Range CoverInfor::minRangeThatNotCoverInSelfWitBase(Range base) const
{
    if (mRanges.empty() || base.length == 0 || base.location == NotFound)
        return base;
    qint64 start = base.location;
    const qint64 end = MaxRange(base);
    for (const Range &entry : mRanges) {
        if (MaxRange(entry) <= start)
            continue;
        if (entry.location > start)
            return Range{start, std::min(entry.location, end) - start};
        start = MaxRange(entry);
        if (start >= end)
            return Range{end, 0};
    }
    return Range{start, end - start};
}

void CoverInfor::getIndexThatIntersectRange(Range range, qint64 *indexStart, qint64 *indexEnd,
                                            qint64 *indexEndNextNotInterset) const
{
    qint64 firstHit = NotFound;
    qint64 lastHit = NotFound;
    qint64 nextAfter = NotFound;
    const qint64 end = MaxRange(range);
    if (range.location != NotFound) {
        auto it = std::partition_point(mRanges.begin(), mRanges.end(), [&](const Range &r) {
            return MaxRange(r) < range.location;
        });
        for (; it != mRanges.end(); ++it) {
            const qint64 index = static_cast<qint64>(it - mRanges.begin());
            if (RangeOverlapsRange(*it, range)) {
                if (firstHit == NotFound)
                    firstHit = index;
                lastHit = index;
            }
            if (it->location >= end) {
                nextAfter = index;
                break;
            }
        }
    }
    if (indexStart)
        *indexStart = firstHit;
    if (indexEnd)
        *indexEnd = lastHit;
    if (indexEndNextNotInterset)
        *indexEndNextNotInterset = nextAfter;
}

bool CoverInfor::removeRangeFromIndex(qint64 from, qint64 to)
{
    if (from < 0 || from >= length() || to < from)
        return false;
    to = std::min(to, length() - 1);
    mRanges.erase(mRanges.begin() + from, mRanges.begin() + to + 1);
    return true;
}

bool CoverInfor::shiftRangeWithDelta(qint64 delta, qint64 from, qint64 to)
{
    if (from < 0 || from >= length() || to < from) {
        REPORT_FATAL();
        return false;
    }
    to = std::min(to, length() - 1);
    if (delta == 0)
        return true;
    // Every entry is checked before any moves, so a refusal leaves the set as it was.
    for (qint64 i = from; i <= to; ++i) {
        const Range &r = mRanges[static_cast<size_t>(i)];
        // A moved entry must neither start below 0 nor reach the NotFound marker.
        const bool fits =
            delta < 0 ? r.location + delta >= 0 : r.location < NotFound - delta - r.length;
        if (!fits) {
            platform::LogWarning(
                lcFoundation, QStringLiteral("*** ERROR: shiftRangeWithDelta: entry %1 [%2 - %3] "
                                             "cannot move by %4")
                                  .arg(i)
                                  .arg(r.location)
                                  .arg(MaxRange(r))
                                  .arg(delta));
            REPORT_FATAL();
            return false;
        }
    }
    for (qint64 i = from; i <= to; ++i)
        mRanges[static_cast<size_t>(i)].location += delta;
    mergeConflictingNeighbours();
    return true;
}

void CoverInfor::mergeConflictingNeighbours()
{
    // A shift of part of the set can move entries onto (or past) their neighbours.
    std::stable_sort(mRanges.begin(), mRanges.end(),
                     [](const Range &a, const Range &b) { return a.location < b.location; });
    std::vector<Range> merged;
    merged.reserve(mRanges.size());
    for (const Range &r : mRanges) {
        if (!merged.empty() && checkConflickRange1(merged.back(), r))
            merged.back() = RangeUnionChecked(merged.back(), r);
        else
            merged.push_back(r);
    }
    mRanges.swap(merged);
}
