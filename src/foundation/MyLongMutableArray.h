#pragma once
// A growable array of signed 64-bit integers with binary searches over ascending contents: the
// line-start offsets of the line-number gutters, searched on every paint.

#include <QtGlobal>
#include <vector>

class MyLongMutableArray
{
public:
    MyLongMutableArray() = default;
    explicit MyLongMutableArray(qint64 capacity) { reserve(capacity); }

    qint64 length() const { return static_cast<qint64>(mValues.size()); }
    bool isEmpty() const { return mValues.empty(); }
    // The value at the index; 0 outside the array.
    qint64 valueAt(qint64 index) const;
    // The last value; 0 for an empty array.
    qint64 lastValue() const { return mValues.empty() ? 0 : mValues.back(); }
    const qint64 *data() const { return mValues.data(); }

    void addValue(qint64 value) { mValues.push_back(value); }
    // Replaces the value at the index; false outside the array.
    bool setValueAt(qint64 index, qint64 value);
    // Drops the values from the index on (nothing for an index at or past the end).
    void truncate(qint64 count);
    void removeAll() { mValues.clear(); }
    // Room for that many values without growing again; negative or absurd capacities are ignored.
    void reserve(qint64 capacity);

    // For ascending contents: the index of a value equal to the argument, else NotFound.
    qint64 indexOfValue(qint64 value) const;
    // For ascending contents: the index of the last value that is not above the argument (the
    // line that holds a text offset), else NotFound when every value is above it.
    qint64 indexOfNearestBelow(qint64 value) const;

private:
    std::vector<qint64> mValues;
};
