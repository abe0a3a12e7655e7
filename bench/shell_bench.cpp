// The application shell on large input:
//   - the image window with two 6000 x 4000 JPEG photographs: first paint with both images, then
//     each resize step (paint from the cache, and the sharper image decoded for the new size),
//     against decoding one photograph whole with QImageReader;
//   - quitting with 20 untitled windows of 1 MB each (backup), and reopening them at the next
//     start (restore), against writing the same bytes with QFile;
//   - opening the preferences with every installed font in its font list.
#include "BenchSupport.h"
#include "controls/LiveHelpDialog.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "shell/AppTermination.h"
#include "shell/ImagePreviewView.h"
#include "shell/MergeImageWindCtr.h"
#include "shell/QuitWalk.h"
#include "shell/SettingDlg.h"
#include "shell/UntitledBackup.h"
#include "textcompare/MergeEditWndCtr.h"
#include "ui_MergeImageWindCtr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct Figures
{
    double fullDecodeMs = 0;
    double firstPaintMs = 0;
    std::vector<double> resizePaintMs, resizeSharpMs;
    double backupMs = 0, restoreMs = 0, plainWriteMs = 0;
    double steppedFirstMs = 0, steppedAllMs = 0, steppedLongestMs = 0;
    double preferencesMs = 0;
    int fonts = 0;
} gFigures;

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString photo(int variant)
{
    const QString path = workDir().path() + QStringLiteral("/photo%1.jpg").arg(variant);
    if (QFile::exists(path))
        return path;
    QImage image(6000, 4000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 6000, 4000);
    g.setColorAt(0, QColor(20, 60, 140));
    g.setColorAt(1, variant ? QColor(230, 140, 40) : QColor(40, 180, 90));
    p.fillRect(image.rect(), g);
    for (int i = 0; i < 400; ++i)
        p.fillRect((i * 137) % 6000, (i * 71) % 4000, 90, 60,
                   QColor::fromHsv((i * 7) % 360, 200, 220));
    p.end();
    image.save(path, "JPEG", 90);
    return path;
}

bool waitShown(MergeImageWindCtr &w)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (w.ui().mView1->state() == ImagePreviewView::State::Shown &&
            w.ui().mView2->state() == ImagePreviewView::State::Shown)
            return true;
    }
    return false;
}

