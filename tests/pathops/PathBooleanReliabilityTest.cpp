// Combinations of degenerate, huge and hostile inputs through the direct operations and the
// guarded entry: no crash, no answer where there is none to give, and a cancel that stops a
// long union.
#include <gtest/gtest.h>

#include "ClipperOracle.h"
#include "PathShapes.h"
#include "support/LogCapture.h"
#include "pathops/FBBezierGraph.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathOperationState.h"
#include "platform/AffineTransform.h"
#include "platform/Guard.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>

using platform::BezierPath;

namespace {

struct StateReset
{
    ~StateReset()
    {
        gPathOperationCancel = false;
        gPathOperationStartTime = -1.0;
    }
};

// The four direct operations with the clock running, as the guarded entry runs them.
std::array<BezierPath, 4> allDirect(const BezierPath &a, const BezierPath &b)
{
    gPathOperationStartTime = PathOperation_CurrentMediaTime();
    std::array<BezierPath, 4> results = {fb_union(a, b), fb_intersect(a, b), fb_difference(a, b),
                                         fb_xor(a, b)};
    gPathOperationStartTime = -1.0;
    return results;
}

double area(const BezierPath &path)
{
    return std::abs(pathoracle::evenOddArea(path));
}

// How far the guarded entry's answer may stray from the direct one's area: a ten-thousandth of
// the smallest outline's size along every outline (it once jittered every point by that much).
double guardedReach(const BezierPath &a, const BezierPath &b)
{
    return 1e-4 * pathoracle::smallestOutline(a, b) *
           (pathoracle::outlineLength(a) + pathoracle::outlineLength(b));
}

// The path with every point scaled by 2 to the power `exponent` (exact).

// A circle of diameter 96 as a drawing program writes it, its control points rounded to three
// decimals (not all alike), with every point passed through `map`.
BezierPath roundedCircle(const std::function<QPointF(double, double)> &map)
{
    BezierPath path;
    path.moveToPoint(map(48, 0));
    path.curveToPoint(map(0, 48), map(21.488, 0), map(0, 21.488));
    path.curveToPoint(map(48, 96), map(0, 74.504), map(21.488, 96));
    path.curveToPoint(map(96, 48), map(74.512, 96), map(96, 74.512));
    path.curveToPoint(map(48, 0), map(96, 21.496), map(74.512, 0));
    path.closePath();
    return path;
}

} // namespace

