#include "services/HeldFile.h"

#include <fcntl.h>
#include <sys/stat.h>

std::shared_ptr<const HeldFile> HeldFile::open(const QString &path)
{
    std::shared_ptr<HeldFile> held(new HeldFile);
    held->mPath = path;
    const NamedFile named(path, true);
    held->mIdentity = named.identity();
    if (!named.isRegularFile())
        return held;
    platform::UniqueFd fd(named.reopen(O_RDONLY | O_NONBLOCK | O_NOCTTY));
    struct stat st;
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return held;
    // The status of the descriptor read from: what a later save compares with.
    held->mIdentity.file = FileStamp::of(st);
    held->mPermissions = int(st.st_mode & 07777);
    held->mFd = std::move(fd);
    return held;
}

bool HeldFile::changedSinceOpened() const
{
    struct stat st;
    return !mFd.isOpen() || ::fstat(mFd.get(), &st) != 0 || FileStamp::of(st) != mIdentity.file;
}
