// Curve intersection by clipping, checked against a dense polyline search on seeded pairs.
#include <gtest/gtest.h>

#include "pathops/FBBezierCurve.h"
#include "pathops/FBBezierIntersectRange.h"
#include "pathops/FBBezierIntersection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace {

FBBezierCurvePtr curve(QPointF a, QPointF b, QPointF c, QPointF d)
{
    return FBBezierCurve::bezierCurveWithEndPoint1(a, b, c, d);
}

FBBezierCurvePtr line(QPointF a, QPointF b)
{
    return FBBezierCurve::bezierCurveWithLineStartPoint(a, b);
}

struct OracleCrossing
{
    QPointF point;
    double t1;
    double t2;
    double angle; // between the two directions, in [0, pi/2]
};

// Every crossing of the two curves' dense polylines.
std::vector<OracleCrossing> polylineCrossings(const FBBezierCurve &a, const FBBezierCurve &b)
{
    constexpr int steps = 600;
    std::vector<QPointF> pa, pb;
    for (int i = 0; i <= steps; ++i) {
        pa.push_back(a.pointAtParameter(double(i) / steps));
        pb.push_back(b.pointAtParameter(double(i) / steps));
    }
    std::vector<OracleCrossing> crossings;
    for (int i = 0; i < steps; ++i) {
        const QPointF p = pa[i], r = pa[i + 1] - pa[i];
        for (int j = 0; j < steps; ++j) {
            const QPointF q = pb[j], s = pb[j + 1] - pb[j];
            if (std::max(p.x(), pa[i + 1].x()) < std::min(q.x(), pb[j + 1].x()) ||
                std::max(q.x(), pb[j + 1].x()) < std::min(p.x(), pa[i + 1].x()) ||
                std::max(p.y(), pa[i + 1].y()) < std::min(q.y(), pb[j + 1].y()) ||
                std::max(q.y(), pb[j + 1].y()) < std::min(p.y(), pa[i + 1].y()))
                continue;
            const double denominator = r.x() * s.y() - r.y() * s.x();
            if (denominator == 0)
                continue;
            const QPointF qp = q - p;
            const double u = (qp.x() * s.y() - qp.y() * s.x()) / denominator;
            const double v = (qp.x() * r.y() - qp.y() * r.x()) / denominator;
            if (u < 0 || u >= 1 || v < 0 || v >= 1)
                continue;
            const double cosine = std::abs(QPointF::dotProduct(r, s)) /
                                  std::sqrt(QPointF::dotProduct(r, r) * QPointF::dotProduct(s, s));
            crossings.push_back(
                {p + r * u, (i + u) / steps, (j + v) / steps, std::acos(std::min(1.0, cosine))});
        }
    }
    return crossings;
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// The polyline answer is trustworthy when every crossing is clear-cut: a wide angle, away from
// the ends and from every other crossing.
bool clearCut(const std::vector<OracleCrossing> &crossings)
{
    constexpr double minimumAngle = 15.0 * std::numbers::pi / 180.0;
    for (std::size_t i = 0; i < crossings.size(); ++i) {
        const OracleCrossing &c = crossings[i];
        if (c.angle < minimumAngle || c.t1 < 0.01 || c.t1 > 0.99 || c.t2 < 0.01 || c.t2 > 0.99)
            return false;
        for (std::size_t j = i + 1; j < crossings.size(); ++j)
            if (distance(c.point, crossings[j].point) < 2.0)
                return false;
    }
    return true;
}

quint64 testSeed()
{
    if (const char *text = std::getenv("PELKO_SEED"))
        return std::strtoull(text, nullptr, 10);
    return 20261207;
}

} // namespace

TEST(FBBezierIntersection, StraightLinesCrossingInAnX)
{
    struct Row
    {
        QPointF a1, a2, b1, b2;
        QPointF at;
        double t1, t2;
    };
    const Row rows[] = {
        {{0, 0}, {4, 4}, {0, 4}, {4, 0}, {2, 2}, 0.5, 0.5},
        {{0, 0}, {10, 0}, {2, -1}, {2, 3}, {2, 0}, 0.2, 0.25},
        {{-5, 1}, {5, 1}, {3, 9}, {3, -1}, {3, 1}, 0.8, 0.8},
    };
    for (const Row &row : rows) {
        const auto a = line(row.a1, row.a2);
        const auto b = line(row.b1, row.b2);
        auto found = a->intersectionsWithBezierCurve(b);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NEAR(found[0]->location().x(), row.at.x(), 1e-6);
        EXPECT_NEAR(found[0]->location().y(), row.at.y(), 1e-6);
        EXPECT_NEAR(found[0]->parameter1(), row.t1, 1e-6);
        EXPECT_NEAR(found[0]->parameter2(), row.t2, 1e-6);
        EXPECT_EQ(found[0]->curve1(), a);
        EXPECT_EQ(found[0]->curve2(), b);
        EXPECT_FALSE(found[0]->isTangent());
    }
}

TEST(FBBezierIntersection, CurvesThatDoNotMeet)
{
    struct Row
    {
        const char *name;
        FBBezierCurvePtr a, b;
    };
    const Row rows[] = {
        {"far apart", curve({0, 0}, {1, 2}, {2, 2}, {3, 0}),
         curve({10, 10}, {11, 12}, {12, 12}, {13, 10})},
        {"parallel lines", line({0, 0}, {10, 0}), line({0, 1}, {10, 1})},
        {"arch over a line", curve({0, 0}, {1, 2}, {2, 2}, {3, 0}), line({-1, 1.6}, {4, 1.6})},
        {"lines that would meet if longer", line({0, 0}, {1, 1}), line({3, 0}, {2, 1})},
    };
    for (const Row &row : rows) {
        FBBezierIntersectRangePtr overlap;
        EXPECT_TRUE(row.a->intersectionsWithBezierCurve(row.b, &overlap).empty()) << row.name;
        EXPECT_EQ(overlap, nullptr) << row.name;
    }
}

