// The look at a compared file's first bytes that decides between the image and the text window,
// and the byte-for-byte compare, over any content and name. Besides reading nothing beyond what
// the file holds: an image name is an image whatever the content, a file too short for a
// signature is an image only by its name, the pair window follows the sniffing of both files, a
// file equals its copy and differs from the copy with one byte changed.
//
// Input: byte 0 picks the name's suffix, the rest is the file.
#include "FuzzQuiet.h"
#include "compare/FileKind.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    if (!dir.isValid() || size < 1 || size > 256 * 1024)
        return 0;
    static const char *const kSuffixes[] = {"",      ".txt",  ".png", ".PNG", ".Jpeg",   ".icns",
                                            ".bmp",  ".c",    ".gif", ".pdf", ".tar.gz", ".png.txt",
                                            ".webp", ".heic", ".ico", "."};
    constexpr int kSuffixCount = int(sizeof kSuffixes / sizeof *kSuffixes);
    const QString name = QStringLiteral("file") + QLatin1String(kSuffixes[data[0] % kSuffixCount]);
    const QByteArray content(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QString path = dir.filePath(name);
    const QString copy = dir.filePath(QStringLiteral("copy") + name);
    if (!writeFile(path, content) || !writeFile(copy, content))
        return 0;

    const bool image = IsImageFile(path);
    const bool imageName = IsImageFileExtension(QFileInfo(path).suffix().toLower());
    if (imageName && !image)
        __builtin_trap();
    if (!imageName && content.size() < 30 && image)
        __builtin_trap(); // a signature read from a file too short to hold one
    const PairWindow window = CompareWindowForPaths(path, copy);
    if (window != (image ? PairWindow::Image : PairWindow::Text))
        __builtin_trap();

    if (IsSameBinaryFile(path, copy, false) != 1)
        __builtin_trap();
    if (!content.isEmpty()) {
        QByteArray changed = content;
        const qsizetype at = qsizetype(data[0]) * (changed.size() - 1) / 255;
        changed[at] = char(changed[at] ^ 0x20);
        if (!writeFile(copy, changed) || IsSameBinaryFile(path, copy, false) != 0)
            __builtin_trap();
    }
    QFile::remove(path);
    QFile::remove(copy);
    return 0;
}
