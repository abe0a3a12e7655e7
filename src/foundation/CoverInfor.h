#pragma once
// An ascending set of disjoint text ranges: the parts of a text that some work (colouring) has
// already covered. Ranges are added and removed as work is done and text is edited, and shifted
// when an edit changes the length of the text before them.

#include "platform/Range.h"

#include <QString>
#include <memory>
#include <vector>

class CoverInfor
{
public:
    // An empty set whose touching ranges merge as well as overlapping ones.
    static std::shared_ptr<CoverInfor> create();

    CoverInfor() = default;

    // When true, ranges that only touch are merged too; otherwise they stay separate entries.
    bool bMergeIfRangeNearEachOther = false;

    qint64 length() const { return static_cast<qint64>(mRanges.size()); }
    // The entry at the index; {NotFound, 0} outside the set.
    Range rangeAt(qint64 index) const;
    const std::vector<Range> &ranges() const { return mRanges; }
    void reset() { mRanges.clear(); }
    // Logs the entries in one line, each as "index:[location - end];".
    void log() const;

    // Adds the range, merging every entry that overlaps it (or touches it, see above). Empty
    // ranges and ranges without a valid location add nothing.
    void addRange(Range range);
    // Takes the range out, cutting or splitting the entries it meets; nothing for a location of
    // NotFound, a length of 0 or an empty set.
    void removeRange(Range range);

    // The index of the entry that wholly contains the range, else NotFound.
    qint64 indexThatContainsRange(Range range) const;
    // The first part of base that no entry covers; an empty range when all of it is covered; base
    // itself when the set or base is empty.
    Range minRangeThatNotCoverInSelfWitBase(Range base) const;
    // The first and the last entry that intersect the range, and the first entry that starts at
    // or after the range's end; each NotFound when there is none. Any pointer may be nullptr.
    void getIndexThatIntersectRange(Range range, qint64 *indexStart, qint64 *indexEnd,
                                    qint64 *indexEndNextNotInterset) const;

    // Removes the entries from..to inclusive; a to past the end stops at the last entry. false
    // when from is outside the set or after to.
    bool removeRangeFromIndex(qint64 from, qint64 to);
    // Moves the entries from..to by delta (a to past the end stops at the last entry). All or
    // nothing: when any location would leave 0..NotFound the set is left as it was, the
    // precondition is reported and the answer is false. Entries that come to overlap their
    // neighbours are merged.
    bool shiftRangeWithDelta(qint64 delta, qint64 from, qint64 to);

private:
    // Whether two ranges belong in one entry.
    bool checkConflickRange1(Range a, Range b) const;
    // Merges neighbours that conflict, after a shift may have moved entries onto others.
    void mergeConflictingNeighbours();

    std::vector<Range> mRanges;
};
