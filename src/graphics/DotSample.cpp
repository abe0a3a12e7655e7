#include "graphics/DotSample.h"

#include "graphics/ImageData.h"
#include "platform/Image.h"
#include "platform/Log.h"
#include "platform/PixelLimits.h"
#include "services/SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <numeric>

namespace {

constexpr int kMasterSide = 100;

// The master dot's alpha, read again when the bundle's image folder changes.
struct Master
{
    std::mutex lock;
    QString folder;
    std::vector<quint8> alpha;
};

Master &master()
{
    static Master m;
    return m;
}

std::vector<quint8> masterAlpha()
{
    Master &m = master();
    std::lock_guard guard(m.lock);
    const QString folder = platform::Image::bundleImageFolder();
    if (!m.alpha.empty() && m.folder == folder)
        return m.alpha;
    m.alpha.clear();
    const ImageDataPtr dot = ImageData::imageWithResource(QStringLiteral("_DotSample"));
    if (!dot || dot->w() != kMasterSide || dot->h() != kMasterSide || !dot->getBuffer())
        return {};
    m.alpha.reserve(kMasterSide * kMasterSide);
    for (PIXEL p : dot->data)
        m.alpha.push_back(quint8(p >> 24));
    m.folder = folder;
    return m.alpha;
}

struct MemoryCache
{
    std::mutex lock;
    std::map<std::pair<int, int>, DotSamplePtr> samples;
};

MemoryCache &memoryCache()
{
    static MemoryCache cache;
    return cache;
}

// A cache file is used only when it is exactly a mask of this size and tone.
std::vector<quint8> readCacheFile(const QString &path, qint64 count, qint64 target)
{
    if (QFileInfo(path).isSymLink())
        return {};
    QFile file(path);
    if (file.size() != count || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(count);
    if (bytes.size() != count)
        return {};
    std::vector<quint8> mask(bytes.begin(), bytes.end());
    const qint64 sum = std::accumulate(mask.begin(), mask.end(), qint64(0));
    return sum == target ? mask : std::vector<quint8>();
}

void writeCacheFile(const QString &path, const std::vector<quint8> &mask)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(mask.data()), qint64(mask.size())) !=
            qint64(mask.size()) ||
        !file.commit())
        platform::Log(lcGraphics, QStringLiteral("could not write the dot cache ") + path);
}

// How much p whole passes add to the mask: each byte b gains min(p, 255 - b) (raising), or loses
// min(p, b) (lowering). histogram counts the bytes of each value.
qint64 passGain(const std::array<qint64, 256> &histogram, int p, bool raise)
{
    qint64 gain = 0;
    for (int b = 0; b < 256; ++b)
        gain += histogram[size_t(b)] * std::min(p, raise ? 255 - b : b);
    return gain;
}

} // namespace

bool FitDotTone(std::vector<quint8> &mask, qint64 size, qint64 target)
{
    if (size < 1 || qint64(mask.size()) != size * size)
        return false;
    std::array<qint64, 256> histogram{};
    qint64 sum = 0;
    for (quint8 b : mask) {
        ++histogram[b];
        sum += b;
    }
    const bool raise = target > sum;
    qint64 diff = raise ? target - sum : sum - target;
    if (diff == 0)
        return true;
    // The largest number of whole passes that does not overshoot.
    int low = 0, high = 255;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (passGain(histogram, mid, raise) <= diff)
            low = mid;
        else
            high = mid - 1;
    }
    const int passes = low;
    diff -= passGain(histogram, passes, raise);
    for (quint8 &b : mask)
        b = quint8(raise ? std::min(255, b + passes) : std::max(0, b - passes));
    // The rest, one step each, column by column and down each column, as the next pass would.
    for (qint64 x = 0; x < size && diff > 0; ++x) {
        for (qint64 y = 0; y < size && diff > 0; ++y) {
            quint8 &b = mask[size_t(x + y * size)];
            if (raise && b < 255) {
                ++b;
                --diff;
            } else if (!raise && b > 0) {
                --b;
                --diff;
            }
        }
    }
    return diff == 0;
}

std::vector<quint8> MakeDotMask(const std::vector<quint8> &masterDot, int size, int tone)
{
    const qint64 count = platform::checkedPixelCount(size, size);
    if (count == 0 || masterDot.size() != size_t(kMasterSide * kMasterSide))
        return {};
    std::vector<quint8> mask(static_cast<size_t>(count));
    std::vector<qint64> column(static_cast<size_t>(size));
    for (qint64 x = 0; x < size; ++x)
        column[size_t(x)] = std::min<qint64>(x * kMasterSide / size, kMasterSide - 1);
    for (qint64 y = 0; y < size; ++y) {
        const qint64 row = std::min<qint64>(y * kMasterSide / size, kMasterSide - 1) * kMasterSide;
        for (qint64 x = 0; x < size; ++x)
            mask[size_t(y * size + x)] = masterDot[size_t(row + column[size_t(x)])];
    }
    const qint64 target = qint64(std::clamp(tone, 0, 255)) * count;
    if (!FitDotTone(mask, size, target))
        platform::Log(lcGraphics,
                      QStringLiteral("FANTAL ERROR -> could not make sample dot correctly"));
    return mask;
}

QString DotSampleCachePath(int size, int tone)
{
    return gSupportFolder + QStringLiteral("/thumbImg/DotSampl_%1/Col_%2").arg(size).arg(tone);
}

std::vector<quint8> DotSample::ReadBufferWithSize(int size, int tone)
{
    const qint64 count = platform::checkedPixelCount(size, size);
    if (count == 0)
        return {};
    tone = std::clamp(tone, 0, 255);
    const QString path = DotSampleCachePath(size, tone);
    const bool cacheFolder = !gSupportFolder.isEmpty() && QDir().mkpath(QFileInfo(path).path());
    if (cacheFolder) {
        std::vector<quint8> cached = readCacheFile(path, count, qint64(tone) * count);
        if (!cached.empty())
            return cached;
    }
    std::vector<quint8> mask = MakeDotMask(masterAlpha(), size, tone);
    if (!mask.empty() && cacheFolder)
        writeCacheFile(path, mask);
    return mask;
}

DotSample::DotSample(int size, int tone)
    : mBuffer(ReadBufferWithSize(size, tone)), mSize(size), mColorValue(std::clamp(tone, 0, 255))
{}

DotSamplePtr GetDotSample(int size, int tone)
{
    size = std::max(size, 2);
    tone = std::clamp(tone, 0, 255);
    MemoryCache &cache = memoryCache();
    {
        std::lock_guard guard(cache.lock);
        const auto found = cache.samples.find({size, tone});
        if (found != cache.samples.end())
            return found->second;
    }
    // Made outside the lock: two threads may both make the same mask, and the first one stays.
    auto sample = std::make_shared<const DotSample>(size, tone);
    if (sample->buffer().empty())
        return nullptr;
    std::lock_guard guard(cache.lock);
    return cache.samples.try_emplace({size, tone}, sample).first->second;
}

void FreeDotSampleCache()
{
    MemoryCache &cache = memoryCache();
    std::lock_guard guard(cache.lock);
    cache.samples.clear();
}
