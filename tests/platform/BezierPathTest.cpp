// Bezier paths, affine transforms and the graphics context stack.
#include <gtest/gtest.h>

#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"
#include "platform/Color.h"
#include "platform/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <thread>

using platform::AffineTransform;
using platform::BezierPath;
using platform::BezierPathElement;

namespace {

void expectNear(QPointF a, QPointF b, double tol = 1e-9)
{
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
}

} // namespace

TEST(AffineTransform, ModifiersActFirstOnPoints)
{
    AffineTransform t;
    t.translateXBy(10, 0);
    t.scaleXBy(2, 3);
    // Scale first, then translate.
    expectNear(t.transformPoint(QPointF(1, 1)), QPointF(12, 3));
    EXPECT_EQ(t.transformSize(QSizeF(1, 1)), QSizeF(2, 3));

    AffineTransform r;
    r.rotateByDegrees(90);
    expectNear(r.transformPoint(QPointF(1, 0)), QPointF(0, 1));
    EXPECT_EQ(r.m11(), 0.0); // quarter turns are exact
    r.rotateByDegrees(-450);
    EXPECT_TRUE(r.isIdentity());

    AffineTransform a;
    a.translateXBy(5, 5);
    AffineTransform b;
    b.scaleBy(2);
    AffineTransform appended = a;
    appended.appendTransform(b); // a, then b
    expectNear(appended.transformPoint(QPointF(1, 1)), QPointF(12, 12));
    AffineTransform prepended = a;
    prepended.prependTransform(b); // b, then a
    expectNear(prepended.transformPoint(QPointF(1, 1)), QPointF(7, 7));

    AffineTransform inv = appended;
    ASSERT_TRUE(inv.invert());
    expectNear(inv.transformPoint(QPointF(12, 12)), QPointF(1, 1));
    AffineTransform singular(0, 0, 0, 0, 1, 1);
    EXPECT_FALSE(singular.invert());
    EXPECT_EQ(singular, AffineTransform(0, 0, 0, 0, 1, 1));

    // The same mapping as Qt's transform of the same numbers.
    AffineTransform s(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(s.toQTransform().map(QPointF(7, 8)), s.transformPoint(QPointF(7, 8)));
}

TEST(BezierPath, ElementsAndCurrentPoint)
{
    BezierPath p;
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.currentPoint(), QPointF());
    p.lineToPoint(QPointF(3, 3)); // no current point: starts a subpath there
    EXPECT_EQ(p.elementAtIndex(0), BezierPathElement::MoveTo);
    p.removeAllPoints();

    p.moveToPoint(QPointF(1, 1));
    p.lineToPoint(QPointF(5, 1));
    p.curveToPoint(QPointF(5, 5), QPointF(6, 2), QPointF(6, 4));
    p.closePath();
    p.closePath(); // a second close adds nothing
    ASSERT_EQ(p.elementCount(), 4);
    EXPECT_EQ(p.currentPoint(), QPointF(1, 1));
    QPointF pts[3];
    EXPECT_EQ(p.elementAtIndex(2, pts), BezierPathElement::CurveTo);
    EXPECT_EQ(pts[2], QPointF(5, 5));
    EXPECT_EQ(p.elementAtIndex(99, pts), BezierPathElement::MoveTo);
    p.relativeLineToPoint(QPointF(2, 0));
    EXPECT_EQ(p.currentPoint(), QPointF(3, 1));

    const QPointF moved[3] = {QPointF(9, 9)};
    p.setAssociatedPoints(moved, 1);
    EXPECT_EQ(p.element(1).points[0], QPointF(9, 9));
}

