// Crossings of two paths' first subpaths, and of a path with itself.
#include <gtest/gtest.h>

#include "pathops/PolygonPath.h"

#include "pathops/PathPathIntersections.h"

#include <cmath>

using platform::BezierPath;

namespace {

QList<OABezierPathIntersection> crossings(const BezierPath &a, const BezierPath *b)
{
    QList<OABezierPathIntersection> found;
    const bool any = allIntersectionsWithPath_withSingleSubOnly(a, b, &found);
    EXPECT_EQ(any, !found.isEmpty());
    EXPECT_EQ(allIntersectionsWithPath_withSingleSubOnly(a, b, nullptr), any);
    return found;
}

} // namespace

TEST(PathPathIntersections, CrossingsOfTwoPaths)
{
    const BezierPath square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const BezierPath shifted = polygon({{5, 5}, {15, 5}, {15, 15}, {5, 15}});
    const BezierPath circle = BezierPath::bezierPathWithOvalInRect(QRectF(4, -4, 10, 10));
    const BezierPath nearBy = polygon({{10.001, 0}, {20, 0}, {20, 10}});
    const BezierPath farther = polygon({{10.01, 0}, {20, 0}, {20, 10}});
    const struct
    {
        const char *name;
        const BezierPath &other;
        qsizetype count;
    } rows[] = {
        {"overlapping squares", shifted, 2},
        {"a circle over a corner", circle, 2},
        {"bounds 0.001 apart", nearBy, 0},
        {"bounds 0.01 apart", farther, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QList<OABezierPathIntersection> found = crossings(square, &row.other);
        ASSERT_EQ(found.size(), row.count);
        for (qsizetype i = 0; i < found.size(); ++i) {
            if (i > 0) {
                const auto a = found[i - 1].left(), b = found[i].left();
                EXPECT_TRUE(a.segment < b.segment ||
                            (a.segment == b.segment && a.parameter <= b.parameter));
            }
        }
    }
    const QList<OABezierPathIntersection> squares = crossings(square, &shifted);
    ASSERT_EQ(squares.size(), 2);
    EXPECT_EQ(squares[0].left().segment, 2);
    EXPECT_NEAR(squares[0].location().x(), 10, 1e-9);
    EXPECT_NEAR(squares[0].location().y(), 5, 1e-9);
    EXPECT_EQ(squares[1].location(), QPointF(5, 10));
    EXPECT_FALSE(allIntersectionsWithPath_withSingleSubOnly(square, nullptr, nullptr));
}

TEST(PathPathIntersections, APathAgainstItself)
{
    const BezierPath square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(crossings(square, &square).isEmpty());
    const BezierPath circle = BezierPath::bezierPathWithOvalInRect(QRectF(0, 0, 10, 10));
    EXPECT_TRUE(crossings(circle, &circle).isEmpty());
    // A bow tie crosses itself once, in its middle.
    const BezierPath bowTie = polygon({{0, 0}, {10, 10}, {10, 0}, {0, 10}});
    const QList<OABezierPathIntersection> found = crossings(bowTie, &bowTie);
    ASSERT_EQ(found.size(), 1);
    EXPECT_NEAR(found[0].location().x(), 5, 1e-9);
    EXPECT_NEAR(found[0].location().y(), 5, 1e-9);
    // A cubic with a loop.
    BezierPath loop;
    loop.moveToPoint(QPointF(-5, 0));
    loop.curveToPoint(QPointF(5, 0), QPointF(20, 10), QPointF(-20, 10));
    ASSERT_EQ(crossings(loop, &loop).size(), 1);
}
