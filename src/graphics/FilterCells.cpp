#include "graphics/FilterCells.h"

#include "graphics/FilterSampler.h"
#include "graphics/PixelFilter.h"

#include <QtGlobal>
#include <cmath>
#include <limits>

namespace {

const QString kRadius = QStringLiteral("inputRadius");

// Cells of less than a pixel change nothing; beyond the image one cell covers everything.
double cellSize(double value, const QImage &in)
{
    return boundedInput(value, 0, double(std::max(in.width(), in.height())) * 2 + 2, 0);
}

// A well-mixed hash of a cell index, 0 to 1.
double cellHash(qint64 i, qint64 j, quint64 salt)
{
    quint64 h = quint64(i) * 0x9E3779B97F4A7C15ull ^ quint64(j) * 0xC2B2AE3D27D4EB4Full ^ salt;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return double(h >> 11) / double(quint64(1) << 53);
}

// The seed of cell (i, j) of a grid of `size`: somewhere inside the cell, by its hash.
QPointF seedOf(qint64 i, qint64 j, double size)
{
    return QPointF((double(i) + cellHash(i, j, 1)) * size, (double(j) + cellHash(i, j, 2)) * size);
}

struct NearestSeed
{
    QPointF seed;
    double distance2 = std::numeric_limits<double>::infinity();
};

// The nearest seed of the 3 x 3 cells around the point's own.
NearestSeed nearestSeed(QPointF p, double size)
{
    const qint64 ci = qint64(std::floor(p.x() / size));
    const qint64 cj = qint64(std::floor(p.y() / size));
    NearestSeed best;
    for (qint64 j = cj - 1; j <= cj + 1; ++j)
        for (qint64 i = ci - 1; i <= ci + 1; ++i) {
            const QPointF s = seedOf(i, j, size);
            const QPointF d = s - p;
            const double d2 = d.x() * d.x() + d.y() * d.y();
            if (d2 < best.distance2)
                best = {s, d2};
        }
    return best;
}

quint32 colourAt(const QImage &in, QPointF p)
{
    const int x = std::clamp(int(std::lround(p.x())), 0, in.width() - 1);
    const int y = std::clamp(int(std::lround(p.y())), 0, in.height() - 1);
    return reinterpret_cast<const quint32 *>(in.constScanLine(y))[x];
}

// Each pixel takes the colour under the nearest of seeds jittered in cells of the radius.
QImage crystallize(const PixelFilter &f, const QImage &in)
{
    const double size = cellSize(f.num(kRadius), in);
    if (size < 1)
        return in;
    return mapPixels(
        in, [&](int x, int y) { return colourAt(in, nearestSeed(QPointF(x, y), size).seed); });
}

// Dots of the radius at seeds jittered in cells of 1.6 radii, each in the colour under its seed;
// between the dots nothing.
QImage pointillize(const PixelFilter &f, const QImage &in)
{
    const double radius = cellSize(f.num(kRadius), in);
    if (radius < 1)
        return in;
    const double size = radius * 1.6;
    return mapPixels(in, [&](int x, int y) {
        const NearestSeed near = nearestSeed(QPointF(x, y), size);
        return near.distance2 <= radius * radius ? colourAt(in, near.seed) : 0u;
    });
}

// Hexagons of the scale from corner to corner, flat sides up, each in the colour under its
// middle.
QImage hexagonalPixellate(const PixelFilter &f, const QImage &in)
{
    const double side = cellSize(f.num(QStringLiteral("inputScale")), in) / 2;
    if (side < 0.5)
        return in;
    return mapPixels(in, [&](int x, int y) {
        // Axial coordinates of the point, rounded to the nearest hexagon in cube coordinates.
        const double q = (2.0 / 3 * x) / side;
        const double r = (-1.0 / 3 * x + std::sqrt(3.0) / 3 * y) / side;
        const double s = -q - r;
        double rq = std::round(q), rr = std::round(r), rs = std::round(s);
        const double dq = std::abs(rq - q), dr = std::abs(rr - r), ds = std::abs(rs - s);
        if (dq > dr && dq > ds)
            rq = -rr - rs;
        else if (dr > ds)
            rr = -rq - rs;
        const QPointF middle(side * 1.5 * rq, side * std::sqrt(3.0) * (rr + rq / 2));
        return colourAt(in, middle);
    });
}

} // namespace

void RegisterCellFilters()
{
    RegisterImageFilter(
        QStringLiteral("CICrystallize"),
        {{kRadius, 20.0}, {QStringLiteral("inputCenter"), platform::FilterVector{150, 150}}},
        crystallize);
    RegisterImageFilter(
        QStringLiteral("CIPointillize"),
        {{kRadius, 20.0}, {QStringLiteral("inputCenter"), platform::FilterVector{150, 150}}},
        pointillize);
    RegisterImageFilter(QStringLiteral("CIHexagonalPixellate"),
                        {{QStringLiteral("inputScale"), 8.0},
                         {QStringLiteral("inputCenter"), platform::FilterVector{150, 150}}},
                        hexagonalPixellate);
}
