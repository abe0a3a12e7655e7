#include "graphics/PelkoNSBezierPathShapes.h"

#include "graphics/DrawingUtility.h"
#include "graphics/PelkoNSBezierPath.h"
#include "graphics/UtilityMathLines.h"
#include "graphics/UtilityMathShapes.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/Saturate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

const QString kNaNMessage = QStringLiteral("**** NaN value error **** ");
constexpr float kNearPointMinimum = 0.02f;
constexpr double kPolyLineStep = 0.1;
constexpr double kThinSide = 0.002;
constexpr double kLongSide = 1.0;
constexpr double kIgnoredLine = 0.02;
// The single-precision 0.0002, widened.
constexpr double kTooNear = double(0.0002f);
constexpr double kMinStep = 0.1;
constexpr double kMaxStep = 1000;
constexpr double kMinPiece = 0.1;

// The NaN rule: logged, and read as the zero point.
QPointF checked(QPointF p)
{
    if (!std::isnan(p.x()) && !std::isnan(p.y()))
        return p;
    platform::Log(lcGraphics, kNaNMessage);
    return QPointF();
}

double distance(QPointF a, QPointF b)
{
    return double(DistanceBetweenPoints(a, b));
}

int capacityFor(const BezierPath &path)
{
    return int(std::min<qint64>(path.elementCount(), std::numeric_limits<int>::max() - 100));
}

std::vector<QPointF> pointList(const BezierPath &path, float nearDistance, bool *closed,
                               bool *hasCurve)
{
    const int capacity = capacityFor(path);
    std::vector<QPointF> points(size_t(capacity) + 100);
    int count = 0;
    if (!getPointArray(path, points.data(), &count, capacity, closed, hasCurve, nearDistance))
        return {};
    points.resize(size_t(count));
    return points;
}

// Appends the line from `last` to `p` cut into pieces of about `step`; false when the result
// would grow past its bound.
bool appendSplitLine(BezierPath &out, QPointF last, QPointF p, double step)
{
    const double d = distance(last, p);
    const int k = platform::saturatingTruncate<int>(d / step);
    // Too many pieces in one line count as a split that failed: the line stays whole.
    if (k > 2 && d / double(k - 1) >= kMinPiece && k <= kMaxSplitPiecesPerLine) {
        if (out.elementCount() + k > kMaxSplitElements)
            return false;
        std::vector<QPointF> points(size_t(k) + 1);
        if (SplitSegmentIntoPoints(last, p, k + 1, points.data())) {
            for (int i = 1; i <= k; ++i)
                out.lineToPoint(points[size_t(i)]);
            return true;
        }
    }
    out.lineToPoint(p);
    return out.elementCount() <= kMaxSplitElements;
}

} // namespace

DefaultFlatnessScope::DefaultFlatnessScope(double flatness) : mSaved(BezierPath::defaultFlatness())
{
    BezierPath::setDefaultFlatness(flatness);
}

DefaultFlatnessScope::~DefaultFlatnessScope()
{
    BezierPath::setDefaultFlatness(mSaved);
}

bool getPointArray(const BezierPath &path, QPointF *buffer, int *outCount, int capacity,
                   bool *outClosed, bool *outHasCurve, float nearDistance)
{
    GUARD_BEGIN
    if (!buffer || !outCount || capacity <= 0 || path.isEmpty())
        return false;
    if (outClosed)
        *outClosed = false;
    if (outHasCurve)
        *outHasCurve = false;
    *outCount = 0;
    const bool removeNear = nearDistance >= kNearPointMinimum;
    bool closed = false;
    int count = 0;
    const qint64 n = path.elementCount();
    for (qint64 i = 0; i < n && count < capacity; ++i) {
        const BezierPath::Element &e = path.element(i);
        switch (e.type) {
        case BezierPathElement::MoveTo:
        case BezierPathElement::LineTo:
            buffer[count++] = checked(e.points[0]);
            break;
        case BezierPathElement::CurveTo:
            if (outHasCurve)
                *outHasCurve = true;
            checked(e.points[0]);
            checked(e.points[1]);
            buffer[count++] = checked(e.points[2]);
            break;
        case BezierPathElement::ClosePath:
            closed = true;
            if (outClosed)
                *outClosed = true;
            break;
        }
        if (removeNear && count >= 2 &&
            distance(buffer[count - 1], buffer[count - 2]) <= nearDistance)
            --count;
    }
    if (removeNear && closed) {
        while (count >= 3 && distance(buffer[count - 1], buffer[0]) <= nearDistance)
            --count;
    }
    if (count == 0)
        return false;
    *outCount = count;
    return true;
    GUARD_END(false)
}

