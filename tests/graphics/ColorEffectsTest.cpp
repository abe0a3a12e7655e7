// Hue, channel, grey, brightness, contrast and texture effects.
#include "graphics/BrightnessContrast.h"
#include "graphics/ColorShift.h"
#include "graphics/GrayDuotone.h"
#include "graphics/HueConversions.h"
#include "graphics/Texturizer.h"
#include "services/SupportFolder.h"

#include "PixelTestSupport.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

#include <functional>

using namespace pixeltest;
using platform::ImagePtr;

namespace {

CHANGE_SETTING setting(std::initializer_list<std::pair<int, float>> fields)
{
    CHANGE_SETTING s{};
    for (const auto &[index, value] : fields)
        s.value[index] = value;
    return s;
}

PIXEL applied(ImagePtr (*effect)(const platform::Image *, CHANGE_SETTING), PIXEL pixel,
              const CHANGE_SETTING &s)
{
    return firstPixel(effect(imageOf(pixel).get(), s));
}

} // namespace

TEST(ColorEffectsTest, HueValueSaturation)
{
    struct Row
    {
        const char *name;
        CHANGE_SETTING s;
        PIXEL in, out;
    } rows[] = {
        {"no shift keeps colour", setting({}), rgba(200, 100, 50), rgba(200, 100, 50)},
        {"no shift keeps red", setting({}), rgba(255, 0, 0), rgba(255, 0, 0)},
        {"grey keeps its small saturation: white", setting({}), rgba(255, 255, 255),
         rgba(255, 252, 252)},
        {"grey keeps its small saturation: mid-grey", setting({}), rgba(128, 128, 128),
         rgba(128, 125, 125)},
        {"near-black unchanged", setting({}), rgba(2, 2, 2), rgba(2, 2, 2)},
        {"full turn keeps red", setting({{0, 360}}), rgba(255, 0, 0), rgba(255, 0, 0)},
        {"two turns keep red", setting({{0, 720}}), rgba(255, 0, 0), rgba(255, 0, 0)},
        {"value down to black", setting({{1, -1}}), rgba(200, 100, 50), rgba(0, 0, 0)},
        {"saturation down to grey", setting({{2, -1}}), rgba(200, 100, 50), rgba(200, 200, 200)},
        {"NaN shifts nothing", setting({{0, NAN}, {1, NAN}, {2, NAN}}), rgba(200, 100, 50),
         rgba(200, 100, 50)},
    };
    for (const Row &row : rows)
        EXPECT_EQ(applied(ApplyChange_HSV, row.in, row.s), row.out) << row.name;

    // Hues read back from bytes, so within a degree.
    EXPECT_NEAR(PixelToHSV(applied(ApplyChange_HSV, rgba(255, 0, 0), setting({{0, 725}}))).h, 5, 1);
    EXPECT_NEAR(PixelToHSV(applied(ApplyChange_HSV, rgba(255, 0, 0), setting({{0, -1}}))).h, 359,
                1);
}

TEST(ColorEffectsTest, HueWrapsAsTheEffectDoes)
{
    const std::pair<float, float> rows[] = {{360, 0},     {725, 5},    {-1, 359}, {359.5f, 359},
                                            {1e30f, 359}, {-1e30f, 0}, {NAN, 0},  {3600, 0}};
    for (const auto &[in, out] : rows)
        EXPECT_EQ(WrapShiftedHue(in), out) << in;
}

TEST(ColorEffectsTest, ChannelOffsets)
{
    const CHANGE_SETTING s = setting({{0, -10.5f}, {1, 0}, {2, 300}});
    EXPECT_EQ(applied(ApplyChange_RGB, rgba(10, 20, 0), s), rgba(0, 20, 255));
    EXPECT_EQ(applied(ApplyChange_RGB, rgba(11, 255, 255), s), rgba(0, 255, 255));
    EXPECT_EQ(applied(ApplyChange_RGB, rgba(100, 7, 7), setting({{0, NAN}, {1, 1e30f}})),
              rgba(100, 255, 7));
}

