#pragma once
// Opens an image compare window for two files.

#include <QString>

class MergeImageWindCtr;

// Creates the window and shows both files; the controller frees itself when its window closes.
// nullptr when the window could not be made.
MergeImageWindCtr *OpenImageCompareWindowController(const QString &left, const QString &right);
