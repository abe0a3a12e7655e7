// The intersection kernels: edge cases of lines, and cubics against brute-force crossings.
#include <gtest/gtest.h>

#include "pathops/PathIntersectionKernels.h"

#include <QRandomGenerator>

#include <cmath>
#include <vector>

namespace {

LineRecord line(QPointF a, QPointF b)
{
    return LineRecordFromPoints(a, b);
}

QPointF randomPoint(QRandomGenerator &rng, double size)
{
    return QPointF(rng.generateDouble() * 2 * size - size, rng.generateDouble() * 2 * size - size);
}

// Parameters where the cubic crosses the line's segment, by sign changes of the signed
// distance over dense samples refined by bisection.
std::vector<double> bruteCrossings(const CurveCoefficients &c, const LineRecord &l)
{
    auto side = [&](double t) {
        const QPointF d = EvaluateCurve(c, t) - l.start;
        return d.y() * l.direction.x() - d.x() * l.direction.y();
    };
    std::vector<double> out;
    constexpr int steps = 5000;
    for (int k = 0; k < steps; ++k) {
        double lo = double(k) / steps, hi = double(k + 1) / steps;
        if ((side(lo) < 0) == (side(hi) < 0))
            continue;
        for (int i = 0; i < 80; ++i) {
            const double mid = (lo + hi) / 2;
            ((side(lo) < 0) == (side(mid) < 0) ? lo : hi) = mid;
        }
        out.push_back((lo + hi) / 2);
    }
    return out;
}

double lineParameterOf(const LineRecord &l, QPointF p)
{
    const QPointF e = l.direction;
    return ((p.x() - l.start.x()) * e.x() + (p.y() - l.start.y()) * e.y()) /
           (e.x() * e.x() + e.y() * e.y());
}

} // namespace

TEST(PathIntersectionKernels, LinesCrossingOverlappingAndApart)
{
    intersectionInfo r;
    ASSERT_EQ(intersectionsBetweenLineAndLine(line({0, 0}, {10, 0}), line({5, -5}, {5, 5}), &r), 1);
    EXPECT_DOUBLE_EQ(r.leftParameter, 0.5);
    EXPECT_DOUBLE_EQ(r.rightParameter, 0.5);
    EXPECT_EQ(r.firstAspect, 1);
    EXPECT_EQ(r.secondAspect, 1);
    // Swapped sides flip the aspects.
    ASSERT_EQ(intersectionsBetweenLineAndLine(line({5, -5}, {5, 5}), line({0, 0}, {10, 0}), &r), 1);
    EXPECT_EQ(r.firstAspect, -1);
    EXPECT_EQ(r.secondAspect, -1);

    ASSERT_EQ(intersectionsBetweenLineAndLine(line({0, 0}, {10, 0}), line({4, 0}, {20, 0}), &r), 1);
    EXPECT_EQ(r.firstAspect, 0);
    EXPECT_EQ(r.secondAspect, 0);
    EXPECT_DOUBLE_EQ(r.leftParameter, 0.4);
    EXPECT_DOUBLE_EQ(r.leftParameterDistance, 0.6);
    EXPECT_DOUBLE_EQ(r.rightParameter, 0);
    EXPECT_DOUBLE_EQ(r.rightParameterDistance, 6.0 / 16.0);
    // Running the other way, the right range runs backwards.
    ASSERT_EQ(intersectionsBetweenLineAndLine(line({0, 0}, {10, 0}), line({20, 0}, {4, 0}), &r), 1);
    EXPECT_LT(r.rightParameterDistance, 0);
    EXPECT_GT(r.leftParameterDistance, 0);

    const struct
    {
        const char *name;
        LineRecord a, b;
    } apart[] = {
        {"parallel", line({0, 0}, {10, 0}), line({0, 1}, {10, 1})},
        {"collinear, disjoint", line({0, 0}, {10, 0}), line({11, 0}, {20, 0})},
        {"would cross beyond the end", line({0, 0}, {10, 0}), line({12, -5}, {12, 5})},
        {"a point beside a line", line({0, 0}, {10, 0}), line({5, 1}, {5, 1})},
    };
    for (const auto &row : apart) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(intersectionsBetweenLineAndLine(row.a, row.b, &r), 0);
    }
    ASSERT_EQ(intersectionsBetweenLineAndLine(line({0, 0}, {10, 0}), line({5, 0}, {5, 0}), &r), 1);
    EXPECT_DOUBLE_EQ(r.leftParameter, 0.5);
}

