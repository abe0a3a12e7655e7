#include "platform/Image.h"

#include "platform/GraphicsContext.h"
#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <cmath>
#include <map>
#include <mutex>

namespace platform {

namespace {

struct NamedImages
{
    std::mutex lock;
    std::map<QString, ImagePtr> byName; // setName
    std::map<QString, ImagePtr> bundle; // read from the bundle folder
    QString folder;
};

NamedImages &namedImages()
{
    static NamedImages images;
    return images;
}

// A plain file name: no folder part, nothing hidden, no way out of the images folder.
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.startsWith(QLatin1Char('.')) && !name.contains(QChar(0));
}

ImagePtr readBundleImage(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return nullptr;
    const QDir dir(folder);
    // "NAME" or "NAME.png" (any format a decoder reads); a dot elsewhere is part of the name.
    const bool hasSuffix = QImageReader::supportedImageFormats().contains(
        QFileInfo(name).suffix().toLower().toLatin1());
    const QString base = hasSuffix ? name : name + QStringLiteral(".png");
    ImagePtr image;
    const QImage one = readImageFile(dir.filePath(base));
    if (!one.isNull())
        image = Image::fromBitmap(one);
    if (!hasSuffix) {
        // NAME@2x.png: twice the pixels for the same points.
        const QImage two = readImageFile(dir.filePath(name + QStringLiteral("@2x.png")));
        if (!two.isNull()) {
            const QSizeF points(two.width() / 2.0, two.height() / 2.0);
            if (image)
                image->addRepresentation({two, nullptr, image->size()});
            else
                image = Image::fromBitmap(two, points);
        }
    }
    return image;
}

QImage tinted(const QImage &bitmap, const QColor &colour)
{
    QImage out = bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(out.rect(), colour);
    return out;
}

} // namespace

QSize ImageRep::pixelSize() const
{
    if (isBitmap())
        return bitmap.size();
    if (filter && !filter->isNull()) {
        const auto size = checkedPixelSize(filter->extent().width(), filter->extent().height());
        if (size)
            return *size;
    }
    return {};
}

struct Image::Focus
{
    QImage canvas;
    QPainter painter;
    std::unique_ptr<GraphicsContext> context;
};

Image::Image(const QSizeF &size) : mSize(size)
{}

Image::~Image()
{
    if (mFocus)
        unlockFocus();
}

ImagePtr Image::fromBitmap(const QImage &bitmap, const QSizeF &pointSize)
{
    if (bitmap.isNull())
        return nullptr;
    const QSizeF size = pointSize.isEmpty() ? QSizeF(bitmap.size()) : pointSize;
    auto image = std::make_shared<Image>(size);
    image->addRepresentation(
        {bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied), nullptr, size});
    return image;
}

ImagePtr Image::fromFilterImage(const FilterImage &filterImage, const QSizeF &size)
{
    if (filterImage.isNull())
        return nullptr;
    const QSizeF points = size.isEmpty() ? filterImage.extent().size() : size;
    auto image = std::make_shared<Image>(points);
    image->addRepresentation({QImage(), std::make_shared<FilterImage>(filterImage), points});
    return image;
}

namespace {

ImagePtr imageOfFrames(std::vector<QImage> frames)
{
    if (frames.empty())
        return nullptr;
    // The first image gives the point size; further ones (other icon sizes, pages) are kept as
    // representations of their own pixel size.
    auto image = Image::fromBitmap(frames.front());
    for (size_t i = 1; i < frames.size(); ++i)
        image->addRepresentation({frames[i], nullptr, QSizeF(frames[i].size())});
    return image;
}

} // namespace

ImagePtr Image::fromFile(const QString &path)
{
    return imageOfFrames(readImageFrames(path));
}

ImagePtr Image::fromData(const QByteArray &bytes)
{
    return imageOfFrames(readImageDataFrames(bytes));
}

ImagePtr Image::named(const QString &name)
{
    if (!isPlainName(name))
        return nullptr;
    auto &images = namedImages();
    QString folder;
    {
        std::lock_guard lock(images.lock);
        if (auto it = images.byName.find(name); it != images.byName.end())
            return it->second;
        if (auto it = images.bundle.find(name); it != images.bundle.end())
            return it->second;
        folder = images.folder;
    }
    ImagePtr image = readBundleImage(folder, name);
    if (!image)
        return nullptr;
    image->mName = name;
    std::lock_guard lock(images.lock);
    if (images.folder != folder)
        return image; // the folder changed meanwhile: not kept
    return images.bundle.emplace(name, image).first->second;
}

void Image::setBundleImageFolder(const QString &folder)
{
    auto &images = namedImages();
    std::lock_guard lock(images.lock);
    if (images.folder == folder)
        return;
    images.folder = folder;
    images.bundle.clear();
}

QString Image::bundleImageFolder()
{
    auto &images = namedImages();
    std::lock_guard lock(images.lock);
    return images.folder;
}

QString Image::name() const
{
    return mName;
}

