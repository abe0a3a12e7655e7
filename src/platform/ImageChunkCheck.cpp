#include "platform/ImageChunkCheck.h"

#include "platform/ImageHeaderFormats.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

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

bool pngStartsAt(ImageBytes &bytes, qint64 pos, qint64 end)
{
    return end - pos >= 8 && bytes.startsWith(pos, kPngSignature, 8);
}

struct PngChunk
{
    qint64 pos;
    qint64 length;
    qint64 dataEnd() const { return pos + 8 + length; }
};

// The chunks of a PNG (or of a multiple-image stream, whose last chunk is named `last`) held in
// [start, end), up to its last chunk or the first chunk that declares more than is left; a chunk
// whose header is cut off is left to the decoder, which reads no declared length from it. Each
// chunk ends its data after the one before it.
std::vector<PngChunk> pngChunks(ImageBytes &bytes, qint64 start, qint64 end,
                                const char *last = "IEND")
{
    std::vector<PngChunk> chunks;
    qint64 pos = start + 8;
    while (end - pos >= 8) {
        const QByteArray header = bytes.at(pos, 8);
        if (header.isEmpty())
            break;
        chunks.push_back({pos, be32At(header, 0)});
        if (chunks.back().dataEnd() > end || std::memcmp(header.constData() + 4, last, 4) == 0)
            break;
        pos += 12 + chunks.back().length;
    }
    return chunks;
}

// Why the PNG whose chunks these are is refused when it must end at `end` (no later than where
// the chunks were read to).
QString overrunWithin(const std::vector<PngChunk> &chunks, qint64 end)
{
    const auto first = std::partition_point(
        chunks.begin(), chunks.end(), [end](const PngChunk &c) { return c.dataEnd() <= end; });
    if (first == chunks.end() || end - first->pos < 8)
        return {};
    return overrun("a chunk", first->pos, first->length, end - first->pos - 8);
}

QString pngOverrun(ImageBytes &bytes, qint64 start, qint64 end)
{
    return overrunWithin(pngChunks(bytes, start, end), end);
}

// An icon file: a directory of images, each a bitmap or a PNG of its own. Entries may share an
// image: each one is walked once, to the end of the file, and every entry's own end is judged
// on that walk.
QString iconOverrun(ImageBytes &bytes)
{
    const qint64 size = bytes.size();
    const QByteArray header = bytes.at(0, kIconHeader);
    if (header.isEmpty())
        return {};
    const quint32 type = le16At(header, 2);
    const qint64 count = le16At(header, 4);
    if (le16At(header, 0) != 0 || (type != 1 && type != 2))
        return {};
    const qint64 listed = std::min(count, (size - kIconHeader) / kIconEntry);
    const QByteArray directory = bytes.at(kIconHeader, listed * kIconEntry);
    if (directory.size() < listed * kIconEntry)
        return {};
    std::unordered_map<qint64, std::optional<std::vector<PngChunk>>> walked;
    for (qint64 i = 0; i < listed; ++i) {
        const qsizetype at = qsizetype(i * kIconEntry);
        const qint64 length = le32At(directory, at + 8);
        const qint64 offset = le32At(directory, at + 12);
        auto [image, fresh] = walked.try_emplace(offset);
        if (fresh && pngStartsAt(bytes, offset, size))
            image->second = pngChunks(bytes, offset, size);
        if (!image->second)
            continue; // a bitmap entry is read row by row
        // A PNG entry is read whole into memory of its declared size.
        if (length > size - offset)
            return overrun("an icon entry", offset, length, size - offset);
        const QString why = overrunWithin(*image->second, offset + length);
        if (!why.isEmpty())
            return why;
    }
    return {};
}

// An icon family: elements of a type and a length that counts their own header.
QString familyOverrun(ImageBytes &bytes)
{
    const qint64 size = bytes.size();
    qint64 pos = kFamilyHeader;
    while (size - pos >= kFamilyHeader) {
        const QByteArray header = bytes.at(pos, kFamilyHeader);
        if (header.isEmpty())
            return {};
        const qint64 length = be32At(header, 4);
        if (length < kFamilyHeader)
            return {}; // the decoder stops here too
        // An element is read whole into memory of its declared size.
        if (length > size - pos)
            return overrun("an element", pos, length, size - pos);
        if (pngStartsAt(bytes, pos + kFamilyHeader, pos + length)) {
            const QString why = pngOverrun(bytes, pos + kFamilyHeader, pos + length);
            if (!why.isEmpty())
                return why;
        }
        pos += length;
    }
    return {};
}

} // namespace

std::optional<QSize> findOversizedAnimation(QIODevice *device, qint64 maxPixels)
{
    if (!device || !device->isOpen() || device->isSequential())
        return std::nullopt;
    const qint64 keep = device->pos();
    ImageBytes bytes(device);
    std::optional<QSize> found;
    if (bytes.startsWith(0, kMngSignature, 8) || bytes.startsWith(0, kJngSignature, 8)) {
        const auto demand = headers::multipleImageDemand(bytes, 0, bytes.size());
        // A side of 0 alongside a huge one is as much trouble to the decoder; so are many
        // images within the bound each.
        if (demand &&
            (demandPixels(demand->size) > maxPixels || demand->fixedBytes / 4 > maxPixels))
            found = demand->size;
    }
    device->seek(keep);
    return found;
}

QString findOverlongImageChunk(QIODevice *device)
{
    if (!device || !device->isOpen() || device->isSequential())
        return {};
    const qint64 keep = device->pos();
    ImageBytes bytes(device);
    QString why;
    if (pngStartsAt(bytes, 0, bytes.size()))
        why = pngOverrun(bytes, 0, bytes.size());
    else if (bytes.startsWith(0, kMngSignature, 8))
        why = overrunWithin(pngChunks(bytes, 0, bytes.size(), "MEND"), bytes.size());
    else if (bytes.startsWith(0, kJngSignature, 8))
        why = pngOverrun(bytes, 0, bytes.size());
    else if (bytes.startsWith(0, "icns", 4))
        why = familyOverrun(bytes);
    else
        why = iconOverrun(bytes);
    device->seek(keep);
    return why;
}

} // namespace platform