TEST(PathIntersectionKernels, CurveAndLineAgainstBruteForce)
{
    QRandomGenerator rng(2851);
    int crossings = 0;
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        const CurveCoefficients c =
            CurveCoefficientsFromPoints(randomPoint(rng, 100), randomPoint(rng, 150),
                                        randomPoint(rng, 150), randomPoint(rng, 100));
        const LineRecord l = line(randomPoint(rng, 120), randomPoint(rng, 120));
        intersectionInfo found[3];
        const int n = intersectionsBetweenCurveAndLine(c, l, found);
        // No record where the curve is away from the line.
        for (int i = 0; i < n; ++i) {
            const QPointF gap = EvaluateCurve(c, found[i].leftParameter) -
                                (l.start + found[i].rightParameter * l.direction);
            EXPECT_LT(std::hypot(gap.x(), gap.y()), 1e-5);
            if (i > 0) {
                EXPECT_LE(found[i - 1].leftParameter, found[i].leftParameter);
            }
        }
        // Every crossing well inside both found, with the crossing's side.
        for (double t : bruteCrossings(c, l)) {
            const double u = lineParameterOf(l, EvaluateCurve(c, t));
            if (t < 1e-3 || t > 1 - 1e-3 || u < 1e-3 || u > 1 - 1e-3)
                continue;
            ++crossings;
            const QPointF tangent = CurveDerivative(c, t);
            const double cross = tangent.x() * l.direction.y() - tangent.y() * l.direction.x();
            bool matched = false;
            for (int i = 0; i < n; ++i)
                if (std::fabs(found[i].leftParameter - t) < 1e-6) {
                    matched = true;
                    EXPECT_NEAR(found[i].rightParameter, u, 1e-6);
                    if (std::fabs(cross) > 1e-3) {
                        EXPECT_EQ(found[i].firstAspect, cross > 0 ? 1 : -1);
                    }
                }
            EXPECT_TRUE(matched) << "crossing at " << t;
        }
    }
    EXPECT_GT(crossings, 1000);
}

TEST(PathIntersectionKernels, TangentTouchHasOppositeAspects)
{
    // y = 6t(1 - t) peaks at 1.5 at t = 0.5, where the line y = 1.5 touches it.
    const CurveCoefficients c = CurveCoefficientsFromPoints({0, 0}, {1, 2}, {2, 2}, {3, 0});
    intersectionInfo found[3];
    for (const LineRecord &l : {line({-1, 1.5}, {5, 1.5}), line({5, 1.5}, {-1, 1.5})}) {
        ASSERT_EQ(intersectionsBetweenCurveAndLine(c, l, found), 1);
        EXPECT_NEAR(found[0].leftParameter, 0.5, 1e-9);
        EXPECT_EQ(found[0].firstAspect, -found[0].secondAspect);
        EXPECT_NE(found[0].firstAspect, 0);
    }
    EXPECT_EQ(intersectionsBetweenCurveAndLine(c, line({1, 1}, {1, 1}), found), 0);
}

TEST(PathIntersectionKernels, LoopOfACubic)
{
    intersectionInfo r;
    const CurveCoefficients loop =
        CurveCoefficientsFromPoints({-5, 0}, {20, 10}, {-20, 10}, {5, 0});
    ASSERT_EQ(intersectionsOfCurveWithItself(loop, &r), 1);
    EXPECT_GT(r.leftParameter, 0);
    EXPECT_LT(r.leftParameter, r.rightParameter);
    EXPECT_LT(r.rightParameter, 1);
    const QPointF gap =
        EvaluateCurve(loop, r.leftParameter) - EvaluateCurve(loop, r.rightParameter);
    EXPECT_LT(std::hypot(gap.x(), gap.y()), 1e-9);
    const CurveCoefficients arch = CurveCoefficientsFromPoints({0, 0}, {1, 2}, {2, 2}, {3, 0});
    EXPECT_EQ(intersectionsOfCurveWithItself(arch, &r), 0);
}

TEST(PathIntersectionKernels, MonotonicWindowsCoverTheCurve)
{
    QRandomGenerator rng(2852);
    for (int round = 0; round < 500; ++round) {
        const CurveCoefficients c =
            CurveCoefficientsFromPoints(randomPoint(rng, 100), randomPoint(rng, 100),
                                        randomPoint(rng, 100), randomPoint(rng, 100));
        curveSegment windows[kMaxCurveSegments];
        const int n = computeCurveSegments(c, windows);
        ASSERT_GE(n, 1);
        double s = 0;
        for (int i = 0; i < n; ++i) {
            EXPECT_DOUBLE_EQ(windows[i].start, s);
            EXPECT_GT(windows[i].length, 0);
            // Both coordinates keep one direction within the window.
            const double inner = 1e-6 * windows[i].length;
            const QPointF a = CurveDerivative(c, windows[i].start + inner);
            const QPointF b = CurveDerivative(c, windows[i].start + windows[i].length - inner);
            EXPECT_GE(a.x() * b.x(), -1e-9);
            EXPECT_GE(a.y() * b.y(), -1e-9);
            s += windows[i].length;
        }
        EXPECT_DOUBLE_EQ(s, 1.0);
    }
}

TEST(PathIntersectionKernels, MergeKeepsOrderAndDropsRepeats)
{
    intersectionInfo r[6] = {{0.1, 0.5, 0, 0, 1, 1},        {0.7, 0.2, 0, 0, 1, 1},
                             {0.05, 0.9, 0, 0, -1, -1},     {0.7, 0.2, 0, 0, 1, 1},
                             {0.7 + 1e-9, 0.2, 0, 0, 1, 1}, {0.8, 0.1, 0, 0, -1, -1}};
    ASSERT_EQ(mergeIntersection(r, 2, 4), 4);
    EXPECT_DOUBLE_EQ(r[0].leftParameter, 0.05);
    EXPECT_DOUBLE_EQ(r[1].leftParameter, 0.1);
    EXPECT_DOUBLE_EQ(r[2].leftParameter, 0.7);
    EXPECT_DOUBLE_EQ(r[3].leftParameter, 0.8);
}
