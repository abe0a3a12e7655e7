#pragma once
// What the benchmarks share: the offscreen platform unless another is asked for; for those that
// open text windows, default settings, a support folder of their own, no help alerts (nobody
// answers them) and a folder for the inputs they generate; for the image benchmarks, a generated
// photograph, medians of runs and the timing of reference tools.

#include "controls/LiveHelpDialog.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRadialGradient>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <time.h>
#include <vector>

// Before the application object is made.
inline void UseOffscreenUnlessAsked()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Settings, support folder (inside dir) and quiet help; false when the folder cannot be made.
inline bool PrepareTextWindowBench(const QTemporaryDir &dir)
{
    if (!dir.isValid() || !PrepareSupportFolder(dir.path() + QStringLiteral("/support")))
        return false;
    AppSetting_SetDefault(&gAppSetting);
    LiveHelpDialog::setQuietInThisProcess(true);
    return true;
}

// Where generated inputs go: PELKO_BENCH_DATA_DIR keeps them there, for other tools to open.
inline QString BenchDataDir(const QTemporaryDir &dir)
{
    return qEnvironmentVariableIsEmpty("PELKO_BENCH_DATA_DIR")
               ? dir.path()
               : qEnvironmentVariable("PELKO_BENCH_DATA_DIR");
}

// Processor time of the calling thread so far (nanoseconds): unlike wall clock, it does not count
// the time the thread waited for a core on a loaded machine.
inline qint64 ThreadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Image benchmarks -------------------------------------------------------------------------------

inline constexpr int kBenchToolRuns = 3;

// Smooth gradients, a few soft shapes and fine noise, as a photograph has.
inline QImage photograph(int kWidth, int kHeight)
{
    QImage image(kWidth, kHeight, QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(0.6, QColor(200, 190, 160));
    sky.setColorAt(1, QColor(60, 80, 30));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    std::mt19937 random(3);
    for (int i = 0; i < 60; ++i) {
        const QPointF centre(random() % kWidth, random() % kHeight);
        const double radius = 100 + random() % 900;
        QRadialGradient blob(centre, radius);
        blob.setColorAt(0, QColor(random() % 256, random() % 256, random() % 256, 200));
        blob.setColorAt(1, QColor(0, 0, 0, 0));
        painter.setBrush(blob);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(centre, radius, radius);
    }
    painter.end();
    for (int y = 0; y < kHeight; ++y) {
        auto *row = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const quint32 n = random() % 9;
            quint32 p = row[x];
            quint32 r = std::min<quint32>((p & 0xFF) + n, 255);
            quint32 g = std::min<quint32>(((p >> 8) & 0xFF) + n, 255);
            quint32 b = std::min<quint32>(((p >> 16) & 0xFF) + n, 255);
            row[x] = r | (g << 8) | (b << 16) | 0xFF000000u;
        }
    }
    return image;
}

inline double medianMs(int runs, const std::function<void()> &fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        fn();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs a command; false when it fails.
inline bool runTool(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

struct ToolFigures
{
    bool installed = false;
    double totalMs = 0;
    double copyMs = 0;
};

inline ToolFigures timeTool(const QString &program, const QStringList &args, const QString &input,
                            const QString &copyTarget, bool oneThread)
{
    ToolFigures f;
    if (program.isEmpty())
        return f;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (oneThread) {
        env.insert(QStringLiteral("MAGICK_THREAD_LIMIT"), QStringLiteral("1"));
        env.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
        env.insert(QStringLiteral("OMP_NUM_THREADS"), QStringLiteral("1"));
    }
    const QString cp = QStandardPaths::findExecutable(QStringLiteral("cp"));
    bool ok = true;
    f.totalMs = medianMs(kBenchToolRuns, [&] { ok = runTool(program, args, env) && ok; });
    f.copyMs = medianMs(kBenchToolRuns, [&] { runTool(cp, {input, copyTarget}, env); });
    f.installed = ok;
    return f;
}

inline void printTool(const char *name, const ToolFigures &all, const ToolFigures &one)
{
    if (!all.installed) {
        std::printf("  %-34s not installed\n", name);
        return;
    }
    std::printf("  %-34s %8.1f ms total, %8.1f ms without the copy (one thread: %8.1f / %8.1f)\n",
                name, all.totalMs, all.totalMs - all.copyMs, one.totalMs, one.totalMs - one.copyMs);
}
