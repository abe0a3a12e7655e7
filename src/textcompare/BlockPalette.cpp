#include "textcompare/BlockPalette.h"

#include "graphics/Contrast.h"

#include <algorithm>

namespace {

constexpr double kTintStep = 0.01;
constexpr double kFaintTextContrastShare = 0.9;

bool readableOn(const QColor &tint, const QColor &background, const QList<QColor> &textColors)
{
    for (const QColor &text : textColors) {
        // A colour the theme itself leaves below the minimum may lose a tenth of its contrast:
        // holding it exactly would forbid every tint.
        const double onBackground = ContrastRatio(text, background);
        const double wanted = onBackground >= kMinimumTextContrast
                                  ? kMinimumTextContrast
                                  : onBackground * kFaintTextContrastShare;
        if (ContrastRatio(text, tint) < wanted)
            return false;
    }
    return true;
}

} // namespace

QColor ReadableTint(const QColor &status, const QColor &background, const QList<QColor> &textColors,
                    double amount)
{
    // Luminance need not move steadily with the mix (channels may move apart), so walk down
    // from the wanted amount rather than bisect.
    for (double t = std::clamp(amount, 0.0, 1.0); t > 0; t -= kTintStep) {
        const QColor tint = MixColors(background, status, t);
        if (readableOn(tint, background, textColors))
            return tint;
    }
    return MixColors(background, status, 0);
}

BlockPalette MakeBlockPalette(const QColor &status, const QColor &background,
                              const QList<QColor> &textColors)
{
    BlockPalette p;
    p.block = ReadableTint(status, background, textColors, kBlockTintAmount);
    p.currentBlock = ReadableTint(status, background, textColors, kCurrentBlockTintAmount);
    p.changedCharacters =
        ReadableTint(status, background, textColors, kChangedCharactersTintAmount);
    p.frame = status.toRgb();
    p.frame.setAlpha(255);
    return p;
}
