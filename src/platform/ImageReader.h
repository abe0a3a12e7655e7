#pragma once
// The one way image files and image bytes are decoded. Only regular files are opened, and the
// size a decoder reports is checked against the pixel bound before it decodes anything.

#include "platform/DecodeBudget.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <stop_token>
#include <vector>

class QThreadPool;

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
    // Cancelled: no longer wanted (the stop was asked for) before the decoder ran.
    enum class Outcome { Read, NoDecoder, TooLarge, Damaged, Unreadable, Cancelled };
    QImage image;
    QSize sourceSize;
    Outcome outcome = Outcome::Unreadable;
    // The memory the decode was counted to take and waited for; 0 when no decoder was run.
    qint64 budgeted = 0;
};
// The headers of the file tell what the decode takes (see ImageHeaders.h); it waits for that much
// of the decode budget (DecodeBudget.h), and an image that would take more than the whole budget
// is TooLarge without being tried, as is one of more than fullPixels read at full size (by a
// decoder that cannot read at a reduced size) or beyond the decoders' allocation limit. A
// picture read at full size is made smaller a band of rows at a time; sourceSize is the size
// declared when the picture is not read.
//
// A worker reading several pictures in turn passes what it holds of the budget: the decode waits
// counting it as held, and the bytes of the picture read are added to it, counted until the
// worker lets go of them. A stop asked for before the decoder runs (while the decode waits for
// the budget too) ends it Cancelled.
struct ViewDecodeRequest
{
    DecodeReservation *held = nullptr;
    std::stop_token stop;
};
ViewImage readImageForView(const QString &path, QSize target, qint64 fullPixels,
                           const ViewDecodeRequest &request = {});
ViewImage readImageDataForView(const QByteArray &bytes, QSize target, qint64 fullPixels,
                               const ViewDecodeRequest &request = {});
// The same for a regular file open as fd (held by the caller for as long as the call runs), read
// by offset: the very file the caller judged, whatever its name leads to by now.
ViewImage readOpenImageForView(int fd, QSize target, qint64 fullPixels,
                               const ViewDecodeRequest &request = {});

// The pool the view decodes run on, apart from the one compares and copies share.
QThreadPool *imagePreviewPool();

} // namespace platform
