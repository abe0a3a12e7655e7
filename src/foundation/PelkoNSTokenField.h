#pragma once
// Reading the tokens of a token field from its object value (a QVariantList or QStringList).

#include <QStringList>
#include <QVariant>

// The tokens as strings: elements that are not strings, or are empty (also once trimmed, when
// trimming is asked), are dropped; trimmed, lower-cased or upper-cased only when asked.
QStringList getValueStringsArray(const QVariant &objectValue, bool bMakeLower, bool bMakeUper,
                                 bool bMakeTrim);
// Trimmed and lower-cased tokens; empty when none remain.
QStringList getValueStringsArray_Trim_Lower(const QVariant &objectValue);
// Trimmed tokens with their letter case kept, for fields that hold regular expressions (lower
// case would change a pattern's meaning: "\S" is not "\s").
QStringList getValueStringsArray_Trim(const QVariant &objectValue);
