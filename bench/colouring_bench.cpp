// Syntax colouring of large texts in an editor view, on generated C++ sources:
//   - the first screen after the view is shown (10 MB text),
//   - a jump to the end of the text (only what is shown may be scanned),
//   - an edit at the top of a 5 MB comment (must finish within one 0.5 s pass),
//   - typing one character (the colouring part of it),
//   - a 1 MB page and a 1 MB minified script on one line against the same tokens one per line
//     (the runs of one line must not cost more per token than those of many),
//   - a page of 50,000 and 100,000 tags in the text compare window, one per line and all on one
//     line: the time until both panes show their text compared and coloured (goal: one line
//     within twice the time of one per line and 0.3 s), and paging down the left pane (goal:
//     under 50 ms a page).
#include "BenchSupport.h"
#include "foundation/CoverInfor.h"
#include "themes/LanguageColorInfo.h"
#include "themes/LanguageColorInfoDelegate.h"
#include "themes/LanguageList.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SyntaxColorRuns.h"
#include "themes/SyntaxTextView.h"
#include "textcompare/MergeEditWndCtr.h"
#include "textcompare/MyEditTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace {

// Whether a pane painted its view, coloured, since the last forget(), seen through the paint
// events of its viewport.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(MyEditTextView *pane) : mPane(pane)
    {
        pane->viewport()->installEventFilter(this);
    }
    ~PaintWatch() override
    {
        if (mPane)
            mPane->viewport()->removeEventFilter(this);
    }
    void forget() { mPainted = false; }
    bool paintedColoured() const { return mPainted; }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && mPane && mPane->isVisibleTextColoured())
            mPainted = true;
        return false;
    }

private:
    QPointer<MyEditTextView> mPane;
    bool mPainted = false;
};

// Roughly 10 MB of C++ with comments, strings, characters and numbers.
QString generateSource(qint64 bytes)
{
    const QString unit =
        QStringLiteral("/* Sums the values of a table; the table may be empty. */\n"
                       "static int sum_%1(const int *values, int count)\n"
                       "{\n"
                       "    int total = 0; // running total\n"
                       "    for (int i = 0; i < count; ++i)\n"
                       "        total += values[i] * 3 - 0x1F + 2.5e-3;\n"
                       "    const char *name = \"sum \\\"%1\\\"\"; char c = '\\n';\n"
                       "    return total;\n"
                       "}\n\n");
    QString text;
    text.reserve(bytes + unit.size() * 2);
    for (int n = 0; text.size() < bytes; ++n)
        text += unit.arg(n);
    return text;
}

// Code, then a comment of about 5 MB, then code again.
QString generateHugeComment(qint64 bytes)
{
    QString text = QStringLiteral("int before = 1;\n/* start of a long comment\n");
    const QString line =
        QStringLiteral(" * int this line is inside the comment, \"not a string\"\n");
    text.reserve(bytes + 1000);
    while (text.size() < bytes)
        text += line;
    text += QStringLiteral(" */\nint after = 2;\n");
    return text;
}

std::shared_ptr<MyLanguageInfo> languageNamed(const char *name)
{
    const QString source = QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() +
                           QStringLiteral("/../resources/languages/") + QString::fromLatin1(name) +
                           QStringLiteral(".esy");
    auto language = MyLanguageInfo::createFromFile(source, false);
    if (!language) {
        std::fprintf(stderr, "cannot read the language definition %s\n", name);
        std::exit(2);
    }
    return language;
}

std::shared_ptr<MyLanguageInfo> cppLanguage()
{
    return languageNamed("Cpp");
}

// Units of about `bytes` of markup or script, each a handful of tokens; %1 numbers them.
QStringList unitsOf(const QString &pattern, qint64 bytes)
{
    QStringList units;
    qint64 size = 0;
    for (int i = 0; size < bytes; ++i) {
        units << pattern.arg(i);
        size += units.back().size();
    }
    return units;
}

const QString kPageUnit = QStringLiteral(
    "<div class=\"row r%1\" data-id='%1'><a href=\"/p/%1?a=1&amp;b=2\">item %1</a><span>%1.5"
    "</span></div>");
