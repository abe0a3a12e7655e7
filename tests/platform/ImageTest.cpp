#include "platform/Filter.h"
#include "platform/GraphicsContext.h"
#include "platform/Image.h"
#include "platform/ImageReader.h"
#include "platform/ImageWriter.h"
#include "platform/PixelLimits.h"
#include "platform/Saturate.h"

#include "support/HeapPeak.h"
#include "support/HostileImages.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <cmath>
#include <limits>

using pelkotest::iconFamilyHolding;
using pelkotest::iconHolding;
using pelkotest::pngChunk;
using platform::Image;
using platform::ImagePtr;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A PNG whose header claims the size; its data is a few bytes only.
QByteArray pngClaiming(quint32 w, quint32 h)
{
    QByteArray ihdr(13, 0);
    qToBigEndian(w, ihdr.data());
    qToBigEndian(h, ihdr.data() + 4);
    ihdr[8] = 8; // bit depth
    ihdr[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) +
           pngChunk("IDAT", QByteArray::fromHex("789c030000000001")) + pngChunk("IEND", {});
}

// A multiple-image stream whose header (or whose one image's header) claims the size.
QByteArray mngClaiming(quint32 w, quint32 h, bool inImage)
{
    QByteArray mhdr(28, 0);
    qToBigEndian(inImage ? 4u : w, mhdr.data());
    qToBigEndian(inImage ? 3u : h, mhdr.data() + 4);
    QByteArray out = QByteArray("\x8aMNG\r\n\x1a\n", 8) + pngChunk("MHDR", mhdr);
    if (inImage)
        out += pngClaiming(w, h).mid(8).chopped(12); // IHDR and IDAT
    return out + pngChunk("MEND", {});
}

// A chunk header declaring `length` bytes, with none of them there.
QByteArray bareChunkHeader(const char *type, quint32 length)
{
    QByteArray out(4, 0);
    qToBigEndian(length, out.data());
    return out + QByteArray(type, 4);
}

// The bytes with the 32-bit length at `at` made `length`.
QByteArray longerBy(QByteArray bytes, qsizetype at, quint32 length, bool bigEndian)
{
    if (bigEndian)
        qToBigEndian(length, bytes.data() + at);
    else
        qToLittleEndian(length, bytes.data() + at);
    return bytes;
}

QImage solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

QByteArray pngOf(const QImage &image)
{
    return platform::encodeImage(image, {platform::ImageFileType::PNG});
}

// The value of a TIFF tag in the first directory; -1 when missing.
int tiffTag(const QByteArray &tiff, quint16 wanted)
{
    if (tiff.size() < 8)
        return -1;
    const bool little = tiff.startsWith("II");
    auto u16 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint16>(tiff.constData() + at)
                      : qFromBigEndian<quint16>(tiff.constData() + at);
    };
    auto u32 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint32>(tiff.constData() + at)
                      : qFromBigEndian<quint32>(tiff.constData() + at);
    };
    const quint32 ifd = u32(4);
    if (qsizetype(ifd) + 2 > tiff.size())
        return -1;
    const int count = u16(ifd);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = ifd + 2 + i * 12;
        if (entry + 12 > tiff.size())
            return -1;
        if (u16(entry) == wanted)
            return u16(entry + 8);
    }
    return -1;
}

