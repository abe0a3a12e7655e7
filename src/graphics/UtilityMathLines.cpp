#include "graphics/UtilityMathLines.h"

#include "graphics/DrawingUtility.h"
#include "graphics/PathHitTesting.h"
#include "graphics/UtilityMathTransforms.h"
#include "platform/Geometry.h"

#include <algorithm>
#include <cmath>

using platform::AffineTransform;

namespace {

constexpr double kBoxMargin = 0.1;
constexpr double kSameEnd = 0.04;
constexpr double kNearZero = 0.02;
constexpr double kMinSide = 0.1;
constexpr double kSeparateCrossings = 0.1;
constexpr double kBeyondSide = 0.0002;
constexpr double kFlatAllowance = 0.2;
constexpr double kShortLine = 1.2;
constexpr double kSeparateBorderCrossings = 2.0;
constexpr double kCollinear = 0.1;
constexpr double kMinRadius = 0.1;
constexpr double kTouch = 0.02;
constexpr double kCircleTouch = 0.1;
constexpr double kMinSignificant = 0.002;

struct Box
{
    double minX, minY, maxX, maxY;
};

Box boxOf(QPointF a, QPointF b, double margin)
{
    return Box{std::min(a.x(), b.x()) - margin, std::min(a.y(), b.y()) - margin,
               std::max(a.x(), b.x()) + margin, std::max(a.y(), b.y()) + margin};
}

// Boxes that only touch still meet.
bool boxesMeet(const Box &a, const Box &b)
{
    return a.minX <= b.maxX && b.minX <= a.maxX && a.minY <= b.maxY && b.minY <= a.maxY;
}

struct Side
{
    QPointF from, to;
};

// The rect's sides from the smallest y round: (minY), (maxX), (maxY), (minX).
void rectSides(QRectF r, Side sides[4])
{
    const double x0 = r.x(), y0 = r.y(), x1 = r.x() + r.width(), y1 = r.y() + r.height();
    sides[0] = {QPointF(x0, y0), QPointF(x1, y0)};
    sides[1] = {QPointF(x1, y0), QPointF(x1, y1)};
    sides[2] = {QPointF(x1, y1), QPointF(x0, y1)};
    sides[3] = {QPointF(x0, y1), QPointF(x0, y0)};
}

QPointF turned(const AffineTransform &t, QPointF p)
{
    return t.transformPoint(p);
}

// Turns points about `pivot` so that the direction `angle` lies along +x, and back.
struct Flattener
{
    AffineTransform flat;
    AffineTransform back;
    Flattener(QPointF pivot, float angle)
        : flat(CreateRotationTransformAroundPoint(pivot, -angle)),
          back(CreateRotationTransformAroundPoint(pivot, angle))
    {}
};

bool nearPoints(QPointF a, QPointF b, double limit)
{
    return double(DistanceBetweenPoints(a, b)) <= limit;
}

// The test of ArePointsCollinear and PointOnLineWithTolerance with the height limit given.
bool onLine(bool infinite, QPointF a, QPointF b, QPointF p, double heightLimit)
{
    if (nearPoints(p, a, kNearZero) || nearPoints(p, b, kNearZero))
        return true;
    if (nearPoints(a, b, kNearZero))
        return false;
    const Flattener f(a, GetLineAngle(a, b));
    const QPointF pt = turned(f.flat, p);
    const QPointF bt = turned(f.flat, b);
    if (std::abs(pt.y() - a.y()) > heightLimit)
        return false;
    if (infinite)
        return true;
    return std::min(a.x(), bt.x()) <= pt.x() && pt.x() <= std::max(a.x(), bt.x());
}

} // namespace

