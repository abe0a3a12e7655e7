#pragma once
// The desktop's named colours. Roles of the user interface (text, window background, selection)
// come from the application palette, so they follow a light or dark palette; the named hues
// (red, green, ...) are not offered by Linux desktops and answer an invalid colour unless a hook
// provides them. The fixed light-appearance values stand by for both.

#include <QString>
#include <functional>

#include "platform/Color.h"

namespace platform {

enum class SystemColor {
    // Named hues.
    Red,
    Green,
    Blue,
    Orange,
    Yellow,
    Brown,
    Pink,
    Purple,
    Gray,
    // Roles of the user interface.
    Text,
    TextBackground,
    Label,
    SecondaryLabel,
    WindowBackground,
    ControlText,
    Control,
    ControlBackground,
    DisabledControlText,
    SelectedText,
    SelectedTextBackground,
    Grid,
    Link,
    KeyboardFocusIndicator,
};

// The desktop's colour; invalid when the desktop has none (named hues, or no GUI application).
Color systemColor(SystemColor which);
// The fixed value of the light appearance, calibrated RGB, opaque.
Color systemColorFallback(SystemColor which);
// systemColor when valid, else the fallback.
Color systemColorOrFallback(SystemColor which);
// Tests and desktop integrations may answer colours (an invalid answer defers to the palette).
void setSystemColorHook(std::function<Color(SystemColor)> hook);

// The application's appearance: AppearanceNameDark when the palette's window colour is dark,
// else AppearanceNameLight; a null string without a GUI application.
inline const QString AppearanceNameDark = QStringLiteral("Dark");
inline const QString AppearanceNameLight = QStringLiteral("Light");
QString effectiveAppearanceName();
// Replaces the answer of effectiveAppearanceName (tests); nullptr restores the palette.
void setAppearanceNameHook(std::function<QString()> hook);

// Shorthands for the roles asked for most.
inline Color textColor()
{
    return systemColorOrFallback(SystemColor::Text);
}
inline Color labelColor()
{
    return systemColorOrFallback(SystemColor::Label);
}
inline Color windowBackgroundColor()
{
    return systemColorOrFallback(SystemColor::WindowBackground);
}
inline Color textBackgroundColor()
{
    return systemColorOrFallback(SystemColor::TextBackground);
}
inline Color controlTextColor()
{
    return systemColorOrFallback(SystemColor::ControlText);
}
inline Color systemGrayColor()
{
    return systemColorOrFallback(SystemColor::Gray);
}

} // namespace platform
