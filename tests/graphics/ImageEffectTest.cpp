#include "graphics/ImageEffect.h"
#include "graphics/InvertColor.h"
#include "graphics/PelkoCIImage.h"
#include "graphics/PelkoNSCursor.h"
#include "graphics/PelkoNSImage.h"
#include "platform/GraphicsContext.h"
#include "platform/ImageWriter.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <random>

using platform::FilterImage;
using platform::Image;
using platform::ImagePtr;

namespace {

QImage solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

const PIXEL *firstRow(const ImagePtr &image)
{
    return reinterpret_cast<const PIXEL *>(image->representations()[0].bitmap.constScanLine(0));
}

// A filter that records its inputs and answers its input image, or nothing when asked to.
struct Recorded
{
    std::map<QString, platform::FilterValue> values;
    bool noOutput = false;
    QRectF outputExtent;
};
Recorded gRecorded;

class RecordingFilter : public platform::Filter
{
public:
    void setDefaults() override
    {
        setValue(QStringLiteral("inputCenter"), platform::FilterVector{150, 150});
    }
    platform::FilterImage outputImage() const override
    {
        for (const QString &key : {QStringLiteral("inputImage"), QStringLiteral("inputCenter"),
                                   QStringLiteral("inputRadius")})
            gRecorded.values[key] = value(key);
        if (gRecorded.noOutput)
            return {};
        const auto in = image(QStringLiteral("inputImage"));
        return platform::FilterImage(
            in.pixels(), gRecorded.outputExtent.isEmpty() ? in.extent() : gRecorded.outputExtent);
    }
};

class EffectRouteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gRecorded = {};
        platform::Filter::registerFilter(QStringLiteral("PelkoRecording"),
                                         [] { return std::make_unique<RecordingFilter>(); });
    }
    void TearDown() override
    {
        platform::Filter::unregisterFilter(QStringLiteral("PelkoRecording"));
    }
};

CHANGE_SETTING centred(float x, float y)
{
    return MakeChangeSetting(5, 0, 0, 0, 0, 0, 0, 0, 0, 0, x, y, 0, 0, 0);
}

TEST_F(EffectRouteTest, TheCentreIsHandedOnOnlyWhenOneCoordinateIsNotNegative)
{
    const ImagePtr source = Image::fromBitmap(solid(40, 30, Qt::red), QSizeF(20, 15));
    const struct
    {
        float x, y;
        platform::FilterVector expected;
    } rows[] = {
        {-1, -1, {150, 150}}, // the filter's default stays
        {0, -5, {0, -5}},
        {12, 7, {12, 7}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.x);
        std::vector<FilterInput> inputs =
            CentreInput(centred(row.x, row.y), QStringLiteral("inputCenter"));
        inputs.push_back({QStringLiteral("inputRadius"), 5.0});
        const ImagePtr out =
            ApplyFilterRoute(source.get(), QStringLiteral("PelkoRecording"), inputs);
        ASSERT_TRUE(out);
        EXPECT_EQ(std::get<platform::FilterVector>(gRecorded.values[QStringLiteral("inputCenter")]),
                  row.expected);
        EXPECT_EQ(std::get<double>(gRecorded.values[QStringLiteral("inputRadius")]), 5.0);
        // The output keeps the source's point size; its pixels come from the filter.
        EXPECT_EQ(out->size(), QSizeF(40, 30));
        EXPECT_EQ(getPixelSize(out.get()), QSizeF(40, 30));
    }
}

TEST_F(EffectRouteTest, MissingPiecesGiveNothing)
{
    const ImagePtr source = Image::fromBitmap(solid(4, 4, Qt::red));
    EXPECT_FALSE(ApplyFilterRoute(nullptr, QStringLiteral("PelkoRecording"), {}));
    EXPECT_FALSE(ApplyFilterRoute(source.get(), QStringLiteral("NoSuchFilter"), {}));
    gRecorded.noOutput = true;
    EXPECT_FALSE(ApplyFilterRoute(source.get(), QStringLiteral("PelkoRecording"), {}));
    gRecorded.noOutput = false;
    gRecorded.outputExtent = QRectF(0, 0, 0.4, 10);
    EXPECT_FALSE(ApplyFilterRoute(source.get(), QStringLiteral("PelkoRecording"), {}));
    EXPECT_FALSE(ApplyPixelRoute(nullptr, [](PIXEL *, qint64, qint64, qint64) {}));
}

