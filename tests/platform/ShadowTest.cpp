// Shadows of the graphics context: a Gaussian blur of the shape, over the clip only, thrown by
// an offset in the current coordinates.
#include <gtest/gtest.h>

#include "platform/GraphicsContext.h"

#include <QImage>
#include <QPainter>

using platform::GraphicsContextScope;
using platform::Shadow;

namespace {

QImage canvas(int w = 200, int h = 100)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

Shadow blackShadow(double radius, QSizeF offset = QSizeF(0, 0))
{
    Shadow s;
    s.offset = offset;
    s.blurRadius = radius;
    s.color = Qt::black;
    return s;
}

int alphaAt(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

// Fills nothing itself (transparent fill): only the shadow lands.
void fillWithShadowOnly(QImage &image, const QRectF &rect, const Shadow &shadow,
                        const QTransform &transform = {}, const QRectF &clip = {})
{
    QPainter painter(&image);
    painter.setTransform(transform);
    GraphicsContextScope scope(&painter);
    if (!clip.isNull())
        scope.context().clipToRect(clip);
    scope.context().setShadow(shadow);
    scope.context().setFillColor(Qt::transparent);
    scope.context().fillRect(rect);
}

} // namespace

TEST(Shadow, BlurFadesAcrossTheEdge)
{
    // sigma = 4: full inside, about half on the edge, nothing three sigmas out.
    QImage image = canvas();
    fillWithShadowOnly(image, QRectF(60, 20, 80, 60), blackShadow(8));
    EXPECT_GE(alphaAt(image, 100, 50), 250);
    // The edge lies between two pixels: they share the step about its middle.
    EXPECT_NEAR((alphaAt(image, 59, 50) + alphaAt(image, 60, 50)) / 2.0, 127.5, 6);
    EXPECT_NEAR((alphaAt(image, 139, 50) + alphaAt(image, 140, 50)) / 2.0, 127.5, 6);
    EXPECT_NEAR(alphaAt(image, 60, 50), alphaAt(image, 139, 50), 2);
    EXPECT_LT(alphaAt(image, 56, 50), alphaAt(image, 60, 50));
    EXPECT_GT(alphaAt(image, 56, 50), 0);
    EXPECT_EQ(alphaAt(image, 45, 50), 0);
    EXPECT_EQ(alphaAt(image, 155, 50), 0);
    // A premultiplied colour never exceeds its alpha.
    for (int x = 40; x < 160; ++x) {
        const QRgb p = image.pixel(x, 50);
        ASSERT_LE(qRed(p), qAlpha(p));
    }
}

TEST(Shadow, DrawnOnlyOverTheClip)
{
    QImage image = canvas();
    fillWithShadowOnly(image, QRectF(60, 20, 80, 60), blackShadow(8), QTransform(),
                       QRectF(0, 0, 100, 100));
    EXPECT_GE(alphaAt(image, 90, 50), 250);
    EXPECT_EQ(alphaAt(image, 101, 50), 0);
    EXPECT_EQ(alphaAt(image, 130, 50), 0);
}

TEST(Shadow, OffsetFollowsTheCurrentTransform)
{
    // An offset of (-50, 0) in coordinates scaled by 2 moves the shadow 100 pixels left.
    QImage image = canvas(300, 100);
    fillWithShadowOnly(image, QRectF(100, 10, 20, 30), blackShadow(2, QSizeF(-50, 0)),
                       QTransform::fromScale(2, 2));
    EXPECT_GE(alphaAt(image, 120, 50), 250);
    EXPECT_EQ(alphaAt(image, 220, 50), 0);
    EXPECT_EQ(alphaAt(image, 260, 50), 0);
    // A blur of radius 2 in units of 2 pixels reaches about 6 pixels beyond the edge.
    EXPECT_GT(alphaAt(image, 97, 50), 0);
    EXPECT_EQ(alphaAt(image, 85, 50), 0);
}

TEST(Shadow, WithoutRadiusTheShapeItself)
{
    EXPECT_EQ(Shadow().offset, QSizeF(0, 0));
    QImage image = canvas();
    fillWithShadowOnly(image, QRectF(60, 20, 80, 60), blackShadow(0, QSizeF(10, 0)));
    EXPECT_EQ(alphaAt(image, 69, 50), 0);
    EXPECT_EQ(alphaAt(image, 71, 50), 255);
    EXPECT_EQ(alphaAt(image, 149, 50), 255);
}
