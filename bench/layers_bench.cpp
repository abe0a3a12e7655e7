// Layers: an outline of 100,000 elements whose last 10,000 points coincide in pairs read into a
// point list and written back (goal: under 100 ms); 1,000 gradient-filled, dashed shape layers
// and 1,000 diagram shapes with text drawn into a 2000 x 2000 image (goal: under 1 s). After the
// Google Benchmark runs, the best times are printed against their goals.
#include "BenchSupport.h"
#include "graphics/PelkoNSGradient.h"
#include "layers/DotPath.h"
#include "layers/MyShapeLayer.h"
#include "layers/VisioShapeLayer.h"
#include "platform/BezierPath.h"
#include "platform/GraphicsContext.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

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

constexpr int kLayers = 1000;
constexpr int kSheet = 2000;

struct Sheet
{
    ShapeLayerList shapes;
    ShapeLayerList diagrams;
};

const Sheet &sheet()
{
    static const Sheet layers = [] {
        Sheet s;
        auto stops = std::make_shared<QGradientStops>(
            initWithStartingColor2(platform::Color::red(), platform::Color::blue()));
        for (int i = 0; i < kLayers; ++i) {
            const double x = (i % 40) * 50, y = (i / 40) * 80;
            auto shape = MyShapeLayer::create();
            shape->setPath(BezierPath::bezierPathWithOvalInRect(QRectF(x, y, 45, 35)));
            auto gradient = MyGradient::create();
            gradient->setGradient(stops);
            gradient->visio_updateSettingBaseOn(i % 14, float(i % 360));
            shape->setFillGradient(gradient);
            shape->setLineWidth(2);
            shape->setLineDashPattern({4, 2});
            s.shapes.append(shape);

            auto diagram = VisioShapeLayer::create();
            diagram->setPath(BezierPath::bezierPathWithRect(QRectF(x, y + 40, 45, 35)));
            diagram->setFillColor(platform::Color::calibratedRGB(1, 1, 0.8));
            diagram->setText(QStringLiteral("Shape %1").arg(i));
            diagram->setFontName(QStringLiteral("DejaVu Sans"));
            diagram->setFontSize(9);
            diagram->setTextAlignX(i % 3);
            diagram->setTextAlignY(i % 3);
            s.diagrams.append(diagram);
        }
        return s;
    }();
    return layers;
}

int drawSheet()
{
    QImage image(kSheet, kSheet, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    platform::GraphicsContextScope scope(&painter);
    for (const auto &layer : sheet().shapes)
        layer->draw(false);
    for (const auto &layer : sheet().diagrams)
        layer->draw(false);
    painter.end();
    return image.pixel(10, 10) != 0;
}

void BM_DrawLayerSheet(benchmark::State &state)
{
    sheet();
    for (auto _ : state)
        benchmark::DoNotOptimize(drawSheet());
}
BENCHMARK(BM_DrawLayerSheet)->Unit(benchmark::kMillisecond);

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
    sheet();
    std::printf("%d gradient-filled dashed shapes and %d diagram shapes with text on %d x %d: "
                "%.1f ms (goal 1000 ms)\n",
                kLayers, kLayers, kSheet, kSheet, bestMilliseconds(drawSheet, 3));
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFigures();
    return 0;
}
