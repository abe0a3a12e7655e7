#include "platform/ImageWriter.h"

#include "platform/Log.h"
#include "platform/Saturate.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSaveFile>
#include <mutex>

namespace platform {

namespace {

std::mutex gHookLock;
std::function<bool(const QString &)> gFailureHook;

bool failureRequested(const QString &path)
{
    std::lock_guard lock(gHookLock);
    return gFailureHook && gFailureHook(path);
}

QByteArray formatName(ImageFileType type)
{
    switch (type) {
    case ImageFileType::JPEG:
        return "jpeg";
    case ImageFileType::TIFF:
        return "tiff";
    case ImageFileType::PNG:
        break;
    }
    return "png";
}

bool encodeInto(const QImage &image, const ImageEncoding &encoding, QIODevice *device)
{
    QImageWriter writer(device, formatName(encoding.type));
    switch (encoding.type) {
    case ImageFileType::JPEG:
        writer.setQuality(saturatingRound<int>(std::clamp(encoding.quality, 0.0, 1.0) * 100.0));
        break;
    case ImageFileType::TIFF:
        writer.setCompression(1); // LZW
        break;
    case ImageFileType::PNG:
        break;
    }
    // JPEG holds no alpha; the others keep it unpremultiplied.
    const QImage out = encoding.type == ImageFileType::JPEG
                           ? image.convertToFormat(QImage::Format_RGB32)
                           : image.convertToFormat(QImage::Format_RGBA8888);
    return writer.write(out);
}

} // namespace

void setImageWriteFailureHook(std::function<bool(const QString &path)> hook)
{
    std::lock_guard lock(gHookLock);
    gFailureHook = std::move(hook);
}

QByteArray encodeImage(const QImage &image, const ImageEncoding &encoding)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !encodeInto(image, encoding, &buffer))
        return {};
    return bytes;
}

bool writeFileAtomically(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        failureRequested(path)) {
        file.cancelWriting();
        Log(QStringLiteral("ERROR cannot write %1").arg(path));
        return false;
    }
    if (!file.commit()) {
        Log(QStringLiteral("ERROR cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool writeImageFile(const QImage &image, const QString &path, const ImageEncoding &encoding)
{
    const QByteArray bytes = encodeImage(image, encoding);
    return !bytes.isEmpty() && writeFileAtomically(bytes, path);
}

} // namespace platform
