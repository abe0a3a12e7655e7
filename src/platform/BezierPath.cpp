#include "platform/BezierPath.h"

#include "platform/AffineTransform.h"
#include "platform/GraphicsContext.h"
#include "platform/Log.h"

#include <QPen>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

namespace {

// Control-point distance that makes a cubic follow a quarter circle.
constexpr double kCircleKappa = 0.5522847498307936;
constexpr int kMaxFlatteningSegments = 1000;

struct Defaults
{
    double lineWidth = 1.0;
    double flatness = 0.6;
    double miterLimit = 10.0;
    WindingRule winding = WindingRule::NonZero;
    LineCapStyle cap = LineCapStyle::Butt;
    LineJoinStyle join = LineJoinStyle::Miter;
};

Defaults &defaults()
{
    static Defaults d;
    return d;
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

QPointF cubicPoint(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double t)
{
    const double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

// Parameters in (0, 1) where one coordinate of a cubic has an extreme (at most two per call).
struct Extremes
{
    double t[4];
    int count = 0;
    void append(double v) { t[count++] = v; }
};

void cubicExtremes(double a, double b, double c, double d, Extremes &ts)
{
    // Derivative / 3: (b - a)(1-t)^2 + 2(c - b)(1-t)t + (d - c)t^2 = A t^2 + B t + C
    const double A = -a + 3 * b - 3 * c + d;
    const double B = 2 * (a - 2 * b + c);
    const double C = b - a;
    auto add = [&ts](double t) {
        if (t > 0 && t < 1 && ts.count < 4)
            ts.append(t);
    };
    if (std::abs(A) < 1e-12) {
        if (std::abs(B) > 1e-12)
            add(-C / B);
        return;
    }
    const double disc = B * B - 4 * A * C;
    if (disc < 0)
        return;
    const double root = std::sqrt(disc);
    add((-B + root) / (2 * A));
    add((-B - root) / (2 * A));
}

// Winding of the ray from p toward -x: a segment counts +1 going up and -1 going down when it
// crosses p's height at or left of p. Heights are half-open (the lower end counts, the upper
// does not), so a vertex on the ray is counted once; level segments do not count.
void addLineWinding(QPointF a, QPointF b, QPointF p, int &winding)
{
    double y1 = a.y(), y2 = b.y();
    if (qFuzzyCompare(y1, y2))
        return;
    int dir = 1;
    double x1 = a.x(), x2 = b.x();
    if (y2 < y1) {
        std::swap(y1, y2);
        std::swap(x1, x2);
        dir = -1;
    }
    const double y = p.y();
    if (y < y1 || y >= y2)
        return;
    const double x = x1 + (x2 - x1) / (y2 - y1) * (y - y1);
    if (x <= p.x())
        winding += dir;
}

double cubicAt(double a, double b, double c, double d, double t)
{
    const double u = 1 - t;
    return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
}

// The cubic's crossings of p's height, found on its pieces of one-way height: a piece wholly
// left of p counts as its chord, one wholly right does not count, any other is solved.
void addCurveWinding(QPointF p0, QPointF p1, QPointF p2, QPointF p3, QPointF p, int &winding)
{
    const double minY = std::min({p0.y(), p1.y(), p2.y(), p3.y()});
    const double maxY = std::max({p0.y(), p1.y(), p2.y(), p3.y()});
    if (p.y() < minY || p.y() >= maxY)
        return;
    const double maxX = std::max({p0.x(), p1.x(), p2.x(), p3.x()});
    if (maxX <= p.x()) {
        addLineWinding(p0, p3, p, winding);
        return;
    }
    const double minX = std::min({p0.x(), p1.x(), p2.x(), p3.x()});
    if (minX > p.x())
        return;
    Extremes ts;
    cubicExtremes(p0.y(), p1.y(), p2.y(), p3.y(), ts);
    // One coordinate has at most two extremes.
    if (ts.count == 2 && ts.t[1] < ts.t[0])
        std::swap(ts.t[0], ts.t[1]);
    double bounds[4] = {0, 0, 0, 0};
    int n = 0;
    bounds[n++] = 0;
    for (int k = 0; k < ts.count; ++k)
        bounds[n++] = ts.t[k];
    bounds[n++] = 1;
    for (int k = 0; k + 1 < n; ++k) {
        double t0 = bounds[k], t1 = bounds[k + 1];
        double y0 = k == 0 ? p0.y() : cubicAt(p0.y(), p1.y(), p2.y(), p3.y(), t0);
        double y1 = k + 2 == n ? p3.y() : cubicAt(p0.y(), p1.y(), p2.y(), p3.y(), t1);
        if (y0 == y1)
            continue;
        const int dir = y1 > y0 ? 1 : -1;
        if (p.y() < std::min(y0, y1) || p.y() >= std::max(y0, y1))
            continue;
        // Bisection on the one-way piece: y moves monotonically from y0 to y1.
        for (int i = 0; i < 60 && t1 - t0 > 1e-15; ++i) {
            const double mid = (t0 + t1) / 2;
            const double ym = cubicAt(p0.y(), p1.y(), p2.y(), p3.y(), mid);
            if ((ym < p.y()) == (dir > 0))
                t0 = mid;
            else
                t1 = mid;
        }
        const double x = cubicAt(p0.x(), p1.x(), p2.x(), p3.x(), (t0 + t1) / 2);
        if (x <= p.x())
            winding += dir;
    }
}

int flatteningSegments(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double flatness)
{
    const QPointF d1 = p0 - 2 * p1 + p2;
    const QPointF d2 = p1 - 2 * p2 + p3;
    const double m = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
    const double f = flatness > 0.001 ? flatness : 0.001;
    const double n = std::ceil(std::sqrt(0.75 * m / f));
    if (!std::isfinite(n) || n < 1)
        return 1;
    return n > kMaxFlatteningSegments ? kMaxFlatteningSegments : int(n);
}

Qt::PenCapStyle qtCap(LineCapStyle s)
{
    switch (s) {
    case LineCapStyle::Round:
        return Qt::RoundCap;
    case LineCapStyle::Square:
        return Qt::SquareCap;
    case LineCapStyle::Butt:
        break;
    }
    return Qt::FlatCap;
}

Qt::PenJoinStyle qtJoin(LineJoinStyle s)
{
    switch (s) {
    case LineJoinStyle::Round:
        return Qt::RoundJoin;
    case LineJoinStyle::Bevel:
        return Qt::BevelJoin;
    case LineJoinStyle::Miter:
        break;
    }
    return Qt::SvgMiterJoin;
}

} // namespace

BezierPath::BezierPath()
    : mLineWidth(defaults().lineWidth), mWindingRule(defaults().winding), mLineCap(defaults().cap),
      mLineJoin(defaults().join), mMiterLimit(defaults().miterLimit), mFlatness(defaults().flatness)
{}

double BezierPath::defaultLineWidth()
{
    return defaults().lineWidth;
}
void BezierPath::setDefaultLineWidth(double width)
{
    defaults().lineWidth = width;
}
double BezierPath::defaultFlatness()
{
    return defaults().flatness;
}
void BezierPath::setDefaultFlatness(double flatness)
{
    defaults().flatness = flatness;
}
double BezierPath::defaultMiterLimit()
{
    return defaults().miterLimit;
}
void BezierPath::setDefaultMiterLimit(double limit)
{
    defaults().miterLimit = limit;
}
WindingRule BezierPath::defaultWindingRule()
{
    return defaults().winding;
}
void BezierPath::setDefaultWindingRule(WindingRule rule)
{
    defaults().winding = rule;
}
LineCapStyle BezierPath::defaultLineCapStyle()
{
    return defaults().cap;
}
void BezierPath::setDefaultLineCapStyle(LineCapStyle style)
{
    defaults().cap = style;
}
LineJoinStyle BezierPath::defaultLineJoinStyle()
{
    return defaults().join;
}
void BezierPath::setDefaultLineJoinStyle(LineJoinStyle style)
{
    defaults().join = style;
}

BezierPath BezierPath::bezierPathWithRect(const QRectF &rect)
{
    BezierPath p;
    p.appendBezierPathWithRect(rect);
    return p;
}

BezierPath BezierPath::bezierPathWithOvalInRect(const QRectF &rect)
{
    BezierPath p;
    p.appendBezierPathWithOvalInRect(rect);
    return p;
}

BezierPath BezierPath::bezierPathWithRoundedRect(const QRectF &rect, double xRadius, double yRadius)
{
    BezierPath p;
    p.appendBezierPathWithRoundedRect(rect, xRadius, yRadius);
    return p;
}

BezierPath BezierPath::fromQPainterPath(const QPainterPath &path)
{
    BezierPath p;
    p.setWindingRule(path.fillRule() == Qt::OddEvenFill ? WindingRule::EvenOdd
                                                        : WindingRule::NonZero);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            p.moveToPoint(e);
        } else if (e.isLineTo()) {
            p.lineToPoint(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPointF c2 = path.elementAt(i + 1);
            const QPointF end = path.elementAt(i + 2);
            p.curveToPoint(end, e, c2);
            i += 2;
        }
    }
    return p;
}

void BezierPath::fillRect(const QRectF &rect)
{
    bezierPathWithRect(rect).fill();
}

void BezierPath::strokeRect(const QRectF &rect)
{
    bezierPathWithRect(rect).stroke();
}

void BezierPath::strokeLineFromPoint(QPointF from, QPointF to)
{
    BezierPath p;
    p.moveToPoint(from);
    p.lineToPoint(to);
    p.stroke();
}

void BezierPath::clipRect(const QRectF &rect)
{
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->clipToRect(rect);
}

void BezierPath::ensureCurrentPoint(QPointF p)
{
    if (!mElements.isEmpty()) {
        // A segment after a close opens a new subpath where the closed one started.
        if (mElements.last().type == BezierPathElement::ClosePath)
            moveToPoint(subpathStart());
        return;
    }
    Log(QStringLiteral("*** BezierPath: no current point; starting the path at (%1, %2)")
            .arg(p.x())
            .arg(p.y()));
    moveToPoint(p);
}

QPointF BezierPath::subpathStart() const
{
    for (qint64 i = mElements.size() - 1; i >= 0; --i) {
        if (mElements[i].type == BezierPathElement::MoveTo)
            return mElements[i].points[0];
    }
    return QPointF();
}

void BezierPath::moveToPoint(QPointF p)
{
    Element e;
    e.type = BezierPathElement::MoveTo;
    e.points[0] = p;
    mElements.append(e);
    elementsChanged();
}

void BezierPath::lineToPoint(QPointF p)
{
    ensureCurrentPoint(p);
    Element e;
    e.type = BezierPathElement::LineTo;
    e.points[0] = p;
    mElements.append(e);
    elementsChanged();
}

void BezierPath::curveToPoint(QPointF end, QPointF control1, QPointF control2)
{
    ensureCurrentPoint(end);
    Element e;
    e.type = BezierPathElement::CurveTo;
    e.points = {control1, control2, end};
    mElements.append(e);
    elementsChanged();
}

void BezierPath::closePath()
{
    if (mElements.isEmpty() || mElements.last().type == BezierPathElement::ClosePath)
        return;
    Element e;
    e.type = BezierPathElement::ClosePath;
    mElements.append(e);
    elementsChanged();
}

void BezierPath::relativeMoveToPoint(QPointF d)
{
    moveToPoint(currentPoint() + d);
}

void BezierPath::relativeLineToPoint(QPointF d)
{
    lineToPoint(currentPoint() + d);
}

void BezierPath::relativeCurveToPoint(QPointF end, QPointF control1, QPointF control2)
{
    const QPointF c = currentPoint();
    curveToPoint(c + end, c + control1, c + control2);
}

void BezierPath::removeAllPoints()
{
    mElements.clear();
    elementsChanged();
}

void BezierPath::appendBezierPath(const BezierPath &other)
{
    // A path appended to itself must not read what it is writing.
    const QList<Element> elements = other.mElements;
    mElements.append(elements);
    elementsChanged();
}

void BezierPath::appendBezierPathWithRect(const QRectF &r)
{
    const QRectF n = r.normalized();
    moveToPoint(QPointF(n.left(), n.top()));
    lineToPoint(QPointF(n.right(), n.top()));
    lineToPoint(QPointF(n.right(), n.bottom()));
    lineToPoint(QPointF(n.left(), n.bottom()));
    closePath();
}

void BezierPath::appendBezierPathWithOvalInRect(const QRectF &r)
{
    const QRectF n = r.normalized();
    const double rx = n.width() / 2, ry = n.height() / 2;
    const double cx = n.left() + rx, cy = n.top() + ry;
    const double kx = rx * kCircleKappa, ky = ry * kCircleKappa;
    moveToPoint(QPointF(cx + rx, cy));
    curveToPoint(QPointF(cx, cy + ry), QPointF(cx + rx, cy + ky), QPointF(cx + kx, cy + ry));
    curveToPoint(QPointF(cx - rx, cy), QPointF(cx - kx, cy + ry), QPointF(cx - rx, cy + ky));
    curveToPoint(QPointF(cx, cy - ry), QPointF(cx - rx, cy - ky), QPointF(cx - kx, cy - ry));
    curveToPoint(QPointF(cx + rx, cy), QPointF(cx + kx, cy - ry), QPointF(cx + rx, cy - ky));
    closePath();
}

void BezierPath::appendBezierPathWithRoundedRect(const QRectF &r, double xRadius, double yRadius)
{
    const QRectF n = r.normalized();
    const double rx = std::clamp(xRadius, 0.0, n.width() / 2);
    const double ry = std::clamp(yRadius, 0.0, n.height() / 2);
    if (rx <= 0 || ry <= 0) {
        appendBezierPathWithRect(n);
        return;
    }
    const double kx = rx * (1 - kCircleKappa), ky = ry * (1 - kCircleKappa);
    const double l = n.left(), t = n.top(), ri = n.right(), b = n.bottom();
    moveToPoint(QPointF(l + rx, t));
    lineToPoint(QPointF(ri - rx, t));
    curveToPoint(QPointF(ri, t + ry), QPointF(ri - kx, t), QPointF(ri, t + ky));
    lineToPoint(QPointF(ri, b - ry));
    curveToPoint(QPointF(ri - rx, b), QPointF(ri, b - ky), QPointF(ri - kx, b));
    lineToPoint(QPointF(l + rx, b));
    curveToPoint(QPointF(l, b - ry), QPointF(l + kx, b), QPointF(l, b - ky));
    lineToPoint(QPointF(l, t + ry));
    curveToPoint(QPointF(l + rx, t), QPointF(l, t + ky), QPointF(l + kx, t));
    closePath();
}

void BezierPath::appendBezierPathWithPoints(const QList<QPointF> &points)
{
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (i == 0 && mElements.isEmpty())
            moveToPoint(points[i]);
        else
            lineToPoint(points[i]);
    }
}

