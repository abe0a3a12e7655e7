#include "pathops/PathWalking.h"

#include "pathops/PathIntersectionKernels.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <vector>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

const QString kInconsistency = QStringLiteral("NSInternalInconsistencyException");
const QString kUnexpectedElement = QStringLiteral("Unexpected Bezier path element");
const QString kUnknownElement = QStringLiteral("Unknown NSBezierPathElement");

// Halving deeper than this only chases rounding noise.
constexpr int kMaxLengthDepth = 30;
constexpr double kNearStart = 1e-10;
constexpr double kNearEnd = 0.9999999999;
constexpr double kNormalLength = 1e-15;
constexpr double kDegreesPerRadian = 180 / 3.141592653589793;

void reportAssertion(const char *signature, int line)
{
    REPORT_FATAL_NAMED(signature);
    platform::Log(
        lcPathops,
        QStringLiteral("%1 [Line %2] ERROR ASSERT").arg(QLatin1String(signature)).arg(line));
}

#define PELKO_REPORT_ASSERTION() reportAssertion(Q_FUNC_INFO, __LINE__)

QPointF elementEndPoint(const BezierPath::Element &e)
{
    return e.type == BezierPathElement::CurveTo ? e.points[2] : e.points[0];
}

// The lengths are measured with one tolerance spread over the whole path.
double toleranceFor(const BezierPath &path)
{
    return 0.5 / double(std::max<qint64>(path.elementCount(), 1));
}

// The distance of two points; std::hypot only where the squares would overflow or underflow,
// since the length halving measures millions of pieces.
double distanceOf(QPointF a, QPointF b)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double square = dx * dx + dy * dy;
    if (square < 1e300 && square > 1e-300)
        return std::sqrt(square);
    return std::hypot(dx, dy);
}

double chordOf(const BezierCurvePoints &c)
{
    return distanceOf(c[0], c[3]);
}

double polygonOf(const BezierCurvePoints &c)
{
    return distanceOf(c[0], c[1]) + distanceOf(c[1], c[2]) + distanceOf(c[2], c[3]);
}

// Differences of coordinates this large carry rounding noise of about this share of them;
// no piece is measured finer than that.
constexpr double kCoordinateNoise = 1e-13;

double noiseOf(const BezierCurvePoints &c)
{
    double magnitude = 0;
    for (const QPointF &p : c)
        magnitude = std::max({magnitude, std::fabs(p.x()), std::fabs(p.y())});
    return magnitude * kCoordinateNoise;
}

bool flatEnough(const BezierCurvePoints &c, double chord, double polygon, double tolerance,
                int depth)
{
    const double excess = polygon - chord;
    return !(excess > tolerance) || !(excess > noiseOf(c)) || depth >= kMaxLengthDepth;
}

double subdivideLength(const BezierCurvePoints &c, double tolerance, int depth)
{
    const double chord = chordOf(c);
    const double polygon = polygonOf(c);
    if (flatEnough(c, chord, polygon, tolerance, depth))
        return chord;
    BezierCurvePoints left, right;
    splitBezierCurveTo(c, 0.5, &left, &right);
    return subdivideLength(left, tolerance * 0.5, depth + 1) +
           subdivideLength(right, tolerance * 0.5, depth + 1);
}

// On a flat piece the length from its start is its progress along the chord; the parameter
// is found there, since control points bunched towards one end make the speed uneven.
double parameterAlongChord(const BezierCurvePoints &c, double wanted, double chord)
{
    if (!(chord > 0))
        return 0;
    const QPointF unit = (c[3] - c[0]) / chord;
    const CurveCoefficients k = CurveCoefficientsFromPoints(c[0], c[1], c[2], c[3]);
    double lo = 0, hi = 1;
    for (int i = 0; i < 52 && hi - lo > 1e-15; ++i) {
        const double mid = (lo + hi) * 0.5;
        const QPointF d = EvaluateCurve(k, mid) - c[0];
        if (d.x() * unit.x() + d.y() * unit.y() < wanted)
            lo = mid;
        else
            hi = mid;
    }
    return (lo + hi) * 0.5;
}

