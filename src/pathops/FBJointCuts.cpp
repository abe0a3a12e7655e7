#include "pathops/FBJointCuts.h"

#include "pathops/FBContourPairs.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBCurveStretch.h"
#include "pathops/FBGeometry.h"
#include "pathops/FBHitMeasures.h"
#include "pathops/FBTolerances.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// Curves whose directions part by a sine under this run along each other at a joint.
constexpr double kRunSine = FBTol_CutRunSine;

// The direction a curve leaves its end at `end` (0 or 1) in: the first control point distinct
// from the end gives it.
QPointF directionFromEnd(const FBBezierCurve &curve, double end)
{
    const std::array<QPointF, 4> p = curve.points();
    const QPointF from = end == 0.0 ? p[0] : p[3];
    const std::array<QPointF, 3> inward = end == 0.0 ? std::array<QPointF, 3>{p[1], p[2], p[3]}
                                                     : std::array<QPointF, 3>{p[2], p[1], p[0]};
    for (QPointF q : inward) {
        if (q != from)
            return FBGeom_NormalizeVector(FBGeom_SubtractPoints(q, from));
    }
    return QPointF();
}

double sine(QPointF a, QPointF b)
{
    return std::abs(a.x() * b.y() - a.y() * b.x());
}

double sizeOf(const QRectF &box)
{
    return std::max(box.width(), box.height());
}

// The signed curvature of a curve at `t` (nothing where it has no direction).
std::optional<double> curvatureAt(const FBBezierCurve &curve, double t)
{
    const std::array<QPointF, 3> d1 = FBCurve_Derivative(curve.points());
    const std::array<QPointF, 2> d2 = FBCurve_Derivative(d1);
    const QPointF v = FBCurve_DeCasteljau(d1, t);
    const QPointF a = FBCurve_DeCasteljau(d2, t);
    const double speed = std::hypot(v.x(), v.y());
    if (!(speed > 0))
        return std::nullopt;
    return (v.x() * a.y() - v.y() * a.x()) / (speed * speed * speed);
}

// Whether `other` leaves the joint at its end `end` along our curve at `t`: its direction there
// parts from ours by a sine under kRunSine, and it bends alike (curvatures apart by less than a
// quarter of the inverse of the smaller curve's size). A curve that only touches ours there (a
// circle on a line) bends otherwise.
bool leavesAlong(const FBBezierCurve &other, double end, const FBBezierCurve &curve, double t)
{
    constexpr double BendShare = FBTol_CutBendShare;
    const QPointF along =
        FBGeom_NormalizeVector(FBCurve_DeCasteljau(FBCurve_Derivative(curve.points()), t));
    const QPointF leaving = directionFromEnd(other, end);
    if (!(sine(along, leaving) < kRunSine))
        return false;
    const std::optional<double> ours = curvatureAt(curve, t);
    std::optional<double> theirs = curvatureAt(other, end);
    if (!ours || !theirs)
        return true;
    // Curvature is signed along the direction of travel; leaving the start runs with the curve,
    // and the other way along ours flips the sign.
    const double way =
        (end == 0.0 ? 1.0 : -1.0) * (FBGeom_DotProduct(along, leaving) >= 0 ? 1.0 : -1.0);
    const double size = std::min(sizeOf(curve.bounds()), sizeOf(other.bounds()));
    return std::abs(*ours - way * *theirs) * size <= BendShare;
}

// A joint of the other outline lying on one of our edges, where the two outlines run along each
// other: where it may cut our edge.
struct Candidate
{
    QPointF joint;
    double t = 0.0;
    // The distance from the joint to the nearer end of our curve, and whether that is its start.
    double toEnd = 0.0;
    bool atStart = false;
    // The other's edges at the joint: the one running on along our curve away from that end,
    // the other running back over it; whether the joint is the first one's start.
    const FBContourEdge *runsOn = nullptr;
    const FBContourEdge *runsBack = nullptr;
    bool jointStartsRunsOn = false;
};

using Candidates = std::unordered_map<const FBContourEdge *, std::vector<Candidate>>;

