// Walking a path: the subpath walk, points and tangents at positions, and arc lengths checked
// against a circle and against dense polylines.
#include <gtest/gtest.h>

#include "pathops/CurveOracle.h"
#include "pathops/PolygonPath.h"
#include "support/LogCapture.h"

#include "pathops/PathWalking.h"
#include "platform/Guard.h"

#include <QRandomGenerator>

#include <cmath>
#include <limits>
#include <numbers>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

QPointF cubicAt(const BezierCurvePoints &c, double t)
{
    return cubicAt(c.data(), t);
}

double polylineLength(const BezierCurvePoints &c, int steps)
{
    double length = 0;
    QPointF last = c[0];
    for (int i = 1; i <= steps; ++i) {
        const QPointF p = cubicAt(c, double(i) / steps);
        length += std::hypot(p.x() - last.x(), p.y() - last.y());
        last = p;
    }
    return length;
}

BezierCurvePoints randomCubic(QRandomGenerator &random, double scale)
{
    BezierCurvePoints c;
    for (QPointF &p : c)
        p = QPointF(random.bounded(scale), random.bounded(scale));
    return c;
}

BezierPath circle(QPointF centre, double r)
{
    BezierPath path;
    path.appendBezierPathWithOvalInRect(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r));
    return path;
}

struct WalkStep
{
    BezierPathElement what;
    qint64 index;
    QPointF from;
    QPointF to;
};

QList<WalkStep> walk(const BezierPath &path, qint64 start, bool implicitClose)
{
    QList<WalkStep> steps;
    subpathWalkingState s;
    if (!initSubpathWalkingState(&s, path, start, implicitClose))
        return steps;
    while (nextSubpathElement(&s)) {
        const QPointF to = s.what == BezierPathElement::CurveTo ? s.points[3] : s.points[1];
        steps.append({s.what, s.currentElementIndex, s.points[0], to});
    }
    return steps;
}

} // namespace

TEST(PathWalkingTest, WalksOneSubpathWithOrWithoutTheClosingLine)
{
    // Open triangle, then a closed square.
    BezierPath path = polygon({{0, 0}, {10, 0}, {10, 10}}, false);
    path.appendBezierPath(polygon({{20, 0}, {30, 0}, {30, 10}, {20, 10}}));

    const QList<WalkStep> open = walk(path, 0, false);
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[1].index, 2);
    EXPECT_EQ(open[1].from, QPointF(10, 0));

    const QList<WalkStep> closed = walk(path, 0, true);
    ASSERT_EQ(closed.size(), 3);
    EXPECT_EQ(closed[2].what, BezierPathElement::ClosePath);
    EXPECT_EQ(closed[2].index, 3); // the next move-to's index
    EXPECT_EQ(closed[2].to, QPointF(0, 0));

    // The square's own close ends it; the walk adds no second closing line.
    const QList<WalkStep> square = walk(path, 3, true);
    ASSERT_EQ(square.size(), 4);
    EXPECT_EQ(square[3].what, BezierPathElement::ClosePath);
    EXPECT_EQ(square[3].from, QPointF(20, 10));
    EXPECT_EQ(square[3].to, QPointF(20, 0));

    // A walk starts only at a move-to with something after it.
    pelkotest::LogCapture log;
    subpathWalkingState s;
    EXPECT_FALSE(initSubpathWalkingState(&s, path, 1, false));
    EXPECT_TRUE(log.logged("should be NSMoveToBezierPathElement"));
    EXPECT_FALSE(initSubpathWalkingState(&s, path, path.elementCount() - 1, false));
    EXPECT_FALSE(initSubpathWalkingState(&s, BezierPath(), 0, false));
}

