#include "graphics/ImageTrimming.h"

#include "graphics/ImageData.h"
#include "graphics/PelkoNSImage.h"
#include "graphics/UtilityMathRects.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PixelLimits.h"
#include "platform/Saturate.h"
#include "services/AppInit.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

using platform::Image;
using platform::ImagePtr;

namespace {

bool isFiniteSize(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height());
}

// A new image of `points`, drawn by `draw` on a transparent bitmap of pixelsPerPoint pixels a
// point (the painter works in points). Null when the size is refused.
ImagePtr drawnImage(QSizeF points, double pixelsPerPoint,
                    const std::function<void(QPainter &)> &draw)
{
    if (!isFiniteSize(points))
        return nullptr;
    const auto pixels = platform::checkedPixelSize(points.width() * pixelsPerPoint,
                                                   points.height() * pixelsPerPoint);
    if (!pixels)
        return nullptr;
    QImage bitmap(*pixels, QImage::Format_RGBA8888_Premultiplied);
    if (bitmap.isNull())
        return nullptr;
    bitmap.fill(Qt::transparent);
    {
        QPainter painter(&bitmap);
        painter.scale(pixels->width() / points.width(), pixels->height() / points.height());
        draw(painter);
    }
    auto image = std::make_shared<Image>(points);
    image->addRepresentation({bitmap, nullptr, points});
    return image;
}

// The pixels drawInRect would draw from for a destination that many device pixels wide: the
// smallest representation at least that wide, else the widest.
QImage sourcePixels(const Image *image, double deviceWidth)
{
    const platform::ImageRep *best = nullptr, *widest = nullptr;
    for (const platform::ImageRep &rep : image->representations()) {
        const QSize px = rep.pixelSize();
        if (px.isEmpty())
            continue;
        if (!widest || px.width() > widest->pixelSize().width())
            widest = &rep;
        if (px.width() >= deviceWidth && (!best || px.width() < best->pixelSize().width()))
            best = &rep;
    }
    const platform::ImageRep *rep = best ? best : widest;
    if (!rep)
        return {};
    return rep->isBitmap() ? rep->bitmap : rep->filter->render(rep->pixelSize());
}

// Draws the whole image into `to`. A smooth draw samples 2 x 2 source pixels for each pixel it
// makes, so below half the size most of the source is never looked at and fine detail aliases;
// there the source area of every pixel is averaged first, and the draw only places the result.
void drawShrinkingSmoothly(QPainter &painter, const Image *image, const QRectF &to)
{
    const QRectF device = painter.deviceTransform().mapRect(to);
    const QImage source = sourcePixels(image, device.width());
    const bool shrinksMuch = !source.isNull() && (device.width() * 2 < source.width() ||
                                                  device.height() * 2 < source.height());
    if (!shrinksMuch) {
        image->drawInRect(&painter, to);
        return;
    }
    // Averaged to the destination's pixels; a side that grows is left to the draw.
    const auto side = [](double wanted, int have) {
        return std::clamp(platform::saturatingRound<int>(wanted, 1), 1, have);
    };
    const QImage averaged =
        source.scaled(side(device.width(), source.width()), side(device.height(), source.height()),
                      Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(to, averaged);
    painter.restore();
}

// A canvas asked for in pixels: half the points, twice the pixels a point, on a retina screen.
double retinaPointFactor()
{
    return gIsRetinaScreen ? 0.5 : 1.0;
}

// The bitmap of the image at one pixel a point on the point grid the trimming scan reads: the
// image's bottom edge on the bottom row, point row y (counted from the bottom) in bitmap row
// rows - 1 - y.
QImage pointGridRendering(const Image *image, QSizeF s)
{
    if (!isFiniteSize(s) || !(s.width() >= 1) || !(s.height() >= 1))
        return {};
    const qint64 cols = platform::saturatingTruncate<qint64>(s.width() - 1) + 1;
    const qint64 rows = platform::saturatingTruncate<qint64>(s.height() - 1) + 1;
    if (platform::checkedPixelCount(cols, rows) == 0)
        return {};
    QImage grid(int(cols), int(rows), QImage::Format_RGBA8888_Premultiplied);
    if (grid.isNull())
        return {};
    grid.fill(Qt::transparent);
    QPainter painter(&grid);
    image->drawInRect(&painter, QRectF(0, double(rows) - s.height(), s.width(), s.height()));
    return grid;
}

// How many leading entries are false.
qint64 leadingEmpty(const std::vector<bool> &counts)
{
    return qint64(std::find(counts.begin(), counts.end(), true) - counts.begin());
}

qint64 trailingEmpty(const std::vector<bool> &counts)
{
    return qint64(std::find(counts.rbegin(), counts.rend(), true) - counts.rbegin());
}

} // namespace

