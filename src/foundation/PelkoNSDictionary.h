#pragma once
// Dictionaries from property-list text.

#include <QString>
#include <QVariantMap>
#include <optional>

// The dictionary that the property-list text holds; nullopt for empty
// text, text that does not parse, or a property list whose root is not a dictionary.
std::optional<QVariantMap> dictionaryWithContents(const QString &text);
