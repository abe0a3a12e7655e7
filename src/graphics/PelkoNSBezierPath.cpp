#include "graphics/PelkoNSBezierPath.h"

#include "foundation/PelkoNSString.h"
#include "graphics/DrawingUtility.h"
#include "graphics/UtilityMathTransforms.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/Saturate.h"

#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;
using platform::CGPath;
using platform::CGPathElement;
using platform::CGPathElementType;

namespace {

const QString kNaNMessage = QStringLiteral("**** NaN value error **** ");

bool hasNaN(QPointF p)
{
    return std::isnan(p.x()) || std::isnan(p.y());
}

// The NaN rule: logged, and read as the zero point.
QPointF checked(QPointF p, const QString &message = kNaNMessage)
{
    if (!hasNaN(p))
        return p;
    platform::Log(lcGraphics, message);
    return QPointF();
}

int pointCount(BezierPathElement type)
{
    switch (type) {
    case BezierPathElement::MoveTo:
    case BezierPathElement::LineTo:
        return 1;
    case BezierPathElement::CurveTo:
        return 3;
    case BezierPathElement::ClosePath:
        return 0;
    }
    return 0;
}

QPointF endPoint(const BezierPath::Element &e)
{
    return e.type == BezierPathElement::CurveTo ? e.points[2] : e.points[0];
}

// A coordinate in thousandths, truncated toward zero and saturated, as 64-bit two's
// complement hexadecimal (-1 prints sixteen f).
QString thousandthsHex(double v)
{
    const qint64 n = platform::saturatingTruncate<qint64>(v * 1000.0);
    return QString::number(quint64(n), 16);
}

QString hashPoint(QPointF p)
{
    const QPointF q = checked(p);
    return thousandthsHex(q.x()) + QStringLiteral(", ") + thousandthsHex(q.y());
}

QString fingerprintText(const BezierPath &path)
{
    QString text;
    text.reserve(40000);
    text += QStringLiteral("len") + QString::number(path.elementCount());
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            text += QStringLiteral("move: ") + hashPoint(e.points[0]);
            break;
        case BezierPathElement::LineTo:
            text += QStringLiteral("line: ") + hashPoint(e.points[0]);
            break;
        case BezierPathElement::CurveTo:
            text += QStringLiteral("cur: ") + hashPoint(e.points[0]) + QLatin1Char(',') +
                    hashPoint(e.points[1]) + QLatin1Char(',') + hashPoint(e.points[2]);
            break;
        case BezierPathElement::ClosePath:
            text += QStringLiteral("Cls");
            break;
        }
    }
    return text;
}

bool anyElementOfType(const BezierPath &path, BezierPathElement type)
{
    for (const BezierPath::Element &e : path.elements())
        if (e.type == type)
            return true;
    return false;
}

} // namespace

qint64 length(const BezierPath &path)
{
    return path.elementCount();
}

qint64 count(const BezierPath &path)
{
    return path.elementCount();
}

bool hasData(const BezierPath &path)
{
    return !path.isEmpty();
}

bool isClosed(const BezierPath &path)
{
    GUARD_BEGIN
    return anyElementOfType(path, BezierPathElement::ClosePath);
    GUARD_END(false)
}

bool hasCurveLine(const BezierPath &path)
{
    GUARD_BEGIN
    return anyElementOfType(path, BezierPathElement::CurveTo);
    GUARD_END(false)
}

bool hasCurve(const BezierPath &path)
{
    GUARD_BEGIN
    return path.elementCount() >= 2 && anyElementOfType(path, BezierPathElement::CurveTo);
    GUARD_END(false)
}

bool isNan(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.elementCount() < 2)
        return false;
    const QRectF b = path.bounds();
    if (std::isnan(b.x()) || std::isnan(b.y()) || std::isnan(b.width()) || std::isnan(b.height())) {
        platform::Log(lcGraphics, kNaNMessage);
        return true;
    }
    for (const BezierPath::Element &e : path.elements()) {
        for (int i = 0; i < pointCount(e.type); ++i) {
            if (hasNaN(e.points[i])) {
                platform::Log(lcGraphics, kNaNMessage);
                return true;
            }
        }
    }
    return false;
    GUARD_END(false)
}

