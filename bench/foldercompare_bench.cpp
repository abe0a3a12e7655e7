// The folder compare on generated trees: 100,000 files in 5,000 folders (0.5 to 8 KB), the right
// a copy with times kept and 1% changed (same-size edits, size changes, one-sided files). The
// floor tools run in the same pass: find (listing with sizes and times) and diff -rq (content).
//
//   foldercompare_bench                 the 100,000-file run
//   foldercompare_bench --large L R     every mode on two existing trees (the 1,000,000-file
//                                       script), with the window, Stop and the peak memory
#include "compare/FolderCompareJob.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

long peakKb()
{
    struct rusage ru
    {
    };
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

double runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    p.waitForFinished(-1);
    return seconds(t);
}

void writeFile(const QString &path, const QByteArray &bytes, qint64 mtime)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    f.close();
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

void generate(const QString &left, const QString &right)
{
    std::mt19937 rng(7);
    const qint64 t0 = 1700000000;
    QByteArray pool(8192, 'x');
    for (int i = 0; i < pool.size(); ++i)
        pool[i] = char('a' + rng() % 26);
    for (int d = 0; d < 5000; ++d) {
        const QString sub = QStringLiteral("/d%1/s%2/").arg(d / 100).arg(d % 100);
        QDir().mkpath(left + sub);
        QDir().mkpath(right + sub);
        for (int f = 0; f < 20; ++f) {
            const int size = 512 + int(rng() % (8192 - 512));
            QByteArray bytes = pool.left(size);
            bytes[0] = char('A' + (d + f) % 26);
            const QString name = QStringLiteral("f%1.txt").arg(f);
            const qint64 mtime = t0 + f;
            writeFile(left + sub + name, bytes, mtime);
            const unsigned roll = rng() % 400;
            if (roll == 0) { // same size, other bytes, same time
                QByteArray other = bytes;
                other[size / 2] = '#';
                writeFile(right + sub + name, other, mtime);
            } else if (roll == 1) { // other size
                writeFile(right + sub + name, bytes + "tail", mtime + 10);
            } else if (roll == 2) { // left only
            } else if (roll == 3) { // right only
                writeFile(right + sub + name, bytes, mtime);
                writeFile(right + sub + QStringLiteral("extra%1.txt").arg(f), bytes, mtime);
            } else {
                writeFile(right + sub + name, bytes, mtime);
            }
        }
    }
}

std::shared_ptr<FileListCompareInfo> request(const QString &l, const QString &r, int mode)
{
    auto info = FileListCompareInfo::create();
    info->mFolder1 = l + '/';
    info->mFolder2 = r + '/';
    info->folder_compare_Mode = mode;
    return info;
}

// User and system time of every thread of this process so far.
double cpuSeconds()
{
    struct rusage ru
    {
    };
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double engine(const QString &l, const QString &r, int mode, size_t *entries = nullptr,
              double *cpu = nullptr)
{
    FolderCompareSettings s;
    s.request = request(l, r, mode);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer t;
    t.start();
    const auto out = CompareFoldersAndWait(s);
    if (entries)
        *entries = out.items.size();
    if (cpu)
        *cpu = cpuSeconds() - cpuBefore;
    return seconds(t);
}

struct WindowTimes
{
    double firstRow = -1, lastVerdict = -1, stop = -1;
    long kbPerThousand = 0;
};

WindowTimes window(const QString &l, const QString &r, int mode, bool stopEarly)
{
    WindowTimes w;
    const long before = residentKb();
    auto *wnd = new MergeFileListWndCtr();
    wnd->SetCompareInfoWith(request(l, r, mode));
    bool finished = false;
    QObject::connect(wnd, &MergeFileListWndCtr::compareFinished, [&finished] { finished = true; });
    QElapsedTimer t;
    t.start();
    wnd->showWindow();
    QElapsedTimer stopClock;
    while (!finished) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (w.firstRow < 0 && wnd->model()->rowCount() > 0)
            w.firstRow = seconds(t);
        if (stopEarly && w.firstRow >= 0 && !stopClock.isValid() && seconds(t) > 0.5) {
            stopClock.start();
            wnd->StopCompare();
        }
    }
    w.lastVerdict = seconds(t);
    if (stopClock.isValid())
        w.stop = seconds(stopClock);
    // Scrolling through the list.
    QTreeView *view = wnd->fileTableView();
    view->scrollToBottom();
    QApplication::processEvents();
    view->scrollToTop();
    const size_t n = std::max<size_t>(1, wnd->model()->items().size());
    w.kbPerThousand = long(double(residentKb() - before) * 1000.0 / double(n));
    delete wnd;
    return w;
}

