// Two one-line files of 50 MB each in the text compare window: the time until the window is
// usable (texts shown, blocks compared) and the peak resident memory of the process, then how long
// a scroll, a block's selection and taking the block take. The bound: usable within 10 s, under
// 2 GB resident. Run it from a release build; not part of CI. Each row also names its longest
// main-thread step, in wall clock and in the thread's processor time.
#include "BenchSupport.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QThread>
#include <QTextCursor>
#include <QScrollBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

QString gLeft, gRight;

// Every event the main thread's loop hands out is one step of the main thread: the application
// times each, in wall clock and in the thread's processor time (which a loaded machine does not
// stretch), and remembers the longest with what it was.
class StepTimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    struct Step
    {
        double wallMs = 0, cpuMs = 0;
        QString what;
    };
    void reset() { mLongestWall = mLongestCpu = Step(); }
    const Step &longestWall() const { return mLongestWall; }
    const Step &longestCpu() const { return mLongestCpu; }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (mDepth > 0 || QThread::currentThread() != thread())
            return QApplication::notify(receiver, event);
        ++mDepth;
        const int type = event->type();
        QElapsedTimer wall;
        wall.start();
        const qint64 cpu = ThreadCpuNs();
        const bool result = QApplication::notify(receiver, event);
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        const double cpuMs = double(ThreadCpuNs() - cpu) / 1e6;
        --mDepth;
        if (wallMs > mLongestWall.wallMs || cpuMs > mLongestCpu.cpuMs) {
            const Step step{wallMs, cpuMs, describe(receiver, type)};
            if (wallMs > mLongestWall.wallMs)
                mLongestWall = step;
            if (cpuMs > mLongestCpu.cpuMs)
                mLongestCpu = step;
        }
        return result;
    }

private:
    static QString describe(QObject *receiver, int type)
    {
        const QMetaEnum types = QMetaEnum::fromType<QEvent::Type>();
        const char *name = types.valueToKey(type);
        QString what = name ? QString::fromLatin1(name) : QString::number(type);
        what += QStringLiteral(" to ") + QString::fromLatin1(receiver->metaObject()->className());
        if (!receiver->objectName().isEmpty())
            what += QStringLiteral(" \"") + receiver->objectName() + u'"';
        for (QObject *p = receiver->parent(); p; p = p->parent())
            if (!p->objectName().isEmpty()) {
                what += QStringLiteral(" in ") + QString::fromLatin1(p->metaObject()->className()) +
                        QStringLiteral(" \"") + p->objectName() + u'"';
                break;
            }
        return what;
    }

    int mDepth = 0;
    Step mLongestWall, mLongestCpu;
};

StepTimingApplication *stepApp()
{
    return static_cast<StepTimingApplication *>(QCoreApplication::instance());
}

// The longest steps of a row, as counters, and by name on standard output.
void reportSteps(benchmark::State &state, const char *row)
{
    const StepTimingApplication::Step &wall = stepApp()->longestWall();
    const StepTimingApplication::Step &cpu = stepApp()->longestCpu();
    state.counters["longest_step_wall_ms"] = wall.wallMs;
    state.counters["longest_step_wall_its_cpu_ms"] = wall.cpuMs;
    state.counters["longest_step_cpu_ms"] = cpu.cpuMs;
    std::printf("%s: longest main-thread step %.1f ms wall (%.1f ms processor time): %s\n"
                "%s: most processor time in one step %.1f ms (%.1f ms wall): %s\n",
                row, wall.wallMs, wall.cpuMs, qPrintable(wall.what), row, cpu.cpuMs, cpu.wallMs,
                qPrintable(cpu.what));
}

bool writeOneLine(const QString &path, qsizetype size, char changed)
{
    QByteArray line(size, 'a');
    for (qsizetype i = 0; i < size; i += 7)
        line[i] = char('a' + (i / 7) % 26);
    line[size / 2] = changed;
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(line) == line.size();
}