bool IntersectLines(bool infinite, QPointF *out, QPointF a1, QPointF a2, QPointF b1, QPointF b2)
{
    if (!infinite && !boxesMeet(boxOf(a1, a2, kBoxMargin), boxOf(b1, b2, kBoxMargin)))
        return false;
    QPointF found;
    bool atEnd = true;
    if (nearPoints(a1, b1, kSameEnd) || nearPoints(a1, b2, kSameEnd))
        found = a1;
    else if (nearPoints(a2, b1, kSameEnd) || nearPoints(a2, b2, kSameEnd))
        found = a2;
    else
        atEnd = false;
    if (!atEnd) {
        const bool aIsBase = DistanceBetweenPoints(a1, a2) >= DistanceBetweenPoints(b1, b2);
        const QPointF s = aIsBase ? a1 : b1, e = aIsBase ? a2 : b2;
        const QPointF p0 = aIsBase ? b1 : a1, q0 = aIsBase ? b2 : a2;
        if (double(DistanceBetweenPoints(s, e)) <= kNearZero)
            return false;
        const Flattener f(s, GetLineAngle(s, e));
        const double y0 = s.y();
        const QPointF et = turned(f.flat, e);
        const QPointF p = turned(f.flat, p0), q = turned(f.flat, q0);
        const double minX = std::min(s.x(), et.x()), maxX = std::max(s.x(), et.x());
        if (!infinite) {
            if (std::max(p.x(), q.x()) < minX || std::min(p.x(), q.x()) > maxX)
                return false;
            if (std::min(p.y(), q.y()) > y0 || std::max(p.y(), q.y()) < y0)
                return false;
        }
        double x;
        if (std::abs(p.y() - y0) <= kNearZero) {
            x = p.x();
        } else if (std::abs(q.y() - y0) <= kNearZero) {
            x = q.x();
        } else {
            const double r = (p.y() - y0) / (q.y() - y0);
            if (std::abs(r - 1) <= kNearZero)
                return false;
            x = (p.x() - q.x() * r) / (1 - r);
        }
        if (!infinite && (x < minX || x > maxX))
            return false;
        found = turned(f.back, QPointF(x, y0));
    }
    if (out)
        *out = found;
    return true;
}

bool IntersectSegments(QPointF *out, QPointF a1, QPointF a2, QPointF b1, QPointF b2)
{
    return IntersectLines(false, out, a1, a2, b1, b2);
}

bool IntersectLinesCount(bool infinite, QPointF *out, int *count, QPointF a1, QPointF a2,
                         QPointF b1, QPointF b2)
{
    const bool found = IntersectLines(infinite, out, a1, a2, b1, b2);
    if (count)
        *count = found ? 1 : 0;
    return found;
}

bool IntersectLineWithRectSides(QPointF out[2], int *count, LINE_ line, QRectF rect)
{
    if (!out || !count)
        return false;
    *count = 0;
    // No side can be met by a segment whose grown box misses the rect's grown box: the test
    // every side makes first, taken once for all four.
    const Box rectBox = boxOf(
        rect.topLeft(), QPointF(rect.x() + rect.width(), rect.y() + rect.height()), kBoxMargin);
    if (!boxesMeet(boxOf(line.p1, line.p2, kBoxMargin), rectBox))
        return false;
    Side sides[4];
    rectSides(rect, sides);
    for (const Side &side : sides) {
        if (double(DistanceBetweenPoints(side.from, side.to)) < kMinSide)
            continue;
        QPointF p;
        if (!IntersectLines(false, &p, line.p1, line.p2, side.from, side.to))
            continue;
        if (*count == 0) {
            out[0] = p;
            *count = 1;
        } else if (double(DistanceBetweenPoints(out[0], p)) > kSeparateCrossings) {
            out[1] = p;
            *count = 2;
            break;
        }
    }
    return *count > 0;
}

bool IntersectLineWithRectBorder(QPointF a, QPointF b, QRectF rect, QPointF *out)
{
    const double x0 = rect.x(), y0 = rect.y(), x1 = rect.x() + rect.width(),
                 y1 = rect.y() + rect.height();
    auto beyond = [&](QPointF p, int side) {
        switch (side) {
        case 0:
            return p.x() < x0 - kBeyondSide;
        case 1:
            return p.x() > x1 + kBeyondSide;
        case 2:
            return p.y() < y0 - kBeyondSide;
        default:
            return p.y() > y1 + kBeyondSide;
        }
    };
    for (int side = 0; side < 4; ++side) {
        if (beyond(a, side) && beyond(b, side))
            return false;
    }
    Side sides[4];
    rectSides(rect, sides);
    if (a == b || double(DistanceBetweenPoints(a, b)) < kNearZero) {
        const QPointF m = MidPointOfPoints(a, b);
        bool hit = platform::PointInRect(m, rect);
        for (int i = 0; i < 4 && !hit; ++i)
            hit = IsPointOnSegment(sides[i].from, sides[i].to, m, float(kNearZero));
        if (hit && out)
            *out = m;
        return hit;
    }
    for (const Side &side : sides) {
        QPointF p;
        if (IntersectLines(false, &p, a, b, side.from, side.to)) {
            if (out)
                *out = p;
            return true;
        }
    }
    if (platform::PointInRect(a, rect) && platform::PointInRect(b, rect)) {
        if (out)
            *out = a;
        return true;
    }
    return false;
}

