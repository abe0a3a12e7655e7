// Canvas helpers: snapping, constrained drags, dash and line styles, points relative to a line,
// the painted background and label, and areas measured on a raster.
#include <gtest/gtest.h>

#include "layers/CanvasDrawing.h"
#include "platform/GraphicsContext.h"
#include "services/AppInit.h"
#include "services/AppSetting.h"

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRandomGenerator>

#include <cmath>
#include <limits>
#include <numbers>

using platform::BezierPath;

namespace {

class CanvasDrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mSaved = gAppSetting;
        mModifiers = gCurrentEventModifiers;
        gAppSetting.gridSize = 20;
        gAppSetting.gridSnap = 1;
        gAppSetting.gridColor = 0;
        gAppSetting.unitFactor = 1;
        gAppSetting.strokeModeForAreaMeasure = 0;
    }
    void TearDown() override
    {
        gAppSetting = mSaved;
        gCurrentEventModifiers = mModifiers;
    }

    AppSetting mSaved;
    quint64 mModifiers = 0;
};

BezierPath squarePath(double side)
{
    return BezierPath::bezierPathWithRect(QRectF(0, 0, side, side));
}

BezierPath circlePath(double r)
{
    return BezierPath::bezierPathWithOvalInRect(QRectF(-r, -r, 2 * r, 2 * r));
}

QImage drawn(const std::function<void()> &draw)
{
    QImage image(200, 200, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    {
        platform::GraphicsContextScope scope(&painter);
        draw();
    }
    painter.end();
    return image;
}

} // namespace

TEST_F(CanvasDrawingTest, SnapsToTheNearestGridLineOnBothSidesOfZero)
{
    const struct
    {
        QPointF in, out;
    } rows[] = {
        {{29, 31}, {20, 40}}, {{-29, -31}, {-20, -40}}, {{-30, 30}, {-20, 40}},
        {{-9, 9}, {0, 0}},    {{-11, 11}, {-20, 20}},
    };
    for (const auto &row : rows) {
        QPointF p = row.in;
        SnapPointToGrid(&p);
        EXPECT_EQ(p, row.out) << row.in.x() << "," << row.in.y();
    }
    QRectF r(29, -29, 1, 41);
    SnapRectToGrid(&r);
    EXPECT_EQ(r, QRectF(20, -20, 20, 40));

    gAppSetting.gridSnap = 0;
    QPointF kept(29, 31);
    SnapPointToGrid(&kept);
    EXPECT_EQ(kept, QPointF(29, 31));
    gAppSetting.gridSnap = 1;
    gAppSetting.gridSize = 0;
    SnapPointToGrid(&kept);
    EXPECT_EQ(kept, QPointF(29, 31));
    SnapPointToGrid(nullptr);
}

TEST_F(CanvasDrawingTest, ShiftHoldsDragsToAxesAndDiagonals)
{
    gCurrentEventModifiers = 0;
    EXPECT_EQ(ConstrainPointWithShift(QPointF(0, 0), QPointF(10, 2)), QPointF(10, 2));
    gCurrentEventModifiers = kEventModifierShift;
    EXPECT_EQ(ConstrainPointWithShift(QPointF(0, 0), QPointF(10, 2)), QPointF(10, 0));
    EXPECT_EQ(ConstrainPointWithShift(QPointF(0, 0), QPointF(10, 9)), QPointF(10, 10));
    EXPECT_EQ(ConstrainPointWithShift(QPointF(0, 0), QPointF(-1, -9)), QPointF(0, -9));
    EXPECT_EQ(ConstrainPointWithShift(QPointF(5, 5), QPointF(-3, -4)), QPointF(-4, -4));

    const QPointF snapped = SnapLineEndToAngle(QPointF(0, 0), QPointF(10, 1), false);
    EXPECT_NEAR(snapped.x(), std::hypot(10, 1), 1e-4);
    EXPECT_EQ(snapped.y(), 0);
    const QPointF diagonal = SnapLineEndToAngle(QPointF(0, 0), QPointF(10, 9), false);
    EXPECT_NEAR(diagonal.x(), diagonal.y(), 1e-4);
    const QPointF upright = SnapLineEndToAngle(QPointF(0, 0), QPointF(9, 10), true);
    EXPECT_EQ(upright.x(), 0);
    EXPECT_NEAR(upright.y(), std::hypot(9, 10), 1e-4);
    const QPointF backwards = SnapLineEndToAngle(QPointF(0, 0), QPointF(-10, -0.5), true);
    EXPECT_LT(backwards.x(), -9);
    EXPECT_EQ(backwards.y(), 0);
}

