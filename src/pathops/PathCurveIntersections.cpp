#include "pathops/PathCurveIntersections.h"

#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// Pieces smaller than this count as straight.
constexpr double kStraightPiece = 2e-05;
// Deep enough for pieces of curves a billion units long to become straight.
constexpr int kMaxHalvings = 40;
// Pairs of pieces looked at for one pair of curves: curves that run side by side within the
// grazing distance without sharing a stretch would otherwise be halved along their whole
// length.
constexpr int kMaxPiecePairs = 50000;
constexpr int kMaxWidenings = 1000;
// Curves this close run together; parameters this far past an end still count as inside.
constexpr double kGrazeDistance = 9.999999747378752e-05;
constexpr double kInsideSlack = 1e-10;
// A contact becomes a range only when the curves stay together at least this far (in units
// of the grazing distance), or to the end of one of them, and stay nearly as far together
// within a hundredth of that distance: curves that touch and part again stay together for a
// stretch that shrinks with the square root of the distance, a shared stretch does not.
constexpr double kMinimumRunLength = 100.0;
constexpr double kCloseDistance = kGrazeDistance / 100;
constexpr double kCloseRunShare = 0.5;
constexpr int kRunSteps = 256;
constexpr int kRunBisections = 40;
constexpr int kProjectionSteps = 12;
// The nearest approach of touching curves is looked for this far (in parameter) around a
// piece that comes close; tangents this close to parallel make a touch, and the sides are
// read this far before and after it.
constexpr double kTouchBracket = 1e-2;
constexpr int kTouchSearchSteps = 60;
constexpr double kTouchSine = 1e-3;
constexpr double kTouchSide = 1e-3;
// Records closer than this on both curves describe one contact.
constexpr double kSameContact = 1e-7;

void reportAssertion(const char *signature, int line)
{
    REPORT_FATAL_NAMED(signature);
    platform::Log(
        QStringLiteral("%1 [Line %2] ERROR ASSERT").arg(QLatin1String(signature)).arg(line));
}

#define PELKO_REPORT_ASSERTION() reportAssertion(Q_FUNC_INFO, __LINE__)

double length(QPointF p)
{
    return std::hypot(p.x(), p.y());
}

struct Piece
{
    CurveCoefficients b;
    QPointF from, to;
    double measure = 0;
};

// The curve on its window, re-expressed over [0, 1].
Piece pieceOf(const CurveCoefficients &a, curveSegment w)
{
    const double s = w.start, l = w.length;
    Piece p;
    p.b.a0 = EvaluateCurve(a, s);
    p.b.a1 = l * (a.a1 + 2 * s * a.a2 + 3 * s * s * a.a3);
    p.b.a2 = l * l * (a.a2 + 3 * s * a.a3);
    p.b.a3 = l * l * l * a.a3;
    p.from = p.b.a0;
    p.to = p.b.a0 + p.b.a1 + p.b.a2 + p.b.a3;
    // A quarter of the tangent lengths at both ends: half the chord for a straight piece.
    p.measure = 0.25 * (length(p.b.a1) + length(p.b.a1 + 2 * p.b.a2 + 3 * p.b.a3));
    return p;
}

// Boxes within the grazing distance meet: curves that touch without crossing are looked at.
bool boxesMeet(const Piece &l, const Piece &r)
{
    const auto lo = [](double a, double b) { return std::min(a, b) - kGrazeDistance / 2; };
    const auto hi = [](double a, double b) { return std::max(a, b) + kGrazeDistance / 2; };
    return lo(l.from.x(), l.to.x()) <= hi(r.from.x(), r.to.x()) &&
           lo(r.from.x(), r.to.x()) <= hi(l.from.x(), l.to.x()) &&
           lo(l.from.y(), l.to.y()) <= hi(r.from.y(), r.to.y()) &&
           lo(r.from.y(), r.to.y()) <= hi(l.from.y(), l.to.y());
}

double rangeLow(double start, double distance)
{
    return distance < 0 ? start + distance : start;
}

double rangeHigh(double start, double distance)
{
    return distance < 0 ? start : start + distance;
}

bool rangeCovers(double start, double distance, curveSegment w)
{
    if (w.length < 0)
        PELKO_REPORT_ASSERTION();
    if (distance == 0)
        return w.length == 0 && w.start == start;
    return rangeLow(start, distance) <= w.start && w.start + w.length <= rangeHigh(start, distance);
}

bool windowsCovered(const IntersectionRecords &out, int n, curveSegment l, curveSegment r)
{
    bool left = false, right = false;
    for (int i = 0; i < n; ++i) {
        left = left || rangeCovers(out[i].leftParameter, out[i].leftParameterDistance, l);
        right = right || rangeCovers(out[i].rightParameter, out[i].rightParameterDistance, r);
    }
    return left && right;
}

