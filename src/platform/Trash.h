#pragma once
// Moving files and folders into the desktop's trash, laid out as the desktop's file managers
// expect: the item under "files/", a "<name>.trashinfo" beside it under "info/" saying where it
// came from and when. Items on the home folder's file system go to the home trash; items on
// another file system go to a trash at the top of that file system, never copied across.
//
// Trash folders may sit where other local users can write (the top of a shared mount), so no
// link is followed, only folders of the trash's user are used, and anything unexpected in their
// place is a refusal: the item then stays where it was.

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace platform {

struct TrashContext
{
    // The home trash: the user's data folder + "/Trash".
    QString homeTrash;
    // The user the trash folders must belong to.
    uid_t uid = 0;
};

// The home trash of the user running the application.
TrashContext CurrentUserTrash();

// Moves the item at path (a link itself, never what it points to) into the trash that belongs to
// its file system. False, with the item left where it was, when no trash fit to take it exists
// or can be made. *trashedAs (may be null) receives where the item now lies.
bool MoveItemToTrash(const QString &path, const TrashContext &context,
                     QString *trashedAs = nullptr);

// The same for the entry `name` of the folder held open as folderFd (which may be an O_PATH
// handle): the entry is moved from that folder, wherever its path leads now, and recorded under
// the path the folder has now.
bool MoveItemAtToTrash(int folderFd, const QByteArray &name, const TrashContext &context,
                       QString *trashedAs = nullptr);

// The same into the trash at the top of the file system mounted at topDir (either
// topDir/.Trash/<uid> or topDir/.Trash-<uid>), whatever file system path is on.
bool MoveItemToTopDirTrash(const QString &path, const QString &topDir, uid_t uid,
                           QString *trashedAs = nullptr);

} // namespace platform