bool IntersectLineWithRectBorderTest(QPointF a, QPointF b, QRectF rect)
{
    return IntersectLineWithRectBorder(a, b, rect, nullptr);
}

bool IsPointOnSegment(QPointF a, QPointF b, QPointF p, float tolerance)
{
    const double tol = tolerance;
    if (p.x() < std::min(a.x(), b.x()) - tol || p.x() > std::max(a.x(), b.x()) + tol)
        return false;
    if (std::abs(b.y() - a.y()) <= kFlatAllowance)
        return std::abs(p.y() - a.y()) <= tol + kFlatAllowance;
    // The y range bounds every other segment as the x range does, so that a point far beyond
    // the end of a steep segment is not taken for one on it.
    if (p.y() < std::min(a.y(), b.y()) - tol || p.y() > std::max(a.y(), b.y()) + tol)
        return false;
    if (std::abs(b.x() - a.x()) <= kFlatAllowance)
        return std::abs(p.x() - a.x()) <= tol + kFlatAllowance;
    const double d = DistancePointToLine(p, a, b);
    return d <= tol || d <= kFlatAllowance;
}

double DistancePointToLine(QPointF p, QPointF a, QPointF b)
{
    if (double(DistanceBetweenPoints(a, b)) <= kShortLine)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    const QPointF ab = b - a;
    const double u = QPointF::dotProduct(p - a, ab) / QPointF::dotProduct(ab, ab);
    const QPointF foot = a + u * ab;
    return std::hypot(p.x() - foot.x(), p.y() - foot.y());
}

bool SnapPointToSegment(QPointF *out, QPointF a, QPointF b, QPointF p, float tolerance)
{
    if (!IsPointOnSegment(a, b, p, tolerance))
        return false;
    if (!out)
        return true;
    if (nearPoints(p, a, kFlatAllowance)) {
        *out = a;
    } else if (nearPoints(p, b, kFlatAllowance)) {
        *out = b;
    } else {
        const double da = DistanceBetweenPoints(p, a), db = DistanceBetweenPoints(p, b);
        *out = a + (da / (da + db)) * (b - a);
    }
    return true;
}

bool FootOfPerpendicular(QPointF *out, QPointF p, QPointF a, QPointF q)
{
    if (!out)
        return false;
    if (nearPoints(p, q, kNearZero)) {
        *out = p;
        return true;
    }
    if (nearPoints(a, q, kNearZero)) {
        *out = a;
        return true;
    }
    if (nearPoints(p, a, kNearZero))
        return false;
    const Flattener f(p, GetLineAngle(p, a));
    const QPointF qt = turned(f.flat, q);
    *out = turned(f.back, QPointF(qt.x(), p.y()));
    return true;
}

QPointF ProjectPointOnLine(QPointF p, QPointF a, QPointF q)
{
    QPointF foot;
    if (FootOfPerpendicular(&foot, p, a, q))
        return foot;
    return DistanceBetweenPoints(p, q) < DistanceBetweenPoints(a, q) ? p : a;
}

int SegmentRectBorderCrossings(QPointF out[2], QRectF rect, QPointF a, QPointF b)
{
    if (!out)
        return 0;
    Side sides[4];
    rectSides(rect, sides);
    int count = 0;
    QPointF first, second;
    for (const Side &side : sides) {
        QPointF p;
        if (!IntersectLines(false, &p, a, b, side.from, side.to))
            continue;
        if (count == 0) {
            first = p;
            count = 1;
        } else if (double(DistanceBetweenPoints(first, p)) >= kSeparateBorderCrossings) {
            second = p;
            count = 2;
            break;
        } else if (DistanceBetweenPoints(a, p) < DistanceBetweenPoints(a, first)) {
            // Near a corner one crossing stands for both sides: the one nearer to a.
            first = p;
        }
    }
    if (count == 2 && DistanceBetweenPoints(a, second) < DistanceBetweenPoints(a, first))
        std::swap(first, second);
    if (count >= 1)
        out[0] = first;
    if (count == 2)
        out[1] = second;
    return count;
}

bool ArePointsCollinear(bool infinite, QPointF p, QPointF a, QPointF b)
{
    return onLine(infinite, a, b, p, kCollinear);
}

