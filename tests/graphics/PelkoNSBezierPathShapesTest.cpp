// Point lists of paths and the shape questions answered on them.
#include <gtest/gtest.h>

#include "pathops/PolygonPath.h"

#include "support/LogCapture.h"

#include "graphics/PelkoNSBezierPathShapes.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <stdexcept>

using platform::BezierPath;

namespace {

QList<QPointF> pointsOf(const BezierPath &path, int capacity, float near, bool *closed = nullptr)
{
    QList<QPointF> buffer(capacity + 100);
    int count = -1;
    if (!getPointArray(path, buffer.data(), &count, capacity, closed, nullptr, near))
        return {};
    return buffer.mid(0, count);
}

} // namespace

TEST(PelkoNSBezierPathShapesTest, PointListsDropNearPointsAndStopAtCapacity)
{
    const BezierPath square = polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, true);
    bool closed = false;
    EXPECT_EQ(pointsOf(square, 6, 1.0f, &closed).size(), 4);
    EXPECT_TRUE(closed);
    EXPECT_EQ(pointsOf(square, 6, -1).size(), 5);
    EXPECT_EQ(pointsOf(square, 6, 0.01f).size(), 5); // below 0.02 removes nothing

    const BezierPath near = polyline({{0, 0}, {0.5, 0}, {10, 0}, {10, 0.3}, {20, 0}}, false);
    EXPECT_EQ(pointsOf(near, 5, 1.0f), (QList<QPointF>{{0, 0}, {10, 0}, {20, 0}}));

    BezierPath ten;
    ten.moveToPoint(QPointF(0, 0));
    for (int i = 1; i < 10; ++i)
        ten.lineToPoint(QPointF(i, i * i));
    EXPECT_EQ(pointsOf(ten, 4, -1).size(), 4);

    // A curve gives its end point and tells of itself; a NaN point reads as zero.
    BezierPath curved;
    curved.moveToPoint(QPointF(1, 1));
    curved.curveToPoint(QPointF(9, 9), QPointF(std::nan(""), 0), QPointF(5, 5));
    curved.lineToPoint(QPointF(std::nan(""), 4));
    pelkotest::LogCapture log;
    QPointF buffer[4];
    int count = 0;
    bool hasCurve = false;
    ASSERT_TRUE(getPointArray(curved, buffer, &count, 3, nullptr, &hasCurve, -1));
    EXPECT_TRUE(hasCurve);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(buffer[1], QPointF(9, 9));
    EXPECT_EQ(buffer[2], QPointF(0, 0));
    EXPECT_TRUE(log.logged("**** NaN value error **** "));

    EXPECT_FALSE(getPointArray(curved, nullptr, &count, 3, nullptr, nullptr, -1));
    EXPECT_FALSE(getPointArray(curved, buffer, nullptr, 3, nullptr, nullptr, -1));
    EXPECT_FALSE(getPointArray(curved, buffer, &count, 0, nullptr, nullptr, -1));
    EXPECT_FALSE(getPointArray(BezierPath(), buffer, &count, 3, nullptr, nullptr, -1));
}

TEST(PelkoNSBezierPathShapesTest, ClockwiseIsOppositeForAPolygonAndItsReverse)
{
    EXPECT_TRUE(isClockWise(polyline({{0, 0}, {0, 10}, {10, 0}}, true)));
    EXPECT_FALSE(isClockWise(polyline({{0, 0}, {10, 0}, {0, 10}}, true)));
    EXPECT_FALSE(isClockWise(polyline({{0, 0}, {10, 0}}, false)));
    EXPECT_FALSE(isClockWise(BezierPath()));
    const BezierPath star = polyline({{0, 10},
                                      {3, 3},
                                      {10, 2},
                                      {4, -2},
                                      {6, -10},
                                      {0, -5},
                                      {-6, -10},
                                      {-4, -2},
                                      {-10, 2},
                                      {-3, 3}},
                                     true);
    EXPECT_NE(isClockWise(star), isClockWise(star.bezierPathByReversingPath()));
    const BezierPath square = polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true);
    EXPECT_TRUE(isClockWise(square));
    EXPECT_FALSE(isClockWise(square.bezierPathByReversingPath()));
}

