#pragma once
// Cursors stored in files of our own format: the magic "PLKCURSR", a version (1), the hot spot
// (two doubles) and the length and bytes of a PNG picture, all big-endian. Anything else reads
// as no cursor.

#include "platform/Cursor.h"

#include <QByteArray>
#include <QString>

// Replaces the file only once it is completely written; true when it was.
bool writeToFile(const platform::Cursor &cursor, const QString &path);
// A null cursor for a missing, foreign or damaged file.
platform::Cursor readFromFile(const QString &path);

// The file format itself (the fuzz target reads bytes directly).
QByteArray CursorFileBytes(const platform::Cursor &cursor);
platform::Cursor CursorFromFileBytes(const QByteArray &bytes);
