// Hit tests on paths: strokes under a point against a brute-force nearest distance, winding
// against a crossing count on the flattened outline, and the covered-rect test.
#include <gtest/gtest.h>

#include "pathops/CurveOracle.h"
#include "pathops/PolygonPath.h"

#include "graphics/PathHitTesting.h"
#include "pathops/PathHitTest.h"

#include <QRandomGenerator>

#include <cmath>
#include <numbers>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

// The usual winding number (counter-clockwise in y-up terms counts +1) of a closed polygon.
int polygonWinding(const QList<QPointF> &poly, QPointF q)
{
    int w = 0;
    for (qsizetype i = 0; i < poly.size(); ++i) {
        const QPointF a = poly[i], b = poly[(i + 1) % poly.size()];
        const double cross = (b.x() - a.x()) * (q.y() - a.y()) - (b.y() - a.y()) * (q.x() - a.x());
        if (a.y() <= q.y() && b.y() > q.y() && cross > 0)
            ++w;
        else if (a.y() > q.y() && b.y() <= q.y() && cross < 0)
            --w;
    }
    return w;
}

double distanceToPolygon(const QList<QPointF> &poly, QPointF q)
{
    double best = INFINITY;
    for (qsizetype i = 0; i < poly.size(); ++i) {
        const QPointF a = poly[i], d = poly[(i + 1) % poly.size()] - a;
        const double len2 = d.x() * d.x() + d.y() * d.y();
        double s = len2 > 0 ? ((q.x() - a.x()) * d.x() + (q.y() - a.y()) * d.y()) / len2 : 0;
        s = std::clamp(s, 0.0, 1.0);
        const QPointF off = q - (a + s * d);
        best = std::min(best, std::hypot(off.x(), off.y()));
    }
    return best;
}

// The first subpath of the flattened path as a polygon.
QList<QPointF> flattenedFirstSubpath(const BezierPath &path)
{
    const BezierPath flat = path.bezierPathByFlatteningPath();
    QList<QPointF> poly;
    for (qint64 i = 0; i < flat.elementCount(); ++i) {
        const auto &e = flat.element(i);
        if (e.type == BezierPathElement::MoveTo && i > 0)
            break;
        if (e.type == BezierPathElement::ClosePath)
            break;
        poly.append(e.points[0]);
    }
    return poly;
}

BezierPath star(QPointF centre, double radius, bool reversed)
{
    BezierPath path;
    for (int k = 0; k < 5; ++k) {
        const double angle = std::numbers::pi / 2 + k * 4 * std::numbers::pi / 5;
        const QPointF p = centre + radius * QPointF(std::cos(angle), std::sin(angle));
        if (k == 0)
            path.moveToPoint(p);
        else
            path.lineToPoint(p);
    }
    path.closePath();
    return reversed ? path.bezierPathByReversingPath() : path;
}

qint64 windingAt(const BezierPath &path, QPointF q, quint64 *hits = nullptr)
{
    qint64 w = 0;
    getWindingAndHitForPoint(path, &w, hits, q);
    return w;
}

} // namespace

