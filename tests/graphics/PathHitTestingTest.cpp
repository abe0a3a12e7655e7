// The outline-through-a-rect test of paths and its curve test.
#include <gtest/gtest.h>

#include "graphics/PathHitTesting.h"

#include <QRandomGenerator>

using platform::BezierPath;

namespace {

BezierPath lineFrom(QPointF a, QPointF b)
{
    BezierPath path;
    path.moveToPoint(a);
    path.lineToPoint(b);
    return path;
}

} // namespace

TEST(PathHitTesting, OutlinesThroughRects)
{
    const QRectF rect(0, 0, 10, 10);
    // An arch that stays 0.225 outside the rect while its control points reach into it: within
    // the tolerance of a path of line width 1, beyond that of one of width 0.
    BezierPath curve;
    curve.moveToPoint(QPointF(-20, 11.2));
    curve.curveToPoint(QPointF(30, 11.2), QPointF(-5, 9.9), QPointF(15, 9.9));
    BezierPath thin = curve;
    thin.setLineWidth(0);
    BezierPath straightCurve;
    straightCurve.moveToPoint(QPointF(-20, 5));
    straightCurve.curveToPoint(QPointF(30, 5), QPointF(-5, 5), QPointF(15, 5));
    const struct
    {
        const char *name;
        BezierPath path;
        bool hits;
    } rows[] = {
        {"line through", lineFrom(QPointF(-5, 5), QPointF(15, 5)), true},
        {"line inside", lineFrom(QPointF(2, 2), QPointF(8, 8)), false},
        {"line outside", lineFrom(QPointF(-5, 20), QPointF(15, 20)), false},
        {"line into the rect", lineFrom(QPointF(5, 5), QPointF(5, -5)), true},
        {"square inside", BezierPath::bezierPathWithRect(QRectF(2, 2, 5, 5)), false},
        {"square around", BezierPath::bezierPathWithRect(QRectF(-5, -5, 20, 20)), false},
        {"square across", BezierPath::bezierPathWithRect(QRectF(5, 5, 20, 20)), true},
        {"curve within line width + 1", curve, true},
        {"curve beyond line width + 0", thin, false},
        {"flat curve across", straightCurve, true},
        {"empty path", BezierPath(), false},
        {"move only", lineFrom(QPointF(5, 5), QPointF(5, 5)), false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(intersectsRect(row.path, rect), row.hits);
    }
}

TEST(PathHitTesting, RectsGivenFromTheirFarCorner)
{
    const QRectF backwards(10, 10, -10, -10);
    EXPECT_TRUE(intersectsRect(lineFrom(QPointF(5, -5), QPointF(5, 15)), backwards));
    EXPECT_FALSE(intersectsRect(lineFrom(QPointF(-5, 20), QPointF(15, 20)), backwards));
}

TEST(PathHitTesting, CloseGoesBackToTheStartBeforeTheLastClose)
{
    // Move A, line B, move C, line D, close: the close runs from D back to A, as the subpath
    // start moves only at a move-to that follows a close.
    BezierPath path;
    path.moveToPoint(QPointF(-10, 5));  // A, left of the rect
    path.lineToPoint(QPointF(-10, 20)); // B
    path.moveToPoint(QPointF(20, 20));  // C
    path.lineToPoint(QPointF(20, 5));   // D, right of the rect
    path.closePath();
    EXPECT_TRUE(intersectsRect(path, QRectF(0, 0, 10, 10)));
    // D back to C would not have crossed it.
    BezierPath direct;
    direct.moveToPoint(QPointF(20, 20));
    direct.lineToPoint(QPointF(20, 5));
    direct.closePath();
    EXPECT_FALSE(intersectsRect(direct, QRectF(0, 0, 10, 10)));
    // After a close, a move-to starts a new subpath.
    BezierPath second;
    second.moveToPoint(QPointF(-10, 5));
    second.lineToPoint(QPointF(-10, 20));
    second.closePath();
    second.moveToPoint(QPointF(20, 20));
    second.lineToPoint(QPointF(20, 5));
    second.closePath();
    EXPECT_FALSE(intersectsRect(second, QRectF(0, 0, 10, 10)));
}

TEST(PathHitTesting, CurveTouchesRect)
{
    const CurveCoefficients c =
        CurveCoefficientsFromPoints(QPointF(0, 0), QPointF(0, 10), QPointF(10, 10), QPointF(10, 0));
    EXPECT_EQ(c.a0, QPointF(0, 0));
    EXPECT_EQ(c.a0 + c.a1 + c.a2 + c.a3, QPointF(10, 0));
    // The top of the arch is at y = 7.5.
    EXPECT_TRUE(curveTouchesRect(c, QRectF(4, 7, 2, 2), 0.5));
    EXPECT_FALSE(curveTouchesRect(c, QRectF(4, 8.5, 2, 2), 0.5));
    EXPECT_TRUE(curveTouchesRect(c, QRectF(4, 8.5, 2, 2), 10));
    // Inside the arch, away from the curve.
    EXPECT_FALSE(curveTouchesRect(c, QRectF(4, 2, 2, 2), 0.5));
    EXPECT_FALSE(curveTouchesRect(c, QRectF(4, 7, 0, 0), 0.5));

    // A curve far larger than the tolerance still ends: past the depth limit the box answers.
    const CurveCoefficients huge = CurveCoefficientsFromPoints(
        QPointF(-1e15, 0), QPointF(-1e15, 1e15), QPointF(1e15, 1e15), QPointF(1e15, 0));
    EXPECT_TRUE(curveTouchesRect(huge, QRectF(-1, 7.5e14 - 1, 2, 2), 1e-9));
}

// A path of many segments answers like one made of the same segments one by one.
TEST(PathHitTesting, WholePathAgreesWithItsSegments)
{
    QRandomGenerator random(3);
    BezierPath path;
    QList<BezierPath> pieces;
    QPointF current(0, 0);
    path.moveToPoint(current);
    for (int i = 0; i < 60; ++i) {
        const QPointF next(random.bounded(100.0), random.bounded(100.0));
        path.lineToPoint(next);
        pieces << lineFrom(current, next);
        current = next;
    }
    for (int i = 0; i < 300; ++i) {
        const QRectF rect(random.bounded(110.0) - 5, random.bounded(110.0) - 5, random.bounded(6.0),
                          random.bounded(6.0));
        bool any = false;
        for (const BezierPath &piece : pieces)
            any = any || intersectsRect(piece, rect);
        EXPECT_EQ(intersectsRect(path, rect), any) << i;
    }
}
