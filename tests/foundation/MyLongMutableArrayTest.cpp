#include "foundation/MyLongMutableArray.h"
#include "platform/Range.h"

#include <gtest/gtest.h>

namespace {

MyLongMutableArray lineStarts()
{
    MyLongMutableArray a;
    for (qint64 v : {qint64(0), qint64(4), qint64(9), qint64(9), qint64(20), qint64(5000000000LL)})
        a.addValue(v);
    return a;
}

TEST(MyLongMutableArray, GrowsAndGuardsItsIndexes)
{
    MyLongMutableArray a(4);
    EXPECT_TRUE(a.isEmpty());
    EXPECT_EQ(a.lastValue(), 0);
    for (qint64 i = 0; i < 10000; ++i)
        a.addValue(i * 3 - 7);
    EXPECT_EQ(a.length(), 10000);
    EXPECT_EQ(a.valueAt(0), -7);
    EXPECT_EQ(a.valueAt(9999), 9999 * 3 - 7);
    EXPECT_EQ(a.valueAt(10000), 0);
    EXPECT_EQ(a.valueAt(-1), 0);
    EXPECT_FALSE(a.setValueAt(10000, 1));
    EXPECT_TRUE(a.setValueAt(1, 42));
    EXPECT_EQ(a.valueAt(1), 42);
    a.truncate(2);
    EXPECT_EQ(a.length(), 2);
    a.reserve(-5);
    a.reserve(qint64(1) << 50);
    a.removeAll();
    EXPECT_EQ(a.length(), 0);
}

TEST(MyLongMutableArray, ExactAndNearestBelowSearch)
{
    const MyLongMutableArray a = lineStarts();
    struct Case
    {
        qint64 value, exact, below;
    };
    const Case cases[] = {
        {-1, NotFound, NotFound},
        {0, 0, 0},
        {3, NotFound, 0},
        {4, 1, 1},
        {9, 2, 3},
        {10, NotFound, 3},
        {20, 4, 4},
        {21, NotFound, 4},
        {5000000000LL, 5, 5},
        {NotFound, NotFound, 5},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(a.indexOfValue(c.value), c.exact) << c.value;
        EXPECT_EQ(a.indexOfNearestBelow(c.value), c.below) << c.value;
    }
    EXPECT_EQ(MyLongMutableArray().indexOfNearestBelow(5), NotFound);
    EXPECT_EQ(MyLongMutableArray().indexOfValue(5), NotFound);
}

} // namespace
