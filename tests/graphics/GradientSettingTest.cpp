#include "graphics/GradientSetting.h"

#include "platform/GraphicsContext.h"
#include "services/AppSetting.h"
#include "support/LogCapture.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

using platform::BezierPath;
using platform::Color;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

GradientSetting threeColours()
{
    GradientSetting s;
    s.colorCount = 3;
    s.colors[0] = 0xFF000080u; // red, half alpha
    s.colors[1] = 0x00FF00FFu;
    s.colors[2] = 0x123456FFu; // not read with three colours
    s.colors[4] = 0x0000FFFFu;
    s.locations[1] = 0.25f;
    return s;
}

// Drawn into a transparent canvas through the current graphics context.
QImage drawn(int w, int h, const std::function<void()> &draw)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    {
        platform::GraphicsContextScope scope(&painter);
        draw();
    }
    painter.end();
    return image;
}

TEST(GradientSettingTest, TheRecordKeepsItsByteLayout)
{
    GradientSetting s = threeColours();
    s.radial = 1;
    const QByteArray bytes = GradientSettingToData(s);
    ASSERT_EQ(bytes.size(), 96);
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1] | b[2] | b[3], 0); // bytes nobody reads are stored as 0
    EXPECT_EQ(b[4], 3);
    EXPECT_EQ(b[16], 0xFF); // slot 1, low byte first: alpha
    EXPECT_EQ(b[18], 0xFF); // its green
    float location = 0;
    std::memcpy(&location, b + 68, 4);
    EXPECT_EQ(location, 0.25f);
    for (int i = 48; i < 64; ++i)
        EXPECT_EQ(b[i], 0) << i;
    for (int i = 84; i < 96; ++i)
        EXPECT_EQ(b[i], 0) << i;

    EXPECT_EQ(GradientSettingToData(GradientSettingFromData(bytes)), bytes);
    QByteArray longer = bytes + QByteArray("tail");
    EXPECT_EQ(GradientSettingToData(GradientSettingFromData(longer)), bytes);
    EXPECT_EQ(GradientSettingToData(GradientSettingFromData(bytes.left(95))), QByteArray(96, 0));
}

TEST(GradientSettingTest, StopsComeFromTheirSlots)
{
    const GradientSetting three = threeColours();
    const auto stops = GetGradientFromSetting(&three, 1.0f);
    ASSERT_TRUE(stops);
    ASSERT_EQ(stops->size(), 3);
    EXPECT_EQ((*stops)[0].first, 0.0);
    EXPECT_EQ((*stops)[1].first, 0.25);
    EXPECT_EQ((*stops)[2].first, 1.0);
    EXPECT_EQ((*stops)[0].second.rgba(), qRgba(255, 0, 0, 128)); // its own alpha at 1.0
    EXPECT_EQ((*stops)[1].second.rgba(), qRgba(0, 255, 0, 255));
    EXPECT_EQ((*stops)[2].second.rgba(), qRgba(0, 0, 255, 255)); // slot 4, not slot 2

    const auto faded = GetGradientFromSetting(&three, 0.5f);
    ASSERT_TRUE(faded);
    for (const QGradientStop &stop : *faded)
        EXPECT_NEAR(stop.second.alphaF(), 0.5, 1e-4); // 16-bit channels

    // A stored count above five reads the five slots and no further.
    GradientSetting seven = threeColours();
    seven.colorCount = 7;
    seven.colors[3] = 0xFFFFFFFFu;
    seven.locations[2] = 0.5f;
    seven.locations[3] = 0.75f;
    const auto five = GetGradientFromSetting(&seven, 1.0f);
    ASSERT_TRUE(five);
    ASSERT_EQ(five->size(), 5);
    EXPECT_EQ((*five)[2].second.rgba(), qRgba(0x12, 0x34, 0x56, 255));
    EXPECT_EQ((*five)[4].first, 1.0);
    EXPECT_EQ((*five)[4].second.rgba(), qRgba(0, 0, 255, 255));

    // A word above 0xFFFFFFFF takes its stop and location with it.
    GradientSetting broken = threeColours();
    broken.colors[1] = 0x1FFFFFFFFull;
    const auto two = GetGradientFromSetting(&broken, 1.0f);
    ASSERT_TRUE(two);
    ASSERT_EQ(two->size(), 2);
    EXPECT_EQ((*two)[0].second.rgba(), qRgba(255, 0, 0, 128));
    EXPECT_EQ((*two)[1].second.rgba(), qRgba(0, 0, 255, 255));
    broken.colors[4] = 0x100000000ull;
    EXPECT_FALSE(GetGradientFromSetting(&broken, 1.0f));

    // Stored locations out of range (or not a number) stay within 0..1, in order.
    GradientSetting wild = threeColours();
    for (const float location : {-3.0f, 7.0f, kNaN}) {
        wild.locations[1] = location;
        const auto clamped = GetGradientFromSetting(&wild, 1.0f);
        ASSERT_TRUE(clamped);
        for (qsizetype i = 0; i < clamped->size(); ++i) {
            EXPECT_GE((*clamped)[i].first, 0.0);
            EXPECT_LE((*clamped)[i].first, 1.0);
            if (i > 0) {
                EXPECT_LE((*clamped)[i - 1].first, (*clamped)[i].first);
            }
        }
    }

    GradientSetting one = threeColours();
    one.colorCount = 1;
    EXPECT_FALSE(GetGradientFromSetting(&one, 1.0f));
    EXPECT_FALSE(GetGradientFromSetting(nullptr, 1.0f));
}