void BezierPath::appendBezierPathWithArcWithCenter(QPointF center, double radius, double startAngle,
                                                   double endAngle, bool clockwise)
{
    if (!std::isfinite(startAngle) || !std::isfinite(endAngle) || !std::isfinite(radius))
        return;
    double end = endAngle;
    if (clockwise) {
        if (end > startAngle)
            end -= std::ceil((end - startAngle) / 360.0) * 360.0;
        if (startAngle - end > 360.0)
            end = startAngle - 360.0;
    } else {
        if (end < startAngle)
            end += std::ceil((startAngle - end) / 360.0) * 360.0;
        if (end - startAngle > 360.0)
            end = startAngle + 360.0;
    }
    auto at = [&](double deg) {
        const double a = radians(deg);
        return QPointF(center.x() + radius * std::cos(a), center.y() + radius * std::sin(a));
    };
    if (mElements.isEmpty())
        moveToPoint(at(startAngle));
    else
        lineToPoint(at(startAngle));

    const double sweep = end - startAngle;
    const int pieces = std::max(1, int(std::ceil(std::abs(sweep) / 90.0 - 1e-9)));
    const double step = sweep / pieces;
    for (int i = 0; i < pieces; ++i) {
        const double a0 = radians(startAngle + step * i);
        const double a1 = radians(startAngle + step * (i + 1));
        const double k = 4.0 / 3.0 * std::tan((a1 - a0) / 4.0) * radius;
        const QPointF p0(center.x() + radius * std::cos(a0), center.y() + radius * std::sin(a0));
        const QPointF p3(center.x() + radius * std::cos(a1), center.y() + radius * std::sin(a1));
        const QPointF c1 = p0 + QPointF(-std::sin(a0), std::cos(a0)) * k;
        const QPointF c2 = p3 - QPointF(-std::sin(a1), std::cos(a1)) * k;
        if (sweep != 0)
            curveToPoint(p3, c1, c2);
    }
}

