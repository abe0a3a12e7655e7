#include "graphics/OFGeometry.h"

#include "foundation/PelkoNSArray.h"
#include "foundation/PelkoNSMutableArray.h"
#include "platform/Geometry.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>

namespace {

// More rects than any layout holds; pieces beyond it are not added.
constexpr qsizetype kMaxRects = 100000;

// The broken-precondition report with the routine's own signature, then its log line.
void reportBrokenPrecondition(const char *signature, int line)
{
    REPORT_FATAL_NAMED(signature);
    platform::LogWarning(
        lcGraphics,
        QStringLiteral("%1 [Line %2] ERROR ASSERT").arg(QLatin1String(signature)).arg(line));
}

double maxX(QRectF r)
{
    return r.x() + r.width();
}

double maxY(QRectF r)
{
    return r.y() + r.height();
}

bool usable(QRectF r, double minWidth, double minHeight)
{
    return r.width() > 0 && r.height() > 0 && r.width() >= minWidth && r.height() >= minHeight;
}

} // namespace

QVariant valueWithCGRect(QRectF rect)
{
    return QVariant(rect);
}

QRectF CGRectValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QRectF ? value.toRectF() : QRectF();
}

QRectF OFConstrainRect(QRectF r, QRectF b)
{
    r.setWidth(std::min(r.width(), b.width()));
    r.setHeight(std::min(r.height(), b.height()));
    if (b.x() > r.x())
        r.moveLeft(b.x());
    else if (maxX(r) > maxX(b))
        r.moveLeft(maxX(b) - r.width());
    if (b.y() > r.y())
        r.moveTop(b.y());
    else if (maxY(r) > maxY(b))
        r.moveTop(maxY(b) - r.height());
    if (!platform::ContainsRect(b, r))
        reportBrokenPrecondition("CGRect OFConstrainRect(CGRect, CGRect)", __LINE__);
    return r;
}

double OFSquaredDistanceToFitRectInRect(QRectF s, QRectF d)
{
    if (!(d.width() >= s.width() && d.height() >= s.height()))
        reportBrokenPrecondition("CGFloat OFSquaredDistanceToFitRectInRect(CGRect, CGRect)",
                                 __LINE__);
    double dx = 0, dy = 0;
    if (d.x() > s.x())
        dx = d.x() - s.x();
    else if (maxX(s) > maxX(d))
        dx = maxX(s) - maxX(d);
    if (d.y() > s.y())
        dy = d.y() - s.y();
    else if (maxY(s) > maxY(d))
        dy = maxY(s) - maxY(d);
    return dx * dx + dy * dy;
}

QRectF OFBestFitRectInArray(QRectF source, const QVariantList &candidates)
{
    if (candidates.isEmpty())
        return QRectF();
    qsizetype last = candidates.size() - 1;
    QRectF best = CGRectValue(candidates[last]);
    double bestDistance = OFSquaredDistanceToFitRectInRect(source, best);
    for (qsizetype i = last - 1; i >= 0; --i) {
        const QRectF candidate = CGRectValue(candidates[i]);
        const double distance = OFSquaredDistanceToFitRectInRect(source, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

void OFSplitRectsAroundRect(QVariantList *rects, QRectF o, double minWidth, double minHeight)
{
    if (!rects || rects->isEmpty())
        return;
    for (qsizetype i = rects->size() - 1; i >= 0; --i) {
        const QRectF r = CGRectValue(rects->at(i));
        if (!platform::IntersectsRect(r, o)) {
            if (!usable(r, minWidth, minHeight))
                rects->removeAt(i);
            continue;
        }
        rects->removeAt(i);
        const QRectF pieces[4] = {
            QRectF(r.x(), r.y(), o.x() - r.x(), r.height()),
            QRectF(maxX(o), r.y(), maxX(r) - maxX(o), r.height()),
            QRectF(r.x(), maxY(o), r.width(), maxY(r) - maxY(o)),
            QRectF(r.x(), r.y(), r.width(), o.y() - r.y()),
        };
        for (const QRectF &piece : pieces) {
            if (usable(piece, minWidth, minHeight) && rects->size() < kMaxRects)
                addRect(*rects, piece);
        }
    }
}

QRectF OFLargestPieceOutsideRect(QRectF r, QRectF o, double minWidth, double minHeight)
{
    const QRectF i = platform::IntersectionRect(r, o);
    if (platform::IsEmptyRect(i))
        return r;
    const QRectF pieces[4] = {
        QRectF(r.x(), r.y(), i.x() - r.x(), r.height()),
        QRectF(maxX(i), r.y(), maxX(r) - maxX(i), r.height()),
        QRectF(r.x(), maxY(i), r.width(), maxY(r) - maxY(i)),
        QRectF(r.x(), r.y(), r.width(), i.y() - r.y()),
    };
    QRectF best;
    double bestArea = 0;
    for (const QRectF &piece : pieces) {
        const double area = piece.width() * piece.height();
        if (area > bestArea && piece.width() >= minWidth && piece.height() >= minHeight) {
            best = piece;
            bestArea = area;
        }
    }
    return best;
}

QRectF OFRectExtendedToPoint(QRectF r, QPointF p)
{
    if (r.x() > p.x()) {
        r.setWidth(r.width() + (r.x() - p.x()));
        r.moveLeft(p.x());
    } else if (p.x() > maxX(r)) {
        r.setWidth(p.x() - r.x());
    }
    if (r.y() > p.y()) {
        r.setHeight(r.height() + (r.y() - p.y()));
        r.moveTop(p.y());
    } else if (p.y() > maxY(r)) {
        r.setHeight(p.y() - r.y());
    }
    return r;
}

QPointF OFCircumcenterOfPoints(QPointF p1, QPointF p2, QPointF p3)
{
    const double x1 = p1.x(), y1 = p1.y(), x2 = p2.x(), y2 = p2.y(), x3 = p3.x(), y3 = p3.y();
    const double D = 2 * ((x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1));
    if (D == 0)
        return QPointF();
    const double s1 = x1 * x1 + y1 * y1, s2 = x2 * x2 + y2 * y2, s3 = x3 * x3 + y3 * y3;
    const double x = ((y3 - y1) * (s2 - s1) - (y2 - y1) * (s3 - s1)) / D;
    const double y = ((s3 - s1) * (x2 - x1) - (s2 - s1) * (x3 - x1)) / D;
    return QPointF(double(float(x)), double(float(y)));
}
