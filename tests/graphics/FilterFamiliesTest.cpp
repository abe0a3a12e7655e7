// Our own image filters, run through the effects: what each keeps, what each changes, and that
// no record, however odd, makes one fail or change the picture's size.
#include "graphics/FilterEffects.h"
#include "graphics/PelkoNSImage.h"
#include "graphics/StraightColor.h"
#include "services/SupportFolder.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <set>

using platform::Image;
using platform::ImagePtr;

namespace {

using Effect = ImagePtr (*)(const Image *, CHANGE_SETTING);

CHANGE_SETTING record(std::initializer_list<float> first, float cx = -1, float cy = -1)
{
    CHANGE_SETTING s{};
    int i = 0;
    for (float v : first)
        s.value[i++] = v;
    s.value[10] = cx;
    s.value[11] = cy;
    return s;
}

QImage randomPicture(int w, int h, unsigned seed, bool halfTransparent)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const quint32 a = halfTransparent && (x + y) % 3 == 0 ? 128 : 255;
            const quint32 straight = (random() & 0xFFFFFFu) | a << 24;
            reinterpret_cast<quint32 *>(image.scanLine(y))[x] = PremultiplyPixel(straight);
        }
    return image;
}

QImage flat(int w, int h, quint32 premultiplied)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        std::fill_n(reinterpret_cast<quint32 *>(image.scanLine(y)), w, premultiplied);
    return image;
}

QImage pixelsOf(const ImagePtr &image)
{
    if (!image)
        return {};
    return image->render(getPixelSize(image.get()).toSize())
        .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

quint32 at(const QImage &image, int x, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y))[x];
}

struct Case
{
    const char *name;
    Effect effect;
    CHANGE_SETTING setting;
};

TEST(FilterFamiliesTest, NoRadiusOrAmountLeavesThePicture)
{
    const Case cases[] = {
        {"GaussianBlur", ApplyChange_GaussianBlur, record({0})},
        {"UnsharpMask radius", ApplyChange_UnsharpMask, record({0, 1})},
        {"UnsharpMask intensity", ApplyChange_UnsharpMask, record({3, 0})},
        {"Gloom", ApplyChange_Gloom, record({3, 0})},
        {"SharpenLuminance", ApplyChange_SharpenLuminance, record({0})},
        {"MotionBlur", ApplyChange_MotionBlur, record({0, 1})},
        {"ZoomBlur", ApplyChange_ZoomBlur, record({0}, 4, 4)},
        {"Vibrance", ApplyChange_Vibrance, record({0})},
        {"Crystallize", ApplyChange_Crystallize, record({0})},
        {"Pointillize", ApplyChange_Pointillize, record({0})},
        {"HexagonalPixellate", ApplyChange_HexagonalPixellate, record({0})},
        {"BumpDistortion", ApplyChange_BumpDistortion, record({10, 0}, 5, 5)},
        {"BumpDistortion radius", ApplyChange_BumpDistortion, record({0, 1}, 5, 5)},
        {"BumpDistortionLinear", ApplyChange_BumpDistortionLinear, record({10, 0, 1}, 5, 5)},
        {"HoleDistortion", ApplyChange_HoleDistortion, record({0}, 5, 5)},
        {"PinchDistortion", ApplyChange_PinchDistortion, record({10, 0}, 5, 5)},
        {"TwirlDistortion", ApplyChange_TwirlDistortion, record({10, 0, 0}, 5, 5)},
        {"VortexDistortion", ApplyChange_VortexDistortion, record({10, 0, 0}, 5, 5)},
        {"NaN radius", ApplyChange_GaussianBlur, record({NAN})},
    };
    const QImage picture = randomPicture(23, 17, 5, true);
    const ImagePtr source = Image::fromBitmap(picture);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixelsOf(c.effect(source.get(), c.setting)), picture);
    }
}

