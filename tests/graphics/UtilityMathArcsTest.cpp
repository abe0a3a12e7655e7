// Arcs through three points, arcs as paths and against rects, and arcs under transforms.
#include <gtest/gtest.h>

#include "graphics/UtilityMathArcs.h"
#include "graphics/UtilityMathTransforms.h"

#include <cmath>

using platform::AffineTransform;
using platform::BezierPath;
using platform::BezierPathElement;

namespace {

void expectPoint(QPointF actual, QPointF expected, double tol = 1e-3)
{
    EXPECT_NEAR(actual.x(), expected.x(), tol);
    EXPECT_NEAR(actual.y(), expected.y(), tol);
}

ARC_INFO arcOf(QPointF center, float radius, float start, float end, bool clockwise = false)
{
    ARC_INFO arc;
    arc.center = center;
    arc.radius = radius;
    arc.startAngle = start;
    arc.endAngle = end;
    arc.clockwise = clockwise;
    return arc;
}

QPointF pointOfArc(const ARC_INFO &arc, float angle)
{
    return PointAtDistanceAndAngle(arc.center, arc.radius, angle);
}

} // namespace

TEST(UtilityMathArcs, ArcThroughThreePoints)
{
    ARC_INFO arc;
    ASSERT_TRUE(MakeArcThroughThreePoints(&arc, QPointF(10, 0), QPointF(0, 10), QPointF(-10, 0)));
    expectPoint(arc.center, QPointF(0, 0));
    EXPECT_NEAR(arc.radius, 10, 1e-4);
    EXPECT_NEAR(arc.startAngle, 0, 1e-3);
    EXPECT_NEAR(arc.endAngle, 180, 1e-3);
    EXPECT_FALSE(arc.clockwise);
    // Through the lower side instead: clockwise.
    ASSERT_TRUE(MakeArcThroughThreePoints(&arc, QPointF(10, 0), QPointF(0, -10), QPointF(-10, 0)));
    EXPECT_TRUE(arc.clockwise);
    ASSERT_TRUE(MakeArcThroughThreePoints(&arc, QPointF(13, 4), QPointF(8, 9), QPointF(3, 4)));
    expectPoint(arc.center, QPointF(8, 4));
    EXPECT_FALSE(
        MakeArcThroughThreePoints(nullptr, QPointF(10, 0), QPointF(0, 10), QPointF(-10, 0)));
    // Points on one line have no circle.
    EXPECT_FALSE(MakeArcThroughThreePoints(&arc, QPointF(0, 0), QPointF(5, 5), QPointF(10, 10)));

    QPointF center;
    ASSERT_TRUE(
        GetCircleCenterFromThreePoints(&center, QPointF(0, 0), QPointF(4, 0), QPointF(0.05, 0)));
    EXPECT_EQ(center, QPointF(2, 0)); // p1 and p3 coincide: the middle of p1 and p2
    ASSERT_TRUE(
        GetCircleCenterFromThreePoints(&center, QPointF(0, 0), QPointF(0, 0.05), QPointF(6, 0)));
    EXPECT_EQ(center, QPointF(3, 0));
    EXPECT_FALSE(
        GetCircleCenterFromThreePoints(nullptr, QPointF(0, 0), QPointF(4, 0), QPointF(0, 4)));

    // Circles of every size: chords shorter than 2 have their circle too.
    ASSERT_TRUE(
        GetCircleCenterFromThreePoints(&center, QPointF(-1, 0), QPointF(0, 1), QPointF(1, 0)));
    expectPoint(center, QPointF(0, 0), 1e-12);
    for (const double radius : {1e-3, 0.01, 0.3, 0.99, 1.0, 7.0, 250.0, 1e4}) {
        for (const QPointF at : {QPointF(0, 0), QPointF(-3.5, 12.25)}) {
            SCOPED_TRACE(testing::Message() << "radius " << radius << " at " << at.x());
            auto on = [&](double degrees) {
                const double r = degrees * M_PI / 180;
                return at + QPointF(radius * std::cos(r), radius * std::sin(r));
            };
            ASSERT_TRUE(GetCircleCenterFromThreePoints(&center, on(200), on(250), on(330)));
            expectPoint(center, at, 1e-9 * std::max(1.0, radius));
            ASSERT_TRUE(MakeArcThroughThreePoints(&arc, on(10), on(60), on(100)));
            expectPoint(arc.center, at, 1e-9 * std::max(1.0, radius));
            EXPECT_NEAR(arc.radius, std::max(1.0, radius), 1e-6 * radius); // at least 1
            EXPECT_FALSE(arc.clockwise);
        }
    }
}

