#include "platform/ImageReader.h"

#include "platform/DecodeBudget.h"
#include "platform/Dispatch.h"
#include "platform/ImageChunkCheck.h"
#include "platform/ImageDownscale.h"
#include "platform/ImageHeaders.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/PixelLimits.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QThreadPool>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A regular file held open elsewhere, read by offset: the device keeps its own position, never
// the descriptor's, which other readers of the same file may be using meanwhile.
class OffsetReader : public QIODevice
{
public:
    explicit OffsetReader(int fd) : mFd(fd)
    {
        struct stat st;
        mRegular = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        mSize = mRegular ? qint64(st.st_size) : 0;
    }
    bool isRegularFile() const { return mRegular; }
    bool isSequential() const override { return false; }
    qint64 size() const override { return mSize; }
    bool seek(qint64 pos) override
    {
        if (pos < 0 || !QIODevice::seek(pos))
            return false;
        mPos = pos;
        return true;
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        for (;;) {
            const ssize_t n = ::pread(mFd, data, size_t(maxSize), off_t(mPos));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return -1;
            mPos += n;
            return n;
        }
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    int mFd;
    bool mRegular = false;
    qint64 mSize = 0;
    qint64 mPos = 0;
};

// Opens the path only when it is (or links to) a regular file: a FIFO or a device would block
// the reader or never end.
std::unique_ptr<QFile> openRegularFile(const QString &path)
{
    return LocalPath_OpenRegularFile(path);
}

// The most pixels a decoder may take memory for: the bound, or less under the decoders'
// allocation limit.
qint64 decodablePixels()
{
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024 / 4;
    return limit > 0 ? std::min(kMaxImagePixels, limit) : kMaxImagePixels;
}

bool refusedOversized(QIODevice *device)
{
    const auto size = findOversizedAnimation(device, decodablePixels());
    if (!size)
        return false;
    Log(QStringLiteral("ERROR image refused: %1 x %2 pixels")
            .arg(size->width())
            .arg(size->height()));
    return true;
}

// A decoder may take a larger picture than it reports before decoding (a GIF's screen, an
// icon's PNG entry, an icon family's elements): what the headers declare is held to the bound.
bool refusedDeclared(QIODevice *device)
{
    const auto declared = probeDecodeDemand(device);
    if (!declared || demandPixels(declared->size) <= decodablePixels())
        return false;
    Log(QStringLiteral("ERROR image refused: %1 x %2 pixels")
            .arg(declared->size.width())
            .arg(declared->size.height()));
    return true;
}

// Bytes whose structure would make a decoder allocate far beyond their size are never decoded.
bool refusedUnread(QIODevice *device)
{
    const QString why = findOverlongImageChunk(device);
    if (why.isEmpty())
        return false;
    Log(QStringLiteral("ERROR image refused: ") + why);
    return true;
}

// Decodes the reader's current image when the size it reports is within the bound. A decoder
// that cannot tell the size beforehand is held by the process-wide allocation limit.
QImage readChecked(QImageReader &reader, qint64 *pixelBudget)
{
    const QSize size = reader.size();
    if (size.isValid()) {
        const qint64 count = checkedPixelCount(size.width(), size.height());
        if (count == 0 || count > *pixelBudget) {
            Log(QStringLiteral("ERROR image refused: %1 x %2 pixels")
                    .arg(size.width())
                    .arg(size.height()));
            return {};
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {};
    const qint64 count = checkedPixelCount(image.width(), image.height());
    if (count == 0 || count > *pixelBudget)
        return {};
    *pixelBudget -= count;
    // In place where the format allows: the decoded picture and a converted copy of it together
    // would take twice the memory of the largest image accepted.
    return std::move(image).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

std::vector<QImage> readFrames(QIODevice *device, int maxFrames)
{
    std::vector<QImage> frames;
    if (!device)
        return frames;
    installImageAllocationLimit();
    if (refusedUnread(device) || refusedOversized(device) || refusedDeclared(device))
        return frames;
    QImageReader reader(device);
    if (!reader.canRead())
        return frames;
    qint64 budget = kMaxImagePixels;
    const int count = reader.imageCount();
    for (int i = 0; i < std::max(count, 1) && int(frames.size()) < maxFrames; ++i) {
        if (i > 0 && !reader.jumpToNextImage())
            break;
        QImage image = readChecked(reader, &budget);
        if (image.isNull())
            break;
        frames.push_back(std::move(image));
    }
    return frames;
}

QImage firstOf(std::vector<QImage> frames)
{
    return frames.empty() ? QImage() : std::move(frames.front());
}

// How a picture is decoded for a view: at which size, to be shown at which, and what the decode
// takes. Sizes are as stored (before any turn the metadata asks for).
struct ViewPlan
{
    QSize full;     // the largest of what the headers declare and what the decoder reports
    QSize readSize; // what the decoder produces
    QSize shown;    // what the view gets
    qint64 bytes = 0;
    bool reduced = false; // the decoder reads at readSize itself
};

ViewPlan planViewDecode(QImageReader &reader, const std::optional<DecodeDemand> &declared,
                        QSize target)
{
    ViewPlan plan;
    const QSize reported = reader.size();
    plan.full = declared ? declared->size.expandedTo(reported) : reported;
    if (!plan.full.isValid() || plan.full.isEmpty())
        return plan;
    plan.shown = plan.full.width() > target.width() || plan.full.height() > target.height()
                     ? plan.full.scaled(target, Qt::KeepAspectRatio).expandedTo({1, 1})
                     : plan.full;
    // Of the decoders that claim to read at a reduced size, only JPEG's takes less memory for it.
    plan.reduced = declared && declared->reducible && reader.format() == "jpeg";
    plan.readSize = plan.reduced ? reducedReadSize(plan.full, plan.shown) : plan.full;
    // The turn the metadata asks for is a copy of the picture as read.
    const qint64 turnBytes = reader.transformation() != QImageIOHandler::TransformationNone ? 4 : 0;
    // A decoder the headers say nothing of, or one that reads the bytes as a larger picture
    // than they declare, is counted at eight bytes for each pixel it reports.
    const DecodeDemand reportedDemand{reported, 0, 8 + turnBytes, false};
    if (!declared) {
        plan.bytes = decodeBytes(reportedDemand, plan.readSize, plan.shown);
    } else {
        DecodeDemand demand = *declared;
        demand.bytesPerPixel += turnBytes;
        plan.bytes = decodeBytes(demand, plan.readSize, plan.shown);
        if (reported.isValid() && demandPixels(reported) > demandPixels(declared->size))
            plan.bytes = std::max(plan.bytes, decodeBytes(reportedDemand, reported, plan.shown));
    }
    return plan;
}

void logRefusal(QSize size, qint64 bytes)
{
    Log(QStringLiteral("ERROR image refused: %1 x %2 pixels, %3 MB to decode")
            .arg(size.width())
            .arg(size.height())
            .arg(bytes / (1024 * 1024)));
}

// The view's decode of an opened device; see readImageForView.
ViewImage readForView(QIODevice *device, QSize target, qint64 fullPixels,
                      const ViewDecodeRequest &request)
{
    ViewImage out;
    if (request.stop.stop_requested()) {
        out.outcome = ViewImage::Outcome::Cancelled;
        return out;
    }
    if (refusedUnread(device)) {
        out.outcome = ViewImage::Outcome::Damaged;
        return out;
    }
    if (refusedOversized(device)) {
        out.outcome = ViewImage::Outcome::TooLarge;
        return out;
    }
    const std::optional<DecodeDemand> declared = probeDecodeDemand(device);
    // Refused before a decoder reads even the header: some take their canvas at once.
    if (declared) {
        const QSize least =
            declared->reducible ? reducedReadSize(declared->size, {1, 1}) : declared->size;
        const qint64 bytes = decodeBytes(*declared, least, {1, 1});
        if (bytes > kViewDecodeBytes) {
            logRefusal(declared->size, bytes);
            out.sourceSize = declared->size;
            out.outcome = ViewImage::Outcome::TooLarge;
            return out;
        }
    }
    QImageReader reader(device);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        // No decoder knows the format (a vector document, a camera raw file, ...).
        out.outcome = reader.error() == QImageReader::UnsupportedFormatError
                          ? ViewImage::Outcome::NoDecoder
                          : ViewImage::Outcome::Unreadable;
        return out;
    }
    target = target.expandedTo({1, 1});
    // Photographs often say in their metadata that they are to be shown turned a quarter; the
    // reader reads the picture as stored and turns it afterwards, while the view works with the
    // picture as shown.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const auto asShown = [turned](QSize s) { return turned ? s.transposed() : s; };
    const ViewPlan plan = planViewDecode(reader, declared, asShown(target));
    out.sourceSize = asShown(plan.full);
    if (!plan.full.isValid()) {
        // Nothing tells what the decoder would take.
        Log(QStringLiteral("ERROR image refused: its size is not known before decoding"));
        return out;
    }
    if (plan.full.isEmpty())
        return out;
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    const qint64 readPixels = demandPixels(plan.readSize);
    if (plan.bytes > kViewDecodeBytes || readPixels > fullPixels ||
        (limit > 0 && readPixels * 4 > limit)) {
        logRefusal(plan.full, plan.bytes);
        out.outcome = ViewImage::Outcome::TooLarge;
        return out;
    }
    DecodeReservation reservation =
        reserveDecodeMemory(plan.bytes, request.stop, request.held ? request.held->bytes() : 0);
    if (!reservation.isValid()) {
        out.outcome = request.stop.stop_requested() ? ViewImage::Outcome::Cancelled
                                                    : ViewImage::Outcome::TooLarge;
        return out;
    }
    out.budgeted = plan.bytes;
    if (plan.reduced && plan.shown != plan.full)
        reader.setScaledSize(plan.shown);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return out;
    if (!plan.reduced)
        out.sourceSize = image.size();
    if (image.width() > target.width() || image.height() > target.height())
        image = downscaledByArea(image, image.size().scaled(target, Qt::KeepAspectRatio));
    if (image.isNull())
        return out;
    // The picture stays counted while the worker holds it.
    if (request.held) {
        reservation.shrinkTo(image.sizeInBytes());
        request.held->absorb(std::move(reservation));
    }
    out.image = std::move(image);
    out.outcome = ViewImage::Outcome::Read;
    return out;
}

} // namespace

QImage readImageFile(const QString &path)
{
    auto file = openRegularFile(path);
    return file ? firstOf(readFrames(file.get(), 1)) : QImage();
}

QImage readImageData(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly))
        return {};
    return firstOf(readFrames(&buffer, 1));
}

