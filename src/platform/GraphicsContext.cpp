#include "platform/GraphicsContext.h"

#include "platform/Color.h"

#include <QPainterPathStroker>

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
    const QPainterPath moved =
        area.translated(mState.shadow.offset.width(), mState.shadow.offset.height());
    mPainter->save();
    mPainter->setPen(Qt::NoPen);
    if (mState.shadow.blurRadius > 0) {
        // A soft rim stands in for a true blur: enough for the small shadows we draw.
        QColor rim = mState.shadow.color;
        rim.setAlphaF(rim.alphaF() * 0.5);
        QPainterPathStroker stroker;
        stroker.setWidth(mState.shadow.blurRadius);
        mPainter->fillPath(stroker.createStroke(moved), rim);
    }
    mPainter->fillPath(moved, mState.shadow.color);
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
