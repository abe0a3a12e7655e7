#include "graphics/ExtendMask.h"

#include "graphics/StraightColor.h"
#include "platform/PixelLimits.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kFar = UINT32_MAX - 1;

// One more than the smallest of the three words above or below each word of row (the adjacent
// row's final distances), where that is smaller than the word itself.
void takeFromAdjacentRow(uint32_t *row, const uint32_t *adjacent, qint64 w)
{
    row[0] = std::min(row[0], std::min(adjacent[0], adjacent[std::min<qint64>(1, w - 1)]) + 1);
    for (qint64 x = 1; x + 1 < w; ++x)
        row[x] =
            std::min(row[x], std::min(adjacent[x - 1], std::min(adjacent[x], adjacent[x + 1])) + 1);
    if (w > 1)
        row[w - 1] = std::min(row[w - 1], std::min(adjacent[w - 2], adjacent[w - 1]) + 1);
}

// Two sweeps of the chessboard distance transform: each pixel takes one more than its smallest
// already-visited neighbour, first from the top left (seeding each row as it is reached), then
// from the bottom right. The rows' vertical steps vectorise; only the runs along a row are
// serial.
void chessboardDistances(const PIXEL *src, uint32_t *d, qint64 w, qint64 h)
{
    for (qint64 y = 0; y < h; ++y) {
        uint32_t *row = d + y * w;
        const PIXEL *seeds = src + y * w;
        for (qint64 x = 0; x < w; ++x)
            row[x] = (seeds[x] >> 24) >= 2 ? 0 : kFar;
        if (y > 0)
            takeFromAdjacentRow(row, row - w, w);
        for (qint64 x = 1; x < w; ++x)
            row[x] = std::min(row[x], row[x - 1] + 1);
    }
    for (qint64 y = h - 1; y >= 0; --y) {
        uint32_t *row = d + y * w;
        if (y + 1 < h)
            takeFromAdjacentRow(row, row + w, w);
        for (qint64 x = w - 2; x >= 0; --x)
            row[x] = std::min(row[x], row[x + 1] + 1);
    }
}

// The premultiplied outline pixel of each distance 0..levels.
std::vector<PIXEL> fadeTable(long levels, PIXEL color, float fade)
{
    std::vector<PIXEL> table(size_t(levels) + 1);
    for (long d = 0; d <= levels; ++d) {
        const float t = float(d) * fade;
        uint32_t alpha;
        if (t >= 0.99f)
            alpha = 0;
        else if (t <= 0.001f)
            alpha = 255;
        else
            alpha = uint32_t(std::min(255.0f, (1.0f - float(d) * fade) * 255.0f));
        table[size_t(d)] = PremultiplyPixel((color & 0x00FFFFFFu) | (alpha << 24));
    }
    return table;
}

} // namespace

bool ExtendMaskBuffer(long levels, const PIXEL *src, long width, long height, PIXEL *out,
                      PIXEL color, float fade)
{
    if (width < 1 || height < 1 || !src || !out)
        return false;
    if (!(fade >= 0 && fade < 1) || levels < 1 || levels > 1000)
        return false;
    const qint64 count = platform::checkedPixelCount(width, height);
    if (count == 0)
        return false;
    static_assert(sizeof(PIXEL) == sizeof(uint32_t));
    auto *distance = reinterpret_cast<uint32_t *>(out);
    chessboardDistances(src, distance, width, height);
    const std::vector<PIXEL> table = fadeTable(levels, color, fade);
    for (qint64 i = 0; i < count; ++i)
        out[i] = distance[i] <= uint32_t(levels) ? table[distance[i]] : 0;
    return true;
}

bool CopyAlphaChannel(PIXEL *dst, const PIXEL *src, long width, long height)
{
    if (!dst || !src || width < 1 || height < 1)
        return false;
    const qint64 count = platform::checkedPixelCount(width, height);
    if (count == 0)
        return false;
    for (qint64 i = 0; i < count; ++i)
        dst[i] = WithAlpha(dst[i], src[i] >> 24);
    return true;
}
