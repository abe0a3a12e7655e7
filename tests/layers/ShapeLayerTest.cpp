// Gradients and shape layers: the sweep geometry of diagram fills, fills and strokes read back
// as pixels, the drawing state left as it was on every way out, own transforms, the merge of a
// fill-only and a stroke-only layer, and the array functions.
#include "LayerCanvas.h"
#include "graphics/PelkoNSGradient.h"
#include "layers/MyGradient.h"
#include "layers/MyShapeLayer.h"
#include "layers/VisioShapeLayer.h"
#include "support/LogCapture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>

using layertest::Canvas;
using layertest::isWhite;
using layertest::near;
using platform::AffineTransform;
using platform::BezierPath;
using platform::Color;

namespace {

std::shared_ptr<const QGradientStops> redToBlue()
{
    return std::make_shared<QGradientStops>(initWithStartingColor2(Color::red(), Color::blue()));
}

std::shared_ptr<MyShapeLayer> rectLayer(QRectF rect)
{
    auto layer = MyShapeLayer::create();
    layer->setPath(BezierPath::bezierPathWithRect(rect));
    return layer;
}

void expectPoint(QPointF actual, QPointF expected, double tolerance = 0.01)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

// A layer whose stroke step fails half-way, after the fill has drawn.
class FailingLayer : public MyShapeLayer
{
protected:
    void drawStroke() override { throw std::runtime_error("stroke failed"); }
};

} // namespace

TEST(MyGradient, LinearSweepsRunBetweenTheSidesTheAngleCrosses)
{
    struct Row
    {
        float angle;
        QPointF start;
        QPointF end;
        double tolerance;
    };
    const Row rows[] = {
        {0, {0, 0.5}, {1, 0.5}, 1e-6},
        {90, {0.5, 0}, {0.5, 1}, 1e-6},
        {180, {1, 0.5}, {0, 0.5}, 1e-6},
        // Both ends of the reach lie inside the square: the sweep stays between them.
        {45, {0.04, 0.04}, {0.96, 0.96}, 0.005},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.angle);
        MyGradient gradient;
        gradient.setBIsLinear(false);
        gradient.visio_updateSettingBaseOn(0, row.angle);
        EXPECT_TRUE(gradient.bIsLinear());
        expectPoint(gradient.startPoint(), row.start, row.tolerance);
        expectPoint(gradient.endPoint(), row.end, row.tolerance);
    }
}

TEST(MyGradient, RadialCodesChooseTheCentreAndReachTheFarSide)
{
    const double corner = std::sqrt(2.0);
    struct Row
    {
        int code;
        QPointF center;
        double radius;
    };
    const Row rows[] = {
        {1, {1, 1}, corner},   {2, {0, 1}, corner},   {3, {0.5, 0.5}, 0.5}, {4, {0.5, 0}, 1.0},
        {5, {0.5, 1}, 1.0},    {6, {1, 0}, corner},   {7, {0, 0}, corner},  {8, {1, 1}, corner},
        {9, {0, 1}, corner},   {10, {0.5, 0.5}, 0.5}, {11, {1, 0}, corner}, {12, {0, 0}, corner},
        {13, {0.5, 0.5}, 0.5}, {14, {0.5, 0.5}, 0.5},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.code);
        MyGradient gradient;
        gradient.visio_updateSettingBaseOn(row.code, 33);
        EXPECT_FALSE(gradient.bIsLinear());
        EXPECT_EQ(gradient.centerPoint(), row.center);
        EXPECT_NEAR(gradient.radius(), row.radius, 1e-5);
    }

    // Copies share the stops and keep the geometry.
    MyGradient source;
    source.setGradient(redToBlue());
    source.visio_updateSettingBaseOn(7, 0);
    const auto copy = source.copy();
    EXPECT_EQ(copy->gradient(), source.gradient());
    EXPECT_EQ(copy->centerPoint(), source.centerPoint());
    EXPECT_EQ(copy->radius(), source.radius());
}