void BezierPath::appendBezierPathWithArcFromPoint(QPointF p1, QPointF p2, double radius)
{
    if (mElements.isEmpty()) {
        Log(QStringLiteral("*** BezierPath: arc from point without a current point"));
        return;
    }
    const QPointF p0 = currentPoint();
    const QPointF v1 = p0 - p1, v2 = p2 - p1;
    const double l1 = std::hypot(v1.x(), v1.y()), l2 = std::hypot(v2.x(), v2.y());
    if (l1 < 1e-9 || l2 < 1e-9 || radius <= 0) {
        lineToPoint(p1);
        return;
    }
    const QPointF u1 = v1 / l1, u2 = v2 / l2;
    const double cosA = std::clamp(u1.x() * u2.x() + u1.y() * u2.y(), -1.0, 1.0);
    const double angle = std::acos(cosA); // between the two legs
    if (angle < 1e-9 || std::abs(angle - std::numbers::pi) < 1e-9) {
        lineToPoint(p1);
        return;
    }
    const double tangentDistance = radius / std::tan(angle / 2);
    const QPointF t1 = p1 + u1 * tangentDistance;
    const QPointF t2 = p1 + u2 * tangentDistance;
    QPointF bisector = u1 + u2;
    bisector /= std::hypot(bisector.x(), bisector.y());
    const QPointF center = p1 + bisector * (radius / std::sin(angle / 2));
    const double a0 = std::atan2(t1.y() - center.y(), t1.x() - center.x()) * 180 / std::numbers::pi;
    const double a1 = std::atan2(t2.y() - center.y(), t2.x() - center.x()) * 180 / std::numbers::pi;
    // v1 x v2 > 0: the path turns clockwise at p1, and so does the arc inside the corner.
    const double cross = v1.x() * v2.y() - v1.y() * v2.x();
    lineToPoint(t1);
    appendBezierPathWithArcWithCenter(center, radius, a0, a1, cross > 0);
}

