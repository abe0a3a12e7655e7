#include "foundation/CoverInfor.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<Range> entries(const CoverInfor &set)
{
    return set.ranges();
}

std::shared_ptr<CoverInfor> setOf(std::initializer_list<Range> ranges)
{
    auto set = CoverInfor::create();
    for (const Range &r : ranges)
        set->addRange(r);
    return set;
}

// The maximal runs of covered positions: what a touch-merging set must hold.
std::vector<Range> runsOf(const std::vector<bool> &covered)
{
    std::vector<Range> runs;
    for (qint64 i = 0; i < qint64(covered.size()); ++i) {
        if (!covered[size_t(i)])
            continue;
        if (!runs.empty() && MaxRange(runs.back()) == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1});
    }
    return runs;
}

TEST(CoverInfor, AddMergesOverlappingAndTouchingEntries)
{
    auto set = setOf({{10, 5}, {30, 5}, {0, 3}});
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 3}, {10, 5}, {30, 5}}));
    set->addRange({15, 2}); // touches the end of {10, 5}
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 3}, {10, 7}, {30, 5}}));
    set->addRange({2, 29}); // spans everything
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 35}}));
    set->addRange({5, 0});
    set->addRange({NotFound, 3});
    EXPECT_EQ(set->length(), 1);
}

TEST(CoverInfor, WithoutTouchMergingTouchingEntriesStaySeparate)
{
    CoverInfor set;
    set.addRange({0, 5});
    set.addRange({10, 5});
    set.addRange({5, 5});
    EXPECT_EQ(entries(set), (std::vector<Range>{{0, 5}, {5, 5}, {10, 5}}));
    set.addRange({4, 2});
    EXPECT_EQ(entries(set), (std::vector<Range>{{0, 10}, {10, 5}}));
    EXPECT_EQ(set.indexThatContainsRange({10, 0}), 1);
}

TEST(CoverInfor, RemoveCutsAndSplits)
{
    auto set = setOf({{0, 10}, {20, 10}});
    set->removeRange({5, 20});
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 5}, {25, 5}}));
    set->removeRange({1, 1});
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 1}, {2, 3}, {25, 5}}));
    set->removeRange({0, 100});
    EXPECT_EQ(set->length(), 0);

    auto untouched = setOf({{0, 10}});
    untouched->removeRange({3, 0});
    untouched->removeRange({NotFound, 4});
    untouched->removeRange({10, 5});
    EXPECT_EQ(entries(*untouched), (std::vector<Range>{{0, 10}}));
}

TEST(CoverInfor, AddAndRemoveAgreeWithAPositionModel)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pos(0, 199), len(0, 30), coin(0, 2);
    auto set = CoverInfor::create();
    std::vector<bool> covered(260, false);
    for (int step = 0; step < 3000; ++step) {
        const Range r{pos(rng), len(rng)};
        const bool add = coin(rng) != 0;
        if (add)
            set->addRange(r);
        else
            set->removeRange(r);
        for (qint64 i = r.location; i < MaxRange(r); ++i)
            covered[size_t(i)] = add;
        ASSERT_EQ(entries(*set), runsOf(covered)) << "step " << step;
    }
}

// Without touch-merging, and with shifts mixed in, the set must stay ascending and disjoint and
// cover exactly the positions added and not removed.
TEST(CoverInfor, StaysAscendingAndDisjointUnderEveryOperation)
{
    platform::setReportSink([](const QByteArray &) {});
    platform::setLogSink([](const QString &) {});
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pos(0, 299), len(0, 20), op(0, 3), delta(-15, 15);
    for (bool merge : {false, true}) {
        CoverInfor set;
        set.bMergeIfRangeNearEachOther = merge;
        std::vector<bool> covered(1000, false);
        for (int step = 0; step < 3000; ++step) {
            const int kind = op(rng);
            if (kind < 3) {
                const Range r{pos(rng), len(rng)};
                if (kind == 0)
                    set.removeRange(r);
                else
                    set.addRange(r);
                for (qint64 i = r.location; i < MaxRange(r); ++i)
                    covered[size_t(i)] = kind != 0;
            } else if (set.length() > 0) {
                const qint64 from = pos(rng) % set.length();
                const qint64 d = delta(rng);
                const std::vector<Range> before = entries(set);
                if (MaxRange(before.back()) + d >= qint64(covered.size()))
                    continue; // keep the model inside its positions
                const bool moved = set.shiftRangeWithDelta(d, from, NotFound);
                if (moved && d != 0) {
                    std::fill(covered.begin(), covered.end(), false);
                    for (size_t i = 0; i < before.size(); ++i) {
                        const qint64 shift = qint64(i) >= from ? d : 0;
                        for (qint64 p = before[i].location; p < MaxRange(before[i]); ++p)
                            covered[size_t(p + shift)] = true;
                    }
                } else if (!moved) {
                    ASSERT_EQ(entries(set), before);
                }
            }
            const auto now = entries(set);
            std::vector<bool> seen(covered.size(), false);
            for (size_t i = 0; i < now.size(); ++i) {
                ASSERT_GT(now[i].length, 0);
                if (i > 0) {
                    ASSERT_LE(MaxRange(now[i - 1]), now[i].location) << "step " << step;
                    if (merge) {
                        ASSERT_LT(MaxRange(now[i - 1]), now[i].location) << "step " << step;
                    }
                }
                for (qint64 p = now[i].location; p < MaxRange(now[i]); ++p)
                    seen[size_t(p)] = true;
            }
            ASSERT_EQ(seen, covered) << "step " << step << " merge " << merge;
        }
    }
    platform::setReportSink(nullptr);
    platform::setLogSink(nullptr);
}

