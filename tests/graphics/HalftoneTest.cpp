// Dot masks, their caches, and the halftone screens.
#include "graphics/DotSample.h"
#include "graphics/Halftone.h"
#include "services/SupportFolder.h"

#include "PixelTestSupport.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRadialGradient>
#include <gtest/gtest.h>

#include <numeric>
#include <random>

using namespace pixeltest;

namespace {

// The fitting as passes: one step on every byte that can still move, column by column, until
// the sum is reached.
void literalFit(std::vector<quint8> &mask, qint64 s, qint64 target)
{
    qint64 diff = target - std::accumulate(mask.begin(), mask.end(), qint64(0));
    while (diff != 0) {
        bool changed = false;
        for (qint64 x = 0; x < s && diff != 0; ++x)
            for (qint64 y = 0; y < s && diff != 0; ++y) {
                quint8 &b = mask[size_t(x + y * s)];
                if (diff > 0 && b < 255) {
                    ++b, --diff, changed = true;
                } else if (diff < 0 && b > 0) {
                    --b, ++diff, changed = true;
                }
            }
        if (!changed)
            return;
    }
}

class HalftoneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mOldSupport = gSupportFolder;
        ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir(QStringLiteral("support"))));
        const QString bundle = pelkotest::freshDir(QStringLiteral("bundle"));
        QDir().mkpath(bundle + QStringLiteral("/images"));
        QImage dot(100, 100, QImage::Format_RGBA8888_Premultiplied);
        dot.fill(Qt::transparent);
        {
            QPainter painter(&dot);
            QRadialGradient soft(QPointF(50, 50), 50);
            soft.setColorAt(0, Qt::black);
            soft.setColorAt(0.7, Qt::black);
            soft.setColorAt(1, Qt::transparent);
            painter.fillRect(dot.rect(), soft);
        }
        ASSERT_TRUE(dot.save(bundle + QStringLiteral("/images/_DotSample.png")));
        SetBundleResourceFolder(bundle);
        FreeDotSampleCache();
    }
    void TearDown() override
    {
        FreeDotSampleCache();
        SetBundleResourceFolder(QString());
        gSupportFolder = mOldSupport;
    }

    QString mOldSupport;
};

HALFTONE_EFFECT oneColour(qint32 size)
{
    return HALFTONE_EFFECT{false, 0x102030FFull, 0xFFFFFFFFull, size};
}

} // namespace

TEST_F(HalftoneTest, FittingReachesEveryToneExactlyAsThePassesDo)
{
    std::mt19937 random(113);
    for (int s : {1, 2, 3, 5, 8, 13, 31}) {
        for (int tone = 0; tone < 256; ++tone) {
            std::vector<quint8> start(size_t(s * s));
            for (quint8 &b : start)
                b = quint8(random() % 3 == 0 ? 255 : random() % 256);
            std::vector<quint8> fitted = start;
            ASSERT_TRUE(FitDotTone(fitted, s, qint64(tone) * s * s));
            ASSERT_EQ(std::accumulate(fitted.begin(), fitted.end(), qint64(0)),
                      qint64(tone) * s * s)
                << s << " " << tone;
            if (s <= 8) {
                std::vector<quint8> literal = start;
                literalFit(literal, s, qint64(tone) * s * s);
                ASSERT_EQ(fitted, literal) << s << " " << tone;
            }
        }
    }
}

TEST_F(HalftoneTest, MasksKeepTheShapeAndTheirTone)
{
    for (int s : {2, 7, 60}) {
        const DotSamplePtr empty = GetDotSample(s, 0);
        const DotSamplePtr full = GetDotSample(s, 255);
        ASSERT_TRUE(empty && full);
        EXPECT_EQ(empty->buffer(), std::vector<quint8>(size_t(s * s), 0));
        EXPECT_EQ(full->buffer(), std::vector<quint8>(size_t(s * s), 255));
    }
    const DotSamplePtr mid = GetDotSample(20, 100);
    ASSERT_TRUE(mid);
    const auto &b = mid->buffer();
    EXPECT_EQ(std::accumulate(b.begin(), b.end(), qint64(0)), 100 * 400);
    EXPECT_GT(b[size_t(10 + 10 * 20)], b[0]) << "the dot is densest in the middle";

    const DotSamplePtr small = GetDotSample(1, 300);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->size(), 2);
    EXPECT_EQ(small->colorValue(), 255);
    EXPECT_EQ(GetDotSample(2, 255), small) << "cached under 2 and 255";
}

