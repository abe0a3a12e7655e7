#include "layers/ByteTransform.h"

#include "platform/Guard.h"
#include "platform/Log.h"

#include <QFile>
#include <QSaveFile>
#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Addends = std::array<unsigned char, 4>;
constexpr Addends kForward = {0x24, 0x58, 0xA4, 0x1C};
constexpr Addends kBack = {0x100 - 0x24, 0x100 - 0x58, 0x100 - 0xA4, 0x100 - 0x1C};
constexpr qint64 kChunk = 1 << 20;

void transform(unsigned char *bytes, qint64 length, const Addends &addends)
{
    if (!bytes)
        return;
    for (qint64 i = 0; i < length; ++i)
        bytes[i] = static_cast<unsigned char>(bytes[i] + addends[bytes[i] & 3]);
}

// Opens the source only when it is a regular file, without waiting on a pipe.
bool openRegular(QFile *file)
{
    const QByteArray native = QFile::encodeName(file->fileName());
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
}

bool transformFile(const QString &sourcePath, const QString &destinationPath,
                   const Addends &addends)
{
    GUARD_BEGIN
    if (sourcePath.isEmpty() || destinationPath.isEmpty())
        return false;
    QFile source(sourcePath);
    if (!openRegular(&source))
        return false;
    // Streamed through a temporary file beside the destination: nothing of the destination is
    // touched before the transform is complete, even when it is the source itself.
    QSaveFile destination(destinationPath);
    if (!destination.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(kChunk, '\0');
    for (;;) {
        const qint64 n = source.read(chunk.data(), kChunk);
        if (n < 0) {
            destination.cancelWriting();
            break;
        }
        if (n == 0)
            break;
        transform(reinterpret_cast<unsigned char *>(chunk.data()), n, addends);
        if (destination.write(chunk.constData(), n) != n)
            break;
    }
    if (destination.commit())
        return true;
    platform::Log(QStringLiteral("ERROR byte transform not written: %1").arg(destinationPath));
    return false;
    GUARD_END(false)
}

} // namespace

void TransformBytesForward(unsigned char *bytes, int length)
{
    transform(bytes, length, kForward);
}

void TransformBytesBack(unsigned char *bytes, int length)
{
    transform(bytes, length, kBack);
}

bool TransformFileForward(const QString &sourcePath, const QString &destinationPath)
{
    return transformFile(sourcePath, destinationPath, kForward);
}

bool TransformFileBack(const QString &sourcePath, const QString &destinationPath)
{
    return transformFile(sourcePath, destinationPath, kBack);
}
