// Image files from arbitrary bytes: through the reader, the image, the RGBA8 buffer and back. A
// buffer is never larger than the pixel bound, always exactly w x h words, and turns back into an
// image of its size; counting a file's images never fails.
#include "FuzzImageLimit.h"
#include "FuzzQuiet.h"
#include "graphics/ImageData.h"
#include "graphics/PelkoNSImage.h"
#include "platform/Image.h"
#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    pelkofuzz::limitImageDecoders();
    static QTemporaryDir dir;
    if (!dir.isValid())
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const QString path = dir.filePath(QStringLiteral("image"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(bytes) == bytes.size()) {
        file.close();
        if (numberOfImageRep(path) < 0)
            __builtin_trap();
    }

    const platform::ImagePtr image = platform::Image::fromData(bytes);
    if (!image)
        return 0;
    if (image->representations().size() > size_t(platform::kMaxImageFrames))
        __builtin_trap(); // more frames than the reader hands out
    qint64 total = 0;
    for (const auto &rep : image->representations())
        total += qint64(rep.bitmap.width()) * rep.bitmap.height();
    if (total > platform::kMaxImagePixels)
        __builtin_trap(); // the frames together exceed the bound

    const ImageDataPtr buffer = ImageData::imageWithNSImage(image.get());
    if (!buffer)
        return 0;
    if (platform::checkedPixelCount(buffer->w(), buffer->h()) == 0 ||
        qint64(buffer->data.size()) != buffer->w() * buffer->h())
        __builtin_trap(); // a buffer of a refused size, or of the wrong length
    const platform::ImagePtr back = buffer->GetNSImage();
    if (!back || getPixelSize(back.get()) != QSizeF(buffer->w(), buffer->h()))
        __builtin_trap(); // a valid buffer always turns back into an image of its size
    return 0;
}
