#include "pathops/FBBoxPairs.h"

#include <algorithm>
#include <cmath>

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
    bool second;
};

Entry entryFor(const QRectF &r, size_t index, bool second)
{
    const double pad = padFor(r);
    if (!std::isfinite(pad))
        return {-INFINITY, INFINITY, -INFINITY, INFINITY, index, second};
    return {r.top() - pad, r.bottom() + pad, r.left() - pad, r.right() + pad, index, second};
}

bool overlaps(const Entry &a, const Entry &b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// Sweeps down the page; `report` gets each meeting pair of entries once.
template <typename Report> void sweep(std::vector<Entry> &entries, Report report)
{
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.top < b.top; });
    std::vector<const Entry *> active;
    for (const Entry &entry : entries) {
        std::erase_if(active, [&entry](const Entry *e) { return e->bottom < entry.top; });
        for (const Entry *other : active) {
            if (overlaps(*other, entry))
                report(*other, entry);
        }
        active.push_back(&entry);
    }
}

} // namespace

bool FBBoxPairs_BoxesMeet(const QRectF &a, const QRectF &b)
{
    return overlaps(entryFor(a, 0, false), entryFor(b, 0, false));
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
    std::vector<Entry> entries;
    entries.reserve(first.size() + second.size());
    for (size_t i = 0; i < first.size(); ++i)
        entries.push_back(entryFor(first[i], i, false));
    for (size_t j = 0; j < second.size(); ++j)
        entries.push_back(entryFor(second[j], j, true));
    std::vector<std::pair<size_t, size_t>> pairs;
    sweep(entries, [&pairs](const Entry &a, const Entry &b) {
        if (a.second == b.second)
            return;
        pairs.emplace_back(a.second ? b.index : a.index, a.second ? a.index : b.index);
    });
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

std::vector<std::pair<size_t, size_t>> FBBoxPairs_MeetingWithin(const std::vector<QRectF> &boxes)
{
    std::vector<Entry> entries;
    entries.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i)
        entries.push_back(entryFor(boxes[i], i, false));
    std::vector<std::pair<size_t, size_t>> pairs;
    sweep(entries, [&pairs](const Entry &a, const Entry &b) {
        pairs.emplace_back(std::min(a.index, b.index), std::max(a.index, b.index));
    });
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}
