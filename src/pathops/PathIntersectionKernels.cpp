#include "pathops/PathIntersectionKernels.h"

#include "pathops/CubicSolver.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Roots and line parameters this close outside [0, 1] still count: the joints of neighbouring
// segments must not fall between them.
constexpr double kParameterSlack = 0.0001;
constexpr double kParallel = 1e-10;
constexpr double kPointSize = 1e-20;
constexpr double kSameRecord = 1e-08;

double flush(double v)
{
    return std::fabs(v) < kLineFlush ? 0.0 : v;
}

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

int signOf(double v)
{
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

bool insideWithSlack(double v)
{
    return v >= -kParameterSlack && v <= 1 + kParameterSlack;
}

// x / y as a share, 1 when it would not be below 1 in size.
double ratio(double x, double y)
{
    return std::fabs(x) < std::fabs(y) ? x / y : 1.0;
}

int parallelLines(const LineRecord &a, const LineRecord &b, intersectionInfo *out)
{
    const QPointF p = a.start, d = a.direction, q = b.start, e = b.direction;
    const double ee = dot(e, e);
    const double dd = dot(d, d);
    const double sA = dot(p - q, e);
    const double sE = dot(p + d - q, e);
    if ((sA < 0 && sE < 0) || (sA > ee && sE > ee))
        return 0;
    if (ee <= kPointSize) {
        if (dd > kPointSize) {
            const double s = dot(q - p, d);
            if (s < 0 || s > dd)
                return 0;
            *out = intersectionInfo{s / dd, 0, 0, 1.0, 0, 0};
            return 1;
        }
        if (p != q)
            return 0;
        *out = intersectionInfo{0, 0, 1.0, 1.0, 0, 0};
        return 1;
    }
    double leftStart, rightStart, leftEnd, rightEnd;
    if (sA <= ee) {
        if (sA >= 0) {
            leftStart = 0;
            rightStart = ratio(sA, ee);
        } else {
            leftStart = ratio(dot(q - p, d), dd);
            rightStart = 0;
        }
    } else {
        leftStart = ratio(dot(q + e - p, d), dd);
        rightStart = 1;
    }
    if (sE >= ee) {
        leftEnd = ratio(dot(q + e - p, d), dd);
        rightEnd = 1;
    } else if (sE < 0) {
        leftEnd = ratio(dot(q - p, d), dd);
        rightEnd = 0;
    } else {
        leftEnd = 1;
        rightEnd = ratio(sE, ee);
    }
    *out =
        intersectionInfo{leftStart, rightStart, leftEnd - leftStart, rightEnd - rightStart, 0, 0};
    return 1;
}

struct SortedRoots
{
    int count = 0;
    double roots[3]{};
    int multiplicities[3]{};
};

SortedRoots sortedRoots(double c0, double c1, double c2, double c3)
{
    SortedRoots r;
    r.count = solveCubicEquation(c0, c1, c2, c3, r.roots, r.multiplicities);
    for (int i = 1; i < r.count; ++i)
        for (int j = i; j > 0 && r.roots[j] < r.roots[j - 1]; --j) {
            std::swap(r.roots[j], r.roots[j - 1]);
            std::swap(r.multiplicities[j], r.multiplicities[j - 1]);
        }
    return r;
}

// Direction codes of a root of the signed distance polynomial v0..v3 by its multiplicity.
void aspectsOfRoot(const double v[4], double t, int multiplicity, intersectionInfo *r)
{
    if (multiplicity == 3) {
        r->firstAspect = r->secondAspect = -signOf(v[3]);
    } else if (multiplicity == 2) {
        const bool opensUp = 6 * v[3] * t + 2 * v[2] >= 0;
        r->firstAspect = opensUp ? 1 : -1;
        r->secondAspect = -r->firstAspect;
    } else {
        const double slope = (3 * v[3] * t + 2 * v[2]) * t + v[1];
        r->firstAspect = r->secondAspect = -signOf(slope);
    }
}

bool sameRecord(const intersectionInfo &a, const intersectionInfo &b)
{
    return a.firstAspect == b.firstAspect && a.secondAspect == b.secondAspect &&
           std::fabs(a.leftParameter - b.leftParameter) <= kSameRecord &&
           std::fabs(a.rightParameter - b.rightParameter) <= kSameRecord &&
           std::fabs(a.leftParameterDistance - b.leftParameterDistance) <= kSameRecord &&
           std::fabs(a.rightParameterDistance - b.rightParameterDistance) <= kSameRecord;
}

} // namespace

int cubicDerivativeRoots(double a1, double a2, double a3, double out[2])
{
    const double d = a2 * a2 - 3 * a3 * a1;
    if (d < 0)
        return 0;
    if (d == 0) {
        out[0] = a2 / (-3 * a3);
        return 1;
    }
    const double g = -(a2 + std::copysign(std::sqrt(d), a2));
    out[0] = g / (3 * a3);
    out[1] = a1 / g;
    return 2;
}

LineRecord LineRecordFromPoints(QPointF from, QPointF to)
{
    const QPointF d = to - from;
    return LineRecord{from, QPointF(flush(d.x()), flush(d.y()))};
}

