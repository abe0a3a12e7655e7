#pragma once
// Image files of a few bytes or kilobytes that ask a decoder for a picture of hundreds of
// megapixels, each valid enough that its decoder gets as far as taking the memory. Written byte
// by byte, so that what a file declares is exactly what a test states; shared by the tests and
// the image benchmark.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QSize>
#include <QtEndian>
#include <vector>

namespace pelkotest {

namespace hostile {

inline quint32 crc32Of(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray be32(quint32 v)
{
    QByteArray out(4, 0);
    qToBigEndian(v, out.data());
    return out;
}

inline QByteArray le16(quint16 v)
{
    QByteArray out(2, 0);
    qToLittleEndian(v, out.data());
    return out;
}

inline QByteArray le24(quint32 v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF) + char((v >> 16) & 0xFF);
}

inline QByteArray le32(quint32 v)
{
    QByteArray out(4, 0);
    qToLittleEndian(v, out.data());
    return out;
}

// A zlib stream of `count` zero bytes.
inline QByteArray zlibZeros(qint64 count)
{
    return qCompress(QByteArray(qsizetype(count), 0), 9).mid(4);
}

} // namespace hostile

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return hostile::be32(quint32(data.size())) + body + hostile::be32(hostile::crc32Of(body));
}

// A PNG of w x h pixels, all of colour index or grey 0. With `data` false only the header is
// there: what a decoder reads before it allocates.
inline QByteArray pngOfSize(quint32 w, quint32 h, int bitDepth, int colourType, bool data = true)
{
    QByteArray ihdr = hostile::be32(w) + hostile::be32(h);
    ihdr += char(bitDepth);
    ihdr += char(colourType);
    ihdr += QByteArray(3, 0);
    QByteArray out = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr);
    if (colourType == 3)
        out += pngChunk("PLTE", QByteArray::fromHex("000000ffffff"));
    if (data) {
        const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
        const qint64 rowBytes = 1 + (qint64(w) * channels * bitDepth + 7) / 8;
        out += pngChunk("IDAT", hostile::zlibZeros(rowBytes * h));
    }
    return out + pngChunk("IEND", {});
}

// A GIF whose logical screen is `screen`, with one image of `frame` pixels per entry (each a
// single colour, the rest of it left to the decoder).
inline QByteArray gifOf(QSize screen, const std::vector<QSize> &frames)
{
    QByteArray out("GIF89a");
    out += hostile::le16(quint16(screen.width())) + hostile::le16(quint16(screen.height()));
    out += QByteArray::fromHex("800000"); // two-colour global table
    out += QByteArray::fromHex("000000ffffff");
    for (const QSize &frame : frames) {
        out += QByteArray::fromHex("21f904000a0000"
                                   "00"); // 1/10 s per frame
        out += char(0x2C) + hostile::le16(0) + hostile::le16(0);
        out += hostile::le16(quint16(frame.width())) + hostile::le16(quint16(frame.height()));
        out += char(0);
        out += QByteArray::fromHex("0202440100"); // clear, index 0, end
    }
    return out + char(0x3B);
}

// A JPEG that declares w x h pixels and holds the data of 8 x 8: progressive, or baseline.
inline QByteArray jpegDeclaring(quint16 w, quint16 h, bool progressive, bool colour = false)
{
    QImage picture(16, 16, colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    picture.fill(colour ? QColor(200, 60, 30) : QColor(128, 128, 128));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(50);
    if (!writer.write(picture))
        return {};
    const QByteArray frame = progressive ? QByteArray("\xFF\xC2", 2) : QByteArray("\xFF\xC0", 2);
    const qsizetype at = bytes.indexOf(frame);
    if (at < 0)
        return {};
    qToBigEndian(h, bytes.data() + at + 5);
    qToBigEndian(w, bytes.data() + at + 7);
    return bytes;
}

// A deflate-compressed grey TIFF of w x h zero pixels whose strips all share one stored strip.
inline QByteArray tiffDeflate(quint32 w, quint32 h)
{
    using namespace hostile;
    const quint32 rowsPerStrip = std::max<quint32>(1, std::min<quint32>(h, (4u << 20) / w));
    const quint32 strips = (h + rowsPerStrip - 1) / rowsPerStrip;
    const QByteArray strip = zlibZeros(qint64(w) * rowsPerStrip);
    const int entries = 9;
    const quint32 ifd = 8;
    const quint32 offsetsAt = ifd + 2 + entries * 12 + 4;
    const quint32 countsAt = offsetsAt + 4 * strips;
    const quint32 dataAt = strips == 1 ? offsetsAt : countsAt + 4 * strips;
    QByteArray out = QByteArray("II*\0", 4) + le32(ifd) + le16(entries);
    auto entry = [&](quint16 tag, quint16 type, quint32 count, quint32 value) {
        out += le16(tag) + le16(type) + le32(count);
        out += type == 3 && count == 1 ? le16(quint16(value)) + le16(0) : le32(value);
    };
    entry(256, 4, 1, w);
    entry(257, 4, 1, h);
    entry(258, 3, 1, 8);
    entry(259, 3, 1, 8); // deflate
    entry(262, 3, 1, 1);
    entry(273, 4, strips, strips == 1 ? dataAt : offsetsAt);
    entry(277, 3, 1, 1);
    entry(278, 4, 1, rowsPerStrip);
    entry(279, 4, strips, strips == 1 ? quint32(strip.size()) : countsAt);
    out += le32(0);
    if (strips > 1) {
        for (quint32 i = 0; i < strips; ++i)
            out += le32(dataAt);
        for (quint32 i = 0; i < strips; ++i)
            out += le32(quint32(strip.size()));
    }
    return out + strip;
}

// A run-length coded 8-bit bitmap of w x h whose data ends at once.
inline QByteArray bmpRle8(qint32 w, qint32 h)
{
    using namespace hostile;
    const quint32 palette = 256 * 4;
    const quint32 dataAt = 14 + 40 + palette;
    QByteArray out("BM");
    out += le32(dataAt + 2) + le32(0) + le32(dataAt);
    out += le32(40) + le32(quint32(w)) + le32(quint32(h)) + le16(1) + le16(8) + le32(1) + le32(2);
    out += le32(2835) + le32(2835) + le32(256) + le32(0);
    out += QByteArray(qsizetype(palette), 0);
    return out + QByteArray::fromHex("0001"); // end of bitmap
}

namespace hostile {

// Bits written least significant first, as the lossless WebP stream reads them.
struct BitWriter
{
    QByteArray bytes;
    int used = 0;
    void put(quint32 value, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (used % 8 == 0)
                bytes += char(0);
            if (value >> i & 1u)
                bytes[bytes.size() - 1] = char(bytes.back() | (1 << (used % 8)));
            ++used;
        }
    }
};

// A lossless WebP bitstream of w x h opaque black pixels: every prefix code has one symbol,
// so the pixels take no bits at all.
inline QByteArray vp8lBlack(quint32 w, quint32 h)
{
    BitWriter bits;
    bits.put(w - 1, 14);
    bits.put(h - 1, 14);
    bits.put(0, 1); // no alpha
    bits.put(0, 3); // version
    bits.put(0, 1); // no transform
    bits.put(0, 1); // no colour cache
    bits.put(0, 1); // one prefix code group
    for (int code = 0; code < 5; ++code) {
        bits.put(1, 1); // simple code
        bits.put(0, 1); // one symbol
        if (code == 3) {
            bits.put(1, 1); // eight bits
            bits.put(255, 8);
        } else {
            bits.put(0, 1);
            bits.put(0, 1);
        }
    }
    return QByteArray(1, '\x2f') + bits.bytes + QByteArray(8, 0);
}

inline QByteArray riffChunk(const char *type, const QByteArray &data)
{
    QByteArray out = QByteArray(type, 4) + le32(quint32(data.size())) + data;
    if (data.size() % 2)
        out += char(0);
    return out;
}

inline QByteArray riffWebp(const QByteArray &chunks)
{
    return QByteArray("RIFF") + le32(quint32(4 + chunks.size())) + QByteArray("WEBP") + chunks;
}

} // namespace hostile