TEST(FBBezierIntersection, CoincidentCurvesReportTheirOverlap)
{
    const auto c = curve({0, 0}, {1, 3}, {4, 3}, {5, 0});
    struct Row
    {
        const char *name;
        FBBezierCurvePtr other;
        bool reversed;
    };
    // Control points apart by rounding (a curve drawn again, split elsewhere) still lie on each
    // other: clipping alone scatters crossings along such a pair, or finds none.
    const auto nudged = curve({0, 0}, {1 + 1e-13, 3 - 1e-13}, {4 - 1e-13, 3 + 1e-13}, {5, 0});
    const Row rows[] = {
        {"same", curve({0, 0}, {1, 3}, {4, 3}, {5, 0}), false},
        {"reversed", c->reversedCurve(), true},
        {"control points apart by rounding", nudged, false},
        {"apart by rounding, reversed", nudged->reversedCurve(), true},
    };
    for (const Row &row : rows) {
        FBBezierIntersectRangePtr overlap;
        EXPECT_TRUE(c->intersectionsWithBezierCurve(row.other, &overlap).empty()) << row.name;
        ASSERT_NE(overlap, nullptr) << row.name;
        EXPECT_EQ(overlap->reversed(), row.reversed) << row.name;
        EXPECT_EQ(overlap->curve1(), c);
        EXPECT_EQ(overlap->curve2(), row.other);
        EXPECT_TRUE(overlap->isAtStartOfCurve1()) << row.name;
        EXPECT_TRUE(overlap->isAtStopOfCurve1()) << row.name;
        EXPECT_EQ(overlap->curve1LeftBezier(), nullptr) << row.name;
        const auto middle = overlap->middleIntersection();
        EXPECT_NEAR(middle->parameter1(), 0.5, 1e-6);
        EXPECT_LT(distance(middle->location(), c->pointAtParameter(0.5)), 1e-9);
    }
}

// Curves running within the stretch tolerance of each other but apart by more than rounding
// bound a sliver: they are two outlines, which cross exactly where they change sides, and share
// no stretch. Taken for one outline, the sliver between them was lost in the union and the
// intersection and kept in the exclusive or.
TEST(FBBezierIntersection, CurvesAHairApartCrossWhereTheyChangeSides)
{
    const auto c = curve({0, 0}, {1, 3}, {4, 3}, {5, 0});
    struct Row
    {
        const char *name;
        FBBezierCurvePtr other;
        // Where on c they cross; none when they never change sides.
        std::vector<double> crossings;
    };
    // Control points a thousandth apart, one raised and one lowered: the second curve passes
    // from one side of c to the other at their middle.
    const auto crossing = curve({0, 0}, {1, 3.001}, {4, 2.999}, {5, 0});
    // Raised half a thousandth all along: no crossing.
    const auto raised = curve({0, 5e-4}, {1, 3.0005}, {4, 3.0005}, {5, 5e-4});
    const Row rows[] = {
        {"control points a thousandth apart", crossing, {0.5}},
        {"the same, reversed", crossing->reversedCurve(), {0.5}},
        {"a copy half a thousandth above", raised, {}},
    };
    for (const Row &row : rows) {
        FBBezierIntersectRangePtr overlap;
        const auto found = c->intersectionsWithBezierCurve(row.other, &overlap);
        EXPECT_EQ(overlap, nullptr) << row.name;
        ASSERT_EQ(found.size(), row.crossings.size()) << row.name;
        for (size_t k = 0; k < found.size(); ++k) {
            EXPECT_NEAR(found[k]->parameter1(), row.crossings[k], 1e-9) << row.name;
            EXPECT_LT(
                distance(found[k]->location(), row.other->pointAtParameter(found[k]->parameter2())),
                1e-9)
                << row.name;
        }
    }
}

TEST(FBBezierIntersection, NearlyCoincidentCurvesWithJointsElsewhereShareAStretch)
{
    // Two pieces of one curve, overlapping over its middle fifth, the second drawn again with
    // its control points a ten-thousandth off: the shared stretch runs from where the second
    // starts on the first to where the first ends on the second.
    const auto whole = curve({0, 0}, {10, 30}, {40, 30}, {50, 0});
    const auto first = whole->subcurveWithRange(FBGeom_MakeRange(0.0, 0.6));
    const auto exact = whole->subcurveWithRange(FBGeom_MakeRange(0.4, 1.0));
    const auto second = curve(exact->endPoint1(), exact->controlPoint1() + QPointF(1e-4, -1e-4),
                              exact->controlPoint2() + QPointF(-1e-4, 1e-4), exact->endPoint2());
    struct Row
    {
        const char *name;
        FBBezierCurvePtr other;
        FBRange range2;
        bool reversed;
    };
    const Row rows[] = {
        {"same way", second, FBGeom_MakeRange(0.0, 1.0 / 3), false},
        {"reversed", second->reversedCurve(), FBGeom_MakeRange(2.0 / 3, 1.0), true},
    };
    for (const Row &row : rows) {
        FBBezierIntersectRangePtr overlap;
        EXPECT_TRUE(first->intersectionsWithBezierCurve(row.other, &overlap).empty()) << row.name;
        ASSERT_NE(overlap, nullptr) << row.name;
        EXPECT_EQ(overlap->reversed(), row.reversed) << row.name;
        EXPECT_NEAR(overlap->parameterRange1().minimum, 2.0 / 3, 1e-3) << row.name;
        EXPECT_EQ(overlap->parameterRange1().maximum, 1.0) << row.name;
        EXPECT_NEAR(overlap->parameterRange2().minimum, row.range2.minimum, 1e-3) << row.name;
        EXPECT_NEAR(overlap->parameterRange2().maximum, row.range2.maximum, 1e-3) << row.name;
    }
    // A tenth apart is no stretch: those curves cross where they cross.
    const auto apart = curve(exact->endPoint1(), exact->controlPoint1() + QPointF(0, 0.1),
                             exact->controlPoint2() + QPointF(0, 0.1), exact->endPoint2());
    FBBezierIntersectRangePtr overlap;
    first->intersectionsWithBezierCurve(apart, &overlap);
    EXPECT_EQ(overlap, nullptr);
}