lengthAndParameter arcLength(const BezierCurvePoints &c, double wanted, double tolerance, int depth)
{
    const double chord = chordOf(c);
    const double polygon = polygonOf(c);
    // Rounding alone can make the polygon a hair shorter than its chord.
    if (polygon < chord * (1 - 1e-12))
        PELKO_REPORT_ASSERTION();
    if (wanted >= polygon)
        return {subdivideLength(c, tolerance, depth), 1.0};
    if (flatEnough(c, chord, polygon, tolerance, depth)) {
        if (!(wanted / polygon < 1))
            return {polygon, 1.0};
        return {wanted, parameterAlongChord(c, wanted, chord)};
    }
    BezierCurvePoints left, right;
    splitBezierCurveTo(c, 0.5, &left, &right);
    const lengthAndParameter l = arcLength(left, wanted, tolerance * 0.5, depth + 1);
    if (l.length >= wanted)
        return {l.length, l.parameter * 0.5};
    const lengthAndParameter r = arcLength(right, wanted - l.length, tolerance * 0.5, depth + 1);
    return {l.length + r.length, (r.parameter + 1.0) * 0.5};
}

BezierCurvePoints curveOf(const subpathWalkingState &s)
{
    return {s.points[0], s.points[1], s.points[2], s.points[3]};
}

void readElementInto(subpathWalkingState *s, qint64 index)
{
    const BezierPath::Element &e = s->pathBeingWalked->element(index);
    s->what = e.type;
    s->points[1] = e.points[0];
    s->points[2] = e.points[1];
    s->points[3] = e.points[2];
}

void synthesiseClose(subpathWalkingState *s)
{
    s->what = BezierPathElement::ClosePath;
    s->points[1] = s->startPoint;
}

[[noreturn]] void raise(const QString &reason)
{
    throw platform::Exception(kInconsistency, reason);
}

// Where a close at element s + 1 runs back to, as the position lookup reads it: the start of
// the subpath begun after the nearest earlier close, or element 0.
QPointF closeTargetBefore(const BezierPath &path, qint64 s)
{
    for (qint64 i = s - 1; i >= 0; --i) {
        if (path.element(i).type != BezierPathElement::ClosePath)
            continue;
        if (i + 1 < path.elementCount() && path.element(i + 1).type == BezierPathElement::MoveTo)
            return path.element(i + 1).points[0];
        break;
    }
    return path.element(0).points[0];
}

pointInfo pointOnLine(QPointF from, QPointF to, double t)
{
    const LineRecord line = LineRecordFromPoints(from, to);
    const QPointF p = line.start + t * line.direction;
    return {p.x(), p.y(), line.direction.x(), line.direction.y()};
}

// The parameter within the walk's current segment at `remaining` along it.
double parameterInSegment(const subpathWalkingState &s, double remaining, double tolerance)
{
    double parameter = 0;
    switch (s.what) {
    case BezierPathElement::LineTo:
    case BezierPathElement::ClosePath:
        parameter = remaining / distanceOf(s.points[0], s.points[1]);
        break;
    case BezierPathElement::CurveTo: {
        parameter = arcLength(curveOf(s), remaining, tolerance, 0).parameter;
        break;
    }
    default:
        platform::Log(lcPathops, kUnexpectedElement);
        break;
    }
    return parameter > 1 ? 1.0 : parameter;
}

} // namespace

bool initSubpathWalkingState(subpathWalkingState *state, const BezierPath &path, qint64 index,
                             bool implicitClose)
{
    const qint64 n = path.elementCount();
    if (index < 0 || index >= n - 1)
        return false;
    if (path.element(index).type != BezierPathElement::MoveTo) {
        platform::Log(lcPathops,
                      QStringLiteral("Bezier path element should be NSMoveToBezierPathElement "
                                     "but isn't"));
        return false;
    }
    *state = subpathWalkingState();
    state->pathBeingWalked = &path;
    state->elementCount = n;
    state->startPoint = path.element(index).points[0];
    state->points[0] = state->startPoint;
    state->what = BezierPathElement::MoveTo;
    state->currentElementIndex = index;
    state->possibleImplicitClosepath = implicitClose;
    return true;
}

bool nextSubpathElement(subpathWalkingState *s)
{
    switch (s->what) {
    case BezierPathElement::MoveTo:
        break;
    case BezierPathElement::LineTo:
        s->points[0] = s->points[1];
        break;
    case BezierPathElement::CurveTo:
        s->points[0] = s->points[3];
        break;
    case BezierPathElement::ClosePath:
        return false;
    }
    s->currentElementIndex += 1;
    const qint64 available = std::min(s->elementCount, s->pathBeingWalked->elementCount());
    if (s->currentElementIndex < available) {
        readElementInto(s, s->currentElementIndex);
        switch (s->what) {
        case BezierPathElement::LineTo:
        case BezierPathElement::CurveTo:
            return true;
        case BezierPathElement::ClosePath:
            s->possibleImplicitClosepath = false;
            s->elementCount = s->currentElementIndex + 1;
            s->points[1] = s->startPoint;
            return true;
        case BezierPathElement::MoveTo:
            s->elementCount = s->currentElementIndex;
            if (s->possibleImplicitClosepath) {
                synthesiseClose(s);
                return true;
            }
            s->currentElementIndex -= 1;
            s->what = BezierPathElement::MoveTo;
            return false;
        }
    }
    if (s->possibleImplicitClosepath) {
        synthesiseClose(s);
        return true;
    }
    s->currentElementIndex -= 1;
    return false;
}