TEST(PathWalkingTest, HasNextAndRepositionFollowTheWalk)
{
    BezierPath path = polygon({{0, 0}, {10, 0}, {10, 10}}, false);
    path.curveToPoint(QPointF(0, 10), QPointF(8, 12), QPointF(2, 12));
    path.moveToPoint(QPointF(50, 50));
    path.lineToPoint(QPointF(60, 50));

    subpathWalkingState s;
    ASSERT_TRUE(initSubpathWalkingState(&s, path, 0, false));
    int steps = 0;
    while (hasNextSubpathElement(&s)) {
        ASSERT_TRUE(nextSubpathElement(&s));
        ++steps;
    }
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(nextSubpathElement(&s));

    repositionSubpathWalkingState(&s, 3);
    EXPECT_EQ(s.what, BezierPathElement::CurveTo);
    EXPECT_EQ(s.points[0], QPointF(10, 10));
    EXPECT_EQ(s.points[3], QPointF(0, 10));
    repositionSubpathWalkingState(&s, 1);
    EXPECT_EQ(s.what, BezierPathElement::LineTo);
    EXPECT_EQ(s.points[0], QPointF(0, 0));
    EXPECT_EQ(s.points[1], QPointF(10, 0));

    subpathWalkingState closing;
    ASSERT_TRUE(initSubpathWalkingState(&closing, path, 0, true));
    while (nextSubpathElement(&closing)) {
    }
    repositionSubpathWalkingState(&closing, 4);
    EXPECT_EQ(closing.what, BezierPathElement::ClosePath);
    EXPECT_EQ(closing.points[0], QPointF(0, 10));
    EXPECT_EQ(closing.points[1], QPointF(0, 0));
}

TEST(PathWalkingTest, SegmentStartsAndEnds)
{
    BezierPath path = polygon({{1, 2}, {3, 4}, {5, 6}});
    path.moveToPoint(QPointF(7, 8));
    path.curveToPoint(QPointF(9, 9), QPointF(7, 9), QPointF(8, 9));
    EXPECT_EQ(currentpointForSegment(path, 0), QPointF(1, 2));
    EXPECT_EQ(currentpointForSegment(path, 3), QPointF(5, 6));
    EXPECT_EQ(currentpointForSegment(path, 6), QPointF(9, 9));
    EXPECT_EQ(endPointForSegment(path, 3), QPointF(1, 2)); // a close: element 0
    EXPECT_EQ(endPointForSegment(path, 5), QPointF(9, 9));
    EXPECT_EQ(endPointForSegment(path, 99), QPointF());
    for (qint64 bad : {qint64(4), qint64(7), qint64(-1)}) {
        try {
            currentpointForSegment(path, bad);
            ADD_FAILURE() << bad;
        } catch (const platform::Exception &e) {
            EXPECT_EQ(e.name(), "NSInternalInconsistencyException");
            EXPECT_EQ(e.reason(), QStringLiteral("Segment %1 has no currentpoint").arg(bad));
        }
    }
    BezierPath lineFirst;
    lineFirst.lineToPoint(QPointF(1, 1)); // starts itself with a move-to
    EXPECT_EQ(currentpointForSegment(lineFirst, 0), QPointF(1, 1));
}

TEST(PathWalkingTest, PointsAndTangentsAtPathPositions)
{
    // Three segments over four elements: positions 0, 1/3, 2/3 and 1 are their joints.
    BezierPath path = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, false);
    const struct
    {
        double position;
        QPointF point;
        QPointF tangent;
    } rows[] = {
        {-3, {0, 0}, {10, 0}},           {0, {0, 0}, {10, 0}},   {1.0 / 6, {5, 0}, {10, 0}},
        {0.5, {10, 5}, {0, 10}},         {1, {0, 10}, {-10, 0}}, {7, {0, 10}, {-10, 0}},
        {std::nan(""), {0, 0}, {10, 0}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.position);
        const pointInfo info = getPointInfoForPosition(path, row.position);
        EXPECT_NEAR(info.x, row.point.x(), 1e-12);
        EXPECT_NEAR(info.y, row.point.y(), 1e-12);
        EXPECT_NEAR(info.tangentX, row.tangent.x(), 1e-12);
        EXPECT_NEAR(info.tangentY, row.tangent.y(), 1e-12);
    }

    // A nearly vertical line is taken as vertical.
    const pointInfo steep = getPointInfoForPosition(polygon({{0, 0}, {1e-5, 10}}, false), 0.5);
    EXPECT_EQ(steep.tangentX, 0.0);
    EXPECT_EQ(steep.x, 0.0);

    // A close runs back to the start of the subpath begun after the last close.
    BezierPath two = polygon({{0, 0}, {4, 0}, {4, 4}});
    two.appendBezierPath(polygon({{10, 10}, {20, 10}}));
    const pointInfo back = getPointInfoForPosition(two, 1.0 - 0.5 / 6);
    EXPECT_NEAR(back.x, 15, 1e-9);
    EXPECT_NEAR(back.y, 10, 1e-9);

    // The normal and the sideways offset.
    const BezierPath line = polygon({{0, 0}, {10, 0}}, false);
    EXPECT_DOUBLE_EQ(getNormalForPosition(line, 0.5), 90);
    EXPECT_EQ(getPointForPositionAndOffset(line, 0.5, 2), QPointF(5, -2));
    const BezierPath leftward = polygon({{10, 0}, {0, 0}}, false);
    EXPECT_EQ(getPointForPositionAndOffset(leftward, 0.5, 2), QPointF(5, -2));
    const BezierPath dot = polygon({{3, 3}, {3, 3}}, false);
    EXPECT_EQ(getPointForPositionAndOffset(dot, 0.5, 2), QPointF(3, 3));
}

