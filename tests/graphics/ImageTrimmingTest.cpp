#include "graphics/ImageTrimming.h"

#include "graphics/ImageData.h"
#include "graphics/PelkoNSImage.h"
#include "services/AppInit.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::AffineTransform;
using platform::Image;
using platform::ImagePtr;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

QImage transparent(int w, int h)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Four quadrants of distinct colours, so that any mirror or turn shows.
QImage quadrants(int w, int h)
{
    QImage image = transparent(w, h);
    QPainter painter(&image);
    painter.fillRect(0, 0, w / 2, h / 2, Qt::red);
    painter.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    painter.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    painter.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(255, 255, 0, 128));
    return image;
}

// A picture with a photograph's mix: smooth shading, fine texture, rings, hard edges and grain.
QImage detailedPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    QRandomGenerator grain(7);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double r = std::hypot(x - w / 3.0, y - h / 2.0);
            const double channel[3] = {
                128 + 60 * std::sin(x / 23.0) * std::cos(y / 31.0) +
                    25 * std::sin(x * 0.9 + y * 0.3),
                40 + 0.3 * (x + y) + 40 * std::sin(r / 9.0),
                ((x / 37 + y / 29) % 2 ? 190.0 : 50.0) + 15 * std::sin(y * 1.1),
            };
            quint32 px = 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const double v = channel[c] + int(grain.bounded(13)) - 6;
                px |= quint32(std::clamp(int(std::lround(v)), 0, 255)) << (8 * c);
            }
            row[x] = px; // RGBA8: red in the lowest byte
        }
    }
    return image;
}

// Mean absolute error of the colour channels and the peak signal-to-noise ratio in dB.
std::pair<double, double> errorAgainst(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double absolute = 0, squared = 0;
    const qint64 n = qint64(x.width()) * x.height() * 3;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row), *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i) {
            const double d = double(p[i]) - double(q[i]);
            absolute += std::abs(d);
            squared += d * d;
        }
    }
    const double mse = squared / double(n);
    return {absolute / double(n), mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0};
}

// The image's pixels at its own pixel size.
QImage pixelsOf(const ImagePtr &image)
{
    const QSizeF ps = getPixelSize(image.get());
    return image->render(QSize(int(ps.width()), int(ps.height())));
}

// "" when equal, else where and how they first differ.
std::string difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return "size";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("(%1, %2): %3 vs %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16)
                    .toStdString();
    return "";
}

class RetinaScreen
{
public:
    explicit RetinaScreen(bool on) : mWas(gIsRetinaScreen) { gIsRetinaScreen = on; }
    ~RetinaScreen() { gIsRetinaScreen = mWas; }

private:
    bool mWas;
};

TEST(ImageTrimmingTest, RemovingTransparentAreasKeepsThePointScale)
{
    QImage picture = transparent(200, 200);
    QPainter(&picture).fillRect(30, 40, 20, 10, Qt::black);
    const ImagePtr retina = Image::fromBitmap(picture, QSizeF(100, 100));
    QRectF box;
    const ImagePtr cut = ImageByRemovingTransparentAreasWithFinalRect(retina.get(), &box);
    ASSERT_TRUE(cut);
    EXPECT_EQ(box, QRectF(30, 40, 20, 10));
    EXPECT_EQ(getPixelSize(cut.get()), QSizeF(20, 10));
    EXPECT_EQ(cut->size(), QSizeF(10, 5));
    EXPECT_EQ(pixelsOf(cut), QImage(picture.copy(30, 40, 20, 10)));

    const ImagePtr tiny = Image::fromBitmap(QImage(1, 1, QImage::Format_RGBA8888_Premultiplied));
    const ImagePtr clear = Image::fromBitmap(transparent(10, 10));
    EXPECT_FALSE(ImageByRemovingTransparentAreasWithFinalRect(tiny.get(), &box));
    EXPECT_FALSE(ImageByRemovingTransparentAreasWithFinalRect(clear.get(), &box));
    EXPECT_FALSE(ImageByRemovingTransparentAreasWithFinalRect(retina.get(), nullptr));
    EXPECT_FALSE(ImageByRemovingTransparentAreasWithFinalRect(nullptr, &box));
}

TEST(ImageTrimmingTest, TrimmingEdgesCutsWholePointsOffEachSide)
{
    // Visible: a patch 3 points from the left, 2 from the top, 4 wide, 5 high in 12 x 10; a
    // faint row (alpha 2) below it does not count, a row of alpha 3 to its right does.
    QImage picture = transparent(12, 10);
    QPainter painter(&picture);
    painter.fillRect(3, 2, 4, 5, Qt::black);
    painter.end();
    for (int x = 0; x < 12; ++x)
        reinterpret_cast<quint32 *>(picture.scanLine(8))[x] = 0x02000000u;
    reinterpret_cast<quint32 *>(picture.scanLine(2))[8] = 0x03000000u;
    const ImagePtr image = Image::fromBitmap(picture);
    QRectF kept;
    const ImagePtr cut = ImageByTrimmingTransparentEdges(image.get(), &kept);
    ASSERT_TRUE(cut);
    EXPECT_EQ(kept, QRectF(3, 2, 6, 5));
    EXPECT_EQ(cut->size(), QSizeF(6, 5));
    EXPECT_EQ(pixelsOf(cut), picture.copy(3, 2, 6, 5));

    // Nothing visible: nil at once, with the whole image as the rectangle.
    const ImagePtr clear = Image::fromBitmap(transparent(3000, 2000));
    EXPECT_FALSE(ImageByTrimmingTransparentEdges(clear.get(), &kept));
    EXPECT_EQ(kept, QRectF(0, 0, 3000, 2000));
    EXPECT_FALSE(ImageByTrimmingTransparentEdges(image.get(), nullptr));
    EXPECT_FALSE(ImageByTrimmingTransparentEdges(nullptr, &kept));
}

