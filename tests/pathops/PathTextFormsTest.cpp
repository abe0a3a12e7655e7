// A path's text and property-list forms, its identity and its stroke pieces.
#include <gtest/gtest.h>

#include "pathops/PolygonPath.h"
#include "support/LogCapture.h"

#include "pathops/PathTextForms.h"

#include <QRandomGenerator64>

#include <bit>
#include <cmath>
#include <limits>
#include <unordered_set>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

BezierPath twoSubpaths(bool reversedOrder)
{
    BezierPath a = polygon({{0, 0}, {10, 0}, {10, 10}});
    BezierPath b = polygon({{20, 20}, {30, 20}, {25, 30}});
    BezierPath path;
    path.appendBezierPath(reversedOrder ? b : a);
    path.appendBezierPath(reversedOrder ? a : b);
    return path;
}

BezierPath curvePath()
{
    BezierPath path;
    path.moveToPoint(QPointF(1, 2));
    path.curveToPoint(QPointF(7, 8), QPointF(3, 4), QPointF(5, 6));
    path.lineToPoint(QPointF(-1, 0));
    path.closePath();
    return path;
}

} // namespace

TEST(PathTextFormsTest, WritesTheCompactTextForm)
{
    const BezierPath square = polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    EXPECT_EQ(pathToString(square), "M;0.000;0.000@L;1.000;0.000@L;1.000;1.000@L;0.000;1.000@C;@");
    EXPECT_EQ(pathToString(BezierPath()), "");
    // A negative zero is written as zero; what rounds to it keeps its sign.
    EXPECT_EQ(pathToString(polygon({{-0.0, -0.0004}, {2.5, -3.25}}, false)),
              "M;0.000;-0.000@L;2.500;-3.250@");
    EXPECT_EQ(pathToString(curvePath()),
              "M;1.000;2.000@S;3.000;4.000;5.000;6.000;7.000;8.000@L;-1.000;0.000@C;@");
}

TEST(PathTextFormsTest, NaNPointsAreWrittenAsTheZeroPoint)
{
    pelkotest::LogCapture log;
    BezierPath path;
    path.moveToPoint(QPointF(1, 1));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    path.curveToPoint(QPointF(4, 4), QPointF(nan, 2), QPointF(3, 3));
    EXPECT_EQ(pathToString(path), "M;1.000;1.000@S;0.000;0.000;3.000;3.000;4.000;4.000@");
    EXPECT_TRUE(log.logged("**** NaN value error **** "));
}

