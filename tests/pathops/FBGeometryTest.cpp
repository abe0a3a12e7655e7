// Geometry primitives of the curve engine: angles, tangents, ranges, closeness, lines.
#include <gtest/gtest.h>

#include "pathops/FBGeometry.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

} // namespace

TEST(FBGeometry, PolarAngleCoversEveryQuadrantAndTheAxes)
{
    struct Row
    {
        QPointF v;
        double angle;
    };
    const Row rows[] = {
        {{0, 1}, Pi / 2}, {{0, 0}, 0.0},         {{0, -1}, 3 * Pi / 2},
        {{-1, 0}, Pi},    {{1, -1}, 7 * Pi / 4}, {{1, 0}, 0.0},
        {{1, 1}, Pi / 4}, {{-1, 1}, 3 * Pi / 4}, {{-1, -1}, 5 * Pi / 4},
    };
    for (const Row &row : rows) {
        const double angle = FBGeom_PolarAngle(row.v);
        EXPECT_NEAR(angle, row.angle, 1e-12) << row.v.x() << ", " << row.v.y();
        EXPECT_GE(angle, 0.0);
        EXPECT_LT(angle, 2 * Pi);
    }
}

TEST(FBGeometry, NormalizeAngleEndsInRangeAndNeverLoopsForEver)
{
    EXPECT_NEAR(FBGeom_NormalizeAngle(-Pi / 2), 3 * Pi / 2, 1e-12);
    EXPECT_NEAR(FBGeom_NormalizeAngle(5 * Pi), Pi, 1e-12);
    EXPECT_EQ(FBGeom_NormalizeAngle(2 * Pi), 0.0);
    const double huge = FBGeom_NormalizeAngle(1e300);
    EXPECT_GE(huge, 0.0);
    EXPECT_LT(huge, 2 * Pi);
    EXPECT_TRUE(std::isinf(FBGeom_NormalizeAngle(Inf)));
    EXPECT_TRUE(std::isnan(FBGeom_NormalizeAngle(NaN)));
}