bool isClockWise(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    bool closed = false;
    const std::vector<QPointF> p = pointList(path, -1, &closed, nullptr);
    const size_t n = p.size();
    if (n < 3)
        return false;
    float sum = 0;
    for (size_t i = 0; i < n; ++i) {
        const QPointF &prev = p[i == 0 ? n - 1 : i - 1];
        const QPointF &next = p[i + 1 == n ? 0 : i + 1];
        float turn = GetLineAngle(p[i], next) - GetLineAngle(p[i], prev);
        NormalizeAngle(&turn);
        sum += turn;
    }
    return sum / float(n) < 180.0f;
    GUARD_END(false)
}

bool isLine(const BezierPath &path, LINE_ *outLine, bool *outIsNAN)
{
    GUARD_BEGIN
    if (outIsNAN)
        *outIsNAN = false;
    if (outLine)
        *outLine = LINE_{QPointF(), QPointF()};
    if (path.elementCount() < 2)
        return false;
    const QRectF b = path.bounds();
    const double x = b.x(), y = b.y(), w = b.width(), h = b.height();
    if (std::isnan(x) || std::isnan(y) || std::isnan(w) || std::isnan(h)) {
        platform::Log(lcGraphics, kNaNMessage);
        if (outIsNAN)
            *outIsNAN = true;
        return false;
    }
    if (w <= kThinSide && h >= kLongSide) {
        if (outLine)
            *outLine = LINE_{QPointF(x + w / 2, y), QPointF(x + w / 2, y + h)};
        return true;
    }
    if (w >= kLongSide && h <= kThinSide) {
        if (outLine)
            *outLine = LINE_{QPointF(x, y + h / 2), QPointF(x + w, y + h / 2)};
        return true;
    }
    if (w <= kThinSide && h <= kThinSide)
        return false;

    QPointF last = kNoElementPoint;
    QPointF a, bEnd;
    bool haveSegment = false;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo: {
            const QPointF p = checked(e.points[0]);
            last = p;
            if (haveSegment && !ArePointsCollinear(true, p, a, bEnd))
                return false;
            break;
        }
        case BezierPathElement::LineTo: {
            const QPointF p = checked(e.points[0]);
            if (distance(last, p) <= kIgnoredLine)
                break;
            if (!haveSegment) {
                a = last;
                bEnd = p;
                haveSegment = true;
            } else {
                if (!ArePointsCollinear(true, p, a, bEnd))
                    return false;
                const double ab = distance(a, bEnd);
                if (distance(a, p) > ab) {
                    bEnd = p;
                } else if (distance(bEnd, p) > ab) {
                    a = bEnd;
                    bEnd = p;
                }
            }
            last = p;
            break;
        }
        case BezierPathElement::CurveTo:
            return false;
        case BezierPathElement::ClosePath:
            break;
        }
    }
    if (!haveSegment)
        return false;
    if (outLine)
        *outLine = LINE_{a, bEnd};
    return true;
    GUARD_END(false)
}

std::optional<QList<QPointF>> isSinglePolyLine(const BezierPath &path, float tolerance)
{
    GUARD_BEGIN
    if (path.elementCount() < 2)
        return std::nullopt;
    QList<QPointF> points;
    QPointF last;
    int moves = 0;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            last = checked(e.points[0]);
            points.append(last);
            ++moves;
            break;
        case BezierPathElement::LineTo: {
            const QPointF p = checked(e.points[0]);
            if (moves > 1)
                return std::nullopt;
            if (distance(last, p) > kPolyLineStep) {
                points.append(p);
                last = p;
            }
            break;
        }
        case BezierPathElement::CurveTo: {
            if (tolerance < 0)
                return std::nullopt;
            const QPointF end = checked(e.points[2]);
            if (moves > 1)
                return std::nullopt;
            if (tolerance > kNearPointMinimum && distance(end, last) > tolerance)
                return std::nullopt;
            if (distance(last, end) > kPolyLineStep) {
                points.append(end);
                last = end;
            }
            break;
        }
        case BezierPathElement::ClosePath:
            return std::nullopt;
        }
    }
    if (points.size() < 2 || distance(points.first(), points.last()) <= kPolyLineStep)
        return std::nullopt;
    return points;
    GUARD_END(std::nullopt)
}

