#pragma once
// The head of a compared file as Quick Preview shows it: the first 4 MB as text, with one line of
// text per line that diff counts, so that the differences diff finds mark the lines they name.

#include "platform/UniqueFd.h"

#include <QString>

struct PreviewHead
{
    QString text;
    bool read = false;   // false: not a regular file, or it could not be opened
    bool binary = false; // a NUL byte near the start: no text to show
    qint64 size = -1;    // the whole file's
};

inline constexpr qint64 kPreviewHeadBytes = 4 * 1024 * 1024;

// Reads the file at path (the file system's bytes, platform/LocalPath), judged by the descriptor
// it reads: only a regular file is read, and a pipe put in its place never blocks the reader.
// diff ends a line at "\n" alone; the characters a text view also breaks at (a carriage return
// not followed by "\n", U+2029 and the two block markers) are shown as visible marks instead.
PreviewHead ReadPreviewHead(const QString &path);
// The same from a regular file already opened and judged (taken over and closed).
PreviewHead ReadOpenPreviewHead(platform::UniqueFd file);