TEST(GradientSettingTest, ReversingSwapsTheEndsOnly)
{
    GradientSetting three = threeColours();
    GradientSettingReverse(&three);
    EXPECT_EQ(three.colors[0], 0x0000FFFFu);
    EXPECT_EQ(three.colors[4], 0xFF000080u);
    EXPECT_EQ(three.colors[1], 0x00FF00FFu);
    EXPECT_EQ(three.locations[1], 0.75f);

    GradientSetting five = threeColours();
    five.colorCount = 5;
    five.locations[1] = 0.1f;
    GradientSettingReverse(&five);
    EXPECT_EQ(five.colors[4], 0xFF000080u);
    EXPECT_EQ(five.colors[1], 0x00FF00FFu);
    EXPECT_EQ(five.colors[2], 0x123456FFu);
    EXPECT_EQ(five.locations[1], 0.1f);

    GradientSetting none = threeColours();
    none.colorCount = 0;
    GradientSettingReverse(&none);
    EXPECT_EQ(none.colors[0], 0xFF000080u);
    GradientSettingReverse(nullptr);
}

TEST(GradientSettingTest, DrawingFillsThePathOnly)
{
    GradientSetting s;
    s.colorCount = 2;
    s.colors[0] = 0xFF0000FFu;
    s.colors[4] = 0x0000FFFFu;
    const BezierPath path = BezierPath::bezierPathWithRect(QRectF(10, 0, 80, 10));

    const QImage linear = drawn(
        100, 10, [&] { DrawGradient(&path, QPointF(10, 5), QPointF(90, 5), 1.0f, &s, nullptr); });
    EXPECT_EQ(linear.pixelColor(5, 5).alpha(), 0); // outside the path
    EXPECT_EQ(linear.pixelColor(95, 5).alpha(), 0);
    EXPECT_GT(linear.pixelColor(12, 5).red(), 240);
    EXPECT_GT(linear.pixelColor(88, 5).blue(), 240);
    EXPECT_NEAR(linear.pixelColor(50, 5).red(), 128, 8);

    // Padded beyond the ends: a short gradient leaves the rest of the path in the end colour.
    const QImage padded = drawn(
        100, 10, [&] { DrawGradient(&path, QPointF(40, 5), QPointF(45, 5), 1.0f, &s, nullptr); });
    EXPECT_EQ(padded.pixelColor(20, 5), QColor(Qt::red));
    EXPECT_EQ(padded.pixelColor(80, 5), QColor(Qt::blue));

    // The same points give nothing; so does a path without elements.
    const QImage same = drawn(100, 10, [&] {
        DrawGradient(&path, QPointF(40, 5), QPointF(40, 5), 1.0f, &s, nullptr);
        const BezierPath empty;
        DrawGradient(&empty, QPointF(10, 5), QPointF(90, 5), 1.0f, &s, nullptr);
    });
    EXPECT_EQ(same, drawn(100, 10, [] {}));
}

TEST(GradientSettingTest, ARadialGradientRunsFromTheCentreAndTheCacheKeepsItsOrder)
{
    GradientSetting s;
    s.radial = 1;
    s.colorCount = 2;
    s.colors[0] = 0xFF0000FFu;
    s.colors[4] = 0x0000FFFFu;
    const BezierPath path = BezierPath::bezierPathWithRect(QRectF(0, 0, 100, 100));
    std::optional<QGradientStops> cache;
    const QImage outward = drawn(
        100, 100, [&] { DrawGradient(&path, QPointF(50, 50), QPointF(90, 50), 1.0f, &s, &cache); });
    EXPECT_GT(outward.pixelColor(50, 50).red(), 240);
    EXPECT_GT(outward.pixelColor(50, 5).blue(), 240); // padded past the radius
    ASSERT_TRUE(cache);

    // p1 right of p2 reverses a radial gradient, unless the cache already holds one.
    const QImage reversed = drawn(100, 100, [&] {
        DrawGradient(&path, QPointF(50, 50), QPointF(10, 50), 1.0f, &s, nullptr);
    });
    EXPECT_GT(reversed.pixelColor(50, 50).blue(), 240);
    const QImage cached = drawn(
        100, 100, [&] { DrawGradient(&path, QPointF(50, 50), QPointF(10, 50), 1.0f, &s, &cache); });
    EXPECT_GT(cached.pixelColor(50, 50).red(), 240);
}

class GridStyle
{
public:
    explicit GridStyle(quint8 value) : mWas(gAppSetting.gridSnap) { gAppSetting.gridSnap = value; }
    ~GridStyle() { gAppSetting.gridSnap = mWas; }

private:
    quint8 mWas;
};

