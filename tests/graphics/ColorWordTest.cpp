// Colour words, pixels, blends, comparisons and the system colours.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "graphics/ColorPixel.h"
#include "graphics/PelkoNSColor.h"
#include "graphics/PelkoNSGradient.h"
#include "platform/Guard.h"
#include "platform/SystemColors.h"

#include <QApplication>
#include <QPalette>

using platform::Color;

namespace {

Color rgbBytes(int r, int g, int b, int a = 255)
{
    return Color::calibratedRGB(r / 255.0, g / 255.0, b / 255.0, a / 255.0);
}

} // namespace

TEST(ColorWord, WordsAndPixelsBothWays)
{
    EXPECT_EQ(toULong(Color::calibratedWhite(0.5, 1.0)), 0x7F7F7FFFull); // 127.5 truncates
    EXPECT_EQ(ColorToPixel(Color()), 0u);
    EXPECT_EQ(toULong_IgnoreOpaque(Color::pattern()), 0xFFFFFFFFull);
    EXPECT_EQ(toULong_IgnoreOpaque(rgbBytes(1, 2, 3, 4)), 0x010203FFull);

    EXPECT_FALSE(ColorFromLong(0x100000000ull).isValid());
    EXPECT_EQ(toULong(ColorFromLong(0xFF0000FFull)), 0xFF0000FFull);
    EXPECT_EQ(toULong(ColorFromPixel(0xFF0000FFu)), 0xFF0000FFull); // R 0xFF, A 0xFF
    EXPECT_EQ(toULong(ColorFromPixel(0xFFFF0000u)), 0x0000FFFFull); // opaque blue

    EXPECT_EQ(HexColorToPixel(0x11223344ull), 0x44332211u);
    EXPECT_EQ(HexColorToPixel(0x100000000ull), 0u);
    EXPECT_EQ(PixelToHexColor(0x44332211u), 0x11223344ull);
    EXPECT_EQ(toPixel(rgbBytes(0x11, 0x22, 0x33, 0x44)), 0x44332211u);

    // Every byte survives a round trip through a colour.
    for (quint64 w : {0x00000000ull, 0x01FE7F80ull, 0xFFFFFFFFull, 0x12345678ull})
        EXPECT_EQ(toULong(ColorFromLong(w)), w) << std::hex << w;
}

TEST(ColorWord, OpacityInversionAndContrast)
{
    EXPECT_FLOAT_EQ(getOpaque(rgbBytes(0, 0, 0, 51)), 0.2f);
    EXPECT_FLOAT_EQ(getOpaque(Color()), 1.0f);
    EXPECT_EQ(toULong(colorWithOpaque(rgbBytes(10, 20, 30), 7.0f)), 0x0A141EFFull);
    EXPECT_EQ(toULong(colorWithOpaque(rgbBytes(10, 20, 30), -1.0f)), 0x0A141E00ull);
    EXPECT_EQ(toULong(inverted(rgbBytes(0, 100, 255, 128))), 0xFF9B0080ull);
    EXPECT_EQ(toULong(normalizeRGB(Color::calibratedRGB(0.5, 0.5, 0.5))), 0x7F7F7FFFull);

    EXPECT_EQ(backgroundColorIfSelfIsTextColor(rgbBytes(128, 127, 127)), Color::white()); // 382
    EXPECT_EQ(backgroundColorIfSelfIsTextColor(rgbBytes(128, 128, 127)), Color::black()); // 383
}

TEST(ColorWord, SnapToBlackWhiteAndOpaque)
{
    const struct
    {
        int in, out;
    } rows[] = {{8, 0}, {9, 9}, {246, 246}, {247, 255}, {0, 0}, {255, 255}};
    for (const auto &row : rows) {
        const quint64 w =
            toULong_ROUNDUP_To_systemDefaultColor(rgbBytes(row.in, row.in, row.in, row.in));
        const quint64 b = quint64(row.out);
        EXPECT_EQ(w, (b << 24) | (b << 16) | (b << 8) | b) << row.in;
    }
    // Alpha 0.98 is byte 249: stored opaque.
    EXPECT_EQ(toULong_ROUNDUP_To_systemDefaultColor(Color::calibratedRGB(1, 0, 0, 0.98)),
              0xFF0000FFull);
}

