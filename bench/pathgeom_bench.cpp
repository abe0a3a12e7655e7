// Path geometry on large paths: all crossings of two 10,000-segment polylines and of two
// 2,500-curve paths, the winding of 10,000 points, the length to a segment of a 100,000-element
// path, and splitting the 10,000-cubic loop into pieces of 0.5 against Qt's
// toSubpathPolygons(). After the Google Benchmark runs, the medians, vertex counts and the
// split ratio are printed (goals: each query within 1 s; the split within 1.5 times Qt).
#include "BenchPaths.h"
#include "graphics/PelkoNSBezierPathShapes.h"
#include "pathops/PathHitTest.h"
#include "pathops/PathPathIntersections.h"
#include "pathops/PathWalking.h"
#include "platform/BezierPath.h"

#include <QElapsedTimer>
#include <QPainterPath>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <vector>

using platform::BezierPath;

namespace {

constexpr double kRadius = 1000;

// A zigzag across a band: each segment crosses a few of the other zigzag's.
BezierPath zigzag(int segments, double phase)
{
    BezierPath path;
    path.moveToPoint(QPointF(phase, 0));
    for (int i = 1; i <= segments; ++i)
        path.lineToPoint(QPointF(i + phase, (i % 2) ? 10 + phase : -phase));
    return path;
}

// Cubics along a sine wave, the second path shifted so that the waves cross.
BezierPath wave(int curves, double shift)
{
    BezierPath path;
    auto at = [&](int i) { return QPointF(i * 4.0, 50 * std::sin(i * 0.05 + shift)); };
    path.moveToPoint(at(0));
    for (int i = 0; i < curves; ++i) {
        const QPointF p0 = at(i), p3 = at(i + 1);
        path.curveToPoint(p3, p0 + (p3 - p0) / 3 + QPointF(0, 3),
                          p0 + 2 * (p3 - p0) / 3 - QPointF(0, 3));
    }
    return path;
}

BezierPath star()
{
    BezierPath path;
    for (int i = 0; i < 10; ++i) {
        const double a = std::numbers::pi * i / 5;
        const double r = i % 2 ? 400 : 1000;
        const QPointF p(r * std::cos(a), r * std::sin(a));
        if (i == 0)
            path.moveToPoint(p);
        else
            path.lineToPoint(p);
    }
    path.closePath();
    return path;
}

// 100,000 elements: lines and tight S-shaped cubics, their control points four times as far
// off as their ends are apart.
BezierPath longMixed()
{
    BezierPath path;
    path.moveToPoint(QPointF(0, 0));
    for (int i = 1; i < 100000; ++i) {
        const QPointF p(i, (i % 7) * 3.0);
        if (i % 2)
            path.lineToPoint(p);
        else
            path.curveToPoint(p, p + QPointF(-0.7, 4), p + QPointF(-0.3, -4));
    }
    return path;
}

struct Fixtures
{
    BezierPath zigA = zigzag(10000, 0), zigB = zigzag(10000, 0.5);
    BezierPath waveA = wave(2500, 0), waveB = wave(2500, 1.5);
    BezierPath starPath = star();
    std::vector<QPointF> points;
    BezierPath mixed = longMixed();
    BezierPath longLoop = wavyCubicLoop(100000, kRadius);
    BezierPath loop = wavyCubicLoop(10000, kRadius);
    QPainterPath qtLoop;
    Fixtures()
    {
        QRandomGenerator random(28);
        for (int i = 0; i < 10000; ++i)
            points.emplace_back(random.bounded(2400.0) - 1200, random.bounded(2400.0) - 1200);
        loop.setFlatness(0.5);
        qtLoop = loop.toQPainterPath();
        mixed.bounds();
        longLoop.bounds();
    }
};

Fixtures &fixtures()
{
    static Fixtures f;
    return f;
}

using Operation = std::function<qint64()>;

qint64 polylineCrossings()
{
    QList<OABezierPathIntersection> found;
    allIntersectionsWithPath(fixtures().zigA, &fixtures().zigB, &found);
    return found.size();
}
qint64 curveCrossings()
{
    QList<OABezierPathIntersection> found;
    allIntersectionsWithPath(fixtures().waveA, &fixtures().waveB, &found);
    return found.size();
}
qint64 windings()
{
    qint64 sum = 0;
    for (const QPointF &p : fixtures().points) {
        qint64 w = 0;
        getWindingAndHitForPoint(fixtures().starPath, &w, nullptr, p);
        sum += w != 0;
    }
    return sum;
}
qint64 lengthToEnd(const BezierPath &path)
{
    double total = 0;
    const double partial = lengthToSegment(path, path.elementCount() - 1, 0.5, &total);
    return qint64(partial + total);
}
qint64 loopLength()
{
    return lengthToEnd(fixtures().longLoop);
}
qint64 curlyLength()
{
    return lengthToEnd(fixtures().mixed);
}
qint64 oursSplit()
{
    const std::optional<BezierPath> split = splitPathToSmallLine(fixtures().loop, 0.5f);
    return split ? split->elementCount() : 0;
}
qint64 qtSplit()
{
    qint64 n = 0;
    for (const QPolygonF &polygon : fixtures().qtLoop.toSubpathPolygons())
        n += polygon.size();
    return n;
}

struct Row
{
    const char *name;
    Operation op;
};
const Row kRows[] = {
    {"allIntersectionsWithPath, two 10,000-segment polylines", polylineCrossings},
    {"allIntersectionsWithPath, two 2,500-curve paths", curveCrossings},
    {"winding of 10,000 points (star)", windings},
    {"lengthToSegment:parameter:totalLength:, 100,000-cubic loop", loopLength},
    {"lengthToSegment:parameter:totalLength:, 100,000 curly elements", curlyLength},
    {"splitPathToSmallLine: 0.5, 10,000-cubic loop", oursSplit},
    {"toSubpathPolygons(), same loop", qtSplit},
};

void run(benchmark::State &state)
{
    const Row &row = kRows[state.range(0)];
    qint64 result = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(result = row.op());
    state.SetLabel(row.name);
    state.counters["result"] = double(result);
}
BENCHMARK(run)->DenseRange(0, int(std::size(kRows)) - 1)->Unit(benchmark::kMillisecond);

double medianSeconds(const Operation &op, qint64 *result)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        *result = op();
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nMedians of 5 runs (goal: each query within 1 s)\n");
    double split = 0, qt = 0;
    for (size_t i = 0; i < std::size(kRows); ++i) {
        qint64 result = 0;
        const double t = medianSeconds(kRows[i].op, &result);
        std::printf("  %-60s %9.4f s  result %lld\n", kRows[i].name, t, (long long)result);
        if (kRows[i].op.target<qint64 (*)()>() && *kRows[i].op.target<qint64 (*)()>() == oursSplit)
            split = t;
        if (kRows[i].op.target<qint64 (*)()>() && *kRows[i].op.target<qint64 (*)()>() == qtSplit)
            qt = t;
    }
    std::printf("  split / toSubpathPolygons: %.2f (goal: at most 1.5); vertex counts above\n",
                qt > 0 ? split / qt : 0.0);
    benchmark::Shutdown();
    return 0;
}