ImagePtr ImageByRemovingTransparentAreasWithFinalRect(Image *image, QRectF *outRect)
{
    GUARD_BEGIN
    if (!image || !outRect) {
        platform::Log(lcGraphics, QStringLiteral("ImageByRemovingTransparentAreasWithFinalRect: "
                                                 "no image or no rectangle"));
        return nullptr;
    }
    const QSizeF ps = getPixelSize(image);
    if (!(ps.width() >= 2) || !(ps.height() >= 2))
        return nullptr;
    const QSizeF s = image->size();
    const ImageDataPtr source = ImageData::imageWithNSImage(image);
    if (!source)
        return nullptr;
    const QRectF r = source->GetRectAfterIgnoreTransparentPoint();
    const qint64 w = platform::saturatingRound<qint64>(r.width());
    const qint64 h = platform::saturatingRound<qint64>(r.height());
    if (w < 1 || h < 1)
        return nullptr;
    *outRect = r;
    const ImageDataPtr cut = ImageData::imageWithWidth(w, h);
    if (!cut)
        return nullptr;
    const qint64 x0 = platform::saturatingRound<qint64>(r.x());
    const qint64 y0 = platform::saturatingRound<qint64>(r.y());
    const qint64 columns = std::clamp<qint64>(source->w() - x0, 0, w);
    for (qint64 y = 0; y < h && y0 + y < source->h() && columns > 0; ++y)
        std::memcpy(cut->getBuffer() + y * w, source->getBuffer() + (y0 + y) * source->w() + x0,
                    size_t(columns) * sizeof(PIXEL));
    ImagePtr result = cut->GetNSImage();
    if (!result) {
        platform::Log(lcGraphics, QStringLiteral("ImageByRemovingTransparentAreasWithFinalRect: "
                                                 "no image made"));
        return nullptr;
    }
    // Keep the source's pixels per point.
    const double k = (ps.width() + ps.height()) / (s.width() + s.height());
    if (k > 1.1 && r.width() / k > 1.0 && r.height() / k > 1.0)
        setSize2(result.get(), QSizeF(r.width() / k, r.height() / k));
    return result;
    GUARD_END(nullptr)
}

ImagePtr ImageByTrimmingTransparentEdges(const Image *image, QRectF *outRect)
{
    GUARD_BEGIN
    if (!image || !outRect)
        return nullptr;
    const QSizeF s = image->size();
    *outRect = QRectF(QPointF(0, 0), s);
    const QImage grid = pointGridRendering(image, s);
    if (grid.isNull())
        return nullptr;
    // One pass finds which rows and columns hold a pixel of alpha above 0.01.
    std::vector<bool> rowCounts(size_t(grid.height()), false);
    std::vector<bool> columnCounts(size_t(grid.width()), false);
    for (int y = 0; y < grid.height(); ++y) {
        const auto *row = reinterpret_cast<const PIXEL *>(grid.constScanLine(y));
        for (int x = 0; x < grid.width(); ++x) {
            if ((row[x] >> 24) > 2) {
                rowCounts[size_t(y)] = true;
                columnCounts[size_t(x)] = true;
            }
        }
    }
    const qint64 top = leadingEmpty(rowCounts);
    if (top == qint64(rowCounts.size()))
        return nullptr; // nothing visible: every scan would run off the image
    const qint64 bottom = trailingEmpty(rowCounts);
    const qint64 left = leadingEmpty(columnCounts);
    const qint64 right = trailingEmpty(columnCounts);
    const QRectF kept(double(left), double(top), s.width() - double(left + right),
                      s.height() - double(top + bottom));
    *outRect = kept;
    if (!(kept.width() >= 1) || !(kept.height() >= 1))
        return nullptr;
    return drawnImage(kept.size(), 1.0, [&](QPainter &painter) {
        image->drawInRect(&painter, QRectF(QPointF(0, 0), kept.size()), kept,
                          QPainter::CompositionMode_Source);
    });
    GUARD_END(nullptr)
}

