#pragma once
// An image as the drawing code knows it: a size in points and an ordered list of
// representations. A bitmap representation is a QImage in Format_RGBA8888_Premultiplied (so its
// bytes in memory are R, G, B, A) with the point size it covers; a filter representation renders
// a FilterImage when it is drawn. An image holds no widget or pixmap, so workers may make and
// change images; toQIcon() is for the main thread.
//
// Images are shared objects (ImagePtr); a null pointer is no image. Every size that turns into
// pixels goes through checkedPixelCount.

#include "platform/FilterImage.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

namespace platform {

class GraphicsContext;
class Image;
using ImagePtr = std::shared_ptr<Image>;

struct ImageRep
{
    QImage bitmap; // null for a filter representation
    std::shared_ptr<const FilterImage> filter;
    QSizeF size; // in points

    bool isBitmap() const { return !bitmap.isNull(); }
    // The bitmap's size, or the filter extent rounded to whole pixels; empty when neither.
    QSize pixelSize() const;
};

class Image : public std::enable_shared_from_this<Image>
{
public:
    Image() = default;
    explicit Image(const QSizeF &size);
    ~Image();
    Image(const Image &) = delete;
    Image &operator=(const Image &) = delete;

    // One bitmap; its point size is its pixel size unless given. Null for a null bitmap.
    static ImagePtr fromBitmap(const QImage &bitmap, const QSizeF &pointSize = {});
    // A filter representation of `size` points (the extent's size when empty); null for a null
    // filter image.
    static ImagePtr fromFilterImage(const FilterImage &image, const QSizeF &size = {});
    // Every image the file or bytes hold, through the guarded reader; null when none is read.
    static ImagePtr fromFile(const QString &path);
    static ImagePtr fromData(const QByteArray &bytes);

    // An image named in this process (setName), else one of the bundle's images folder:
    // "NAME.png", with "NAME@2x.png" as a second bitmap of the same point size. Names are plain
    // file names; null for anything else or a name nothing answers.
    static ImagePtr named(const QString &name);
    // The bundle's images folder; set at start-up. A change forgets the images read so far.
    static void setBundleImageFolder(const QString &folder);
    static QString bundleImageFolder();

    QString name() const;
    // Makes the image answer named(name) in this process; a name already given to another image
    // moves to this one. An empty name only removes this image's name.
    void setName(const QString &name);

    QSizeF size() const { return mSize; }
    void setSize(const QSizeF &size) { mSize = size; }
    bool isTemplate() const { return mTemplate; }
    void setTemplate(bool isTemplate) { mTemplate = isTemplate; }

    // Drawable: a size of at least a point each way and a representation with pixels.
    bool isValid() const;
    const std::vector<ImageRep> &representations() const { return mReps; }
    std::vector<ImageRep> &representations() { return mReps; }
    void addRepresentation(ImageRep rep);

    // Draws the part `from` (in points; the whole image when empty) into `to`, with the
    // representation whose pixels fit the destination best. The fraction multiplies the opacity.
    void drawInRect(QPainter *painter, const QRectF &to, const QRectF &from = {},
                    QPainter::CompositionMode op = QPainter::CompositionMode_SourceOver,
                    double fraction = 1.0) const;
    // The whole image drawn smoothly into a transparent bitmap of that many pixels; null when
    // the size is refused or nothing can be drawn.
    QImage render(const QSize &pixels) const;

    // Drawing into the image: lockFocus makes it the current graphics context (one pixel per
    // point, the current content kept); unlockFocus makes what was drawn its only representation.
    // False when the size is refused or the image already has the focus.
    bool lockFocus();
    void unlockFocus();

    // An icon of every bitmap representation. A template image is painted in the palette's
    // button-text colour (its alpha kept), so it follows the light or dark palette. Main thread.
    QIcon toQIcon(const QPalette &palette) const;

private:
    const ImageRep *bestRepFor(double devicePixelsWide) const;

    QSizeF mSize;
    std::vector<ImageRep> mReps;
    bool mTemplate = false;
    QString mName;
    struct Focus;
    std::unique_ptr<Focus> mFocus;
};

} // namespace platform
