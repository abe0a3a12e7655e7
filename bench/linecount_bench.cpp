// Source line counting over every file of the system's C and C++ headers (Qt 6's included) with
// the C++ definition. Google Benchmark times the counting pass alone on the texts in memory; the
// tree run (read, decode, count) is timed against `wc -l` and `cloc` on the same files, and the
// line totals are compared with `wc -l` file by file.
#include "services/SupportFolder.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SourceLineCount.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

struct Source
{
    QString path;
    qint64 bytes = 0;
    QString text;
};

std::shared_ptr<MyLanguageInfo> gCpp;
QList<Source> gSources;
qint64 gBytes = 0;

QStringList headerRoots()
{
    QStringList roots{QStringLiteral("/usr/include")};
    const QString qt = QStringLiteral(PELKO_QT_INCLUDE_DIR);
    const QString qtCanonical = QFileInfo(qt).canonicalFilePath();
    if (!qtCanonical.isEmpty() && !qtCanonical.startsWith(QStringLiteral("/usr/include/")))
        roots << qtCanonical;
    return roots;
}

QStringList listFiles(const QStringList &roots)
{
    QSet<QString> seen;
    QStringList files;
    for (const QString &root : roots) {
        QDirIterator it(root, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!seen.contains(path)) {
                seen.insert(path);
                files << path;
            }
        }
    }
    files.sort();
    return files;
}

bool readSource(const QString &path, Source *out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    out->path = path;
    out->bytes = bytes.size();
    out->text = QString::fromUtf8(bytes);
    return true;
}

qint64 countOne(const QString &text, qint64 *total)
{
    qint64 comment = 0, code = 0, blank = 0;
    SrcCount_RemoveComment_AndString(gCpp.get(), text, true, true, false, total, &comment, &code,
                                     &blank, nullptr, nullptr);
    return code;
}

void BM_CountingPass(benchmark::State &state)
{
    for (auto _ : state) {
        qint64 code = 0;
        for (const Source &s : gSources) {
            qint64 total = 0;
            code += countOne(s.text, &total);
        }
        benchmark::DoNotOptimize(code);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * gBytes);
    state.counters["files"] = double(gSources.size());
}
BENCHMARK(BM_CountingPass)->Unit(benchmark::kMillisecond)->Iterations(3);

double runTimed(const QString &program, const QStringList &args, const QByteArray &input,
                QByteArray *output)
{
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    *output = p.readAllStandardOutput();
    return clock.nsecsElapsed() / 1e9;
}