const QString kScriptUnit = QStringLiteral(
    "function f%1(a,b){var c=a*%1+b/2.5;if(c>0x1f){return \"p:\"+c}return 'n'+c.toString(16)};");

// The colourer and the run list alone, as a pane drives them, without a view's layout.
class RunsOnly : public LanguageColorInfoDelegate
{
public:
    explicit RunsOnly(const QString &text) : mRuns(&mDocument) { mDocument.setPlainText(text); }
    void setTextInRange(Range range, int colorIndex) override { mRuns.paint(range, colorIndex); }
    void setCommentColorForTextInRange(Range range) override { mRuns.paint(range, 999); }
    QTextDocument *getMyTextStorage() override { return &mDocument; }
    int paintedColorIndexAt(qint64 position) override { return mRuns.colorIndexAt(position); }
    SyntaxColorRuns &runs() { return mRuns; }

private:
    QTextDocument mDocument;
    SyntaxColorRuns mRuns;
};

struct LineFigures
{
    double oneLineMs = -1;
    double linesMs = -1;
    qint64 characters = 0;
};
LineFigures gPageFigures, gScriptFigures;

bool visibleDone(SyntaxTextView &view)
{
    return view.colorInfo().doneRanges().indexThatContainsRange(view.visibleCharacterRange()) !=
           NotFound;
}

// Runs the event loop until the shown text is coloured; answers the milliseconds it took.
double waitUntilColoured(SyntaxTextView &view, const QElapsedTimer &clock, int *passes = nullptr)
{
    int count = 0;
    while (!visibleDone(view) && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ++count;
    }
    if (passes)
        *passes = count;
    return double(clock.nsecsElapsed()) / 1e6;
}

qint64 colouredCharacters(SyntaxTextView &view)
{
    qint64 total = 0;
    for (const Range &r : view.colorInfo().doneRanges().ranges())
        total += r.length;
    return total;
}

struct Figures
{
    double qtShowMs = -1;
    double firstScreenMs = -1;
    double scrollToEndMs = -1;
    qint64 colouredAfterScroll = -1;
    qint64 textLength = 0;
    double hugeCommentEditMs = -1;
    bool hugeCommentOnePass = false;
    double typingMs = -1;
    double typingEditMs = -1;
} gFigures;