// The parameter of the point of the curve nearest p, by Newton steps from t.
double projectOnto(const CurveCoefficients &c, QPointF p, double t)
{
    for (int i = 0; i < kProjectionSteps; ++i) {
        const QPointF off = EvaluateCurve(c, t) - p;
        const QPointF d1 = CurveDerivative(c, t);
        const QPointF d2 = 2 * c.a2 + 6 * t * c.a3;
        const double f = off.x() * d1.x() + off.y() * d1.y();
        const double fp = d1.x() * d1.x() + d1.y() * d1.y() + off.x() * d2.x() + off.y() * d2.y();
        if (!(fp > 0))
            break;
        const double next = std::clamp(t - f / fp, -kInsideSlack, 1 + kInsideSlack);
        if (next == t)
            break;
        t = next;
    }
    return t;
}

// The left curve at `t` lies within the grazing distance of the right curve, near `u`;
// `u` follows.
bool together(const CurveCoefficients &l, const CurveCoefficients &r, double t, double *u,
              double distance)
{
    const QPointF p = EvaluateCurve(l, t);
    const double v = projectOnto(r, p, *u);
    if (length(EvaluateCurve(r, v) - p) > distance)
        return false;
    *u = v;
    return true;
}

// How far (in the left curve's parameter, towards `direction`) the curves stay together from
// the contact at (t, u); `uEnd` receives the right parameter there.
double runTogether(const CurveCoefficients &l, const CurveCoefficients &r, double t, double u,
                   int direction, double *uEnd, double distance = kGrazeDistance)
{
    const double room = direction > 0 ? 1 - t : t;
    double reached = 0;
    *uEnd = u;
    for (int k = 1; k <= kRunSteps; ++k) {
        const double step = room * k / kRunSteps;
        double v = *uEnd;
        if (together(l, r, t + direction * step, &v, distance)) {
            reached = step;
            *uEnd = v;
            continue;
        }
        double lo = reached, hi = step;
        for (int i = 0; i < kRunBisections; ++i) {
            const double mid = (lo + hi) / 2;
            double w = *uEnd;
            if (together(l, r, t + direction * mid, &w, distance)) {
                lo = mid;
                *uEnd = w;
            } else {
                hi = mid;
            }
        }
        return lo;
    }
    return reached;
}

// A contact where the curves run together becomes the range they share, with aspects 0.
intersectionInfo widenGrazing(const CurveCoefficients &l, const CurveCoefficients &r,
                              const intersectionInfo &contact)
{
    const double t = contact.leftParameter, u = contact.rightParameter;
    double uAfter = u, uBefore = u;
    const double after = runTogether(l, r, t, u, 1, &uAfter);
    const double before = runTogether(l, r, t, u, -1, &uBefore);
    const double t0 = t - before, t1 = t + after;
    const QPointF run = EvaluateCurve(l, t1) - EvaluateCurve(l, t0);
    const bool reachesEnd = t0 <= kInsideSlack || t1 >= 1 - kInsideSlack ||
                            std::min(uBefore, uAfter) <= kInsideSlack ||
                            std::max(uBefore, uAfter) >= 1 - kInsideSlack;
    const double runLength = length(run);
    if (runLength < kMinimumRunLength * kGrazeDistance &&
        !(reachesEnd && runLength > 0 && t1 - t0 > kSameContact))
        return contact;
    double ignored = u;
    const double closeRun = runTogether(l, r, t, u, 1, &ignored, kCloseDistance) +
                            runTogether(l, r, t, u, -1, &ignored, kCloseDistance);
    if (closeRun < kCloseRunShare * (t1 - t0))
        return contact;
    return intersectionInfo{t0, uBefore, t1 - t0, uAfter - uBefore, 0, 0};
}

bool insideRanges(const intersectionInfo &range, const intersectionInfo &point)
{
    if (range.leftParameterDistance == 0)
        return false;
    return rangeLow(range.leftParameter, range.leftParameterDistance) - kSameContact <=
               point.leftParameter &&
           point.leftParameter <=
               rangeHigh(range.leftParameter, range.leftParameterDistance) + kSameContact &&
           rangeLow(range.rightParameter, range.rightParameterDistance) - kSameContact <=
               point.rightParameter &&
           point.rightParameter <=
               rangeHigh(range.rightParameter, range.rightParameterDistance) + kSameContact;
}

