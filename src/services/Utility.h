#pragma once
// Small text, number and debug helpers shared by every part of the application.

#include <QString>
#include <QVariantList>
#include <QtGlobal>

#include "platform/Range.h"

class QInputEvent;

// Decimal text with grouping separators ("1,234,567").
QString GetDecimalReadStringFromInt(qint64 value);
// The first character of a key event ignoring modifiers; 0 for none.
char16_t GetKeyCharFromEvent(const QInputEvent *event);
// Index of the first occurrence (case counts); -1 when absent or either is empty.
qint64 FindStringIndex(const QString &string, const QString &sub);
// True when null, empty, or every UTF-16 unit is below 256.
bool IsStringAllBelow256(const QString &string);
// C string (UTF-8) to string; NULL or empty gives "".
QString ToNSStringUTF8(const char *cString);
QString NSStringFromUTF8CString(const char *cString);

// Zero-terminated UTF-16 strings.
qint64 UniString_Length(const char16_t *s);
int UniString_Compare(const char16_t *a, const char16_t *b, bool noCase);
bool UniString_HasPrefix(const char16_t *s, const char16_t *prefix, bool noCase);
// LF, FF, CR, U+2028, U+2029.
bool IsLineBreakChar(char16_t c);
// False (range set to {NotFound, 0}) for a length of NotFound, a null range, a location of
// NotFound or beyond the length, or a length of NotFound; else the range ends at most at length.
bool ClipRangeToLength(Range *range, qint64 length);

// lo + (hi - lo) / 900000 * ((seconds since 1970 + random()) mod 900000); lo when lo >= hi or
// hi - lo <= 1e-12.
double GetRandomDouble(double lo, double hi);
// (random() + seconds since 1970) mod n, n = 0 taken as 1.
quint64 GetRandomNumber(quint64 n);

// "[\n\t0\t=\t<item>\n...]" for debug output; "[]" for an empty list.
QString DescriptionOfArray_Indexed(const QVariantList &array);
