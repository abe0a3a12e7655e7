// Directions, arc membership, points on circles and ovals, and vector helpers.
#include <gtest/gtest.h>

#include "graphics/UtilityMathAngles.h"

#include <cmath>
#include <limits>

namespace {

void expectPoint(QPointF actual, QPointF expected, double tol = 1e-4)
{
    EXPECT_NEAR(actual.x(), expected.x(), tol);
    EXPECT_NEAR(actual.y(), expected.y(), tol);
}

} // namespace

TEST(UtilityMathAngles, LineDirections)
{
    const struct
    {
        QPointF to;
        bool ok;
        float angle;
    } rows[] = {
        {QPointF(1, 0), true, 0},       {QPointF(1, 1), true, 45},
        {QPointF(0, 1), true, 90},      {QPointF(-1, 0), true, 180},
        {QPointF(-1, -1), true, 225},   {QPointF(0, -1), true, 270},
        {QPointF(1, -1), true, 315},    {QPointF(-1, 1), true, 135},
        {QPointF(0, 0.0001), false, 0}, {QPointF(0.0002, -0.0002), false, 0},
        {QPointF(0.0001, 5), true, 90}, {QPointF(-5, 0.0002), true, 180},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.to.x() << "," << row.to.y());
        float angle = -1;
        EXPECT_EQ(GetLineAngleInto(&angle, QPointF(0, 0), row.to), row.ok);
        if (row.ok) {
            EXPECT_NEAR(angle, row.angle, 1e-4);
        }
        EXPECT_NEAR(GetLineAngle(QPointF(0, 0), row.to), row.ok ? row.angle : 0.0f, 1e-4);
    }
    EXPECT_FALSE(GetLineAngleInto(nullptr, QPointF(0, 0), QPointF(1, 0)));
    EXPECT_FLOAT_EQ(DegreesToRadians(180), float(3.141592653589793));
}

TEST(UtilityMathAngles, AngleInArcWrapsAndMargins)
{
    const struct
    {
        bool clockwise;
        float angle, start, end;
        bool in;
    } rows[] = {
        {false, 350, 300, 10, true}, // passes 0
        {false, 200, 300, 10, false},
        {false, 5, 300, 10, true},
        {false, 45, 10, 90, true},
        {false, 100, 10, 90, false},
        {true, 45, 10, 90, false}, // clockwise from 10 to 90 goes the long way
        {true, 200, 10, 90, true},
        {true, 50, 90, 10, true},
        {false, 300.01f, 300, 10, true}, // within 0.02 of the start
        {false, 299.99f, 300, 10, true},
        {false, 299.97f, 300, 10, false},
        {false, 10.019f, 300, 10, true},
        {false, 10.03f, 300, 10, false},
        {false, 180, 0, 360, true}, // full circles
        {true, 180, 360, 0, true},
        {false, -10, 300, 10, true}, // normalised first
        {false, 710, 300, 10, true},
        // The margin is measured on the circle, across 0 as anywhere else.
        {false, 359.995f, 0, 90, true},
        {false, 0.005f, 0, 90, true},
        {false, 359.97f, 0, 90, false},
        {true, 359.995f, 90, 0.01f, true},
        {false, -0.01f, 0, 90, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.clockwise << " " << row.angle << " in " << row.start
                                        << "->" << row.end);
        EXPECT_EQ(AngleInArc(row.clockwise, row.angle, row.start, row.end), row.in);
    }
    ARC_INFO arc;
    arc.center = QPointF(10, 10);
    arc.radius = 5;
    arc.startAngle = 0;
    arc.endAngle = 90;
    EXPECT_TRUE(PointDirectionInArc(arc, QPointF(12, 12)));
    EXPECT_FALSE(PointDirectionInArc(arc, QPointF(8, 8)));
    EXPECT_TRUE(AngleInArcInfo(arc, 45.0));
    EXPECT_FALSE(IsFullCircleArc(arc));
    arc.endAngle = 360;
    EXPECT_TRUE(IsFullCircleArc(arc));
    arc.clockwise = true;
    EXPECT_FALSE(IsFullCircleArc(arc));
}

TEST(UtilityMathAngles, MidAnglesAndComparisons)
{
    EXPECT_FLOAT_EQ(MidAngleOfArc(false, 0, 90), 45);
    EXPECT_FLOAT_EQ(MidAngleOfArc(true, 0, 90), 225);
    EXPECT_FLOAT_EQ(MidAngleOfArc(false, 300, 20), 340);
    EXPECT_FLOAT_EQ(MidAngleOfArc(false, 30, 30.01f), 30);

    EXPECT_TRUE(AnglesAlmostEqual(359.99f, 0.005f, 0.02f));
    EXPECT_TRUE(AnglesAlmostEqual(-0.01f, 359.995f, 0.02f));
    EXPECT_FALSE(AnglesAlmostEqual(10, 10.5f, 0.2f));
    EXPECT_TRUE(AnglesAlmostEqual(10, 10.1f, -0.2f)); // the tolerance's size counts

    EXPECT_TRUE(LinesAreParallel(QPointF(0, 0), QPointF(10, 0), QPointF(0, 5), QPointF(-10, 5)));
    EXPECT_TRUE(LinesAreParallel(QPointF(0, 0), QPointF(10, 10), QPointF(3, 0), QPointF(13, 10)));
    EXPECT_FALSE(LinesAreParallel(QPointF(0, 0), QPointF(10, 0), QPointF(0, 0), QPointF(10, 1)));
    EXPECT_TRUE(LinesParallel(QPointF(0, 0), QPointF(10, 0), QPointF(0, 0), QPointF(10, 1), 6));
    EXPECT_FALSE(LinesAreParallel(QPointF(0, 0), QPointF(0, 0), QPointF(0, 5), QPointF(10, 5)));
}