TEST(FBGeometry, AngleRangesAreOpenAndMayRunThroughZero)
{
    struct Row
    {
        FBAngleRange range;
        double angle;
        bool inside;
    };
    const Row rows[] = {
        {{3 * Pi / 2, Pi / 2}, 0.0, true},         {{Pi / 2, 3 * Pi / 2}, Pi / 2, false},
        {{Pi / 2, 3 * Pi / 2}, 3 * Pi / 2, false}, {{Pi / 2, 3 * Pi / 2}, Pi, true},
        {{3 * Pi / 2, Pi / 2}, Pi, false},         {{3 * Pi / 2, Pi / 2}, 7 * Pi / 4, true},
        {{3 * Pi / 2, Pi / 2}, Pi / 2, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FBGeom_AngleRangeContainsAngle(row.range, row.angle), row.inside)
            << row.range.minimum << ".." << row.range.maximum << " @ " << row.angle;
}

TEST(FBGeometry, TangentsCrossOnlyWhenOneLiesOnEachSide)
{
    struct Row
    {
        FBTangentPair a;
        FBTangentPair b;
        bool cross;
    };
    const Row rows[] = {
        {{{-1, 0}, {1, 0}}, {{0, -1}, {0, 1}}, true},
        {{{-1, 0}, {1, 0}}, {{0, 1}, {1, 1}}, false},    // both above
        {{{-1, 0}, {1, 0}}, {{0, -1}, {-1, -1}}, false}, // both below
        {{{0, 1}, {1, 0}}, {{1, 1}, {-1, -1}}, true},    // one in the corner, one outside
    };
    for (const Row &row : rows)
        EXPECT_EQ(FBGeom_TangentsCross(row.a, row.b), row.cross);
}

TEST(FBGeometry, RangeConvergenceTruncatesToSixPlaces)
{
    struct Row
    {
        FBRange range;
        bool converged;
    };
    const Row rows[] = {
        {{0.1234561, 0.1234569}, true},
        {{0.123456, 0.123457}, false},
        {{-0.0000001, 0.0000001}, true},
        {{0.5, 0.5}, true},
        {{0.0, 1.0}, false},
        {{NaN, 0.0}, true}, // saturates to the neutral 0 rather than undefined behaviour
        {{Inf, 1e300}, true},
    };
    for (const Row &row : rows)
        EXPECT_EQ(FBGeom_RangeHasConverged(row.range, 6), row.converged)
            << row.range.minimum << ".." << row.range.maximum;
}

TEST(FBGeometry, RangeArithmetic)
{
    const FBRange r = FBGeom_MakeRange(0.25, 0.75);
    EXPECT_EQ(FBGeom_RangeLength(r), 0.5);
    EXPECT_EQ(FBGeom_RangeAverage(r), 0.5);
    EXPECT_EQ(FBGeom_RangeInterpolate(r, 0.5), 0.5);
    EXPECT_EQ(FBGeom_RangeInterpolate(r, 1.0), 0.75);
    EXPECT_TRUE(FBGeom_RangeIsEmptyMarker(FBGeom_MakeRange(1, 0)));
    EXPECT_FALSE(FBGeom_RangeIsEmptyMarker(r));
}

TEST(FBGeometry, ClosenessIsInclusiveAndNaNIsNeverClose)
{
    EXPECT_TRUE(FBGeom_AreValuesClose(1.0, 1.0 + 1e-11));
    EXPECT_FALSE(FBGeom_AreValuesClose(1.0, 1.0 + 1e-9));
    EXPECT_TRUE(FBGeom_AreValuesCloseWithThreshold(1.0, 1.5, 0.5));
    EXPECT_FALSE(FBGeom_AreValuesCloseWithThreshold(1.0, 1.5000001, 0.5));
    EXPECT_FALSE(FBGeom_AreValuesClose(NaN, NaN));
    EXPECT_FALSE(FBGeom_ArePointsClose(QPointF(NaN, 0), QPointF(NaN, 0)));
    EXPECT_TRUE(FBGeom_ArePointsCloseWithThreshold(QPointF(0, 0), QPointF(1, -1), 1));
    EXPECT_FALSE(FBGeom_ArePointsCloseWithThreshold(QPointF(0, 0), QPointF(1, -1.1), 1));
}

TEST(FBGeometry, ZeroVectorsStayUnchanged)
{
    EXPECT_EQ(FBGeom_NormalizeVector(QPointF(0, 0)), QPointF(0, 0));
    EXPECT_EQ(FBGeom_ScaleVectorToLength(QPointF(0, 0), 5), QPointF(0, 0));
    EXPECT_EQ(FBGeom_LineNormal(QPointF(2, 2), QPointF(2, 2)), QPointF(0, 0));
    EXPECT_EQ(FBGeom_LineMidpoint(QPointF(2, 3), QPointF(2, 3)), QPointF(2, 3));
    const QPointF scaled = FBGeom_ScaleVectorToLength(QPointF(3, 4), 10);
    EXPECT_NEAR(scaled.x(), 6, 1e-12);
    EXPECT_NEAR(scaled.y(), 8, 1e-12);
}

TEST(FBGeometry, LinesNormalsAndDistances)
{
    // Normal turns the direction by +90 degrees.
    EXPECT_EQ(FBGeom_LineNormal(QPointF(0, 0), QPointF(2, 0)), QPointF(0, 1));
    EXPECT_EQ(FBGeom_LineMidpoint(QPointF(0, 0), QPointF(4, 0)), QPointF(2, 0));
    EXPECT_DOUBLE_EQ(FBGeom_DistancePointToLine(QPointF(5, 3), QPointF(0, 0), QPointF(1, 0)), 3);
    // The foot of the perpendicular is not clamped to the segment.
    EXPECT_DOUBLE_EQ(FBGeom_DistancePointToLine(QPointF(-7, 2), QPointF(0, 0), QPointF(1, 0)), 2);
    // Nearly equal end points: distance to the first one.
    EXPECT_DOUBLE_EQ(FBGeom_DistancePointToLine(QPointF(3, 4), QPointF(0, 0), QPointF(0.01, 0)),
                     5.0);

    const FBNormalizedLine line = FBGeom_NormalizedLineFromPoints(QPointF(0, 0), QPointF(2, 0));
    EXPECT_NEAR(line.a * line.a + line.b * line.b, 1.0, 1e-15);
    EXPECT_NEAR(FBGeom_DistanceFromPointToLine(QPointF(7, 3), line), 3.0, 1e-12);
    const FBNormalizedLine degenerate =
        FBGeom_NormalizedLineFromPoints(QPointF(1, 1), QPointF(1, 1));
    EXPECT_EQ(degenerate.a, 0.0);
    EXPECT_EQ(degenerate.b, 0.0);
    EXPECT_EQ(degenerate.c, 0.0);
}

TEST(FBGeometry, HorizontalLineHits)
{
    struct Row
    {
        const char *name;
        QPointF s, e;
        double y;
        bool hits;
        double x;
    };
    const Row rows[] = {
        {"diagonal", {0, 0}, {4, 4}, 1, true, 1},
        {"reversed diagonal", {4, 4}, {0, 0}, 3, true, 3},
        {"vertical", {2, -1}, {2, 5}, 0, true, 2},
        {"horizontal on the line", {3, 2}, {9, 2}, 2, true, 3},
        {"horizontal barely off", {3, 2}, {9, 2}, 2 + 1e-11, true, 3},
        {"below", {0, 0}, {4, 4}, -1, false, 0},
        {"above", {0, 0}, {4, 4}, 5, false, 0},
        {"end point", {0, 0}, {4, 4}, 4, true, 4},
    };
    for (const Row &row : rows) {
        QPointF hit(NaN, NaN);
        EXPECT_EQ(FBGeom_LineIntersectsHorizontalLine(row.s, row.e, row.y, &hit), row.hits)
            << row.name;
        if (row.hits) {
            EXPECT_TRUE(std::isfinite(hit.x())) << row.name;
            EXPECT_NEAR(hit.x(), row.x, 1e-12) << row.name;
            EXPECT_EQ(hit.y(), row.y) << row.name;
        }
    }
}

TEST(FBGeometry, RectanglesAndBounds)
{
    const QRectF r(1, 2, 3, 4);
    EXPECT_EQ(FBGeom_RectOrigin(r), QPointF(1, 2));
    EXPECT_EQ(FBGeom_RectMaxXMinY(r), QPointF(4, 2));
    EXPECT_EQ(FBGeom_RectMinXMaxY(r), QPointF(1, 6));
    EXPECT_EQ(FBGeom_RectMaxXMaxY(r), QPointF(4, 6));
    EXPECT_EQ(FBGeom_UnionRect(r, QRectF(-1, 5, 1, 10)), QRectF(-1, 2, 5, 13));
    EXPECT_EQ(FBGeom_UnionRect(r, QRectF(2, 3, 1, 1)), r);

    QPointF low(0, 0), high(1, 1);
    FBGeom_ExpandBoundsByPoint(&low, &high, QPointF(-2, 5));
    EXPECT_EQ(low, QPointF(-2, 0));
    EXPECT_EQ(high, QPointF(1, 5));
    EXPECT_EQ(FBGeom_RoundPoint(QPointF(2.5, -2.5)), QPointF(3, -3));
}