TEST(EffectFrameTest, FilterImageConversions)
{
    const FilterImage filterImage(solid(30, 40, Qt::blue), QRectF(10, 20, 30, 40));
    EXPECT_EQ(bounds(&filterImage), QRectF(0, 0, 30, 40));
    EXPECT_EQ(size(&filterImage), QSizeF(30, 40));
    EXPECT_EQ(bounds(nullptr), QRectF());

    const ImagePtr keep = GetNSImageFromCIImage(filterImage, QRectF(5, 5, 0, 0));
    ASSERT_TRUE(keep);
    EXPECT_EQ(keep->size(), QSizeF(30, 40));
    const ImagePtr sized = GetNSImageFromCIImage(filterImage, QRectF(0, 0, 100, 50));
    ASSERT_TRUE(sized);
    EXPECT_EQ(sized->size(), QSizeF(100, 50));
    EXPECT_FALSE(
        GetNSImageFromCIImage(FilterImage(solid(1, 1, Qt::red), QRectF(0, 0, 0.4, 1)), QRectF()));
    EXPECT_FALSE(GetNSImageFromCIImage(FilterImage(), QRectF()));

    QRectF rect(1, 2, 3, 4);
    const ImagePtr image = Image::fromBitmap(solid(8, 6, Qt::red), QSizeF(4, 3));
    const FilterImage made = GetCIImageFromNSImage(image.get(), &rect);
    EXPECT_EQ(rect, QRectF(0, 0, 8, 6));
    EXPECT_EQ(made.pixels().size(), QSize(8, 6));
    EXPECT_TRUE(GetCIImageFromNSImage(nullptr, nullptr).isNull());
}

TEST(EffectFrameTest, DrawingAThinRectangleLeavesTheStateBalanced)
{
    const FilterImage filterImage = FilterImage::fromImage(solid(4, 4, Qt::red));
    QImage canvas = solid(10, 10, Qt::white);
    QPainter painter(&canvas);
    platform::GraphicsContextScope scope(&painter);
    const int depth = scope.context().saveDepth();
    drawRespectFlipInRect(&filterImage, QRectF(0, 0, 0.05, 10));
    EXPECT_EQ(scope.context().saveDepth(), depth);
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::white));
    drawRespectFlipInRect(&filterImage, QRectF(0, 0, 5, 5));
    EXPECT_EQ(scope.context().saveDepth(), depth);
    painter.end();
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(7, 7), QColor(Qt::white));
}

TEST(InvertColorTest, OpaqueColoursAreComplementedAndAlphaKept)
{
    const struct
    {
        PIXEL in, out;
    } rows[] = {
        {0xFF000000u, 0xFFFFFFFFu}, // black to white
        {0xFF0000FFu, 0xFFFFFF00u}, // red to cyan
        {0x80000000u, 0x80808080u}, // half-transparent black to half-transparent white
        {0x80402010u, 0x80406070u}, // c becomes a - c
        {0x00000000u, 0x00000000u},
    };
    for (const auto &row : rows) {
        PIXEL p = row.in;
        InvertPremultipliedPixels(&p, 1);
        EXPECT_EQ(p, row.out) << std::hex << row.in;
    }
    std::vector<PIXEL> pixels;
    for (const auto &row : rows)
        pixels.push_back(row.in);
    const ImagePtr image = ConvertBitmapRGBA8ToNSImage(pixels.data(), qint64(pixels.size()), 1);
    const ImagePtr inverted = ApplyChange_InvertColor(image.get(), CHANGE_SETTING{});
    ASSERT_TRUE(inverted);
    for (size_t i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(firstRow(inverted)[i], rows[i].out);
    EXPECT_FALSE(ApplyChange_InvertColor(nullptr, CHANGE_SETTING{}));
}

TEST(InvertColorTest, InvertingTwiceGivesTheSameBytes)
{
    std::mt19937 random(11);
    for (const auto &[w, h] : {std::pair{17, 9}, {1400, 800}}) { // one band, and several
        std::vector<PIXEL> pixels(size_t(w * h));
        for (PIXEL &p : pixels) {
            const quint32 a = random() & 0xFF;
            p = (random() % (a + 1)) | ((random() % (a + 1)) << 8) | ((random() % (a + 1)) << 16) |
                (a << 24);
        }
        const ImagePtr image = ConvertBitmapRGBA8ToNSImage(pixels.data(), w, h);
        const ImagePtr once = ApplyChange_InvertColor(image.get(), CHANGE_SETTING{});
        const ImagePtr twice = ApplyChange_InvertColor(once.get(), CHANGE_SETTING{});
        ASSERT_TRUE(twice);
        const auto back = ImageData::imageWithNSImage(twice.get());
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->data == pixels) << w;
    }
}

