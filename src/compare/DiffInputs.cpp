#include "compare/DiffInputs.h"

#include "platform/LocalPath.h"
#include "platform/RegularFile.h"

#include <QProcess>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <utility>

bool DiffInputs::openOne(const QString &path, Input *input, QString *error)
{
    input->label = LocalPath_Shown(path);
    if (LocalPath_ToBytes(path) == path.toUtf8()) {
        input->argument = path;
        return true;
    }
    // Judged before it is opened: a pipe or device in its place is never opened at all.
    platform::RegularFile file =
        platform::OpenRegularFileAt(AT_FDCWD, LocalPath_ToBytes(path), true);
    if (!file.isOpen()) {
        if (error)
            *error = input->label + QStringLiteral(": ") +
                     (file.failure == platform::RegularOpenFailure::NotRegular
                          ? QStringLiteral("not a regular file")
                          : QString::fromLocal8Bit(std::strerror(file.error)));
        return false;
    }
    input->fd = std::move(file.fd);
    input->argument = QStringLiteral("/dev/fd/%1").arg(input->fd.get());
    return true;
}

bool DiffInputs::open(const QString &path1, const QString &path2, QString *error)
{
    return openOne(path1, &mInputs[0], error) && openOne(path2, &mInputs[1], error);
}

void DiffInputs::adopt(int side, platform::UniqueFd fd, const QString &label)
{
    Input &input = mInputs[side == 0 ? 0 : 1];
    input.fd = std::move(fd);
    input.label = label;
    input.argument = QStringLiteral("/dev/fd/%1").arg(input.fd.get());
}

QStringList DiffInputs::arguments() const
{
    QStringList args;
    if (mInputs[0].fd.isOpen() || mInputs[1].fd.isOpen())
        args << QStringLiteral("--label") << mInputs[0].label << QStringLiteral("--label")
             << mInputs[1].label;
    return args << QStringLiteral("--") << mInputs[0].argument << mInputs[1].argument;
}

void DiffInputs::handTo(QProcess &process) const
{
    const int fd1 = mInputs[0].fd.get(), fd2 = mInputs[1].fd.get();
    if (fd1 < 0 && fd2 < 0)
        return;
    // Runs in the child between fork and exec: the descriptors lose their close-on-exec flag
    // there only.
    process.setChildProcessModifier([fd1, fd2] {
        for (int fd : {fd1, fd2})
            if (fd >= 0)
                ::fcntl(fd, F_SETFD, 0);
    });
}
