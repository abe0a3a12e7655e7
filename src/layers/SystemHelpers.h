#pragma once
// Path and system helpers: aliases (symbolic links here), the spelling a path has on disk,
// permissions, and starting with the session (an XDG autostart entry).

#include <QString>
#include <QUrl>

// YES when the item at path is a symbolic link. With target, the link's resolved absolute path
// is stored there; a link whose target cannot be made into a path answers NO.
bool FileIsAlias(const QString &path, QString *target = nullptr);
// The spelling of the path that exists on disk: as given, else its NFC form, else its NFD form;
// an ASCII path comes back unchanged. Null for an empty path or when no spelling exists.
QString NormalizePathThroughFileSystem(const QString &path);
// YES when the item's parent folder is named "MacOS" (any case).
bool IsPathInMacOSFolder(const QString &path);
// Sets the permissions of an existing regular file to 01774 (links are not followed).
void SetStickyGroupWritablePermission(const QString &path);

// Whether an autostart entry of the user ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart)
// starts the program of the file URL (its Exec command is that path).
bool IsInLoginItems(const QUrl &url);
// Adds such an entry (when none exists) or removes every one (when one exists).
void SetInLoginItems(const QUrl &url, bool on);