TEST(ImageTrimmingTest, FlippingMirrorsAndFlippingTwiceGivesTheImageBack)
{
    const QImage picture = quadrants(8, 6);
    const ImagePtr image = Image::fromBitmap(picture, QSizeF(4, 3));
    EXPECT_EQ(FlipImage(image, false, false), image);
    EXPECT_FALSE(FlipImage(nullptr, true, false));

    struct Row
    {
        bool h;
        bool v;
        QImage expected;
    } rows[] = {{true, false, picture.mirrored(true, false)},
                {false, true, picture.mirrored(false, true)},
                {true, true, picture.mirrored(true, true)}};
    for (bool retina : {false, true}) {
        RetinaScreen screen(retina);
        for (const Row &row : rows) {
            const ImagePtr once = FlipImage(image, row.h, row.v);
            ASSERT_TRUE(once);
            EXPECT_EQ(once->size(), QSizeF(4, 3));
            EXPECT_EQ(getPixelSize(once.get()), QSizeF(8, 6)) << retina;
            EXPECT_EQ(difference(pixelsOf(once), row.expected), "") << row.h << row.v << retina;
            EXPECT_EQ(difference(pixelsOf(FlipImage(once, row.h, row.v)), picture), "")
                << row.h << row.v << retina;
        }
    }
}

TEST(ImageTrimmingTest, NegativeImageInvertsPremultipliedColour)
{
    QImage picture(4, 1, QImage::Format_RGBA8888_Premultiplied);
    auto *px = reinterpret_cast<quint32 *>(picture.scanLine(0));
    px[0] = 0x0A050505u; // alpha 10: stays
    px[1] = 0x0B050302u; // alpha 11: inverted
    px[2] = 0x80402010u; // half transparent
    px[3] = 0xFF00FF80u;
    const ImagePtr negative = NegativeImage(Image::fromBitmap(picture).get());
    ASSERT_TRUE(negative);
    const QImage out = pixelsOf(negative);
    const auto *o = reinterpret_cast<const quint32 *>(out.constScanLine(0));
    EXPECT_EQ(o[0], 0x0A050505u);
    EXPECT_EQ(o[1], 0x0B060809u);
    EXPECT_EQ(o[2], 0x80406070u); // every colour byte still at most the alpha
    EXPECT_EQ(o[3], 0xFFFF007Fu);
    EXPECT_FALSE(NegativeImage(nullptr));
}

