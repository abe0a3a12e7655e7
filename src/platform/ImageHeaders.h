#pragma once
// What an image file's own headers declare, read before any decoder sees the bytes. Asked for a
// picture's size beforehand, a decoder may say nothing (an icon family), or something else than
// what it then allocates (a GIF's first frame where it takes the whole screen, an icon's
// directory entry where it decodes the PNG the entry holds); and a progressive JPEG takes memory
// for every coefficient of the whole picture however small it is read. The headers tell what a
// decode will take, so that it can be held to a budget before it starts.

#include <QSize>
#include <QtGlobal>
#include <optional>

class QIODevice;

namespace platform {

struct DecodeDemand
{
    // The largest picture a decoder may build for the first image: a GIF's screen or the frame
    // reaching beyond it, an animation's canvas, an icon's largest entry.
    QSize size;
    // Memory taken whatever size the picture is read at: coefficient buffers, a second canvas,
    // strip and tile buffers, an icon's entry read whole.
    qint64 fixedBytes = 0;
    // Memory per pixel of the picture at the size it is read.
    qint64 bytesPerPixel = 4;
    // The decoder reads at 1/8 to 8/8 of the size when asked to (JPEG).
    bool reducible = false;
};

// The demand of the format the bytes are in, recognised by the bytes and never by the file's
// name; containers (icons, icon families) answer for the most demanding image they hold, nested
// ones too. nullopt when no format is recognised. The device is random-access and opened for
// reading; its position is kept.
std::optional<DecodeDemand> probeDecodeDemand(QIODevice *device);

// w * h, saturating; a side below 1 counts as 1.
qint64 demandPixels(QSize size);
// The size a reducible decoder reads at for a view of `target`: the smallest of 1/8, 1/4, 1/2
// and the whole that still covers the target, which is never smaller than the eighths a decoder
// may choose.
QSize reducedReadSize(QSize size, QSize target);
// Bytes a decode takes when the picture is read at readSize and then made `shown` in size;
// saturates.
qint64 decodeBytes(const DecodeDemand &demand, QSize readSize, QSize shown);

} // namespace platform
