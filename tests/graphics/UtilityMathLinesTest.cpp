// Crossings of segments, lines, rect sides and arcs; points on segments and inside shapes.
#include <gtest/gtest.h>

#include "graphics/UtilityMathLines.h"
#include "platform/BezierPath.h"

#include <QRandomGenerator>
#include <cmath>

using platform::BezierPath;

namespace {

void expectPoint(QPointF actual, QPointF expected, double tol = 1e-3)
{
    EXPECT_NEAR(actual.x(), expected.x(), tol);
    EXPECT_NEAR(actual.y(), expected.y(), tol);
}

// Distance from p to the segment a-b.
double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF foot = a + t * ab;
    return std::hypot(p.x() - foot.x(), p.y() - foot.y());
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

} // namespace

TEST(UtilityMathLines, IntersectLinesAndSegments)
{
    const struct
    {
        const char *name;
        bool infinite;
        QPointF a1, a2, b1, b2;
        bool found;
        QPointF at;
    } rows[] = {
        {"crossing", false, {0, 0}, {10, 0}, {5, -5}, {5, 5}, true, {5, 0}},
        {"parallel", false, {0, 0}, {10, 0}, {0, 1}, {10, 1}, false, {}},
        {"beyond the end", false, {0, 0}, {10, 0}, {20, -5}, {20, 5}, false, {}},
        {"lines beyond", true, {0, 0}, {10, 0}, {20, -5}, {20, 5}, true, {20, 0}},
        {"touching end", false, {0, 0}, {10, 0}, {10, -5}, {10, 5}, true, {10, 0}},
        {"shared end", false, {0, 0}, {10, 10}, {10, 10}, {20, 0}, true, {10, 10}},
        {"ends within 0.04", false, {0, 0}, {10, 10}, {10.02, 10.02}, {20, 0}, true, {10, 10}},
        {"diagonals", false, {0, 0}, {10, 10}, {0, 10}, {10, 0}, true, {5, 5}},
        {"other misses", false, {0, 0}, {10, 0}, {5, 1}, {6, 5}, false, {}},
        // Wholly above the base is decided before the 0.02 allowance of heights.
        {"just above the base", false, {0, 0}, {10, 0}, {5, 0.01}, {5, 5}, false, {}},
        {"starting on the base", false, {0, 0}, {10, 0}, {5, 0}, {5, 5}, true, {5, 0}},
        {"far boxes", false, {0, 0}, {10, 0}, {0, 0.5}, {10, 0.6}, false, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QPointF at(-999, -999);
        EXPECT_EQ(IntersectLines(row.infinite, &at, row.a1, row.a2, row.b1, row.b2), row.found);
        if (row.found)
            expectPoint(at, row.at);
        EXPECT_EQ(IntersectLines(row.infinite, nullptr, row.a1, row.a2, row.b1, row.b2), row.found);
        int count = -1;
        EXPECT_EQ(IntersectLinesCount(row.infinite, &at, &count, row.a1, row.a2, row.b1, row.b2),
                  row.found);
        EXPECT_EQ(count, row.found ? 1 : 0);
    }
}

TEST(UtilityMathLines, CrossingsOfRandomSegmentsLieOnBoth)
{
    QRandomGenerator random(25);
    auto point = [&random] {
        return QPointF(random.bounded(200.0) - 100, random.bounded(200.0) - 100);
    };
    int found = 0;
    for (int i = 0; i < 2000; ++i) {
        const QPointF a1 = point(), a2 = point(), b1 = point(), b2 = point();
        QPointF at;
        if (!IntersectSegments(&at, a1, a2, b1, b2))
            continue;
        ++found;
        SCOPED_TRACE(i);
        EXPECT_LE(distanceToSegment(at, a1, a2), 0.05);
        EXPECT_LE(distanceToSegment(at, b1, b2), 0.05);
    }
    EXPECT_GT(found, 100);
}

TEST(UtilityMathLines, RectSidesAndBorder)
{
    const QRectF rect(0, 0, 10, 10);
    QPointF out[2];
    int count = -1;
    // The side of smallest y is tried first.
    ASSERT_TRUE(IntersectLineWithRectSides(out, &count, LINE_{{5, -5}, {5, 15}}, rect));
    EXPECT_EQ(count, 2);
    expectPoint(out[0], QPointF(5, 0));
    expectPoint(out[1], QPointF(5, 10));
    ASSERT_TRUE(IntersectLineWithRectSides(out, &count, LINE_{{-5, 5}, {5, 5}}, rect));
    EXPECT_EQ(count, 1);
    expectPoint(out[0], QPointF(0, 5));
    // Wholly inside, wholly outside, or without outs: nothing.
    EXPECT_FALSE(IntersectLineWithRectSides(out, &count, LINE_{{2, 2}, {8, 8}}, rect));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(IntersectLineWithRectSides(out, &count, LINE_{{20, 2}, {30, 8}}, rect));
    EXPECT_FALSE(IntersectLineWithRectSides(nullptr, &count, LINE_{{5, -5}, {5, 15}}, rect));
    // Sides shorter than 0.1 are skipped.
    EXPECT_FALSE(IntersectLineWithRectSides(out, &count, LINE_{{-5, 0.02}, {5, 0.02}},
                                            QRectF(0, 0, 0.05, 0.05)));
    EXPECT_TRUE(IntersectLineWithRectSides(out, &count, LINE_{{-5, 0.02}, {5, 0.02}},
                                           QRectF(0, 0, 0.05, 10)));

    QPointF at;
    ASSERT_TRUE(IntersectLineWithRectBorder(QPointF(5, -5), QPointF(5, 5), rect, &at));
    expectPoint(at, QPointF(5, 0));
    ASSERT_TRUE(IntersectLineWithRectBorder(QPointF(2, 2), QPointF(8, 8), rect, &at));
    EXPECT_EQ(at, QPointF(2, 2)); // both ends inside
    EXPECT_FALSE(IntersectLineWithRectBorder(QPointF(-5, -1), QPointF(-5, 20), rect, &at));
    EXPECT_FALSE(IntersectLineWithRectBorder(QPointF(-1, 12), QPointF(20, 12), rect, &at));
    // A very short segment is decided by its midpoint.
    ASSERT_TRUE(IntersectLineWithRectBorder(QPointF(10, 5), QPointF(10.01, 5), rect, &at));
    expectPoint(at, QPointF(10.005, 5));
    EXPECT_FALSE(IntersectLineWithRectBorderTest(QPointF(10.5, 5), QPointF(10.51, 5), rect));
    EXPECT_TRUE(IntersectLineWithRectBorderTest(QPointF(3, 3), QPointF(3, 3), rect));
}

TEST(UtilityMathLines, PointOnSegmentBoundaries)
{
    const struct
    {
        const char *name;
        QPointF a, b, p;
        float tol;
        bool on;
    } rows[] = {
        {"horizontal allowance", {0, 0}, {10, 0}, {5, 0.15}, 0, true},
        {"horizontal edge", {0, 0}, {10, 0}, {5, 0.2}, 0, true},
        {"above horizontal", {0, 0}, {10, 0}, {5, 0.21}, 0, false},
        {"past the x range", {0, 0}, {10, 0}, {10.5, 0}, 0.4f, false},
        {"x range with tolerance", {0, 0}, {10, 0}, {10.3, 0}, 0.4f, true},
        {"vertical", {0, 0}, {0, 10}, {0, 5}, 0, true},
        {"far beyond vertical", {0, 0}, {0, 10}, {0, 500}, 0, false},
        {"below vertical", {0, 0}, {0, 10}, {0, -3}, 1, false},
        {"near vertical end", {0, 0}, {0.1, 10}, {0.05, 10.5}, 1, true},
        {"beyond steep end", {0, 0}, {1, 100}, {1, 140}, 0.5f, false},
        {"diagonal", {0, 0}, {10, 10}, {5, 5.1}, 0, true},
        {"off diagonal", {0, 0}, {10, 10}, {5, 6}, 0.5f, false},
        {"off diagonal, tolerance", {0, 0}, {10, 10}, {5, 6}, 0.8f, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsPointOnSegment(row.a, row.b, row.p, row.tol), row.on);
    }
}

TEST(UtilityMathLines, DistancesAndProjections)
{
    EXPECT_NEAR(DistancePointToLine(QPointF(5, 3), QPointF(0, 0), QPointF(10, 0)), 3, 1e-12);
    // The infinite line, not the segment.
    EXPECT_NEAR(DistancePointToLine(QPointF(20, 3), QPointF(0, 0), QPointF(10, 0)), 3, 1e-12);
    EXPECT_DOUBLE_EQ(DistancePointToLine(QPointF(0.1, 0.3), QPointF(0, 0), QPointF(0.1, 0.1)),
                     std::hypot(0.1, 0.3));
    EXPECT_NEAR(DistancePointToLine(QPointF(0, 10), QPointF(0, 0), QPointF(10, 10)),
                std::sqrt(50.0), 1e-12);

    QPointF out;
    ASSERT_TRUE(SnapPointToSegment(&out, QPointF(0, 0), QPointF(10, 0), QPointF(0.1, 0.1), 0.5f));
    EXPECT_EQ(out, QPointF(0, 0));
    ASSERT_TRUE(SnapPointToSegment(&out, QPointF(0, 0), QPointF(10, 0), QPointF(4, 0.1), 0.5f));
    expectPoint(out, QPointF(4, 0), 0.01);
    EXPECT_FALSE(SnapPointToSegment(&out, QPointF(0, 0), QPointF(10, 0), QPointF(4, 3), 0.5f));
    EXPECT_TRUE(SnapPointToSegment(nullptr, QPointF(0, 0), QPointF(10, 0), QPointF(4, 0), 0.5f));

    ASSERT_TRUE(FootOfPerpendicular(&out, QPointF(0, 0), QPointF(10, 10), QPointF(0, 10)));
    expectPoint(out, QPointF(5, 5));
    ASSERT_TRUE(FootOfPerpendicular(&out, QPointF(0, 0), QPointF(10, 0), QPointF(0.01, 0)));
    EXPECT_EQ(out, QPointF(0, 0));
    EXPECT_FALSE(FootOfPerpendicular(&out, QPointF(0, 0), QPointF(0.01, 0), QPointF(5, 5)));
    EXPECT_FALSE(FootOfPerpendicular(nullptr, QPointF(0, 0), QPointF(10, 0), QPointF(5, 5)));
    expectPoint(ProjectPointOnLine(QPointF(0, 0), QPointF(10, 0), QPointF(30, 7)), QPointF(30, 0));
    EXPECT_EQ(ProjectPointOnLine(QPointF(0, 0), QPointF(0.01, 0), QPointF(5, 5)), QPointF(0.01, 0));
    EXPECT_EQ(ProjectPointOnLine(QPointF(0, 0), QPointF(0.01, 0), QPointF(-5, 5)), QPointF(0, 0));
}

TEST(UtilityMathLines, SegmentRectBorderCrossings)
{
    const QRectF rect(0, 0, 10, 10);
    QPointF out[2];
    // Two crossings, the one nearer to a first.
    ASSERT_EQ(SegmentRectBorderCrossings(out, rect, QPointF(5, 15), QPointF(5, -5)), 2);
    expectPoint(out[0], QPointF(5, 10));
    expectPoint(out[1], QPointF(5, 0));
    ASSERT_EQ(SegmentRectBorderCrossings(out, rect, QPointF(5, 5), QPointF(5, -5)), 1);
    expectPoint(out[0], QPointF(5, 0));
    EXPECT_EQ(SegmentRectBorderCrossings(out, rect, QPointF(2, 2), QPointF(8, 8)), 0);
    // Through the corner from inside: one crossing, the one nearer to a.
    ASSERT_EQ(SegmentRectBorderCrossings(out, rect, QPointF(5, 5), QPointF(12, 12)), 1);
    expectPoint(out[0], QPointF(10, 10), 0.05);
    // Crossings less than 2 apart count once: the one nearer to a.
    ASSERT_EQ(SegmentRectBorderCrossings(out, rect, QPointF(9, -0.5), QPointF(10.5, 1)), 1);
    expectPoint(out[0], QPointF(9.5, 0));
    ASSERT_EQ(SegmentRectBorderCrossings(out, rect, QPointF(10.5, 1), QPointF(9, -0.5)), 1);
    expectPoint(out[0], QPointF(10, 0.5));
}

TEST(UtilityMathLines, CollinearityAndNearness)
{
    EXPECT_TRUE(ArePointsCollinear(false, QPointF(5, 0.05), QPointF(0, 0), QPointF(10, 0)));
    EXPECT_FALSE(ArePointsCollinear(false, QPointF(5, 0.2), QPointF(0, 0), QPointF(10, 0)));
    EXPECT_FALSE(ArePointsCollinear(false, QPointF(15, 0), QPointF(0, 0), QPointF(10, 0)));
    EXPECT_TRUE(ArePointsCollinear(true, QPointF(15, 0), QPointF(0, 0), QPointF(10, 0)));
    EXPECT_TRUE(ArePointsCollinear(false, QPointF(0.01, 0), QPointF(0, 0), QPointF(0, 0)));
    EXPECT_FALSE(ArePointsCollinear(false, QPointF(0.01, 5), QPointF(0, 0), QPointF(0, 0)));
    EXPECT_FALSE(ArePointsCollinear(true, QPointF(3, 5), QPointF(0, 0), QPointF(0.01, 0)));
    EXPECT_TRUE(ArePointsCollinear(false, QPointF(7, 7.05), QPointF(0, 0), QPointF(10, 10)));

    const LINE_ diagonal{{0, 0}, {10, 10}};
    EXPECT_TRUE(PointOnLineWithTolerance(false, diagonal, QPointF(5, 6), 1));
    EXPECT_FALSE(PointOnLineWithTolerance(false, diagonal, QPointF(5, 6), 0.5f));
    EXPECT_FALSE(PointOnLineWithTolerance(false, diagonal, QPointF(20, 20), 0.5f));
    EXPECT_TRUE(PointOnLineWithTolerance(true, diagonal, QPointF(20, 20), 0.5f));

    EXPECT_TRUE(
        PointsNearLine(QPointF(0, 1), QPointF(10, 1), QPointF(3, 1.5), QPointF(50, 0.5), 1));
    EXPECT_FALSE(PointsNearLine(QPointF(0, 1), QPointF(10, 1), QPointF(3, 2), QPointF(5, 1), 1));
    EXPECT_FALSE(PointsNearLine(QPointF(0, 1), QPointF(0, 1), QPointF(0, 1), QPointF(0, 1), 1));

    const LINE_ flat{{0, 0}, {10, 0}};
    EXPECT_TRUE(PointBetweenSegmentEnds(flat, QPointF(5, 3)));
    EXPECT_FALSE(PointBetweenSegmentEnds(flat, QPointF(11, 0)));
    EXPECT_TRUE(PointBetweenSegmentEnds(flat, QPointF(10.01, 0)));
    const LINE_ first = TrimSegmentAtPoint(flat, QPointF(8, 0));
    EXPECT_EQ(first.p1, QPointF(0, 0));
    EXPECT_EQ(first.p2, QPointF(8, 0));
    const LINE_ second = TrimSegmentAtPoint(flat, QPointF(2, 0));
    EXPECT_EQ(second.p1, QPointF(2, 0));
    EXPECT_EQ(second.p2, QPointF(10, 0));

    EXPECT_TRUE(LinesEqualWithTolerance(flat, LINE_{{0.1, 0}, {10, -0.1}}, -0.1));
    EXPECT_FALSE(LinesEqualWithTolerance(flat, LINE_{{0.1, 0}, {10, -0.11}}, 0.1));
}

TEST(UtilityMathLines, InsideOvalsAndDiamonds)
{
    const QRectF r(0, 0, 20, 10);
    const struct
    {
        QPointF p;
        bool oval, diamond;
    } rows[] = {
        {{10, 5}, true, true},  {{0, 5}, true, false},   {{0.5, 5.5}, true, false},
        {{20, 5}, true, false}, {{10, 0}, true, false},  {{10, 10}, true, false},
        {{1, 1}, false, false}, {{19, 9}, false, false}, {{15, 5}, true, true},
        {{5, 5}, true, true},   {{10, 0.5}, true, true}, {{-0.1, 5}, false, false},
        {{4, 2}, true, false},  {{15, 7}, true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.p.x() << "," << row.p.y());
        EXPECT_EQ(PointInOval(row.p, r), row.oval);
        EXPECT_EQ(PointInDiamond(row.p, r), row.diamond);
    }
    EXPECT_TRUE(PointInDiamond(QPointF(5, 5), QRectF(0, 0, 10, 10)));
    EXPECT_FALSE(PointInDiamond(QPointF(1, 1), QRectF(0, 0, 10, 10)));
    // Tiny rects: within 1 of the origin.
    EXPECT_TRUE(PointInOval(QPointF(0.9, 0), QRectF(0, 0, 1, 10)));
    EXPECT_FALSE(PointInDiamond(QPointF(1.1, 0), QRectF(0, 0, 10, 0.5)));
}

TEST(UtilityMathLines, RectRelations)
{
    const struct
    {
        const char *name;
        QRectF a, b;
        bool significant, touch;
    } rows[] = {
        {"overlap", {0, 0, 10, 10}, {5, 5, 10, 10}, true, true},
        {"shared edge", {0, 0, 10, 10}, {10, 0, 10, 10}, false, false},
        {"apart", {0, 0, 10, 10}, {20, 0, 10, 10}, false, false},
        {"tiny overlap at +5", {4, 4, 1.001, 1.001}, {5, 5, 10, 10}, false, true},
        {"tiny overlap at -5", {-6, -6, 1.001, 1.001}, {-5, -5, 10, 10}, false, true},
        {"thin overlap", {0, 0, 10, 10}, {9.999, 0, 10, 10}, false, true},
        {"overlap at -5", {-10, -10, 10, 10}, {-5, -5, 10, 10}, true, true},
        {"origin on the other's edge", {0, 0, 10, 10}, {0, 10, 10, 10}, false, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RectsIntersectSignificantly(row.a, row.b), row.significant);
        EXPECT_EQ(RectsIntersectSignificantly(row.b, row.a), row.significant);
        EXPECT_EQ(RectsTouch(row.a, row.b), row.touch);
    }
    EXPECT_TRUE(RectPointsInsideRectTest(QRectF(0, 0, 10, 10), QRectF(2, 2, 3, 3)));
    // The far corner on the maximum edge is outside.
    EXPECT_FALSE(RectPointsInsideRectTest(QRectF(0, 0, 10, 10), QRectF(0, 0, 10, 10)));
    EXPECT_FALSE(RectPointsInsideRectTest(QRectF(0, 0, 10, 10), QRectF(8, 8, 3, 1)));
}

TEST(UtilityMathLines, PathContainsPointWithTolerance)
{
    const BezierPath square = BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
    EXPECT_FALSE(PathContainsPointWithTolerance(nullptr, QPointF(5, 5), 1));
    EXPECT_TRUE(PathContainsPointWithTolerance(&square, QPointF(5, 5), 0));
    EXPECT_TRUE(PathContainsPointWithTolerance(&square, QPointF(10.5, 5), 1));
    EXPECT_FALSE(PathContainsPointWithTolerance(&square, QPointF(12, 5), 1));
    BezierPath line;
    line.moveToPoint(QPointF(0, 0));
    line.lineToPoint(QPointF(10, 0));
    EXPECT_TRUE(PathContainsPointWithTolerance(&line, QPointF(5, 0.5), 1));
    EXPECT_FALSE(PathContainsPointWithTolerance(&line, QPointF(5, 1.5), 1));
}

TEST(UtilityMathLines, SegmentsAgainstArcs)
{
    const ARC_INFO upper = arcOf(QPointF(0, 0), 10, 0, 180);
    const struct
    {
        const char *name;
        bool unbounded;
        LINE_ line;
        ARC_INFO arc;
        int count;
        QPointF first, second;
    } rows[] = {
        {"through both sides", false, {{-20, 5}, {20, 5}}, upper, 2, {-8.660, 5}, {8.660, 5}},
        {"below, outside the sweep", false, {{-20, -5}, {20, -5}}, upper, 0, {}, {}},
        {"below, unbounded", true, {{-20, -5}, {20, -5}}, upper, 2, {-8.660, -5}, {8.660, -5}},
        {"touching the top", false, {{-20, 10}, {20, 10}}, upper, 1, {0, 10}, {}},
        {"missing", false, {{-20, 12}, {20, 12}}, upper, 0, {}, {}},
        {"segment too short", false, {{-20, 5}, {-15, 5}}, upper, 0, {}, {}},
        {"ending inside", false, {{0, 5}, {20, 5}}, upper, 1, {8.660, 5}, {}},
        {"point on the arc", false, {{0, 10}, {0.05, 10}}, upper, 1, {0, 10}, {}},
        {"point off the sweep", false, {{0, -10}, {0.05, -10}}, upper, 0, {}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QPointF out[2];
        int count = -1;
        EXPECT_EQ(IntersectSegmentWithArc(row.unbounded, out, &count, row.line, row.arc),
                  row.count > 0);
        EXPECT_EQ(count, row.count);
        if (row.count >= 1)
            expectPoint(out[0], row.first);
        if (row.count == 2)
            expectPoint(out[1], row.second);
        int swapped = -1;
        IntersectSegmentWithArcSwapped(row.unbounded, out, &swapped, row.arc, row.line);
        EXPECT_EQ(swapped, row.count);
    }
    int count = 0;
    QPointF out[2];
    EXPECT_FALSE(IntersectSegmentWithArc(false, out, &count, LINE_{{-20, 0}, {20, 0}},
                                         arcOf(QPointF(0, 0), 0.05f, 0, 360)));
    EXPECT_FALSE(IntersectSegmentWithArc(false, nullptr, &count, LINE_{{-20, 0}, {20, 0}}, upper));
}

TEST(UtilityMathLines, ArcsAgainstArcs)
{
    const ARC_INFO left = arcOf(QPointF(0, 0), 10, 0, 360);
    const ARC_INFO right = arcOf(QPointF(10, 0), 10, 0, 360);
    QPointF out[2];
    int count = -1;
    ASSERT_TRUE(IntersectArcs(true, out, &count, left, right));
    ASSERT_EQ(count, 2);
    const double h = std::sqrt(75.0);
    expectPoint(out[0], QPointF(5, h));
    expectPoint(out[1], QPointF(5, -h));

    // Only the upper crossing lies on the upper half of the left circle.
    ASSERT_TRUE(IntersectArcs(false, out, &count, arcOf(QPointF(0, 0), 10, 0, 180), right));
    ASSERT_EQ(count, 1);
    expectPoint(out[0], QPointF(5, h));
    EXPECT_FALSE(IntersectArcs(false, out, &count, arcOf(QPointF(0, 0), 10, 90, 180),
                               arcOf(QPointF(10, 0), 10, 270, 300)));
    EXPECT_EQ(count, 0);

    // Touching from outside and from inside, either circle named first.
    ASSERT_TRUE(IntersectArcs(true, out, &count, left, arcOf(QPointF(15, 0), 5, 0, 360)));
    EXPECT_EQ(count, 1);
    expectPoint(out[0], QPointF(10, 0));
    ASSERT_TRUE(IntersectArcs(true, out, &count, arcOf(QPointF(5, 0), 5, 0, 360), left));
    EXPECT_EQ(count, 1);
    expectPoint(out[0], QPointF(10, 0));

    EXPECT_FALSE(IntersectArcs(true, out, &count, left, arcOf(QPointF(30, 0), 5, 0, 360)));
    EXPECT_FALSE(IntersectArcs(true, out, &count, left, arcOf(QPointF(1, 0), 2, 0, 360)));
    EXPECT_FALSE(IntersectArcs(true, out, &count, left, arcOf(QPointF(0.05, 0), 5, 0, 360)));
}