TEST(FilterFamiliesTest, FlatPicturesStayFlatUnderTheBlurs)
{
    const Case cases[] = {
        {"GaussianBlur", ApplyChange_GaussianBlur, record({4.5f})},
        {"UnsharpMask", ApplyChange_UnsharpMask, record({2.5f, 3})},
        {"Bloom", ApplyChange_Bloom, record({2.5f, 3})},
        {"Gloom", ApplyChange_Gloom, record({6, 1})},
        {"SharpenLuminance", ApplyChange_SharpenLuminance, record({2})},
        {"MotionBlur", ApplyChange_MotionBlur, record({7, 0.6f})},
        {"ZoomBlur", ApplyChange_ZoomBlur, record({60}, 3, 9)},
        {"Crystallize", ApplyChange_Crystallize, record({4})},
        {"HexagonalPixellate", ApplyChange_HexagonalPixellate, record({5})},
        {"Vibrance", ApplyChange_Vibrance, record({0.8f})},
    };
    for (quint32 colour : {0xFF3070C0u, PremultiplyPixel(0x803070C0u)}) {
        const QImage picture = flat(21, 15, colour);
        const ImagePtr source = Image::fromBitmap(picture);
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            if (QByteArray(c.name) == "Vibrance")
                continue; // colour changes, flatness stays: checked below
            EXPECT_EQ(pixelsOf(c.effect(source.get(), c.setting)), picture);
        }
        const QImage vibrant = pixelsOf(ApplyChange_Vibrance(source.get(), record({0.8f})));
        EXPECT_EQ(vibrant, flat(21, 15, at(vibrant, 0, 0)));
    }
}

TEST(FilterFamiliesTest, BloomIsTheUnsharpMask)
{
    const ImagePtr source = Image::fromBitmap(randomPicture(19, 13, 2, true));
    const QImage bloom = pixelsOf(ApplyChange_Bloom(source.get(), record({2, 0.7f})));
    EXPECT_FALSE(bloom.isNull());
    EXPECT_EQ(bloom, pixelsOf(ApplyChange_UnsharpMask(source.get(), record({2, 0.7f}))));
    EXPECT_NE(bloom, pixelsOf(source));
}

// Centres are given y up: (5, 5) on a picture 30 high is column 5, row 24.
TEST(FilterFamiliesTest, CentresAreYUp)
{
    const ImagePtr source = Image::fromBitmap(flat(40, 30, 0xFF00FF00u));
    const QImage hole = pixelsOf(ApplyChange_HoleDistortion(source.get(), record({4}, 5, 5)));
    ASSERT_FALSE(hole.isNull());
    EXPECT_EQ(at(hole, 5, 24) >> 24, 0u);
    EXPECT_EQ(at(hole, 5, 5), 0xFF00FF00u);
    // A negative pair keeps the default centre (150, 150), far outside this picture.
    const QImage kept = pixelsOf(ApplyChange_HoleDistortion(source.get(), record({4})));
    EXPECT_EQ(at(kept, 5, 24), 0xFF00FF00u);
    // The twirl turns counter-clockwise: a red pixel right of the centre ends up above it.
    QImage marked = flat(41, 41, 0xFF000000u);
    for (int x = 28; x <= 30; ++x)
        reinterpret_cast<quint32 *>(marked.scanLine(20))[x] = 0xFF0000FFu;
    const QImage turned = pixelsOf(ApplyChange_TwirlDistortion(
        Image::fromBitmap(marked).get(),
        record({40, 0, float(std::numbers::pi / 2 / 0.600625)}, 20, 20)));
    ASSERT_FALSE(turned.isNull());
    // Distance 9 of radius 40: the turn is angle x (1 - 0.225)^2 = a quarter turn.
    EXPECT_GT(at(turned, 20, 11) & 0xFF, 100u);
    EXPECT_LT(at(turned, 20, 29) & 0xFF, 30u);
}

TEST(FilterFamiliesTest, CellsTakeTheirColoursFromThePicture)
{
    const QImage picture = randomPicture(30, 20, 9, false);
    std::set<quint32> colours;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            colours.insert(at(picture, x, y));
    const ImagePtr source = Image::fromBitmap(picture);
    for (Effect effect : {ApplyChange_Crystallize, ApplyChange_HexagonalPixellate}) {
        const QImage out = pixelsOf(effect(source.get(), record({6})));
        ASSERT_EQ(out.size(), picture.size());
        std::set<quint32> seen;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                EXPECT_TRUE(colours.count(at(out, x, y)));
                seen.insert(at(out, x, y));
            }
        EXPECT_LT(seen.size(), 60u); // cells, not pixels
        EXPECT_GT(seen.size(), 3u);
    }
    // Pointillize: dots of the picture's colours, nothing between them.
    const QImage dots = pixelsOf(ApplyChange_Pointillize(source.get(), record({5})));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            EXPECT_TRUE(at(dots, x, y) == 0 || colours.count(at(dots, x, y)));
}