TEST(PathBooleanReliability, DegeneratePairsGiveTheAreasTheyMean)
{
    StateReset reset;
    pelkotest::LogCapture quiet;
    BezierPath zeroSegments = squarePath(0, 0, 10);
    zeroSegments = BezierPath();
    zeroSegments.moveToPoint({0, 0});
    zeroSegments.lineToPoint({0, 0});
    zeroSegments.lineToPoint({10, 0});
    zeroSegments.lineToPoint({10, 0});
    zeroSegments.curveToPoint({10, 10}, {10, 10}, {10, 10});
    zeroSegments.lineToPoint({0, 10});
    zeroSegments.closePath();
    struct Row
    {
        const char *name;
        BezierPath a, b;
        // Expected areas of union, intersection, difference, exclusive or.
        std::array<double, 4> areas;
    };
    const double circle = area(circlePath(0, 0, 10));
    // An outline whose counter starts level with the inner edges of its bars.
    BezierPath barred =
        polygon({{0, 0}, {60, 0}, {60, 100}, {0, 100}, {0, 90}, {10, 90}, {10, 10}, {0, 10}});
    barred.appendBezierPath(polygon({{20, 10}, {20, 90}, {50, 90}, {50, 10}}));
    barred = evenOdd(barred);
    // A bowl whose counter starts level with the outline's joints.
    BezierPath bowl = circlePath(0, 0, 10);
    bowl.appendBezierPath(circlePath(1, 0, 6));
    bowl = evenOdd(bowl);
    const double bowlArea = area(bowl);
    // The rounded circle and the same turned a quarter round its centre: the joints meet, the
    // control points differ by up to 0.008, so the two outlines cross and bound slivers between
    // them, a sixth of a unit on either side (measured by the clipper).
    const BezierPath rounded = roundedCircle([](double x, double y) { return QPointF(x, y); });
    const BezierPath turned = roundedCircle([](double x, double y) { return QPointF(96 - y, x); });
    const double disc = area(rounded);
    const double sliver =
        std::abs(pathoracle::clipperArea(rounded, turned, ClipperLib::ctDifference, 1e-5));
    const std::vector<Row> rows = {
        {"identical squares", squarePath(0, 0, 10), squarePath(0, 0, 10), {100, 100, 0, 0}},
        {"reversed square",
         squarePath(0, 0, 10),
         squarePath(0, 0, 10).bezierPathByReversingPath(),
         {100, 100, 0, 0}},
        {"shared edge", squarePath(0, 0, 10), squarePath(10, 0, 10), {200, 0, 100, 200}},
        {"tangent circles",
         circlePath(0, 0, 10),
         circlePath(20, 0, 10),
         {2 * circle, 0, circle, 2 * circle}},
        {"identical circles", circlePath(0, 0, 10), circlePath(0, 0, 10), {circle, circle, 0, 0}},
        {"circle and its quarter turn, rounded otherwise",
         rounded,
         turned,
         {disc + sliver, disc - sliver, sliver, 2 * sliver}},
        {"circle and its quarter turn, reversed",
         rounded,
         turned.bezierPathByReversingPath(),
         {disc + sliver, disc - sliver, sliver, 2 * sliver}},
        {"zero-length segments", zeroSegments, squarePath(5, 5, 10), {175, 25, 75, 150}},
        {"contour under 1 x 1 inside",
         squarePath(0, 0, 10),
         squarePath(4, 4, 0.5),
         {100, 0.25, 99.75, 99.75}},
        {"counter level with a bar",
         barred,
         polygon({{30, 40}, {70, 40}, {70, 60}, {30, 60}}),
         {3400, 200, 2600, 3200}},
        {"outline with a counter, itself moved a hair across",
         barred,
         movedPath(barred, 1e-6, 0),
         {2800, 2800, 0, 0}},
        {"outline with a counter, itself moved a hair up",
         barred,
         movedPath(barred, 0, 1e-6),
         {2800, 2800, 0, 0}},
        {"outline with a counter, itself moved a hair both ways",
         barred,
         movedPath(barred, 1e-6, 1e-6),
         {2800, 2800, 0, 0}},
        {"outline with a counter, itself reversed",
         barred,
         barred.bezierPathByReversingPath(),
         {2800, 2800, 0, 0}},
        {"bowl, itself", bowl, bowl, {bowlArea, bowlArea, 0, 0}},
        {"bowl, itself reversed",
         bowl,
         bowl.bezierPathByReversingPath(),
         {bowlArea, bowlArea, 0, 0}},
        {"bowl, itself moved a hair across",
         bowl,
         movedPath(bowl, 1e-6, 0),
         {bowlArea, bowlArea, 0, 0}},
        {"bowl, itself moved a hair both ways",
         bowl,
         movedPath(bowl, 1e-6, 1e-6),
         {bowlArea, bowlArea, 0, 0}},
        {"circle, itself moved a hair up",
         circlePath(0, 0, 10),
         movedPath(circlePath(0, 0, 10), 0, 1e-6),
         {circle, circle, 0, 0}},
        {"huge coordinates",
         squarePath(1e6, 1e6, 1e6),
         squarePath(1.5e6, 1.5e6, 1e6),
         {1.75e12, 0.25e12, 0.75e12, 1.5e12}},
    };
    for (const Row &row : rows) {
        std::array<BezierPath, 4> results;
        try {
            results = allDirect(row.a, row.b);
        } catch (const std::exception &e) {
            ADD_FAILURE() << row.name << " threw " << e.what();
            continue;
        }
        const double scale = area(row.a) + area(row.b);
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(area(results[k]), row.areas[k], 1e-6 * scale) << row.name << " " << k;
        }
        for (qint32 code = 0; code < 4; ++code) {
            const std::optional<BezierPath> guarded = performBooleanOp(row.a, code, &row.b);
            EXPECT_EQ(gPathOperationStartTime.load(), -1.0) << row.name;
            // An empty combination answers nothing, not slivers of its own.
            if (guarded) {
                EXPECT_FALSE(guarded->isEmpty()) << row.name;
            }
            if (results[size_t(code)].isEmpty()) {
                EXPECT_FALSE(guarded) << row.name << ", guarded " << code;
            }
            EXPECT_NEAR(guarded ? area(*guarded) : 0.0, row.areas[size_t(code)],
                        guardedReach(row.a, row.b) + 1e-6 * scale)
                << row.name << ", guarded " << code;
        }
    }
}

