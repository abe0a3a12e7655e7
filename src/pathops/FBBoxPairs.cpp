#include "pathops/FBBoxPairs.h"

#include "pathops/PathOperationState.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// A box with a coordinate that is not finite meets everything: it is never left out.
double padFor(const QRectF &r)
{
    const double coordinates[] = {r.left(), r.right(), r.top(), r.bottom()};
    double extent = 0.0;
    for (double c : coordinates) {
        if (!std::isfinite(c))
            return INFINITY;
        extent = std::max(extent, std::abs(c));
    }
    return 1e-9 * (1.0 + extent);
}

struct Entry
{
    double top;
    double bottom;
    double left;
    double right;
    size_t index;
};

Entry entryFor(const QRectF &r, size_t index)
{
    const double pad = padFor(r);
    if (!std::isfinite(pad))
        return {-INFINITY, INFINITY, -INFINITY, INFINITY, index};
    return {r.top() - pad, r.bottom() + pad, r.left() - pad, r.right() + pad, index};
}

bool overlaps(const Entry &a, const Entry &b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// How many queries run between two looks for a cancel.
constexpr size_t kCancelStride = 1024;
// Up to this many pairs, every pair is tried.
constexpr size_t kFewPairs = 256;

// A tree of boxes, each node holding the box around its entries, split at the median of the
// entries' middles across the node's longer side. A query visits only the nodes its box meets,
// so the work grows with the pairs that meet, not with every pair: boxes nested inside each
// other (squares round one centre) meet none of their neighbours' and cost little.
class BoxTree
{
public:
    explicit BoxTree(const std::vector<Entry> &entries)
    {
        if (entries.empty())
            return;
        std::vector<Placed> placed;
        placed.reserve(entries.size());
        for (const Entry &e : entries)
            placed.push_back({e, middle(e.left, e.right), middle(e.top, e.bottom)});
        mNodes.reserve(2 * (entries.size() / kLeafSize + 1));
        build(placed, 0, placed.size());
        mEntries.reserve(placed.size());
        for (const Placed &p : placed)
            mEntries.push_back(p.entry);
    }

    // Calls `report` with every entry whose box meets `box`, in no particular order.
    template <typename Report> void forEachMeeting(const Entry &box, Report report) const
    {
        anyMeeting(box, [&report](const Entry &e) {
            report(e);
            return false;
        });
    }

    // Whether `found` answers true for an entry whose box meets `box`; the search stops there.
    template <typename Found> bool anyMeeting(const Entry &box, Found found) const
    {
        if (mNodes.empty())
            return false;
        std::uint32_t stack[128];
        size_t depth = 0;
        stack[depth++] = 0;
        while (depth > 0) {
            const Node &node = mNodes[stack[--depth]];
            if (!overlaps(node.box, box))
                continue;
            if (node.left < 0) {
                for (size_t k = node.begin; k < node.end; ++k) {
                    if (overlaps(mEntries[k], box) && found(mEntries[k]))
                        return true;
                }
                continue;
            }
            stack[depth++] = std::uint32_t(node.left);
            stack[depth++] = std::uint32_t(node.right);
        }
        return false;
    }

private:
    static constexpr size_t kLeafSize = 8;

    struct Node
    {
        Entry box;
        size_t begin;
        size_t end;
        // The two children; -1 for a leaf.
        std::int64_t left = -1;
        std::int64_t right = -1;
    };

    // An entry while the tree is built, with the middles it is split by.
    struct Placed
    {
        Entry entry;
        double x;
        double y;
    };

    // The middle of a side, halved first so that it cannot overflow; a box that is not finite
    // sorts first.
    static double middle(double low, double high)
    {
        const double m = low / 2 + high / 2;
        return std::isnan(m) ? -INFINITY : m;
    }

    // Builds the node for [begin, end) and answers its index. The median split halves every
    // range, so the depth stays within the query's stack.
    std::int64_t build(std::vector<Placed> &placed, size_t begin, size_t end)
    {
        const auto at = std::int64_t(mNodes.size());
        Entry box{INFINITY, -INFINITY, INFINITY, -INFINITY, 0};
        double lowX = INFINITY, highX = -INFINITY, lowY = INFINITY, highY = -INFINITY;
        for (size_t k = begin; k < end; ++k) {
            const Entry &e = placed[k].entry;
            box.top = std::min(box.top, e.top);
            box.bottom = std::max(box.bottom, e.bottom);
            box.left = std::min(box.left, e.left);
            box.right = std::max(box.right, e.right);
            lowX = std::min(lowX, placed[k].x);
            highX = std::max(highX, placed[k].x);
            lowY = std::min(lowY, placed[k].y);
            highY = std::max(highY, placed[k].y);
        }
        mNodes.push_back(Node{box, begin, end});
        if (end - begin <= kLeafSize)
            return at;
        const bool acrossX = !(highY - lowY > highX - lowX);
        const size_t half = begin + (end - begin) / 2;
        const auto first = placed.begin();
        if (acrossX)
            std::nth_element(first + std::ptrdiff_t(begin), first + std::ptrdiff_t(half),
                             first + std::ptrdiff_t(end),
                             [](const Placed &a, const Placed &b) { return a.x < b.x; });
        else
            std::nth_element(first + std::ptrdiff_t(begin), first + std::ptrdiff_t(half),
                             first + std::ptrdiff_t(end),
                             [](const Placed &a, const Placed &b) { return a.y < b.y; });
        const std::int64_t left = build(placed, begin, half);
        const std::int64_t right = build(placed, half, end);
        mNodes[size_t(at)].left = left;
        mNodes[size_t(at)].right = right;
        return at;
    }

    std::vector<Entry> mEntries;
    std::vector<Node> mNodes;
};

} // namespace