TEST_F(CanvasDrawingTest, AnchorPointsOfARect)
{
    const QRectF r(10, 20, 100, 50);
    const QPointF expected[] = {{110, 45}, {110, 20}, {60, 20}, {10, 20},
                                {10, 45},  {10, 70},  {60, 70}, {110, 70}};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(GetRectAnchorPoint(i, r), expected[i]) << i;
    EXPECT_EQ(GetRectAnchorPoint(8, r), QPointF(-999, -999));
    EXPECT_EQ(GetRectAnchorPoint(-1, r), QPointF(-999, -999));
}

TEST_F(CanvasDrawingTest, DashStyles)
{
    const QList<QList<double>> units = {
        {1, 1}, {3, 1}, {3, 1, 1, 1}, {5, 1}, {3, 3},       {5, 5},       {1, 2},
        {1, 3}, {1, 4}, {2, 4},       {4, 2}, {1, 2, 1, 1}, {2, 2, 1, 1}, {3, 3, 1, 1},
    };
    for (int style = 1; style <= 14; ++style) {
        BezierPath path = squarePath(10);
        SetBezierPathDashStyle(&path, style, 3, 2);
        QList<double> expected;
        for (double u : units[style - 1])
            expected.append(u * 6);
        EXPECT_EQ(path.lineDashPattern(), expected) << style;
        EXPECT_EQ(path.lineDashPhase(), 0);
    }
    BezierPath path = squarePath(10);
    SetBezierPathDashStyle(&path, 3, 1, 1);
    EXPECT_EQ(path.lineDashPattern(), (QList<double>{6, 2, 2, 2}));
    SetBezierPathDashStyle(&path, 15, 1, 1);
    SetBezierPathDashStyle(&path, 0, 1, 1);
    EXPECT_EQ(path.lineDashPattern(), (QList<double>{6, 2, 2, 2}));
    SetBezierPathDashStyle(nullptr, 1, 1, 1);
}

TEST_F(CanvasDrawingTest, LineStylesAndTheMiterLimitRatio)
{
    BezierPath path = squarePath(10);
    SetBezierPathLineStyles(&path, 7, 3);
    EXPECT_EQ(path.lineJoinStyle(), platform::LineJoinStyle::Miter);
    EXPECT_EQ(path.lineCapStyle(), platform::LineCapStyle::Butt);
    EXPECT_EQ(path.miterLimit(), 5);
    SetBezierPathLineStyles(&path, 1, 2);
    EXPECT_EQ(path.lineJoinStyle(), platform::LineJoinStyle::Round);
    EXPECT_EQ(path.lineCapStyle(), platform::LineCapStyle::Square);

    // The miter length is at most 5 line widths: corners sharper than 2 asin(1/5) (about 23
    // degrees) are bevelled, blunter ones keep their point.
    for (double degrees : {30.0, 18.0}) {
        const double half = degrees / 2 * std::numbers::pi / 180;
        BezierPath corner;
        corner.moveToPoint(QPointF(-100 * std::cos(half), 100 * std::sin(half)));
        corner.lineToPoint(QPointF(0, 0));
        corner.lineToPoint(QPointF(-100 * std::cos(half), -100 * std::sin(half)));
        corner.setLineWidth(10);
        SetBezierPathLineStyles(&corner, 0, 0);
        QPainterPathStroker stroker(corner.pen(QBrush(Qt::black)));
        const QPainterPath outline = stroker.createStroke(corner.toQPainterPath());
        // The miter tip lies (w/2) / sin(half) beyond the corner.
        const double tip = 5 / std::sin(half);
        const bool pointed = outline.contains(QPointF(tip - 0.5, 0));
        EXPECT_EQ(pointed, 1 / std::sin(half) <= 5) << degrees;
    }
}

