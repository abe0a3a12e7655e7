// Bezier curves of the path engine: construction, splitting, measures, hull, equality.
#include <gtest/gtest.h>

#include "pathops/FBBezierCurve.h"

#include <atomic>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <thread>
#include <vector>

namespace {

FBBezierCurvePtr curve(QPointF a, QPointF b, QPointF c, QPointF d)
{
    return FBBezierCurve::bezierCurveWithEndPoint1(a, b, c, d);
}

void expectNear(QPointF actual, QPointF expected, double tolerance, const char *what = "")
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << what;
}

} // namespace

TEST(FBBezierCurve, LineHoldsItsThirdsAndIsStraight)
{
    const auto line = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 0), QPointF(3, 0));
    EXPECT_TRUE(line->isStraightLine());
    expectNear(line->controlPoint1(), QPointF(1, 0), 1e-12);
    expectNear(line->controlPoint2(), QPointF(2, 0), 1e-12);
    EXPECT_NEAR(line->length(), 3.0, 1e-5);
    EXPECT_NEAR(line->lengthAtParameter(0.5), 1.5, 1e-5);

    const auto dot = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(2, 2), QPointF(2, 2));
    EXPECT_EQ(dot->controlPoint1(), QPointF(2, 2));
    EXPECT_EQ(dot->controlPoint2(), QPointF(2, 2));
    EXPECT_TRUE(dot->isPoint());
}

TEST(FBBezierCurve, CurvesFromPathFollowEveryElement)
{
    struct Row
    {
        const char *name;
        platform::BezierPath path;
        std::vector<std::pair<QPointF, QPointF>> ends;
    };
    platform::BezierPath closedThenLine;
    closedThenLine.moveToPoint(QPointF(0, 0));
    closedThenLine.lineToPoint(QPointF(10, 0));
    closedThenLine.closePath();
    closedThenLine.lineToPoint(QPointF(5, 5));
    // A subpath that does not start at the origin: what follows its close starts at its start.
    platform::BezierPath offsetClose;
    offsetClose.moveToPoint(QPointF(4, 4));
    offsetClose.curveToPoint(QPointF(8, 4), QPointF(5, 6), QPointF(7, 6));
    offsetClose.closePath();
    offsetClose.lineToPoint(QPointF(4, 9));
    platform::BezierPath twoSubpaths;
    twoSubpaths.moveToPoint(QPointF(1, 1));
    twoSubpaths.lineToPoint(QPointF(2, 1));
    twoSubpaths.moveToPoint(QPointF(7, 7));
    twoSubpaths.lineToPoint(QPointF(8, 8));
    const Row rows[] = {
        {"empty", platform::BezierPath(), {}},
        {"line after close", closedThenLine, {{{0, 0}, {10, 0}}, {{0, 0}, {5, 5}}}},
        {"curve then line after close", offsetClose, {{{4, 4}, {8, 4}}, {{4, 4}, {4, 9}}}},
        {"two subpaths", twoSubpaths, {{{1, 1}, {2, 1}}, {{7, 7}, {8, 8}}}},
    };
    for (const Row &row : rows) {
        const auto curves = FBBezierCurve::bezierCurvesFromBezierPath(row.path);
        ASSERT_EQ(curves.size(), row.ends.size()) << row.name;
        for (std::size_t i = 0; i < curves.size(); ++i) {
            EXPECT_EQ(curves[i]->endPoint1(), row.ends[i].first) << row.name << " " << i;
            EXPECT_EQ(curves[i]->endPoint2(), row.ends[i].second) << row.name << " " << i;
        }
    }
    const auto curves = FBBezierCurve::bezierCurvesFromBezierPath(offsetClose);
    EXPECT_FALSE(curves[0]->isStraightLine());
    EXPECT_EQ(curves[0]->controlPoint1(), QPointF(5, 6));
    EXPECT_TRUE(curves[1]->isStraightLine());
}

