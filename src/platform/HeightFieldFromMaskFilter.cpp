#include "platform/HeightFieldFromMaskFilter.h"

#include "platform/GaussianBlur.h"
#include "platform/PixelLimits.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Brightness over black: premultiplied bytes already read a transparent pixel as dark.
uchar brightness(const uchar *rgba)
{
    return uchar((rgba[0] * 54 + rgba[1] * 183 + rgba[2] * 19 + 128) >> 8);
}

} // namespace

void HeightFieldFromMaskFilter::setDefaults()
{
    setValue(QStringLiteral("inputRadius"), kDefaultRadius);
}

FilterImage HeightFieldFromMaskFilter::outputImage() const
{
    const FilterImage mask = image(QStringLiteral("inputImage"));
    if (mask.isNull())
        return {};
    const double radius = number(QStringLiteral("inputRadius"), kDefaultRadius);
    const double sigma = std::isfinite(radius) ? std::max(0.0, radius / 2) : 0.0;
    const QImage &pixels = mask.pixels();
    const int w = pixels.width(), h = pixels.height();
    // A border of black wide enough for the blur, so the outside pulls the edges down.
    const int pad = int(std::min(std::ceil(3 * sigma), 4096.0));
    if (checkedPixelCount(qint64(w) + 2 * pad, qint64(h) + 2 * pad) == 0)
        return {};
    QImage field(w + 2 * pad, h + 2 * pad, QImage::Format_Grayscale8);
    if (field.isNull())
        return {};
    field.fill(0);
    for (int y = 0; y < h; ++y) {
        const uchar *src = pixels.constScanLine(y);
        uchar *dst = field.scanLine(y + pad) + pad;
        for (int x = 0; x < w; ++x)
            dst[x] = brightness(src + 4 * x);
    }
    gaussianBlur(field, sigma);
    QImage out(w, h, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const uchar *src = field.constScanLine(y + pad) + pad;
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            dst[4 * x] = dst[4 * x + 1] = dst[4 * x + 2] = src[x];
            dst[4 * x + 3] = 255;
        }
    }
    return FilterImage(out, mask.extent());
}

} // namespace platform
