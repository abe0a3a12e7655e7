#include "graphics/ImageEffect.h"

#include "graphics/PelkoCIImage.h"
#include "graphics/PelkoNSImage.h"
#include "graphics/PixelRows.h"
#include "platform/Guard.h"

using platform::FilterImage;
using platform::Image;
using platform::ImagePtr;

CHANGE_SETTING MakeChangeSetting(float v0, float v1, float v2, float v3, float v4, float v5,
                                 float v6, float v7, float v8, float v9, float v10, float v11,
                                 float v12, float v13, float v14)
{
    return CHANGE_SETTING{{v0, v1, v2, v3, v4, v5, v6, v7, v8, v9, v10, v11, v12, v13, v14}};
}

FilterImage GetCIImageFromNSImage(const Image *image, QRectF *outRect)
{
    GUARD_BEGIN
    if (!isOK(image))
        return {};
    if (outRect)
        *outRect = QRectF();
    const auto rep = getImageRep(const_cast<Image *>(image));
    if (!rep)
        return {};
    const FilterImage filterImage =
        rep->isBitmap() ? FilterImage::fromImage(rep->bitmap) : *rep->filter;
    if (outRect && !filterImage.isNull())
        *outRect = bounds(&filterImage);
    return filterImage;
    GUARD_END({})
}

ImagePtr GetNSImageFromCIImage(const FilterImage &filterImage, const QRectF &rect)
{
    GUARD_BEGIN
    if (filterImage.isNull())
        return nullptr;
    const QRectF extent = filterImage.extent();
    if (!(extent.width() >= 0.5) || !(extent.height() >= 0.5))
        return nullptr;
    ImagePtr image = Image::fromFilterImage(filterImage, extent.size());
    if (!isOK(image.get()))
        return nullptr;
    if (rect.width() > 0.1 && rect.height() > 0.1) {
        image->setSize(rect.size());
        for (auto &rep : image->representations())
            rep.size = rect.size();
    }
    return image;
    GUARD_END(nullptr)
}

std::vector<FilterInput> CentreInput(const CHANGE_SETTING &setting, const QString &key)
{
    const float x = setting.value[10];
    const float y = setting.value[11];
    if (!(x >= 0) && !(y >= 0))
        return {};
    return {{key, platform::FilterVector{double(x), double(y)}}};
}

ImagePtr ApplyFilterRoute(const Image *source, const QString &filterName,
                          const std::vector<FilterInput> &inputs)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    QRectF rect;
    const FilterImage input = GetCIImageFromNSImage(source, &rect);
    if (input.isNull())
        return nullptr;
    auto filter = platform::Filter::filterWithName(filterName);
    if (!filter)
        return nullptr;
    filter->setDefaults();
    filter->setValue(QStringLiteral("inputImage"), input);
    for (const FilterInput &in : inputs)
        filter->setValue(in.key, in.value);
    const FilterImage output = filter->outputImage();
    if (output.isNull())
        return nullptr;
    return GetNSImageFromCIImage(output, rect);
    GUARD_END(nullptr)
}

ImagePtr ApplyPixelRoute(const Image *source, const PixelRowsChange &change)
{
    GUARD_BEGIN
    if (!source)
        return nullptr;
    const ImageDataPtr buffer = ImageData::imageWithNSImage(source);
    if (!buffer || !buffer->getBuffer() || buffer->w() < 1 || buffer->h() < 1)
        return nullptr;
    PIXEL *pixels = buffer->getBuffer();
    const qint64 width = buffer->w();
    ForEachRowBand(width, buffer->h(),
                   [&](qint64 first, qint64 end) { change(pixels, width, first, end); });
    buffer->RefreshNSImage();
    return buffer->GetNSImage();
    GUARD_END(nullptr)
}
