#include "graphics/InvertColor.h"

#include "platform/Guard.h"

#include <algorithm>

void InvertPremultipliedPixels(PIXEL *pixels, qint64 count)
{
    // Branch-free so that the compiler vectorises it; a byte above its alpha (not valid
    // premultiplied colour) is taken as the alpha.
    for (qint64 i = 0; i < count; ++i) {
        const quint32 p = pixels[i];
        const quint32 a = p >> 24;
        const quint32 r = a - std::min(p & 0xFFu, a);
        const quint32 g = a - std::min((p >> 8) & 0xFFu, a);
        const quint32 b = a - std::min((p >> 16) & 0xFFu, a);
        pixels[i] = r | (g << 8) | (b << 16) | (a << 24);
    }
}

platform::ImagePtr ApplyChange_InvertColor(const platform::Image *source, CHANGE_SETTING)
{
    GUARD_BEGIN
    return ApplyPixelRoute(source, [](PIXEL *pixels, qint64 width, qint64 first, qint64 end) {
        InvertPremultipliedPixels(pixels + first * width, (end - first) * width);
    });
    GUARD_END(nullptr)
}
