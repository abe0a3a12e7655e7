// Curve fitting: the small cases exactly, then seeded samples of cubics and random polylines
// checked with a nearest-point search of the test's own, and the degenerate inputs.
#include <gtest/gtest.h>

#include "pathops/CurveOracle.h"
#include "pathops/PathCurveFitting.h"
#include "pathops/PolygonPath.h"

#include <QRandomGenerator>

#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

// The nearest distance from q to any curve of a fitted path.
double distanceToFit(const BezierPath &fit, QPointF q)
{
    double best = INFINITY;
    QPointF last;
    for (qint64 i = 0; i < fit.elementCount(); ++i) {
        const BezierPath::Element &e = fit.element(i);
        if (e.type == BezierPathElement::MoveTo) {
            last = e.points[0];
            continue;
        }
        const QPointF c[4] = {last, e.points[0], e.points[1], e.points[2]};
        best = std::min(best, bruteDistance(c, q, 100));
        last = e.points[2];
    }
    return best;
}

int curveCount(const BezierPath &fit)
{
    int n = 0;
    for (const BezierPath::Element &e : fit.elements())
        n += e.type == BezierPathElement::CurveTo;
    return n;
}

} // namespace

TEST(CurveFitting, SmallCasesExactly)
{
    // Two points: control points a third of the way from each end.
    const BezierPath two = fb_fitCurve(polyline({{0, 0}, {30, 0}}), 1);
    ASSERT_EQ(two.elementCount(), 2);
    EXPECT_EQ(two.element(0).points[0], QPointF(0, 0));
    EXPECT_NEAR(two.element(1).points[0].x(), 10, 1e-12);
    EXPECT_NEAR(two.element(1).points[1].x(), 20, 1e-12);
    EXPECT_EQ(two.element(1).points[2], QPointF(30, 0));

    // Points on a line: one curve for any positive error.
    std::vector<QPointF> line;
    for (int i = 0; i <= 20; ++i)
        line.push_back(QPointF(i * 3.0, i * 1.5));
    for (double error : {1e-6, 0.5, 10.0})
        EXPECT_EQ(curveCount(fb_fitCurve(polyline(line), error)), 1) << error;

    // One element, or none, comes back as it is, attributes and all.
    BezierPath single = polyline({{4, 5}});
    single.setLineWidth(7);
    EXPECT_EQ(fb_fitCurve(single, 1), single);
    EXPECT_TRUE(fb_fitCurve(BezierPath(), 1).isEmpty());

    // The result carries the receiver's attributes.
    BezierPath wide = polyline(line);
    wide.setLineWidth(9);
    EXPECT_EQ(fb_fitCurve(wide, 1).lineWidth(), 9);
}

TEST(CurveFitting, DegenerateInputEndsWithOneCurve)
{
    // All points equal: the parameters are not numbers, every error counts as none, and the
    // one curve at the common point is the answer, also for thresholds that nothing passes.
    const BezierPath same = polyline({{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}});
    for (double error : {1.0, 0.0, -1.0, double(NAN)}) {
        const BezierPath fit = fb_fitCurve(same, error);
        EXPECT_EQ(curveCount(fit), 1) << error;
        EXPECT_EQ(fit.element(1).points[2], QPointF(5, 5));
    }
    // A threshold of 0 or less splits a bent line down to its single segments, and stops.
    const BezierPath bent = polyline({{0, 0}, {10, 0}, {10, 10}, {20, 10}, {20, 20}});
    EXPECT_EQ(curveCount(fb_fitCurve(bent, 0)), 4);
    EXPECT_EQ(curveCount(fb_fitCurve(bent, -5)), 4);
}