TEST(FBBezierCurve, SplittingKeepsThePointsOfTheCurve)
{
    const auto c = curve(QPointF(0, 0), QPointF(1, 3), QPointF(4, -2), QPointF(6, 1));
    std::mt19937_64 random(27);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 20; ++i) {
        const double a = unit(random) * 0.5, b = 0.5 + unit(random) * 0.5, u = unit(random);
        // The piece for [a, b] at u is the whole curve at a + (b - a) u.
        const auto piece = c->subcurveWithRange(FBGeom_MakeRange(a, b));
        expectNear(piece->pointAtParameter(u), c->pointAtParameter(a + (b - a) * u), 1e-9);
        const auto parts = c->splitSubcurvesWithRange(FBGeom_MakeRange(a, b));
        ASSERT_TRUE(parts[0] && parts[1] && parts[2]);
        expectNear(parts[0]->pointAtParameter(u), c->pointAtParameter(a * u), 1e-9);
        expectNear(parts[2]->pointAtParameter(u), c->pointAtParameter(b + (1 - b) * u), 1e-9);
        const auto halves = c->splitCurveAtParameter(a);
        expectNear(halves[0]->endPoint2(), c->pointAtParameter(a), 1e-12);
        expectNear(halves[1]->endPoint1(), c->pointAtParameter(a), 1e-12);
        // The reversed curve runs through the same points backwards.
        expectNear(c->reversedCurve()->pointAtParameter(u), c->pointAtParameter(1 - u), 1e-9);
    }
}

// The cuts the search makes in every step are written out for cubics; they must give the general
// evaluation's digits exactly, shared coordinates and a parameter that is not a number included.
TEST(FBBezierCurve, WrittenOutCutsMatchDeCasteljauDigitForDigit)
{
    std::mt19937_64 random(2027);
    std::uniform_real_distribution<double> coordinate(-50, 50), unit(0.0, 1.0);
    auto same = [](QPointF a, QPointF b) {
        auto equal = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
        return equal(a.x(), b.x()) && equal(a.y(), b.y());
    };
    const double specials[] = {0.0, 1.0, 0.5, std::numeric_limits<double>::quiet_NaN()};
    for (int round = 0; round < 20000; ++round) {
        FBCurvePoints p;
        for (QPointF &q : p)
            q = QPointF(coordinate(random), coordinate(random));
        if (round % 3 == 0) // a horizontal line: every y the same
            for (QPointF &q : p)
                q.setY(p[0].y());
        double a = unit(random), b = unit(random);
        if (round % 5 == 0)
            a = specials[round / 5 % 4];
        if (round % 7 == 0)
            b = specials[round / 7 % 4];
        const FBRange range = FBGeom_MakeRange(std::min(a, b), std::max(a, b));

        ASSERT_TRUE(same(FBCurve_PointAt(p, a), FBCurve_DeCasteljau(p, a))) << round;

        FBCurvePoints upper, expected;
        FBCurve_DeCasteljau(p, range.minimum, static_cast<FBCurvePoints *>(nullptr), &upper);
        if (range.minimum == 1.0)
            expected = upper;
        else
            FBCurve_DeCasteljau(upper, (range.maximum - range.minimum) / (1.0 - range.minimum),
                                &expected);
        const FBCurvePoints cut = FBCurve_SubcurveWithRange(p, range);
        for (std::size_t i = 0; i < 4; ++i)
            ASSERT_TRUE(same(cut[i], expected[i])) << round << " point " << i;
    }
}