void BM_FirstScreen(benchmark::State &state)
{
    for (auto _ : state) {
        SyntaxTextView view;
        view.resize(900, 900);
        view.setPlainText(generateSource(10 * 1024 * 1024));
        view.setLanguage(cppLanguage());
        gFigures.textLength = view.document()->characterCount() - 1;
        // Showing a 10 MB plain-text editor costs Qt its own layout time, with or without
        // colouring; the colouring is measured from the moment the view is shown.
        QElapsedTimer clock;
        clock.start();
        view.show();
        gFigures.qtShowMs = double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        const double ms = waitUntilColoured(view, clock);
        state.SetIterationTime(ms / 1000);
        gFigures.firstScreenMs = ms;

        clock.restart();
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        gFigures.scrollToEndMs = waitUntilColoured(view, clock);
        gFigures.colouredAfterScroll = colouredCharacters(view);
        state.counters["coloured_chars"] = double(gFigures.colouredAfterScroll);
    }
}
BENCHMARK(BM_FirstScreen)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EditAtTopOfHugeComment(benchmark::State &state)
{
    for (auto _ : state) {
        SyntaxTextView view;
        view.resize(900, 900);
        view.setPlainText(generateHugeComment(5 * 1024 * 1024));
        view.setLanguage(cppLanguage());
        view.show();
        QElapsedTimer clock;
        clock.start();
        waitUntilColoured(view, clock);

        QTextCursor cursor(view.document());
        cursor.setPosition(int(view.toPlainText().indexOf(QStringLiteral("long comment"))));
        clock.restart();
        cursor.insertText(QStringLiteral("very "));
        int passes = 0;
        const double ms = waitUntilColoured(view, clock, &passes);
        state.SetIterationTime(ms / 1000);
        gFigures.hugeCommentEditMs = ms;
        gFigures.hugeCommentOnePass = ms < 500 && visibleDone(view);
        // The comment's end is found again: the code after it is coloured when shown.
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
        clock.restart();
        waitUntilColoured(view, clock);
        const qint64 after = view.toPlainText().lastIndexOf(QStringLiteral("int after"));
        state.counters["code_after_comment_ok"] = view.paintedColorIndexAt(after) != 999;
    }
}
BENCHMARK(BM_EditAtTopOfHugeComment)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_TypeCharacter(benchmark::State &state)
{
    SyntaxTextView view;
    view.resize(900, 900);
    view.setPlainText(generateSource(10 * 1024 * 1024));
    view.setLanguage(cppLanguage());
    view.show();
    QElapsedTimer clock;
    clock.start();
    waitUntilColoured(view, clock);
    const int middle = view.document()->characterCount() / 2;
    view.setTextCursor(QTextCursor(view.document()->findBlock(middle)));
    view.centerCursor();
    waitUntilColoured(view, clock);

    double total = 0;
    double editTotal = 0;
    qint64 count = 0;
    for (auto _ : state) {
        QTextCursor cursor = view.textCursor();
        QElapsedTimer edit;
        edit.start();
        cursor.insertText(QStringLiteral("x")); // Qt's edit, with the colourer's edit hook
        editTotal += double(edit.nsecsElapsed()) / 1e6;
        // The colouring part: forgetting around the edit happened in the change signal; now
        // the view colours what it shows again.
        QElapsedTimer one;
        one.start();
        view.colorVisibleText();
        const double ms = double(one.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000);
        total += ms;
        ++count;
    }
    gFigures.typingMs = count ? total / double(count) : -1;
    gFigures.typingEditMs = count ? editTotal / double(count) : -1;
}
BENCHMARK(BM_TypeCharacter)->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Colours the whole text pass by pass and turns the runs into formats; milliseconds.
double colourWhole(const QString &text, const std::shared_ptr<MyLanguageInfo> &language)
{
    RunsOnly runs(text);
    LanguageColorInfo info;
    info.setDelegate(&runs);
    info.setLanguage(language);
    QElapsedTimer clock;
    clock.start();
    while (info.parseInRangeIfNeed(Range{0, text.size()})) {
    }
    runs.runs().applyFormats(0, text.size());
    return double(clock.nsecsElapsed()) / 1e6;
}

// Arg 0: a page, 1: a minified script. Arg 1: 0 one unit per line, 1 all on one line.
void BM_OneLongLine(benchmark::State &state)
{
    const bool script = state.range(0) == 1;
    const bool oneLine = state.range(1) == 1;
    const QStringList units = unitsOf(script ? kScriptUnit : kPageUnit, 1 << 20);
    const QString text = units.join(oneLine ? QString() : QStringLiteral("\n"));
    const auto language = languageNamed(script ? "JavaScript" : "HTML");
    LineFigures &figures = script ? gScriptFigures : gPageFigures;
    for (auto _ : state) {
        const double ms = colourWhole(text, language);
        state.SetIterationTime(ms / 1000);
        (oneLine ? figures.oneLineMs : figures.linesMs) = ms;
        figures.characters = text.size();
    }
}
BENCHMARK(BM_OneLongLine)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A page of `tags` short elements (about 17 characters each), one per line or all on one line;
// the right side has one changed in the middle.
QByteArray pageOfTags(int tags, bool oneLine, bool right)
{
    QByteArray page;
    page.reserve(qsizetype(tags) * 18);
    for (int i = 0; i < tags; ++i) {
        page +=
            "<a id=" + QByteArray::number(i) + ">" + (right && i == tags / 2 ? "y" : "x") + "</a>";
        if (!oneLine)
            page += '\n';
    }
    return page;
}

struct PageFigures
{
    double readyMs = -1;
    double slowestPageMs = -1, slowestPageCpuMs = -1, meanPageMs = -1;
    double keyMs = -1, keyCpuMs = -1;
    qint64 characters = 0, rows = 0;
};
std::map<std::pair<int, bool>, PageFigures> gPageInWindow;

