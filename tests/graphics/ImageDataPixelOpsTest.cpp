// Outline, shadow, gradient fill, scaling, drawing over, cutting out, masking, resizing and
// moving the canvas of an RGBA8 buffer.
#include "graphics/ImageData.h"
#include "platform/ImageWriter.h"

#include "PixelTestSupport.h"

#include <QColor>
#include <gtest/gtest.h>

using namespace pixeltest;

namespace {

// w x h pixels numbered so that each is distinct and opaque.
ImageDataPtr numbered(qint64 w, qint64 h)
{
    std::vector<PIXEL> pixels;
    for (qint64 i = 0; i < w * h; ++i)
        pixels.push_back(rgba(quint32(i % 251), quint32(i / 251), 7));
    return bufferOf(pixels, w, h);
}

} // namespace

TEST(ImageDataPixelOpsTest, ShadowIsTheSilhouetteMovedAndFaded)
{
    const ImageDataPtr opaque = bufferOf(std::vector<PIXEL>(100, rgba(1, 2, 3)), 10, 10);
    const ImageDataPtr shadow = opaque->imageMaskShadowWithX(2, 3, 0.5f, rgba(255, 0, 0));
    ASSERT_TRUE(shadow);
    for (qint64 y = 0; y < 10; ++y)
        for (qint64 x = 0; x < 10; ++x)
            ASSERT_EQ(shadow->pixelAtX(x, y), x >= 2 && y >= 3 ? rgba(127, 0, 0, 127) : 0u)
                << x << "," << y;
    // Offsets of a whole side or more, in any direction, leave nothing; no sum overflows.
    for (qint64 d : {qint64(10), qint64(-10), qint64(INT64_MAX), qint64(INT64_MIN)}) {
        const ImageDataPtr gone = opaque->imageMaskShadowWithX(d, 0, 1, rgba(0, 0, 255));
        ASSERT_TRUE(gone);
        EXPECT_EQ(gone->data, std::vector<PIXEL>(100, 0)) << d;
    }
    // Alpha held to 0..1, NaN as 0.
    EXPECT_EQ(opaque->imageMaskShadowWithX(0, 0, 7, rgba(0, 255, 0))->pixelAtX(0, 0),
              rgba(0, 255, 0));
    EXPECT_EQ(opaque->imageMaskShadowWithX(0, 0, NAN, rgba(0, 255, 0))->pixelAtX(0, 0), 0u);
}

TEST(ImageDataPixelOpsTest, OutlineGrowsTheOpaqueAreaInPremultipliedColour)
{
    std::vector<PIXEL> pixels(25, 0);
    pixels[12] = rgba(9, 9, 9);
    const ImageDataPtr dot = bufferOf(pixels, 5, 5);
    const ImageDataPtr outline = dot->imageMaskExtendWidth(1, 0.5f, rgba(200, 100, 0));
    ASSERT_TRUE(outline);
    EXPECT_EQ(outline->pixelAtX(2, 2), rgba(200, 100, 0));
    EXPECT_EQ(outline->pixelAtX(1, 1), rgba(100, 50, 0, 127));
    EXPECT_EQ(outline->pixelAtX(0, 0), 0u) << "beyond the outline every byte is 0";
    EXPECT_FALSE(dot->imageMaskExtendWidth(0, 0, rgba(1, 1, 1)));
    EXPECT_FALSE(dot->imageMaskExtendWidth(1, 1.0f, rgba(1, 1, 1)));
}

TEST(ImageDataPixelOpsTest, GradientFillsColourUnderTheAlpha)
{
    const ImageDataPtr data =
        bufferOf({rgba(9, 9, 9), rgba(0, 0, 0, 0), rgba(5, 5, 5, 128), rgba(1, 1, 1)}, 4, 1);
    const QGradientStops stops{{0, QColor(0, 0, 255)}, {1, QColor(255, 0, 0)}};
    ASSERT_TRUE(data->ApplyGradien(stops, 0)); // left to right
    EXPECT_LT(data->pixelAtX(0, 0) & 0xFF, 64u);
    EXPECT_GT((data->pixelAtX(0, 0) >> 16) & 0xFF, 192u);
    EXPECT_EQ(data->pixelAtX(1, 0), 0u) << "transparent stays transparent";
    EXPECT_EQ(data->pixelAtX(2, 0) >> 24, 128u);
    EXPECT_LE(data->pixelAtX(2, 0) & 0xFF, 128u) << "colour never above alpha";
    EXPECT_GT(data->pixelAtX(3, 0) & 0xFF, 192u);

    // 90 degrees runs upwards: the first stop at the bottom row.
    const ImageDataPtr column = bufferOf(std::vector<PIXEL>(4, rgba(0, 0, 0)), 1, 4);
    ASSERT_TRUE(column->ApplyGradien(stops, 90));
    EXPECT_GT((column->pixelAtX(0, 3) >> 16) & 0xFF, 192u);
    EXPECT_GT(column->pixelAtX(0, 0) & 0xFF, 192u);
    EXPECT_FALSE(column->ApplyGradien({}, 0));
}