TEST(BezierPath, BoundsOfCurvesAndShapes)
{
    const BezierPath rect = BezierPath::bezierPathWithRect(QRectF(10, 20, 30, -10));
    EXPECT_EQ(rect.bounds(), QRectF(10, 10, 30, 10));
    EXPECT_EQ(rect.elementCount(), 5);

    const BezierPath oval = BezierPath::bezierPathWithOvalInRect(QRectF(0, 0, 20, 10));
    const QRectF b = oval.bounds();
    EXPECT_NEAR(b.left(), 0, 1e-9);
    EXPECT_NEAR(b.right(), 20, 1e-9);
    EXPECT_NEAR(b.top(), 0, 1e-9);
    EXPECT_NEAR(b.bottom(), 10, 1e-9);

    // A curve bulges past its end points but not to its control points.
    BezierPath c;
    c.moveToPoint(QPointF(0, 0));
    c.curveToPoint(QPointF(10, 0), QPointF(0, 10), QPointF(10, 10));
    EXPECT_NEAR(c.bounds().bottom(), 7.5, 1e-9);
    EXPECT_EQ(c.controlPointBounds(), QRectF(0, 0, 10, 10));
    EXPECT_TRUE(BezierPath().bounds().isNull());
}

TEST(BezierPath, ArcsFlatteningAndReversal)
{
    BezierPath arc;
    arc.appendBezierPathWithArcWithCenter(QPointF(0, 0), 10, 0, 90);
    expectNear(arc.currentPoint(), QPointF(0, 10));
    BezierPath full;
    full.appendBezierPathWithArcWithCenter(QPointF(0, 0), 10, 0, 360);
    EXPECT_EQ(full.elementCount(), 5); // a move and four quarter curves
    BezierPath clockwise;
    clockwise.appendBezierPathWithArcWithCenter(QPointF(0, 0), 10, 0, 90, true);
    EXPECT_EQ(clockwise.elementCount(), 4); // three quarters the other way
    expectNear(clockwise.currentPoint(), QPointF(0, 10));

    const BezierPath flat = full.bezierPathByFlatteningPath();
    for (qint64 i = 1; i < flat.elementCount(); ++i) {
        QPointF pt[3];
        if (flat.elementAtIndex(i, pt) != BezierPathElement::LineTo)
            continue;
        EXPECT_NEAR(std::hypot(pt[0].x(), pt[0].y()), 10.0, full.flatness());
    }

    BezierPath open;
    open.moveToPoint(QPointF(0, 0));
    open.lineToPoint(QPointF(1, 0));
    open.curveToPoint(QPointF(2, 2), QPointF(1, 1), QPointF(2, 1));
    const BezierPath rev = open.bezierPathByReversingPath();
    ASSERT_EQ(rev.elementCount(), 3);
    EXPECT_EQ(rev.element(0).points[0], QPointF(2, 2));
    EXPECT_EQ(rev.element(1).points[0], QPointF(2, 1)); // controls swapped
    EXPECT_EQ(rev.element(1).points[2], QPointF(1, 0));
    EXPECT_EQ(rev.element(2).points[0], QPointF(0, 0));
}

TEST(BezierPath, CornerArcTakesTheShortWayRoundBothTurns)
{
    // The corner at (10, 0) rounded with radius 2: the arc stays inside the corner.
    for (double turn : {10.0, -10.0}) {
        BezierPath path;
        path.moveToPoint(QPointF(0, 0));
        path.appendBezierPathWithArcFromPoint(QPointF(10, 0), QPointF(10, turn), 2);
        expectNear(path.currentPoint(), QPointF(10, turn > 0 ? 2 : -2), 1e-9);
        const QRectF b = path.bounds();
        EXPECT_NEAR(b.height(), 2.0, 1e-9) << turn;
        EXPECT_NEAR(b.right(), 10.0, 1e-9) << turn;
        EXPECT_NEAR(b.left(), 0.0, 1e-9) << turn;
    }
}

