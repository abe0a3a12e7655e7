// First the union of 2,000 and 20,000 nested squares with one square across them, against the
// polygon clipper, with the rise of the peak resident size. Then the union of N seeded circles
// (radii 5 to 20, centres in a square of side 30 sqrt(N)) by the curve engine, folded in
// balanced pairs, against the polygon clipper's single union of the same circles as 64-gons
// (made outside the timing). After the Google Benchmark runs, a table prints the median of 9
// runs of each (the processor time of the one thread both run on), taken in turn, their ratio
// against the goal for that size (3 for 10 circles, 2.5 for 100, 1.5 for 1,000), both areas, the
// number of curve pairs searched and a print of the answer's every bit (a change made for speed
// leaves it as it was); then the progress dialog's fold of 100 circles, step by step; then the
// large single paths (25,000 circles, a polygon of 100,000 vertices) through the direct operations
// and the guarded entry, and how soon a cancel stops a union of 1000 circles and one of 25,000.
// "--rows=" picks some of these parts.
#include "controls/PathOperationDialog.h"
#include "pathops/PathBooleanOperations.h"
#include "pathops/PathOperationState.h"
#include "platform/BezierPath.h"
#include "platform/Guard.h"

#include <QList>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <clipper.hpp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <time.h>
#include <vector>

using platform::BezierPath;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kClipperScale = 1e4;

struct Circle
{
    double x, y, r;
};

std::vector<Circle> seededCircles(int n, quint64 seed = 2026)
{
    std::mt19937_64 random(seed);
    const double side = 30 * std::sqrt(double(n));
    std::uniform_real_distribution<double> at(0, side);
    std::uniform_real_distribution<double> radius(5, 20);
    std::vector<Circle> circles;
    for (int i = 0; i < n; ++i) {
        const double x = at(random), y = at(random), r = radius(random);
        circles.push_back({x, y, r});
    }
    return circles;
}

QList<BezierPath> circlePaths(const std::vector<Circle> &circles)
{
    QList<BezierPath> paths;
    for (const Circle &c : circles)
        paths.append(
            BezierPath::bezierPathWithOvalInRect(QRectF(c.x - c.r, c.y - c.r, 2 * c.r, 2 * c.r)));
    return paths;
}

ClipperLib::Paths circlePolygons(const std::vector<Circle> &circles)
{
    ClipperLib::Paths polygons;
    for (const Circle &c : circles) {
        ClipperLib::Path p;
        for (int k = 0; k < 64; ++k) {
            const double a = 2 * kPi * k / 64;
            p.push_back(
                {ClipperLib::cInt(std::llround((c.x + c.r * std::cos(a)) * kClipperScale)),
                 ClipperLib::cInt(std::llround((c.y + c.r * std::sin(a)) * kClipperScale))});
        }
        polygons.push_back(std::move(p));
    }
    return polygons;
}

// Unions neighbours, then neighbours of those, so that every step joins pieces of like size.
BezierPath unionInBalancedPairs(QList<BezierPath> level)
{
    while (level.size() > 1) {
        QList<BezierPath> next;
        for (qsizetype i = 0; i + 1 < level.size(); i += 2)
            next.append(fb_union(level[i], level[i + 1]));
        if (level.size() % 2)
            next.append(level.back());
        level = std::move(next);
    }
    return level.isEmpty() ? BezierPath() : level.front();
}

