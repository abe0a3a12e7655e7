#pragma once
// Copies of folder-compare entries from one side to the other. Everything below each side's top
// folder is reached through folder descriptors and no link there is ever followed: a link where a
// folder is needed is refused, and a link where a file goes is replaced itself. Each source item is
// looked at, then opened by its name in its open folder without following a link, and read only
// when the open item is the one looked at (device, inode and type): a name swapped meanwhile is
// refused and named in the failure.
//
// A new file is written beside its target under a temporary name, given the source's permissions
// and modification time, and only then renamed into place; an existing file is replaced the way a
// save replaces it (its owner, group and other names kept). A failed or stopped copy leaves the
// old target as it was and no temporary file behind. Links are copied as links; folders with
// their content.

#include "compare/ComparedTree.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

enum class CopyOutcome { Copied, Failed, Cancelled };

// Called for each item that could not be copied (path, reason); answers true to go on with the
// next item, false to stop.
using CopyFailureHandler = std::function<bool(const QByteArray &path, const QString &reason)>;

// An entry of one side: the side's top folder, as the user named it, and the path below it (local
// file-system bytes).
struct FolderEntry
{
    QByteArray top;
    QByteArray relative;
};

// An entry of one side below its top folder held open since the compare (compare/ComparedTree),
// by its route from there: each folder on the way, and a folder copied or copied into, is used
// only while it is the folder the listing recorded there.
struct TreeEntry
{
    ComparedTreePtr tree;
    TreeRoute route;
};

// Copies one file, link or folder to the target's place below its top, making the missing
// folders on the way. A folder is never copied into itself, and a folder never replaces a file
// nor a file a folder.
CopyOutcome CopyEntry(const TreeEntry &source, const TreeEntry &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure);

// The same with the tops named by their paths, opened now.
CopyOutcome CopyEntry(const FolderEntry &source, const FolderEntry &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure);

// The same with the source's own folder as its top.
CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &targetTop,
                      const QByteArray &relativeTarget, const std::atomic<bool> *cancel,
                      const CopyFailureHandler &onFailure);

// The same with the target's own folder as the top.
CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure);

// How many files and links a copy of source to relativeTarget below targetTop would replace, as
// they stand on disk now (reached without following a link; what stands behind a link the copy
// refuses is not counted).
int CountReplacedOnDisk(const TreeEntry &source, const TreeEntry &target,
                        const std::atomic<bool> *cancel);
int CountReplacedOnDisk(const FolderEntry &source, const FolderEntry &target,
                        const std::atomic<bool> *cancel);
int CountReplacedOnDisk(const QByteArray &source, const QByteArray &targetTop,
                        const QByteArray &relativeTarget, const std::atomic<bool> *cancel);

// Makes the folders of relative below top, by the bytes of the path (names that are not valid
// UTF-8 stay exactly as they are), following no link below top. True when the folder exists
// afterwards.
bool MakeFolderPath(const QByteArray &top, const QByteArray &relative);
