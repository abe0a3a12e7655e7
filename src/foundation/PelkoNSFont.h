#pragma once
// Font variants and lookups through the font database.

#include <QFont>
#include <QString>
#include <optional>

// The font with the bold (or italic) trait set or cleared, its size kept; nullopt when the
// family has no such face.
std::optional<QFont> fontWithFontBold(const QFont &font, bool bold);
std::optional<QFont> fontWithFontItalic(const QFont &font, bool italic);
// The named family at the given font's point size (a size below 0.9 counts as 12); falls back to
// the given font's family, then "Helvetica", then the system font, at that size.
QFont fontWithFont(const QFont &font, const QString &name);
// The given font at another size (a size of 0 or less, or not a number, counts as 12); falls
// back to "Helvetica", then the system font, when the font's family is not installed.
QFont fontWithFont(const QFont &font, double size);

// Whether the face the font resolves to is bold (or italic).
bool bold(const QFont &font);
bool italic(const QFont &font);

// A font's name is the face it resolves to: the family for the face the family name alone gives
// (its regular face), else the family, "-" and the style as the font database lists it
// ("DejaVu Sans-Bold", "C059 [UKWN]-Bold").
QString fontName(const QFont &font);
// The installed font a name (as fontName gives it, or a family) names, at the size; none when the
// name names no installed font.
std::optional<QFont> installedFont(const QString &name, double size);
