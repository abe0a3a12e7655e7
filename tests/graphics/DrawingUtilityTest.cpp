// Drawing helpers of the views: geometry, arrow marks, and drawing into an image.
#include <gtest/gtest.h>

#include "support/LogCapture.h"
#include "graphics/DrawingUtility.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <limits>

using platform::BezierPath;
using platform::BezierPathElement;
using platform::Color;

namespace {

QImage blankImage()
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

void expectNear(QPointF a, QPointF b, double tol = 0.01)
{
    EXPECT_NEAR(a.x(), b.x(), tol);
    EXPECT_NEAR(a.y(), b.y(), tol);
}

} // namespace

TEST(DrawingUtility, RectanglesDistancesAndTransforms)
{
    EXPECT_EQ(MakeRectCenteredAtPoint(QPointF(10, 10), 4, 2), QRectF(8, 9, 4, 2));
    EXPECT_FLOAT_EQ(DistanceBetweenPoints(QPointF(0, 0), QPointF(3, 4)), 5.0f);

    // A zero-width source counts as 0.002 wide.
    const platform::AffineTransform t =
        CreateTransformRectToRect(QRectF(0, 0, 0, 10), QRectF(0, 0, 10, 10));
    EXPECT_NEAR(t.m11(), 5000.0, 1e-6);
    EXPECT_NEAR(t.m22(), 1.0, 1e-9);

    const platform::AffineTransform u =
        CreateTransformRectToRect(QRectF(10, 20, 2, 4), QRectF(100, 200, 20, 8));
    expectNear(u.transformPoint(QPointF(10, 20)), QPointF(100, 200));
    expectNear(u.transformPoint(QPointF(12, 24)), QPointF(120, 208));
}

TEST(DrawingUtility, NormalizeAngle)
{
    const struct
    {
        float in, out;
    } rows[] = {{-30, 330}, {720, 0}, {359.5f, 359.5f}, {360, 0}, {0, 0}, {-720, 0}};
    for (const auto &row : rows) {
        float a = row.in;
        NormalizeAngleInPlace(&a);
        EXPECT_FLOAT_EQ(a, row.out) << row.in;
    }
    float far = -360.0f * 2000;
    NormalizeAngle(&far); // gives up after 1000 turns
    EXPECT_FLOAT_EQ(far, -360.0f * 1000);
    NormalizeAngleInPlace(nullptr);
}

TEST(DrawingUtility, ArrowWings)
{
    QPointF w1, w2;
    ASSERT_TRUE(GetArrowWingPoints(&w1, &w2, 15, QPointF(100, 50), QPointF(0, 50), 10));
    expectNear(w1, QPointF(62.68, 60));
    expectNear(w2, QPointF(62.68, 40));

    ASSERT_TRUE(GetArrowWingPoints(&w1, &w2, 90, QPointF(100, 50), QPointF(0, 50), 10));
    expectNear(w1, QPointF(100, 60));
    expectNear(w2, QPointF(100, 40));

    ASSERT_TRUE(GetArrowWingPoints(&w1, &w2, 0, QPointF(100, 50), QPointF(0, 50), 10));
    EXPECT_EQ(w1, QPointF(100, 50));
    EXPECT_EQ(w2, QPointF(100, 50));

    // Tip and tail on one point: wings straight up and down.
    ASSERT_TRUE(GetArrowWingPoints(&w1, &w2, 30, QPointF(5, 5), QPointF(5.5, 5), 3));
    EXPECT_EQ(w1, QPointF(5, 8));
    EXPECT_EQ(w2, QPointF(5, 2));

    // A slanted shaft: the wings stand d off the shaft, symmetric about it.
    ASSERT_TRUE(GetArrowWingPoints(&w1, &w2, 40, QPointF(100, 100), QPointF(0, 0), 20));
    const QPointF mid = (w1 + w2) / 2;
    EXPECT_NEAR(mid.x(), mid.y(), 1e-6);
    const double offShaft = std::abs(w1.x() - w1.y()) / std::sqrt(2.0);
    EXPECT_NEAR(offShaft, 20.0, 1e-4);

    EXPECT_FALSE(GetArrowWingPoints(nullptr, &w2, 15, QPointF(), QPointF(10, 0), 1));

    // Angles at the ends of the integer range and beyond still give wings.
    for (float extreme : {-1e20f, 1e20f, std::nanf("")}) {
        BezierPath path;
        EXPECT_TRUE(
            AppendArrowToPath(&path, &w1, &w2, QPointF(100, 50), QPointF(0, 50), 10, extreme));
    }
}

