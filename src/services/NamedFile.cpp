#include "services/NamedFile.h"

#include "platform/LocalPath.h"

#include <cerrno>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>
#include <utility>

namespace {

using Fd = platform::UniqueFd;

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// The folder part and the last name of a path ("." when it has no folder part); the name is
// empty when the path ends in a slash.
std::pair<QByteArray, QByteArray> splitName(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArray("."), path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

// The text of the link held open by fd (opened O_PATH | O_NOFOLLOW); empty with errno set.
QByteArray linkText(int fd)
{
    QByteArray text(PATH_MAX + 1, Qt::Uninitialized);
    const ssize_t n = ::readlinkat(fd, "", text.data(), size_t(text.size()));
    if (n <= 0 || n >= text.size()) {
        if (n >= 0)
            errno = n == 0 ? ENOENT : ENAMETOOLONG;
        return {};
    }
    text.truncate(n);
    return text;
}

QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

} // namespace

FileStamp FileStamp::of(const struct stat &st)
{
    FileStamp stamp;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedSeconds = qint64(st.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = qint64(st.st_mtim.tv_nsec);
    stamp.changedSeconds = qint64(st.st_ctim.tv_sec);
    stamp.changedNanoseconds = qint64(st.st_ctim.tv_nsec);
    return stamp;
}

NamedFile::NamedFile(const QString &path, bool followLink)
{
    if (path.isEmpty()) {
        mError = ENOENT;
        return;
    }
    lookUp(LocalPath_ToBytes(path), followLink);
}

void NamedFile::lookUp(QByteArray path, bool followLink)
{
    auto [folder, name] = splitName(path);
    mFolder = Fd(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!mFolder.isOpen()) {
        mError = errno;
        return;
    }
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        if (name.isEmpty()) {
            mError = EISDIR; // the name ends in a slash: only a folder can stand there
            return;
        }
        mName = name;
        Fd entry(::openat(mFolder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat st
        {
        };
        if (!entry.isOpen() || ::fstat(entry.get(), &st) != 0) {
            mError = errno;
            return;
        }
        if (!S_ISLNK(st.st_mode) || !followLink) {
            mEntry = std::move(entry);
            mStatus = st;
            return;
        }
        if (hop == 0) {
            mViaLink = true;
            mLink = st;
        }
        // The text of this very link, looked up from the folder the link lies in.
        const QByteArray text = linkText(entry.get());
        if (text.isEmpty()) {
            mError = errno;
            return;
        }
        auto [textFolder, textName] = splitName(text);
        Fd next(::openat(mFolder.get(), textFolder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!next.isOpen()) {
            mError = errno;
            return;
        }
        mFolder = std::move(next);
        name = textName;
    }
    mError = ELOOP;
}

FileIdentity NamedFile::identity() const
{
    FileIdentity id;
    id.known = true;
    id.exists = exists();
    id.viaLink = mViaLink;
    if (mViaLink)
        id.link = FileStamp::of(mLink);
    if (exists())
        id.file = FileStamp::of(mStatus);
    return id;
}

QByteArray NamedFile::pathInFolder() const
{
    return descriptorPath(mFolder.get()) + '/' + mName;
}

QByteArray NamedFile::entryPath() const
{
    return descriptorPath(mEntry.get());
}

int NamedFile::reopen(int flags) const
{
    if (!exists()) {
        errno = ENOENT;
        return -1;
    }
    return ::open(entryPath().constData(), flags | O_CLOEXEC);
}

QString NamedFile::realPath() const
{
    if (!exists())
        return {};
    QByteArray target(PATH_MAX + 1, Qt::Uninitialized);
    const ssize_t n = ::readlink(entryPath().constData(), target.data(), size_t(target.size()));
    if (n <= 0 || n >= target.size())
        return {};
    target.truncate(n);
    return LocalPath_FromBytes(target);
}

FileIdentity IdentityNow(const QString &path, const FileIdentity &read, QString *realPath)
{
    const NamedFile named(path, !read.known || read.viaLink);
    if (realPath)
        *realPath = named.realPath();
    return named.identity();
}