TEST(PelkoNSBezierPathShapesTest, StraightLines)
{
    const struct
    {
        const char *name;
        BezierPath path;
        bool line;
        LINE_ ends;
    } rows[] = {
        {"thin vertical",
         polyline({{5, 0}, {5.001, 50}}, false),
         true,
         {{5.0005, 0}, {5.0005, 50}}},
        {"thin horizontal", polyline({{0, 3}, {20, 3}}, false), true, {{0, 3}, {20, 3}}},
        {"nearly collinear",
         polyline({{0, 0}, {10, 10}, {5, 5.05}}, false),
         true,
         {{0, 0}, {10, 10}}},
        {"grows both ways",
         polyline({{5, 5}, {10, 10}, {0, 0}, {20, 20}}, false),
         true,
         {{0, 0}, {20, 20}}},
        {"bent", polyline({{0, 0}, {10, 10}, {10, 0}}, false), false, {}},
        {"dot", polyline({{1, 1}, {1.001, 1.001}}, false), false, {}},
        {"moved off the line", polyline({{0, 0}, {10, 10}, {0, 5}}, false), false, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        LINE_ line{{-1, -1}, {-1, -1}};
        bool nan = true;
        EXPECT_EQ(isLine(row.path, &line, &nan), row.line);
        EXPECT_FALSE(nan);
        if (row.line) {
            EXPECT_NEAR(line.p1.x(), row.ends.p1.x(), 1e-9);
            EXPECT_NEAR(line.p1.y(), row.ends.p1.y(), 1e-9);
            EXPECT_NEAR(line.p2.x(), row.ends.p2.x(), 1e-9);
            EXPECT_NEAR(line.p2.y(), row.ends.p2.y(), 1e-9);
        }
    }
    BezierPath curve;
    curve.moveToPoint(QPointF(0, 0));
    curve.curveToPoint(QPointF(10, 10), QPointF(3, 3), QPointF(6, 6));
    EXPECT_FALSE(isLine(curve, nullptr, nullptr));
    EXPECT_FALSE(isLine(polyline({{0, 0}}, false), nullptr, nullptr));
}

TEST(PelkoNSBezierPathShapesTest, SinglePolyLines)
{
    EXPECT_FALSE(isSinglePolyLine(polyline({{0, 0}, {10, 0}, {5, 8}}, true), 1));
    const auto zigzag = isSinglePolyLine(polyline({{0, 0}, {5, 5}, {10, 0}, {15, 5}}, false), 1);
    ASSERT_TRUE(zigzag);
    EXPECT_EQ(zigzag->size(), 4);
    const auto shortStep =
        isSinglePolyLine(polyline({{0, 0}, {5, 5}, {5.05, 5}, {10, 0}}, false), 1);
    ASSERT_TRUE(shortStep);
    EXPECT_EQ(shortStep->size(), 3);
    // Coming back to the start makes a loop.
    EXPECT_FALSE(isSinglePolyLine(polyline({{0, 0}, {5, 5}, {10, 0}, {0.05, 0}}, false), 1));
    BezierPath two = polyline({{0, 0}, {5, 5}}, false);
    two.moveToPoint(QPointF(20, 20));
    two.lineToPoint(QPointF(30, 20));
    EXPECT_FALSE(isSinglePolyLine(two, 1));

    BezierPath curve = polyline({{0, 0}, {5, 0}}, false);
    curve.curveToPoint(QPointF(10, 0), QPointF(6, 2), QPointF(9, 2));
    EXPECT_FALSE(isSinglePolyLine(curve, -1));
    EXPECT_FALSE(isSinglePolyLine(curve, 3)); // its end is 5 from the last point
    ASSERT_TRUE(isSinglePolyLine(curve, 6));
    EXPECT_EQ(isSinglePolyLine(curve, 0)->size(), 3);
}

TEST(PelkoNSBezierPathShapesTest, RemovesTooNearPointsKeepingAttributes)
{
    BezierPath path = polyline({{0, 0}, {0, 0.0001}, {5, 5}}, false);
    path.curveToPoint(QPointF(5, 5.0001), QPointF(9, 9), QPointF(-9, 9));
    path.setLineWidth(7);
    const BezierPath cleaned = pathByRemoveTooNearPoint(path);
    ASSERT_EQ(cleaned.elementCount(), 2);
    EXPECT_EQ(cleaned.element(1).points[0], QPointF(5, 5));
    EXPECT_EQ(cleaned.lineWidth(), 7);
    // Nothing left to keep: the path as it was.
    const BezierPath dot = polyline({{3, 3}, {3, 3}}, false);
    EXPECT_EQ(pathByRemoveTooNearPoint(dot).elementCount(), 2);
}

TEST(PelkoNSBezierPathShapesTest, SplitsLinesIntoPiecesOfTheStep)
{
    const struct
    {
        float step;
        double length;
        qint64 pieces;
    } rows[] = {
        {10, 100, 10}, {10, 25, 1}, {10, 105, 10}, {0, 1, 10}, {5000, 10000, 10}, {NAN, 1, 10},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.length);
        const std::optional<BezierPath> split =
            splitPathToSmallLine(polyline({{0, 0}, {row.length, 0}}, false), row.step);
        ASSERT_TRUE(split);
        EXPECT_EQ(split->elementCount(), row.pieces + 1);
        EXPECT_EQ(split->element(0).points[0], QPointF(0, 0));
        EXPECT_EQ(split->element(split->elementCount() - 1).points[0], QPointF(row.length, 0));
        // With k = floor(length / step) pieces, none is longer than 4/3 of the step.
        if (row.pieces > 1) {
            const double step =
                std::isnan(row.step) ? 0.1 : std::clamp(double(row.step), 0.1, 1000.0);
            EXPECT_LE(row.length / double(row.pieces), step * 4 / 3 + 1e-9);
        }
    }
    EXPECT_FALSE(splitPathToSmallLine(BezierPath(), 1));
}

