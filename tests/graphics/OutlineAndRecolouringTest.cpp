// The outline's mask growth, alpha copies, the patterned border, the two-colour recolouring,
// the transparent-key image and the comic composition.
#include "graphics/ComicEffect.h"
#include "graphics/ExtendMask.h"
#include "graphics/Recolouring.h"
#include "platform/ImageWriter.h"

#include "PixelTestSupport.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

#include <random>

using namespace pixeltest;

namespace {

// The growth as the passes describe it: seeds get levels + 1, and pass k hands m - 1 from every
// pixel marked m = levels + 1 - k to its unmarked 8 neighbours.
std::vector<PIXEL> literalExtend(long levels, const std::vector<PIXEL> &src, long w, long h,
                                 PIXEL colour, float fade)
{
    std::vector<long> mark(src.size(), 0);
    for (size_t i = 0; i < src.size(); ++i)
        mark[i] = (src[i] >> 24) >= 2 ? levels + 1 : 0;
    for (long k = 0; k < levels; ++k) {
        const long m = levels + 1 - k;
        std::vector<long> next = mark;
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x) {
                if (mark[size_t(y * w + x)] != m)
                    continue;
                for (long dy = -1; dy <= 1; ++dy)
                    for (long dx = -1; dx <= 1; ++dx) {
                        const long nx = x + dx, ny = y + dy;
                        if (nx >= 0 && ny >= 0 && nx < w && ny < h &&
                            next[size_t(ny * w + nx)] == 0)
                            next[size_t(ny * w + nx)] = m - 1;
                    }
            }
        mark = next;
    }
    std::vector<PIXEL> out(src.size());
    for (size_t i = 0; i < src.size(); ++i) {
        quint32 alpha = 0;
        if (mark[i] != 0) {
            const long d = levels + 1 - mark[i];
            const float t = float(d) * fade;
            alpha = t >= 0.99f    ? 0
                    : t <= 0.001f ? 255
                                  : quint32(std::min(255.0f, (1.0f - float(d) * fade) * 255.0f));
        }
        out[i] = PremultiplyPixel((colour & 0xFFFFFFu) | (alpha << 24));
    }
    return out;
}

} // namespace

TEST(OutlineAndRecolouringTest, MaskGrowthMatchesThePassByPassGrowth)
{
    std::mt19937 random(24);
    for (int round = 0; round < 40; ++round) {
        const long w = 1 + long(random() % 61);
        const long h = 1 + long(random() % 19);
        std::vector<PIXEL> src(size_t(w * h));
        const int density = 2 + int(random() % 40);
        for (PIXEL &p : src)
            p = random() % density == 0 ? rgba(0, 0, 0, 1 + random() % 255)
                                        : rgba(0, 0, 0, random() % 2);
        const long levels = 1 + long(random() % 30);
        const float fade = float(random() % 100) / 400.0f;
        std::vector<PIXEL> out(src.size(), 0xDEADBEEF);
        ASSERT_TRUE(
            ExtendMaskBuffer(levels, src.data(), w, h, out.data(), rgba(40, 200, 90), fade));
        ASSERT_EQ(out, literalExtend(levels, src, w, h, rgba(40, 200, 90), fade))
            << "round " << round << " levels " << levels << " fade " << fade;
    }
}

TEST(OutlineAndRecolouringTest, MaskGrowthFadesAndRefusesWhatItCannotDo)
{
    std::vector<PIXEL> src(49, rgba(0, 0, 0, 1)); // alpha 1 is not a seed
    src[24] = rgba(0, 0, 0, 2);
    std::vector<PIXEL> out(49);
    ASSERT_TRUE(ExtendMaskBuffer(2, src.data(), 7, 7, out.data(), rgba(255, 255, 255), 0.25f));
    EXPECT_EQ(out[24] >> 24, 255u);
    EXPECT_EQ(out[16] >> 24, 191u);
    EXPECT_EQ(out[8] >> 24, 127u);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[8], rgba(127, 127, 127, 127)) << "premultiplied";

    ASSERT_TRUE(ExtendMaskBuffer(3, src.data(), 7, 7, out.data(), rgba(255, 255, 255), 0.5f));
    EXPECT_EQ(out[8], 0u) << "distance 2 at fade 0.5 is fully faded";

    const std::vector<PIXEL> untouched(49, 0x12345678);
    for (auto [levels, fade] :
         {std::pair{1001L, 0.0f}, {0L, 0.0f}, {1L, 1.0f}, {1L, -0.1f}, {1L, NAN}}) {
        // A fresh buffer each row: GCC 12's optimiser misreads assigning over the used one.
        std::vector<PIXEL> kept(untouched);
        EXPECT_FALSE(ExtendMaskBuffer(levels, src.data(), 7, 7, kept.data(), 0, fade));
        EXPECT_EQ(kept, untouched);
    }
    EXPECT_FALSE(ExtendMaskBuffer(1, src.data(), 0, 7, out.data(), 0, 0));
    EXPECT_FALSE(ExtendMaskBuffer(1, nullptr, 7, 7, out.data(), 0, 0));
}

