#pragma once
// What the layers share when they draw: a save of the current context's state that is put back
// on every way out of the drawing code, a failure included.

namespace platform {
class GraphicsContext;
}

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