TEST(PathWalkingTest, PathsTooShortForASegmentAnswerTheirPointWithoutDirection)
{
    BezierPath single;
    single.moveToPoint(QPointF(3, 4));
    for (const BezierPath &path : {BezierPath(), single}) {
        for (double position : {0.0, 0.5, 1.0}) {
            const pointInfo info = getPointInfoForPosition(path, position);
            EXPECT_EQ(QPointF(info.x, info.y), path.isEmpty() ? QPointF() : QPointF(3, 4));
            EXPECT_EQ(info.tangentX, 0.0);
            EXPECT_EQ(info.tangentY, 0.0);
        }
    }
}

TEST(PathWalkingTest, PointsAtSegmentPositions)
{
    BezierPath path = polygon({{0, 0}, {10, 0}, {10, 10}});
    path.moveToPoint(QPointF(20, 20));
    path.curveToPoint(QPointF(30, 20), QPointF(20, 30), QPointF(30, 30));
    EXPECT_EQ(getPointForPosition(path, {1, 5e-11}), QPointF(0, 0));
    const QPointF nearEnd = getPointForPosition(path, {1, 0.99999999995});
    EXPECT_EQ(nearEnd.x(), 10.0);
    EXPECT_EQ(nearEnd.y(), 0.0);
    EXPECT_EQ(getPointForPosition(path, {2, 0.25}), QPointF(10, 2.5));
    EXPECT_EQ(getPointForPosition(path, {3, 0.5}), QPointF(5, 5)); // the close
    EXPECT_EQ(getPointForPosition(path, {5, 0.5}), QPointF(25, 27.5));
    EXPECT_THROW(getPointForPosition(path, {4, 0.5}), platform::Exception); // after a close
    EXPECT_THROW(getPointForPosition(path, {9, 0.5}), platform::Exception);
}

TEST(PathWalkingTest, SplitHalvesMeetOnTheCurve)
{
    QRandomGenerator random(141);
    for (int i = 0; i < 50; ++i) {
        const BezierCurvePoints c = randomCubic(random, 100);
        const double t = random.generateDouble();
        BezierCurvePoints left, right;
        splitBezierCurveTo(c, t, &left, &right);
        const QPointF m = cubicAt(c, t);
        EXPECT_NEAR(left[3].x(), m.x(), 1e-9);
        EXPECT_NEAR(right[0].y(), m.y(), 1e-9);
        const QPointF inLeft = cubicAt(left, 0.5);
        const QPointF onCurve = cubicAt(c, t * 0.5);
        EXPECT_NEAR(inLeft.x(), onCurve.x(), 1e-9);
        EXPECT_NEAR(inLeft.y(), onCurve.y(), 1e-9);
    }
}