TEST(OutlineAndRecolouringTest, AlphaCopyKeepsTheStraightColour)
{
    std::vector<PIXEL> dst{rgba(200, 100, 50), rgba(100, 0, 0, 100)};
    const std::vector<PIXEL> src{rgba(0, 0, 0, 0), rgba(0, 0, 0, 255)};
    ASSERT_TRUE(CopyAlphaChannel(dst.data(), src.data(), 2, 1));
    EXPECT_EQ(dst, (std::vector<PIXEL>{0, rgba(255, 0, 0)}));
    EXPECT_FALSE(CopyAlphaChannel(dst.data(), nullptr, 2, 1));
}

TEST(OutlineAndRecolouringTest, PatternBorderIsMitredAroundTheSource)
{
    // A 3 x 2 pattern: rows are bands, row 0 outermost.
    const ImageDataPtr pattern = bufferOf(
        {rgba(1, 0, 0), rgba(2, 0, 0), rgba(3, 0, 0), rgba(4, 0, 0), rgba(5, 0, 0), rgba(6, 0, 0)},
        3, 2);
    const ImageDataPtr source = bufferOf(std::vector<PIXEL>(16, rgba(0, 9, 0)), 4, 4);
    source->data[0] = rgba(0, 8, 0);
    const ImageDataPtr framed = AddPatternBorder(source.get(), pattern.get());
    ASSERT_TRUE(framed);
    ASSERT_EQ(framed->w(), 8);
    ASSERT_EQ(framed->h(), 8);
    EXPECT_EQ(framed->pixelAtX(0, 0), rgba(1, 0, 0));
    EXPECT_EQ(framed->pixelAtX(1, 0), rgba(2, 0, 0));
    EXPECT_EQ(framed->pixelAtX(0, 1), rgba(2, 0, 0));
    EXPECT_EQ(framed->pixelAtX(1, 1), rgba(5, 0, 0)) << "band row 1";
    EXPECT_EQ(framed->pixelAtX(7, 7), rgba(2, 0, 0)) << "row 7 mod 3";
    EXPECT_EQ(framed->pixelAtX(2, 2), rgba(0, 8, 0));
    EXPECT_EQ(framed->pixelAtX(5, 5), rgba(0, 9, 0));

    EXPECT_FALSE(AddPatternBorder(source.get(), nullptr));
    EXPECT_FALSE(AddPatternBorder(nullptr, pattern.get()));
}

TEST(OutlineAndRecolouringTest, RecolouringByBrightness)
{
    const ImageDataPtr data = bufferOf({rgba(0, 0, 0), rgba(255, 255, 255), rgba(2, 1, 0, 2),
                                        rgba(0, 0, 0, 0), rgba(128, 128, 128, 128)},
                                       5, 1);
    const auto image = ApplyColorToImage(data.get(), 0x102030FFull, 0xF0E0D0FFull);
    ASSERT_TRUE(image);
    EXPECT_EQ(data->data[0], rgba(0x10, 0x20, 0x30));
    EXPECT_EQ(data->data[1], rgba(0xF0, 0xE0, 0xD0));
    EXPECT_EQ(data->data[2], rgba(2, 1, 0, 2)) << "alpha below 3 keeps its bytes";
    EXPECT_EQ(data->data[3], 0u);
    // Half-transparent white is light colour at half alpha, not a mid tone.
    EXPECT_EQ(data->data[4], PremultiplyPixel(rgba(0xF0, 0xE0, 0xD0, 128)));
    EXPECT_EQ(pixelsOf(image), data->data);
    EXPECT_FALSE(ApplyColorToImage(nullptr, 0, 0));
}