// Where two pieces come within the grazing distance without crossing: the nearest approach
// of the curves around the left window, a touch when their tangents are parallel there.
std::optional<intersectionInfo> touchNear(const CurveCoefficients &l, const CurveCoefficients &r,
                                          curveSegment wl, curveSegment wr)
{
    const double centre = wl.start + wl.length / 2;
    const double from = std::max(0.0, centre - kTouchBracket);
    const double to = std::min(1.0, centre + kTouchBracket);
    double lo = from, hi = to;
    const double uStart = wr.start + wr.length / 2;
    auto gap = [&](double s, double *u) {
        *u = projectOnto(r, EvaluateCurve(l, s), uStart);
        return length(EvaluateCurve(l, s) - EvaluateCurve(r, *u));
    };
    constexpr double golden = 0.6180339887498949;
    double u = uStart;
    for (int i = 0; i < kTouchSearchSteps; ++i) {
        const double a = hi - golden * (hi - lo), b = lo + golden * (hi - lo);
        double ua, ub;
        if (gap(a, &ua) < gap(b, &ub))
            hi = b;
        else
            lo = a;
    }
    const double s = (lo + hi) / 2;
    // A nearest approach at the bracket's end lies outside it: another piece finds it.
    const double edge = 1e-6 * (to - from);
    const bool inside = (s - from > edge || from == 0) && (to - s > edge || to == 1);
    if (!inside || gap(s, &u) > kGrazeDistance || u < 0 || u > 1)
        return std::nullopt;
    const QPointF tangent = CurveDerivative(l, s);
    const QPointF other = CurveDerivative(r, u);
    const double sine =
        (tangent.x() * other.y() - tangent.y() * other.x()) / (length(tangent) * length(other));
    if (!(std::fabs(sine) < kTouchSine))
        return std::nullopt;
    const auto side = [&](double v) {
        const QPointF d = CurveDerivative(r, std::clamp(v, 0.0, 1.0));
        const double c = tangent.x() * d.y() - tangent.y() * d.x();
        return c > 0 ? 1 : (c < 0 ? -1 : 0);
    };
    return intersectionInfo{s, u, 0, 0, side(u - kTouchSide), side(u + kTouchSide)};
}

bool nearExisting(const IntersectionRecords &out, int n, curveSegment wl)
{
    for (int i = 0; i < n; ++i)
        if (std::fabs(out[i].leftParameter - (wl.start + wl.length / 2)) < kTouchBracket)
            return true;
    return false;
}

// What is left to spend on one pair of curves; a full output is reported once. Curves that
// approach each other along a tangent offer a contact in every piece near it; only so many
// are tried for a shared stretch.
struct Work
{
    int pairsLeft = kMaxPiecePairs;
    int widensLeft = kMaxWidenings;
    bool fullReported = false;
};

// Records of the two straightest pieces, mapped back into the curves' full ranges. A contact
// inside a stretch already found is not widened again: it joins that stretch.
int crossStraightPiece(const CurveCoefficients &left, const CurveCoefficients &right,
                       const Piece &pl, const Piece &pr, curveSegment wl, curveSegment wr,
                       const IntersectionRecords &out, int existing, Work &work,
                       intersectionInfo found[3])
{
    int n;
    if (pl.measure <= pr.measure) {
        n = intersectionsBetweenCurveAndLine(pr.b, LineRecord{pl.from, pl.to - pl.from}, found);
        for (int i = 0; i < n; ++i)
            found[i] = reversedIntersection(found[i]);
    } else {
        n = intersectionsBetweenCurveAndLine(pl.b, LineRecord{pr.from, pr.to - pr.from}, found);
    }
    for (int i = 0; i < n; ++i) {
        found[i].leftParameter =
            std::clamp(wl.start + found[i].leftParameter * wl.length, 0.0, 1.0);
        found[i].rightParameter =
            std::clamp(wr.start + found[i].rightParameter * wr.length, 0.0, 1.0);
        bool known = false;
        for (int k = 0; k < existing && !known; ++k)
            known = insideRanges(out[k], found[i]);
        if (!known && work.widensLeft > 0) {
            --work.widensLeft;
            found[i] = widenGrazing(left, right, found[i]);
        }
    }
    return n;
}

int addRecords(IntersectionRecords &out, int existing, const intersectionInfo *added, int count,
               Work &work)
{
    int n = 0;
    for (int i = 0; i < count; ++i) {
        bool absorbed = false;
        for (int k = 0; k < existing; ++k)
            absorbed = absorbed || insideRanges(out[k], added[i]);
        if (absorbed)
            continue;
        if (existing + n >= kMaxIntersectionsPerPair) {
            if (!work.fullReported)
                PELKO_REPORT_ASSERTION();
            work.fullReported = true;
            break;
        }
        out[existing + n++] = added[i];
    }
    return mergeIntersection(out.data(), existing, n);
}

