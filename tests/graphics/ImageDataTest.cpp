#include "graphics/ImageData.h"
#include "graphics/PelkoNSImage.h"

#include "support/TestEnvironment.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <limits>
#include <random>

using platform::Image;
using platform::ImagePtr;

namespace {

QImage solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

TEST(ImageDataTest, FactoriesRefuseWhatTheInitialiserRoundsUp)
{
    EXPECT_FALSE(ImageData::imageWithWidth(0, 5));
    ImageData buffer(0, 5);
    EXPECT_EQ(buffer.w(), 1);
    EXPECT_EQ(buffer.h(), 5);
    EXPECT_EQ(buffer.data.size(), 5u);
    const ImageData square;
    EXPECT_EQ(square.w(), 100);
    EXPECT_EQ(square.pixelAtX(50, 50), 0u); // transparent black
    const auto made = ImageData::imageWithWidth(3, 2);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->data.size(), 6u);
}

TEST(ImageDataTest, RefusedSizesLeaveABufferWithoutMemory)
{
    EXPECT_FALSE(ImageData::imageWithWidth(100000, 100000));
    EXPECT_FALSE(ImageData::imageWithWidth(qint64(1) << 32, qint64(1) << 32));
    ImageData none(100000, 100000);
    EXPECT_EQ(none.getBuffer(), nullptr);
    EXPECT_EQ(none.w(), 0);
    EXPECT_EQ(none.h(), 0);
    EXPECT_EQ(none.pixelAtX(0, 0), 0u);
    EXPECT_EQ(none.GetRectAfterIgnoreTransparentPoint(), QRectF());
    EXPECT_FALSE(none.GetNSImage());
    EXPECT_FALSE(none.copy());
    const ImagePtr image = Image::fromBitmap(solid(4, 4, Qt::red));
    EXPECT_FALSE(none.SetFromNSImage(image.get(), true));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const QSizeF size : {QSizeF(nan, 5), QSizeF(1e300, 1e300), QSizeF(5, -nan),
                              QSizeF(100000, 100000), QSizeF(0.4, 10)})
        EXPECT_FALSE(ImageData::imageWithNSImage(image.get(), size)) << size.width();
}

TEST(ImageDataTest, AnImageIsReadAtItsPixelSize)
{
    const ImagePtr icon = Image::fromBitmap(solid(32, 32, Qt::red), QSizeF(16, 16));
    const auto buffer = ImageData::imageWithNSImage(icon.get());
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->w(), 32);
    EXPECT_EQ(buffer->h(), 32);
    EXPECT_EQ(buffer->pixelAtX(5, 5), 0xFF0000FFu); // R in the low byte
    const auto scaled = ImageData::imageWithNSImage(icon.get(), QSizeF(10.5, 3.2));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->w(), 11);
    EXPECT_EQ(scaled->h(), 3);
    EXPECT_EQ(scaled->pixelAtX(10, 2), 0xFF0000FFu);
    EXPECT_FALSE(ImageData::imageWithNSImage(nullptr));
    Image empty(QSizeF(3, 3));
    EXPECT_FALSE(ImageData::imageWithNSImage(&empty));
}