TEST(ColorWord, Blend)
{
    const Color c1 = rgbBytes(0, 0, 0, 200);
    const Color c2 = Color::calibratedWhite(1.0, 1.0);
    // Out-of-range and tiny ratios answer the colours themselves, unchanged.
    EXPECT_EQ(ColorBetweenTwoColor(c1, c2, -3.0f), c1);
    EXPECT_EQ(ColorBetweenTwoColor(c1, c2, 7.0f), c2);
    EXPECT_EQ(ColorBetweenTwoColor(c1, c2, 0.00001f), c1);
    // floor(127.5 + 0.5) = 128; the alpha is color1's.
    EXPECT_EQ(toULong(ColorBetweenTwoColor(c1, c2, 0.5f)), 0x808080C8ull);
    EXPECT_EQ(toULong(ColorBetweenTwoColor(rgbBytes(100, 0, 0), rgbBytes(200, 0, 0), 0.25f)),
              0x7D0000FFull);

    pelkotest::LogCapture reports;
    EXPECT_EQ(ColorBetweenTwoColor(Color(), Color(), 0.5f), Color::white());
    EXPECT_EQ(ColorBetweenTwoColor(Color(), c2, 0.5f), c2);
    EXPECT_EQ(ColorBetweenTwoColor(c1, Color(), 0.5f), c1);
    EXPECT_EQ(reports.reportCount(), 3);
}

TEST(ColorWord, ComponentsOfEachSpace)
{
    float r, g, b, a;
    EXPECT_TRUE(GetColorComponents(Color::deviceWhite(0.25, 0.5), &r, &g, &b, &a));
    EXPECT_FLOAT_EQ(r, 0.25f);
    EXPECT_FLOAT_EQ(b, 0.25f);
    EXPECT_FLOAT_EQ(a, 0.5f);
    EXPECT_TRUE(GetColorComponents(Color::deviceRGB(0.1, 0.2, 0.3), &r, nullptr, &b, nullptr));
    EXPECT_FLOAT_EQ(r, 0.1f);
    EXPECT_FLOAT_EQ(b, 0.3f);
    r = g = b = a = 0;
    EXPECT_FALSE(GetColorComponents(Color(), &r, &g, &b, &a));
    EXPECT_EQ(r, 1.0f);
    EXPECT_EQ(a, 1.0f);
    EXPECT_FALSE(GetColorComponents(Color::pattern(), &r, &g, &b, nullptr));
    EXPECT_EQ(g, 1.0f);
}

TEST(ColorWord, SimilarityAndDifference)
{
    const Color x = rgbBytes(10, 20, 30);
    const Color copy = x;
    const Color none1, none2;
    EXPECT_TRUE(IsSimilarColor(none1, none2, 0));
    EXPECT_TRUE(IsSimilarColor(x, x, 0));
    EXPECT_FALSE(IsSimilarColor(x, copy, 0)); // the bound is strict
    EXPECT_TRUE(IsSimilarColor(x, copy, 0.001f));
    EXPECT_FALSE(IsSimilarColor(x, none1, 10));
    // The alpha counts: opaque and half-transparent black differ by 0.5.
    const Color opaque = Color::calibratedRGB(0, 0, 0, 1),
                half = Color::calibratedRGB(0, 0, 0, 0.5);
    EXPECT_FALSE(IsSimilarColor(opaque, half, 0.5f));
    EXPECT_TRUE(IsSimilarColor(opaque, half, 0.51f));
    // White and RGB white compare across spaces.
    EXPECT_TRUE(IsSimilarColor(Color::calibratedWhite(1), Color::deviceRGB(1, 1, 1), 0.01f));

    EXPECT_FLOAT_EQ(ColorDifference(Color::black(), Color::white()), 1.0f);
    EXPECT_FLOAT_EQ(ColorDifference(opaque, Color::calibratedRGB(0, 0, 0, 0)), 0.0f);
    EXPECT_FLOAT_EQ(ColorDifference(x, x), 0.0f);
    EXPECT_FLOAT_EQ(ColorDifference(x, Color()), 1.0f);
    // A colour that cannot be compared is as far as a missing one, not identical.
    EXPECT_FLOAT_EQ(ColorDifference(x, Color::pattern()), 1.0f);
}

