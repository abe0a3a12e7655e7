#include "shell/ThemeForAppearance.h"

#include "graphics/PelkoNSColor.h"
#include "platform/Guard.h"
#include "services/AppSetting.h"
#include "services/Appearance.h"
#include "themes/DarkMode.h"
#include "themes/ThemeColor.h"

namespace {

// A dark background sums to at most this much of red, green and blue (0-255 each); a light one
// to at least the second. Between the two bounds a background suits both appearances.
constexpr int kDarkTemplateMaximum = 26;
constexpr int kLightTemplateMinimum = 739;
constexpr int kLightAppearanceMaximum = 381;
constexpr int kDarkAppearanceMinimum = 391;

int componentSum(const platform::Color &color)
{
    const PIXEL p = toPixel(color);
    return int(p & 0xFF) + int((p >> 8) & 0xFF) + int((p >> 16) & 0xFF);
}

} // namespace

int ChooseTemplateForAppearance(bool dark, const platform::Color &currentBackground,
                                const QList<std::shared_ptr<ThemeColor>> &templates,
                                const QStringList &names)
{
    if (!currentBackground.isValid() || templates.isEmpty() || templates.size() != names.size())
        return -1;
    const int sum = componentSum(currentBackground);
    if (dark ? sum < kDarkAppearanceMinimum : sum > kLightAppearanceMaximum)
        return -1;
    for (qsizetype i = 0; i < templates.size(); ++i) {
        const std::shared_ptr<ThemeColor> &theme = templates[i];
        if (!theme || names[i].isEmpty()) {
            REPORT_FATAL();
            continue;
        }
        const platform::Color background = theme->PelkoSourceTextBackground();
        if (!background.isValid())
            continue;
        const int candidate = componentSum(background);
        if (dark ? candidate <= kDarkTemplateMaximum : candidate >= kLightTemplateMinimum)
            return int(i);
    }
    return -1;
}

void ValidateThemeBaseOnCurrentMacDarkModeValue()
{
    GUARD_BEGIN
    const bool dark = GetIsDarkMode();
    gAppSetting.bIsDarkMode = dark ? 1 : 0;
    if (!IsDarkModeSupported() || gAppSetting.bThemeIsCustomByUser == 1)
        return;
    const std::shared_ptr<ThemeColor> current = ThemeColor::getCurrent();
    if (!current || !current->PelkoSourceTextBackground().isValid())
        return;
    QList<std::shared_ptr<ThemeColor>> templates;
    QStringList names;
    GetApp_Color_ThemeTemplate_ThemeColor_List(&templates, &names);
    const int chosen =
        ChooseTemplateForAppearance(dark, current->PelkoSourceTextBackground(), templates, names);
    if (chosen < 0)
        return;
    ThemeColor::setCurrentTheme(templates[chosen]->copy());
    GUARD_END_VOID
}