TEST_F(CanvasDrawingTest, PointsRelativeToALineRoundTrip)
{
    QRandomGenerator random(11125);
    for (int i = 0; i < 200; ++i) {
        const QPointF s(random.bounded(200.0) - 100, random.bounded(200.0) - 100);
        const QPointF e(random.bounded(200.0) - 100, random.bounded(200.0) - 100);
        const QPointF q(random.bounded(100.0) - 50, random.bounded(100.0) - 50);
        QPointF absolute;
        ASSERT_TRUE(LinePercentPointsToAbsolute(s, e, q, q, &absolute, nullptr));
        QPointF back;
        ASSERT_TRUE(AbsolutePointToLinePercent(s, e, absolute, &back));
        EXPECT_NEAR(back.x(), q.x(), 1e-9);
        EXPECT_NEAR(back.y(), q.y(), 1e-9);
    }
    QPointF out;
    // 50 hundredths along a line from (0,0) to (10,0) is its end.
    ASSERT_TRUE(LinePercentPointsToAbsolute(QPointF(0, 0), QPointF(10, 0), QPointF(50, 0),
                                            QPointF(0, 50), &out, nullptr));
    EXPECT_EQ(out, QPointF(10, 0));
    EXPECT_FALSE(LinePercentPointsToAbsolute(QPointF(0, 0), QPointF(0.05, 0), QPointF(), QPointF(),
                                             &out, &out));
    EXPECT_FALSE(AbsolutePointToLinePercent(QPointF(0, 0), QPointF(10, 0), QPointF(0.05, 0), &out));
    EXPECT_FALSE(AbsolutePointToLinePercent(QPointF(0, 0), QPointF(10, 0), QPointF(5, 5), nullptr));
}

TEST_F(CanvasDrawingTest, CubicValues)
{
    EXPECT_FLOAT_EQ(CubicBezierValue(0, 1, 2, 3, 4), 1);
    EXPECT_FLOAT_EQ(CubicBezierValue(1, 1, 2, 3, 4), 4);
    EXPECT_FLOAT_EQ(CubicBezierValue(0.5, 0, 0, 8, 8), 4);
    const QPointF held =
        CubicBezierPointAt(0, QPointF(0, 0), QPointF(0, 0), QPointF(100, 100), QPointF(100, 100));
    EXPECT_GT(held.x(), 0);
    EXPECT_NEAR(held.x(), CubicBezierValue(0.01f, 0, 0, 100, 100), 1e-4);
}

TEST_F(CanvasDrawingTest, AreasOfFillsAndStrokes)
{
    const BezierPath square = squarePath(10);
    EXPECT_DOUBLE_EQ(GetAreaSize_NoLine(&square), 100);
    const BezierPath circle = circlePath(10);
    EXPECT_NEAR(GetAreaSize_NoLine(&circle), 100 * std::numbers::pi, 0.02 * 314.16);
    EXPECT_EQ(GetAreaSize_NoLine(nullptr), 0);
    const BezierPath tiny = squarePath(0.005);
    EXPECT_EQ(GetAreaSize_NoLine(&tiny), 0);

    // A thin stroke does not count.
    EXPECT_DOUBLE_EQ(GetAreaSize(&square, 2, 0, 0), 100);
    gAppSetting.strokeModeForAreaMeasure = 0;
    const double under = GetAreaSize(&circle, 4, 0, 0);
    gAppSetting.strokeModeForAreaMeasure = 1;
    const double with = GetAreaSize(&circle, 4, 0, 0);
    gAppSetting.strokeModeForAreaMeasure = 2;
    const double without = GetAreaSize(&circle, 4, 0, 0);
    EXPECT_LT(under, without);
    EXPECT_LT(without, with);
    EXPECT_NEAR(with, std::numbers::pi * 12 * 12, 0.03 * std::numbers::pi * 144);
    EXPECT_NEAR(under, std::numbers::pi * 8 * 8, 0.04 * std::numbers::pi * 64);

    // A stroke as wide as the square: the square grows by half the width on every side.
    gAppSetting.strokeModeForAreaMeasure = 1;
    const double thick = GetAreaSize(&square, 10, 0, 0);
    EXPECT_TRUE(std::isfinite(thick));
    EXPECT_NEAR(thick, 400, 0.03 * 400);
    const double thicker = GetAreaSize(&square, 30, 0, 0);
    EXPECT_NEAR(thicker, 1600, 0.03 * 1600);
    EXPECT_EQ(GetAreaSize(&square, std::numeric_limits<double>::infinity(), 0, 0), 0);
}