TEST(PathTextFormsTest, ReadsTheTextFormLeniently)
{
    struct Row
    {
        const char *text;
        bool readable;
        QList<BezierPath::Element> elements;
    };
    using E = BezierPath::Element;
    const E m15{BezierPathElement::MoveTo, {QPointF(1.5, 2), QPointF(), QPointF()}};
    const E l34{BezierPathElement::LineTo, {QPointF(3, 4), QPointF(), QPointF()}};
    const Row rows[] = {
        {"", false, {}},
        {"@", true, {}},
        {"@@;@", true, {}},
        {"m;1;2@", true, {}},
        {"X;1;2@M;1.5;2@", true, {m15}},
        {"M;1.5abc;2@", true, {m15}},
        {"M;  1.5;2;99@L;3;4@", true, {m15, l34}},
        {"M;1.5;2@L;3@", false, {}},
        {"M;1.5;2@L;;4@", false, {}},
        {"M;1.5;2@S;1;2;3;4;5@", false, {}},
        {"M;1.5;2@L;3;4", true, {m15, l34}},
        {"M;1.5;2@L;three;4@",
         true,
         {m15, E{BezierPathElement::LineTo, {QPointF(0, 4), QPointF(), QPointF()}}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        pelkotest::LogCapture log;
        const std::optional<BezierPath> path = pathFromString(QString::fromLatin1(row.text));
        ASSERT_EQ(path.has_value(), row.readable);
        if (path) {
            EXPECT_EQ(path->elements(), row.elements);
        } else if (*row.text) {
            EXPECT_TRUE(log.logged("******** ERROR pathFromMahoa *******"));
        }
    }
    EXPECT_FALSE(pathFromString(QString()).has_value());
}

TEST(PathTextFormsTest, TextRoundTripKeepsEveryWrittenDigitOfLargeCoordinates)
{
    // Read through single precision, 12345.678 would come back as 12345.678 +- 0.001.
    BezierPath path;
    path.moveToPoint(QPointF(12345.678, -98765.432));
    path.curveToPoint(QPointF(1234567.891, 0.5), QPointF(-4444444.125, 3), QPointF(7, 8));
    const std::optional<BezierPath> back = pathFromString(pathToString(path));
    ASSERT_TRUE(back);
    EXPECT_TRUE(isEqual(path, &*back));
    EXPECT_EQ(pathToString(*back), pathToString(path));
}

TEST(PathTextFormsTest, PointStringsReadBackTheSameDoubles)
{
    QRandomGenerator64 random(27);
    QList<double> values = {0.1,
                            -0.0,
                            1e300,
                            5e-324,
                            -123456789.123456789,
                            1.0 / 3,
                            0.0,
                            std::numeric_limits<double>::infinity()};
    for (int i = 0; i < 200; ++i)
        values << std::bit_cast<double>(random.generate()) * (i % 2 ? 1 : -1);
    for (int i = 0; i + 1 < values.size(); ++i) {
        const QPointF p(values[i], values[i + 1]);
        const QPointF back = PointFromString(StringFromPoint(p));
        if (std::isnan(p.x()) || std::isnan(p.y()))
            continue;
        EXPECT_EQ(std::bit_cast<quint64>(back.x()), std::bit_cast<quint64>(p.x())) << p.x();
        EXPECT_EQ(back.y(), p.y());
    }
    EXPECT_EQ(StringFromPoint(QPointF(1.5, -2)), "{1.5, -2}");
}

TEST(PathTextFormsTest, PointStringsAreReadLeniently)
{
    const struct
    {
        const char *text;
        QPointF point;
    } rows[] = {
        {"{1.5, 2}", {1.5, 2}},
        {" { 3,4 }", {3, 4}},
        {"{7}", {7, 0}},
        {"garbage", {0, 0}},
        {"", {0, 0}},
        {"{+2e1,-x}", {20, 0}},
        {"{1e999, -1e-999}", {INFINITY, -0.0}},
    };
    for (const auto &row : rows) {
        const QPointF p = PointFromString(QString::fromLatin1(row.text));
        EXPECT_EQ(p.x(), row.point.x()) << row.text;
        EXPECT_EQ(p.y(), row.point.y()) << row.text;
    }
}

TEST(PathTextFormsTest, PropertyListFormRoundTripsAndAppends)
{
    const BezierPath path = curvePath();
    const QVariantMap plist = propertyListRepresentation(path);
    const QVariantList entries = plist.value("elements").toList();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[1].toMap().value("element").toString(), "CURVETO");
    EXPECT_EQ(entries[1].toMap().value("point").toString(), "{7, 8}");
    EXPECT_EQ(entries[1].toMap().value("control1").toString(), "{3, 4}");
    EXPECT_EQ(entries[3].toMap().value("element").toString(), "CLOSE");

    BezierPath back;
    loadPropertyListRepresentation(back, plist);
    EXPECT_TRUE(isEqual(path, &back));
    loadPropertyListRepresentation(back, plist);
    EXPECT_EQ(back.elementCount(), 2 * path.elementCount());
}

TEST(PathTextFormsTest, PropertyListEntriesItCannotReadAddNothing)
{
    QVariantList entries;
    entries << QVariantMap{{"element", "MOVETO"}, {"point", "{1, 2}"}}
            << QVariantMap{{"element", "LINETO"}}
            << QVariantMap{{"element", "CURVETO"}, {"point", "{1, 1}"}, {"control1", "{0, 0}"}}
            << QVariantMap{{"element", "lineto"}, {"point", "{5, 5}"}}
            << QVariantMap{{"element", "LINETO"}, {"point", 5}} << QVariant(42)
            << QVariantMap{{"element", "LINETO"}, {"point", "{3, 4}"}};
    BezierPath path;
    loadPropertyListRepresentation(path, QVariantMap{{"elements", entries}});
    EXPECT_EQ(pathToString(path), "M;1.000;2.000@L;3.000;4.000@");
    loadPropertyListRepresentation(path, QVariantMap{{"elements", "not a list"}});
    loadPropertyListRepresentation(path, QVariantMap());
    EXPECT_EQ(path.elementCount(), 2);
}

TEST(PathTextFormsTest, EqualityAndHashAgree)
{
    const BezierPath a = curvePath();
    BezierPath b = curvePath();
    b.setLineWidth(9);
    EXPECT_TRUE(isEqual(a, &b));
    EXPECT_EQ(hash(a), hash(b));
    EXPECT_FALSE(isEqual(a, nullptr));
    EXPECT_EQ(hash(BezierPath()), 0u);

    // Kinds, counts and every point of a curve count; -0 and 0 are the same point.
    BezierPath moved = curvePath();
    QPointF points[3] = {QPointF(3, 4), QPointF(5, 6.5), QPointF(7, 8)};
    moved.setAssociatedPoints(points, 1);
    EXPECT_FALSE(isEqual(a, &moved));
    const BezierPath lines = polygon({{1, 2}, {7, 8}, {-1, 0}});
    EXPECT_FALSE(isEqual(a, &lines));
    const BezierPath zero = polygon({{0, 0}, {1, 1}}, false);
    const BezierPath negativeZero = polygon({{-0.0, -0.0}, {1, 1}}, false);
    EXPECT_TRUE(isEqual(zero, &negativeZero));
    EXPECT_EQ(hash(zero), hash(negativeZero));
    EXPECT_EQ(zero, negativeZero);
    EXPECT_EQ(std::hash<BezierPath>()(zero), std::hash<BezierPath>()(negativeZero));

    // A path with NaN is equal to itself, by both comparisons, and hashes.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const BezierPath odd = polygon({{nan, 1}, {INFINITY, 2}, {1e-320, 0}});
    EXPECT_TRUE(isEqual(odd, &odd));
    EXPECT_TRUE(odd == odd);
    EXPECT_EQ(hash(odd), hash(odd));
    // Sums that are not finite count as the digit 0, as zero does.
    EXPECT_EQ(hash(polygon({{INFINITY, 1}, {3, nan}})), hash(polygon({{0, 0}, {0, 0}})));
    EXPECT_NE(hash(polygon({{1, 1}, {3, 0}})), hash(polygon({{0, 0}, {0, 0}})));

    std::unordered_set<BezierPath> set{a, b, curvePath(), zero, negativeZero};
    EXPECT_EQ(set.size(), 3u); // b differs from a in its line width
}

TEST(PathTextFormsTest, StrokeSetsIgnoreDirectionAndSubpathOrder)
{
    const BezierPath clockwise = polygon({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    const BezierPath counter = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(strokesSimilarlyIgnoringEndcapsToPath(clockwise, counter));
    EXPECT_EQ(countedSetOfEncodedStrokeSegments(clockwise).size(), 4u);

    const BezierPath curve = curvePath();
    EXPECT_TRUE(strokesSimilarlyIgnoringEndcapsToPath(curve, curve.bezierPathByReversingPath()));
    EXPECT_FALSE(strokesSimilarlyIgnoringEndcapsToPath(curve, clockwise));

    // Each subpath closes to its own start, so the order of the subpaths does not matter.
    EXPECT_TRUE(strokesSimilarlyIgnoringEndcapsToPath(twoSubpaths(false), twoSubpaths(true)));
    const EncodedStrokeSegments set = countedSetOfEncodedStrokeSegments(twoSubpaths(false));
    EXPECT_EQ(set.count("{20.00000,20.00000}{25.00000,30.00000}"), 1u);

    // A piece drawn twice counts twice; a zero-length piece counts nothing.
    const BezierPath twice = polygon({{0, 0}, {5, 0}, {0, 0}, {0, 0}}, false);
    const EncodedStrokeSegments counted = countedSetOfEncodedStrokeSegments(twice);
    ASSERT_EQ(counted.size(), 1u);
    EXPECT_EQ(counted.begin()->second, 2);
}
