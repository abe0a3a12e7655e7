#include "layers/ImageCaches.h"

#include "platform/Guard.h"
#include "platform/Workspace.h"
#include "services/SupportFolder.h"

#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <mutex>
#include <vector>

namespace {

constexpr int kIconPixels = 40;
constexpr int kIconInset = 2;
constexpr int kShadowBlur = 4;

std::mutex gCacheLock;

QHash<QString, QImage> &namedImages()
{
    static QHash<QString, QImage> images = [] {
        QHash<QString, QImage> hash;
        hash.reserve(40);
        return hash;
    }();
    return images;
}

QHash<QString, QImage> &typeIcons()
{
    static QHash<QString, QImage> icons;
    return icons;
}

// One pass of a box blur over the alpha channel, along rows (horizontal) or columns.
void boxBlurAlpha(std::vector<int> &alpha, int size, int radius, bool horizontal)
{
    std::vector<int> out(alpha.size(), 0);
    for (int line = 0; line < size; ++line) {
        for (int i = 0; i < size; ++i) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int j = i + k;
                if (j < 0 || j >= size)
                    continue;
                sum += horizontal ? alpha[size_t(line * size + j)] : alpha[size_t(j * size + line)];
            }
            const size_t at = horizontal ? size_t(line * size + i) : size_t(i * size + line);
            out[at] = sum / (2 * radius + 1);
        }
    }
    alpha.swap(out);
}

// The icon in the square inset by 2, over a black shadow of its shape blurred by about 4.
QImage iconWithShadow(const QIcon &icon, const QImage &fallback)
{
    QImage drawn(kIconPixels, kIconPixels, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        const QRect target(kIconInset, kIconInset, kIconPixels - 2 * kIconInset,
                           kIconPixels - 2 * kIconInset);
        if (!icon.isNull())
            icon.paint(&painter, target);
        else
            painter.drawImage(target, fallback);
    }
    std::vector<int> alpha(size_t(kIconPixels * kIconPixels));
    for (int y = 0; y < kIconPixels; ++y)
        for (int x = 0; x < kIconPixels; ++x)
            alpha[size_t(y * kIconPixels + x)] = qAlpha(drawn.pixel(x, y));
    for (bool horizontal : {true, false, true, false})
        boxBlurAlpha(alpha, kIconPixels, kShadowBlur / 2, horizontal);
    QImage result(kIconPixels, kIconPixels, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kIconPixels; ++y)
        for (int x = 0; x < kIconPixels; ++x)
            result.setPixel(x, y, qRgba(0, 0, 0, alpha[size_t(y * kIconPixels + x)]));
    {
        QPainter painter(&result);
        painter.drawImage(0, 0, drawn);
    }
    result.setDevicePixelRatio(2.0);
    return result;
}

} // namespace

QImage GetCachedImageNamed(const QString &name)
{
    GUARD_BEGIN
    if (name.isEmpty() || name.contains(u'/'))
        return QImage();
    std::lock_guard<std::mutex> locked(gCacheLock);
    QHash<QString, QImage> &cache = namedImages();
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;
    const QString file = QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".png") : name;
    const QString path = GetBundleResourcePath(QStringLiteral("images/") + file);
    const QImage image = path.isNull() ? QImage() : QImage(path);
    if (!image.isNull())
        cache.insert(name, image);
    return image;
    GUARD_END(QImage())
}

QImage GetDefaultFileIconBaseOnType(const QString &type)
{
    GUARD_BEGIN
    const QString key = (type.isEmpty() ? QStringLiteral("???") : type).toLower();
    {
        std::lock_guard<std::mutex> locked(gCacheLock);
        const auto found = typeIcons().constFind(key);
        if (found != typeIcons().constEnd())
            return *found;
    }
    const QIcon icon = platform::iconForFileType(key);
    QImage fallback;
    if (icon.isNull()) {
        fallback = GetCachedImageNamed(QStringLiteral("defaultFileIcon"));
        if (fallback.isNull())
            return QImage();
    }
    const QImage result = iconWithShadow(icon, fallback);
    std::lock_guard<std::mutex> locked(gCacheLock);
    typeIcons().insert(key, result);
    return result;
    GUARD_END(QImage())
}
