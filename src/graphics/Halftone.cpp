#include "graphics/Halftone.h"

#include "graphics/DotSample.h"
#include "graphics/PixelRows.h"
#include "graphics/StraightColor.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Cell
{
    qint64 x0, y0, x1, y1;
    int tone;
};

// The mask of every tone of one cell size, fetched before painting.
using Masks = std::array<DotSamplePtr, 256>;

// The cells of column i, clipped; a cell that starts at or beyond the right or bottom edge is
// left out rather than squeezed onto the last column or row.
std::vector<Cell> columnCells(qint64 i, qint64 rows, qint64 s, double dx, double dy, qint64 w,
                              qint64 h)
{
    std::vector<Cell> cells;
    const qint64 stagger = (i % 2 == 1) ? s / 2 : 0;
    for (qint64 j = -1; j <= rows; ++j) {
        // Sums in double: exact for every image size, so no cell is wider than s.
        Cell c{qint64(double(i * s) + dx), qint64(double(j * s + stagger) + dy),
               qint64(double(i * s + s) + dx), qint64(double(j * s + s + stagger) + dy), 0};
        if (c.x0 >= w || c.y0 >= h)
            continue;
        c.x1 = std::clamp<qint64>(c.x1, 0, w);
        c.y1 = std::clamp<qint64>(c.y1, 0, h);
        c.x0 = std::max<qint64>(c.x0, 0);
        c.y0 = std::max<qint64>(c.y0, 0);
        if (c.x1 <= c.x0 || c.y1 <= c.y0)
            continue;
        cells.push_back(c);
    }
    return cells;
}

// Darkness of one straight pixel: (765 - r - g - b) * alpha / 765, truncated.
qint64 darkness(PIXEL p)
{
    const qint64 sum = qint64(p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
    return (765 - sum) * qint64(p >> 24) / 765;
}

qint64 channelCoverage(PIXEL p, int channel)
{
    return qint64((p >> (8 * channel)) & 0xFF) * qint64(p >> 24) / 255;
}

// The cell's tone from its pixels, which then take the background (or its channel byte).
int toneAndClear(PIXEL *pixels, qint64 w, const Cell &c, int channel, PIXEL back)
{
    qint64 total = 0;
    const PIXEL keep = channel < 0 ? 0 : ~(0xFFu << (8 * channel));
    const PIXEL put = channel < 0 ? back : back & (0xFFu << (8 * channel));
    for (qint64 y = c.y0; y < c.y1; ++y) {
        PIXEL *row = pixels + y * w;
        for (qint64 x = c.x0; x < c.x1; ++x) {
            total += channel < 0 ? darkness(row[x]) : channelCoverage(row[x], channel);
            row[x] = (row[x] & keep) | put;
        }
    }
    return int(std::min<qint64>(255, total / ((c.x1 - c.x0) * (c.y1 - c.y0))));
}

void paintCell(PIXEL *pixels, qint64 w, qint64 s, const Cell &c, const quint8 *mask, PIXEL colour)
{
    for (qint64 y = c.y0; y < c.y1; ++y) {
        PIXEL *row = pixels + y * w;
        const quint8 *coverage = mask + (y - c.y0) * s;
        for (qint64 x = c.x0; x < c.x1; ++x) {
            const float a = float(coverage[x - c.x0]) / 255.0f;
            PIXEL p = row[x] & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const float v = float((colour >> shift) & 0xFF) * a +
                                float((row[x] >> shift) & 0xFF) * (1.0f - a);
                p |= PIXEL(std::clamp(int(v), 0, 255)) << shift;
            }
            row[x] = p;
        }
    }
}

void writeCell(PIXEL *pixels, qint64 w, qint64 s, const Cell &c, const quint8 *mask, int channel)
{
    const int shift = 8 * channel;
    for (qint64 y = c.y0; y < c.y1; ++y) {
        PIXEL *row = pixels + y * w;
        const quint8 *coverage = mask + (y - c.y0) * s;
        for (qint64 x = c.x0; x < c.x1; ++x)
            row[x] = (row[x] & ~(0xFFu << shift)) | (PIXEL(coverage[x - c.x0]) << shift);
    }
}

// Whether the cell lies where the dot routines draw: inside, with its mask.
bool drawable(long width, long height, long cellSize, long x0, long y0, long x1, long y1)
{
    return width >= 1 && height >= 1 && cellSize >= 1 && x1 >= 1 && y1 >= 1 && x0 >= 0 && y0 >= 0 &&
           x0 < x1 && y0 < y1 && x1 <= width && y1 <= height && x1 - x0 <= cellSize &&
           y1 - y0 <= cellSize;
}