int runStandard()
{
    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/pelko-folderbench-XXXXXX"));
    const QString l = tmp.path() + QStringLiteral("/L"), r = tmp.path() + QStringLiteral("/R");
    std::printf("generating 2 x 100,000 files ...\n");
    generate(l, r);
    runTool(QStringLiteral("find"), {l, r}); // warm the cache
    runTool(QStringLiteral("diff"), {QStringLiteral("-rq"), l, r});
    double find = 1e9, diffq = 1e9, mode0 = 1e9, mode3 = 1e9;
    size_t entries = 0;
    for (int rep = 0; rep < 3; ++rep) {
        find = std::min(find, runTool(QStringLiteral("find"), {l, r, QStringLiteral("-printf"),
                                                               QStringLiteral("%s %T@\\n")}));
        diffq = std::min(diffq, runTool(QStringLiteral("diff"), {QStringLiteral("-rq"), l, r}));
        mode0 = std::min(mode0, engine(l, r, 0, &entries));
        mode3 = std::min(mode3, engine(l, r, 3));
    }
    std::printf("entries                          %zu\n", entries);
    std::printf("find -printf '%%s %%T@'            %.3f s\n", find);
    std::printf("diff -rq                         %.3f s\n", diffq);
    std::printf("engine mode 0 (size and date)    %.3f s   ratio to find    %.2f (target <= 0.6)\n",
                mode0, mode0 / find);
    std::printf(
        "engine mode 3 (content)          %.3f s   ratio to diff -rq %.2f (target <= 0.8)\n", mode3,
        mode3 / diffq);
    const WindowTimes w = window(l, r, 0, false);
    std::printf("window: first rows after         %.3f s   (target <= 0.2)\n", w.firstRow);
    std::printf("window: last verdict after       %.3f s   engine + %.3f s (target <= 0.3)\n",
                w.lastVerdict, w.lastVerdict - mode0);
    std::printf("memory with the window           %ld bytes per entry (target <= 512)\n",
                w.kbPerThousand);
    return 0;
}

int runLarge(const QString &l, const QString &r)
{
    runTool(QStringLiteral("find"), {l, r});
    const double find = runTool(QStringLiteral("find"),
                                {l, r, QStringLiteral("-printf"), QStringLiteral("%s %T@\\n")});
    std::printf("find -printf                     %.3f s\n", find);
    for (int mode = 0; mode < 4; ++mode) {
        size_t entries = 0;
        double cpu = 0;
        const double s = engine(l, r, mode, &entries, &cpu);
        std::printf("engine mode %d                    %.3f s   cpu %.3f s   %zu entries   peak "
                    "%ld MB\n",
                    mode, s, cpu, entries, peakKb() / 1024);
    }
    const WindowTimes w = window(l, r, 0, false);
    std::printf(
        "window: first rows %.3f s, last verdict %.3f s, %ld bytes per entry, peak %ld MB\n",
        w.firstRow, w.lastVerdict, w.kbPerThousand, peakKb() / 1024);
    const WindowTimes s = window(l, r, 3, true);
    std::printf("window: Stop took effect after %.3f s\n", s.stop);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitAppSetting();
    const QStringList args = QApplication::arguments();
    if (args.size() == 4 && args[1] == QStringLiteral("--large"))
        return runLarge(args[2], args[3]);
    return runStandard();
}