std::vector<QImage> readImageFrames(const QString &path)
{
    auto file = openRegularFile(path);
    return file ? readFrames(file.get(), kMaxImageFrames) : std::vector<QImage>();
}

std::vector<QImage> readImageDataFrames(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly))
        return {};
    return readFrames(&buffer, kMaxImageFrames);
}

int imageCountOfFile(const QString &path)
{
    auto file = openRegularFile(path);
    installImageAllocationLimit();
    if (!file || refusedUnread(file.get()) || refusedOversized(file.get()) ||
        refusedDeclared(file.get()))
        return 0;
    QImageReader reader(file.get());
    if (!reader.canRead())
        return 0;
    const int count = reader.imageCount();
    if (count > 0)
        return count;
    qint64 budget = kMaxImagePixels;
    return readChecked(reader, &budget).isNull() ? 0 : 1;
}

QThreadPool *imagePreviewPool()
{
    // Two decodes at once: the two sides of a window. The memory they take is held by the
    // decode budget; the threads stay off the pool the compares and copies share.
    static QThreadPool pool;
    static const bool ready = [] {
        pool.setMaxThreadCount(2);
        waitForPoolBeforeExit(&pool);
        return true;
    }();
    (void)ready;
    return &pool;
}

ViewImage readImageForView(const QString &path, QSize target, qint64 fullPixels,
                           const ViewDecodeRequest &request)
{
    // A FIFO or a device would block the worker until a writer came, and the application's exit
    // waits for every pool thread.
    auto file = openRegularFile(path);
    return file ? readForView(file.get(), target, fullPixels, request) : ViewImage();
}

ViewImage readOpenImageForView(int fd, QSize target, qint64 fullPixels,
                               const ViewDecodeRequest &request)
{
    OffsetReader file(fd);
    if (!file.isRegularFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ViewImage();
    return readForView(&file, target, fullPixels, request);
}

ViewImage readImageDataForView(const QByteArray &bytes, QSize target, qint64 fullPixels,
                               const ViewDecodeRequest &request)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly))
        return {};
    return readForView(&buffer, target, fullPixels, request);
}

} // namespace platform