QPointF firstMoveToPoint(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return QPointF();
    return path.element(0).points[0];
    GUARD_END(QPointF())
}

QPointF firstElementPoint(const BezierPath &path)
{
    for (const BezierPath::Element &e : path.elements()) {
        if (e.type == BezierPathElement::ClosePath)
            continue;
        const QPointF p = endPoint(e);
        return hasNaN(p) ? kNoElementPoint : p;
    }
    return kNoElementPoint;
}

QPointF lastElementPoint(const BezierPath &path, BezierPathElement *outKind)
{
    if (outKind)
        *outKind = BezierPathElement::MoveTo;
    const qint64 n = path.elementCount();
    for (qint64 i = n - 1; i >= 0; --i) {
        const BezierPath::Element &e = path.element(i);
        const bool drawsToEnd =
            e.type == BezierPathElement::LineTo || e.type == BezierPathElement::CurveTo;
        if (drawsToEnd && i == n - 1) {
            if (outKind)
                *outKind = e.type;
            const QPointF p = endPoint(e);
            return hasNaN(p) ? kNoElementPoint : p;
        }
        if (e.type == BezierPathElement::MoveTo)
            return hasNaN(e.points[0]) ? kNoElementPoint : e.points[0];
    }
    return kNoElementPoint;
}

BezierPath cloneAutoRelease(const BezierPath &path)
{
    BezierPath copy;
    copy.appendBezierPath(path);
    return copy;
}

void appendToDestPath(const BezierPath &path, BezierPath *dest)
{
    if (dest && !path.isEmpty())
        dest->appendBezierPath(path);
}

BezierPath bezierPathRESIZEDOT(QRectF rect)
{
    return BezierPath::bezierPathWithOvalInRect(rect);
}

void addQuadCurveToPoint(BezierPath &path, QPointF end, QPointF control)
{
    constexpr double kTwoThirds = 2.0 / 3.0;
    const QPointF c = path.currentPoint();
    const QPointF control1 = c + (control - c) * kTwoThirds;
    const QPointF control2 = end + (control - end) * kTwoThirds;
    path.curveToPoint(end, control1, control2);
}

void zoom(BezierPath &path, float factor)
{
    GUARD_BEGIN
    if (std::fabs(double(factor) - 1.0) <= double(0.0002f) || path.isEmpty())
        return;
    path.transformUsingAffineTransform(CreateScaleTransform(factor));
    GUARD_END_VOID
}

std::optional<BezierPath> reusePathWithZoom(const BezierPath &path, float factor)
{
    if (path.isEmpty())
        return std::nullopt;
    BezierPath copy = path;
    zoom(copy, factor);
    return copy;
}

QString hash2(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return QStringLiteral("nullpath");
    return hash2(fingerprintText(path));
    GUARD_END(QString(""))
}

void LogPathInfor(const BezierPath &path)
{
    GUARD_BEGIN
    // QString::asprintf formats numbers in the C locale whatever locale the process runs in.
    platform::Log(lcGraphics,
                  QString::asprintf("path element count = %d", platform::saturatingTruncate<int>(
                                                                   double(path.elementCount()))));
    if (path.isEmpty()) {
        platform::Log(lcGraphics, QStringLiteral("    path is empty"));
        return;
    }
    const QRectF b = path.bounds();
    platform::Log(lcGraphics,
                  QString::asprintf("pathBound x = %4.2f, y = %4.2f, w = %4.2f, h = %4.2f", b.x(),
                                    b.y(), b.width(), b.height()));
    int index = 0;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo: {
            const QPointF p = checked(e.points[0]);
            platform::Log(lcGraphics, QString::asprintf("    element(%d): move to : %f, %f", index,
                                                        p.x(), p.y()));
            break;
        }
        case BezierPathElement::LineTo: {
            const QPointF p = checked(e.points[0]);
            platform::Log(lcGraphics, QString::asprintf("    element(%d): line to : %f, %f", index,
                                                        p.x(), p.y()));
            break;
        }
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checked(e.points[0]);
            const QPointF c2 = checked(e.points[1]);
            const QPointF p = checked(e.points[2]);
            platform::Log(lcGraphics,
                          QString::asprintf("    element(%d): curve control1 : %f, %f; curve "
                                            "control2 : %f, %f ; to point : %f, %f",
                                            index, c1.x(), c1.y(), c2.x(), c2.y(), p.x(), p.y()));
            break;
        }
        case BezierPathElement::ClosePath:
            platform::Log(lcGraphics, QStringLiteral("    close path"));
            break;
        }
        ++index;
    }
    GUARD_END_VOID
}