TEST(ImageTrimmingTest, ResizedAndCroppedCanvasesAreBounded)
{
    const ImagePtr image = Image::fromBitmap(quadrants(20, 10));
    for (const QSizeF size : {QSizeF(0.9, 100), QSizeF(100, 0.5), QSizeF(kNaN, 10),
                              QSizeF(10, kInf), QSizeF(1e6, 1e6), QSizeF(1e300, 2)}) {
        EXPECT_FALSE(ResizeImage(image.get(), size, false)) << size.width() << size.height();
        EXPECT_FALSE(ResizeImage(image.get(), size, true)) << size.width() << size.height();
        EXPECT_FALSE(CropImage(image.get(), {0, 0, 5, 5}, {0, 0, 5, 5}, size)) << size.width();
    }
    EXPECT_FALSE(ResizeImage(nullptr, QSizeF(5, 5), false));

    const ImagePtr stretched = ResizeImage(image.get(), QSizeF(40, 40), false);
    ASSERT_TRUE(stretched);
    EXPECT_EQ(stretched->size(), QSizeF(40, 40));
    EXPECT_EQ(pixelsOf(stretched).pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(pixelsOf(stretched).pixelColor(5, 35), QColor(Qt::blue));
    // Keeping the aspect: 40 x 20 centred, transparent bars above and below.
    const QImage fitted = pixelsOf(ResizeImage(image.get(), QSizeF(40, 40), true));
    EXPECT_EQ(fitted.pixelColor(20, 5).alpha(), 0);
    EXPECT_EQ(fitted.pixelColor(5, 14), QColor(Qt::red));
    EXPECT_EQ(fitted.pixelColor(5, 25), QColor(Qt::blue));
    EXPECT_EQ(fitted.pixelColor(20, 35).alpha(), 0);

    RetinaScreen screen(true);
    const ImagePtr dot = ResizeImage(image.get(), QSizeF(1, 1), false);
    ASSERT_TRUE(dot);
    EXPECT_EQ(dot->size(), QSizeF(0.5, 0.5));
    EXPECT_EQ(dot->representations().front().bitmap.size(), QSize(1, 1));
}

// Shrunk far, every output pixel stands for the whole source area under it; measured against
// ImageMagick's triangle filter, which weighs that area (and a little around it).
TEST(ImageTrimmingTest, ShrinkingFarAveragesTheSourceAsAReferenceResizerDoes)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage picture = detailedPicture(512, 512);
    const QString in = dir.filePath(QStringLiteral("in.png"));
    ASSERT_TRUE(picture.save(in, "PNG"));
    const ImagePtr image = Image::fromBitmap(picture);
    for (const QSize size : {QSize(200, 50), QSize(100, 100), QSize(240, 400)}) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        const QString out = dir.filePath(QStringLiteral("out.png"));
        QFile::remove(out);
        const QString geometry = QStringLiteral("%1x%2!").arg(size.width()).arg(size.height());
        ASSERT_EQ(QProcess::execute(convert, {in, QStringLiteral("-filter"),
                                              QStringLiteral("Triangle"), QStringLiteral("-resize"),
                                              geometry, QStringLiteral("PNG24:") + out}),
                  0);
        const QImage reference(out);
        ASSERT_EQ(reference.size(), size);
        const ImagePtr resized = ResizeImage(image.get(), QSizeF(size), false);
        ASSERT_TRUE(resized);
        const QImage mine = pixelsOf(resized);
        ASSERT_EQ(mine.size(), size);
        const auto [mae, psnr] = errorAgainst(mine, reference);
        RecordProperty("mae", std::to_string(mae));
        RecordProperty("psnr", std::to_string(psnr));
        // A 2 x 2 sample per pixel is off by 10 on average here (24 dB).
        EXPECT_LT(mae, 4.5);
        EXPECT_GT(psnr, 31.0);
    }
}

TEST(ImageTrimmingTest, CropDrawsTheSourceAreaIntoTheTarget)
{
    const ImagePtr image = Image::fromBitmap(quadrants(20, 10));
    // The green quadrant (top right) into the lower half of a 10 x 10 canvas.
    const ImagePtr crop = CropImage(image.get(), {10, 0, 10, 5}, {0, 5, 10, 5}, {10, 10});
    ASSERT_TRUE(crop);
    EXPECT_EQ(crop->size(), QSizeF(10, 10));
    const QImage out = pixelsOf(crop);
    EXPECT_EQ(out.pixelColor(5, 2).alpha(), 0);
    EXPECT_EQ(out.pixelColor(5, 7), QColor(Qt::green));

    RetinaScreen screen(true);
    const ImagePtr half = CropImage(image.get(), {10, 0, 10, 5}, {0, 5, 10, 5}, {10, 10});
    ASSERT_TRUE(half);
    EXPECT_EQ(half->size(), QSizeF(5, 5));
    const QImage pixels = half->representations().front().bitmap;
    EXPECT_EQ(pixels.size(), QSize(10, 10));
    EXPECT_EQ(pixels.pixelColor(5, 2).alpha(), 0);
    EXPECT_EQ(pixels.pixelColor(2, 7), QColor(Qt::green));
}

TEST(ImageTrimmingTest, TransformsKeepWhatLandsInTheTransformedSize)
{
    const QImage picture = quadrants(40, 20);
    const ImagePtr image = Image::fromBitmap(picture);

    // A quarter turn about the origin: the canvas turns, the content leaves it.
    AffineTransform turn;
    turn.rotateByDegrees(90);
    const ImagePtr turned = TransformImage(image.get(), &turn);
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->size(), QSizeF(20, 40));

    // The turn moved back into the canvas: the top-left (red) quadrant lands top right, as a
    // quarter turn clockwise on screen shows it.
    AffineTransform placed = turn;
    placed.appendTransform(AffineTransform(1, 0, 0, 1, 20, 0));
    const QImage out = pixelsOf(TransformImage(image.get(), &placed));
    EXPECT_EQ(out.size(), QSize(20, 40));
    EXPECT_EQ(out.pixelColor(15, 5), QColor(Qt::red));
    EXPECT_EQ(out.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(out.pixelColor(15, 35), QColor(Qt::green));

    // Identity keeps row 0 at the top.
    const AffineTransform identity;
    EXPECT_EQ(pixelsOf(TransformImage(image.get(), &identity)), picture);

    const AffineTransform huge(1e200, 0, 0, 1e200, 0, 0);
    const AffineTransform wide(1e5, 0, 0, 1e5, 0, 0);
    const AffineTransform broken(kNaN, 0, 0, 1, 0, 0);
    EXPECT_FALSE(TransformImage(image.get(), &huge));
    EXPECT_FALSE(TransformImage(image.get(), &wide));
    EXPECT_FALSE(TransformImage(image.get(), &broken));
    EXPECT_FALSE(TransformImage(image.get(), nullptr));
    EXPECT_FALSE(TransformImage(nullptr, &identity));
}

} // namespace
