#include "layers/MyShapeLayer.h"

#include "graphics/PelkoNSAffineTransform.h"
#include "graphics/PelkoNSBezierPath.h"
#include "graphics/UtilityMathTransforms.h"
#include "layers/LayerDrawing.h"
#include "layers/VisioShapeLayer.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"
#include "services/Colors.h"

#include <QLinearGradient>
#include <QRadialGradient>

std::shared_ptr<MyShapeLayer> MyShapeLayer::create()
{
    return std::make_shared<MyShapeLayer>();
}

std::shared_ptr<MyShapeLayer> MyShapeLayer::layer()
{
    return std::make_shared<MyShapeLayer>();
}

std::shared_ptr<MyShapeLayer> MyShapeLayer::copy() const
{
    auto item = create();
    copyDataToItem(item.get());
    return item;
}

void MyShapeLayer::copyDataToItem(MyShapeLayer *item) const
{
    if (!item)
        return;
    item->mPath = mPath;
    item->mFillColor = mFillColor;
    item->mStrokeColor = mStrokeColor;
    item->mLineWidth = mLineWidth;
    item->mLineDashPattern = mLineDashPattern;
    item->mAffineTransform = mAffineTransform;
    item->mHidden = mHidden;
    item->mAngleInsideSvg = mAngleInsideSvg;
    item->mFillGradient = mFillGradient;
}

void MyShapeLayer::transform(const platform::AffineTransform *t)
{
    GUARD_BEGIN
    if (!t || !hasElements())
        return;
    if (mAffineTransform) {
        mPath->transformUsingAffineTransform(*mAffineTransform);
        mAffineTransform.reset();
    }
    mPath->transformUsingAffineTransform(*t);
    GUARD_END_VOID
}

void MyShapeLayer::draw(bool save)
{
    GUARD_BEGIN
    if (mHidden || !mPath || (!mFillGradient && !mFillColor.isValid() && !mStrokeColor.isValid()))
        return;
    const ScopedGraphicsState state(mAffineTransform || mFillGradient || save);
    if (mAffineTransform)
        mAffineTransform->concat();
    drawFill();
    drawStroke();
    GUARD_END_VOID
}

void MyShapeLayer::drawFill()
{
    if (drawGradient())
        return;
    if (mFillColor.isValid()) {
        platform::setFill(mFillColor);
        mPath->fill();
    }
}

bool MyShapeLayer::drawGradient()
{
    if (!mFillGradient || !mFillGradient->gradient())
        return false;
    const MyGradient &g = *mFillGradient;
    const QRectF box = mPath->bounds();
    const auto unitToBox = [&box](QPointF p) {
        return QPointF(box.x() + box.width() * p.x(), box.y() + box.height() * p.y());
    };
    const ScopedGraphicsState state(true);
    platform::GraphicsContext *gc = platform::GraphicsContext::currentContext();
    if (!gc || !gc->painter())
        return true;
    mPath->addClip();
    QGradient sweep;
    if (g.bIsLinear()) {
        sweep = QLinearGradient(unitToBox(g.startPoint()), unitToBox(g.endPoint()));
    } else {
        const QPointF c = unitToBox(g.centerPoint());
        sweep = QRadialGradient(c, g.radius() * std::min(box.width(), box.height()), c);
    }
    sweep.setStops(*g.gradient());
    // The end colours go on before the start and after the end.
    sweep.setSpread(QGradient::PadSpread);
    gc->painter()->fillRect(box, QBrush(sweep));
    return true;
}

void MyShapeLayer::drawStroke()
{
    if (!mStrokeColor.isValid())
        return;
    if (!mLineDashPattern.isEmpty())
        mPath->setLineDash(mLineDashPattern, 0);
    platform::setStroke(mStrokeColor);
    mPath->setLineWidth(mLineWidth);
    mPath->stroke();
}

bool MyShapeLayer::mergeStrokeFromOtherStrokeOnlyShape(const MyShapeLayer *other)
{
    GUARD_BEGIN
    if (!other || other == this || !mPath || !other->mPath)
        return false;
    const bool fillOnly =
        !mStrokeColor.isValid() && (mFillColor.isValid() || mFillGradient != nullptr);
    const bool otherStrokeOnly =
        other->mStrokeColor.isValid() && !other->mFillColor.isValid() && !other->mFillGradient;
    if (!fillOnly || !otherStrokeOnly || !SamePath(&*mPath, &*other->mPath) ||
        !SameTransform(mAffineTransform.get(), other->mAffineTransform.get()))
        return false;
    mStrokeColor = other->mStrokeColor;
    mLineWidth = other->mLineWidth;
    mLineDashPattern = other->mLineDashPattern;
    mPath = other->mPath;
    return true;
    GUARD_END(false)
}

float MyShapeLayer::getOpaque() const
{
    if (mFillColor.isValid())
        return float(GetColorAlpha(mFillColor));
    if (mStrokeColor.isValid())
        return float(GetColorAlpha(mStrokeColor));
    return 1.0f;
}

std::optional<platform::BezierPath> MergeShapeLayerPaths(const ShapeLayerList &layers)
{
    GUARD_BEGIN
    platform::BezierPath merged;
    for (const auto &layer : layers) {
        if (!layer || !layer->hasElements())
            continue;
        if (layer->affineTransform())
            merged.appendBezierPath(layer->affineTransform()->transformBezierPath(*layer->path()));
        else
            merged.appendBezierPath(*layer->path());
    }
    if (merged.isEmpty())
        return std::nullopt;
    return merged;
    GUARD_END(std::nullopt)
}

std::optional<platform::BezierPath> GetPathFromMyShapeLayerArray(const ShapeLayerList &layers)
{
    GUARD_BEGIN
    platform::BezierPath merged;
    for (const auto &layer : layers)
        if (layer && layer->hasElements())
            merged.appendBezierPath(*layer->path());
    if (merged.isEmpty())
        return std::nullopt;
    return merged;
    GUARD_END(std::nullopt)
}

void TransformShapeLayerArray(const ShapeLayerList &layers, const platform::AffineTransform *t)
{
    GUARD_BEGIN
    if (layers.isEmpty() || !t)
        return;
    const double scale = GetTransformScale(t);
    for (const auto &layer : layers) {
        if (!layer || !layer->hasElements())
            continue;
        auto path = *layer->path();
        path.transformUsingAffineTransform(*t);
        layer->setPath(path);
        layer->setLineWidth(float(layer->lineWidth() * scale));
        if (auto *shape = dynamic_cast<VisioShapeLayer *>(layer.get());
            shape && shape->fontSize() != 0)
            shape->setFontSize(shape->fontSize() * scale);
    }
    GUARD_END_VOID
}