QPointF EvaluateCurve(const CurveCoefficients &c, double t)
{
    return ((c.a3 * t + c.a2) * t + c.a1) * t + c.a0;
}

QPointF CurveDerivative(const CurveCoefficients &c, double t)
{
    return c.a1 + 2 * t * c.a2 + 3 * t * t * c.a3;
}

int intersectionsBetweenLineAndLine(const LineRecord &a, const LineRecord &b, intersectionInfo *out)
{
    const QPointF p = a.start, d = a.direction, q = b.start, e = b.direction;
    const double det = e.y() * d.x() - e.x() * d.y();
    const double nA = e.y() * (p.x() - q.x()) - e.x() * (p.y() - q.y());
    const double nB = d.y() * (q.x() - p.x()) - d.x() * (q.y() - p.y());
    if ((nA != 0 && std::signbit(nA) == std::signbit(det)) ||
        (nB != 0 && std::signbit(nB) != std::signbit(det)) || std::fabs(det) < std::fabs(nA) ||
        std::fabs(det) < std::fabs(nB))
        return 0;
    if (std::fabs(det) > kParallel) {
        const int aspect = det > 0 ? 1 : -1;
        *out = intersectionInfo{-nA / det, nB / det, 0, 0, aspect, aspect};
        return 1;
    }
    return parallelLines(a, b, out);
}

int intersectionsBetweenCurveAndLine(const CurveCoefficients &c, const LineRecord &line,
                                     intersectionInfo *out)
{
    const QPointF e = line.direction;
    const double ee = dot(e, e);
    if (ee < kPointSize)
        return 0;
    const QPointF x[4] = {c.a0 - line.start, c.a1, c.a2, c.a3};
    double u[4], v[4];
    for (int k = 0; k < 4; ++k) {
        u[k] = dot(x[k], e) / ee;
        v[k] = x[k].y() * e.x() - x[k].x() * e.y();
    }
    const SortedRoots roots = sortedRoots(v[0], v[1], v[2], v[3]);
    int n = 0;
    for (int i = 0; i < roots.count; ++i) {
        const double t = roots.roots[i];
        if (!insideWithSlack(t))
            continue;
        const double along = ((u[3] * t + u[2]) * t + u[1]) * t + u[0];
        if (!insideWithSlack(along))
            continue;
        intersectionInfo r{t, along, 0, 0, 0, 0};
        aspectsOfRoot(v, t, roots.multiplicities[i], &r);
        out[n++] = r;
    }
    return n;
}

int intersectionsOfCurveWithItself(const CurveCoefficients &c, intersectionInfo *out)
{
    const QPointF a1 = c.a1, a2 = c.a2, a3 = c.a3;
    if (!(3 * a1.x() * a3.x() <= a2.x() * a2.x() && 3 * a1.y() * a3.y() <= a2.y() * a2.y()))
        return 0;
    const double cc = a3.x() * a1.y() - a1.x() * a3.y();
    const double dd = 2 * (a3.y() * a2.x() - a3.x() * a2.y());
    if (!(std::fabs(cc) < std::fabs(dd)))
        return 0;
    const double m = cc / dd;
    if (!(m >= 0))
        return 0;
    const double ee = 2 * (a1.x() * a2.y() - a2.x() * a1.y());
    const double r = -3 * m * m + ee / dd;
    if (!(r > 0))
        return 0;
    const double s = std::sqrt(r);
    if (!(s <= m && m + s <= 1))
        return 0;
    const int aspect = signOf(ee - 3 * cc * m - 3 * dd * r);
    *out = intersectionInfo{m - s, m + s, 0, 0, aspect, aspect};
    return 1;
}

int computeCurveSegments(const CurveCoefficients &c, curveSegment out[kMaxCurveSegments])
{
    double roots[4];
    int n = cubicDerivativeRoots(c.a1.x(), c.a2.x(), c.a3.x(), roots);
    n += cubicDerivativeRoots(c.a1.y(), c.a2.y(), c.a3.y(), roots + n);
    int count = 0;
    double s = 0;
    while (s < 1.0 && count < kMaxCurveSegments) {
        double cut = 1.0;
        for (int i = 0; i < n; ++i)
            if (roots[i] > s && roots[i] < cut)
                cut = roots[i];
        out[count++] = curveSegment{s, cut - s};
        s = cut;
    }
    return count;
}

int mergeIntersection(intersectionInfo *records, int existing, int added)
{
    const std::vector<intersectionInfo> old(records, records + existing);
    const std::vector<intersectionInfo> fresh(records + existing, records + existing + added);
    int i = 0, j = 0, n = 0;
    while (i < existing || j < added) {
        if (j < added && i < existing && sameRecord(old[i], fresh[j])) {
            ++j;
            continue;
        }
        if (j >= added || (i < existing && old[i].leftParameter <= fresh[j].leftParameter))
            records[n++] = old[i++];
        else
            records[n++] = fresh[j++];
    }
    return n;
}

intersectionInfo reversedIntersection(const intersectionInfo &r)
{
    intersectionInfo out{r.rightParameter,        r.leftParameter, r.rightParameterDistance,
                         r.leftParameterDistance, -r.firstAspect,  -r.secondAspect};
    if (r.rightParameterDistance < 0)
        std::swap(out.firstAspect, out.secondAspect);
    return out;
}