BezierPathElement BezierPath::elementAtIndex(qint64 index, QPointF *points) const
{
    if (index < 0 || index >= mElements.size())
        return BezierPathElement::MoveTo;
    const Element &e = mElements[index];
    if (points) {
        if (e.type == BezierPathElement::ClosePath) {
            // A close leads back to the start of its subpath.
            points[0] = QPointF();
            for (qint64 i = index - 1; i >= 0; --i) {
                if (mElements[i].type == BezierPathElement::MoveTo) {
                    points[0] = mElements[i].points[0];
                    break;
                }
            }
        } else {
            const int n = e.type == BezierPathElement::CurveTo ? 3 : 1;
            for (int i = 0; i < n; ++i)
                points[i] = e.points[i];
        }
    }
    return e.type;
}

void BezierPath::setAssociatedPoints(const QPointF *points, qint64 index)
{
    if (!points || index < 0 || index >= mElements.size())
        return;
    Element &e = mElements[index];
    switch (e.type) {
    case BezierPathElement::CurveTo:
        e.points = {points[0], points[1], points[2]};
        break;
    case BezierPathElement::MoveTo:
    case BezierPathElement::LineTo:
        e.points[0] = points[0];
        break;
    case BezierPathElement::ClosePath:
        break;
    }
    elementsChanged();
}

