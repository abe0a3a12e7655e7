#include "services/ZipEntryInfo.h"

#include <minizip/unzip.h>
#include <sys/stat.h>

unsigned unixFileType(quint64 externalAttributes)
{
    return unsigned(externalAttributes >> 16) & S_IFMT;
}

QDateTime entryTime(const tm_unz_s &t)
{
    // The fields are unsigned: month 0 arrives as 2^32 - 1, which must not wrap back into range.
    const auto inRange = [](uInt v, uInt lo, uInt hi) { return v >= lo && v <= hi; };
    if (!inRange(t.tm_year, 1, 9999) || !inRange(t.tm_mon, 0, 11) || !inRange(t.tm_mday, 1, 31) ||
        !inRange(t.tm_hour, 0, 23) || !inRange(t.tm_min, 0, 59) || !inRange(t.tm_sec, 0, 59))
        return QDateTime();
    const QDate date(int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday));
    if (!date.isValid())
        return QDateTime();
    return QDateTime(date, QTime(int(t.tm_hour), int(t.tm_min), int(t.tm_sec)));
}
