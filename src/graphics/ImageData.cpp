#include "graphics/ImageData.h"

#include "graphics/PelkoNSImage.h"
#include "graphics/PixelRows.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/PixelLimits.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

using platform::Image;
using platform::ImagePtr;

namespace {

// Drawing into bitmaps and copying them out are serialised process-wide.
std::recursive_mutex &conversionLock()
{
    return platform::monitor("gSharedWorkspace");
}

// The bitmap of the image at exactly that many pixels: a representation of that size as it is,
// else the image drawn smoothly with the copy operation.
QImage bitmapAt(const Image *image, const QSize &pixels)
{
    for (const platform::ImageRep &rep : image->representations()) {
        if (rep.isBitmap() && rep.bitmap.size() == pixels)
            return rep.bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    }
    std::lock_guard lock(conversionLock());
    return image->render(pixels);
}

std::vector<PIXEL> copyOut(const QImage &bitmap)
{
    std::vector<PIXEL> memory;
    if (bitmap.isNull())
        return memory;
    const qint64 w = bitmap.width();
    const qint64 h = bitmap.height();
    memory.resize(size_t(w * h));
    std::lock_guard lock(conversionLock());
    ForEachRowBand(w, h, [&](qint64 y0, qint64 y1) {
        for (qint64 y = y0; y < y1; ++y)
            std::memcpy(memory.data() + y * w, bitmap.constScanLine(int(y)), size_t(w) * 4);
    });
    return memory;
}

// min(c, a) on each colour byte; branch-free so that the loop vectorises.
void clampRowToAlpha(const PIXEL *in, PIXEL *out, qint64 count)
{
    for (qint64 i = 0; i < count; ++i) {
        const quint32 p = in[i];
        const quint32 a = p >> 24;
        const quint32 r = std::min(p & 0xFFu, a);
        const quint32 g = std::min((p >> 8) & 0xFFu, a);
        const quint32 b = std::min((p >> 16) & 0xFFu, a);
        out[i] = r | (g << 8) | (b << 16) | (a << 24);
    }
}

} // namespace

std::vector<PIXEL> ConvertNSImageToBitmapRGBA8(const Image *image, qint64 *width, qint64 *height)
{
    if (width)
        *width = 0;
    if (height)
        *height = 0;
    GUARD_BEGIN
    if (!isOK(image))
        return {};
    const QSizeF size = getPixelSize(const_cast<Image *>(image));
    const auto pixels = platform::checkedPixelSize(size.width(), size.height());
    if (!pixels || !(size.width() >= 0.9) || !(size.height() >= 0.9))
        return {};
    std::vector<PIXEL> memory = copyOut(bitmapAt(image, *pixels));
    if (!memory.empty()) {
        if (width)
            *width = pixels->width();
        if (height)
            *height = pixels->height();
    }
    return memory;
    GUARD_END({})
}

std::vector<PIXEL> ConvertNSImageToBitmapRGBA8WithFixedPixelSize(const Image *image,
                                                                 const QSizeF &size)
{
    GUARD_BEGIN
    if (!isOK(image))
        return {};
    const auto pixels = platform::checkedPixelSize(size.width(), size.height());
    if (!pixels)
        return {};
    return copyOut(bitmapAt(image, *pixels));
    GUARD_END({})
}

ImagePtr ConvertBitmapRGBA8ToNSImage(const PIXEL *memory, qint64 width, qint64 height)
{
    GUARD_BEGIN
    if (!memory || platform::checkedPixelCount(width, height) == 0)
        return nullptr;
    QImage bitmap(int(width), int(height), QImage::Format_RGBA8888_Premultiplied);
    if (bitmap.isNull())
        return nullptr;
    {
        std::lock_guard lock(conversionLock());
        ForEachRowBand(width, height, [&](qint64 y0, qint64 y1) {
            for (qint64 y = y0; y < y1; ++y)
                clampRowToAlpha(memory + y * width,
                                reinterpret_cast<PIXEL *>(bitmap.scanLine(int(y))), width);
        });
    }
    ImagePtr image = Image::fromBitmap(bitmap);
    return isOK(image.get()) ? image : nullptr;
    GUARD_END(nullptr)
}

// ImageData ---------------------------------------------------------------------------------------

ImageData::ImageData() : ImageData(100, 100)
{}

ImageData::ImageData(qint64 width, qint64 height)
{
    allocate(std::max<qint64>(width, 1), std::max<qint64>(height, 1));
}

