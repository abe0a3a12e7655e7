#pragma once
// A built-in colour theme follows the light or dark appearance: when the current background no
// longer suits it, the first template theme that does becomes current. A theme the user made
// is never replaced.

#include <QList>
#include <QStringList>
#include <memory>

#include "platform/Color.h"

class ThemeColor;

// The template that replaces a theme with this background under the appearance: its index in
// the lists, or -1 when the theme stays (the background suits, or no template does). Entries
// that are no theme or have no name are reported and skipped.
int ChooseTemplateForAppearance(bool dark, const platform::Color &currentBackground,
                                const QList<std::shared_ptr<ThemeColor>> &templates,
                                const QStringList &names);

// Stores the appearance in the settings record, then swaps the current theme as above unless
// it is the user's own.
void ValidateThemeBaseOnCurrentMacDarkModeValue();
