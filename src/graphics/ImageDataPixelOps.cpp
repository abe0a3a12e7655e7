// The pixel operations of ImageData: outline, shadow, gradient fill, scaling, drawing over,
// cutting out, masking, resizing and moving the canvas.
#include "graphics/ExtendMask.h"
#include "graphics/ImageData.h"
#include "graphics/PixelRows.h"
#include "graphics/StraightColor.h"
#include "platform/PixelLimits.h"
#include "platform/Saturate.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace {

// Coordinates further out than this lie outside any buffer; holding them there keeps the sums
// of coordinates and sizes within 64 bits.
constexpr qint64 kFarOutside = qint64(1) << 40;

qint64 heldCoordinate(double value)
{
    return std::clamp(platform::saturatingTruncate<qint64>(value), -kFarOutside, kFarOutside);
}

// Memory of count words, zeroed; empty when it cannot be had.
std::vector<PIXEL> zeroedMemory(qint64 count)
{
    try {
        return std::vector<PIXEL>(size_t(count), 0);
    } catch (const std::bad_alloc &) {
        return {};
    }
}

// The straight colour of the gradient pixel under the buffer pixel's alpha.
PIXEL fillUnderAlpha(PIXEL painted, PIXEL target)
{
    return PremultiplyPixel((UnpremultiplyPixel(painted) & 0x00FFFFFFu) | (target & 0xFF000000u));
}

// Source-over of premultiplied colour: top + target * (255 - top alpha) / 255, each byte.
PIXEL sourceOver(PIXEL top, PIXEL target)
{
    const uint32_t rest = 255 - (top >> 24);
    PIXEL out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t v = ((top >> shift) & 0xFF) +
                           straightcolor::premultiplyByte((target >> shift) & 0xFF, rest);
        out |= std::min<uint32_t>(v, 255) << shift;
    }
    return out;
}

} // namespace

ImageDataPtr ImageData::imageMaskExtendWidth(qint64 width, float blurLevel, PIXEL baseColor) const
{
    if (!getBuffer() || width < 1 || width > 1000)
        return nullptr;
    ImageDataPtr outline = imageWithWidth(mW, mH);
    if (!outline)
        return nullptr;
    if (!ExtendMaskBuffer(long(width), getBuffer(), long(mW), long(mH), outline->getBuffer(),
                          baseColor, blurLevel))
        return nullptr;
    outline->RefreshNSImage();
    return outline;
}

ImageDataPtr ImageData::imageMaskShadowWithX(qint64 dx, qint64 dy, float alpha,
                                             PIXEL baseColor) const
{
    if (!getBuffer())
        return nullptr;
    ImageDataPtr shadow = imageWithWidth(mW, mH);
    if (!shadow)
        return nullptr;
    const float scale = std::isnan(alpha) ? 0.0f : std::clamp(alpha, 0.0f, 1.0f);
    // An offset of a whole side or more leaves nothing of the silhouette; what remains is small
    // enough for x - dx.
    if (dx <= -mW || dx >= mW || dy <= -mH || dy >= mH)
        return shadow;
    PIXEL *out = shadow->getBuffer();
    const PIXEL *in = getBuffer();
    const PIXEL colour = baseColor & 0x00FFFFFFu;
    ForEachRowBand(mW, mH, [&](qint64 first, qint64 end) {
        for (qint64 y = first; y < end; ++y) {
            const qint64 sy = y - dy;
            if (sy < 0 || sy >= mH)
                continue;
            for (qint64 x = std::max<qint64>(0, dx); x < std::min(mW, mW + dx); ++x) {
                const uint32_t a = uint32_t(float(in[sy * mW + x - dx] >> 24) * scale);
                out[y * mW + x] = PremultiplyPixel(colour | (a << 24));
            }
        }
    });
    shadow->RefreshNSImage();
    return shadow;
}

