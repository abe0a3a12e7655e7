#include "foundation/RangeUtility.h"
#include "platform/Guard.h"

#include <gtest/gtest.h>

namespace {

struct PairCase
{
    const char *name;
    Range a, b;
    bool expected;
};

TEST(RangeUtility, UnionSpansBothAndRejectsNotFound)
{
    EXPECT_EQ(RangeUnionChecked({NotFound, 3}, {2, 4}), (Range{0, 0}));
    EXPECT_EQ(RangeUnionChecked({2, 4}, {NotFound, 0}), (Range{0, 0}));
    EXPECT_EQ(RangeUnionChecked({5, 5}, {2, 1}), (Range{2, 8}));
    EXPECT_EQ(RangeUnionChecked({0, 5}, {100, 0}), (Range{0, 100}));
    EXPECT_EQ(RangeUnionChecked({3, 2}, {0, 10}), (Range{0, 10}));
}

TEST(RangeUtility, ContainsOverlapsTouches)
{
    const PairCase contains[] = {
        {"empty b at a's end", {0, 10}, {10, 0}, false},
        {"empty b at a's start", {0, 10}, {0, 0}, true},
        {"empty b inside", {0, 10}, {4, 0}, true},
        {"empty a contains nothing", {3, 0}, {3, 0}, false},
        {"whole", {0, 10}, {0, 10}, true},
        {"sticks out", {0, 10}, {5, 6}, false},
        {"starts before", {2, 10}, {1, 3}, false},
        {"b NotFound", {0, 10}, {NotFound, 0}, false},
        {"a NotFound", {NotFound, 10}, {1, 1}, false},
    };
    for (const auto &c : contains)
        EXPECT_EQ(RangeContainsRange(c.a, c.b), c.expected) << c.name;

    const PairCase overlaps[] = {
        {"meeting", {0, 10}, {10, 5}, false},
        {"two empties at one place", {5, 0}, {5, 0}, false},
        {"empty at the end", {0, 10}, {10, 0}, false},
        {"empty inside", {0, 10}, {3, 0}, true},
        {"empty at the start, reversed", {0, 0}, {0, 10}, true},
        {"sharing one position", {0, 10}, {9, 5}, true},
        {"covering", {2, 3}, {0, 10}, true},
        {"apart", {0, 3}, {5, 3}, false},
        {"NotFound", {NotFound, 0}, {0, 10}, false},
    };
    for (const auto &c : overlaps)
        EXPECT_EQ(RangeOverlapsRange(c.a, c.b), c.expected) << c.name;

    const PairCase touches[] = {
        {"meeting", {0, 10}, {10, 5}, true},
        {"meeting reversed", {10, 5}, {0, 10}, true},
        {"two empties at one place", {5, 0}, {5, 0}, true},
        {"overlapping", {0, 10}, {5, 10}, true},
        {"a gap of one", {0, 10}, {11, 5}, false},
        {"NotFound", {0, 10}, {NotFound, 0}, false},
    };
    for (const auto &c : touches)
        EXPECT_EQ(RangeTouchesRange(c.a, c.b), c.expected) << c.name;
}

TEST(RangeUtility, MinusGivesTheRemainingPieces)
{
    struct Case
    {
        const char *name;
        Range a, b;
        bool result;
        int count;
        Range first, second;
    };
    const Range none{NotFound, 0};
    const Case cases[] = {
        {"middle cut", {0, 10}, {3, 4}, true, 2, {0, 3}, {7, 3}},
        {"covered", {0, 10}, {0, 10}, true, 0, none, none},
        {"covered by more", {2, 5}, {0, 10}, true, 0, none, none},
        {"meeting only", {0, 10}, {10, 2}, false, 0, none, none},
        {"empty b splits", {0, 10}, {5, 0}, true, 2, {0, 5}, {5, 5}},
        {"head cut", {0, 10}, {0, 4}, true, 1, {4, 6}, none},
        {"tail cut", {0, 10}, {6, 10}, true, 1, {0, 6}, none},
    };
    for (const auto &c : cases) {
        Range out[2] = {{1, 1}, {1, 1}};
        int count = -1;
        EXPECT_EQ(RangeMinus(c.a, c.b, out, &count), c.result) << c.name;
        EXPECT_EQ(count, c.count) << c.name;
        EXPECT_EQ(out[0], c.first) << c.name;
        EXPECT_EQ(out[1], c.second) << c.name;
    }
}

TEST(RangeUtility, MinusWithoutOutputsReports)
{
    QByteArray report;
    platform::setReportSink([&](const QByteArray &text) { report += text; });
    int count = 0;
    Range out[2];
    EXPECT_FALSE(RangeMinus({0, 10}, {2, 2}, nullptr, &count));
    EXPECT_FALSE(RangeMinus({0, 10}, {2, 2}, out, nullptr));
    platform::setReportSink(nullptr);
    EXPECT_TRUE(report.contains("FATAL_ERROR DOWN HERE"));
}

TEST(RangeUtility, FixedToleranceIsStrict)
{
    EXPECT_FALSE(FloatAlmostEqual(1.0, 1.02));
    EXPECT_TRUE(FloatAlmostEqual(1.0, 1.019));
    EXPECT_TRUE(FloatAlmostEqual(-3.0, -3.01));
    EXPECT_TRUE(FloatIsAlmostZero(-0.0199));
    EXPECT_FALSE(FloatIsAlmostZero(0.02));
}

TEST(RangeUtility, AlmostEqualDefaultsItsTolerance)
{
    const QRectF r(10, 20, 30, 40);
    for (float tol : {0.0f, -1.0f}) {
        EXPECT_TRUE(RectsAlmostEqual(r, r.translated(0.0015, 0), tol));
        EXPECT_FALSE(RectsAlmostEqual(r, r.translated(0.003, 0), tol));
        EXPECT_TRUE(PointsAlmostEqual({1, 1}, {1, 1.0015}, tol));
        EXPECT_FALSE(SizesAlmostEqual({1, 1}, {1, 1.003}, tol));
    }
    EXPECT_TRUE(RectsAlmostEqual(r, QRectF(10, 20, 30.5, 40), 0.5f));
    EXPECT_FALSE(RectsAlmostEqual(r, QRectF(10, 20, 30, 40.6), 0.5f));
}

TEST(RangeUtility, WithToleranceUsesItAsGiven)
{
    const QRectF r(10, 20, 30, 40);
    EXPECT_TRUE(RectsEqualWithTolerance(r, r, 0));
    EXPECT_FALSE(RectsEqualWithTolerance(r, r.adjusted(0, 0, 0, 1e-9), 0));
    EXPECT_FALSE(RectsEqualWithTolerance(r, r, -0.1f));
    EXPECT_TRUE(PointsEqualWithTolerance({0, 0}, {0.5, -0.5}, 0.5f));
    EXPECT_FALSE(SizesEqualWithTolerance({1, 1}, {1, 1.6}, 0.5f));
    EXPECT_FALSE(RectsEqualWithTolerance(r, QRectF(qQNaN(), 20, 30, 40), 1.0f));
}

TEST(RangeUtility, PointInRectIncludesBordersAndTolerance)
{
    const QRectF r(0, 0, 10, 10);
    EXPECT_TRUE(PointInRectWithTolerance({10, 10}, r, 0));
    EXPECT_TRUE(PointInRectWithTolerance({0, 0}, r, 0));
    EXPECT_TRUE(PointInRectWithTolerance({10.5, -0.5}, r, 0.5f));
    EXPECT_FALSE(PointInRectWithTolerance({10.6, 5}, r, 0.5f));
    EXPECT_FALSE(PointInRectWithTolerance({-0.1, 5}, r, 0));
}

} // namespace

TEST(RangeUtility, EndAndMembershipNeverOverflow)
{
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    EXPECT_EQ(MaxRange({3, 4}), 7);
    EXPECT_EQ(MaxRange({NotFound, 0}), NotFound);
    EXPECT_EQ(MaxRange({NotFound - 2, 5}), NotFound);
    EXPECT_EQ(MaxRange({-1, 1}), 0);
    EXPECT_EQ(MaxRange({-5, NotFound}), NotFound - 5);
    EXPECT_EQ(MaxRange({lowest + 1, -3}), lowest);
    EXPECT_TRUE(LocationInRange(5, {0, 10}));
    EXPECT_FALSE(LocationInRange(10, {0, 10}));
    EXPECT_TRUE(LocationInRange(NotFound - 11, {-10, NotFound}));
    EXPECT_FALSE(LocationInRange(NotFound - 10, {-10, NotFound}));
    EXPECT_FALSE(LocationInRange(NotFound - 1, {lowest, 10}));
    EXPECT_FALSE(LocationInRange(0, {0, -1}));
}
