#include "graphics/ExtendMask.h"

#include "graphics/PixelRows.h"
#include "graphics/StraightColor.h"
#include "platform/PixelLimits.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// The chessboard distance max(|dx|, |dy|) to the nearest seed splits into two steps: the distance
// to the nearest seed of the same column, then along each row the smallest max(|dx|, column
// distance). Distances are held at cap (= levels + 1: too far to show).

// Column distances, row against row from the top and then from the bottom: each step a plain
// loop over a row, which vectorises.
void columnDistances(const PIXEL *src, uint32_t *d, qint64 w, qint64 h, uint32_t cap)
{
    for (qint64 y = 0; y < h; ++y) {
        uint32_t *row = d + y * w;
        const PIXEL *seeds = src + y * w;
        const uint32_t *above = y > 0 ? row - w : nullptr;
        for (qint64 x = 0; x < w; ++x) {
            const uint32_t fromAbove = above ? std::min(above[x] + 1, cap) : cap;
            row[x] = (seeds[x] >> 24) >= 2 ? 0 : fromAbove;
        }
    }
    for (qint64 y = h - 2; y >= 0; --y) {
        uint32_t *row = d + y * w;
        const uint32_t *below = row + w;
        for (qint64 x = 0; x < w; ++x)
            row[x] = std::min(row[x], below[x] + 1);
    }
}

// One direction of the row step: for every x, the smallest max(|x - p|, g[p]) over the columns p
// already passed (forward: p <= x; backward: p >= x), folded into d. The candidates kept have
// column distances rising from the oldest to the newest; the oldest is the best until its
// distance along the row overtakes the next one's value, and then never again.
template <bool Forward>
void rowSweep(const uint32_t *g, uint32_t *d, qint64 w, uint32_t cap, qint64 *queue)
{
    qint64 head = 0, tail = 0;
    for (qint64 k = 0; k < w; ++k) {
        const qint64 x = Forward ? k : w - 1 - k;
        const uint32_t gx = g[x];
        if (gx < cap) {
            while (tail > head && g[queue[tail - 1]] >= gx)
                --tail;
            queue[tail++] = x;
        }
        if (tail == head)
            continue;
        auto value = [&](qint64 p) {
            const qint64 along = Forward ? x - p : p - x;
            return std::max(uint32_t(std::min<qint64>(along, cap)), g[p]);
        };
        uint32_t best = value(queue[head]);
        while (tail - head >= 2) {
            const uint32_t next = value(queue[head + 1]);
            if (best < next)
                break;
            ++head;
            best = next;
        }
        d[x] = std::min(d[x], best);
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
    // Out holds the column distances, then each row its outline pixels.
    auto *distance = reinterpret_cast<uint32_t *>(out);
    const uint32_t cap = uint32_t(levels) + 1;
    columnDistances(src, distance, width, height, cap);
    const std::vector<PIXEL> table = fadeTable(levels, color, fade);
    ForEachRowBand(width, height, [&](qint64 first, qint64 end) {
        std::vector<uint32_t> column(static_cast<size_t>(width));
        std::vector<uint32_t> row(static_cast<size_t>(width));
        std::vector<qint64> queue(static_cast<size_t>(width));
        for (qint64 y = first; y < end; ++y) {
            uint32_t *line = distance + y * width;
            std::copy(line, line + width, column.begin());
            std::fill(row.begin(), row.end(), cap);
            rowSweep<true>(column.data(), row.data(), width, cap, queue.data());
            rowSweep<false>(column.data(), row.data(), width, cap, queue.data());
            for (qint64 x = 0; x < width; ++x)
                out[y * width + x] = row[size_t(x)] < cap ? table[row[size_t(x)]] : 0;
        }
    });
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
