// Image effects on a generated 6000 x 4000 opaque photograph:
//   - ApplyChange_InvertColor end to end (image to RGBA8 buffer, the loop, buffer to image), the
//     bare loop and each conversion, on all cores and on one thread;
//   - against ImageMagick (`convert ... -channel RGB -negate`) and libvips (`vips invert`) on the
//     same pixels as raw RGBA, each beside a plain copy of its input file: the tools read and
//     write files, so their operation time is their total minus the copy;
//   - ApplyChange_GaussianBlur of radius 8 end to end and the bare blur kernel, against
//     `convert -blur 0x8` and `vips gaussblur ... 8`, with the ratios;
//   - the duotone grey (ApplyChange_Gray) against `convert -grayscale Average` and
//     `vips colourspace ... b-w`, and the one-colour halftone of 8-pixel cells
//     (ApplyChange_RGBHalftone), its dot masks cold and warm, against
//     `convert -colorspace Gray -ordered-dither h8x8a` (libvips has no dot screen), each with the
//     ratio of our time to the tools' operation time;
//   - the outline's mask growth (1,000 levels on 4 megapixels) in plain passes over the buffer;
//   - the dark variants of thirteen generated images, cold (inverted and stored) and warm (read
//     back from the support folder, as at the next start).
#include "BenchSupport.h"
#include "graphics/DarkModeImages.h"
#include "graphics/FilterEffects.h"
#include "graphics/DotSample.h"
#include "graphics/ExtendMask.h"
#include "graphics/GrayDuotone.h"
#include "graphics/Halftone.h"
#include "graphics/ImageData.h"
#include "graphics/InvertColor.h"
#include "graphics/PixelRows.h"
#include "platform/GaussianBlur.h"
#include "platform/Image.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRadialGradient>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kRuns = 5;

struct OurFigures
{
    double endToEnd = 0, loop = 0, toBuffer = 0, toImage = 0;
};

OurFigures timeOurs(const platform::ImagePtr &image)
{
    OurFigures f;
    f.endToEnd = medianMs(kRuns, [&] {
        const auto out = ApplyChange_InvertColor(image.get(), CHANGE_SETTING{});
        if (!out)
            std::abort();
    });
    ImageDataPtr buffer;
    f.toBuffer = medianMs(kRuns, [&] { buffer = ImageData::imageWithNSImage(image.get()); });
    PIXEL *pixels = buffer->getBuffer();
    f.loop = medianMs(kRuns, [&] {
        ForEachRowBand(buffer->w(), buffer->h(), [&](qint64 first, qint64 end) {
            InvertPremultipliedPixels(pixels + first * kWidth, (end - first) * kWidth);
        });
    });
    f.toImage = medianMs(kRuns, [&] {
        const auto out = ConvertBitmapRGBA8ToNSImage(pixels, buffer->w(), buffer->h());
        if (!out)
            std::abort();
    });
    return f;
}

// Where the reference tools read and write, and how our effects are timed.
struct ToolSetup
{
    QString convert, vips, raw, vipsInput, data, size;
};

