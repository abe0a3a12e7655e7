#pragma once
#include <functional>

class QObject;

// Whether the desktop runs in the dark appearance, learnt once and kept until the appearance
// changes (the application palette or theme change event calls ResetDarkModeCache).

// Answers from the cache, or asks: the application's appearance (the palette's window colour),
// then the hidden probe panel, then "AppleInterfaceStyle" of the user defaults.
bool GetIsDarkMode();
// Forgets the cached answer; the next GetIsDarkMode asks again.
void ResetDarkModeCache();
// Paints the probe panel off screen and reads its answer: true when it gave one; *outDark is -1
// before, then 1 for dark or 0 for light.
bool GetIsDarkModeViaDialog(int *outDark);

// The cache: -1 not known, 0 light, 1 dark (for tests and diagnostics).
int DarkModeCacheValue();

// Calls onChange once after each change of the application palette or of the desktop theme (the
// appearance-change notification), for as long as context lives. Changes that arrive together
// are announced once.
void ObserveAppearanceChange(QObject *context, std::function<void()> onChange);

// Makes GetIsDarkMode the one dark-appearance answer of the process: the services ask it (through
// their appearance probe) instead of testing the palette on their own, and every appearance
// change forgets the cached answer and stores the new one in the settings record. Called once at
// start-up, before the settings record is read; context is the application object.
void UseDarkModeDetection(QObject *context);