TEST(SaturateTest, ConversionsHoldToTheRangeAndGiveTheNeutralValueForNaN)
{
    const struct
    {
        double in;
        qint64 truncated32;
        qint64 rounded64;
    } rows[] = {
        {kNaN, -7, -7}, // the neutral value given below
        {kInf, std::numeric_limits<qint32>::max(), std::numeric_limits<qint64>::max()},
        {-kInf, std::numeric_limits<qint32>::min(), std::numeric_limits<qint64>::min()},
        {1e300, std::numeric_limits<qint32>::max(), std::numeric_limits<qint64>::max()},
        {2147483648.0, std::numeric_limits<qint32>::max(), 2147483648LL},
        {-2147483649.0, std::numeric_limits<qint32>::min(), -2147483649LL},
        {9223372036854775808.0, std::numeric_limits<qint32>::max(),
         std::numeric_limits<qint64>::max()},
        {-2.5, -2, -2},
        {2.5, 2, 3},
        {-0.7, 0, -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(platform::saturatingTruncate<qint32>(row.in, -7), row.truncated32);
        EXPECT_EQ(platform::saturatingRound<qint64>(row.in, -7), row.rounded64);
    }
    EXPECT_EQ(platform::saturatingTruncate<quint8>(300.0), 255);
    EXPECT_EQ(platform::saturatingTruncate<quint8>(-3.0), 0);
}

TEST(PixelLimitsTest, SizesAreCountedWithoutOverflowAndBounded)
{
    const struct
    {
        qint64 w, h, count;
    } rows[] = {
        {0, 5, 0},
        {-1, 5, 0},
        {1, 1, 1},
        {16384, 16384, qint64(1) << 28},
        {16385, 16384, 0},
        {100000, 100000, 0},
        {qint64(1) << 40, 1, 0},
        {qint64(1) << 32, qint64(1) << 32, 0}, // w * h would wrap to 0 in 64 bits
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(row.w).arg(row.h).toStdString());
        EXPECT_EQ(platform::checkedPixelCount(row.w, row.h), row.count);
    }
    EXPECT_EQ(platform::checkedPixelSize(10.4, 10.5), QSize(10, 11));
    for (const auto &[w, h] :
         {std::pair{0.4, 5.0}, {kNaN, 5.0}, {5.0, kInf}, {1e9, 1e9}, {-kInf, 3.0}})
        EXPECT_FALSE(platform::checkedPixelSize(w, h).has_value()) << w << " x " << h;
}

