#include "compare/ComparedTree.h"

#include "platform/LocalPath.h"
#include "platform/PrivateFiles.h"
#include "platform/RegularFile.h"
#include "platform/Workspace.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Fd = platform::UniqueFd;

void setWhy(TreeFailure *why, TreeFailure failure)
{
    if (why)
        *why = failure;
}

// Fails with errno kept as the cause.
Fd fail(TreeFailure *why, TreeFailure failure, int error)
{
    setWhy(why, failure);
    errno = error;
    return Fd();
}

bool isName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/');
}

bool sameIdentity(const struct stat &st, const JudgedFile &judged)
{
    return !judged.known || (quint64(st.st_dev) == judged.dev && quint64(st.st_ino) == judged.ino);
}

// The next folder of a walk: opened where the last one is, never through a link, and only as
// the folder the listing found there when it recorded one.
Fd stepInto(int folder, const TreeStep &step, TreeFailure *why)
{
    if (!isName(step.name))
        return fail(why, TreeFailure::Gone, ENOENT);
    Fd next(::openat(folder, step.name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next.isOpen()) {
        const int error = errno;
        // A file, or a link, where a folder was.
        if (error == ENOTDIR || error == ELOOP)
            return fail(why, TreeFailure::NotAsJudged, error);
        return fail(why, error == ENOENT ? TreeFailure::Gone : TreeFailure::Unreadable, error);
    }
    struct stat st
    {
    };
    if (::fstat(next.get(), &st) != 0)
        return fail(why, TreeFailure::Unreadable, errno);
    if (!sameIdentity(st, step.judged))
        return fail(why, TreeFailure::NotAsJudged, ELOOP);
    return next;
}

} // namespace

TreeRoute TreeRoute_FromPath(const QByteArray &relative)
{
    TreeRoute route;
    for (const QByteArray &name : relative.split('/')) {
        if (name.isEmpty())
            continue;
        if (name == "." || name == "..")
            return {};
        if (!route.empty())
            route.back().folder = true;
        route.push_back({name, {}, false});
    }
    return route;
}

QByteArray TreeRoute_Path(const TreeRoute &route)
{
    QByteArray path;
    for (const TreeStep &step : route) {
        if (!path.isEmpty())
            path += '/';
        path += step.name;
    }
    return path;
}

TreeStep TreeStep_Of(const COMP_ITEM &item, int side)
{
    const QByteArray &name = side == 1 ? item.itemName1 : item.itemName2;
    return {name.isEmpty() ? item.name() : name, side == 1 ? item.judged1 : item.judged2,
            (side == 1 ? item.kind1 : item.kind2) == Side_Folder};
}

JudgedFile TreeIdentity_Of(const struct stat &st, bool viaLink)
{
    JudgedFile judged;
    judged.dev = quint64(st.st_dev);
    judged.ino = quint64(st.st_ino);
    judged.viaLink = viaLink;
    judged.known = true;
    return judged;
}

ComparedTree::ComparedTree(Fd fd, QByteArray path, const struct stat &st)
    : mFd(std::move(fd)), mPath(std::move(path)), mDevice(st.st_dev), mInode(st.st_ino)
{}

