#include "platform/Color.h"
#include "platform/Log.h"

#include <QStringList>
#include <QtEndian>
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::Color;
using platform::ColorSpace;

namespace {

TEST(ColorTest, NamedColorsHaveThePlatformValues)
{
    struct Row
    {
        const char *name;
        Color color;
        ColorSpace space;
        double r, g, b, a;
    };
    const double third = 1.0 / 3.0;
    const Row rows[] = {
        {"black", Color::black(), ColorSpace::CalibratedWhite, 0, 0, 0, 1},
        {"white", Color::white(), ColorSpace::CalibratedWhite, 1, 1, 1, 1},
        {"gray", Color::gray(), ColorSpace::CalibratedWhite, 0.5, 0.5, 0.5, 1},
        {"lightGray", Color::lightGray(), ColorSpace::CalibratedWhite, 2 * third, 2 * third,
         2 * third, 1},
        {"darkGray", Color::darkGray(), ColorSpace::CalibratedWhite, third, third, third, 1},
        {"clear", Color::clear(), ColorSpace::CalibratedWhite, 0, 0, 0, 0},
        {"red", Color::red(), ColorSpace::CalibratedRGB, 1, 0, 0, 1},
        {"green", Color::green(), ColorSpace::CalibratedRGB, 0, 1, 0, 1},
        {"blue", Color::blue(), ColorSpace::CalibratedRGB, 0, 0, 1, 1},
        {"cyan", Color::cyan(), ColorSpace::CalibratedRGB, 0, 1, 1, 1},
        {"magenta", Color::magenta(), ColorSpace::CalibratedRGB, 1, 0, 1, 1},
        {"yellow", Color::yellow(), ColorSpace::CalibratedRGB, 1, 1, 0, 1},
        {"orange", Color::orange(), ColorSpace::CalibratedRGB, 1, 0.5, 0, 1},
        {"brown", Color::brown(), ColorSpace::CalibratedRGB, 0.6, 0.4, 0.2, 1},
        {"purple", Color::purple(), ColorSpace::CalibratedRGB, 0.5, 0, 0.5, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.color.colorSpace(), row.space);
        EXPECT_DOUBLE_EQ(row.color.redComponent(), row.r);
        EXPECT_DOUBLE_EQ(row.color.greenComponent(), row.g);
        EXPECT_DOUBLE_EQ(row.color.blueComponent(), row.b);
        EXPECT_DOUBLE_EQ(row.color.alphaComponent(), row.a);
    }
}

TEST(ColorTest, ConversionsBetweenSpaces)
{
    const auto rgb = Color::calibratedWhite(0.25, 0.5).usingColorSpace(ColorSpace::DeviceRGB);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(*rgb, Color::deviceRGB(0.25, 0.25, 0.25, 0.5));

    // Grey level by luminance weights: blue reads darker than yellow.
    const auto grey = Color::calibratedRGB(0.2, 0.4, 0.6).usingColorSpace(ColorSpace::DeviceWhite);
    ASSERT_TRUE(grey);
    EXPECT_NEAR(grey->whiteComponent(), 0.3 * 0.2 + 0.59 * 0.4 + 0.11 * 0.6, 1e-12);
    EXPECT_LT(Color::blue().whiteComponent(), Color::yellow().whiteComponent());

    // Calibrated and device spaces carry the same numbers.
    const auto device = Color::brown().usingColorSpace(ColorSpace::DeviceRGB);
    ASSERT_TRUE(device);
    EXPECT_EQ(*device, Color::deviceRGB(0.6, 0.4, 0.2));
    EXPECT_FALSE(*device == Color::brown()); // same numbers, other space
}

TEST(ColorTest, InvalidAndPatternColorsDoNotConvert)
{
    EXPECT_FALSE(Color().isValid());
    EXPECT_FALSE(Color().usingColorSpace(ColorSpace::CalibratedRGB));
    EXPECT_FALSE(Color::pattern().usingColorSpace(ColorSpace::CalibratedRGB));
    EXPECT_FALSE(Color::red().usingColorSpace(ColorSpace::Pattern));
    EXPECT_FALSE(Color::red().usingColorSpace(ColorSpace::Invalid));
    EXPECT_TRUE(Color::pattern().usingColorSpace(ColorSpace::Pattern));
    EXPECT_FALSE(Color().colorWithAlphaComponent(0.5).isValid());
    EXPECT_FALSE(Color().toQColor().isValid());
    EXPECT_FALSE(Color::pattern().toQColor().isValid());
    EXPECT_EQ(Color(), Color());
}

TEST(ColorTest, ComponentsStayInUnitRange)
{
    const Color c = Color::deviceRGB(1.5, -0.2, std::nan(""), 2.0);
    EXPECT_EQ(c, Color::deviceRGB(1, 0, 0, 1));
    EXPECT_DOUBLE_EQ(Color::red().colorWithAlphaComponent(-1).alphaComponent(), 0.0);
}

TEST(ColorTest, QColorRoundTripKeepsEightBitChannels)
{
    const QColor q(12, 200, 255, 128);
    const Color c = Color::fromQColor(q);
    EXPECT_EQ(c.colorSpace(), ColorSpace::DeviceRGB);
    const QColor back = c.toQColor();
    EXPECT_EQ(back.red(), 12);
    EXPECT_EQ(back.green(), 200);
    EXPECT_EQ(back.blue(), 255);
    EXPECT_EQ(back.alpha(), 128);
    EXPECT_FALSE(Color::fromQColor(QColor()).isValid());
    EXPECT_EQ(Color::gray().toQColor().red(), Color::gray().toQColor().blue());
}

TEST(ColorTest, ArchiveRoundTripsExactly)
{
    const Color colors[] = {Color::deviceRGB(0.1, 0.2, 0.30000000000000004, 0.7),
                            Color::lightGray(),
                            Color::clear(),
                            Color::deviceWhite(0.123456789),
                            Color::purple(),
                            Color::pattern()};
    for (const Color &c : colors) {
        const QByteArray data = c.archive();
        EXPECT_EQ(data.size(), 38);
        EXPECT_EQ(Color::unarchive(data), c);
    }
    EXPECT_TRUE(Color().archive().isEmpty());
}

TEST(ColorTest, UnarchiveRejectsMalformedData)
{
    const QByteArray good = Color::deviceRGB(0.5, 0.25, 0.125, 1).archive();
    auto withDouble = [&](int index, double v) {
        QByteArray d = good;
        qToLittleEndian(v, d.data() + 6 + 8 * index);
        return d;
    };
    auto withByte = [&](int pos, char v) {
        QByteArray d = good;
        d[pos] = v;
        return d;
    };
    struct Row
    {
        const char *why;
        QByteArray data;
    };
    const Row rows[] = {
        {"empty", QByteArray()},
        {"short", good.left(37)},
        {"long", good + '\0'},
        {"magic", withByte(0, 'X')},
        {"version", withByte(4, 2)},
        {"space 0", withByte(5, 0)},
        {"space 6", withByte(5, 6)},
        {"NaN", withDouble(0, std::nan(""))},
        {"infinity", withDouble(3, std::numeric_limits<double>::infinity())},
        {"above one", withDouble(1, 1.0000001)},
        {"negative", withDouble(2, -0.5)},
        {"white with green", withByte(5, 4)}, // white space, but green/blue are set
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.why);
        pelkotest::LogCapture log;
        EXPECT_FALSE(Color::unarchive(row.data).isValid());
        ASSERT_EQ(log.lines().size(), 1);
        EXPECT_TRUE(log.lines().first().startsWith(QLatin1String("ERROR")));
    }
}

} // namespace