BezierPath pathByRemoveTooNearPoint(const BezierPath &path)
{
    GUARD_BEGIN
    BezierPath copy = path;
    if (path.elementCount() < 2)
        return copy;
    copy.removeAllPoints();
    QPointF last = kNoElementPoint;
    QPointF start = kNoElementPoint;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            last = start = checked(e.points[0]);
            copy.moveToPoint(last);
            break;
        case BezierPathElement::LineTo: {
            const QPointF p = checked(e.points[0]);
            if (distance(last, p) > kTooNear) {
                copy.lineToPoint(p);
                last = p;
            }
            break;
        }
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checked(e.points[0]);
            const QPointF c2 = checked(e.points[1]);
            const QPointF end = checked(e.points[2]);
            if (distance(last, end) > kTooNear) {
                copy.curveToPoint(end, c1, c2);
                last = end;
            }
            break;
        }
        case BezierPathElement::ClosePath:
            copy.closePath();
            last = start;
            break;
        }
    }
    return copy.elementCount() > 1 ? copy : path;
    GUARD_END(path)
}

std::optional<BezierPath> splitPathToSmallLine(const BezierPath &path, float step)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return std::nullopt;
    double s = std::isnan(step) ? kMinStep : double(step);
    s = std::clamp(s, kMinStep, kMaxStep);
    const DefaultFlatnessScope flatness(s);
    // Made after the default is set, so that it flattens its curves at the step.
    BezierPath out;
    QPointF last;
    bool curves = false;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            last = checked(e.points[0]);
            out.moveToPoint(last);
            break;
        case BezierPathElement::LineTo: {
            const QPointF p = checked(e.points[0]);
            if (!appendSplitLine(out, last, p, s))
                return std::nullopt;
            last = p;
            break;
        }
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checked(e.points[0]);
            const QPointF c2 = checked(e.points[1]);
            last = checked(e.points[2]);
            out.curveToPoint(last, c1, c2);
            curves = true;
            break;
        }
        case BezierPathElement::ClosePath:
            out.closePath();
            break;
        }
        if (out.elementCount() > kMaxSplitElements)
            return std::nullopt;
    }
    if (!out.isEmpty() && curves) {
        out = out.bezierPathByFlatteningPath();
        if (out.isEmpty() || out.elementCount() > kMaxSplitElements)
            return std::nullopt;
    }
    if (out.isEmpty())
        return std::nullopt;
    return out;
    GUARD_END(std::nullopt)
}

std::optional<QList<BezierPath>> memberOfPath(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return std::nullopt;
    QList<BezierPath> members;
    std::optional<BezierPath> current;
    auto keep = [&] {
        if (current && current->elementCount() >= 2)
            members.append(*current);
    };
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            keep();
            current.emplace();
            current->setLineWidth(path.lineWidth());
            current->moveToPoint(checked(e.points[0]));
            break;
        case BezierPathElement::LineTo: {
            const QPointF p = checked(e.points[0]);
            if (current)
                current->lineToPoint(p);
            break;
        }
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checked(e.points[0]);
            const QPointF c2 = checked(e.points[1]);
            const QPointF end = checked(e.points[2]);
            if (current)
                current->curveToPoint(end, c1, c2);
            break;
        }
        case BezierPathElement::ClosePath:
            if (current)
                current->closePath();
            break;
        }
    }
    keep();
    if (members.isEmpty())
        return std::nullopt;
    return members;
    GUARD_END(std::nullopt)
}

double getAreaForPolyPath(const BezierPath &path, bool *ok)
{
    if (ok)
        *ok = false;
    GUARD_BEGIN
    if (path.elementCount() < 3)
        return 0;
    bool closed = false;
    bool hasCurve = false;
    const std::vector<QPointF> p = pointList(path, 1.0f, &closed, &hasCurve);
    if (p.empty() || hasCurve)
        return 0;
    double sum = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const QPointF &a = p[i];
        const QPointF &b = p[i + 1 == p.size() ? 0 : i + 1];
        sum += a.x() * b.y() - b.x() * a.y();
    }
    if (ok)
        *ok = true;
    return std::fabs(sum) * 0.5;
    GUARD_END(0)
}