bool FBBoxPairs_BoxesMeet(const QRectF &a, const QRectF &b)
{
    return overlaps(entryFor(a, 0), entryFor(b, 0));
}

bool FBBoxPairs_BoxHolds(const QRectF &outer, const QRectF &inner)
{
    const double pad = std::max(padFor(outer), padFor(inner));
    if (!std::isfinite(pad))
        return true;
    return outer.left() - pad <= inner.left() && inner.right() <= outer.right() + pad &&
           outer.top() - pad <= inner.top() && inner.bottom() <= outer.bottom() + pad;
}

bool FBBoxPairs_BoxHoldsPoint(const QRectF &outer, QPointF point)
{
    return FBBoxPairs_BoxHolds(outer, QRectF(point, QSizeF(0, 0)));
}

std::vector<std::pair<size_t, size_t>> FBBoxPairs_Meeting(const std::vector<QRectF> &first,
                                                          const std::vector<QRectF> &second)
{
    // A few boxes are tried pair by pair, already in order: a tree costs more than it saves.
    if (first.size() * second.size() <= kFewPairs) {
        std::vector<Entry> seconds;
        seconds.reserve(second.size());
        for (size_t j = 0; j < second.size(); ++j)
            seconds.push_back(entryFor(second[j], j));
        std::vector<std::pair<size_t, size_t>> pairs;
        for (size_t i = 0; i < first.size(); ++i) {
            const Entry e = entryFor(first[i], i);
            for (const Entry &other : seconds) {
                if (overlaps(e, other))
                    pairs.emplace_back(i, other.index);
            }
        }
        return pairs;
    }
    std::vector<Entry> entries;
    entries.reserve(second.size());
    for (size_t j = 0; j < second.size(); ++j)
        entries.push_back(entryFor(second[j], j));
    const BoxTree tree(entries);
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t i = 0; i < first.size(); ++i) {
        if (i % kCancelStride == kCancelStride - 1)
            PathOperation_CheckCancelAndTimeLimit();
        tree.forEachMeeting(entryFor(first[i], i),
                            [&pairs, i](const Entry &e) { pairs.emplace_back(i, e.index); });
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<std::pair<size_t, size_t>> FBBoxPairs_MeetingWithin(const std::vector<QRectF> &boxes,
                                                                const std::vector<size_t> *groups)
{
    auto apart = [groups](size_t i, size_t j) { return !groups || (*groups)[i] != (*groups)[j]; };
    std::vector<Entry> entries;
    entries.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        entries.push_back(entryFor(boxes[i], i));
    if (boxes.size() * boxes.size() <= 2 * kFewPairs) {
        std::vector<std::pair<size_t, size_t>> pairs;
        for (size_t i = 0; i < entries.size(); ++i) {
            for (size_t j = i + 1; j < entries.size(); ++j) {
                if (apart(i, j) && overlaps(entries[i], entries[j]))
                    pairs.emplace_back(i, j);
            }
        }
        return pairs;
    }
    const BoxTree tree(entries);
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (i % kCancelStride == kCancelStride - 1)
            PathOperation_CheckCancelAndTimeLimit();
        tree.forEachMeeting(entries[i], [&pairs, &apart, i](const Entry &e) {
            if (e.index > i && apart(i, e.index))
                pairs.emplace_back(i, e.index);
        });
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<bool> FBBoxPairs_GroupsMeetingOthers(const std::vector<QRectF> &boxes,
                                                 const std::vector<size_t> &groups,
                                                 size_t groupCount)
{
    std::vector<bool> met(groupCount, false);
    std::vector<Entry> entries;
    entries.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        entries.push_back(entryFor(boxes[i], i));
    if (boxes.size() * boxes.size() <= 2 * kFewPairs) {
        for (size_t i = 0; i < entries.size(); ++i) {
            for (size_t j = i + 1; j < entries.size(); ++j) {
                if (groups[i] != groups[j] && overlaps(entries[i], entries[j]))
                    met[groups[i]] = met[groups[j]] = true;
            }
        }
        return met;
    }
    const BoxTree tree(entries);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i % kCancelStride == kCancelStride - 1)
            PathOperation_CheckCancelAndTimeLimit();
        const size_t group = groups[i];
        if (met[group])
            continue;
        tree.anyMeeting(entries[i], [&](const Entry &e) {
            if (groups[e.index] == group)
                return false;
            met[group] = met[groups[e.index]] = true;
            return true;
        });
    }
    return met;
}

std::vector<bool> FBBoxPairs_MeetingAny(const std::vector<QRectF> &boxes,
                                        const std::vector<QRectF> &others)
{
    std::vector<Entry> entries;
    entries.reserve(others.size());
    for (size_t j = 0; j < others.size(); ++j)
        entries.push_back(entryFor(others[j], j));
    const BoxTree tree(entries);
    std::vector<bool> met(boxes.size(), false);
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (i % kCancelStride == kCancelStride - 1)
            PathOperation_CheckCancelAndTimeLimit();
        met[i] = tree.anyMeeting(entryFor(boxes[i], i), [](const Entry &) { return true; });
    }
    return met;
}