bool ImageData::ApplyGradien(const QGradientStops &gradient, float angle)
{
    if (gradient.isEmpty() || !getBuffer())
        return false;
    QImage painted(int(mW), int(mH), QImage::Format_RGBA8888_Premultiplied);
    if (painted.isNull())
        return false;
    painted.fill(Qt::transparent);
    // Through the centre along (cos, -sin) in rows that run down, reaching the farthest corners.
    const double radians = std::isfinite(angle) ? double(angle) * std::numbers::pi / 180.0 : 0.0;
    const QPointF direction(std::cos(radians), -std::sin(radians));
    const double half =
        (double(mW) * std::fabs(direction.x()) + double(mH) * std::fabs(direction.y())) / 2;
    const QPointF centre(mW / 2.0, mH / 2.0);
    QLinearGradient fill(centre - direction * half, centre + direction * half);
    fill.setStops(gradient);
    {
        QPainter painter(&painted);
        painter.fillRect(painted.rect(), fill);
    }
    PIXEL *pixels = getBuffer();
    for (qint64 y = 0; y < mH; ++y) {
        const auto *row = reinterpret_cast<const PIXEL *>(painted.constScanLine(int(y)));
        for (qint64 x = 0; x < mW; ++x)
            pixels[y * mW + x] = fillUnderAlpha(row[x], pixels[y * mW + x]);
    }
    RefreshNSImage();
    return true;
}

void ImageData::scaleX(float sx, float sy)
{
    if (!(sx > 0) || !(sy > 0) || !getBuffer())
        return;
    const qint64 width = std::max<qint64>(1, platform::saturatingTruncate<qint64>(float(mW) * sx));
    const qint64 height = std::max<qint64>(1, platform::saturatingTruncate<qint64>(float(mH) * sy));
    const qint64 count = platform::checkedPixelCount(width, height);
    if (count == 0)
        return;
    std::vector<PIXEL> memory = zeroedMemory(count);
    if (memory.empty())
        return;
    std::vector<qint64> column(static_cast<size_t>(width));
    for (qint64 x = 0; x < width; ++x)
        column[size_t(x)] =
            std::clamp(platform::saturatingTruncate<qint64>(float(x) / sx), qint64(0), mW - 1);
    const PIXEL *old = getBuffer();
    ForEachRowBand(width, height, [&](qint64 first, qint64 end) {
        for (qint64 y = first; y < end; ++y) {
            const qint64 sourceRow =
                std::clamp(platform::saturatingTruncate<qint64>(float(y) / sy), qint64(0), mH - 1);
            const PIXEL *in = old + sourceRow * mW;
            PIXEL *out = memory.data() + y * width;
            for (qint64 x = 0; x < width; ++x)
                out[x] = in[column[size_t(x)]];
        }
    });
    adopt(std::move(memory), width, height);
}

void ImageData::drawOverBy(const ImageData *top, const QPointF &centre)
{
    if (!top || top->w() < 1 || top->h() < 1 || !top->getBuffer() || !getBuffer())
        return;
    const double left = std::floor(centre.x() - double(top->w()) * 0.5 + 0.5);
    const double upper = std::floor(centre.y() - double(top->h()) * 0.5 + 0.5);
    if (std::isnan(left) || std::isnan(upper))
        return;
    const qint64 x0 = heldCoordinate(left);
    const qint64 y0 = heldCoordinate(upper);
    if (x0 >= mW || y0 >= mH || x0 + top->w() <= 0 || y0 + top->h() <= 0)
        return;
    // Drawn over itself, the top is read from a copy.
    const std::vector<PIXEL> ownCopy = top == this ? data : std::vector<PIXEL>();
    const PIXEL *in = top == this ? ownCopy.data() : top->getBuffer();
    const qint64 firstColumn = std::max<qint64>(0, -x0);
    const qint64 endColumn = std::min(top->w(), mW - x0);
    const qint64 firstRow = std::max<qint64>(0, -y0);
    const qint64 endRow = std::min(top->h(), mH - y0);
    for (qint64 j = firstRow; j < endRow; ++j) {
        PIXEL *target = getBuffer() + (y0 + j) * mW + x0;
        const PIXEL *source = in + j * top->w();
        for (qint64 i = firstColumn; i < endColumn; ++i) {
            const PIXEL t = source[i];
            const uint32_t a = t >> 24;
            if (a == 0)
                continue;
            target[i] = (a == 255 || (target[i] >> 24) == 0) ? t : sourceOver(t, target[i]);
        }
    }
    RefreshNSImage();
}