TEST(MyShapeLayer, FillsAndStrokesLandWhereTheyShould)
{
    {
        SCOPED_TRACE("plain fill");
        Canvas canvas;
        auto layer = rectLayer(QRectF(20, 20, 100, 60));
        layer->setFillColor(Color::red());
        layer->setStrokeColor(Color());
        layer->draw(false);
        EXPECT_TRUE(near(canvas.pixel(70, 50), Qt::red));
        EXPECT_TRUE(isWhite(canvas.pixel(150, 50)));
    }
    {
        SCOPED_TRACE("gradient without stops falls back to the fill colour");
        Canvas canvas;
        auto layer = rectLayer(QRectF(0, 0, 100, 100));
        layer->setFillColor(Color::green());
        layer->setFillGradient(MyGradient::create());
        layer->draw(false);
        EXPECT_TRUE(near(canvas.pixel(50, 50), QColor(0, 255, 0)));
    }
    {
        SCOPED_TRACE("linear gradient");
        Canvas canvas;
        auto layer = rectLayer(QRectF(0, 0, 200, 100));
        auto gradient = MyGradient::create();
        gradient->setGradient(redToBlue());
        gradient->visio_updateSettingBaseOn(0, 0);
        layer->setFillGradient(gradient);
        layer->setFillColor(Color::green());
        layer->setStrokeColor(Color());
        layer->draw(false);
        EXPECT_TRUE(near(canvas.pixel(1, 50), Qt::red, 6));
        EXPECT_TRUE(near(canvas.pixel(198, 50), Qt::blue, 6));
        EXPECT_TRUE(near(canvas.pixel(100, 50), QColor(128, 0, 127), 6));
        // Clipped to the path.
        EXPECT_TRUE(isWhite(canvas.pixel(100, 150)));
    }
    {
        SCOPED_TRACE("radial gradient reaches radius times the smaller side");
        Canvas canvas;
        auto layer = rectLayer(QRectF(0, 0, 200, 100));
        auto gradient = MyGradient::create();
        gradient->setGradient(redToBlue());
        gradient->setBIsLinear(false);
        gradient->setCenterPoint(QPointF(0.5, 0.5));
        gradient->setRadius(1.0);
        layer->setFillGradient(gradient);
        layer->setStrokeColor(Color());
        layer->draw(false);
        EXPECT_TRUE(near(canvas.pixel(100, 50), Qt::red, 6));
        EXPECT_TRUE(near(canvas.pixel(150, 50), QColor(128, 0, 127), 8));
        EXPECT_TRUE(near(canvas.pixel(199, 50), Qt::blue, 8));
    }
    {
        SCOPED_TRACE("4 on, 2 off");
        Canvas canvas;
        auto layer = MyShapeLayer::create();
        BezierPath line;
        line.moveToPoint(QPointF(0, 50));
        line.lineToPoint(QPointF(120, 50));
        layer->setPath(line);
        layer->setLineWidth(4);
        layer->setLineDashPattern({4, 2});
        layer->draw(false);
        for (int x : {1, 2, 3, 7, 8, 13, 14}) {
            SCOPED_TRACE(x);
            EXPECT_TRUE(near(canvas.pixel(x, 50), Qt::black));
        }
        for (int x : {4, 5, 10, 11, 16, 17})
            EXPECT_TRUE(isWhite(canvas.pixel(x, 50))) << x;
        // The dash stays on the layer's path.
        EXPECT_EQ(layer->path()->lineDashPattern(), (QList<double>{4, 2}));
    }
}

TEST(MyShapeLayer, TheDrawingStateIsPutBackOnEveryWayOut)
{
    Canvas canvas;
    canvas.painter().translate(3, 4);
    const QTransform before = canvas.painter().transform();
    const int depth = canvas.context().saveDepth();

    auto nothing = rectLayer(QRectF(0, 0, 10, 10));
    nothing->setStrokeColor(Color());
    nothing->setAffineTransform(std::make_shared<AffineTransform>(2, 0, 0, 2, 0, 0));
    nothing->draw(true);
    EXPECT_EQ(canvas.context().saveDepth(), depth);

    auto failing = std::make_shared<FailingLayer>();
    failing->setPath(BezierPath::bezierPathWithRect(QRectF(0, 0, 10, 10)));
    failing->setFillColor(Color::red());
    auto gradient = MyGradient::create();
    gradient->setGradient(redToBlue());
    failing->setFillGradient(gradient);
    failing->setAffineTransform(std::make_shared<AffineTransform>(2, 0, 0, 2, 5, 5));
    {
        pelkotest::LogCapture capture;
        failing->draw(true);
        EXPECT_TRUE(capture.hasExceptionReport());
    }
    EXPECT_EQ(canvas.context().saveDepth(), depth);
    EXPECT_EQ(canvas.painter().transform(), before);
    EXPECT_FALSE(canvas.painter().hasClipping());
}