ImagePtr FlipImage(const ImagePtr &image, bool horizontally, bool vertically)
{
    GUARD_BEGIN
    if (!isOK(image.get()))
        return nullptr;
    if (!horizontally && !vertically)
        return image;
    // The canvas has the source's pixels (at two a point on a retina screen, half the points),
    // so the mirror moves whole pixels: the rendering mirrored, with no resampling.
    const QSizeF ps = getPixelSize(image.get());
    const auto pixels = platform::checkedPixelSize(ps.width(), ps.height());
    if (!pixels)
        return nullptr;
    const QImage upright = image->render(*pixels);
    if (upright.isNull())
        return nullptr;
    return Image::fromBitmap(upright.mirrored(horizontally, vertically), image->size());
    GUARD_END(nullptr)
}

ImagePtr NegativeImage(const Image *image)
{
    GUARD_BEGIN
    if (!isOK(image))
        return nullptr;
    const ImageDataPtr b = ImageData::imageWithNSImage(image);
    if (!b || b->w() < 1 || b->h() < 1)
        return nullptr;
    for (PIXEL &p : b->data) {
        const quint32 a = p >> 24;
        if (a < 11)
            continue;
        quint32 out = a << 24;
        for (int shift = 0; shift < 24; shift += 8)
            out |= (a - std::min((p >> shift) & 0xFFu, a)) << shift;
        p = out;
    }
    b->RefreshNSImage();
    return b->GetNSImage();
    GUARD_END(nullptr)
}

ImagePtr ResizeImage(const Image *image, QSizeF size, bool keepAspect)
{
    GUARD_BEGIN
    if (!isOK(image) || !(size.width() > 0.9) || !(size.height() > 0.9) || !isFiniteSize(size))
        return nullptr;
    const QSizeF canvas = size * retinaPointFactor();
    return drawnImage(canvas, 1.0 / retinaPointFactor(), [&](QPainter &painter) {
        const QRectF box(QPointF(0, 0), canvas);
        const QRectF to =
            keepAspect ? FitRectKeepingAspect(QRectF(QPointF(0, 0), image->size()), box) : box;
        drawShrinkingSmoothly(painter, image, to);
    });
    GUARD_END(nullptr)
}

ImagePtr TransformImage(const Image *image, const platform::AffineTransform *transform)
{
    GUARD_BEGIN
    if (!transform || !isOK(image))
        return nullptr;
    const QSizeF ps = getPixelSize(const_cast<Image *>(image));
    if (!(ps.width() >= 0.5) || !(ps.height() >= 0.5))
        return nullptr;
    const QSizeF ts = transform->transformSize(ps);
    if (!isFiniteSize(ts))
        return nullptr;
    const qint64 w = std::max<qint64>(1, platform::saturatingRound<qint64>(std::abs(ts.width())));
    const qint64 h = std::max<qint64>(1, platform::saturatingRound<qint64>(std::abs(ts.height())));
    if (platform::checkedPixelCount(w, h) == 0)
        return nullptr;
    const QImage bitmap = bitmapWithPixelSize(QSizeF(double(w), double(h)));
    if (bitmap.isNull())
        return nullptr;
    // Drawn with row 0 at the top both in the image and in the canvas, which is what the pair of
    // flips around the transform amounts to in a context whose y runs up.
    QImage canvas = bitmap;
    {
        QPainter painter(&canvas);
        painter.setTransform(transform->toQTransform());
        image->drawInRect(&painter, QRectF(QPointF(0, 0), ps));
    }
    ImagePtr result = Image::fromBitmap(canvas, QSizeF(double(w), double(h)));
    return isOK(result.get()) ? result : nullptr;
    GUARD_END(nullptr)
}

ImagePtr CropImage(const Image *image, QRectF source, QRectF target, QSizeF size)
{
    GUARD_BEGIN
    if (!isOK(image) || !(size.width() > 0.9) || !(size.height() > 0.9) || !isFiniteSize(size))
        return nullptr;
    const double factor = retinaPointFactor();
    const QSizeF canvas = size * factor;
    const QRectF to(target.x() * factor, target.y() * factor, target.width() * factor,
                    target.height() * factor);
    // An empty source area is the whole image.
    return drawnImage(canvas, 1.0 / factor,
                      [&](QPainter &painter) { image->drawInRect(&painter, to, source); });
    GUARD_END(nullptr)
}
