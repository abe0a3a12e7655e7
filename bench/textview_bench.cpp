// The layout questions the gutter and the colourer ask on every paint, on a 100,000-line pane
// without wrapping: the rectangle of a range and the range of the visible rectangle, at the top,
// the middle and the end of the text.
#include "controls/PelkoNSLayoutManager.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <benchmark/benchmark.h>

namespace {

QPlainTextEdit *gView = nullptr;

void scrollTo(double share)
{
    QScrollBar *bar = gView->verticalScrollBar();
    bar->setValue(int(bar->maximum() * share));
    QApplication::processEvents();
}

void BM_RectOfVisibleRange(benchmark::State &state)
{
    scrollTo(double(state.range(0)) / 100.0);
    const QTextBlock block = gView->cursorForPosition(QPoint(5, 40)).block();
    const Range range{block.position() + 3, 30};
    for (auto _ : state)
        benchmark::DoNotOptimize(boundingRectForTextRange(gView, range));
}
BENCHMARK(BM_RectOfVisibleRange)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

// The worst case: a range at the top of the text while the view shows its end.
void BM_RectOfFarRange(benchmark::State &state)
{
    scrollTo(1.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(boundingRectForTextRange(gView, Range{3, 30}));
}
BENCHMARK(BM_RectOfFarRange)->Unit(benchmark::kMicrosecond);

void BM_RangeOfVisibleRect(benchmark::State &state)
{
    scrollTo(double(state.range(0)) / 100.0);
    const QRectF visible(gView->viewport()->rect());
    for (auto _ : state)
        benchmark::DoNotOptimize(textRangeForBoundingRect(gView, visible));
}
BENCHMARK(BM_RangeOfVisibleRect)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString text;
    text.reserve(100000 * 48);
    for (int i = 0; i < 100000; ++i)
        text +=
            QStringLiteral("static int value%1 = %2; /* line of the pane */\n").arg(i).arg(i * 7);
    QPlainTextEdit view;
    view.setLineWrapMode(QPlainTextEdit::NoWrap);
    view.resize(900, 700);
    view.setPlainText(text);
    view.show();
    QApplication::processEvents();
    gView = &view;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