TEST(MyShapeLayer, TransformsAndCopies)
{
    auto layer = rectLayer(QRectF(0, 0, 10, 10));
    layer->setAffineTransform(std::make_shared<AffineTransform>(1, 0, 0, 1, 100, 0));
    AffineTransform scale;
    scale.scaleBy(2);
    layer->transform(&scale);
    EXPECT_EQ(layer->affineTransform(), nullptr);
    // Own transform first: moved by 100, then scaled.
    EXPECT_EQ(layer->path()->bounds(), QRectF(200, 0, 20, 20));

    layer->additionImportInforDic().insert("k", 1);
    auto gradient = MyGradient::create();
    layer->setFillGradient(gradient);
    layer->setAffineTransform(std::make_shared<AffineTransform>());
    const auto copy = layer->copy();
    EXPECT_TRUE(copy->additionImportInforDic().isEmpty());
    EXPECT_EQ(copy->fillGradient(), gradient);
    EXPECT_EQ(copy->affineTransform(), layer->affineTransform());
    EXPECT_EQ(copy->path()->bounds(), layer->path()->bounds());
    EXPECT_EQ(MyShapeLayer::layer()->lineWidth(), 1.0f);

    // Opacity: the fill's alpha, else the stroke's, else opaque.
    layer->setFillColor(Color::calibratedRGB(1, 0, 0, 0.25));
    EXPECT_NEAR(layer->getOpaque(), 0.25, 0.01);
    layer->setFillColor(Color());
    layer->setStrokeColor(Color::calibratedRGB(0, 0, 0, 0.5));
    EXPECT_NEAR(layer->getOpaque(), 0.5, 0.01);
    layer->setStrokeColor(Color());
    EXPECT_EQ(layer->getOpaque(), 1.0f);
}

TEST(MyShapeLayer, AStrokeOnlyLayerMergesOnlyIntoTheSameOutline)
{
    const auto fillOnly = [] {
        auto layer = rectLayer(QRectF(0, 0, 50, 50));
        layer->setFillColor(Color::red());
        layer->setStrokeColor(Color());
        layer->setAffineTransform(std::make_shared<AffineTransform>(1, 0, 0, 1, 10, 10));
        return layer;
    };
    const auto strokeOnly = [](double drift) {
        auto layer = rectLayer(QRectF(0, 0, 50, 50));
        layer->setStrokeColor(Color::blue());
        layer->setLineWidth(3);
        layer->setLineDashPattern({5, 1});
        layer->setAffineTransform(std::make_shared<AffineTransform>(1, 0, 0, 1, 10 + drift, 10));
        return layer;
    };
    auto target = fillOnly();
    EXPECT_FALSE(target->mergeStrokeFromOtherStrokeOnlyShape(nullptr));
    EXPECT_FALSE(target->mergeStrokeFromOtherStrokeOnlyShape(target.get()));
    EXPECT_FALSE(target->mergeStrokeFromOtherStrokeOnlyShape(strokeOnly(0.01).get()));
    EXPECT_FALSE(target->strokeColor().isValid());
    auto filled = strokeOnly(0);
    filled->setFillColor(Color::green());
    EXPECT_FALSE(target->mergeStrokeFromOtherStrokeOnlyShape(filled.get()));

    EXPECT_TRUE(target->mergeStrokeFromOtherStrokeOnlyShape(strokeOnly(0.001).get()));
    EXPECT_EQ(target->strokeColor(), Color::blue());
    EXPECT_EQ(target->lineWidth(), 3.0f);
    EXPECT_EQ(target->lineDashPattern(), (QList<double>{5, 1}));
    EXPECT_EQ(target->fillColor(), Color::red());
}

TEST(MyShapeLayer, ArrayFunctions)
{
    auto moved = rectLayer(QRectF(0, 0, 10, 10));
    moved->setAffineTransform(std::make_shared<AffineTransform>(1, 0, 0, 1, 100, 0));
    auto diagram = VisioShapeLayer::create();
    diagram->setPath(BezierPath::bezierPathWithRect(QRectF(20, 20, 10, 10)));
    auto empty = MyShapeLayer::create();
    const ShapeLayerList layers{moved, nullptr, empty, diagram};

    const auto merged = MergeShapeLayerPaths(layers);
    ASSERT_TRUE(merged.has_value());
    EXPECT_EQ(merged->bounds(), QRectF(20, 0, 90, 30));
    EXPECT_EQ(moved->path()->bounds(), QRectF(0, 0, 10, 10));
    const auto plain = GetPathFromMyShapeLayerArray(layers);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->bounds(), QRectF(0, 0, 30, 30));
    EXPECT_FALSE(MergeShapeLayerPaths({empty}).has_value());
    EXPECT_FALSE(GetPathFromMyShapeLayerArray({}).has_value());

    AffineTransform stretch;
    stretch.scaleXBy(2, 4);
    TransformShapeLayerArray(layers, &stretch);
    EXPECT_EQ(moved->path()->bounds(), QRectF(0, 0, 20, 40));
    EXPECT_NE(moved->affineTransform(), nullptr);
    EXPECT_FLOAT_EQ(moved->lineWidth(), 3.0f);
    EXPECT_DOUBLE_EQ(diagram->fontSize(), 36.0);
    TransformShapeLayerArray(layers, nullptr);
    EXPECT_FLOAT_EQ(moved->lineWidth(), 3.0f);
}