TEST(DrawingUtility, ArrowAndLinePaths)
{
    BezierPath path;
    QPointF w1;
    ASSERT_TRUE(
        AppendArrowToPath(&path, &w1, nullptr, QPointF(100, 50), QPointF(0, 50), 10, 15.9f));
    expectNear(w1, QPointF(62.68, 60)); // the angle is truncated to 15
    ASSERT_EQ(path.elementCount(), 6);
    QPointF pts[3];
    EXPECT_EQ(path.elementAtIndex(5, pts), BezierPathElement::LineTo);
    EXPECT_EQ(pts[0], QPointF(0, 50));
    EXPECT_FALSE(AppendArrowToPath(nullptr, nullptr, nullptr, QPointF(), QPointF(1, 1), 1, 1));

    BezierPath line;
    AppendLineToPathF(&line, 0, 0, 0, 100);
    EXPECT_EQ(line.elementCount(), 2);
    AppendLineToPath(nullptr, QPointF(), QPointF());

    BezierPath arrowLine;
    ASSERT_TRUE(AppendArrowLine(&arrowLine, QPointF(0, 0), QPointF(100, 0), 5, 30));
    EXPECT_EQ(arrowLine.elementAtIndex(2, pts), BezierPathElement::MoveTo);
    EXPECT_EQ(pts[0], QPointF(50, 0));
}

TEST(DrawingUtility, DashedLine)
{
    BezierPath path;
    AppendDashedLine(&path, 4, QPointF(10, 10), QPointF(10, 50)); // straight up
    ASSERT_EQ(path.elementCount(), 4);                            // pieces 0 and 2
    QPointF pts[3];
    path.elementAtIndex(0, pts);
    expectNear(pts[0], QPointF(10, 10));
    path.elementAtIndex(3, pts);
    expectNear(pts[0], QPointF(10, 40));

    BezierPath none;
    AppendDashedLine(&none, 0, QPointF(), QPointF(10, 0));
    AppendDashedLine(&none, 3, QPointF(), QPointF(0.01, 0));
    EXPECT_TRUE(none.isEmpty());

    BezierPath fine;
    AppendDashedLine(&fine, std::numeric_limits<int>::max(), QPointF(), QPointF(1000, 0));
    EXPECT_EQ(fine.elementCount(), 100000); // 50000 dashes
}

TEST(DrawingUtility, DrawIntoAnImage)
{
    QImage image = blankImage();
    {
        QPainter painter(&image);
        platform::GraphicsContextScope scope(&painter);
        DrawRectPath(QRectF(5, 5, 20, 20), Color::calibratedRGB(1, 0, 0),
                     Color::calibratedRGB(0, 0, 1), 2);
        DrawOvalPath(QRectF(28, 28, 10, 10), Color::calibratedRGB(0, 1, 0), Color(), 1);
    }
    EXPECT_EQ(image.pixelColor(15, 15), QColor(255, 0, 0));     // filled interior
    EXPECT_EQ(image.pixelColor(5, 15), QColor(0, 0, 255));      // stroked edge, on top of the fill
    EXPECT_EQ(image.pixelColor(33, 33), QColor(0, 255, 0));     // oval centre
    EXPECT_EQ(image.pixelColor(28, 28), QColor(255, 255, 255)); // outside the oval's curve
    EXPECT_EQ(image.pixelColor(2, 2), QColor(255, 255, 255));
}

TEST(DrawingUtility, NothingToDrawIsReported)
{
    QImage image = blankImage();
    pelkotest::LogCapture reports;
    {
        QPainter painter(&image);
        platform::GraphicsContextScope scope(&painter);
        DrawRectPath(QRectF(0, 0, 40, 40), Color(), Color::calibratedRGB(0, 0, 0), 0.005f);
        EXPECT_EQ(reports.reportCount(), 1);
        DrawRectPath(QRectF(0, 0, 40, 40), Color(), Color::calibratedRGB(0, 0, 0), 0.01f);
        EXPECT_EQ(reports.reportCount(), 1);
    }
    EXPECT_EQ(image.pixelColor(20, 20), QColor(255, 255, 255));
    EXPECT_NE(image.pixelColor(0, 20), QColor(255, 255, 255)); // the thin stroke drew
}