TEST(FBBezierIntersection, EndPointAndTangentPredicates)
{
    const auto arch = curve({0, 0}, {1, 2}, {2, 2}, {3, 0});
    const auto top = line({0, 1.5}, {3, 1.5});
    // Through both of the arch's end points, at 0.2 and 0.8 of its length.
    const auto base = line({-1, 0}, {4, 0});
    // Across the arch 2.4e-5 from its start, within the parameter tolerance of it; the arch's
    // start lies beside this line, not on it.
    const double nearStart = 8e-6;
    const double x = arch->pointAtParameter(nearStart).x();
    const auto beside = line({x, -1}, {x, 1});
    // Ends on the arch's top; starts where the arch ends.
    const auto drop = line({1.5, 3}, {1.5, 1.5});
    const auto tail = line({3, 0}, {5, 1});
    struct Row
    {
        FBBezierCurvePtr other;
        double t1, t2;
        bool atStart1, atStop1, atStart2, atStop2;
    };
    const Row rows[] = {
        {base, 0.000005, 0.2, true, false, false, false},
        {base, 0.00002, 0.2, false, false, false, false},
        {base, 0.999995, 0.8, false, true, false, false},
        {drop, 0.5, 1.0, false, false, false, true},
        // The tail starts where the arch ends, so both lie at that end, though the arch's
        // parameter was left short of it.
        {tail, 0.9997, 0.0, false, true, true, false},
        {top, 0.5, 0.5, false, false, false, false},
        {beside, nearStart, 0.5, false, false, false, false},
    };
    for (const Row &row : rows) {
        FBBezierIntersection crossing(arch, row.t1, row.other, row.t2);
        EXPECT_EQ(crossing.isAtStartOfCurve1(), row.atStart1) << row.t1;
        EXPECT_EQ(crossing.isAtStopOfCurve1(), row.atStop1) << row.t1;
        EXPECT_EQ(crossing.isAtStartOfCurve2(), row.atStart2) << row.t2;
        EXPECT_EQ(crossing.isAtStopOfCurve2(), row.atStop2) << row.t2;
        EXPECT_EQ(crossing.isAtEndPointOfCurve(),
                  row.atStart1 || row.atStop1 || row.atStart2 || row.atStop2);
    }
    // Touching at an end is never tangent; along the middle it is.
    EXPECT_FALSE(FBBezierIntersection(arch, 0.5, drop, 1.0).isTangent());
    EXPECT_TRUE(FBBezierIntersection(arch, 0.5, top, 0.5).isTangent());
    // The meeting point is the end point the intersection lies at, else the point on curve 1.
    EXPECT_EQ(FBBezierIntersection(arch, 0.000005, base, 0.2).meetingPoint(), QPointF(0, 0));
    EXPECT_EQ(FBBezierIntersection(arch, 0.5, drop, 1.0).meetingPoint(), QPointF(1.5, 1.5));
    // On a very short piece a point a hair from the end is at it, whatever its parameter.
    const auto shortPiece = line({0, 1e-4}, {0, 0});
    EXPECT_TRUE(FBBezierIntersection(shortPiece, 1 - 5e-5, base, 0.2).isAtStopOfCurve1());
    EXPECT_FALSE(FBBezierIntersection(shortPiece, 1 - 5e-5, base, 0.2).isAtStartOfCurve1());
    EXPECT_FALSE(FBBezierIntersection(shortPiece, 1 - 5e-3, base, 0.2).isAtStopOfCurve1());
    EXPECT_EQ(FBBezierIntersection(arch, nearStart, beside, 0.5).meetingPoint(),
              arch->pointAtParameter(nearStart));
    // A horizontal or vertical edge keeps its line through the meeting point, even where the
    // point found on the arch lies a little off it.
    const auto level = line({0, 1}, {3, 1});
    const QPointF onArch = arch->pointAtParameter(0.21132);
    const QPointF met = FBBezierIntersection(arch, 0.21132, level, onArch.x() / 3).meetingPoint();
    EXPECT_NE(onArch.y(), 1.0);
    EXPECT_EQ(met.y(), 1.0);
    EXPECT_EQ(met.x(), onArch.x());
    const QPointF corner = FBBezierIntersection(beside, 0.5, base, 0.2).meetingPoint();
    EXPECT_EQ(corner.x(), x);
    EXPECT_EQ(corner.y(), 0.0);
    FBBezierIntersection crossing(arch, 0.5, top, 0.5);
    EXPECT_LT(distance(crossing.location(), QPointF(1.5, 1.5)), 1e-12);
    EXPECT_LT(distance(crossing.curve1LeftBezier()->endPoint2(), QPointF(1.5, 1.5)), 1e-12);
    EXPECT_LT(distance(crossing.curve2RightBezier()->endPoint1(), QPointF(1.5, 1.5)), 1e-12);
    EXPECT_TRUE(crossing.description().endsWith("isTangent = yes>"));
}

