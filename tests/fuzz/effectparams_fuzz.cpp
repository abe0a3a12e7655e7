// Effect records from arbitrary bytes (NaN, infinities and huge values come naturally): every
// effect on a small half-transparent picture answers nothing or a picture of the source's size,
// and never reads or writes out of bounds.
#include "FuzzQuiet.h"
#include "graphics/BrightnessContrast.h"
#include "graphics/ColorShift.h"
#include "graphics/FilterEffects.h"
#include "graphics/GrayDuotone.h"
#include "graphics/Halftone.h"
#include "graphics/InvertColor.h"
#include "graphics/PelkoNSImage.h"
#include "graphics/Texturizer.h"
#include "platform/Image.h"
#include "services/SupportFolder.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using Effect = platform::ImagePtr (*)(const platform::Image *, CHANGE_SETTING);

const Effect kEffects[] = {
    ApplyChange_Crystallize,
    ApplyChange_GaussianBlur,
    ApplyChange_Gloom,
    ApplyChange_HexagonalPixellate,
    ApplyChange_MotionBlur,
    ApplyChange_Pointillize,
    ApplyChange_SharpenLuminance,
    ApplyChange_UnsharpMask,
    ApplyChange_Bloom,
    ApplyChange_Vibrance,
    ApplyChange_GlassDistortion,
    ApplyChange_BumpDistortion,
    ApplyChange_BumpDistortionLinear,
    ApplyChange_CircularWrap,
    ApplyChange_HoleDistortion,
    ApplyChange_PinchDistortion,
    ApplyChange_TwirlDistortion,
    ApplyChange_VortexDistortion,
    ApplyChange_ZoomBlur,
    ApplyChange_CMYKHalftone,
    ApplyChange_CircularScreen,
    ApplyChange_HatchedScreen,
    ApplyChange_DotScreen,
    ApplyChange_LineScreen,
    ApplyChange_LineOverlay,
    ApplyChange_ComicEffect,
    ApplyChange_SunbeamsGenerator,
    ApplyChange_InvertColor,
    ApplyChange_HSV,
    ApplyChange_RGB,
    ApplyChange_Gray,
    ApplyChange_ContrastBrightness,
    ApplyChange_Texturizer,
    ApplyChange_RGBHalftone,
};

QImage picture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const quint32 a = (x + y) % 3 ? 255 : 128;
            const quint32 c = (x * 37 + y * 91) % (a + 1);
            reinterpret_cast<quint32 *>(image.scanLine(y))[x] =
                c | ((a - c) << 8) | ((c / 2) << 16) | (a << 24);
        }
    return image;
}

// The halftone keeps its dot masks in the support folder and the texture multiply reads the
// bundle's images: both go to a folder of the run's own, the bundle holding one light texture
// and the master dot.
void prepareFolders()
{
    static QTemporaryDir dir;
    static const bool done = [] {
        if (!dir.isValid() || !PrepareSupportFolder(dir.filePath(QStringLiteral("support"))))
            return false;
        const QString images = dir.filePath(QStringLiteral("bundle/images"));
        QDir().mkpath(images);
        picture(7, 5).save(images + QStringLiteral("/filter1.png"));
        QImage dot(100, 100, QImage::Format_RGBA8888);
        dot.fill(Qt::transparent);
        for (int y = 25; y < 75; ++y)
            for (int x = 25; x < 75; ++x)
                dot.setPixel(x, y, qRgba(0, 0, 0, 255));
        dot.save(images + QStringLiteral("/_DotSample.png"));
        SetBundleResourceFolder(dir.filePath(QStringLiteral("bundle")));
        return true;
    }();
    (void)done;
}

// Textures for the glass, named as the bundle's are.
void nameTextures()
{
    static const bool done = [] {
        for (int n = 1; n <= 3; ++n) {
            static platform::ImagePtr keep[4];
            keep[n] = platform::Image::fromBitmap(picture(3 + n, 2 + n));
            keep[n]->setName(QStringLiteral("glass-texture%1").arg(n));
        }
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    prepareFolders();
    nameTextures();
    CHANGE_SETTING setting{};
    if (data)
        std::memcpy(setting.value, data, std::min(size, sizeof(setting.value)));
    // A byte past the record picks the picture's size, 1 x 1 to 16 x 16.
    const uint8_t shape = size > sizeof(setting.value) ? data[sizeof(setting.value)] : 0x65;
    const int w = 1 + (shape & 0x0F);
    const int h = 1 + (shape >> 4);
    const platform::ImagePtr source = platform::Image::fromBitmap(picture(w, h));
    for (Effect effect : kEffects) {
        const platform::ImagePtr out = effect(source.get(), setting);
        if (out && getPixelSize(out.get()) != QSizeF(w, h))
            __builtin_trap(); // an effect changed the picture's size
    }
    return 0;
}
