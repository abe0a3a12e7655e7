#include "graphics/GrayDuotone.h"

#include "graphics/StraightColor.h"
#include "platform/Guard.h"
#include "platform/Saturate.h"

#include <algorithm>
#include <array>

namespace {

quint32 colourByte(float field)
{
    return quint32(platform::saturatingTruncate<int>(std::clamp(field, 0.0f, 255.0f)));
}

// The colour of each grey level g = (r + g + b) / 3, alpha 0.
std::array<PIXEL, 256> greyTable(const CHANGE_SETTING &setting)
{
    const int threshold = std::clamp(platform::saturatingTruncate<int>(setting.value[1]), 1, 254);
    const quint32 cr = colourByte(setting.value[10]);
    const quint32 cg = colourByte(setting.value[11]);
    const quint32 cb = colourByte(setting.value[12]);
    std::array<PIXEL, 256> table{};
    const bool thresholdMode = setting.value[0] == 1.0f;
    for (int g = 0; g < 256; ++g) {
        if (thresholdMode) {
            table[g] = g <= threshold ? (cr | (cg << 8) | (cb << 16)) : 0x00FFFFFFu;
            continue;
        }
        const float k = float(1.0 - double(g) / 255.0);
        auto tone = [k](quint32 c) {
            return quint32(std::clamp(int(255.0f - float(255 - c) * k), 0, 255));
        };
        table[g] = tone(cr) | (tone(cg) << 8) | (tone(cb) << 16);
    }
    return table;
}

} // namespace

platform::ImagePtr ApplyChange_Gray(const platform::Image *source, CHANGE_SETTING setting)
{
    GUARD_BEGIN
    const std::array<PIXEL, 256> table = greyTable(setting);
    return ApplyPixelRoute(source, [&](PIXEL *pixels, qint64 width, qint64 first, qint64 end) {
        ForEachStraightPixel(pixels + first * width, (end - first) * width, [&](PIXEL p) {
            const quint32 sum = (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
            return table[sum / 3] | (p & 0xFF000000u);
        });
    });
    GUARD_END(nullptr)
}