TEST(GradientSettingTest, TheTransparencySampleIsACheckerboardOrAGrid)
{
    const float cell = 4;
    {
        GridStyle style(0);
        const QImage board = drawn(
            16, 16, [&] { DrawTransparencySample(cell, 16, 16, 1, QRectF(0, 0, 16, 16), 0.5f); });
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                const QColor centre = board.pixelColor(c * 4 + 2, r * 4 + 2);
                EXPECT_EQ(centre.alpha(), (c + r) % 2 ? 255 : 0) << c << " " << r;
                if ((c + r) % 2) {
                    EXPECT_NEAR(centre.red(), 128, 1);
                }
            }
        }
        // Only the cell pairs about the clip are drawn: from the one it starts in to the first
        // that reaches its end.
        const QImage clipped = drawn(
            64, 8, [&] { DrawTransparencySample(cell, 64, 8, 1, QRectF(33, 0, 6, 8), 1.0f); });
        EXPECT_EQ(clipped.pixelColor(38, 2).alpha(), 255); // pair 4, where the clip starts
        EXPECT_EQ(clipped.pixelColor(46, 2).alpha(), 255); // pair 5
        EXPECT_EQ(clipped.pixelColor(30, 2).alpha(), 0);
        EXPECT_EQ(clipped.pixelColor(54, 2).alpha(), 0);
        for (const float bad : {0.5f, kNaN}) {
            const QImage none = drawn(16, 16, [&] {
                DrawTransparencySample(bad, 16, 16, 1, QRectF(0, 0, 16, 16), 0.5f);
            });
            EXPECT_EQ(none, drawn(16, 16, [] {}));
        }
    }
    GridStyle style(1);
    const QImage grid =
        drawn(17, 17, [&] { DrawTransparencySample(cell, 16, 16, 1, QRectF(0, 0, 16, 16), 0.0f); });
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(grid.pixelColor(c * 4 + 2, r * 4 + 2).alpha(), 0) << c << " " << r;
    EXPECT_GT(grid.pixelColor(8, 2).alpha(), 0);  // on a vertical line
    EXPECT_GT(grid.pixelColor(2, 12).alpha(), 0); // on a horizontal line
}

TEST(GradientSettingTest, ColoursByName)
{
    ASSERT_EQ(SystemColorTable().size(), 175u);
    ASSERT_EQ(HtmlColorTable().size(), 140u);
    QSet<QString> system;
    for (const SystemColorName &e : SystemColorTable()) {
        const QString name = QLatin1String(e.name);
        EXPECT_EQ(name, name.toLower());
        EXPECT_FALSE(system.contains(name)) << e.name;
        system.insert(name);
    }
    for (const HtmlColorName &e : HtmlColorTable()) {
        EXPECT_TRUE(system.contains(QLatin1String(e.name))) << e.name;
        EXPECT_FALSE(QLatin1String(e.name).contains(QLatin1String("grey"))) << e.name;
    }
    EXPECT_STREQ(HtmlColorTable().front().name, "lightcoral");
    EXPECT_STREQ(HtmlColorTable().back().name, "black");

    struct Row
    {
        const char *name;
        bool html;
        QColor expected; // invalid: no colour
    } rows[] = {
        {"  Window\n", false, QColor(255, 255, 255)},
        {"grey", false, QColor(128, 128, 128)},
        {"GRAY", false, QColor(128, 128, 128)},
        {"DarkSeaGreen", false, QColor(143, 188, 143)},
        {"DarkSeaGreen", true, QColor(143, 188, 139)},
        {"rebeccapurple", false, QColor()},
        {"highlight", false, QColor(0, 100, 220)},
        {"highlight", true, QColor()},
        {"grey", true, QColor()},
        {"gray", true, QColor(128, 128, 128)},
        {" yellowgreen ", true, QColor(154, 205, 50)},
    };
    for (const Row &row : rows) {
        const QString name = QString::fromLatin1(row.name);
        const Color colour = row.html ? ColorFromHtmlName(name) : ColorFromSystemName(name);
        EXPECT_EQ(colour.isValid(), row.expected.isValid()) << row.name << row.html;
        if (row.expected.isValid()) {
            EXPECT_EQ(colour.toQColor().rgba(), row.expected.rgba()) << row.name << row.html;
        }
    }

    pelkotest::LogCapture log;
    EXPECT_FALSE(ColorFromHtmlName(QStringLiteral("Grey")).isValid());
    EXPECT_TRUE(log.logged(QStringLiteral("*** ERROR ColorFromHtmlName not found: grey")));
    EXPECT_FALSE(ColorFromSystemName(QStringLiteral(" \t\r\n")).isValid());
    EXPECT_TRUE(log.logged(QStringLiteral("*** ERROR ColorFromSystemName not found: name NULL")));
    EXPECT_FALSE(ColorFromHtmlName(QString()).isValid());
    EXPECT_TRUE(log.logged(QStringLiteral("*** ERROR ColorFromHtmlName not found: name NULL")));
}

} // namespace