TEST(FilterFamiliesTest, ScreensKeepWhiteAndBlackAndMakeGreyIntoInkAndPaper)
{
    const Case cases[] = {
        {"DotScreen", ApplyChange_DotScreen, record({0.3f, 6, 0.7f})},
        {"LineScreen", ApplyChange_LineScreen, record({0.3f, 6, 0.7f})},
        {"HatchedScreen", ApplyChange_HatchedScreen, record({0.3f, 6, 0.7f})},
        {"CircularScreen", ApplyChange_CircularScreen, record({6, 0.7f}, 10, 10)},
        {"CMYKHalftone", ApplyChange_CMYKHalftone, record({6, 0.3f, 0.7f, 1, 0.5f})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (quint32 colour : {0xFFFFFFFFu, 0xFF000000u}) {
            const QImage picture = flat(24, 24, colour);
            EXPECT_EQ(pixelsOf(c.effect(Image::fromBitmap(picture).get(), c.setting)), picture);
        }
        const QImage grey =
            pixelsOf(c.effect(Image::fromBitmap(flat(24, 24, 0xFF808080u)).get(), c.setting));
        int ink = 0, paper = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                ink += (at(grey, x, y) & 0xFF) < 40;
                paper += (at(grey, x, y) & 0xFF) > 215;
            }
        EXPECT_GT(ink, 24 * 24 / 8);
        EXPECT_GT(paper, 24 * 24 / 8);
    }
}

// The colour effects work on straight colour: a half-transparent picture gives the opaque
// result at half alpha, within rounding.
TEST(FilterFamiliesTest, HalfTransparentPixelsGetTheColourOfOpaqueOnes)
{
    const Case cases[] = {
        {"Vibrance", ApplyChange_Vibrance, record({0.9f})},
        {"DotScreen", ApplyChange_DotScreen, record({0.3f, 6, 0.7f})},
        {"CMYKHalftone", ApplyChange_CMYKHalftone, record({6, 0.3f, 0.7f, 1, 0.5f})},
        {"Sunbeams", ApplyChange_SunbeamsGenerator,
         [] {
             CHANGE_SETTING s = record({0, 6, 1, 0.5f, 1.4f, 0}, 1, 0.5f);
             s.value[12] = 0.2f;
             s.value[13] = 8;
             s.value[14] = 6;
             return s;
         }()},
    };
    // The opaque picture holds the colours the half-transparent one can hold.
    QImage half = randomPicture(16, 12, 4, false);
    QImage opaque = half;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) {
            const quint32 p = PremultiplyPixel((at(half, x, y) & 0xFFFFFFu) | 0x80000000u);
            reinterpret_cast<quint32 *>(half.scanLine(y))[x] = p;
            reinterpret_cast<quint32 *>(opaque.scanLine(y))[x] =
                UnpremultiplyPixel(p) | 0xFF000000u;
        }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage a = pixelsOf(c.effect(Image::fromBitmap(opaque).get(), c.setting));
        const QImage b = pixelsOf(c.effect(Image::fromBitmap(half).get(), c.setting));
        ASSERT_FALSE(a.isNull());
        ASSERT_FALSE(b.isNull());
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const quint32 want = PremultiplyPixel((at(a, x, y) & 0xFFFFFFu) | 0x80000000u);
                const quint32 got = at(b, x, y);
                for (int shift : {0, 8, 16, 24})
                    ASSERT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 1)
                        << x << "," << y;
            }
    }
}

