#include "graphics/UtilityMathTransforms.h"

#include "graphics/UtilityMathAngles.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <cmath>

using platform::AffineTransform;
using platform::AffineTransformStruct;
using platform::BezierPath;

namespace {

constexpr double kMinRotation = 0.2;
constexpr double kMinSegment = 0.02;
constexpr double kMinMirrorLine = 0.1;
constexpr double kMinScale = 0.0002;
constexpr double kMinSide = 0.002;
constexpr double kMinFlipSide = 1.0;
constexpr double kMinPathRotation = 0.02;

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// The lengths of the images of the unit steps along x and y, from 100-unit steps.
void transformRatios(const AffineTransform &t, double *sx, double *sy)
{
    const QPointF origin = t.transformPoint(QPointF(0, 0));
    *sx = distance(origin, t.transformPoint(QPointF(100, 0))) / 100.0;
    *sy = distance(origin, t.transformPoint(QPointF(0, 100))) / 100.0;
}

} // namespace

AffineTransform CreateRotationTransformAroundPoint(QPointF p, float angle)
{
    AffineTransform t;
    t.translateXBy(p.x(), p.y());
    t.rotateByDegrees(angle);
    t.translateXBy(-p.x(), -p.y());
    return t;
}

std::optional<AffineTransform> CreateRotationTransformAboutRectCenter(QRectF rect, float angle)
{
    if (std::abs(double(angle)) <= kMinRotation)
        return std::nullopt;
    return CreateRotationTransformAroundPoint(rect.center(), angle);
}

AffineTransform CreateScaleTransformAroundPoint(QPointF p, double sx, double sy)
{
    AffineTransform t;
    t.translateXBy(p.x(), p.y());
    t.scaleXBy(sx, sy);
    t.translateXBy(-p.x(), -p.y());
    return t;
}

AffineTransform CreateScaleTransform(double factor)
{
    AffineTransform t;
    t.scaleBy(factor);
    return t;
}

AffineTransform CreateTranslateTransform(double dx, double dy)
{
    AffineTransform t;
    t.translateXBy(dx, dy);
    return t;
}

AffineTransform CreateTranslateTransformBetweenPoints(QPointF a, QPointF b)
{
    return CreateTranslateTransform(b.x() - a.x(), b.y() - a.y());
}

std::optional<AffineTransform> CreateTransformSegmentToSegment(QPointF a1, QPointF a2, QPointF b1,
                                                               QPointF b2)
{
    const double from = distance(a1, a2), to = distance(b1, b2);
    if (from < kMinSegment || to < kMinSegment)
        return std::nullopt;
    AffineTransform t;
    t.translateXBy(b1.x(), b1.y());
    t.rotateByDegrees(double(GetLineAngle(b1, b2)) - double(GetLineAngle(a1, a2)));
    t.scaleBy(to / from);
    t.translateXBy(-a1.x(), -a1.y());
    return t;
}

std::optional<AffineTransform> CreateMirrorTransformAcrossLine(QPointF a, QPointF b)
{
    float angle = 0;
    if (distance(a, b) < kMinMirrorLine || !GetLineAngleInto(&angle, a, b))
        return std::nullopt;
    AffineTransform turn;
    turn.rotateByDegrees(-angle);
    const double y0 = turn.transformPoint(a).y();
    AffineTransform turnBack;
    turnBack.rotateByDegrees(angle);
    // Points are turned so the line lies flat at height y0, mirrored about it, turned back.
    AffineTransform mirror;
    mirror.setTransformStruct(AffineTransformStruct{1, 0, 0, -1, 0, 2 * y0});
    AffineTransform t = turn;
    t.appendTransform(mirror);
    t.appendTransform(turnBack);
    return t;
}

double GetTransformAngle(const AffineTransform *transform)
{
    GUARD_BEGIN
    if (!transform)
        return 0;
    float angle = 0;
    if (!GetLineAngleInto(&angle, transform->transformPoint(QPointF(0, 0)),
                          transform->transformPoint(QPointF(100, 0))))
        return 0;
    return angle;
    GUARD_END_NAMED(0, "float GetTransformAngle(NSAffineTransform *)")
}

double GetTransformScale(const AffineTransform *transform)
{
    if (!transform)
        return 1;
    double sx = 0, sy = 0;
    transformRatios(*transform, &sx, &sy);
    return (sx + sy) / 2.0;
}

double GetTransformScaleXY(const AffineTransform *transform)
{
    if (!transform)
        return 1;
    double sx = 0, sy = 0;
    transformRatios(*transform, &sx, &sy);
    if (sx > kMinScale && sy > kMinScale)
        return std::min(sx, sy);
    if (sx + sy > 2 * kMinScale)
        return (sx + sy) / 2.0;
    if (sx > kMinScale || sy > kMinScale)
        return std::max(sx, sy);
    return 1;
}

void GetTransformOutputRectAndAngle(const AffineTransform *transform, QRectF rect, QRectF *outRect,
                                    float *outAngle)
{
    if (outAngle)
        *outAngle = float(GetTransformAngle(transform));
    if (!outRect)
        return;
    if (!transform) {
        *outRect = rect;
        return;
    }
    const QPointF origin = transform->transformPoint(rect.topLeft());
    const double w =
        distance(origin, transform->transformPoint(QPointF(rect.x() + rect.width(), rect.y())));
    const double h =
        distance(origin, transform->transformPoint(QPointF(rect.x(), rect.y() + rect.height())));
    const QPointF c = transform->transformPoint(rect.center());
    *outRect = QRectF(c.x() - w / 2, c.y() - h / 2, w, h);
}

void MoveResize_NSBezierPath(BezierPath *path, QRectF from, QRectF to)
{
    if (!path || from.width() <= kMinSide || from.height() <= kMinSide || to.width() <= kMinSide ||
        to.height() <= kMinSide) {
        platform::LogWarning(lcGraphics, QStringLiteral("*** ERROR MoveResize_NSBezierPath ***"));
        return;
    }
    path->transformUsingAffineTransform(
        CreateTranslateTransformBetweenPoints(from.topLeft(), to.topLeft()));
    path->transformUsingAffineTransform(CreateScaleTransformAroundPoint(
        to.topLeft(), to.width() / from.width(), to.height() / from.height()));
}

void FlipPathHorizontallyInRect(BezierPath *path, QRectF rect)
{
    if (!path || !(rect.width() > kMinFlipSide && rect.height() > kMinFlipSide))
        return;
    path->transformUsingAffineTransform(
        AffineTransform(AffineTransformStruct{-1, 0, 0, 1, 2 * rect.center().x(), 0}));
}

void FlipPathVerticallyInRect(BezierPath *path, QRectF rect)
{
    if (!path || !(rect.width() > kMinFlipSide && rect.height() > kMinFlipSide))
        return;
    path->transformUsingAffineTransform(
        AffineTransform(AffineTransformStruct{1, 0, 0, -1, 0, 2 * rect.center().y()}));
}

std::optional<BezierPath> CopyPathRotatedAboutPoint(const BezierPath *path, QPointF point,
                                                    float angle)
{
    if (!path || std::abs(double(angle)) < kMinPathRotation)
        return std::nullopt;
    BezierPath copy = *path;
    copy.transformUsingAffineTransform(CreateRotationTransformAroundPoint(point, angle));
    return copy;
}

void AppendMidpointCurve(BezierPath *path, QPointF a, QPointF b, QPointF c)
{
    if (!path)
        return;
    path->curveToPoint(b, (a + c) / 2, (c + b) / 2);
}
