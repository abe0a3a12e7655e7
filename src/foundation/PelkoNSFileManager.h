#pragma once
// Folder listings as the file manager gives them.

#include <QString>
#include <QStringList>

// The entry names of one folder (not recursive), unsorted, without "." and "..", empty names and
// names that are not valid UTF-8; other names that begin with a dot stay. Empty, with a message
// in *error when one is given, when the folder cannot be read.
QStringList contentsOfDirectoryAtPath2(const QString &path, QString *error = nullptr);