bool PointOnLineWithTolerance(bool infinite, LINE_ line, QPointF p, float tolerance)
{
    return onLine(infinite, line.p1, line.p2, p, double(tolerance));
}

bool PointsNearLine(QPointF a, QPointF b, QPointF p1, QPointF p2, float tolerance)
{
    float angle = 0;
    if (!GetLineAngleInto(&angle, a, b))
        return false;
    const Flattener f(QPointF(0, 0), angle);
    const double y0 = turned(f.flat, a).y();
    const double tol = tolerance;
    return tol > std::abs(turned(f.flat, p1).y() - y0) &&
           tol > std::abs(turned(f.flat, p2).y() - y0);
}

bool PointBetweenSegmentEnds(LINE_ line, QPointF p)
{
    if (nearPoints(p, line.p1, kNearZero) || nearPoints(p, line.p2, kNearZero))
        return true;
    const float length = DistanceBetweenPoints(line.p1, line.p2);
    return DistanceBetweenPoints(p, line.p1) <= length &&
           DistanceBetweenPoints(p, line.p2) <= length;
}

LINE_ TrimSegmentAtPoint(LINE_ line, QPointF p)
{
    if (DistanceBetweenPoints(p, line.p1) > DistanceBetweenPoints(p, line.p2))
        return LINE_{line.p1, p};
    return LINE_{p, line.p2};
}

bool LinesEqualWithTolerance(LINE_ a, LINE_ b, double tolerance)
{
    const double t = std::abs(tolerance);
    return std::abs(a.p1.x() - b.p1.x()) <= t && std::abs(a.p1.y() - b.p1.y()) <= t &&
           std::abs(a.p2.x() - b.p2.x()) <= t && std::abs(a.p2.y() - b.p2.y()) <= t;
}

bool PointInOval(QPointF p, QRectF r)
{
    const double w = r.width(), h = r.height();
    if (w <= 1 || h <= 1)
        return DistanceBetweenPoints(p, r.topLeft()) <= 1.0f;
    const double dx = p.x() - r.x();
    const double dy = p.y() - (r.y() + h / 2);
    if (!(-h / 2 <= dy && dy <= h / 2 && 0 <= dx && dx <= w))
        return false;
    if (DistanceBetweenPoints(QPointF(dx, dy), QPointF(0, 0)) <= 1.0f)
        return true;
    const float half = std::sqrt(float((w - dx) * dx)) * float(h / 2) / float(w / 2);
    return std::abs(dy) <= double(std::abs(half));
}

bool PointInDiamond(QPointF p, QRectF r)
{
    const double w = r.width(), h = r.height();
    if (w <= 1 || h <= 1)
        return DistanceBetweenPoints(p, r.topLeft()) <= 1.0f;
    const QPointF c = r.center();
    const double dx = p.x() - c.x(), dy = p.y() - c.y();
    if (!(std::abs(dx) <= w / 2 && std::abs(dy) <= h / 2))
        return false;
    return std::abs(dy) < std::abs((w / 2 - std::abs(dx)) / (w / h));
}

bool RectsIntersectSignificantly(QRectF a, QRectF b)
{
    const QRectF i = platform::IntersectionRect(a, b);
    return !(i.width() < kMinSignificant || i.height() < kMinSignificant);
}

bool RectPointsInsideRectTest(QRectF outer, QRectF inner)
{
    const QPointF farCorner(inner.x() + inner.width(), inner.y() + inner.height());
    return platform::PointInRect(inner.topLeft(), outer) &&
           platform::PointInRect(inner.center(), outer) && platform::PointInRect(farCorner, outer);
}

bool RectsTouch(QRectF a, QRectF b)
{
    return platform::IntersectsRect(a, b) || platform::PointInRect(a.topLeft(), b) ||
           platform::PointInRect(b.topLeft(), a);
}

bool PathContainsPointWithTolerance(const platform::BezierPath *path, QPointF p, float tolerance)
{
    if (!path)
        return false;
    if (path->containsPoint(p))
        return true;
    const double side = 2.0 * double(tolerance);
    return intersectsRect(*path, QRectF(p.x() - side / 2, p.y() - side / 2, side, side));
}

