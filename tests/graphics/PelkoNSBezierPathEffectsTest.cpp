// Blurred strokes and fills, the shaded material and the outline offset, drawn offscreen.
#include <gtest/gtest.h>

#include "graphics/PelkoNSBezierPath.h"
#include "platform/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <functional>

using platform::BezierPath;
using platform::Color;

namespace {

QImage draw(QSize size, const std::function<void()> &drawing,
            const QTransform &transform = QTransform())
{
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setTransform(transform);
    platform::GraphicsContextScope scope(&painter);
    drawing();
    return image;
}

// Pixels that carry black (opaque enough to see, no colour): what the copy beyond the clip
// would leave if it were not clipped away.
int blackPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qAlpha(p) > 40 && qRed(p) < 10 && qGreen(p) < 10 && qBlue(p) < 10;
        }
    return n;
}

BezierPath lShape()
{
    // The notch is at the bottom right (x > 40, y > 40).
    BezierPath p;
    p.moveToPoint(QPointF(0, 0));
    p.lineToPoint(QPointF(100, 0));
    p.lineToPoint(QPointF(100, 40));
    p.lineToPoint(QPointF(40, 40));
    p.lineToPoint(QPointF(40, 100));
    p.lineToPoint(QPointF(0, 100));
    p.closePath();
    return p;
}

} // namespace

