#pragma once
// Light or dark appearance, and the controls that follow it.

#include <QCursor>
#include <functional>

#include "platform/Color.h"

class QObject;

// True when the application palette's window colour is dark (lightness below 0.5).
bool IsApplicationPaletteDark();
// The dark state the application works with: the probe set by the themes (their appearance
// detection with its cache) when there is one, else the palette test above.
bool CurrentAppearanceIsDark();
// nullptr restores the palette test.
void SetAppearanceProbe(std::function<bool()> probe);
// Every supported system has a dark appearance.
bool IsDarkModeSupported();
// The I-beam for light backgrounds (white, or a colour within 0.5 of white), else a white I-beam
// made once.
QCursor GetTextBeamCursorBaseOnBackGroundColor(const platform::Color &background);

// Applies the record's spelling flags to a text editor (for a window: its focus widget). Qt's
// editors have no spell checker, so the flags are kept as properties "continuousSpellChecking",
// "grammarChecking" and "automaticSpellingCorrection" and nothing else changes.
void UpdateCurrentTextSpellingSettingForWindowOrControl(QObject *windowOrControl);
