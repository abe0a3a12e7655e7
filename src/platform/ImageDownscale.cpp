#include "platform/ImageDownscale.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// Rows converted at once: a couple of megabytes, and at least one row.
constexpr qint64 kBandBytes = 2 << 20;

// Sums of the premultiplied channels of the source pixels falling on one row of the result.
class RowSums
{
public:
    explicit RowSums(int width) : mSums(size_t(width) * 4), mCounts(size_t(width)) {}

    void add(int x, QRgb p)
    {
        // Through the pointers: the checked index operator of a debug library is no cheap call.
        quint64 *s = mSums.data() + size_t(x) * 4;
        s[0] += qAlpha(p);
        s[1] += qRed(p);
        s[2] += qGreen(p);
        s[3] += qBlue(p);
        ++mCounts.data()[x];
    }

    // Writes the averages into the row and starts over.
    void flush(QRgb *row)
    {
        for (size_t x = 0; x < mCounts.size(); ++x) {
            const quint64 n = mCounts[x];
            const quint64 *s = &mSums[x * 4];
            if (n)
                row[x] = qRgba(int((s[1] + n / 2) / n), int((s[2] + n / 2) / n),
                               int((s[3] + n / 2) / n), int((s[0] + n / 2) / n));
        }
        std::fill(mSums.begin(), mSums.end(), 0);
        std::fill(mCounts.begin(), mCounts.end(), 0);
    }

private:
    std::vector<quint64> mSums;
    std::vector<quint64> mCounts;
};

// The loop over every pixel of a row, without coverage tracing in fuzz builds: its comparisons
// teach a fuzzer nothing, and tracing each one made a large picture take seconds there.
#ifdef __clang__
__attribute__((no_sanitize("coverage")))
#endif
void addRow(RowSums &sums, const int *column, const QRgb *line, int width)
{
    for (int x = 0; x < width; ++x)
        sums.add(column[x], line[x]);
}

} // namespace

qint64 downscaleWorkingBytes(qint64 sourceWidth)
{
    // A band of rows copied out and converted (the conversion may pass through a second 32-bit
    // copy), and the sums of one row.
    return 3 * std::max(kBandBytes, sourceWidth * 4) + sourceWidth * 8;
}

QImage downscaledByArea(const QImage &source, QSize size)
{
    if (source.isNull())
        return {};
    const int w = source.width(), h = source.height();
    size = size.boundedTo(source.size()).expandedTo({1, 1});
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    out.fill(Qt::transparent);
    std::vector<int> column(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        column[size_t(x)] = int(qint64(x) * size.width() / w);
    RowSums sums(size.width());
    const int band = int(std::clamp<qint64>(kBandBytes / (qint64(w) * 4), 1, h));
    int row = 0;
    for (int top = 0; top < h; top += band) {
        const int rows = std::min(band, h - top);
        const QImage strip =
            source.copy(0, top, w, rows).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (strip.isNull())
            return {};
        for (int r = 0; r < rows; ++r) {
            const int target = int(qint64(top + r) * size.height() / h);
            if (target != row) {
                sums.flush(reinterpret_cast<QRgb *>(out.scanLine(row)));
                row = target;
            }
            addRow(sums, column.data(), reinterpret_cast<const QRgb *>(strip.constScanLine(r)), w);
        }
    }
    sums.flush(reinterpret_cast<QRgb *>(out.scanLine(row)));
    return out;
}

} // namespace platform
