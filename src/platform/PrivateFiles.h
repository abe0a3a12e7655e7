#pragma once
// File operations for what the application keeps for itself (temporary folders, backups,
// settings) in places another local user or a planted link might reach: no link is ever
// followed, only this user's own entries are removed, and what holds user text or settings is
// made private (folders 0700, files 0600).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

inline constexpr int kPrivateFolderMode = 0700;
inline constexpr int kPrivateFileMode = 0600;

// Removes the entry at path: a folder with everything in it, or a file, link or other entry
// itself. A link is removed, never followed, also when it stands for the folder itself or for one
// of its entries. True when nothing is left at path (also when nothing was there).
bool RemoveTreeNoFollow(const QString &path);

// The same for the entry `name` of the folder open as dirFd.
bool RemoveTreeAt(int dirFd, const QByteArray &name);

// Removes everything inside the folder open for reading as folderFd, as RemoveTreeAt removes an
// entry; the folder itself stays. True when it is empty afterwards.
bool EmptyFolder(int folderFd);

// The names in the folder open as dirFd, "." and ".." left out; empty when it cannot be read.
QList<QByteArray> NamesInFolder(int dirFd);

// True when path is a folder (not a link to one) owned by this user with no access for others.
bool IsPrivateFolder(const QString &path);

// Makes path (and any missing parent) and leaves it private to this user: a folder of this user
// is set to 0700. False, and logged, when path is a link, not a folder, or another user's.
bool MakePrivateFolder(const QString &path);

// True when no other user can replace path or any folder above it: each entry on the way from
// the root that exists belongs to this user or to root, and a folder that others may write has
// the sticky bit. A link on the way is judged itself and then by where it leads. *why (may be
// null) names the entry at fault.
bool IsTrustedFolderPath(const QString &path, QString *why = nullptr);

// The folder a base-folder setting of the environment names (its value; empty when unset) when
// it is absolute and IsTrustedFolderPath, else the home folder's own (home + homeRelative), with
// a log line saying why the setting was not used.
QString TrustedBaseFolder(const char *variable, const QString &named, const QString &homeRelative);

// The user's data and configuration folders (XDG_DATA_HOME, XDG_CONFIG_HOME, as the standard
// locations read them) through TrustedBaseFolder.
QString TrustedDataHome();
QString TrustedConfigHome();

// How an entry looks without following a link.
enum class EntryKind { Missing, RegularFile, Folder, Link, Other, Unknown };
EntryKind EntryKindOf(const QString &path);

// The bytes of a regular file, read without following a link at its name and only when it is
// at most maxBytes long. Nothing for a link, a folder, a pipe or device, a larger file or an
// error; *why (may be null) says which, without any of the file's content.
std::optional<QByteArray> ReadRegularFileNoFollow(const QString &path, qint64 maxBytes,
                                                  QString *why = nullptr);

// Makes a new file at path holding the bytes, 0600, synced. Fails when anything (a file, a link,
// even a dangling one) is already there, so nothing is ever written through a planted link.
// A failed write leaves nothing behind.
bool WriteNewPrivateFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

} // namespace platform
