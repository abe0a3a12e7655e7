#pragma once
// A cheap look at an image's structure before a decoder sees it. PNG chunks (also inside icons
// and icon families) declare their length up front, and the PNG decoder allocates and clears
// that length before it finds the data missing: a file of 69 bytes can ask for two gigabytes.
// The icon decoders likewise take memory for an icon family's element or an icon's PNG entry at
// the size it declares. The pixel bound sees none of these, so each declared length is checked
// against what is left of the bytes.

#include <QString>

class QIODevice;

namespace platform {

// Empty when every part the bytes declare fits in what follows it; otherwise why they are
// refused. The device is random-access and opened for reading; its position is kept.
QString findOverlongImageChunk(QIODevice *device);

} // namespace platform
