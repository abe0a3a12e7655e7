#pragma once
// The current drawing context: a stack of painters. A view pushes its QPainter in paintEvent
// (GraphicsContextScope), an image pushes one while it has the focus; the drawing routines
// (colour set, path fill and stroke, transforms) draw into the top of the stack. Each thread has
// its own stack.

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QList>

namespace platform {

class Color;

struct Shadow
{
    QSizeF offset{0, 0};   // in the context's coordinates (QSizeF() would be -1, -1)
    double blurRadius = 0; // the shadow is blurred with sigma = blurRadius / 2 units
    QColor color;          // invalid = no shadow
    bool isVisible() const { return color.isValid() && color.alpha() > 0; }
};

class GraphicsContext
{
public:
    // Draws through `painter`, which must outlive the context. `flipped` tells drawing code that
    // y grows downwards (always so for our views; kept for routines that ask).
    explicit GraphicsContext(QPainter *painter, bool flipped = true, bool drawingToScreen = true);
    GraphicsContext(const GraphicsContext &) = delete;
    GraphicsContext &operator=(const GraphicsContext &) = delete;

    // The top of the stack, or nullptr when nothing draws.
    static GraphicsContext *currentContext();
    static void push(GraphicsContext *context);
    // Removes `context` (and anything pushed above it) from the stack.
    static void pop(GraphicsContext *context);
    // Save/restore of the current context; no-ops without one.
    static void saveGraphicsState();
    static void restoreGraphicsState();

    QPainter *painter() const { return mPainter; }
    bool isFlipped() const { return mFlipped; }
    // False for off-screen drawing (images, printing, PDF).
    bool isDrawingToScreen() const { return mToScreen; }

    // Each save pushes the painter's state and ours (colours, shadow); restore pops both.
    void save();
    void restore();
    int saveDepth() const { return int(mStates.size()); }

    QColor fillColor() const { return mState.fill; }
    QColor strokeColor() const { return mState.stroke; }
    void setFillColor(const QColor &c) { mState.fill = c; }
    void setStrokeColor(const QColor &c) { mState.stroke = c; }
    // Fill and stroke alike.
    void setColor(const QColor &c) { mState.fill = mState.stroke = c; }
    Shadow shadow() const { return mState.shadow; }
    void setShadow(const Shadow &s) { mState.shadow = s; }
    void clearShadow() { mState.shadow = Shadow(); }

    // Painter settings that save and restore keep with the rest.
    bool shouldAntialias() const;
    void setShouldAntialias(bool on);
    void setCompositingOperation(QPainter::CompositionMode mode);
    void setImageInterpolationSmooth(bool smooth);

    // Clipping in the current coordinates.
    void clipToRect(const QRectF &r);
    void clipToPath(const QPainterPath &p);
    void setClipPath(const QPainterPath &p);
    void resetClip();

    // Drawing with the current colours and shadow.
    void fillPath(const QPainterPath &p);
    void strokePath(const QPainterPath &p, const QPen &penWithoutBrush);
    void fillRect(const QRectF &r);

private:
    struct State
    {
        QColor fill = Qt::black;
        QColor stroke = Qt::black;
        Shadow shadow;
    };
    void drawShadow(const QPainterPath &area);
    // A Gaussian blur of the shadow (sigma = radius / 2), only over the clip.
    void drawBlurredShadow(const QPainterPath &moved);

    QPainter *mPainter;
    bool mFlipped;
    bool mToScreen;
    State mState;
    QList<State> mStates;
};

// Pushes a context for the lifetime of the scope: `GraphicsContextScope gc(&painter);`
class GraphicsContextScope
{
public:
    explicit GraphicsContextScope(QPainter *painter, bool flipped = true,
                                  bool drawingToScreen = true);
    ~GraphicsContextScope();
    GraphicsContextScope(const GraphicsContextScope &) = delete;
    GraphicsContextScope &operator=(const GraphicsContextScope &) = delete;
    GraphicsContext &context() { return mContext; }

private:
    GraphicsContext mContext;
};

// The colour's drawing calls: into the current context (no-ops without one).
void set(const Color &color);
void setFill(const Color &color);
void setStroke(const Color &color);

} // namespace platform