// A lossless WebP of w x h (each side at most 16384).
inline QByteArray webpLossless(quint32 w, quint32 h)
{
    return hostile::riffWebp(hostile::riffChunk("VP8L", hostile::vp8lBlack(w, h)));
}

// An animated WebP on a canvas of `canvas`, with one frame of each size given.
inline QByteArray webpAnimation(QSize canvas, const std::vector<QSize> &frames)
{
    using namespace hostile;
    QByteArray vp8x(1, char(0x02)); // animation
    vp8x +=
        QByteArray(3, 0) + le24(quint32(canvas.width() - 1)) + le24(quint32(canvas.height() - 1));
    QByteArray chunks = riffChunk("VP8X", vp8x) + riffChunk("ANIM", QByteArray(6, 0));
    for (const QSize &frame : frames) {
        QByteArray anmf = le24(0) + le24(0) + le24(quint32(frame.width() - 1)) +
                          le24(quint32(frame.height() - 1)) + le24(100) + char(0);
        anmf += riffChunk("VP8L", vp8lBlack(quint32(frame.width()), quint32(frame.height())));
        chunks += riffChunk("ANMF", anmf);
    }
    return riffWebp(chunks);
}

// An icon file whose `count` entries all name the one PNG that follows the directory.
inline QByteArray iconHolding(const QByteArray &png, int count = 1)
{
    using namespace hostile;
    QByteArray out = le16(0) + le16(1) + le16(quint16(count));
    const quint32 dataAt = quint32(6 + 16 * count);
    for (int i = 0; i < count; ++i)
        out += QByteArray::fromHex("0403000001002000") + le32(quint32(png.size())) + le32(dataAt);
    return out + png;
}

// An icon family holding one element of the type given (a PNG for the larger types).
inline QByteArray iconFamilyHolding(const QByteArray &element, const char *type = "ic07")
{
    QByteArray item = QByteArray(type, 4) + hostile::be32(quint32(8 + element.size())) + element;
    QByteArray out = QByteArray("icns") + hostile::be32(quint32(8 + item.size()));
    return out + item;
}

// One hostile file: its name (the suffix its content has) and the size it declares.
struct HostileImage
{
    const char *name;
    QByteArray bytes;
    QSize declared;
};

// One of each kind a few bytes can turn into gigabytes of a decoder's memory.
inline std::vector<HostileImage> hostileImages()
{
    const QByteArray monoPng = pngOfSize(16384, 16384, 1, 0);
    return {
        {"animation.webp", webpAnimation({16383, 16383}, {{1, 1}}), {16383, 16383}},
        {"progressive.jpg", jpegDeclaring(30000, 30000, true), {30000, 30000}},
        {"deflate.tiff", tiffDeflate(16000, 16000), {16000, 16000}},
        {"rle8.bmp", bmpRle8(16000, 16000), {16000, 16000}},
        {"lossless.webp", webpLossless(16383, 16383), {16383, 16383}},
        {"png.icns", iconFamilyHolding(monoPng, "ic10"), {16384, 16384}},
        {"screen.gif", gifOf({16383, 16383}, {{1, 1}}), {16383, 16383}},
        {"mono.png", monoPng, {16384, 16384}},
        {"entries.ico", iconHolding(pngOfSize(8192, 8192, 1, 0), 64), {8192, 8192}},
    };
}

} // namespace pelkotest
