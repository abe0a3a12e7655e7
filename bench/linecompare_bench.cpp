// The line compare and the text compare window on generated files: two 100,000-line files with
// 1% of the lines changed in scattered blocks, and two 10 MB files of long lines; and on a real
// pair given as PELKO_BENCH_REAL_PAIR=left:right. GNU diff's own time on the same files is
// measured in the same run.
#include "compare/InlineCompare.h"
#include "compare/LineCompare.h"
#include "BenchSupport.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <random>

namespace {

struct Pair
{
    QString left, right;
};
Pair gLines, gLong, gReal;

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// 100,000 lines; about 1% of them changed, inserted or deleted in blocks of 1 to 3 lines.
Pair makeLineFiles(const QString &dir)
{
    std::mt19937 rng(42);
    QByteArray a, b;
    a.reserve(5'000'000);
    b.reserve(5'000'000);
    for (int i = 0; i < 100000; ++i) {
        const QByteArray line = "line " + QByteArray::number(i) + ": the quick brown fox " +
                                QByteArray::number(i * 7) + "\n";
        a += line;
        if (rng() % 200 == 0) {
            const int kind = int(rng() % 3);
            if (kind == 0)
                b += "changed " + line;
            else if (kind == 1)
                b += line + "inserted after " + QByteArray::number(i) + "\n";
            // kind 2: deleted on the right
        } else {
            b += line;
        }
    }
    Pair p{dir + QStringLiteral("/lines1.txt"), dir + QStringLiteral("/lines2.txt")};
    writeBytes(p.left, a);
    writeBytes(p.right, b);
    return p;
}

// About 10 MB of lines of 1,000 characters; every 200th line changed in its middle.
Pair makeLongLineFiles(const QString &dir)
{
    QByteArray a, b;
    a.reserve(10'600'000);
    b.reserve(10'600'000);
    for (int i = 0; i < 10500; ++i) {
        QByteArray line;
        line.reserve(1001);
        while (line.size() < 1000)
            line += "word" + QByteArray::number((i * 31 + line.size()) % 9973) + " ";
        line.truncate(1000);
        line += '\n';
        a += line;
        if (i % 200 == 7)
            line.replace(500, 6, "CHANGE");
        b += line;
    }
    Pair p{dir + QStringLiteral("/long1.txt"), dir + QStringLiteral("/long2.txt")};
    writeBytes(p.left, a);
    writeBytes(p.right, b);
    return p;
}

void lineCompare(benchmark::State &state, const Pair *pair)
{
    size_t blocks = 0;
    for (auto _ : state) {
        auto result = LineCompare_Files(pair->left, pair->right, {});
        if (!result) {
            state.SkipWithError("line compare failed");
            return;
        }
        blocks = result->size();
    }
    state.counters["blocks"] = double(blocks);
}

void gnuDiffAlone(benchmark::State &state, const Pair *pair)
{
    for (auto _ : state) {
        QProcess diff;
        diff.setStandardOutputFile(QProcess::nullDevice());
        diff.start(GetDiffToolPath(), {QStringLiteral("-a"), pair->left, pair->right});
        if (!diff.waitForFinished(600000) || diff.exitCode() > 1) {
            state.SkipWithError("diff failed");
            return;
        }
    }
}

double diffSeconds(const Pair *pair)
{
    QElapsedTimer timer;
    timer.start();
    QProcess diff;
    diff.setStandardOutputFile(QProcess::nullDevice());
    diff.start(GetDiffToolPath(), {QStringLiteral("-a"), pair->left, pair->right});
    diff.waitForFinished(600000);
    return double(timer.nsecsElapsed()) / 1e9;
}

// From showWindow() to the first paint of a pane with its blocks shown, with the time of each
// step and the bound: 1.5 x GNU diff's time on the same files + 0.3 s. The steps overlap: the
// compare runs while the whole documents are built, and the first paint shows the head of each
// text; editable_ms is when the panes hold the whole texts.
void showWindowToFirstPaint(benchmark::State &state, const Pair *pair)
{
    double diff = 0, total = 0, shown = 0, read = 0, build = 0, compare = 0, whole = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        diff += diffSeconds(pair);
        state.ResumeTiming();
        auto window = std::make_unique<MergeEditWndCtr>();
        window->setMFile1(pair->left);
        window->setMFile2(pair->right);
        window->window()->resize(1100, 720);
        QEventLoop loop;
        QObject::connect(window->textView(1), &MyEditTextView::blocksPainted, &loop,
                         &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        window->showWindow();
        // The frame is on the screen when showWindow() returns.
        shown += double(timer.nsecsElapsed()) / 1e9;
        loop.exec();
        const double t = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(t);
        total += t;
        // Until the panes hold the whole texts and can be edited.
        while (window->isLoading() || window->isComparing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        whole += double(timer.nsecsElapsed()) / 1e9;
        const auto steps = window->loadTimings();
        read += double(steps.readNs) / 1e9;
        build += double(steps.buildNs) / 1e9;
        compare += double(steps.compareNs) / 1e9;
        ++runs;
        state.counters["blocks"] = double(window->mergeBlocks().size());
        window->window()->hide();
    }
    if (runs == 0)
        return;
    const auto ms = [runs](double s) { return 1000.0 * s / runs; };
    state.counters["frame_ms"] = ms(shown);
    state.counters["read_decode_ms"] = ms(read);
    state.counters["build_doc_ms"] = ms(build);
    state.counters["compare_ms"] = ms(compare);
    state.counters["first_paint_ms"] = ms(total);
    state.counters["editable_ms"] = ms(whole);
    state.counters["gnu_diff_ms"] = ms(diff);
    state.counters["bound_ms"] = ms(1.5 * diff + 0.3 * runs);
    state.counters["x_diff"] = total / std::max(diff, 1e-9);
    state.counters["within_bound"] = total <= 1.5 * diff + 0.3 * runs ? 1 : 0;
}

// A keystroke in a 100,000-line pair: the main thread's handling of the key, and the time from
// the recompare's start to the new blocks on screen, against diff's own time.
void keystrokeThenRecompare(benchmark::State &state, const Pair *pair)
{
    auto window = std::make_unique<MergeEditWndCtr>();
    window->setMFile1(pair->left);
    window->setMFile2(pair->right);
    window->window()->resize(1100, 720);
    window->showWindow();
    const auto waitCompared = [&] {
        QEventLoop loop;
        QObject::connect(window.get(), &MergeEditWndCtr::compareApplied, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
    };
    waitCompared();
    MyEditTextView *view = window->textView(1);
    view->setFocus();
    double key = 0, recompare = 0, diff = 0, worstKey = 0;
    int runs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(view, &press);
        const double k = double(timer.nsecsElapsed()) / 1e9;
        key += k;
        worstKey = std::max(worstKey, k);
        // The recompare itself, without the pause the window leaves for further typing.
        timer.restart();
        window->RefreshCompare();
        waitCompared();
        recompare += double(timer.nsecsElapsed()) / 1e9;
        state.PauseTiming();
        diff += diffSeconds(pair);
        state.ResumeTiming();
        ++runs;
    }
    state.counters["key_ms"] = 1000.0 * key / runs;
    state.counters["key_worst_ms"] = 1000.0 * worstKey;
    state.counters["recompare_ms"] = 1000.0 * recompare / runs;
    state.counters["gnu_diff_ms"] = 1000.0 * diff / runs;
    state.counters["within_bound"] = worstKey < 0.005 && recompare <= diff + 0.05 * runs ? 1 : 0;
}

void scrollWholeText(benchmark::State &state, const Pair *pair)
{
    auto window = std::make_unique<MergeEditWndCtr>();
    window->setMFile1(pair->left);
    window->setMFile2(pair->right);
    window->window()->resize(1100, 720);
    QEventLoop loaded;
    QObject::connect(window.get(), &MergeEditWndCtr::compareApplied, &loaded, &QEventLoop::quit);
    QTimer::singleShot(60000, &loaded, &QEventLoop::quit);
    window->showWindow();
    loaded.exec();
    MyEditTextView *view = window->textView(1);
    const qint64 lines = view->lineCount();
    qint64 pages = 0;
    for (auto _ : state) {
        // One page down, painted.
        const qint64 line = (pages * 40) % std::max<qint64>(1, lines);
        view->scrollToLine(line);
        view->viewport()->repaint();
        ++pages;
    }
    state.counters["pages"] = double(pages);
}

void inlineCompareLongLine(benchmark::State &state)
{
    QString a, b;
    for (int i = 0; i < 2000; ++i) {
        a += QStringLiteral("token%1 ").arg(i);
        b += QStringLiteral("token%1 ").arg(i % 97 == 0 ? i + 1 : i);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(CompareCharacters(a, b));
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!PrepareTextWindowBench(dir))
        return 1;
    const QString dataDir = BenchDataDir(dir);
    gLines = makeLineFiles(dataDir);
    gLong = makeLongLineFiles(dataDir);
    // A real pair (two versions of one large source file), when given.
    const QStringList real =
        QString::fromLocal8Bit(qgetenv("PELKO_BENCH_REAL_PAIR")).split(u':', Qt::SkipEmptyParts);
    if (real.size() == 2)
        gReal = {real[0], real[1]};

    benchmark::RegisterBenchmark("LineCompare/100k_lines", lineCompare, &gLines)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("GnuDiffAlone/100k_lines", gnuDiffAlone, &gLines)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ShowWindowToFirstPaint/100k_lines", showWindowToFirstPaint,
                                 &gLines)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ScrollOnePage/100k_lines", scrollWholeText, &gLines)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LineCompare/10MB_long_lines", lineCompare, &gLong)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("GnuDiffAlone/10MB_long_lines", gnuDiffAlone, &gLong)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ShowWindowToFirstPaint/10MB_long_lines", showWindowToFirstPaint,
                                 &gLong)
        ->UseManualTime()
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ScrollOnePage/10MB_long_lines", scrollWholeText, &gLong)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("KeystrokeThenRecompare/100k_lines", keystrokeThenRecompare,
                                 &gLines)
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);
    if (!gReal.left.isEmpty())
        benchmark::RegisterBenchmark("ShowWindowToFirstPaint/real_pair", showWindowToFirstPaint,
                                     &gReal)
            ->UseManualTime()
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("InlineCompare/long_line", inlineCompareLongLine)
        ->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
