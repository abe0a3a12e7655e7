#pragma once
// The one way image files and image bytes are decoded. Only regular files are opened, and the
// size a decoder reports is checked against the pixel bound before it decodes anything.

#include <QByteArray>
#include <QImage>
#include <QSize>
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

// A user's image decoded for a view of at most `target` pixels (on a worker): the aspect kept,
// turned as its metadata says, scaled while reading where the decoder can. sourceSize is the
// picture's full size as shown (invalid when unknown).
struct ViewImage
{
    enum class Outcome { Read, NoDecoder, TooLarge, Damaged, Unreadable };
    QImage image;
    QSize sourceSize;
    Outcome outcome = Outcome::Unreadable;
};
// fullPixels bounds a decode at full size (a decoder that cannot scale while reading); images
// beyond it, or beyond the decoders' allocation limit, are TooLarge without being tried.
ViewImage readImageForView(const QString &path, QSize target, qint64 fullPixels);
ViewImage readImageDataForView(const QByteArray &bytes, QSize target, qint64 fullPixels);

} // namespace platform