TEST(PathWalkingTest, CircleOfFourCubicsHasTheLengthOfTheCircle)
{
    for (double r : {0.5, 10.0, 1000.0}) {
        SCOPED_TRACE(r);
        const BezierPath path = circle(QPointF(r, -r), r);
        double total = 0;
        lengthToSegment(path, 0, 0, &total);
        // Each of n elements may come short by 0.5 / n; four cubics are a circle to within
        // 3e-4 of its radius, and closer in length.
        EXPECT_NEAR(total, 2 * std::numbers::pi * r, 0.5 + 1e-4 * 2 * std::numbers::pi * r);
        double polyline = 0;
        subpathWalkingState s;
        ASSERT_TRUE(initSubpathWalkingState(&s, path, 0, false));
        while (nextSubpathElement(&s)) {
            if (s.what == BezierPathElement::CurveTo)
                polyline +=
                    polylineLength({s.points[0], s.points[1], s.points[2], s.points[3]}, 20000);
        }
        EXPECT_NEAR(total, polyline, 1e-7 * total + 0.5);
        EXPECT_LE(total, polyline + 1e-9 * total);
    }
}

TEST(PathWalkingTest, CubicLengthsMatchDensePolylines)
{
    QRandomGenerator random(28);
    for (int i = 0; i < 40; ++i) {
        const BezierCurvePoints c = randomCubic(random, 200);
        const double reference = polylineLength(c, 10000);
        const double tolerance = 0.01;
        const double length = subdivideBezierLength(c, tolerance);
        // The polyline falls short by far less than the tolerance.
        EXPECT_NEAR(length, reference, tolerance + 1e-6 * reference) << i;
        const lengthAndParameter half = arcLength_l(c, reference / 2, 1e-6);
        EXPECT_NEAR(half.length, reference / 2, 1e-3 * reference);
        BezierCurvePoints left, right;
        splitBezierCurveTo(c, half.parameter, &left, &right);
        EXPECT_NEAR(polylineLength(left, 10000), reference / 2, 1e-3 * reference);
    }
}

