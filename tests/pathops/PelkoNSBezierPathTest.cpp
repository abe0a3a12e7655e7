#include "pathops/PelkoNSBezierPath.h"

#include "PolygonPath.h"
#include "support/LogCapture.h"
#include "platform/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

BezierPath square(double x, double y, double side)
{
    return polygon({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

qint64 closedSubpaths(const QList<BezierPath> &paths)
{
    qint64 n = 0;
    for (const BezierPath &p : paths) {
        for (qint64 i = 0; i < p.elementCount(); ++i)
            n += p.elementAtIndex(i) == BezierPathElement::ClosePath;
    }
    return n;
}

} // namespace

TEST(PelkoNSBezierPathTest, SegmentAfterCloseStartsNewSubpathAtClosedStart)
{
    BezierPath path = polygon({{1, 1}, {5, 1}, {5, 5}});
    path.lineToPoint({9, 9});
    ASSERT_EQ(path.elementCount(), 6);
    EXPECT_EQ(path.elementAtIndex(4), BezierPathElement::MoveTo);
    EXPECT_EQ(fb_pointAtIndex(path, 4), QPointF(1, 1));
    // The close record leads back to its own subpath's start.
    const NSBezierElement close = fb_elementAtIndex(path, 3);
    EXPECT_EQ(close.kind, 3u);
    EXPECT_EQ(close.point, QPointF(1, 1));
    EXPECT_EQ(path.currentPoint(), QPointF(9, 9));
}

TEST(PelkoNSBezierPathTest, ElementRecords)
{
    BezierPath path;
    path.moveToPoint({1, 2});
    path.curveToPoint({7, 8}, {3, 4}, {5, 6});
    const NSBezierElement curve = fb_elementAtIndex(path, 1);
    EXPECT_EQ(curve.kind, 2u);
    EXPECT_EQ(curve.point, QPointF(7, 8));
    EXPECT_EQ(curve.controlPoints[0], QPointF(3, 4));
    EXPECT_EQ(curve.controlPoints[1], QPointF(5, 6));
    EXPECT_EQ(fb_elementAtIndex(path, 2), NSBezierElement());
    EXPECT_EQ(fb_elementAtIndex(path, -1), NSBezierElement());
    EXPECT_EQ(fb_elementAtIndex(static_cast<const BezierPath *>(nullptr), 0), NSBezierElement());

    BezierPath copy;
    for (qint64 i = 0; i < path.elementCount(); ++i)
        fb_appendElement(copy, fb_elementAtIndex(path, i));
    NSBezierElement unknown;
    unknown.kind = 9;
    fb_appendElement(copy, unknown);
    EXPECT_EQ(copy.elements(), path.elements());
}

TEST(PelkoNSBezierPathTest, SubpathWithRange)
{
    BezierPath path = polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    path.setLineWidth(3);
    path.setWindingRule(platform::WindingRule::EvenOdd);
    const BezierPath sub = fb_subpathWithRange(path, MakeRange(1, 2));
    ASSERT_EQ(sub.elementCount(), 2);
    EXPECT_EQ(sub.elementAtIndex(0), BezierPathElement::MoveTo);
    EXPECT_EQ(fb_pointAtIndex(sub, 0), QPointF(1, 0));
    EXPECT_EQ(fb_pointAtIndex(sub, 1), QPointF(1, 1));
    EXPECT_EQ(sub.lineWidth(), 3);
    EXPECT_EQ(sub.windingRule(), BezierPath().windingRule());
    EXPECT_TRUE(fb_subpathWithRange(path, MakeRange(2, 0)).isEmpty());
    const BezierPath clipped = fb_subpathWithRange(path, MakeRange(3, 100));
    ASSERT_EQ(clipped.elementCount(), 2);
    EXPECT_EQ(clipped.elementAtIndex(1), BezierPathElement::ClosePath);
}

TEST(PelkoNSBezierPathTest, AppendPathContinuesTheReceiver)
{
    const BezierPath tail = polygon({{5, 5}, {6, 6}}, false);
    struct Row
    {
        const char *name;
        BezierPath receiver;
        BezierPath appended;
        QList<BezierPathElement> types;
        QList<QPointF> points;
    };
    BezierPath endsAt55 = polygon({{1, 1}, {5, 5}}, false);
    BezierPath endsAt00 = polygon({{1, 1}, {0, 0}}, false);
    const Row rows[] = {
        {"onto its start",
         endsAt55,
         tail,
         {BezierPathElement::MoveTo, BezierPathElement::LineTo, BezierPathElement::LineTo},
         {{1, 1}, {5, 5}, {6, 6}}},
        {"onto elsewhere",
         endsAt00,
         tail,
         {BezierPathElement::MoveTo, BezierPathElement::LineTo, BezierPathElement::LineTo,
          BezierPathElement::LineTo},
         {{1, 1}, {0, 0}, {5, 5}, {6, 6}}},
        {"empty keeps the move",
         BezierPath(),
         tail,
         {BezierPathElement::MoveTo, BezierPathElement::LineTo},
         {{5, 5}, {6, 6}}},
        {"empty keeps a move to the origin",
         BezierPath(),
         polygon({{0, 0}, {2, 0}}, false),
         {BezierPathElement::MoveTo, BezierPathElement::LineTo},
         {{0, 0}, {2, 0}}},
    };
    for (const Row &row : rows) {
        BezierPath path = row.receiver;
        fb_appendPath(path, row.appended);
        ASSERT_EQ(path.elementCount(), row.types.size()) << row.name;
        for (qint64 i = 0; i < path.elementCount(); ++i) {
            EXPECT_EQ(path.elementAtIndex(i), row.types[i]) << row.name << " " << i;
            EXPECT_EQ(fb_pointAtIndex(path, i), row.points[i]) << row.name << " " << i;
        }
    }
}

TEST(PelkoNSBezierPathTest, MarkerTriangle)
{
    const BezierPath t = triangleAtPoint({0, 0}, {1, 0});
    const QList<QPointF> expected{{0, 5}, {15, 0}, {0, -5}, {0, 5}};
    ASSERT_EQ(t.elementCount(), 5);
    for (qint64 i = 0; i < 4; ++i)
        EXPECT_EQ(fb_pointAtIndex(t, i), expected[i]);
    EXPECT_EQ(t.elementAtIndex(4), BezierPathElement::ClosePath);
    EXPECT_EQ(rectAtPoint({10, 10}).bounds(), QRectF(3.5, 3.5, 13, 13));
    EXPECT_EQ(smallCircleAtPoint({0, 0}).controlPointBounds(), QRectF(-1.5, -1.5, 3, 3));
}

TEST(PelkoNSBezierPathTest, SeparateIntoSingleLines)
{
    QList<QPointF> visited;
    const auto lines = SeparateIntoSingleLines_AndOutPointList(square(0, 0, 1), &visited);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 4);
    EXPECT_EQ(fb_pointAtIndex(lines->at(3), 0), QPointF(0, 1));
    EXPECT_EQ(fb_pointAtIndex(lines->at(3), 1), QPointF(0, 0));
    EXPECT_EQ(visited.size(), 4);

    BezierPath curve;
    curve.moveToPoint({0, 0});
    curve.curveToPoint({0.01, 0}, {0, 0.01}, {0.01, 0.01});
    EXPECT_EQ(SeparateIntoSingleLines_AndOutPointList(curve, nullptr)->size(), 1);

    // Nothing long enough: the path itself comes back.
    const BezierPath tiny = polygon({{0, 0}, {0.05, 0}}, false);
    const auto none = SeparateIntoSingleLines_AndOutPointList(tiny, nullptr);
    ASSERT_TRUE(none);
    ASSERT_EQ(none->size(), 1);
    EXPECT_EQ(none->first(), tiny);
    EXPECT_FALSE(SeparateIntoSingleLines_AndOutPointList(BezierPath(), nullptr));
}

TEST(PelkoNSBezierPathTest, SeparateIntoSinglePaths)
{
    BezierPath ring = square(0, 0, 10);
    ring.appendBezierPath(square(3, 3, 4));
    BezierPath twoApart = square(0, 0, 1);
    twoApart.appendBezierPath(square(5, 5, 1));
    // Two equal holes: joining one to the frame must not take its twin along.
    BezierPath twinHoles = square(0, 0, 100);
    twinHoles.appendBezierPath(square(20.5, 20.5, 10));
    twinHoles.appendBezierPath(square(20.5, 20.5, 10));
    twinHoles.appendBezierPath(square(200, 0, 5));

    struct Row
    {
        const char *name;
        BezierPath path;
        qsizetype pieces;
    };
    const Row rows[] = {
        {"ring", ring, 1},
        {"two apart", twoApart, 2},
        {"one square", square(0, 0, 1), 1},
    };
    for (const Row &row : rows) {
        const auto pieces = SeparateIntoSinglePaths(row.path);
        ASSERT_TRUE(pieces) << row.name;
        EXPECT_EQ(pieces->size(), row.pieces) << row.name;
        if (row.pieces == 1) {
            EXPECT_EQ(pieces->first(), row.path) << row.name;
        }
    }
    const auto pieces = SeparateIntoSinglePaths(twinHoles);
    ASSERT_TRUE(pieces);
    EXPECT_GE(pieces->size(), 2);
    EXPECT_EQ(closedSubpaths(*pieces), 4);
    EXPECT_FALSE(SeparateIntoSinglePaths(BezierPath()));
}

TEST(PelkoNSBezierPathTest, StrokedOutline)
{
    EXPECT_FALSE(pathWithStrokeWidth(polygon({{0, 0}}, false), 2));
    const auto outline = pathWithStrokeWidth(polygon({{0, 0}, {10, 0}}, false), 2);
    ASSERT_TRUE(outline);
    const QRectF b = outline->bounds();
    EXPECT_NEAR(b.left(), -1, 0.01);
    EXPECT_NEAR(b.right(), 11, 0.01);
    EXPECT_NEAR(b.top(), -1, 0.01);
    EXPECT_NEAR(b.bottom(), 1, 0.01);
    EXPECT_TRUE(outline->containsPoint({5, 0.5}));
    EXPECT_FALSE(outline->containsPoint({5, 1.5}));
}

TEST(PelkoNSBezierPathTest, InnerShadowFallsInsideOnlyAndRestoresThePainter)
{
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        platform::GraphicsContextScope scope(&painter);
        platform::Shadow shadow;
        shadow.offset = QSizeF(0, 4);
        shadow.color = Qt::black;
        const BezierPath shape = square(20, 20, 20);
        fillWithInnerShadow(shape, shadow);
        EXPECT_FALSE(painter.hasClipping());
        EXPECT_FALSE(platform::GraphicsContext::currentContext()->shadow().isVisible());
    }
    painter.end();
    // The frame's shadow, moved down by 4, darkens the shape's top rows and nothing outside.
    EXPECT_EQ(image.pixelColor(30, 21).lightness(), 0);
    EXPECT_EQ(image.pixelColor(30, 30).lightness(), 255);
    EXPECT_EQ(image.pixelColor(30, 10).lightness(), 255);
    EXPECT_EQ(image.pixelColor(30, 45).lightness(), 255);
    EXPECT_EQ(image.pixelColor(10, 30).lightness(), 255);
}

