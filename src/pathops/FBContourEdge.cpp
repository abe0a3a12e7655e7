#include "pathops/FBContourEdge.h"

#include "pathops/FBBezierContour.h"
#include "pathops/FBEdgeOverlapRun.h"
#include "pathops/FBHitMeasures.h"
#include "pathops/FBTolerances.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <unordered_set>

FBContourEdge::FBContourEdge(FBBezierCurvePtr curve, FBBezierContour *contour)
    : mCurve(std::move(curve)), mContour(contour)
{}

void FBContourEdge::addCrossing(const FBEdgeCrossingPtr &crossing)
{
    crossing->setEdge(this);
    // One after the last in order (equal orders keep the order they came in) stays sorted.
    const bool inOrder =
        !mUnsorted && (mCrossings.empty() || !(crossing->order() < mCrossings.back()->order()));
    mCrossings.push_back(crossing);
    if (inOrder)
        crossing->setIndex(qsizetype(mCrossings.size()) - 1);
    else
        mUnsorted = true;
}

void FBContourEdge::removeCrossing(FBEdgeCrossing *crossing)
{
    const auto it =
        std::find_if(mCrossings.begin(), mCrossings.end(),
                     [crossing](const FBEdgeCrossingPtr &c) { return c.get() == crossing; });
    if (it == mCrossings.end())
        return;
    // Keep it alive until it has let go of this edge.
    const FBEdgeCrossingPtr keep = *it;
    keep->setEdge(nullptr);
    const size_t at = size_t(it - mCrossings.begin());
    mCrossings.erase(it);
    if (!mUnsorted) {
        for (size_t i = at; i < mCrossings.size(); ++i)
            mCrossings[i]->setIndex(qsizetype(i));
    }
}

void FBContourEdge::sortCrossings() const
{
    std::stable_sort(mCrossings.begin(), mCrossings.end(),
                     [](const FBEdgeCrossingPtr &a, const FBEdgeCrossingPtr &b) {
                         return a->order() < b->order();
                     });
    for (size_t i = 0; i < mCrossings.size(); ++i)
        mCrossings[i]->setIndex(qsizetype(i));
    mUnsorted = false;
}

void FBContourEdge::removeAllCrossings()
{
    mCrossings.clear();
    mUnsorted = false;
}

FBContourEdge *FBContourEdge::next() const
{
    const auto &edges = mContour->edges();
    if (edges.empty())
        return nullptr;
    return edges[(size_t(mIndex) + 1) % edges.size()].get();
}

FBContourEdge *FBContourEdge::previous() const
{
    const auto &edges = mContour->edges();
    if (edges.empty())
        return nullptr;
    return edges[mIndex == 0 ? edges.size() - 1 : size_t(mIndex) - 1].get();
}

std::vector<FBContourEdge *> FBContourEdge::edgesAcross(bool selfCrossings) const
{
    std::vector<FBContourEdge *> edges;
    // An edge crossed by thousands of others looks each up in a set, not in the list.
    std::unordered_set<const FBContourEdge *> seen;
    const bool many = crossings().size() > 16;
    for (const FBEdgeCrossingPtr &crossing : crossings()) {
        if (crossing->isSelfCrossing() != selfCrossings || !crossing->counterpart())
            continue;
        FBContourEdge *edge = crossing->counterpart()->edge();
        if (!edge)
            continue;
        const bool known = many ? !seen.insert(edge).second
                                : std::find(edges.begin(), edges.end(), edge) != edges.end();
        if (!known)
            edges.push_back(edge);
    }
    return edges;
}

std::vector<FBContourEdge *> FBContourEdge::intersectingEdges() const
{
    return edgesAcross(false);
}

std::vector<FBContourEdge *> FBContourEdge::selfIntersectingEdges() const
{
    return edgesAcross(true);
}

FBEdgeCrossing *FBContourEdge::firstCrossing() const
{
    return crossings().empty() ? nullptr : crossings().front().get();
}

FBEdgeCrossing *FBContourEdge::lastCrossing() const
{
    return crossings().empty() ? nullptr : crossings().back().get();
}

