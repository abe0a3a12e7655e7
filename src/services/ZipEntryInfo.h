#pragma once
// What the unpacker and the zip reader both make of an entry's central-directory record.

#include <QDateTime>

struct tm_unz_s;

// The Unix file type (S_IFMT bits) of the entry's external attributes, 0 when the archive holds
// none.
unsigned unixFileType(quint64 externalAttributes);

// The entry's broken-down DOS date in local time; null when any field is impossible (month 0,
// day 31 of a 30-day month, second 60 and above).
QDateTime entryTime(const tm_unz_s &t);
