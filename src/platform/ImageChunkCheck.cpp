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

// Why the PNG (or multiple-image stream, whose last chunk is named `last`) held in [start, end) is
// refused: a chunk that declares more data than is left. The walk ends at its last chunk or at
// that one; a chunk whose header is cut off is left to the decoder, which reads no declared length
// from it.
QString pngOverrun(ImageBytes &bytes, qint64 start, qint64 end, const char *last = "IEND")
{
    qint64 pos = start + 8;
    while (end - pos >= 8) {
        const QByteArray header = bytes.at(pos, 8);
        if (header.isEmpty())
            break;
        const qint64 length = be32At(header, 0);
        if (length > end - pos - 8)
            return overrun("a chunk", pos, length, end - pos - 8);
        if (std::memcmp(header.constData() + 4, last, 4) == 0)
            break;
        pos += 12 + length;
    }
    return {};
}

// The chunks of every PNG an icon holds, each read once. Where a chunk begins decides all that
// follows it (walks run to the end of the file), so a walk that reaches a chunk another walk read
// goes on as that one did: the chunks form a forest whose roots are the last chunks read, and a
// chunk's data ends further on than that of any chunk before it on its way to a root. Images that
// lie inside each other's chunks share their later chunks instead of reading them again.
class IconChunks
{
public:
    explicit IconChunks(ImageBytes &bytes) : mBytes(bytes) {}

    // The first chunk of the PNG that starts at `start`, read on to the end of the file when it
    // is new; -1 when it has none.
    int walk(qint64 start)
    {
        const qint64 end = mBytes.size();
        const size_t first = mChunks.size();
        int joined = -1;
        qint64 pos = start + 8;
        while (end - pos >= 8) {
            if (const auto known = mAt.find(pos); known != mAt.end()) {
                joined = known->second;
                break;
            }
            if (!mBytes.spend())
                break;
            const QByteArray header = mBytes.at(pos, 8);
            if (header.isEmpty())
                break;
            const qint64 length = be32At(header, 0);
            mAt.emplace(pos, int(mChunks.size()));
            mChunks.push_back({pos, pos + 8 + length});
            if (mChunks.back().dataEnd > end || std::memcmp(header.constData() + 4, "IEND", 4) == 0)
                break;
            pos += 12 + length;
        }
        // Linked from the last chunk read back to the first, each to the one after it, which is
        // placed already.
        for (size_t i = mChunks.size(); i-- > first;)
            place(int(i), i + 1 < mChunks.size() ? int(i + 1) : joined);
        return first < mChunks.size() ? int(first) : joined;
    }

    // Why the PNG whose first chunk is `chunk` is refused when it must end at `end`.
    QString overrunWithin(int chunk, qint64 end) const
    {
        // The first chunk on the way whose data ends after `end`: the end of the data grows
        // along the way, so a jump whose target still ends before it passes over no such chunk.
        while (chunk >= 0 && mChunks[size_t(chunk)].dataEnd <= end) {
            const Chunk &c = mChunks[size_t(chunk)];
            chunk = c.jump >= 0 && mChunks[size_t(c.jump)].dataEnd <= end ? c.jump : c.next;
        }
        if (chunk < 0)
            return {};
        const Chunk &c = mChunks[size_t(chunk)];
        if (end - c.pos < 8)
            return {};
        return overrun("a chunk", c.pos, c.dataEnd - c.pos - 8, end - c.pos - 8);
    }

private:
    struct Chunk
    {
        qint64 pos;
        qint64 dataEnd;
        int next = -1;
        int jump = -1;  // a chunk further on, for skipping many at once
        int height = 0; // chunks between this one and its root
    };

    // Skew-binary jumps: any chunk further on is reached in a number of jumps and steps that
    // grows with the logarithm of the distance.
    void place(int i, int next)
    {
        Chunk &c = mChunks[size_t(i)];
        c.next = next;
        if (next < 0)
            return;
        const Chunk &n = mChunks[size_t(next)];
        c.height = n.height + 1;
        const int j = n.jump;
        c.jump =
            j >= 0 && mChunks[size_t(j)].jump >= 0 &&
                    n.height - mChunks[size_t(j)].height ==
                        mChunks[size_t(j)].height - mChunks[size_t(mChunks[size_t(j)].jump)].height
                ? mChunks[size_t(j)].jump
                : next;
    }

    ImageBytes &mBytes;
    std::vector<Chunk> mChunks;
    std::unordered_map<qint64, int> mAt;
};

// An icon file: a directory of images, each a bitmap or a PNG of its own. Entries may share an
// image, and images may lie inside each other's chunks: every chunk is read once, and every
// entry's own end is judged on the walk of its image.
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
    IconChunks chunks(bytes);
    // The first chunk of each image met: -1 for a PNG without chunks, nothing for a bitmap.
    std::unordered_map<qint64, std::optional<int>> images;
    for (qint64 i = 0; i < listed; ++i) {
        const qsizetype at = qsizetype(i * kIconEntry);
        const qint64 length = le32At(directory, at + 8);
        const qint64 offset = le32At(directory, at + 12);
        auto [image, fresh] = images.try_emplace(offset);
        if (fresh && pngStartsAt(bytes, offset, size))
            image->second = chunks.walk(offset);
        if (bytes.exhausted())
            return QStringLiteral("the icon's images hold more chunks than any icon needs");
        if (!image->second)
            continue; // a bitmap entry is read row by row
        // A PNG entry is read whole into memory of its declared size.
        if (length > size - offset)
            return overrun("an icon entry", offset, length, size - offset);
        const QString why = chunks.overrunWithin(*image->second, offset + length);
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
        why = pngOverrun(bytes, 0, bytes.size(), "MEND");
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
