#include "graphics/Texturizer.h"

#include "graphics/PixelRows.h"
#include "graphics/StraightColor.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <mutex>
#include <optional>
#include <vector>

namespace {

constexpr int kMaxTextures = 50;

struct TextureList
{
    std::mutex lock;
    std::optional<std::vector<platform::ImagePtr>> images; // empty until first use
};

TextureList &textures()
{
    static TextureList list;
    return list;
}

// The image as a shared pointer, when something shares it.
platform::ImagePtr sameImage(const platform::Image *image)
{
    return std::const_pointer_cast<platform::Image>(image->weak_from_this().lock());
}

quint32 multiplyByte(quint32 a, quint32 b)
{
    return quint32(float(a) * float(b) / 255.0f);
}

} // namespace

platform::ImagePtr ApplyChange_Texturizer_GetMask(CHANGE_SETTING setting, int *count)
{
    GUARD_BEGIN
    if (count)
        *count = 0;
    TextureList &list = textures();
    std::lock_guard guard(list.lock);
    if (!list.images) {
        list.images.emplace();
        for (int i = 1; i <= kMaxTextures; ++i) {
            platform::ImagePtr image = platform::Image::named(QStringLiteral("filter%1").arg(i));
            if (!image)
                break;
            list.images->push_back(std::move(image));
        }
    }
    const int size = int(list.images->size());
    if (count)
        *count = size;
    const int index = platform::saturatingTruncate<int>(setting.value[0], -1);
    if (index < 0 || index >= size)
        return nullptr;
    return (*list.images)[size_t(index)];
    GUARD_END(nullptr)
}

platform::ImagePtr ApplyChange_Texturizer(const platform::Image *source, CHANGE_SETTING setting)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    const platform::ImagePtr texture = ApplyChange_Texturizer_GetMask(setting, nullptr);
    if (!texture)
        return nullptr;
    return ApplyTextureMask(source, texture.get());
    GUARD_END(nullptr)
}

platform::ImagePtr ApplyTextureMask(const platform::Image *image, const platform::Image *texture)
{
    GUARD_BEGIN
    if (!image)
        return nullptr;
    const ImageDataPtr pixels = texture ? ImageData::imageWithNSImage(image) : nullptr;
    const ImageDataPtr tile = texture ? ImageData::imageWithNSImage(texture) : nullptr;
    if (!pixels || !tile || !pixels->getBuffer() || !tile->getBuffer())
        return sameImage(image);
    // The texture in straight colour once, rather than once per tile.
    std::vector<PIXEL> straightTile(tile->data);
    UnpremultiplyPixels(straightTile.data(), qint64(straightTile.size()));
    const qint64 width = pixels->w();
    const qint64 tw = tile->w();
    const qint64 th = tile->h();
    PIXEL *buffer = pixels->getBuffer();
    ForEachRowBand(width, pixels->h(), [&](qint64 first, qint64 end) {
        for (qint64 y = first; y < end; ++y) {
            const PIXEL *tileRow = straightTile.data() + (y % th) * tw;
            PIXEL *row = buffer + y * width;
            for (qint64 x = 0; x < width; ++x) {
                const PIXEL p = row[x];
                if ((p >> 24) == 0)
                    continue;
                const PIXEL s = UnpremultiplyPixel(p);
                const PIXEL t = tileRow[x % tw];
                const PIXEL out = multiplyByte(s & 0xFF, t & 0xFF) |
                                  (multiplyByte((s >> 8) & 0xFF, (t >> 8) & 0xFF) << 8) |
                                  (multiplyByte((s >> 16) & 0xFF, (t >> 16) & 0xFF) << 16) |
                                  (s & 0xFF000000u);
                row[x] = PremultiplyPixel(out);
            }
        }
    });
    pixels->RefreshNSImage();
    platform::ImagePtr result = pixels->GetNSImage();
    return result ? result : sameImage(image);
    GUARD_END(nullptr)
}

void ApplyChange_Texturizer_FreeMasks()
{
    TextureList &list = textures();
    std::lock_guard guard(list.lock);
    list.images.reset();
}