TEST(BezierPath, TransformAndContainment)
{
    BezierPath p = BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
    AffineTransform t;
    t.translateXBy(5, 5);
    p.transformUsingAffineTransform(t);
    EXPECT_EQ(p.bounds(), QRectF(5, 5, 10, 10));
    EXPECT_TRUE(p.containsPoint(QPointF(10, 10)));
    EXPECT_FALSE(p.containsPoint(QPointF(1, 1)));

    // Even-odd leaves the inner square of two nested squares empty.
    BezierPath nested = BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10));
    nested.appendBezierPathWithRect(QRectF(3, 3, 4, 4));
    EXPECT_TRUE(nested.containsPoint(QPointF(5, 5)));
    nested.setWindingRule(platform::WindingRule::EvenOdd);
    EXPECT_FALSE(nested.containsPoint(QPointF(5, 5)));
    EXPECT_EQ(BezierPath::fromQPainterPath(nested.toQPainterPath()).elementCount(),
              nested.elementCount());
}

TEST(GraphicsContext, StackColoursAndDrawing)
{
    EXPECT_EQ(platform::GraphicsContext::currentContext(), nullptr);
    BezierPath::bezierPathWithRect(QRectF(0, 0, 5, 5)).fill(); // no context: nothing happens

    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        platform::GraphicsContextScope outer(&painter);
        platform::GraphicsContext *gc = platform::GraphicsContext::currentContext();
        ASSERT_EQ(gc, &outer.context());
        platform::setFill(platform::Color::calibratedRGB(1, 0, 0));
        gc->save();
        platform::setFill(platform::Color::calibratedRGB(0, 0, 1));
        gc->clipToRect(QRectF(0, 0, 10, 20));
        BezierPath::fillRect(QRectF(0, 0, 20, 10)); // blue, clipped to the left half
        gc->restore();
        gc->restore();                               // unbalanced: ignored
        BezierPath::fillRect(QRectF(0, 10, 20, 10)); // red again, unclipped
        platform::setFill(platform::Color());        // no colour changes nothing

        BezierPath dashed;
        dashed.moveToPoint(QPointF(0, 19.5));
        dashed.lineToPoint(QPointF(20, 19.5));
        dashed.setLineDash({4, 4}, 0);
        platform::setStroke(platform::Color::calibratedRGB(0, 1, 0));
        dashed.stroke();
    }
    EXPECT_EQ(platform::GraphicsContext::currentContext(), nullptr);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(15, 5), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(15, 15), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(1, 19), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(5, 19), QColor(255, 0, 0)); // a gap of the dash
}

TEST(GraphicsContext, EachThreadDrawsIntoItsOwnContext)
{
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    platform::GraphicsContextScope scope(&painter);

    QImage workerImage(10, 10, QImage::Format_ARGB32);
    workerImage.fill(Qt::white);
    platform::GraphicsContext *seenByWorker = &scope.context();
    std::thread worker([&] {
        seenByWorker = platform::GraphicsContext::currentContext();
        QPainter workerPainter(&workerImage);
        platform::GraphicsContextScope own(&workerPainter);
        platform::setFill(platform::Color::calibratedRGB(0, 0, 1));
        BezierPath::fillRect(QRectF(0, 0, 10, 10));
    });
    worker.join();
    painter.end();
    EXPECT_EQ(seenByWorker, nullptr);
    EXPECT_EQ(platform::GraphicsContext::currentContext(), &scope.context());
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 255));
    EXPECT_EQ(workerImage.pixelColor(5, 5), QColor(0, 0, 255));
}

TEST(GraphicsContext, TransformWithoutAPainterIsIgnored)
{
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        platform::GraphicsContextScope scope(nullptr);
        AffineTransform t;
        t.translateXBy(3, 4);
        t.concat();
        t.set();
        BezierPath::bezierPathWithRect(QRectF(0, 0, 5, 5)).fill();
        EXPECT_EQ(platform::GraphicsContext::currentContext(), &scope.context());
    }
    // Nothing of the transform reaches the next context: a rect at the origin is drawn there.
    QPainter painter(&image);
    platform::GraphicsContextScope scope(&painter);
    platform::setFill(platform::Color::calibratedRGB(0, 0, 1));
    BezierPath::fillRect(QRectF(0, 0, 2, 2));
    painter.end();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(4, 5), QColor(255, 255, 255));
}