TEST(FBBezierIntersection, AgreesWithDensePolylinesOnSeededPairs)
{
    const quint64 seed = testSeed();
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    const auto randomPoint = [&] { return QPointF(coordinate(random), coordinate(random)); };
    int clearCutPairs = 0;
    int crossingsChecked = 0;
    for (int pair = 0; pair < 150; ++pair) {
        const auto a = curve(randomPoint(), randomPoint(), randomPoint(), randomPoint());
        const auto b = pair % 5 == 0
                           ? line(randomPoint(), randomPoint())
                           : curve(randomPoint(), randomPoint(), randomPoint(), randomPoint());
        const std::string shapes = "seed " + std::to_string(seed) + " pair " +
                                   std::to_string(pair) + "\n" + a->description().toStdString() +
                                   "\n" + b->description().toStdString();

        const auto found = a->intersectionsWithBezierCurve(b);
        // Whatever the pair, an answered crossing is a point of both curves.
        for (const auto &crossing : found) {
            const QPointF onA = a->pointAtParameter(crossing->parameter1());
            const QPointF onB = b->pointAtParameter(crossing->parameter2());
            EXPECT_LT(distance(onA, onB), 1e-3) << shapes;
            EXPECT_GE(crossing->parameter1(), 0.0) << shapes;
            EXPECT_LE(crossing->parameter1(), 1.0) << shapes;
            EXPECT_GE(crossing->parameter2(), 0.0) << shapes;
            EXPECT_LE(crossing->parameter2(), 1.0) << shapes;
        }

        const auto expected = polylineCrossings(*a, *b);
        if (!clearCut(expected))
            continue;
        ++clearCutPairs;
        for (const OracleCrossing &crossing : expected) {
            ++crossingsChecked;
            bool matched = false;
            for (const auto &f : found)
                matched = matched || distance(f->location(), crossing.point) < 0.05;
            EXPECT_TRUE(matched) << "missed (" << crossing.point.x() << ", " << crossing.point.y()
                                 << ")\n"
                                 << shapes;
        }
        for (const auto &f : found) {
            bool matched = false;
            for (const OracleCrossing &crossing : expected)
                matched = matched || distance(f->location(), crossing.point) < 0.05;
            EXPECT_TRUE(matched) << "extra (" << f->location().x() << ", " << f->location().y()
                                 << ")\n"
                                 << shapes;
        }
    }
    // The sample must really exercise crossings, not only disjoint pairs.
    EXPECT_GT(clearCutPairs, 40);
    EXPECT_GT(crossingsChecked, 40);
}

TEST(FBBezierIntersection, SeveralCrossingsOfOnePair)
{
    // A wave through a line crosses it three times; a loop and a line cross twice.
    struct Row
    {
        const char *name;
        FBBezierCurvePtr a, b;
        std::vector<QPointF> points;
    };
    const Row rows[] = {
        {"wave",
         curve({0, 0}, {1, 6}, {2, -6}, {3, 0}),
         line({-1, 0}, {4, 0}),
         {{0, 0}, {1.5, 0}, {3, 0}}},
        {"arch", curve({0, 0}, {1, 2}, {2, 2}, {3, 0}), line({-1, 1}, {4, 1}), {}},
    };
    for (const Row &row : rows) {
        const auto found = row.a->intersectionsWithBezierCurve(row.b);
        const auto expected = polylineCrossings(*row.a, *row.b);
        ASSERT_FALSE(expected.empty()) << row.name;
        for (const OracleCrossing &crossing : expected) {
            bool matched = false;
            for (const auto &f : found)
                matched = matched || distance(f->location(), crossing.point) < 1e-3;
            EXPECT_TRUE(matched) << row.name << " " << crossing.point.x();
        }
        for (const QPointF &p : row.points) {
            bool matched = false;
            for (const auto &f : found)
                matched = matched || distance(f->location(), p) < 1e-6;
            EXPECT_TRUE(matched) << row.name << " " << p.x();
        }
    }
}

TEST(FBBezierIntersection, DegenerateCurvesEndWithSoundAnswers)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const auto other = curve({0, 3}, {1, -1}, {2, 4}, {3, 0});
    struct Row
    {
        const char *name;
        FBBezierCurvePtr c;
        bool finite;
    };
    const Row rows[] = {
        {"NaN", curve({nan, 0}, {1, 1}, {2, 2}, {3, 3}), false},
        {"infinite control point", curve({0, 0}, {inf, 1}, {2, 2}, {3, 3}), false},
        {"infinite ends", curve({-inf, -inf}, {1, 1}, {2, 2}, {inf, inf}), false},
        {"single point on the other", curve({0, 3}, {0, 3}, {0, 3}, {0, 3}), true},
        {"single point off the other", curve({1, 1}, {1, 1}, {1, 1}, {1, 1}), true},
        {"zero-length line", line({1.5, 1.5}, {1.5, 1.5}), true},
        {"huge", curve({1e6, 1e6}, {-1e6, 3e5}, {2e6, -1e6}, {0, 0}), true},
        {"tiny", curve({0, 0}, {1e-9, 1e-9}, {2e-9, 0}, {3e-9, 1e-9}), true},
        {"control point on its end", curve({0, 0}, {0, 0}, {3, 3}, {3, 0}), true},
    };
    for (const Row &row : rows) {
        const std::vector<std::vector<FBBezierIntersectionPtr>> answers = {
            row.c->intersectionsWithBezierCurve(other),
            other->intersectionsWithBezierCurve(row.c),
            row.c->intersectionsWithBezierCurve(row.c),
        };
        for (const auto &found : answers) {
            if (!row.finite) {
                EXPECT_TRUE(found.empty()) << row.name;
                continue;
            }
            for (const auto &f : found) {
                const QPointF on1 = f->curve1()->pointAtParameter(f->parameter1());
                const QPointF on2 = f->curve2()->pointAtParameter(f->parameter2());
                EXPECT_LT(distance(on1, on2), 1e-3) << row.name;
            }
        }
    }
}

