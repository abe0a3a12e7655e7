#include "platform/FilterImage.h"

#include "platform/PixelLimits.h"

#include <QPainter>

namespace platform {

FilterImage::FilterImage(const QImage &pixels, const QRectF &extent)
    : mPixels(pixels.isNull() ? QImage()
                              : pixels.convertToFormat(QImage::Format_RGBA8888_Premultiplied)),
      mExtent(mPixels.isNull() ? QRectF() : extent)
{}

FilterImage FilterImage::fromImage(const QImage &pixels)
{
    return FilterImage(pixels, QRectF(0, 0, pixels.width(), pixels.height()));
}

QImage FilterImage::render(const QSize &size) const
{
    if (isNull() || checkedPixelCount(size.width(), size.height()) == 0)
        return {};
    if (size == mPixels.size())
        return mPixels;
    QImage out(size, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return {};
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), mPixels);
    return out;
}

} // namespace platform