double clipperUnion(const ClipperLib::Paths &polygons, ClipperLib::Paths *solution)
{
    ClipperLib::Clipper clipper;
    clipper.AddPaths(polygons, ClipperLib::ptSubject, true);
    clipper.Execute(ClipperLib::ctUnion, *solution, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    double area = 0;
    for (const ClipperLib::Path &p : *solution)
        area += ClipperLib::Area(p);
    return std::abs(area) / (kClipperScale * kClipperScale);
}

// The even-odd area of a path whose contours do not cross, from its flattened outline (0.001).
double pathArea(const BezierPath &path)
{
    ClipperLib::Paths polygons;
    ClipperLib::Path current;
    QPointF at;
    auto add = [&current](QPointF p) {
        current.push_back({ClipperLib::cInt(std::llround(p.x() * kClipperScale)),
                           ClipperLib::cInt(std::llround(p.y() * kClipperScale))});
    };
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case platform::BezierPathElement::MoveTo:
            if (!current.empty())
                polygons.push_back(std::move(current));
            current.clear();
            add(at = e.points[0]);
            break;
        case platform::BezierPathElement::LineTo:
            add(at = e.points[0]);
            break;
        case platform::BezierPathElement::CurveTo:
            for (int k = 1; k <= 32; ++k) {
                const double t = k / 32.0, u = 1 - t;
                add(u * u * u * at + 3 * u * u * t * e.points[0] + 3 * u * t * t * e.points[1] +
                    t * t * t * e.points[2]);
            }
            at = e.points[2];
            break;
        case platform::BezierPathElement::ClosePath:
            break;
        }
    }
    if (!current.empty())
        polygons.push_back(std::move(current));
    ClipperLib::Clipper clipper;
    clipper.AddPaths(polygons, ClipperLib::ptSubject, true);
    ClipperLib::Paths solution;
    clipper.Execute(ClipperLib::ctUnion, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    double area = 0;
    for (const ClipperLib::Path &p : solution)
        area += ClipperLib::Area(p);
    return std::abs(area) / (kClipperScale * kClipperScale);
}

