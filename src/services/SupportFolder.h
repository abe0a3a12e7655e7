#pragma once
// The per-user support folder and the bundle's resource folder.

#include <QString>
#include <QStringList>

// <GenericDataLocation>/pelkomerge, made at start-up.
extern QString gSupportFolder;

// The sub-folders made at start-up.
QStringList SupportSubFolderNames();

// The support folder's path for this user, without making it.
QString DefaultSupportFolderPath();

// Sets gSupportFolder (from QStandardPaths when path is empty) and makes it with its
// sub-folders. False when the folder could not be made.
bool PrepareSupportFolder(const QString &path = {});

// gSupportFolder/name, made when missing.
QString GetSupportSubFolder(const QString &name);

// This process's own folder inside "tmp" (tmp/p<pid>-XXXXXX), made on first use and removed when
// the process ends. Folders left by processes that no longer run are removed on first use.
// Null when it could not be made.
QString GetProcessTempFolder();
// Removes this process's temporary folder now (also done at exit).
void RemoveProcessTempFolder();

// The bundle's resource folder: $PELKO_BUNDLE_DIR, else Resources beside the executable (build
// tree), else ../share/pelkomerge (installed).
QString GetBundleResourceFolder();
// Overrides the bundle folder (tests); empty restores the search.
void SetBundleResourceFolder(const QString &path);
// The full path of a bundle resource; null when it is missing.
QString GetBundleResourcePath(const QString &name);
