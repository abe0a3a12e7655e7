// The direct combinations of two paths, the guarded entry with its frame and clock, and the
// farthest-point simplification.
#include <gtest/gtest.h>

#include "pathops/PolygonPath.h"

#include "PathShapes.h"
#include "support/LogCapture.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathOperationState.h"
#include "pathops/PelkoNSBezierPath.h"

#include <cmath>
#include <limits>
#include <vector>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

struct StateReset
{
    ~StateReset()
    {
        gPathOperationCancel = false;
        gPathOperationStartTime = -1.0;
    }
};

int moveCount(const BezierPath &path)
{
    int moves = 0;
    for (const BezierPath::Element &e : path.elements())
        moves += e.type == BezierPathElement::MoveTo;
    return moves;
}

std::vector<QPointF> pointsOf(const BezierPath &path)
{
    std::vector<QPointF> points;
    for (qint64 i = 0; i < path.elementCount(); ++i)
        points.push_back(fb_pointAtIndex(path, i));
    return points;
}

} // namespace

TEST(PathBooleanOperations, GuardedEntryWithoutArgumentLeavesTheClockAlone)
{
    StateReset reset;
    gPathOperationStartTime = 1234.5;
    EXPECT_FALSE(performBooleanOp(squarePath(0, 0, 10), PathBooleanUnion, nullptr));
    EXPECT_EQ(gPathOperationStartTime.load(), 1234.5);
}

TEST(PathBooleanOperations, GuardedUnionOfSquaresSharingAnEdgeComesBackInInputUnits)
{
    StateReset reset;
    const BezierPath left = squarePath(0, 0, 10);
    const BezierPath right = squarePath(10, 0, 10);
    // Combined once, in its frame and back, exactly: one outline on the squares' own corners,
    // whatever the random source holds (jittered draws no longer move or split it).
    for (quint64 seed = 1; seed <= 4; ++seed) {
        PathOperation_SeedRandom(seed);
        const std::optional<BezierPath> result = performBooleanOp(left, PathBooleanUnion, &right);
        ASSERT_TRUE(result) << seed;
        EXPECT_EQ(moveCount(*result), 1) << seed;
        EXPECT_EQ(result->bounds(), QRectF(0, 0, 20, 10)) << seed;
        EXPECT_EQ(gPathOperationStartTime.load(), -1.0);
    }
}

TEST(PathBooleanOperations, CodesOutsideZeroToTwoAreTheExclusiveOr)
{
    StateReset reset;
    const BezierPath a = squarePath(0, 0, 10);
    const BezierPath b = squarePath(5, 5, 10);
    auto run = [&](qint32 code) {
        PathOperation_SeedRandom(99);
        return performBooleanOp(a, code, &b);
    };
    const std::optional<BezierPath> xorResult = run(PathBooleanXor);
    ASSERT_TRUE(xorResult);
    EXPECT_EQ(moveCount(*xorResult), 2);
    for (qint32 code : {4, 17, -1, std::numeric_limits<qint32>::max()}) {
        const std::optional<BezierPath> other = run(code);
        ASSERT_TRUE(other) << code;
        EXPECT_EQ(*other, *xorResult) << code;
    }
    // The same seed gives the same answer; the other codes give other answers.
    for (qint32 code : {PathBooleanUnion, PathBooleanIntersect, PathBooleanDifference}) {
        const std::optional<BezierPath> other = run(code);
        ASSERT_TRUE(other) << code;
        EXPECT_FALSE(*other == *xorResult) << code;
    }
}

TEST(PathBooleanOperations, EmptyCombinationCancelAndNonFiniteAnswerNothing)
{
    StateReset reset;
    pelkotest::LogCapture capture;
    const BezierPath a = squarePath(0, 0, 10);
    const BezierPath far = squarePath(50, 50, 10);
    EXPECT_FALSE(performBooleanOp(a, PathBooleanIntersect, &far));
    EXPECT_EQ(gPathOperationStartTime.load(), -1.0);

    gPathOperationCancel = true;
    EXPECT_FALSE(performBooleanOp(a, PathBooleanUnion, &far));
    EXPECT_TRUE(capture.hasExceptionReport());
    EXPECT_EQ(gPathOperationStartTime.load(), -1.0);
    gPathOperationCancel = false;

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (QPointF bad : {QPointF(nan, 1), QPointF(1, inf), QPointF(-inf, -inf)}) {
        BezierPath broken = squarePath(0, 0, 10);
        broken.lineToPoint(bad);
        broken.closePath();
        EXPECT_FALSE(performBooleanOp(broken, PathBooleanUnion, &a));
        EXPECT_FALSE(performBooleanOp(a, PathBooleanUnion, &broken));
        EXPECT_TRUE(fb_union(broken, a).isEmpty());
        EXPECT_TRUE(fb_intersect(a, broken).isEmpty());
        EXPECT_TRUE(fb_difference(broken, a).isEmpty());
        EXPECT_TRUE(fb_xor(a, broken).isEmpty());
    }
    EXPECT_TRUE(capture.logged(QStringLiteral("not finite")));
    // Huge finite coordinates do not overflow the guarded entry's frame: the answers hold the
    // huge squares.
    const BezierPath huge = squarePath(1e307, 1e307, 1e306);
    const std::optional<BezierPath> withSmall = performBooleanOp(huge, PathBooleanUnion, &a);
    ASSERT_TRUE(withSmall);
    EXPECT_NEAR(withSmall->bounds().right() / 1.1e307, 1, 1e-9);
    EXPECT_NEAR(withSmall->bounds().bottom() / 1.1e307, 1, 1e-9);
    EXPECT_TRUE(withSmall->containsPoint({1.05e307, 1.05e307}));
    const BezierPath moved = squarePath(1.05e307, 1.05e307, 1e306);
    const std::optional<BezierPath> both = performBooleanOp(huge, PathBooleanIntersect, &moved);
    ASSERT_TRUE(both);
    EXPECT_NEAR(both->bounds().left() / 1.05e307, 1, 1e-5);
    EXPECT_NEAR(both->bounds().width() / 0.5e306, 1, 1e-3);
    EXPECT_NEAR(both->bounds().height() / 0.5e306, 1, 1e-3);
}

