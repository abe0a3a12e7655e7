#include "platform/ImageChunkCheck.h"

#include "platform/PixelLimits.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstring>

namespace platform {

namespace {

constexpr char kPngSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr char kMngSignature[8] = {'\x8a', 'M', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr char kJngSignature[8] = {'\x8b', 'J', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr qint64 kIconHeader = 6;
constexpr qint64 kIconEntry = 16;
constexpr qint64 kFamilyHeader = 8;

QString overrun(const char *part, qint64 at, qint64 declared, qint64 left)
{
    return QStringLiteral("%1 at byte %2 declares %3 bytes where %4 are left")
        .arg(QLatin1String(part))
        .arg(at)
        .arg(declared)
        .arg(left);
}

bool readAt(QIODevice *device, qint64 pos, char *out, qint64 count)
{
    return pos >= 0 && device->seek(pos) && device->read(out, count) == count;
}

bool pngStartsAt(QIODevice *device, qint64 pos, qint64 end)
{
    char head[8];
    return end - pos >= 8 && readAt(device, pos, head, 8) &&
           std::memcmp(head, kPngSignature, 8) == 0;
}

// The chunks of a PNG held in [start, end), up to its end chunk. A chunk whose header is cut off
// is left to the decoder, which reads no declared length from it.
QString pngOverrun(QIODevice *device, qint64 start, qint64 end)
{
    qint64 pos = start + 8;
    while (end - pos >= 8) {
        char header[8];
        if (!readAt(device, pos, header, 8))
            return {};
        const qint64 length = qFromBigEndian<quint32>(header);
        const qint64 left = end - pos - 8;
        if (length > left)
            return overrun("a chunk", pos, length, left);
        if (std::memcmp(header + 4, "IEND", 4) == 0)
            return {};
        pos += 12 + length;
    }
    return {};
}

// An icon file: a directory of images, each a bitmap or a PNG of its own.
QString iconOverrun(QIODevice *device, qint64 size)
{
    char header[kIconHeader];
    if (!readAt(device, 0, header, kIconHeader))
        return {};
    const quint16 reserved = qFromLittleEndian<quint16>(header);
    const quint16 type = qFromLittleEndian<quint16>(header + 2);
    const quint16 count = qFromLittleEndian<quint16>(header + 4);
    if (reserved != 0 || (type != 1 && type != 2))
        return {};
    for (qint64 i = 0; i < count; ++i) {
        char entry[kIconEntry];
        if (!readAt(device, kIconHeader + i * kIconEntry, entry, kIconEntry))
            return {};
        const qint64 bytes = qFromLittleEndian<quint32>(entry + 8);
        const qint64 offset = qFromLittleEndian<quint32>(entry + 12);
        if (!pngStartsAt(device, offset, size))
            continue; // a bitmap entry is read row by row
        // A PNG entry is read whole into memory of its declared size.
        if (bytes > size - offset)
            return overrun("an icon entry", offset, bytes, size - offset);
        const QString why = pngOverrun(device, offset, offset + bytes);
        if (!why.isEmpty())
            return why;
    }
    return {};
}

// An icon family: elements of a type and a length that counts their own header.
QString familyOverrun(QIODevice *device, qint64 size)
{
    qint64 pos = kFamilyHeader;
    while (size - pos >= kFamilyHeader) {
        char header[kFamilyHeader];
        if (!readAt(device, pos, header, kFamilyHeader))
            return {};
        const qint64 length = qFromBigEndian<quint32>(header + 4);
        if (length < kFamilyHeader)
            return {}; // the decoder stops here too
        // An element is read whole into memory of its declared size.
        if (length > size - pos)
            return overrun("an element", pos, length, size - pos);
        if (pngStartsAt(device, pos + kFamilyHeader, pos + length)) {
            const QString why = pngOverrun(device, pos + kFamilyHeader, pos + length);
            if (!why.isEmpty())
                return why;
        }
        pos += length;
    }
    return {};
}

// The first size beyond maxPixels that the stream's header or one of its images' headers declares.
std::optional<QSize> oversizedIn(QIODevice *device, qint64 size, qint64 maxPixels)
{
    qint64 pos = 8;
    while (size - pos >= 16) {
        char header[16];
        if (!readAt(device, pos, header, 16))
            return std::nullopt;
        const qint64 length = qFromBigEndian<quint32>(header);
        const char *type = header + 4;
        const bool declaresSize = std::memcmp(type, "MHDR", 4) == 0 ||
                                  std::memcmp(type, "IHDR", 4) == 0 ||
                                  std::memcmp(type, "JHDR", 4) == 0;
        if (declaresSize && length >= 8) {
            const qint64 w = qFromBigEndian<quint32>(header + 8);
            const qint64 h = qFromBigEndian<quint32>(header + 12);
            // A side of 0 alongside a huge one is as much trouble to the decoder.
            const bool beyond = w > maxPixels || h > maxPixels ||
                                std::max<qint64>(w, 1) * std::max<qint64>(h, 1) > maxPixels;
            if ((w > 0 || h > 0) && beyond)
                return QSize(int(std::min<qint64>(w, INT_MAX)), int(std::min<qint64>(h, INT_MAX)));
        }
        if (std::memcmp(type, "MEND", 4) == 0 || std::memcmp(type, "IEND", 4) == 0 ||
            length > size - pos - 12)
            return std::nullopt;
        pos += 12 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<QSize> findOversizedAnimation(QIODevice *device, qint64 maxPixels)
{
    if (!device || !device->isOpen() || device->isSequential())
        return std::nullopt;
    const qint64 keep = device->pos();
    const qint64 size = device->size();
    std::optional<QSize> found;
    char magic[8];
    if (readAt(device, 0, magic, 8) &&
        (std::memcmp(magic, kMngSignature, 8) == 0 || std::memcmp(magic, kJngSignature, 8) == 0))
        found = oversizedIn(device, size, maxPixels);
    device->seek(keep);
    return found;
}

QString findOverlongImageChunk(QIODevice *device)
{
    if (!device || !device->isOpen() || device->isSequential())
        return {};
    const qint64 keep = device->pos();
    const qint64 size = device->size();
    QString why;
    char magic[4] = {};
    if (pngStartsAt(device, 0, size))
        why = pngOverrun(device, 0, size);
    else if (readAt(device, 0, magic, 4) && std::memcmp(magic, "icns", 4) == 0)
        why = familyOverrun(device, size);
    else
        why = iconOverrun(device, size);
    device->seek(keep);
    return why;
}

} // namespace platform
