#pragma once
// The storage conventions of the user defaults: defaults written only when the key holds
// nothing, colours as archived colour data, string lists joined into one string.

#include "platform/Color.h"
#include "platform/UserDefaults.h"

#include <QStringList>

// The separator of a string list stored as one string.
inline const QString kStringArraySeparator = QStringLiteral("{_sEp_Pelko_}");

// Write only when the key holds no object, so a stored value is never overwritten. A null
// string is stored as ""; an empty key is ignored.
void setDefaultString(platform::UserDefaults &self, const QString &value, const QString &key);
void setDefaultDouble(platform::UserDefaults &self, double value, const QString &key);
void setDefaultInt(platform::UserDefaults &self, qint64 value, const QString &key);

// Stores the colour as archived colour data; nothing for an invalid colour or an empty key.
void setColor(platform::UserDefaults &self, const platform::Color &color, const QString &key);
// The colour stored under the key; invalid when nothing or no colour is stored there.
platform::Color colorForKey(const platform::UserDefaults &self, const QString &key);

// Stores the list as one string joined by kStringArraySeparator. Per item: trimmed when asked,
// skipped when empty and empty items are to be removed, lower-cased when asked, skipped when
// already present and duplicates are to be removed.
void setStringArray2(platform::UserDefaults &self, const QStringList &list, const QString &key,
                     bool bNeedRemoveDouble, bool bTrim, bool bToLowerCase, bool bRemoveEmpty);
// The list stored by setStringArray2 (empty pieces dropped); empty when the key holds no string.
QStringList getStringArray2(const platform::UserDefaults &self, const QString &key);