TEST(ImageDataTest, RowZeroIsTheTopAndBytesArePremultiplied)
{
    QImage picture(2, 2, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixelColor(1, 0, QColor(255, 0, 0, 128)); // top right, half transparent red
    const auto buffer = ImageData::imageWithNSImage(Image::fromBitmap(picture).get());
    ASSERT_TRUE(buffer);
    const PIXEL p = buffer->pixelAtX(1, 0);
    EXPECT_EQ(p >> 24, 128u);
    EXPECT_NEAR(int(p & 0xFF), 128, 1);
    EXPECT_EQ(buffer->pixelAtX(1, 1), 0u);
    EXPECT_EQ(buffer->pixelAtX(-1, 0), 0u);
    EXPECT_EQ(buffer->pixelAtX(2, 0), 0u);
    EXPECT_EQ(buffer->GetRectAfterIgnoreTransparentPoint(), QRectF(1, 0, 1, 1));
}

TEST(ImageDataTest, TheCachedImageChangesOnlyAfterRefresh)
{
    auto buffer = ImageData::imageWithWidth(4, 4);
    ASSERT_TRUE(buffer);
    const ImagePtr first = buffer->GetNSImage();
    ASSERT_TRUE(first);
    buffer->getBuffer()[0] = 0xFF0000FF;
    EXPECT_EQ(buffer->GetNSImage(), first);
    buffer->RefreshNSImage();
    const ImagePtr second = buffer->GetNSImage();
    ASSERT_TRUE(second && second != first);
    EXPECT_EQ(second->representations()[0].bitmap.pixelColor(0, 0), QColor(Qt::red));
}

TEST(ImageDataTest, TransparentBoxOfAnyBuffer)
{
    for (const auto &[w, h] : {std::pair{1, 1}, {8, 9}}) {
        auto buffer = ImageData::imageWithWidth(w, h);
        ASSERT_TRUE(buffer);
        EXPECT_EQ(buffer->GetRectAfterIgnoreTransparentPoint(), QRectF());
    }
    auto buffer = ImageData::imageWithWidth(10, 12);
    buffer->getBuffer()[7 * 10 + 3] = 0xFF000000;
    EXPECT_EQ(buffer->GetRectAfterIgnoreTransparentPoint(), QRectF(3, 7, 1, 1));
    buffer->getBuffer()[2 * 10 + 8] = 0x01000000;
    buffer->getBuffer()[9 * 10 + 1] = 0x01000000;
    buffer->getBuffer()[5 * 10 + 5] = 0x01000000; // inside the box already
    EXPECT_EQ(buffer->GetRectAfterIgnoreTransparentPoint(), QRectF(1, 2, 8, 8));
}

TEST(ImageDataTest, ColourAboveItsAlphaIsHeldToTheAlphaOnTheWayOut)
{
    // Not premultiplied colour: red 255 at alpha 64, blue 10 is fine.
    const PIXEL pixels[2] = {0x400A00FFu, 0xFF102030u};
    const ImagePtr image = ConvertBitmapRGBA8ToNSImage(pixels, 2, 1);
    ASSERT_TRUE(image);
    const QImage bits = image->representations()[0].bitmap;
    const PIXEL *row = reinterpret_cast<const PIXEL *>(bits.constScanLine(0));
    EXPECT_EQ(row[0], 0x400A0040u);
    EXPECT_EQ(row[1], 0xFF102030u);
    EXPECT_FALSE(ConvertBitmapRGBA8ToNSImage(nullptr, 2, 1));
    EXPECT_FALSE(ConvertBitmapRGBA8ToNSImage(pixels, 0, 1));
    EXPECT_FALSE(ConvertBitmapRGBA8ToNSImage(pixels, 100000, 100000));
}

TEST(ImageDataTest, ValidBuffersSurviveTheRoundTripExactly)
{
    std::mt19937 random(7);
    auto buffer = ImageData::imageWithWidth(37, 23);
    ASSERT_TRUE(buffer);
    for (PIXEL &p : buffer->data) {
        const quint32 a = random() & 0xFF;
        p = (random() % (a + 1)) | ((random() % (a + 1)) << 8) | ((random() % (a + 1)) << 16) |
            (a << 24);
    }
    const ImagePtr image = buffer->GetNSImage();
    ASSERT_TRUE(image);
    const auto back = ImageData::imageWithNSImage(image.get());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->data, buffer->data);
    const auto copy = ImageData::imageCopy(buffer.get());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->data, buffer->data);
    EXPECT_FALSE(ImageData::imageCopy(nullptr));
}

TEST(ImageDataTest, FilesAndResources)
{
    const QString dir = pelkotest::freshDir();
    const QString path = dir + QStringLiteral("/a.png");
    ASSERT_TRUE(writeToPNG(Image::fromBitmap(solid(6, 5, Qt::blue)).get(), path));
    const auto buffer = ImageData::imageWithImageFile(path);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->w(), 6);
    EXPECT_EQ(buffer->pixelAtX(0, 0), 0xFFFF0000u);
    EXPECT_FALSE(ImageData::imageWithImageFile(QString()));
    EXPECT_FALSE(ImageData::imageWithImageFile(dir));
    EXPECT_FALSE(ImageData::imageWithResource(QString()));
    EXPECT_FALSE(ImageData::imageWithResource(QStringLiteral("not a resource")));
}

} // namespace
