#include "platform/ImageHeaders.h"

#include "platform/ImageDownscale.h"
#include "platform/ImageHeaderFormats.h"

#include <QIODevice>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace headers {

namespace {

constexpr char kPngSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr char kMngSignature[8] = {'\x8a', 'M', 'N', 'G', '\r', '\n', '\x1a', '\n'};
constexpr char kJngSignature[8] = {'\x8b', 'J', 'N', 'G', '\r', '\n', '\x1a', '\n'};

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

qint64 roundUp(qint64 a, qint64 step)
{
    return ceilDiv(a, step) * step;
}

// The position of the next 0xFF at or after pos, or -1: a JPEG decoder skips anything else
// between its segments.
qint64 nextMarker(ImageBytes &bytes, qint64 pos, qint64 end)
{
    while (pos < end && bytes.spend()) {
        const qint64 n = std::min<qint64>(end - pos, 4096);
        const QByteArray block = bytes.at(pos, n);
        if (block.isEmpty())
            return -1;
        const qsizetype i = block.indexOf('\xFF');
        if (i >= 0)
            return pos + i;
        pos += n;
    }
    return -1;
}

bool isFrameMarker(int m)
{
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

struct JpegFrame
{
    int marker = 0;
    qint64 width = 0, height = 0;
    std::vector<std::pair<int, int>> sampling; // per component
};

std::optional<JpegFrame> readJpegFrame(const QByteArray &sof, int marker)
{
    if (sof.size() < 6)
        return std::nullopt;
    JpegFrame frame;
    frame.marker = marker;
    frame.height = be16At(sof, 1);
    frame.width = be16At(sof, 3);
    const int count = quint8(sof[5]);
    for (int i = 0; i < count && 6 + 3 * i + 3 <= sof.size(); ++i) {
        const int factors = quint8(sof[6 + 3 * i + 1]);
        // A factor beyond 1..4 is refused by the decoder; counted as the nearest it accepts.
        frame.sampling.emplace_back(std::clamp(factors >> 4, 1, 4), std::clamp(factors & 15, 1, 4));
    }
    return frame;
}

// The decoder keeps every coefficient of the picture (two bytes each) when it reads more than
// one scan: each component's blocks, padded to whole groups of its sampling factors.
qint64 coefficientBytes(const JpegFrame &frame)
{
    int hMax = 1, vMax = 1;
    for (const auto &[h, v] : frame.sampling) {
        hMax = std::max(hMax, h);
        vMax = std::max(vMax, v);
    }
    qint64 total = 0;
    for (const auto &[h, v] : frame.sampling) {
        const qint64 across = roundUp(ceilDiv(frame.width * h, qint64(hMax) * 8), h);
        const qint64 down = roundUp(ceilDiv(frame.height * v, qint64(vMax) * 8), v);
        total = saturatingAdd(total, saturatingMul(saturatingMul(across, down), 128));
    }
    return total;
}

qint64 afterSubBlocks(ImageBytes &bytes, qint64 pos, qint64 end)
{
    while (pos < end && bytes.spend()) {
        const int length = bytes.byte(pos);
        if (length < 0)
            return -1;
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
    return -1;
}

struct WebpFacts
{
    QSize canvas, still, largestFrame;
    bool animated = false, lossless = false, alpha = false;
    int frames = 0;
};

// The size a VP8 or VP8L bitstream declares (invalid when it declares none).
QSize webpBitstreamSize(ImageBytes &bytes, const QByteArray &type, qint64 data)
{
    if (type == "VP8 ") {
        const QByteArray d = bytes.at(data, 10);
        if (d.size() == 10 && std::memcmp(d.constData() + 3, "\x9d\x01\x2a", 3) == 0)
            return QSize(int(le16At(d, 6) & 0x3fff), int(le16At(d, 8) & 0x3fff));
    } else if (type == "VP8L") {
        const QByteArray d = bytes.at(data, 5);
        if (d.size() == 5 && quint8(d[0]) == 0x2f) {
            const quint32 bits = le32At(d, 1);
            return QSize(int(bits & 0x3fff) + 1, int((bits >> 14) & 0x3fff) + 1);
        }
    }
    return {};
}

void walkWebpChunks(ImageBytes &bytes, qint64 pos, qint64 end, WebpFacts *facts, bool inFrame)
{
    while (end - pos >= 8 && facts->frames < kMaxFrames && bytes.spend()) {
        const QByteArray header = bytes.at(pos, 8);
        if (header.isEmpty())
            return;
        const QByteArray type = header.left(4);
        const qint64 size = le32At(header, 4);
        const qint64 data = pos + 8;
        if (type == "VP8X" && !inFrame) {
            const QByteArray d = bytes.at(data, 10);
            if (d.size() == 10) {
                facts->animated = facts->animated || (quint8(d[0]) & 0x02);
                facts->canvas = clampedSize(qint64(le24At(d, 4)) + 1, qint64(le24At(d, 7)) + 1);
            }
        } else if (type == "ANMF" && !inFrame) {
            const QByteArray d = bytes.at(data, 16);
            if (d.size() == 16)
                facts->largestFrame = facts->largestFrame.expandedTo(
                    clampedSize(qint64(le24At(d, 6)) + 1, qint64(le24At(d, 9)) + 1));
            facts->animated = true;
            ++facts->frames;
            walkWebpChunks(bytes, data + 16, std::min(end, saturatingAdd(data, size)), facts, true);
        } else if (type == "ALPH") {
            facts->alpha = true;
        } else if (const QSize s = webpBitstreamSize(bytes, type, data); s.isValid()) {
            facts->lossless = facts->lossless || type == "VP8L";
            QSize &into = inFrame ? facts->largestFrame : facts->still;
            into = into.expandedTo(s);
        }
        pos = saturatingAdd(data, size + (size & 1));
    }
}

} // namespace

Demand moreDemanding(const Demand &a, const Demand &b)
{
    if (!a || !b)
        return a ? a : b;
    return decodeBytes(*a, a->size, a->size) >= decodeBytes(*b, b->size, b->size) ? a : b;
}

Demand demandIn(ImageBytes &bytes, qint64 start, qint64 end, int depth)
{
    const QByteArray head = bytes.at(start, std::min<qint64>(12, end - start));
    if (head.size() < 4)
        return std::nullopt;
    const auto starts = [&](const char *magic, qsizetype n) {
        return head.size() >= n && std::memcmp(head.constData(), magic, size_t(n)) == 0;
    };
    if (starts(kPngSignature, 8))
        return pngDemand(bytes, start, end);
    if (starts(kMngSignature, 8) || starts(kJngSignature, 8))
        return multipleImageDemand(bytes, start, end);
    if (starts("\xFF\xD8\xFF", 3))
        return jpegDemand(bytes, start, end);
    if (starts("GIF8", 4))
        return gifDemand(bytes, start, end);
    if (starts("BM", 2))
        return bmpDemand(bytes, start, end);
    if (starts("RIFF", 4))
        return webpDemand(bytes, start, end);
    if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4))
        return tiffDemand(bytes, start, end);
    if (starts("icns", 4))
        return familyDemand(bytes, start, end, depth);
    return iconDemand(bytes, start, end, depth);
}

