#pragma once
// Saved items: files and folders in the support folder's "save" folder named with a three-digit
// order, a kind letter and a display name ("007FNotes"). Kinds: "G" a folder of items, "A" a
// file holding the path of an application bundle (a folder ending in ".app"), "E" a file holding
// the path of another folder, "F" a file holding the path of a file. Older items have a space in
// place of the letter ("007 Notes").

#include <QString>

// Runs RefixSaveItemName on the "save" folder once for all runs (the user default
// "RefixSaveItemNameInSaveFolderV11" remembers it).
void RefixSaveItemNames();
// Gives items of the older form their kind letter, depth first. Folder links are not entered,
// only the first 64 KiB of a regular file are read, and no item is renamed over another. The
// "save" folder itself keeps its name.
void RefixSaveItemName(const QString &path);

// The name from index 4 on when the last component has at least 5 characters and starts with
// three digits; null otherwise.
QString GetSaveItemDisplayName(const QString &path);
// The first three characters as a number; -1 for a name shorter than 5.
int GetSaveItemOrder(const QString &name);
// The character at index 3 of the last component; "?" when that is shorter than 5.
char16_t GetSaveItemKindLetter(const QString &path);
