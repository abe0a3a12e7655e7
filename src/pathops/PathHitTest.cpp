#include "pathops/PathHitTest.h"

#include "graphics/PathHitTesting.h"
#include "graphics/UtilityMathLines.h"
#include "pathops/FirstSubpathSegments.h"
#include "pathops/PathIntersectionKernels.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

constexpr int kCurveHitPasses = 12;
constexpr double kCurveHitDamping = 0.75;
// Samples along a curve from which the nearest-point search starts, besides the guess from
// the end points: a curve can bulge far past its ends.
constexpr int kCurveHitSamples = 32;
// A cubic has at most three stretches nearest a point, and an end.
constexpr size_t kCurveHitStarts = 4;

double hitRadius(const BezierPath &path, double padding)
{
    return path.lineWidth() * 0.5 + padding;
}

// The squared distance from a point to a cubic as a polynomial of degree 6 in t.
struct DistanceToCurve
{
    double c[7];

    double at(double t) const
    {
        double v = c[6];
        for (int k = 5; k >= 0; --k)
            v = v * t + c[k];
        return v;
    }
    double slope(double t) const
    {
        double v = 6 * c[6];
        for (int k = 5; k >= 1; --k)
            v = v * t + k * c[k];
        return v;
    }
    double bend(double t) const
    {
        double v = 30 * c[6];
        for (int k = 5; k >= 2; --k)
            v = v * t + k * (k - 1) * c[k];
        return v;
    }
};

DistanceToCurve squaredDistance(const CurveCoefficients &a, QPointF q)
{
    const double dx = a.a0.x() - q.x(), dy = a.a0.y() - q.y();
    const QPointF a1 = a.a1, a2 = a.a2, a3 = a.a3;
    return DistanceToCurve{
        {dx * dx + dy * dy, 2 * (dx * a1.x() + dy * a1.y()),
         2 * (dx * a2.x() + dy * a2.y()) + a1.x() * a1.x() + a1.y() * a1.y(),
         2 * (dx * a3.x() + dy * a3.y() + a1.x() * a2.x() + a1.y() * a2.y()),
         2 * (a1.x() * a3.x() + a1.y() * a3.y()) + a2.x() * a2.x() + a2.y() * a2.y(),
         2 * (a2.x() * a3.x() + a2.y() * a3.y()), a3.x() * a3.x() + a3.y() * a3.y()}};
}

// A first guess of where q lies along the curve from its end points; a point on both ends
// (a closed loop of one curve) starts at 0.
double startGuess(QPointF q, QPointF p0, QPointF p3)
{
    const double span = std::fabs(p3.y() - p0.y()) + std::fabs(p3.y() - q.y()) +
                        std::fabs(p0.y() - q.y()) + std::fabs(p3.x() - q.x()) +
                        std::fabs(p0.x() - q.x());
    const double t =
        ((q.y() - std::min(p0.y(), p3.y())) + (q.x() - std::min(p0.x(), p3.x()))) / span;
    if (span == 0 || !std::isfinite(t))
        return 0;
    return std::clamp(t, 0.0, 1.0);
}

// One damped Newton step towards a minimum of D; where D bends down it only steps downhill.
double stepTowardsMinimum(const DistanceToCurve &d, double t)
{
    const double slope = d.slope(t);
    const double bend = d.bend(t);
    double next;
    if (bend > 0)
        next = t - kCurveHitDamping * slope / bend;
    else
        next = t - (slope > 0 ? 1.0 : -1.0) / kCurveHitSamples;
    if (!std::isfinite(next))
        return t;
    return std::clamp(next, 0.0, 1.0);
}

void windLine(QPointF from, QPointF to, QPointF q, qint64 &w, quint64 &h)
{
    const double x0 = from.x(), y0 = from.y(), x1 = to.x(), y1 = to.y();
    if ((y0 <= q.y() || y1 <= q.y()) && (q.y() < y0 || q.y() < y1) &&
        (x0 <= q.x() || x1 <= q.x())) {
        const double cross = (x1 - x0) * (q.y() - y0) - (y1 - y0) * (q.x() - x0);
        if (cross == 0)
            ++h;
        else if (y0 < y1 && cross < 0)
            ++w;
        else if (y1 < y0 && cross > 0)
            --w;
    } else if (y0 == q.y() && y1 == q.y() && (x0 <= q.x() || x1 <= q.x()) &&
               (q.x() <= x1 || q.x() <= x0)) {
        ++h;
    }
}

void windCurve(QPointF from, const QPointF *points, QPointF q, qint64 &w, quint64 &h)
{
    const QPointF p[4] = {from, points[0], points[1], points[2]};
    double minX = p[0].x(), maxX = p[0].x();
    bool below = false, above = false;
    for (const QPointF &c : p) {
        minX = std::min(minX, c.x());
        maxX = std::max(maxX, c.x());
        below = below || c.y() <= q.y();
        above = above || c.y() > q.y();
    }
    if (!below || !above || !(minX <= q.x()))
        return;
    if (maxX < q.x()) {
        if (p[0].y() <= q.y() && q.y() < p[3].y())
            ++w;
        else if (p[3].y() <= q.y() && q.y() < p[0].y())
            --w;
        return;
    }
    const LineRecord ray{QPointF(minX - 1, q.y()), QPointF(q.x() - minX + 1, 0)};
    intersectionInfo found[3];
    const int n = intersectionsBetweenCurveAndLine(
        CurveCoefficientsFromPoints(p[0], p[1], p[2], p[3]), ray, found);
    for (int i = 0; i < n; ++i) {
        if (found[i].rightParameter >= 1.0)
            ++h;
        else if (found[i].secondAspect == 1)
            --w;
        else if (found[i].secondAspect == -1)
            ++w;
    }
}

