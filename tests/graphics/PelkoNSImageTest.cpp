#include "graphics/PelkoNSImage.h"
#include "platform/GraphicsContext.h"
#include "platform/ImageReader.h"
#include "platform/ImageWriter.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <limits>

using platform::Image;
using platform::ImagePtr;

namespace {

QImage solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

QImage photoLike(int w, int h)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y, QColor((x * 7) & 255, (y * 5) & 255, (x * y) & 255));
    return image;
}

ImagePtr filterOnlyImage(int w, int h)
{
    return Image::fromFilterImage(platform::FilterImage::fromImage(solid(w, h, Qt::red)));
}

TEST(PelkoNSImageTest, PixelSizeIsTheBitmapsNotThePoints)
{
    const ImagePtr image = Image::fromBitmap(solid(200, 200, Qt::red), QSizeF(100, 100));
    EXPECT_EQ(getPixelSize(image.get()), QSizeF(200, 200));
    EXPECT_EQ(image->size(), QSizeF(100, 100));
    EXPECT_EQ(getPixelSize(nullptr), QSizeF());
    EXPECT_FALSE(isOK(nullptr));
    Image empty(QSizeF(10, 10));
    EXPECT_FALSE(isOK(&empty));
}

TEST(PelkoNSImageTest, GetImageRepAddsOneBitmapToAnImageWithoutOne)
{
    const ImagePtr image = filterOnlyImage(30, 20);
    ASSERT_EQ(image->representations().size(), 1u);
    const auto first = getImageRep(image.get());
    ASSERT_TRUE(first && first->isBitmap());
    EXPECT_EQ(first->bitmap.size(), QSize(30, 20));
    EXPECT_EQ(image->representations().size(), 2u);
    const auto second = getImageRep(image.get());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->bitmap.cacheKey(), first->bitmap.cacheKey());
    EXPECT_EQ(image->representations().size(), 2u);
    EXPECT_FALSE(getImageRep(nullptr));
}

TEST(PelkoNSImageTest, JpegQualityIsHeldBetweenFivePercentAndOne)
{
    const ImagePtr image = Image::fromBitmap(photoLike(64, 48));
    EXPECT_EQ(toJPGData(image.get(), 0.0f), toJPGData(image.get(), 0.05f));
    EXPECT_EQ(toJPGData(image.get(), 7.0f), toJPGData(image.get(), 1.0f));
    EXPECT_EQ(toJPGData(image.get(), std::numeric_limits<float>::quiet_NaN()),
              toJPGData(image.get(), 0.05f));
    EXPECT_NE(toJPGData(image.get(), 0.05f), toJPGData(image.get(), 1.0f));
    EXPECT_TRUE(toJPGData(nullptr, 1.0f).isEmpty());
}

TEST(PelkoNSImageTest, WritesReplaceTheFileOnlyWhenComplete)
{
    const QString dir = pelkotest::freshDir();
    const ImagePtr image = Image::fromBitmap(solid(5, 4, QColor(10, 20, 30)));
    for (const bool tiff : {false, true}) {
        SCOPED_TRACE(tiff ? "tiff" : "png");
        const QString path = dir + (tiff ? QStringLiteral("/a.tiff") : QStringLiteral("/a.png"));
        const QByteArray old("old content");
        ASSERT_TRUE(pelkotest::writeFile(path, old));
        {
            pelkotest::LogCapture log;
            platform::setImageWriteFailureHook([](const QString &) { return true; });
            const bool ok = tiff ? writeToTIFF(image.get(), path) : writeToPNG(image.get(), path);
            platform::setImageWriteFailureHook(nullptr);
            EXPECT_FALSE(ok);
        }
        EXPECT_EQ(pelkotest::readFile(path), old);
        EXPECT_TRUE(tiff ? writeToTIFF(image.get(), path) : writeToPNG(image.get(), path));
        QImage back(path);
        ASSERT_FALSE(back.isNull());
        EXPECT_EQ(back.pixelColor(2, 2), QColor(10, 20, 30));
        EXPECT_FALSE(tiff ? writeToTIFF(nullptr, path) : writeToPNG(nullptr, path));
        EXPECT_FALSE(tiff ? writeToTIFF(image.get(), QString())
                          : writeToPNG(image.get(), QString()));
    }
}

