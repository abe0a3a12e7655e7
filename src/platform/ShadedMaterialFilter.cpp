#include "platform/ShadedMaterialFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

// The height at a pixel, edges repeated.
double heightAt(const QImage &field, int x, int y)
{
    x = std::clamp(x, 0, field.width() - 1);
    y = std::clamp(y, 0, field.height() - 1);
    return field.constScanLine(y)[4 * x] / 255.0;
}

} // namespace

void ShadedMaterialFilter::setDefaults()
{
    setValue(QStringLiteral("inputScale"), kDefaultScale);
}

FilterImage ShadedMaterialFilter::outputImage() const
{
    const FilterImage height = image(QStringLiteral("inputImage"));
    const FilterImage shading = image(QStringLiteral("inputShadingImage"));
    if (height.isNull() || shading.isNull())
        return {};
    double scale = number(QStringLiteral("inputScale"), kDefaultScale);
    if (!std::isfinite(scale))
        scale = 0;
    const QImage &field = height.pixels();
    const QImage &light = shading.pixels();
    const int w = field.width(), h = field.height();
    const int lw = light.width(), lh = light.height();
    QImage out(w, h, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        uchar *dst = out.scanLine(y);
        for (int x = 0; x < w; ++x) {
            // Slopes in y-up terms: the row above is row y - 1.
            const double dx = (heightAt(field, x + 1, y) - heightAt(field, x - 1, y)) / 2;
            const double dy = (heightAt(field, x, y - 1) - heightAt(field, x, y + 1)) / 2;
            const double nx = -scale * dx, ny = -scale * dy;
            const double length = std::sqrt(nx * nx + ny * ny + 1);
            const double u = 0.5 + 0.5 * nx / length; // 0 left, 1 right
            const double v = 0.5 + 0.5 * ny / length; // 0 bottom, 1 top
            const int column = std::clamp(int(std::lround(u * (lw - 1))), 0, lw - 1);
            const int row = std::clamp(int(std::lround((1 - v) * (lh - 1))), 0, lh - 1);
            std::memcpy(dst + 4 * x, light.constScanLine(row) + 4 * column, 4);
        }
    }
    return FilterImage(out, height.extent());
}

} // namespace platform
