// Colour runs of 10 MB of generated C and of HTML, each in one pass (goal: under 0.5 s each).
#include "layers/ColorRunParsers.h"

#include <QElapsedTimer>
#include <QString>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr qsizetype kBytes = 10 * 1000 * 1000;

QString repeatTo(const QString &unit, qsizetype size)
{
    QString text;
    text.reserve(size + unit.size() * 2);
    for (int n = 0; text.size() < size; ++n)
        text += unit.arg(n);
    return text;
}

const QString &cText()
{
    static const QString text =
        repeatTo(QStringLiteral("#include <stdio.h>\n"
                                "/* Sums the values of a table; the table may be empty. */\n"
                                "static int sum_%1(const int *values, int count)\n"
                                "{\n"
                                "    int total = 0; // running total, caf\u00e9\n"
                                "    for (int i = 0; i < count; ++i)\n"
                                "        total += values[i] * 3 - 0x1F + 2.5e-3;\n"
                                "    const char *name = \"sum \\\"%1\\\"\"; char c = '\\n';\n"
                                "    [printer print:name];\n"
                                "    return report (total);\n"
                                "}\n\n"),
                 kBytes);
    return text;
}

const QString &htmlText()
{
    static const QString text = repeatTo(
        QStringLiteral(
            "<!-- row %1 -->\n<tr class=\"row\" id=\"r%1\">\n"
            "  <td><a href=\"/items/%1?x=1&amp;y=2\">Item %1 &mdash; d\u00e9tails</a></td>\n"
            "  <td style='width: 3em'>%1&nbsp;kg</td>\n</tr>\n"),
        kBytes);
    return text;
}

void run(benchmark::State &state, const QString &text,
         void (*parse)(QStringView, QList<TEXT_BLOCK> *), const char *name)
{
    QList<TEXT_BLOCK> runs;
    double best = 1e9;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        parse(text, &runs);
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        benchmark::DoNotOptimize(runs.size());
    }
    state.counters["runs"] = double(runs.size());
    state.counters["MB"] = double(text.size()) / 1e6;
    std::printf("%s: %.1f MB, %lld runs, best %.3f s (goal < 0.5 s)\n", name,
                double(text.size()) / 1e6, static_cast<long long>(runs.size()), best);
}

void BM_ColorRunsC(benchmark::State &state)
{
    run(state, cText(), Parse_Color_C, "C colour runs");
}
void BM_ColorRunsHtml(benchmark::State &state)
{
    run(state, htmlText(), Parse_Color_HTML, "HTML colour runs");
}

BENCHMARK(BM_ColorRunsC)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ColorRunsHtml)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