// Where a joint of the other outline (its point, and the other's edges meeting there, `first`
// leaving it from its start and `second` arriving at its end) lies on our edge: the parameter of
// the point of our curve the joint lies on, within the stretch tolerance, with one of the
// other's curves leaving it along our outline, unless both are straight lines.
std::optional<Candidate> candidateAt(const FBContourEdge &ours, QPointF joint,
                                     const FBContourEdge &first, const FBContourEdge &second,
                                     double tolerance)
{
    const FBBezierCurve &curve = *ours.curve();
    const QRectF box = curve.bounds().adjusted(-tolerance, -tolerance, tolerance, tolerance);
    if (!(joint.x() >= box.left() && joint.x() <= box.right() && joint.y() >= box.top() &&
          joint.y() <= box.bottom()))
        return std::nullopt;
    // Nor can a joint farther than the tolerance from the hulls of our curve's pieces.
    if (FBCurve_FartherThan(curve.points(), joint, tolerance))
        return std::nullopt;
    const double t = FBJointCuts_Nearest(curve, joint);
    if (!(t > 0.0 && t < 1.0) ||
        !(FBGeom_PointDistance(curve.pointAtParameter(t), joint) <= tolerance))
        return std::nullopt;
    // A straight line running along a straight line of ours is found as one exactly wherever
    // its joints lie; cutting ours there only puts a joint a few digits off the other's.
    auto cuts = [&](const FBBezierCurve &other, double end) {
        return !(curve.isStraightLine() && other.isStraightLine()) &&
               leavesAlong(other, end, curve, t);
    };
    if (!cuts(*first.curve(), 0.0) && !cuts(*second.curve(), 1.0))
        return std::nullopt;
    Candidate candidate;
    candidate.joint = joint;
    candidate.t = t;
    const double toStart = FBGeom_PointDistance(joint, curve.endPoint1());
    const double toStop = FBGeom_PointDistance(joint, curve.endPoint2());
    candidate.atStart = toStart <= toStop;
    candidate.toEnd = std::min(toStart, toStop);
    const QPointF along =
        FBGeom_NormalizeVector(FBCurve_DeCasteljau(FBCurve_Derivative(curve.points()), t));
    const QPointF away = candidate.atStart ? along : -along;
    candidate.jointStartsRunsOn = FBGeom_DotProduct(directionFromEnd(*first.curve(), 0.0), away) >=
                                  FBGeom_DotProduct(directionFromEnd(*second.curve(), 1.0), away);
    candidate.runsOn = candidate.jointStartsRunsOn ? &first : &second;
    candidate.runsBack = candidate.jointStartsRunsOn ? &second : &first;
    return candidate;
}

// The candidates the joints at both ends of `theirs` make in `ours`.
void addCandidatesOf(const FBContourEdge &ours, const FBContourEdge &theirs, Candidates &candidates)
{
    const FBBezierCurve &curve = *ours.curve();
    const FBBezierCurve &other = *theirs.curve();
    if (curve.isPoint() || other.isPoint())
        return;
    const double tolerance =
        FBCurveStretchTolerance * FBCurves_PairSize(curve.bounds(), other.bounds());
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        return;
    if (const auto c = candidateAt(ours, other.endPoint1(), theirs, *theirs.previous(), tolerance))
        candidates[&ours].push_back(*c);
    if (const auto c = candidateAt(ours, other.endPoint2(), *theirs.next(), theirs, tolerance))
        candidates[&ours].push_back(*c);
}

