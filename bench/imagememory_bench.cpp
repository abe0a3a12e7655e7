// Memory of the image views on hostile and on large files:
//   - the peak resident memory of a child process that opens a file against a copy of itself in
//     the image window, and in Quick Preview, through the real window code, for each kind of file
//     of a few bytes that once took gigabytes, for a normal pair and for photographs of a hundred
//     megapixels (goal: under 600 MB in all; the photographs still shown);
//   - the structure check and the whole view decode of an icon whose 65,535 entries point at one
//     PNG of 1,000 empty chunks (goal: under 50 ms).
// The child is this program, started with --child window|preview LEFT RIGHT.
#include "BenchSupport.h"
#include "HostileImages.h"
#include "compare/CompItem.h"
#include "compare/ComparedTree.h"
#include "foldercompare/MergeEditPreview.h"
#include "platform/ImageChunkCheck.h"
#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"
#include "shell/ImagePreviewView.h"
#include "shell/MergeImageWindCtr.h"
#include "ui_MergeImageWindCtr.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The most resident memory the process has had, in kB.
long peakResidentKB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString stateName(ImagePreviewView::State state)
{
    switch (state) {
    case ImagePreviewView::State::Shown:
        return QStringLiteral("shown");
    case ImagePreviewView::State::TooLarge:
        return QStringLiteral("too large");
    case ImagePreviewView::State::NoPreview:
        return QStringLiteral("no preview");
    case ImagePreviewView::State::Unreadable:
        return QStringLiteral("unreadable");
    default:
        return QStringLiteral("loading");
    }
}

// The child: opens the pair and prints its peak and what each side shows.
int runChild(const QString &mode, const QString &left, const QString &right)
{
    PrepareTextWindowBench(workDir());
    platform::installImageAllocationLimit(); // as the application does at start-up
    QString shown[2];
    if (mode == QStringLiteral("window")) {
        MergeImageWindCtr w;
        w.setMFile1(left);
        w.setMFile2(right);
        w.window()->resize(1000, 640);
        w.showWindow();
        ImagePreviewView *views[2] = {w.ui().mView1, w.ui().mView2};
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 600000 &&
               (w.isEqual() < 0 || views[0]->state() == ImagePreviewView::State::Loading ||
                views[1]->state() == ImagePreviewView::State::Loading))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        w.window()->grab();
        for (int k = 0; k < 2; ++k)
            shown[k] = stateName(views[k]->state());
    } else {
        MergeEditPreview preview;
        preview.window()->resize(900, 600);
        preview.window()->show();
        COMP_ITEM item;
        item.itemType = ITEM_TYPE_IMAGE;
        item.itemName1 = QFileInfo(left).fileName().toUtf8();
        item.itemName2 = QFileInfo(right).fileName().toUtf8();
        item.kind1 = item.kind2 = Side_File;
        bool done = false;
        QObject::connect(&preview, &MergeEditPreview::contentShown, [&] { done = true; });
        // Each side is read as the folder window reads it: by its name in its folder, held open.
        PreviewFiles files;
        const QString paths[2] = {left, right};
        for (int k = 0; k < 2; ++k) {
            const QFileInfo info(paths[k]);
            files.tree[k] = ComparedTree::open(QFile::encodeName(info.absolutePath()));
            files.route[k] = TreeRoute_FromPath(QFile::encodeName(info.fileName()));
        }
        preview.showItem(item, left, right, files);
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 600000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (int k = 0; k < 2; ++k)
            shown[k] =
                preview.imageSize(k).isEmpty() ? preview.imageNote(k) : QStringLiteral("shown");
    }
    std::printf("%ld\t%s\t%s\n", peakResidentKB(), qPrintable(shown[0]), qPrintable(shown[1]));
    return 0;
}

struct PeakRow
{
    QString name;
    qint64 bytes = 0;
    long windowKB = -1, previewKB = -1;
    QString windowShown, previewShown;
};
std::vector<PeakRow> gPeaks;
double gIconCheckMs = 0, gIconViewMs = 0;
qint64 gIconBytes = 0;

