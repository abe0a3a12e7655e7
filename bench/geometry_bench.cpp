// Hit tests and flattening of large paths against a prebuilt QPainterPath: containsPoint against
// contains(QPointF), intersectsRect against intersects(QRectF), the point-with-tolerance test
// against both, and bezierPathByFlatteningPath against toSubpathPolygons(). Paths of 10,000
// elements (a 10,000-gon, a loop of 10,000 cubics, 100 sub-paths of 100 sides) under both winding
// rules; 1,000 query points and small rects per run, half of them near the outline. After the
// Google Benchmark runs, the ratios ours / Qt are printed (goal: at most 1.5).
//
// Selection by colour on a 4000 x 4000 buffer, a random mask (70 % marked: one large component
// full of holes) and a ring: the flood fill from a marked pixel and the outline trace, each
// printed as a ratio to one plain pass over the buffer (goal: at most 5).
#include "BenchPaths.h"
#include "graphics/PathHitTesting.h"
#include "graphics/SameColorSelection.h"
#include "graphics/UtilityMathLines.h"
#include "platform/BezierPath.h"

#include <QElapsedTimer>
#include <QPainterPath>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

using platform::BezierPath;
using platform::WindingRule;

namespace {

constexpr int kElements = 10000;
constexpr int kQueries = 1000;
constexpr double kRadius = 1000;
constexpr double kQuerySide = 2;

enum PathKind { Polygon, CubicLoop, ManySubpaths, PathKinds };
const char *const kKindNames[] = {"10000-gon", "10000 cubics", "100 x 100-gon"};

BezierPath polygon(QPointF center, double radius, int sides)
{
    BezierPath path;
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * M_PI * i / sides;
        const QPointF p(center.x() + radius * std::cos(a), center.y() + radius * std::sin(a));
        if (i == 0)
            path.moveToPoint(p);
        else
            path.lineToPoint(p);
    }
    path.closePath();
    return path;
}

BezierPath manySubpaths()
{
    BezierPath path;
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column)
            path.appendBezierPath(polygon(QPointF(-900 + 200 * column, -900 + 200 * row), 90, 100));
    }
    return path;
}

struct Fixture
{
    BezierPath path;
    QPainterPath qt;
    QList<QPointF> points;
    QList<QRectF> rects;
};

// Half the queries anywhere over the path's bounds, half within 1 of an outline point.
void makeQueries(Fixture &f)
{
    QRandomGenerator random(99);
    const QRectF b = f.path.bounds();
    const QList<QPolygonF> outline = f.qt.toSubpathPolygons();
    for (int i = 0; i < kQueries; ++i) {
        QPointF p;
        if (i % 2 == 0) {
            p = QPointF(b.x() + random.bounded(b.width()), b.y() + random.bounded(b.height()));
        } else {
            const QPolygonF &polygon = outline[int(random.bounded(int(outline.size())))];
            p = polygon[int(random.bounded(int(polygon.size())))] +
                QPointF(random.bounded(2.0) - 1, random.bounded(2.0) - 1);
        }
        f.points << p;
        f.rects << QRectF(p.x() - kQuerySide / 2, p.y() - kQuerySide / 2, kQuerySide, kQuerySide);
    }
}

Fixture &fixture(int kind, int rule)
{
    static Fixture fixtures[PathKinds][2];
    Fixture &f = fixtures[kind][rule];
    if (f.path.isEmpty()) {
        f.path = kind == Polygon     ? polygon(QPointF(0, 0), kRadius, kElements)
                 : kind == CubicLoop ? wavyCubicLoop(kElements, kRadius)
                                     : manySubpaths();
        f.path.setWindingRule(rule ? WindingRule::EvenOdd : WindingRule::NonZero);
        f.path.setLineWidth(1);
        f.qt = f.path.toQPainterPath();
        makeQueries(f);
        // Both sides keep what they compute on first use.
        f.path.bounds();
        f.path.controlPointBounds();
        f.qt.controlPointRect();
        f.qt.boundingRect();
    }
    return f;
}

using Operation = std::function<int(const Fixture &)>;

