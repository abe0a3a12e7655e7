#include "graphics/UtilityMathArcs.h"

#include "graphics/DrawingUtility.h"
#include "graphics/PathHitTesting.h"
#include "graphics/UtilityMathLines.h"
#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>

using platform::BezierPath;

namespace {

constexpr double kSamePoint = 0.1;
// ... and closer than this part of the largest distance among the points.
constexpr double kSamePointOfSpan = 0.05;
// Chords whose directions differ by less than this sine lie on one line.
constexpr double kParallelSine = 1e-9;
constexpr double kBoxMargin = 0.02;
constexpr float kMinTransformedRadius = 0.1f;
constexpr double kMinAppendRadius = 0.02;
constexpr int kMaxArcSteps = 361;

QRectF circleBox(const ARC_INFO &arc, double margin)
{
    const double r = double(arc.radius) + margin;
    return QRectF(arc.center.x() - r, arc.center.y() - r, 2 * r, 2 * r);
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

bool scales(double scale)
{
    return scale != 1.0 && scale > 0;
}

} // namespace

std::optional<BezierPath> CreateArcPath(const ARC_INFO &arc, double scale)
{
    if (arc.radius <= 0)
        return std::nullopt;
    QPointF center = arc.center;
    float radius = arc.radius;
    if (scales(scale)) {
        center *= scale;
        radius *= float(scale);
    }
    if (IsFullCircleArc(arc)) {
        const double r = radius;
        return BezierPath::bezierPathWithOvalInRect(
            QRectF(center.x() - r, center.y() - r, 2 * r, 2 * r));
    }
    BezierPath path;
    path.appendBezierPathWithArcWithCenter(center, radius, arc.startAngle, arc.endAngle,
                                           arc.clockwise);
    return path;
}

bool GetCircleCenterFromThreePoints(QPointF *out, QPointF p1, QPointF p2, QPointF p3)
{
    if (!out)
        return false;
    // Points closer than kSamePoint are one point, unless the three of them lie that close
    // together: a tiny arc has its own circle.
    const double span = std::max({distance(p1, p2), distance(p1, p3), distance(p2, p3)});
    auto close = [span](QPointF a, QPointF b) {
        const double d = distance(a, b);
        return d < kSamePoint && d < kSamePointOfSpan * span;
    };
    if (close(p1, p3)) {
        *out = MidPointOfPoints(p1, p2);
        return true;
    }
    if (close(p1, p2)) {
        *out = MidPointOfPoints(p1, p3);
        return true;
    }
    if (close(p2, p3)) {
        *out = MidPointOfPoints(p1, p2);
        return true;
    }
    // The perpendicular bisectors of the chords p1-p2 and p1-p3 meet at the centre: with
    // u = p2 - p1 and v = p3 - p1, the centre c - p1 satisfies 2 u.(c - p1) = |u|^2 and
    // 2 v.(c - p1) = |v|^2.
    const double ux = p2.x() - p1.x(), uy = p2.y() - p1.y();
    const double vx = p3.x() - p1.x(), vy = p3.y() - p1.y();
    const double cross = ux * vy - uy * vx;
    const double uu = ux * ux + uy * uy, vv = vx * vx + vy * vy;
    // On one line (the bisectors are parallel): no circle.
    if (!(std::abs(cross) > kParallelSine * std::sqrt(uu * vv)))
        return false;
    const QPointF center(p1.x() + (vy * uu - uy * vv) / (2 * cross),
                         p1.y() + (ux * vv - vx * uu) / (2 * cross));
    if (!std::isfinite(center.x()) || !std::isfinite(center.y()))
        return false;
    *out = center;
    return true;
}

bool MakeArcThroughThreePoints(ARC_INFO *out, QPointF p1, QPointF p2, QPointF p3)
{
    QPointF center;
    if (!out || !GetCircleCenterFromThreePoints(&center, p1, p2, p3))
        return false;
    *out = ARC_INFO();
    out->center = center;
    out->radius = std::max(1.0f, DistanceBetweenPoints(center, p1));
    out->startAngle = GetLineAngle(center, p1);
    out->endAngle = GetLineAngle(center, p3);
    out->clockwise = AngleInArc(true, GetLineAngle(center, p2), out->startAngle, out->endAngle);
    return true;
}

bool ArcIntersectsRect(const ARC_INFO &arc, QRectF rect)
{
    if (arc.radius <= 0 || !platform::IntersectsRect(circleBox(arc, kBoxMargin), rect))
        return false;
    const std::optional<BezierPath> path = CreateArcPath(arc, 1);
    return path && intersectsRect(*path, rect);
}

bool ArcInsideRect(QRectF rect, const ARC_INFO &arc)
{
    if (arc.radius <= 0)
        return false;
    const QRectF box = circleBox(arc, 0);
    if (!platform::IntersectsRect(box, rect))
        return false;
    if (platform::ContainsRect(rect, box))
        return true;
    if (IsFullCircleArc(arc))
        return false;
    // Walked a degree at a time in the arc's own direction, then its end.
    const float step = arc.clockwise ? -1.0f : 1.0f;
    for (int i = 0; i < kMaxArcSteps; ++i) {
        const float angle = arc.startAngle + step * float(i);
        if (!AngleInArc(arc.clockwise, angle, arc.startAngle, arc.endAngle))
            break;
        if (!platform::PointInRect(PointAtDistanceAndAngle(arc.center, arc.radius, angle), rect))
            return false;
    }
    return platform::PointInRect(PointAtDistanceAndAngle(arc.center, arc.radius, arc.endAngle),
                                 rect);
}

bool GrowArcRadius(ARC_INFO *out, const ARC_INFO &arc, double delta)
{
    if (!out || arc.radius < 0)
        return false;
    const double radius = double(arc.radius) + delta;
    if (radius <= 0)
        return false;
    *out = arc;
    out->radius = float(radius);
    return true;
}

ARC_INFO TransformArc(const ARC_INFO &arc, const platform::AffineTransform *transform)
{
    if (!transform || arc.radius <= 0)
        return arc;
    if (IsFullCircleArc(arc)) {
        ARC_INFO result = arc;
        result.center = transform->transformPoint(arc.center);
        const QPointF top = transform->transformPoint(arc.center + QPointF(0, arc.radius));
        result.radius = std::max(kMinTransformedRadius, DistanceBetweenPoints(result.center, top));
        return result;
    }
    const float mid = MidAngleOfArc(arc.clockwise, arc.startAngle, arc.endAngle);
    const QPointF s =
        transform->transformPoint(PointAtDistanceAndAngle(arc.center, arc.radius, arc.startAngle));
    const QPointF m =
        transform->transformPoint(PointAtDistanceAndAngle(arc.center, arc.radius, mid));
    const QPointF e =
        transform->transformPoint(PointAtDistanceAndAngle(arc.center, arc.radius, arc.endAngle));
    QPointF center;
    if (!GetCircleCenterFromThreePoints(&center, s, m, e))
        return arc;
    ARC_INFO result;
    result.center = center;
    result.radius = DistanceBetweenPoints(center, s);
    result.startAngle = GetLineAngle(center, s);
    result.endAngle = GetLineAngle(center, e);
    result.clockwise =
        AngleInArc(true, GetLineAngle(center, m), result.startAngle, result.endAngle);
    return result;
}

BezierPath CreateSegmentPath(double scale, QPointF a, QPointF b)
{
    if (scales(scale)) {
        a *= scale;
        b *= scale;
    }
    BezierPath path;
    path.moveToPoint(a);
    path.lineToPoint(b);
    return path;
}

bool AppendArcToPath(BezierPath *path, QPointF center, float radius, float startAngle,
                     float endAngle, bool clockwise)
{
    if (!path || double(radius) <= kMinAppendRadius)
        return false;
    path->appendBezierPathWithArcWithCenter(center, radius, startAngle, endAngle, clockwise);
    return true;
}
