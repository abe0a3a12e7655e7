#include "foundation/MyLongMutableArray.h"

#include "platform/Range.h"

#include <algorithm>

namespace {

// Beyond this a reservation is a caller's mistake, not a need (8 GiB of values).
constexpr qint64 kMaxReserve = qint64(1) << 30;

} // namespace

qint64 MyLongMutableArray::valueAt(qint64 index) const
{
    if (index < 0 || index >= length())
        return 0;
    return mValues[static_cast<size_t>(index)];
}

bool MyLongMutableArray::setValueAt(qint64 index, qint64 value)
{
    if (index < 0 || index >= length())
        return false;
    mValues[static_cast<size_t>(index)] = value;
    return true;
}

void MyLongMutableArray::truncate(qint64 count)
{
    if (count < 0)
        count = 0;
    if (count < length())
        mValues.resize(static_cast<size_t>(count));
}

void MyLongMutableArray::reserve(qint64 capacity)
{
    if (capacity > 0 && capacity <= kMaxReserve)
        mValues.reserve(static_cast<size_t>(capacity));
}

qint64 MyLongMutableArray::indexOfValue(qint64 value) const
{
    const auto it = std::lower_bound(mValues.begin(), mValues.end(), value);
    if (it == mValues.end() || *it != value)
        return NotFound;
    return static_cast<qint64>(it - mValues.begin());
}

qint64 MyLongMutableArray::indexOfNearestBelow(qint64 value) const
{
    const auto it = std::upper_bound(mValues.begin(), mValues.end(), value);
    if (it == mValues.begin())
        return NotFound;
    return static_cast<qint64>(it - mValues.begin()) - 1;
}
