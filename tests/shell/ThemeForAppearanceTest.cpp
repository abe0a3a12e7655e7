// A built-in theme follows the appearance: which template replaces which background.
#include "graphics/PelkoNSColor.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"
#include "shell/ThemeForAppearance.h"
#include "themes/DarkMode.h"
#include "themes/ThemeColor.h"

#include <gtest/gtest.h>

namespace {

// A colour whose red, green and blue bytes sum to `sum` (spread evenly).
platform::Color grey(int sum)
{
    const int r = sum / 3, g = (sum - r) / 2, b = sum - r - g;
    return platform::Color::deviceRGB(r / 255.0, g / 255.0, b / 255.0);
}

int sum(const platform::Color &c)
{
    const PIXEL p = toPixel(c);
    return int(p & 0xFF) + int((p >> 8) & 0xFF) + int((p >> 16) & 0xFF);
}

std::shared_ptr<ThemeColor> themeWithBackground(const platform::Color &background)
{
    auto theme = ThemeColor::create();
    theme->setPelkoSourceTextBackground(background);
    return theme;
}

TEST(ThemeForAppearance, TheFirstSuitingTemplateReplacesABackgroundThatNoLongerSuits)
{
    // Templates: light (765), near-black (26), black (0), light (739), a missing entry.
    const QList<std::shared_ptr<ThemeColor>> templates{
        themeWithBackground(grey(765)), themeWithBackground(grey(27)),
        themeWithBackground(grey(26)), themeWithBackground(grey(739)),
        themeWithBackground(grey(0))};
    const QStringList names{QStringLiteral("Paper"), QStringLiteral("Dusk"),
                            QStringLiteral("Night"), QStringLiteral("Linen"),
                            QStringLiteral("Ink")};
    struct Row
    {
        const char *name;
        bool dark;
        int backgroundSum;
        int expected;
    };
    const Row rows[] = {
        {"dark appearance, white background", true, 765, 2},
        {"dark appearance, background at 391", true, 391, 2},
        {"dark appearance, background at 390 stays", true, 390, -1},
        {"dark appearance, background at 385 stays", true, 385, -1},
        {"light appearance, background at 385 stays", false, 385, -1},
        {"light appearance, background at 382 stays", false, 382, -1},
        {"light appearance, background at 381", false, 381, 0},
        {"light appearance, black background", false, 0, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ChooseTemplateForAppearance(row.dark, grey(row.backgroundSum), templates, names),
                  row.expected);
    }
}

TEST(ThemeForAppearance, MalformedTemplateListsChangeNothingOrAreSkipped)
{
    const QList<std::shared_ptr<ThemeColor>> lights{themeWithBackground(grey(765))};
    const QStringList one{QStringLiteral("Paper")};
    // No template dark enough.
    EXPECT_EQ(ChooseTemplateForAppearance(true, grey(765), lights, one), -1);
    // Lists of different lengths, or empty.
    EXPECT_EQ(ChooseTemplateForAppearance(false, grey(0), lights, {}), -1);
    EXPECT_EQ(ChooseTemplateForAppearance(false, grey(0), {}, {}), -1);
    // No current background.
    EXPECT_EQ(ChooseTemplateForAppearance(false, platform::Color(), lights, one), -1);
    // An entry that is no theme, or has no name, is skipped.
    const QList<std::shared_ptr<ThemeColor>> withHoles{nullptr, themeWithBackground(grey(765)),
                                                       themeWithBackground(grey(760))};
    const QStringList names{QStringLiteral("A"), QString(), QStringLiteral("C")};
    EXPECT_EQ(ChooseTemplateForAppearance(false, grey(0), withHoles, names), 2);
}

TEST(ThemeForAppearance, TheUsersOwnThemeStaysAndABuiltInOneFollows)
{
    AppSetting_SetDefault(&gAppSetting);
    // The shipped templates, unpacked from the build's bundle.
    ASSERT_TRUE(PrepareSupportFolder(pelkotest::freshDir(QStringLiteral("themes")) +
                                     QStringLiteral("/support")));
    SetBundleResourceFolder(pelkotest::binaryDir() + QStringLiteral("/Resources"));
    ResetThemeTemplateCache();
    ResetCurrentThemeCache();
    ThemeColor::setCurrentTheme(themeWithBackground(grey(0)));
    gAppSetting.bThemeIsCustomByUser = 1;
    gAppSetting.bIsDarkMode = 7;
    ValidateThemeBaseOnCurrentMacDarkModeValue();
    // Only the appearance byte changes.
    EXPECT_EQ(gAppSetting.bIsDarkMode, GetIsDarkMode() ? 1 : 0);
    EXPECT_EQ(sum(ThemeColor::getCurrent()->PelkoSourceTextBackground()), 0);

    // Built in, under the light appearance of the tests: the first light template replaces it.
    ASSERT_FALSE(GetIsDarkMode());
    gAppSetting.bThemeIsCustomByUser = 0;
    ValidateThemeBaseOnCurrentMacDarkModeValue();
    EXPECT_GE(sum(ThemeColor::getCurrent()->PelkoSourceTextBackground()), 739);
    ThemeColor::restoreToDefault();
    ResetThemeTemplateCache();
    SetBundleResourceFolder(QString());
}

} // namespace
