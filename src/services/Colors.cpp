#include "services/Colors.h"

#include "platform/Guard.h"
#include "services/AppSetting.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

enum StatusWell { WellChanged, WellNotJudged, WellLeftOnly, WellRightOnly, WellSame };

platform::Color rgbBytes(int r, int g, int b)
{
    return platform::Color::calibratedRGB(r / 255.0, g / 255.0, b / 255.0, 1.0);
}

// The record's word of a well. The record is packed: each field is read by its name.
quint64 wordOf(int well)
{
    switch (well) {
    case WellChanged:
        return gAppSetting.compare_COLOR_DIFF;
    case WellNotJudged:
        return gAppSetting.compare_COLOR_UNKNOWN;
    case WellLeftOnly:
        return gAppSetting.compare_COLOR_ONLY1;
    case WellRightOnly:
        return gAppSetting.compare_COLOR_ONLY2;
    default:
        return gAppSetting.compare_COLOR_SAME;
    }
}

platform::Color builtIn(int well)
{
    const bool dark = gAppSetting.bIsDarkMode != 0;
    switch (well) {
    case WellChanged:
        return dark ? rgbBytes(255, 69, 58) : platform::Color::red();
    case WellNotJudged:
        return dark ? rgbBytes(191, 90, 242) : platform::Color::magenta();
    case WellLeftOnly:
        return dark ? rgbBytes(255, 159, 10) : platform::Color::orange();
    case WellRightOnly:
        return dark ? rgbBytes(48, 209, 88) : platform::Color::green();
    default:
        // "Same" is drawn in the ordinary text colour of the appearance.
        return dark ? platform::Color::white() : platform::Color::black();
    }
}

platform::Color statusColor(int well)
{
    // The wells keep their colours while the defaults are in use, for when they are turned off.
    return gAppSetting.compare_FileList_bUseDefaultColor != 0 ? builtIn(well)
                                                              : GetStatusWellColor(well);
}

} // namespace

double GetColorAlpha(const platform::Color &color)
{
    if (!color.isValid())
        return 1.0;
    return std::min(1.0, static_cast<double>(GetHexColor(color) & 0xFF) / 255.0);
}

platform::Color GetStatusWellColor(int well)
{
    const quint64 word = wordOf(well);
    if (word != 0 && word <= kNoColorWord)
        return ColorFromHexColor(word);
    return builtIn(well);
}

platform::Color GetColor_DiffChanged()
{
    return statusColor(WellChanged);
}

platform::Color GetColor_DiffStatus2()
{
    return statusColor(WellNotJudged);
}

platform::Color GetColor_DiffStatus3()
{
    return statusColor(WellLeftOnly);
}

platform::Color GetColor_DiffStatus4()
{
    return statusColor(WellRightOnly);
}

platform::Color GetColor_DiffSame()
{
    return statusColor(WellSame);
}
