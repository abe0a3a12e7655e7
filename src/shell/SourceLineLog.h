#pragma once
// A log line that names where it was written: "(file.cpp:42) message", the file by its last path
// component. A null file counts as an empty name; an empty message logs nothing.

#include <QString>

void LogWithSourceLine(const char *file, int line, const QString &message);