TEST(OutlineAndRecolouringTest, TransparentKeyImageIsCroppedAndWrittenAsTiff)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("bw"));
    QImage picture(5, 4, QImage::Format_RGBA8888_Premultiplied);
    picture.fill(Qt::white);
    picture.setPixelColor(1, 1, Qt::black);
    picture.setPixelColor(3, 2, QColor(10, 10, 10));
    const QString source = dir + QStringLiteral("/bw.png");
    ASSERT_TRUE(picture.save(source));
    const QString destination = dir + QStringLiteral("/out.tiff");

    ASSERT_TRUE(GenerateTransparentImageFromNormalBWImage(source, destination, 0xFFFFFFFFull, 0));
    const QImage back(destination);
    ASSERT_EQ(back.size(), QSize(3, 2));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(back.pixelColor(2, 1), QColor(10, 10, 10));
    EXPECT_EQ(back.pixelColor(1, 0).alpha(), 0);

    // A wide tolerance clears everything: nothing is written.
    const QString none = dir + QStringLiteral("/none.tiff");
    EXPECT_FALSE(GenerateTransparentImageFromNormalBWImage(source, none, 0xFFFFFFFFull, 765));
    EXPECT_FALSE(QFile::exists(none));
    EXPECT_FALSE(GenerateTransparentImageFromNormalBWImage(source, none, kNoColorWord, 0));
    EXPECT_FALSE(GenerateTransparentImageFromNormalBWImage(dir + QStringLiteral("/missing.png"),
                                                           none, 0xFFFFFFFFull, 0));
    EXPECT_FALSE(GenerateTransparentImageFromNormalBWImage(source, QString(), 0xFFFFFFFFull, 0));

    // A failed write is a failure, and the file that was there stays.
    platform::setImageWriteFailureHook([](const QString &) { return true; });
    EXPECT_FALSE(GenerateTransparentImageFromNormalBWImage(source, destination, 0xFFFFFFFFull, 0));
    platform::setImageWriteFailureHook(nullptr);
    EXPECT_EQ(QImage(destination).size(), QSize(3, 2));
}

TEST(OutlineAndRecolouringTest, ComicLayersLeaveUncoveredPixelsZero)
{
    // A 3 x 3 opaque square in the middle of 11 x 11.
    std::vector<PIXEL> pixels(121, 0);
    for (int y = 4; y < 7; ++y)
        for (int x = 4; x < 7; ++x)
            pixels[size_t(y * 11 + x)] = rgba(100, 100, 100);
    const auto image = imageOf(pixels, 11, 11);

    COMIC_EFFECT plain{};
    plain.gradientColor1 = plain.gradientColor2 = plain.gradientColor3 = kNoColorWord;
    EXPECT_EQ(pixelsOf(GetComicEffectImg(image.get(), plain)), pixels) << "the base alone";

    COMIC_EFFECT effect = plain;
    effect.outlineWidth = 1;
    effect.outlineColor = 0xFF0000FFull;
    effect.shadowColor = 0x0000FFFFull;
    effect.shadowX = 3;
    effect.shadowY = -3; // downwards
    effect.shadowAlpha = 0.5f;
    effect.gradientColor1 = 0x00FF00FFull;
    effect.gradientColor3 = 0x00FF00FFull;
    const std::vector<PIXEL> out = pixelsOf(GetComicEffectImg(image.get(), effect));
    ASSERT_EQ(out.size(), 121u);
    EXPECT_EQ(out[5 * 11 + 5], rgba(0, 255, 0)) << "the filled picture on top";
    EXPECT_EQ(out[3 * 11 + 3], rgba(255, 0, 0)) << "the outline";
    // The shadow (moved 3 right and 3 down) over the outline, and alone beyond it.
    EXPECT_EQ(out[8 * 11 + 8], PremultiplyPixel(rgba(0, 0, 255, 127)));
    EXPECT_EQ(out[9 * 11 + 9], PremultiplyPixel(rgba(0, 0, 255, 127)));
    for (int i : {0, 10, 2 * 11 + 2, 10 * 11, 2 * 11 + 9})
        EXPECT_EQ(out[size_t(i)], 0u) << "pixel " << i << " no layer covers";
    EXPECT_FALSE(GetComicEffectImg(nullptr, effect));
}
