#include "layers/LayerDrawing.h"

#include "platform/GraphicsContext.h"

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