// The box of the piece of `edge` that runs from its end (its start or its stop) to the nearest
// of the edge's candidates lying farther than `clear` from that end: the piece the stretch
// search meets there, whatever the candidates closer to the end become.
QRectF pieceBox(const FBContourEdge &edge, bool fromStart, double clear,
                const Candidates &candidates)
{
    const FBBezierCurve &curve = *edge.curve();
    const QPointF end = fromStart ? curve.endPoint1() : curve.endPoint2();
    double to = fromStart ? 1.0 : 0.0;
    if (const auto found = candidates.find(&edge); found != candidates.end()) {
        for (const Candidate &c : found->second) {
            if (FBGeom_PointDistance(c.joint, end) > clear)
                to = fromStart ? std::min(to, c.t) : std::max(to, c.t);
        }
    }
    if (to == (fromStart ? 1.0 : 0.0))
        return curve.bounds();
    return curve
        .subcurveWithRange(fromStart ? FBGeom_MakeRange(0.0, to) : FBGeom_MakeRange(to, 1.0))
        ->bounds();
}

// Whether a joint of the other outline cuts our edge, judged alike from both sides. The joint
// lies near the end of ours, our joint there on the other's edge that runs back over it. Uncut,
// our edge's stretch with the other's edge running on from its joint starts at our end only
// where the stretch search snaps the joint onto that end, within its tolerance for those two
// pieces; and the other's edge running back ends at its joint only where the search snaps ours
// for it and our edge beside. Farther apart, each side is cut at the other's joint, so that the
// short piece between the joints meets its twin; one side cut and the other not would leave a
// piece that no stretch covers. The four pieces are bounded by the farther candidates, which
// both sides see alike.
bool isCut(const FBContourEdge &ours, const Candidate &c, const Candidates &candidates)
{
    const FBContourEdge &beside = c.atStart ? *ours.previous() : *ours.next();
    auto tolerance = [](const QRectF &a, const QRectF &b) {
        return FBCurveStretchTolerance * FBCurves_PairSize(a, b);
    };
    // The pieces are parts of the whole curves, whose tolerance bounds theirs.
    const double wholeReach =
        std::min(tolerance(ours.curve()->bounds(), c.runsOn->curve()->bounds()),
                 tolerance(beside.curve()->bounds(), c.runsBack->curve()->bounds()));
    if (c.toEnd > wholeReach)
        return true;
    const double clear = 2 * c.toEnd;
    const double reach =
        std::min(tolerance(pieceBox(ours, c.atStart, clear, candidates),
                           pieceBox(*c.runsOn, c.jointStartsRunsOn, clear, candidates)),
                 tolerance(pieceBox(beside, !c.atStart, clear, candidates),
                           pieceBox(*c.runsBack, !c.jointStartsRunsOn, clear, candidates)));
    return c.toEnd > reach;
}

// How near, as a share of the cut curve's size, two cuts are one.
constexpr double kSameCutShare = FBTol_SameCut;

using Cuts = std::unordered_map<const FBContourEdge *, std::vector<double>>;

// A copy of the contour with its edges cut at their parameters in `cuts`; nullptr when none of
// its edges is cut. Cuts that fall together to within rounding are one cut; any farther apart
// are kept, since the piece between them meets a piece of the other outline just as short.
FBBezierContourPtr cutContour(const FBBezierContour &contour, Cuts &cuts,
                              std::vector<FBJointCut> &made)
{
    bool any = false;
    for (const auto &edge : contour.edges())
        any = any || cuts.contains(edge.get());
    if (!any)
        return nullptr;
    const auto copy = std::make_shared<FBBezierContour>();
    for (const auto &edge : contour.edges()) {
        const auto found = cuts.find(edge.get());
        if (found == cuts.end()) {
            copy->addCurve(edge->curve());
            continue;
        }
        std::vector<double> &at = found->second;
        std::sort(at.begin(), at.end());
        const FBBezierCurve &curve = *edge->curve();
        const double apart = kSameCutShare * sizeOf(curve.bounds());
        FBBezierCurvePtr rest = edge->curve();
        double done = 0.0;
        QPointF last = curve.endPoint1();
        for (double t : at) {
            const QPointF point = curve.pointAtParameter(t);
            if (FBGeom_PointDistance(point, last) <= apart ||
                FBGeom_PointDistance(point, curve.endPoint2()) <= apart)
                continue;
            const std::array<FBBezierCurvePtr, 2> pieces =
                rest->splitCurveAtParameter((t - done) / (1.0 - done));
            copy->addCurve(pieces[0]);
            made.push_back({pieces[0]->endPoint2(), edge->curve(), t});
            rest = pieces[1];
            done = t;
            last = point;
        }
        copy->addCurve(rest);
    }
    copy->setInside(contour.inside());
    return copy;
}