TEST(ImageDataPixelOpsTest, NearestNeighbourScaling)
{
    const ImageDataPtr big = numbered(50, 50);
    const PIXEL topLeft = big->pixelAtX(0, 0);
    big->scaleX(0.01f, 0.01f);
    EXPECT_EQ(big->w(), 1);
    EXPECT_EQ(big->h(), 1);
    EXPECT_EQ(big->data, std::vector<PIXEL>{topLeft});

    const ImageDataPtr small = numbered(3, 2);
    const ImageDataPtr original = small->copy();
    small->scaleX(2, 2);
    ASSERT_EQ(small->w(), 6);
    ASSERT_EQ(small->h(), 4);
    for (qint64 y = 0; y < 4; ++y)
        for (qint64 x = 0; x < 6; ++x)
            EXPECT_EQ(small->pixelAtX(x, y), original->pixelAtX(x / 2, y / 2));

    // NaN, zero, negative and sizes beyond the bound change nothing.
    for (auto [sx, sy] : {std::pair{NAN, 1.0f},
                          {1.0f, NAN},
                          {0.0f, 1.0f},
                          {-1.0f, 1.0f},
                          {1e30f, 1e30f},
                          {1e5f, 1e5f}}) {
        const ImageDataPtr same = numbered(3, 2);
        same->scaleX(sx, sy);
        EXPECT_EQ(same->data, original->data) << sx << " " << sy;
        EXPECT_EQ(same->w(), 3);
    }
}

TEST(ImageDataPixelOpsTest, DrawingOverIsPremultipliedSourceOver)
{
    const ImageDataPtr target = bufferOf(std::vector<PIXEL>(16, rgba(0, 0, 200)), 4, 4);
    const ImageDataPtr top = bufferOf(std::vector<PIXEL>(16, rgba(255, 0, 0)), 4, 4);
    target->drawOverBy(top.get(), QPointF(0, 0));
    for (qint64 y = 0; y < 4; ++y)
        for (qint64 x = 0; x < 4; ++x)
            EXPECT_EQ(target->pixelAtX(x, y), x < 2 && y < 2 ? rgba(255, 0, 0) : rgba(0, 0, 200));

    struct Row
    {
        const char *name;
        PIXEL top, target, out;
    } rows[] = {
        {"half red over opaque blue", rgba(128, 0, 0, 128), rgba(0, 0, 255),
         rgba(128, 0, 127, 255)},
        {"transparent top keeps target", 0, rgba(1, 2, 3), rgba(1, 2, 3)},
        {"over transparent target", rgba(10, 0, 0, 20), 0, rgba(10, 0, 0, 20)},
        {"half over half", rgba(0, 64, 0, 128), rgba(64, 0, 0, 128), rgba(32, 64, 0, 192)},
    };
    for (const Row &row : rows) {
        const ImageDataPtr t = bufferOf({row.target}, 1, 1);
        const ImageDataPtr s = bufferOf({row.top}, 1, 1);
        t->drawOverBy(s.get(), QPointF(0.5, 0.5));
        EXPECT_EQ(t->data[0], row.out) << row.name;
    }
    const ImageDataPtr same = numbered(3, 3);
    const auto before = same->data;
    same->drawOverBy(same.get(), QPointF(1.5, 1.5));
    EXPECT_EQ(same->data, before);
    same->drawOverBy(top.get(), QPointF(NAN, 0));
    same->drawOverBy(top.get(), QPointF(1e300, -1e300));
    EXPECT_EQ(same->data, before);
}