TEST(ColorEffectsTest, GreyThresholdAndDuotone)
{
    const CHANGE_SETTING threshold0 = setting({{0, 1}, {1, 0}, {10, 10}, {11, 20}, {12, 30}});
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(2, 2, 1), threshold0), rgba(10, 20, 30));
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(2, 2, 2), threshold0), rgba(255, 255, 255));
    const CHANGE_SETTING threshold300 = setting({{0, 1}, {1, 300}, {10, 10}});
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(255, 255, 255), threshold300), rgba(255, 255, 255));
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(254, 254, 254), threshold300), rgba(10, 0, 0));

    const CHANGE_SETTING duotone = setting({{0, 1.0001f}, {1, 0}, {10, 0}, {11, 128}, {12, 255}});
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(0, 0, 0), duotone), rgba(0, 128, 255));
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(255, 255, 255), duotone), rgba(255, 255, 255));
    const PIXEL mid = applied(ApplyChange_Gray, rgba(100, 150, 200), duotone); // grey 150
    EXPECT_EQ(mid, rgba(int(255.0f - 255 * float(1 - 150 / 255.0)),
                        int(255.0f - 127 * float(1 - 150 / 255.0)), 255));
    // Colour fields beyond the byte range, or NaN, are held to it.
    const CHANGE_SETTING wild = setting({{0, 0}, {10, -5}, {11, 1e9f}, {12, NAN}});
    EXPECT_EQ(applied(ApplyChange_Gray, rgba(0, 0, 0), wild), rgba(0, 255, 0));
}

TEST(ColorEffectsTest, BrightnessAndContrast)
{
    const ImageDataPtr data = bufferOf({rgba(0, 127, 128), rgba(129, 250, 255)}, 2, 1);
    ImagePtr image;
    ImageDataPtr out;
    ASSERT_TRUE(ApplyContrast(data.get(), nullptr, 255, &image, &out));
    ASSERT_TRUE(image);
    EXPECT_EQ(out->data, (std::vector<PIXEL>{rgba(0, 0, 128), rgba(255, 255, 255)}));
    EXPECT_EQ(data->data[0], rgba(0, 127, 128)) << "the source buffer is not changed";

    ASSERT_TRUE(ApplyBrightness(data.get(), nullptr, 1000, nullptr, &out));
    EXPECT_EQ(out->data, (std::vector<PIXEL>{rgba(255, 255, 255), rgba(255, 255, 255)}));
    ASSERT_TRUE(ApplyBrightness(nullptr, imageOf(rgba(10, 20, 30)).get(), -15, nullptr, &out));
    EXPECT_EQ(out->data, (std::vector<PIXEL>{rgba(0, 5, 15)}));

    image = imageOf(rgba(1, 1, 1));
    out = ImageData::imageWithWidth(1, 1);
    EXPECT_FALSE(ApplyBrightness(nullptr, nullptr, 5, &image, &out));
    EXPECT_FALSE(image);
    EXPECT_FALSE(out) << "out values are cleared on failure";

    // Brightness first, then contrast on its result; small fields change nothing.
    EXPECT_EQ(applied(ApplyChange_ContrastBrightness, rgba(100, 120, 140),
                      setting({{0, 0.05f}, {1, 0.05f}})),
              rgba(100, 120, 140));
    EXPECT_EQ(
        applied(ApplyChange_ContrastBrightness, rgba(100, 120, 140), setting({{0, 28}, {1, 255}})),
        rgba(128, 255, 255));
}

TEST(ColorEffectsTest, TextureMultiply)
{
    const ImagePtr picture = imageOf(
        std::vector<PIXEL>{rgba(200, 100, 50), rgba(0, 0, 0, 0), rgba(64, 32, 0, 128)}, 3, 1);
    EXPECT_EQ(pixelsOf(ApplyTextureMask(picture.get(), imageOf(rgba(255, 255, 255)).get())),
              pixelsOf(picture));
    EXPECT_EQ(pixelsOf(ApplyTextureMask(picture.get(), imageOf(rgba(0, 0, 0)).get())),
              (std::vector<PIXEL>{rgba(0, 0, 0), 0, rgba(0, 0, 0, 128)}));
    // Tiled: a two-pixel texture repeats along the row.
    const ImagePtr halfTexture =
        imageOf(std::vector<PIXEL>{rgba(255, 255, 255), rgba(128, 128, 128)}, 2, 1);
    const ImagePtr row = imageOf(rgba(200, 200, 200), 4, 1);
    EXPECT_EQ(pixelsOf(ApplyTextureMask(row.get(), halfTexture.get())),
              (std::vector<PIXEL>{rgba(200, 200, 200), rgba(100, 100, 100), rgba(200, 200, 200),
                                  rgba(100, 100, 100)}));
    EXPECT_EQ(ApplyTextureMask(picture.get(), nullptr), picture) << "no texture: the source";
    EXPECT_FALSE(ApplyTextureMask(nullptr, halfTexture.get()));
}