// One screen (channel -1: the one-colour dots): the tones of the cells column by column, the
// masks of those tones, then the dots. Columns never overlap, so each runs on its own.
void screen(PIXEL *pixels, qint64 w, qint64 h, qint64 s, int channel, double dx, double dy,
            PIXEL back, PIXEL colour)
{
    const qint64 cols = w / s + (w % s > 0 ? 1 : 0);
    const qint64 rows = h / s + (h % s > 0 ? 1 : 0);
    std::vector<std::vector<Cell>> columns(size_t(cols + 2));
    const qint64 columnPixels = std::max<qint64>(1, s * h);
    ForEachRowBand(columnPixels, cols + 2, [&](qint64 first, qint64 end) {
        for (qint64 k = first; k < end; ++k) {
            columns[size_t(k)] = columnCells(k - 1, rows, s, dx, dy, w, h);
            for (Cell &c : columns[size_t(k)])
                c.tone = toneAndClear(pixels, w, c, channel, back);
        }
    });
    Masks masks{};
    for (const auto &column : columns)
        for (const Cell &c : column)
            if (!masks[size_t(c.tone)])
                masks[size_t(c.tone)] = GetDotSample(int(s), c.tone);
    ForEachRowBand(columnPixels, cols + 2, [&](qint64 first, qint64 end) {
        for (qint64 k = first; k < end; ++k) {
            for (const Cell &c : columns[size_t(k)]) {
                const DotSamplePtr &mask = masks[size_t(c.tone)];
                // A mask that could not be made leaves the cell at the background; a cell of
                // one pixel reads the first byte of the smallest mask.
                if (!mask || mask->size() < s)
                    continue;
                if (channel < 0)
                    paintCell(pixels, w, s, c, mask->buffer().data(), colour);
                else
                    writeCell(pixels, w, s, c, mask->buffer().data(), channel);
            }
        }
    });
}

quint64 colourWordOrZero(quint64 word)
{
    return word > 0xFFFFFFFFull ? 0 : word;
}

} // namespace

void PaintHalftoneDot(PIXEL *pixels, long width, long height, long cellSize, long x0, long y0,
                      long x1, long y1, quint8 tone, PIXEL color)
{
    if (!pixels || !drawable(width, height, cellSize, x0, y0, x1, y1) || cellSize > INT_MAX)
        return;
    const DotSamplePtr mask = GetDotSample(int(cellSize), tone);
    if (!mask || mask->size() < cellSize)
        return;
    paintCell(pixels, width, cellSize, Cell{x0, y0, x1, y1, tone}, mask->buffer().data(), color);
}

void WriteHalftoneDotChannel(PIXEL *pixels, long width, long height, long cellSize, long x0,
                             long y0, long x1, long y1, quint8 tone, int channel)
{
    if (!pixels || channel < 0 || channel > 2 ||
        !drawable(width, height, cellSize, x0, y0, x1, y1) || cellSize > INT_MAX)
        return;
    const DotSamplePtr mask = GetDotSample(int(cellSize), tone);
    if (!mask || mask->size() < cellSize)
        return;
    writeCell(pixels, width, cellSize, Cell{x0, y0, x1, y1, tone}, mask->buffer().data(), channel);
}

platform::ImagePtr ApplyHalfTone(const platform::Image *image, HALFTONE_EFFECT effect)
{
    GUARD_BEGIN
    if (!image || effect.dotSize < 1)
        return nullptr;
    const PIXEL back = HexColorToPixel(colourWordOrZero(effect.backColor));
    const ImageDataPtr data = ImageData::imageWithNSImage(image);
    if (!data || !data->getBuffer())
        return nullptr;
    PIXEL *pixels = data->getBuffer();
    const qint64 w = data->w();
    const qint64 h = data->h();
    const qint64 s = effect.dotSize;
    // The screens' arithmetic reads straight colour.
    ForEachRowBand(w, h, [&](qint64 first, qint64 end) {
        UnpremultiplyPixels(pixels + first * w, (end - first) * w);
    });
    if (!effect.bSeparateChannels) {
        screen(pixels, w, h, s, -1, 0, 0, back, HexColorToPixel(colourWordOrZero(effect.dotColor)));
    } else {
        const std::array<std::pair<double, double>, 3> offsets{
            {{0, 0}, {0.25 * double(s), 0.5 * double(s)}, {0.75 * double(s), 0.75 * double(s)}}};
        for (int channel = 0; channel < 3; ++channel)
            screen(pixels, w, h, s, channel, offsets[size_t(channel)].first,
                   offsets[size_t(channel)].second, back, 0);
    }
    ForEachRowBand(w, h, [&](qint64 first, qint64 end) {
        PremultiplyPixels(pixels + first * w, (end - first) * w);
    });
    data->RefreshNSImage();
    return data->GetNSImage();
    GUARD_END(nullptr)
}

platform::ImagePtr ApplyChange_RGBHalftone(const platform::Image *source, CHANGE_SETTING setting)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    auto byte = [&](int field) {
        return quint64(
            platform::saturatingTruncate<int>(std::clamp(setting.value[field], 0.0f, 255.0f)));
    };
    HALFTONE_EFFECT effect{};
    effect.bSeparateChannels = setting.value[0] > 0;
    effect.dotSize = std::clamp(platform::saturatingTruncate<qint32>(setting.value[1]), 2, 60);
    effect.dotColor = (byte(10) << 24) | (byte(11) << 16) | (byte(12) << 8) | 0xFF;
    effect.backColor = 0xFFFFFFFFull;
    return ApplyHalfTone(source, effect);
    GUARD_END(nullptr)
}
