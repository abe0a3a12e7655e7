#pragma once
// A run of positions in a text or list: the counterpart of the original platform's range record.

#include <QtGlobal>
#include <limits>

struct Range
{
    qint64 location = 0;
    qint64 length = 0;

    constexpr bool operator==(const Range &) const = default;
};

// "No position": the largest signed 64-bit value, as the original platform's marker.
inline constexpr qint64 NotFound = std::numeric_limits<qint64>::max();

constexpr Range MakeRange(qint64 location, qint64 length)
{
    return Range{location, length};
}
// One past the last position; saturates instead of overflowing, also for the negative locations
// and lengths that a caller's arithmetic may produce.
constexpr qint64 MaxRange(Range r)
{
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    if (r.location == NotFound || (r.length > 0 && r.location > NotFound - r.length))
        return NotFound;
    if (r.length < 0 && r.location < lowest - r.length)
        return lowest;
    return r.location + r.length;
}
constexpr bool LocationInRange(qint64 loc, Range r)
{
    return loc >= r.location &&
           quint64(loc) - quint64(r.location) < quint64(qMax<qint64>(r.length, 0));
}