TEST(ImageDataPixelOpsTest, AreaHalfOutsideIsTransparentThere)
{
    const ImageDataPtr data = numbered(4, 4);
    const auto image = data->getImageInArea(QRectF(2, -1, 4, 2));
    const std::vector<PIXEL> cut = pixelsOf(image);
    ASSERT_EQ(cut.size(), 8u);
    EXPECT_EQ(cut,
              (std::vector<PIXEL>{0, 0, 0, 0, data->pixelAtX(2, 0), data->pixelAtX(3, 0), 0, 0}));
    EXPECT_FALSE(data->getImageInArea(QRectF(0, 0, 0.4, 3)));
    EXPECT_FALSE(data->getImageInArea(QRectF(NAN, 0, 2, 2)));
    EXPECT_FALSE(data->getImageInArea(QRectF(0, 0, 1e12, 1e12)));
    EXPECT_EQ(pixelsOf(data->getImageInArea(QRectF(1e300, -1e300, 2, 1))),
              (std::vector<PIXEL>{0, 0}));
}

TEST(ImageDataPixelOpsTest, MaskGivesItsAlphaAndTransparencyBeyondIt)
{
    const ImageDataPtr data = bufferOf(std::vector<PIXEL>(16, rgba(200, 100, 0)), 4, 4);
    const ImageDataPtr mask = bufferOf({rgba(0, 0, 0, 255), rgba(0, 0, 0, 128), 0, 0}, 2, 2);
    ASSERT_TRUE(data->ApplyMask(mask.get()));
    EXPECT_EQ(data->pixelAtX(0, 0), rgba(200, 100, 0));
    EXPECT_EQ(data->pixelAtX(1, 0), rgba(100, 50, 0, 128)) << "colour follows the new alpha";
    for (qint64 y = 0; y < 4; ++y) {
        for (qint64 x = 0; x < 4; ++x) {
            if (x >= 2 || y >= 2 || y == 1) {
                EXPECT_EQ(data->pixelAtX(x, y), 0u) << x << "," << y;
            }
        }
    }
    EXPECT_FALSE(data->ApplyMask(nullptr));
}

TEST(ImageDataPixelOpsTest, ResizeDrawsScaledAndAFailureKeepsTheBuffer)
{
    const ImageDataPtr data = bufferOf(std::vector<PIXEL>(4, rgba(10, 20, 30)), 2, 2);
    ASSERT_TRUE(data->ResizeImg(QSizeF(3.6, 1.2)));
    EXPECT_EQ(data->w(), 4);
    EXPECT_EQ(data->h(), 1);
    EXPECT_EQ(data->data, std::vector<PIXEL>(4, rgba(10, 20, 30)));

    const auto before = data->data;
    for (QSizeF refused : {QSizeF(0.4, 5), QSizeF(NAN, 5), QSizeF(1e9, 1e9)}) {
        EXPECT_FALSE(data->ResizeImg(refused));
        EXPECT_EQ(data->data, before);
        EXPECT_EQ(data->w(), 4);
    }
}

TEST(ImageDataPixelOpsTest, CanvasStartsAtTheFlooredPoint)
{
    const ImageDataPtr data = numbered(3, 3);
    const ImageDataPtr original = data->copy();
    ASSERT_TRUE(data->ChangeCanvasWithStartPoint(QPointF(-1, -1), QSizeF(5, 5)));
    for (qint64 y = 0; y < 5; ++y)
        for (qint64 x = 0; x < 5; ++x)
            EXPECT_EQ(data->pixelAtX(x, y), original->pixelAtX(x - 1, y - 1)) << x << "," << y;

    // A start of -0.5 adds a transparent column rather than reading column 0 twice.
    const ImageDataPtr half = original->copy();
    ASSERT_TRUE(half->ChangeCanvasWithStartPoint(QPointF(-0.5, 0), QSizeF(3, 3)));
    for (qint64 y = 0; y < 3; ++y) {
        EXPECT_EQ(half->pixelAtX(0, y), 0u);
        EXPECT_EQ(half->pixelAtX(1, y), original->pixelAtX(0, y));
        EXPECT_EQ(half->pixelAtX(2, y), original->pixelAtX(1, y));
    }
    const ImageDataPtr kept = original->copy();
    for (auto [p, size] : {std::pair{QPointF(0, 0), QSizeF(0.9, 3)},
                           {QPointF(NAN, 0), QSizeF(3, 3)},
                           {QPointF(0, 0), QSizeF(1e10, 1e10)}}) {
        EXPECT_FALSE(kept->ChangeCanvasWithStartPoint(p, size));
        EXPECT_EQ(kept->data, original->data);
    }
    ASSERT_TRUE(kept->ChangeCanvasWithStartPoint(QPointF(1e300, 0), QSizeF(2, 1)));
    EXPECT_EQ(kept->data, (std::vector<PIXEL>{0, 0}));
}