std::shared_ptr<const ComparedTree> ComparedTree::open(const QByteArray &path, int *error)
{
    QByteArray named = path;
    while (named.size() > 1 && named.endsWith('/'))
        named.chop(1);
    // The user's own name for the top: a link there leads where it leads now.
    Fd fd(named.isEmpty() ? -1 : ::open(named.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st
    {
    };
    if (named.isEmpty())
        errno = ENOENT;
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    return std::shared_ptr<const ComparedTree>(new ComparedTree(std::move(fd), named, st));
}

QByteArray ComparedTree::pathOf(const TreeRoute &route, size_t steps) const
{
    QByteArray path = mPath;
    for (size_t k = 0; k < steps && k < route.size(); ++k) {
        if (!path.endsWith('/'))
            path += '/';
        path += route[k].name;
    }
    return path;
}

bool ComparedTree::isTop(const struct stat &st) const
{
    return isTop(st.st_dev, st.st_ino);
}

bool ComparedTree::isTop(dev_t device, ino_t inode) const
{
    return device == mDevice && inode == mInode;
}

Fd ComparedTree::openFolder(const TreeRoute &route, size_t steps, TreeFailure *why) const
{
    setWhy(why, TreeFailure::None);
    if (steps > route.size())
        return fail(why, TreeFailure::Gone, ENOENT);
    // What the rest of the application reaches by path stays within the system's limit here too.
    if (pathOf(route, steps).size() >= PATH_MAX)
        return fail(why, TreeFailure::NameTooLong, ENAMETOOLONG);
    Fd folder(::fcntl(mFd.get(), F_DUPFD_CLOEXEC, 0));
    if (!folder.isOpen())
        return fail(why, TreeFailure::Unreadable, errno);
    for (size_t k = 0; k < steps; ++k) {
        folder = stepInto(folder.get(), route[k], why);
        if (!folder.isOpen())
            return folder;
    }
    return folder;
}

Fd ComparedTree::openFolderToList(const TreeRoute &route, size_t steps, TreeFailure *why) const
{
    const Fd held = openFolder(route, steps, why);
    if (!held.isOpen())
        return Fd();
    // "." of the folder held is that folder: no name is looked up again.
    Fd folder(::openat(held.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen())
        return fail(why, TreeFailure::Unreadable, errno);
    return folder;
}

Fd ComparedTree::openFile(const TreeRoute &route, TreeFailure *why, struct stat *st) const
{
    if (route.empty())
        return fail(why, TreeFailure::Gone, ENOENT);
    if (pathOf(route).size() >= PATH_MAX)
        return fail(why, TreeFailure::NameTooLong, ENAMETOOLONG);
    const Fd folder = openFolder(route, route.size() - 1, why);
    if (!folder.isOpen())
        return Fd();
    return TreeFile_OpenAt(folder.get(), route.back().name, route.back().judged, why, st);
}

Fd ComparedTree::openEntryFolder(const TreeRoute &route, TreeFailure *why) const
{
    if (route.empty() || !isName(route.back().name))
        return fail(why, TreeFailure::Gone, ENOENT);
    Fd folder = openFolder(route, route.size() - 1, why);
    if (!folder.isOpen())
        return folder;
    const TreeStep &last = route.back();
    struct stat st
    {
    };
    if (::fstatat(folder.get(), last.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(why, errno == ENOENT ? TreeFailure::Gone : TreeFailure::Unreadable, errno);
    // A folder only where the listing found one, and then the very folder; a file may have been
    // saved anew since, but never became a folder.
    const bool asJudged =
        last.folder ? S_ISDIR(st.st_mode) && sameIdentity(st, last.judged) : !S_ISDIR(st.st_mode);
    if (!asJudged)
        return fail(why, TreeFailure::NotAsJudged, ELOOP);
    return folder;
}

bool ComparedTree::remove(const TreeRoute &route, TreeFailure *why) const
{
    const Fd folder = openEntryFolder(route, why);
    if (!folder.isOpen())
        return false;
    const TreeStep &last = route.back();
    if (!last.folder) {
        // Not AT_REMOVEDIR: a folder swapped in meanwhile stays.
        if (::unlinkat(folder.get(), last.name.constData(), 0) == 0)
            return true;
        fail(why,
             errno == ENOENT   ? TreeFailure::Gone
             : errno == EISDIR ? TreeFailure::NotAsJudged
                               : TreeFailure::Unreadable,
             errno);
        return false;
    }
    const Fd entry(::openat(folder.get(), last.name.constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat st
    {
    };
    if (!entry.isOpen() || ::fstat(entry.get(), &st) != 0 || !sameIdentity(st, last.judged)) {
        fail(why, TreeFailure::NotAsJudged, ELOOP);
        return false;
    }
    // Emptied through its own descriptor, so what is removed is what lies in the folder judged.
    if (!platform::EmptyFolder(entry.get()) ||
        (::unlinkat(folder.get(), last.name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)) {
        fail(why, TreeFailure::Unreadable, errno);
        return false;
    }
    return true;
}

bool ComparedTree::moveToTrash(const TreeRoute &route, TreeFailure *why) const
{
    const Fd folder = openEntryFolder(route, why);
    if (!folder.isOpen())
        return false;
    if (!platform::moveToTrashAt(folder.get(), route.back().name,
                                 LocalPath_FromBytes(pathOf(route)))) {
        setWhy(why, TreeFailure::Unreadable);
        return false;
    }
    return true;
}

Fd TreeFile_OpenAt(int folder, const QByteArray &name, const JudgedFile &judged, TreeFailure *why,
                   struct stat *st)
{
    setWhy(why, TreeFailure::None);
    if (folder == AT_FDCWD ? name.isEmpty() : !isName(name))
        return fail(why, TreeFailure::Gone, ENOENT);
    platform::RegularFile file = platform::OpenRegularFileAt(folder, name, judged.viaLink);
    if (!file.isOpen()) {
        using F = platform::RegularOpenFailure;
        const TreeFailure failure =
            file.failure == F::Missing       ? TreeFailure::Gone
            : file.failure == F::NameTooLong ? TreeFailure::NameTooLong
            : file.failure == F::Unreadable  ? TreeFailure::Unreadable
            // A link where none was followed, or no regular file where the listing found one.
            : judged.known || file.failure == F::Link ? TreeFailure::NotAsJudged
                                                      : TreeFailure::NotRegular;
        return fail(why, failure, file.error);
    }
    if (!sameIdentity(file.st, judged))
        return fail(why, TreeFailure::NotAsJudged, ELOOP);
    if (st)
        *st = file.st;
    return std::move(file.fd);
}
