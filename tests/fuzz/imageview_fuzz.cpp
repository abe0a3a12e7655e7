// A user's image decoded for a view, as the image window and the folder window's preview do:
// scaled while reading, turned as its metadata says, refused when too large or damaged. Whatever
// the bytes, a picture comes back only when the read succeeded, never larger than asked for, and
// bytes the structure check refuses never reach a decoder.
#include "FuzzImageLimit.h"
#include "FuzzQuiet.h"
#include "platform/ImageChunkCheck.h"
#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"

#include <QBuffer>
#include <QImageReader>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    pelkofuzz::limitImageDecoders();
    if (size < 3)
        return 0;
    // The view's size and the bound on a read at full size come from the first bytes.
    const QSize target(1 + data[0] % 160, 1 + data[1] % 120);
    const qint64 fullPixels = qint64(1) << (8 + data[2] % 14);
    const QByteArray bytes(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));

    using Outcome = platform::ViewImage::Outcome;
    const platform::ViewImage view = platform::readImageDataForView(bytes, target, fullPixels);
    if ((view.outcome == Outcome::Read) == view.image.isNull())
        __builtin_trap(); // a picture without a read, or a read without a picture
    if (view.image.width() > target.width() || view.image.height() > target.height())
        __builtin_trap(); // larger than the view asked for

    QBuffer buffer;
    buffer.setData(bytes);
    if (!bytes.isEmpty() && buffer.open(QIODevice::ReadOnly)) {
        const bool damaged = !platform::findOverlongImageChunk(&buffer).isEmpty();
        if (damaged != (view.outcome == Outcome::Damaged))
            __builtin_trap(); // refused bytes decoded, or sound bytes called damaged
        if (buffer.pos() != 0)
            __builtin_trap(); // the check moved the device
    }
    return 0;
}
