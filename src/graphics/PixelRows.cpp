#include "graphics/PixelRows.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <vector>

namespace {

constexpr qint64 kParallelPixels = qint64(1) << 20;

} // namespace

void ForEachRowBand(qint64 width, qint64 height, const std::function<void(qint64, qint64)> &fn)
{
    if (width < 1 || height < 1)
        return;
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    if (width * height <= kParallelPixels || threads < 2 || height < 2) {
        fn(0, height);
        return;
    }
    // A few bands per thread evens out a busy machine.
    const qint64 bands = std::min<qint64>(height, qint64(threads) * 4);
    std::vector<std::pair<qint64, qint64>> ranges;
    ranges.reserve(size_t(bands));
    for (qint64 i = 0; i < bands; ++i)
        ranges.emplace_back(height * i / bands, height * (i + 1) / bands);
    QtConcurrent::blockingMap(ranges,
                              [&fn](const std::pair<qint64, qint64> &r) { fn(r.first, r.second); });
}
