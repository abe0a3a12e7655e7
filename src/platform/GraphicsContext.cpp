#include "platform/GraphicsContext.h"

#include "platform/Color.h"
#include "platform/GaussianBlur.h"
#include "platform/PixelLimits.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainterPathStroker>
#include <cmath>

namespace platform {

namespace {

// One stack per thread: an image drawn on a worker must not land in the painter of a view that
// the main thread is painting at the same moment.
QList<GraphicsContext *> &contextStack()
{
    thread_local QList<GraphicsContext *> stack;
    return stack;
}

} // namespace

GraphicsContext::GraphicsContext(QPainter *painter, bool flipped, bool drawingToScreen)
    : mPainter(painter), mFlipped(flipped), mToScreen(drawingToScreen)
{}

GraphicsContext *GraphicsContext::currentContext()
{
    const auto &stack = contextStack();
    return stack.isEmpty() ? nullptr : stack.last();
}

void GraphicsContext::push(GraphicsContext *context)
{
    if (context)
        contextStack().append(context);
}

void GraphicsContext::pop(GraphicsContext *context)
{
    auto &stack = contextStack();
    const qsizetype at = stack.lastIndexOf(context);
    if (at >= 0)
        stack.resize(at);
}

void GraphicsContext::saveGraphicsState()
{
    if (GraphicsContext *gc = currentContext())
        gc->save();
}

void GraphicsContext::restoreGraphicsState()
{
    if (GraphicsContext *gc = currentContext())
        gc->restore();
}

void GraphicsContext::save()
{
    mStates.append(mState);
    if (mPainter)
        mPainter->save();
}

void GraphicsContext::restore()
{
    // An unbalanced restore would also pop the painter state of whoever pushed this context.
    if (mStates.isEmpty())
        return;
    mState = mStates.takeLast();
    if (mPainter)
        mPainter->restore();
}

bool GraphicsContext::shouldAntialias() const
{
    return mPainter && mPainter->testRenderHint(QPainter::Antialiasing);
}

void GraphicsContext::setShouldAntialias(bool on)
{
    if (mPainter)
        mPainter->setRenderHint(QPainter::Antialiasing, on);
}

void GraphicsContext::setCompositingOperation(QPainter::CompositionMode mode)
{
    if (mPainter)
        mPainter->setCompositionMode(mode);
}

void GraphicsContext::setImageInterpolationSmooth(bool smooth)
{
    if (mPainter)
        mPainter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void GraphicsContext::clipToRect(const QRectF &r)
{
    if (mPainter)
        mPainter->setClipRect(r, mPainter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void GraphicsContext::clipToPath(const QPainterPath &p)
{
    if (mPainter)
        mPainter->setClipPath(p, mPainter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void GraphicsContext::setClipPath(const QPainterPath &p)
{
    if (mPainter)
        mPainter->setClipPath(p, Qt::ReplaceClip);
}

void GraphicsContext::resetClip()
{
    if (mPainter)
        mPainter->setClipping(false);
}

void GraphicsContext::drawShadow(const QPainterPath &area)
{
    if (!mState.shadow.isVisible())
        return;
    // The offset is in the current (user) coordinates, so it follows any transform.
    const QPainterPath moved =
        area.translated(mState.shadow.offset.width(), mState.shadow.offset.height());
    if (mState.shadow.blurRadius > 0 && std::isfinite(mState.shadow.blurRadius)) {
        drawBlurredShadow(moved);
        return;
    }
    mPainter->save();
    mPainter->setPen(Qt::NoPen);
    mPainter->fillPath(moved, mState.shadow.color);
    mPainter->restore();
}

namespace {

// The device pixels a drawing can reach: the clip when there is one, else the whole device
// (counted generously: a device may measure itself in points).
QRectF reachableDeviceRect(const QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    const double ratio = device ? std::max(1.0, device->devicePixelRatioF()) : 1.0;
    QRectF reach =
        device ? QRectF(0, 0, device->width() * ratio, device->height() * ratio) : QRectF();
    if (painter.hasClipping())
        reach &= painter.deviceTransform().mapRect(painter.clipBoundingRect());
    return reach;
}

} // namespace

void GraphicsContext::drawBlurredShadow(const QPainterPath &moved)
{
    const QTransform toDevice = mPainter->deviceTransform();
    // sigma is half the radius, measured in device pixels.
    const double scale = std::sqrt(std::fabs(toDevice.determinant()));
    const double sigma = mState.shadow.blurRadius / 2 * scale;
    if (!(sigma > 0) || !std::isfinite(sigma))
        return;
    const double margin = std::ceil(3 * sigma) + 1;
    const QRectF spread =
        toDevice.map(moved).boundingRect().adjusted(-margin, -margin, margin, margin);
    // Only the part the clip lets through is blurred and drawn; the layer reaches a margin
    // further so that what lies just outside still bleeds in.
    const QRect target = (spread & reachableDeviceRect(*mPainter)).toAlignedRect();
    if (target.isEmpty())
        return;
    // Beyond a few thousand pixels a wider layer changes nothing one could see.
    const int pad = int(std::min(margin, 4096.0));
    const QRect layerRect = target.adjusted(-pad, -pad, pad, pad);
    if (checkedPixelCount(layerRect.width(), layerRect.height()) == 0)
        return;
    QImage layer(layerRect.size(), QImage::Format_RGBA8888_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing); // the blur softens every edge anyway
        p.setTransform(toDevice * QTransform::fromTranslate(-layerRect.x(), -layerRect.y()));
        p.setPen(Qt::NoPen);
        p.fillPath(moved, mState.shadow.color);
    }
    gaussianBlur(layer, sigma);
    mPainter->save();
    mPainter->resetTransform();
    // The painter may still scale for a high-density device: undo that to draw in its pixels.
    mPainter->setWorldTransform(mPainter->deviceTransform().inverted());
    mPainter->drawImage(target.topLeft(), layer, target.translated(-layerRect.topLeft()));
    mPainter->restore();
}

void GraphicsContext::fillPath(const QPainterPath &p)
{
    if (!mPainter)
        return;
    drawShadow(p);
    mPainter->fillPath(p, mState.fill);
}

void GraphicsContext::strokePath(const QPainterPath &p, const QPen &penWithoutBrush)
{
    if (!mPainter)
        return;
    QPen pen = penWithoutBrush;
    pen.setColor(mState.stroke);
    if (mState.shadow.isVisible()) {
        QPainterPathStroker stroker(pen);
        drawShadow(stroker.createStroke(p));
    }
    mPainter->strokePath(p, pen);
}

void GraphicsContext::fillRect(const QRectF &r)
{
    QPainterPath p;
    p.addRect(r);
    fillPath(p);
}

GraphicsContextScope::GraphicsContextScope(QPainter *painter, bool flipped, bool drawingToScreen)
    : mContext(painter, flipped, drawingToScreen)
{
    GraphicsContext::push(&mContext);
}

GraphicsContextScope::~GraphicsContextScope()
{
    GraphicsContext::pop(&mContext);
}

void set(const Color &color)
{
    // No colour changes nothing, as a message to no object did.
    if (!color.isValid())
        return;
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->setColor(color.toQColor());
}

void setFill(const Color &color)
{
    // No colour changes nothing, as a message to no object did.
    if (!color.isValid())
        return;
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->setFillColor(color.toQColor());
}

void setStroke(const Color &color)
{
    // No colour changes nothing, as a message to no object did.
    if (!color.isValid())
        return;
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->setStrokeColor(color.toQColor());
}

} // namespace platform