TEST(PelkoNSBezierPathEffects, SmallRadiusDrawsPlainlyLargerOnlyTheBlur)
{
    BezierPath square = BezierPath::bezierPathWithRect(QRectF(130, 50, 40, 40));
    square.setLineWidth(4);
    struct Row
    {
        const char *name;
        double radius;
        bool stroke;
    };
    const Row rows[] = {
        {"fill 0.02", 0.02, false},
        {"fill 0.03", 0.03, false},
        {"stroke 0.02", 0.02, true},
        {"stroke 0.03", 0.03, true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const QImage image = draw(QSize(400, 200), [&] {
            if (r.stroke)
                strokeBlurWithColor(square, Color::red(), r.radius);
            else
                fillBlurWithColor(square, Color::red(), r.radius);
        });
        // Red on the path's place either way (a blur this small is all but sharp).
        const QRgb onPath = image.pixel(r.stroke ? 130 : 150, 70);
        EXPECT_GE(qAlpha(onPath), 200);
        EXPECT_GE(qRed(onPath), 200);
        EXPECT_EQ(qGreen(onPath), 0);
        EXPECT_EQ(blackPixels(image), 0);
        EXPECT_EQ(qAlpha(image.pixel(350, 70)), 0);
        if (r.stroke) {
            EXPECT_EQ(qAlpha(image.pixel(150, 70)), 0);
        }
    }
    // The plain fill ends sharply at the path's edge.
    const QImage plain =
        draw(QSize(400, 200), [&] { fillBlurWithColor(square, Color::red(), 0.02); });
    EXPECT_EQ(plain.pixel(130, 50), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(plain.pixel(129, 70)), 0);
    EXPECT_EQ(qAlpha(plain.pixel(170, 70)), 0);
    // An invalid colour draws nothing.
    const QImage none = draw(QSize(400, 200), [&] { fillBlurWithColor(square, Color(), 5); });
    EXPECT_EQ(none, draw(QSize(400, 200), [] {}));
}

TEST(PelkoNSBezierPathEffects, ClipBoxSnapsToHundreds)
{
    EXPECT_EQ(blurClipBox(QRectF(130, 250, 40, 40), 1, 5), QRectF(0, 100, 200, 300));
    // Truncation toward zero: below the origin the box reaches a hundred further.
    EXPECT_EQ(blurClipBox(QRectF(-130, -250, 40, 40), 1, 5), QRectF(-200, -300, 300, 300));
    // Far-off or broken bounds saturate to 32 bits, never overflow.
    const QRectF far = blurClipBox(QRectF(1e12, -1e12, 1e13, 5), 1, 5);
    EXPECT_EQ(far.left(), 2147483600.0 - 100);
    EXPECT_EQ(far.top(), -2147483600.0 - 100);
    EXPECT_EQ(blurClipBox(QRectF(qQNaN(), 0, 10, 10), 1, 5).left(), -100);
}

TEST(PelkoNSBezierPathEffects, BlurLandsOnThePathWhereverItIs)
{
    // Bounds (130, 250, 40, 40), line width 1, radius 5: box (0, 100, 200, 300), the copy
    // moved right by 200 and its shadow thrown back by -200.
    const BezierPath square = BezierPath::bezierPathWithRect(QRectF(130, 250, 40, 40));
    auto fill = [&] { fillBlurWithColor(square, Color::blue(), 5); };
    const QImage image = draw(QSize(500, 500), fill);
    EXPECT_GE(qAlpha(image.pixel(150, 270)), 250);
    EXPECT_GE(qBlue(image.pixel(150, 270)), 250);
    EXPECT_GT(qAlpha(image.pixel(126, 270)), 0) << "soft beyond the edge";
    EXPECT_LT(qAlpha(image.pixel(126, 270)), 200);
    EXPECT_EQ(qAlpha(image.pixel(115, 270)), 0);
    EXPECT_EQ(qAlpha(image.pixel(350, 270)), 0) << "the copy stays outside the box";
    EXPECT_EQ(blackPixels(image), 0);

    // Under a scale and a move the shadow still falls on the path.
    const QImage moved = draw(QSize(250, 250), fill,
                              QTransform::fromScale(0.5, 0.5) * QTransform::fromTranslate(20, -60));
    EXPECT_GE(qAlpha(moved.pixel(95, 75)), 250);
    EXPECT_EQ(qAlpha(moved.pixel(60, 75)), 0);
    EXPECT_EQ(blackPixels(moved), 0);
}

TEST(PelkoNSBezierPathEffects, ShadedMaterialNeedsAShadingImage)
{
    const BezierPath square = BezierPath::bezierPathWithRect(QRectF(20, 20, 60, 60));
    const QImage blank = draw(QSize(100, 100), [] {});
    EXPECT_EQ(draw(QSize(100, 100), [&] { drawPathWithShadedMaterial(square, nullptr, 10, 20); }),
              blank);
}

TEST(PelkoNSBezierPathEffects, ShadedMaterialFacesTheRightWay)
{
    // Red grows to the right, green downwards in the shading image.
    QImage shading(64, 64, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            shading.setPixel(x, y, qRgba(x * 4, y * 4, 0, 255));
    const platform::ImagePtr shadingImage = platform::Image::fromBitmap(shading);
    const BezierPath square = BezierPath::bezierPathWithRect(QRectF(20, 20, 60, 60));
    const QImage image = draw(
        QSize(100, 100), [&] { drawPathWithShadedMaterial(square, shadingImage.get(), 10, 20); });
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0) << "clipped to the path";
    EXPECT_EQ(qAlpha(image.pixel(90, 50)), 0);
    EXPECT_EQ(qAlpha(image.pixel(50, 50)), 255);
    EXPECT_NEAR(qGreen(image.pixel(50, 50)), 128, 10) << "flat faces the viewer";
    // The upper edge on screen faces up and reads the top of the shading image.
    EXPECT_LT(qGreen(image.pixel(50, 21)), 100);
    EXPECT_GT(qGreen(image.pixel(50, 78)), 156);
    EXPECT_LT(qRed(image.pixel(21, 50)), 100);
    EXPECT_GT(qRed(image.pixel(78, 50)), 156);
}

TEST(PelkoNSBezierPathEffects, ExpandGrowsAndShrinksTheOutline)
{
    struct Row
    {
        const char *name;
        float distance;
        QRectF bounds;
    };
    const Row rows[] = {
        {"grow 3", 3, QRectF(47, 47, 106, 106)},
        {"shrink 3", -3, QRectF(53, 53, 94, 94)},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        BezierPath path = BezierPath::bezierPathWithRect(QRectF(50, 50, 100, 100));
        ASSERT_TRUE(ExpandWithValue(path, r.distance));
        const QRectF b = path.bounds();
        // Within a pixel of the 900-pixel raster (106 / 900 units).
        const double pixel = 0.13;
        EXPECT_NEAR(b.left(), r.bounds.left(), pixel);
        EXPECT_NEAR(b.top(), r.bounds.top(), pixel);
        EXPECT_NEAR(b.right(), r.bounds.right(), pixel);
        EXPECT_NEAR(b.bottom(), r.bounds.bottom(), pixel);
    }
    // Growing rounds the corners: the corner of the grown box stays outside.
    BezierPath grown = BezierPath::bezierPathWithRect(QRectF(50, 50, 100, 100));
    ASSERT_TRUE(ExpandWithValue(grown, 3));
    EXPECT_FALSE(grown.containsPoint(QPointF(47.4, 47.4)));
    EXPECT_TRUE(grown.containsPoint(QPointF(100, 47.4)));

    BezierPath small = BezierPath::bezierPathWithRect(QRectF(50, 50, 100, 100));
    const BezierPath before = small;
    EXPECT_FALSE(ExpandWithValue(small, 0.4f));
    EXPECT_FALSE(ExpandWithValue(small, -0.4f));
    EXPECT_EQ(small, before);
    BezierPath empty;
    EXPECT_FALSE(ExpandWithValue(empty, 3));
}

TEST(PelkoNSBezierPathEffects, ExpandKeepsTheShapeTheRightWayUp)
{
    BezierPath path = lShape();
    ASSERT_TRUE(ExpandWithValue(path, 3));
    EXPECT_TRUE(path.containsPoint(QPointF(20, 80)));
    EXPECT_TRUE(path.containsPoint(QPointF(80, 20)));
    EXPECT_TRUE(path.containsPoint(QPointF(80, 42))) << "grown into the notch by 3";
    EXPECT_FALSE(path.containsPoint(QPointF(80, 80))) << "the notch stays at the bottom right";
    EXPECT_FALSE(path.containsPoint(QPointF(80, 45)));
}
