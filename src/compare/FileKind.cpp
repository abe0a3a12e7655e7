#include "compare/FileKind.h"

#include "platform/Guard.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <mutex>

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

bool hasImageExtension(const QString &path)
{
    static const QSet<QString> kExtensions{
        QStringLiteral("pict"), QStringLiteral("jpg"),  QStringLiteral("jpe"),
        QStringLiteral("jpeg"), QStringLiteral("jfif"), QStringLiteral("exif"),
        QStringLiteral("tiff"), QStringLiteral("tif"),  QStringLiteral("pic"),
        QStringLiteral("pct"),  QStringLiteral("bmp"),  QStringLiteral("dib"),
        QStringLiteral("png"),  QStringLiteral("pdf"),  QStringLiteral("raw"),
        QStringLiteral("psd"),  QStringLiteral("gif")};
    return kExtensions.contains(QFileInfo(path).suffix().toLower());
}

bool hasImageSignature(const QByteArray &h)
{
    auto starts = [&](const char *sig, qsizetype len) {
        return h.startsWith(QByteArray(sig, len));
    };
    if (starts("\x89PNG\r\n\x1a\n", 8) || starts("\xff\xd8\xff", 3) || starts("GIF87a", 6) ||
        starts("GIF89a", 6) || starts("BM", 2) || starts("II*\0", 4) || starts("MM\0*", 4) ||
        starts("%PDF", 4) || starts("8BPS", 4) || starts("icns", 4) ||
        starts("\0\0\1\0", 4) /* icon */)
        return true;
    if (starts("RIFF", 4) && h.mid(8, 4) == "WEBP")
        return true;
    // ISO media with an image brand (HEIF, AVIF).
    const QByteArray brand = h.mid(4, 8);
    return brand == "ftypheic" || brand == "ftypheix" || brand == "ftypmif1" || brand == "ftypavif";
}

} // namespace

bool IsImageFile(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    if (hasImageExtension(path))
        return true;
    QFile f(path);
    if (f.size() < kMinSignatureFileSize || !f.open(QIODevice::ReadOnly))
        return false;
    return hasImageSignature(f.read(16));
    GUARD_END(false)
}

int IsSameBinaryFile(const QString &pathA, const QString &pathB, bool checkCancel)
{
    GUARD_BEGIN
    const QFileInfo ia(pathA), ib(pathB);
    if (pathA.isEmpty() || pathB.isEmpty() || !ia.isFile() || !ib.isFile())
        return 0;
    if (ia.size() != ib.size())
        return 0;
    QFile fa(pathA), fb(pathB);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return 0;
    for (;;) {
        if (checkCancel && isCancelled())
            return -1;
        const QByteArray a = fa.read(kBlockSize);
        const QByteArray b = fb.read(kBlockSize);
        if (a != b)
            return 0; // also catches a file that changed size while being read
        if (a.isEmpty())
            return (fa.atEnd() && fb.atEnd()) ? 1 : 0;
    }
    GUARD_END(0)
}

void SetBinaryCompareCancelCheck(std::function<bool()> isCancelled)
{
    std::lock_guard lock(gCancelMutex);
    gCancelCheck = std::move(isCancelled);
}