bool hasNextSubpathElement(const subpathWalkingState *s)
{
    if (s->what == BezierPathElement::ClosePath)
        return false;
    if (s->possibleImplicitClosepath)
        return true;
    const qint64 next = s->currentElementIndex + 1;
    if (next >= std::min(s->elementCount, s->pathBeingWalked->elementCount()))
        return false;
    return s->pathBeingWalked->element(next).type != BezierPathElement::MoveTo;
}

void repositionSubpathWalkingState(subpathWalkingState *s, qint64 index)
{
    const BezierPath &path = *s->pathBeingWalked;
    if (index == 0) {
        subpathWalkingState fresh;
        if (initSubpathWalkingState(&fresh, path, 0, s->possibleImplicitClosepath))
            *s = fresh;
        return;
    }
    if (index < 0 || index > path.elementCount() || index > s->elementCount) {
        PELKO_REPORT_ASSERTION();
        return;
    }
    const BezierPath::Element &before = path.element(index - 1);
    if (before.type == BezierPathElement::ClosePath)
        platform::Log(
            lcPathops,
            QStringLiteral("repositionSubpathWalkingState() called after wrong elt type"));
    else
        s->points[0] = elementEndPoint(before);
    s->currentElementIndex = index;
    if (index == s->elementCount && s->possibleImplicitClosepath) {
        synthesiseClose(s);
        return;
    }
    if (index >= path.elementCount()) {
        PELKO_REPORT_ASSERTION();
        return;
    }
    readElementInto(s, index);
    if (s->what == BezierPathElement::ClosePath)
        s->points[1] = s->startPoint;
    else if (s->what == BezierPathElement::MoveTo)
        PELKO_REPORT_ASSERTION();
}

QPointF currentpointForSegment(const BezierPath &path, qint64 index)
{
    const qint64 n = path.elementCount();
    if (index == 0 && n > 0 && path.element(0).type == BezierPathElement::MoveTo)
        return path.element(0).points[0];
    if (index > 0 && index <= n) {
        const BezierPath::Element &e = path.element(index - 1);
        if (e.type != BezierPathElement::ClosePath)
            return elementEndPoint(e);
    }
    raise(QStringLiteral("Segment %1 has no currentpoint").arg(index));
}

QPointF endPointForSegment(const BezierPath &path, qint64 index)
{
    if (index < 0 || index >= path.elementCount())
        return QPointF();
    const BezierPath::Element &e = path.element(index);
    if (e.type == BezierPathElement::ClosePath)
        return path.element(0).points[0];
    return elementEndPoint(e);
}

pointInfo getPointInfoForPosition(const BezierPath &path, double position)
{
    const qint64 n = path.elementCount();
    // Too few elements for a segment: the one point there is, without a direction.
    if (n < 2) {
        const QPointF p = n == 1 ? endPointForSegment(path, 0) : QPointF();
        return {p.x(), p.y(), 0, 0};
    }
    const double p = std::isnan(position) ? 0.0 : std::clamp(position, 0.0, 1.0);
    qint64 s = n - 2;
    double t = 1;
    if (p < 1) {
        const double v = p * double(n - 1);
        s = std::min<qint64>(qint64(std::floor(v)), n - 2);
        t = v - double(s);
    }
    const QPointF start = endPointForSegment(path, s);
    const BezierPath::Element &e = path.element(s + 1);
    switch (e.type) {
    case BezierPathElement::MoveTo:
    case BezierPathElement::LineTo:
        return pointOnLine(start, e.points[0], t);
    case BezierPathElement::CurveTo: {
        const CurveCoefficients c =
            CurveCoefficientsFromPoints(start, e.points[0], e.points[1], e.points[2]);
        const QPointF q = EvaluateCurve(c, t);
        const QPointF d = CurveDerivative(c, t);
        return {q.x(), q.y(), d.x(), d.y()};
    }
    case BezierPathElement::ClosePath:
        return pointOnLine(start, closeTargetBefore(path, s), t);
    }
    return {start.x(), start.y(), 0, 0};
}