QPointF BezierPath::currentPoint() const
{
    if (mElements.isEmpty())
        return QPointF();
    const Element &e = mElements.last();
    switch (e.type) {
    case BezierPathElement::CurveTo:
        return e.points[2];
    case BezierPathElement::ClosePath:
        return subpathStart();
    case BezierPathElement::MoveTo:
    case BezierPathElement::LineTo:
        break;
    }
    return e.points[0];
}

void BezierPath::elementsChanged()
{
    mBounds.reset();
    mControlPointBounds.reset();
}

QRectF BezierPath::bounds() const
{
    if (!mBounds)
        mBounds = computeBounds();
    return *mBounds;
}

QRectF BezierPath::controlPointBounds() const
{
    if (!mControlPointBounds)
        mControlPointBounds = computeControlPointBounds();
    return *mControlPointBounds;
}

QRectF BezierPath::computeBounds() const
{
    if (mElements.isEmpty())
        return QRectF();
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    auto add = [&](QPointF p) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    };
    QPointF last, start;
    for (const Element &e : mElements) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            start = last = e.points[0];
            add(last);
            break;
        case BezierPathElement::LineTo:
            last = e.points[0];
            add(last);
            break;
        case BezierPathElement::CurveTo: {
            Extremes ts;
            cubicExtremes(last.x(), e.points[0].x(), e.points[1].x(), e.points[2].x(), ts);
            cubicExtremes(last.y(), e.points[0].y(), e.points[1].y(), e.points[2].y(), ts);
            for (int k = 0; k < ts.count; ++k)
                add(cubicPoint(last, e.points[0], e.points[1], e.points[2], ts.t[k]));
            last = e.points[2];
            add(last);
            break;
        }
        case BezierPathElement::ClosePath:
            last = start;
            break;
        }
    }
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

