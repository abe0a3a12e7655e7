// Shape paths, patterned lines, points along segments and paths drawn into images.
#include <gtest/gtest.h>

#include "graphics/UtilityMathShapes.h"

#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

void expectPoint(QPointF actual, QPointF expected, double tol = 1e-4)
{
    EXPECT_NEAR(actual.x(), expected.x(), tol);
    EXPECT_NEAR(actual.y(), expected.y(), tol);
}

// The end points of the path's elements (close elements left out).
QList<QPointF> endPoints(const BezierPath &path)
{
    QList<QPointF> points;
    for (const BezierPath::Element &e : path.elements()) {
        if (e.type == BezierPathElement::CurveTo)
            points << e.points[2];
        else if (e.type != BezierPathElement::ClosePath)
            points << e.points[0];
    }
    return points;
}

// The one bitmap of an image of a path; a null QImage for no image.
QImage bitmapOf(const platform::ImagePtr &image)
{
    if (!image || image->representations().size() != 1)
        return {};
    return image->representations().front().bitmap;
}

int alphaAt(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

} // namespace

TEST(UtilityMathShapes, PolygonsAndStars)
{
    const auto square = Create_BezierPath_Polygon(QPointF(0, 0), 10, 4, 0);
    ASSERT_TRUE(square);
    const QList<QPointF> corners = endPoints(*square);
    ASSERT_EQ(corners.size(), 4);
    expectPoint(corners[0], QPointF(10, 0));
    expectPoint(corners[1], QPointF(0, 10));
    expectPoint(corners[2], QPointF(-10, 0));
    expectPoint(corners[3], QPointF(0, -10));
    EXPECT_EQ(square->elements().last().type, BezierPathElement::ClosePath);
    EXPECT_FALSE(Create_BezierPath_Polygon(QPointF(0, 0), 0.5f, 4, 0));
    EXPECT_FALSE(Create_BezierPath_Polygon(QPointF(0, 0), 10, 1, 0));
    EXPECT_FALSE(Create_BezierPath_Polygon(QPointF(0, 0), 10, 100001, 0));

    EXPECT_FALSE(Create_BezierPath_Star(QPointF(0, 0), 12, 10, 5, 0));
    EXPECT_FALSE(Create_BezierPath_Star(QPointF(0, 0), 10, 0.5f, 5, 0));
    const auto star = Create_BezierPath_Star(QPointF(0, 0), 10.5f, 10, 5, 0);
    ASSERT_TRUE(star);
    EXPECT_EQ(endPoints(*star).size(), 10);
    const auto spiky = Create_BezierPath_Star(QPointF(0, 0), 4, 10, 4, 0);
    ASSERT_TRUE(spiky);
    const QList<QPointF> points = endPoints(*spiky);
    expectPoint(points[0], QPointF(4 * std::cos(M_PI / 4), 4 * std::sin(M_PI / 4)));
    expectPoint(points[1], QPointF(0, 10));
    EXPECT_EQ(spiky->element(0).type, BezierPathElement::MoveTo);
    EXPECT_EQ(spiky->element(1).type, BezierPathElement::LineTo);
}

