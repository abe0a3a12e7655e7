#include "platform/ImageReader.h"

#include "platform/ImageChunkCheck.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/PixelLimits.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <memory>

namespace platform {

namespace {

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
    if (refusedUnread(device) || refusedOversized(device))
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

// The view's decode of an opened device; see readImageForView.
ViewImage readForView(QIODevice *device, QSize target, qint64 fullPixels)
{
    ViewImage out;
    if (refusedUnread(device)) {
        out.outcome = ViewImage::Outcome::Damaged;
        return out;
    }
    if (refusedOversized(device)) {
        out.outcome = ViewImage::Outcome::TooLarge;
        return out;
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
    // reader scales the picture as stored and turns it afterwards, while the view works with the
    // picture as shown.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize stored = reader.size();
    const QSize full = turned ? stored.transposed() : stored;
    out.sourceSize = full;
    const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    const auto beyondLimits = [&] {
        const qint64 pixels = qint64(full.width()) * full.height();
        return pixels > fullPixels || (limit > 0 && pixels * 4 > limit);
    };
    if (full.isValid()) {
        if (full.isEmpty() ||
            (beyondLimits() && !reader.supportsOption(QImageIOHandler::ScaledSize))) {
            out.outcome =
                full.isEmpty() ? ViewImage::Outcome::Unreadable : ViewImage::Outcome::TooLarge;
            return out;
        }
        if (full.width() > target.width() || full.height() > target.height()) {
            const QSize scaled = full.scaled(target, Qt::KeepAspectRatio).expandedTo({1, 1});
            reader.setScaledSize(turned ? scaled.transposed() : scaled);
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        out.outcome = full.isValid() && beyondLimits() ? ViewImage::Outcome::TooLarge
                                                       : ViewImage::Outcome::Unreadable;
        return out;
    }
    if (!full.isValid())
        out.sourceSize = image.size();
    if (image.width() > target.width() || image.height() > target.height())
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
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
    if (!file || refusedUnread(file.get()) || refusedOversized(file.get()))
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

ViewImage readImageForView(const QString &path, QSize target, qint64 fullPixels)
{
    // A FIFO or a device would block the worker until a writer came, and the application's exit
    // waits for every pool thread.
    auto file = openRegularFile(path);
    return file ? readForView(file.get(), target, fullPixels) : ViewImage();
}

ViewImage readImageDataForView(const QByteArray &bytes, QSize target, qint64 fullPixels)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly))
        return {};
    return readForView(&buffer, target, fullPixels);
}

} // namespace platform