// Text of lowercase words on one line, the same for every run.
QByteArray wordsLine(qsizetype size)
{
    QByteArray line(size, ' ');
    quint32 state = 12345;
    for (qsizetype i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        const quint32 pick = (state >> 24) % 32;
        line[i] = pick < 26 ? char('a' + pick) : ' ';
    }
    return line;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The peak resident memory since the last reset (Linux keeps it per process).
void resetPeakResident()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double peakResidentSinceResetMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

double peakResidentMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void openFiftyMegabytePair(benchmark::State &state)
{
    double usable = 0, diff = 0, firstPaint = 0, scrollPaint = 0, select = 0, take = 0;
    bool exact = false;
    double rssUsable = 0, rssSelect = 0, key = 0, recompare = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess gnu;
        gnu.setStandardOutputFile(QProcess::nullDevice());
        gnu.start(QStringLiteral("diff"), {QStringLiteral("-a"), gLeft, gRight});
        gnu.waitForFinished(600000);
        diff = double(timer.nsecsElapsed()) / 1e9;

        auto window = std::make_unique<MergeEditWndCtr>();
        window->setMFile1(gLeft);
        window->setMFile2(gRight);
        window->window()->resize(1100, 720);
        QEventLoop loop;
        QObject::connect(window->textView(1), &MyEditTextView::blocksPainted, &loop,
                         &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        timer.restart();
        stepApp()->reset();
        window->showWindow();
        loop.exec();
        firstPaint = double(timer.nsecsElapsed()) / 1e9;
        // Usable: the panes hold the whole texts, compared.
        while (window->isLoading() || window->isComparing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        usable = double(timer.nsecsElapsed()) / 1e9;
        reportSteps(state, "OpenWindow, until usable");
        state.SetIterationTime(usable);
        state.counters["blocks"] = double(window->mergeBlocks().size());
        state.counters["rows"] = double(window->textView(1)->document()->blockCount());
        exact = window->GetTextInView1().size() == QFileInfo(gLeft).size();
        rssUsable = peakResidentMb();

        // Still usable: a scroll to the middle of the line painted, the block selected (the
        // in-line compare shows the changed characters), the block taken and compared again.
        MyEditTextView *pane = window->textView(1);
        timer.restart();
        pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum() / 2);
        pane->viewport()->repaint();
        scrollPaint = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        window->selectBlock(0);
        pane->viewport()->repaint();
        select = double(timer.nsecsElapsed()) / 1e6;
        rssSelect = peakResidentMb();
        // A key typed in the middle of the line, and the compare after it.
        QTextCursor cursor(pane->document());
        cursor.setPosition(pane->document()->characterCount() / 2);
        pane->setTextCursor(cursor);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
        timer.restart();
        QCoreApplication::sendEvent(pane, &press);
        QCoreApplication::sendEvent(pane, &release);
        key = double(timer.nsecsElapsed()) / 1e6;
        while (window->isComparing() || window->blocksOutOfDate())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        recompare = double(timer.nsecsElapsed()) / 1e9;
        window->selectBlock(0);
        timer.restart();
        window->Merge_CopyBlock(2, 0);
        while (window->isComparing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        take = double(timer.nsecsElapsed()) / 1e9;
        exact = exact && window->GetTextInView1().size() == QFileInfo(gRight).size();
        // Closed without saving the block taken.
        window->setMTextWasEdited1(false);
        window->setMTextWasEdited2(false);
        window->window()->close();
    }
    const double rss = peakResidentMb();
    state.counters["first_paint_s"] = firstPaint;
    state.counters["scroll_paint_ms"] = scrollPaint;
    state.counters["select_block_ms"] = select;
    state.counters["take_block_s"] = take;
    state.counters["key_ms"] = key;
    state.counters["recompare_after_key_s"] = recompare;
    state.counters["text_exact"] = exact ? 1 : 0;
    state.counters["usable_s"] = usable;
    state.counters["gnu_diff_s"] = diff;
    state.counters["peak_rss_mb"] = rss;
    state.counters["peak_rss_usable_mb"] = rssUsable;
    state.counters["peak_rss_select_mb"] = rssSelect;
    state.counters["within_bound"] = usable < 10.0 && rss < 2048.0 ? 1 : 0;
}

// Two one-line texts of 50 MB, the right one with five small edits (two letters changed, two
// words put in, one letter taken out) spread evenly over `spread` characters around the middle.
// Ready: the window shows both texts, their block and the changed characters of that block.
void inlineCompareSpread(benchmark::State &state)
{
    const qsizetype size = qsizetype(qEnvironmentVariableIntValue("PELKO_BENCH_MB") > 0
                                         ? qEnvironmentVariableIntValue("PELKO_BENCH_MB")
                                         : 50) *
                           1'000'000;
    const qsizetype spread = std::min<qsizetype>(qsizetype(state.range(0)) * 1'000, size - 10);
    const QString left = QFileInfo(gLeft).dir().filePath(QStringLiteral("spread-1.txt"));
    const QString right = QFileInfo(gLeft).dir().filePath(QStringLiteral("spread-2.txt"));
    {
        const QByteArray a = wordsLine(size);
        QByteArray b = a;
        const qsizetype first = (size - spread) / 2;
        // From the back, so that earlier places stay where they were.
        b.remove(first + spread, 1);
        b.insert(first + spread * 3 / 4, "XYZ");
        b[first + spread / 2] = '#';
        b.insert(first + spread / 4, "QQ");
        b[first] = '@';
        if (!writeBytes(left, a) || !writeBytes(right, b)) {
            state.SkipWithError("cannot write the pair");
            return;
        }
    }
    double ready = 0, rss = 0, longestStep = 0, selected = 0, longestAfterSelected = 0;
    qint64 marks1 = 0, marks2 = 0;
    for (auto _ : state) {
        resetPeakResident();
        auto window = std::make_unique<MergeEditWndCtr>();
        window->setMFile1(left);
        window->setMFile2(right);
        window->window()->resize(1100, 720);
        // The longest time the main thread went without coming back to its event loop.
        QElapsedTimer beat;
        qint64 longestNs = 0;
        QTimer heartbeat;
        heartbeat.setInterval(2);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            longestNs = std::max(longestNs, beat.nsecsElapsed());
            beat.restart();
        });
        QElapsedTimer timer;
        timer.start();
        beat.start();
        heartbeat.start();
        stepApp()->reset();
        window->showWindow();
        const auto marked = [&] {
            return !window->textView(1)->extraSelections().isEmpty() &&
                   !window->textView(2)->extraSelections().isEmpty();
        };
        // Selected: the texts are in the panes, compared, and the block is shown.
        qint64 longestBeforeSelectedNs = -1;
        while (window->isLoading() || window->isComparing() || window->currentBlock() < 0 ||
               !marked()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (longestBeforeSelectedNs < 0 && window->currentBlock() >= 0) {
                selected = double(timer.nsecsElapsed()) / 1e9;
                longestBeforeSelectedNs = longestNs;
                longestNs = 0;
            }
            if (timer.elapsed() > 120000)
                break;
        }
        longestAfterSelected = double(longestNs) / 1e6;
        longestNs = std::max(longestNs, longestBeforeSelectedNs);
        ready = double(timer.nsecsElapsed()) / 1e9;
        heartbeat.stop();
        reportSteps(
            state,
            qPrintable(
                QStringLiteral("InlineCompare spread %1 k, until ready").arg(state.range(0))));
        rss = peakResidentSinceResetMb();
        longestStep = double(longestNs) / 1e6;
        state.SetIterationTime(ready);
        marks1 = window->textView(1)->extraSelections().size();
        marks2 = window->textView(2)->extraSelections().size();
        window->window()->close();
    }
    state.counters["ready_s"] = ready;
    state.counters["block_shown_s"] = selected;
    state.counters["longest_step_after_block_shown_ms"] = longestAfterSelected;
    state.counters["peak_rss_mb"] = rss;
    state.counters["longest_main_thread_step_ms"] = longestStep;
    state.counters["marks_left"] = double(marks1);
    state.counters["marks_right"] = double(marks2);
    state.counters["within_bound"] = ready < 1.2 && rss < 600 && longestStep <= 50 ? 1 : 0;
    QFile::remove(left);
    QFile::remove(right);
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    StepTimingApplication app(argc, argv);
    QTemporaryDir dir;
    if (!PrepareTextWindowBench(dir))
        return 1;
    const QString dataDir = BenchDataDir(dir);
    gLeft = dataDir + QStringLiteral("/one-line-1.txt");
    gRight = dataDir + QStringLiteral("/one-line-2.txt");
    // PELKO_BENCH_MB picks another size (in megabytes), to profile a smaller pair.
    const qint64 megabytes = qEnvironmentVariableIntValue("PELKO_BENCH_MB") > 0
                                 ? qEnvironmentVariableIntValue("PELKO_BENCH_MB")
                                 : 50;
    const qsizetype size = qsizetype(megabytes) * 1'000'000;
    if (!writeOneLine(gLeft, size, 'X') || !writeOneLine(gRight, size, 'Y'))
        return 1;
    benchmark::RegisterBenchmark("OpenWindow/50MB_one_line_pair", openFiftyMegabytePair)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kSecond);
    // The spread of the edits, in thousands of characters: 1 k characters to the whole line.
    benchmark::RegisterBenchmark("InlineCompare/50MB_one_line_pair", inlineCompareSpread)
        ->ArgName("spread_k")
        ->Arg(1)
        ->Arg(100)
        ->Arg(1'000)
        ->Arg(10'000)
        ->Arg(38'900)
        ->Arg(49'990)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