TEST(ImageReaderTest, AHeaderClaimingTooManyPixelsIsRefusedBeforeDecoding)
{
    const QString dir = pelkotest::freshDir();
    const QString path = dir + QStringLiteral("/huge.png");
    ASSERT_TRUE(pelkotest::writeFile(path, pngClaiming(100000, 100000)));
    pelkotest::LogCapture log;
    EXPECT_TRUE(platform::readImageFile(path).isNull());
    // The refusal comes from the size check, not from a failed allocation.
    EXPECT_TRUE(log.logged(QStringLiteral("image refused: 100000 x 100000")));
    EXPECT_TRUE(platform::readImageData(pngClaiming(100000, 100000)).isNull());
    EXPECT_TRUE(Image::fromFile(path) == nullptr);
    // The multiple-image decoder reports no size and takes its memory outside the decoders'
    // limit: the sizes its stream declares are checked instead.
    for (const auto &[inImage, h] : {std::pair{false, 30000u}, {true, 30000u}, {true, 0u}}) {
        SCOPED_TRACE(inImage ? "image header" : "stream header");
        const QString mng = dir + QStringLiteral("/huge.mng");
        ASSERT_TRUE(pelkotest::writeFile(mng, mngClaiming(h ? 40000 : 3'000'000'000u, h, inImage)));
        pelkotest::LogCapture mngLog;
        EXPECT_TRUE(platform::readImageFile(mng).isNull());
        EXPECT_TRUE(mngLog.logged(QStringLiteral("image refused: ")));
        EXPECT_EQ(platform::imageCountOfFile(mng), 0);
        EXPECT_EQ(platform::readImageForView(mng, {100, 100}, 1 << 20).outcome,
                  platform::ViewImage::Outcome::TooLarge);
        // Within the bound, the same stream is read.
        ASSERT_TRUE(pelkotest::writeFile(mng, mngClaiming(40, 30, inImage)));
        EXPECT_NE(platform::readImageForView(mng, {100, 100}, 1 << 20).outcome,
                  platform::ViewImage::Outcome::TooLarge);
    }
    // The decoders' own limit matches the bound.
    EXPECT_EQ(QImageReader::allocationLimit(), platform::kImageAllocationLimitMB);
}

// A valid picture followed by a chunk that declares nearly 2 GB and holds nothing: the PNG decoder
// would allocate and clear the declared length before finding the data missing.
TEST(ImageReaderTest, APartDeclaringMoreBytesThanTheFileHoldsIsRefusedUnread)
{
    const QByteArray good = pngOf(solid(4, 3, Qt::red));
    ASSERT_TRUE(good.endsWith(pngChunk("IEND", {})));
    const QByteArray hostile = good.chopped(12) + bareChunkHeader("tEXt", 0x7ffffff0u);
    // One byte short of the declared data is refused too; the exact length is read.
    const QByteArray shortByOne =
        good.chopped(12) + pngChunk("tEXt", QByteArray("key\0value", 9)).chopped(5);
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool refused;
    } rows[] = {
        {"good.png", good, false},
        {"hostile.png", hostile, true},
        {"short.png", shortByOne, true},
        {"good.ico", iconHolding(good), false},
        {"hostile.ico", iconHolding(hostile), true},
        {"good.icns", iconFamilyHolding(good), false},
        {"hostile.icns", iconFamilyHolding(hostile), true},
        // The icon decoders read a PNG entry or an element whole, at its declared size.
        {"longentry.ico", longerBy(iconHolding(good), 14, 0x7ffffff0u, false), true},
        {"longelement.icns", longerBy(iconFamilyHolding(good), 12, 0x7ffffff0u, true), true},
        // The multiple-image decoder reads a chunk into memory of the length it declares too.
        {"longchunk.mng",
         mngClaiming(4, 3, false).chopped(12) + bareChunkHeader("tEXt", 0x37000000u), true},
    };
    const QString dir = pelkotest::freshDir();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + QLatin1Char('/') + QLatin1String(row.name);
        ASSERT_TRUE(pelkotest::writeFile(path, row.bytes));
        pelkotest::LogCapture log;
        const QImage read = platform::readImageFile(path);
        const platform::ViewImage view = platform::readImageForView(path, {100, 100}, 1 << 20);
        if (!row.refused) {
            EXPECT_EQ(read.size(), QSize(4, 3));
            EXPECT_EQ(view.outcome, platform::ViewImage::Outcome::Read);
            EXPECT_EQ(view.image.size(), QSize(4, 3));
            continue;
        }
        EXPECT_TRUE(read.isNull());
        EXPECT_TRUE(log.logged(QStringLiteral("image refused: a")));
        EXPECT_TRUE(log.logged(QStringLiteral("bytes where")));
        EXPECT_TRUE(platform::readImageData(row.bytes).isNull());
        EXPECT_TRUE(platform::readImageFrames(path).empty());
        EXPECT_EQ(platform::imageCountOfFile(path), 0);
        EXPECT_EQ(view.outcome, platform::ViewImage::Outcome::Damaged);
        EXPECT_TRUE(view.image.isNull());
        EXPECT_EQ(platform::readImageDataForView(row.bytes, {100, 100}, 1 << 20).outcome,
                  platform::ViewImage::Outcome::Damaged);
    }
}

// The decoded picture is converted to RGBA8 where it lies: the largest image accepted would
// otherwise be held twice over for a moment.
TEST(ImageReaderTest, ReadingHoldsThePixelsOnce)
{
    QImage picture(1024, 1024, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] = qRgba(x & 255, y & 255, (x ^ y) & 255, 128 + (x & 127));
    }
    const QString path = pelkotest::freshDir() + QStringLiteral("/big.png");
    ASSERT_TRUE(picture.save(path, "PNG"));
    QImage read;
    const qint64 peak = pelkotest::peakHeapGrowth([&] { read = platform::readImageFile(path); });
    if (peak < 0)
        GTEST_SKIP() << "needs the address sanitizer's heap hooks";
    ASSERT_EQ(read.size(), picture.size());
    EXPECT_EQ(read.format(), QImage::Format_RGBA8888_Premultiplied);
    const qint64 pixelBytes = qint64(picture.width()) * picture.height() * 4;
    EXPECT_LT(peak, pixelBytes * 3 / 2) << peak << " bytes at most for " << pixelBytes;
}