TEST(PathBooleanOperations, DirectResultsCarryTheReceiversAttributes)
{
    BezierPath a = squarePath(0, 0, 10);
    a.setLineWidth(7.5);
    a.setLineCapStyle(platform::LineCapStyle::Round);
    a.setLineJoinStyle(platform::LineJoinStyle::Bevel);
    a.setMiterLimit(3);
    a.setFlatness(0.25);
    BezierPath b = squarePath(5, 5, 10);
    b.setLineWidth(2);
    for (const BezierPath &result :
         {fb_union(a, b), fb_intersect(a, b), fb_difference(a, b), fb_xor(a, b)}) {
        EXPECT_EQ(result.lineWidth(), 7.5);
        EXPECT_EQ(result.lineCapStyle(), platform::LineCapStyle::Round);
        EXPECT_EQ(result.lineJoinStyle(), platform::LineJoinStyle::Bevel);
        EXPECT_EQ(result.miterLimit(), 3);
        EXPECT_EQ(result.flatness(), 0.25);
        EXPECT_EQ(result.windingRule(), platform::WindingRule::EvenOdd);
    }
}

TEST(PathBooleanOperations, JitterMovesEveryPointWithinItsBounds)
{
    PathOperation_SeedRandom(3);
    BezierPath single;
    single.moveToPoint({1, 1});
    BezierPath untouched = single;
    JitterPathPoints(&untouched, 10, 30);
    EXPECT_EQ(untouched, single);
    JitterPathPoints(nullptr, 10, 30);

    BezierPath path = circlePath(0, 0, 100);
    const BezierPath before = path;
    JitterPathPoints(&path, 10, 30);
    ASSERT_EQ(path.elementCount(), before.elementCount());
    bool sawNegative = false, sawPositive = false;
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        const BezierPath::Element &e = path.element(i);
        const int used = e.type == BezierPathElement::CurveTo     ? 3
                         : e.type == BezierPathElement::ClosePath ? 0
                                                                  : 1;
        for (int k = 0; k < used; ++k) {
            const QPointF d = e.points[k] - before.element(i).points[k];
            for (double v : {d.x(), d.y()}) {
                EXPECT_GE(std::abs(v), 10.0);
                EXPECT_LT(std::abs(v), 30.0 + 1e-5);
                (v < 0 ? sawNegative : sawPositive) = true;
            }
        }
    }
    EXPECT_TRUE(sawNegative && sawPositive);
}

TEST(PathBooleanOperations, SimplifyKeepsOnlyPointsBeyondTheThreshold)
{
    struct Row
    {
        const char *name;
        std::vector<QPointF> points;
        double threshold;
        std::vector<QPointF> expected;
    };
    std::vector<QPointF> collinear;
    for (int i = 0; i < 10; ++i)
        collinear.push_back({double(i), 2.0 * i});
    const std::vector<Row> rows = {
        {"collinear", collinear, 0.01, {{0, 0}, {9, 18}}},
        {"corner kept", {{0, 0}, {5, 0.1}, {10, 0}, {10, 10}}, 1, {{0, 0}, {10, 0}, {10, 10}}},
        {"small bumps dropped", {{0, 0}, {1, 0.2}, {2, -0.2}, {3, 0}}, 0.5, {{0, 0}, {3, 0}}},
        {"a bump at the threshold kept",
         {{0, 0}, {1, 0.5}, {2, 0}, {3, 0}},
         0.5,
         {{0, 0}, {1, 0.5}, {3, 0}}},
        {"first of equal distances splits",
         {{0, 0}, {1, 1}, {2, 1}, {3, 0}},
         0.1,
         {{0, 0}, {1, 1}, {2, 1}, {3, 0}}},
    };
    for (const Row &row : rows) {
        BezierPath path = polyline(row.points);
        path.setLineWidth(4);
        const BezierPath result = fb_simplify(path, row.threshold);
        EXPECT_EQ(pointsOf(result), row.expected) << row.name;
        EXPECT_EQ(result.lineWidth(), 4) << row.name;
        EXPECT_EQ(result.element(0).type, BezierPathElement::MoveTo) << row.name;
    }
    const BezierPath two = polyline({{0, 0}, {5, 5}});
    EXPECT_EQ(fb_simplify(two, 100), two);
}

TEST(PathBooleanOperations, SimplifyOfALongSawtoothKeepsEveryTooth)
{
    // Each split peels off one tooth, so a recursive split would go as deep as the path is long.
    std::vector<QPointF> teeth;
    for (int i = 0; i < 4000; ++i)
        teeth.push_back({double(i), i % 2 ? 1.0 : 0.0});
    const BezierPath result = fb_simplify(polyline(teeth), 0.1);
    EXPECT_EQ(pointsOf(result), teeth);
}
