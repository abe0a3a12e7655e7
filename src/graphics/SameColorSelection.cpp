#include "graphics/SameColorSelection.h"

#include "foundation/ColorWord.h"
#include "graphics/DrawingUtility.h"
#include "graphics/PelkoNSImage.h"
#include "graphics/PixelRows.h"
#include "graphics/UtilityMathAngles.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

using platform::BezierPath;
using platform::Image;
using platform::ImagePtr;

// The flood fill ----------------------------------------------------------------------------------

qint64 FillStackPush(FillStack &stack, quint32 x, quint32 y)
{
    stack.push_back({x, y});
    return qint64(stack.size());
}

bool FillStackPop(FillStack &stack, quint32 *x, quint32 *y)
{
    if (stack.empty())
        return false;
    const FillStackPair pair = stack.back();
    stack.pop_back();
    if (x)
        *x = pair.x;
    if (y)
        *y = pair.y;
    return true;
}

namespace {

constexpr quint32 kMarkShifted = quint32(MARK_ALPHA_VALUE) << 24;

// A marked pixel reads as it was before the marking buffer's pre-pass took its mark away.
inline PIXEL withoutMark(PIXEL p)
{
    return (p & 0xFF000000u) == kMarkShifted ? p - (1u << 24) : p;
}

inline int byteDifferenceSum(PIXEL a, PIXEL b)
{
    int sum = 0;
    for (int shift = 0; shift < 32; shift += 8)
        sum += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
    return sum;
}

// IsSimilarPixel against one seed, with its tolerance turned into a whole byte sum once.
class SimilarToSeed
{
public:
    SimilarToSeed(PIXEL seed, float tolerance) : mSeed(withoutMark(seed))
    {
        const double limit = double(tolerance) * 4.0;
        if (!(limit >= 0))
            mLimit = -1; // negative or NaN: nothing is similar, not even the seed
        else
            mLimit = limit >= 1020 ? 1020 : int(std::floor(limit));
    }

    bool operator()(PIXEL p) const
    {
        p = withoutMark(p);
        if (p == mSeed)
            return mLimit >= 0;
        return mLimit > 0 && byteDifferenceSum(p, mSeed) <= mLimit;
    }

private:
    PIXEL mSeed;
    int mLimit;
};

// Pushes the first pixel of every run of unselected similar pixels of row y within [left, right].
void pushRunsOfRow(FillStack &stack, const PIXEL *row, const quint8 *selected, qint64 y,
                   qint64 left, qint64 right, const SimilarToSeed &similar)
{
    bool inRun = false;
    for (qint64 x = left; x <= right; ++x) {
        if (!selected[x] && similar(row[x])) {
            if (!inRun)
                FillStackPush(stack, quint32(x), quint32(y));
            inRun = true;
        } else {
            inRun = false;
        }
    }
}

} // namespace

std::vector<quint8> SelectSimilarPixels(const PIXEL *pixels, qint64 width, qint64 height, qint64 x,
                                        qint64 y, float tolerance)
{
    if (!pixels || x < 0 || y < 0 || x >= width || y >= height)
        return {};
    std::vector<quint8> selected;
    FillStack stack;
    try {
        selected.assign(size_t(width * height), 0);
        const SimilarToSeed similar(pixels[y * width + x], tolerance);
        // Every pixel is selected once and each selected run pushes at most one seed per
        // pixel above and below it, so the stack stays below 2 w h.
        FillStackPush(stack, quint32(x), quint32(y));
        quint32 sx = 0;
        quint32 sy = 0;
        while (FillStackPop(stack, &sx, &sy)) {
            const PIXEL *row = pixels + qint64(sy) * width;
            quint8 *sel = selected.data() + qint64(sy) * width;
            if (sel[sx] || !similar(row[sx]))
                continue;
            qint64 left = sx;
            while (left > 0 && !sel[left - 1] && similar(row[left - 1]))
                --left;
            qint64 right = sx;
            while (right + 1 < width && !sel[right + 1] && similar(row[right + 1]))
                ++right;
            std::memset(sel + left, 1, size_t(right - left + 1));
            if (sy > 0)
                pushRunsOfRow(stack, row - width, sel - width, sy - 1, left, right, similar);
            if (qint64(sy) + 1 < height)
                pushRunsOfRow(stack, row + width, sel + width, sy + 1, left, right, similar);
        }
    } catch (const std::bad_alloc &) {
        platform::LogWarning(lcGraphics, QStringLiteral("memory error"));
        return {};
    }
    return selected;
}