// A curve keeps its box once measured; threads asking for it at the same moment must all get the
// measured box, never one half stored.
TEST(FBBezierCurve, BoxAskedByManyThreadsAtOnceIsTheMeasuredBox)
{
    std::vector<FBBezierCurvePtr> shared, alone;
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> coordinate(-100, 100);
    for (int i = 0; i < 500; ++i) {
        std::array<QPointF, 4> p;
        for (QPointF &q : p)
            q = QPointF(coordinate(random), coordinate(random));
        shared.push_back(curve(p[0], p[1], p[2], p[3]));
        alone.push_back(curve(p[0], p[1], p[2], p[3]));
    }
    std::atomic<bool> go{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            while (!go.load())
                std::this_thread::yield();
            for (std::size_t i = 0; i < shared.size(); ++i) {
                const QRectF got = shared[i]->bounds();
                const QRectF want = alone[i]->bounds();
                if (got.x() != want.x() || got.y() != want.y() || got.width() != want.width() ||
                    got.height() != want.height())
                    ++wrong;
            }
        });
    go = true;
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(FBBezierCurve, SubcurveEdgeRanges)
{
    const auto c = curve(QPointF(0, 0), QPointF(1, 3), QPointF(4, -2), QPointF(6, 1));
    EXPECT_TRUE(c->subcurveWithRange(FBGeom_MakeRange(0, 1))->isEqual(*c));
    EXPECT_TRUE(c->subcurveWithRange(FBGeom_MakeRange(0.5, 0.5))->isPoint());
    EXPECT_TRUE(c->subcurveWithRange(FBGeom_MakeRange(1, 1))->isPoint());

    const auto front = c->splitSubcurvesWithRange(FBGeom_MakeRange(0, 0.5));
    EXPECT_EQ(front[0], nullptr);
    ASSERT_TRUE(front[1] && front[2]);
    const auto atEnd = c->splitSubcurvesWithRange(FBGeom_MakeRange(1, 1));
    EXPECT_TRUE(atEnd[0] && atEnd[1]);
    EXPECT_EQ(atEnd[2], nullptr);

    const auto line = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 0), QPointF(3, 0));
    const auto pieces = line->splitCurveAtParameter(0.3);
    EXPECT_TRUE(pieces[0]->isStraightLine());
    EXPECT_TRUE(pieces[1]->isStraightLine());
    EXPECT_TRUE(line->reversedCurve()->isStraightLine());
}

TEST(FBBezierCurve, Equality)
{
    const auto c = curve(QPointF(0, 0), QPointF(1, 3), QPointF(4, -2), QPointF(6, 1));
    const auto line = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 0), QPointF(1, 0));
    const auto dot1 = curve(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    const auto dot2 = curve(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    struct Row
    {
        const char *name;
        FBBezierCurvePtr a, b;
        bool equal;
    };
    const Row rows[] = {
        {"same", c, curve(QPointF(0, 0), QPointF(1, 3), QPointF(4, -2), QPointF(6, 1)), true},
        {"within 1e-10", c, curve(QPointF(0, 1e-11), QPointF(1, 3), QPointF(4, -2), QPointF(6, 1)),
         true},
        {"control point moved", c,
         curve(QPointF(0, 0), QPointF(1, 3.1), QPointF(4, -2), QPointF(6, 1)), false},
        {"reversed", c, c->reversedCurve(), false},
        {"line reversed", line, line->reversedCurve(), false},
        {"line as curve", line,
         curve(QPointF(0, 0), QPointF(1.0 / 3, 0), QPointF(2.0 / 3, 0), QPointF(1, 0)), false},
        {"lines by ends only", line,
         FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 0), QPointF(1, 0)), true},
        {"two points", dot1, dot2, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.a->isEqual(*row.b), row.equal) << row.name;
}

TEST(FBBezierCurve, TightBounds)
{
    struct Row
    {
        const char *name;
        FBBezierCurvePtr c;
        QRectF bounds;
    };
    const Row rows[] = {
        {"arch", curve(QPointF(0, 0), QPointF(0, 1), QPointF(1, 1), QPointF(1, 0)),
         QRectF(0, 0, 1, 0.75)},
        {"line", FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(3, 4), QPointF(-1, 2)),
         QRectF(-1, 2, 4, 2)},
        {"quadratic-like", curve(QPointF(0, 0), QPointF(1, 2), QPointF(2, 2), QPointF(3, 0)),
         QRectF(0, 0, 3, 1.5)},
        {"point", curve(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2), QPointF(2, 2)),
         QRectF(2, 2, 0, 0)},
    };
    for (const Row &row : rows) {
        const QRectF b = row.c->bounds();
        EXPECT_NEAR(b.x(), row.bounds.x(), 1e-6) << row.name;
        EXPECT_NEAR(b.y(), row.bounds.y(), 1e-6) << row.name;
        EXPECT_NEAR(b.width(), row.bounds.width(), 1e-6) << row.name;
        EXPECT_NEAR(b.height(), row.bounds.height(), 1e-6) << row.name;
    }
}

