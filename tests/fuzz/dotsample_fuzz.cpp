// Dot-mask cache files from arbitrary bytes: byte 0 picks the cell size, byte 1 the tone, the
// rest is the cache file. Whatever the file holds, the mask read is size x size bytes adding up
// to tone x size x size, and the file holds exactly that mask afterwards.
#include "FuzzQuiet.h"
#include "graphics/DotSample.h"
#include "services/SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>

namespace {

// A support folder and a bundle with a master dot of our own, made once.
bool prepare(const QTemporaryDir &dir)
{
    if (!dir.isValid() || !PrepareSupportFolder(dir.filePath(QStringLiteral("support"))))
        return false;
    const QString images = dir.filePath(QStringLiteral("bundle/images"));
    QDir().mkpath(images);
    QImage dot(100, 100, QImage::Format_RGBA8888);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const double r = std::hypot(x - 49.5, y - 49.5) / 50.0;
            dot.setPixel(x, y, qRgba(0, 0, 0, int(std::clamp(1.0 - r, 0.0, 1.0) * 255)));
        }
    if (!dot.save(images + QStringLiteral("/_DotSample.png")))
        return false;
    SetBundleResourceFolder(dir.filePath(QStringLiteral("bundle")));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    static const bool ready = prepare(dir);
    if (!ready || size < 2)
        return 0;
    const int cell = 1 + data[0] % 24;
    const int tone = int(data[1]) * 2 - 128; // below 0 and above 255 too
    const int held = std::clamp(tone, 0, 255);
    const QString path = DotSampleCachePath(cell, held);
    QDir().mkpath(QFileInfo(path).path());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data + 2), qint64(size - 2));
    }
    const std::vector<quint8> mask = DotSample::ReadBufferWithSize(cell, tone);
    const qint64 count = qint64(cell) * cell;
    if (qint64(mask.size()) != count)
        __builtin_trap(); // the master dot is there, so a mask is always made
    if (std::accumulate(mask.begin(), mask.end(), qint64(0)) != qint64(held) * count)
        __builtin_trap(); // a mask of the wrong tone was used
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        __builtin_trap();
    const QByteArray stored = file.readAll();
    if (stored != QByteArray(reinterpret_cast<const char *>(mask.data()), qsizetype(mask.size())))
        __builtin_trap(); // the cache file does not hold the mask in use
    return 0;
}