namespace {

struct SelectionStart
{
    ImageDataPtr buffer;
    qint64 x = 0;
    qint64 y = 0;
};

// The buffer to select in and the pixel under the point.
std::optional<SelectionStart> selectionStart(const Image *image, ImageDataPtr buffer, QPointF point)
{
    if (!isOK(image))
        return std::nullopt;
    if (!buffer || buffer->w() < 1 || buffer->h() < 1)
        buffer = ImageData::imageWithNSImage(image);
    if (!buffer || !buffer->getBuffer())
        return std::nullopt;
    const QSizeF s = image->size();
    if (!(s.width() > 0.1) || !(s.height() > 0.1))
        return std::nullopt;
    const double px = point.x() * double(buffer->w()) / s.width();
    const double py = point.y() * double(buffer->h()) / s.height();
    if (!(px >= 0 && px < double(buffer->w()) && py >= 0 && py < double(buffer->h())))
        return std::nullopt;
    const qint64 x = qint64(px);
    const qint64 y = qint64(py);
    if (x >= buffer->w() || y >= buffer->h())
        return std::nullopt;
    return SelectionStart{std::move(buffer), x, y};
}

PIXEL premultiplied(PIXEL straight)
{
    const quint32 a = straight >> 24;
    quint32 out = a << 24;
    for (int shift = 0; shift < 24; shift += 8)
        out |= ((((straight >> shift) & 0xFF) * a + 127) / 255) << shift;
    return out;
}

} // namespace

ImageDataPtr TempFunc_FillColorToImageTo_ImageData(const Image *image, ImageDataPtr buffer,
                                                   QPointF point, float tolerance)
{
    GUARD_BEGIN
    auto start = selectionStart(image, std::move(buffer), point);
    if (!start)
        return nullptr;
    ImageData &b = *start->buffer;
    const std::vector<quint8> selected =
        SelectSimilarPixels(b.getBuffer(), b.w(), b.h(), start->x, start->y, tolerance);
    if (selected.empty())
        return nullptr;
    PIXEL *pixels = b.getBuffer();
    const qint64 count = b.w() * b.h();
    for (qint64 i = 0; i < count; ++i) {
        const PIXEL p = pixels[i];
        if (selected[size_t(i)])
            pixels[i] = (p & 0x00FFFFFFu) | kMarkShifted;
        else if ((p & 0xFF000000u) == kMarkShifted)
            pixels[i] = p - (1u << 24);
    }
    b.RefreshNSImage();
    return start->buffer;
    GUARD_END(nullptr)
}

ImagePtr FillColorToImage(const Image *image, ImageDataPtr buffer, const platform::Color &color,
                          QPointF point, float tolerance)
{
    GUARD_BEGIN
    if (!color.isValid())
        return nullptr;
    auto start = selectionStart(image, std::move(buffer), point);
    if (!start)
        return nullptr;
    ImageData &b = *start->buffer;
    const std::vector<quint8> selected =
        SelectSimilarPixels(b.getBuffer(), b.w(), b.h(), start->x, start->y, tolerance);
    if (selected.empty())
        return nullptr;
    // Buffer pixels are premultiplied; a colour word is not.
    const PIXEL fill = premultiplied(HexColorToPixel(GetHexColor(color)));
    PIXEL *pixels = b.getBuffer();
    const qint64 count = b.w() * b.h();
    for (qint64 i = 0; i < count; ++i) {
        if (selected[size_t(i)])
            pixels[i] = fill;
    }
    b.RefreshNSImage();
    ImagePtr result = b.GetNSImage();
    return isOK(result.get()) ? result : nullptr;
    GUARD_END(nullptr)
}

std::optional<BezierPath> GetSelectPathWithTheSameColor(const Image *image, ImageDataPtr buffer,
                                                        QPointF point, float tolerance,
                                                        QRectF *outRect)
{
    GUARD_BEGIN
    if (!isOK(image))
        return std::nullopt;
    const ImageDataPtr marked =
        TempFunc_FillColorToImageTo_ImageData(image, std::move(buffer), point, tolerance);
    if (!marked)
        return std::nullopt;
    if (outRect)
        *outRect = QRectF(0, 0, double(marked->w()), double(marked->h()));
    return GetSelectPathWithAlpha_MARK_ALPHA_VALUE(marked.get());
    GUARD_END(std::nullopt)
}

// The outline tracer ------------------------------------------------------------------------------

namespace {

// Boundary codes: the direction of travel along a pixel edge with the marked pixel on its right
// (row 0 at the top); 0 where the edge separates nothing.
enum EdgeCode : quint8 { kNone = 0, kRight = 1, kDown = 2, kLeft = 3, kUp = 4 };

class OutlineTracer
{
public:
    explicit OutlineTracer(const ImageData &buffer)
        : mPixels(buffer.getBuffer()), mW(buffer.w()), mH(buffer.h()), mStride(mW + 1)
    {}