TEST(PelkoNSBezierPathShapesTest, SplitFlattensCurvesAtTheStepAndRestoresTheDefault)
{
    const double before = BezierPath::defaultFlatness();
    BezierPath curve;
    curve.moveToPoint(QPointF(0, 0));
    curve.curveToPoint(QPointF(100, 0), QPointF(0, 100), QPointF(100, 100));
    curve.closePath();
    const std::optional<BezierPath> fine = splitPathToSmallLine(curve, 0.1f);
    const std::optional<BezierPath> coarse = splitPathToSmallLine(curve, 20);
    ASSERT_TRUE(fine && coarse);
    EXPECT_GT(fine->elementCount(), coarse->elementCount());
    for (const auto &e : fine->elements())
        EXPECT_NE(e.type, platform::BezierPathElement::CurveTo);
    EXPECT_EQ(BezierPath::defaultFlatness(), before);

    // The default comes back when the work between throws.
    try {
        const DefaultFlatnessScope scope(before + 7);
        EXPECT_EQ(BezierPath(curve).flatness(), before); // a copy keeps its own
        EXPECT_EQ(BezierPath().flatness(), before + 7);
        throw std::runtime_error("broken");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(BezierPath::defaultFlatness(), before);
}

TEST(PelkoNSBezierPathShapesTest, SplitBoundsItsPieces)
{
    // A line of a million at step 0.5 would be two million pieces: it stays whole, and the
    // line after it is still cut.
    const std::optional<BezierPath> split =
        splitPathToSmallLine(polyline({{0, 0}, {1e6, 0}, {1e6, 50}}, false), 0.5f);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->elementCount(), 2 + 100);
    // Beyond the range of an int: saturated, then kept whole.
    const std::optional<BezierPath> huge =
        splitPathToSmallLine(polyline({{0, 0}, {1e300, 0}}, false), 0.1f);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->elementCount(), 2);
}

TEST(PelkoNSBezierPathShapesTest, SubpathsOfTwoElementsOrMore)
{
    BezierPath path = polyline({{0, 0}, {10, 0}, {10, 10}}, true);
    path.moveToPoint(QPointF(50, 50));
    path.setLineWidth(3);
    const auto members = memberOfPath(path);
    ASSERT_TRUE(members);
    ASSERT_EQ(members->size(), 1);
    EXPECT_EQ(members->first().elementCount(), 4);
    EXPECT_EQ(members->first().lineWidth(), 3);

    BezierPath two = polyline({{0, 0}, {1, 1}}, false);
    two.appendBezierPath(polyline({{5, 5}, {6, 6}, {7, 5}}, true));
    const auto both = memberOfPath(two);
    ASSERT_TRUE(both);
    ASSERT_EQ(both->size(), 2);
    EXPECT_EQ(both->at(1).elementCount(), 4);
    EXPECT_FALSE(memberOfPath(BezierPath()));
    EXPECT_FALSE(memberOfPath(polyline({{1, 1}}, false)));
}

TEST(PelkoNSBezierPathShapesTest, AreaOfPolygons)
{
    bool ok = false;
    EXPECT_DOUBLE_EQ(getAreaForPolyPath(polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true), &ok),
                     100);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(getAreaForPolyPath(polyline({{0, 0}, {0, 10}, {10, 10}, {10, 0}}, false), &ok),
                     100);
    EXPECT_DOUBLE_EQ(getAreaForPolyPath(polyline({{0, 0}, {4, 0}, {0, 3}}, true), nullptr), 6);

    BezierPath curve = polyline({{0, 0}, {10, 0}}, false);
    curve.curveToPoint(QPointF(0, 10), QPointF(10, 10), QPointF(0, 10));
    curve.closePath();
    ok = true;
    EXPECT_EQ(getAreaForPolyPath(curve, &ok), 0);
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(getAreaForPolyPath(polyline({{0, 0}, {1, 1}}, false), &ok), 0);
    EXPECT_FALSE(ok);
}