TEST_F(CanvasDrawingTest, BackgroundCheckerboardGridAndPageColour)
{
    const QRectF page(0, 0, 200, 200);
    const QRectF visible(0, 0, 200, 200);
    gAppSetting.gridSnap = 0; // a checkerboard of 35-unit squares
    QImage image = drawn([&] { DrawBackGround(page, 0, 1, visible, false, false); });
    EXPECT_EQ(image.pixelColor(10, 10).alpha(), 0);
    EXPECT_EQ(image.pixelColor(45, 10).red(), 243);
    EXPECT_EQ(image.pixelColor(10, 45).red(), 243);
    EXPECT_EQ(image.pixelColor(45, 45).alpha(), 0);

    // A page colour fills the page and no checkerboard is drawn.
    image = drawn([&] { DrawBackGround(page, 0xFF0000FF, 1, visible, false, false); });
    EXPECT_EQ(image.pixelColor(45, 10), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(255, 0, 0));

    // Grid lines when snapping, every 20 units doubled to 40.
    gAppSetting.gridSnap = 1;
    image = drawn([&] { DrawBackGround(page, 0, 1, visible, false, true); });
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::white)); // white page, no grid colour word
    gAppSetting.gridColor = 0x0000FFFF;
    image = drawn([&] { DrawBackGround(page, 0, 1, visible, true, false); });
    EXPECT_GT(image.pixelColor(40, 10).blue(), 100);
    EXPECT_EQ(image.pixelColor(30, 10).alpha(), 0);

    for (float zoom : {std::numeric_limits<float>::quiet_NaN(), 0.001f,
                       std::numeric_limits<float>::infinity()}) {
        image = drawn([&] { DrawBackGround(page, 0xFF0000FF, zoom, visible, false, false); });
        EXPECT_EQ(image.pixelColor(10, 10).alpha(), 0) << zoom;
    }
    // A visible rect far too large for a screen draws no cells, quickly.
    image = drawn([&] {
        DrawBackGround(QRectF(0, 0, 1e12, 1e12), 0, 1, QRectF(0, 0, 1e12, 1e12), true, false);
    });
    DrawBackGround(page, 0, 1, visible, false, false); // no context: nothing
}

TEST_F(CanvasDrawingTest, LabelBoxAndScreenArea)
{
    InitDrawTextAttributes();
    QImage image = drawn([] {
        DrawTextWithBackGroundBlackBox(QStringLiteral("42"), QPointF(100, 100), 2,
                                       platform::Color::blue());
    });
    EXPECT_EQ(image.pixelColor(100, 88).blue(), 255);
    image = drawn([] {
        DrawTextWithBackGroundBlackBox(QString(), QPointF(100, 100), 2, platform::Color::blue());
        DrawTextWithBackGroundBlackBox(QStringLiteral("x"), QPointF(100, 100), 0.001f,
                                       platform::Color::blue());
    });
    EXPECT_EQ(image.pixelColor(100, 100).alpha(), 0);
    const QRectF screen = GetMaxScreenVisibleRect();
    EXPECT_EQ(screen.topLeft(), QPointF(0, 0));
    EXPECT_GE(screen.width(), 0);
}
