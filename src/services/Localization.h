#pragma once
// Localisation of user-visible English texts.
//
// A key may carry markers: "{*app*}" becomes the application's name; a key split by "{**}" into
// 2 to 6 pieces is a format and its arguments, each piece localised and the format filled in one
// pass (an argument holding "%@" or "%1" is never substituted again); a key split by "{++}" is
// localised piece by piece and joined. Arguments are often user data (paths, names): one is
// translated only when it is a whole key of the table and holds no "/"; "{*app*}" in an argument
// without "/" becomes the application's name, and a path keeps every marker as it is.
//
// Translations come from the enciphered table "0_en_DidadEzi.mopo" in the bundle: a property list
// { language code : { English text : translation } }. English keys without a translation pass
// through unchanged.

#include <QString>
#include <QStringList>

class QObject;

inline constexpr const char *kLocalizationTableName = "0_en_DidadEzi.mopo";
inline constexpr const char *kAppDisplayName = "Pelko Merge";

// The localised text; "" for a null or empty key.
QString L_(const QString &english);

// A sentence holding a count: the localised singular key when n is 1, else the localised plural
// key; "%1" in either becomes n.
QString L_Count(qint64 n, const QString &singular, const QString &plural);

// Fills "%@", "%N$@", "%d", "%ld", ... with the arguments in one pass over the format, so text
// taken from an argument is never read as a format again. "%%" is a percent sign.
QString FillFormat(const QString &format, const QStringList &args);

// Walks a window, widget, menu or action with everything below it and replaces each visible text
// (titles, labels, buttons, tool tips, placeholders, menus, tabs, table headers) by its
// translation. Texts the user typed (line edits, text views, editable combo boxes) stay as they
// are.
void LocalizeAllControlsInViewOrWindow(QObject *object);

// The language's own name for itself, capitalised; else an English name; else the code itself.
// "" for an empty code.
QString GetLanguageName(const QString &code);

// The language codes the translation table holds, plus "en".
QStringList GetAvailableLocalizations();

// Loads a translation table file; false (and the current table kept) when it is missing or
// malformed. Called on first use with the bundle's table.
bool LoadLocalizationTable(const QString &path);
// Forgets the table (tests; the next L_ loads the bundle's table again).
void ResetLocalizationTable();
// The language L_ translates into: the settings record's interface language when set, else the
// system locale. An explicit code overrides both (null restores the automatic choice).
QString CurrentLocalizationLanguage();
void SetLocalizationLanguage(const QString &code);