TEST(UtilityMathAngles, StepAngleToward)
{
    const struct
    {
        int current, target, step, result;
    } rows[] = {
        {350, 10, 5, 355}, {10, 350, 30, 350}, {0, 180, 10, 10}, {180, 0, 10, 190}, {355, 5, 20, 5},
        {5, 355, 8, 357},  {90, 90, 10, 90},   {10, 20, -5, 15}, {0, 359, 1, 359},  {359, 0, 1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.current << "->" << row.target);
        EXPECT_EQ(StepAngleToward(row.current, row.target, row.step), row.result);
    }
    // A step of the smallest int has no positive counterpart in 32 bits.
    EXPECT_EQ(StepAngleToward(0, 180, std::numeric_limits<int>::min()), 180);
}

TEST(UtilityMathAngles, PointsOnCirclesAndOvals)
{
    EXPECT_EQ(PointOnCircleAtAngle(QPointF(0, 0), 90.01f, 5), QPointF(0, 5));
    EXPECT_EQ(PointOnCircleAtAngle(QPointF(1, 1), 359.99f, 2), QPointF(3, 1));
    EXPECT_EQ(PointOnCircleAtAngle(QPointF(1, 1), -90, 2), QPointF(1, -1));
    EXPECT_EQ(PointOnCircleAtAngle(QPointF(1, 1), 45, 0.02f), QPointF(1, 1));
    expectPoint(PointOnCircleAtAngle(QPointF(0, 0), 60, 10), QPointF(5, 8.660254));

    EXPECT_EQ(PointAtDistanceAndAngle(QPointF(2, 2), 0.019f, 30), QPointF(2, 2));
    expectPoint(PointAtDistanceAndAngle(QPointF(2, 2), 10, 90), QPointF(2, 12));
    // A negative distance points the other way.
    expectPoint(PointAtDistanceAndAngle(QPointF(2, 2), -10, 90), QPointF(2, -8));
    expectPoint(PointAtDistanceAndAngle(QPointF(0, 0), 10, 450), QPointF(0, 10));

    const QRectF wide(0, 0, 20, 10), tall(0, 0, 10, 20);
    expectPoint(PointOnOvalAtAngle(0, wide), QPointF(20, 5));
    expectPoint(PointOnOvalAtAngle(90, wide), QPointF(10, 10));
    expectPoint(PointOnOvalAtAngle(270, tall), QPointF(5, 0));
    expectPoint(PointOnOvalAtAngle(180, tall), QPointF(0, 10));
    const QPointF p = PointOnOvalAtAngle(45, wide);
    const double ex = (p.x() - 10) / 10, ey = (p.y() - 5) / 5;
    EXPECT_NEAR(ex * ex + ey * ey, 1.0, 1e-5);
    // Flat ovals: the point lies on the centre line; no sides at all gives the centre.
    expectPoint(PointOnOvalAtAngle(90, QRectF(0, 0, 0.01, 10)), QPointF(0.005, 10));
    expectPoint(PointOnOvalAtAngle(0, QRectF(0, 0, 10, 0)), QPointF(10, 0));
    expectPoint(PointOnOvalAtAngle(60, QRectF(0, 0, 10, 0)), QPointF(7.5, 0));
    expectPoint(PointOnOvalAtAngle(60, QRectF(4, 4, 0.01, 0.01)), QPointF(4.005, 4.005));
}