QPointF getPointForPositionAndOffset(const BezierPath &path, double position, double offset)
{
    const pointInfo info = getPointInfoForPosition(path, position);
    const double len = std::hypot(info.tangentX, info.tangentY);
    if (len < kNormalLength)
        return QPointF(info.x, info.y);
    const double sign = info.tangentX < 0 ? -1.0 : 1.0;
    return QPointF(info.x + offset * sign * info.tangentY / len,
                   info.y - offset * sign * info.tangentX / len);
}

double getNormalForPosition(const BezierPath &path, double position)
{
    const pointInfo info = getPointInfoForPosition(path, position);
    return std::atan2(info.tangentX, -info.tangentY) * kDegreesPerRadian;
}

QPointF getPointForPosition(const BezierPath &path, OABezierPathPosition position)
{
    const qint64 i = position.segment;
    const double t = position.parameter;
    if (t < kNearStart)
        return currentpointForSegment(path, i);
    if (i < 0 || i >= path.elementCount())
        raise(QStringLiteral("Segment %1 has no currentpoint").arg(i));
    const BezierPath::Element &e = path.element(i);
    if (t > kNearEnd && e.type != BezierPathElement::ClosePath)
        return elementEndPoint(e);
    const QPointF start = currentpointForSegment(path, i);
    switch (e.type) {
    case BezierPathElement::MoveTo:
    case BezierPathElement::LineTo: {
        const LineRecord line = LineRecordFromPoints(start, e.points[0]);
        return line.start + t * line.direction;
    }
    case BezierPathElement::CurveTo:
        return EvaluateCurve(
            CurveCoefficientsFromPoints(start, e.points[0], e.points[1], e.points[2]), t);
    case BezierPathElement::ClosePath:
        for (qint64 k = i - 1; k >= 0; --k) {
            if (path.element(k).type == BezierPathElement::MoveTo) {
                const LineRecord line = LineRecordFromPoints(start, path.element(k).points[0]);
                return line.start + t * line.direction;
            }
        }
        raise(QStringLiteral("Segment %1 has no preceding moveto").arg(i));
    }
    raise(QStringLiteral("Segment %1 has unexpected element type %2").arg(i).arg(int(e.type)));
}

double lengthToSegment(const BezierPath &path, qint64 segment, double parameter,
                       double *totalLength)
{
    subpathWalkingState s;
    if (!initSubpathWalkingState(&s, path, 0, false)) {
        if (totalLength)
            *totalLength = 0;
        return 0;
    }
    const double tolerance = toleranceFor(path);
    double partial = 0;
    double total = 0;
    while (nextSubpathElement(&s)) {
        const qint64 index = s.currentElementIndex;
        if (totalLength || index < segment) {
            const double measure = subpathElementLength(&s, tolerance);
            if (index < segment)
                partial += measure;
            total += measure;
        }
        if (index != segment)
            continue;
        if (parameter > 0) {
            switch (s.what) {
            case BezierPathElement::LineTo:
            case BezierPathElement::ClosePath:
                partial += distanceOf(s.points[0], s.points[1]) * parameter;
                break;
            case BezierPathElement::CurveTo: {
                BezierCurvePoints left, right;
                splitBezierCurveTo(curveOf(s), parameter, &left, &right);
                partial += subdivideBezierLength(left, tolerance);
                break;
            }
            default:
                platform::Log(lcPathops, kUnexpectedElement);
                break;
            }
        }
        if (!totalLength)
            return partial;
    }
    if (totalLength)
        *totalLength = total;
    return partial;
}

qint64 segmentAndParameter(const BezierPath &path, double *parameter, double length,
                           bool fractional)
{
    subpathWalkingState s;
    if (!(length > 0) || !initSubpathWalkingState(&s, path, 0, false)) {
        if (parameter)
            *parameter = 0;
        return 0;
    }
    if (fractional && length >= 1) {
        if (parameter)
            *parameter = 1;
        return path.elementCount() - 1;
    }
    const double tolerance = toleranceFor(path);
    double remaining = length;
    if (!fractional) {
        bool found = false;
        bool any = false;
        while (nextSubpathElement(&s)) {
            any = true;
            const double measure = subpathElementLength(&s, tolerance);
            if (!(measure < remaining)) {
                found = true;
                break;
            }
            remaining -= measure;
        }
        // The walk stepped back past its end: aim it at the last segment again.
        if (!found && any)
            repositionSubpathWalkingState(&s, s.currentElementIndex);
        if (!any) {
            if (parameter)
                *parameter = 0;
            return 0;
        }
    } else {
        std::vector<double> table(size_t(std::max<qint64>(path.elementCount(), 1)), 0.0);
        double total = 0;
        qint64 last = 0;
        while (nextSubpathElement(&s)) {
            const double measure = subpathElementLength(&s, tolerance);
            table[size_t(s.currentElementIndex)] = measure;
            total += measure;
            last = s.currentElementIndex;
        }
        remaining = total * length;
        qint64 index = 0;
        while (index <= last && !(table[size_t(index)] > remaining)) {
            remaining -= table[size_t(index)];
            ++index;
        }
        if (index > last || last == 0) {
            // Nothing longer than what remains, as on a path of zero length: the last
            // segment, from its start.
            if (parameter)
                *parameter = total > 0 ? 1.0 : 0.0;
            return last;
        }
        if (!parameter)
            return index;
        repositionSubpathWalkingState(&s, index);
    }
    if (!parameter)
        return s.currentElementIndex;
    *parameter = parameterInSegment(s, remaining, tolerance);
    return s.currentElementIndex;
}