TEST(CoverInfor, Queries)
{
    auto set = setOf({{10, 10}, {30, 10}, {50, 10}});
    EXPECT_EQ(set->indexThatContainsRange({12, 3}), 0);
    EXPECT_EQ(set->indexThatContainsRange({30, 10}), 1);
    EXPECT_EQ(set->indexThatContainsRange({15, 20}), NotFound);
    EXPECT_EQ(set->indexThatContainsRange({0, 5}), NotFound);
    EXPECT_EQ(set->indexThatContainsRange({40, 0}), NotFound);

    EXPECT_EQ(set->minRangeThatNotCoverInSelfWitBase({12, 30}), (Range{20, 10}));
    EXPECT_EQ(set->minRangeThatNotCoverInSelfWitBase({0, 5}), (Range{0, 5}));
    EXPECT_EQ(set->minRangeThatNotCoverInSelfWitBase({35, 10}), (Range{40, 5}));
    EXPECT_EQ(set->minRangeThatNotCoverInSelfWitBase({58, 10}), (Range{60, 8}));
    EXPECT_EQ(set->minRangeThatNotCoverInSelfWitBase({31, 5}).length, 0);
    EXPECT_EQ(CoverInfor().minRangeThatNotCoverInSelfWitBase({3, 4}), (Range{3, 4}));

    qint64 start = -1, end = -1, next = -1;
    set->getIndexThatIntersectRange({15, 20}, &start, &end, &next);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 1);
    EXPECT_EQ(next, 2);
    set->getIndexThatIntersectRange({20, 10}, &start, &end, &next);
    EXPECT_EQ(start, NotFound);
    EXPECT_EQ(end, NotFound);
    EXPECT_EQ(next, 1);
    set->getIndexThatIntersectRange({55, 100}, &start, &end, &next);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 2);
    EXPECT_EQ(next, NotFound);
    set->getIndexThatIntersectRange({55, 1}, nullptr, nullptr, nullptr);
}

TEST(CoverInfor, RemoveEntriesByIndex)
{
    auto set = setOf({{0, 2}, {10, 2}, {20, 2}, {30, 2}});
    EXPECT_TRUE(set->removeRangeFromIndex(1, 100));
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 2}}));
    EXPECT_FALSE(set->removeRangeFromIndex(1, 1));
    EXPECT_FALSE(set->removeRangeFromIndex(-1, 0));
    EXPECT_EQ(set->length(), 1);
}

TEST(CoverInfor, ShiftMovesAndMergesNeighbours)
{
    auto set = setOf({{0, 5}, {10, 5}, {20, 5}});
    EXPECT_TRUE(set->shiftRangeWithDelta(3, 1, NotFound));
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 5}, {13, 5}, {23, 5}}));
    EXPECT_TRUE(set->shiftRangeWithDelta(-8, 1, 2));
    EXPECT_EQ(entries(*set), (std::vector<Range>{{0, 10}, {15, 5}}));
    // A positive shift of a middle entry onto the next one keeps the set disjoint too.
    auto middle = setOf({{0, 2}, {10, 2}, {20, 2}});
    EXPECT_TRUE(middle->shiftRangeWithDelta(9, 1, 1));
    EXPECT_EQ(entries(*middle), (std::vector<Range>{{0, 2}, {19, 3}}));
}

TEST(CoverInfor, RefusedShiftLeavesEveryEntryInPlace)
{
    QByteArray report;
    platform::setReportSink([&](const QByteArray &text) { report += text; });
    platform::setLogSink([](const QString &) {});
    auto set = setOf({{10, 5}, {20, 5}, {30, 5}});
    const auto before = entries(*set);
    // The first entries could move by -12, the last could not: nothing may move.
    EXPECT_FALSE(set->shiftRangeWithDelta(-12, 0, 2));
    EXPECT_EQ(entries(*set), before);
    EXPECT_FALSE(set->shiftRangeWithDelta(NotFound - 10, 0, 2));
    EXPECT_EQ(entries(*set), before);
    EXPECT_FALSE(set->shiftRangeWithDelta(1, 5, 6));
    EXPECT_EQ(entries(*set), before);
    platform::setReportSink(nullptr);
    platform::setLogSink(nullptr);
    EXPECT_TRUE(report.contains("FATAL_ERROR DOWN HERE"));
}

TEST(CoverInfor, LogWritesEveryEntry)
{
    QString line;
    platform::setLogSink([&](const QString &text) { line += text; });
    setOf({{0, 3}, {10, 5}})->log();
    platform::setLogSink(nullptr);
    EXPECT_EQ(line, QStringLiteral("0:[0 - 3];1:[10 - 15];"));
}

} // namespace
