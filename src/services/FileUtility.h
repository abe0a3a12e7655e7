#pragma once
// File and folder helpers used everywhere: existence tests, path comparison, folder listings,
// safe copy and delete, the recent-path lists and the file manager's reveal.

#include "services/FileReplace.h"
#include "services/HeldFile.h"
#include "services/NamedFile.h"

#include <QString>
#include <QStringList>

// YES when the path is non-empty, exists and is not a folder (links are followed).
bool IsFileExist(const QString &path);
// YES when the path is non-empty and is an existing folder.
bool IsFolderExist(const QString &path);
// YES when the path is non-empty and names an existing file or folder.
bool IsPathExist(const QString &path);

// YES when both paths are equal after dropping one trailing "/" from each; letter case counts
// (Linux file systems are case-sensitive). A null and an empty path count as equal.
bool IsSamePath(const QString &path1, const QString &path2);

// The target of a Finder-style alias file. Linux has none: always a null string.
QString ResolveAliasPath(const QString &path);

// Moves (or inserts) the path to the front of the list. Nothing for an empty path or a null
// list, nor when mustExist is set and nothing exists at the path. Comparison is exact but for
// one trailing slash (IsSamePath): every earlier spelling of the path leaves the list.
void AddPathToRecentList(const QString &path, QStringList *list, bool mustExist);

// Creates the folder with its intermediate folders; NO for an empty path or on failure.
bool CreateFolder(const QString &path);
// Removes the file, link or folder with all its content (links are removed, never followed).
// NO for an empty path, a missing item, or when anything stayed; failures are logged.
bool DeleteFileOrFolder(const QString &path);
// Size in bytes; 0 when the item is missing.
qint64 GetFileSize(const QString &path);

// The folder's entries as full paths, sorted by name, without ".DS_Store"; also without names
// that begin with a dot when the settings record hides them (or, in the second form, when
// hideDotNames says so).
QStringList GetFileListInFolder_Names(const QString &folder);
QStringList GetFileListInFolder_Names(const QString &folder, bool hideDotNames);
// Every item under the folder at any depth, as paths relative to the folder (parents before
// their content), ".DS_Store" skipped; links to folders are listed but not entered. Empty when
// the folder does not exist.
QStringList GetFileListDeepFromFolder(const QString &folder);

// Copies the source file over the target as a save does (services/FileReplace): the target keeps
// its owner, group, mode, other names and attributes, and a link named as target has its target
// replaced; on any failure the old target stays as it was and the answer is NO. NO for an empty
// argument or a source that is not an existing regular file (a pipe or device is never opened).
// A new target takes the source's permissions. The copy is read a block at a time.
bool CopyFileSave(const QString &sourcePath, const QString &targetPath);
// The same from a file a window holds open (its very bytes, whatever its name leads to now), over
// a target written only while its path leads to the file targetRead records (one not known is
// not checked; otherwise nothing is written and *failure is ChangedOnDisk). A source that changed
// since it was opened, or changes while it is copied, is not copied (ChangedOnDisk, or
// SourceChanged). *failure (may be null) says why a copy failed; *written (may be null) gets what
// the target path leads to after the copy; progress (may be empty) is told how far the copy has
// come and stops it when it answers false (the target as it was).
bool CopyHeldFileSave(const HeldFile &source, const QString &targetPath,
                      const FileIdentity &targetRead, FileWriteFailure *failure = nullptr,
                      FileIdentity *written = nullptr, const ContentProgress &progress = {});

// Shows the item in the file manager: a folder (not an ".app" bundle) is opened, anything else
// is shown in its parent folder. Surrounding white space is trimmed; when the trimmed path does
// not exist, the part from its first "/" is tried. Nothing for empty input or a missing item.
void RevealFileFolderInFinder(const QString &path);

// NO for an empty path or one where nothing exists; YES outside a sandbox (gAppHasSandbox).
// Inside one, NO when the item may not be read, else YES, and a folder is remembered in
// SandBox_GetAccesablePathList.
bool SandBox_CheckCanAccessPath(const QString &path);
// The process-wide list of paths a sandboxed run may read (made on first use; main thread).
QStringList &SandBox_GetAccesablePathList();
