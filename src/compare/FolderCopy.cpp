#include "compare/FolderCopy.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kBlock = size_t{1024} * 1024;

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool cancelled(const std::atomic<bool> *cancel)
{
    return cancel && cancel->load();
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// A temporary name beside the target, made by mkstemp (so two copies never share one).
int makeTempBeside(const QByteArray &target, QByteArray *tempPath)
{
    QByteArray pattern = parentOf(target) + "/." + baseName(target).left(100) + ".pelko-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        *tempPath = pattern;
    return fd;
}

bool writeAll(int fd, const char *data, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        n -= size_t(w);
    }
    return true;
}

CopyOutcome copyFile(const QByteArray &source, const QByteArray &target,
                     const std::atomic<bool> *cancel, QString *reason)
{
    const int in = ::open(source.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (in < 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    struct stat st
    {
    };
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        *reason = QStringLiteral("not a regular file");
        return CopyOutcome::Failed;
    }
    struct stat existing
    {
    };
    if (::lstat(target.constData(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        ::close(in);
        *reason = QStringLiteral("a folder stands in its place");
        return CopyOutcome::Failed;
    }
    QByteArray temp;
    const int out = makeTempBeside(target, &temp);
    if (out < 0) {
        *reason = errnoText(errno);
        ::close(in);
        return CopyOutcome::Failed;
    }
    std::vector<char> buf(kBlock);
    CopyOutcome outcome = CopyOutcome::Copied;
    for (;;) {
        if (cancelled(cancel)) {
            outcome = CopyOutcome::Cancelled;
            break;
        }
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (n > 0 && !writeAll(out, buf.data(), size_t(n)))) {
            *reason = errnoText(errno);
            outcome = CopyOutcome::Failed;
            break;
        }
        if (n == 0)
            break;
    }
    if (outcome == CopyOutcome::Copied) {
        // Permissions and time before the rename, so the target is never seen half made.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::fchmod(out, st.st_mode & 07777) != 0 || ::futimens(out, times) != 0) {
            *reason = errnoText(errno);
            outcome = CopyOutcome::Failed;
        }
    }
    if (::close(out) != 0 && outcome == CopyOutcome::Copied) {
        *reason = errnoText(errno);
        outcome = CopyOutcome::Failed;
    }
    ::close(in);
    if (outcome == CopyOutcome::Copied && ::rename(temp.constData(), target.constData()) != 0) {
        *reason = errnoText(errno);
        outcome = CopyOutcome::Failed;
    }
    if (outcome != CopyOutcome::Copied)
        ::unlink(temp.constData());
    return outcome;
}

CopyOutcome copyLink(const QByteArray &source, const QByteArray &target, QString *reason)
{
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(source.constData(), text.data(), size_t(text.size()));
    if (n < 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    text.truncate(n);
    struct stat existing
    {
    };
    if (::lstat(target.constData(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        *reason = QStringLiteral("a folder stands in its place");
        return CopyOutcome::Failed;
    }
    // A free name beside the target for the new link, then one rename.
    QByteArray temp;
    const int fd = makeTempBeside(target, &temp);
    if (fd < 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    ::close(fd);
    ::unlink(temp.constData());
    if (::symlink(text.constData(), temp.constData()) != 0) {
        *reason = errnoText(errno);
        return CopyOutcome::Failed;
    }
    struct stat st
    {
    };
    if (::lstat(source.constData(), &st) == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, temp.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        *reason = errnoText(errno);
        ::unlink(temp.constData());
        return CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

CopyOutcome copyAny(const QByteArray &source, const QByteArray &target,
                    const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure);

CopyOutcome copyFolder(const QByteArray &source, const QByteArray &target, const struct stat &st,
                       const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    struct stat existing
    {
    };
    if (::lstat(target.constData(), &existing) == 0) {
        if (!S_ISDIR(existing.st_mode)) {
            return onFailure && onFailure(target, QStringLiteral("a file stands in its place"))
                       ? CopyOutcome::Failed
                       : CopyOutcome::Cancelled;
        }
    } else if (::mkdir(target.constData(), (st.st_mode & 07777) | 0700) != 0) {
        return onFailure && onFailure(target, errnoText(errno)) ? CopyOutcome::Failed
                                                                : CopyOutcome::Cancelled;
    }
    DIR *dir = ::opendir(source.constData());
    if (!dir)
        return onFailure && onFailure(source, errnoText(errno)) ? CopyOutcome::Failed
                                                                : CopyOutcome::Cancelled;
    std::vector<QByteArray> names;
    while (const dirent *e = ::readdir(dir)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        names.emplace_back(n);
    }
    ::closedir(dir);
    CopyOutcome outcome = CopyOutcome::Copied;
    for (const QByteArray &name : names) {
        const CopyOutcome o = copyAny(source + '/' + name, target + '/' + name, cancel, onFailure);
        if (o == CopyOutcome::Cancelled)
            return o;
        if (o == CopyOutcome::Failed)
            outcome = o;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, target.constData(), times, 0);
    return outcome;
}

CopyOutcome copyAny(const QByteArray &source, const QByteArray &target,
                    const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    if (cancelled(cancel))
        return CopyOutcome::Cancelled;
    struct stat st
    {
    };
    QString reason;
    CopyOutcome o = CopyOutcome::Failed;
    if (::lstat(source.constData(), &st) != 0) {
        reason = errnoText(errno);
    } else if (S_ISDIR(st.st_mode)) {
        return copyFolder(source, target, st, cancel, onFailure);
    } else if (S_ISLNK(st.st_mode)) {
        o = copyLink(source, target, &reason);
    } else if (S_ISREG(st.st_mode)) {
        o = copyFile(source, target, cancel, &reason);
    } else {
        reason = QStringLiteral("not a regular file");
    }
    if (o != CopyOutcome::Failed)
        return o;
    return onFailure && onFailure(source, reason) ? CopyOutcome::Failed : CopyOutcome::Cancelled;
}

} // namespace

CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure)
{
    QByteArray src = source, dst = target;
    while (src.size() > 1 && src.endsWith('/'))
        src.chop(1);
    while (dst.size() > 1 && dst.endsWith('/'))
        dst.chop(1);
    // Never into itself: that would walk a folder while filling it.
    if (dst == src || dst.startsWith(src + '/')) {
        if (onFailure)
            onFailure(source, QStringLiteral("cannot be copied into itself"));
        return CopyOutcome::Failed;
    }
    return copyAny(src, dst, cancel, onFailure);
}

bool MakeFolderPath(const QByteArray &path)
{
    QByteArray p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    if (p.isEmpty())
        return false;
    struct stat st
    {
    };
    if (::stat(p.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const qsizetype slash = p.lastIndexOf('/');
    if (slash > 0 && !MakeFolderPath(p.left(slash)))
        return false;
    return ::mkdir(p.constData(), 0777) == 0 ||
           (errno == EEXIST && ::stat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode));
}