TEST(PathWalkingTest, StraightCurvesAndLimits)
{
    // Control points evenly on the chord: the parameter is in proportion to the length.
    const BezierCurvePoints even = {QPointF(0, 0), QPointF(10, 0), QPointF(20, 0), QPointF(30, 0)};
    const lengthAndParameter a = arcLength_l(even, 7.5, 0.01);
    EXPECT_DOUBLE_EQ(a.length, 7.5);
    EXPECT_NEAR(a.parameter, 0.25, 1e-12);
    EXPECT_EQ(arcLength_l(even, 50, 0.01).parameter, 1.0);
    // Bunched towards the start, the curve is slow there: the parameter is where the curve
    // really is that far along.
    const BezierCurvePoints bunched = {QPointF(0, 0), QPointF(1, 0), QPointF(2, 0), QPointF(10, 0)};
    const lengthAndParameter b = arcLength_l(bunched, 2.5, 0.01);
    EXPECT_DOUBLE_EQ(b.length, 2.5);
    EXPECT_NEAR(cubicAt(bunched, b.parameter).x(), 2.5, 1e-9);

    // Near 1e8 rounding noise never falls below a tiny tolerance; the halving still ends.
    const BezierCurvePoints far = {QPointF(1e8, 1e8), QPointF(1e8 + 3, 1e8 + 7),
                                   QPointF(1e8 + 9, 1e8 - 4), QPointF(1e8 + 12, 1e8 + 1)};
    const double farLength = subdivideBezierLength(far, 1e-30);
    EXPECT_NEAR(farLength, polylineLength(far, 10000), 1e-3);
    const lengthAndParameter farHalf = arcLength_l(far, farLength / 2, 1e-30);
    EXPECT_GT(farHalf.parameter, 0.0);
    EXPECT_LT(farHalf.parameter, 1.0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const BezierCurvePoints broken = {QPointF(0, 0), QPointF(nan, 1), QPointF(2, INFINITY),
                                      QPointF(3, 3)};
    subdivideBezierLength(broken, 0.01);
    arcLength_l(broken, 1, 0.01);
}

TEST(PathWalkingTest, LengthsSeeOnlyTheFirstSubpath)
{
    BezierPath path = polygon({{0, 0}, {1, 0}, {1, 3}}, false);
    path.appendBezierPath(polygon({{100, 100}, {1000, 100}}, false));
    double total = -1;
    EXPECT_DOUBLE_EQ(lengthToSegment(path, 2, 0.5, &total), 2.5);
    EXPECT_DOUBLE_EQ(total, 4);
    EXPECT_DOUBLE_EQ(lengthToSegment(path, 2, 0.5, nullptr), 2.5);

    double parameter = -1;
    EXPECT_EQ(segmentAndParameter(path, &parameter, 0.5, true), 2);
    EXPECT_NEAR(parameter, 1.0 / 3, 1e-12);
    EXPECT_EQ(segmentAndParameter(path, &parameter, 0.5, false), 1);
    EXPECT_DOUBLE_EQ(parameter, 0.5);
    // Past the end: the last segment of the first subpath, its parameter capped.
    EXPECT_EQ(segmentAndParameter(path, &parameter, 50, false), 2);
    EXPECT_EQ(parameter, 1.0);
    EXPECT_EQ(segmentAndParameter(path, &parameter, 1, true), path.elementCount() - 1);
    EXPECT_EQ(parameter, 1.0);
    EXPECT_EQ(segmentAndParameter(path, &parameter, 0, true), 0);
    EXPECT_EQ(parameter, 0.0);
    EXPECT_EQ(segmentAndParameter(BezierPath(), &parameter, 0.5, false), 0);
    EXPECT_EQ(lengthToSegment(BezierPath(), 1, 1, &total), 0.0);
    EXPECT_EQ(total, 0.0);
}

TEST(PathWalkingTest, FractionOfAPathOfZeroLengthIsTheStartOfItsLastSegment)
{
    const BezierPath still = polygon({{5, 5}, {5, 5}, {5, 5}, {5, 5}}, false);
    for (double fraction : {0.25, 0.5, 0.999}) {
        double parameter = -1;
        EXPECT_EQ(segmentAndParameter(still, &parameter, fraction, true), 3);
        EXPECT_EQ(parameter, 0.0);
        EXPECT_EQ(segmentAndParameter(still, nullptr, fraction, true), 3);
    }
}

TEST(PathWalkingTest, LengthAndPositionLookupsInvertEachOther)
{
    QRandomGenerator random(10141);
    for (int shape = 0; shape < 20; ++shape) {
        BezierPath path;
        path.moveToPoint(QPointF(random.bounded(100.0), random.bounded(100.0)));
        for (int k = 0; k < 6; ++k) {
            const QPointF p(random.bounded(100.0), random.bounded(100.0));
            if (k % 2)
                path.lineToPoint(p);
            else
                path.curveToPoint(p, QPointF(random.bounded(100.0), random.bounded(100.0)),
                                  QPointF(random.bounded(100.0), random.bounded(100.0)));
        }
        if (shape % 2)
            path.closePath();
        double total = 0;
        lengthToSegment(path, 0, 0, &total);
        for (int i = 1; i < 20; ++i) {
            const double wanted = total * i / 20;
            double parameter = 0;
            const qint64 segment = segmentAndParameter(path, &parameter, wanted, false);
            EXPECT_NEAR(lengthToSegment(path, segment, parameter, nullptr), wanted, 1e-3 * total)
                << shape << " " << i;
            const qint64 byShare = segmentAndParameter(path, &parameter, double(i) / 20, true);
            EXPECT_NEAR(lengthToSegment(path, byShare, parameter, nullptr), wanted, 1e-3 * total);
        }
    }
}

TEST(PathWalkingTest, CurveBoundsGrowToTheBulge)
{
    // A curve bulging to y = 7.5 above end points on y = 0.
    QRectF r;
    EXPECT_TRUE(expandBoundsForCurve(&r, QPointF(0, 0), QPointF(0, 10), QPointF(10, 10),
                                     QPointF(10, 0), 1));
    EXPECT_DOUBLE_EQ(r.top(), 0);
    EXPECT_DOUBLE_EQ(r.bottom(), 8.5);
    EXPECT_DOUBLE_EQ(r.left(), 0);
    EXPECT_DOUBLE_EQ(r.right(), 10);
    const QRectF kept = r;
    EXPECT_FALSE(
        expandBoundsForCurve(&r, QPointF(1, 1), QPointF(2, 2), QPointF(3, 2), QPointF(4, 1), 1));
    EXPECT_EQ(r, kept);
    EXPECT_TRUE(
        expandBoundsForCurve(&r, QPointF(1, 1), QPointF(2, 2), QPointF(3, 2), QPointF(40, 1), 1));
    EXPECT_DOUBLE_EQ(r.right(), 40);
}
