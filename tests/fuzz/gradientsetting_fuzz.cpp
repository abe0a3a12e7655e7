// Gradient records are stored as raw bytes by whoever keeps them: any bytes must give either no
// gradient or two to five stops with locations in 0..1, in order, and round-trip as data.
#include "FuzzQuiet.h"
#include "graphics/GradientSetting.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    GradientSetting setting = GradientSettingFromData(bytes);
    const QByteArray stored = GradientSettingToData(setting);
    if (stored.size() != 96 || (bytes.size() >= 96 && stored != bytes.left(96)))
        std::abort();
    for (int pass = 0; pass < 2; ++pass) {
        for (const float opacity : {1.0f, 0.5f}) {
            const auto stops = GetGradientFromSetting(&setting, opacity);
            if (!stops)
                continue;
            if (stops->size() < 2 || stops->size() > 5)
                std::abort();
            for (qsizetype i = 0; i < stops->size(); ++i) {
                const double at = (*stops)[i].first;
                if (!(at >= 0 && at <= 1) || !(*stops)[i].second.isValid())
                    std::abort();
                if (i > 0 && (*stops)[i - 1].first > at)
                    std::abort();
            }
        }
        GradientSettingReverse(&setting);
    }
    return 0;
}
