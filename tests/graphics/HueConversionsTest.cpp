#include "graphics/HueConversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

PIXEL rgb(quint32 r, quint32 g, quint32 b, quint32 a = 0xFF)
{
    return r | (g << 8) | (b << 16) | (a << 24);
}

TEST(HueConversionsTest, PixelToHsvKeepsTheGreysSmallSaturationAndTheDarkHue)
{
    const struct
    {
        PIXEL pixel;
        HSV_COLOR hsv;
    } rows[] = {
        {rgb(255, 0, 0), {0, 1, 1}},
        {rgb(0, 255, 0), {120, 1, 1}},
        {rgb(0, 0, 255), {240, 1, 1}},
        {rgb(0, 0, 0), {-1, 0, 0}},
        {rgb(0x80, 0x80, 0x80), {0, 0.01f / (128.0f / 255.0f), 128.0f / 255.0f}},
        {rgb(255, 255, 0, 0), {60, 1, 1}}, // a red-green tie takes the red branch; alpha unread
        {rgb(255, 0, 128), {330, 1, 1}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.pixel);
        const HSV_COLOR hsv = PixelToHSV(row.pixel);
        EXPECT_NEAR(hsv.h, row.hsv.h, 0.5);
        EXPECT_NEAR(hsv.s, row.hsv.s, 1e-5);
        EXPECT_NEAR(hsv.v, row.hsv.v, 1e-5);
    }
}

TEST(HueConversionsTest, HsvToPixelIsOpaqueAndClamped)
{
    const struct
    {
        HSV_COLOR hsv;
        PIXEL pixel;
    } rows[] = {
        {{-1, 0, 0}, 0xFF000000},
        {{0, 1, 1}, 0xFF0000FF},
        {{360, 1, 1}, 0xFFFF00FF}, // hue 360 takes the last case
        {{0, 0, 1.5f}, 0xFFFFFFFF},
        {{0, 1, -2}, 0xFF000000},
        {{120, 1, 1}, 0xFF00FF00},
        {{-30, 1, 1}, 0xFF7F00FF}, // a negative hue takes the last case too, with f = 0.5
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hsv.h);
        EXPECT_EQ(HSVToPixel(row.hsv), row.pixel);
    }
    // Values that cannot be colours still give an opaque pixel, without undefined conversions.
    for (const HSV_COLOR odd :
         {HSV_COLOR{kNaN, kNaN, kNaN}, HSV_COLOR{kInf, 1, 1}, HSV_COLOR{1e30f, 0.5f, 0.5f},
          HSV_COLOR{-kInf, 1, kInf}, HSV_COLOR{10, kNaN, 1}})
        EXPECT_EQ(HSVToPixel(odd) >> 24, 0xFFu);
}

TEST(HueConversionsTest, HslRoundTripsAndEdges)
{
    const struct
    {
        PIXEL pixel;
        HSL_COLOR hsl;
    } rows[] = {
        {rgb(0, 255, 0), {120, 1, 0.5f}},
        {rgb(0, 0, 255), {240, 1, 0.5f}},
        {rgb(100, 103, 105), {0, 0, (100 + 105) / 510.0f}}, // channels within 5: no hue
        {rgb(255, 0, 0), {0, 1, 0.5f}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.pixel);
        const HSL_COLOR hsl = PixelToHSL(row.pixel);
        EXPECT_NEAR(hsl.h, row.hsl.h, 0.01);
        EXPECT_NEAR(hsl.s, row.hsl.s, 1e-5);
        EXPECT_NEAR(hsl.l, row.hsl.l, 1e-5);
    }
    EXPECT_EQ(HSLToPixel({0, 0, 1}), 0xFFFFFFFFu);
    EXPECT_EQ(HSLToPixel({120, 1, 0.5f}), 0xFF00FF00u);
    EXPECT_EQ(HSLToPixel({0, 0, -1}), 0xFF000000u); // clamped below as well as above
    EXPECT_EQ(HSLToPixel({0, 0, 7}), 0xFFFFFFFFu);
    EXPECT_EQ(HSLToPixel({0, 0, kNaN}), 0xFF000000u);
    for (const HSL_COLOR odd : {HSL_COLOR{kNaN, 0.5f, 0.5f}, HSL_COLOR{0, -3, 0.5f},
                                HSL_COLOR{1e30f, 1, 0.5f}, HSL_COLOR{0, kInf, -kInf}})
        EXPECT_EQ(HSLToPixel(odd) >> 24, 0xFFu);
    EXPECT_FLOAT_EQ(HueToRGB(0.2f, 0.8f, 0.5f), 0.8f);
    EXPECT_FLOAT_EQ(HueToRGB(0.2f, 0.8f, 0.9f), 0.2f);
    EXPECT_FLOAT_EQ(HueToRGB(0.2f, 0.8f, -0.9f), HueToRGB(0.2f, 0.8f, 0.1f));
}

TEST(HueConversionsTest, EveryOpaqueColourSurvivesHsvWithinOneStep)
{
    for (quint32 r = 0; r < 256; r += 15)
        for (quint32 g = 0; g < 256; g += 15)
            for (quint32 b = 0; b < 256; b += 15) {
                const PIXEL p = rgb(r, g, b);
                const HSV_COLOR hsv = PixelToHSV(p);
                if (hsv.h < 0 || std::max({r, g, b}) - std::min({r, g, b}) <= 2)
                    continue; // too dark or grey: the small saturation shifts them on purpose
                const PIXEL back = HSVToPixel(hsv);
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR(int((back >> shift) & 0xFF), int((p >> shift) & 0xFF), 1) << p;
            }
}

} // namespace
