#include "platform/PixelLimits.h"

#include "platform/Saturate.h"

#include <QImageReader>

namespace platform {

qint64 checkedPixelCount(qint64 w, qint64 h)
{
    if (w < 1 || h < 1 || w > kMaxImagePixels || h > kMaxImagePixels)
        return 0;
    const qint64 count = w * h; // both at most 2^28: no overflow
    return count <= kMaxImagePixels ? count : 0;
}

std::optional<QSize> checkedPixelSize(double w, double h)
{
    const qint64 pw = saturatingRound<qint64>(w);
    const qint64 ph = saturatingRound<qint64>(h);
    if (checkedPixelCount(pw, ph) == 0)
        return std::nullopt;
    return QSize(int(pw), int(ph));
}

void installImageAllocationLimit()
{
    static const bool done = [] {
        QImageReader::setAllocationLimit(kImageAllocationLimitMB);
        return true;
    }();
    (void)done;
}

} // namespace platform