Demand pngDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    const QByteArray ihdr = bytes.at(start + 8, 8 + 13);
    if (ihdr.isEmpty() || end - start < 8 + 8 + 13 || std::memcmp(ihdr.constData() + 4, "IHDR", 4))
        return std::nullopt;
    const qint64 w = be32At(ihdr, 8), h = be32At(ihdr, 12);
    DecodeDemand demand;
    demand.size = clampedSize(w, h);
    // Sixteen-bit channels are kept as such: eight bytes a pixel.
    demand.bytesPerPixel = quint8(ihdr[16]) > 8 ? 8 : 4;
    demand.fixedBytes = saturatingMul(w, 16); // the decoder's rows
    return demand;
}

Demand jpegDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    std::optional<JpegFrame> frame;
    bool multipleScans = false;
    qint64 pos = start + 2;
    while ((pos = nextMarker(bytes, pos, end)) >= 0) {
        int marker = bytes.byte(pos + 1);
        while (marker == 0xFF && bytes.spend())
            marker = bytes.byte(++pos + 1);
        if (marker < 0 || marker == 0xD9)
            break;
        if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01 || marker == 0x00) {
            pos += 2;
            continue;
        }
        const QByteArray lengthBytes = bytes.at(pos + 2, 2);
        if (lengthBytes.isEmpty() || be16At(lengthBytes, 0) < 2)
            break;
        const qint64 length = be16At(lengthBytes, 0);
        if (isFrameMarker(marker) && !frame) {
            frame = readJpegFrame(bytes.at(pos + 4, std::min<qint64>(length - 2, end - pos - 4)),
                                  marker);
        } else if (marker == 0xDA) {
            // A first scan without every component means more scans follow.
            const int inScan = bytes.byte(pos + 4);
            multipleScans = frame && inScan >= 0 && inScan < int(frame->sampling.size());
            break;
        }
        pos += 2 + length;
    }
    if (!frame)
        return std::nullopt;
    DecodeDemand demand;
    demand.size = clampedSize(frame->width, frame->height);
    demand.reducible = true;
    // Only a sequential frame in one scan is decoded row by row; progressive, hierarchical and
    // lossless frames keep the whole picture's coefficients.
    const bool sequential = frame->marker == 0xC0 || frame->marker == 0xC1 || frame->marker == 0xC9;
    if (!sequential || multipleScans)
        demand.fixedBytes = coefficientBytes(*frame);
    // A few rows of blocks of every component, with the rows around them the upsampling reads.
    demand.fixedBytes = saturatingAdd(
        demand.fixedBytes,
        saturatingMul(frame->width, qint64(std::max<size_t>(frame->sampling.size(), 1)) * 4 * 32));
    return demand;
}

