#pragma once
// What the layers share when they draw: a save of the current context's state that is put back
// on every way out of the drawing code, a failure included, and upright drawing in a box.

#include <QRectF>
#include <functional>

class QPainter;

namespace platform {
class GraphicsContext;
}

// Runs `draw` on the current context's painter in coordinates whose origin is the top-left
// corner of `rect` and whose y grows downwards, so that text and images come out upright in a
// y-up context too (where the rectangle's top is its maximum y). Nothing without a context.
void drawUprightInRect(const QRectF &rect, const std::function<void(QPainter *)> &draw);

class ScopedGraphicsState
{
public:
    // Saves only when asked and when something draws.
    explicit ScopedGraphicsState(bool save);
    ~ScopedGraphicsState();
    ScopedGraphicsState(const ScopedGraphicsState &) = delete;
    ScopedGraphicsState &operator=(const ScopedGraphicsState &) = delete;

    bool saved() const { return mContext != nullptr; }

private:
    platform::GraphicsContext *mContext = nullptr;
    // The depth before the save: saves left open above it are closed as well.
    int mDepth = 0;
};
