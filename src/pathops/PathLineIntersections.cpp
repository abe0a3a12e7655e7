#include "pathops/PathLineIntersections.h"

#include "pathops/CubicSolver.h"
#include "pathops/FirstSubpathSegments.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <vector>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

constexpr double kParameterSlack = 0.0001;
constexpr double kAxisSnap = 0.001;
// Line parameters start just past the end so that a crossing at the very end still counts.
constexpr double kFarAlongLine = 1.100000023841858;

bool insideWithSlack(double v)
{
    return v >= -kParameterSlack && v <= 1 + kParameterSlack;
}

void reportAssertion(const char *signature, int line)
{
    REPORT_FATAL_NAMED(signature);
    platform::Log(
        QStringLiteral("%1 [Line %2] ERROR ASSERT").arg(QLatin1String(signature)).arg(line));
}

#define PELKO_REPORT_ASSERTION() reportAssertion(Q_FUNC_INFO, __LINE__)

const QString kNotRightOrLeft = QStringLiteral("not right or left? huh?");

} // namespace

bool firstIntersectionWithLine(const BezierPath &path, OABezierPathIntersection *found,
                               QPointF lineStart, QPointF lineEnd)
{
    const LineRecord line = LineRecordFromPoints(lineStart, lineEnd);
    double bound = 2.0;
    bool any = false;
    visitFirstSubpathSegments(
        path, true, [&](BezierPathElement kind, qint64 index, QPointF from, const QPointF *points) {
            intersectionInfo records[3];
            int n = 0;
            if (kind == BezierPathElement::CurveTo)
                n = intersectionsBetweenCurveAndLine(
                    CurveCoefficientsFromPoints(from, points[0], points[1], points[2]), line,
                    records);
            else if (kind == BezierPathElement::LineTo)
                n = intersectionsBetweenLineAndLine(LineRecordFromPoints(from, points[0]), line,
                                                    records);
            else
                platform::Log(QStringLiteral("Unexpected Bezier path element"));
            for (int i = 0; i < n; ++i) {
                const intersectionInfo &r = records[i];
                const double far = r.rightParameter + r.rightParameterDistance;
                if (!(r.rightParameter < bound || far < bound))
                    continue;
                any = true;
                bound = std::min({bound, r.rightParameter, far});
                if (found) {
                    copyIntersection(found, r, index, 0);
                    found->setLocation(line.start + bound * line.direction);
                }
            }
        });
    return any;
}

bool straightLineIntersection(double *u, double *s, LineRecord *segment, const LineRecord &line)
{
    QPointF &d = segment->direction;
    const QPointF p = segment->start, q = line.start, e = line.direction;
    if (std::fabs(d.x()) >= kAxisSnap && std::fabs(d.y()) < kAxisSnap) {
        if (std::fabs(e.y()) < kAxisSnap)
            return false;
        d.setY(0);
    } else if (std::fabs(d.x()) < kAxisSnap) {
        if (std::fabs(d.y()) < kAxisSnap || std::fabs(e.x()) < kAxisSnap)
            return false;
        d.setX(0);
    }
    const double along = ((p.x() * d.y() - p.y() * d.x()) - (d.y() * q.x() - d.x() * q.y())) /
                         (e.x() * d.y() - e.y() * d.x());
    if (!insideWithSlack(along))
        return false;
    const double on = d.x() != 0 ? (q.x() - p.x() + e.x() * along) / d.x()
                                 : (q.y() - p.y() + e.y() * along) / d.y();
    if (!insideWithSlack(on))
        return false;
    *u = along;
    *s = on;
    return true;
}