TEST(PelkoNSImageTest, TiffReadsBackWithAnIndependentTool)
{
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    const QString path = pelkotest::freshDir() + QStringLiteral("/b.tiff");
    ASSERT_TRUE(writeToTIFF(Image::fromBitmap(photoLike(20, 10)).get(), path));
    QProcess process;
    process.start(identify, {QStringLiteral("-format"), QStringLiteral("%C %w %h"), path});
    ASSERT_TRUE(process.waitForFinished(-1));
    EXPECT_EQ(process.readAllStandardOutput().trimmed(), QByteArray("LZW 20 10"));
}

TEST(PelkoNSImageTest, NumberOfImageRepCountsWhatTheFileHolds)
{
    const QString dir = pelkotest::freshDir();
    const QString png = dir + QStringLiteral("/a.png");
    ASSERT_TRUE(writeToPNG(Image::fromBitmap(solid(3, 3, Qt::red)).get(), png));
    const QString junk = dir + QStringLiteral("/junk");
    ASSERT_TRUE(pelkotest::writeFile(junk, "GIF89a but nothing else"));
    EXPECT_EQ(numberOfImageRep(png), 1);
    EXPECT_EQ(numberOfImageRep(junk), 0);
    EXPECT_EQ(numberOfImageRep(QString()), 0);
    EXPECT_EQ(numberOfImageRep(dir), 0);
}

TEST(PelkoNSImageTest, BitmapSizesAreRoundedAndBounded)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        QSizeF in;
        QSize out; // empty = no bitmap
    } rows[] = {
        {{10.4, 10.5}, {10, 11}}, {{0.4, 5}, {}},         {{nan, 5}, {}},
        {{5, 1e300}, {}},         {{100000, 100000}, {}}, {{-3, 4}, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.in.width());
        const QImage bitmap = bitmapWithPixelSize(row.in);
        EXPECT_EQ(bitmap.isNull(), row.out.isEmpty());
        if (!row.out.isEmpty()) {
            EXPECT_EQ(bitmap.size(), row.out);
        }
        if (!bitmap.isNull()) {
            EXPECT_EQ(bitmap.format(), QImage::Format_RGBA8888_Premultiplied);
            EXPECT_EQ(bitmap.pixelColor(0, 0).alpha(), 0);
        }
    }
}

TEST(PelkoNSImageTest, SetSize2RefusesSidesOfOneOrLess)
{
    const ImagePtr image = Image::fromBitmap(solid(4, 4, Qt::red));
    {
        pelkotest::LogCapture log;
        setSize2(image.get(), QSizeF(1, 100));
        setSize2(image.get(), QSizeF(std::numeric_limits<double>::quiet_NaN(), 100));
        EXPECT_EQ(log.reportCount(), 2);
    }
    EXPECT_EQ(image->size(), QSizeF(4, 4));
    setSize2(image.get(), QSizeF(2, 2));
    EXPECT_EQ(image->size(), QSizeF(2, 2));
    EXPECT_EQ(image->representations()[0].size, QSizeF(2, 2));
    EXPECT_EQ(getPixelSize(image.get()), QSizeF(4, 4));
}

TEST(PelkoNSImageTest, CompositeToPointPlacesTheImageAboveThePointWhenFlipped)
{
    const ImagePtr image = Image::fromBitmap(solid(10, 20, Qt::red));
    for (const bool flip : {true, false}) {
        QImage canvas = solid(40, 80, Qt::white);
        {
            QPainter painter(&canvas);
            platform::GraphicsContextScope scope(&painter);
            compositeToPoint2(image.get(), QPointF(10, 50), QPainter::CompositionMode_SourceOver,
                              flip);
        }
        const int top = flip ? 30 : 50;
        EXPECT_EQ(canvas.pixelColor(15, top), QColor(Qt::red)) << flip;
        EXPECT_EQ(canvas.pixelColor(15, top + 19), QColor(Qt::red)) << flip;
        EXPECT_EQ(canvas.pixelColor(15, top - 1), QColor(Qt::white)) << flip;
        EXPECT_EQ(canvas.pixelColor(15, top + 20), QColor(Qt::white)) << flip;
    }
}

TEST(PelkoNSImageTest, TemplateNamesAnswerNothingForNamesNotHeld)
{
    EXPECT_FALSE(imageTemplateDarkModeNamed(QString()));
    EXPECT_FALSE(imageTemplateDarkModeNamed(QStringLiteral("no image of this name")));
    EXPECT_FALSE(imageWithFilePath(QStringLiteral("/")));
}

} // namespace