void splitBezierCurveTo(const BezierCurvePoints &c, double t, BezierCurvePoints *left,
                        BezierCurvePoints *right)
{
    const double u = 1 - t;
    const QPointF q1 = c[1] * t + c[0] * u;
    const QPointF q2 = c[2] * t + c[1] * u;
    const QPointF q3 = c[3] * t + c[2] * u;
    const QPointF r1 = q2 * t + q1 * u;
    const QPointF r2 = q3 * t + q2 * u;
    const QPointF m = r2 * t + r1 * u;
    if (left)
        *left = {c[0], q1, r1, m};
    if (right)
        *right = {m, r2, q3, c[3]};
}

double subdivideBezierLength(const BezierCurvePoints &curve, double tolerance)
{
    return subdivideLength(curve, tolerance, 0);
}

double subpathElementLength(const subpathWalkingState *s, double tolerance)
{
    switch (s->what) {
    case BezierPathElement::LineTo:
    case BezierPathElement::ClosePath:
        return distanceOf(s->points[0], s->points[1]);
    case BezierPathElement::CurveTo:
        return subdivideBezierLength(curveOf(*s), tolerance);
    default:
        platform::Log(lcPathops, kUnexpectedElement);
        return 0;
    }
}

lengthAndParameter arcLength_l(const BezierCurvePoints &curve, double wanted, double tolerance)
{
    return arcLength(curve, wanted, tolerance, 0);
}

bool expandBoundsForCurve(QRectF *rect, QPointF p0, QPointF c1, QPointF c2, QPointF p3,
                          double halfWidth)
{
    double minX = std::min(p0.x(), p3.x()), maxX = std::max(p0.x(), p3.x());
    double minY = std::min(p0.y(), p3.y()), maxY = std::max(p0.y(), p3.y());
    bool changed = true;
    if (rect->width() > 0 && rect->height() > 0) {
        const double rMinX = rect->x(), rMaxX = rect->x() + rect->width();
        const double rMinY = rect->y(), rMaxY = rect->y() + rect->height();
        changed = minX < rMinX || maxX > rMaxX || minY < rMinY || maxY > rMaxY;
        minX = std::min(minX, rMinX);
        maxX = std::max(maxX, rMaxX);
        minY = std::min(minY, rMinY);
        maxY = std::max(maxY, rMaxY);
    }
    const CurveCoefficients c = CurveCoefficientsFromPoints(p0, c1, c2, p3);
    const double w = halfWidth;
    auto grow = [&](double lo, double hi, double a0, double a1, double a2, double a3,
                    double &boxMin, double &boxMax) {
        const bool beyond = std::max(lo, hi) + w > boxMax || std::min(lo, hi) - w < boxMin;
        if (!beyond)
            return;
        double roots[2];
        const int n = cubicDerivativeRoots(a1, a2, a3, roots);
        for (int i = 0; i < n; ++i) {
            const double t = roots[i];
            if (!(t > 0 && t < 1))
                continue;
            const double v = ((a3 * t + a2) * t + a1) * t + a0;
            if (v - w < boxMin) {
                boxMin = v - w;
                changed = true;
            }
            if (v + w > boxMax) {
                boxMax = v + w;
                changed = true;
            }
        }
    };
    grow(c1.x(), c2.x(), c.a0.x(), c.a1.x(), c.a2.x(), c.a3.x(), minX, maxX);
    grow(c1.y(), c2.y(), c.a0.y(), c.a1.y(), c.a2.y(), c.a3.y(), minY, maxY);
    if (!changed)
        return false;
    *rect = QRectF(minX, minY, maxX - minX, maxY - minY);
    return true;
}