TEST(PathBooleanReliability, GuardedAnswersStayWithinWhatTheJitterCanMove)
{
    StateReset reset;
    BezierPath bowl = circlePath(0, 0, 10);
    bowl.appendBezierPath(circlePath(1, 0, 6));
    bowl = evenOdd(bowl);
    struct Row
    {
        const char *name;
        BezierPath a, b;
        // Seeds whose first jittered draw once gave a grossly wrong answer.
        quint64 seed;
        qint32 operation;
    };
    const Row rows[] = {
        {"bowl with itself, union", bowl, bowl, 228, PathBooleanUnion},
        {"bowl with itself, intersection", bowl, bowl, 228, PathBooleanIntersect},
        {"bowl with itself, difference", bowl, bowl, 228, PathBooleanDifference},
        {"bowl with itself reversed, union", bowl, bowl.bezierPathByReversingPath(), 500,
         PathBooleanUnion},
        {"bowl with itself reversed, exclusive or", bowl, bowl.bezierPathByReversingPath(), 1100,
         PathBooleanXor},
    };
    for (const Row &row : rows) {
        BezierPath exact;
        switch (row.operation) {
        case PathBooleanUnion:
            exact = fb_union(row.a, row.b);
            break;
        case PathBooleanIntersect:
            exact = fb_intersect(row.a, row.b);
            break;
        case PathBooleanDifference:
            exact = fb_difference(row.a, row.b);
            break;
        default:
            exact = fb_xor(row.a, row.b);
            break;
        }
        PathOperation_SeedRandom(row.seed);
        const std::optional<BezierPath> guarded = performBooleanOp(row.a, row.operation, &row.b);
        const double guardedArea = guarded ? area(*guarded) : 0.0;
        EXPECT_NEAR(guardedArea, area(exact), guardedReach(row.a, row.b)) << row.name;
    }
}

// The guarded entry's frame is a share of the operands' size: the
// intersection of two squares is as right at any side, far from the origin too, and the same
// pair a power of two larger or smaller gives exactly the same answer scaled.
TEST(PathBooleanReliability, GuardedAnswersDoNotDependOnTheUnits)
{
    StateReset reset;
    struct Row
    {
        double side;
        QPointF at;
    };
    std::vector<Row> rows;
    for (double side : {1e-3, 1.0, 10.0, 1000.0, 1e4})
        rows.push_back({side, {0, 0}});
    rows.push_back({1.0, {1e7, -3e7}});
    rows.push_back({1e-3, {-2e5, 5e4}});
    const int exponents[] = {-40, -7, 1, 9, 60};
    for (const Row &row : rows) {
        const double s = row.side;
        // The second square moved by half its side, then by nine tenths, both ways.
        for (double overlap : {0.5, 0.1}) {
            const double d = (1 - overlap) * s;
            const BezierPath a = squarePath(row.at.x(), row.at.y(), s);
            const BezierPath b = squarePath(row.at.x() + d, row.at.y() + d, s);
            const double expected = (s - d) * (s - d);
            // Every point moves by less than 1e-4 of the side, the answer's outline is 4 (s - d).
            const double reach = 1e-4 * s * 4 * (s - d);
            int wrong = 0;
            for (quint64 seed = 1; seed <= 100; ++seed) {
                PathOperation_SeedRandom(seed);
                const std::optional<BezierPath> guarded =
                    performBooleanOp(a, PathBooleanIntersect, &b);
                const double got = guarded ? area(*guarded) : 0.0;
                if (!(std::abs(got - expected) <= reach)) {
                    if (wrong++ < 3)
                        ADD_FAILURE() << "side " << s << " at (" << row.at.x() << ", " << row.at.y()
                                      << "), overlap " << overlap << ", seed " << seed << ": "
                                      << got << " where " << expected << " is right";
                }
                if (!guarded || row.at != QPointF(0, 0) || seed > 20)
                    continue;
                for (int exponent : exponents) {
                    PathOperation_SeedRandom(seed);
                    const BezierPath sa = pathoracle::scaledByPowerOfTwo(a, exponent);
                    const BezierPath sb = pathoracle::scaledByPowerOfTwo(b, exponent);
                    const std::optional<BezierPath> scaled =
                        performBooleanOp(sa, PathBooleanIntersect, &sb);
                    EXPECT_TRUE(scaled &&
                                *scaled == pathoracle::scaledByPowerOfTwo(*guarded, exponent))
                        << "side " << s << " x 2^" << exponent << ", overlap " << overlap
                        << ", seed " << seed;
                }
            }
            EXPECT_EQ(wrong, 0) << "side " << s << ", overlap " << overlap;
        }
    }
}