int oursContains(const Fixture &f)
{
    int n = 0;
    for (const QPointF &p : f.points)
        n += f.path.containsPoint(p);
    return n;
}
int qtContains(const Fixture &f)
{
    int n = 0;
    for (const QPointF &p : f.points)
        n += f.qt.contains(p);
    return n;
}
int oursIntersects(const Fixture &f)
{
    int n = 0;
    for (const QRectF &r : f.rects)
        n += intersectsRect(f.path, r);
    return n;
}
int qtIntersects(const Fixture &f)
{
    int n = 0;
    for (const QRectF &r : f.rects)
        n += f.qt.intersects(r);
    return n;
}
int oursTolerance(const Fixture &f)
{
    int n = 0;
    for (const QPointF &p : f.points)
        n += PathContainsPointWithTolerance(&f.path, p, float(kQuerySide / 2));
    return n;
}
int qtTolerance(const Fixture &f)
{
    int n = 0;
    for (int i = 0; i < f.points.size(); ++i)
        n += f.qt.contains(f.points[i]) || f.qt.intersects(f.rects[i]);
    return n;
}
int oursFlatten(const Fixture &f)
{
    return int(f.path.bezierPathByFlatteningPath().elementCount());
}
int qtFlatten(const Fixture &f)
{
    int n = 0;
    for (const QPolygonF &polygon : f.qt.toSubpathPolygons())
        n += int(polygon.size());
    return n;
}

struct Pair
{
    const char *name;
    Operation ours;
    Operation qt;
};
const Pair kPairs[] = {
    {"containsPoint / contains", oursContains, qtContains},
    {"intersectsRect / intersects", oursIntersects, qtIntersects},
    {"with tolerance / contains+intersects", oursTolerance, qtTolerance},
    {"flattening / toSubpathPolygons", oursFlatten, qtFlatten},
};

void runPair(benchmark::State &state, int pair, bool ours)
{
    const Fixture &f = fixture(int(state.range(0)), int(state.range(1)));
    const Operation &op = ours ? kPairs[pair].ours : kPairs[pair].qt;
    for (auto _ : state)
        benchmark::DoNotOptimize(op(f));
    state.SetLabel(std::string(kKindNames[state.range(0)]) +
                   (state.range(1) ? ", even-odd" : ", non-zero"));
}

void BM_ContainsPoint(benchmark::State &s)
{
    runPair(s, 0, true);
}
void BM_QtContains(benchmark::State &s)
{
    runPair(s, 0, false);
}
void BM_IntersectsRect(benchmark::State &s)
{
    runPair(s, 1, true);
}
void BM_QtIntersects(benchmark::State &s)
{
    runPair(s, 1, false);
}
void BM_ContainsWithTolerance(benchmark::State &s)
{
    runPair(s, 2, true);
}
void BM_QtContainsOrIntersects(benchmark::State &s)
{
    runPair(s, 2, false);
}
void BM_Flattening(benchmark::State &s)
{
    runPair(s, 3, true);
}
void BM_QtSubpathPolygons(benchmark::State &s)
{
    runPair(s, 3, false);
}

void allPaths(benchmark::internal::Benchmark *b)
{
    for (int kind = 0; kind < PathKinds; ++kind) {
        for (int rule = 0; rule < 2; ++rule)
            b->Args({kind, rule});
    }
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ContainsPoint)->Apply(allPaths);
BENCHMARK(BM_QtContains)->Apply(allPaths);
BENCHMARK(BM_IntersectsRect)->Apply(allPaths);
BENCHMARK(BM_QtIntersects)->Apply(allPaths);
BENCHMARK(BM_ContainsWithTolerance)->Apply(allPaths);
BENCHMARK(BM_QtContainsOrIntersects)->Apply(allPaths);
BENCHMARK(BM_Flattening)->Apply(allPaths);
BENCHMARK(BM_QtSubpathPolygons)->Apply(allPaths);

// The best of several timed runs of at least 50 ms each, in microseconds per run.
double bestTime(const Operation &op, const Fixture &f)
{
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        int runs = 0;
        do {
            benchmark::DoNotOptimize(op(f));
            ++runs;
        } while (timer.nsecsElapsed() < 50'000'000);
        best = std::min(best, timer.nsecsElapsed() / 1000.0 / runs);
    }
    return best;
}

void printRatios()
{
    std::printf("\nours / Qt (goal <= 1.5)\n");
    for (int kind = 0; kind < PathKinds; ++kind) {
        for (int rule = 0; rule < 2; ++rule) {
            const Fixture &f = fixture(kind, rule);
            std::printf("%s, %s:\n", kKindNames[kind], rule ? "even-odd" : "non-zero");
            for (const Pair &pair : kPairs) {
                const double ours = bestTime(pair.ours, f), qt = bestTime(pair.qt, f);
                std::printf("  %-40s %10.1f us %10.1f us  ratio %.2f", pair.name, ours, qt,
                            ours / qt);
                if (&pair == &kPairs[3])
                    std::printf("  (vertices %d / %d)", pair.ours(f), pair.qt(f));
                else
                    std::printf("  (hits %d / %d)", pair.ours(f), pair.qt(f));
                std::printf("\n");
            }
        }
    }
}

