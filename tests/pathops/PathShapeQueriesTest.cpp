// Whether paths meet, where a line meets a path, all crossings of two many-part paths, and
// curves fitted through each subpath.
#include <gtest/gtest.h>

#include "pathops/PolygonPath.h"
#include "support/LogCapture.h"

#include "pathops/PathPathIntersections.h"
#include "pathops/PathShapeQueries.h"

#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

BezierPath square(double x, double y, double side)
{
    return polygon({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

BezierPath circle(QPointF c, double r)
{
    BezierPath path;
    path.appendBezierPathWithOvalInRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
    return path;
}

} // namespace

TEST(PathShapeQueriesTest, PathsMeetWhenOneHoldsTheOtherOrTheyCross)
{
    const struct
    {
        const char *name;
        BezierPath a;
        BezierPath b;
        bool meet;
    } rows[] = {
        {"disjoint", square(0, 0, 10), square(20, 0, 10), false},
        {"nested", square(0, 0, 10), square(2, 2, 3), true},
        {"nested the other way", square(2, 2, 3), square(0, 0, 10), true},
        {"crossing", square(0, 0, 10), square(5, 5, 10), true},
        {"crossing curves", circle({0, 0}, 10), circle({15, 0}, 10), true},
        {"separate curves", circle({0, 0}, 10), circle({25, 0}, 10), false},
        {"ring of lines round a hole", polygon({{0, 0}, {30, 0}, {30, 1}, {0, 1}}),
         polygon({{10, -5}, {12, -5}, {12, 5}, {10, 5}}), true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isIntersectWithPath(row.a, &row.b), row.meet);
    }
    EXPECT_FALSE(isIntersectWithPath(square(0, 0, 1), nullptr));
    EXPECT_FALSE(isIntersectWithPath(BezierPath(), &rows[0].a));
    // A path whose first point stands for "no point" meets nothing.
    const BezierPath nowhere = polygon({{-999, -999}, {10, 10}, {20, -5}});
    EXPECT_FALSE(isIntersectWithPath(square(0, 0, 10), &nowhere));
}

TEST(PathShapeQueriesTest, LineMeetsPathAtADot)
{
    const std::shared_ptr<DOT> dot =
        IntersectionsWithLine(square(0, 0, 10), QPointF(-5, 4), QPointF(20, 4));
    ASSERT_TRUE(dot);
    EXPECT_NEAR(dot->p().x(), 0, 1e-9);
    EXPECT_NEAR(dot->p().y(), 4, 1e-9);
    EXPECT_FALSE(IntersectionsWithLine(square(0, 0, 10), QPointF(3, 3), QPointF(3, 3)));
    EXPECT_FALSE(IntersectionsWithLine(square(0, 0, 10), QPointF(3, 3), QPointF(3.05, 3)));
    EXPECT_FALSE(IntersectionsWithLine(square(0, 0, 10), QPointF(20, 0), QPointF(30, 0)));
}

TEST(PathShapeQueriesTest, AllCrossingsOfEverySubpathPair)
{
    BezierPath mine = square(0, 0, 10);
    mine.appendBezierPath(square(100, 0, 10));
    BezierPath theirs = polygon({{-5, 5}, {115, 5}}, false);
    theirs.appendBezierPath(polygon({{5, -5}, {5, 15}}, false));
    QList<OABezierPathIntersection> found;
    ASSERT_TRUE(allIntersectionsWithPath(mine, &theirs, &found));
    // Each square crosses the long line twice; the first square also crosses the short one.
    ASSERT_EQ(found.size(), 6);
    for (const OABezierPathIntersection &x : found) {
        const QPointF p = x.location();
        EXPECT_TRUE(std::fabs(p.y() - 5) < 1e-9 || std::fabs(p.x() - 5) < 1e-9) << p.x();
    }
    EXPECT_TRUE(allIntersectionsWithPath(mine, &theirs, nullptr));
    const BezierPath far = square(500, 500, 1);
    EXPECT_FALSE(allIntersectionsWithPath(mine, &far, &found));
    EXPECT_TRUE(found.isEmpty());
    EXPECT_FALSE(allIntersectionsWithPath(mine, nullptr, &found));
}

TEST(PathShapeQueriesTest, BoxPruningKeepsEveryCrossingOfManySegments)
{
    // Two zigzags, each segment crossing a few of the other's: every crossing still found.
    BezierPath a, b;
    a.moveToPoint(QPointF(0, 0));
    b.moveToPoint(QPointF(0.5, -1));
    for (int i = 1; i <= 200; ++i) {
        a.lineToPoint(QPointF(i, i % 2 ? 1 : 0));
        b.lineToPoint(QPointF(i + 0.5, i % 2 ? 2 : -1));
    }
    QList<OABezierPathIntersection> found;
    ASSERT_TRUE(allIntersectionsWithPath_withSingleSubOnly(a, &b, &found));
    // Brute force over segment pairs.
    int expected = 0;
    for (int i = 1; i <= 200; ++i) {
        for (int j = 1; j <= 200; ++j) {
            const QPointF p0(i - 1, (i - 1) % 2 ? 1 : 0), p1(i, i % 2 ? 1 : 0);
            const QPointF q0(j - 0.5, (j - 1) % 2 ? 2 : -1), q1(j + 0.5, j % 2 ? 2 : -1);
            const QPointF r = p1 - p0, s = q1 - q0;
            const double den = r.x() * s.y() - r.y() * s.x();
            const QPointF d = q0 - p0;
            const double t = (d.x() * s.y() - d.y() * s.x()) / den;
            const double u = (d.x() * r.y() - d.y() * r.x()) / den;
            if (t >= 0 && t <= 1 && u >= 0 && u <= 1)
                ++expected;
        }
    }
    EXPECT_EQ(found.size(), expected);
}

TEST(PathShapeQueriesTest, FittedCurvesOverOpenAndClosedSubpaths)
{
    pelkotest::LogCapture log;
    BezierPath path;
    path.moveToPoint(QPointF(0, 0));
    for (int i = 1; i <= 20; ++i)
        path.lineToPoint(QPointF(i, std::sin(i * 0.3) * 5));
    BezierPath ring = circle({50, 50}, 10); // begins with a curve right after its move
    path.appendBezierPath(ring.bezierPathByFlatteningPath());
    path.appendBezierPath(ring);
    path.setLineWidth(4);
    const std::optional<BezierPath> fitted = fb_fitCurve2(path, 0.5);
    ASSERT_TRUE(fitted);
    EXPECT_TRUE(log.logged("fb_fitCurve2 is NOT OK AT ALL"));
    EXPECT_EQ(fitted->lineWidth(), 4);
    int moves = 0;
    for (const auto &e : fitted->elements()) {
        moves += e.type == BezierPathElement::MoveTo;
        EXPECT_NE(e.type, BezierPathElement::LineTo);
    }
    EXPECT_EQ(moves, 3);
    // The fit of the curve-first ring begins with its short lead-in.
    EXPECT_FALSE(fb_fitCurve2(polygon({{1, 1}}, false), 0.5));
    EXPECT_FALSE(fb_fitCurve2(BezierPath(), 0.5));
}