TEST(FBBezierIntersection, FatLinesAndClipping)
{
    const auto arch = curve({0, 0}, {1, 2}, {2, 2}, {3, 0});
    FBRange regular;
    const FBNormalizedLine regularLine = arch->regularFatLineBounds(&regular);
    EXPECT_NEAR(FBGeom_DistanceFromPointToLine(QPointF(7, 1.25), regularLine), 1.25, 1e-12);
    EXPECT_NEAR(regular.minimum, 0.0, 1e-12);
    EXPECT_NEAR(regular.maximum, 2.0, 1e-12);
    FBRange across;
    const FBNormalizedLine perpendicular = arch->perpendicularFatLineBounds(&across);
    EXPECT_NEAR(std::abs(FBGeom_DistanceFromPointToLine(QPointF(1.5, 9), perpendicular)), 0.0,
                1e-12);
    EXPECT_NEAR(across.minimum, -1.5, 1e-12);
    EXPECT_NEAR(across.maximum, 1.5, 1e-12);

    struct Row
    {
        const char *name;
        FBBezierCurvePtr c;
        FBRange expected;
    };
    const Row rows[] = {
        {"through the strip", line({1.5, -1}, {1.5, 3}), {0.25, 0.75}},
        {"downwards", line({1.5, 3}, {1.5, -1}), {0.25, 0.75}},
        {"inside", line({0, 0.5}, {3, 1.5}), {0, 1}},
        {"above", line({0, 5}, {3, 6}), {1, 0}},
        {"lying on its edge", line({0, 0}, {3, 0}), {0, 1}},
        {"ending on its edge", line({1.5, -2}, {1.5, 0}), {1, 1}},
    };
    for (const Row &row : rows) {
        const FBRange clipped = row.c->clipWithFatLine(regularLine, regular);
        EXPECT_NEAR(clipped.minimum, row.expected.minimum, 1e-9) << row.name;
        EXPECT_NEAR(clipped.maximum, row.expected.maximum, 1e-9) << row.name;
    }

    // One clipping step cuts the piece out of the whole curve and maps its range there.
    const auto vertical = line({1.5, -1}, {1.5, 3});
    FBRange range = FBGeom_MakeRange(0, 1);
    bool intersects = false;
    const auto piece = vertical->bezierClipWithBezierCurve(arch, vertical, &range, &intersects);
    EXPECT_TRUE(intersects);
    EXPECT_NEAR(range.minimum, 0.25, 1e-9);
    EXPECT_NEAR(range.maximum, 0.75, 1e-9);
    EXPECT_LT(distance(piece->endPoint1(), QPointF(1.5, 0)), 1e-9);
    EXPECT_LT(distance(piece->endPoint2(), QPointF(1.5, 2)), 1e-9);
    const auto far = line({10, 10}, {12, 12});
    range = FBGeom_MakeRange(0.2, 0.4);
    EXPECT_EQ(far->bezierClipWithBezierCurve(arch, far, &range, &intersects), far);
    EXPECT_FALSE(intersects);
    EXPECT_EQ(range.minimum, 0.2);
    EXPECT_EQ(range.maximum, 0.4);
}

TEST(FBBezierIntersection, NearlyCoincidentCurvesAnswerOnlyRealCrossings)
{
    // Strips of nearly equal curves overlap almost wholly, so clipping gains little and the
    // search halves deep; it must still answer only where the curves really meet.
    const auto arch = curve({0, 0}, {1, 2}, {2, 2}, {3, 0});
    for (double d : {0.002, 0.01, 0.05}) {
        struct Row
        {
            const char *name;
            FBBezierCurvePtr other;
            int distinctCrossings;
        };
        const Row rows[] = {
            {"lifted", curve({0, d}, {1, 2 + d}, {2, 2 + d}, {3, d}), 0},
            {"taller, same ends", curve({0, 0}, {1, 2 + d}, {2, 2 + d}, {3, 0}), 2},
            {"shifted sideways", curve({d, 0}, {1 + d, 2}, {2 + d, 2}, {3 + d, 0}), 1},
            {"chord just above the ends", line({0, d}, {3, d}), 2},
        };
        for (const Row &row : rows) {
            const auto found = arch->intersectionsWithBezierCurve(row.other);
            std::vector<QPointF> distinct;
            for (const auto &f : found) {
                const QPointF onOther = row.other->pointAtParameter(f->parameter2());
                EXPECT_LT(distance(f->location(), onOther), 1e-6) << row.name << " " << d;
                bool known = false;
                for (const QPointF &p : distinct)
                    known = known || distance(p, f->location()) < 1e-6;
                if (!known)
                    distinct.push_back(f->location());
            }
            EXPECT_EQ(int(distinct.size()), row.distinctCrossings) << row.name << " " << d;
        }
    }
}

