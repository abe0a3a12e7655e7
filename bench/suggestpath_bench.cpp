// Suggestions while a path is typed, in a folder of 50,000 entries: the time of each keystroke
// (the list is rebuilt after every key), against the floor: find listing the same folder with a
// name test, run in the same pass. Aim: under 50 ms per keystroke.
#include "compare/SuggestSubPathList.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace {

constexpr int kEntries = 50000;

QString makeFolder(const QTemporaryDir &tmp)
{
    const QString dir = tmp.path() + QStringLiteral("/big");
    QDir().mkpath(dir);
    for (int i = 0; i < kEntries; ++i) {
        // A mix of files and folders, names in several letter cases.
        const QString name = QStringLiteral("%1_Report_%2%3")
                                 .arg(i % 3 == 0 ? QStringLiteral("doc") : QStringLiteral("Img"))
                                 .arg(i, 5, 10, QLatin1Char('0'))
                                 .arg(i % 7 == 0 ? QString() : QStringLiteral(".txt"));
        if (i % 7 == 0) {
            QDir().mkdir(dir + QLatin1Char('/') + name);
        } else {
            QFile f(dir + QLatin1Char('/') + name);
            f.open(QIODevice::WriteOnly);
        }
    }
    return dir;
}

double findFloorMs(const QString &dir, const QString &part)
{
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    find.start(QStringLiteral("find"),
               {dir, QStringLiteral("-maxdepth"), QStringLiteral("1"), QStringLiteral("-iname"),
                QLatin1Char('*') + part + QLatin1Char('*')});
    find.waitForFinished(-1);
    return double(t.nsecsElapsed()) / 1e6;
}

void BM_SuggestPerKeystroke(benchmark::State &state)
{
    QTemporaryDir tmp;
    const QString dir = makeFolder(tmp);
    const QString typed = dir + QStringLiteral("/doc_report_0");
    const int start = int(dir.size()) + 1;
    std::vector<double> keyMs, floorMs;
    qsizetype shown = 0;
    for (auto _ : state) {
        for (int len = start; len <= typed.size(); ++len) {
            QElapsedTimer t;
            t.start();
            const QStringList list = SuggestSubPathList(typed.left(len));
            keyMs.push_back(double(t.nsecsElapsed()) / 1e6);
            shown = list.size();
            benchmark::DoNotOptimize(list);
        }
        floorMs.push_back(findFloorMs(dir, QStringLiteral("doc_report_0")));
    }
    std::sort(keyMs.begin(), keyMs.end());
    std::sort(floorMs.begin(), floorMs.end());
    const double median = keyMs[keyMs.size() / 2], worst = keyMs.back();
    const double floor = floorMs[floorMs.size() / 2];
    state.counters["median_ms"] = median;
    state.counters["worst_ms"] = worst;
    std::printf("\n%d entries: per keystroke median %.1f ms, worst %.1f ms (aim 50 ms); "
                "find -iname %.1f ms; ratio median/find %.2f; last list %lld paths\n",
                kEntries, median, worst, floor, median / floor, qlonglong(shown));
}
BENCHMARK(BM_SuggestPerKeystroke)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
