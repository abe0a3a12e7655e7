// Cubics against cubics: crossings against a brute-force search, shared stretches as ranges,
// and curves that only touch.
#include <gtest/gtest.h>

#include "pathops/PathCurveIntersections.h"

#include <QRandomGenerator>

#include <cmath>
#include <vector>

namespace {

QPointF randomPoint(QRandomGenerator &rng, double size)
{
    return QPointF(rng.generateDouble() * 2 * size - size, rng.generateDouble() * 2 * size - size);
}

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

struct Crossing
{
    double s, t;
};

// Crossings of two 400-segment polylines along the curves, refined by Newton's method on
// left(s) = right(t).
std::vector<Crossing> bruteCrossings(const CurveCoefficients &l, const CurveCoefficients &r)
{
    constexpr int n = 400;
    std::vector<QPointF> lp, rp;
    for (int k = 0; k <= n; ++k) {
        lp.push_back(EvaluateCurve(l, double(k) / n));
        rp.push_back(EvaluateCurve(r, double(k) / n));
    }
    std::vector<Crossing> out;
    for (int i = 0; i < n; ++i) {
        const QRectF a = QRectF(lp[i], lp[i + 1]).normalized();
        for (int j = 0; j < n; ++j) {
            const QRectF b = QRectF(rp[j], rp[j + 1]).normalized();
            if (a.right() < b.left() || b.right() < a.left() || a.bottom() < b.top() ||
                b.bottom() < a.top())
                continue;
            const QPointF d = lp[i + 1] - lp[i], e = rp[j + 1] - rp[j];
            const double det = cross(d, e);
            if (det == 0)
                continue;
            const double u = cross(rp[j] - lp[i], e) / det;
            const double v = cross(rp[j] - lp[i], d) / det;
            if (u < 0 || u >= 1 || v < 0 || v >= 1)
                continue;
            double s = (i + u) / n, t = (j + v) / n;
            for (int k = 0; k < 50; ++k) {
                const QPointF f = EvaluateCurve(l, s) - EvaluateCurve(r, t);
                const QPointF ds = CurveDerivative(l, s), dt = -CurveDerivative(r, t);
                const double jd = cross(ds, dt);
                if (jd == 0)
                    break;
                s -= cross(f, dt) / jd;
                t -= cross(ds, f) / jd;
            }
            out.push_back({s, t});
        }
    }
    return out;
}

CurveCoefficients randomCurve(QRandomGenerator &rng)
{
    return CurveCoefficientsFromPoints(randomPoint(rng, 100), randomPoint(rng, 150),
                                       randomPoint(rng, 150), randomPoint(rng, 100));
}

// The piece of c between parameters s and e, over [0, 1].
CurveCoefficients pieceOf(const CurveCoefficients &c, double s, double e)
{
    const double l = e - s;
    return CurveCoefficients{EvaluateCurve(c, s), l * (c.a1 + 2 * s * c.a2 + 3 * s * s * c.a3),
                             l * l * (c.a2 + 3 * s * c.a3), l * l * l * c.a3};
}

} // namespace

TEST(PathCurveIntersections, CrossingsAgainstBruteForce)
{
    QRandomGenerator rng(2861);
    int matched = 0;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const CurveCoefficients l = randomCurve(rng), r = randomCurve(rng);
        IntersectionRecords out;
        const int n = intersectionsBetweenCurveAndCurve(l, r, out);
        ASSERT_LE(n, kMaxIntersectionsPerPair);
        for (int i = 0; i < n; ++i) {
            const QPointF gap =
                EvaluateCurve(l, out[i].leftParameter) - EvaluateCurve(r, out[i].rightParameter);
            EXPECT_LT(std::hypot(gap.x(), gap.y()), 1e-5);
            if (i > 0) {
                EXPECT_LE(out[i - 1].leftParameter, out[i].leftParameter);
            }
        }
        for (const Crossing &c : bruteCrossings(l, r)) {
            if (c.s < 1e-3 || c.s > 1 - 1e-3 || c.t < 1e-3 || c.t > 1 - 1e-3)
                continue;
            const QPointF tl = CurveDerivative(l, c.s), tr = CurveDerivative(r, c.t);
            const double sine =
                cross(tl, tr) / (std::hypot(tl.x(), tl.y()) * std::hypot(tr.x(), tr.y()));
            if (std::fabs(sine) < 1e-3)
                continue;
            bool found = false;
            for (int i = 0; i < n; ++i) {
                if (std::fabs(out[i].leftParameter - c.s) < 1e-6 &&
                    std::fabs(out[i].rightParameter - c.t) < 1e-6) {
                    found = true;
                    EXPECT_EQ(out[i].firstAspect, sine > 0 ? 1 : -1);
                }
            }
            EXPECT_TRUE(found) << "crossing at " << c.s << ", " << c.t;
            matched += found;
        }
    }
    EXPECT_GT(matched, 100);
}