TEST(PathHitTest, ElementUnderAPoint)
{
    BezierPath thin = polygon({{0, 0}, {100, 0}}, false);
    thin.setLineWidth(0);
    BezierPath curve;
    curve.moveToPoint(QPointF(0, 0));
    curve.curveToPoint(QPointF(100, 0), QPointF(300, 300), QPointF(-200, 300));
    curve.setLineWidth(0);
    // The close runs from D back to A: the start moves only at a move-to after a close.
    BezierPath twoOpen;
    twoOpen.moveToPoint(QPointF(0, 0));
    twoOpen.lineToPoint(QPointF(10, 0));
    twoOpen.moveToPoint(QPointF(100, 100));
    twoOpen.lineToPoint(QPointF(100, 200));
    twoOpen.closePath();
    twoOpen.setLineWidth(0);
    const struct
    {
        const char *name;
        const BezierPath &path;
        QPointF q;
        qint64 element;
    } rows[] = {
        {"4.9 beside a line", thin, {50, 4.9}, 1},
        {"5 beside a line", thin, {50, 5}, 0},
        {"beside the line's extension", thin, {103, 1}, 0},
        {"a line's end point exactly", thin, {100, 0}, 1},
        {"a curve's first control point, far from its stroke", curve, {300, 300}, 1},
        {"on the close from D back to A", twoOpen, {50, 100}, 4},
        {"on the close's line from D to C", twoOpen, {100, 150}, 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(segmentHitByPoint(row.path, row.q), row.element);
        EXPECT_EQ(isStrokeHitByPoint(row.path, row.q), row.element != 0);
    }
}

TEST(PathHitTest, PositionOfAPointOnTheStroke)
{
    const BezierPath path = polygon({{0, 0}, {100, 0}, {100, 100}}, false);
    double t = -1;
    EXPECT_EQ(segmentHitByPoint(path, QPointF(101, 25), &t, 5.0), 2);
    EXPECT_DOUBLE_EQ(t, 0.25);
    EXPECT_DOUBLE_EQ(getPositionForPoint(path, QPointF(99, 50)), 0.75);
    EXPECT_DOUBLE_EQ(getPositionForPoint(path, QPointF(500, 500)), 0.5);
}

TEST(PathHitTest, CurveHitsAgreeWithTheNearestDistance)
{
    QRandomGenerator rng(2842);
    BezierPath style;
    style.setLineWidth(2);
    const double padding = 3;
    const double r = 1 + padding;
    int checked = 0;
    for (int round = 0; round < 400; ++round) {
        QPointF p[4];
        for (auto &c : p)
            c = QPointF(rng.generateDouble() * 200 - 100, rng.generateDouble() * 200 - 100);
        if (round % 4 == 0) {
            // Ends close together, control points far out: the curve bulges past its ends.
            p[3] = p[0] + QPointF(rng.generateDouble() * 10, 0);
            p[1] = p[0] + QPointF(-60, 150);
            p[2] = p[3] + QPointF(60, 150);
        }
        for (int k = 0; k < 10; ++k) {
            const double t = 0.02 + 0.96 * rng.generateDouble();
            const double s = 1 - t;
            const QPointF tangent =
                3 * s * s * (p[1] - p[0]) + 6 * s * t * (p[2] - p[1]) + 3 * t * t * (p[3] - p[2]);
            const double len = std::hypot(tangent.x(), tangent.y());
            if (len < 1e-3)
                continue;
            const QPointF normal(-tangent.y() / len, tangent.x() / len);
            for (double offset : {r - 0.01, r + 0.01}) {
                const QPointF q = cubicAt(p, t) + (rng.bounded(2) ? 1 : -1) * offset * normal;
                const double truth = bruteDistance(p, q);
                if (std::fabs(truth - r) < 0.002)
                    continue;
                ++checked;
                double at = -1;
                const bool hit = curvedLineHit(style, q, p[0], p[3], p[1], p[2], &at, padding);
                ASSERT_EQ(hit, truth < r)
                    << "round " << round << " distance " << truth << " q " << q.x() << "," << q.y()
                    << " p " << p[0].x() << "," << p[0].y() << " " << p[1].x() << "," << p[1].y()
                    << " " << p[2].x() << "," << p[2].y() << " " << p[3].x() << "," << p[3].y()
                    << " at " << at;
                if (hit) {
                    const QPointF foot = cubicAt(p, at) - q;
                    EXPECT_LE(std::hypot(foot.x(), foot.y()), r + 1e-4);
                }
            }
        }
    }
    EXPECT_GT(checked, 4000);
}

TEST(PathHitTest, CurvedHitFindsBulgesAndClosedLoops)
{
    BezierPath style;
    style.setLineWidth(0);
    double t = -1;
    // Bulging below its ends, the curve reaches y = -60 at its middle.
    EXPECT_TRUE(curvedLineHit(style, QPointF(50, -60), QPointF(0, 0), QPointF(100, 0),
                              QPointF(0, -80), QPointF(100, -80), &t, 1.0));
    EXPECT_NEAR(t, 0.5, 1e-4);
    EXPECT_FALSE(curvedLineHit(style, QPointF(50, -70), QPointF(0, 0), QPointF(100, 0),
                               QPointF(0, -80), QPointF(100, -80), &t, 1.0));
    // A point on both ends of a loop.
    t = -1;
    EXPECT_TRUE(curvedLineHit(style, QPointF(0, 0), QPointF(0, 0), QPointF(0, 0), QPointF(50, 50),
                              QPointF(-50, 50), &t, 1.0));
    EXPECT_TRUE(std::isfinite(t));
}

TEST(PathHitTest, WindingOfADiamondAndASquare)
{
    const BezierPath diamond = polygon({{1, 0}, {2, 1}, {1, 2}, {0, 1}});
    EXPECT_NE(windingAt(diamond, QPointF(1, 1)), 0);
    EXPECT_EQ(windingAt(diamond, QPointF(0.2, 0.5)), 0);
    EXPECT_EQ(windingAt(diamond, QPointF(1.8, 1.5)), 0);

    BezierPath square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const qint64 inside = windingAt(square, QPointF(5, 5));
    EXPECT_TRUE(inside == 1 || inside == -1);
    EXPECT_EQ(windingAt(square.bezierPathByReversingPath(), QPointF(5, 5)), -inside);
    EXPECT_EQ(windingAt(square, QPointF(15, 5)), 0);
    quint64 hits = 0;
    windingAt(square, QPointF(0, 5), &hits);
    EXPECT_GE(hits, 1u);
    windingAt(square, QPointF(5, 5), &hits);
    EXPECT_EQ(hits, 0u);
    // Only the first subpath counts; an open first subpath is closed.
    square.appendBezierPath(polygon({{-100, -100}, {100, -100}, {100, 100}, {-100, 100}}));
    EXPECT_EQ(windingAt(square, QPointF(5, 5)), inside);
    EXPECT_EQ(windingAt(square, QPointF(50, 50)), 0);
    const BezierPath open = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, false);
    EXPECT_EQ(windingAt(open, QPointF(5, 5)), inside);
}

