#include "pathops/PathPathIntersections.h"

#include "graphics/PelkoNSBezierPathShapes.h"
#include "pathops/FirstSubpathSegments.h"
#include "pathops/PathCurveIntersections.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

// Two thousandths in single precision: bounds this far apart may still hold a crossing.
constexpr double kBoundsSlack = 0.0019999999552965165;
constexpr double kPointRecord = 1e-10;
constexpr double kNearEnd = 0.0001;

// Kernels accept parameters up to this far outside their segments.
constexpr double kKernelSlack = 1e-4;

struct Segment
{
    BezierPathElement kind;
    qint64 index;
    LineRecord line;
    CurveCoefficients curve;
    // The control box, grown by what the kernels let through past the ends; a box with a NaN
    // meets every other.
    QRectF box;
};

QRectF grownBox(std::initializer_list<QPointF> points)
{
    double minX = points.begin()->x(), maxX = minX;
    double minY = points.begin()->y(), maxY = minY;
    for (QPointF p : points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    // A parameter of 1 + slack lies at most slack times three control legs past the end.
    const double grow = kBoundsSlack + 3 * kKernelSlack * ((maxX - minX) + (maxY - minY));
    return QRectF(QPointF(minX - grow, minY - grow), QPointF(maxX + grow, maxY + grow));
}

bool hasNaN(QRectF r)
{
    return std::isnan(r.x()) || std::isnan(r.y()) || std::isnan(r.width()) ||
           std::isnan(r.height());
}

bool boxesMeet(const Segment &s, const Segment &t)
{
    if (hasNaN(s.box) || hasNaN(t.box))
        return true;
    return s.box.left() <= t.box.right() && t.box.left() <= s.box.right() &&
           s.box.top() <= t.box.bottom() && t.box.top() <= s.box.bottom();
}

std::vector<Segment> firstSubpathSegments(const BezierPath &path)
{
    std::vector<Segment> out;
    visitFirstSubpathSegments(
        path, false, [&](BezierPathElement kind, qint64 index, QPointF from, const QPointF *p) {
            Segment s{kind, index, {}, {}, {}};
            if (kind == BezierPathElement::CurveTo) {
                s.curve = CurveCoefficientsFromPoints(from, p[0], p[1], p[2]);
                s.box = grownBox({from, p[0], p[1], p[2]});
            } else {
                s.line = LineRecordFromPoints(from, p[0]);
                s.box = grownBox({from, p[0]});
            }
            out.push_back(s);
        });
    return out;
}

bool boundsMeet(QRectF a, QRectF b)
{
    return a.left() <= b.right() + kBoundsSlack && b.left() <= a.right() + kBoundsSlack &&
           a.top() <= b.bottom() + kBoundsSlack && b.top() <= a.bottom() + kBoundsSlack;
}

int intersectSegments(const Segment &s, const Segment &t, bool samePath, IntersectionRecords &out)
{
    const bool sCurve = s.kind == BezierPathElement::CurveTo;
    const bool tCurve = t.kind == BezierPathElement::CurveTo;
    if (samePath && s.index == t.index)
        return sCurve ? intersectionsOfCurveWithItself(s.curve, out.data()) : 0;
    if (!sCurve && !tCurve)
        return intersectionsBetweenLineAndLine(s.line, t.line, out.data());
    if (sCurve && !tCurve)
        return intersectionsBetweenCurveAndLine(s.curve, t.line, out.data());
    if (!sCurve && tCurve) {
        const int n = intersectionsBetweenCurveAndLine(t.curve, s.line, out.data());
        for (int k = 0; k < n; ++k)
            out[k] = reversedIntersection(out[k]);
        return n;
    }
    return intersectionsBetweenCurveAndCurve(s.curve, t.curve, out);
}

QPointF pointOf(const Segment &s, double t)
{
    if (s.kind == BezierPathElement::CurveTo)
        return EvaluateCurve(s.curve, t);
    return s.line.start + t * s.line.direction;
}

// Ordered by left segment, then left parameter.
void insertOrdered(QList<OABezierPathIntersection> &list, const OABezierPathIntersection &x)
{
    qsizetype at = list.size();
    while (at > 0) {
        const OABezierPathIntersectionHalf before = list[at - 1].left();
        if (before.segment < x.left().segment ||
            (before.segment == x.left().segment && before.parameter <= x.left().parameter))
            break;
        --at;
    }
    list.insert(at, x);
}

} // namespace

