#pragma once
// A buffer of RGBA8 pixels (PIXEL words, rows from the top, no padding) made from an image and
// turned back into one, with the image of its current pixels cached. Colour bytes are
// premultiplied by alpha. Whoever changes pixels through getBuffer() calls RefreshNSImage()
// before asking GetNSImage() again.
//
// Sizes are bounded (checkedPixelCount): a buffer whose size is refused, or whose memory could
// not be had, has no memory, w() and h() are 0, and every method answers its neutral value.

#include "graphics/ColorPixel.h"
#include "platform/Image.h"

#include <QGradientStops>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QtEndian>
#include <memory>
#include <vector>

// The RGBA8 bytes of Format_RGBA8888_Premultiplied read as one little-endian word are a PIXEL.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "PIXEL words are read from RGBA8 bytes");

class ImageData;
using ImageDataPtr = std::shared_ptr<ImageData>;

class ImageData
{
public:
    // 100 x 100.
    ImageData();
    // A transparent buffer; a side below 1 is taken as 1.
    ImageData(qint64 width, qint64 height);

    // A transparent buffer; null when a side is below 1 or the size is refused.
    static ImageDataPtr imageWithWidth(qint64 width, qint64 height);
    // The image at its pixel size; null when it is not OK or cannot be drawn.
    static ImageDataPtr imageWithNSImage(const platform::Image *image);
    // The image drawn scaled to floor(w + 0.5) x floor(h + 0.5) pixels.
    static ImageDataPtr imageWithNSImage(const platform::Image *image, const QSizeF &size);
    // Same size and pixels; null for null or a buffer without memory.
    static ImageDataPtr imageCopy(const ImageData *source);
    static ImageDataPtr imageWithImageFile(const QString &path);
    static ImageDataPtr imageWithResource(const QString &name);

    // copyWithZone:
    ImageDataPtr copy() const { return imageCopy(this); }

    // Takes the image's pixels at its pixel size (usePixelSize) or drawn into the current size.
    // False leaves the buffer as it was.
    bool SetFromNSImage(const platform::Image *image, bool useImagePixelSize);
    void RefreshNSImage() { currentImg.reset(); }
    // The image of the current pixels, made when missing; null when that fails.
    platform::ImagePtr GetNSImage();

    PIXEL *getBuffer() { return data.empty() ? nullptr : data.data(); }
    const PIXEL *getBuffer() const { return data.empty() ? nullptr : data.data(); }
    // 0 outside the buffer.
    PIXEL pixelAtX(qint64 x, qint64 y) const;
    // The box of the pixels whose alpha is not 0 (row 0 at the top); the zero rectangle when none.
    QRectF GetRectAfterIgnoreTransparentPoint() const;

    qint64 w() const { return mW; }
    qint64 h() const { return mH; }

    // Pixel operations (ImageDataPixelOps.cpp). Those that change pixels or size drop the cached
    // image; a refused size or missing memory leaves the buffer as it was.

    // A new buffer of this size: the opaque area (alpha 2 or more) grown by width pixels in the
    // colour, fading by blurLevel per pixel; null for a width outside 1..1000 or a blur outside
    // 0 <= blur < 1.
    ImageDataPtr imageMaskExtendWidth(qint64 width, float blurLevel, PIXEL baseColor) const;
    // A new buffer of this size: the silhouette moved by (dx, dy) in the colour, its opacity
    // scaled by alpha (held to 0..1).
    ImageDataPtr imageMaskShadowWithX(qint64 dx, qint64 dy, float alpha, PIXEL baseColor) const;
    // Fills the colour under the current alpha with the gradient drawn across the whole buffer at
    // the angle (degrees, counter-clockwise from the right); false for no stops.
    bool ApplyGradien(const QGradientStops &gradient, float angle);
    // Nearest-neighbour scaling to trunc(w * sx) x trunc(h * sy), each at least 1.
    void scaleX(float sx, float sy);
    // Draws top over this buffer (source-over), centred at the point.
    void drawOverBy(const ImageData *top, const QPointF &centre);
    // The pixels of the area (rounded to whole pixels) as a new image; outside is transparent.
    platform::ImagePtr getImageInArea(const QRectF &area) const;
    // Each pixel takes the alpha of the mask's pixel at the same place (0 beyond the mask).
    bool ApplyMask(const ImageData *mask);
    // The current pixels drawn scaled into floor(w + 0.5) x floor(h + 0.5).
    bool ResizeImg(const QSizeF &size);
    // A canvas of trunc(size) starting at p on the old one; what lies outside is transparent.
    bool ChangeCanvasWithStartPoint(const QPointF &p, const QSizeF &size);

    std::vector<PIXEL> data;
    platform::ImagePtr currentImg;

private:
    bool allocate(qint64 width, qint64 height);
    // Takes memory of exactly width x height words as the buffer's.
    void adopt(std::vector<PIXEL> memory, qint64 width, qint64 height);

    qint64 mW = 0;
    qint64 mH = 0;
};

// The image's pixels at its pixel size; empty when it is not OK or cannot be drawn. The sizes
// are set to 0 first (each may be null).
std::vector<PIXEL> ConvertNSImageToBitmapRGBA8(const platform::Image *image, qint64 *width,
                                               qint64 *height);
// The image drawn scaled to floor(w + 0.5) x floor(h + 0.5) pixels.
std::vector<PIXEL> ConvertNSImageToBitmapRGBA8WithFixedPixelSize(const platform::Image *image,
                                                                 const QSizeF &size);
// A new image of a deep copy of the pixels, each colour byte held to its alpha (a byte above its
// alpha is not premultiplied colour and would paint wrong); null for no memory or a refused size.
platform::ImagePtr ConvertBitmapRGBA8ToNSImage(const PIXEL *memory, qint64 width, qint64 height);
