#include "graphics/SunbeamBlend.h"

#include "graphics/StraightColor.h"
#include "platform/Saturate.h"

#include <algorithm>

namespace {

quint32 colourByte(double component)
{
    return quint32(std::clamp(platform::saturatingTruncate<int>(component * 255), 0, 255));
}

// Where the light's middle lands, the light's index of a target index; -1 when the float sum
// is NaN.
qint64 lightIndex(qint64 lightSize, qint64 index, float at)
{
    const float v = float(lightSize / 2) + (float(index) - at);
    return platform::saturatingTruncate<qint64>(v, -1);
}

} // namespace

void BlendSunbeamLight(ImageData *target, const ImageData *light, const platform::Color &colour,
                       float x, float y)
{
    if (!target || !light || !target->getBuffer() || !light->getBuffer())
        return;
    const quint32 rgb[3] = {colourByte(colour.redComponent()), colourByte(colour.greenComponent()),
                            colourByte(colour.blueComponent())};
    for (qint64 ty = 0; ty < target->h(); ++ty) {
        const qint64 gy = lightIndex(light->h(), ty, y);
        if (gy < 0 || gy >= light->h())
            continue;
        PIXEL *row = target->getBuffer() + ty * target->w();
        const PIXEL *lightRow = light->getBuffer() + gy * light->w();
        for (qint64 tx = 0; tx < target->w(); ++tx) {
            const qint64 gx = lightIndex(light->w(), tx, x);
            if (gx < 0 || gx >= light->w())
                continue;
            const PIXEL g = lightRow[gx];
            const float a =
                float(double((g & 0xFF) + ((g >> 8) & 0xFF) + ((g >> 16) & 0xFF)) / 765.0);
            if (a == 0)
                continue;
            const PIXEL s = UnpremultiplyPixel(row[tx]);
            PIXEL out = s & 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const quint32 old = (s >> (8 * c)) & 0xFF;
                const quint32 v = quint32(std::clamp(
                    platform::saturatingTruncate<int>(rgb[c] * a + old * (1 - a)), 0, 255));
                out |= v << (8 * c);
            }
            row[tx] = PremultiplyPixel(out);
        }
    }
}