TEST(PelkoNSBezierPathTest, StrokeInsideKeepsToTheShape)
{
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    BezierPath shape = square(20, 20, 20);
    shape.setLineWidth(4);
    {
        platform::GraphicsContextScope scope(&painter);
        platform::GraphicsContext::currentContext()->setColor(Qt::black);
        strokeInside(shape);
        EXPECT_FALSE(painter.hasClipping());
    }
    painter.end();
    EXPECT_EQ(shape.lineWidth(), 4);
    EXPECT_EQ(image.pixelColor(30, 21).lightness(), 0);
    EXPECT_EQ(image.pixelColor(30, 18).lightness(), 255);
    EXPECT_EQ(image.pixelColor(30, 30).lightness(), 255);
}

TEST(PelkoNSBezierPathTest, CoreGraphicsRoundTrip)
{
    BezierPath path = polygon({{0, 0}, {4, 0}, {4, 4}});
    path.curveToPoint({9, 9}, {5, 5}, {6, 7});
    const auto cg = createCGPath(path);
    ASSERT_TRUE(cg);
    ASSERT_EQ(cg->elementCount(), path.elementCount());
    const auto back = bezierPathWithCGPath(&*cg);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->elements(), path.elements());
    EXPECT_FALSE(bezierPathWithCGPath(nullptr));
    EXPECT_TRUE(createCGPath(BezierPath())->isEmpty());

    // A quadratic becomes the cubic two thirds of the way to its control point.
    platform::CGPath quad;
    quad.moveToPoint({0, 0});
    quad.addQuadCurveToPoint({3, 6}, {6, 0});
    const auto cubic = bezierPathWithCGPath(&quad);
    ASSERT_TRUE(cubic);
    const NSBezierElement curve = fb_elementAtIndex(*cubic, 1);
    EXPECT_EQ(curve.kind, 2u);
    EXPECT_EQ(curve.point, QPointF(6, 0));
    EXPECT_EQ(curve.controlPoints[0], QPointF(2, 4));
    EXPECT_EQ(curve.controlPoints[1], QPointF(4, 4));
}

TEST(PelkoNSBezierPathTest, NaNPointsBecomeTheOrigin)
{
    BezierPath path;
    path.moveToPoint({1, 1});
    path.lineToPoint({std::nan(""), 5});
    path.curveToPoint({7, 7}, {std::nan(""), 2}, {3, 3});
    pelkotest::LogCapture log;
    const auto cg = createCGPath(path);
    ASSERT_TRUE(cg);
    EXPECT_EQ(cg->elements()[1].points[0], QPointF(0, 0));
    EXPECT_EQ(cg->elements()[2].points[0], QPointF(0, 0));
    EXPECT_EQ(cg->elements()[2].points[1], QPointF(3, 3));
    EXPECT_EQ(cg->elements()[2].points[2], QPointF(7, 7));
    EXPECT_TRUE(log.logged(QStringLiteral("**** NaN value error **** ")));
    const auto outline = pathWithStrokeWidth(path, 1);
    ASSERT_TRUE(outline);
    EXPECT_TRUE(std::isfinite(outline->bounds().width()));
}