TEST(UtilityMathArcs, ArcPaths)
{
    EXPECT_FALSE(CreateArcPath(arcOf(QPointF(0, 0), 0, 0, 90), 1));
    const auto full = CreateArcPath(arcOf(QPointF(5, 5), 5, 0, 360), 2);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->bounds(), QRectF(0, 0, 20, 20));
    const auto quarter = CreateArcPath(arcOf(QPointF(0, 0), 10, 0, 90), 1);
    ASSERT_TRUE(quarter);
    EXPECT_EQ(quarter->element(0).points[0], QPointF(10, 0));
    const QPointF end = quarter->currentPoint();
    expectPoint(end, QPointF(0, 10), 1e-9);

    const BezierPath segment = CreateSegmentPath(2, QPointF(1, 2), QPointF(3, 4));
    EXPECT_EQ(segment.element(1).points[0], QPointF(6, 8));
    EXPECT_EQ(CreateSegmentPath(-1, QPointF(1, 2), QPointF(3, 4)).element(1).points[0],
              QPointF(3, 4));

    BezierPath path;
    EXPECT_FALSE(AppendArcToPath(nullptr, QPointF(), 5, 0, 90, false));
    EXPECT_FALSE(AppendArcToPath(&path, QPointF(), 0.02f, 0, 90, false));
    EXPECT_TRUE(AppendArcToPath(&path, QPointF(), 5, 0, 90, false));
    EXPECT_FALSE(path.isEmpty());

    ARC_INFO grown;
    ASSERT_TRUE(GrowArcRadius(&grown, arcOf(QPointF(), 5, 0, 90), 2.5));
    EXPECT_EQ(grown.radius, 7.5f);
    EXPECT_FALSE(GrowArcRadius(&grown, arcOf(QPointF(), 5, 0, 90), -5));
    EXPECT_FALSE(GrowArcRadius(&grown, arcOf(QPointF(), -1, 0, 90), 5));
    EXPECT_FALSE(GrowArcRadius(nullptr, arcOf(QPointF(), 5, 0, 90), 1));
}

TEST(UtilityMathArcs, ArcsAgainstRects)
{
    const ARC_INFO upper = arcOf(QPointF(0, 0), 10, 0, 180);
    EXPECT_TRUE(ArcIntersectsRect(upper, QRectF(-1, 8, 2, 4)));
    EXPECT_FALSE(ArcIntersectsRect(upper, QRectF(-1, -12, 2, 4))); // below, off the sweep
    EXPECT_FALSE(ArcIntersectsRect(upper, QRectF(20, 20, 2, 2)));
    EXPECT_FALSE(ArcIntersectsRect(arcOf(QPointF(), 0, 0, 90), QRectF(-20, -20, 40, 40)));

    const QRectF topHalf(-11, -1, 22, 12);
    EXPECT_TRUE(ArcInsideRect(topHalf, upper));
    EXPECT_TRUE(ArcInsideRect(QRectF(-11, -11, 22, 22), arcOf(QPointF(), 10, 0, 360)));
    EXPECT_FALSE(ArcInsideRect(topHalf, arcOf(QPointF(), 10, 0, 360)));
    EXPECT_FALSE(ArcInsideRect(topHalf, arcOf(QPointF(), 10, 180, 360)));
    // A clockwise arc over the lower half starts inside the rect but leaves it at once.
    EXPECT_FALSE(ArcInsideRect(topHalf, arcOf(QPointF(), 10, 0, 180, true)));
    EXPECT_TRUE(ArcInsideRect(QRectF(-11, -11, 22, 12), arcOf(QPointF(), 10, 0, 180, true)));
    // The end point is tested too: the walk stops short of it.
    EXPECT_FALSE(ArcInsideRect(QRectF(0.1, 0, 10.5, 10.5), arcOf(QPointF(), 10, 0, 89.5f)));
    EXPECT_TRUE(ArcInsideRect(QRectF(0.1, 0, 10.5, 10.5), arcOf(QPointF(), 10, 0, 89)));
    EXPECT_FALSE(ArcInsideRect(topHalf, arcOf(QPointF(), -1, 0, 90)));
}