// How near, as a share of the cut curve's size, a point must lie to it to be on it.
constexpr double kOnCurveShare = FBTol_OnCurve;

// The cuts sorted by x, to be looked up by point.
class CutIndex
{
public:
    explicit CutIndex(const std::vector<FBJointCut> &made) : mCuts(made)
    {
        std::sort(mCuts.begin(), mCuts.end(), [](const FBJointCut &a, const FBJointCut &b) {
            return a.point.x() < b.point.x();
        });
        for (const FBJointCut &cut : mCuts)
            mReach = std::max(mReach, kOnCurveShare * sizeOf(cut.curve->bounds()));
    }

    // The piece of a cut curve that `a` followed by `b` make up, where they meet at a cut and
    // both lie on the curve cut there; nullptr otherwise.
    FBBezierCurvePtr join(const FBBezierCurve &a, const FBBezierCurve &b) const
    {
        const QPointF at = a.endPoint2();
        if (a.isPoint() || b.isPoint() || !(FBGeom_PointDistance(at, b.endPoint1()) <= mReach))
            return nullptr;
        auto it =
            std::lower_bound(mCuts.begin(), mCuts.end(), at.x() - mReach,
                             [](const FBJointCut &cut, double x) { return cut.point.x() < x; });
        for (; it != mCuts.end() && it->point.x() <= at.x() + mReach; ++it) {
            if (FBBezierCurvePtr joined = joinAt(*it, a, b))
                return joined;
        }
        return nullptr;
    }

    bool empty() const { return mCuts.empty(); }

private:
    static FBBezierCurvePtr joinAt(const FBJointCut &cut, const FBBezierCurve &a,
                                   const FBBezierCurve &b)
    {
        const FBBezierCurve &curve = *cut.curve;
        const double reach = kOnCurveShare * sizeOf(curve.bounds());
        if (!(FBGeom_PointDistance(cut.point, a.endPoint2()) <= reach))
            return nullptr;
        auto on = [&](QPointF point, double &t) {
            t = FBJointCuts_Nearest(curve, point);
            return FBGeom_PointDistance(curve.pointAtParameter(t), point) <= reach;
        };
        double ta = 0, tb = 0, ma = 0, mb = 0;
        if (!on(a.endPoint1(), ta) || !on(b.endPoint2(), tb) || !on(a.pointAtParameter(0.5), ma) ||
            !on(b.pointAtParameter(0.5), mb))
            return nullptr;
        // Both run the same way along the curve, one on each side of the cut.
        const bool forward = ta < ma && ma < cut.t && cut.t < mb && mb < tb;
        const bool backward = ta > ma && ma > cut.t && cut.t > mb && mb > tb;
        if (!forward && !backward)
            return nullptr;
        FBBezierCurvePtr joined;
        if (forward)
            joined = ta == 0.0 && tb == 1.0 ? cut.curve : curve.subcurveWithRange({ta, tb});
        else
            joined = tb == 0.0 && ta == 1.0 ? curve.reversedCurve()
                                            : curve.subcurveWithRange({tb, ta})->reversedCurve();
        return joined->curveWithEndPoints(a.endPoint1(), b.endPoint2());
    }

    std::vector<FBJointCut> mCuts;
    double mReach = 0.0;
};

} // namespace

