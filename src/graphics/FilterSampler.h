#pragma once
// Reading premultiplied RGBA8 pixels between pixel centres, and the one inverse-map resampler of
// the distortions. Positions are in pixels, x right and y down, pixel centres at whole numbers.

#include <QImage>
#include <QPointF>
#include <functional>

struct SampleColour
{
    float r = 0, g = 0, b = 0, a = 0; // premultiplied, 0 to 255
};

enum class SampleEdge {
    Transparent, // beyond the image there is nothing
    Clamp,       // beyond the image its edge pixels repeat
};

// The bilinear mix of the four pixels around (x, y); NaN or infinite positions give nothing.
SampleColour sampleBilinear(const QImage &image, double x, double y, SampleEdge edge);
// Rounded to bytes, each colour at most its alpha.
quint32 toPixel(const SampleColour &c);

// A new image of the source's size whose every pixel (x, y) is the source sampled at map(x, y);
// bands of rows run on the thread pool for large images. `map` must be safe to call from several
// threads at once.
QImage resampleInverse(const QImage &source, const std::function<QPointF(double, double)> &map,
                       SampleEdge edge);

// A new image of the source's size, each pixel made by fn(x, y) from the pixel's position; rows
// in bands on the thread pool for large images.
QImage mapPixels(const QImage &source, const std::function<quint32(int, int)> &fn);