QRectF BezierPath::computeControlPointBounds() const
{
    if (mElements.isEmpty())
        return QRectF();
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const Element &e : mElements) {
        const int n = e.type == BezierPathElement::CurveTo     ? 3
                      : e.type == BezierPathElement::ClosePath ? 0
                                                               : 1;
        for (int i = 0; i < n; ++i) {
            minX = std::min(minX, e.points[i].x());
            maxX = std::max(maxX, e.points[i].x());
            minY = std::min(minY, e.points[i].y());
            maxY = std::max(maxY, e.points[i].y());
        }
    }
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

bool BezierPath::containsPoint(QPointF p) const
{
    if (mElements.isEmpty())
        return false;
    // Outside the control points' box every subpath crosses the ray as often up as down.
    const QRectF box = controlPointBounds();
    if (!(p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() &&
          p.y() <= box.bottom()))
        return false;
    int winding = 0;
    QPointF start, last;
    bool started = false;
    for (const Element &e : mElements) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            if (started)
                addLineWinding(last, start, p, winding);
            start = last = e.points[0];
            started = true;
            break;
        case BezierPathElement::LineTo:
            addLineWinding(last, e.points[0], p, winding);
            last = e.points[0];
            break;
        case BezierPathElement::CurveTo:
            addCurveWinding(last, e.points[0], e.points[1], e.points[2], p, winding);
            last = e.points[2];
            break;
        case BezierPathElement::ClosePath:
            addLineWinding(last, start, p, winding);
            last = start;
            break;
        }
    }
    addLineWinding(last, start, p, winding);
    return mWindingRule == WindingRule::EvenOdd ? (winding % 2) != 0 : winding != 0;
}

BezierPath BezierPath::bezierPathByFlatteningPath() const
{
    BezierPath out = *this;
    out.mElements.clear();
    out.elementsChanged();
    QPointF last;
    for (const Element &e : mElements) {
        if (e.type != BezierPathElement::CurveTo) {
            out.mElements.append(e);
            if (e.type != BezierPathElement::ClosePath)
                last = e.points[0];
            else
                last = out.subpathStart();
            continue;
        }
        const int n = flatteningSegments(last, e.points[0], e.points[1], e.points[2], mFlatness);
        for (int i = 1; i <= n; ++i)
            out.lineToPoint(
                i == n ? e.points[2]
                       : cubicPoint(last, e.points[0], e.points[1], e.points[2], double(i) / n));
        last = e.points[2];
    }
    out.elementsChanged();
    return out;
}