std::vector<FBBezierContourPtr> FBJointCuts_Rejoin(const std::vector<FBBezierContourPtr> &contours,
                                                   const std::vector<FBJointCut> &made)
{
    if (made.empty())
        return contours;
    const CutIndex index(made);
    std::vector<FBBezierContourPtr> result;
    result.reserve(contours.size());
    for (const FBBezierContourPtr &contour : contours) {
        const auto &edges = contour->edges();
        std::vector<FBBezierCurvePtr> curves;
        curves.reserve(edges.size());
        bool joinedAny = false;
        for (const auto &edge : edges) {
            if (!curves.empty()) {
                if (FBBezierCurvePtr joined = index.join(*curves.back(), *edge->curve())) {
                    curves.back() = joined;
                    joinedAny = true;
                    continue;
                }
            }
            curves.push_back(edge->curve());
        }
        // Round the contour's start.
        while (curves.size() > 1) {
            FBBezierCurvePtr joined = index.join(*curves.back(), *curves.front());
            if (!joined)
                break;
            curves.front() = joined;
            curves.pop_back();
            joinedAny = true;
        }
        if (!joinedAny) {
            result.push_back(contour);
            continue;
        }
        const auto rejoined = std::make_shared<FBBezierContour>();
        for (const FBBezierCurvePtr &curve : curves)
            rejoined->addCurve(curve);
        rejoined->setInside(contour->inside());
        result.push_back(rejoined);
    }
    return result;
}

double FBJointCuts_Nearest(const FBBezierCurve &curve, QPointF point)
{
    constexpr int Samples = 16;
    double best = 0.0;
    double bestDistance = INFINITY;
    for (int k = 0; k <= Samples; ++k) {
        const double t = double(k) / Samples;
        const double d = FBGeom_PointDistance(curve.pointAtParameter(t), point);
        if (d < bestDistance) {
            bestDistance = d;
            best = t;
        }
    }
    // By thirds: the distance along one sample step either side has a single low point for
    // any curve without a loop that tight.
    double low = std::max(0.0, best - 1.0 / Samples), high = std::min(1.0, best + 1.0 / Samples);
    for (int i = 0; i < 24; ++i) {
        const double a = low + (high - low) / 3, b = high - (high - low) / 3;
        if (FBGeom_PointDistance(curve.pointAtParameter(a), point) <
            FBGeom_PointDistance(curve.pointAtParameter(b), point))
            high = b;
        else
            low = a;
    }
    double t = (low + high) / 2;
    double distance = FBGeom_PointDistance(curve.pointAtParameter(t), point);
    if (distance < bestDistance) {
        best = t;
        bestDistance = distance;
    }
    for (int i = 0; i < 4; ++i) {
        const double next = curve.refineParameter(t, point);
        if (!std::isfinite(next))
            break;
        t = std::clamp(next, 0.0, 1.0);
        distance = FBGeom_PointDistance(curve.pointAtParameter(t), point);
        if (distance < bestDistance) {
            best = t;
            bestDistance = distance;
        }
    }
    return best;
}

void FBJointCuts_Cut(const std::vector<FBBezierContourPtr> &ours,
                     const std::vector<FBBezierContourPtr> &theirs,
                     const std::vector<FBContourEdgePair> &pairs,
                     std::vector<FBBezierContourPtr> &cutOurs,
                     std::vector<FBBezierContourPtr> &cutTheirs, std::vector<FBJointCut> &made)
{
    Candidates candidates;
    for (const FBContourEdgePair &pair : pairs) {
        const FBContourEdge &ourEdge = *ours[pair.contour1]->edges()[pair.edge1];
        const FBContourEdge &theirEdge = *theirs[pair.contour2]->edges()[pair.edge2];
        addCandidatesOf(ourEdge, theirEdge, candidates);
        addCandidatesOf(theirEdge, ourEdge, candidates);
    }
    Cuts cuts;
    for (const auto &[edge, onEdge] : candidates) {
        for (const Candidate &c : onEdge) {
            if (isCut(*edge, c, candidates))
                cuts[edge].push_back(c.t);
        }
    }
    cutOurs.clear();
    cutTheirs.clear();
    if (cuts.empty()) {
        cutOurs.resize(ours.size());
        cutTheirs.resize(theirs.size());
        return;
    }
    for (const FBBezierContourPtr &contour : ours)
        cutOurs.push_back(cutContour(*contour, cuts, made));
    for (const FBBezierContourPtr &contour : theirs)
        cutTheirs.push_back(cutContour(*contour, cuts, made));
}
