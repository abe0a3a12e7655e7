#pragma once
// The filters of our own behind the named image filters: each reads its inputs with their
// defaults and turns the pixels of "inputImage" into new ones of the same extent (the generators,
// which have no input image, make their own). Pixels are premultiplied RGBA8.
//
// Coordinates: a filter's centre and angles are y-up (counter-clockwise radians), with pixel
// column x at x and pixel row r at y = h - 1 - r.

#include "platform/Filter.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class PixelFilter : public platform::Filter
{
public:
    using Defaults = std::vector<std::pair<QString, platform::FilterValue>>;
    // Answers the output, or a null image for none.
    using Apply = std::function<platform::FilterImage(const PixelFilter &filter)>;

    PixelFilter(Defaults defaults, Apply apply);

    void setDefaults() override;
    platform::FilterImage outputImage() const override;

    // A number input; NaN when unset or of another type, so callers decide what NaN means.
    double num(const QString &key) const;
    // The centre input as it was given, y up; (150, 150) when unset.
    QPointF centre(const QString &key) const;
    // The centre input as a pixel position (x right, y down) in an image of that height.
    QPointF centreInPixels(const QString &key, int height) const;
    platform::Color colour(const QString &key) const { return color(key); }
    platform::FilterImage picture(const QString &key) const { return image(key); }

private:
    Defaults mDefaults;
    Apply mApply;
};

// Registers (or replaces) a filter of that name that changes the pixels of its input image:
// apply gets the input's pixels (premultiplied RGBA8) and answers the output, or a null image.
// The output keeps the input's extent; no input image gives no output.
void RegisterImageFilter(const QString &name, PixelFilter::Defaults defaults,
                         std::function<QImage(const PixelFilter &, const QImage &)> apply);
// A filter that makes its output from its inputs alone.
void RegisterGeneratorFilter(const QString &name, PixelFilter::Defaults defaults,
                             PixelFilter::Apply apply);

// A number made safe for sizes and loops: NaN becomes `neutral`, the rest is held to [lo, hi].
double boundedInput(double value, double lo, double hi, double neutral);