TEST(ImageReaderTest, OnlyRegularFilesAreOpened)
{
    const QString dir = pelkotest::freshDir();
    const QString png = dir + QStringLiteral("/a.png");
    ASSERT_TRUE(pelkotest::writeFile(png, pngOf(solid(3, 2, Qt::red))));
    const QString fifo = dir + QStringLiteral("/fifo.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir + QStringLiteral("/link.png");
    ASSERT_TRUE(QFile::link(png, link));

    EXPECT_TRUE(platform::readImageFile(fifo).isNull()); // would block when opened
    EXPECT_TRUE(platform::readImageFile(dir).isNull());
    EXPECT_TRUE(platform::readImageFile(QString()).isNull());
    EXPECT_EQ(platform::imageCountOfFile(fifo), 0);
    const QImage read = platform::readImageFile(link);
    EXPECT_EQ(read.size(), QSize(3, 2));
    EXPECT_EQ(read.format(), QImage::Format_RGBA8888_Premultiplied);
    EXPECT_EQ(read.pixelColor(1, 1), QColor(Qt::red));
}

// A name swapped back and forth between a picture and a FIFO while it is read: what the name
// was judged to be is what is read, so the FIFO is never read (its open would wait for a
// writer; here one keeps it supplied with another picture, which must never come back).
TEST(ImageReaderTest, ANameSwappedForAFifoIsNeverRead)
{
    constexpr int kRounds = 3000;
    const QString dir = pelkotest::freshDir();
    const QString name = dir + QStringLiteral("/name.png");
    const QString other = dir + QStringLiteral("/other.png");
    ASSERT_TRUE(pelkotest::writeFile(name, pngOf(solid(3, 2, Qt::red))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(other).constData(), 0600), 0);
    const int fifo = ::open(QFile::encodeName(other).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fifo, 0);
    const QByteArray green = pngOf(solid(5, 5, Qt::green));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            if (::write(fifo, green.constData(), size_t(green.size())) < 0)
                std::this_thread::yield();
        }
    });
    // The swapper runs for as long as the reader reads, and the reader reads until it has met
    // the picture at least once: a swapper held off the processor cannot leave every read on the
    // FIFO.
    std::atomic<bool> readsDone{false};
    std::thread swapper([&] {
        while (!readsDone)
            ::renameat2(AT_FDCWD, QFile::encodeName(name).constData(), AT_FDCWD,
                        QFile::encodeName(other).constData(), RENAME_EXCHANGE);
    });
    int fromFifo = 0, pictures = 0;
    for (int i = 0; i < kRounds || pictures == 0; ++i) {
        const QSize read = platform::readImageFile(name).size();
        fromFifo += read == QSize(5, 5);
        pictures += read == QSize(3, 2);
    }
    readsDone = true;
    swapper.join();
    stop = true;
    writer.join();
    ::close(fifo);
    EXPECT_EQ(fromFifo, 0);
    EXPECT_GT(pictures, 0);
}

TEST(ImageReaderTest, CountsImagesOfAFile)
{
    const QString dir = pelkotest::freshDir();
    const QString png = dir + QStringLiteral("/a.png");
    ASSERT_TRUE(pelkotest::writeFile(png, pngOf(solid(3, 2, Qt::red))));
    const QString junk = dir + QStringLiteral("/junk.png");
    ASSERT_TRUE(pelkotest::writeFile(junk, QByteArray("not an image at all")));
    EXPECT_EQ(platform::imageCountOfFile(png), 1);
    EXPECT_EQ(platform::imageCountOfFile(junk), 0);
    EXPECT_EQ(platform::imageCountOfFile(dir + QStringLiteral("/missing.png")), 0);
}

