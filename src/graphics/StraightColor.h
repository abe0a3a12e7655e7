#pragma once
// Straight (unassociated) colour for the pixel loops. The RGBA8 buffers hold premultiplied
// colour, while the effects' arithmetic reads each byte as the colour itself: a loop
// unpremultiplies a pixel, does its sums, and premultiplies the result. Opaque pixels pass both
// steps unchanged, and a pixel of alpha 0 is all zero either way.
//
// Both directions round to nearest, so premultiplying an unpremultiplied pixel gives back the
// same bytes whenever each colour byte is at most its alpha.

#include "graphics/ColorPixel.h"

#include <array>
#include <cstdint>

namespace straightcolor {

// (255 << 16) / a, rounded; entry 0 is unused.
inline constexpr std::array<uint32_t, 256> kReciprocal = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t a = 1; a < 256; ++a)
        table[a] = ((255u << 16) + a / 2) / a;
    return table;
}();

// round(c * 255 / a), at most 255 (a byte above its alpha is not premultiplied colour).
inline uint32_t unpremultiplyByte(uint32_t c, uint32_t a)
{
    const uint32_t v = (c * kReciprocal[a] + (1u << 15)) >> 16;
    return v > 255 ? 255 : v;
}

// round(c * a / 255), exact for every c and a in 0..255.
inline uint32_t premultiplyByte(uint32_t c, uint32_t a)
{
    const uint32_t t = c * a + 128;
    return (t + (t >> 8)) >> 8;
}

} // namespace straightcolor

// The pixel with its colour divided by its alpha; opaque and fully transparent pixels unchanged.
inline PIXEL UnpremultiplyPixel(PIXEL p)
{
    const uint32_t a = p >> 24;
    if (a == 255 || a == 0)
        return p;
    using straightcolor::unpremultiplyByte;
    return unpremultiplyByte(p & 0xFFu, a) | (unpremultiplyByte((p >> 8) & 0xFFu, a) << 8) |
           (unpremultiplyByte((p >> 16) & 0xFFu, a) << 16) | (a << 24);
}

// The pixel with its colour multiplied by its alpha; opaque pixels unchanged, alpha 0 gives 0.
inline PIXEL PremultiplyPixel(PIXEL p)
{
    const uint32_t a = p >> 24;
    if (a == 255)
        return p;
    using straightcolor::premultiplyByte;
    return premultiplyByte(p & 0xFFu, a) | (premultiplyByte((p >> 8) & 0xFFu, a) << 8) |
           (premultiplyByte((p >> 16) & 0xFFu, a) << 16) | (a << 24);
}

// The pixel's straight colour at another alpha, premultiplied again.
inline PIXEL WithAlpha(PIXEL p, uint32_t alpha)
{
    return PremultiplyPixel((UnpremultiplyPixel(p) & 0x00FFFFFFu) | (alpha << 24));
}

inline void UnpremultiplyPixels(PIXEL *pixels, qint64 count)
{
    for (qint64 i = 0; i < count; ++i)
        pixels[i] = UnpremultiplyPixel(pixels[i]);
}

inline void PremultiplyPixels(PIXEL *pixels, qint64 count)
{
    for (qint64 i = 0; i < count; ++i)
        pixels[i] = PremultiplyPixel(pixels[i]);
}

// Applies fn (straight pixel -> straight pixel) to each pixel in place, through the pair; pixels
// of alpha 0 stay all zero whatever fn does.
template <typename Fn> inline void ForEachStraightPixel(PIXEL *pixels, qint64 count, Fn &&fn)
{
    for (qint64 i = 0; i < count; ++i) {
        const PIXEL p = pixels[i];
        if ((p >> 24) == 0) {
            pixels[i] = 0;
            continue;
        }
        pixels[i] = PremultiplyPixel(fn(UnpremultiplyPixel(p)));
    }
}