bool curvedIntersection(double *u, double *t, const CurveCoefficients &c, const LineRecord &line)
{
    const QPointF q = line.start, e = line.direction;
    const QPointF a[4] = {c.a0, c.a1, c.a2, c.a3};
    double v[4];
    for (int k = 0; k < 4; ++k)
        v[k] = a[k].x() * e.y() - a[k].y() * e.x();
    v[0] -= e.y() * q.x() - e.x() * q.y();
    const CubicRoots roots = solveCubicEquation(v[0], v[1], v[2], v[3]);
    const bool useY = std::fabs(e.x()) < std::fabs(e.y());
    double best = kFarAlongLine;
    bool kept = false;
    for (int i = 0; i < roots.count; ++i) {
        const double r = roots.roots[i];
        if (!insideWithSlack(r))
            continue;
        const QPointF b = EvaluateCurve(c, r);
        const double w = useY ? (b.y() - q.y()) / e.y() : (b.x() - q.x()) / e.x();
        if (w < best && insideWithSlack(w)) {
            best = w;
            *t = r;
            kept = true;
        }
    }
    if (kept)
        *u = std::clamp(best, 0.0, 1.0);
    return kept;
}

bool intersectionWithLine(const BezierPath &path, QPointF *point, QPointF lineStart,
                          QPointF lineEnd)
{
    if (path.isEmpty() || path.element(0).type != BezierPathElement::MoveTo)
        return false;
    const LineRecord line = LineRecordFromPoints(lineStart, lineEnd);
    double best = 1.0;
    QPointF current = path.element(0).points[0];
    QPointF start = current;
    bool justClosed = false;
    auto tryStraight = [&](QPointF from, QPointF to) {
        LineRecord segment = LineRecordFromPoints(from, to);
        double u = 0, s = 0;
        if (straightLineIntersection(&u, &s, &segment, line) && u < best)
            best = u;
    };
    for (qint64 i = 1; i < path.elementCount(); ++i) {
        const BezierPath::Element &e = path.element(i);
        switch (e.type) {
        case BezierPathElement::MoveTo:
            current = e.points[0];
            if (justClosed)
                start = current;
            break;
        case BezierPathElement::LineTo:
            tryStraight(current, e.points[0]);
            current = e.points[0];
            break;
        case BezierPathElement::CurveTo: {
            double u = 0, t = 0;
            if (curvedIntersection(
                    &u, &t,
                    CurveCoefficientsFromPoints(current, e.points[0], e.points[1], e.points[2]),
                    line) &&
                u < best)
                best = u;
            current = e.points[2];
            break;
        }
        case BezierPathElement::ClosePath:
            tryStraight(current, start);
            current = start;
            break;
        }
        justClosed = e.type == BezierPathElement::ClosePath;
    }
    if (!(best < 1.0))
        return false;
    if (point)
        *point = line.start + best * line.direction;
    return true;
}

bool isClockwise(const BezierPath &path)
{
    std::vector<double> heights;
    for (const BezierPath::Element &e : path.elements()) {
        if (e.type == BezierPathElement::MoveTo || e.type == BezierPathElement::LineTo)
            heights.push_back(e.points[0].y());
        else if (e.type == BezierPathElement::CurveTo)
            heights.push_back(e.points[2].y());
    }
    if (heights.size() < 2)
        return true;
    std::sort(heights.begin(), heights.end());
    double gap = 0, level = 0;
    for (size_t i = 1; i < heights.size(); ++i)
        if (heights[i] - heights[i - 1] > gap) {
            gap = heights[i] - heights[i - 1];
            level = (heights[i] + heights[i - 1]) / 2;
        }
    if (!(gap > 0))
        return true;
    const QRectF b = path.bounds();
    OABezierPathIntersection found;
    if (!firstIntersectionWithLine(path, &found, QPointF(b.left() - 1, level),
                                   QPointF(b.right() + 1, level))) {
        PELKO_REPORT_ASSERTION();
        platform::Log(kNotRightOrLeft);
        return true;
    }
    const OABezierPathIntersectionHalf right = found.right();
    const int aspect = right.parameterDistance >= 0 ? right.firstAspect : right.secondAspect;
    if (aspect == 1)
        return true;
    if (aspect == -1)
        return false;
    platform::Log(kNotRightOrLeft);
    return true;
}