// Arg 0: thousands of tags. Arg 1: 0 one per line, 1 all on one line.
void BM_PageInWindow(benchmark::State &state)
{
    const int tags = int(state.range(0)) * 1000;
    const bool oneLine = state.range(1) == 1;
    QTemporaryDir dir;
    if (!PrepareTextWindowBench(dir)) {
        state.SkipWithError("no support folder");
        return;
    }
    const QString left = BenchDataDir(dir) + QStringLiteral("/page-left.html");
    const QString right = BenchDataDir(dir) + QStringLiteral("/page-right.html");
    for (const auto &[path, isRight] : {std::pair{left, false}, std::pair{right, true}}) {
        QFile f(path);
        const QByteArray bytes = pageOfTags(tags, oneLine, isRight);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the pages");
            return;
        }
    }
    if (Setup_gAppLanguageInfoList() == 0) {
        state.SkipWithError("no syntax languages in the bundle");
        return;
    }
    PageFigures &figures = gPageInWindow[{tags, oneLine}];
    for (auto _ : state) {
        auto window = std::make_unique<MergeEditWndCtr>();
        window->setMFile1(left);
        window->setMFile2(right);
        window->window()->resize(1100, 720);
        QElapsedTimer clock;
        clock.start();
        window->showWindow();
        const auto ready = [&] {
            return !window->isLoading() && !window->isComparing() &&
                   window->textView(1)->isVisibleTextColoured() &&
                   window->textView(2)->isVisibleTextColoured();
        };
        while (!ready() && clock.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::processEvents(); // the paint of what is ready
        if (!window->textView(1)->language()) {
            state.SkipWithError("the page is not coloured");
            return;
        }
        figures.readyMs = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(figures.readyMs / 1000);

        // Page by page from the top, each page shown coloured and painted in both panes.
        MyEditTextView *pane = window->textView(1);
        pane->setFocus();
        pane->moveCursor(QTextCursor::Start);
        QCoreApplication::processEvents();
        double slowest = 0, slowestCpu = 0, total = 0;
        // A page counts once both panes have painted it, as a user sees it: painting them again
        // on top would count every paint twice.
        PaintWatch painted1(window->textView(1));
        PaintWatch painted2(window->textView(2));
        // PELKO_BENCH_PAGES pages more (to profile the paging alone).
        const int kPages = qEnvironmentVariableIntValue("PELKO_BENCH_PAGES") > 0
                               ? qEnvironmentVariableIntValue("PELKO_BENCH_PAGES")
                               : 40;
        for (int page = 0; page < kPages; ++page) {
            QElapsedTimer one;
            one.start();
            const qint64 cpu = ThreadCpuNs();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
            painted1.forget();
            painted2.forget();
            const int top1 = window->textView(1)->verticalScrollBar()->value();
            const int top2 = window->textView(2)->verticalScrollBar()->value();
            QCoreApplication::sendEvent(pane, &press);
            QCoreApplication::sendEvent(pane, &release);
            while (!pane->isVisibleTextColoured() && one.elapsed() < 20000)
                QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            // A paint asked for while colouring may still be waiting for its turn.
            // A pane that did not move has nothing new to paint.
            const bool moved1 = window->textView(1)->verticalScrollBar()->value() != top1;
            const bool moved2 = window->textView(2)->verticalScrollBar()->value() != top2;
            while (!((!moved1 || painted1.paintedColoured()) &&
                     (!moved2 || painted2.paintedColoured())) &&
                   one.elapsed() < 20000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            const double ms = double(one.nsecsElapsed()) / 1e6;
            slowest = std::max(slowest, ms);
            slowestCpu = std::max(slowestCpu, double(ThreadCpuNs() - cpu) / 1e6);
            total += ms;
        }
        // A key typed where the pane now stands, until what is in view is coloured again.
        {
            QElapsedTimer one;
            one.start();
            const qint64 cpu = ThreadCpuNs();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
            QCoreApplication::sendEvent(pane, &press);
            QCoreApplication::sendEvent(pane, &release);
            while (!pane->isVisibleTextColoured() && one.elapsed() < 20000)
                QCoreApplication::processEvents();
            pane->viewport()->repaint();
            figures.keyMs = double(one.nsecsElapsed()) / 1e6;
            figures.keyCpuMs = double(ThreadCpuNs() - cpu) / 1e6;
            window->setMTextWasEdited1(false);
        }
        figures.slowestPageMs = slowest;
        figures.slowestPageCpuMs = slowestCpu;
        figures.meanPageMs = total / kPages;
        figures.characters = pane->plainText().size();
        figures.rows = pane->document()->blockCount();
        state.counters["slowest_page_ms"] = slowest;
        state.counters["slowest_page_cpu_ms"] = slowestCpu;
        window->window()->close();
    }
}
BENCHMARK(BM_PageInWindow)
    ->Args({50, 0})
    ->Args({50, 1})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void printPageInWindowFigures()
{
    std::printf("\nA page of tags in the text compare window: ready (compared, coloured in view), "
                "then paging down\n");
    for (const auto &[key, f] : gPageInWindow) {
        std::printf("  %6d tags %-12s %8lld chars %6lld rows: ready %8.1f ms", key.first,
                    key.second ? "on one line" : "one per line",
                    static_cast<long long>(f.characters), static_cast<long long>(f.rows),
                    f.readyMs);
        const auto perLine = gPageInWindow.find({key.first, false});
        if (key.second && perLine != gPageInWindow.end())
            std::printf(" (goal %.1f ms)", 2 * perLine->second.readyMs + 300);
        std::printf("; a page: slowest %6.1f ms (%6.1f ms processor time), mean %6.1f ms (goal: "
                    "under 50 ms); a key typed %6.1f ms (%6.1f ms processor time)\n",
                    f.slowestPageMs, f.slowestPageCpuMs, f.meanPageMs, f.keyMs, f.keyCpuMs);
    }
}

void printLineFigures(const char *name, const LineFigures &f)
{
    std::printf("  %-8s %8lld characters: one per line %8.1f ms, on one line %8.1f ms (x%.2f, "
                "goal: under x2)\n",
                name, static_cast<long long>(f.characters), f.linesMs, f.oneLineMs,
                f.linesMs > 0 ? f.oneLineMs / f.linesMs : 0.0);
}

void printScreenFigures()
{
    std::printf("\nSyntax colouring figures\n");
    std::printf("  text length                      %lld characters\n",
                static_cast<long long>(gFigures.textLength));
    std::printf("  showing the editor (Qt alone)    %8.2f ms\n", gFigures.qtShowMs);
    std::printf("  first screen coloured after show %8.2f ms   (goal: under 50 ms)\n",
                gFigures.firstScreenMs);
    std::printf("  jump to the end, coloured        %8.2f ms\n", gFigures.scrollToEndMs);
    std::printf("  characters coloured in all       %lld   (only what was shown)\n",
                static_cast<long long>(gFigures.colouredAfterScroll));
    std::printf("  edit at the top of a 5 MB comment %7.2f ms   %s\n", gFigures.hugeCommentEditMs,
                gFigures.hugeCommentOnePass ? "(one pass, under 0.5 s)" : "(MORE THAN ONE PASS)");
    std::printf("  typing one character, colouring  %8.3f ms   (goal: under 5 ms)\n",
                gFigures.typingMs);
    std::printf("  the edit itself, Qt and hook     %8.3f ms\n", gFigures.typingEditMs);
}

void printFigures()
{
    if (gFigures.textLength > 0)
        printScreenFigures();
    if (gPageFigures.characters > 0 || gScriptFigures.characters > 0)
        std::printf("\nColouring a whole text, the same tokens one per line and on one line\n");
    if (gPageFigures.characters > 0)
        printLineFigures("page", gPageFigures);
    if (gScriptFigures.characters > 0)
        printLineFigures("script", gScriptFigures);
    if (!gPageInWindow.empty())
        printPageInWindowFigures();
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFigures();
    return 0;
}
