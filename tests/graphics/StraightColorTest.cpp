#include "graphics/StraightColor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

PIXEL rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    return r | (g << 8) | (b << 16) | (a << 24);
}

} // namespace

TEST(StraightColorTest, EveryPremultipliedPixelSurvivesTheRoundTrip)
{
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t c = 0; c <= a; ++c) {
            const PIXEL p = rgba(c, a - c, c / 2, a);
            ASSERT_EQ(PremultiplyPixel(UnpremultiplyPixel(p)), p) << "c " << c << " a " << a;
        }
    }
}

TEST(StraightColorTest, BothDirectionsRoundToNearest)
{
    for (uint32_t a = 1; a < 255; ++a) {
        for (uint32_t c = 0; c < 256; ++c) {
            const double premultiplied = c * a / 255.0;
            ASSERT_LE(std::abs(double(straightcolor::premultiplyByte(c, a)) - premultiplied), 0.5)
                << "c " << c << " a " << a;
            if (c <= a) {
                const double unpremultiplied = c * 255.0 / a;
                ASSERT_LE(
                    std::abs(double(straightcolor::unpremultiplyByte(c, a)) - unpremultiplied),
                    0.5 + 1e-3)
                    << "c " << c << " a " << a;
            }
        }
    }
}

TEST(StraightColorTest, EndsOfTheAlphaRangeAndMalformedBytes)
{
    struct Row
    {
        const char *name;
        PIXEL in, unpremultiplied, premultiplied;
    } rows[] = {
        {"opaque unchanged", rgba(200, 100, 50, 255), rgba(200, 100, 50, 255),
         rgba(200, 100, 50, 255)},
        {"alpha 0", rgba(0, 0, 0, 0), rgba(0, 0, 0, 0), rgba(0, 0, 0, 0)},
        {"half", rgba(64, 128, 0, 128), rgba(128, 255, 0, 128), rgba(32, 64, 0, 128)},
        {"colour above alpha", rgba(200, 10, 10, 100), rgba(255, 26, 26, 100), rgba(78, 4, 4, 100)},
        {"straight colour at alpha 0", rgba(90, 90, 90, 0), rgba(90, 90, 90, 0), 0},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(UnpremultiplyPixel(row.in), row.unpremultiplied) << row.name;
        EXPECT_EQ(PremultiplyPixel(row.in), row.premultiplied) << row.name;
    }
}

TEST(StraightColorTest, StraightLoopSeesStraightColourAndKeepsTransparentPixelsZero)
{
    PIXEL pixels[] = {rgba(64, 32, 0, 128), rgba(7, 7, 7, 0), rgba(10, 20, 30, 255)};
    std::vector<PIXEL> seen;
    ForEachStraightPixel(pixels, 3, [&](PIXEL p) {
        seen.push_back(p);
        return p | 0x00FFFFFFu; // white, alpha kept
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], rgba(128, 64, 0, 128));
    EXPECT_EQ(pixels[0], rgba(128, 128, 128, 128));
    EXPECT_EQ(pixels[1], 0u);
    EXPECT_EQ(pixels[2], rgba(255, 255, 255, 255));
}

TEST(StraightColorTest, AnotherAlphaKeepsTheStraightColour)
{
    EXPECT_EQ(WithAlpha(rgba(255, 128, 0, 255), 128), rgba(128, 64, 0, 128));
    EXPECT_EQ(WithAlpha(rgba(128, 64, 0, 128), 255), rgba(255, 128, 0, 255));
    EXPECT_EQ(WithAlpha(rgba(200, 100, 50, 255), 0), 0u);
}