TEST(UtilityMathShapes, Appenders)
{
    BezierPath path;
    AppendCircleToPath(&path, QPointF(5, 5), 2);
    EXPECT_EQ(path.bounds(), QRectF(3, 3, 4, 4));
    AppendCircleToPath(&path, QPointF(5, 5), 0);
    AppendCircleToPath(nullptr, QPointF(5, 5), 2);
    EXPECT_EQ(path.bounds(), QRectF(3, 3, 4, 4));

    BezierPath arc;
    AppendArcFromCircle(&arc, QPointF(0, 0), 10, 90, 180, false);
    expectPoint(arc.element(0).points[0], QPointF(0, 10));
    expectPoint(arc.currentPoint(), QPointF(-10, 0));

    BezierPath through;
    AppendArcThroughPoints(&through, true, QPointF(0, 0), QPointF(10, 0), QPointF(-10, 0),
                           QPointF(0, -10));
    EXPECT_EQ(through.element(0).type, BezierPathElement::MoveTo);
    EXPECT_NEAR(through.bounds().top(), -10, 1e-9); // the lower half, clockwise
    EXPECT_NEAR(through.bounds().bottom(), 0, 1e-9);
    BezierPath none;
    AppendArcThroughPoints(&none, true, QPointF(0, 0), QPointF(0, 0), QPointF(1, 0), QPointF(0, 1));
    EXPECT_TRUE(none.isEmpty());

    BezierPath doubled;
    AppendDoubledCircle(&doubled, QPointF(0, 0), 5);
    EXPECT_EQ(doubled.element(0).points[0], QPointF(5, 0));
    EXPECT_NEAR(doubled.bounds().top(), -5, 1e-9);
    EXPECT_NEAR(doubled.bounds().bottom(), 5, 1e-9);
    expectPoint(doubled.currentPoint(), QPointF(5, 0));

    BezierPath rects;
    AppendRectCenteredAtPoint(&rects, QPointF(10, 10), 4, 2);
    EXPECT_EQ(rects.bounds(), QRectF(8, 9, 4, 2));
    AppendRectFromTwoPoints(&rects, QPointF(5, 1), QPointF(2, 4));
    EXPECT_EQ(rects.bounds(), QRectF(2, 1, 10, 10));
    AppendRectToPath(&rects, QRectF(0, 0, 1, 1));
    AppendOvalToPath(&rects, QRectF(-4, 0, 2, 2));
    EXPECT_EQ(rects.bounds(), QRectF(-4, 0, 16, 11));

    BezierPath symbol;
    AppendThreeStrokeSymbol(&symbol, QPointF(0, 0), QPointF(12, 0));
    EXPECT_EQ(endPoints(symbol),
              (QList<QPointF>{{6, -6}, {6, 0}, {0, 0}, {12, 0}, {2, 2}, {10, 2}, {4, 4}, {8, 4}}));
}

TEST(UtilityMathShapes, PatternedLines)
{
    BezierPath zigzag;
    AppendZigzagLine(&zigzag, 2, QPointF(0, 0), QPointF(10, 0), false);
    // The zero-length line to each piece's start stays.
    EXPECT_EQ(endPoints(zigzag),
              (QList<QPointF>{{0, 0}, {0, 0}, {2.5, -2.5}, {5, 0}, {5, 0}, {7.5, 2.5}, {10, 0}}));

    // With ends, the first and last pieces are straight and the line still ends at `end`.
    BezierPath ended;
    AppendZigzagLine(&ended, 2, QPointF(0, 0), QPointF(0, 8), true);
    const QList<QPointF> points = endPoints(ended);
    expectPoint(points.first(), QPointF(0, 0));
    expectPoint(points[1], QPointF(0, 2));
    expectPoint(points.last(), QPointF(0, 8));
    // Pieces count from the straight first one, so the first bump (piece 1) is laid at +y and,
    // turned to point up, lies at -x.
    expectPoint(points[3], QPointF(-1, 3));
    expectPoint(points[6], QPointF(1, 5));

    BezierPath scallop;
    AppendScallopLine(&scallop, 3, QPointF(0, 0), QPointF(9, 0), false);
    EXPECT_NEAR(scallop.bounds().top(), -1.5, 1e-9); // all bumps below
    EXPECT_NEAR(scallop.bounds().bottom(), 0, 1e-9);
    expectPoint(scallop.currentPoint(), QPointF(9, 0));

    BezierPath wave;
    AppendWaveLine(&wave, 3, QPointF(0, 0), QPointF(9, 0), false);
    EXPECT_NEAR(wave.bounds().top(), -1.5, 1e-9); // both sides
    EXPECT_NEAR(wave.bounds().bottom(), 1.5, 1e-9);
    expectPoint(wave.currentPoint(), QPointF(9, 0));

    BezierPath untouched;
    AppendWaveLine(&untouched, 0, QPointF(0, 0), QPointF(9, 0), false);
    AppendWaveLine(&untouched, 3, QPointF(0, 0), QPointF(0.5, 0), false);
    AppendWaveLine(&untouched, 200000, QPointF(0, 0), QPointF(9, 0), false);
    AppendScallopLine(nullptr, 3, QPointF(0, 0), QPointF(9, 0), false);
    EXPECT_TRUE(untouched.isEmpty());
}