TEST(CurveFitting, SplitsAtOnceBelowOneAndRefinesAboveIt)
{
    // Samples of a cubic, bunched so that chord-length parameters are off.
    const QPointF c[4] = {QPointF(0, 0), QPointF(10, 80), QPointF(90, 80), QPointF(100, 0)};
    std::vector<QPointF> samples;
    for (int i = 0; i <= 40; ++i) {
        const double t = double(i) / 40;
        samples.push_back(cubicAt(c, t * t * (3 - 2 * t)));
    }
    const BezierPath path = polyline(samples);
    // With E = 0.5, Newton rounds are tried only below 0.25: a first fit worse than that splits.
    const std::vector<float> u =
        fb_estimateParametersUsingChordLengthMethodInRange(path, MakeRange(0, 41));
    ASSERT_EQ(u.size(), 41u);
    EXPECT_EQ(u.front(), 0.0f);
    EXPECT_EQ(u.back(), 1.0f);
    const BezierPath first =
        fb_fitBezierInRange(path, MakeRange(0, 41), u, fb_computeLeftTangentAtIndex(path, 0),
                            fb_computeRightTangentAtIndex(path, 40));
    qint64 worst = -1;
    const double error = fb_findMaximumErrorForBezier(path, first, MakeRange(0, 41), u, &worst);
    ASSERT_GT(error, 0.25);
    EXPECT_GT(worst, 0);
    EXPECT_LT(worst, 40);
    EXPECT_GT(curveCount(fb_fitCurve(path, 0.5)), 1);

    // A Newton round brings the parameters of points on the curve nearer.
    const std::vector<float> better = fb_refineParameters(path, u, MakeRange(0, 41), first);
    const BezierPath second =
        fb_fitBezierInRange(path, MakeRange(0, 41), better, fb_computeLeftTangentAtIndex(path, 0),
                            fb_computeRightTangentAtIndex(path, 40));
    EXPECT_LT(fb_findMaximumErrorForBezier(path, second, MakeRange(0, 41), better, nullptr), error);
}

TEST(CurveFitting, SeededCubicsComeBackAsOneCurve)
{
    const quint32 seed = 20261207;
    QRandomGenerator random(seed);
    for (int round = 0; round < 30; ++round) {
        // Arches of even speed, whose chord lengths are near their parameters: one cubic fits
        // them. (Four Newton rounds do not rescue a fit of a looping or kinked curve.)
        const QPointF c[4] = {
            QPointF(0, 0), QPointF(25 + random.bounded(15.0), 10 + random.bounded(30.0)),
            QPointF(75 - random.bounded(15.0), 10 + random.bounded(30.0)), QPointF(100, 0)};
        std::vector<QPointF> samples;
        for (int i = 0; i <= 60; ++i)
            samples.push_back(cubicAt(c, i / 60.0));
        const double error = 4.0;
        const BezierPath fit = fb_fitCurve(polyline(samples), error);
        EXPECT_EQ(curveCount(fit), 1) << "seed " << seed << " round " << round;
        for (QPointF q : samples)
            EXPECT_LE(distanceToFit(fit, q), std::sqrt(error) + 1e-6) << "seed " << seed;
    }
}

TEST(CurveFitting, EveryPointOfARandomPolylineLiesNearTheFit)
{
    const quint32 seed = 77;
    QRandomGenerator random(seed);
    for (double error : {0.25, 2.0, 9.0}) {
        std::vector<QPointF> points;
        QPointF p(0, 0);
        for (int i = 0; i < 150; ++i) {
            p += QPointF(random.bounded(4.0), random.bounded(8.0) - 4);
            points.push_back(p);
        }
        const BezierPath fit = fb_fitCurve(polyline(points), error);
        EXPECT_EQ(fit.element(0).points[0], points.front());
        EXPECT_EQ(fit.element(fit.elementCount() - 1).points[2], points.back());
        for (QPointF q : points)
            ASSERT_LE(distanceToFit(fit, q), std::sqrt(error) + 1e-6)
                << "seed " << seed << " error " << error;
    }
}

TEST(CurveFitting, LongNoisyInputSplitsWithoutDeepCalls)
{
    // Every split of a threshold of 0 goes down to single segments: as many pieces as points,
    // held on the fitting's own stack.
    QRandomGenerator random(5);
    std::vector<QPointF> points;
    for (int i = 0; i < 20000; ++i)
        points.push_back(QPointF(i, random.bounded(2.0)));
    const BezierPath fit = fb_fitCurve(polyline(points), 0);
    EXPECT_EQ(curveCount(fit), 19999);
}
