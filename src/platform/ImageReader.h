#pragma once
// The one way image files and image bytes are decoded. Only regular files are opened, and the
// size a decoder reports is checked against the pixel bound before it decodes anything.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

namespace platform {

// The first image of a file, in RGBA8 premultiplied; a null image when the path is not a regular
// file, no decoder reads it, or its size is refused.
QImage readImageFile(const QString &path);
QImage readImageData(const QByteArray &bytes);

// Every image a file or byte array holds (icon sizes, pages), in RGBA8 premultiplied, at most
// kMaxImageFrames of them and together within the pixel bound; empty when none can be read.
inline constexpr int kMaxImageFrames = 64;
std::vector<QImage> readImageFrames(const QString &path);
std::vector<QImage> readImageDataFrames(const QByteArray &bytes);

// How many images the file holds as its decoder counts them; 1 when the decoder counts none but
// reads one; 0 when nothing can be read.
int imageCountOfFile(const QString &path);

} // namespace platform