TEST(InvertColorTest, AnAntiAliasedBlackGlyphOverGreyHasNoOverflowedChannel)
{
    QImage glyph(48, 48, QImage::Format_RGBA8888_Premultiplied);
    glyph.fill(Qt::transparent);
    {
        QPainter painter(&glyph);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addEllipse(QRectF(5.3, 7.1, 30.2, 21.7));
        path.addRect(QRectF(20.5, 2.25, 3.5, 40.5));
        painter.fillPath(path, Qt::black);
    }
    const ImagePtr dark = ApplyChange_InvertColor(Image::fromBitmap(glyph).get(), CHANGE_SETTING{});
    ASSERT_TRUE(dark);
    const int grey = 96;
    QImage shown = solid(48, 48, QColor(grey, grey, grey));
    {
        QPainter painter(&shown);
        dark->drawInRect(&painter, QRectF(0, 0, 48, 48));
    }
    int partial = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const int a = glyph.pixelColor(x, y).alpha();
            partial += a > 0 && a < 255;
            // White over grey only lightens, in proportion to the glyph's coverage.
            const int expected = grey + (255 - grey) * a / 255;
            const QColor c = shown.pixelColor(x, y);
            for (const int channel : {c.red(), c.green(), c.blue()})
                ASSERT_NEAR(channel, expected, 2) << x << "," << y << " alpha " << a;
        }
    EXPECT_GT(partial, 20); // the edges were anti-aliased
}

TEST(InvertColorTest, OpaqueImagesMatchAnIndependentTool)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    QImage photo(64, 48, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixelColor(x, y, QColor((x * 9) & 255, (y * 11) & 255, (x * y + 7) & 255));
    const QString dir = pelkotest::freshDir();
    const QString in = dir + QStringLiteral("/in.png");
    const QString out = dir + QStringLiteral("/out.png");
    ASSERT_TRUE(writeToPNG(Image::fromBitmap(photo).get(), in));
    QProcess process;
    process.start(convert, {in, QStringLiteral("-channel"), QStringLiteral("RGB"),
                            QStringLiteral("-negate"), out});
    ASSERT_TRUE(process.waitForFinished(-1));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const auto expected = ImageData::imageWithImageFile(out);
    ASSERT_TRUE(expected);
    const ImagePtr ours = ApplyChange_InvertColor(Image::fromBitmap(photo).get(), CHANGE_SETTING{});
    const auto got = ImageData::imageWithNSImage(ours.get());
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->data == expected->data);
}

TEST(CursorFileTest, ACursorReadsBackAndForeignFilesDoNot)
{
    const QString dir = pelkotest::freshDir();
    QImage picture = solid(16, 12, QColor(200, 10, 20, 255));
    picture.setPixelColor(3, 4, QColor(0, 0, 0, 0));
    const platform::Cursor cursor(picture, QPointF(3.5, 4));
    const QString path = dir + QStringLiteral("/arrow.cursor");
    ASSERT_TRUE(writeToFile(cursor, path));
    const platform::Cursor back = readFromFile(path);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.hotSpot(), QPointF(3.5, 4));
    EXPECT_EQ(back.image(), cursor.image());

    pelkotest::LogCapture log;
    const QByteArray good = CursorFileBytes(cursor);
    QByteArray wrongVersion = good;
    wrongVersion[11] = 2;
    QByteArray hotSpotOff = CursorFileBytes(platform::Cursor(picture, QPointF(40, 4)));
    QByteArray nanHotSpot = CursorFileBytes(
        platform::Cursor(picture, QPointF(std::numeric_limits<double>::quiet_NaN(), 0)));
    const QByteArray png = platform::encodeImage(picture, {platform::ImageFileType::PNG});
    const struct
    {
        const char *what;
        QByteArray bytes;
    } foreign[] = {
        {"empty", {}},
        {"a PNG", png},
        {"wrong version", wrongVersion},
        {"truncated", good.left(good.size() - 10)},
        {"trailing bytes", good + "x"},
        {"hot spot off the picture", hotSpotOff},
        {"NaN hot spot", nanHotSpot},
        {"magic only", QByteArray("PLKCURSR")},
    };
    for (const auto &row : foreign) {
        SCOPED_TRACE(row.what);
        const QString file = dir + QStringLiteral("/foreign");
        ASSERT_TRUE(pelkotest::writeFile(file, row.bytes));
        EXPECT_TRUE(readFromFile(file).isNull());
    }
    EXPECT_TRUE(readFromFile(dir).isNull());
    EXPECT_TRUE(readFromFile(QString()).isNull());
    EXPECT_FALSE(writeToFile(platform::Cursor(), path));
    EXPECT_FALSE(readFromFile(path).isNull()); // a refused write left the file
}

} // namespace
