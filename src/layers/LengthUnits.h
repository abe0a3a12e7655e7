#pragma once
// Lengths typed by the user turned into internal values and back into display texts, in the unit
// named by the settings record: decimal units ("pt", "cm") or feet and inches written with the
// foot mark (') and the inch mark ("), inches as binary fractions. Beside them: trimmed number
// texts, the nearest binary fraction, sums of fractions, and byte-size texts.
//
// Every number is read and written in the C locale (a point as the decimal separator, whatever
// the user's locale); conversions of huge or undefined values to integers saturate.

#include <QString>
#include <QtGlobal>

struct AppSetting;

// Typed length to internal value (text times the unit factor); 0 for nothing readable.
double InputStringToLenValue(const QString &text);
// Internal value to display text in the settings unit, with the unit name appended (no space)
// when withUnit is set.
QString LenValueToShowString(double value, bool withUnit);
// "5' 6\"", "5 feet 6 inches", "5'6" and the like to decimal feet (5.5).
double FeetInchStringParse_to_FeetDecima(const QString &text);
// Decimal feet to text with the foot and inch marks (5.5 gives 5' 6").
QString FeetDecimal_to_FeetInchStringParse(double feet);
// The value in the record's unit (nullptr: the global record); feet-like names give feet and
// inches written with marks that follow the name ("5ft 6in", "5feet 6inches").
QString LenValueToUnitString_WithSetting(const AppSetting *setting, double value);
QString LenValueToUnitString(double value);
// A sum of whole numbers and fractions: "1 1/2" gives 1.5, "-2 1/4" gives -2.25.
double ParseStringToFloatWithDivideChar(const QString &text);
// Whole part and nearest binary fraction: 1.5 gives "1 1/2", 0.3 gives "19/64".
QString GetFractionString(double value);
// The value formatted by a printf format holding exactly one floating-point conversion (any other
// format is replaced by "%5.4f"), without trailing zeros or a trailing point; "-0" gives "0".
QString FloatToTrimmedString(const QString &format, double value);
QString FloatToShortString(double value);
// Snaps a value of magnitude 0.9 or more to the nearest whole number, or half, within tolerance.
void SnapToWholeOrHalf(double *value, float tolerance);
// The settings unit means feet. The verdict is cached until ResetFeetUnitCache().
bool IsFeetUnit();
void ResetFeetUnitCache();
// A unit name that means feet: begins with "fe", "ft", "fo" (any case) or "'".
bool IsFeetUnitName(const QString &name);
// "1.5 MB" to 1500000 bytes (powers of 1000), "2048" to 2048; display (may be null) gets the
// normalised text ("1.5 MB", "2048 B").
qint64 ParseByteSizeString(const QString &text, QString *display);
// The superscript two of square units.
QString GetSuperscriptTwoString();

// Leading numbers of a text, read as the original platform's string values did: white space
// skipped, an optional sign, digits with an optional fraction and exponent; 0 when the text does
// not begin with a number. Out-of-range values saturate.
float LeadingFloatValue(const QString &text);
double LeadingDoubleValue(const QString &text);
qint64 LeadingLongLongValue(const QString &text);
