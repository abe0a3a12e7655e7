#pragma once
// A cheap look at an image's structure before a decoder sees it. PNG chunks (also inside icons
// and icon families, and those of multiple-image and JPEG-network streams) declare their length
// up front, and the decoders allocate that length before they find the data missing: a file of
// 69 bytes can ask for two gigabytes.
// The icon decoders likewise take memory for an icon family's element or an icon's PNG entry at
// the size it declares. The pixel bound sees none of these, so each declared length is checked
// against what is left of the bytes.

#include <QSize>
#include <QString>
#include <optional>

class QIODevice;

namespace platform {

// Empty when every part the bytes declare fits in what follows it; otherwise why they are
// refused. The device is random-access and opened for reading; its position is kept.
QString findOverlongImageChunk(QIODevice *device);

// Multiple-image (MNG) and JPEG-network (JNG) streams are decoded by a library that takes its
// memory outside the decoders' allocation limit, and their decoder reports no size beforehand:
// the first size beyond maxPixels that the stream's header or an image's header declares.
std::optional<QSize> findOversizedAnimation(QIODevice *device, qint64 maxPixels);

} // namespace platform
