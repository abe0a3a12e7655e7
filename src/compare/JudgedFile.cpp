#include "compare/JudgedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

platform::UniqueFd JudgedFile_Open(int folder, const QByteArray &name, const JudgedFile &judged,
                                   JudgedOpenFailure *why)
{
    const auto fail = [why](JudgedOpenFailure failure) {
        if (why)
            *why = failure;
        return platform::UniqueFd();
    };
    if (why)
        *why = JudgedOpenFailure::None;
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (judged.viaLink ? 0 : O_NOFOLLOW);
    platform::UniqueFd fd(::openat(folder, name.constData(), flags));
    if (!fd.isOpen()) {
        switch (errno) {
        case ENOENT:
        case ENOTDIR:
            return fail(JudgedOpenFailure::Gone);
        case ENAMETOOLONG:
            return fail(JudgedOpenFailure::NameTooLong);
        case ELOOP: // a link where the compare saw none
        case ENXIO: // a socket
            return fail(JudgedOpenFailure::NotAsJudged);
        default:
            return fail(JudgedOpenFailure::Unreadable);
        }
    }
    struct stat st
    {
    };
    if (::fstat(fd.get(), &st) != 0)
        return fail(JudgedOpenFailure::Unreadable);
    if (!S_ISREG(st.st_mode) ||
        (judged.known && (quint64(st.st_dev) != judged.dev || quint64(st.st_ino) != judged.ino)))
        return fail(JudgedOpenFailure::NotAsJudged);
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

platform::UniqueFd JudgedFile_OpenFolder(const QByteArray &top, const QByteArray &rel,
                                         JudgedOpenFailure *why)
{
    const auto failure = [](int error) {
        switch (error) {
        case ENOENT:
            return JudgedOpenFailure::Gone;
        case ENAMETOOLONG:
            return JudgedOpenFailure::NameTooLong;
        case ENOTDIR: // a file, or a link, where the compare found a folder
        case ELOOP:
            return JudgedOpenFailure::NotAsJudged;
        default:
            return JudgedOpenFailure::Unreadable;
        }
    };
    if (why)
        *why = JudgedOpenFailure::None;
    platform::UniqueFd folder(::open(top.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen()) {
        // The top folder is the user's name: what it is not any more is gone.
        const JudgedOpenFailure topFailure = failure(errno);
        if (why)
            *why =
                topFailure == JudgedOpenFailure::NotAsJudged ? JudgedOpenFailure::Gone : topFailure;
        return platform::UniqueFd();
    }
    for (const QByteArray &name : rel.split('/')) {
        if (name.isEmpty())
            continue;
        platform::UniqueFd next(::openat(folder.get(), name.constData(),
                                         O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.isOpen()) {
            if (why)
                *why = failure(errno);
            return platform::UniqueFd();
        }
        folder = std::move(next);
    }
    return folder;
}
