#include "graphics/PathHitTesting.h"

#include "graphics/UtilityMathLines.h"
#include "platform/Geometry.h"

#include <algorithm>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

// Deep enough for curves a billion units long to reach a tolerance of 1.
constexpr int kMaxHalvings = 40;
// The control boxes of the halves stray from the path's control points by far less than this
// share of the path's size.
constexpr double kControlBoxSlack = 1e-3;
// Two boxes grown by 0.1 each is as far as a segment can be from a side it crosses.
constexpr double kSegmentSlack = 0.2;

// The control box shares area with the rect, or, flat (a straight horizontal or vertical
// curve), lies across it: a box of no height still holds a curve.
bool boxMeetsRect(double minX, double minY, double maxX, double maxY, const QRectF &rect)
{
    if (platform::IsEmptyRect(rect))
        return false;
    return minX < rect.x() + rect.width() && rect.x() < maxX && minY < rect.y() + rect.height() &&
           rect.y() < maxY;
}

bool curveTouches(const CurveCoefficients &c, const QRectF &rect, double tolerance, int depth)
{
    // Control points from the power form with the factors 0.3333 and 0.6666.
    const QPointF p0 = c.a0;
    const QPointF p1 = c.a0 + 0.3333 * c.a1;
    const QPointF p2 = c.a0 + 0.6666 * c.a1 + 0.3333 * c.a2;
    const QPointF p3 = c.a0 + c.a1 + c.a2 + c.a3;
    const double minX = std::min({p0.x(), p1.x(), p2.x(), p3.x()});
    const double maxX = std::max({p0.x(), p1.x(), p2.x(), p3.x()});
    const double minY = std::min({p0.y(), p1.y(), p2.y(), p3.y()});
    const double maxY = std::max({p0.y(), p1.y(), p2.y(), p3.y()});
    if (!boxMeetsRect(minX, minY, maxX, maxY, rect))
        return false;
    if (tolerance >= maxX - minX || tolerance >= maxY - minY || depth >= kMaxHalvings)
        return true;
    const CurveCoefficients left{c.a0, c.a1 * 0.5, c.a2 * 0.25, c.a3 * 0.125};
    const CurveCoefficients right{c.a0 + c.a1 * 0.5 + c.a2 * 0.25 + c.a3 * 0.125,
                                  c.a1 * 0.5 + c.a2 * 0.5 + 3 * c.a3 * 0.125,
                                  c.a2 * 0.25 + 3 * c.a3 * 0.125, c.a3 * 0.125};
    return curveTouches(left, rect, tolerance, depth + 1) ||
           curveTouches(right, rect, tolerance, depth + 1);
}

bool lineCrossesRect(QPointF from, QPointF to, const QRectF &rect)
{
    QPointF crossings[2];
    int count = 0;
    return IntersectLineWithRectSides(crossings, &count, LINE_{from, to}, rect);
}

// False only when no segment of the path can answer yes.
bool mayReach(const BezierPath &path, const QRectF &asked)
{
    const QRectF rect = asked.normalized();
    const QRectF b = path.controlPointBounds();
    const double slack = kSegmentSlack + kControlBoxSlack * (b.width() + b.height());
    return b.left() - slack <= rect.x() + rect.width() && rect.x() <= b.right() + slack &&
           b.top() - slack <= rect.y() + rect.height() && rect.y() <= b.bottom() + slack;
}

} // namespace

CurveCoefficients CurveCoefficientsFromPoints(QPointF p0, QPointF c1, QPointF c2, QPointF p3)
{
    return CurveCoefficients{p0, 3 * (c1 - p0), 3 * (p0 - 2 * c1 + c2), 3 * (c1 - c2) + (p3 - p0)};
}

bool curveTouchesRect(const CurveCoefficients &curve, QRectF rect, double tolerance)
{
    return curveTouches(curve, rect, tolerance, 0);
}

bool intersectsRect(const BezierPath &path, QRectF rect)
{
    if (path.isEmpty() || path.element(0).type != BezierPathElement::MoveTo)
        return false;
    if (!mayReach(path, rect))
        return false;
    const double tolerance = path.lineWidth() + 1.0;
    const auto crosses = [&](qint64, BezierPathElement type, QPointF from, const QPointF *p) {
        switch (type) {
        case BezierPathElement::LineTo:
        case BezierPathElement::ClosePath:
            return lineCrossesRect(from, p[0], rect);
        case BezierPathElement::CurveTo:
            return curveTouchesRect(CurveCoefficientsFromPoints(from, p[0], p[1], p[2]), rect,
                                    tolerance);
        case BezierPathElement::MoveTo:
            break;
        }
        return false;
    };
    return findPathSegment(path, crosses) != 0;
}
