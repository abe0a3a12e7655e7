#include "services/Colors.h"

#include "platform/Guard.h"
#include "services/AppSetting.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

platform::Color rgbBytes(int r, int g, int b)
{
    return platform::Color::calibratedRGB(r / 255.0, g / 255.0, b / 255.0, 1.0);
}

platform::Color statusColor(quint64 word, const platform::Color &light, const platform::Color &dark)
{
    if (word != 0 && word <= kNoColorWord)
        return ColorFromHexColor(word);
    return gAppSetting.bIsDarkMode ? dark : light;
}

} // namespace

double GetColorAlpha(const platform::Color &color)
{
    if (!color.isValid())
        return 1.0;
    return std::min(1.0, static_cast<double>(GetHexColor(color) & 0xFF) / 255.0);
}

platform::Color GetColor_DiffChanged()
{
    return statusColor(gAppSetting.compare_COLOR_DIFF, platform::Color::red(),
                       rgbBytes(255, 69, 58));
}

platform::Color GetColor_DiffStatus2()
{
    return statusColor(gAppSetting.compare_COLOR_UNKNOWN, platform::Color::magenta(),
                       rgbBytes(191, 90, 242));
}

platform::Color GetColor_DiffStatus3()
{
    return statusColor(gAppSetting.compare_COLOR_ONLY1, platform::Color::orange(),
                       rgbBytes(255, 159, 10));
}

platform::Color GetColor_DiffStatus4()
{
    return statusColor(gAppSetting.compare_COLOR_ONLY2, platform::Color::green(),
                       rgbBytes(48, 209, 88));
}

platform::Color GetColor_DiffSame()
{
    // "Same" is drawn in the ordinary text colour of the appearance.
    return statusColor(gAppSetting.compare_COLOR_SAME, platform::Color::black(),
                       platform::Color::white());
}