bool allIntersectionsWithPath_withSingleSubOnly(const BezierPath &path, const BezierPath *other,
                                                QList<OABezierPathIntersection> *found)
{
    GUARD_BEGIN
    if (found)
        found->clear();
    if (!other || path.elementCount() < 2 || other->elementCount() < 2)
        return false;
    if (!boundsMeet(path.bounds(), other->bounds()))
        return false;
    const bool samePath = other == &path;
    const std::vector<Segment> mine = firstSubpathSegments(path);
    const std::vector<Segment> theirs = samePath ? mine : firstSubpathSegments(*other);
    // The segment that closes the subpath at its start; a close of no length (after a last
    // segment that already ends there) leaves that role to the segment before it.
    size_t closing = theirs.empty() ? 0 : theirs.size() - 1;
    if (closing > 0 && theirs[closing].kind != BezierPathElement::CurveTo &&
        theirs[closing].line.direction == QPointF(0, 0))
        --closing;
    QList<OABezierPathIntersection> list;
    for (size_t si = 0; si < mine.size(); ++si) {
        const Segment &s = mine[si];
        for (size_t ti = 0; ti < theirs.size(); ++ti) {
            const Segment &t = theirs[ti];
            if (samePath && t.index < s.index)
                continue;
            // Segments whose boxes stay apart cannot meet; a curve still meets itself.
            if (!(samePath && t.index == s.index) && !boxesMeet(s, t))
                continue;
            IntersectionRecords records;
            int first = 0;
            int n = intersectSegments(s, t, samePath, records);
            if (samePath && n > 0 && t.index == s.index + 1) {
                const intersectionInfo &last = records[n - 1];
                if (last.leftParameterDistance < kPointRecord &&
                    last.leftParameter >= 1 - kNearEnd && last.rightParameter <= kNearEnd)
                    --n;
            }
            if (samePath && n > first && si == 0 && ti == closing) {
                const intersectionInfo &r = records[first];
                if (r.leftParameterDistance < kPointRecord && r.rightParameter >= 1 - kNearEnd &&
                    r.leftParameter <= kNearEnd)
                    ++first;
            }
            for (int k = first; k < n; ++k) {
                if (!found)
                    return true;
                OABezierPathIntersection x;
                copyIntersection(&x, records[k], s.index, t.index);
                x.setLocation(pointOf(s, records[k].leftParameter));
                insertOrdered(list, x);
            }
        }
    }
    if (list.isEmpty())
        return false;
    found->append(list);
    return true;
    GUARD_END(false)
}

bool allIntersectionsWithPath(const BezierPath &path, const BezierPath *other,
                              QList<OABezierPathIntersection> *found)
{
    if (found)
        found->clear();
    if (!other)
        return false;
    const std::optional<QList<BezierPath>> mine = memberOfPath(path);
    const std::optional<QList<BezierPath>> theirs = memberOfPath(*other);
    if (!mine || !theirs || mine->isEmpty() || theirs->isEmpty())
        return false;
    bool any = false;
    QList<OABezierPathIntersection> pair;
    for (const BezierPath &a : *mine) {
        if (a.elementCount() <= 1)
            continue;
        for (const BezierPath &b : *theirs) {
            if (b.elementCount() <= 1)
                continue;
            if (!allIntersectionsWithPath_withSingleSubOnly(a, &b, found ? &pair : nullptr))
                continue;
            any = true;
            if (!found)
                return true;
            found->append(pair);
        }
    }
    return any;
}
