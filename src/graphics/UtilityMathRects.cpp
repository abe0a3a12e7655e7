#include "graphics/UtilityMathRects.h"

#include "foundation/PelkoNSArray.h"
#include "foundation/PelkoNSMutableArray.h"
#include "platform/Geometry.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNearZero = 0.02;
constexpr double kZeroRect = 0.01;
constexpr float kDefaultTolerance = 0.002f;
// More pieces than any real layout has; a larger count is refused rather than allocated.
constexpr qsizetype kMaxPieces = 100000;

QPointF farCorner(QRectF r)
{
    return QPointF(r.x() + r.width(), r.y() + r.height());
}

bool equalWithin(QRectF a, QRectF b, double t)
{
    return std::abs(a.x() - b.x()) <= t && std::abs(a.y() - b.y()) <= t &&
           std::abs(a.width() - b.width()) <= t && std::abs(a.height() - b.height()) <= t;
}

double aspectOf(double w, double h)
{
    return w > kNearZero && h > kNearZero ? w / h : 1.0;
}

QRectF fitWithRatio(double r, QRectF box)
{
    if (box.width() <= r * box.height())
        return platform::InsetRect(box, 0, (box.height() - box.width() / r) / 2);
    return platform::InsetRect(box, (box.width() - r * box.height()) / 2, 0);
}

// Same position and extent along one axis, touching or overlapping along the other.
bool alignedAlong(double aPos, double aLen, double bPos, double bLen, double aOther,
                  double aOtherLen, double bOther, double bOtherLen, double t)
{
    return std::abs(aPos - bPos) <= t && std::abs(aLen - bLen) <= t &&
           aOther <= bOther + bOtherLen + t && bOther <= aOther + aOtherLen + t;
}

bool thin(QRectF r, double minSize)
{
    return r.width() <= minSize || r.height() <= minSize;
}

} // namespace

QRectF RectFromTwoPoints(QPointF a, QPointF b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
                  std::abs(a.y() - b.y()));
}

QRectF RectUnionWithPoint(QRectF rect, QPointF p)
{
    const double minX = std::min(rect.x(), p.x()), minY = std::min(rect.y(), p.y());
    const double maxX = std::max(rect.x() + rect.width(), p.x());
    const double maxY = std::max(rect.y() + rect.height(), p.y());
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

QRectF BoundingRectOfFourPoints(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const QPointF points[4] = {a, b, c, d};
    return BoundingRectOfPoints(points, 4);
}

QRectF UnionOfRects(QRectF a, QRectF b)
{
    return BoundingRectOfFourPoints(a.topLeft(), farCorner(a), b.topLeft(), farCorner(b));
}

QRectF BoundingRectOfRectAndPoint(QRectF rect, QPointF p)
{
    return BoundingRectOfFourPoints(rect.topLeft(), farCorner(rect),
                                    QPointF(rect.x() + rect.width(), rect.y()), p);
}

QRectF BoundingRectOfPoints(const QPointF *points, int count)
{
    if (!points || count < 1)
        return QRectF();
    double minX = points[0].x(), maxX = minX, minY = points[0].y(), maxY = minY;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, points[i].x());
        maxX = std::max(maxX, points[i].x());
        minY = std::min(minY, points[i].y());
        maxY = std::max(maxY, points[i].y());
    }
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}

bool RectContainsRect(QRectF inner, QRectF outer)
{
    return equalWithin(UnionOfRects(inner, outer), outer, kNearZero);
}

QRectF ScaleRect(QRectF rect, double factor)
{
    return QRectF(rect.x() * factor, rect.y() * factor, rect.width() * factor,
                  rect.height() * factor);
}

QRectF FitRectKeepingAspect(QRectF shape, QRectF box)
{
    return fitWithRatio(aspectOf(shape.width(), shape.height()), box);
}

QRectF FitRectWithRatio(double ratio, QRectF box)
{
    return fitWithRatio(ratio > kNearZero ? ratio : 1.0, box);
}

QSizeF FitSizeKeepingAspect(QSizeF size, QSizeF boxSize)
{
    return FitRectKeepingAspect(QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), boxSize)).size();
}

