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

// gSupportFolder/name, made when missing; null when it is not a private folder of this user
// (another user's, a link, a file).
QString GetSupportSubFolder(const QString &name);

// This process's own folder inside "tmp" (tmp/p<pid>-<tag>-XXXXXX), made on first use and
// removed when the process ends. Folders left by processes of this namespace, boot and host that
// no longer run are removed on first use; folders of others once they are a week old.
// Null when it could not be made.
QString GetProcessTempFolder();
// Where this process runs, as its temporary folder's name holds it:
// n<PID namespace>-b<boot id>-h<host name>.
QString ProcessTempFolderTag();
// Removes this process's temporary folder now (also done at exit).
void RemoveProcessTempFolder();

// The bundle's resource folder: $PELKO_BUNDLE_DIR, else Resources beside the executable (build
// tree), else ../share/pelkomerge (installed).
QString GetBundleResourceFolder();
// Overrides the bundle folder (tests); empty restores the search.
void SetBundleResourceFolder(const QString &path);
// The full path of a bundle resource; null when it is missing.
QString GetBundleResourcePath(const QString &name);
