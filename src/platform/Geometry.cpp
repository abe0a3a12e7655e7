#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>

namespace platform {

// Edges are read from origin and size as given (no standardising), so a negative width or
// height makes an empty rect, as the original platform's rect functions do.
namespace {
double minX(const QRectF &r)
{
    return r.x();
}
double minY(const QRectF &r)
{
    return r.y();
}
double maxX(const QRectF &r)
{
    return r.x() + r.width();
}
double maxY(const QRectF &r)
{
    return r.y() + r.height();
}
} // namespace

bool IsEmptyRect(const QRectF &r)
{
    // NaN sizes are empty too: the comparisons below are written so that NaN fails them.
    return !(r.width() > 0) || !(r.height() > 0);
}

bool PointInRect(const QPointF &p, const QRectF &r)
{
    return MouseInRect(p, r, true);
}

bool MouseInRect(const QPointF &p, const QRectF &r, bool flipped)
{
    if (IsEmptyRect(r))
        return false;
    if (!(p.x() >= minX(r) && p.x() < maxX(r)))
        return false;
    if (flipped)
        return p.y() >= minY(r) && p.y() < maxY(r);
    return p.y() > minY(r) && p.y() <= maxY(r);
}

bool ContainsRect(const QRectF &a, const QRectF &b)
{
    return !IsEmptyRect(b) && minX(a) <= minX(b) && minY(a) <= minY(b) && maxX(a) >= maxX(b) &&
           maxY(a) >= maxY(b);
}

bool IntersectsRect(const QRectF &a, const QRectF &b)
{
    if (IsEmptyRect(a) || IsEmptyRect(b))
        return false;
    return !(maxX(a) <= minX(b) || maxX(b) <= minX(a) || maxY(a) <= minY(b) || maxY(b) <= minY(a));
}

bool EqualRects(const QRectF &a, const QRectF &b)
{
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

QRectF IntersectionRect(const QRectF &a, const QRectF &b)
{
    if (!IntersectsRect(a, b))
        return QRectF(0, 0, 0, 0);
    const double x0 = std::max(minX(a), minX(b));
    const double y0 = std::max(minY(a), minY(b));
    const double x1 = std::min(maxX(a), maxX(b));
    const double y1 = std::min(maxY(a), maxY(b));
    return QRectF(x0, y0, x1 - x0, y1 - y0);
}

QRectF UnionRect(const QRectF &a, const QRectF &b)
{
    const bool aEmpty = IsEmptyRect(a);
    const bool bEmpty = IsEmptyRect(b);
    if (aEmpty && bEmpty)
        return QRectF(0, 0, 0, 0);
    if (aEmpty)
        return b;
    if (bEmpty)
        return a;
    const double x0 = std::min(minX(a), minX(b));
    const double y0 = std::min(minY(a), minY(b));
    const double x1 = std::max(maxX(a), maxX(b));
    const double y1 = std::max(maxY(a), maxY(b));
    return QRectF(x0, y0, x1 - x0, y1 - y0);
}

QRectF InsetRect(const QRectF &r, double dx, double dy)
{
    return QRectF(r.x() + dx, r.y() + dy, r.width() - 2 * dx, r.height() - 2 * dy);
}

QRectF OffsetRect(const QRectF &r, double dx, double dy)
{
    return QRectF(r.x() + dx, r.y() + dy, r.width(), r.height());
}

QRectF IntegralRect(const QRectF &r)
{
    if (IsEmptyRect(r))
        return QRectF(0, 0, 0, 0);
    const double x0 = std::floor(minX(r));
    const double y0 = std::floor(minY(r));
    const double x1 = std::ceil(maxX(r));
    const double y1 = std::ceil(maxY(r));
    return QRectF(x0, y0, x1 - x0, y1 - y0);
}

QRectF StandardizeRect(const QRectF &r)
{
    const double x = r.width() < 0 ? r.x() + r.width() : r.x();
    const double y = r.height() < 0 ? r.y() + r.height() : r.y();
    return QRectF(x, y, std::abs(r.width()), std::abs(r.height()));
}

} // namespace platform