namespace {

// The curves that leave an intersection backwards (the left branch, ending there) and forwards
// (the right branch, starting there) along an edge.
struct Branches
{
    FBBezierCurvePtr left;
    FBBezierCurvePtr right;
};

Branches branchesAtIntersection(const FBContourEdge *edge, FBBezierIntersection &intersection,
                                bool curve1)
{
    const bool atStart =
        curve1 ? intersection.isAtStartOfCurve1() : intersection.isAtStartOfCurve2();
    const bool atStop = curve1 ? intersection.isAtStopOfCurve1() : intersection.isAtStopOfCurve2();
    if (atStart)
        return {edge->previous()->curve(), edge->curve()};
    if (atStop)
        return {edge->curve(), edge->next()->curve()};
    return {curve1 ? intersection.curve1LeftBezier() : intersection.curve2LeftBezier(),
            curve1 ? intersection.curve1RightBezier() : intersection.curve2RightBezier()};
}

// A control point on its end point gives no direction: the next distinct point does.
QPointF towardsFirstDistinct(QPointF from, std::initializer_list<QPointF> points)
{
    for (QPointF p : points) {
        if (p != from)
            return FBGeom_SubtractPoints(p, from);
    }
    return QPointF();
}

FBTangentPair tangentsOf(const Branches &branches)
{
    const FBBezierCurvePtr &l = branches.left;
    const FBBezierCurvePtr &r = branches.right;
    return {towardsFirstDistinct(l->endPoint2(),
                                 {l->controlPoint2(), l->controlPoint1(), l->endPoint1()}),
            towardsFirstDistinct(r->endPoint1(),
                                 {r->controlPoint1(), r->controlPoint2(), r->endPoint2()})};
}

// Directions to the points `distance` along each branch (or its far end), away from the
// intersection, or from `from` when given. Equal distances rather than equal parameters: two arcs
// of different radii that leave in one direction part at equal distances, and a curve's parameter
// says nothing of that.
FBTangentPair chordsOf(const Branches &branches, double distance, const QPointF *from = nullptr)
{
    const FBBezierCurvePtr &l = branches.left;
    const FBBezierCurvePtr &r = branches.right;
    return {FBGeom_SubtractPoints(FBOverlap_PointAtChord(*l, distance, false),
                                  from ? *from : l->endPoint2()),
            FBGeom_SubtractPoints(FBOverlap_PointAtChord(*r, distance, true),
                                  from ? *from : r->endPoint1())};
}

double shortestBranch(const Branches &a, const Branches &b)
{
    return std::min({a.left->length(), a.right->length(), b.left->length(), b.right->length()});
}

bool sameDirection(QPointF a, QPointF b)
{
    return FBGeom_ArePointsCloseWithThreshold(FBGeom_NormalizeVector(a), FBGeom_NormalizeVector(b),
                                              1e-9);
}

// Directions within a small angle of each other (a sine under 1e-3).
bool nearlyAlong(QPointF a, QPointF b)
{
    constexpr double AlongSine = FBTol_AlongSine;
    const QPointF u = FBGeom_NormalizeVector(a), v = FBGeom_NormalizeVector(b);
    return QPointF::dotProduct(u, v) > 0 && std::abs(u.x() * v.y() - u.y() * v.x()) < AlongSine;
}

// The share of the curves' size below which a branch up to a joint is a tail.
constexpr double kTailShare = FBTol_Hair;

// The share of the curves' size within which a joint a tail away from a hit lies on the other
// curve.
constexpr double kJointOnOtherShare = FBTol_JointOnOther;

// How many tails' lengths past the hit a skipped tail's replacement is read from the hit.
constexpr double kPastTail = 8.0;

// A branch of one edge leaving along a branch of the other says nothing about the sides.
bool ambiguous(const FBTangentPair &a, const FBTangentPair &b)
{
    return sameDirection(a.left, b.left) || sameDirection(a.left, b.right) ||
           sameDirection(a.right, b.left) || sameDirection(a.right, b.right);
}

// Branches leaving within a small angle of each other: their tangents may tell the sides wrong
// where the curves bend apart the other way a hair further on (an arc and a flatter arc leaving
// a shared joint a millionth of a turn apart, crossing there again).
bool nearlyAmbiguous(const FBTangentPair &a, const FBTangentPair &b)
{
    return nearlyAlong(a.left, b.left) || nearlyAlong(a.left, b.right) ||
           nearlyAlong(a.right, b.left) || nearlyAlong(a.right, b.right);
}

} // namespace

FBTangentPair FBEdge_TangentsAtIntersection(const FBContourEdge *edge,
                                            FBBezierIntersection &intersection, bool curve1)
{
    return tangentsOf(branchesAtIntersection(edge, intersection, curve1));
}