bool MergeAlignedRects(QRectF *out, QRectF a, QRectF b, float tolerance)
{
    const double t = std::abs(double(tolerance));
    const bool stacked =
        alignedAlong(a.x(), a.width(), b.x(), b.width(), a.y(), a.height(), b.y(), b.height(), t);
    const bool sideBySide =
        alignedAlong(a.y(), a.height(), b.y(), b.height(), a.x(), a.width(), b.x(), b.width(), t);
    if (!stacked && !sideBySide)
        return false;
    if (out)
        *out = UnionOfRects(a, b);
    return true;
}

QVariantList SplitRectWithHoleRect(QRectF rect, QRectF hole, float minSize, bool *outCovered)
{
    GUARD_BEGIN
    if (outCovered)
        *outCovered = false;
    const double m = minSize;
    const double t = minSize > 0 ? minSize : kDefaultTolerance;
    const QRectF zero;
    if (equalWithin(rect, zero, t) || equalWithin(hole, zero, t))
        return {};
    const double rx0 = rect.x(), ry0 = rect.y(), rx1 = rx0 + rect.width(),
                 ry1 = ry0 + rect.height();
    const double hx0 = hole.x(), hy0 = hole.y(), hx1 = hx0 + hole.width(),
                 hy1 = hy0 + hole.height();
    if (hy1 - m <= ry0 || ry1 - m <= hy0 || hx1 - m <= rx0 || rx1 - m <= hx0)
        return {};
    QVariantList pieces;
    const bool covers = hy0 <= ry0 + m && ry1 - m <= hy1 && hx0 <= rx0 + m && rx1 - m <= hx1;
    if (equalWithin(rect, hole, t) || covers) {
        addRect(pieces, rect);
        if (outCovered)
            *outCovered = true;
        return pieces;
    }
    const double y0 = std::max(hy0, ry0), y1 = std::min(hy1, ry1);
    if (hy0 > ry0)
        addRect(pieces, QRectF(rx0, ry0, rect.width(), hy0 - ry0));
    if (hy1 < ry1)
        addRect(pieces, QRectF(rx0, hy1, rect.width(), ry1 - hy1));
    if (hx0 > rx0)
        addRect(pieces, QRectF(rx0, y0, hx0 - rx0, y1 - y0));
    if (hx1 < rx1)
        addRect(pieces, QRectF(hx1, y0, rx1 - hx1, y1 - y0));
    if (pieces.isEmpty())
        platform::Log(lcGraphics, QStringLiteral("*********** WARNING LACK CASE **********"));
    return pieces;
    GUARD_END_NAMED(QVariantList(),
                    "NSMutableArray *SplitRectWithHoleRect(NSRect, NSRect, float, BOOL *)")
}

QVariantList RectangulationRectWithHoles(QRectF rect, const QVariantList &holes, float minSize)
{
    GUARD_BEGIN
    const double m = minSize;
    if (equalWithin(rect, QRectF(), kZeroRect) || m >= rect.width() || m >= rect.height())
        return {};
    QVariantList pieces;
    addRect(pieces, rect);
    if (holes.isEmpty())
        return pieces;
    const double t = minSize > 0 ? minSize : kDefaultTolerance;
    for (qsizetype h = holes.size() - 1; h >= 0; --h) {
        const QRectF hole = rectAt(holes, int(h));
        if (equalWithin(hole, QRectF(), t))
            continue;
        for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
            const QRectF piece = rectAt(pieces, int(i));
            if (thin(piece, m)) {
                pieces.removeAt(i);
                continue;
            }
            bool covered = false;
            const QVariantList split = SplitRectWithHoleRect(piece, hole, minSize, &covered);
            if (covered) {
                pieces.removeAt(i);
            } else if (!split.isEmpty()) {
                pieces.removeAt(i);
                pieces.append(split);
            }
        }
        if (pieces.size() > kMaxPieces) {
            platform::Log(lcGraphics,
                          QStringLiteral("*** RectangulationRectWithHoles: too many pieces"));
            return {};
        }
    }
    pieces.removeIf([m](const QVariant &v) { return thin(v.toRectF(), m); });
    return pieces;
    GUARD_END_NAMED(QVariantList(),
                    "NSMutableArray *RectangulationRectWithHoles(NSRect, NSMutableArray *, float)")
}
