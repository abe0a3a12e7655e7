#include "graphics/Recolouring.h"

#include "graphics/ComicEffect.h"
#include "graphics/PixelRows.h"
#include "graphics/StraightColor.h"
#include "platform/Guard.h"
#include "platform/ImageWriter.h"
#include "platform/PixelLimits.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdlib>

ImageDataPtr AddPatternBorder(const ImageData *source, const ImageData *pattern)
{
    if (!source || !pattern || pattern->w() < 1 || pattern->h() < 1 || !source->getBuffer() ||
        !pattern->getBuffer())
        return nullptr;
    const qint64 b = pattern->h();
    const qint64 pw = pattern->w();
    const qint64 w = source->w();
    const qint64 h = source->h();
    // Each side is counted before it is summed, so no sum overflows.
    if (platform::checkedPixelCount(b, 1) == 0 || platform::checkedPixelCount(w + 2 * b, 1) == 0 ||
        platform::checkedPixelCount(h + 2 * b, 1) == 0)
        return nullptr;
    const qint64 W = w + 2 * b;
    const qint64 H = h + 2 * b;
    ImageDataPtr out = ImageData::imageWithWidth(W, H);
    if (!out)
        return nullptr;
    PIXEL *to = out->getBuffer();
    const PIXEL *bands = pattern->getBuffer();
    for (qint64 r = 0; r < b; ++r) {
        const PIXEL *band = bands + r * pw;
        for (qint64 x = r; x <= W - 1 - r; ++x) {
            to[r * W + x] = band[x % pw];
            to[(H - 1 - r) * W + x] = band[x % pw];
        }
        for (qint64 y = r; y <= H - 1 - r; ++y) {
            to[y * W + r] = band[y % pw];
            to[y * W + W - 1 - r] = band[y % pw];
        }
    }
    const PIXEL *from = source->getBuffer();
    for (qint64 y = b; y < H - b; ++y)
        std::copy(from + (y - b) * w, from + (y - b + 1) * w, to + y * W + b);
    out->RefreshNSImage();
    return out;
}

platform::ImagePtr ApplyColorToImage(ImageData *data, quint64 dark, quint64 light)
{
    GUARD_BEGIN
    if (!data || !data->getBuffer())
        return nullptr;
    const PIXEL d = HexColorToPixel(dark);
    const PIXEL l = HexColorToPixel(light);
    // The colour of each channel sum 0..765.
    std::vector<PIXEL> table(766);
    for (int sum = 0; sum <= 765; ++sum) {
        const double t = std::clamp(double(sum) / 765.0, 0.0, 1.0);
        PIXEL p = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const double v =
                double((l >> shift) & 0xFF) * t + double((d >> shift) & 0xFF) * (1 - t);
            p |= PIXEL(std::clamp(int(v), 0, 255)) << shift;
        }
        table[size_t(sum)] = p;
    }
    PIXEL *pixels = data->getBuffer();
    const qint64 width = data->w();
    ForEachRowBand(width, data->h(), [&](qint64 first, qint64 end) {
        for (qint64 i = first * width; i < end * width; ++i) {
            const PIXEL p = pixels[i];
            if ((p >> 24) < 3)
                continue;
            const PIXEL s = UnpremultiplyPixel(p);
            const int sum = int(s & 0xFF) + int((s >> 8) & 0xFF) + int((s >> 16) & 0xFF);
            pixels[i] = PremultiplyPixel(table[size_t(sum)] | (p & 0xFF000000u));
        }
    });
    data->RefreshNSImage();
    return data->GetNSImage();
    GUARD_END(nullptr)
}

bool GenerateTransparentImageFromNormalBWImage(const QString &source, const QString &destination,
                                               quint64 key, double tolerance)
{
    GUARD_BEGIN
    if (source.isEmpty() || !QFileInfo(source).isFile() || destination.isEmpty() ||
        key == kNoColorWord)
        return false;
    const ImageDataPtr picture = ImageData::imageWithImageFile(source);
    if (!picture || picture->w() < 1 || picture->h() < 1 || !picture->getBuffer())
        return false;
    const PIXEL k = HexColorToPixel(key);
    for (PIXEL &p : picture->data) {
        const PIXEL s = UnpremultiplyPixel(p);
        const int distance = std::abs(int(s & 0xFF) - int(k & 0xFF)) +
                             std::abs(int((s >> 8) & 0xFF) - int((k >> 8) & 0xFF)) +
                             std::abs(int((s >> 16) & 0xFF) - int((k >> 16) & 0xFF));
        if (double(distance) <= tolerance)
            p = 0;
    }
    const QRectF box = picture->GetRectAfterIgnoreTransparentPoint();
    const qint64 bw = qint64(box.width());
    const qint64 bh = qint64(box.height());
    if (bw < 1 || bh < 1)
        return false;
    const qint64 bx = qint64(box.x());
    const qint64 by = qint64(box.y());
    const ImageDataPtr cropped = ImageData::imageWithWidth(bw, bh);
    if (!cropped)
        return false;
    for (qint64 r = 0; r < bh; ++r) {
        const PIXEL *row = picture->getBuffer() + (by + r) * picture->w() + bx;
        std::copy(row, row + bw, cropped->getBuffer() + r * bw);
    }
    const platform::ImagePtr image = cropped->GetNSImage();
    if (!image || image->representations().empty())
        return false;
    return platform::writeImageFile(image->representations().front().bitmap, destination,
                                    {platform::ImageFileType::TIFF, 1.0});
    GUARD_END(false)
}