void compareWithTools(const QStringList &roots, const QStringList &files)
{
    // Tree run of ours: read, decode, count.
    QElapsedTimer clock;
    clock.start();
    qint64 ourTotal = 0, ourCode = 0, treeBytes = 0;
    QHash<QString, qint64> ourLines;
    for (const QString &path : files) {
        Source s;
        if (!readSource(path, &s))
            continue;
        qint64 total = 0;
        ourCode += countOne(s.text, &total);
        ourTotal += total;
        treeBytes += s.bytes;
        // An empty text has no lines at all, where a line count of the bytes would say one.
        ourLines.insert(path, s.bytes == 0 ? -1 : total);
    }
    const double ourSeconds = clock.nsecsElapsed() / 1e9;

    QByteArray list;
    for (const QString &f : files)
        list += f.toUtf8() + '\0';
    QByteArray wcOut;
    const double wcSeconds =
        runTimed(QStringLiteral("xargs"),
                 {QStringLiteral("-0"), QStringLiteral("wc"), QStringLiteral("-l")}, list, &wcOut);
    QByteArray clocOut;
    QStringList clocArgs{QStringLiteral("--quiet"), QStringLiteral("--csv"),
                         QStringLiteral("--skip-uniqueness")};
    clocArgs += roots;
    const double clocSeconds = runTimed(QStringLiteral("cloc"), clocArgs, {}, &clocOut);

    // Per file: ours = wc -l + 1 (0 for an empty file) unless the file has form feeds, CRs or
    // Unicode line breaks.
    qint64 wcTotal = 0, agree = 0, otherBreaks = 0, disagree = 0;
    QStringList apart, unexplained;
    for (const QByteArray &line : wcOut.split('\n')) {
        const QByteArray t = line.trimmed();
        const int space = t.indexOf(' ');
        if (space < 0)
            continue;
        const QString path = QString::fromUtf8(t.mid(space + 1));
        if (path == QStringLiteral("total"))
            continue;
        const qint64 n = t.left(space).toLongLong();
        wcTotal += n;
        if (!ourLines.contains(path))
            continue;
        const qint64 ours = ourLines.value(path);
        if (ours == n + 1 || (ours == -1 && n == 0)) {
            ++agree;
        } else {
            QFile f(path);
            const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            if (bytes.contains('\f') || bytes.contains('\r') || bytes.contains("\xE2\x80\xA8") ||
                bytes.contains("\xE2\x80\xA9")) {
                ++otherBreaks;
                if (apart.size() < 20)
                    apart << path;
            } else {
                ++disagree;
                if (unexplained.size() < 20)
                    unexplained
                        << QStringLiteral("%1 (ours %2, wc -l %3)").arg(path).arg(ours).arg(n);
            }
        }
    }
    qint64 clocCode = 0, clocFiles = 0;
    for (const QByteArray &line : clocOut.split('\n')) {
        const QList<QByteArray> cells = line.split(',');
        if (cells.size() >= 5 && cells[1] == "SUM") {
            clocFiles = cells[0].toLongLong();
            clocCode = cells[4].toLongLong();
        }
    }

    const double mb = double(treeBytes) / 1e6;
    std::printf("\nTree of %lld files, %.1f MB (%s)\n", qlonglong(files.size()), mb,
                qPrintable(roots.join(QStringLiteral(", "))));
    std::printf("%-22s %10s %10s %14s %14s\n", "tool", "seconds", "MB/s", "lines", "code lines");
    std::printf("%-22s %10.3f %10.1f %14lld %14lld\n", "ours (read+count)", ourSeconds,
                mb / ourSeconds, qlonglong(ourTotal), qlonglong(ourCode));
    std::printf("%-22s %10.3f %10.1f %14lld %14s\n", "wc -l", wcSeconds, mb / wcSeconds,
                qlonglong(wcTotal), "-");
    std::printf("%-22s %10.3f %10.1f %14s %14lld  (%lld files it knows)\n", "cloc", clocSeconds,
                mb / clocSeconds, "-", qlonglong(clocCode), qlonglong(clocFiles));
    std::printf("ours / cloc time: %.3f;  ours / wc time: %.2f\n", ourSeconds / clocSeconds,
                ourSeconds / wcSeconds);
    std::printf("per file: %lld agree with wc -l + 1, %lld differ by other line breaks (FF, CR, "
                "CRLF, U+2028/9), %lld differ otherwise\n",
                qlonglong(agree), qlonglong(otherBreaks), qlonglong(disagree));
    for (const QString &p : apart)
        std::printf("  other breaks: %s\n", qPrintable(p));
    for (const QString &p : unexplained)
        std::printf("  differs: %s\n", qPrintable(p));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    gCpp = MyLanguageInfo::createFromFile(
        QStringLiteral(PELKO_SOURCE_DIR) + QStringLiteral("/resources/languages/Cpp.esy"), false);
    if (!gCpp) {
        std::fprintf(stderr, "linecount_bench: the C++ definition does not parse\n");
        return 1;
    }
    const QStringList roots = headerRoots();
    const QStringList files = listFiles(roots);
    for (const QString &path : files) {
        Source s;
        if (readSource(path, &s)) {
            gBytes += s.bytes;
            gSources << std::move(s);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    compareWithTools(roots, files);
    return 0;
}