TEST(PathBooleanReliability, ExtremeSizesAndPlacesGiveTheRightAreas)
{
    StateReset reset;
    // Two squares of side s overlapping by a quarter, at the origin or far from it, measured
    // after moving the answer back to the origin and scaling it to side 1.
    struct Row
    {
        double side;
        double at;
    };
    std::vector<Row> rows;
    for (double side : {1e-300, 1e-200, 1e-100, 1e-30, 1e-10, 1e-3, 1.0, 1e3, 1e10, 1e30, 1e70,
                        1e100, 1e200, 1e300})
        rows.push_back({side, 0.0});
    for (double at : {1e9, 1e12, -1e14})
        rows.push_back({10.0, at});
    rows.push_back({1e-6, 1.0});
    using Operation = BezierPath (*)(const BezierPath &, const BezierPath &);
    const Operation operations[] = {fb_union, fb_intersect, fb_difference, fb_xor};
    const double expected[] = {1.75, 0.25, 0.75, 1.5};
    for (const Row &row : rows) {
        const double s = row.side;
        const BezierPath a = squarePath(row.at, row.at, s);
        const BezierPath b = squarePath(row.at + s / 2, row.at + s / 2, s);
        for (int k = 0; k < 4; ++k) {
            BezierPath result;
            try {
                result = operations[k](a, b);
            } catch (const std::exception &e) {
                ADD_FAILURE() << s << " at " << row.at << " threw " << e.what();
                continue;
            }
            platform::AffineTransform home, unit;
            home.translateXBy(-row.at, -row.at);
            unit.scaleXBy(1 / s, 1 / s);
            result.transformUsingAffineTransform(home);
            result.transformUsingAffineTransform(unit);
            EXPECT_NEAR(area(result), expected[k], 1e-6)
                << "side " << s << " at " << row.at << ", operation " << k;
        }
    }
}

TEST(PathBooleanReliability, NonFiniteCoordinatesGiveNothingEverywhere)
{
    StateReset reset;
    pelkotest::LogCapture capture;
    const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (double v : values) {
        BezierPath bad;
        bad.moveToPoint({0, 0});
        bad.curveToPoint({10, 10}, {v, 0}, {10, 0});
        bad.closePath();
        const BezierPath good = squarePath(0, 0, 10);
        for (const BezierPath &r : allDirect(bad, good))
            EXPECT_TRUE(r.isEmpty()) << v;
        for (const BezierPath &r : allDirect(good, bad))
            EXPECT_TRUE(r.isEmpty()) << v;
        for (qint32 code = 0; code < 4; ++code) {
            EXPECT_FALSE(performBooleanOp(bad, code, &good)) << v;
            EXPECT_FALSE(performBooleanOp(good, code, &bad)) << v;
        }
    }
    EXPECT_TRUE(capture.logged(QStringLiteral("not finite")));
}