    // False when the code table cannot be had.
    bool computeCodes();
    bool hasCodes() const { return mFirst < mSize; }
    // Traces every outline into the path; false when a walk loses its way.
    bool traceAll(BezierPath &result);

private:
    bool marked(qint64 x, qint64 y) const
    {
        return (mPixels[y * mW + x] >> 24) == MARK_ALPHA_VALUE;
    }
    // Byte index of the horizontal (+0) and vertical (+1) code of corner (x, y).
    qint64 index(qint64 x, qint64 y) const { return 2 * (y * mStride + x); }
    qint64 nextCode(qint64 from) const;
    bool traceContour(qint64 startEdge);
    bool takeEdge(qint64 x, qint64 y, bool vertical, EdgeCode wanted);
    void appendContour(BezierPath &result) const;

    const PIXEL *mPixels;
    qint64 mW;
    qint64 mH;
    qint64 mStride;
    std::unique_ptr<quint8[]> mCodes;
    qint64 mSize = 0;
    qint64 mFirst = 0;
    std::vector<QPointF> mPoints;
    // The walk: the edge just taken and where it starts.
    qint64 mEdge = 0;
    EdgeCode mCode = kNone;
    qint64 mX = 0;
    qint64 mY = 0;
};

bool OutlineTracer::computeCodes()
{
    mSize = 2 * mStride * (mH + 1);
    try {
        // Every code is written below, so the table is not cleared first.
        mCodes.reset(new quint8[size_t(mSize)]);
    } catch (const std::bad_alloc &) {
        return false;
    }
    const PIXEL *pixels = mPixels;
    const qint64 w = mW;
    const qint64 h = mH;
    quint8 *table = mCodes.get();
    const qint64 stride = mStride;
    // Corner row y reads pixel rows y - 1 and y only, so bands of rows are independent.
    ForEachRowBand(w, h + 1, [=](qint64 y0, qint64 y1) {
        for (qint64 y = y0; y < y1; ++y) {
            const PIXEL *row = y < h ? pixels + y * w : nullptr;
            const PIXEL *above = y > 0 ? pixels + (y - 1) * w : nullptr;
            quint8 *codes = table + 2 * y * stride;
            quint32 left = 0;
            for (qint64 x = 0; x < w; ++x) {
                const quint32 in = row && (row[x] >> 24) == MARK_ALPHA_VALUE;
                const quint32 up = above && (above[x] >> 24) == MARK_ALPHA_VALUE;
                // Across the top edge: +x with the mark below, -x with it above.
                codes[2 * x] = quint8((in ^ up) * (kRight + 2 * up));
                // Across the left edge: -y with the mark right of it, +y with it left.
                codes[2 * x + 1] = quint8((in ^ left) * (kDown + 2 * in));
                left = in;
            }
            codes[2 * w] = kNone;
            codes[2 * w + 1] = quint8(left * kDown);
        }
    });
    mFirst = nextCode(0);
    return true;
}

// The first non-zero code at or after `from`, eight codes at a time over the empty stretches.
qint64 OutlineTracer::nextCode(qint64 from) const
{
    const qint64 end = mSize;
    const quint8 *codes = mCodes.get();
    while (from < end && (from & 7)) {
        if (codes[from])
            return from;
        ++from;
    }
    while (from + 8 <= end) {
        quint64 word;
        std::memcpy(&word, codes + from, 8);
        if (word)
            break;
        from += 8;
    }
    while (from < end && !codes[from])
        ++from;
    return from;
}

bool OutlineTracer::takeEdge(qint64 x, qint64 y, bool vertical, EdgeCode wanted)
{
    if (x < 0 || y < 0 || x > mW || y > mH)
        return false;
    const qint64 i = index(x, y) + (vertical ? 1 : 0);
    if (mCodes[i] != wanted)
        return false;
    mEdge = i;
    mCode = wanted;
    mX = x;
    mY = y;
    return true;
}

bool OutlineTracer::traceContour(qint64 startEdge)
{
    mEdge = startEdge;
    mCode = EdgeCode(mCodes[startEdge]);
    mX = (startEdge / 2) % mStride;
    mY = (startEdge / 2) / mStride;
    const QPointF start = mCode == kLeft ? QPointF(mX + 1, mY)
                          : mCode == kUp ? QPointF(mX, mY + 1)
                                         : QPointF(mX, mY);
    mPoints.clear();
    mPoints.push_back(start);
    for (;;) {
        // The corner the edge arrives at; the marked pixels lie to the right of travel, so the
        // right turn comes first and areas touching at a corner stay apart.
        const qint64 cx = mCode == kRight ? mX + 1 : mX;
        const qint64 cy = mCode == kDown ? mY + 1 : mY;
        mPoints.push_back(QPointF(cx, cy));
        if (mEdge != startEdge)
            mCodes[mEdge] = kNone;
        bool found = false;
        const char *fatal = "";
        switch (mCode) {
        case kRight:
            found = takeEdge(cx, cy, true, kDown) || takeEdge(cx, cy, false, kRight) ||
                    takeEdge(cx, cy - 1, true, kUp);
            fatal = "***** Error fatal 1 ***** ";
            break;
        case kDown:
            found = takeEdge(cx - 1, cy, false, kLeft) || takeEdge(cx, cy, true, kDown) ||
                    takeEdge(cx, cy, false, kRight);
            fatal = "***** Error fatal 4 ***** ";
            break;
        case kLeft:
            found = takeEdge(cx, cy - 1, true, kUp) || takeEdge(cx - 1, cy, false, kLeft) ||
                    takeEdge(cx, cy, true, kDown);
            fatal = "***** Error fatal 2 ***** ";
            break;
        case kUp:
            found = takeEdge(cx, cy, false, kRight) || takeEdge(cx, cy - 1, true, kUp) ||
                    takeEdge(cx - 1, cy, false, kLeft);
            fatal = "***** Error fatal 3 ***** ";
            break;
        case kNone:
            break;
        }
        if (!found) {
            platform::LogWarning(lcGraphics, QString::fromLatin1(fatal));
            platform::LogWarning(lcGraphics, QStringLiteral("***** Error fatal ***** "));
            return false;
        }
        if (mEdge == startEdge) {
            mCodes[startEdge] = kNone;
            return true;
        }
    }
}

// The direction last -> p equals last -> next within 0.002 degrees. Clear turns of at least a
// unit's length are told apart by the cross product, without the angles.
bool sameDirection(QPointF last, QPointF p, QPointF next)
{
    const QPointF a = p - last;
    const QPointF b = next - last;
    const double la = std::hypot(a.x(), a.y());
    const double lb = std::hypot(b.x(), b.y());
    const double cross = a.x() * b.y() - a.y() * b.x();
    if (la >= 1 && lb >= 1 && std::abs(cross) > 0.01 * la * lb)
        return false;
    return std::abs(GetLineAngle(last, p) - GetLineAngle(last, next)) <= 0.002f;
}

// Leaves out points along straight runs and points that nearly repeat the next one.
void OutlineTracer::appendContour(BezierPath &result) const
{
    const size_t n = mPoints.size();
    if (n < 2)
        return;
    result.moveToPoint(mPoints[0]);
    QPointF last = mPoints[0];
    for (size_t i = 1; i + 1 < n; ++i) {
        const QPointF p = mPoints[i];
        const QPointF next = mPoints[i + 1];
        const bool vertical =
            std::abs(p.x() - last.x()) <= 0.002 && std::abs(next.x() - p.x()) <= 0.002;
        const bool horizontal =
            std::abs(p.y() - last.y()) <= 0.002 && std::abs(next.y() - p.y()) <= 0.002;
        if (vertical || horizontal || DistanceBetweenPoints(p, next) <= 0.1f ||
            sameDirection(last, p, next))
            continue;
        result.lineToPoint(p);
        last = p;
    }
    result.lineToPoint(mPoints[n - 1]);
    result.closePath();
}

bool OutlineTracer::traceAll(BezierPath &result)
{
    // Every code before the start of the last outline is already 0, so each search resumes
    // there: one pass over the table in all, however many outlines it holds.
    for (qint64 at = nextCode(mFirst); at < mSize; at = nextCode(at)) {
        if (!traceContour(at))
            return false;
        appendContour(result);
    }
    return true;
}

} // namespace

std::optional<BezierPath> GetSelectPathWithAlpha_MARK_ALPHA_VALUE(const ImageData *buffer)
{
    if (!buffer || !buffer->getBuffer() || buffer->w() < 1 || buffer->h() < 1)
        return std::nullopt;
    GUARD_BEGIN
    OutlineTracer tracer(*buffer);
    if (!tracer.computeCodes()) {
        platform::LogWarning(lcGraphics, QStringLiteral("memory error 2"));
        return std::nullopt;
    }
    if (!tracer.hasCodes())
        return std::nullopt;
    BezierPath result;
    if (!tracer.traceAll(result))
        return std::nullopt;
    platform::Log(lcGraphics, QStringLiteral("path count is %1").arg(result.elementCount()));
    return result;
    GUARD_END(std::nullopt)
}
