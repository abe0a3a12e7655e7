#pragma once
// A graphics context over a painter that the caller owns.

#include "platform/GraphicsContext.h"

#include <memory>

// A context drawing through painter (which must outlive it); null for a null or inactive
// painter.
std::unique_ptr<platform::GraphicsContext> graphicsContextWithCGContext2(QPainter *painter,
                                                                         bool flipped);
