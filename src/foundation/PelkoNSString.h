#pragma once
// Helpers on strings and paths held in strings. A null QString stands for nil; every helper
// accepts it and answers its neutral value.

#include <QString>
#include <QUrl>
#include <memory>

// The English user-interface text localised (markers "{*app*}", "{**}", "{++}" included);
// "" for an empty text.
QString toLocalizeString(const QString &self);

// Literal, case-sensitive containment; false when either string is null or empty.
bool containsString2(const QString &self, const QString &s);
bool contain(const QString &self, const QString &s);
// Prefix test with both strings lower-cased; false for an empty prefix.
bool hasPrefixNoCase(const QString &self, const QString &prefix);

// The UTF-16 code unit at the index; 0 outside the string.
char16_t CHARAT(const QString &self, int index);
// The first UTF-16 code unit; 0 for an empty string.
char16_t firstChar(const QString &self);
// A one-character string; "" for the code unit 0.
QString stringWithUnichar(char16_t c);
// A zero-terminated UTF-16 copy (length + 1 units); nullptr for a null string.
std::unique_ptr<char16_t[]> copyToBuffer(const QString &self);

// The string without as many leading characters as s has (they are not compared); "" when the
// string is empty or not longer than s.
QString removePrefixWithLenStr(const QString &self, const QString &s);
// The last path component without its extension; "" for an empty path.
QString getFileNameNoExt(const QString &self);

bool isFileExist(const QString &self);
bool isFolderExist(const QString &self);
bool isFileOrFolderExist(const QString &self);
// The file URL of the path; an empty URL for an empty path.
QUrl getFileURL(const QString &self);

// MD5 of the UTF-8 bytes as 32 upper-case hex digits; "nullstr" for an empty text.
QString hash2(const QString &self);

// Writes the text as UTF-8 behind the mark EF BB BF, replacing the file; true on success. An
// empty text writes an empty file (no mark) and reports the broken precondition.
bool writeToFileUtf8(const QString &self, const QString &path);
// The file's text read as UTF-8 (a leading mark dropped); null for an empty path, a missing or
// unreadable file, or bytes that are not UTF-8.
QString stringWithContentsOfFileUtf8(const QString &path);