TEST(ImageWriterTest, AFailedWriteKeepsTheOldFileAndAnswersNo)
{
    const QString dir = pelkotest::freshDir();
    const QString path = dir + QStringLiteral("/keep.png");
    const QByteArray old("the old bytes, not an image");
    pelkotest::LogCapture log;
    ASSERT_TRUE(pelkotest::writeFile(path, old));
    platform::setImageWriteFailureHook([](const QString &) { return true; });
    const bool written =
        platform::writeImageFile(solid(4, 4, Qt::blue), path, {platform::ImageFileType::PNG});
    platform::setImageWriteFailureHook(nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(pelkotest::readFile(path), old);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left

    EXPECT_TRUE(
        platform::writeImageFile(solid(4, 4, Qt::blue), path, {platform::ImageFileType::PNG}));
    EXPECT_EQ(platform::readImageFile(path).pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_FALSE(platform::writeImageFile(QImage(), path, {platform::ImageFileType::PNG}));
    EXPECT_FALSE(platform::writeImageFile(solid(1, 1, Qt::blue),
                                          dir + QStringLiteral("/no/such/x.png"),
                                          {platform::ImageFileType::PNG}));
}

TEST(ImageWriterTest, TiffIsLzwCompressedAndJpegQualityIsRounded)
{
    QImage image = solid(40, 30, QColor(10, 200, 30));
    const QByteArray tiff = platform::encodeImage(image, {platform::ImageFileType::TIFF});
    EXPECT_EQ(tiffTag(tiff, 259), 5); // compression: LZW
    QImage back;
    ASSERT_TRUE(back.loadFromData(tiff, "TIFF"));
    EXPECT_EQ(back.pixelColor(5, 5), QColor(10, 200, 30));

    // round(q * 100): 0.504 is quality 50, 0.506 is 51.
    QImage photo(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            photo.setPixel(x, y, qRgb(x * 4, y * 4, (x * y) & 255));
    auto jpeg = [&](double q) {
        return platform::encodeImage(photo, {platform::ImageFileType::JPEG, q});
    };
    EXPECT_EQ(jpeg(0.504), jpeg(0.5));
    EXPECT_NE(jpeg(0.506), jpeg(0.5));
    EXPECT_EQ(jpeg(kNaN).isEmpty(), false);
}

TEST(ImageTest, NamedImagesComeFromTheBundleWithTheirDoubleSize)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("images"));
    ASSERT_TRUE(
        pelkotest::writeFile(dir + QStringLiteral("/pic.png"), pngOf(solid(10, 8, Qt::red))));
    ASSERT_TRUE(
        pelkotest::writeFile(dir + QStringLiteral("/pic@2x.png"), pngOf(solid(20, 16, Qt::blue))));
    ASSERT_TRUE(
        pelkotest::writeFile(dir + QStringLiteral("/only@2x.png"), pngOf(solid(20, 16, Qt::blue))));
    const QString before = Image::bundleImageFolder();
    Image::setBundleImageFolder(dir);

    const ImagePtr pic = Image::named(QStringLiteral("pic"));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->size(), QSizeF(10, 8));
    ASSERT_EQ(pic->representations().size(), 2u);
    EXPECT_EQ(pic->representations()[1].pixelSize(), QSize(20, 16));
    EXPECT_EQ(Image::named(QStringLiteral("pic")), pic); // read once
    const ImagePtr only = Image::named(QStringLiteral("only"));
    ASSERT_TRUE(only);
    EXPECT_EQ(only->size(), QSizeF(10, 8)); // half its pixels as points
    for (const QString &bad :
         {QString(), QStringLiteral("../images/pic"), QStringLiteral("sub/pic"),
          QStringLiteral(".hidden"), QStringLiteral("missing")})
        EXPECT_FALSE(Image::named(bad)) << bad.toStdString();

    // A name given in the process answers before the bundle, and moves when given again.
    const ImagePtr mine = Image::fromBitmap(solid(2, 2, Qt::green));
    mine->setName(QStringLiteral("pic"));
    EXPECT_EQ(Image::named(QStringLiteral("pic")), mine);
    const ImagePtr other = Image::fromBitmap(solid(2, 2, Qt::green));
    other->setName(QStringLiteral("pic"));
    EXPECT_EQ(Image::named(QStringLiteral("pic")), other);
    EXPECT_TRUE(mine->name().isEmpty());
    other->setName(QString());
    EXPECT_EQ(Image::named(QStringLiteral("pic")), pic);
    Image::setBundleImageFolder(before);
}

TEST(ImageTest, ValidityNeedsASizeAndPixels)
{
    EXPECT_FALSE(Image(QSizeF(10, 10)).isValid());
    EXPECT_TRUE(Image::fromBitmap(solid(3, 3, Qt::red))->isValid());
    EXPECT_FALSE(Image::fromBitmap(QImage()));
    const ImagePtr zero = Image::fromBitmap(solid(3, 3, Qt::red));
    zero->setSize(QSizeF(0, 3));
    EXPECT_FALSE(zero->isValid());
    const auto filter =
        Image::fromFilterImage(platform::FilterImage(solid(4, 4, Qt::red), QRectF(5, 5, 4, 4)));
    ASSERT_TRUE(filter);
    EXPECT_TRUE(filter->isValid());
    EXPECT_EQ(filter->render(QSize(8, 8)).pixelColor(7, 7), QColor(Qt::red));
}

