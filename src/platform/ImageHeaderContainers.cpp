// The header readers of the formats that hold directories of images or of parts: TIFF, icons,
// icon families and multiple-image streams.
#include "platform/ImageHeaderFormats.h"

#include <QSet>
#include <cstring>

namespace platform::headers {

namespace {

constexpr char kPngSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr qint64 kMaxTiffEntries = 4096;

// The fields of a TIFF's first directory that decide what its decoder takes.
struct TiffFields
{
    qint64 width = 0, height = 0;
    qint64 bitsPerSample = 1, samplesPerPixel = 1;
    qint64 rowsPerStrip = LLONG_MAX;
    qint64 tileWidth = 0, tileHeight = 0;
    qint64 offsets = 0; // strips or tiles listed
};

class TiffReader
{
public:
    TiffReader(ImageBytes &bytes, qint64 start, bool little, bool big)
        : mBytes(bytes), mStart(start), mLittle(little), mBig(big)
    {}

    quint64 number(const QByteArray &b, qsizetype at, int width) const
    {
        quint64 value = 0;
        for (int i = 0; i < width; ++i) {
            const quint64 byte = quint8(b[at + (mLittle ? i : width - 1 - i)]);
            value |= byte << (8 * i);
        }
        return value;
    }

    // The first value of an entry, inline or where the entry points.
    qint64 firstValue(const QByteArray &entry)
    {
        const int type = int(number(entry, 2, 2));
        const int width = type == 3 || type == 8     ? 2
                          : type == 16 || type == 17 ? 8
                          : type == 1                ? 1
                                                     : 4;
        const quint64 count = number(entry, 4, mBig ? 8 : 4);
        const qsizetype field = mBig ? 12 : 8;
        const int inlineBytes = mBig ? 8 : 4;
        if (count == 0)
            return 0;
        // Values that fit the entry's last field are held there (never a value wider than it,
        // whatever the type says).
        if (count <= quint64(inlineBytes / width))
            return qint64(std::min<quint64>(number(entry, field, width), LLONG_MAX));
        const QByteArray at = mBytes.at(
            saturatingAdd(mStart,
                          qint64(std::min<quint64>(number(entry, field, mBig ? 8 : 4), LLONG_MAX))),
            width);
        return at.isEmpty() ? 0 : qint64(std::min<quint64>(number(at, 0, width), LLONG_MAX));
    }

    std::optional<TiffFields> firstDirectory(const QByteArray &header)
    {
        const qint64 directory =
            qint64(std::min<quint64>(number(header, 4, mBig ? 8 : 4), LLONG_MAX));
        const int countWidth = mBig ? 8 : 2;
        const qint64 entrySize = mBig ? 20 : 12;
        const QByteArray countBytes = mBytes.at(saturatingAdd(mStart, directory), countWidth);
        if (countBytes.isEmpty())
            return std::nullopt;
        const qint64 count =
            qint64(std::min<quint64>(number(countBytes, 0, countWidth), kMaxTiffEntries));
        TiffFields fields;
        for (qint64 i = 0; i < count && mBytes.spend(); ++i) {
            const QByteArray entry =
                mBytes.at(saturatingAdd(mStart, directory + countWidth + i * entrySize), entrySize);
            if (entry.isEmpty())
                break;
            switch (number(entry, 0, 2)) {
            case 256:
                fields.width = firstValue(entry);
                break;
            case 257:
                fields.height = firstValue(entry);
                break;
            case 258:
                fields.bitsPerSample = firstValue(entry);
                break;
            case 277:
                fields.samplesPerPixel = firstValue(entry);
                break;
            case 278:
                fields.rowsPerStrip = firstValue(entry);
                break;
            case 322:
                fields.tileWidth = firstValue(entry);
                break;
            case 323:
                fields.tileHeight = firstValue(entry);
                break;
            case 273:
            case 324:
                fields.offsets =
                    qint64(std::min<quint64>(number(entry, 4, mBig ? 8 : 4), LLONG_MAX));
                break;
            default:
                break;
            }
        }
        return fields;
    }

private:
    ImageBytes &mBytes;
    qint64 mStart;
    bool mLittle, mBig;
};

// The side of the legacy icon family elements, whose pixels are stored raw or run-length coded.
int legacyElementSide(const QByteArray &type)
{
    static const struct
    {
        const char *types;
        int side;
    } sides[] = {
        {"ics#ics4ics8is32s8mkicp4ic04icm#icm4icm8", 16},
        {"ICN#icl4icl8il32l8mkicp5ic05ic11", 32},
        {"ich#ich4ich8ih32h8mk", 48},
        {"icp6ic12", 64},
        {"it32t8mkic07", 128},
        {"ic08ic13", 256},
        {"ic09ic14", 512},
        {"ic10", 1024},
    };
    for (const auto &row : sides) {
        for (const char *t = row.types; *t; t += 4)
            if (std::memcmp(t, type.constData(), 4) == 0)
                return row.side;
    }
    return 0;
}

} // namespace

Demand tiffDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    const QByteArray header = bytes.at(start, std::min<qint64>(16, end - start));
    if (header.size() < 8)
        return std::nullopt;
    const bool little = header.startsWith("II");
    const bool big = header[2] == (little ? '+' : '\0') && header[3] == (little ? '\0' : '+');
    if (big && header.size() < 16)
        return std::nullopt;
    TiffReader reader(bytes, start, little, big);
    const auto fields = reader.firstDirectory(header);
    if (!fields || fields->width <= 0 || fields->height <= 0)
        return std::nullopt;
    const qint64 bits = std::max<qint64>(fields->bitsPerSample, 1);
    const qint64 sampleBytes = (bits + 7) / 8;
    const qint64 pixelBytes =
        saturatingMul(std::max<qint64>(fields->samplesPerPixel, 1), sampleBytes);
    // The decoder reads a strip or a tile at a time into a buffer of its own.
    const qint64 part = fields->tileWidth > 0 && fields->tileHeight > 0
                            ? saturatingMul(fields->tileWidth, fields->tileHeight)
                            : saturatingMul(fields->width, std::clamp<qint64>(fields->rowsPerStrip,
                                                                              1, fields->height));
    DecodeDemand demand;
    demand.size = clampedSize(fields->width, fields->height);
    demand.bytesPerPixel = bits <= 8 ? 4 : bits <= 16 ? 8 : 16;
    demand.fixedBytes =
        saturatingAdd(saturatingMul(part, pixelBytes), saturatingMul(fields->offsets, 16));
    return demand;
}

