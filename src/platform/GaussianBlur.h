#pragma once
// The one Gaussian blur of the project: separable, three extended-box passes each way, so its
// cost is O(w * h) whatever the radius. Channels are blurred alike, so premultiplied pixels stay
// premultiplied (no fringe of dark colour where opaque meets transparent). Edges repeat their
// outer pixels: a flat image stays flat. Images above about a megapixel are blurred in bands of
// rows and strips of columns on the thread pool.

#include <QImage>

namespace platform {

// Blurs the image in place with standard deviation sigma (pixels). Works on every format of one
// or four bytes per pixel (Grayscale8, Alpha8, the RGBA and ARGB formats); in a premultiplied
// four-byte format no colour byte ends above its alpha. Sigma 0 or less, NaN, or an unsupported
// format leave the image as it was; a sigma beyond the image is treated as the image's size.
void gaussianBlur(QImage &image, double sigma);

// The same on a plain buffer of `channels` bytes per pixel (1 to 4), `stride` bytes per row;
// `premultipliedAlphaChannel` is the index of an alpha byte that bounds the others, or -1.
void gaussianBlur(uchar *bits, int width, int height, qsizetype stride, int channels, double sigma,
                  int premultipliedAlphaChannel = -1);

} // namespace platform