TEST(ImageTest, LockFocusDrawsAtOnePixelPerPoint)
{
    const ImagePtr image = std::make_shared<Image>(QSizeF(6, 4));
    ASSERT_TRUE(image->lockFocus());
    EXPECT_FALSE(image->lockFocus());
    auto *context = platform::GraphicsContext::currentContext();
    ASSERT_TRUE(context);
    context->setFillColor(Qt::red);
    context->fillRect(QRectF(0, 0, 3, 4));
    image->unlockFocus();
    EXPECT_FALSE(platform::GraphicsContext::currentContext() == context);
    ASSERT_EQ(image->representations().size(), 1u);
    const QImage bits = image->representations()[0].bitmap;
    EXPECT_EQ(bits.size(), QSize(6, 4));
    EXPECT_EQ(bits.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(bits.pixelColor(4, 1).alpha(), 0);

    const ImagePtr huge = std::make_shared<Image>(QSizeF(1e6, 1e6));
    EXPECT_FALSE(huge->lockFocus());
}

TEST(ImageTest, DrawingMapsTheOperationAndFraction)
{
    const ImagePtr image = Image::fromBitmap(solid(4, 4, Qt::white));
    QImage canvas = solid(4, 4, Qt::black);
    {
        QPainter painter(&canvas);
        image->drawInRect(&painter, QRectF(0, 0, 2, 4), {}, QPainter::CompositionMode_SourceOver,
                          0.5);
        image->drawInRect(&painter, QRectF(2, 0, 2, 4), {}, QPainter::CompositionMode_Clear);
    }
    EXPECT_NEAR(canvas.pixelColor(0, 0).red(), 128, 2);
    EXPECT_EQ(canvas.pixelColor(3, 0).alpha(), 0);
}

TEST(ImageTest, TemplateIconsTakeThePalettesButtonTextColour)
{
    QImage mark(8, 8, QImage::Format_RGBA8888_Premultiplied);
    mark.fill(Qt::transparent);
    mark.setPixelColor(2, 2, QColor(0, 0, 0, 255));
    mark.setPixelColor(3, 3, QColor(0, 0, 0, 128));
    const ImagePtr image = Image::fromBitmap(mark);
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(250, 240, 10));

    const QImage plain = image->toQIcon(palette).pixmap(QSize(8, 8)).toImage();
    EXPECT_EQ(plain.pixelColor(2, 2), QColor(0, 0, 0));
    image->setTemplate(true);
    const QImage tinted = image->toQIcon(palette).pixmap(QSize(8, 8)).toImage();
    EXPECT_EQ(tinted.pixelColor(2, 2), QColor(250, 240, 10));
    EXPECT_NEAR(tinted.pixelColor(3, 3).alpha(), 128, 1);
    EXPECT_EQ(tinted.pixelColor(0, 0).alpha(), 0);
}

class AddOne : public platform::Filter
{
public:
    void setDefaults() override { setValue(QStringLiteral("inputAmount"), 1.0); }
    platform::FilterImage outputImage() const override
    {
        const auto in = image(QStringLiteral("inputImage"));
        if (in.isNull())
            return {};
        QImage out = in.pixels();
        out.setPixelColor(0, 0, QColor(int(number(QStringLiteral("inputAmount"))), 0, 0));
        return platform::FilterImage(out, in.extent());
    }
};

TEST(FilterTest, FiltersAreFoundByNameWithTypedValues)
{
    EXPECT_FALSE(platform::Filter::filterWithName(QStringLiteral("NoSuchFilter")));
    platform::Filter::registerFilter(QStringLiteral("AddOne"),
                                     [] { return std::make_unique<AddOne>(); });
    auto filter = platform::Filter::filterWithName(QStringLiteral("AddOne"));
    ASSERT_TRUE(filter);
    EXPECT_TRUE(filter->outputImage().isNull()); // no input image yet
    filter->setDefaults();
    filter->setValue(QStringLiteral("inputImage"),
                     platform::FilterImage::fromImage(solid(2, 2, Qt::black)));
    EXPECT_EQ(filter->outputImage().pixels().pixelColor(0, 0), QColor(1, 0, 0));
    filter->setValue(QStringLiteral("inputAmount"), 7.0);
    EXPECT_EQ(filter->outputImage().pixels().pixelColor(0, 0), QColor(7, 0, 0));
    // A value of the wrong type is not read as a number.
    filter->setValue(QStringLiteral("inputAmount"), platform::FilterVector{9, 9});
    EXPECT_EQ(filter->outputImage().pixels().pixelColor(0, 0), QColor(0, 0, 0));
    platform::Filter::unregisterFilter(QStringLiteral("AddOne"));
    EXPECT_FALSE(platform::Filter::filterWithName(QStringLiteral("AddOne")));
}

} // namespace