TEST(ColorEffectsTest, TexturesComeFromTheBundleInOrder)
{
    const QString bundle = pelkotest::freshDir(QStringLiteral("bundle"));
    QDir().mkpath(bundle + QStringLiteral("/images"));
    for (int i = 1; i <= 3; ++i) {
        QImage texture(2, 2, QImage::Format_RGBA8888_Premultiplied);
        texture.fill(QColor(i * 50, i * 50, i * 50));
        ASSERT_TRUE(texture.save(bundle + QStringLiteral("/images/filter%1.png").arg(i)));
    }
    SetBundleResourceFolder(bundle);
    ApplyChange_Texturizer_FreeMasks();
    int count = -1;
    const ImagePtr second = ApplyChange_Texturizer_GetMask(setting({{0, 1.9f}}), &count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(firstPixel(second), rgba(100, 100, 100));
    for (float index : {-1.0f, 3.0f, 50.0f, NAN, 1e20f})
        EXPECT_FALSE(ApplyChange_Texturizer_GetMask(setting({{0, index}}), nullptr)) << index;
    EXPECT_EQ(applied(ApplyChange_Texturizer, rgba(255, 255, 255), setting({{0, 0}})),
              rgba(50, 50, 50));
    SetBundleResourceFolder(QString());
    ApplyChange_Texturizer_FreeMasks();
}

// Each pixel effect on half-transparent pixels equals the effect on their straight colour,
// premultiplied.
TEST(ColorEffectsTest, HalfTransparentPixelsAreChangedInStraightColour)
{
    using Effect = std::function<ImagePtr(const platform::Image *)>;
    const ImagePtr black = imageOf(rgba(0, 0, 0));
    const std::pair<const char *, Effect> effects[] = {
        {"HSV",
         [](auto *i) {
             return ApplyChange_HSV(i, setting({{0, 40}, {1, 0.1f}, {2, 0.2f}}));
         }},
        {"RGB",
         [](auto *i) {
             return ApplyChange_RGB(i, setting({{0, 30}, {1, -20}, {2, 5}}));
         }},
        {"threshold",
         [](auto *i) {
             return ApplyChange_Gray(i, setting({{0, 1}, {1, 100}, {10, 40}}));
         }},
        {"duotone",
         [](auto *i) {
             return ApplyChange_Gray(i, setting({{10, 40}, {11, 90}, {12, 200}}));
         }},
        {"brightness",
         [](auto *i) {
             return ApplyChange_ContrastBrightness(i, setting({{0, 40}}));
         }},
        {"contrast",
         [](auto *i) {
             return ApplyChange_ContrastBrightness(i, setting({{1, 60}}));
         }},
        {"texture",
         [](auto *i) { return ApplyTextureMask(i, imageOf(rgba(128, 200, 255)).get()); }},
    };
    // Straight colours that survive premultiplying at alpha 128 exactly.
    std::vector<PIXEL> straight;
    for (quint32 c = 0; c < 256; c += 7) {
        const PIXEL p = rgba(c, 255 - c, (c * 3) % 256, 128);
        if (UnpremultiplyPixel(PremultiplyPixel(p)) == p)
            straight.push_back(p);
    }
    ASSERT_GT(straight.size(), 10u);
    std::vector<PIXEL> opaque, half;
    for (PIXEL p : straight) {
        opaque.push_back(p | 0xFF000000u);
        half.push_back(PremultiplyPixel(p));
    }
    const int n = int(straight.size());
    for (const auto &[name, effect] : effects) {
        const std::vector<PIXEL> fromOpaque = pixelsOf(effect(imageOf(opaque, n, 1).get()));
        const std::vector<PIXEL> fromHalf = pixelsOf(effect(imageOf(half, n, 1).get()));
        ASSERT_EQ(fromOpaque.size(), size_t(n)) << name;
        ASSERT_EQ(fromHalf.size(), size_t(n)) << name;
        for (int i = 0; i < n; ++i) {
            const PIXEL expected =
                PremultiplyPixel((fromOpaque[size_t(i)] & 0xFFFFFFu) | (128u << 24));
            EXPECT_LE(byteDistance(fromHalf[size_t(i)], expected), 1)
                << name << " pixel " << i << ": " << std::hex << fromHalf[size_t(i)] << " vs "
                << expected;
        }
    }
}

TEST(ColorEffectsTest, NullSourcesGiveNull)
{
    EXPECT_FALSE(ApplyChange_HSV(nullptr, {}));
    EXPECT_FALSE(ApplyChange_RGB(nullptr, {}));
    EXPECT_FALSE(ApplyChange_Gray(nullptr, {}));
    EXPECT_FALSE(ApplyChange_ContrastBrightness(nullptr, {}));
    EXPECT_FALSE(ApplyChange_Texturizer(nullptr, {}));
}
