#pragma once
// Bundle archives (zipped syntax languages, zipped colour themes) unpacked into the support
// folder.

#include <QString>

// Makes a support sub-folder hold the files of a bundle archive. A folder with more than 5
// entries is used as it is. Otherwise the archive is checked and unpacked into a temporary
// folder first, and only then are its files added to the folder, replacing files of the same
// name; other files (the user's imported definitions) stay. False, with the folder untouched,
// when the archive is missing or damaged.
bool InstallBundleArchiveIntoFolder(const QString &archivePath, const QString &folder);