TEST(UtilityMathArcs, TransformedArcsKeepTheirPoints)
{
    const ARC_INFO arc = arcOf(QPointF(3, 4), 10, 20, 140);
    const ARC_INFO clockwiseArc = arcOf(QPointF(3, 4), 10, 140, 20, true);
    AffineTransform shift = CreateTranslateTransform(5, -7);
    AffineTransform turn = CreateRotationTransformAroundPoint(QPointF(1, 1), 50);
    AffineTransform grow = CreateScaleTransform(2.5);
    const auto mirror = CreateMirrorTransformAcrossLine(QPointF(0, 0), QPointF(0, 10));
    ASSERT_TRUE(mirror);
    const struct
    {
        const char *name;
        const AffineTransform *t;
        bool turnsDirection;
    } rows[] = {
        {"translation", &shift, false},
        {"rotation", &turn, false},
        {"uniform scale", &grow, false},
        {"mirror", &*mirror, true},
    };
    for (const ARC_INFO &source : {arc, clockwiseArc}) {
        for (const auto &row : rows) {
            SCOPED_TRACE(testing::Message() << row.name << (source.clockwise ? " cw" : " ccw"));
            const ARC_INFO moved = TransformArc(source, row.t);
            EXPECT_EQ(moved.clockwise, source.clockwise != row.turnsDirection);
            EXPECT_NEAR(moved.radius, source.radius * GetTransformScale(row.t), 1e-3);
            expectPoint(moved.center, row.t->transformPoint(source.center));
            // Points of the source arc land on the new arc, within its sweep.
            for (float along : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
                const float sweep = 120.0f;
                const float angle = source.startAngle + (source.clockwise ? -1 : 1) * along * sweep;
                const QPointF p = row.t->transformPoint(pointOfArc(source, angle));
                EXPECT_NEAR(std::hypot(p.x() - moved.center.x(), p.y() - moved.center.y()),
                            moved.radius, 1e-3);
                EXPECT_TRUE(PointDirectionInArc(moved, p));
            }
        }
    }
    // Full circles keep their angles; no transform or no radius changes nothing.
    const ARC_INFO circle = TransformArc(arcOf(QPointF(1, 1), 2, 0, 360), &grow);
    EXPECT_EQ(circle.startAngle, 0);
    EXPECT_EQ(circle.endAngle, 360);
    expectPoint(circle.center, QPointF(2.5, 2.5));
    EXPECT_NEAR(circle.radius, 5, 1e-5);
    AffineTransform squash;
    squash.scaleXBy(0, 0);
    EXPECT_FLOAT_EQ(TransformArc(arcOf(QPointF(1, 1), 2, 0, 360), &squash).radius, 0.1f);
    EXPECT_EQ(TransformArc(arc, nullptr).center, arc.center);

    // Scaled down or up far: the arc follows the transform at any size.
    for (const double scale : {1e-4, 0.005, 0.05, 0.5, 30.0, 1000.0}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        const AffineTransform t = CreateScaleTransform(scale);
        const ARC_INFO moved = TransformArc(arc, &t);
        EXPECT_NEAR(moved.radius, 10 * scale, 1e-5 * scale);
        expectPoint(moved.center, t.transformPoint(arc.center), 1e-5 * scale);
        EXPECT_FALSE(moved.clockwise);
        if (scale >= 0.05) {
            EXPECT_NEAR(moved.startAngle, 20, 0.05);
            EXPECT_NEAR(moved.endAngle, 140, 0.05);
        }
    }
    EXPECT_EQ(TransformArc(arcOf(QPointF(1, 1), 0, 0, 90), &grow).center, QPointF(1, 1));
}
