// Drawing effects of paths and the outline offset through a raster.
#include "graphics/PelkoNSBezierPath.h"

#include "graphics/DrawingUtility.h"
#include "graphics/ImageData.h"
#include "graphics/ImageEffect.h"
#include "graphics/PelkoCIImage.h"
#include "graphics/PelkoNSImage.h"
#include "graphics/SameColorSelection.h"
#include "graphics/UtilityMathRects.h"
#include "graphics/UtilityMathTransforms.h"
#include "platform/Filter.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <cmath>
#include <cstring>

using platform::BezierPath;
using platform::GraphicsContext;

namespace {

// Saves the current graphics state and restores it on every way out.
class GraphicsStateScope
{
public:
    GraphicsStateScope() { GraphicsContext::saveGraphicsState(); }
    ~GraphicsStateScope() { GraphicsContext::restoreGraphicsState(); }
    GraphicsStateScope(const GraphicsStateScope &) = delete;
    GraphicsStateScope &operator=(const GraphicsStateScope &) = delete;
};

qint64 hundreds(qint64 v)
{
    return v / 100 * 100;
}

void drawPlainly(const BezierPath &path, const platform::Color &color, bool isStroke)
{
    if (!color.isValid())
        return;
    platform::set(color);
    if (isStroke)
        path.stroke();
    else
        path.fill();
}

// The mask of the path over its bounds: white inside, black around, one pixel per point. Our
// contexts run y down like the path, so no flip is needed.
platform::ImagePtr maskImage(const BezierPath &path, const QRectF &bounds)
{
    auto mask = std::make_shared<platform::Image>(bounds.size());
    if (!mask->lockFocus())
        return nullptr;
    BezierPath moved = path;
    moved.transformUsingAffineTransform(CreateTranslateTransform(-bounds.x(), -bounds.y()));
    platform::set(platform::Color::black());
    BezierPath::fillRect(QRectF(QPointF(0, 0), bounds.size()));
    platform::set(platform::Color::white());
    moved.fill();
    mask->unlockFocus();
    return mask;
}

platform::FilterImage
runFilter(const QString &name,
          std::initializer_list<std::pair<QString, platform::FilterValue>> inputs)
{
    std::unique_ptr<platform::Filter> filter = platform::Filter::filterWithName(name);
    if (!filter)
        return {};
    filter->setDefaults();
    for (const auto &[key, value] : inputs)
        filter->setValue(key, value);
    return filter->outputImage();
}

// The path filled black and grown (shrunk) by a round stroke of |distance| pixels, into a
// W x H bitmap; its dark pixels are what the outline encloses.
QImage offsetRaster(const BezierPath &path, QSize pixels, double distance)
{
    QImage bitmap = bitmapWithPixelSize(QSizeF(pixels));
    if (bitmap.isNull())
        return {};
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    platform::GraphicsContextScope scope(&painter);
    GraphicsContext::saveGraphicsState();
    platform::set(platform::Color::white());
    BezierPath::fillRect(QRectF(0, 0, pixels.width(), pixels.height()));
    BezierPath copy = path;
    platform::set(platform::Color::black());
    copy.setLineWidth(0);
    copy.fill();
    copy.setLineWidth(2 * std::fabs(distance));
    copy.setLineJoinStyle(platform::LineJoinStyle::Round);
    copy.setLineCapStyle(platform::LineCapStyle::Round);
    platform::set(distance > 0 ? platform::Color::black() : platform::Color::white());
    copy.stroke();
    GraphicsContext::restoreGraphicsState();
    return bitmap;
}

// Marks the dark pixels of the raster for the outline tracer (alpha MARK_ALPHA_VALUE).
ImageDataPtr markedBuffer(const QImage &raster)
{
    ImageDataPtr buffer = ImageData::imageWithWidth(raster.width(), raster.height());
    if (!buffer || !buffer->getBuffer())
        return nullptr;
    PIXEL *out = buffer->getBuffer();
    const QImage rgba = raster.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const PIXEL marked = PIXEL(MARK_ALPHA_VALUE) << 24;
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar *row = rgba.constScanLine(y);
        PIXEL *dst = out + qint64(y) * raster.width();
        for (int x = 0; x < rgba.width(); ++x)
            dst[x] = row[4 * x] < 128 ? marked : 0;
    }
    buffer->RefreshNSImage();
    return buffer;
}

} // namespace

void strokeBlurWithColor(const BezierPath &path, const platform::Color &color, double radius)
{
    if (radius <= 0.02)
        drawPlainly(path, color, true);
    else
        drawBlurWithColor(path, color, radius, true);
}

void fillBlurWithColor(const BezierPath &path, const platform::Color &color, double radius)
{
    if (radius <= 0.02)
        drawPlainly(path, color, false);
    else
        drawBlurWithColor(path, color, radius, false);
}