// Runs the child on the file against a copy of itself.
void measure(PeakRow &row, const QString &path)
{
    const QString copy = path + QStringLiteral(".copy.") + QFileInfo(path).suffix();
    QFile::remove(copy);
    QFile::copy(path, copy);
    for (const bool window : {true, false}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"),
                     window ? QStringLiteral("window") : QStringLiteral("preview"), path, copy});
        child.waitForFinished(-1);
        const QStringList fields =
            QString::fromUtf8(child.readAllStandardOutput()).trimmed().split('\t');
        const long kb = fields.value(0).toLong();
        const QString shown = fields.value(1) == fields.value(2)
                                  ? fields.value(1)
                                  : fields.value(1) + QStringLiteral(" / ") + fields.value(2);
        (window ? row.windowKB : row.previewKB) = kb;
        (window ? row.windowShown : row.previewShown) = shown;
    }
}

QString write(const QString &name, const QByteArray &bytes)
{
    const QString path = workDir().filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

void BM_PeakMemory(benchmark::State &state)
{
    for (auto _ : state) {
        gPeaks.clear();
        QElapsedTimer t;
        t.start();
        {
            PeakRow row;
            row.name = QStringLiteral("normal pair (800 x 600 PNG)");
            const QString path = workDir().filePath(QStringLiteral("normal.png"));
            photograph(800, 600).save(path, "PNG");
            row.bytes = QFileInfo(path).size();
            measure(row, path);
            gPeaks.push_back(row);
        }
        for (const auto &hostile : pelkotest::hostileImages()) {
            PeakRow row;
            row.name = QString::fromLatin1(hostile.name);
            row.bytes = hostile.bytes.size();
            measure(row, write(QString::fromLatin1(hostile.name), hostile.bytes));
            gPeaks.push_back(row);
        }
        {
            // Photographs of 100 megapixels, baseline and progressive (4:2:0).
            const QImage picture = photograph(12000, 8400);
            for (const bool progressive : {false, true}) {
                const QString name = progressive ? QStringLiteral("photo-progressive.jpg")
                                                 : QStringLiteral("photo-baseline.jpg");
                const QString path = workDir().filePath(name);
                QImageWriter writer(path, "jpeg");
                writer.setQuality(85);
                writer.setProgressiveScanWrite(progressive);
                writer.write(picture);
                PeakRow row;
                row.name = name + QStringLiteral(" (100 MP)");
                row.bytes = QFileInfo(path).size();
                measure(row, path);
                gPeaks.push_back(row);
            }
        }
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_PeakMemory)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_IconOfSharedEntries(benchmark::State &state)
{
    QByteArray png = pelkotest::pngOfSize(2, 2, 8, 0);
    QByteArray chunks;
    for (int i = 0; i < 1000; ++i)
        chunks += pelkotest::pngChunk("tEXt", {});
    png.insert(8 + 25, chunks);
    const QByteArray icon = pelkotest::iconHolding(png, 65535);
    gIconBytes = icon.size();
    const QString path = write(QStringLiteral("entries65535.ico"), icon);
    for (auto _ : state) {
        gIconCheckMs = medianMs(5, [&] {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            benchmark::DoNotOptimize(platform::findOverlongImageChunk(&file));
        });
        gIconViewMs = medianMs(5, [&] {
            benchmark::DoNotOptimize(
                platform::readImageForView(path, {400, 300}, platform::kMaxViewPixels));
        });
        state.SetIterationTime(gIconViewMs / 1000);
    }
}
BENCHMARK(BM_IconOfSharedEntries)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void printFigures()
{
    std::printf("\nPeak resident memory, a file against a copy of itself (goal: under 600 MB)\n");
    std::printf("  %-34s %9s %13s  %-28s %13s  %s\n", "file", "bytes", "image window", "shows",
                "Quick Preview", "shows");
    for (const PeakRow &row : gPeaks)
        std::printf("  %-34s %9lld %10.0f MB  %-28s %10.0f MB  %s\n", qPrintable(row.name),
                    row.bytes, row.windowKB / 1024.0, qPrintable(row.windowShown),
                    row.previewKB / 1024.0, qPrintable(row.previewShown));
    std::printf(
        "\nIcon of 65,535 entries sharing one PNG of 1,000 chunks (%lld bytes, goal: 50 ms)\n",
        gIconBytes);
    std::printf("  structure check                              %8.1f ms\n", gIconCheckMs);
    std::printf("  whole view decode                            %8.1f ms\n", gIconViewMs);
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    QApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--child")
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        QString::fromLocal8Bit(argv[4]));
    LiveHelpDialog::setQuietInThisProcess(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printFigures();
    return 0;
}
