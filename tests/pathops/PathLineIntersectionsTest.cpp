// A path against a line segment: the first and the nearest crossing, and the orientation
// judged from it.
#include <gtest/gtest.h>

#include "pathops/PolygonPath.h"

#include "pathops/PathLineIntersections.h"

using platform::BezierPath;

TEST(PathLineIntersections, NearestCrossingAlongALine)
{
    const BezierPath square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const BezierPath circle = BezierPath::bezierPathWithOvalInRect(QRectF(0, 0, 10, 10));
    const struct
    {
        const char *name;
        const BezierPath &path;
        QPointF from, to;
        bool found;
        QPointF at;
    } rows[] = {
        {"into the square from the left", square, {-5, 5}, {20, 5}, true, {0, 5}},
        {"from inside, the far side", square, {5, 5}, {5, 20}, true, {5, 10}},
        {"ends exactly on the outline", square, {-5, 5}, {0, 5}, false, {}},
        {"stops short", square, {-5, 5}, {-1, 5}, false, {}},
        {"through the close", polygon({{0, 0}, {10, 0}, {10, 10}}), {2, -5}, {2, 20}, true, {2, 0}},
        {"into a circle", circle, {-5, 5}, {20, 5}, true, {0, 5}},
        {"into a circle from above", circle, {5, 20}, {5, -3}, true, {5, 10}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QPointF at(-1, -1);
        ASSERT_EQ(intersectionWithLine(row.path, &at, row.from, row.to), row.found);
        if (row.found) {
            EXPECT_NEAR(at.x(), row.at.x(), 1e-6);
            EXPECT_NEAR(at.y(), row.at.y(), 1e-6);
        }
    }
}

TEST(PathLineIntersections, StraightSegmentAgainstALine)
{
    double u = -1, s = -1;
    LineRecord level = LineRecordFromPoints({0, 0}, {10, 0});
    EXPECT_FALSE(straightLineIntersection(&u, &s, &level, LineRecordFromPoints({0, 1}, {10, 1})));
    LineRecord slanted = LineRecordFromPoints({0, -5}, {10, 5});
    ASSERT_TRUE(straightLineIntersection(&u, &s, &slanted, LineRecordFromPoints({0, 0}, {10, 0})));
    EXPECT_NEAR(u, 0.5, 1e-12);
    EXPECT_NEAR(s, 0.5, 1e-12);
    // Nearly level: laid flat before crossing.
    LineRecord almost = LineRecordFromPoints({0, 3}, {10, 3.0005});
    ASSERT_TRUE(straightLineIntersection(&u, &s, &almost, LineRecordFromPoints({4, 0}, {4, 6})));
    EXPECT_EQ(almost.direction.y(), 0);
    EXPECT_NEAR(u, 0.5, 1e-12);
}

TEST(PathLineIntersections, FirstCrossingOfTheFirstSubpath)
{
    BezierPath path = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    path.appendBezierPath(polygon({{-50, 4}, {-40, 4}, {-40, 6}}));
    OABezierPathIntersection found;
    ASSERT_TRUE(firstIntersectionWithLine(path, &found, QPointF(-100, 5), QPointF(100, 5)));
    EXPECT_EQ(found.left().segment, 4);
    EXPECT_NEAR(found.location().x(), 0, 1e-9);
    EXPECT_NEAR(found.left().parameter, 0.5, 1e-9);
    EXPECT_EQ(found.right().segment, 0);
    EXPECT_FALSE(firstIntersectionWithLine(path, nullptr, QPointF(-100, 50), QPointF(100, 50)));
    EXPECT_FALSE(firstIntersectionWithLine(BezierPath(), nullptr, QPointF(0, 0), QPointF(1, 1)));
}

TEST(PathLineIntersections, OrientationFlipsWithTheDirection)
{
    const BezierPath square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const BezierPath triangle = polygon({{0, 0}, {10, 2}, {3, 30}});
    const BezierPath circle = BezierPath::bezierPathWithOvalInRect(QRectF(0, 0, 10, 10));
    for (const BezierPath *path : {&square, &triangle, &circle}) {
        EXPECT_NE(isClockwise(*path), isClockwise(path->bezierPathByReversingPath()));
    }
    // Going right along the top of a y-down view, then down: clockwise on screen.
    EXPECT_TRUE(isClockwise(square));
    EXPECT_TRUE(isClockwise(polygon({{0, 0}, {10, 0}}, false)));
    EXPECT_TRUE(isClockwise(BezierPath()));
}