// Selection by colour ----------------------------------------------------------------------------

constexpr int kMaskSide = 4000;
enum MaskKind { RandomMask, RingMask, MaskKinds };
const char *const kMaskNames[] = {"random mask", "ring"};

const ImageData &mask(int kind)
{
    static ImageDataPtr masks[MaskKinds];
    if (!masks[kind]) {
        masks[kind] = ImageData::imageWithWidth(kMaskSide, kMaskSide);
        QRandomGenerator random(26);
        const double c = kMaskSide / 2.0;
        for (qint64 y = 0; y < kMaskSide; ++y) {
            for (qint64 x = 0; x < kMaskSide; ++x) {
                const double r = std::hypot(x + 0.5 - c, y + 0.5 - c);
                const bool marked =
                    kind == RandomMask ? random.bounded(100) < 70 : r < 0.95 * c && r > 0.5 * c;
                masks[kind]->data[size_t(y * kMaskSide + x)] =
                    marked ? PIXEL(MARK_ALPHA_VALUE) << 24 : 0xFF000000u;
            }
        }
    }
    return *masks[kind];
}

// A seed inside the mask: the first marked pixel of the middle row.
qint64 seedX(const ImageData &m)
{
    const PIXEL *row = m.getBuffer() + (m.h() / 2) * m.w();
    qint64 x = 0;
    while (x < m.w() && (row[x] >> 24) != MARK_ALPHA_VALUE)
        ++x;
    return x;
}

qint64 plainPass(const ImageData &m)
{
    qint64 n = 0;
    const PIXEL *p = m.getBuffer();
    for (qint64 i = 0, count = m.w() * m.h(); i < count; ++i)
        n += (p[i] >> 24) == MARK_ALPHA_VALUE;
    return n;
}

std::vector<quint8> selection(const ImageData &m)
{
    return SelectSimilarPixels(m.getBuffer(), m.w(), m.h(), seedX(m), m.h() / 2, 0);
}

qint64 fill(const ImageData &m)
{
    return qint64(selection(m).size());
}

qint64 selectedCount(const ImageData &m)
{
    const auto selected = selection(m);
    return qint64(std::count(selected.begin(), selected.end(), 1));
}

qint64 trace(const ImageData &m)
{
    const auto path = GetSelectPathWithAlpha_MARK_ALPHA_VALUE(&m);
    return path ? path->elementCount() : 0;
}

void BM_PlainPass(benchmark::State &state)
{
    const ImageData &m = mask(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(plainPass(m));
    state.SetLabel(kMaskNames[state.range(0)]);
}
void BM_Fill(benchmark::State &state)
{
    const ImageData &m = mask(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(fill(m));
    state.SetLabel(kMaskNames[state.range(0)]);
}
void BM_Trace(benchmark::State &state)
{
    const ImageData &m = mask(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(trace(m));
    state.SetLabel(kMaskNames[state.range(0)]);
}
BENCHMARK(BM_PlainPass)->DenseRange(0, MaskKinds - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill)->DenseRange(0, MaskKinds - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Trace)->DenseRange(0, MaskKinds - 1)->Unit(benchmark::kMillisecond);

// The best of five runs, in milliseconds.
double bestMillis(const std::function<qint64(const ImageData &)> &op, const ImageData &m)
{
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(op(m));
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void printSelectionRatios()
{
    std::printf("\nselection by colour, %d x %d, / one plain pass (goal <= 5)\n", kMaskSide,
                kMaskSide);
    for (int kind = 0; kind < MaskKinds; ++kind) {
        const ImageData &m = mask(kind);
        const double pass = bestMillis(plainPass, m);
        const double filled = bestMillis(fill, m);
        const double traced = bestMillis(trace, m);
        std::printf("%s: pass %.1f ms; fill %.1f ms, ratio %.1f (%lld pixels); trace %.1f ms, "
                    "ratio %.1f (%lld elements)\n",
                    kMaskNames[kind], pass, filled, filled / pass, (long long)selectedCount(m),
                    traced, traced / pass, (long long)trace(m));
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatios();
    printSelectionRatios();
    return 0;
}