TEST(UtilityMathAngles, VectorsAndDistances)
{
    expectPoint(PointAlongLine(QPointF(1, 1), QPointF(1, 11), 4), QPointF(1, 5));
    expectPoint(PointAlongLine(QPointF(0, 0), QPointF(3, 4), 10), QPointF(6, 8));
    EXPECT_EQ(MidPointOfPoints(QPointF(0, 0), QPointF(4, 2)), QPointF(2, 1));
    EXPECT_EQ(MirrorPointAroundPoint(QPointF(1, 1), QPointF(3, 3)), QPointF(5, 5));
    EXPECT_EQ(LerpPoints(QPointF(0, 0), QPointF(10, 20), 0.25f), QPointF(2.5, 5));
    EXPECT_EQ(ScalePoint(QPointF(1, -2), 3), QPointF(3, -6));
    EXPECT_EQ(MultiplyPoint(QPointF(1, -2), 3), QPointF(3, -6));
    EXPECT_EQ(SubtractPoints(QPointF(1, 2), QPointF(3, 5)), QPointF(-2, -3));
    EXPECT_EQ(AddPoints(QPointF(1, 2), QPointF(3, 5)), QPointF(4, 7));
    LINE_ pair;
    MakePointPair(&pair, 1, 2, 3, 4);
    EXPECT_EQ(pair.p1, QPointF(1, 2));
    EXPECT_EQ(pair.p2, QPointF(3, 4));

    EXPECT_DOUBLE_EQ(SquaredDistance(QPointF(0.1, 0), QPointF(0, 0)), 0.1 * 0.1);
    EXPECT_DOUBLE_EQ(DistanceBetweenPointsF(QPointF(0.1, 0), QPointF(0, 0)), 0.1);
    EXPECT_DOUBLE_EQ(DistanceBetweenIntPoints(0, 0, 3, 4), 5);
    // Far apart ints do not overflow.
    const int lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    EXPECT_NEAR(DistanceBetweenIntPoints(lo, 0, hi, 0), 4294967295.0, 1e-3);
    EXPECT_EQ(IntPointToPoint(-3, 7), QPointF(-3, 7));

    expectPoint(UnitVectorBetweenPoints(QPointF(1, 1), QPointF(4, 5)), QPointF(0.6, 0.8));
    const QPointF random = UnitVectorOfPoint(QPointF(0, 0));
    EXPECT_NEAR(std::hypot(random.x(), random.y()), 1.0, 1e-9);
    EXPECT_GT(random.x(), 0);
    EXPECT_GT(random.y(), 0);

    EXPECT_EQ(LimitVector(QPointF(1, 1), 4), QPointF(1, 1));
    EXPECT_EQ(LimitVector(QPointF(4, 6), 4), QPointF(2, 3));

    const POLAR_VECTOR polar = VectorToPolar(QPointF(0, 2));
    EXPECT_FLOAT_EQ(polar.angle, float(3.141592653589793 / 2));
    EXPECT_FLOAT_EQ(polar.length, 2);
    expectPoint(PolarToVector(polar), QPointF(0, 2));
}

TEST(UtilityMathAngles, PerpendicularOffsets)
{
    QPointF out;
    EXPECT_FALSE(OffsetPointPerpendicular(nullptr, QPointF(0, 0), QPointF(10, 0), 5));
    ASSERT_TRUE(OffsetPointPerpendicular(&out, QPointF(0, 0), QPointF(10, 0), 5));
    expectPoint(out, QPointF(0, 5)); // the left-hand side
    ASSERT_TRUE(OffsetPointPerpendicular(&out, QPointF(0, 0), QPointF(10, 0), -5));
    expectPoint(out, QPointF(0, -5));
    ASSERT_TRUE(OffsetPointPerpendicular(&out, QPointF(2, 2), QPointF(10, 0), 0.5f));
    EXPECT_EQ(out, QPointF(2, 2));
    EXPECT_FALSE(OffsetPointPerpendicular(&out, QPointF(0, 0), QPointF(0.5, 0), 5));

    LINE_ moved;
    ASSERT_TRUE(OffsetSegmentPerpendicular(&moved, LINE_{QPointF(0, 0), QPointF(0, 10)}, 3));
    expectPoint(moved.p1, QPointF(-3, 0));
    expectPoint(moved.p2, QPointF(-3, 10));
}

TEST(UtilityMathAngles, SortPointsByKey)
{
    POINT_WITH_KEY points[] = {
        {QPointF(0, 0), 3}, {QPointF(1, 0), 1}, {QPointF(2, 0), 3}, {QPointF(3, 0), 2}};
    SortPointsByKey(points, 4, true);
    EXPECT_EQ(points[0].key, 1);
    EXPECT_EQ(points[1].key, 2);
    // Selection by swapping: equal keys do not keep their order.
    EXPECT_EQ(points[2].point, QPointF(2, 0));
    EXPECT_EQ(points[3].point, QPointF(0, 0));
    SortPointsByKey(points, 4, false);
    EXPECT_EQ(points[0].key, 3);
    EXPECT_EQ(points[3].key, 1);
    SortPointsByKey(nullptr, 4, true);
}

TEST(UtilityMathAngles, ParallelLinesWhicheverIsNamedFirst)
{
    const struct
    {
        QPointF a, b, c, d;
        bool parallel;
    } rows[] = {
        {QPointF(0, 0), QPointF(10, 0), QPointF(0, 0), QPointF(10, 0.001), true},
        {QPointF(0, 0), QPointF(10, 0.001), QPointF(0, 0), QPointF(10, 0), true},
        {QPointF(0, 0), QPointF(10, 0), QPointF(10, 0.001), QPointF(0, 0), true},
        {QPointF(0, 0), QPointF(10, 0.001), QPointF(10, 0), QPointF(0, 0), true},
        {QPointF(0, 0), QPointF(10, 0), QPointF(0, 0), QPointF(10, 0.1), false},
        {QPointF(0, 0), QPointF(10, 0.1), QPointF(0, 0), QPointF(10, 0), false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.b.y() << " / " << row.c.x() << "," << row.d.y());
        EXPECT_EQ(LinesAreParallel(row.a, row.b, row.c, row.d), row.parallel);
    }
}
