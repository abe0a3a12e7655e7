#pragma once
// The header readers of each image format behind probeDecodeDemand, each over the bytes
// [start, end) of a file, so that containers can read the images they hold in place.

#include "platform/ImageBytes.h"
#include "platform/ImageHeaders.h"

#include <climits>
#include <optional>

namespace platform::headers {

using Demand = std::optional<DecodeDemand>;

// Icons hold images that may be icons themselves: two levels are read, as no decoder goes deeper.
inline constexpr int kMaxNesting = 2;
// Frames looked at: the most a reader hands out.
inline constexpr int kMaxFrames = 64;

inline qint64 saturatingMul(qint64 a, qint64 b)
{
    qint64 out = 0;
    return __builtin_mul_overflow(a, b, &out) ? LLONG_MAX : out;
}

inline qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 out = 0;
    return __builtin_add_overflow(a, b, &out) ? LLONG_MAX : out;
}

inline QSize clampedSize(qint64 w, qint64 h)
{
    return QSize(int(std::clamp<qint64>(w, 0, INT_MAX)), int(std::clamp<qint64>(h, 0, INT_MAX)));
}

// The size covering both.
inline QSize unitedSize(QSize a, QSize b)
{
    return a.expandedTo(b);
}

// Whichever takes more memory read whole.
Demand moreDemanding(const Demand &a, const Demand &b);

// Any format, recognised by its first bytes; depth counts the containers around it.
Demand demandIn(ImageBytes &bytes, qint64 start, qint64 end, int depth);

Demand pngDemand(ImageBytes &bytes, qint64 start, qint64 end);
Demand jpegDemand(ImageBytes &bytes, qint64 start, qint64 end);
Demand gifDemand(ImageBytes &bytes, qint64 start, qint64 end);
Demand bmpDemand(ImageBytes &bytes, qint64 start, qint64 end);
// A bitmap without its file header, as an icon holds it.
Demand dibDemand(ImageBytes &bytes, qint64 start, qint64 end);
Demand webpDemand(ImageBytes &bytes, qint64 start, qint64 end);
Demand tiffDemand(ImageBytes &bytes, qint64 start, qint64 end);
Demand iconDemand(ImageBytes &bytes, qint64 start, qint64 end, int depth);
Demand familyDemand(ImageBytes &bytes, qint64 start, qint64 end, int depth);
Demand multipleImageDemand(ImageBytes &bytes, qint64 start, qint64 end);

} // namespace platform::headers
