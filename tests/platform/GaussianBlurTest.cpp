#include "platform/GaussianBlur.h"

#include <QThreadPool>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

QImage randomImage(int w, int h, unsigned seed)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const uchar a = uchar(random() % 256);
            for (int c = 0; c < 3; ++c)
                row[x * 4 + c] = uchar(a ? random() % (a + 1) : 0);
            row[x * 4 + 3] = a;
        }
    }
    return image;
}

std::array<double, 4> channelSums(const QImage &image)
{
    std::array<double, 4> sums{};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() * 4; ++x)
            sums[size_t(x % 4)] += image.constScanLine(y)[x];
    return sums;
}

TEST(GaussianBlurTest, FlatImagesStayFlat)
{
    for (double sigma : {0.3, 1.0, 2.5, 8.0, 40.0, 1e9}) {
        SCOPED_TRACE(sigma);
        QImage image(37, 23, QImage::Format_RGBA8888_Premultiplied);
        image.fill(QColor::fromRgb(200, 100, 30, 255));
        const QImage before = image;
        platform::gaussianBlur(image, sigma);
        EXPECT_EQ(image, before);
    }
}

TEST(GaussianBlurTest, NoRadiusOrAnUnsupportedFormatLeavesTheImage)
{
    const QImage source = randomImage(19, 11, 1);
    for (double sigma : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        QImage image = source;
        platform::gaussianBlur(image, sigma);
        EXPECT_EQ(image, source);
    }
    QImage mono = source.convertToFormat(QImage::Format_Mono);
    const QImage monoBefore = mono;
    platform::gaussianBlur(mono, 3);
    EXPECT_EQ(mono, monoBefore);
    QImage empty;
    platform::gaussianBlur(empty, 3);
    EXPECT_TRUE(empty.isNull());
}

TEST(GaussianBlurTest, EnergyIsKeptAwayFromTheEdges)
{
    for (double sigma : {0.7, 3.0, 6.5}) {
        SCOPED_TRACE(sigma);
        QImage image(120, 90, QImage::Format_RGBA8888_Premultiplied);
        image.fill(Qt::transparent);
        const QImage spots = randomImage(40, 30, 7);
        for (int y = 0; y < 30; ++y)
            std::copy_n(spots.constScanLine(y), 160, image.scanLine(y + 30) + 40 * 4);
        const auto before = channelSums(image);
        platform::gaussianBlur(image, sigma);
        const auto after = channelSums(image);
        for (size_t c = 0; c < 4; ++c)
            EXPECT_NEAR(after[c], before[c], before[c] * 0.005) << c;
    }
}

// The spread of a blurred line is the asked variance, fractional sigmas included.
TEST(GaussianBlurTest, ALineSpreadsWithTheAskedVariance)
{
    for (double sigma : {1.5, 2.25, 4.0}) {
        SCOPED_TRACE(sigma);
        QImage image(81, 3, QImage::Format_Grayscale8);
        image.fill(0);
        for (int y = 0; y < 3; ++y)
            image.scanLine(y)[40] = 250;
        platform::gaussianBlur(image, sigma);
        double total = 0, moment = 0;
        for (int x = 0; x < 81; ++x) {
            const double v = image.constScanLine(1)[x];
            total += v;
            moment += v * (x - 40) * (x - 40);
        }
        EXPECT_NEAR(moment / total, sigma * sigma, sigma * sigma * 0.06);
        EXPECT_NEAR(total, 250, 4);
    }
}

TEST(GaussianBlurTest, PremultipliedEdgesKeepTheirColour)
{
    // Opaque red beside transparent: a blur of straight colour would darken the edge; here every
    // covered pixel stays red and no colour byte exceeds its alpha.
    QImage image(40, 10, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            reinterpret_cast<quint32 *>(image.scanLine(y))[x] = 0xFF0000FFu;
    platform::gaussianBlur(image, 3);
    for (int x = 0; x < 40; ++x) {
        const uchar *p = image.constScanLine(5) + x * 4;
        EXPECT_LE(p[0], p[3]) << x;
        EXPECT_NEAR(p[0], p[3], 1) << x;
        EXPECT_EQ(p[1], 0) << x;
        EXPECT_EQ(p[2], 0) << x;
    }
    EXPECT_GT(image.constScanLine(5)[20 * 4 + 3], 0);
    EXPECT_LT(image.constScanLine(5)[19 * 4 + 3], 255);

    QImage random = randomImage(31, 17, 3);
    platform::gaussianBlur(random, 1.2);
    for (int y = 0; y < random.height(); ++y)
        for (int x = 0; x < random.width(); ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_LE(random.constScanLine(y)[x * 4 + c], random.constScanLine(y)[x * 4 + 3]);
}

TEST(GaussianBlurTest, BandsAndStripsOnThreadsGiveTheSameBytesAsOneThread)
{
    // Above a megapixel the work is split; the seams must not show.
    const QImage source = randomImage(1203, 901, 11);
    QImage parallel = source;
    platform::gaussianBlur(parallel, 5.5);
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    QImage serial = source;
    platform::gaussianBlur(serial, 5.5);
    pool->setMaxThreadCount(threads);
    EXPECT_EQ(parallel, serial);
    EXPECT_NE(parallel, source);
}

} // namespace
