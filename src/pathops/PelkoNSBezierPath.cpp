#include "pathops/PelkoNSBezierPath.h"

#include "graphics/DrawingUtility.h"
#include "graphics/PelkoNSBezierPath.h"
#include "pathops/FBGeometry.h"
#include "platform/AffineTransform.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <QPainterPathStroker>
#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

constexpr double kShortestSegment = 0.1;

BezierPath movedVertically(const BezierPath &path, double dy)
{
    BezierPath moved = path;
    platform::AffineTransform t;
    t.translateXBy(0, dy);
    moved.transformUsingAffineTransform(t);
    return moved;
}

// How far the effects move their shape out of sight: down the page in a flipped context.
double outOfSightShift(const platform::GraphicsContext &gc, const QRectF &area)
{
    return gc.isFlipped() ? area.height() : -area.height();
}

} // namespace

NSBezierElement fb_elementAtIndex(const BezierPath &path, qint64 index)
{
    NSBezierElement element;
    if (index < 0 || index >= path.elementCount())
        return element;
    QPointF points[3];
    const BezierPathElement type = path.elementAtIndex(index, points);
    element.kind = quint64(type);
    if (type == BezierPathElement::CurveTo) {
        element.controlPoints = {points[0], points[1]};
        element.point = points[2];
    } else {
        element.point = points[0];
    }
    return element;
}

NSBezierElement fb_elementAtIndex(const BezierPath *path, qint64 index)
{
    return path ? fb_elementAtIndex(*path, index) : NSBezierElement();
}

QPointF fb_pointAtIndex(const BezierPath &path, qint64 index)
{
    return fb_elementAtIndex(path, index).point;
}

void fb_appendElement(BezierPath &path, const NSBezierElement &element)
{
    switch (element.kind) {
    case 0:
        path.moveToPoint(element.point);
        break;
    case 1:
        path.lineToPoint(element.point);
        break;
    case 2:
        path.curveToPoint(element.point, element.controlPoints[0], element.controlPoints[1]);
        break;
    case 3:
        path.closePath();
        break;
    default:
        break;
    }
}

void fb_copyAttributesFrom(BezierPath &path, const BezierPath &from)
{
    path.setLineWidth(from.lineWidth());
    path.setLineCapStyle(from.lineCapStyle());
    path.setLineJoinStyle(from.lineJoinStyle());
    path.setMiterLimit(from.miterLimit());
    path.setFlatness(from.flatness());
}

BezierPath fb_subpathWithRange(const BezierPath &path, Range range)
{
    BezierPath subpath;
    fb_copyAttributesFrom(subpath, path);
    const qint64 first = std::max<qint64>(range.location, 0);
    const qint64 end = std::min<qint64>(MaxRange(range), path.elementCount());
    for (qint64 i = first; i < end; ++i) {
        NSBezierElement element = fb_elementAtIndex(path, i);
        if (i == first)
            element.kind = 0;
        fb_appendElement(subpath, element);
    }
    return subpath;
}

void fb_appendPath(BezierPath &path, const BezierPath &other)
{
    // Onto an empty path there is nothing to continue: the first move-to stays where it is.
    bool hasPrevious = !path.isEmpty();
    NSBezierElement previous = fb_elementAtIndex(path, path.elementCount() - 1);
    for (qint64 i = 0; i < other.elementCount(); ++i) {
        NSBezierElement element = fb_elementAtIndex(other, i);
        if (element.kind == 0 && hasPrevious) {
            if (element.point == previous.point)
                continue;
            element.kind = 1;
        }
        fb_appendElement(path, element);
        previous = element;
        hasPrevious = true;
    }
}

BezierPath circleAtPoint(QPointF p)
{
    return BezierPath::bezierPathWithOvalInRect(QRectF(p.x() - 5, p.y() - 5, 10, 10));
}

BezierPath rectAtPoint(QPointF p)
{
    return BezierPath::bezierPathWithRect(QRectF(p.x() - 6.5, p.y() - 6.5, 13, 13));
}

BezierPath smallCircleAtPoint(QPointF p)
{
    return BezierPath::bezierPathWithOvalInRect(QRectF(p.x() - 1.5, p.y() - 1.5, 3, 3));
}

BezierPath smallRectAtPoint(QPointF p)
{
    return BezierPath::bezierPathWithRect(QRectF(p.x() - 1.5, p.y() - 1.5, 3, 3));
}

BezierPath triangleAtPoint(QPointF p, QPointF direction)
{
    const QPointF tip = FBGeom_AddPoints(p, FBGeom_ScalePoint(direction, 15));
    const QPointF n = FBGeom_ScalePoint(FBGeom_LineNormal(p, tip), 5);
    BezierPath triangle;
    triangle.moveToPoint(FBGeom_AddPoints(p, n));
    triangle.lineToPoint(tip);
    triangle.lineToPoint(FBGeom_SubtractPoints(p, n));
    triangle.lineToPoint(FBGeom_AddPoints(p, n));
    triangle.closePath();
    return triangle;
}

