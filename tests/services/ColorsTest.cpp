// Colour words and the folder-compare status colours.
#include <gtest/gtest.h>

#include "services/AppSetting.h"
#include "services/Colors.h"

#include <vector>

namespace {

using platform::Color;

TEST(Colors, HexColorOfEachColourSpace)
{
    struct Row
    {
        const char *name;
        Color color;
        quint64 expected;
    };
    const Row rows[] = {
        {"calibrated rgb", Color::calibratedRGB(1, 0, 0.5, 1), 0xFF007FFFull},
        {"device rgb", Color::deviceRGB(0.2, 0.4, 0.6, 0.8), 0x336699CCull},
        {"white space", Color::calibratedWhite(0.5, 1), 0x7F7F7FFFull},
        {"device white", Color::deviceWhite(0, 0), 0x00000000ull},
        {"truncation not rounding", Color::calibratedRGB(0.999, 0.999, 0.999, 0.999),
         0xFEFEFEFEull},
        {"above one clamps", Color::calibratedRGB(2, -1, 1, 1), 0xFF00FFFFull},
        {"invalid", Color(), 0xFFFFFFFFull},
        {"pattern", Color::pattern(), 0xFFFFFFFFull},
    };
    for (const Row &row : rows)
        EXPECT_EQ(GetHexColor(row.color), row.expected) << row.name;
}

TEST(Colors, AlphaAndWordRoundTrip)
{
    EXPECT_DOUBLE_EQ(GetColorAlpha(Color()), 1.0);
    EXPECT_DOUBLE_EQ(GetColorAlpha(Color::calibratedRGB(0, 0, 0, 0.5)), 127.0 / 255.0);
    EXPECT_DOUBLE_EQ(GetColorAlpha(Color::calibratedRGB(0, 0, 0, 7)), 1.0);
    for (quint64 word : {0x00000000ull, 0x12345678ull, 0xFFFFFFFFull, 0x80FF01FEull})
        EXPECT_EQ(GetHexColor(ColorFromHexColor(word)), word);
    EXPECT_FALSE(ColorFromHexColor(0x100000000ull).isValid());
}

TEST(Colors, StatusColoursUseTheStoredWordElseTheBuiltInOfTheAppearance)
{
    AppSetting_SetDefault(&gAppSetting);
    gAppSetting.bIsDarkMode = 0;
    EXPECT_EQ(GetHexColor(GetColor_DiffChanged()), 0xFF0000FFull);
    EXPECT_EQ(GetHexColor(GetColor_DiffStatus2()), 0xFF00FFFFull);
    EXPECT_EQ(GetHexColor(GetColor_DiffStatus4()), 0x00FF00FFull);
    EXPECT_EQ(GetHexColor(GetColor_DiffSame()), 0x000000FFull);
    gAppSetting.bIsDarkMode = 1;
    EXPECT_NE(GetHexColor(GetColor_DiffChanged()), 0xFF0000FFull);
    EXPECT_EQ(GetHexColor(GetColor_DiffSame()), 0xFFFFFFFFull);
    gAppSetting.compare_FileList_bUseDefaultColor = 0;
    gAppSetting.compare_COLOR_ONLY1 = 0x11223344ull;
    EXPECT_EQ(GetHexColor(GetColor_DiffStatus3()), 0x11223344ull);
    gAppSetting.compare_COLOR_ONLY1 = 0x1FFFFFFFFull; // no colour: built-in
    EXPECT_NE(GetHexColor(GetColor_DiffStatus3()), 0xFFFFFFFFull);
    AppSetting_SetDefault(&gAppSetting);
}

// "Default status colours" on: the built-in colours, whatever the wells hold; off: the wells'.
// The wells keep their colours either way.
TEST(Colors, DefaultStatusColoursSetAsideTheWellsColours)
{
    AppSetting_SetDefault(&gAppSetting);
    const quint64 words[5] = {0x11111111ull, 0x22222222ull, 0x33333333ull, 0x44444444ull,
                              0x55555555ull};
    gAppSetting.compare_COLOR_DIFF = words[0];
    gAppSetting.compare_COLOR_UNKNOWN = words[1];
    gAppSetting.compare_COLOR_ONLY1 = words[2];
    gAppSetting.compare_COLOR_ONLY2 = words[3];
    gAppSetting.compare_COLOR_SAME = words[4];
    const auto shown = [] {
        return std::vector<quint64>{
            GetHexColor(GetColor_DiffChanged()), GetHexColor(GetColor_DiffStatus2()),
            GetHexColor(GetColor_DiffStatus3()), GetHexColor(GetColor_DiffStatus4()),
            GetHexColor(GetColor_DiffSame())};
    };
    const std::vector<quint64> own(std::begin(words), std::end(words));
    for (const quint8 dark : {0, 1}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        gAppSetting.bIsDarkMode = dark;
        gAppSetting.compare_FileList_bUseDefaultColor = 0;
        EXPECT_EQ(shown(), own);
        gAppSetting.compare_FileList_bUseDefaultColor = 1;
        const std::vector<quint64> defaults = shown();
        for (size_t i = 0; i < 5; ++i) {
            EXPECT_NE(defaults[i], own[i]) << i;
            EXPECT_EQ(GetHexColor(GetStatusWellColor(int(i))), own[i]) << i;
        }
        // The built-in colours of the appearance, as with no colour stored at all.
        AppSetting stored = gAppSetting;
        gAppSetting.compare_COLOR_DIFF = gAppSetting.compare_COLOR_UNKNOWN =
            gAppSetting.compare_COLOR_ONLY1 = gAppSetting.compare_COLOR_ONLY2 =
                gAppSetting.compare_COLOR_SAME = 0;
        gAppSetting.compare_FileList_bUseDefaultColor = 0;
        EXPECT_EQ(shown(), defaults);
        gAppSetting = stored;
    }
    AppSetting_SetDefault(&gAppSetting);
}

} // namespace
