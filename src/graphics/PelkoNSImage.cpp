#include "graphics/PelkoNSImage.h"

#include "platform/Guard.h"
#include "platform/GraphicsContext.h"
#include "platform/ImageReader.h"
#include "platform/ImageWriter.h"
#include "platform/PixelLimits.h"

#include <QFileInfo>
#include <algorithm>

using platform::Image;
using platform::ImagePtr;
using platform::ImageRep;

bool isOK(const Image *image)
{
    return image && image->isValid();
}

ImagePtr imageWithFilePath(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return nullptr;
    ImagePtr image = Image::fromFile(path);
    return isOK(image.get()) ? image : nullptr;
    GUARD_END(nullptr)
}

ImagePtr imageTemplateDarkModeNamed(const QString &name)
{
    GUARD_BEGIN
    if (name.isEmpty())
        return nullptr;
    ImagePtr image = Image::named(name);
    if (isOK(image.get()))
        image->setTemplate(true);
    return image;
    GUARD_END(nullptr)
}

namespace {

QByteArray encodeFirstBitmap(Image *image, const platform::ImageEncoding &encoding)
{
    const auto rep = getImageRep(image);
    if (!rep || !rep->isBitmap())
        return {};
    return platform::encodeImage(rep->bitmap, encoding);
}

} // namespace

QByteArray toJPGData(Image *image, float quality)
{
    GUARD_BEGIN
    // NaN is taken as the lowest quality.
    const double q = quality >= 0.05f ? std::min(double(quality), 1.0) : 0.05;
    return encodeFirstBitmap(image, {platform::ImageFileType::JPEG, q});
    GUARD_END({})
}

QByteArray toPNGData(Image *image)
{
    GUARD_BEGIN
    return encodeFirstBitmap(image, {platform::ImageFileType::PNG});
    GUARD_END({})
}

bool writeToPNG(Image *image, const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    const QByteArray bytes = toPNGData(image);
    return !bytes.isEmpty() && platform::writeFileAtomically(bytes, path);
    GUARD_END(false)
}

bool writeToTIFF(Image *image, const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty() || !isOK(image))
        return false;
    const QByteArray bytes = encodeFirstBitmap(image, {platform::ImageFileType::TIFF});
    return !bytes.isEmpty() && platform::writeFileAtomically(bytes, path);
    GUARD_END(false)
}

std::optional<ImageRep> getImageRep(Image *image)
{
    GUARD_BEGIN
    if (!isOK(image))
        return std::nullopt;
    for (const ImageRep &rep : image->representations()) {
        if (rep.isBitmap())
            return rep;
    }
    // Only filter representations: draw the first at its pixel size, once.
    const QSize px = image->representations().front().pixelSize();
    const QImage bitmap = image->render(px);
    if (bitmap.isNull())
        return std::nullopt;
    image->addRepresentation({bitmap, nullptr, image->size()});
    return image->representations().back();
    GUARD_END(std::nullopt)
}

int numberOfImageRep(const QString &path)
{
    GUARD_BEGIN
    return platform::imageCountOfFile(path);
    GUARD_END(0)
}

QSizeF getPixelSize(Image *image)
{
    QSizeF size;
    GUARD_BEGIN
    if (!isOK(image))
        return {};
    size = image->size();
    if (const auto rep = getImageRep(image))
        size = QSizeF(rep->pixelSize());
    return size;
    GUARD_END(size)
}

void setSize2(Image *image, const QSizeF &size)
{
    GUARD_BEGIN
    if (!image)
        return;
    if (!(size.width() > 1.0) || !(size.height() > 1.0)) {
        REPORT_FATAL();
        return;
    }
    image->setSize(size);
    for (ImageRep &rep : image->representations())
        rep.size = size;
    GUARD_END_VOID
}

void setFlipped2(Image *, bool)
{}

void compositeToPoint2(const Image *image, const QPointF &p, QPainter::CompositionMode op,
                       bool flip)
{
    compositeToPoint2(image, p, op, 1.0f, flip);
}

void compositeToPoint2(const Image *image, const QPointF &p, QPainter::CompositionMode op,
                       float fraction, bool flip)
{
    GUARD_BEGIN
    auto *context = platform::GraphicsContext::currentContext();
    if (!image || !context)
        return;
    const QSizeF size = image->size();
    const double y = flip ? p.y() - size.height() : p.y();
    image->drawInRect(context->painter(), QRectF(QPointF(p.x(), y), size), {}, op, fraction);
    GUARD_END_VOID
}

QImage bitmapWithPixelSize(const QSizeF &size)
{
    const auto px = platform::checkedPixelSize(size.width(), size.height());
    if (!px)
        return {};
    QImage bitmap(*px, QImage::Format_RGBA8888_Premultiplied);
    if (bitmap.isNull())
        return {};
    bitmap.fill(Qt::transparent);
    return bitmap;
}