TEST(FBBezierIntersection, StraightLinesOnOneLine)
{
    struct Row
    {
        const char *name;
        FBBezierCurvePtr a;
        FBBezierCurvePtr b;
        size_t crossings;
        bool overlap;
        FBRange range1;
        FBRange range2;
        bool reversed;
    };
    const Row rows[] = {
        // A short shared stretch near one end made clipping stall on a point.
        {"short shared stretch",
         line({7, 9}, {7, 14}),
         line({7, 7}, {7, 10}),
         0,
         true,
         {0, 0.2},
         {2.0 / 3, 1},
         false},
        {"short stretch, reversed",
         line({7, 9}, {7, 14}),
         line({7, 10}, {7, 7}),
         0,
         true,
         {0, 0.2},
         {0, 1.0 / 3},
         true},
        {"one inside the other",
         line({0, 0}, {5, 0}),
         line({2, 0}, {3, 0}),
         0,
         true,
         {0.4, 0.6},
         {0, 1},
         false},
        {"end to end", line({0, 0}, {5, 0}), line({5, 0}, {7, 0}), 1, false, {}, {}, false},
        {"apart on one line", line({0, 0}, {5, 0}), line({6, 0}, {7, 0}), 0, false, {}, {}, false},
        // Joints a hair apart: a sliver within the reach of the first line's end, by which the
        // stretch beside it already reaches that end, is where the lines meet.
        {"joints a hair apart, past the end",
         line({0, 0}, {5, 0}),
         line({4.99998, 0}, {7, 0}),
         1,
         false,
         {},
         {},
         false},
        {"joints a hair apart, before the start",
         line({0, 0}, {5, 0}),
         line({-2, 0}, {0.00002, 0}),
         1,
         false,
         {},
         {},
         false},
        {"joints farther apart share a stretch",
         line({0, 0}, {5, 0}),
         line({4.9999, 0}, {7, 0}),
         0,
         true,
         {4.9999 / 5, 1},
         {0, 0.0001 / 2.0001},
         false},
    };
    for (const Row &row : rows) {
        FBBezierIntersectRangePtr overlap;
        const auto crossings = row.a->intersectionsWithBezierCurve(row.b, &overlap);
        EXPECT_EQ(crossings.size(), row.crossings) << row.name;
        ASSERT_EQ(bool(overlap), row.overlap) << row.name;
        if (!overlap)
            continue;
        EXPECT_NEAR(overlap->parameterRange1().minimum, row.range1.minimum, 1e-12) << row.name;
        EXPECT_NEAR(overlap->parameterRange1().maximum, row.range1.maximum, 1e-12) << row.name;
        EXPECT_NEAR(overlap->parameterRange2().minimum, row.range2.minimum, 1e-12) << row.name;
        EXPECT_NEAR(overlap->parameterRange2().maximum, row.range2.maximum, 1e-12) << row.name;
        EXPECT_EQ(overlap->reversed(), row.reversed) << row.name;
    }
}

TEST(FBBezierIntersection, RayStartingInsideACurvesBoxFindsNoPhantom)
{
    // The quarter of a circle of radius 6 about (6, 3) from (12, 3) to (6, 9); the ray from
    // (8, 7) to the left never reaches it, though clipping shrinks both ranges to points.
    const platform::BezierPath circle =
        platform::BezierPath::bezierPathWithOvalInRect(QRectF(0, -3, 12, 12));
    const FBBezierCurvePtr quarter = FBBezierCurve::bezierCurvesFromBezierPath(circle).front();
    EXPECT_TRUE(line({8, 7}, {-10, 7})->intersectionsWithBezierCurve(quarter).empty());
    EXPECT_EQ(line({12, 7}, {-10, 7})->intersectionsWithBezierCurve(quarter).size(), 1u);
}

TEST(FBBezierIntersection, LineThroughACurveWithControlPointsOnItsEnds)
{
    // The line is cut down to the point at its parameter 0.4 while the curve's range is still
    // wide; the point range must count as found (its two ends may differ in the last bit).
    const FBBezierCurvePtr side = curve({10, 0}, {10, 0}, {10, 10}, {10, 10});
    const auto found = side->intersectionsWithBezierCurve(line({14, 4}, {4, 4}));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0]->location().x(), 10, 1e-6);
    EXPECT_NEAR(found[0]->location().y(), 4, 1e-6);
    EXPECT_NEAR(found[0]->parameter2(), 0.4, 1e-9);
}

TEST(FBBezierIntersection, RayCrossingALineDrawnAsACubicNearItsEndIsFoundEitherWay)
{
    // A side of a letter grown by a thousandth, written as a cubic whose control points lie on
    // its ends, and a ray across it near its end: once the ray's range had shrunk to a point, the
    // side's was refined toward it by three Newton steps, which on a curve starting with no speed
    // stopped short by more than the search accepts, and the crossing was lost in that order.
    const FBBezierCurvePtr side =
        curve({50.171164228910101, -67.079125000000005}, {50.171164228910101, -67.079125000000005},
              {31.234401098534999, -12.674991980225993}, {31.234401098534999, -12.674991980225993});
    const FBBezierCurvePtr ray = line({31.7421875, -77.0791}, {31.7421875, 10.001});
    for (const auto &[first, second] : {std::pair{ray, side}, std::pair{side, ray}}) {
        const auto found = first->intersectionsWithBezierCurve(second);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NEAR(found[0]->location().x(), 31.7421875, 1e-6);
        EXPECT_NEAR(found[0]->location().y(), -14.13389, 1e-4);
    }
}

TEST(FBBezierIntersection, LineCrossingNearACurvesStartIsFound)
{
    // A quarter circle of radius 5.33 from its lowest point, and a line passing 0.03 under that
    // point: they cross at the curve's parameter 0.0102. The clip of the line against the
    // curve's last tiny piece once failed by rounding, and the crossing was lost in both orders.
    const FBBezierCurvePtr quarter =
        curve({13.540961908346075, 6.7767307179440799}, {16.486843355127448, 6.7767307179440799},
              {18.874952114818225, 9.164839477634855}, {18.874952114818225, 12.110720924416229});
    const FBBezierCurvePtr chord =
        line({16.786188216039804, 7.9085821367772997}, {12.948699360849758, 6.5329261133958303});
    for (const auto &[first, second] : {std::pair{quarter, chord}, std::pair{chord, quarter}}) {
        const auto found = first->intersectionsWithBezierCurve(second);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NEAR(found[0]->location().x(), 13.63088, 1e-4);
        EXPECT_NEAR(found[0]->location().y(), 6.77747, 1e-4);
    }
}