// Damped Newton steps from t towards the nearest point; true when it lies within the radius.
bool nearestWithin(const DistanceToCurve &d, double t, double r2, double *bestT)
{
    double best = 100000.0;
    for (int pass = 0; pass < kCurveHitPasses; ++pass) {
        const double value = d.at(t);
        if (value < best) {
            best = value;
            *bestT = t;
        }
        if (pass == kCurveHitPasses - 1 && best <= r2)
            return true;
        // At an end the distance grows inwards: that end is the nearest point.
        if ((t == 0 && d.slope(0) > 0) || (t == 1 && d.slope(1) < 0))
            return best <= r2;
        t = stepTowardsMinimum(d, t);
    }
    return false;
}

// The guess from the end points, then the samples nearer q than their neighbours, nearest
// first: a curve that loops or bulges has more than one nearest stretch.
std::vector<double> searchStarts(const DistanceToCurve &d, double guess)
{
    std::vector<std::pair<double, double>> minima;
    double values[kCurveHitSamples + 1];
    for (int k = 0; k <= kCurveHitSamples; ++k)
        values[k] = d.at(double(k) / kCurveHitSamples);
    for (int k = 0; k <= kCurveHitSamples; ++k) {
        const bool belowLeft = k == 0 || values[k] <= values[k - 1];
        const bool belowRight = k == kCurveHitSamples || values[k] < values[k + 1];
        if (belowLeft && belowRight)
            minima.emplace_back(values[k], double(k) / kCurveHitSamples);
    }
    std::sort(minima.begin(), minima.end());
    std::vector<double> starts{guess};
    for (size_t i = 0; i < minima.size() && i < kCurveHitStarts; ++i)
        starts.push_back(minima[i].second);
    return starts;
}

} // namespace

bool intersectsPointWithDiff(const BezierPath &path, QPointF q, float diff)
{
    GUARD_BEGIN
    if (path.isEmpty() || path.elementCount() < 2)
        return false;
    const double d = std::fabs(double(diff));
    const QRectF b = path.bounds();
    if (!(b.left() - d <= q.x() && q.x() <= b.right() + d && b.top() - d <= q.y() &&
          q.y() <= b.bottom() + d))
        return false;
    return intersectsRect(path, QRectF(q.x() - d / 2, q.y() - d / 2, d, d));
    GUARD_END(false)
}

bool isPathCoverAllRect(const BezierPath &path, QRectF rect)
{
    // A path wholly inside the rect cannot cover it.
    if (RectPointsInsideRectTest(rect, path.bounds()) || intersectsRect(path, rect))
        return false;
    return path.containsPoint(rect.center());
}

bool straightLineHit(const BezierPath &path, QPointF a, QPointF b, QPointF q, double *position,
                     double padding)
{
    const double r = hitRadius(path, padding);
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 0))
        return false;
    const QPointF u = d / length;
    const double s = (q.x() - a.x()) * u.x() + (q.y() - a.y()) * u.y();
    const QPointF off = q - (a + s * u);
    if (!(off.x() * off.x() + off.y() * off.y() < r * r))
        return false;
    const double along = s / length;
    if (position)
        *position = along;
    return along >= 0 && along <= 1;
}

bool curvedLineHit(const BezierPath &path, QPointF q, QPointF start, QPointF end, QPointF control1,
                   QPointF control2, double *position, double padding)
{
    const double r = hitRadius(path, padding);
    const DistanceToCurve d =
        squaredDistance(CurveCoefficientsFromPoints(start, control1, control2, end), q);
    for (double from : searchStarts(d, startGuess(q, start, end))) {
        double bestT = from;
        if (nearestWithin(d, from, r * r, &bestT)) {
            if (position)
                *position = double(float(bestT));
            return true;
        }
    }
    return false;
}

qint64 segmentHitByPoint(const BezierPath &path, QPointF q, double *position, double padding)
{
    const auto hits = [&](qint64, BezierPathElement type, QPointF from, const QPointF *p) {
        if (type != BezierPathElement::ClosePath && p[0] == q)
            return true;
        switch (type) {
        case BezierPathElement::LineTo:
        case BezierPathElement::ClosePath:
            return straightLineHit(path, from, p[0], q, position, padding);
        case BezierPathElement::CurveTo:
            return curvedLineHit(path, q, from, p[2], p[0], p[1], position, padding);
        case BezierPathElement::MoveTo:
            break;
        }
        return false;
    };
    return findPathSegment(path, hits);
}

qint64 segmentHitByPoint(const BezierPath &path, QPointF q, double padding)
{
    double position = 0;
    return segmentHitByPoint(path, q, &position, padding);
}

bool isStrokeHitByPoint(const BezierPath &path, QPointF q, double padding)
{
    return segmentHitByPoint(path, q, padding) != 0;
}

double getPositionForPoint(const BezierPath &path, QPointF q)
{
    double t = 0;
    const qint64 hit = segmentHitByPoint(path, q, &t, kDefaultHitPadding);
    if (hit == 0)
        return 0.5;
    return (double(hit) - 1 + t) / double(path.elementCount() - 1);
}

void getWindingAndHitForPoint(const BezierPath &path, qint64 *winding, quint64 *hits, QPointF q)
{
    qint64 w = 0;
    quint64 h = 0;
    visitFirstSubpathSegments(
        path, true, [&](BezierPathElement kind, qint64, QPointF from, const QPointF *points) {
            if (kind == BezierPathElement::LineTo)
                windLine(from, points[0], q, w, h);
            else if (kind == BezierPathElement::CurveTo)
                windCurve(from, points, q, w, h);
            else
                platform::Log(QStringLiteral("Unexpected Bezier path element"));
        });
    if (winding)
        *winding = w;
    if (hits)
        *hits = h;
}
