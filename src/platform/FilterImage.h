#pragma once
// The image a filter reads and produces: 8-bit premultiplied RGBA pixels and the rectangle they
// cover (the extent). Filters think in y-up coordinates with the origin at the bottom left, so
// pixel row 0 (the top row of `pixels`) lies at y = extent.top() + extent.height() - 1.

#include <QImage>
#include <QRectF>

namespace platform {

class FilterImage
{
public:
    FilterImage() = default; // null
    // Pixels are held in Format_RGBA8888_Premultiplied; a null image gives a null FilterImage.
    FilterImage(const QImage &pixels, const QRectF &extent);
    // The image at the origin, one unit per pixel.
    static FilterImage fromImage(const QImage &pixels);

    bool isNull() const { return mPixels.isNull(); }
    const QImage &pixels() const { return mPixels; }
    // In y-up coordinates: x(), y() is the bottom-left corner.
    QRectF extent() const { return mExtent; }

    // The pixels scaled to fill `size` pixels (smoothly); null when the size is refused.
    QImage render(const QSize &size) const;

private:
    QImage mPixels;
    QRectF mExtent;
};

} // namespace platform
