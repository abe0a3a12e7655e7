// A user's image decoded for a view the way the image window and Quick Preview do it: a file
// named with one of every installed decoder's suffixes (or none), opened as the application
// opens it, under its own allocation limit and decode budget, scaled while reading, turned as its
// metadata says, refused when too large or damaged.
// Whatever the bytes and the name, a picture comes back only when the read succeeded, never
// larger than asked for; bytes the structure check refuses never reach a decoder; and a decode
// never takes more memory than it was counted to take, nor more than the budget.
#include "../support/HeapPeak.h"
#include "FuzzQuiet.h"
#include "platform/ImageChunkCheck.h"
#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

// The suffixes of every decoder installed, and none.
const char *const kSuffixes[] = {"png", "jpg",  "gif", "bmp", "ico", "cur", "icns",
                                 "tif", "webp", "tga", "ppm", "pbm", "pgm", "xbm",
                                 "xpm", "wbmp", "mng", "svg", "jng", ""};
constexpr int kSuffixCount = int(sizeof(kSuffixes) / sizeof(kSuffixes[0]));
// Quick Preview reads whole at most this many pixels; the image window, the view bound.
constexpr qint64 kQuickPreviewPixels = qint64(64) << 20;
// What a decode takes besides its count: the reader's and the decoders' own structures.
constexpr qint64 kOverheadBytes = qint64(16) << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    platform::installImageAllocationLimit();
    static QTemporaryDir dir;
    if (size < 3 || !dir.isValid())
        return 0;
    // The view's size, the file's name and which view reads it come from the first bytes.
    const QSize target(1 + data[0] % 160, 1 + data[1] % 120);
    const char *suffix = kSuffixes[data[2] % kSuffixCount];
    const qint64 fullPixels =
        (data[2] / kSuffixCount) % 2 ? kQuickPreviewPixels : platform::kMaxViewPixels;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));
    const QString path =
        dir.filePath(QStringLiteral("image") + (*suffix ? QStringLiteral(".") : QString()) +
                     QLatin1String(suffix));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();

    using Outcome = platform::ViewImage::Outcome;
    platform::ViewImage view;
    const int64_t peak = pelkotest::peakHeapGrowth(
        [&] { view = platform::readImageForView(path, target, fullPixels); });
    if ((view.outcome == Outcome::Read) == view.image.isNull())
        __builtin_trap(); // a picture without a read, or a read without a picture
    if (view.image.width() > target.width() || view.image.height() > target.height())
        __builtin_trap(); // larger than the view asked for
    if (view.budgeted > platform::kViewDecodeBytes)
        __builtin_trap(); // a decode beyond the budget was tried
    if (peak > view.budgeted + bytes.size() + kOverheadBytes)
        __builtin_trap(); // the decode took more than it was counted to take

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