TEST(FBBezierCurve, ConvexHullKeepsCornersOnceCounterClockwise)
{
    struct Row
    {
        const char *name;
        std::array<QPointF, 4> points;
        std::vector<QPointF> hull;
    };
    const Row rows[] = {
        {"collinear line",
         {QPointF(0, 0), QPointF(1, 0), QPointF(2, 0), QPointF(3, 0)},
         {QPointF(3, 0), QPointF(0, 0)}},
        {"repeated apex",
         {QPointF(0, 0), QPointF(5, 5), QPointF(5, 5), QPointF(10, 0)},
         {QPointF(10, 0), QPointF(5, 5), QPointF(0, 0)}},
        {"square",
         {QPointF(0, 0), QPointF(0, 1), QPointF(1, 1), QPointF(1, 0)},
         {QPointF(1, 0), QPointF(1, 1), QPointF(0, 1), QPointF(0, 0)}},
        {"inner point",
         {QPointF(0, 0), QPointF(2, 1), QPointF(4, 4), QPointF(4, 0)},
         {QPointF(4, 0), QPointF(4, 4), QPointF(0, 0)}},
        {"one point",
         {QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), QPointF(1, 1)},
         {QPointF(1, 1)}},
        {"two copies each",
         {QPointF(0, 0), QPointF(0, 0), QPointF(2, 3), QPointF(2, 3)},
         {QPointF(0, 0), QPointF(2, 3)}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FBBezierCurve::convexHullOfPoints(row.points), row.hull) << row.name;
}

// The clipping's own hull of a distance curve must answer exactly what the general hull answers,
// corner for corner and digit for digit, ties and near ties included: the clipped ranges and so
// every crossing depend on it.
TEST(FBBezierCurve, DistanceCurveHullMatchesTheGeneralHull)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Heights that make equal, nearly equal (within and just past the closeness threshold),
    // collinear and opposite points, besides ordinary ones.
    const double heights[] = {0.0, 1.0,  -1.0,  0.5,  2.0,  1e-11,       -1e-11, 3e-10,
                              1.5, -0.5, 1e-10, 1e-6, -2.0, 1.0 + 1e-11, nan,    inf};
    std::mt19937_64 random(27);
    std::uniform_int_distribution<int> pick(0, int(std::size(heights)) - 1);
    std::uniform_real_distribution<double> any(-3, 3);
    auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    for (int round = 0; round < 200000; ++round) {
        double d[4];
        for (double &h : d)
            h = round % 3 == 0 ? any(random) : heights[pick(random) % (round % 2 ? 14 : 16)];
        const std::array<QPointF, 4> points = {QPointF(0.0, d[0]), QPointF(1.0 / 3.0, d[1]),
                                               QPointF(2.0 / 3.0, d[2]), QPointF(1.0, d[3])};
        const std::vector<QPointF> general = FBBezierCurve::convexHullOfPoints(points);
        const FBCurveHull fast = FBCurve_HullOfDistanceCurve(d[0], d[1], d[2], d[3]);
        bool equal = general.size() == fast.count;
        for (std::size_t i = 0; equal && i < fast.count; ++i)
            equal = same(general[i].x(), fast[i].x()) && same(general[i].y(), fast[i].y());
        ASSERT_TRUE(equal) << "heights " << d[0] << " " << d[1] << " " << d[2] << " " << d[3];
    }
}