void BM_ImageWindow(benchmark::State &state)
{
    const QString a = photo(0), b = photo(1);
    {
        QElapsedTimer t;
        t.start();
        QImageReader reader(a);
        const QImage full = reader.read();
        gFigures.fullDecodeMs = t.nsecsElapsed() / 1e6;
    }
    {
        // The process's first window pays for fonts and style once; the application has shown
        // windows before it opens an image pair.
        MergeImageWindCtr warm;
        warm.window()->show();
        warm.window()->grab();
    }
    for (auto _ : state) {
        ImagePreviewView::clearCache();
        QElapsedTimer t;
        t.start();
        MergeImageWindCtr w;
        w.setMFile1(a);
        w.setMFile2(b);
        w.window()->resize(1000, 640);
        w.showWindow();
        if (!waitShown(w))
            state.SkipWithError("images not shown");
        w.window()->grab();
        gFigures.firstPaintMs = t.nsecsElapsed() / 1e6;
        state.SetIterationTime(gFigures.firstPaintMs / 1000);
        for (int step = 1; step <= 8; ++step) {
            const int before = w.ui().mView1->image().width();
            QElapsedTimer r;
            r.start();
            w.window()->resize(1000 + step * 60, 640 + step * 40);
            w.window()->grab();
            gFigures.resizePaintMs.push_back(r.nsecsElapsed() / 1e6);
            while (r.elapsed() < 5000 && w.ui().mView1->image().width() <= before)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            gFigures.resizeSharpMs.push_back(r.nsecsElapsed() / 1e6);
        }
        w.window()->close();
    }
}
BENCHMARK(BM_ImageWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BackupAndRestore(benchmark::State &state)
{
    gSupportFolder = workDir().path() + QStringLiteral("/support");
    AppSetting_SetDefault(&gAppSetting);
    QString text;
    const QString line = QStringLiteral("An untitled line of text that the user typed in, %1\n");
    for (int i = 0; text.size() < 1000000; ++i)
        text += line.arg(i);
    for (auto _ : state) {
        std::vector<std::unique_ptr<MergeEditWndCtr>> windows;
        for (int i = 0; i < 20; ++i) {
            auto w = std::make_unique<MergeEditWndCtr>();
            w->showWindow();
            w->setCompareTextToView1(text);
            w->setCompareTextToView2(QString());
            windows.push_back(std::move(w));
        }
        QElapsedTimer t;
        t.start();
        QuitWalk_ShouldTerminate(false);
        gFigures.backupMs = t.nsecsElapsed() / 1e6;
        windows.clear();

        t.restart();
        std::vector<std::unique_ptr<MergeEditWndCtr>> restored;
        const RestoreResult r = restore_BlankTextWindow_For_LastSession([&] {
            auto w = std::make_unique<MergeEditWndCtr>();
            w->showWindow();
            restored.push_back(std::move(w));
            return restored.back().get();
        });
        gFigures.restoreMs = t.nsecsElapsed() / 1e6;
        if (r.restored != 20)
            state.SkipWithError("not every pair came back");
        state.SetIterationTime((gFigures.backupMs + gFigures.restoreMs) / 1000);

        // The start as the application does it: one window per turn of the event loop.
        QuitWalk_ShouldTerminate(false);
        restored.clear();
        const auto openWindows = [] {
            int n = 0;
            for (const auto &slot : gOpenCompareWindowList)
                n += slot ? 1 : 0;
            return n;
        };
        t.restart();
        const int opening = AppTermination::RestoreUntitledTexts();
        gFigures.steppedFirstMs = t.nsecsElapsed() / 1e6;
        double last = gFigures.steppedFirstMs;
        int seen = openWindows();
        gFigures.steppedLongestMs = last;
        while (seen < opening && t.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const int now = openWindows();
            if (now != seen) {
                const double at = t.nsecsElapsed() / 1e6;
                gFigures.steppedLongestMs = std::max(gFigures.steppedLongestMs, at - last);
                last = at;
                seen = now;
            }
        }
        gFigures.steppedAllMs = t.nsecsElapsed() / 1e6;
        AppTermination::CloseCompareWindowsWithoutAsking();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const QByteArray bytes = text.toUtf8();
        t.restart();
        for (int i = 0; i < 20; ++i) {
            QFile f(workDir().path() + QStringLiteral("/plain%1.txt").arg(i));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
        }
        gFigures.plainWriteMs = t.nsecsElapsed() / 1e6;
    }
}
BENCHMARK(BM_BackupAndRestore)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenPreferences(benchmark::State &state)
{
    AppSetting_SetDefault(&gAppSetting);
    gFigures.fonts = int(QFontDatabase::families().size());
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        SettingDlg d;
        d.window()->show();
        d.window()->grab();
        gFigures.preferencesMs = t.nsecsElapsed() / 1e6;
        state.SetIterationTime(gFigures.preferencesMs / 1000);
        d.cancelButtonClicked();
    }
}
BENCHMARK(BM_OpenPreferences)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void printFigures()
{
    std::printf("\nImage window, two 6000 x 4000 JPEGs\n");
    std::printf("  one photograph decoded whole (QImageReader)  %8.1f ms\n", gFigures.fullDecodeMs);
    std::printf(
        "  window shown with both images                %8.1f ms   (%.2f x the whole decode)\n",
        gFigures.firstPaintMs, gFigures.firstPaintMs / gFigures.fullDecodeMs);
    for (size_t i = 0; i < gFigures.resizePaintMs.size(); ++i)
        std::printf(
            "  resize step %zu: painted %6.1f ms, sharper image %6.1f ms   (goal: 100 ms)\n", i + 1,
            gFigures.resizePaintMs[i], gFigures.resizeSharpMs[i]);
    std::printf("\nUntitled texts, 20 windows of 1 MB\n");
    std::printf("  backup at quit                               %8.1f ms\n", gFigures.backupMs);
    std::printf("  the same bytes written with QFile            %8.1f ms   (backup %.2f x)\n",
                gFigures.plainWriteMs, gFigures.backupMs / gFigures.plainWriteMs);
    std::printf("  restore, all 20 windows in one go            %8.1f ms\n", gFigures.restoreMs);
    std::printf("  restore at the start, one window per turn: first window %.1f ms, all %.1f ms,"
                " longest turn %.1f ms\n",
                gFigures.steppedFirstMs, gFigures.steppedAllMs, gFigures.steppedLongestMs);
    std::printf("\nPreferences with %d font families               %8.1f ms\n", gFigures.fonts,
                gFigures.preferencesMs);
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    QApplication app(argc, argv);
    // A help alert nobody answers would stop the run at the first text window.
    LiveHelpDialog::setQuietInThisProcess(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFigures();
    return 0;
}