TEST(FBBezierIntersection, CrossingShavedOffByAClipIsKept)
{
    // The search closes in on a crossing from one side, and the next clip shaves it off by
    // rounding. Both orders find every crossing, once each.
    struct Row
    {
        const char *name;
        FBBezierCurvePtr a;
        FBBezierCurvePtr b;
        size_t crossings;
    };
    const Row rows[] = {
        // A quarter circle of radius 4.96 from its rightmost point, and a nearly upright line
        // that cuts it twice, 0.13 and 1.16 above that point: only the upper one was answered.
        {"a line cutting a quarter circle twice",
         curve({17.279436055889295, 9.8547745920255814}, {17.279436055889295, 12.592424878929204},
               {15.06013200403493, 14.81172893078357}, {12.322481717131307, 14.81172893078357}),
         line({17.446995973239648, 8.677091975126487}, {16.980055770604004, 12.264266353206013}),
         2},
        // A line passing 2.7e-4 beside the tip of a curve's end, crossing it 8e-4 from there at
        // 20 degrees, and twice more farther on. The clip that shaved the crossing at the tip
        // kept the ranges open for the one next to it; the search split them, and the half with
        // the shaved crossing at its corner missed at its first clip, in one order only.
        {"a line passing a hair beside a curve's end, crossing it there and twice more",
         curve({-0.079452351888647854, 10.317175962272387},
               {-18.755911578145881, 3.7899959202411253}, {-15.858086049921678, 29.968806123545356},
               {-20.4775277926278, 35.760247748229801}),
         line({-20.842101781158672, 36.830286047421893}, {-9.4431583890280599, 3.4001729740774369}),
         3},
    };
    for (const Row &row : rows) {
        const auto expected = polylineCrossings(*row.b, *row.a);
        ASSERT_EQ(expected.size(), row.crossings) << row.name;
        for (const auto &[first, second] : {std::pair{row.a, row.b}, std::pair{row.b, row.a}}) {
            const auto found = first->intersectionsWithBezierCurve(second);
            ASSERT_EQ(found.size(), row.crossings) << row.name;
            for (const OracleCrossing &crossing : expected) {
                const auto matches = std::count_if(found.begin(), found.end(), [&](const auto &f) {
                    return distance(f->location(), crossing.point) < 1e-4;
                });
                EXPECT_EQ(matches, 1)
                    << row.name << ": " << crossing.point.x() << ", " << crossing.point.y();
            }
        }
    }
}

TEST(FBBezierIntersection, ShallowCrossingOfCurvesAHairApartIsFoundOnce)
{
    // Arcs of a circle and of its copy moved by about a ten-thousandth of its size cross once, at
    // a sine under 1e-3, and run within the search's point threshold of each other for a long way
    // on both sides of the crossing.
    struct Row
    {
        const char *name;
        FBBezierCurvePtr a;
        FBBezierCurvePtr b;
    };
    const Row rows[] = {
        // The clip shaved the crossing off with the ranges' corners still far apart along the
        // curves, in one order only.
        {"shaved off in one order",
         curve({9.4867143928450073, 9.7372983803424464}, {9.4867143928450073, 11.750941696914447},
               {11.119136028932246, 13.383719953260337}, {13.132644378418293, 13.384298226691685}),
         curve({9.4856446969140222, 9.7372986103202486}, {9.4860792888298722, 11.750929143803853},
               {11.118912653401241, 13.3834945007891}, {13.13264461014124, 13.3834945007891})},
        // A range converging past the crossing answered a second one there, the curves' points
        // a hundred thousandth apart, in one order only.
        {"echoed past the crossing",
         curve({1.75, 10.5}, {1.75, 11.949428231541718}, {2.9247350036206319, 13.124482401630006},
               {4.3740423296470272, 13.124999829050001}),
         curve({1.7490427811728375, 10.500000310462477}, {1.7495128598904874, 11.949347925556257},
               {2.924585187766787, 13.124130295461486}, {4.3740426400850518, 13.124130295461486})},
    };
    for (const Row &row : rows) {
        std::vector<QPointF> places;
        for (const auto &[first, second] : {std::pair{row.a, row.b}, std::pair{row.b, row.a}}) {
            const auto found = first->intersectionsWithBezierCurve(second);
            ASSERT_EQ(found.size(), 1u) << row.name;
            const QPointF onFirst = first->pointAtParameter(found[0]->parameter1());
            const QPointF onSecond = second->pointAtParameter(found[0]->parameter2());
            EXPECT_LT(distance(onFirst, onSecond), 1e-6) << row.name;
            places.push_back(onFirst);
        }
        EXPECT_LT(distance(places[0], places[1]), 1e-6) << row.name;
    }
}