TEST(ColorWord, PixelTolerance)
{
    const PIXEL p = 0x10203040u;
    EXPECT_TRUE(IsSimilarPixel(p, p, 0));
    EXPECT_FALSE(IsSimilarPixel(p, p + 1, 0));
    EXPECT_TRUE(IsSimilarPixel(p, 0x12223242u, 2.0f));  // 2 per byte: 8
    EXPECT_FALSE(IsSimilarPixel(p, 0x12223243u, 2.0f)); // 9
    EXPECT_TRUE(IsSimilarPixel(0x00000000u, 0xFFFFFFFFu, 255.0f));
    const PIXEL q = 0x12223242u;
    EXPECT_TRUE(IsSimilarPixelRef(&p, &q, 2.0f));
    EXPECT_FALSE(IsSimilarPixelRef(&p, nullptr, 255.0f));
}

TEST(ColorWord, SystemColoursFallBackToTheTable)
{
    const struct
    {
        Color (*get)();
        quint64 word;
    } rows[] = {
        {systemRedColor2, 0xFB2025FF},    {systemGreenColor2, 0x28C732FF},
        {systemBlueColor2, 0x0A5FFEFF},   {systemOrangeColor2, 0xFC8108FF},
        {systemYellowColor2, 0xFDC209FF}, {systemBrownColor2, 0x90714BFF},
        {systemPinkColor2, 0xFB0C43FF},   {systemPurpleColor2, 0x9D33D5FF},
        {systemGrayColor2, 0x7B7B80FF},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(toULong(row.get()), row.word);
        EXPECT_EQ(row.get().colorSpace(), platform::ColorSpace::CalibratedRGB);
    }
    // A desktop that offers the colour wins over the table.
    platform::setSystemColorHook([](platform::SystemColor c) {
        return c == platform::SystemColor::Red ? Color::deviceRGB(1, 0, 0) : Color();
    });
    EXPECT_EQ(toULong(systemRedColor2()), 0xFF0000FFull);
    EXPECT_EQ(toULong(systemBlueColor2()), 0x0A5FFEFFull);
    platform::setSystemColorHook(nullptr);
}

TEST(ColorWord, SystemColoursFollowThePalette)
{
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Text, QColor(240, 240, 240));
    QApplication::setPalette(dark);
    EXPECT_EQ(toULong(platform::textColor()), 0xF0F0F0FFull);
    EXPECT_EQ(toULong(platform::windowBackgroundColor()), 0x1E1E1EFFull);
    EXPECT_EQ(platform::effectiveAppearanceName(), platform::AppearanceNameDark);
    EXPECT_EQ(toULong(systemRedColor2()), 0xFB2025FFull);

    QPalette light = saved;
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    light.setColor(QPalette::Text, QColor(0, 0, 0));
    QApplication::setPalette(light);
    EXPECT_EQ(toULong(platform::textColor()), 0x000000FFull);
    EXPECT_EQ(platform::effectiveAppearanceName(), platform::AppearanceNameLight);
    QApplication::setPalette(saved);
}

TEST(ColorWord, GradientStopsAreEightBit)
{
    pelkotest::LogCapture reports;
    const QGradientStops stops = initWithStartingColor2(Color::calibratedRGB(0.5, 0, 0), Color());
    ASSERT_EQ(stops.size(), 2);
    EXPECT_EQ(stops[0].second, QColor(127, 0, 0));
    EXPECT_EQ(stops[1].second, QColor(255, 255, 255));
    EXPECT_EQ(reports.reportCount(), 1);
}