// The floor lets the nearest-point searches skip a curve: were it ever above the distance to a
// point of the curve, a search would skip the curve that answers and pick another.
TEST(FBBezierCurve, DistanceFloorsNeverExceedTheDistanceToTheCurve)
{
    std::mt19937_64 random(54);
    std::uniform_real_distribution<double> near(-4, 4);
    std::uniform_int_distribution<int> scale(-6, 6);
    int skipped = 0;
    for (int round = 0; round < 20000; ++round) {
        // Curves at every scale, some straight, some with both ends equal (no chord).
        const double size = std::pow(10.0, scale(random));
        std::array<QPointF, 4> points;
        for (QPointF &p : points)
            p = QPointF(near(random), near(random)) * size;
        if (round % 5 == 0) {
            points[1] = points[0] * (2.0 / 3.0) + points[3] / 3.0;
            points[2] = points[0] / 3.0 + points[3] * (2.0 / 3.0);
        }
        if (round % 7 == 0)
            points[3] = points[0];
        const QPointF point = QPointF(near(random), near(random)) * (2 * size);
        const double floor = FBCurve_DistanceFloor(points, point);
        ASSERT_GE(floor, 0.0);
        double distance = INFINITY;
        for (int k = 0; k <= 2000; ++k)
            distance = std::min(distance,
                                FBGeom_PointDistance(FBCurve_PointAt(points, k / 2000.0), point));
        ASSERT_LE(floor, distance) << "round " << round;
        // Nor may the halves' floors rule out a curve that comes this near.
        ASSERT_FALSE(FBCurve_FartherThan(points, point, distance)) << "round " << round;
        if (floor > 0)
            ++skipped;
    }
    // Most points lie off their curve's hull: the floor says so for them.
    EXPECT_GT(skipped, 10000);
    // A point beside a quarter circle's chord, inside the whole's hull but outside its halves'.
    const std::array<QPointF, 4> arc = {QPointF(1, 0), QPointF(1, 0.5523), QPointF(0.5523, 1),
                                        QPointF(0, 1)};
    EXPECT_EQ(FBCurve_DistanceFloor(arc, QPointF(0.6, 0.6)), 0.0);
    EXPECT_TRUE(FBCurve_FartherThan(arc, QPointF(0.6, 0.6), 0.05));
    EXPECT_FALSE(FBCurve_FartherThan(arc, QPointF(0.6, 0.6), 0.2));
    // A chord of no length, or a number that is not finite, gives no floor.
    const std::array<QPointF, 4> loop = {QPointF(0, 0), QPointF(5, 5), QPointF(-5, 5),
                                         QPointF(0, 0)};
    EXPECT_EQ(FBCurve_DistanceFloor(loop, QPointF(100, 100)), 0.0);
    const std::array<QPointF, 4> line = {QPointF(0, 0), QPointF(1, 0), QPointF(2, 0),
                                         QPointF(3, 0)};
    EXPECT_EQ(FBCurve_DistanceFloor(line, QPointF(NAN, 1)), 0.0);
    EXPECT_EQ(FBCurve_DistanceFloor(line, QPointF(1, NAN)), 0.0);
    EXPECT_EQ(FBCurve_DistanceFloor(line, QPointF(INFINITY, 1)), 0.0);
    EXPECT_NEAR(FBCurve_DistanceFloor(line, QPointF(1.5, 2)), 2.0, 1e-8);
}

TEST(FBBezierCurve, NewtonStepMovesTowardThePoint)
{
    const auto c = curve(QPointF(0, 0), QPointF(1, 3), QPointF(4, -2), QPointF(6, 1));
    const double truth = 0.37;
    const QPointF target = c->pointAtParameter(truth);
    double t = 0.45;
    for (int i = 0; i < 5; ++i)
        t = c->refineParameter(t, target);
    EXPECT_NEAR(t, truth, 1e-9);
    // A point curve has no direction: the step divides by zero and the caller must clamp.
    const auto dot = curve(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    EXPECT_TRUE(std::isnan(dot->refineParameter(0.5, QPointF(1, 1))));
}

TEST(FBBezierCurve, PathAndDescription)
{
    const auto line = FBBezierCurve::bezierCurveWithLineStartPoint(QPointF(0, 0), QPointF(3, 0));
    const platform::BezierPath path = line->bezierPath();
    ASSERT_EQ(path.elementCount(), 2);
    EXPECT_EQ(path.elementAtIndex(0), platform::BezierPathElement::MoveTo);
    QPointF p[3];
    EXPECT_EQ(path.elementAtIndex(1, p), platform::BezierPathElement::CurveTo);
    EXPECT_EQ(p[2], QPointF(3, 0));
    EXPECT_EQ(line->description(),
              "<FBBezierCurve (0.000000000000000000, 0.000000000000000000)-[1.000000000000000000, "
              "0.000000000000000000] curve to [2.000000000000000000, 0.000000000000000000]-"
              "(3.000000000000000000, 0.000000000000000000)>");
}
