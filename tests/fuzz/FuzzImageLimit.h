#pragma once
// Decoding a picture of millions of pixels takes seconds under the sanitizers and finds nothing a
// small one does not: the image targets stop the decoders at 4 MB. Sizes beyond the pixel bound
// are still refused by the reader before any decoder allocates.
#include "platform/PixelLimits.h"

#include <QImageReader>

namespace pelkofuzz {

inline void limitImageDecoders()
{
    static const bool done = [] {
        platform::installImageAllocationLimit();
        QImageReader::setAllocationLimit(4);
        return true;
    }();
    (void)done;
}

} // namespace pelkofuzz
