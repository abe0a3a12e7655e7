#pragma once
// Readers of files the application finds on disk read from a descriptor: each input becomes a
// private file in the target's own temporary folder, opened once, and the reader gets that
// descriptor and the file's size.
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelkofuzz {

// Calls read(fd, size) on a file holding the input and answers what it answers; a default T when
// the file cannot be made.
template <class T, class Read>
T readAsFile(const uint8_t *data, size_t size, const char *name, Read read)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        return T{};
    const QByteArray path = QFile::encodeName(dir.filePath(QString::fromLatin1(name)));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return T{};
    const bool written = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    struct stat st;
    if (!written || ::fstat(fd, &st) != 0) {
        ::close(fd);
        return T{};
    }
    T result = read(fd, qint64(st.st_size));
    ::close(fd);
    return result;
}

} // namespace pelkofuzz