void Image::setName(const QString &name)
{
    auto &images = namedImages();
    std::lock_guard lock(images.lock);
    if (!mName.isEmpty()) {
        auto it = images.byName.find(mName);
        if (it != images.byName.end() && it->second.get() == this)
            images.byName.erase(it);
    }
    mName = name;
    if (name.isEmpty())
        return;
    if (ImagePtr self = weak_from_this().lock()) {
        auto &slot = images.byName[name];
        if (slot && slot.get() != this)
            slot->mName.clear();
        slot = self;
    }
}

bool Image::isValid() const
{
    if (!(mSize.width() >= 1 && mSize.height() >= 1))
        return false;
    for (const ImageRep &rep : mReps) {
        if (!rep.pixelSize().isEmpty())
            return true;
    }
    return false;
}

void Image::addRepresentation(ImageRep rep)
{
    if (rep.isBitmap() && rep.bitmap.format() != QImage::Format_RGBA8888_Premultiplied)
        rep.bitmap = rep.bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    mReps.push_back(std::move(rep));
}

const ImageRep *Image::bestRepFor(double devicePixelsWide) const
{
    // The smallest representation at least as wide as the destination, else the widest.
    const ImageRep *best = nullptr;
    const ImageRep *widest = nullptr;
    for (const ImageRep &rep : mReps) {
        const QSize px = rep.pixelSize();
        if (px.isEmpty())
            continue;
        if (!widest || px.width() > widest->pixelSize().width())
            widest = &rep;
        if (px.width() >= devicePixelsWide && (!best || px.width() < best->pixelSize().width()))
            best = &rep;
    }
    return best ? best : widest;
}

void Image::drawInRect(QPainter *painter, const QRectF &to, const QRectF &from,
                       QPainter::CompositionMode op, double fraction) const
{
    if (!painter || !painter->isActive() || to.isEmpty() || !(fraction > 0) || !isValid())
        return;
    const double scale =
        std::abs(painter->deviceTransform().m11()) + std::abs(painter->deviceTransform().m21());
    const ImageRep *rep = bestRepFor(to.width() * (scale > 0 ? scale : 1.0));
    if (!rep)
        return;
    const QSize px = rep->pixelSize();
    const QImage pixels = rep->isBitmap() ? rep->bitmap : rep->filter->render(px);
    if (pixels.isNull())
        return;
    const QRectF points = from.isEmpty() ? QRectF(QPointF(0, 0), mSize) : from;
    const double sx = px.width() / mSize.width();
    const double sy = px.height() / mSize.height();
    const QRectF source(points.x() * sx, points.y() * sy, points.width() * sx,
                        points.height() * sy);
    painter->save();
    painter->setCompositionMode(op);
    painter->setOpacity(painter->opacity() * std::min(fraction, 1.0));
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(to, pixels, source);
    painter->restore();
}

QImage Image::render(const QSize &pixels) const
{
    if (checkedPixelCount(pixels.width(), pixels.height()) == 0 || !isValid())
        return {};
    QImage out(pixels, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull())
        return {};
    out.fill(Qt::transparent);
    QPainter painter(&out);
    drawInRect(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)), {},
               QPainter::CompositionMode_Source);
    painter.end();
    return out;
}

bool Image::lockFocus()
{
    if (mFocus)
        return false;
    const auto px = checkedPixelSize(std::ceil(mSize.width()), std::ceil(mSize.height()));
    if (!px)
        return false;
    auto focus = std::make_unique<Focus>();
    focus->canvas = isValid() ? render(*px) : QImage(*px, QImage::Format_RGBA8888_Premultiplied);
    if (focus->canvas.isNull())
        return false;
    if (!isValid())
        focus->canvas.fill(Qt::transparent);
    if (!focus->painter.begin(&focus->canvas))
        return false;
    focus->context = std::make_unique<GraphicsContext>(&focus->painter, true, false);
    GraphicsContext::push(focus->context.get());
    mFocus = std::move(focus);
    return true;
}

void Image::unlockFocus()
{
    if (!mFocus)
        return;
    GraphicsContext::pop(mFocus->context.get());
    mFocus->painter.end();
    mReps.clear();
    mReps.push_back({mFocus->canvas, nullptr, mSize});
    mFocus.reset();
}

QIcon Image::toQIcon(const QPalette &palette) const
{
    QIcon icon;
    if (!isValid())
        return icon;
    for (const ImageRep &rep : mReps) {
        const QSize px = rep.pixelSize();
        if (px.isEmpty())
            continue;
        const QImage pixels = rep.isBitmap() ? rep.bitmap : rep.filter->render(px);
        if (pixels.isNull())
            continue;
        const double ratio = rep.size.width() > 0 ? px.width() / rep.size.width() : 1.0;
        auto add = [&](const QImage &img, QIcon::Mode mode) {
            QPixmap pixmap = QPixmap::fromImage(img);
            pixmap.setDevicePixelRatio(ratio > 0 ? ratio : 1.0);
            icon.addPixmap(pixmap, mode);
        };
        if (mTemplate) {
            add(tinted(pixels, palette.color(QPalette::Active, QPalette::ButtonText)),
                QIcon::Normal);
            add(tinted(pixels, palette.color(QPalette::Disabled, QPalette::ButtonText)),
                QIcon::Disabled);
        } else {
            add(pixels, QIcon::Normal);
        }
    }
    return icon;
}

} // namespace platform