TEST(PathHitTest, WindingAgreesWithACrossingCountOnTheFlattenedOutline)
{
    const struct
    {
        const char *name;
        BezierPath path;
    } rows[] = {
        {"square", polygon({{-80, -80}, {80, -80}, {80, 80}, {-80, 80}})},
        {"square reversed",
         polygon({{-80, -80}, {80, -80}, {80, 80}, {-80, 80}}).bezierPathByReversingPath()},
        {"diamond", polygon({{0, -90}, {90, 0}, {0, 90}, {-90, 0}})},
        {"diamond reversed",
         polygon({{0, -90}, {90, 0}, {0, 90}, {-90, 0}}).bezierPathByReversingPath()},
        {"star", star(QPointF(3, -2), 95, false)},
        {"star reversed", star(QPointF(3, -2), 95, true)},
        {"circle", BezierPath::bezierPathWithOvalInRect(QRectF(-90, -85, 180, 170))},
        {"circle reversed", BezierPath::bezierPathWithOvalInRect(QRectF(-90, -85, 180, 170))
                                .bezierPathByReversingPath()},
    };
    QRandomGenerator rng(2843);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QList<QPointF> poly = flattenedFirstSubpath(row.path);
        int compared = 0;
        for (int k = 0; k < 10000; ++k) {
            const QPointF q(rng.generateDouble() * 220 - 110, rng.generateDouble() * 220 - 110);
            // Flattening moves the outline a little; points on it or level with a joint are
            // counted either way.
            if (distanceToPolygon(poly, q) < 0.5)
                continue;
            bool levelWithJoint = false;
            for (qint64 i = 0; i < row.path.elementCount(); ++i)
                for (QPointF c : row.path.element(i).points)
                    levelWithJoint = levelWithJoint || std::fabs(c.y() - q.y()) < 0.05;
            if (levelWithJoint)
                continue;
            ++compared;
            ASSERT_EQ(windingAt(row.path, q), -polygonWinding(poly, q)) << q.x() << " " << q.y();
        }
        EXPECT_GT(compared, 9000);
    }
}

TEST(PathHitTest, RectCoveredByAFilledPath)
{
    const BezierPath square = polygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const struct
    {
        const char *name;
        QRectF rect;
        bool covered;
    } rows[] = {
        {"inside the square", {40, 40, 10, 10}, true},
        {"around the whole square", {-10, -10, 200, 200}, false},
        {"across the outline", {90, 40, 20, 10}, false},
        {"outside", {200, 200, 10, 10}, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isPathCoverAllRect(square, row.rect), row.covered);
    }
}

TEST(PathHitTest, OutlineThroughASmallSquare)
{
    BezierPath line = polygon({{0, 0}, {100, 0}}, false);
    line.setLineWidth(0);
    EXPECT_TRUE(intersectsPointWithDiff(line, QPointF(50, 1), 4.0f));
    EXPECT_TRUE(intersectsPointWithDiff(line, QPointF(50, 1), -4.0f));
    EXPECT_FALSE(intersectsPointWithDiff(line, QPointF(50, 3), 4.0f));
    EXPECT_FALSE(intersectsPointWithDiff(line, QPointF(500, 0), 4.0f));
    EXPECT_FALSE(intersectsPointWithDiff(BezierPath(), QPointF(0, 0), 4.0f));
}
