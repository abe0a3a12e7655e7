#include "graphics/PelkoNSGraphicsContext.h"

#include "platform/Guard.h"

std::unique_ptr<platform::GraphicsContext> graphicsContextWithCGContext2(QPainter *painter,
                                                                         bool flipped)
{
    GUARD_BEGIN
    if (!painter || !painter->isActive())
        return nullptr;
    return std::make_unique<platform::GraphicsContext>(painter, flipped);
    GUARD_END(nullptr)
}
