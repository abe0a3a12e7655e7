// Containment counted on the path's own elements, and the bounds a path keeps between changes.
#include <gtest/gtest.h>

#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"

#include <QPainterPath>
#include <QRandomGenerator>
#include <cmath>
#include <functional>

using platform::AffineTransform;
using platform::BezierPath;
using platform::WindingRule;

namespace {

// Far enough from every outline that rounding cannot decide (a dense sample of the outline).
bool clearOfOutline(const QPainterPath &path, QPointF p, double margin)
{
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    for (const QPolygonF &polygon : polygons) {
        for (int i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            const QPointF ab = b - a;
            const double len2 = QPointF::dotProduct(ab, ab);
            double t = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const QPointF foot = a + t * ab;
            if (std::hypot(p.x() - foot.x(), p.y() - foot.y()) < margin)
                return false;
        }
    }
    return true;
}

BezierPath randomPath(QRandomGenerator &random, bool curves)
{
    BezierPath path;
    const int subpaths = 1 + int(random.bounded(3));
    auto point = [&random] { return QPointF(random.bounded(100.0), random.bounded(100.0)); };
    for (int s = 0; s < subpaths; ++s) {
        path.moveToPoint(point());
        const int segments = 2 + int(random.bounded(8));
        for (int i = 0; i < segments; ++i) {
            if (curves && random.bounded(2) == 0)
                path.curveToPoint(point(), point(), point());
            else
                path.lineToPoint(point());
        }
        if (random.bounded(2) == 0)
            path.closePath();
    }
    return path;
}

} // namespace

TEST(BezierPathContains, AgreesWithQtOnRandomPaths)
{
    QRandomGenerator random(1234);
    int inside = 0, compared = 0;
    for (int round = 0; round < 300; ++round) {
        for (const WindingRule rule : {WindingRule::NonZero, WindingRule::EvenOdd}) {
            BezierPath path = randomPath(random, round % 2 == 1);
            path.setWindingRule(rule);
            const QPainterPath qt = path.toQPainterPath();
            for (int i = 0; i < 40; ++i) {
                const QPointF p(random.bounded(110.0) - 5, random.bounded(110.0) - 5);
                if (!clearOfOutline(qt, p, 0.01))
                    continue;
                ++compared;
                const bool expected = qt.contains(p);
                inside += expected;
                ASSERT_EQ(path.containsPoint(p), expected)
                    << "round " << round << " rule " << int(rule) << " at " << p.x() << ","
                    << p.y();
            }
        }
    }
    EXPECT_GT(compared, 10000);
    EXPECT_GT(inside, 1000);
}

TEST(BezierPathContains, EdgesAndVerticesCountOnce)
{
    const BezierPath square = BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
    const QPainterPath qt = square.toQPainterPath();
    // Points on the outline and on the ray through a vertex answer as Qt's fill does.
    for (const QPointF p :
         {QPointF(0, 5), QPointF(10, 5), QPointF(5, 0), QPointF(5, 10), QPointF(0, 0),
          QPointF(10, 10), QPointF(-5, 0), QPointF(-5, 10), QPointF(15, 0), QPointF(5, 5)}) {
        EXPECT_EQ(square.containsPoint(p), qt.contains(p)) << p.x() << "," << p.y();
    }
    // A diamond's side vertices lie on the ray of points level with them.
    BezierPath diamond;
    diamond.moveToPoint(QPointF(5, 0));
    diamond.lineToPoint(QPointF(10, 5));
    diamond.lineToPoint(QPointF(5, 10));
    diamond.lineToPoint(QPointF(0, 5));
    diamond.closePath();
    EXPECT_TRUE(diamond.containsPoint(QPointF(5, 5)));
    EXPECT_TRUE(diamond.containsPoint(QPointF(9, 5)));
    EXPECT_FALSE(diamond.containsPoint(QPointF(11, 5)));
    EXPECT_FALSE(diamond.containsPoint(QPointF(-1, 5)));
    // An open subpath is closed for the test; a lone point contains nothing.
    BezierPath open;
    open.moveToPoint(QPointF(0, 0));
    open.lineToPoint(QPointF(10, 0));
    open.lineToPoint(QPointF(10, 10));
    EXPECT_TRUE(open.containsPoint(QPointF(8, 2)));
    EXPECT_FALSE(open.containsPoint(QPointF(2, 8)));
    BezierPath lone;
    lone.moveToPoint(QPointF(1, 1));
    EXPECT_FALSE(lone.containsPoint(QPointF(1, 1)));
    EXPECT_FALSE(BezierPath().containsPoint(QPointF(0, 0)));
}

TEST(BezierPathContains, KeptBoundsFollowEveryChange)
{
    AffineTransform shift;
    shift.translateXBy(100, 0);
    const QPointF moved[3] = {QPointF(50, 50), QPointF(0, 0), QPointF(0, 0)};
    const struct
    {
        const char *name;
        std::function<void(BezierPath &)> change;
        QPointF nowInside;
    } rows[] = {
        {"move and line",
         [](BezierPath &p) {
             p.moveToPoint(QPointF(40, 40));
             p.lineToPoint(QPointF(60, 40));
             p.lineToPoint(QPointF(60, 60));
             p.closePath();
         },
         QPointF(59, 41)},
        {"curve",
         [](BezierPath &p) {
             p.moveToPoint(QPointF(40, 40));
             p.curveToPoint(QPointF(80, 40), QPointF(40, 60), QPointF(80, 60));
         },
         QPointF(60, 50)},
        {"append",
         [](BezierPath &p) {
             p.appendBezierPath(BezierPath::bezierPathWithRect(QRectF(40, 40, 20, 20)));
         },
         QPointF(50, 50)},
        {"transform", [shift](BezierPath &p) { p.transformUsingAffineTransform(shift); },
         QPointF(105, 5)},
        {"associated points", [moved](BezierPath &p) { p.setAssociatedPoints(moved, 2); },
         QPointF(20, 15)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        BezierPath path = BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
        EXPECT_EQ(path.bounds(), QRectF(0, 0, 10, 10));
        EXPECT_FALSE(path.containsPoint(row.nowInside));
        row.change(path);
        EXPECT_TRUE(path.containsPoint(row.nowInside));
        EXPECT_EQ(path.bounds(), path.toQPainterPath().boundingRect());
        EXPECT_EQ(path.controlPointBounds(), path.toQPainterPath().controlPointRect());
    }
    BezierPath cleared = BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
    EXPECT_FALSE(cleared.bounds().isNull());
    cleared.removeAllPoints();
    EXPECT_TRUE(cleared.bounds().isNull());
    EXPECT_FALSE(cleared.containsPoint(QPointF(5, 5)));
    // Derived paths get bounds of their own.
    BezierPath oval = BezierPath::bezierPathWithOvalInRect(QRectF(0, 0, 10, 10));
    EXPECT_EQ(oval.bounds(), QRectF(0, 0, 10, 10));
    const BezierPath reversed = oval.bezierPathByReversingPath();
    EXPECT_EQ(reversed.bounds(), QRectF(0, 0, 10, 10));
    const BezierPath flat = oval.bezierPathByFlatteningPath();
    EXPECT_EQ(flat.controlPointBounds(), flat.bounds());
}
