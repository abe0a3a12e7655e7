#include "graphics/BrightnessContrast.h"

#include "graphics/PixelRows.h"
#include "graphics/StraightColor.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using ByteTable = std::array<quint32, 256>;

// The work buffer, changed through the table, handed to the out values.
bool applyTable(const ImageData *data, const platform::Image *image, const ByteTable &table,
                platform::ImagePtr *outImage, ImageDataPtr *outData)
{
    if (outImage)
        *outImage = nullptr;
    if (outData)
        *outData = nullptr;
    if (!data && !image)
        return false;
    const ImageDataPtr work =
        data ? ImageData::imageCopy(data) : ImageData::imageWithNSImage(image);
    if (!work || work->w() < 1 || work->h() < 1 || !work->getBuffer())
        return false;
    PIXEL *pixels = work->getBuffer();
    const qint64 width = work->w();
    ForEachRowBand(width, work->h(), [&](qint64 first, qint64 end) {
        ForEachStraightPixel(pixels + first * width, (end - first) * width, [&](PIXEL p) {
            return table[p & 0xFF] | (table[(p >> 8) & 0xFF] << 8) |
                   (table[(p >> 16) & 0xFF] << 16) | (p & 0xFF000000u);
        });
    });
    work->RefreshNSImage();
    if (outImage)
        *outImage = work->GetNSImage();
    if (outData)
        *outData = work;
    return true;
}

ByteTable brightnessTable(long delta)
{
    delta = std::clamp(delta, -255L, 255L);
    ByteTable table{};
    for (long b = 0; b < 256; ++b)
        table[size_t(b)] = quint32(std::clamp(b + delta, 0L, 255L));
    return table;
}

ByteTable contrastTable(long contrast)
{
    const long c = std::clamp(contrast, -255L, 255L);
    const float f = float((double(c + 255) * 259.0) / (double(259 - c) * 255.0));
    ByteTable table{};
    for (int b = 0; b < 256; ++b) {
        const float v = float(b - 128) * f + 128.0f;
        table[size_t(b)] = quint32(std::clamp(platform::saturatingTruncate<int>(v), 0, 255));
    }
    return table;
}

} // namespace

bool ApplyBrightness(const ImageData *data, const platform::Image *image, long delta,
                     platform::ImagePtr *outImage, ImageDataPtr *outData)
{
    GUARD_BEGIN
    return applyTable(data, image, brightnessTable(delta), outImage, outData);
    GUARD_END(false)
}

bool ApplyContrast(const ImageData *data, const platform::Image *image, long contrast,
                   platform::ImagePtr *outImage, ImageDataPtr *outData)
{
    GUARD_BEGIN
    return applyTable(data, image, contrastTable(contrast), outImage, outData);
    GUARD_END(false)
}

platform::ImagePtr ApplyChange_ContrastBrightness(const platform::Image *source,
                                                  CHANGE_SETTING setting)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    const ImageDataPtr base = ImageData::imageWithNSImage(source);
    if (!base)
        return nullptr;
    ImageDataPtr current = base;
    if (std::fabs(setting.value[0]) > 0.1f) {
        ImageDataPtr brightened;
        ApplyBrightness(base.get(), nullptr, platform::saturatingTruncate<long>(setting.value[0]),
                        nullptr, &brightened);
        if (brightened)
            current = brightened;
    }
    if (std::fabs(setting.value[1]) > 0.1f) {
        ImageDataPtr contrasted;
        ApplyContrast(current.get(), nullptr, platform::saturatingTruncate<long>(setting.value[1]),
                      nullptr, &contrasted);
        if (contrasted)
            current = contrasted;
    }
    current->RefreshNSImage();
    return current->GetNSImage();
    GUARD_END(nullptr)
}