QRectF blurClipBox(QRectF bounds, double lineWidth, double radius)
{
    const double g = float(-4 * lineWidth - 4 * radius - 3);
    const QRectF grown = bounds.adjusted(g, g, -g, -g);
    const qint64 x0 = platform::saturatingTruncate<qint32>(grown.left());
    const qint64 y0 = platform::saturatingTruncate<qint32>(grown.top());
    const qint64 x1 = platform::saturatingTruncate<qint32>(grown.right());
    const qint64 y1 = platform::saturatingTruncate<qint32>(grown.bottom());
    const qint64 x = hundreds(x0) - 100, y = hundreds(y0) - 100;
    const qint64 w = hundreds(x1) - hundreds(x0) + 200;
    const qint64 h = hundreds(y1) - hundreds(y0) + 200;
    return QRectF(double(x), double(y), double(w), double(h));
}

void drawBlurWithColor(const BezierPath &path, const platform::Color &color, double radius,
                       bool isStroke)
{
    GraphicsStateScope state;
    GUARD_BEGIN
    GraphicsContext *gc = GraphicsContext::currentContext();
    if (!gc || !color.isValid() || path.isEmpty())
        return;
    const QRectF box = blurClipBox(path.bounds(), path.lineWidth(), radius);
    platform::Shadow shadow;
    shadow.offset = QSizeF(-box.width(), 0);
    shadow.blurRadius = radius;
    shadow.color = color.toQColor();
    // The copy lies beyond the box's right edge; only its shadow, thrown back, falls inside.
    BezierPath copy = path;
    copy.transformUsingAffineTransform(CreateTranslateTransform(box.width(), 0));
    gc->setShadow(shadow);
    platform::set(platform::Color::black());
    BezierPath::clipRect(box);
    if (isStroke)
        copy.stroke();
    else
        copy.fill();
    GUARD_END_VOID
}

void drawPathWithShadedMaterial(const BezierPath &path, const platform::Image *shading,
                                float radius, float scale)
{
    if (!shading || path.elementCount() < 2)
        return;
    GraphicsStateScope state;
    GUARD_BEGIN
    const QRectF bounds = path.bounds();
    if (bounds.width() < 0.5 || bounds.height() < 0.5)
        return;
    const platform::ImagePtr mask = maskImage(path, bounds);
    if (!mask)
        return;
    const platform::FilterImage maskPixels = GetCIImageFromNSImage(mask.get(), nullptr);
    const platform::FilterImage shadingPixels = GetCIImageFromNSImage(shading, nullptr);
    if (maskPixels.isNull())
        return;
    const platform::FilterImage height = runFilter(
        QStringLiteral("CIHeightFieldFromMask"), {{QStringLiteral("inputImage"), maskPixels},
                                                  {QStringLiteral("inputRadius"), double(radius)}});
    if (height.isNull())
        return;
    const platform::FilterImage result = runFilter(
        QStringLiteral("CIShadedMaterial"), {{QStringLiteral("inputImage"), height},
                                             {QStringLiteral("inputShadingImage"), shadingPixels},
                                             {QStringLiteral("inputScale"), double(scale)}});
    if (result.isNull())
        return;
    path.setClip();
    drawRespectFlipInRect(&result, bounds);
    GUARD_END_VOID
}

bool ExpandWithValue(BezierPath &path, float distance)
{
    GUARD_BEGIN
    const double d = distance;
    if (!(std::fabs(d) >= 0.5) || path.isEmpty())
        return false;
    BezierPath copy = path;
    const QRectF grown = copy.bounds().adjusted(-d, -d, d, d);
    if (!(grown.width() > 0.5) || !(grown.height() > 0.5))
        return false;
    const QSizeF fitted = FitSizeKeepingAspect(grown.size(), QSizeF(900, 900));
    const double w = std::floor(fitted.width() + 0.5), h = std::floor(fitted.height() + 0.5);
    if (!(w >= 1) || !(h >= 1))
        return false;
    const double pixelDistance = float(d * w / grown.width());
    const QRectF raster(0, 0, w, h);
    copy.transformUsingAffineTransform(CreateTransformRectToRect(grown, raster));
    const QImage bitmap = offsetRaster(copy, QSize(int(w), int(h)), pixelDistance);
    if (bitmap.isNull())
        return false;
    const ImageDataPtr buffer = markedBuffer(bitmap);
    if (!buffer)
        return false;
    std::optional<BezierPath> outline = GetSelectPathWithAlpha_MARK_ALPHA_VALUE(buffer.get());
    if (!outline || outline->isEmpty())
        return false;
    outline->transformUsingAffineTransform(CreateTransformRectToRect(raster, grown));
    const QRectF outlineBounds = outline->bounds();
    if (outline->isEmpty() || outlineBounds.width() < 0.5 || outlineBounds.height() < 0.5)
        return false;
    path.removeAllPoints();
    path.appendBezierPath(*outline);
    return true;
    GUARD_END(false)
}
