// Transform builders and readers, and whole-path moves, flips and turns.
#include <gtest/gtest.h>

#include "graphics/UtilityMathTransforms.h"
#include "support/LogCapture.h"

#include <QRandomGenerator>
#include <cmath>

using platform::AffineTransform;
using platform::BezierPath;

namespace {

void expectPoint(QPointF actual, QPointF expected, double tol = 1e-6)
{
    EXPECT_NEAR(actual.x(), expected.x(), tol);
    EXPECT_NEAR(actual.y(), expected.y(), tol);
}

QPointF randomPoint(QRandomGenerator &random)
{
    return QPointF(random.bounded(400.0) - 200, random.bounded(400.0) - 200);
}

BezierPath unitSquare()
{
    return BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
}

} // namespace

TEST(UtilityMathTransforms, Builders)
{
    const AffineTransform turn = CreateRotationTransformAroundPoint(QPointF(5, 5), 90);
    expectPoint(turn.transformPoint(QPointF(10, 5)), QPointF(5, 10));
    expectPoint(turn.transformPoint(QPointF(5, 5)), QPointF(5, 5));

    EXPECT_FALSE(CreateRotationTransformAboutRectCenter(QRectF(0, 0, 10, 10), 0.1f));
    EXPECT_FALSE(CreateRotationTransformAboutRectCenter(QRectF(0, 0, 10, 10), -0.19f));
    EXPECT_TRUE(CreateRotationTransformAboutRectCenter(QRectF(0, 0, 10, 10), 0.21f));
    const auto aboutCentre = CreateRotationTransformAboutRectCenter(QRectF(0, 0, 10, 10), 180);
    ASSERT_TRUE(aboutCentre);
    expectPoint(aboutCentre->transformPoint(QPointF(0, 0)), QPointF(10, 10));

    const AffineTransform scale = CreateScaleTransformAroundPoint(QPointF(1, 1), 2, 3);
    expectPoint(scale.transformPoint(QPointF(2, 2)), QPointF(3, 4));
    EXPECT_DOUBLE_EQ(CreateScaleTransform(0.1).m11(), 0.1);
    EXPECT_DOUBLE_EQ(CreateTranslateTransform(0.1, 0.2).tY(), 0.2);
    expectPoint(CreateTranslateTransformBetweenPoints(QPointF(1, 1), QPointF(4, -1))
                    .transformPoint(QPointF(0, 0)),
                QPointF(3, -2));

    EXPECT_FALSE(CreateTransformSegmentToSegment(QPointF(0, 0), QPointF(0.01, 0), QPointF(0, 0),
                                                 QPointF(1, 1)));
    EXPECT_FALSE(CreateTransformSegmentToSegment(QPointF(0, 0), QPointF(1, 0), QPointF(3, 3),
                                                 QPointF(3, 3.01)));
    EXPECT_FALSE(CreateMirrorTransformAcrossLine(QPointF(0, 0), QPointF(0.05, 0.05)));
    const auto mirror = CreateMirrorTransformAcrossLine(QPointF(0, 1), QPointF(10, 1));
    ASSERT_TRUE(mirror);
    expectPoint(mirror->transformPoint(QPointF(3, 5)), QPointF(3, -3));
}

TEST(UtilityMathTransforms, SegmentToSegmentOnRandomSegments)
{
    QRandomGenerator random(7);
    for (int i = 0; i < 500; ++i) {
        SCOPED_TRACE(i);
        const QPointF a1 = randomPoint(random), a2 = randomPoint(random);
        const QPointF b1 = randomPoint(random), b2 = randomPoint(random);
        const auto t = CreateTransformSegmentToSegment(a1, a2, b1, b2);
        ASSERT_TRUE(t);
        expectPoint(t->transformPoint(a1), b1, 1e-3);
        expectPoint(t->transformPoint(a2), b2, 1e-3);
    }
}

TEST(UtilityMathTransforms, MirrorFixesItsLineAndUndoesItself)
{
    QRandomGenerator random(11);
    for (int i = 0; i < 500; ++i) {
        SCOPED_TRACE(i);
        const QPointF a = randomPoint(random), b = randomPoint(random);
        const auto mirror = CreateMirrorTransformAcrossLine(a, b);
        ASSERT_TRUE(mirror);
        for (double t : {-1.0, 0.0, 0.3, 1.0, 2.5})
            expectPoint(mirror->transformPoint(a + t * (b - a)), a + t * (b - a), 1e-3);
        const QPointF p = randomPoint(random);
        expectPoint(mirror->transformPoint(mirror->transformPoint(p)), p, 1e-6);
        // A mirror turns orientation.
        EXPECT_LT(mirror->determinant(), 0);
    }
}

