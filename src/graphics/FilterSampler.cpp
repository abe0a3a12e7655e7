#include "graphics/FilterSampler.h"

#include "graphics/PixelRows.h"

#include <algorithm>
#include <cmath>

namespace {

SampleColour readPixel(const QImage &image, int x, int y)
{
    const uchar *p = image.constScanLine(y) + x * 4;
    return {float(p[0]), float(p[1]), float(p[2]), float(p[3])};
}

} // namespace

SampleColour sampleBilinear(const QImage &image, double x, double y, SampleEdge edge)
{
    const int w = image.width();
    const int h = image.height();
    if (!std::isfinite(x) || !std::isfinite(y) || w < 1 || h < 1)
        return {};
    if (edge == SampleEdge::Clamp) {
        x = std::clamp(x, 0.0, double(w - 1));
        y = std::clamp(y, 0.0, double(h - 1));
    } else if (x <= -1 || y <= -1 || x >= w || y >= h) {
        return {};
    }
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = int(fx);
    const int y0 = int(fy);
    const float tx = float(x - fx);
    const float ty = float(y - fy);
    SampleColour out;
    const int xs[2] = {x0, x0 + 1};
    const int ys[2] = {y0, y0 + 1};
    const float wx[2] = {1 - tx, tx};
    const float wy[2] = {1 - ty, ty};
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const float weight = wx[i] * wy[j];
            if (weight == 0)
                continue;
            int sx = xs[i];
            int sy = ys[j];
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) {
                if (edge == SampleEdge::Transparent)
                    continue;
                sx = std::clamp(sx, 0, w - 1);
                sy = std::clamp(sy, 0, h - 1);
            }
            const SampleColour c = readPixel(image, sx, sy);
            out.r += c.r * weight;
            out.g += c.g * weight;
            out.b += c.b * weight;
            out.a += c.a * weight;
        }
    }
    return out;
}

quint32 toPixel(const SampleColour &c)
{
    auto byte = [](float v) { return quint32(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    const quint32 a = byte(c.a);
    return std::min(byte(c.r), a) | std::min(byte(c.g), a) << 8 | std::min(byte(c.b), a) << 16 |
           a << 24;
}

QImage mapPixels(const QImage &source, const std::function<quint32(int, int)> &fn)
{
    QImage out(source.size(), QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return {};
    const int w = out.width();
    ForEachRowBand(w, out.height(), [&](qint64 first, qint64 end) {
        for (qint64 y = first; y < end; ++y) {
            auto *row = reinterpret_cast<quint32 *>(out.scanLine(int(y)));
            for (int x = 0; x < w; ++x)
                row[x] = fn(x, int(y));
        }
    });
    return out;
}

QImage resampleInverse(const QImage &source, const std::function<QPointF(double, double)> &map,
                       SampleEdge edge)
{
    return mapPixels(source, [&](int x, int y) {
        const QPointF p = map(x, y);
        return toPixel(sampleBilinear(source, p.x(), p.y(), edge));
    });
}
