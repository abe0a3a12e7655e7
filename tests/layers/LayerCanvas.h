#pragma once
// A white image with a painter pushed as the current graphics context, for the layer tests:
// flipped (y down, as our views) or y-up, where the painter's transform turns y over.

#include "platform/GraphicsContext.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>

namespace layertest {

class Canvas
{
public:
    explicit Canvas(int width = 200, int height = 200, bool flipped = true, bool antialias = false,
                    QColor background = Qt::white)
        : mImage(width, height, QImage::Format_ARGB32_Premultiplied)
    {
        mImage.fill(background);
        mPainter = std::make_unique<QPainter>(&mImage);
        mPainter->setRenderHint(QPainter::Antialiasing, antialias);
        mPainter->setRenderHint(QPainter::TextAntialiasing, true);
        if (!flipped) {
            mPainter->translate(0, height);
            mPainter->scale(1, -1);
        }
        mScope = std::make_unique<platform::GraphicsContextScope>(mPainter.get(), flipped);
    }
    ~Canvas() { finish(); }

    platform::GraphicsContext &context() { return mScope->context(); }
    QPainter &painter() { return *mPainter; }
    // Ends the drawing; the image is final from then on.
    const QImage &image()
    {
        finish();
        return mImage;
    }
    // The pixel at (x, y) of the image, row 0 at the top.
    QColor pixel(int x, int y) { return image().pixelColor(x, y); }

private:
    void finish()
    {
        mScope.reset();
        if (mPainter && mPainter->isActive())
            mPainter->end();
    }

    QImage mImage;
    std::unique_ptr<QPainter> mPainter;
    std::unique_ptr<platform::GraphicsContextScope> mScope;
};

inline bool near(const QColor &a, const QColor &b, int tolerance = 8)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance &&
           std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline bool isWhite(const QColor &c)
{
    return near(c, QColor(Qt::white), 2);
}

} // namespace layertest