platform::ImagePtr ImageData::getImageInArea(const QRectF &area) const
{
    const double width = std::floor(area.width() + 0.5);
    const double height = std::floor(area.height() + 0.5);
    if (!(width >= 1) || !(height >= 1) || !getBuffer())
        return nullptr;
    const qint64 w = platform::saturatingTruncate<qint64>(width);
    const qint64 h = platform::saturatingTruncate<qint64>(height);
    const qint64 count = platform::checkedPixelCount(w, h);
    if (count == 0 || std::isnan(area.x()) || std::isnan(area.y()))
        return nullptr;
    const qint64 x0 = heldCoordinate(std::floor(area.x() + 0.5));
    const qint64 y0 = heldCoordinate(std::floor(area.y() + 0.5));
    std::vector<PIXEL> memory = zeroedMemory(count);
    if (memory.empty())
        return nullptr;
    const qint64 firstColumn = std::clamp<qint64>(-x0, 0, w);
    const qint64 endColumn = std::clamp<qint64>(mW - x0, firstColumn, w);
    for (qint64 j = 0; j < h; ++j) {
        const qint64 sy = y0 + j;
        if (sy < 0 || sy >= mH || endColumn <= firstColumn)
            continue;
        std::copy(data.data() + sy * mW + x0 + firstColumn, data.data() + sy * mW + x0 + endColumn,
                  memory.data() + j * w + firstColumn);
    }
    return ConvertBitmapRGBA8ToNSImage(memory.data(), w, h);
}

bool ImageData::ApplyMask(const ImageData *mask)
{
    if (!mask || !mask->getBuffer() || !getBuffer() || mask->w() < 1 || mask->h() < 1)
        return false;
    const qint64 columns = std::min(mW, mask->w());
    for (qint64 y = 0; y < mH; ++y) {
        PIXEL *row = data.data() + y * mW;
        const PIXEL *maskRow = y < mask->h() ? mask->getBuffer() + y * mask->w() : nullptr;
        for (qint64 x = 0; x < mW; ++x)
            row[x] = WithAlpha(row[x], maskRow && x < columns ? maskRow[x] >> 24 : 0);
    }
    RefreshNSImage();
    return true;
}

bool ImageData::ResizeImg(const QSizeF &size)
{
    const auto pixels = platform::checkedPixelSize(size.width(), size.height());
    if (!pixels || !getBuffer())
        return false;
    const platform::ImagePtr image = GetNSImage();
    if (!image)
        return false;
    // Drawn into new memory first: a failed drawing leaves the buffer whole.
    std::vector<PIXEL> memory = ConvertNSImageToBitmapRGBA8WithFixedPixelSize(
        image.get(), QSizeF(pixels->width(), pixels->height()));
    if (qint64(memory.size()) != qint64(pixels->width()) * pixels->height())
        return false;
    adopt(std::move(memory), pixels->width(), pixels->height());
    return true;
}

bool ImageData::ChangeCanvasWithStartPoint(const QPointF &p, const QSizeF &size)
{
    if (!(size.width() >= 1) || !(size.height() >= 1) || !getBuffer())
        return false;
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
        return false;
    const qint64 width = platform::saturatingTruncate<qint64>(size.width());
    const qint64 height = platform::saturatingTruncate<qint64>(size.height());
    const qint64 count = platform::checkedPixelCount(width, height);
    if (count == 0)
        return false;
    std::vector<PIXEL> memory = zeroedMemory(count);
    if (memory.empty())
        return false;
    // Column x of the new canvas reads floor(x + p.x) of the old one.
    for (qint64 y = 0; y < height; ++y) {
        const double sy = std::floor(double(y) + p.y());
        if (!(sy >= 0) || sy >= double(mH))
            continue;
        const PIXEL *in = data.data() + qint64(sy) * mW;
        PIXEL *out = memory.data() + y * width;
        for (qint64 x = 0; x < width; ++x) {
            const double sx = std::floor(double(x) + p.x());
            if (sx >= 0 && sx < double(mW))
                out[x] = in[qint64(sx)];
        }
    }
    adopt(std::move(memory), width, height);
    return true;
}
