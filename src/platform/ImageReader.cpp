#include "platform/ImageReader.h"

#include "platform/Log.h"
#include "platform/PixelLimits.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <memory>

namespace platform {

namespace {

// Opens the path only when it is (or links to) a regular file: a FIFO or a device would block
// the reader or never end.
std::unique_ptr<QFile> openRegularFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return nullptr;
    return file;
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
    return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

std::vector<QImage> readFrames(QIODevice *device, int maxFrames)
{
    std::vector<QImage> frames;
    if (!device)
        return frames;
    installImageAllocationLimit();
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
    if (!file)
        return 0;
    installImageAllocationLimit();
    QImageReader reader(file.get());
    if (!reader.canRead())
        return 0;
    const int count = reader.imageCount();
    if (count > 0)
        return count;
    qint64 budget = kMaxImagePixels;
    return readChecked(reader, &budget).isNull() ? 0 : 1;
}

} // namespace platform
