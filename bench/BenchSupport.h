#pragma once
// What the benchmarks share: the offscreen platform unless another is asked for; for those that
// open text windows, default settings, a support folder of their own, no help alerts (nobody
// answers them) and a folder for the inputs they generate; for the image benchmarks, a generated
// photograph, medians of runs and the timing of reference tools.

#include "controls/LiveHelpDialog.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaEnum>
#include <QTimer>
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
#include <string>
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

// Main-thread steps ------------------------------------------------------------------------------

// The processor time this thread has used, in nanoseconds: on a loaded machine a step's wall-clock
// time measures the load as much as the step, its processor time only the step.
inline qint64 ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The application of the text-window benchmarks: while a StepRecorder runs, every event the main
// thread's loop delivers is one step, timed in wall clock and processor time and named by its
// receiver and kind, so the longest step can be found and split.
class StepTimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    struct Step
    {
        double wallMs = 0;
        double cpuMs = 0;
        std::string name;
    };

    // Starts a new record; the longest steps so far are forgotten.
    void startRecording()
    {
        mLongestWall = {};
        mLongestCpu = {};
        mSinceTick.clear();
        mRecording = true;
    }
    // The events delivered since the last tick of a heartbeat, slowest first, as one line; the
    // list starts again.
    std::string takeEventsSinceTick()
    {
        std::sort(mSinceTick.begin(), mSinceTick.end(),
                  [](const Step &a, const Step &b) { return a.cpuMs > b.cpuMs; });
        std::string line;
        for (size_t i = 0; i < mSinceTick.size() && i < 4; ++i) {
            char part[200];
            std::snprintf(part, sizeof part, "%s%s %.1f ms", i ? " + " : "",
                          mSinceTick[i].name.c_str(), mSinceTick[i].cpuMs);
            line += part;
        }
        mSinceTick.clear();
        return line;
    }
    void forgetEventsSinceTick() { mSinceTick.clear(); }
    void stopRecording() { mRecording = false; }
    const Step &longestByWall() const { return mLongestWall; }
    const Step &longestByCpu() const { return mLongestCpu; }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!mRecording || mDepth > 0) {
            ++mDepth;
            const bool handled = QApplication::notify(receiver, event);
            --mDepth;
            return handled;
        }
        const QEvent::Type type = event->type();
        const char *className = receiver ? receiver->metaObject()->className() : "?";
        QElapsedTimer wall;
        wall.start();
        const qint64 cpuStart = ThreadCpuNs();
        ++mDepth;
        const bool handled = QApplication::notify(receiver, event);
        --mDepth;
        const double cpuMs = double(ThreadCpuNs() - cpuStart) / 1e6;
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        if (cpuMs >= 1)
            mSinceTick.push_back({wallMs, cpuMs, stepName(className, type)});
        if (wallMs > mLongestWall.wallMs || cpuMs > mLongestCpu.cpuMs) {
            const Step step{wallMs, cpuMs, stepName(className, type)};
            if (wallMs > mLongestWall.wallMs)
                mLongestWall = step;
            if (cpuMs > mLongestCpu.cpuMs)
                mLongestCpu = step;
        }
        return handled;
    }

private:
    static std::string stepName(const char *className, QEvent::Type type)
    {
        const char *kind = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
        return std::string(kind ? kind : "event") + " to " + className;
    }

    bool mRecording = false;
    int mDepth = 0;
    Step mLongestWall;
    Step mLongestCpu;
    std::vector<Step> mSinceTick;
};

// The longest time the main thread went without coming back to its event loop, in wall clock
// (a timer that should tick every 2 ms) and in processor time, and the slowest event delivered,
// with its name; the application must be a StepTimingApplication.
class MainThreadSteps
{
public:
    MainThreadSteps()
    {
        mHeartbeat.setInterval(2);
        QObject::connect(&mHeartbeat, &QTimer::timeout, [this] {
            mLongestGapNs = std::max(mLongestGapNs, mBeat.nsecsElapsed());
            const qint64 cpu = ThreadCpuNs();
            auto *app = dynamic_cast<StepTimingApplication *>(QCoreApplication::instance());
            if (cpu - mBeatCpuNs > mLongestGapCpuNs) {
                mLongestGapCpuNs = cpu - mBeatCpuNs;
                if (app)
                    mLongestGapEvents = app->takeEventsSinceTick();
            } else if (app) {
                app->forgetEventsSinceTick();
            }
            mBeatCpuNs = cpu;
            mBeat.restart();
        });
    }
    ~MainThreadSteps() { stop(); }

    void start()
    {
        mLongestGapNs = 0;
        mLongestGapCpuNs = 0;
        mLongestGapEvents.clear();
        mBeatCpuNs = ThreadCpuNs();
        mBeat.start();
        mHeartbeat.start();
        if (auto *app = dynamic_cast<StepTimingApplication *>(QCoreApplication::instance()))
            app->startRecording();
    }
    // The longest so far is forgotten, the recording goes on.
    void restart() { start(); }
    void stop()
    {
        mHeartbeat.stop();
        if (auto *app = dynamic_cast<StepTimingApplication *>(QCoreApplication::instance()))
            app->stopRecording();
    }
    double longestGapMs() const { return double(mLongestGapNs) / 1e6; }
    // The processor time the main thread used within that longest stretch between two ticks
    // (not necessarily the same stretch): several events delivered back to back add up here.
    double longestGapCpuMs() const { return double(mLongestGapCpuNs) / 1e6; }
    // The events of that stretch, slowest first.
    const std::string &longestGapEvents() const { return mLongestGapEvents; }
    StepTimingApplication::Step longestByCpu() const
    {
        auto *app = dynamic_cast<StepTimingApplication *>(QCoreApplication::instance());
        return app ? app->longestByCpu() : StepTimingApplication::Step{};
    }
    StepTimingApplication::Step longestByWall() const
    {
        auto *app = dynamic_cast<StepTimingApplication *>(QCoreApplication::instance());
        return app ? app->longestByWall() : StepTimingApplication::Step{};
    }

private:
    QTimer mHeartbeat;
    QElapsedTimer mBeat;
    qint64 mLongestGapNs = 0;
    qint64 mLongestGapCpuNs = 0;
    qint64 mBeatCpuNs = 0;
    std::string mLongestGapEvents;
};

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
