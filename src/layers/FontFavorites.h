#pragma once
// The favourite fonts: installed family names, most recent first, at most 30, kept under the
// user default "gFontFavorite" (one string joined by "{_sEp_Pelko_}").

#include <QString>
#include <QStringList>

inline constexpr int kMaxFontFavorites = 30;

// Moves an installed font to the front of the list (adding it when new), adds the installed
// "Helvetica" when the list lacks it, keeps the first 30, and stores the list. Nothing for an
// empty name or one starting with "."; a font that is not installed is reported.
void FontFavorite_Register(const QString &fontName);
// The list, read from the user defaults on first use.
QStringList FontFavorite_List();
// Forgets the list read, so the next use reads it again (as a new run would; tests).
void FontFavorite_Forget();