namespace {

// Whether a curve a hair long (a sliver's tip closed by a speck) met inside, away from every
// joint, has both ends on one side of the other curve: it then meets that curve twice or touches
// it, and its tangent at the hit, where its derivative all but vanishes, tells no side.
bool speckStaysOnOneSide(const FBBezierCurve &speck, const FBBezierCurve &other, double near,
                         double hair)
{
    if (!(speck.length() <= hair))
        return false;
    const auto derivative = FBCurve_Derivative(other.points());
    auto side = [&](QPointF p) {
        double u = near;
        for (int i = 0; i < 4; ++i) {
            const double next = other.refineParameter(u, p);
            if (!std::isfinite(next))
                break;
            u = std::clamp(next, 0.0, 1.0);
        }
        const QPointF along = FBCurve_DeCasteljau(derivative, u);
        const QPointF off = FBGeom_SubtractPoints(p, other.pointAtParameter(u));
        return along.x() * off.y() - along.y() * off.x();
    };
    const double first = side(speck.endPoint1());
    const double last = side(speck.endPoint2());
    return (first > 0.0 && last > 0.0) || (first < 0.0 && last < 0.0);
}

// What the reading of one joint works with: the hit, and the hair (a share of the curves' size)
// below which a branch up to a joint is a tail that tells no side, and the far smaller distance
// within which a joint a tail away from the hit lies on the other curve.
struct JointContext
{
    FBBezierIntersection &intersection;
    double hair;
    double onOther;
};

// Whether `at` lies within a hair of either end of the curve.
bool nearAnEnd(const FBBezierCurve &curve, QPointF at, double hair)
{
    return FBGeom_PointDistance(at, curve.endPoint1()) <= hair ||
           FBGeom_PointDistance(at, curve.endPoint2()) <= hair;
}

// Whether the other branch `tail` is itself a tail up to its joint `otherJoint`, and that joint
// lies a tail's share of the curves' size from `joint` (the joint beyond our tail): the hit at the
// other's joint then takes our piece between the two for a tail too, and reads the same curves.
bool tailToNearbyJoint(const JointContext &context, const FBBezierCurvePtr &tail,
                       QPointF otherJoint, const FBBezierCurve &beyond, QPointF joint,
                       const FBContourEdge *across, const FBContourEdge *otherEdge)
{
    if (!FBBranch_IsTail(*tail, context.hair))
        return false;
    const QRectF mine = beyond.bounds();
    auto sizeWith = [&mine](const QRectF &b) { return FBCurves_PairSize(mine, b); };
    const double size =
        std::min(sizeWith(across->curve()->bounds()), sizeWith(otherEdge->curve()->bounds()));
    return FBGeom_PointDistance(joint, otherJoint) <= kTailShare * size;
}

// Whether the curve `beyond` our joint, leaving it in `direction`, runs along a branch of the
// other's that is a tail up to a joint near ours (see tailToNearbyJoint). A curve beyond the
// joint running along the other for longer shares a stretch with it, which the run decides.
bool alongOthersTail(const JointContext &context, const FBBezierCurve &beyond, QPointF joint,
                     QPointF direction, const FBTangentPair &other, const Branches &otherBranches,
                     const FBContourEdge *otherEdge)
{
    return (nearlyAlong(direction, other.left) &&
            tailToNearbyJoint(context, otherBranches.left, otherBranches.left->endPoint1(), beyond,
                              joint, otherEdge->previous(), otherEdge)) ||
           (nearlyAlong(direction, other.right) &&
            tailToNearbyJoint(context, otherBranches.right, otherBranches.right->endPoint2(),
                              beyond, joint, otherEdge->next(), otherEdge));
}

// Whether our joint lies on the other curve but for far less than a tail's length: a ray passing
// a tail's length beside a corner, along the side beyond it, does cross.
bool jointOnOther(const JointContext &context, QPointF joint, const FBTangentPair &other)
{
    const QPointF at = context.intersection.location();
    const QPointF direction = other.right.isNull() ? other.left : other.right;
    return !direction.isNull() &&
           FBGeom_DistancePointToLine(joint, at, FBGeom_AddPoints(at, direction)) <=
               context.onOther;
}

// A hit a hair short of a curve's own joint, where the curve beyond that joint leaves along the
// other's branch (a lens's corner a hair beside a bowl's tail that runs on along the lens's side
// to its own corner there), is the passage that other corner decides: the piece up to the joint
// tells no side, and the curve beyond it does. Replaces our branch by that curve; whether it did.
bool takeCurveBeyondJoint(const JointContext &context, Branches &branches,
                          const FBContourEdge *edge, const FBTangentPair &other,
                          const Branches &otherBranches, const FBContourEdge *otherEdge)
{
    const FBBezierCurvePtr &next = edge->next()->curve();
    const FBBezierCurvePtr &previous = edge->previous()->curve();
    if (FBBranch_IsTail(*branches.right, context.hair) &&
        jointOnOther(context, next->endPoint1(), other) &&
        alongOthersTail(
            context, *next, next->endPoint1(),
            towardsFirstDistinct(next->endPoint1(),
                                 {next->controlPoint1(), next->controlPoint2(), next->endPoint2()}),
            other, otherBranches, otherEdge)) {
        branches.right = next;
        return true;
    }
    if (FBBranch_IsTail(*branches.left, context.hair) &&
        jointOnOther(context, previous->endPoint2(), other) &&
        alongOthersTail(context, *previous, previous->endPoint2(),
                        towardsFirstDistinct(previous->endPoint2(),
                                             {previous->controlPoint2(), previous->controlPoint1(),
                                              previous->endPoint1()}),
                        other, otherBranches, otherEdge)) {
        branches.left = previous;
        return true;
    }
    return false;
}

// A hit a hair short of a curve's own joint, where the curve runs along the other's branch (an
// arc's top touching a side beside the other outline's corner), leaves a tail up to that joint
// whose direction is that of the other branch but for rounding: the tail tells no side, and the
// curve beyond its joint does.
// The length of the tail skipped, or 0.
double skipTail(Branches &branches, const FBContourEdge *edge, const FBTangentPair &own,
                const FBTangentPair &other, double hair)
{
    if (FBBranch_IsTail(*branches.right, hair) &&
        (nearlyAlong(own.right, other.left) || nearlyAlong(own.right, other.right))) {
        const double length = branches.right->length();
        branches.right = edge->next()->curve();
        return length;
    }
    if (FBBranch_IsTail(*branches.left, hair) &&
        (nearlyAlong(own.left, other.left) || nearlyAlong(own.left, other.right))) {
        const double length = branches.left->length();
        branches.left = edge->previous()->curve();
        return length;
    }
    return 0.0;
}

// At a joint of both, a whole edge a hair long on a like edge of the other outline (both drawn
// through the same two points a hair apart, joints at each) tells no side either: the curves
// beyond its far joint do, alike at both joints, so that the hits there are both crossings or
// both touches.
void skipSharedEdge(Branches &branches, const FBContourEdge *edge, bool atStart,
                    const FBTangentPair &own, const FBTangentPair &other,
                    const Branches &otherBranches, double hair)
{
    auto onShortBranch = [&](QPointF direction) {
        return (FBBranch_IsTail(*otherBranches.left, hair) && nearlyAlong(direction, other.left)) ||
               (FBBranch_IsTail(*otherBranches.right, hair) && nearlyAlong(direction, other.right));
    };
    if (FBBranch_IsTail(*branches.right, hair) && onShortBranch(own.right))
        branches.right = (atStart ? edge->next() : edge->next()->next())->curve();
    else if (FBBranch_IsTail(*branches.left, hair) && onShortBranch(own.left))
        branches.left = (atStart ? edge->previous()->previous() : edge->previous())->curve();
}

// Branches that leave in one direction (a curve touching a line at a corner) part further on:
// the side each lies on shows there, at equal distances along both (FBBranch_FartherShares of
// the shortest). Branches that never part run on each other, which the overlaps decide: the
// tangents' own reading stands.
bool readFartherAlong(const Branches &ours, const Branches &theirs,
                      const FBTangentPair &ourTangents, const FBTangentPair &theirTangents)
{
    const double shortest = shortestBranch(ours, theirs);
    for (double share : FBBranch_FartherShares) {
        const FBTangentPair ourChords = chordsOf(ours, shortest * share);
        const FBTangentPair theirChords = chordsOf(theirs, shortest * share);
        if (!ambiguous(ourChords, theirChords))
            return FBGeom_TangentsCross(ourChords, theirChords);
    }
    return FBGeom_TangentsCross(ourTangents, theirTangents);
}

// Where a tail `tail` long gave way to the curve beyond its joint, that curve starts a tail away
// from the hit, and the other's branches start at the hit: measured each from its own start, a
// copy moved a tail along a side reads chords identical to the original's, and a crossing reads
// as a touch. All four branches are measured from the hit instead, at distances well past the
// tail, nearer than which the chords show the tail's own direction; whether one told the sides.
std::optional<bool> readFromTheHit(const Branches &ours, const Branches &theirs, QPointF at,
                                   double tail)
{
    const double shortest = shortestBranch(ours, theirs);
    for (double share : FBBranch_FartherShares) {
        const double distance = shortest * share;
        if (!(distance > kPastTail * tail))
            continue;
        const FBTangentPair ourChords = chordsOf(ours, distance, &at);
        const FBTangentPair theirChords = chordsOf(theirs, distance, &at);
        if (!ambiguous(ourChords, theirChords))
            return FBGeom_TangentsCross(ourChords, theirChords);
    }
    return std::nullopt;
}

// Whether the edges meeting at an intersection at or a hair short of a joint cross there.
bool readJoint(const FBContourEdge *edge1, const FBContourEdge *edge2,
               FBBezierIntersection &intersection)
{
    const double size = FBHit_Size(intersection);
    const JointContext context{intersection, kTailShare * size, kJointOnOtherShare * size};
    const bool atEnd = intersection.isAtEndPointOfCurve();
    if (!atEnd) {
        const QPointF at = intersection.location();
        if (!nearAnEnd(*intersection.curve1(), at, context.hair) &&
            !nearAnEnd(*intersection.curve2(), at, context.hair))
            return true;
        if (speckStaysOnOneSide(*intersection.curve1(), *intersection.curve2(),
                                intersection.parameter2(), context.hair) ||
            speckStaysOnOneSide(*intersection.curve2(), *intersection.curve1(),
                                intersection.parameter1(), context.hair))
            return false;
    }
    Branches ours = branchesAtIntersection(edge1, intersection, true);
    Branches theirs = branchesAtIntersection(edge2, intersection, false);
    if (!atEnd) {
        const FBTangentPair ourAt = tangentsOf(ours);
        const FBTangentPair theirAt = tangentsOf(theirs);
        const bool oursBeyond = takeCurveBeyondJoint(context, ours, edge1, theirAt, theirs, edge2);
        const bool theirsBeyond =
            !oursBeyond && takeCurveBeyondJoint(context, theirs, edge2, ourAt, ours, edge1);
        if (!oursBeyond && !theirsBeyond)
            return true;
    }
    const FBTangentPair ourTangents0 = tangentsOf(ours);
    const FBTangentPair theirTangents0 = tangentsOf(theirs);
    if (intersection.isAtEndPointOfCurve1() && intersection.isAtEndPointOfCurve2()) {
        const Branches ours0 = ours, theirs0 = theirs;
        skipSharedEdge(ours, edge1, intersection.isAtStartOfCurve1(), ourTangents0, theirTangents0,
                       theirs0, context.hair);
        skipSharedEdge(theirs, edge2, intersection.isAtStartOfCurve2(), theirTangents0,
                       ourTangents0, ours0, context.hair);
    }
    double tail = 0.0;
    if (!intersection.isAtEndPointOfCurve1())
        tail = skipTail(ours, edge1, ourTangents0, theirTangents0, context.hair);
    if (!intersection.isAtEndPointOfCurve2())
        tail = std::max(tail, skipTail(theirs, edge2, theirTangents0, ourTangents0, context.hair));
    const FBTangentPair ourTangents = tangentsOf(ours);
    const FBTangentPair theirTangents = tangentsOf(theirs);
    if (tail > 0.0) {
        if (const std::optional<bool> read =
                readFromTheHit(ours, theirs, intersection.location(), tail))
            return *read;
    }
    if (!nearlyAmbiguous(ourTangents, theirTangents))
        return FBGeom_TangentsCross(ourTangents, theirTangents);
    return readFartherAlong(ours, theirs, ourTangents, theirTangents);
}

} // namespace

bool FBContourEdge::crossesEdge(const FBContourEdge *edge2,
                                FBBezierIntersection &intersection) const
{
    if (intersection.isTangent())
        return false;
    return readJoint(this, edge2, intersection);
}

QString FBContourEdge::description() const
{
    QStringList texts;
    const std::vector<FBEdgeCrossingPtr> &sorted = crossings();
    for (size_t i = 0; i < sorted.size(); ++i)
        texts << QStringLiteral("%1: %2").arg(i).arg(sorted[i]->description());
    return QStringLiteral("<FBContourEdge: curve = %1 crossings = (%2)>")
        .arg(mCurve->description(), texts.join(QStringLiteral(", ")));
}

double FBEdge_JointReach(const FBContourEdge &edge, double reach)
{
    auto sizeOf = [](const FBContourEdge *e) {
        const QRectF b = e->curve()->bounds();
        return std::max(b.width(), b.height());
    };
    const FBContourEdge *before = edge.previous();
    const double smaller = before ? std::min(sizeOf(&edge), sizeOf(before)) : sizeOf(&edge);
    const QPointF joint = edge.curve()->endPoint1();
    return FBTol_AtCurveSize(reach, smaller, std::max(std::abs(joint.x()), std::abs(joint.y())));
}
