// The height field and shaded material filters: shape and orientation, not exact pixels.
#include <gtest/gtest.h>

#include "platform/Filter.h"

#include <QImage>
#include <QPainter>

using platform::Filter;
using platform::FilterImage;

namespace {

// A white square on black, as a mask is drawn.
FilterImage squareMask(int side = 100, int inset = 20)
{
    QImage mask(side, side, QImage::Format_RGBA8888_Premultiplied);
    mask.fill(Qt::black);
    QPainter(&mask).fillRect(QRect(inset, inset, side - 2 * inset, side - 2 * inset), Qt::white);
    return FilterImage::fromImage(mask);
}

// Red grows to the right, green downwards: the colour read tells where it was read.
FilterImage positionShading()
{
    QImage shading(64, 64, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            shading.setPixel(x, y, qRgba(x * 4, y * 4, 0, 255));
    return FilterImage::fromImage(shading);
}

FilterImage heightOf(const FilterImage &mask, double radius)
{
    std::unique_ptr<Filter> f = Filter::filterWithName(QStringLiteral("CIHeightFieldFromMask"));
    if (!f)
        return {};
    f->setDefaults();
    f->setValue(QStringLiteral("inputImage"), mask);
    f->setValue(QStringLiteral("inputRadius"), radius);
    return f->outputImage();
}

int grey(const FilterImage &image, int x, int y)
{
    return qRed(image.pixels().pixel(x, y));
}

} // namespace

TEST(MaterialFilters, HeightRisesSmoothlyInsideTheMask)
{
    const FilterImage height = heightOf(squareMask(), 10);
    ASSERT_FALSE(height.isNull());
    EXPECT_EQ(height.extent(), QRectF(0, 0, 100, 100));
    EXPECT_GE(grey(height, 50, 50), 250);
    EXPECT_LE(grey(height, 2, 2), 5);
    // Half way up on the edge, rising inwards.
    EXPECT_NEAR((grey(height, 19, 50) + grey(height, 20, 50)) / 2.0, 127.5, 12);
    EXPECT_LT(grey(height, 15, 50), grey(height, 25, 50));

    // What lies beyond the image is low ground: a mask white to its edges still slopes there.
    QImage white(40, 40, QImage::Format_RGBA8888_Premultiplied);
    white.fill(Qt::white);
    const FilterImage plateau = heightOf(FilterImage::fromImage(white), 10);
    ASSERT_FALSE(plateau.isNull());
    EXPECT_LT(grey(plateau, 0, 20), 200);
    EXPECT_GE(grey(plateau, 20, 20), 200);
}

TEST(MaterialFilters, ShadingFollowsTheSlope)
{
    std::unique_ptr<Filter> f = Filter::filterWithName(QStringLiteral("CIShadedMaterial"));
    ASSERT_TRUE(f);
    f->setDefaults();
    EXPECT_TRUE(f->outputImage().isNull());
    f->setValue(QStringLiteral("inputImage"), heightOf(squareMask(), 10));
    EXPECT_TRUE(f->outputImage().isNull()) << "no shading image";
    f->setValue(QStringLiteral("inputShadingImage"), positionShading());
    f->setValue(QStringLiteral("inputScale"), 20.0);
    const FilterImage out = f->outputImage();
    ASSERT_FALSE(out.isNull());
    ASSERT_EQ(out.pixels().size(), QSize(100, 100));
    const QImage &p = out.pixels();
    // Flat ground faces the viewer: the middle of the shading image.
    EXPECT_NEAR(qRed(p.pixel(50, 50)), 128, 8);
    EXPECT_NEAR(qGreen(p.pixel(50, 50)), 128, 8);
    // The slope at the top of the square (pixel row 20) faces up: the top of the shading.
    EXPECT_LT(qGreen(p.pixel(50, 20)), 100);
    EXPECT_NEAR(qRed(p.pixel(50, 20)), 128, 8);
    EXPECT_GT(qGreen(p.pixel(50, 79)), 156);
    EXPECT_LT(qRed(p.pixel(20, 50)), 100);
    EXPECT_GT(qRed(p.pixel(79, 50)), 156);
}