TEST_F(HalftoneTest, CacheFileIsWrittenOnceReusedAndRemadeWhenWrong)
{
    const QString path = DotSampleCachePath(4, 128);
    EXPECT_FALSE(QFile::exists(path));
    const std::vector<quint8> made = DotSample::ReadBufferWithSize(4, 128);
    ASSERT_EQ(made.size(), 16u);
    QByteArray stored = pelkotest::readFile(path);
    EXPECT_EQ(stored, QByteArray(reinterpret_cast<const char *>(made.data()), 16));

    // Another valid mask of the same tone is used as it is.
    QByteArray flat(16, char(128));
    ASSERT_TRUE(pelkotest::writeFile(path, flat));
    EXPECT_EQ(DotSample::ReadBufferWithSize(4, 128), std::vector<quint8>(16, 128));

    // A short file, a long one, or one of the wrong tone is remade and rewritten.
    for (const QByteArray &wrong : {flat.left(10), flat + "x", QByteArray(16, char(127))}) {
        ASSERT_TRUE(pelkotest::writeFile(path, wrong));
        EXPECT_EQ(DotSample::ReadBufferWithSize(4, 128), made);
        EXPECT_EQ(pelkotest::readFile(path), stored);
    }
}

TEST_F(HalftoneTest, MissingMasterLeavesCellsAtTheBackground)
{
    SetBundleResourceFolder(pelkotest::freshDir(QStringLiteral("empty")));
    FreeDotSampleCache();
    EXPECT_TRUE(DotSample::ReadBufferWithSize(4, 100).empty());
    EXPECT_FALSE(GetDotSample(4, 100));
    const auto grey = imageOf(rgba(100, 100, 100), 8, 8);
    EXPECT_EQ(pixelsOf(ApplyHalfTone(grey.get(), oneColour(4))),
              std::vector<PIXEL>(64, rgba(255, 255, 255)));
}

TEST_F(HalftoneTest, WhiteBlackAndTransparentScreens)
{
    const PIXEL dot = rgba(0x10, 0x20, 0x30);
    struct Row
    {
        const char *name;
        PIXEL in;
        int w, h, s;
        PIXEL out;
    } rows[] = {
        {"white: background", rgba(255, 255, 255), 10, 10, 4, rgba(255, 255, 255)},
        {"black: dots everywhere", rgba(0, 0, 0), 10, 10, 4, dot},
        // Edges that are whole multiples of the cell: nothing repaints the last column or row.
        {"black, whole cells", rgba(0, 0, 0), 8, 8, 4, dot},
        {"black, one-pixel cells", rgba(0, 0, 0), 5, 3, 1, dot},
        {"transparent: tone 0", 0, 6, 6, 3, rgba(255, 255, 255)},
        // No mask is made for cells too large to count: they stay at the background.
        {"cells beyond any mask", rgba(0, 0, 0), 4, 4, INT32_MAX, rgba(255, 255, 255)},
    };
    for (const Row &row : rows) {
        const auto image = imageOf(row.in, row.w, row.h);
        EXPECT_EQ(pixelsOf(ApplyHalfTone(image.get(), oneColour(row.s))),
                  std::vector<PIXEL>(size_t(row.w * row.h), row.out))
            << row.name;
    }
    const auto image = imageOf(rgba(0, 0, 0), 4, 4);
    EXPECT_FALSE(ApplyHalfTone(image.get(), oneColour(0)));
    EXPECT_FALSE(ApplyHalfTone(nullptr, oneColour(4)));
    // The dots take the background's alpha.
    HALFTONE_EFFECT seeThrough = oneColour(2);
    seeThrough.backColor = 0xFFFFFF80ull;
    EXPECT_EQ(firstPixel(ApplyHalfTone(image.get(), seeThrough)),
              PremultiplyPixel(rgba(0x10, 0x20, 0x30, 0x80)));
}