bool ImageData::allocate(qint64 width, qint64 height)
{
    const qint64 count = platform::checkedPixelCount(width, height);
    if (count == 0)
        return false;
    try {
        std::vector<PIXEL> memory;
        memory.reserve(size_t(count) + 25); // 100 bytes spare, as pixel loops may read ahead
        memory.resize(size_t(count), 0);
        data = std::move(memory);
    } catch (const std::bad_alloc &) {
        return false;
    }
    mW = width;
    mH = height;
    return true;
}

void ImageData::adopt(std::vector<PIXEL> memory, qint64 width, qint64 height)
{
    currentImg.reset();
    data = std::move(memory);
    mW = width;
    mH = height;
}

ImageDataPtr ImageData::imageWithWidth(qint64 width, qint64 height)
{
    if (platform::checkedPixelCount(width, height) == 0)
        return nullptr;
    auto buffer = std::make_shared<ImageData>(width, height);
    return buffer->getBuffer() ? buffer : nullptr;
}

ImageDataPtr ImageData::imageWithNSImage(const Image *image)
{
    if (!isOK(image))
        return nullptr;
    auto buffer = std::make_shared<ImageData>(1, 1);
    return buffer->SetFromNSImage(image, true) ? buffer : nullptr;
}

ImageDataPtr ImageData::imageWithNSImage(const Image *image, const QSizeF &size)
{
    if (!isOK(image))
        return nullptr;
    const auto pixels = platform::checkedPixelSize(size.width(), size.height());
    if (!pixels)
        return nullptr;
    auto buffer = imageWithWidth(pixels->width(), pixels->height());
    return buffer && buffer->SetFromNSImage(image, false) ? buffer : nullptr;
}

ImageDataPtr ImageData::imageCopy(const ImageData *source)
{
    if (!source || !source->getBuffer())
        return nullptr;
    auto buffer = imageWithWidth(source->mW, source->mH);
    if (!buffer)
        return nullptr;
    std::copy(source->data.begin(), source->data.end(), buffer->data.begin());
    return buffer;
}

ImageDataPtr ImageData::imageWithImageFile(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return nullptr;
    const ImagePtr image = Image::fromFile(path);
    return imageWithNSImage(image.get());
    GUARD_END(nullptr)
}

ImageDataPtr ImageData::imageWithResource(const QString &name)
{
    GUARD_BEGIN
    if (name.isEmpty())
        return nullptr;
    const ImagePtr image = Image::named(name);
    return imageWithNSImage(image.get());
    GUARD_END(nullptr)
}

bool ImageData::SetFromNSImage(const Image *image, bool useImagePixelSize)
{
    if (!image || !getBuffer())
        return false;
    qint64 width = mW;
    qint64 height = mH;
    std::vector<PIXEL> memory =
        useImagePixelSize
            ? ConvertNSImageToBitmapRGBA8(image, &width, &height)
            : ConvertNSImageToBitmapRGBA8WithFixedPixelSize(image, QSizeF(width, height));
    if (memory.empty() || width < 1 || height < 1 || qint64(memory.size()) != width * height)
        return false;
    currentImg.reset();
    data = std::move(memory);
    mW = width;
    mH = height;
    return true;
}

ImagePtr ImageData::GetNSImage()
{
    if (currentImg)
        return currentImg;
    if (!getBuffer())
        return nullptr;
    ImagePtr image = ConvertBitmapRGBA8ToNSImage(getBuffer(), mW, mH);
    if (!isOK(image.get()))
        return nullptr;
    currentImg = image;
    return currentImg;
}

PIXEL ImageData::pixelAtX(qint64 x, qint64 y) const
{
    if (x < 0 || y < 0 || x >= mW || y >= mH || !getBuffer())
        return 0;
    return data[size_t(y * mW + x)];
}

QRectF ImageData::GetRectAfterIgnoreTransparentPoint() const
{
    if (!getBuffer() || mW < 1 || mH < 1)
        return {};
    qint64 minX = mW, maxX = -1, minY = mH, maxY = -1;
    for (qint64 y = 0; y < mH; ++y) {
        const PIXEL *row = data.data() + y * mW;
        // Only the columns outside the box found so far can widen it.
        for (qint64 x = 0; x < mW; ++x) {
            if (x >= minX && x <= maxX && y >= minY && y <= maxY) {
                x = maxX;
                continue;
            }
            if ((row[x] >> 24) == 0)
                continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < 0)
        return {};
    return QRectF(minX, minY, maxX - minX + 1, maxY - minY + 1);
}