TEST(PathCurveIntersections, SharedStretchesComeBackAsRanges)
{
    const CurveCoefficients c = CurveCoefficientsFromPoints({0, 0}, {30, 80}, {70, -40}, {100, 20});
    const struct
    {
        const char *name;
        CurveCoefficients right;
        double leftFrom, leftTo, rightFrom, rightTo;
    } rows[] = {
        {"the same curve", c, 0, 1, 0, 1},
        {"a middle piece", pieceOf(c, 0.3, 0.8), 0.3, 0.8, 0, 1},
        {"the curve reversed", pieceOf(c, 1, 0), 0, 1, 1, 0},
        {"a reversed end piece", pieceOf(c, 1, 0.6), 0.6, 1, 1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        IntersectionRecords out;
        const int n = intersectionsBetweenCurveAndCurve(c, row.right, out);
        ASSERT_EQ(n, 1);
        EXPECT_NEAR(out[0].leftParameter, row.leftFrom, 1e-4);
        EXPECT_NEAR(out[0].leftParameter + out[0].leftParameterDistance, row.leftTo, 1e-4);
        EXPECT_NEAR(out[0].rightParameter, row.rightFrom, 1e-4);
        EXPECT_NEAR(out[0].rightParameter + out[0].rightParameterDistance, row.rightTo, 1e-4);
        EXPECT_EQ(out[0].firstAspect, 0);
        EXPECT_EQ(out[0].secondAspect, 0);
    }
}

TEST(PathCurveIntersections, CurvesThatOnlyTouch)
{
    // An arch peaking at (1.5, 1.5) and a trough reaching down to the same point.
    const CurveCoefficients arch = CurveCoefficientsFromPoints({0, 0}, {1, 2}, {2, 2}, {3, 0});
    const CurveCoefficients trough = CurveCoefficientsFromPoints({0, 3}, {1, 1}, {2, 1}, {3, 3});
    IntersectionRecords out;
    const int n = intersectionsBetweenCurveAndCurve(arch, trough, out);
    ASSERT_GE(n, 1);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(out[i].leftParameter, 0.5, 1e-3);
        EXPECT_NEAR(out[i].rightParameter, 0.5, 1e-3);
        EXPECT_LT(std::fabs(out[i].leftParameterDistance), 1e-3);
    }
    EXPECT_EQ(out[0].firstAspect, -out[0].secondAspect);
    EXPECT_NE(out[0].firstAspect, 0);
    // Apart by 0.01: nothing.
    const CurveCoefficients lifted =
        CurveCoefficientsFromPoints({0, 3.01}, {1, 1.01}, {2, 1.01}, {3, 3.01});
    EXPECT_EQ(intersectionsBetweenCurveAndCurve(arch, lifted, out), 0);
}

TEST(PathCurveIntersections, HostileCurvesStayWithinTheOutput)
{
    const CurveCoefficients c = CurveCoefficientsFromPoints({0, 0}, {30, 80}, {70, -40}, {100, 20});
    CurveCoefficients beside = c;
    beside.a0 += QPointF(0, 5e-5);
    const double nan = std::nan("");
    const double inf = INFINITY;
    const struct
    {
        const char *name;
        CurveCoefficients right;
    } rows[] = {
        {"side by side within the grazing distance", beside},
        {"NaN", CurveCoefficientsFromPoints({nan, 0}, {1, 1}, {2, 2}, {3, 3})},
        {"infinite", CurveCoefficientsFromPoints({-inf, 0}, {1, 1}, {2, 2}, {inf, 3})},
        {"near 1e8", CurveCoefficientsFromPoints({1e8, 1e8}, {-1e8, 3e8}, {2e8, -1e8}, {0, 1e8})},
        {"a point", CurveCoefficientsFromPoints({50, 15}, {50, 15}, {50, 15}, {50, 15})},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        IntersectionRecords out;
        const int n = intersectionsBetweenCurveAndCurve(c, row.right, out);
        EXPECT_GE(n, 0);
        EXPECT_LE(n, kMaxIntersectionsPerPair);
    }
}