std::optional<CGPath> quartzPath(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return std::nullopt;
    CGPath result;
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            result.moveToPoint(checked(e.points[0]));
            break;
        case BezierPathElement::LineTo:
            result.addLineToPoint(checked(e.points[0]));
            break;
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checked(e.points[0]);
            const QPointF c2 = checked(e.points[1]);
            result.addCurveToPoint(c1, c2, checked(e.points[2]));
            break;
        }
        case BezierPathElement::ClosePath:
            result.closeSubpath();
            break;
        }
    }
    return result;
    GUARD_END(std::nullopt)
}

std::optional<BezierPath> bezierPathFromPathRef(const CGPath *path)
{
    GUARD_BEGIN
    if (!path)
        return std::nullopt;
    BezierPath result;
    path->apply(&result, PathElementToBezierPath);
    return result;
    GUARD_END(std::nullopt)
}

void PathElementToBezierPath(void *info, const CGPathElement *element)
{
    if (!info || !element)
        return;
    const int kind = int(element->type);
    if (kind < 0 || kind > int(CGPathElementType::CloseSubpath))
        return;
    auto *path = static_cast<BezierPath *>(info);
    const QPointF *points = element->points;
    if (!points && element->type != CGPathElementType::CloseSubpath)
        return;
    auto numbered = [](int n) { return QStringLiteral("**** NaN value error %1 **** ").arg(n); };
    switch (element->type) {
    case CGPathElementType::MoveToPoint:
        path->moveToPoint(checked(points[0], numbered(1)));
        break;
    case CGPathElementType::AddLineToPoint:
        path->lineToPoint(checked(points[0], numbered(2)));
        break;
    case CGPathElementType::AddQuadCurveToPoint: {
        const QPointF control = checked(points[0], numbered(3));
        addQuadCurveToPoint(*path, checked(points[1], numbered(4)), control);
        break;
    }
    case CGPathElementType::AddCurveToPoint: {
        const QPointF c1 = checked(points[0], numbered(5));
        const QPointF c2 = checked(points[1], numbered(6));
        path->curveToPoint(checked(points[2], numbered(7)), c1, c2);
        break;
    }
    case CGPathElementType::CloseSubpath:
        path->closePath();
        break;
    }
}

bool SamePath(const BezierPath *a, const BezierPath *b)
{
    GUARD_BEGIN
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    const qint64 n = a->elementCount();
    if (n != b->elementCount())
        return false;
    for (qint64 i = 0; i < n; ++i) {
        const BezierPath::Element &ea = a->element(i);
        const BezierPath::Element &eb = b->element(i);
        if (ea.type != eb.type)
            return false;
        for (int k = 0; k < pointCount(ea.type); ++k) {
            // A NaN on either side makes the distance NaN, which no tolerance test rejects.
            if (hasNaN(ea.points[k]) || hasNaN(eb.points[k]))
                throw platform::Exception(QStringLiteral("EXCEPTION **** NaN value error ****"),
                                          QStringLiteral("ERROR"));
            if (DistanceBetweenPoints(ea.points[k], eb.points[k]) >= 0.1)
                return false;
        }
    }
    return true;
    GUARD_END(false)
}