Demand gifDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    const QByteArray head = bytes.at(start, 13);
    if (head.isEmpty() || !head.startsWith("GIF8"))
        return std::nullopt;
    QSize canvas(int(le16At(head, 6)), int(le16At(head, 8)));
    QSize largestFrame;
    qint64 pos = start + 13;
    if (quint8(head[10]) & 0x80)
        pos += 3 << ((quint8(head[10]) & 7) + 1);
    for (int frames = 0; pos >= 0 && pos < end && frames < kMaxFrames && bytes.spend();) {
        const int kind = bytes.byte(pos);
        if (kind == 0x21) {
            pos = afterSubBlocks(bytes, pos + 2, end);
            continue;
        }
        if (kind != 0x2C)
            break;
        const QByteArray d = bytes.at(pos + 1, 9);
        if (d.isEmpty())
            break;
        // A frame reaching beyond the screen is as large a picture to the decoder.
        const qint64 w = le16At(d, 4), h = le16At(d, 6);
        canvas = canvas.expandedTo(clampedSize(le16At(d, 0) + w, le16At(d, 2) + h));
        largestFrame = largestFrame.expandedTo(clampedSize(w, h));
        ++frames;
        pos += 10;
        if (quint8(d[8]) & 0x80)
            pos += 3 << ((quint8(d[8]) & 7) + 1);
        pos = afterSubBlocks(bytes, pos + 1, end);
    }
    DecodeDemand demand;
    demand.size = canvas;
    // The screen is kept twice over for frames that restore what they covered, besides the frame.
    demand.fixedBytes = saturatingAdd(saturatingMul(demandPixels(canvas), 4),
                                      saturatingMul(demandPixels(largestFrame), 4));
    return demand;
}

Demand bmpDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    if (!bytes.startsWith(start, "BM", 2))
        return std::nullopt;
    return dibDemand(bytes, start + 14, end);
}

Demand dibDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    const QByteArray core = bytes.at(start, std::min<qint64>(12, end - start));
    if (core.size() < 12)
        return std::nullopt;
    const quint32 headerSize = le32At(core, 0);
    qint64 w = 0, h = 0;
    if (headerSize == 12) {
        w = le16At(core, 4);
        h = le16At(core, 6);
    } else if (headerSize >= 40) {
        // Signed: a negative height is a picture stored top row first.
        w = qint32(le32At(core, 4));
        h = qint32(le32At(core, 8));
    } else {
        return std::nullopt;
    }
    DecodeDemand demand;
    demand.size = clampedSize(std::abs(w), std::abs(h));
    return demand;
}

Demand webpDemand(ImageBytes &bytes, qint64 start, qint64 end)
{
    const QByteArray head = bytes.at(start, 12);
    if (head.isEmpty() || !head.startsWith("RIFF") || head.mid(8, 4) != "WEBP")
        return std::nullopt;
    WebpFacts facts;
    walkWebpChunks(bytes, start + 12, end, &facts, false);
    DecodeDemand demand;
    if (facts.animated) {
        // The canvas is kept twice (shown and being composed), besides each frame's decode.
        demand.size = facts.canvas.isValid() ? facts.canvas : facts.largestFrame;
        demand.bytesPerPixel = 8;
        demand.fixedBytes = saturatingMul(demandPixels(facts.largestFrame), 8);
    } else {
        demand.size = facts.still.expandedTo(facts.canvas);
        // A lossless picture is decoded whole into the decoder's own buffer, then copied.
        demand.bytesPerPixel = facts.lossless ? 8 : 5;
    }
    if (!demand.size.isValid())
        return std::nullopt;
    // The decoder is handed the whole file at once.
    demand.fixedBytes = saturatingAdd(demand.fixedBytes, end - start);
    return demand;
}

} // namespace headers

qint64 demandPixels(QSize size)
{
    return headers::saturatingMul(std::max(size.width(), 1), std::max(size.height(), 1));
}

QSize reducedReadSize(QSize size, QSize target)
{
    for (const int denominator : {8, 4, 2}) {
        const QSize reduced((size.width() + denominator - 1) / denominator,
                            (size.height() + denominator - 1) / denominator);
        if (reduced.width() >= target.width() && reduced.height() >= target.height())
            return reduced;
    }
    return size;
}

qint64 decodeBytes(const DecodeDemand &demand, QSize readSize, QSize shown)
{
    using headers::saturatingAdd;
    using headers::saturatingMul;
    qint64 total = saturatingAdd(demand.fixedBytes,
                                 saturatingMul(demandPixels(readSize), demand.bytesPerPixel));
    total = saturatingAdd(total, saturatingMul(demandPixels(shown), 4));
    if (readSize != shown)
        total = saturatingAdd(total, downscaleWorkingBytes(readSize.width()));
    return total;
}

std::optional<DecodeDemand> probeDecodeDemand(QIODevice *device)
{
    if (!device || !device->isOpen() || device->isSequential())
        return std::nullopt;
    const qint64 keep = device->pos();
    ImageBytes bytes(device);
    auto demand = headers::demandIn(bytes, 0, bytes.size(), 0);
    // Headers too long to read are as good as a refusal.
    if (bytes.exhausted()) {
        if (!demand)
            demand = DecodeDemand();
        demand->fixedBytes = LLONG_MAX;
    }
    device->seek(keep);
    return demand;
}

} // namespace platform
