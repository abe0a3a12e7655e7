#include "compare/FileKind.h"

#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "services/FileBytes.h"
#include "services/FileUtility.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

constexpr qint64 kBlockSize = 50000;
constexpr qint64 kMinSignatureFileSize = 30;

std::mutex gCancelMutex;
std::function<bool()> gCancelCheck;

bool isCancelled()
{
    std::lock_guard lock(gCancelMutex);
    return gCancelCheck && gCancelCheck();
}

const QSet<QString> &imageExtensions()
{
    static const QSet<QString> kExtensions{
        QStringLiteral("pict"), QStringLiteral("jpg"),  QStringLiteral("jpe"),
        QStringLiteral("jpeg"), QStringLiteral("jfif"), QStringLiteral("exif"),
        QStringLiteral("tiff"), QStringLiteral("tif"),  QStringLiteral("pic"),
        QStringLiteral("pct"),  QStringLiteral("bmp"),  QStringLiteral("dib"),
        QStringLiteral("png"),  QStringLiteral("pdf"),  QStringLiteral("raw"),
        QStringLiteral("psd"),  QStringLiteral("gif")};
    return kExtensions;
}

bool hasImageExtension(const QString &path)
{
    return imageExtensions().contains(QFileInfo(path).suffix().toLower());
}

quint32 littleEndian32(const QByteArray &h, int at)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(h[at + i]);
    return v;
}

quint32 bigEndian32(const QByteArray &h, int at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v = (v << 8) | quint8(h[at + i]);
    return v;
}

// "BM" alone starts many a text: a bitmap also has zero reserved bytes and a known header size.
bool isBitmapHeader(const QByteArray &h)
{
    if (h.size() < 18 || !h.startsWith("BM") || littleEndian32(h, 6) != 0)
        return false;
    const quint32 headerSize = littleEndian32(h, 14);
    return headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 ||
           headerSize == 64 || headerSize == 108 || headerSize == 124;
}

// h holds the first bytes of a file of fileSize bytes.
bool hasImageSignature(const QByteArray &h, qint64 fileSize)
{
    // QByteArrayLiteral keeps the NUL bytes inside a signature.
    auto starts = [&](const QByteArray &sig) { return h.startsWith(sig); };
    if (starts(QByteArrayLiteral("\x89PNG\r\n\x1a\n")) ||
        starts(QByteArrayLiteral("\xff\xd8\xff")) || starts(QByteArrayLiteral("GIF87a")) ||
        starts(QByteArrayLiteral("GIF89a")) || starts(QByteArrayLiteral("II*\0")) ||
        starts(QByteArrayLiteral("MM\0*")) || starts(QByteArrayLiteral("%PDF")) ||
        starts(QByteArrayLiteral("8BPS")) || starts(QByteArrayLiteral("\0\0\1\0")) /* icon */ ||
        isBitmapHeader(h))
        return true;
    // An icon family names its own length, which a text starting with "icns" does not.
    if (starts(QByteArrayLiteral("icns")) && h.size() >= 8 &&
        bigEndian32(h, 4) == quint64(fileSize))
        return true;
    if (starts(QByteArrayLiteral("RIFF")) && h.mid(8, 4) == "WEBP")
        return true;
    // ISO media with an image brand (HEIF, AVIF).
    const QByteArray brand = h.mid(4, 8);
    return brand == "ftypheic" || brand == "ftypheix" || brand == "ftypmif1" || brand == "ftypavif";
}

} // namespace

bool IsImageFileExtension(const QString &extension)
{
    return imageExtensions().contains(extension);
}

bool IsImageFile(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    if (hasImageExtension(path))
        return true;
    const std::unique_ptr<QFile> f = LocalPath_OpenRegularFile(path);
    if (!f || f->size() < kMinSignatureFileSize)
        return false;
    return hasImageSignature(f->read(32), f->size());
    GUARD_END(false)
}

int IsSameBinaryFile(const QString &pathA, const QString &pathB, bool checkCancel)
{
    GUARD_BEGIN
    const std::unique_ptr<QFile> fa = LocalPath_OpenRegularFile(pathA);
    const std::unique_ptr<QFile> fb = LocalPath_OpenRegularFile(pathB);
    if (!fa || !fb || fa->size() != fb->size())
        return 0;
    for (;;) {
        if (checkCancel && isCancelled())
            return -1;
        const QByteArray a = fa->read(kBlockSize);
        const QByteArray b = fb->read(kBlockSize);
        if (a != b)
            return 0; // also catches a file that changed size while being read
        if (a.isEmpty())
            return (fa->atEnd() && fb->atEnd()) ? 1 : 0;
    }
    GUARD_END(0)
}

int IsSameOpenFile(int fdA, int fdB)
{
    GUARD_BEGIN
    struct stat a, b;
    if (fdA < 0 || fdB < 0 || ::fstat(fdA, &a) != 0 || ::fstat(fdB, &b) != 0 ||
        !S_ISREG(a.st_mode) || !S_ISREG(b.st_mode) || a.st_size != b.st_size)
        return 0;
    const qint64 size = qint64(a.st_size);
    QByteArray blockA, blockB;
    for (qint64 done = 0; done < size; done += kBlockSize) {
        const qint64 want = std::min(kBlockSize, size - done);
        if (ReadBytesAt(fdA, done, want, &blockA) != 0 ||
            ReadBytesAt(fdB, done, want, &blockB) != 0 || blockA.size() != want || blockA != blockB)
            return 0; // also a file that shrank while it was read
    }
    // Nor one that grew.
    return ReadBytesAt(fdA, size, 1, &blockA) == 0 && ReadBytesAt(fdB, size, 1, &blockB) == 0 &&
                   blockA.isEmpty() && blockB.isEmpty()
               ? 1
               : 0;
    GUARD_END(0)
}

void SetBinaryCompareCancelCheck(std::function<bool()> isCancelled)
{
    std::lock_guard lock(gCancelMutex);
    gCancelCheck = std::move(isCancelled);
}

PairWindow CompareWindowForPaths(const QString &left, const QString &right)
{
    if (IsFolderExist(left) && IsFolderExist(right))
        return PairWindow::Folder;
    if (!IsFileExist(left) || !IsFileExist(right))
        return PairWindow::None;
    return IsImageFile(left) && IsImageFile(right) ? PairWindow::Image : PairWindow::Text;
}