TEST(FilterFamiliesTest, TheLineOverlayDrawsEdgesBlackOnWhite)
{
    const QImage plain = flat(20, 16, 0xFF4080C0u);
    const CHANGE_SETTING defaults = record({0.07f, 0.71f, 1, 0.1f, 50});
    EXPECT_EQ(pixelsOf(ApplyChange_LineOverlay(Image::fromBitmap(plain).get(), defaults)),
              flat(20, 16, 0xFFFFFFFFu));
    QImage edge = plain;
    for (int y = 0; y < 16; ++y)
        std::fill_n(reinterpret_cast<quint32 *>(edge.scanLine(y)) + 10, 10, 0xFFFFFFFFu);
    const QImage lines = pixelsOf(ApplyChange_LineOverlay(Image::fromBitmap(edge).get(), defaults));
    EXPECT_EQ(at(lines, 9, 8), 0xFF000000u);
    EXPECT_EQ(at(lines, 2, 8), 0xFFFFFFFFu);
    EXPECT_EQ(at(lines, 17, 8), 0xFFFFFFFFu);
    // The comic effect: the same lines over a posterised copy.
    const QImage comic = pixelsOf(ApplyChange_ComicEffect(Image::fromBitmap(edge).get(), {}));
    EXPECT_EQ(at(comic, 9, 8), 0xFF000000u);
    EXPECT_EQ(at(comic, 2, 8), 0xFF55AAAAu); // (192, 128, 64) in four levels
    EXPECT_EQ(at(comic, 17, 8), 0xFFFFFFFFu);
}

TEST(FilterFamiliesTest, TheLightsShineWhereTheyAreLaid)
{
    const ImagePtr black = Image::fromBitmap(flat(40, 30, 0xFF000000u));
    for (float mode : {0.0f, 1.0f}) {
        SCOPED_TRACE(mode);
        CHANGE_SETTING s = record({mode, 4, 1, 0, 1, 0, 0}, 1, 1);
        s.value[12] = 0; // yellow: a light of brightness 2/3 at most
        s.value[13] = 12;
        s.value[14] = 9;
        const QImage out = pixelsOf(ApplyChange_SunbeamsGenerator(black.get(), s));
        ASSERT_EQ(out.size(), QSize(40, 30));
        const quint32 middle = at(out, 12, 9);
        EXPECT_GT(middle & 0xFF, 140u);
        EXPECT_EQ(middle & 0xFF, (middle >> 8) & 0xFF);
        EXPECT_EQ((middle >> 16) & 0xFF, 0u);
        EXPECT_EQ(at(out, 39, 29), 0xFF000000u); // beyond its reach
    }
}

// Odd records never crash an effect nor change the picture's size.
TEST(FilterFamiliesTest, OddRecordsKeepThePicturesSize)
{
    const Effect effects[] = {ApplyChange_Crystallize,
                              ApplyChange_GaussianBlur,
                              ApplyChange_Gloom,
                              ApplyChange_HexagonalPixellate,
                              ApplyChange_MotionBlur,
                              ApplyChange_Pointillize,
                              ApplyChange_SharpenLuminance,
                              ApplyChange_UnsharpMask,
                              ApplyChange_Bloom,
                              ApplyChange_Vibrance,
                              ApplyChange_BumpDistortion,
                              ApplyChange_BumpDistortionLinear,
                              ApplyChange_CircularWrap,
                              ApplyChange_HoleDistortion,
                              ApplyChange_PinchDistortion,
                              ApplyChange_TwirlDistortion,
                              ApplyChange_VortexDistortion,
                              ApplyChange_ZoomBlur,
                              ApplyChange_CMYKHalftone,
                              ApplyChange_CircularScreen,
                              ApplyChange_HatchedScreen,
                              ApplyChange_DotScreen,
                              ApplyChange_LineScreen,
                              ApplyChange_LineOverlay,
                              ApplyChange_ComicEffect,
                              ApplyChange_SunbeamsGenerator};
    const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity(),
                         3e38f,
                         -3e38f,
                         1e-40f,
                         -0.0f};
    const ImagePtr source = Image::fromBitmap(randomPicture(9, 7, 1, true));
    for (float v : odd) {
        CHANGE_SETTING s;
        std::fill_n(s.value, 15, v);
        for (size_t i = 0; i < std::size(effects); ++i) {
            SCOPED_TRACE(testing::Message() << i << " with " << v);
            const ImagePtr out = effects[i](source.get(), s);
            ASSERT_TRUE(out);
            EXPECT_EQ(getPixelSize(out.get()), QSizeF(9, 7));
        }
    }
}

} // namespace
