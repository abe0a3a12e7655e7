// Decoding for a view within a memory budget: what image headers declare, the decodes held to
// it, the shared budget itself, the banded downscale, and the icon walk.
#include "platform/DecodeBudget.h"
#include "platform/ImageChunkCheck.h"
#include "platform/ImageDownscale.h"
#include "platform/ImageHeaders.h"
#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"

#include "support/HeapPeak.h"
#include "support/HostileImages.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using platform::ViewImage;

namespace {

constexpr qint64 kMB = 1024 * 1024;

std::optional<platform::DecodeDemand> demandOf(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return platform::probeDecodeDemand(&buffer);
}

// A bitmap's information header (40 bytes) declaring w x h, as an icon's bitmap entry begins.
QByteArray bitmapInfo(qint32 w, qint32 h)
{
    using pelkotest::hostile::le32;
    return le32(40) + le32(quint32(w)) + le32(quint32(h)) + QByteArray(28, 0);
}

QString suffixOf(const char *name)
{
    return QFileInfo(QString::fromLatin1(name)).suffix();
}

// Every hostile kind, under its own name, under another format's and under none (the reader
// tries the decoder the name suggests first), is either refused before a decoder takes memory
// or read within the budget; a refused one tells the size it declares.
TEST(ImageViewBudgetTest, HostileImagesStayWithinTheBudgetWhateverTheyAreNamed)
{
    platform::installImageAllocationLimit(); // as at start-up
    const QString dir = pelkotest::freshDir();
    // Decoded whole within the budget: one 8192 x 8192 entry of one bit a pixel.
    const QSet<QString> readable = {QStringLiteral("entries.ico")};
    for (const auto &hostile : pelkotest::hostileImages()) {
        const QString name = QString::fromLatin1(hostile.name);
        ASSERT_FALSE(hostile.bytes.isEmpty()) << hostile.name;
        for (const QString &suffix :
             {suffixOf(hostile.name), QStringLiteral("png"), QStringLiteral("gif"), QString()}) {
            SCOPED_TRACE((name + QStringLiteral(" as .") + suffix).toStdString());
            const QString path = dir + QStringLiteral("/") + QFileInfo(name).baseName() +
                                 (suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix);
            ASSERT_TRUE(pelkotest::writeFile(path, hostile.bytes));
            ViewImage view;
            const qint64 peak = pelkotest::peakHeapGrowth([&] {
                view = platform::readImageForView(path, {400, 300}, platform::kMaxViewPixels);
            });
            if (readable.contains(name)) {
                EXPECT_EQ(view.outcome, ViewImage::Outcome::Read);
                EXPECT_EQ(view.sourceSize, hostile.declared);
                EXPECT_LE(view.image.width(), 400);
            } else {
                EXPECT_EQ(view.outcome, ViewImage::Outcome::TooLarge);
                EXPECT_EQ(view.sourceSize, hostile.declared);
                EXPECT_TRUE(view.image.isNull());
            }
            if (peak >= 0) {
                EXPECT_LT(peak, platform::kViewDecodeBytes) << peak / kMB << " MB";
            }
        }
    }
}

// Headers that say less than a decoder takes: a small screen with a large frame, a small canvas
// around a large bitstream, an icon directory of small entries holding a large PNG or an icon
// family, frames growing one after another.
TEST(ImageViewBudgetTest, TheLargestPictureAnyHeaderDeclaresIsCounted)
{
    using namespace pelkotest;
    const QByteArray hugePng = pngOfSize(16384, 16384, 1, 0, false);
    QByteArray smallCanvas = webpLossless(16383, 16383);
    {
        // A VP8X header claiming a canvas of 1 x 1 in front of the large bitstream.
        const QByteArray vp8x = hostile::riffChunk("VP8X", QByteArray(10, 0));
        smallCanvas.insert(12, vp8x);
        qToLittleEndian(quint32(smallCanvas.size() - 8), smallCanvas.data() + 4);
    }
    const struct
    {
        const char *name;
        QByteArray bytes;
        QSize size;
    } rows[] = {
        {"frame beyond a 1 x 1 screen", gifOf({1, 1}, {{16383, 16383}}), {16383, 16383}},
        {"frames growing", gifOf({16, 16}, {{1, 1}, {4000, 30}, {30, 9000}}), {4000, 9000}},
        {"canvas smaller than its bitstream", smallCanvas, {16383, 16383}},
        {"animation frames growing", webpAnimation({64, 64}, {{8, 8}, {3000, 3000}}), {64, 64}},
        {"icon entry holding a large PNG", iconHolding(hugePng), {16384, 16384}},
        {"icon family in an icon", iconHolding(iconFamilyHolding(hugePng, "ic10")), {16384, 16384}},
        {"icon in an icon family", iconFamilyHolding(iconHolding(hugePng), "ic08"), {16384, 16384}},
        {"legacy icon family element", iconFamilyHolding(QByteArray(100, 0), "it32"), {128, 128}},
        // Half the height a bitmap entry declares, its mask the other half.
        {"icon bitmap", iconHolding(bitmapInfo(16, 600)), {16, 300}},
        {"icon bitmap of the greatest height", iconHolding(bitmapInfo(16, INT_MAX)), {16, 1 << 30}},
        {"icon bitmap of the least height", iconHolding(bitmapInfo(16, INT_MIN)), {16, 1 << 30}},
        {"bitmap stored top row first", bmpRle8(300, -200), {300, 200}},
        {"tiff", tiffDeflate(700, 500), {700, 500}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const auto demand = demandOf(row.bytes);
        ASSERT_TRUE(demand.has_value());
        EXPECT_EQ(demand->size, row.size);
    }
    // The growing animation frame is counted though the canvas is small.
    const auto animation = demandOf(webpAnimation({64, 64}, {{8, 8}, {3000, 3000}}));
    ASSERT_TRUE(animation.has_value());
    EXPECT_GE(platform::decodeBytes(*animation, {64, 64}, {64, 64}), qint64(3000) * 3000 * 4);
    // Nothing recognised, nothing declared.
    EXPECT_FALSE(demandOf(QByteArray("plain text, no picture")).has_value());
}

// A progressive JPEG keeps every coefficient of the picture whatever size it is read at (two
// bytes each, blocks padded to the sampling groups); a baseline one reads row by row.
TEST(ImageViewBudgetTest, AProgressiveJpegCountsItsCoefficients)
{
    struct Row
    {
        bool colour;
        qint64 coefficients;
    };
    // 30000 x 20000: grey, 3750 x 2500 blocks; colour (Y at 2 x 2, Cb and Cr at 1 x 1), the
    // same for Y and 1875 x 1250 blocks for each of the others.
    for (const Row &row : {Row{false, qint64(3750) * 2500 * 128},
                           Row{true, (qint64(3750) * 2500 + 2 * qint64(1875) * 1250) * 128}}) {
        SCOPED_TRACE(row.colour ? "colour" : "grey");
        const auto progressive = demandOf(pelkotest::jpegDeclaring(30000, 20000, true, row.colour));
        const auto baseline = demandOf(pelkotest::jpegDeclaring(30000, 20000, false, row.colour));
        ASSERT_TRUE(progressive && baseline);
        EXPECT_EQ(progressive->size, QSize(30000, 20000));
        EXPECT_TRUE(progressive->reducible && baseline->reducible);
        EXPECT_EQ(progressive->fixedBytes - baseline->fixedBytes, row.coefficients);
    }
}

// The sizes read from the headers are the ones an independent reader finds.
TEST(ImageViewBudgetTest, DeclaredSizesAgreeWithAnIndependentReader)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (convert.isEmpty() || identify.isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    const QString dir = pelkotest::freshDir();
    const struct
    {
        const char *name;
        QStringList options;
    } rows[] = {
        {"a.png", {}},
        {"a16.png", {"-depth", "16"}},
        {"a.gif", {}},
        {"a.jpg", {}},
        {"progressive.jpg", {"-interlace", "Plane", "-sampling-factor", "2x2"}},
        {"a.bmp", {}},
        {"a.tiff", {"-compress", "zip"}},
        {"tiled.tiff", {"-define", "tiff:tile-geometry=16x16"}},
        {"lossy.webp", {}},
        {"lossless.webp", {"-define", "webp:lossless=true"}},
        {"a.ico", {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + QStringLiteral("/") + QLatin1String(row.name);
        QStringList args = {QStringLiteral("-size"), QStringLiteral("37x23"),
                            QStringLiteral("gradient:red-blue")};
        args += row.options;
        args += path;
        ASSERT_EQ(QProcess::execute(convert, args), 0);
        QProcess id;
        id.start(identify, {QStringLiteral("-format"), QStringLiteral("%w %h\n"), path});
        ASSERT_TRUE(id.waitForFinished(-1));
        const QStringList told = QString::fromLatin1(id.readAllStandardOutput()).split('\n');
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto demand = platform::probeDecodeDemand(&file);
        ASSERT_TRUE(demand.has_value());
        EXPECT_EQ(QStringLiteral("%1 %2").arg(demand->size.width()).arg(demand->size.height()),
                  told.value(0));
    }
}

// Photographs of up to a hundred megapixels preview: a JPEG is read at a reduced size, a
// decoder that can only read whole is read whole and made smaller a band at a time, without a
// second copy of the picture in a wider format.
TEST(ImageViewBudgetTest, LargePhotographsStillPreview)
{
    platform::installImageAllocationLimit(); // as at start-up
    const QString dir = pelkotest::freshDir();
    const struct
    {
        const char *name;
        QByteArray bytes;
        QSize size;
        qint64 peakBound;
    } rows[] = {
        {"baseline.jpg",
         pelkotest::jpegDeclaring(12000, 8400, false, true),
         {12000, 8400},
         64 * kMB},
        // 4000 x 3000 grey: 12 MB as decoded, 48 MB once converted to 32 bits.
        {"grey.png", pelkotest::pngOfSize(4000, 3000, 8, 0), {4000, 3000}, 32 * kMB},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir + QStringLiteral("/") + QLatin1String(row.name);
        ASSERT_TRUE(pelkotest::writeFile(path, row.bytes));
        ViewImage view;
        const qint64 peak = pelkotest::peakHeapGrowth([&] {
            view = platform::readImageForView(path, {600, 400}, platform::kMaxViewPixels);
        });
        ASSERT_EQ(view.outcome, ViewImage::Outcome::Read);
        EXPECT_EQ(view.sourceSize, row.size);
        EXPECT_TRUE(view.image.width() <= 600 && view.image.height() <= 400);
        EXPECT_EQ(view.image.size(), row.size.scaled(600, 400, Qt::KeepAspectRatio));
        if (peak >= 0) {
            EXPECT_LT(peak, row.peakBound) << peak / kMB << " MB";
        }
    }
}

TEST(DecodeBudgetTest, ReservationsBeyondWhatIsFreeWaitInTurn)
{
    using platform::kViewDecodeBytes;
    ASSERT_EQ(platform::decodeMemoryInUse(), 0);
    EXPECT_FALSE(platform::reserveDecodeMemory(kViewDecodeBytes + 1).isValid());
    auto first = std::make_unique<platform::DecodeReservation>(
        platform::reserveDecodeMemory(kViewDecodeBytes / 2 + 1));
    ASSERT_TRUE(first->isValid());
    std::atomic<bool> second{false};
    std::thread waiter([&] {
        const platform::DecodeReservation r = platform::reserveDecodeMemory(kViewDecodeBytes / 2);
        second = r.isValid();
    });
    while (platform::decodeReservationsWaiting() == 0)
        std::this_thread::yield();
    // Waiting: the two together would exceed the budget.
    EXPECT_FALSE(second);
    EXPECT_EQ(platform::decodeMemoryInUse(), kViewDecodeBytes / 2 + 1);
    first.reset();
    waiter.join();
    EXPECT_TRUE(second);
    EXPECT_EQ(platform::decodeMemoryInUse(), 0);
}

template <class F> void waitFor(F done)
{
    while (!done())
        std::this_thread::yield();
}

// A decode no longer wanted leaves its place in the line at once, and the next is served; a
// view's decode stopped before it runs, or while it waits for the budget, reads nothing.
TEST(DecodeBudgetTest, AWaiterThatIsStoppedLeavesTheLine)
{
    using platform::kViewDecodeBytes;
    ASSERT_EQ(platform::decodeMemoryInUse(), 0);
    auto first = std::make_unique<platform::DecodeReservation>(
        platform::reserveDecodeMemory(kViewDecodeBytes / 2 + 1));
    std::stop_source stop;
    std::atomic<int> stopped{-1}, behind{-1};
    std::thread waiter([&] {
        stopped = platform::reserveDecodeMemory(kViewDecodeBytes / 2, stop.get_token()).isValid();
    });
    waitFor([] { return platform::decodeReservationsWaiting() == 1; });
    // Fits beside the first, but waits its turn behind the stopped one until it leaves.
    std::thread next(
        [&] { behind = platform::reserveDecodeMemory(kViewDecodeBytes / 4).isValid(); });
    waitFor([] { return platform::decodeReservationsWaiting() == 2; });
    EXPECT_EQ(behind, -1);
    // Stopped as the budget frees: still not wanted.
    stop.request_stop();
    first.reset();
    waiter.join();
    next.join();
    EXPECT_EQ(stopped, 0);
    EXPECT_EQ(behind, 1);

    const QString path = pelkotest::freshDir() + QStringLiteral("/a.png");
    ASSERT_TRUE(pelkotest::writeFile(path, pelkotest::pngOfSize(40, 30, 8, 2)));
    std::stop_source before;
    before.request_stop();
    EXPECT_EQ(platform::readImageForView(path, {100, 100}, 1 << 20, {nullptr, before.get_token()})
                  .outcome,
              ViewImage::Outcome::Cancelled);
    auto all = std::make_unique<platform::DecodeReservation>(
        platform::reserveDecodeMemory(kViewDecodeBytes));
    std::stop_source waiting;
    ViewImage view;
    const quint64 made = platform::decodeReservationsMade();
    std::thread reader([&] {
        view =
            platform::readImageForView(path, {100, 100}, 1 << 20, {nullptr, waiting.get_token()});
    });
    waitFor([] { return platform::decodeReservationsWaiting() == 1; });
    waiting.request_stop();
    reader.join();
    EXPECT_EQ(view.outcome, ViewImage::Outcome::Cancelled);
    EXPECT_TRUE(view.image.isNull());
    EXPECT_EQ(platform::decodeReservationsMade(), made);
    all.reset();
    EXPECT_EQ(platform::decodeMemoryInUse(), 0);
}

// A waiter that holds part of the budget (a picture it has read) waits behind one that needs
// all of it: the first in line is served once only waiters hold what is in use, going over the
// budget by what they hold, rather than both waiting for ever.
TEST(DecodeBudgetTest, AWaiterHoldingBytesNeverBlocksTheOneAheadForEver)
{
    using platform::kViewDecodeBytes;
    ASSERT_EQ(platform::decodeMemoryInUse(), 0);
    auto other = std::make_unique<platform::DecodeReservation>(platform::reserveDecodeMemory(kMB));
    platform::DecodeReservation held = platform::reserveDecodeMemory(2 * kMB);
    std::atomic<qint64> inUseWhenServed{-1};
    std::thread whole([&] {
        const platform::DecodeReservation r = platform::reserveDecodeMemory(kViewDecodeBytes);
        inUseWhenServed = platform::decodeMemoryInUse();
    });
    waitFor([] { return platform::decodeReservationsWaiting() == 1; });
    std::atomic<bool> more{false};
    std::thread holder(
        [&] { more = platform::reserveDecodeMemory(kMB, {}, held.bytes()).isValid(); });
    waitFor([] { return platform::decodeReservationsWaiting() == 2; });
    other.reset();
    whole.join();
    holder.join();
    EXPECT_EQ(inUseWhenServed, kViewDecodeBytes + 2 * kMB);
    EXPECT_TRUE(more);
    // Held bytes are given back in parts, and taken over whole.
    platform::DecodeReservation taken;
    taken.absorb(std::move(held));
    EXPECT_FALSE(held.isValid());
    EXPECT_EQ(platform::decodeMemoryInUse(), 2 * kMB);
    taken.shrinkTo(kMB / 2);
    EXPECT_EQ(platform::decodeMemoryInUse(), kMB / 2);
}

// The average of the pixels each new pixel covers, the same whatever format the picture was
// decoded in; ImageMagick's box scaling agrees.
TEST(ImageDownscaleTest, AveragesThePixelsEachNewPixelCovers)
{
    QImage argb(4, 2, QImage::Format_ARGB32);
    const QRgb pixels[2][4] = {
        {qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 255), qRgba(10, 20, 30, 255),
         qRgba(30, 20, 10, 255)},
        {qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 255), qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 0)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            argb.setPixel(x, y, pixels[y][x]);
    const QImage small = platform::downscaledByArea(argb, {2, 1});
    ASSERT_EQ(small.size(), QSize(2, 1));
    EXPECT_EQ(small.pixel(0, 0), qRgba(128, 0, 128, 255));
    // Transparent pixels weigh as they cover: premultiplied averages.
    EXPECT_EQ(qUnpremultiply(small.pixel(1, 0)), qRgba(20, 20, 20, 128));

    QImage indexed(64, 48, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(250, 100, 0), qRgb(0, 60, 250)});
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            indexed.setPixel(x, y, uint((x * 7 + y * 3) % 3));
    const QImage fromIndexed = platform::downscaledByArea(indexed, {16, 12});
    const QImage fromArgb =
        platform::downscaledByArea(indexed.convertToFormat(QImage::Format_ARGB32), {16, 12});
    EXPECT_EQ(fromIndexed, fromArgb);

    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        return;
    const QString dir = pelkotest::freshDir();
    ASSERT_TRUE(indexed.convertToFormat(QImage::Format_RGB32).save(dir + "/in.png"));
    ASSERT_EQ(QProcess::execute(convert, {dir + "/in.png", "-scale", "16x12", dir + "/out.png"}),
              0);
    const QImage reference(dir + "/out.png");
    ASSERT_EQ(reference.size(), QSize(16, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const QColor a = fromIndexed.pixelColor(x, y), b = reference.pixelColor(x, y);
            EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                          std::abs(a.blue() - b.blue()),
                      3)
                << x << ", " << y;
        }
}

// A device that counts the reads that reach it.
class CountingBuffer : public QBuffer
{
public:
    int reads = 0;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        ++reads;
        return QBuffer::readData(data, maxSize);
    }
};

// An icon whose thousands of entries share one PNG of a thousand chunks is walked once; each
// entry's own length is still judged: one that cuts a chunk's data short is refused, one that
// cuts a chunk's header is left to the decoder.
TEST(ImageChunkCheckTest, AnImageSharedByIconEntriesIsWalkedOnce)
{
    using namespace pelkotest;
    QByteArray png = pngOfSize(2, 2, 8, 0);
    QByteArray chunks;
    for (int i = 0; i < 1000; ++i)
        chunks += pngChunk("tEXt", i == 500 ? QByteArray(20, 'x') : QByteArray());
    png.insert(8 + 25, chunks); // after the header chunk
    const int entries = 4000;
    const QByteArray whole = iconHolding(png, entries);
    const qint64 pngAt = 6 + 16 * entries;
    // The bytes with the length of entry i made `length`.
    const auto withLength = [&](int i, quint32 length) {
        QByteArray b = whole;
        qToLittleEndian(length, b.data() + 6 + 16 * i + 8);
        return b;
    };
    const qint64 chunkAt = 8 + 25 + 12 * 500; // the 501st chunk, the one with data
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool refused;
    } rows[] = {
        {"every entry whole", whole, false},
        // Ends 4 bytes into the 501st chunk's header: no length read from it.
        {"one entry cut in a header", withLength(entries - 1, quint32(chunkAt + 4)), false},
        // Ends 10 bytes into the 20 the 501st chunk declares.
        {"one entry cut in a chunk", withLength(entries - 1, quint32(chunkAt + 8 + 10)), true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CountingBuffer device;
        device.setData(row.bytes);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        const QString why = platform::findOverlongImageChunk(&device);
        EXPECT_EQ(!why.isEmpty(), row.refused) << why.toStdString();
        if (row.refused) {
            EXPECT_TRUE(why.contains(QString::number(pngAt + chunkAt))) << why.toStdString();
        }
        // A few reads of a window each, not one per entry and chunk.
        EXPECT_LT(device.reads, 100);
    }
}

// Icon entries whose PNGs lie inside each other's first chunk, all ending where the tail of
// chunks after it begins: each chunk of the tail is read once, not once for each entry that
// reaches it. Each entry's own end is still judged on the way of its image.
TEST(ImageChunkCheckTest, PngsNestedInEachOthersChunksAreWalkedOnce)
{
    using namespace pelkotest;
    using hostile::be32;
    using hostile::le32;
    constexpr int kNested = 100, kTail = 100;
    constexpr qint64 kData = 70000; // each tail chunk's data: more than a read takes at once
    const qint64 headsAt = 6 + 16 * kNested;
    const qint64 tailAt = headsAt + 16 * kNested + 4; // after the shared first chunk's check sum
    // Each image: the signature and its first chunk's header, whose data runs to the tail.
    QByteArray images;
    for (int k = 0; k < kNested; ++k) {
        const qint64 at = headsAt + 16 * k;
        images += QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(quint32(tailAt - 4 - (at + 16))) +
                  QByteArray("nEst");
    }
    images += be32(0);
    for (int j = 0; j < kTail; ++j)
        images += pngChunk("tEXt", QByteArray(kData, 'x'));
    images += pngChunk("IEND", {});
    QByteArray whole = hostile::le16(0) + hostile::le16(1) + hostile::le16(kNested);
    const qint64 size = headsAt + images.size();
    // Innermost first: every later walk reaches chunks read before.
    for (int k = kNested - 1; k >= 0; --k) {
        const qint64 at = headsAt + 16 * k;
        whole +=
            QByteArray::fromHex("0403000001002000") + le32(quint32(size - at)) + le32(quint32(at));
    }
    whole += images;
    ASSERT_EQ(whole.size(), size);
    // Entry i (the image at headsAt + 16 * (kNested - 1 - i)) made to end `into` bytes into
    // the tail's chunk j.
    const auto cut = [&](int i, int j, qint64 into) {
        QByteArray b = whole;
        const qint64 at = headsAt + 16 * (kNested - 1 - i);
        const qint64 end = tailAt + j * (12 + kData) + into;
        qToLittleEndian(quint32(end - at), b.data() + 6 + 16 * i + 8);
        return b;
    };
    const struct
    {
        const char *name;
        QByteArray bytes;
        qint64 refusedAt; // the chunk named, or -1
    } rows[] = {
        {"every entry whole", whole, -1},
        {"the last entry cut in a header", cut(kNested - 1, 50, 4), -1},
        {"the first entry cut in the first tail chunk", cut(0, 0, 8 + 10), tailAt},
        {"an inner entry cut in a middle chunk", cut(30, 37, 8 + 10), tailAt + 37 * (12 + kData)},
        {"an outer entry cut in the last data chunk", cut(kNested - 1, kTail - 1, 8 + kData - 1),
         tailAt + (kTail - 1) * (12 + kData)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CountingBuffer device;
        device.setData(row.bytes);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        const QString why = platform::findOverlongImageChunk(&device);
        EXPECT_EQ(!why.isEmpty(), row.refusedAt >= 0) << why.toStdString();
        if (row.refusedAt >= 0) {
            EXPECT_TRUE(why.contains(QStringLiteral("at byte %1 ").arg(row.refusedAt)))
                << why.toStdString();
        }
        // About one read for each chunk of the tail, not one for each entry and chunk.
        EXPECT_LT(device.reads, 2 * (kNested + kTail));
    }
}

// An icon's walks keep every chunk they read, so an icon whose images hold more chunks than any
// icon's headers need is refused rather than read on; a PNG alone is walked without keeping any.
TEST(ImageChunkCheckTest, AnIconOfMoreChunksThanAnyIconNeedsIsRefused)
{
    using namespace pelkotest;
    QByteArray png = pngOfSize(2, 2, 8, 0);
    png.insert(8 + 25, pngChunk("tEXt", {}).repeated((1 << 20) + 10));
    for (const bool inIcon : {false, true}) {
        SCOPED_TRACE(inIcon ? "in an icon" : "alone");
        QBuffer device;
        device.setData(inIcon ? iconHolding(png) : png);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        const QString why = platform::findOverlongImageChunk(&device);
        EXPECT_EQ(why.contains(QStringLiteral("more chunks")), inIcon) << why.toStdString();
    }
}

// The position of the chunk that refuses the icon, judging each PNG entry on a walk of its own
// from its start to the end of the file; -1 when none does.
qint64 refusingChunkOfEachWalk(const QByteArray &icon)
{
    const auto u32 = [&](qint64 at, bool big) {
        const auto *p = reinterpret_cast<const uchar *>(icon.constData() + at);
        return big ? qint64(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]
                   : qint64(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    };
    const qint64 size = icon.size();
    const qint64 count = u32(4, false) & 0xffff;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 length = u32(6 + 16 * i + 8, false), offset = u32(6 + 16 * i + 12, false);
        if (size - offset < 8 || icon.mid(offset, 8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
            continue;
        if (length > size - offset)
            return offset;
        const qint64 end = offset + length;
        for (qint64 pos = offset + 8; size - pos >= 8;) {
            const qint64 dataEnd = pos + 8 + u32(pos, true);
            if (dataEnd > end) {
                if (end - pos >= 8)
                    return pos;
                break; // cut in a header: left to the decoder
            }
            if (icon.mid(pos + 4, 4) == "IEND")
                break;
            pos = dataEnd + 4;
        }
    }
    return -1;
}

// Icons of PNGs at random places whose chains of chunks cross, join and break each other, and
// entries of random lengths: the shared walk refuses exactly what a walk of each entry alone
// refuses, naming the same chunk.
TEST(ImageChunkCheckTest, SharedWalksJudgeAsAWalkOfEachEntryAlone)
{
    using namespace pelkotest;
    using hostile::be32;
    using hostile::le32;
    QRandomGenerator random(4242);
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const int entries = 1 + int(random.bounded(8));
        const qint64 headsAt = 6 + 16 * entries;
        QByteArray icon = hostile::le16(0) + hostile::le16(1) + hostile::le16(quint16(entries));
        QByteArray body(int(500 + random.bounded(3000)), '\0');
        const qint64 size = headsAt + body.size();
        std::vector<qint64> starts;
        for (int k = 0; k < 1 + int(random.bounded(12)); ++k) {
            qint64 pos = random.bounded(int(body.size() - 8));
            starts.push_back(headsAt + pos);
            body.replace(pos, 8, QByteArray("\x89PNG\r\n\x1a\n", 8));
            // A chain of chunks, mostly short; the last may run past the end.
            for (pos += 8; body.size() - pos >= 8;) {
                const quint32 length =
                    random.bounded(10) == 0 ? random.bounded(5000) : random.bounded(60);
                const bool last = random.bounded(30) == 0;
                body.replace(pos, 8, be32(length) + (last ? "IEND" : "tEXt"));
                if (last)
                    break;
                pos += 12 + length;
            }
        }
        for (int i = 0; i < entries; ++i) {
            const qint64 at = random.bounded(8) == 0 ? headsAt + random.bounded(int(body.size()))
                                                     : starts[random.bounded(int(starts.size()))];
            const qint64 length =
                random.bounded(4) == 0 ? size - at : random.bounded(int(size - at + 20));
            icon +=
                QByteArray::fromHex("0403000001002000") + le32(quint32(length)) + le32(quint32(at));
        }
        icon += body;
        QBuffer device;
        device.setData(icon);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        const QString why = platform::findOverlongImageChunk(&device);
        const qint64 expected = refusingChunkOfEachWalk(icon);
        EXPECT_EQ(!why.isEmpty(), expected >= 0) << why.toStdString();
        if (expected >= 0) {
            ++refused;
            EXPECT_TRUE(why.contains(QStringLiteral("at byte %1 ").arg(expected)))
                << why.toStdString() << " / " << expected;
        }
    }
    // Both answers are met often.
    EXPECT_GT(refused, 40);
    EXPECT_LT(refused, 360);
}

} // namespace
