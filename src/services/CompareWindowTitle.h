#pragma once
// The title of a compare window, in one style for the text, image and folder windows: the names
// of the two sides, "[a.txt] and [b.txt]"; the name of the one side that has one; for two files
// of the same name (a pair from a folder compare) the name once with both sizes; "Untitled" when
// neither side has a name. The desktop adds the application's name after it.

#include <QString>

enum class CompareTitleKind {
    Files,   // two files: equal names are told apart by their sizes
    Folders, // two folders: always both names
};

// size1 and size2, when not negative, are the sizes to show of files the caller holds open, so
// that the title tells of the files shown rather than of what their names lead to now.
QString CompareWindowTitle(const QString &path1, const QString &path2,
                           CompareTitleKind kind = CompareTitleKind::Files, qint64 size1 = -1,
                           qint64 size2 = -1);
