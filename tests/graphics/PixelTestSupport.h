#pragma once
// Small images of given pixels for the effect tests, and their pixels read back.

#include "graphics/ImageData.h"
#include "graphics/StraightColor.h"
#include "platform/Image.h"

#include <QImage>
#include <cstring>
#include <vector>

namespace pixeltest {

inline PIXEL rgba(quint32 r, quint32 g, quint32 b, quint32 a = 255)
{
    return r | (g << 8) | (b << 16) | (a << 24);
}

// An image of w x h premultiplied pixels, row after row.
inline platform::ImagePtr imageOf(const std::vector<PIXEL> &pixels, int w, int h)
{
    QImage bitmap(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        std::memcpy(bitmap.scanLine(y), pixels.data() + qint64(y) * w, size_t(w) * 4);
    return platform::Image::fromBitmap(bitmap);
}

inline platform::ImagePtr imageOf(PIXEL pixel, int w = 1, int h = 1)
{
    return imageOf(std::vector<PIXEL>(size_t(w) * h, pixel), w, h);
}

// The image's pixels at its pixel size; empty for none.
inline std::vector<PIXEL> pixelsOf(const platform::ImagePtr &image)
{
    const ImageDataPtr data = ImageData::imageWithNSImage(image.get());
    return data ? data->data : std::vector<PIXEL>();
}

inline PIXEL firstPixel(const platform::ImagePtr &image)
{
    const std::vector<PIXEL> pixels = pixelsOf(image);
    return pixels.empty() ? 0xDEADBEEF : pixels.front();
}

inline ImageDataPtr bufferOf(const std::vector<PIXEL> &pixels, qint64 w, qint64 h)
{
    ImageDataPtr data = ImageData::imageWithWidth(w, h);
    data->data = pixels;
    return data;
}

// Largest difference of the four bytes.
inline int byteDistance(PIXEL a, PIXEL b)
{
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

} // namespace pixeltest