TEST(PathBooleanReliability, HundredThousandVertexPolygon)
{
    StateReset reset;
    // A star-shaped polygon whose radius wobbles, so that no two edges are collinear.
    BezierPath polygon;
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * 3.141592653589793 * i / n;
        const double r = 1000 + (i % 2 ? 0.5 : 0);
        const QPointF p(r * std::cos(a), r * std::sin(a));
        if (i == 0)
            polygon.moveToPoint(p);
        else
            polygon.lineToPoint(p);
    }
    polygon.closePath();
    const BezierPath square = squarePath(-100, -100, 1200);
    const unsigned long long beforeDirect = gPathCurvePairSearches.load();
    gPathOperationStartTime = PathOperation_CurrentMediaTime();
    const BezierPath result = fb_intersect(polygon, square);
    gPathOperationStartTime = -1.0;
    const unsigned long long direct = gPathCurvePairSearches.load() - beforeDirect;
    // The quarter disc beyond (0, 0), plus the strips up to x, y = -100.
    const double quarter = 3.141592653589793 * 1000 * 1000 / 4;
    EXPECT_NEAR(area(result), quarter + 2 * 100 * 1000 + 100 * 100, 0.001 * quarter);
    const unsigned long long beforeGuarded = gPathCurvePairSearches.load();
    const std::optional<BezierPath> guarded =
        performBooleanOp(polygon, PathBooleanIntersect, &square);
    ASSERT_TRUE(guarded);
    EXPECT_NEAR(area(*guarded), area(result), 0.001 * quarter);
    // Operands are combined once: the guarded entry's work is
    // bounded by what it combines, not by a time limit.
    EXPECT_LE(gPathCurvePairSearches.load() - beforeGuarded, direct + direct / 2);
}

// Rings inside rings: every contour's box meets every other's, but no outline comes near another.
// Each ring is marked opposite to the one around it, and a square from the centre past the
// outermost corner crosses each twice.
TEST(PathBooleanReliability, NestedSquaresAndASquareAcrossThem)
{
    StateReset reset;
    constexpr int kRings = 60;
    BezierPath rings;
    for (int k = 1; k <= kRings; ++k)
        rings.appendBezierPath(squarePath(-k, -k, 2 * k));
    rings = evenOdd(rings);
    const FBBezierGraph graph(rings);
    ASSERT_EQ(graph.contours().size(), size_t(kRings));
    for (int k = 0; k < kRings; ++k) {
        // The outermost (the last) is filled.
        EXPECT_EQ(graph.contours()[size_t(k)]->inside(), (kRings - 1 - k) % 2) << "square " << k;
    }
    const BezierPath across = squarePath(0, 0, kRings + 1);
    const ClipperLib::ClipType types[] = {ClipperLib::ctUnion, ClipperLib::ctIntersection,
                                          ClipperLib::ctDifference, ClipperLib::ctXor};
    const std::array<BezierPath, 4> results = allDirect(rings, across);
    for (int k = 0; k < 4; ++k) {
        const double expected = pathoracle::clipperArea(rings, across, types[k]);
        EXPECT_NEAR(area(results[k]), expected, 1e-6 * expected) << "operation " << k;
    }
}

// Many overlapping contours in one path. (25,000 circles take longer than the time limit under
// the sanitizers; the benchmark measures the large counts.)
TEST(PathBooleanReliability, ThousandsOfCirclesInOnePath)
{
    StateReset reset;
    const BezierPath many = seededCircles(2500, 11);
    const BezierPath square = squarePath(0, 0, 50);
    gPathOperationStartTime = PathOperation_CurrentMediaTime();
    const BezierPath result = fb_union(many, square);
    gPathOperationStartTime = -1.0;
    EXPECT_FALSE(result.isEmpty());
    EXPECT_TRUE(performBooleanOp(many, PathBooleanUnion, &square));
}

TEST(PathBooleanReliability, CancelStopsAThousandCircleUnion)
{
    StateReset reset;
    pelkotest::LogCapture quiet;
    const BezierPath a = seededCircles(500, 21);
    const BezierPath b = seededCircles(500, 22);
    std::atomic<bool> started{false};
    std::atomic<int> outcome{0}; // 1 cancelled, 2 finished, 3 other exception
    std::thread worker([&] {
        started = true;
        try {
            fb_union(a, b);
            outcome = 2;
        } catch (const platform::Exception &e) {
            outcome = e.name() == QStringLiteral("cancelled") ? 1 : 3;
        }
    });
    while (!started)
        std::this_thread::yield();
    gPathOperationCancel = true;
    worker.join();
    gPathOperationCancel = false;
    if (outcome == 2)
        GTEST_SKIP() << "the union ended before the cancel reached it";
    EXPECT_EQ(outcome.load(), 1);
    // Nothing is left over from the stopped union.
    EXPECT_FALSE(fb_union(squarePath(0, 0, 10), squarePath(5, 5, 10)).isEmpty());
}