TEST(UtilityMathShapes, PointsAlongSegments)
{
    QPointF points[5];
    ASSERT_TRUE(SplitSegmentIntoPoints(QPointF(0, 0), QPointF(8, 0), 5, points));
    for (int i = 0; i < 5; ++i)
        expectPoint(points[i], QPointF(2 * i, 0));
    ASSERT_TRUE(SplitSegmentIntoPoints(QPointF(1, 1), QPointF(1.01, 1), 3, points));
    EXPECT_EQ(points[2], QPointF(1, 1));
    EXPECT_FALSE(SplitSegmentIntoPoints(QPointF(0, 0), QPointF(8, 0), 1, points));
    EXPECT_FALSE(SplitSegmentIntoPoints(QPointF(0, 0), QPointF(8, 0), 3, nullptr));

    const LINE_ centred = CenteredSegmentOfLength(4, QPointF(0, 0), QPointF(0, 10));
    expectPoint(centred.p1, QPointF(0, 3));
    expectPoint(centred.p2, QPointF(0, 7));
    const LINE_ reversed = CenteredSegmentOfLength(4, QPointF(0, 10), QPointF(0, 0));
    expectPoint(reversed.p1, QPointF(0, 7));
    const LINE_ still = CenteredSegmentOfLength(4, QPointF(1, 1), QPointF(1, 1));
    expectPoint(still.p1, QPointF(-1, 1));
    expectPoint(still.p2, QPointF(3, 1));
}

TEST(UtilityMathShapes, ImagesOfPaths)
{
    // A triangle with its apex at the smaller y, away from the origin.
    BezierPath triangle;
    triangle.moveToPoint(QPointF(110, 50));
    triangle.lineToPoint(QPointF(130, 90));
    triangle.lineToPoint(QPointF(90, 90));
    triangle.closePath();
    const QImage image = bitmapOf(CreateImageFromBezierPath(&triangle, 0xFF0000FF, 0x100000000, 0));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(40, 40));
    // The apex lands in the top rows, the base in the bottom rows.
    EXPECT_GT(alphaAt(image, 20, 3), 200);
    EXPECT_EQ(alphaAt(image, 3, 3), 0);
    EXPECT_GT(alphaAt(image, 3, 38), 200);
    EXPECT_GT(alphaAt(image, 36, 38), 200);
    EXPECT_EQ(qRed(image.pixel(20, 30)), 255);
    EXPECT_EQ(qBlue(image.pixel(20, 30)), 0);

    // A stroke alone leaves the inside clear.
    const BezierPath square = BezierPath::bezierPathWithRect(QRectF(0, 0, 20, 20));
    const QImage outline = bitmapOf(CreateImageFromBezierPath(&square, 0x100000000, 0x0000FFFF, 4));
    ASSERT_FALSE(outline.isNull());
    EXPECT_GT(alphaAt(outline, 0, 10), 200);
    EXPECT_EQ(alphaAt(outline, 10, 10), 0);

    // No colour that counts: an image of the right size with nothing drawn.
    const QImage blank =
        bitmapOf(CreateImageFromBezierPath(&square, 0x100000000, 0x0000FFFF, 0.05f));
    ASSERT_FALSE(blank.isNull());
    EXPECT_EQ(blank.size(), QSize(20, 20));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(alphaAt(blank, x, y), 0);
    }

    BezierPath flat;
    flat.moveToPoint(QPointF(0, 0));
    flat.lineToPoint(QPointF(10, 0.05));
    EXPECT_FALSE(CreateImageFromBezierPath(&flat, 0xFF, 0xFF, 1));
    EXPECT_FALSE(CreateImageFromBezierPath(nullptr, 0xFF, 0xFF, 1));
    const BezierPath empty;
    EXPECT_FALSE(CreateImageFromBezierPath(&empty, 0xFF, 0xFF, 1));
    // Sizes beyond what may be allocated give no image.
    const BezierPath huge = BezierPath::bezierPathWithRect(QRectF(0, 0, 1e6, 1e6));
    EXPECT_FALSE(CreateImageFromBezierPath(&huge, 0xFF, 0x100000000, 0));
}
