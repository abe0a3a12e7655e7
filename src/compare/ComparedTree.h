#pragma once
// One side of a folder compare, and the one way anything below the shell reaches a file or folder
// under that side's top folder. The top folder is opened once, when the compare starts, as the
// user named it (a link there is followed to where it leads then): that folder, the one whose
// listing the user sees, is where every later step starts, whatever the name leads to later.
// Below it a path is walked one name at a time, each opened in the folder before it without
// following a link (openat with O_NOFOLLOW), and each folder on the way and the entry itself are
// compared with what the listing recorded of them where it recorded anything. A name swapped for
// a link, or for another folder or file, is refused rather than followed.
//
// The listing, the content compare, judging an entry again, the folder patch, Quick Preview's
// reads, the copy (both sides), delete and the trash all go through here.

#include "compare/CompItem.h"
#include "compare/JudgedFile.h"
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <memory>
#include <sys/stat.h>
#include <vector>

// One name on the way from a top folder down, with what the listing found there: a folder or not,
// and (judged.known) the identity it recorded. Nothing is recorded for a name given as text or a
// folder a copy is about to make.
struct TreeStep
{
    QByteArray name;
    JudgedFile judged;
    bool folder = false;
};
// From the top down; the last step is the entry itself, every one before it a folder.
using TreeRoute = std::vector<TreeStep>;

// The names of a relative path ("a/b/c"; empty names are skipped), none judged, the last one not
// taken for a folder; empty when it names "." or "..".
TreeRoute TreeRoute_FromPath(const QByteArray &relative);
// The names joined by "/".
QByteArray TreeRoute_Path(const TreeRoute &route);
// What the listing found at one side of an entry.
TreeStep TreeStep_Of(const COMP_ITEM &item, int side);
// The identity recorded for a folder or regular file in the state of its open descriptor.
JudgedFile TreeIdentity_Of(const struct stat &st, bool viaLink = false);

// Why a walk or an action stopped. errno says more.
enum class TreeFailure {
    None,
    Gone,        // a name on the way, or the entry itself, is missing
    NameTooLong, // the whole path is longer than the system takes
    Unreadable,  // there, but may not be opened, read or removed
    NotAsJudged, // a link, or another folder or file than the listing found: changed since
    NotRegular,  // not a regular file (never opened), where nothing was judged
};

class ComparedTree
{
public:
    // Opens the top folder the user named and holds it; nullptr with *error (errno) when it
    // cannot be opened as a folder.
    static std::shared_ptr<const ComparedTree> open(const QByteArray &path, int *error = nullptr);

    // The top folder as named (no trailing "/" but for the root itself).
    const QByteArray &path() const { return mPath; }
    // The path of the first `steps` names of the route below the top, as messages show it.
    QByteArray pathOf(const TreeRoute &route, size_t steps) const;
    QByteArray pathOf(const TreeRoute &route) const { return pathOf(route, route.size()); }
    // True when the state is the top folder's own.
    bool isTop(const struct stat &st) const;
    bool isTop(dev_t device, ino_t inode) const;

    // The folder the first `steps` names of the route lead to (0: the top itself), held open
    // without access to its content (O_PATH): for the *at calls. On failure errno tells why.
    platform::UniqueFd openFolder(const TreeRoute &route, size_t steps,
                                  TreeFailure *why = nullptr) const;
    // The same, open for reading its names.
    platform::UniqueFd openFolderToList(const TreeRoute &route, size_t steps,
                                        TreeFailure *why = nullptr) const;
    // The regular file the route leads to, open for reading (see TreeFile_OpenAt); *st (may be
    // null) gets its state.
    platform::UniqueFd openFile(const TreeRoute &route, TreeFailure *why = nullptr,
                                struct stat *st = nullptr) const;

    // Removes the entry the route leads to: a folder (the one the listing found) with its content,
    // removed through descriptors, or anything else but a folder by its name in its folder. A link
    // goes itself, also inside the folder. False, with *why, when anything stays.
    bool remove(const TreeRoute &route, TreeFailure *why = nullptr) const;
    // Moves the entry the route leads to (a link itself) into the user's trash from the folder
    // the walk holds, judged as remove judges it.
    bool moveToTrash(const TreeRoute &route, TreeFailure *why = nullptr) const;

private:
    ComparedTree(platform::UniqueFd fd, QByteArray path, const struct stat &st);
    // The folder that holds the route's last name, and the entry judged as the listing found it.
    platform::UniqueFd openEntryFolder(const TreeRoute &route, TreeFailure *why) const;

    platform::UniqueFd mFd;
    QByteArray mPath;
    dev_t mDevice = 0;
    ino_t mInode = 0;
};

using ComparedTreePtr = std::shared_ptr<const ComparedTree>;

// The regular file `name` in the open folder (AT_FDCWD: name is a whole path, for a pair named
// with no compare), open for reading as the listing judged it: a link
// there is followed only when the listing followed one (judged.viaLink), and only a regular file
// of the judged device and inode is opened (with nothing judged: any regular file not reached
// through a link). A pipe, socket or device is never opened, so none is waited on or woken.
platform::UniqueFd TreeFile_OpenAt(int folder, const QByteArray &name, const JudgedFile &judged,
                                   TreeFailure *why = nullptr, struct stat *st = nullptr);
