#include "pathops/FBRayCrossing.h"

#include "pathops/FBBezierIntersection.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>

namespace {

FBBezierCurvePtr line(QPointF a, QPointF b)
{
    return FBBezierCurve::bezierCurveWithLineStartPoint(a, b);
}

FBBezierCurvePtr curve(QPointF a, QPointF c1, QPointF c2, QPointF b)
{
    return FBBezierCurve::bezierCurveWithEndPoint1(a, c1, c2, b);
}

// The quarter of the circle of radius 10 round (0, 0) from (10, 0) up to (0, 10).
FBBezierCurvePtr quarterArc()
{
    constexpr double k = 0.5522847498 * 10;
    return curve({10, 0}, {10, k}, {k, 10}, {0, 10});
}

} // namespace

TEST(FBRayCrossingTest, ClearCrossingsAndTheCasesLeftToTheSearch)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row
    {
        const char *name;
        FBBezierCurvePtr ray;
        FBBezierCurvePtr curve;
        bool clear;
    };
    const Row rows[] = {
        {"horizontal ray across an arc", line({20, 5}, {-30, 5}), quarterArc(), true},
        {"vertical ray across an arc", line({5, -20}, {5, 30}), quarterArc(), true},
        {"across a straight edge", line({-5, 3}, {50, 3}), line({10, 0}, {12, 10}), true},
        {"through the arc's end", line({20, 0}, {-30, 0}), quarterArc(), false},
        {"a hair from the arc's end", line({20, 1e-4}, {-30, 1e-4}), quarterArc(), false},
        {"the curve turns back across the ray", line({-5, 1}, {50, 1}),
         curve({0, 0}, {5, 10}, {10, -8}, {15, 2}), false},
        {"the curve touches the ray", line({-5, 2}, {50, 2}),
         curve({0, 0}, {5, 4}, {10, 4}, {15, 0}), false},
        {"nearly along the ray", line({-5, 1e-5}, {50, 1e-5}), line({0, -1e-2}, {40, 1e-2}), false},
        {"at the ray's start", line({11.1, 5}, {-30, 5}), line({11.1, 0}, {11.1, 10}), false},
        {"beyond the ray's end", line({20, 5}, {12, 5}), quarterArc(), false},
        {"a slanted ray", line({20, 4}, {-30, 6}), quarterArc(), false},
        {"a coordinate that is not a number", line({20, 5}, {-30, 5}),
         curve({10, 0}, {nan, 5}, {5, 10}, {0, 10}), false},
    };
    for (const Row &row : rows) {
        const auto clear = FBRay_ClearCrossing(*row.ray, *row.curve);
        EXPECT_EQ(clear.has_value(), row.clear) << row.name;
        if (!clear || !row.clear)
            continue;
        // The searched crossing is the one answered, within its reach.
        const auto found = row.ray->intersectionsWithBezierCurve(row.curve);
        ASSERT_EQ(found.size(), 1u) << row.name;
        const bool horizontal = row.ray->endPoint1().y() == row.ray->endPoint2().y();
        const QPointF at = found.front()->location();
        EXPECT_NEAR(horizontal ? at.x() : at.y(), clear->along, clear->uncertainty) << row.name;
        EXPECT_NEAR(found.front()->parameter2(), clear->curveParameter, 1e-4) << row.name;
        EXPECT_NEAR(found.front()->parameter1(), clear->rayParameter, 1e-4) << row.name;
    }
}

// Wherever the shortcut answers, the search finds exactly that one crossing: in the middle of
// both curves, not tangent, within the reach given.
TEST(FBRayCrossingTest, SeededCurvesAgreeWithTheSearch)
{
    std::mt19937_64 random(27);
    std::uniform_real_distribution<double> at(-20, 20);
    int answered = 0;
    for (int i = 0; i < 4000; ++i) {
        const bool horizontal = i % 2 == 0;
        // Most curves run one way across the ray, as arcs of round shapes do.
        std::array<double, 4> across = {at(random), at(random), at(random), at(random)};
        if (i % 4 != 3)
            std::sort(across.begin(), across.end());
        std::array<QPointF, 4> p;
        for (size_t k = 0; k < 4; ++k)
            p[k] = horizontal ? QPointF(at(random), across[k]) : QPointF(across[k], at(random));
        const FBBezierCurvePtr c = curve(p[0], p[1], p[2], p[3]);
        const double level = at(random) * 0.5;
        const double from = at(random), to = at(random) * 3;
        const FBBezierCurvePtr ray =
            horizontal ? line({from, level}, {to, level}) : line({level, from}, {level, to});
        const auto clear = FBRay_ClearCrossing(*ray, *c);
        if (!clear)
            continue;
        ++answered;
        const auto found = ray->intersectionsWithBezierCurve(c);
        ASSERT_EQ(found.size(), 1u) << "case " << i;
        FBBezierIntersection &hit = *found.front();
        EXPECT_FALSE(hit.isAtEndPointOfCurve()) << "case " << i;
        EXPECT_FALSE(hit.isTangent()) << "case " << i;
        const double along = horizontal ? hit.location().x() : hit.location().y();
        EXPECT_NEAR(along, clear->along, clear->uncertainty) << "case " << i;
    }
    // The shortcut must answer often enough to matter.
    EXPECT_GT(answered, 1000) << answered;
}