bool IntersectSegmentWithArc(bool unbounded, QPointF out[2], int *count, LINE_ line, ARC_INFO arc)
{
    if (!out || !count)
        return false;
    *count = 0;
    const double r = arc.radius;
    if (r < kMinRadius)
        return false;
    if (double(DistanceBetweenPoints(line.p1, line.p2)) < kMinRadius) {
        const QPointF s = line.p1;
        if (std::abs(double(DistanceBetweenPoints(s, arc.center)) - r) > kTouch)
            return false;
        if (!unbounded && !PointDirectionInArc(arc, s))
            return false;
        out[0] = s;
        *count = 1;
        return true;
    }
    float theta = 0;
    if (!GetLineAngleInto(&theta, line.p1, line.p2))
        return false;
    const Flattener f(QPointF(0, 0), theta);
    const double y0 = turned(f.flat, line.p1).y();
    const QPointF c = turned(f.flat, arc.center);
    QPointF found[2];
    int n = 0;
    if (std::abs(c.y() + r - y0) < kTouch || std::abs(c.y() - r - y0) < kTouch) {
        found[n++] = turned(f.back, QPointF(c.x(), y0));
    } else {
        if (y0 < c.y() - r || y0 > c.y() + r || std::abs(c.y() - y0) >= r)
            return false;
        const double h = std::sqrt(r * r - (c.y() - y0) * (c.y() - y0));
        found[n++] = turned(f.back, QPointF(c.x() - h, y0));
        found[n++] = turned(f.back, QPointF(c.x() + h, y0));
    }
    for (int i = 0; i < n; ++i) {
        if (unbounded ||
            (PointBetweenSegmentEnds(line, found[i]) && PointDirectionInArc(arc, found[i])))
            out[(*count)++] = found[i];
    }
    return *count > 0;
}

bool IntersectSegmentWithArcSwapped(bool unbounded, QPointF out[2], int *count, ARC_INFO arc,
                                    LINE_ line)
{
    return IntersectSegmentWithArc(unbounded, out, count, line, arc);
}

bool IntersectArcs(bool fullCircles, QPointF out[2], int *count, ARC_INFO arc1, ARC_INFO arc2)
{
    if (!out || !count)
        return false;
    *count = 0;
    if (double(DistanceBetweenPoints(arc1.center, arc2.center)) < kMinRadius ||
        double(arc1.radius) < kMinRadius || double(arc2.radius) < kMinRadius)
        return false;
    const ARC_INFO &big = arc1.radius >= arc2.radius ? arc1 : arc2;
    const ARC_INFO &small = arc1.radius >= arc2.radius ? arc2 : arc1;
    const QPointF c1 = big.center, c2 = small.center;
    const double r1 = big.radius, r2 = small.radius;
    const double d = std::hypot(c2.x() - c1.x(), c2.y() - c1.y());
    auto onBoth = [&](QPointF p) {
        return fullCircles || (PointDirectionInArc(arc1, p) && PointDirectionInArc(arc2, p));
    };
    if (std::abs((r1 - r2) - d) < kCircleTouch || std::abs((r1 + r2) - d) < kCircleTouch) {
        const QPointF p = c1 + r1 * (c2 - c1) / d;
        if (!onBoth(p))
            return false;
        out[0] = p;
        *count = 1;
        return true;
    }
    if (r1 + r2 < d)
        return false;
    const double K = (d + r1 + r2) * (r1 - d + r2) * (r2 - d - r1) * (r1 - d - r2);
    if (K < 0)
        return false;
    const double sinAlpha = std::clamp((std::sqrt(K) / d * 0.5) / r1, -1.0, 1.0);
    const double alpha = std::asin(sinAlpha) * 180.0 / 3.141592653589793;
    float theta = 0;
    if (!GetLineAngleInto(&theta, c1, c2))
        return false;
    auto at = [&](double angle) { return PointOnCircleAtAngle(c1, float(angle), float(r1)); };
    auto offCircle2 = [&](QPointF p) {
        return std::abs(std::hypot(p.x() - c2.x(), p.y() - c2.y()) - r2);
    };
    auto closer = [&](QPointF a, QPointF b) { return offCircle2(a) < offCircle2(b) ? a : b; };
    const QPointF P = closer(at(theta + alpha), at(theta + 180.0 + alpha));
    const QPointF Q = closer(at(theta - alpha), at(theta + 180.0 - alpha));
    if (fullCircles) {
        out[0] = P;
        out[1] = Q;
        *count = 2;
        return true;
    }
    for (const QPointF &p : {P, Q}) {
        if (onBoth(p))
            out[(*count)++] = p;
    }
    return *count > 0;
}