void BM_EngineUnion(benchmark::State &state)
{
    const QList<BezierPath> paths = circlePaths(seededCircles(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(unionInBalancedPairs(paths));
}
BENCHMARK(BM_EngineUnion)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ClipperUnion(benchmark::State &state)
{
    const ClipperLib::Paths polygons = circlePolygons(seededCircles(int(state.range(0))));
    for (auto _ : state) {
        ClipperLib::Paths solution;
        benchmark::DoNotOptimize(clipperUnion(polygons, &solution));
    }
}
BENCHMARK(BM_ClipperUnion)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

constexpr int kTableRuns = 9;

double medianSeconds(const std::function<void()> &run, int times = 5)
{
    std::vector<double> seconds;
    for (int i = 0; i < times; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// The processor time this thread has used, in seconds: on a shared machine the wall clock also
// counts the time other processes held the core.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

double threadSecondsOf(const std::function<void()> &run)
{
    const double start = threadSeconds();
    run();
    return threadSeconds() - start;
}

// The medians of the processor time of two runs taken in turn, so that a change in the
// machine's load falls on both.
std::pair<double, double> medianSecondsInTurn(const std::function<void()> &first,
                                              const std::function<void()> &second, int times)
{
    std::vector<double> a, b;
    for (int i = 0; i < times; ++i) {
        a.push_back(threadSecondsOf(first));
        b.push_back(threadSecondsOf(second));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[a.size() / 2], b[b.size() / 2]};
}

// The goal for the union of N circles, as a ratio to the clipper's time: a few circles cost the
// engine its fixed work per operation (building both graphs, placing them, tracing the answer),
// which the clipper's single pass over a few polygons does not have; from a thousand on, the
// work that grows with the circles decides.
double circleGoal(int n)
{
    return n <= 10 ? 3.0 : n <= 100 ? 2.5 : 1.5;
}

// The answer's elements to the last bit, as 16 hexadecimal digits: a change made for speed must
// leave it as it was.
std::string answerPrint(const BezierPath &path)
{
    quint64 hash = 14695981039346656037ull;
    auto add = [&hash](double value) {
        unsigned char bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        for (unsigned char b : bytes)
            hash = (hash ^ b) * 1099511628211ull;
    };
    for (const BezierPath::Element &e : path.elements()) {
        add(double(int(e.type)));
        for (const QPointF &p : e.points) {
            add(p.x());
            add(p.y());
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

void printTable()
{
    std::printf("\nUnion of N circles, median processor time of 9 taken in turn (goal: the "
                "engine's time at most that many times the clipper's)\n");
    std::printf("%6s %12s %12s %7s %6s %5s %14s %14s %12s %17s\n", "N", "engine ms", "clipper ms",
                "ratio", "goal", "met", "engine area", "clipper area", "pair searches", "answer");
    for (int n : {10, 100, 1000}) {
        const std::vector<Circle> circles = seededCircles(n);
        const QList<BezierPath> paths = circlePaths(circles);
        const ClipperLib::Paths polygons = circlePolygons(circles);
        BezierPath result;
        const unsigned long long before = gPathCurvePairSearches.load();
        double clipperArea = 0;
        const auto [engine, clipper] =
            medianSecondsInTurn([&] { result = unionInBalancedPairs(paths); },
                                [&] {
                                    ClipperLib::Paths solution;
                                    clipperArea = clipperUnion(polygons, &solution);
                                },
                                kTableRuns);
        const unsigned long long searches = (gPathCurvePairSearches.load() - before) / kTableRuns;
        const double ratio = engine / clipper;
        std::printf("%6d %12.2f %12.2f %7.2f %6.1f %5s %14.2f %14.2f %12llu %17s\n", n,
                    engine * 1e3, clipper * 1e3, ratio, circleGoal(n),
                    ratio <= circleGoal(n) ? "yes" : "NO", pathArea(result), clipperArea, searches,
                    answerPrint(result).c_str());
    }

    // The dialog's fold: each step one guarded union of the result so far with the next circle.
    const QList<BezierPath> paths = circlePaths(seededCircles(100));
    double longest = 0, total = 0;
    int failed = 0;
    BezierPath accumulator = paths.front();
    for (qsizetype i = 1; i < paths.size(); ++i) {
        std::optional<BezierPath> step;
        const double seconds = medianSeconds(
            [&] { step = performBooleanOp(accumulator, PathBooleanUnion, &paths[i]); }, 1);
        longest = std::max(longest, seconds);
        total += seconds;
        if (step)
            accumulator = *step;
        else
            ++failed;
    }
    const auto start = std::chrono::steady_clock::now();
    const PathOperationOutcome outcome =
        PathOperationDialog::executeThread(PathBooleanUnion, false, paths);
    const double fold =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\nDialog fold of 100 circles: 99 steps, longest %.1f ms, total %.1f ms, %d steps "
                "without an answer; the dialog's own fold %.1f ms (%s)\n",
                longest * 1e3, total * 1e3, failed, fold * 1e3,
                outcome.result ? "answered" : qPrintable(outcome.errorMessage));
}

// The seeded circles as the subpaths of one path.
BezierPath circlesInOnePath(int n, quint64 seed)
{
    BezierPath path;
    for (const Circle &c : seededCircles(n, seed))
        path.appendBezierPathWithOvalInRect(QRectF(c.x - c.r, c.y - c.r, 2 * c.r, 2 * c.r));
    return path;
}

BezierPath squarePath(double x, double y, double side)
{
    BezierPath path;
    path.moveToPoint({x, y});
    path.lineToPoint({x + side, y});
    path.lineToPoint({x + side, y + side});
    path.lineToPoint({x, y + side});
    path.closePath();
    return path;
}

// A polygon round a circle whose radius wobbles, so that no two edges are collinear.
BezierPath wobblyPolygon(int n)
{
    BezierPath polygon;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * kPi * i / n;
        const double r = 1000 + (i % 2 ? 0.5 : 0);
        const QPointF p(r * std::cos(a), r * std::sin(a));
        if (i == 0)
            polygon.moveToPoint(p);
        else
            polygon.lineToPoint(p);
    }
    polygon.closePath();
    return polygon;
}

double secondsOf(const std::function<void()> &run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each large case through the four direct operations (clock running, as the guarded entry runs
// them) and through the guarded entry with each operation; the longest of each is printed.
void printLargeCases()
{
    struct Case
    {
        const char *name;
        BezierPath path, other;
    };
    const Case cases[] = {
        {"25,000 circles in one path, with a square", circlesInOnePath(25000, 11),
         squarePath(0, 0, 50)},
        {"100,000-vertex polygon, with a square", wobblyPolygon(100000),
         squarePath(-100, -100, 1200)},
    };
    using Operation = BezierPath (*)(const BezierPath &, const BezierPath &);
    const Operation operations[] = {fb_union, fb_intersect, fb_difference, fb_xor};
    const qint32 codes[] = {PathBooleanUnion, PathBooleanIntersect, PathBooleanDifference,
                            PathBooleanXor};
    std::printf("\nLarge single paths, the longest of the four operations (goal: each within "
                "10 s)\n");
    std::printf("%-44s %12s %12s %14s %17s\n", "case", "direct ms", "guarded ms", "pair searches",
                "direct answers");
    for (const Case &c : cases) {
        const unsigned long long before = gPathCurvePairSearches.load();
        double direct = 0, entry = 0;
        int gaveUp = 0, unanswered = 0;
        BezierPath answers;
        for (const Operation operation : operations) {
            BezierPath answer;
            direct = std::max(direct, secondsOf([&] {
                                  gPathOperationStartTime = PathOperation_CurrentMediaTime();
                                  try {
                                      answer = operation(c.path, c.other);
                                  } catch (const platform::Exception &) {
                                      ++gaveUp;
                                  }
                                  gPathOperationStartTime = -1.0;
                              }));
            answers.appendBezierPath(answer);
        }
        const unsigned long long searches = (gPathCurvePairSearches.load() - before) / 4;
        for (const qint32 code : codes) {
            entry = std::max(entry, secondsOf([&] {
                                 if (!performBooleanOp(c.path, code, &c.other))
                                     ++unanswered;
                             }));
        }
        std::printf("%-44s %12.1f %12.1f %14llu %17s", c.name, direct * 1e3, entry * 1e3, searches,
                    answerPrint(answers).c_str());
        if (gaveUp)
            std::printf(" (%d direct gave up)", gaveUp);
        if (unanswered)
            std::printf(" (%d guarded without an answer)", unanswered);
        std::printf("\n");
    }
}

// N squares round one centre (sides 2, 4, ..., 2N: rings under the even-odd rule) in one path.
BezierPath nestedSquares(int n)
{
    BezierPath path;
    for (int k = 1; k <= n; ++k)
        path.appendBezierPath(squarePath(-k, -k, 2 * k));
    path.setWindingRule(platform::WindingRule::EvenOdd);
    return path;
}

ClipperLib::Path squarePolygon(double x, double y, double side)
{
    auto at = [](double v) { return ClipperLib::cInt(std::llround(v * kClipperScale)); };
    return {
        {at(x), at(y)}, {at(x + side), at(y)}, {at(x + side), at(y + side)}, {at(x), at(y + side)}};
}

// The largest resident size the process has had so far, in megabytes.
double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The union of N nested squares with one square from their centre past the outermost corner,
// which crosses every ring twice, against the clipper's union of the same squares (even-odd).
// Run first, so that the rise of the peak resident size is this union's.
void printNestedSquares()
{
    std::printf("Union of N nested squares with one square across them (goal for 20,000: "
                "under 2 s and 200 MB)\n");
    std::printf("%6s %12s %12s %14s %14s %14s %17s\n", "N", "engine ms", "clipper ms",
                "peak rise MB", "engine area", "clipper area", "answer");
    for (int n : {2000, 20000}) {
        const BezierPath rings = nestedSquares(n);
        const BezierPath across = squarePath(0, 0, n + 1);
        const double before = peakMegabytes();
        BezierPath result;
        const double engine = secondsOf([&] { result = fb_union(rings, across); });
        const double rise = peakMegabytes() - before;
        ClipperLib::Paths subject;
        for (int k = 1; k <= n; ++k)
            subject.push_back(squarePolygon(-k, -k, 2 * k));
        double clipperArea = 0;
        const double clipper = secondsOf([&] {
            ClipperLib::Clipper clip;
            clip.AddPaths(subject, ClipperLib::ptSubject, true);
            clip.AddPath(squarePolygon(0, 0, n + 1), ClipperLib::ptClip, true);
            ClipperLib::Paths solution;
            clip.Execute(ClipperLib::ctUnion, solution, ClipperLib::pftEvenOdd,
                         ClipperLib::pftEvenOdd);
            clipperArea = 0;
            for (const ClipperLib::Path &p : solution)
                clipperArea += ClipperLib::Area(p);
            clipperArea = std::abs(clipperArea) / (kClipperScale * kClipperScale);
        });
        std::printf("%6d %12.1f %12.1f %14.1f %14.1f %14.1f %17s\n", n, engine * 1e3, clipper * 1e3,
                    rise, pathArea(result), clipperArea, answerPrint(result).c_str());
    }
    std::printf("\n");
}

// Starts the union of two paths on a worker, asks for a cancel after `delay`,
// and answers how long the worker took from the cancel to its end; -1 when it ended before.
double cancelLatency(const BezierPath &a, const BezierPath &b, std::chrono::milliseconds delay)
{
    std::atomic<bool> done{false};
    std::chrono::steady_clock::time_point end;
    std::thread worker([&] {
        try {
            benchmark::DoNotOptimize(fb_union(a, b));
        } catch (const platform::Exception &) {
        }
        end = std::chrono::steady_clock::now();
        done = true;
    });
    std::this_thread::sleep_for(delay);
    const bool early = done.load();
    const auto cancelled = std::chrono::steady_clock::now();
    gPathOperationCancel = true;
    worker.join();
    gPathOperationCancel = false;
    return early ? -1.0 : std::chrono::duration<double>(end - cancelled).count();
}

// Asks for a cancel at ten points of a union and prints the longest wait for its end.
void printCancelLatencyOf(const char *name, const BezierPath &a, const BezierPath &b)
{
    const double whole = secondsOf([&] { benchmark::DoNotOptimize(fb_union(a, b)); });
    double longest = 0;
    for (int step = 1; step <= 10; ++step) {
        const auto delay = std::chrono::milliseconds(int(whole * 1e3 * step / 11));
        const double latency = cancelLatency(a, b, delay);
        if (latency >= 0)
            longest = std::max(longest, latency);
    }
    std::printf("%-52s %12.1f %12.2f\n", name, whole * 1e3, longest * 1e3);
}

void printCancelLatency()
{
    std::printf("\nCancel at ten points of a union (goal: stopped within 200 ms)\n");
    std::printf("%-52s %12s %12s\n", "union", "whole ms", "longest wait ms");
    printCancelLatencyOf("1000 circles (two paths of 500)", circlesInOnePath(500, 21),
                         circlesInOnePath(500, 22));
    printCancelLatencyOf("25,000 circles in one path with a square", circlesInOnePath(25000, 11),
                         squarePath(0, 0, 50));
}

// "--rows=squares,table" runs only those parts (squares, benchmarks, table, large, cancel);
// without it, all of them.
std::vector<std::string> takeRows(int *argc, char **argv)
{
    std::vector<std::string> rows;
    const std::string flag = "--rows=";
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(flag, 0) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        std::string list = arg.substr(flag.size()) + ",";
        for (std::size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos;
             at = comma + 1)
            if (comma > at)
                rows.push_back(list.substr(at, comma - at));
    }
    *argc = kept;
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> rows = takeRows(&argc, argv);
    auto wanted = [&rows](const char *name) {
        return rows.empty() || std::find(rows.begin(), rows.end(), name) != rows.end();
    };
    if (wanted("squares"))
        printNestedSquares();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (wanted("benchmarks"))
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (wanted("table"))
        printTable();
    if (wanted("large"))
        printLargeCases();
    if (wanted("cancel"))
        printCancelLatency();
    return 0;
}
