// Layers: an outline of 100,000 elements whose last 10,000 points coincide in pairs read into a
// point list and written back (goal: under 100 ms). After the Google Benchmark runs, the best
// times are printed against their goals.
#include "layers/DotPath.h"
#include "platform/BezierPath.h"

#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <functional>

using platform::BezierPath;

namespace {

constexpr int kElements = 100000;
constexpr int kCoincidentTail = 10000;

const BezierPath &longOutline()
{
    static const BezierPath path = [] {
        BezierPath p;
        p.moveToPoint(QPointF(0, 0));
        const int distinct = kElements - kCoincidentTail;
        for (int i = 1; i < kElements; ++i) {
            // Distinct points along a spiral, then pairs: every second point repeats the one
            // before it.
            const int k = i < distinct ? i : distinct + (i - distinct) / 2;
            const double a = k * 0.01;
            const QPointF at(1000 + k * 0.05 * std::cos(a), 1000 + k * 0.05 * std::sin(a));
            if (i % 7 == 0)
                p.curveToPoint(at, at + QPointF(1, 1), at - QPointF(1, 1));
            else
                p.lineToPoint(at);
        }
        return p;
    }();
    return path;
}

int setPathToPath()
{
    DotPath list;
    list.setPath(&longOutline());
    const auto back = list.toPath();
    return back ? int(back->elementCount()) : 0;
}

void BM_DotPathSetPathToPath(benchmark::State &state)
{
    longOutline();
    for (auto _ : state)
        benchmark::DoNotOptimize(setPathToPath());
}
BENCHMARK(BM_DotPathSetPathToPath)->Unit(benchmark::kMillisecond);

double bestMilliseconds(const std::function<int()> &run, int rounds = 5)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(run());
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void printFigures()
{
    longOutline();
    std::printf("setPath then toPath, %d elements, last %d in coincident pairs: %.1f ms "
                "(goal 100 ms; %d elements back)\n",
                kElements, kCoincidentTail, bestMilliseconds(setPathToPath), setPathToPath());
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFigures();
    return 0;
}
