// The layout questions the gutter and the colourer ask on every paint, on a 100,000-line pane
// without wrapping: the rectangle of a range and the range of the visible rectangle, at the top,
// the middle and the end of the text. Then a compare pane of the same size: scrolling it with the
// wheel, each step painted, with the marks of invisible characters off and on, and opening the
// text in it.
#include "controls/PelkoNSLayoutManager.h"
#include "textcompare/MyEditTextView.h"

#include <QApplication>
#include <QFontDatabase>
#include <QWheelEvent>
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

QString paneText()
{
    QString text;
    text.reserve(100000 * 56);
    for (int i = 0; i < 100000; ++i)
        text += QStringLiteral("\tstatic int value%1 = %2; /* line of the pane */  \n")
                    .arg(i)
                    .arg(i * 7);
    return text;
}

void preparePane(MyEditTextView &pane, bool marks)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    pane.setFont(font);
    pane.setTabStopDistance(4 * QFontMetricsF(font).horizontalAdvance(u' '));
    pane.resize(900, 700);
    pane.setInvisibleMarks(marks ? InvisibleMarks{true, true, true} : InvisibleMarks{});
}

// One notch of the wheel, the whole view painted. Arg: marks off (0) or all marks on (1); the
// goal: marks on cost at most 1.2 times marks off.
void BM_WheelScrollPane(benchmark::State &state)
{
    MyEditTextView pane;
    preparePane(pane, state.range(0) == 1);
    pane.loadText(paneText());
    pane.show();
    QApplication::processEvents();
    QWidget *viewport = pane.viewport();
    const QPointF at(200, 200);
    for (auto _ : state) {
        if (pane.verticalScrollBar()->value() >= pane.verticalScrollBar()->maximum()) {
            state.PauseTiming();
            pane.verticalScrollBar()->setValue(0);
            QApplication::processEvents();
            state.ResumeTiming();
        }
        QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        viewport->repaint();
    }
}
BENCHMARK(BM_WheelScrollPane)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The 100,000-line text put in and its first screen painted. Arg: marks off (0) or on (1); with
// marks off nothing of them is looked at.
void BM_OpenPane(benchmark::State &state)
{
    const QString text = paneText();
    for (auto _ : state) {
        MyEditTextView pane;
        preparePane(pane, state.range(0) == 1);
        pane.loadText(text);
        pane.show();
        pane.viewport()->repaint();
    }
}
BENCHMARK(BM_OpenPane)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
