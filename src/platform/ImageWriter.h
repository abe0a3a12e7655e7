#pragma once
// Encoding images to PNG, JPEG and TIFF bytes and files. Files are written through a temporary
// file that replaces the old one only once everything is written: a failed write leaves the old
// file as it was.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>

namespace platform {

enum class ImageFileType { PNG, JPEG, TIFF };

struct ImageEncoding
{
    ImageFileType type = ImageFileType::PNG;
    // JPEG only: 0..1, written as round(quality * 100).
    double quality = 1.0;
};

// The encoded bytes; empty for a null image or when the encoder fails. TIFF is LZW-compressed.
QByteArray encodeImage(const QImage &image, const ImageEncoding &encoding);
// Writes the encoded image to path; true only when the new file is in place.
bool writeImageFile(const QImage &image, const QString &path, const ImageEncoding &encoding);
// Writes bytes to path the same way; true only when the new file is in place.
bool writeFileAtomically(const QByteArray &bytes, const QString &path);

// Tests: a hook that answers true makes the next writes fail just before the new file would
// replace the old one. nullptr removes it.
void setImageWriteFailureHook(std::function<bool(const QString &path)> hook);

} // namespace platform
