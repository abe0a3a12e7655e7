#include "pathops/FBContourEdge.h"

#include "pathops/FBBezierContour.h"
#include "pathops/FBEdgeOverlapRun.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <unordered_set>

FBContourEdge::FBContourEdge(FBBezierCurvePtr curve, FBBezierContour *contour)
    : mCurve(std::move(curve)), mContour(contour)
{
    mCrossings.reserve(4);
}

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
// intersection. Equal distances rather than equal parameters: two arcs of different radii that
// leave in one direction part at equal distances, and a curve's parameter says nothing of that.
FBTangentPair chordsOf(const Branches &branches, double distance)
{
    const FBBezierCurvePtr &l = branches.left;
    const FBBezierCurvePtr &r = branches.right;
    return {FBGeom_SubtractPoints(FBOverlap_PointAtChord(*l, distance, false), l->endPoint2()),
            FBGeom_SubtractPoints(FBOverlap_PointAtChord(*r, distance, true), r->endPoint1())};
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
    constexpr double AlongSine = 1e-3;
    const QPointF u = FBGeom_NormalizeVector(a), v = FBGeom_NormalizeVector(b);
    return QPointF::dotProduct(u, v) > 0 && std::abs(u.x() * v.y() - u.y() * v.x()) < AlongSine;
}

// The share of the curves' size below which a branch up to a joint is a tail.
constexpr double kTailShare = 1e-4;

// The share of the curves' size within which a joint a tail away from a hit lies on the other
// curve.
constexpr double kJointOnOtherShare = 1e-7;

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

// How the edges meeting at an intersection at or a hair short of a joint lie: whether they cross,
// and whether the sides told it, or whether a branch of one leaves along a branch of the other
// without parting from it and only the tangents' last digits did.
struct JointReading
{
    bool crosses;
    bool told;
};

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

