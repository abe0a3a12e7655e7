#include "platform/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

std::function<Color(SystemColor)> &colorHook()
{
    static std::function<Color(SystemColor)> hook;
    return hook;
}

std::function<QString()> &appearanceHook()
{
    static std::function<QString()> hook;
    return hook;
}

Color bytes(int r, int g, int b)
{
    return Color::calibratedRGB(r / 255.0, g / 255.0, b / 255.0, 1.0);
}

bool hasGuiApplication()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

// The palette role and group that stand for a user-interface colour.
bool paletteRole(SystemColor which, QPalette::ColorGroup &group, QPalette::ColorRole &role)
{
    group = QPalette::Active;
    switch (which) {
    case SystemColor::Text:
        role = QPalette::Text;
        return true;
    case SystemColor::TextBackground:
    case SystemColor::ControlBackground:
        role = QPalette::Base;
        return true;
    case SystemColor::Label:
        role = QPalette::WindowText;
        return true;
    case SystemColor::SecondaryLabel:
        role = QPalette::PlaceholderText;
        return true;
    case SystemColor::WindowBackground:
        role = QPalette::Window;
        return true;
    case SystemColor::ControlText:
        role = QPalette::ButtonText;
        return true;
    case SystemColor::Control:
        role = QPalette::Button;
        return true;
    case SystemColor::DisabledControlText:
        group = QPalette::Disabled;
        role = QPalette::ButtonText;
        return true;
    case SystemColor::SelectedText:
        role = QPalette::HighlightedText;
        return true;
    case SystemColor::SelectedTextBackground:
    case SystemColor::KeyboardFocusIndicator:
        role = QPalette::Highlight;
        return true;
    case SystemColor::Grid:
        role = QPalette::Mid;
        return true;
    case SystemColor::Link:
        role = QPalette::Link;
        return true;
    default:
        return false;
    }
}

} // namespace

Color systemColor(SystemColor which)
{
    if (colorHook()) {
        const Color c = colorHook()(which);
        if (c.isValid())
            return c;
    }
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (!paletteRole(which, group, role) || !hasGuiApplication())
        return Color();
    return Color::fromQColor(QGuiApplication::palette().color(group, role));
}

Color systemColorFallback(SystemColor which)
{
    switch (which) {
    case SystemColor::Red:
        return bytes(251, 32, 37);
    case SystemColor::Green:
        return bytes(40, 199, 50);
    case SystemColor::Blue:
        return bytes(10, 95, 254);
    case SystemColor::Orange:
        return bytes(252, 129, 8);
    case SystemColor::Yellow:
        return bytes(253, 194, 9);
    case SystemColor::Brown:
        return bytes(144, 113, 75);
    case SystemColor::Pink:
        return bytes(251, 12, 67);
    case SystemColor::Purple:
        return bytes(157, 51, 213);
    case SystemColor::Gray:
        return bytes(123, 123, 128);
    case SystemColor::Text:
    case SystemColor::Label:
    case SystemColor::ControlText:
        return bytes(0, 0, 0);
    case SystemColor::SecondaryLabel:
        return bytes(128, 128, 128);
    case SystemColor::TextBackground:
    case SystemColor::ControlBackground:
    case SystemColor::Control:
    case SystemColor::SelectedText:
        return bytes(255, 255, 255);
    case SystemColor::WindowBackground:
        return bytes(236, 236, 236);
    case SystemColor::DisabledControlText:
        return bytes(160, 160, 160);
    case SystemColor::SelectedTextBackground:
    case SystemColor::KeyboardFocusIndicator:
        return bytes(48, 140, 198);
    case SystemColor::Grid:
        return bytes(204, 204, 204);
    case SystemColor::Link:
        return bytes(0, 104, 218);
    }
    return bytes(255, 255, 255);
}

Color systemColorOrFallback(SystemColor which)
{
    const Color c = systemColor(which);
    return c.isValid() ? c : systemColorFallback(which);
}

void setSystemColorHook(std::function<Color(SystemColor)> hook)
{
    colorHook() = std::move(hook);
}

QString effectiveAppearanceName()
{
    if (appearanceHook())
        return appearanceHook()();
    if (!hasGuiApplication())
        return QString();
    const QColor window = QGuiApplication::palette().color(QPalette::Active, QPalette::Window);
    return window.lightnessF() < 0.5 ? AppearanceNameDark : AppearanceNameLight;
}

void setAppearanceNameHook(std::function<QString()> hook)
{
    appearanceHook() = std::move(hook);
}

} // namespace platform
