#include "layers/LayerDrawing.h"

#include "platform/GraphicsContext.h"

#include <QPainter>

void drawUprightInRect(const QRectF &rect, const std::function<void(QPainter *)> &draw)
{
    platform::GraphicsContext *gc = platform::GraphicsContext::currentContext();
    if (!gc || !gc->painter())
        return;
    QPainter *painter = gc->painter();
    painter->save();
    if (gc->isFlipped()) {
        painter->translate(rect.topLeft());
    } else {
        painter->translate(rect.x(), rect.y() + rect.height());
        painter->scale(1, -1);
    }
    draw(painter);
    painter->restore();
}

ScopedGraphicsState::ScopedGraphicsState(bool save)
{
    if (!save)
        return;
    mContext = platform::GraphicsContext::currentContext();
    if (!mContext)
        return;
    mDepth = mContext->saveDepth();
    mContext->save();
}

ScopedGraphicsState::~ScopedGraphicsState()
{
    if (!mContext)
        return;
    while (mContext->saveDepth() > mDepth)
        mContext->restore();
}