TEST(FBBezierIntersection, LongCurveAcrossASpeckIsFoundInBothOrders)
{
    // A side or an arc of a shape a few units across and a curve of a speck a hundred million
    // times smaller lying across it. Clipping cuts the long curve down to a piece a few dozen
    // units of its last digit long while the speck's range is still wide, and the clips that
    // follow run at the rounding of that piece. Each crossing is answered once in either order,
    // where both curves pass within a thousandth of the speck's size of each other.
    struct Row
    {
        const char *name;
        FBBezierCurvePtr longCurve;
        FBBezierCurvePtr speck;
        size_t crossings;
    };
    const Row rows[] = {
        // The speck's piece shrank to a point while its range still spanned more than six
        // places, and the arc's range, left wide, was never refined toward it.
        {"an arc across a speck's upright side",
         curve({17.984278342809709, 12.846664878692657}, {17.984278342809709, 16.936925980733395},
               {14.668466575205045, 20.25273774833806}, {10.578205473164306, 20.25273774833806}),
         line({13.833072534941913, 19.501023262164189}, {13.833072534941913, 19.501023253549462}),
         1},
        // The side's range closed in first, to a piece 1e-13 long; the clip of the speck's arc
        // against it shaved the crossing off by rounding, with no corner of the ranges near it.
        {"a level side across the end of a speck's bowl",
         line({8.9826654408536228, 7.7287141789976159}, {3.1450963230277105, 7.7287141789976159}),
         curve({8.8677138607090153, 7.728714175855246}, {8.8677138626325576, 7.728714175855246},
               {8.867713864191801, 7.7287141772945471}, {8.867713864191801, 7.7287141790701241}),
         1},
        // Both crossings of the arc across a speck's quarter circle lay in one range of each,
        // closed in from outside; the halves' first clips shaved each off at their outer corner.
        {"an arc across a speck's quarter circle twice",
         curve({4, 2}, {2.8954305003384126, 2}, {2, 2.8954305003384126}, {2, 4}),
         curve({2.5599368560308573, 2.6121143631796451}, {2.5599365899514392, 2.6121143631796451},
               {2.5599363742514525, 2.6121145788796318}, {2.5599363742514525, 2.6121148449590499}),
         2},
        // The same, the clips closing in on both crossings from outside stalling with the arc's
        // range still a ten-thousandth of the speck's size past the second: the speck's half
        // ended on that crossing, and its first clip against the arc's piece shaved it off at a
        // corner no nearer than that, so it was lost where the arc came first.
        {"an arc across a speck's quarter circle twice, closed in on from farther out",
         curve({2.9137200949344191, 12.61855642880067}, {2.9137200949344191, 9.7963724579914402},
               {5.2015522375048846, 7.5085403154209747}, {8.0237362083141139, 7.5085403154209747}),
         curve({3.970860529706365, 9.5058281998011402}, {3.9708605013999816, 9.5058281998011402},
               {3.9708604784463066, 9.5058282227548148}, {3.9708604784463066, 9.5058282510611978}),
         2},
        {"an arc across a speck's quarter circle twice, once a hundredth of it from its end",
         curve({9, 6.5}, {9, 4.4979677818633732}, {7.3770322181366268, 2.875}, {5.375, 2.875}),
         curve({7.564860670701429, 3.6109563969731755}, {7.564860670701429, 3.6109563733275678},
               {7.56486065152595, 3.6109563541520879}, {7.5648606278803419, 3.6109563541520879}),
         2},
        // A ray ten units long from inside a speck's circle, across its quarter: the ray's
        // distances from the quarter's strip, magnified to the speck's scale, run to millions, and
        // the hull of its points, read as bent by their rounding, lost the ray's start.
        {"a long ray from inside a speck's circle across its quarter",
         line({1, 1.0125293032096667}, {1, 1.0125286408363054 - 10}),
         curve({0.99999980404500355, 1.0125286408363054}, {1.0000001698637095, 1.0125286408363054},
               {1.0000004664183648, 1.0125289373909607}, {1.0000004664183648, 1.0125293032096667}),
         1},
        // A circle's arc into its joint, across a speck's side centred on that joint: the
        // crossing lies six ten-billionths of the arc from its end, half the speck from the
        // joint. The first round's second clip shaved it off at a corner of the ranges, and the
        // end margin by the arc's parameter took it for the joint's.
        {"an arc into its joint across a speck's side centred there",
         curve({8.023736208314114, 17.72865642880067}, {5.201505908203776, 17.72865642880067},
               {2.913636208314114, 15.440786728911007}, {2.913636208314114, 12.61855642880067}),
         line({2.9136362108141136, 12.61855643380067}, {2.9136362058141136, 12.61855643380067}), 1},
        // An arc across a speck's rounded corner three thousandths of the corner from its joint
        // with a side (far-apart seed 77439): the clips stopped with the speck's range that
        // short but the arc's still a quarter of the speck long, and the middles of the two
        // ranges, that far apart, were taken for curves that do not meet.
        {"an arc across a speck's rounded corner a hair from its joint",
         curve({12.647702853486809, 7.9798628929715552}, {14.826702853486809, 7.9798628929715552},
               {16.593702853486811, 9.7468628929715546}, {16.593702853486811, 11.925862892971555}),
         curve({15.45940410901146, 9.1574811969979439}, {15.45940410901146, 9.1574812016904445},
               {15.459404105207671, 9.1574812054942338}, {15.459404100515171, 9.1574812054942338}),
         1},
    };
    for (const Row &row : rows) {
        const QRectF box = row.speck->bounds();
        const double speckSize = std::max(box.width(), box.height());
        for (const bool longFirst : {true, false}) {
            const FBBezierCurvePtr &first = longFirst ? row.longCurve : row.speck;
            const FBBezierCurvePtr &second = longFirst ? row.speck : row.longCurve;
            const auto found = first->intersectionsWithBezierCurve(second);
            ASSERT_EQ(found.size(), row.crossings)
                << row.name << (longFirst ? "" : ", speck first");
            for (const auto &hit : found) {
                const QPointF onFirst = first->pointAtParameter(hit->parameter1());
                const QPointF onSecond = second->pointAtParameter(hit->parameter2());
                EXPECT_LT(distance(onFirst, onSecond), 1e-3 * speckSize) << row.name;
            }
            if (found.size() == 2) {
                EXPECT_GT(distance(found[0]->location(), found[1]->location()), 0.01 * speckSize)
                    << row.name;
            }
        }
    }
}
