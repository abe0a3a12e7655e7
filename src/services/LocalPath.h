#pragma once
// Paths as text that keep every byte of the file system's name. Linux names are bytes; most are
// UTF-8, some are not (names made in Latin-1 or Shift_JIS times). A byte that is not part of valid
// UTF-8 becomes one of the code points U+DC80..U+DCFF, which valid UTF-8 never decodes to, so the
// text converts back to exactly the bytes it came from. Such a code point shows as a replacement
// mark; CompItem_DisplayName gives the readable form.

#include <QByteArray>
#include <QString>

QString LocalPath_FromBytes(const QByteArray &bytes);
QByteArray LocalPath_ToBytes(const QString &path);