JointReading readJoint(const FBContourEdge *edge1, const FBContourEdge *edge2,
                       FBBezierIntersection &intersection)
{
    const QRectF box = intersection.curve1()->bounds().united(intersection.curve2()->bounds());
    const double hair = kTailShare * std::max(box.width(), box.height());
    if (!intersection.isAtEndPointOfCurve()) {
        const QPointF at = intersection.location();
        auto nearEnd = [at, hair](const FBBezierCurve &curve) {
            return FBGeom_PointDistance(at, curve.endPoint1()) <= hair ||
                   FBGeom_PointDistance(at, curve.endPoint2()) <= hair;
        };
        if (!nearEnd(*intersection.curve1()) && !nearEnd(*intersection.curve2()))
            return {true, true};
        if (speckStaysOnOneSide(*intersection.curve1(), *intersection.curve2(),
                                intersection.parameter2(), hair) ||
            speckStaysOnOneSide(*intersection.curve2(), *intersection.curve1(),
                                intersection.parameter1(), hair))
            return {false, true};
    }
    Branches ours = branchesAtIntersection(edge1, intersection, true);
    Branches theirs = branchesAtIntersection(edge2, intersection, false);
    if (!intersection.isAtEndPointOfCurve()) {
        // A hit a hair short of a curve's own joint, where the curve beyond that joint leaves
        // along the other's branch (a lens's corner a hair beside a bowl's tail that runs on
        // along the lens's side to its own corner there), is the passage that other corner
        // decides: the piece up to the joint tells no side, and the curve beyond it does.
        // Taken as a crossing of its own, it would stand alone where the other corner, looking
        // past the same piece, finds a touch.
        const FBTangentPair ourAt = tangentsOf(ours);
        const FBTangentPair theirAt = tangentsOf(theirs);
        // The joint must lie on the other curve but for a hair far below its tail's length:
        // a ray passing a tail's length beside a corner, along the side beyond it, crosses.
        const double onOther = kJointOnOtherShare * std::max(box.width(), box.height());
        const QPointF at = intersection.location();
        auto beyondJoint = [hair, onOther, at](Branches &branches, const FBContourEdge *edge,
                                               const FBTangentPair &other,
                                               const Branches &otherBranches,
                                               const FBContourEdge *otherEdge) {
            // Along a branch of the other that is itself a tail up to its joint, the two joints
            // close enough that the hit at the other's joint takes the piece of this curve
            // between them for a tail too, and finds a touch or a crossing by the same curves:
            // a curve beyond the joint running along the other for longer shares a stretch with
            // it, which the run there decides.
            auto alongOther = [&](const FBBezierCurve &beyond, QPointF joint, QPointF direction) {
                auto tailTo = [&](const FBBezierCurvePtr &tail, QPointF otherJoint,
                                  const FBContourEdge *across) {
                    if (!(tail->length() <= hair))
                        return false;
                    const QRectF mine = beyond.bounds();
                    auto sizeWith = [&mine](const QRectF &b) {
                        const QRectF u = mine.united(b);
                        return std::max(u.width(), u.height());
                    };
                    const double size = std::min(sizeWith(across->curve()->bounds()),
                                                 sizeWith(otherEdge->curve()->bounds()));
                    return FBGeom_PointDistance(joint, otherJoint) <= kTailShare * size;
                };
                return (nearlyAlong(direction, other.left) &&
                        tailTo(otherBranches.left, otherBranches.left->endPoint1(),
                               otherEdge->previous())) ||
                       (nearlyAlong(direction, other.right) &&
                        tailTo(otherBranches.right, otherBranches.right->endPoint2(),
                               otherEdge->next()));
            };
            auto jointOnOther = [&](QPointF joint) {
                const QPointF direction = other.right.isNull() ? other.left : other.right;
                return !direction.isNull() &&
                       FBGeom_DistancePointToLine(joint, at, FBGeom_AddPoints(at, direction)) <=
                           onOther;
            };
            const FBBezierCurvePtr &next = edge->next()->curve();
            const FBBezierCurvePtr &previous = edge->previous()->curve();
            if (branches.right->length() <= hair && jointOnOther(next->endPoint1()) &&
                alongOther(*next, next->endPoint1(),
                           towardsFirstDistinct(next->endPoint1(),
                                                {next->controlPoint1(), next->controlPoint2(),
                                                 next->endPoint2()}))) {
                branches.right = next;
                return true;
            }
            if (branches.left->length() <= hair && jointOnOther(previous->endPoint2()) &&
                alongOther(*previous, previous->endPoint2(),
                           towardsFirstDistinct(previous->endPoint2(), {previous->controlPoint2(),
                                                                        previous->controlPoint1(),
                                                                        previous->endPoint1()}))) {
                branches.left = previous;
                return true;
            }
            return false;
        };
        const bool oursBeyond = beyondJoint(ours, edge1, theirAt, theirs, edge2);
        const bool theirsBeyond = !oursBeyond && beyondJoint(theirs, edge2, ourAt, ours, edge1);
        if (!oursBeyond && !theirsBeyond)
            return {true, true};
    }
    // A hit a hair short of a curve's own joint, where the curve runs along the other's branch
    // (an arc's top touching a side beside the other outline's corner), leaves a tail up to that
    // joint whose direction is that of the other branch but for rounding: the tail tells no side,
    // and the curve beyond its joint does.
    const FBTangentPair ourTangents0 = tangentsOf(ours);
    const FBTangentPair theirTangents0 = tangentsOf(theirs);
    auto skipTail = [hair](Branches &branches, const FBContourEdge *edge, bool atEnd,
                           const FBTangentPair &own, const FBTangentPair &other) {
        if (atEnd)
            return;
        if (branches.right->length() <= hair &&
            (nearlyAlong(own.right, other.left) || nearlyAlong(own.right, other.right)))
            branches.right = edge->next()->curve();
        else if (branches.left->length() <= hair &&
                 (nearlyAlong(own.left, other.left) || nearlyAlong(own.left, other.right)))
            branches.left = edge->previous()->curve();
    };
    // At a joint of both, a whole edge a hair long on a like edge of the other outline (both
    // drawn through the same two points a hair apart, joints at each) tells no side either: the
    // curves beyond its far joint do, alike at both joints, so that the hits there are both
    // crossings or both touches.
    auto skipSharedEdge = [hair](Branches &branches, const FBContourEdge *edge, bool atStart,
                                 const FBTangentPair &own, const FBTangentPair &other,
                                 const Branches &otherBranches) {
        auto onShortBranch = [&](QPointF direction) {
            return (otherBranches.left->length() <= hair && nearlyAlong(direction, other.left)) ||
                   (otherBranches.right->length() <= hair && nearlyAlong(direction, other.right));
        };
        if (branches.right->length() <= hair && onShortBranch(own.right))
            branches.right = (atStart ? edge->next() : edge->next()->next())->curve();
        else if (branches.left->length() <= hair && onShortBranch(own.left))
            branches.left = (atStart ? edge->previous()->previous() : edge->previous())->curve();
    };
    if (intersection.isAtEndPointOfCurve1() && intersection.isAtEndPointOfCurve2()) {
        const Branches ours0 = ours, theirs0 = theirs;
        skipSharedEdge(ours, edge1, intersection.isAtStartOfCurve1(), ourTangents0, theirTangents0,
                       theirs0);
        skipSharedEdge(theirs, edge2, intersection.isAtStartOfCurve2(), theirTangents0,
                       ourTangents0, ours0);
    }
    skipTail(ours, edge1, intersection.isAtEndPointOfCurve1(), ourTangents0, theirTangents0);
    skipTail(theirs, edge2, intersection.isAtEndPointOfCurve2(), theirTangents0, ourTangents0);
    const FBTangentPair ourTangents = tangentsOf(ours);
    const FBTangentPair theirTangents = tangentsOf(theirs);
    if (!nearlyAmbiguous(ourTangents, theirTangents))
        return {FBGeom_TangentsCross(ourTangents, theirTangents), true};
    // Branches that leave in one direction (a curve touching a line at a corner) part further
    // on: the side each lies on shows there. Branches that never part run on each other, which
    // the overlaps decide.
    const double shortest = shortestBranch(ours, theirs);
    for (double share : {1.0 / 64, 1.0 / 16, 1.0 / 4, 1.0 / 2}) {
        const FBTangentPair ourChords = chordsOf(ours, shortest * share);
        const FBTangentPair theirChords = chordsOf(theirs, shortest * share);
        if (!ambiguous(ourChords, theirChords))
            return {FBGeom_TangentsCross(ourChords, theirChords), true};
    }
    return {FBGeom_TangentsCross(ourTangents, theirTangents), false};
}

} // namespace

bool FBContourEdge::crossesEdge(const FBContourEdge *edge2,
                                FBBezierIntersection &intersection) const
{
    if (intersection.isTangent())
        return false;
    return readJoint(this, edge2, intersection).crosses;
}

bool FBEdge_CrossesAlongBranch(const FBContourEdge *edge1, const FBContourEdge *edge2,
                               FBBezierIntersection &intersection)
{
    if (intersection.isTangent() || !intersection.isAtEndPointOfCurve())
        return false;
    return !readJoint(edge1, edge2, intersection).told;
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