// Median of our effect on all cores and on one thread.
std::pair<double, double> timeOnAllCoresAndOne(const std::function<void()> &prepare,
                                               const std::function<void()> &effect)
{
    auto timed = [&] {
        std::vector<double> times;
        for (int i = 0; i < kRuns; ++i) {
            prepare();
            times.push_back(medianMs(1, effect));
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const int cores = QThreadPool::globalInstance()->maxThreadCount();
    const double all = timed();
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    const double one = timed();
    QThreadPool::globalInstance()->setMaxThreadCount(cores);
    return {all, one};
}

void printOurs(const char *name, const std::pair<double, double> &ours)
{
    std::printf("  %-34s %8.1f ms   (one thread: %8.1f)\n", name, ours.first, ours.second);
}

// Ours against the tool's operation time (its total minus the copy of its input).
void printRatio(const char *tool, const std::pair<double, double> &ours, const ToolFigures &all,
                const ToolFigures &one)
{
    if (!all.installed)
        return;
    std::printf("    ours / %-24s %6.2f  (one thread: %6.2f)  goal at or below 1: %s\n", tool,
                ours.first / std::max(0.1, all.totalMs - all.copyMs),
                ours.second / std::max(0.1, one.totalMs - one.copyMs),
                ours.first <= all.totalMs - all.copyMs ? "met" : "not met");
}

void duotoneRow(const platform::ImagePtr &image, const ToolSetup &t)
{
    const CHANGE_SETTING duotone =
        MakeChangeSetting(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 90, 200, 0, 0);
    const auto ours = timeOnAllCoresAndOne([] {},
                                           [&] {
                                               if (!ApplyChange_Gray(image.get(), duotone))
                                                   std::abort();
                                           });
    const QStringList convertArgs = {QStringLiteral("-size"),
                                     t.size,
                                     QStringLiteral("-depth"),
                                     QStringLiteral("8"),
                                     QStringLiteral("rgba:") + t.raw,
                                     QStringLiteral("-grayscale"),
                                     QStringLiteral("Average"),
                                     QStringLiteral("rgba:") + t.data + QStringLiteral("/im.rgba")};
    const QStringList vipsArgs = {QStringLiteral("colourspace"), t.vipsInput,
                                  t.data + QStringLiteral("/vips-out.v"), QStringLiteral("b-w")};
    const QString copy = t.data + QStringLiteral("/copy");
    const ToolFigures im = timeTool(t.convert, convertArgs, t.raw, copy, false);
    const ToolFigures imOne = timeTool(t.convert, convertArgs, t.raw, copy, true);
    const ToolFigures vi = timeTool(t.vips, vipsArgs, t.vipsInput, copy, false);
    const ToolFigures viOne = timeTool(t.vips, vipsArgs, t.vipsInput, copy, true);
    std::printf("\nDuotone grey of %d x %d pixels (median of %d)\n", kWidth, kHeight, kRuns);
    printOurs("ApplyChange_Gray end to end", ours);
    printTool("ImageMagick convert -grayscale", im, imOne);
    printTool("vips colourspace b-w", vi, viOne);
    printRatio("ImageMagick", ours, im, imOne);
    printRatio("vips", ours, vi, viOne);
}

// The master dot of the halftone: a soft disc in alpha, in the bench's own bundle.
bool prepareMasterDot(const QString &bundle)
{
    QDir().mkpath(bundle + QStringLiteral("/images"));
    QImage dot(100, 100, QImage::Format_RGBA8888_Premultiplied);
    dot.fill(Qt::transparent);
    {
        QPainter painter(&dot);
        QRadialGradient soft(QPointF(50, 50), 50);
        soft.setColorAt(0, Qt::black);
        soft.setColorAt(0.6, Qt::black);
        soft.setColorAt(1, Qt::transparent);
        painter.fillRect(dot.rect(), soft);
    }
    if (!dot.save(bundle + QStringLiteral("/images/_DotSample.png")))
        return false;
    SetBundleResourceFolder(bundle);
    return true;
}

void halftoneRow(const platform::ImagePtr &image, const ToolSetup &t, const QString &bundle)
{
    if (!prepareMasterDot(bundle)) {
        std::printf("\nHalftone: the master dot could not be written\n");
        return;
    }
    const CHANGE_SETTING oneColour = MakeChangeSetting(0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    auto halftone = [&] {
        if (!ApplyChange_RGBHalftone(image.get(), oneColour))
            std::abort();
    };
    const auto cold = timeOnAllCoresAndOne(
        [] {
            FreeDotSampleCache();
            QDir(GetSupportSubFolder(QStringLiteral("thumbImg")) + QStringLiteral("/DotSampl_8"))
                .removeRecursively();
        },
        halftone);
    halftone();
    const auto warm = timeOnAllCoresAndOne([] {}, halftone);
    const QStringList convertArgs = {QStringLiteral("-size"),
                                     t.size,
                                     QStringLiteral("-depth"),
                                     QStringLiteral("8"),
                                     QStringLiteral("rgba:") + t.raw,
                                     QStringLiteral("-colorspace"),
                                     QStringLiteral("Gray"),
                                     QStringLiteral("-ordered-dither"),
                                     QStringLiteral("h8x8a"),
                                     QStringLiteral("rgba:") + t.data + QStringLiteral("/im.rgba")};
    const QString copy = t.data + QStringLiteral("/copy");
    const ToolFigures im = timeTool(t.convert, convertArgs, t.raw, copy, false);
    const ToolFigures imOne = timeTool(t.convert, convertArgs, t.raw, copy, true);
    std::printf("\nOne-colour halftone, cells of 8, of %d x %d pixels (median of %d)\n", kWidth,
                kHeight, kRuns);
    printOurs("ApplyChange_RGBHalftone, cold", cold);
    printOurs("ApplyChange_RGBHalftone, warm", warm);
    printTool("ImageMagick -ordered-dither h8x8a", im, imOne);
    std::printf("  %-34s n/a (no dot screen)\n", "vips");
    printRatio("ImageMagick, cold", cold, im, imOne);
    printRatio("ImageMagick, warm", warm, im, imOne);
}

// The outline's mask growth at its deepest (1,000 levels) on 4 megapixels, against a plain pass
// that reads and writes every word once.
void maskGrowthRow()
{
    constexpr long side = 2000;
    std::vector<PIXEL> src(size_t(side * side), 0);
    std::vector<PIXEL> out(src.size());
    std::mt19937 random(5);
    for (int i = 0; i < 40; ++i)
        src[size_t(random() % (side * side))] = 0xFF000000u;
    const double growth = medianMs(kRuns, [&] {
        if (!ExtendMaskBuffer(1000, src.data(), side, side, out.data(), 0x00FF00u, 0.001f))
            std::abort();
    });
    const double pass = medianMs(kRuns, [&] {
        for (size_t i = 0; i < src.size(); ++i)
            out[i] = src[i] ^ 0x00FFFFFFu;
    });
    std::printf("\nOutline mask growth, 1000 levels on %ld x %ld pixels\n", side, side);
    std::printf("  ExtendMaskBuffer                   %8.1f ms   one plain pass: %6.1f ms   "
                "(%4.1f passes; goal: within 3)\n",
                growth, pass, growth / std::max(0.01, pass));
}

void darkVariants(const QTemporaryDir &dir)
{
    const QString bundle = dir.path() + QStringLiteral("/bundle");
    QDir().mkpath(bundle + QStringLiteral("/images"));
    QStringList names;
    for (int i = 0; i < 13; ++i) {
        QImage icon(32, 32, QImage::Format_RGBA8888_Premultiplied);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(20 * i, 0, 0));
        painter.drawEllipse(QRectF(2 + i % 3, 3, 26, 24 - i));
        painter.end();
        names << QStringLiteral("benchIcon%1").arg(i);
        icon.save(bundle + QStringLiteral("/images/") + names.last() + QStringLiteral(".png"));
    }
    SetBundleResourceFolder(bundle);
    const QString cache = GetSupportSubFolder(QStringLiteral("DarkModeImg"));
    auto forget = [&] {
        for (const QString &name : names)
            if (auto known = platform::Image::named(name + QStringLiteral("_@dark")))
                known->setName(QString());
    };
    auto all = [&] {
        for (const QString &name : names)
            if (!GetImageInResourceConsiderDarkMode(name, true))
                std::abort();
    };
    const double cold = medianMs(kRuns, [&] {
        forget();
        for (const QString &file : QDir(cache).entryList(QDir::Files))
            QFile::remove(cache + QLatin1Char('/') + file);
        all();
    });
    const double warm = medianMs(kRuns, [&] {
        forget();
        all();
    });
    std::printf("\nDark variants of 13 images of 32 x 32 pixels\n");
    std::printf("  cold (inverted and stored)          %8.2f ms\n", cold);
    std::printf("  warm (read back, as at a new start) %8.2f ms   goal: under 20 ms\n", warm);
}

// The Gaussian blur of radius 8, ours beside both tools on the same pixels.
void gaussianBlurRow(const QImage &photo, const platform::ImagePtr &image, const QString &raw,
                     const QString &vipsInput, const QString &data)
{
    CHANGE_SETTING setting{};
    setting.value[0] = 8;
    auto ours = [&] {
        return medianMs(kRuns, [&] {
            if (!ApplyChange_GaussianBlur(image.get(), setting))
                std::abort();
        });
    };
    auto kernel = [&] {
        return medianMs(kRuns, [&] {
            QImage copy = photo.copy();
            platform::gaussianBlur(copy, 8);
        });
    };
    QThreadPool *pool = QThreadPool::globalInstance();
    const int cores = pool->maxThreadCount();
    const double all = ours(), bare = kernel();
    pool->setMaxThreadCount(1);
    const double one = ours(), bareOne = kernel();
    pool->setMaxThreadCount(cores);

    const QString size = QStringLiteral("%1x%2").arg(kWidth).arg(kHeight);
    const QStringList convertArgs = {
        QStringLiteral("-size"),       size,
        QStringLiteral("-depth"),      QStringLiteral("8"),
        QStringLiteral("rgba:") + raw, QStringLiteral("-blur"),
        QStringLiteral("0x8"),         QStringLiteral("rgba:") + data + QStringLiteral("/im.rgba")};
    const QStringList vipsArgs = {QStringLiteral("gaussblur"), vipsInput,
                                  data + QStringLiteral("/vips-out.v"), QStringLiteral("8")};
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    const QString copy = data + QStringLiteral("/copy");
    const ToolFigures im = timeTool(convert, convertArgs, raw, copy, false);
    const ToolFigures imOne = timeTool(convert, convertArgs, raw, copy, true);
    const ToolFigures vi = timeTool(vips, vipsArgs, vipsInput, copy, false);
    const ToolFigures viOne = timeTool(vips, vipsArgs, vipsInput, copy, true);

    std::printf(
        "\nGaussian blur, radius 8, of %d x %d pixels (median of %d; %d threads, then one)\n",
        kWidth, kHeight, kRuns, cores);
    std::printf("  ApplyChange_GaussianBlur end to end %8.1f ms   (one thread: %8.1f)\n", all, one);
    std::printf("    the blur kernel alone             %8.1f ms   (one thread: %8.1f)\n", bare,
                bareOne);
    printTool("ImageMagick convert -blur 0x8", im, imOne);
    printTool("vips gaussblur 8", vi, viOne);
    auto ratio = [](const char *name, double ourMs, double ourOneMs, const ToolFigures &tool,
                    const ToolFigures &toolOne) {
        if (!tool.installed)
            return;
        std::printf("  ours / %-12s %6.2f on all cores, %6.2f on one thread (operation times)\n",
                    name, ourMs / (tool.totalMs - tool.copyMs),
                    ourOneMs / (toolOne.totalMs - toolOne.copyMs));
    };
    ratio("ImageMagick", all, one, im, imOne);
    ratio("vips", all, one, vi, viOne);
}

} // namespace

int main(int argc, char **argv)
{
    UseOffscreenUnlessAsked();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!PrepareTextWindowBench(dir))
        return 1;
    const QString data = BenchDataDir(dir);

    std::printf("Generating a %d x %d photograph...\n", kWidth, kHeight);
    const QImage photo = photograph(kWidth, kHeight);
    const platform::ImagePtr image = platform::Image::fromBitmap(photo);
    const QString raw = data + QStringLiteral("/photo.rgba");
    {
        QFile file(raw);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char *>(photo.constBits()), photo.sizeInBytes()) !=
                photo.sizeInBytes())
            return 1;
    }
    const QString size = QStringLiteral("%1x%2").arg(kWidth).arg(kHeight);
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    const QString vipsInput = data + QStringLiteral("/photo.v");
    if (!vips.isEmpty() &&
        !runTool(vips,
                 {QStringLiteral("rawload"), raw, vipsInput, QString::number(kWidth),
                  QString::number(kHeight), QStringLiteral("4")},
                 QProcessEnvironment::systemEnvironment()))
        std::printf("vips could not read the raw pixels\n");

    const int cores = QThreadPool::globalInstance()->maxThreadCount();
    const OurFigures ours = timeOurs(image);
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    const OurFigures oursOne = timeOurs(image);
    QThreadPool::globalInstance()->setMaxThreadCount(cores);

    const QStringList convertArgs = {QStringLiteral("-size"),
                                     size,
                                     QStringLiteral("-depth"),
                                     QStringLiteral("8"),
                                     QStringLiteral("rgba:") + raw,
                                     QStringLiteral("-channel"),
                                     QStringLiteral("RGB"),
                                     QStringLiteral("-negate"),
                                     QStringLiteral("rgba:") + data + QStringLiteral("/im.rgba")};
    const QStringList vipsArgs = {QStringLiteral("invert"), vipsInput,
                                  data + QStringLiteral("/vips-out.v")};
    const QString copy = data + QStringLiteral("/copy");
    const ToolFigures im = timeTool(convert, convertArgs, raw, copy, false);
    const ToolFigures imOne = timeTool(convert, convertArgs, raw, copy, true);
    const ToolFigures vi = timeTool(vips, vipsArgs, vipsInput, copy, false);
    const ToolFigures viOne = timeTool(vips, vipsArgs, vipsInput, copy, true);

    std::printf("\nColour inversion of %d x %d pixels (median of %d; %d threads, then one)\n",
                kWidth, kHeight, kRuns, cores);
    std::printf("  ApplyChange_InvertColor end to end %8.1f ms   (one thread: %8.1f)\n",
                ours.endToEnd, oursOne.endToEnd);
    std::printf("    image to RGBA8 buffer            %8.1f ms   (one thread: %8.1f)\n",
                ours.toBuffer, oursOne.toBuffer);
    std::printf("    the inversion loop               %8.1f ms   (one thread: %8.1f)\n", ours.loop,
                oursOne.loop);
    std::printf("    RGBA8 buffer to image            %8.1f ms   (one thread: %8.1f)\n",
                ours.toImage, oursOne.toImage);
    printTool("ImageMagick convert -negate", im, imOne);
    printTool("vips invert", vi, viOne);
    if (im.installed)
        std::printf("  goal: ours end to end at or below ImageMagick's operation time: %s\n",
                    ours.endToEnd <= im.totalMs - im.copyMs ? "met" : "not met");

    gaussianBlurRow(photo, image, raw, vipsInput, data);
    const ToolSetup tools{convert, vips, raw, vipsInput, data, size};
    duotoneRow(image, tools);
    halftoneRow(image, tools, dir.path() + QStringLiteral("/bundle"));
    maskGrowthRow();

    darkVariants(dir);
    return 0;
}
