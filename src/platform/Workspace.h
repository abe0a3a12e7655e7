#pragma once
// The desktop's file manager and default applications.

#include <QByteArray>
#include <QIcon>
#include <QString>
#include <functional>

namespace platform {

// Opens the folder holding path in the file manager; false when path does not exist or nothing
// could be started.
bool revealInFileManager(const QString &path);
// Opens path with its default application.
bool openFile(const QString &path);
// Moves path to the user's trash; false when it stays where it was.
bool moveToTrash(const QString &path);
// Moves the entry `name` of the folder held open as folderFd to the user's trash, wherever the
// folder's path leads now; shownPath is what the trash hook is given.
bool moveToTrashAt(int folderFd, const QByteArray &name, const QString &shownPath);
// The desktop's icon for the file or folder (main thread).
QIcon iconForFile(const QString &path);
// The icon theme's icon for files of the extension (no file is read), matched without regard to
// case; a null icon when the extension is empty or names no known type, or the theme has none.
QIcon iconForFileType(const QString &extension);

// Replaces the desktop calls (tests): each hook gets the URL or path the real call would use.
void setRevealHook(std::function<bool(const QString &folder)> hook);
void setOpenFileHook(std::function<bool(const QString &path)> hook);
void setTrashHook(std::function<bool(const QString &path)> hook);

} // namespace platform