std::optional<QList<BezierPath>> SeparateIntoSingleLines_AndOutPointList(const BezierPath &path,
                                                                         QList<QPointF> *outPoints)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return std::nullopt;
    QList<BezierPath> result;
    QPointF current;
    QPointF start;
    auto addSegment = [&result](QPointF from, QPointF to) {
        BezierPath segment;
        segment.moveToPoint(from);
        segment.lineToPoint(to);
        result.append(segment);
    };
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        const NSBezierElement element = fb_elementAtIndex(path, i);
        switch (element.kind) {
        case 0:
            current = start = element.point;
            if (outPoints)
                outPoints->append(element.point);
            break;
        case 1:
            if (DistanceBetweenPoints(current, element.point) > kShortestSegment)
                addSegment(current, element.point);
            current = element.point;
            if (outPoints)
                outPoints->append(element.point);
            break;
        case 2: {
            BezierPath segment;
            segment.moveToPoint(current);
            segment.curveToPoint(element.point, element.controlPoints[0], element.controlPoints[1]);
            result.append(segment);
            current = element.point;
            if (outPoints)
                outPoints->append(element.point);
            break;
        }
        case 3:
            if (DistanceBetweenPoints(current, start) > kShortestSegment)
                addSegment(current, start);
            current = start;
            break;
        }
    }
    if (result.isEmpty())
        result.append(path);
    return result;
    PELKO_GUARD_CATCH_AS("-[NSBezierPath(FBUtilities) SeparateIntoSingleLines_AndOutPointList:]")
    return std::nullopt;
}

namespace {

QList<BezierPath> cutIntoSubpaths(const BezierPath &path)
{
    QList<BezierPath> subpaths;
    BezierPath building;
    QPointF subpathStart;
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        const NSBezierElement element = fb_elementAtIndex(path, i);
        switch (element.kind) {
        case 0:
            if (building.elementCount() >= 2)
                subpaths.append(building);
            building = BezierPath();
            building.moveToPoint(element.point);
            subpathStart = element.point;
            break;
        case 1:
        case 2:
            if (building.isEmpty())
                building.moveToPoint(subpathStart);
            fb_appendElement(building, element);
            break;
        case 3:
            building.closePath();
            if (!building.isEmpty())
                subpaths.append(building);
            building = BezierPath();
            break;
        }
    }
    if (building.elementCount() >= 2)
        subpaths.append(building);
    return subpaths;
}

// Joins the first pair of which one holds the other's start; false when no pair does.
bool joinFirstNestedPair(QList<BezierPath> &pieces)
{
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        for (qsizetype j = i + 1; j < pieces.size(); ++j) {
            if (pieces[i].containsPoint(firstMoveToPoint(pieces[j])) ||
                pieces[j].containsPoint(firstMoveToPoint(pieces[i]))) {
                fb_appendPath(pieces[i], pieces[j]);
                pieces[i].setWindingRule(platform::WindingRule::EvenOdd);
                // Only this piece goes: an equal duplicate elsewhere is a piece of its own.
                pieces.removeAt(j);
                return true;
            }
        }
    }
    return false;
}

} // namespace

std::optional<QList<BezierPath>> SeparateIntoSinglePaths(const BezierPath &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return std::nullopt;
    QList<BezierPath> pieces = cutIntoSubpaths(path);
    while (pieces.size() >= 2) {
        if (!joinFirstNestedPair(pieces))
            return pieces;
    }
    return QList<BezierPath>{path};
    PELKO_GUARD_CATCH_AS("-[NSBezierPath(FBUtilities) SeparateIntoSinglePaths]")
    return std::nullopt;
}

namespace {

void appendCGElement(void *info, const platform::CGPathElement *element)
{
    auto *path = static_cast<BezierPath *>(info);
    const QPointF *p = element->points;
    switch (element->type) {
    case platform::CGPathElementType::MoveToPoint:
        path->moveToPoint(p[0]);
        break;
    case platform::CGPathElementType::AddLineToPoint:
        path->lineToPoint(p[0]);
        break;
    case platform::CGPathElementType::AddQuadCurveToPoint: {
        // The cubic that draws the same curve as the quadratic.
        const QPointF c = path->currentPoint();
        const QPointF q = p[0];
        const QPointF e = p[1];
        path->curveToPoint(e, c + (q - c) * (2.0 / 3.0), e + (q - e) * (2.0 / 3.0));
        break;
    }
    case platform::CGPathElementType::AddCurveToPoint:
        path->curveToPoint(p[2], p[0], p[1]);
        break;
    case platform::CGPathElementType::CloseSubpath:
        path->closePath();
        break;
    }
}

QPointF checkedPoint(QPointF p)
{
    if (!std::isnan(p.x()) && !std::isnan(p.y()))
        return p;
    platform::Log(QStringLiteral("**** NaN value error **** "));
    return QPointF();
}

} // namespace

