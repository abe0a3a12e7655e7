#include "platform/GaussianBlur.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace platform {

namespace {

constexpr qint64 kParallelPixels = qint64(1) << 20;
// Bytes of one column strip of the vertical passes: a few cache lines of each row.
constexpr int kStripBytes = 128;
constexpr int kPasses = 3;

// A box of radius r whose two outer taps weigh alpha (the "extended box"): three of them in a
// row have exactly the wanted variance, also for a fractional sigma.
struct Box
{
    long r = 0;
    double alpha = 0;
    double norm = 1;
};

Box boxForSigma(double sigma)
{
    const double s = sigma * sigma / kPasses; // the variance of each pass
    Box box;
    box.r = long(std::floor(0.5 * std::sqrt(12 * s + 1) - 0.5));
    const double r = double(box.r);
    box.alpha = (2 * r + 1) * (r * (r + 1) - 3 * s) / (6 * (s - (r + 1) * (r + 1)));
    box.norm = 1 / (2 * r + 1 + 2 * box.alpha);
    return box;
}

// One pass along a line of n elements of k floats each (k channels of a row, or k columns of a
// strip), the line's ends repeated outward; sum holds k running sums. K, when not 0, is k known
// at compile time, so that the channel loop unrolls.
template <long K>
void boxLine(const float *in, float *__restrict out, long n, long kRuntime, const Box &box,
             float *__restrict sum)
{
    const long k = K ? K : kRuntime;
    const long r = box.r;
    const float alpha = float(box.alpha);
    const float norm = float(box.norm);
    auto at = [&](long i) { return in + std::clamp(i, 0L, n - 1) * k; };
    std::fill(sum, sum + k, 0.0f);
    for (long i = -r; i <= r; ++i) {
        const float *p = at(i);
        for (long j = 0; j < k; ++j)
            sum[j] += p[j];
    }
    auto step = [&](long x, const float *__restrict lo, const float *__restrict hi,
                    const float *__restrict drop) {
        float *__restrict o = out + x * k;
        for (long j = 0; j < k; ++j) {
            o[j] = (sum[j] + alpha * (lo[j] + hi[j])) * norm;
            sum[j] += hi[j] - drop[j];
        }
    };
    // Only near the ends do the taps leave the line; the middle runs without clamping.
    const long first = std::min(n, r + 1);
    const long end = std::max(first, n - r - 1);
    for (long x = 0; x < first; ++x)
        step(x, at(x - r - 1), at(x + r + 1), at(x - r));
    for (long x = first; x < end; ++x)
        step(x, in + (x - r - 1) * k, in + (x + r + 1) * k, in + (x - r) * k);
    for (long x = end; x < n; ++x)
        step(x, at(x - r - 1), at(x + r + 1), at(x - r));
}

template <long K>
void threeBoxes(std::vector<float> &a, std::vector<float> &b, long n, long k, const Box &box,
                float *sum)
{
    boxLine<K>(a.data(), b.data(), n, k, box, sum);
    boxLine<K>(b.data(), a.data(), n, k, box, sum);
    boxLine<K>(a.data(), b.data(), n, k, box, sum);
}

// Three passes: a holds the line and ends with it blurred, b is scratch.
void blurLine(std::vector<float> &a, std::vector<float> &b, long n, long k, const Box &box,
              std::vector<float> &sum)
{
    if (k == 4)
        threeBoxes<4>(a, b, n, k, box, sum.data());
    else if (k == 1)
        threeBoxes<1>(a, b, n, k, box, sum.data());
    else
        threeBoxes<0>(a, b, n, k, box, sum.data());
    a.swap(b);
}

inline uchar toByte(float v)
{
    return uchar(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

// Rounding may lift a colour a hair above its alpha; premultiplied colour never exceeds it.
void boundByAlpha(uchar *pixels, long count, int channels, int alpha)
{
    if (channels == 4 && alpha == 3 && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        // On whole words, so that the loop vectorises.
        for (long i = 0; i < count; ++i) {
            quint32 w;
            std::memcpy(&w, pixels + i * 4, 4);
            const quint32 a = w >> 24;
            w = std::min(w & 0xFFu, a) | std::min((w >> 8) & 0xFFu, a) << 8 |
                std::min((w >> 16) & 0xFFu, a) << 16 | a << 24;
            std::memcpy(pixels + i * 4, &w, 4);
        }
        return;
    }
    for (long i = 0; i < count; ++i) {
        uchar *p = pixels + i * channels;
        for (int c = 0; c < channels; ++c)
            if (c != alpha)
                p[c] = std::min(p[c], p[alpha]);
    }
}

struct Plane
{
    uchar *bits;
    long width, height;
    qsizetype stride;
    int channels;
    int alpha;
};

void blurRows(const Plane &pl, const Box &box, long first, long end)
{
    const long k = pl.channels;
    std::vector<float> a(size_t(pl.width * k)), b(a.size());
    std::vector<float> sum(static_cast<size_t>(k));
    for (long y = first; y < end; ++y) {
        uchar *row = pl.bits + y * pl.stride;
        std::copy(row, row + pl.width * k, a.begin());
        blurLine(a, b, pl.width, k, box, sum);
        std::transform(a.begin(), a.end(), row, toByte);
        if (pl.alpha >= 0)
            boundByAlpha(row, pl.width, pl.channels, pl.alpha);
    }
}

// Columns [firstByte, endByte) of every row, blurred down the image.
void blurStrip(const Plane &pl, const Box &box, long firstByte, long endByte)
{
    const long k = endByte - firstByte;
    std::vector<float> a(size_t(pl.height * k)), b(a.size());
    std::vector<float> sum(static_cast<size_t>(k));
    for (long y = 0; y < pl.height; ++y) {
        const uchar *row = pl.bits + y * pl.stride + firstByte;
        std::copy(row, row + k, a.begin() + y * k);
    }
    blurLine(a, b, pl.height, k, box, sum);
    for (long y = 0; y < pl.height; ++y) {
        uchar *row = pl.bits + y * pl.stride + firstByte;
        std::transform(a.begin() + y * k, a.begin() + (y + 1) * k, row, toByte);
        if (pl.alpha >= 0)
            boundByAlpha(row, k / pl.channels, pl.channels, pl.alpha);
    }
}

void runRanges(const std::vector<std::pair<long, long>> &ranges, bool parallel,
               const std::function<void(long, long)> &fn)
{
    if (!parallel) {
        for (const auto &r : ranges)
            fn(r.first, r.second);
        return;
    }
    QtConcurrent::blockingMap(ranges,
                              [&fn](const std::pair<long, long> &r) { fn(r.first, r.second); });
}

std::vector<std::pair<long, long>> split(long total, long pieces, long step)
{
    std::vector<std::pair<long, long>> ranges;
    pieces = std::max(1L, std::min(pieces, total / step));
    for (long i = 0; i < pieces; ++i) {
        // Boundaries on multiples of step, so a strip never cuts a pixel.
        const long first = total / step * i / pieces * step;
        const long end = i + 1 == pieces ? total : total / step * (i + 1) / pieces * step;
        ranges.emplace_back(first, end);
    }
    return ranges;
}

} // namespace

void gaussianBlur(uchar *bits, int width, int height, qsizetype stride, int channels, double sigma,
                  int premultipliedAlphaChannel)
{
    if (!bits || width < 1 || height < 1 || channels < 1 || channels > 4 ||
        stride < qsizetype(width) * channels || !(sigma > 0))
        return;
    // Beyond the image's size a wider blur changes nothing more worth the time.
    sigma = std::min(sigma, double(std::max(width, height)) * 2);
    const Box box = boxForSigma(sigma);
    const int alpha = premultipliedAlphaChannel < channels ? premultipliedAlphaChannel : -1;
    const Plane plane{bits, width, height, stride, channels, alpha};
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    const bool parallel = qint64(width) * height > kParallelPixels && threads > 1;
    const long pieces = parallel ? long(threads) * 4 : 1;

    runRanges(split(height, pieces, 1), parallel,
              [&](long first, long end) { blurRows(plane, box, first, end); });
    const long rowBytes = long(width) * channels;
    const long strips = std::max(1L, rowBytes / kStripBytes);
    // Each strip a whole number of pixels, about kStripBytes wide.
    runRanges(split(rowBytes, strips, channels), parallel,
              [&](long first, long end) { blurStrip(plane, box, first, end); });
}

void gaussianBlur(QImage &image, double sigma)
{
    if (image.isNull() || !(sigma > 0))
        return;
    int channels = 0;
    int alpha = -1;
    switch (image.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8:
        channels = 1;
        break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
        channels = 4;
        break;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888_Premultiplied:
        channels = 4;
        // Both keep alpha in the last byte in memory on a little-endian machine.
        alpha = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ||
                        image.format() == QImage::Format_RGBA8888_Premultiplied
                    ? 3
                    : 0;
        break;
    default:
        return;
    }
    gaussianBlur(image.bits(), image.width(), image.height(), image.bytesPerLine(), channels, sigma,
                 alpha);
}

} // namespace platform