TEST(UtilityMathTransforms, Readers)
{
    AffineTransform stretch;
    stretch.scaleXBy(2, 0.5);
    EXPECT_DOUBLE_EQ(GetTransformScaleXY(&stretch), 0.5);
    EXPECT_DOUBLE_EQ(GetTransformScale(&stretch), 1.25);
    EXPECT_DOUBLE_EQ(GetTransformScale(nullptr), 1);
    EXPECT_DOUBLE_EQ(GetTransformScaleXY(nullptr), 1);
    EXPECT_DOUBLE_EQ(GetTransformAngle(nullptr), 0);

    const struct
    {
        double sx, sy, xy;
    } rows[] = {
        {2, 3, 2}, {0.0001, 3, 1.50005}, {0.0001, 0.00025, 0.00025}, {0, 0.0005, 0.00025},
        {0, 0, 1}, {0.0001, 0.0001, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.sx << " x " << row.sy);
        AffineTransform t;
        t.scaleXBy(row.sx, row.sy);
        EXPECT_NEAR(GetTransformScaleXY(&t), row.xy, 1e-12);
    }

    AffineTransform turned;
    turned.rotateByDegrees(30);
    turned.scaleBy(3);
    EXPECT_NEAR(GetTransformAngle(&turned), 30, 1e-4);
    EXPECT_NEAR(GetTransformScale(&turned), 3, 1e-12);
    AffineTransform degenerate(0, 0, 0, 0, 5, 5);
    EXPECT_DOUBLE_EQ(GetTransformAngle(&degenerate), 0);

    QRectF out;
    float angle = -1;
    GetTransformOutputRectAndAngle(nullptr, QRectF(1, 2, 3, 4), &out, &angle);
    EXPECT_EQ(out, QRectF(1, 2, 3, 4));
    EXPECT_EQ(angle, 0);
    AffineTransform quarter = CreateRotationTransformAroundPoint(QPointF(0, 0), 90);
    quarter.scaleBy(2);
    GetTransformOutputRectAndAngle(&quarter, QRectF(0, 0, 10, 4), &out, &angle);
    EXPECT_NEAR(angle, 90, 1e-4);
    EXPECT_NEAR(out.width(), 20, 1e-9);
    EXPECT_NEAR(out.height(), 8, 1e-9);
    expectPoint(out.center(), QPointF(-4, 10));
}

TEST(UtilityMathTransforms, WholePaths)
{
    BezierPath path = unitSquare();
    MoveResize_NSBezierPath(&path, QRectF(0, 0, 10, 10), QRectF(100, 50, 20, 5));
    EXPECT_EQ(path.bounds(), QRectF(100, 50, 20, 5));

    pelkotest::LogCapture log;
    BezierPath untouched = unitSquare();
    MoveResize_NSBezierPath(&untouched, QRectF(0, 0, 0.002, 10), QRectF(0, 0, 20, 5));
    EXPECT_TRUE(log.logged(QStringLiteral("*** ERROR MoveResize_NSBezierPath ***")));
    EXPECT_EQ(untouched, unitSquare());
    log.clear();
    MoveResize_NSBezierPath(nullptr, QRectF(0, 0, 1, 1), QRectF(0, 0, 1, 1));
    EXPECT_TRUE(log.logged(QStringLiteral("*** ERROR MoveResize_NSBezierPath ***")));

    BezierPath flipped;
    flipped.moveToPoint(QPointF(1, 2));
    flipped.lineToPoint(QPointF(3, 9));
    FlipPathHorizontallyInRect(&flipped, QRectF(0, 0, 10, 10));
    EXPECT_EQ(flipped.element(0).points[0], QPointF(9, 2));
    FlipPathVerticallyInRect(&flipped, QRectF(0, 0, 10, 10));
    EXPECT_EQ(flipped.element(1).points[0], QPointF(7, 1));
    FlipPathVerticallyInRect(&flipped, QRectF(0, 0, 10, 1)); // too low: unchanged
    EXPECT_EQ(flipped.element(1).points[0], QPointF(7, 1));

    const BezierPath square = unitSquare();
    EXPECT_FALSE(CopyPathRotatedAboutPoint(nullptr, QPointF(), 90));
    EXPECT_FALSE(CopyPathRotatedAboutPoint(&square, QPointF(), 0.01f));
    const auto turned = CopyPathRotatedAboutPoint(&square, QPointF(0, 0), 90);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->bounds(), QRectF(-10, 0, 10, 10));
    EXPECT_EQ(square, unitSquare());

    BezierPath curve;
    curve.moveToPoint(QPointF(0, 0));
    AppendMidpointCurve(&curve, QPointF(0, 0), QPointF(10, 0), QPointF(4, 8));
    ASSERT_EQ(curve.elementCount(), 2);
    EXPECT_EQ(curve.element(1).points[0], QPointF(2, 4));
    EXPECT_EQ(curve.element(1).points[1], QPointF(7, 4));
    EXPECT_EQ(curve.element(1).points[2], QPointF(10, 0));
}