std::optional<BezierPath> bezierPathWithCGPath(const platform::CGPath *path)
{
    if (!path)
        return std::nullopt;
    BezierPath result;
    path->apply(&result, appendCGElement);
    return result;
}

std::optional<platform::CGPath> createCGPath(const BezierPath &path)
{
    GUARD_BEGIN
    platform::CGPath result;
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        QPointF p[3];
        switch (path.elementAtIndex(i, p)) {
        case BezierPathElement::MoveTo:
            result.moveToPoint(checkedPoint(p[0]));
            break;
        case BezierPathElement::LineTo:
            result.addLineToPoint(checkedPoint(p[0]));
            break;
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checkedPoint(p[0]);
            const QPointF c2 = checkedPoint(p[1]);
            result.addCurveToPoint(c1, c2, checkedPoint(p[2]));
            break;
        }
        case BezierPathElement::ClosePath:
            result.closeSubpath();
            break;
        }
    }
    return result;
    PELKO_GUARD_CATCH_AS("-[NSBezierPath(FBUtilities) createCGPath]")
    return std::nullopt;
}

std::optional<BezierPath> pathWithStrokeWidth(const BezierPath &path, double width)
{
    if (path.elementCount() < 2 || !std::isfinite(width))
        return std::nullopt;
    // Through the Core Graphics form, which reads unreadable points as the origin.
    const std::optional<platform::CGPath> cgPath = createCGPath(path);
    if (!cgPath)
        return std::nullopt;
    const std::optional<BezierPath> clean = bezierPathWithCGPath(&*cgPath);
    if (!clean)
        return std::nullopt;
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setMiterLimit(0);
    const QPainterPath outline = stroker.createStroke(clean->toQPainterPath());
    if (outline.isEmpty())
        return std::nullopt;
    return BezierPath::fromQPainterPath(outline);
}

void fillWithInnerShadow(const BezierPath &path, const platform::Shadow &shadow)
{
    platform::GraphicsContext *gc = platform::GraphicsContext::currentContext();
    if (!gc)
        return;
    gc->save();
    const QSizeF offset = shadow.offset;
    const double r = shadow.blurRadius;
    const double dx = std::abs(offset.width()) + r;
    const double dy = std::abs(offset.height()) + r;
    const QRectF area = path.bounds().adjusted(-dx, -dy, dx, dy);
    const double shift = outOfSightShift(*gc, area);

    // A frame around the shape, moved out of sight; its shadow, moved back, falls on the shape
    // from outside, and the clip keeps only what lands inside.
    BezierPath frame = BezierPath::bezierPathWithRect(area);
    frame.setWindingRule(platform::WindingRule::EvenOdd);
    frame.appendBezierPath(path);
    frame = movedVertically(frame, shift);

    platform::Shadow inner = shadow;
    inner.offset = QSizeF(offset.width(), offset.height() - shift);
    path.addClip();
    gc->setShadow(inner);
    gc->setColor(Qt::black);
    frame.fill();
    gc->restore();
}

void drawBlurWithColor(const BezierPath &path, const platform::Color &color, double radius)
{
    platform::GraphicsContext *gc = platform::GraphicsContext::currentContext();
    if (!gc)
        return;
    const QRectF area = path.bounds().adjusted(-radius, -radius, radius, radius);
    const double shift = outOfSightShift(*gc, area);
    platform::Shadow blur;
    blur.offset = QSizeF(0, -shift);
    blur.blurRadius = radius;
    blur.color = color.toQColor();
    const BezierPath moved = movedVertically(path, shift);
    gc->save();
    gc->setShadow(blur);
    gc->setColor(Qt::black);
    gc->clipToRect(area);
    moved.fill();
    gc->restore();
}

void strokeInsideWithinRect(const BezierPath &path, const QRectF &rect)
{
    platform::GraphicsContext *gc = platform::GraphicsContext::currentContext();
    if (!gc)
        return;
    // Twice the width, clipped to the shape: the half that shows lies inside at the path's width.
    BezierPath doubled = path;
    doubled.setLineWidth(path.lineWidth() * 2);
    gc->save();
    path.setClip();
    if (rect.width() > 0 && rect.height() > 0)
        gc->clipToRect(rect);
    doubled.stroke();
    gc->restore();
}

void strokeInside(const BezierPath &path)
{
    strokeInsideWithinRect(path, QRectF());
}
