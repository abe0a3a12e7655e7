#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

RegularOpenFailure failureOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return RegularOpenFailure::Missing;
    case ENAMETOOLONG:
        return RegularOpenFailure::NameTooLong;
    case ELOOP:
        return RegularOpenFailure::Link;
    default:
        return RegularOpenFailure::Unreadable;
    }
}

RegularFile failed(RegularOpenFailure failure, int error)
{
    RegularFile out;
    out.failure = failure;
    out.error = error;
    return out;
}

bool sameInode(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens the judged handle for reading. Through /proc the very inode held is opened, whatever the
// name leads to now; without /proc the name is opened again (never blocking, no terminal taken)
// and kept only when it is the inode judged.
UniqueFd reopenForReading(int handle, int folder, const QByteArray &name, bool followLink,
                          const struct stat &judged, int *error)
{
    constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(handle);
    UniqueFd fd(::open(proc.constData(), kReadFlags));
    if (!fd.isOpen() && errno == ENOENT)
        fd = UniqueFd(
            ::openat(folder, name.constData(), kReadFlags | (followLink ? 0 : O_NOFOLLOW)));
    if (!fd.isOpen()) {
        *error = errno;
        return fd;
    }
    struct stat opened
    {
    };
    if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || !sameInode(opened, judged)) {
        *error = EINVAL;
        return UniqueFd();
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace

RegularFile OpenRegularFileAt(int folder, const QByteArray &name, bool followLink)
{
    if (name.isEmpty())
        return failed(RegularOpenFailure::Missing, ENOENT);
    // O_PATH with O_NOFOLLOW holds a link itself rather than failing: it is told apart below.
    const UniqueFd handle(
        ::openat(folder, name.constData(), O_PATH | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
    if (!handle.isOpen())
        return failed(failureOf(errno), errno);
    RegularFile out;
    if (::fstat(handle.get(), &out.st) != 0)
        return failed(RegularOpenFailure::Unreadable, errno);
    if (S_ISLNK(out.st.st_mode))
        return failed(RegularOpenFailure::Link, ELOOP);
    if (!S_ISREG(out.st.st_mode))
        return failed(RegularOpenFailure::NotRegular, EINVAL);
    int error = 0;
    out.fd = reopenForReading(handle.get(), folder, name, followLink, out.st, &error);
    if (!out.fd.isOpen())
        return failed(error == EINVAL ? RegularOpenFailure::NotRegular : failureOf(error), error);
    return out;
}

} // namespace platform
