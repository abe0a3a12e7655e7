#pragma once
// What every image effect shares: the parameter record, the conversions between images and
// filter images, and the two ways an effect runs: through a named filter, or through a loop over
// the pixels of an RGBA8 buffer. An effect takes an image and a record and answers a new image,
// or null; it never changes its source.

#include "graphics/ImageData.h"
#include "platform/Filter.h"
#include "platform/Image.h"

#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

// Fifteen floats that each effect reads by position: 0-6 its own scalars, 10 and 11 a centre
// (handed on only when one of them is 0 or more) or a colour's red and green, 12 its blue, 13 and
// 14 a position on the source.
struct CHANGE_SETTING
{
    float value[15];
};
static_assert(sizeof(CHANGE_SETTING) == 60, "fifteen 32-bit floats, as effects read them");

CHANGE_SETTING MakeChangeSetting(float v0, float v1, float v2, float v3, float v4, float v5,
                                 float v6, float v7, float v8, float v9, float v10, float v11,
                                 float v12, float v13, float v14);

// The image as a filter image; outRect (when given) gets (0, 0) and its size, or the zero
// rectangle when there is none.
platform::FilterImage GetCIImageFromNSImage(const platform::Image *image, QRectF *outRect);
// A new image of the filter image; null for an extent under 0.5 wide or high. A wanted size over
// 0.1 each way becomes the image's point size (an effect's output keeps its source's size).
platform::ImagePtr GetNSImageFromCIImage(const platform::FilterImage &image, const QRectF &rect);

// One input of a filter, in the order of the effect's table.
struct FilterInput
{
    QString key;
    platform::FilterValue value;
};
// The centre input of fields 10 and 11, or nothing when both are negative (the filter keeps its
// own default).
std::vector<FilterInput> CentreInput(const CHANGE_SETTING &setting, const QString &key);

// The filter route: the named filter with its defaults, "inputImage" and the inputs; null when
// the source is null, the filter is missing or gives no output.
platform::ImagePtr ApplyFilterRoute(const platform::Image *source, const QString &filterName,
                                    const std::vector<FilterInput> &inputs);

// The pixel route: the source's RGBA8 buffer at its pixel size, changed in place by
// changeRows(buffer, firstRow, endRow) over bands of rows (on several threads for large images),
// then made into a new image. Null for a null source or one that does not convert.
using PixelRowsChange =
    std::function<void(PIXEL *pixels, qint64 width, qint64 firstRow, qint64 endRow)>;
platform::ImagePtr ApplyPixelRoute(const platform::Image *source, const PixelRowsChange &change);