TEST_F(HalftoneTest, OddColumnsAreStaggeredByHalfACell)
{
    // Column 1 (x 4..7) has cells at rows 2..5 and 6..7: black only in the first of them.
    std::vector<PIXEL> pixels(64, rgba(255, 255, 255));
    for (int y = 2; y < 6; ++y)
        for (int x = 4; x < 8; ++x)
            pixels[size_t(y * 8 + x)] = rgba(0, 0, 0);
    const std::vector<PIXEL> out =
        pixelsOf(ApplyHalfTone(imageOf(pixels, 8, 8).get(), oneColour(4)));
    ASSERT_EQ(out.size(), 64u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(out[size_t(y * 8 + x)], pixels[size_t(y * 8 + x)] == rgba(0, 0, 0)
                                                  ? rgba(0x10, 0x20, 0x30)
                                                  : rgba(255, 255, 255))
                << x << "," << y;
}

TEST_F(HalftoneTest, SeparatedChannelsAndTheSettingRecord)
{
    CHANGE_SETTING separated{};
    separated.value[0] = 1;
    separated.value[1] = 4;
    for (PIXEL p : {rgba(0, 0, 0), rgba(255, 255, 255), rgba(255, 0, 0), rgba(0, 255, 255)}) {
        const auto image = imageOf(p, 9, 7);
        EXPECT_EQ(pixelsOf(ApplyChange_RGBHalftone(image.get(), separated)),
                  std::vector<PIXEL>(63, p))
            << std::hex << p;
    }
    // Alpha stays, and colour never rises above it.
    const auto half = imageOf(rgba(128, 0, 128, 128), 5, 5);
    for (PIXEL p : pixelsOf(ApplyChange_RGBHalftone(half.get(), separated))) {
        EXPECT_EQ(p >> 24, 128u);
        EXPECT_LE(p & 0xFF, 128u);
    }

    CHANGE_SETTING one{};
    one.value[1] = 1; // cells of 2
    one.value[10] = 300;
    one.value[11] = NAN;
    one.value[12] = -4;
    const auto black = imageOf(rgba(0, 0, 0), 6, 6);
    EXPECT_EQ(pixelsOf(ApplyChange_RGBHalftone(black.get(), one)),
              std::vector<PIXEL>(36, rgba(255, 0, 0)));
    one.value[1] = 1e30f; // cells of 60
    EXPECT_EQ(pixelsOf(ApplyChange_RGBHalftone(black.get(), one)),
              std::vector<PIXEL>(36, rgba(255, 0, 0)));
    EXPECT_FALSE(ApplyChange_RGBHalftone(nullptr, one));
}

TEST_F(HalftoneTest, DotRoutinesStayInsideTheBuffer)
{
    std::vector<PIXEL> pixels(16, rgba(255, 255, 255));
    const auto before = pixels;
    // Cells reaching beyond the buffer, or wider than their mask, are not drawn.
    PaintHalftoneDot(pixels.data(), 4, 4, 4, 2, 2, 6, 6, 255, rgba(0, 0, 0));
    PaintHalftoneDot(pixels.data(), 4, 4, 2, 0, 0, 4, 4, 255, rgba(0, 0, 0));
    WriteHalftoneDotChannel(pixels.data(), 4, 4, 4, 0, 0, 4, 4, 255, 3);
    EXPECT_EQ(pixels, before);
    WriteHalftoneDotChannel(pixels.data(), 4, 4, 2, 2, 2, 4, 4, 0, 1);
    EXPECT_EQ(pixels[15], rgba(255, 0, 255));
    EXPECT_EQ(pixels[0], rgba(255, 255, 255));
}
