// The zip reader beside Python's zipfile, on archives made by zipfile:
//   - listing an archive of 70,000 entries (zip64 end records),
//   - reading one deflated entry of 100 MB.
// Python's figures come from the same machine in the same run (time taken inside Python, so its
// start-up is not counted).
#include "layers/OUUnzipArchive.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

const char *kMakeArchives = R"(
import os, random, sys, zipfile
folder = sys.argv[1]
with zipfile.ZipFile(os.path.join(folder, "many.zip"), "w", zipfile.ZIP_STORED) as z:
    for i in range(70000):
        z.writestr("many/%05d.txt" % i, b"%d" % i)
random.seed(7)
words = [bytes(random.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(random.randint(2, 9)))
         for _ in range(5000)]
chunk = b" ".join(random.choice(words) for _ in range(200000)) + b"\n"
data = (chunk * (100 * 1000 * 1000 // len(chunk) + 1))[:100 * 1000 * 1000]
with zipfile.ZipFile(os.path.join(folder, "big.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("big.txt", data)
)";

const char *kPythonTimes = R"(
import os, sys, time, zipfile
folder = sys.argv[1]
best_list = best_read = 1e9
for _ in range(3):
    t = time.perf_counter()
    with zipfile.ZipFile(os.path.join(folder, "many.zip")) as z:
        n = len(z.infolist())
    best_list = min(best_list, time.perf_counter() - t)
    t = time.perf_counter()
    with zipfile.ZipFile(os.path.join(folder, "big.zip")) as z:
        size = len(z.read("big.txt"))
    best_read = min(best_read, time.perf_counter() - t)
print(n, size, best_list, best_read)
)";

struct Archives
{
    QTemporaryDir dir;
    bool ok = false;
    int pythonCount = 0;
    qint64 pythonSize = 0;
    double pythonList = 0, pythonRead = 0;

    Archives()
    {
        QProcess make;
        make.start(QStringLiteral("python3"),
                   {QStringLiteral("-c"), QString::fromLatin1(kMakeArchives), dir.path()});
        ok = make.waitForFinished(-1) && make.exitCode() == 0;
        QProcess times;
        times.start(QStringLiteral("python3"),
                    {QStringLiteral("-c"), QString::fromLatin1(kPythonTimes), dir.path()});
        times.waitForFinished(-1);
        const QList<QByteArray> fields = times.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() == 4) {
            pythonCount = fields[0].toInt();
            pythonSize = fields[1].toLongLong();
            pythonList = fields[2].toDouble();
            pythonRead = fields[3].toDouble();
        }
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

Archives &archives()
{
    static Archives a;
    return a;
}

void BM_List70000(benchmark::State &state)
{
    Archives &a = archives();
    if (!a.ok) {
        state.SkipWithError("python3 could not make the archives");
        return;
    }
    double best = 1e9;
    qsizetype count = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const auto archive = OUUnzipArchive::initWithPath(a.path("many.zip"));
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        count = archive && archive->entries() ? archive->entries()->size() : -1;
    }
    std::printf("list 70,000 entries: %lld listed in %.3f s; Python's zipfile %d in %.3f s\n",
                static_cast<long long>(count), best, a.pythonCount, a.pythonList);
}

void BM_Read100MB(benchmark::State &state)
{
    Archives &a = archives();
    if (!a.ok) {
        state.SkipWithError("python3 could not make the archives");
        return;
    }
    const auto archive = OUUnzipArchive::initWithPath(a.path("big.zip"));
    double best = 1e9;
    qsizetype size = -1;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const auto data = archive ? archive->dataForEntry(archive->entries()->at(0))
                                  : std::optional<QByteArray>();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
        size = data ? data->size() : -1;
    }
    std::printf("read a 100 MB deflated entry: %lld bytes in %.3f s; Python's zipfile %lld in "
                "%.3f s\n",
                static_cast<long long>(size), best, static_cast<long long>(a.pythonSize),
                a.pythonRead);
}

BENCHMARK(BM_List70000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Read100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