BezierPath BezierPath::bezierPathByReversingPath() const
{
    BezierPath out = *this;
    out.mElements.clear();
    out.elementsChanged();
    // Each subpath is reversed on its own; the order of the subpaths stays.
    qint64 i = 0;
    while (i < mElements.size()) {
        qint64 j = i + 1;
        while (j < mElements.size() && mElements[j].type != BezierPathElement::MoveTo)
            ++j;
        // Subpath [i, j): its start point and its segments.
        const QPointF start =
            mElements[i].type == BezierPathElement::MoveTo ? mElements[i].points[0] : QPointF();
        QList<QPointF> ends{start};
        QList<const Element *> segs;
        bool closed = false;
        for (qint64 k = i; k < j; ++k) {
            const Element &e = mElements[k];
            if (e.type == BezierPathElement::LineTo || e.type == BezierPathElement::CurveTo) {
                segs.append(&e);
                ends.append(e.type == BezierPathElement::CurveTo ? e.points[2] : e.points[0]);
            } else if (e.type == BezierPathElement::ClosePath) {
                closed = true;
            }
        }
        out.moveToPoint(ends.last());
        for (qint64 k = segs.size() - 1; k >= 0; --k) {
            const Element *e = segs[k];
            if (e->type == BezierPathElement::CurveTo)
                out.curveToPoint(ends[k], e->points[1], e->points[0]);
            else
                out.lineToPoint(ends[k]);
        }
        if (closed)
            out.closePath();
        i = j;
    }
    return out;
}

void BezierPath::transformUsingAffineTransform(const AffineTransform &t)
{
    for (Element &e : mElements) {
        for (QPointF &p : e.points)
            p = t.transformPoint(p);
    }
    elementsChanged();
}

void BezierPath::setLineDash(const QList<double> &pattern, double phase)
{
    mDash = pattern;
    mDashPhase = phase;
}

void BezierPath::fill() const
{
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->fillPath(toQPainterPath());
}

void BezierPath::stroke() const
{
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->strokePath(toQPainterPath(), pen(Qt::NoBrush));
}

void BezierPath::addClip() const
{
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->clipToPath(toQPainterPath());
}

void BezierPath::setClip() const
{
    if (GraphicsContext *gc = GraphicsContext::currentContext())
        gc->setClipPath(toQPainterPath());
}

QPainterPath BezierPath::toQPainterPath() const
{
    QPainterPath p;
    p.setFillRule(mWindingRule == WindingRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    for (const Element &e : mElements) {
        switch (e.type) {
        case BezierPathElement::MoveTo:
            p.moveTo(e.points[0]);
            break;
        case BezierPathElement::LineTo:
            p.lineTo(e.points[0]);
            break;
        case BezierPathElement::CurveTo:
            p.cubicTo(e.points[0], e.points[1], e.points[2]);
            break;
        case BezierPathElement::ClosePath:
            p.closeSubpath();
            break;
        }
    }
    return p;
}

QPen BezierPath::pen(const QBrush &brush) const
{
    QPen pen(brush, mLineWidth, Qt::SolidLine, qtCap(mLineCap), qtJoin(mLineJoin));
    pen.setMiterLimit(mMiterLimit);
    if (!mDash.isEmpty()) {
        // Qt measures dashes in line widths; ours are in the path's units.
        const double unit = mLineWidth > 0 ? mLineWidth : 1.0;
        QList<qreal> pattern;
        for (double d : mDash)
            pattern.append(std::max(d, 0.0) / unit);
        if (pattern.size() % 2)
            pattern.append(pattern);
        bool anyDash = std::any_of(pattern.begin(), pattern.end(), [](qreal v) { return v > 0; });
        if (anyDash) {
            pen.setDashPattern(pattern);
            pen.setDashOffset(mDashPhase / unit);
        }
    }
    return pen;
}

bool BezierPath::operator==(const BezierPath &o) const
{
    // A path is itself, NaN coordinates and all.
    if (this == &o)
        return true;
    return mElements == o.mElements && mLineWidth == o.mLineWidth &&
           mWindingRule == o.mWindingRule && mLineCap == o.mLineCap && mLineJoin == o.mLineJoin &&
           mMiterLimit == o.mMiterLimit && mFlatness == o.mFlatness && mDash == o.mDash &&
           mDashPhase == o.mDashPhase;
}

} // namespace platform
