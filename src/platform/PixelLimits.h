#pragma once
// The one bound on image sizes. Every pixel buffer (decoded files, bitmaps, RGBA8 buffers, effect
// outputs) is sized through checkedPixelCount, so that w * h * 4 never overflows and no single
// image asks for more than a gigabyte.

#include <QSize>
#include <QtGlobal>
#include <optional>

namespace platform {

// 2^28 pixels: 1 GiB of RGBA8.
inline constexpr qint64 kMaxImagePixels = qint64(1) << 28;

// w * h, counted in 64 bits; 0 when a side is below 1 or the count exceeds kMaxImagePixels.
qint64 checkedPixelCount(qint64 w, qint64 h);
// The pixel size floor(w + 0.5) x floor(h + 0.5); nullopt for NaN, for a side below 1 or beyond
// the bound.
std::optional<QSize> checkedPixelSize(double w, double h);

// The memory every decode for a view (the image window's sides, Quick Preview) may take at once:
// with what the application holds besides, a window showing any two images stays under 600 MB.
inline constexpr qint64 kViewDecodeBytes = qint64(440) << 20;
// The most pixels a view decodes at full size (a decoder that cannot read at a reduced size):
// four bytes each within that budget.
inline constexpr qint64 kMaxViewPixels = kViewDecodeBytes / 4;

// The decoders' own allocation limit, in megabytes, matching kMaxImagePixels at four bytes each.
inline constexpr int kImageAllocationLimitMB = int(kMaxImagePixels * 4 / (1024 * 1024));
// Sets the decoders' allocation limit once (it is process-wide); called at start-up.
void installImageAllocationLimit();

} // namespace platform