int monotonicPieces(const CurveCoefficients &left, const CurveCoefficients &right, curveSegment wl,
                    curveSegment wr, IntersectionRecords &out, int n, int depth, Work &work)
{
    if (work.pairsLeft <= 0 || windowsCovered(out, n, wl, wr))
        return n;
    if (--work.pairsLeft == 0)
        PELKO_REPORT_ASSERTION();
    const Piece pl = pieceOf(left, wl), pr = pieceOf(right, wr);
    if (!boxesMeet(pl, pr))
        return n;
    if (pl.measure >= kStraightPiece && pr.measure >= kStraightPiece && depth < kMaxHalvings) {
        const double hl = wl.length / 2, hr = wr.length / 2;
        const curveSegment lHalves[2] = {{wl.start, hl}, {wl.start + hl, hl}};
        const curveSegment rHalves[2] = {{wr.start, hr}, {wr.start + hr, hr}};
        for (const curveSegment &a : lHalves)
            for (const curveSegment &b : rHalves)
                n = monotonicPieces(left, right, a, b, out, n, depth + 1, work);
        return n;
    }
    intersectionInfo found[3];
    int count = crossStraightPiece(left, right, pl, pr, wl, wr, out, n, work, found);
    if (count == 0 && !nearExisting(out, n, wl)) {
        if (const auto touch = touchNear(left, right, wl, wr))
            found[count++] = *touch;
    }
    return addRecords(out, n, found, count, work);
}

bool rangesTouch(double a, double da, double b, double db)
{
    return rangeLow(a, da) <= rangeHigh(b, db) + kSameContact &&
           rangeLow(b, db) <= rangeHigh(a, da) + kSameContact;
}

// Record i takes in record j: the union of both ranges, keeping i's right direction.
void join(intersectionInfo &i, const intersectionInfo &j)
{
    const double l0 = std::min(i.leftParameter, j.leftParameter);
    const double l1 = std::max(i.leftParameter + i.leftParameterDistance,
                               j.leftParameter + j.leftParameterDistance);
    const bool backwards = std::signbit(i.rightParameterDistance);
    const double r0 = std::min(rangeLow(i.rightParameter, i.rightParameterDistance),
                               rangeLow(j.rightParameter, j.rightParameterDistance));
    const double r1 = std::max(rangeHigh(i.rightParameter, i.rightParameterDistance),
                               rangeHigh(j.rightParameter, j.rightParameterDistance));
    const double iBegin = i.rightParameter;
    const double iEnd = i.rightParameter + i.rightParameterDistance;
    const double jBegin = j.rightParameter;
    const double jEnd = j.rightParameter + j.rightParameterDistance;
    if (backwards ? jBegin > iBegin : jBegin < iBegin)
        i.firstAspect = j.firstAspect;
    if (backwards ? jEnd < iEnd : jEnd > iEnd)
        i.secondAspect = j.secondAspect;
    i.leftParameter = l0;
    i.leftParameterDistance = l1 - l0;
    i.rightParameter = backwards ? r1 : r0;
    i.rightParameterDistance = backwards ? r0 - r1 : r1 - r0;
}

int joinContacts(IntersectionRecords &out, int n)
{
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n;) {
            if (out[j].leftParameter >
                out[i].leftParameter + out[i].leftParameterDistance + kSameContact)
                break;
            const bool sameWay = std::signbit(out[i].rightParameterDistance) ==
                                 std::signbit(out[j].rightParameterDistance);
            const bool inside = insideRanges(out[i], out[j]);
            if (inside ||
                (sameWay && rangesTouch(out[i].rightParameter, out[i].rightParameterDistance,
                                        out[j].rightParameter, out[j].rightParameterDistance))) {
                if (!inside)
                    join(out[i], out[j]);
                std::copy(out.begin() + j + 1, out.begin() + n, out.begin() + j);
                --n;
            } else {
                ++j;
            }
        }
    }
    return n;
}

} // namespace

int intersectionsBetweenCurveAndCurveMonotonic(const CurveCoefficients &left,
                                               const CurveCoefficients &right,
                                               curveSegment leftWindow, curveSegment rightWindow,
                                               IntersectionRecords &out, int existing)
{
    Work work;
    return monotonicPieces(left, right, leftWindow, rightWindow, out, existing, 0, work);
}

int intersectionsBetweenCurveAndCurve(const CurveCoefficients &left, const CurveCoefficients &right,
                                      IntersectionRecords &out)
{
    curveSegment lw[kMaxCurveSegments], rw[kMaxCurveSegments];
    const int nl = computeCurveSegments(left, lw);
    const int nr = computeCurveSegments(right, rw);
    int n = 0;
    // One budget for the whole pair, whatever the number of windows.
    Work work;
    for (int i = 0; i < nl; ++i)
        for (int j = 0; j < nr; ++j)
            n = monotonicPieces(left, right, lw[i], rw[j], out, n, 0, work);
    return joinContacts(out, n);
}
