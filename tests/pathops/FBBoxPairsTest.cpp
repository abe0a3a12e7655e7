#include "pathops/FBBoxPairs.h"

#include <gtest/gtest.h>
#include <limits>

TEST(FBBoxPairsTest, WhetherOneBoxHoldsAnother)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QRectF outer(0, 0, 10, 10);
    struct Row
    {
        const char *name;
        QRectF outer, inner;
        bool holds;
    };
    const Row rows[] = {
        {"well inside", outer, QRectF(2, 2, 3, 3), true},
        {"the same box", outer, outer, true},
        {"sharing an edge", outer, QRectF(0, 4, 2, 2), true},
        {"one hair over, by rounding", outer, QRectF(5, 5, 5 + 1e-12, 1), true},
        {"sticking out on the right", outer, QRectF(5, 5, 5.001, 1), false},
        {"sticking out at the top", outer, QRectF(5, -0.001, 1, 1), false},
        {"beside", outer, QRectF(20, 0, 5, 5), false},
        {"holding the outer", QRectF(2, 2, 3, 3), outer, false},
        {"far out, rounding scaled", QRectF(1e6, 1e6, 1e6, 1e6), QRectF(1e6 - 1e-5, 1.5e6, 10, 10),
         true},
        {"not a number inside", outer, QRectF(nan, 0, 1, 1), true},
        {"infinite outer", QRectF(-inf, 0, inf, 1), QRectF(50, 50, 1, 1), true},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FBBoxPairs_BoxHolds(row.outer, row.inner), row.holds) << row.name;

    EXPECT_TRUE(FBBoxPairs_BoxHoldsPoint(outer, QPointF(10, 0)));
    EXPECT_TRUE(FBBoxPairs_BoxHoldsPoint(outer, QPointF(3, 7)));
    EXPECT_FALSE(FBBoxPairs_BoxHoldsPoint(outer, QPointF(10.001, 5)));
    EXPECT_FALSE(FBBoxPairs_BoxHoldsPoint(outer, QPointF(5, -0.5)));
}

TEST(FBBoxPairsTest, MeetingPairsAgreeWithTryingEveryPair)
{
    std::vector<QRectF> first, second;
    for (int i = 0; i < 40; ++i) {
        first.emplace_back((i * 37) % 100, (i * 53) % 100, 5 + i % 7, 3 + i % 5);
        second.emplace_back((i * 29) % 100, (i * 71) % 100, 4 + i % 3, 6 + i % 4);
    }
    // Boxes round one centre, the sides of nested squares (flat boxes among them), and boxes
    // with a coordinate that is not finite, which meet everything.
    for (int k = 1; k <= 30; ++k) {
        first.emplace_back(-k, -k, 2 * k, 2 * k);
        first.emplace_back(-k, -k, 2 * k, 0);
        second.emplace_back(k, -k, 0, 2 * k);
        second.emplace_back(-k / 2.0, -k / 2.0, k, k);
    }
    first.emplace_back(std::numeric_limits<double>::quiet_NaN(), 0, 1, 1);
    second.emplace_back(0, 0, std::numeric_limits<double>::infinity(), 1);
    std::vector<std::pair<size_t, size_t>> across, within;
    for (size_t i = 0; i < first.size(); ++i) {
        for (size_t j = 0; j < second.size(); ++j) {
            if (FBBoxPairs_BoxesMeet(first[i], second[j]))
                across.emplace_back(i, j);
        }
        for (size_t j = i + 1; j < first.size(); ++j) {
            if (FBBoxPairs_BoxesMeet(first[i], first[j]))
                within.emplace_back(i, j);
        }
    }
    EXPECT_FALSE(across.empty());
    EXPECT_EQ(FBBoxPairs_Meeting(first, second), across);
    EXPECT_EQ(FBBoxPairs_MeetingWithin(first), within);
    std::vector<bool> firstMeets(first.size(), false), secondMeets(second.size(), false);
    for (const auto &[i, j] : across)
        firstMeets[i] = secondMeets[j] = true;
    EXPECT_EQ(FBBoxPairs_MeetingAny(first, second), firstMeets);
    EXPECT_EQ(FBBoxPairs_MeetingAny(second, first), secondMeets);

    // The boxes in groups of three, then of one (a few only, and the tree), and the last group
    // left without boxes: a group is met when one of its boxes meets one of another group, and
    // only pairs from different groups are asked for.
    for (const size_t size : {size_t(3), size_t(1)}) {
        for (const size_t count : {size_t(12), first.size()}) {
            const std::vector<QRectF> boxes(first.begin(), first.begin() + qsizetype(count));
            std::vector<size_t> groups;
            for (size_t i = 0; i < count; ++i)
                groups.push_back(i / size);
            const size_t groupCount = groups.back() + 2;
            std::vector<bool> expected(groupCount, false);
            std::vector<std::pair<size_t, size_t>> apart;
            for (const auto &[i, j] : within) {
                if (j < count && groups[i] != groups[j]) {
                    expected[groups[i]] = expected[groups[j]] = true;
                    apart.emplace_back(i, j);
                }
            }
            EXPECT_EQ(FBBoxPairs_GroupsMeetingOthers(boxes, groups, groupCount), expected)
                << count << " boxes in groups of " << size;
            EXPECT_EQ(FBBoxPairs_MeetingWithin(boxes, &groups), apart)
                << count << " boxes in groups of " << size;
        }
    }
}
