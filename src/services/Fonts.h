#pragma once
// Font names offered by the font pop-ups.

#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;

// The process-wide fallback font name: the installed family equal to "Helvetica" ignoring case,
// else the system's general font; recorded by the first GetAllFont.
extern QString gFallbackFontName;

// The installed font families; those named in the user default "gFontFavorite" (a string list,
// or one string joined by "{_sEp_Pelko_}") come first, in their stored order.
QStringList GetAllFont();
// Replaces the installed families that GetAllFont starts from (nullptr: the font database's).
void setInstalledFontFamiliesHook(std::function<QStringList()> hook);
// The first installed of the usual fixed-pitch names, else the system's fixed-pitch font; cached.
QString GetDefaultFixedFontName();
// Empties the combo box and adds one item per font name; with styled, each item is shown in its
// own font.
void SetupFontComboBox(QComboBox *combo, bool styled);