Demand iconDemand(ImageBytes &bytes, qint64 start, qint64 end, int depth)
{
    const QByteArray header = bytes.at(start, std::min<qint64>(6, end - start));
    if (header.size() < 6 || depth > kMaxNesting)
        return std::nullopt;
    const quint32 type = le16At(header, 2);
    const qint64 count = le16At(header, 4);
    if (le16At(header, 0) != 0 || (type != 1 && type != 2) || count == 0)
        return std::nullopt;
    const qint64 listed = std::min(count, (end - start - 6) / 16);
    const QByteArray directory = bytes.at(start + 6, listed * 16);
    if (directory.size() < listed * 16)
        return std::nullopt;
    Demand most = DecodeDemand{QSize(0, 0)};
    qint64 largestEntry = 0;
    // Entries often share one image: each distinct one is read once.
    QSet<QPair<qint64, qint64>> seen;
    for (qint64 i = 0; i < listed && bytes.spend(); ++i) {
        const qsizetype at = qsizetype(i * 16);
        const int w = quint8(directory[at]), h = quint8(directory[at + 1]);
        most = moreDemanding(most, DecodeDemand{QSize(w ? w : 256, h ? h : 256)});
        const qint64 length = le32At(directory, at + 8);
        const qint64 from = start + le32At(directory, at + 12);
        if (from >= end || seen.contains({from, length}))
            continue;
        seen.insert({from, length});
        const qint64 to = std::min(end, from + length);
        largestEntry = std::max(largestEntry, to - from);
        Demand held = bytes.startsWith(from, kPngSignature, 8)
                          ? pngDemand(bytes, from, to)
                          : demandIn(bytes, from, to, depth + 1);
        if (!held) {
            // A bitmap entry's height counts its mask too.
            held = dibDemand(bytes, from, to);
            if (held) // halved in 64 bits: the height may be the largest an int holds
                held->size.setHeight(int((qint64(held->size.height()) + 1) / 2));
        }
        most = moreDemanding(most, held);
    }
    // A PNG entry is read whole before it is decoded.
    most->fixedBytes = saturatingAdd(most->fixedBytes, largestEntry);
    most->reducible = false;
    return most;
}

Demand familyDemand(ImageBytes &bytes, qint64 start, qint64 end, int depth)
{
    if (depth > kMaxNesting || !bytes.startsWith(start, "icns", 4))
        return std::nullopt;
    Demand most;
    qint64 largestElement = 0;
    qint64 pos = start + 8;
    while (end - pos >= 8 && bytes.spend()) {
        const QByteArray header = bytes.at(pos, 8);
        if (header.isEmpty())
            break;
        const qint64 length = be32At(header, 4);
        if (length < 8)
            break;
        const qint64 to = std::min(end, pos + length);
        largestElement = std::max(largestElement, to - pos);
        Demand held = demandIn(bytes, pos + 8, to, depth + 1);
        if (!held) {
            if (const int side = legacyElementSide(header.left(4)))
                held = DecodeDemand{QSize(side, side)};
        }
        most = moreDemanding(most, held);
        pos = saturatingAdd(pos, length);
    }
    if (!most)
        return std::nullopt;
    // An element is read whole before it is decoded.
    most->fixedBytes = saturatingAdd(most->fixedBytes, largestElement);
    most->reducible = false;
    return most;
}

Demand multipleImageDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    QSize frame, largestObject;
    qint64 objectPixels = 0;
    bool declared = false;
    qint64 pos = start + 8;
    while (end - pos >= 12 && bytes.spend()) {
        const QByteArray header = bytes.at(pos, std::min<qint64>(16, end - pos));
        if (header.isEmpty())
            break;
        const qint64 length = be32At(header, 0);
        const QByteArray type = header.mid(4, 4);
        const bool isStream = type == "MHDR";
        // Every image the stream defines may be kept at once, each at the size it declares.
        const bool isObject = type == "IHDR" || type == "JHDR" || type == "BASI";
        if ((isStream || isObject) && length >= 8 && header.size() >= 16) {
            const QSize size = clampedSize(be32At(header, 8), be32At(header, 12));
            declared = true;
            if (isStream) {
                frame = frame.expandedTo(size);
            } else {
                largestObject = largestObject.expandedTo(size);
                objectPixels = saturatingAdd(objectPixels, demandPixels(size));
            }
        }
        if (type == "MEND" || type == "IEND" || length > end - pos - 12)
            break;
        pos += 12 + length;
    }
    if (!declared)
        return std::nullopt;
    DecodeDemand demand;
    demand.size = frame.expandedTo(largestObject);
    demand.fixedBytes = saturatingMul(objectPixels, 4);
    return demand;
}

} // namespace platform::headers
