#include "pathops/FBEdgeOverlapRun.h"

#include "pathops/FBContourEdge.h"
#include "pathops/FBCurveStretch.h"
#include "pathops/FBHitMeasures.h"
#include "pathops/FBTolerances.h"

#include <QStringList>
#include <initializer_list>
#include <algorithm>
#include <cmath>

namespace {

// Sides of a stretch nearer than this, in the engine's 64-128 unit frame, lie on each other:
// rounding, not a move.
constexpr double kApart = FBTol_SidesApart;

// A control point on its end point gives no direction: the next distinct point does.
QPointF towardsFirstDistinct(QPointF from, std::initializer_list<QPointF> points)
{
    for (QPointF p : points) {
        if (p != from)
            return FBGeom_SubtractPoints(p, from);
    }
    return QPointF();
}

QPointF leftTangent(const FBBezierCurvePtr &curve)
{
    return towardsFirstDistinct(
        curve->endPoint2(), {curve->controlPoint2(), curve->controlPoint1(), curve->endPoint1()});
}

QPointF rightTangent(const FBBezierCurvePtr &curve)
{
    return towardsFirstDistinct(
        curve->endPoint1(), {curve->controlPoint1(), curve->controlPoint2(), curve->endPoint2()});
}

} // namespace

QPointF FBOverlap_LeftTangentAtOffset(const FBBezierCurvePtr &curve, double offset)
{
    if (offset == 0.0)
        return leftTangent(curve);
    FBBezierCurvePtr left;
    curve->pointAtParameter(1.0 - offset / curve->length(), &left, nullptr);
    return leftTangent(left);
}

QPointF FBOverlap_RightTangentAtOffset(const FBBezierCurvePtr &curve, double offset)
{
    if (offset == 0.0)
        return rightTangent(curve);
    FBBezierCurvePtr right;
    curve->pointAtParameter(offset / curve->length(), nullptr, &right);
    return rightTangent(right);
}

QPointF FBOverlap_PointAtChord(const FBBezierCurve &curve, double distance, bool fromStart)
{
    const QPointF origin = fromStart ? curve.endPoint1() : curve.endPoint2();
    auto at = [&curve, fromStart](double share) {
        return curve.pointAtParameter(fromStart ? share : 1.0 - share);
    };
    auto reach = [&](double share) { return FBGeom_PointDistance(at(share), origin); };
    if (!(reach(1.0) > distance))
        return at(1.0);
    // Near the end the distance grows with the share: bisection finds where it passes
    // `distance`, to well below the scale of the branches compared.
    const double length = curve.length();
    double low = 0.0, high = 1.0;
    double share = length > distance ? distance / length : 0.5;
    for (int step = 0; step < 60 && high - low > 1e-12; ++step) {
        const double d = reach(share);
        if (d == distance)
            break;
        (d < distance ? low : high) = share;
        share = (low + high) / 2;
    }
    return at(share);
}

bool FBEdgeOverlapRun::insertOverlap(const FBEdgeOverlapPtr &overlap)
{
    mReading.reset();
    if (mOverlaps.empty()) {
        mOverlaps.push_back(overlap);
        return true;
    }
    if (mOverlaps.back()->fitsBefore(*overlap)) {
        mOverlaps.push_back(overlap);
        return true;
    }
    if (mOverlaps.front()->fitsAfter(*overlap)) {
        mOverlaps.insert(mOverlaps.begin(), overlap);
        return true;
    }
    return false;
}

bool FBEdgeOverlapRun::appendRun(const FBEdgeOverlapRun &next)
{
    mReading.reset();
    if (mOverlaps.empty() || next.mOverlaps.empty() ||
        !mOverlaps.back()->fitsBefore(*next.mOverlaps.front()))
        return false;
    mOverlaps.insert(mOverlaps.end(), next.mOverlaps.begin(), next.mOverlaps.end());
    return true;
}

bool FBEdgeOverlapRun::isComplete() const
{
    return !mOverlaps.empty() && mOverlaps.back()->fitsBefore(*mOverlaps.front());
}

bool FBEdgeOverlapRun::isCrossing(double *readTo) const
{
    if (!mReading) {
        double read = 0.0;
        const bool crossing = readCrossing(&read);
        mReading = Reading{crossing, read};
    }
    if (readTo)
        *readTo = mReading->readTo;
    return mReading->crossing;
}

bool FBEdgeOverlapRun::readCrossing(double *readTo) const
{
    if (readTo)
        *readTo = 0.0;
    if (mOverlaps.empty())
        return false;
    const FBEdgeOverlap &first = *mOverlaps.front();
    const FBEdgeOverlap &last = *mOverlaps.back();
    const FBBezierIntersectRangePtr &firstRange = first.range();
    const FBBezierIntersectRangePtr &lastRange = last.range();
    // The curves leaving both ends of the shared stretch, on each contour.
    FBBezierCurvePtr edge1Before = firstRange->isAtStartOfCurve1()
                                       ? first.edge1()->previous()->curve()
                                       : firstRange->curve1LeftBezier();
    FBBezierCurvePtr edge1After = lastRange->isAtStopOfCurve1() ? last.edge1()->next()->curve()
                                                                : lastRange->curve1RightBezier();
    const bool reversed = firstRange->reversed();
    FBBezierCurvePtr edge2First;
    FBBezierCurvePtr edge2Second;
    if (reversed) {
        edge2First = firstRange->isAtStopOfCurve2() ? first.edge2()->next()->curve()
                                                    : firstRange->curve2RightBezier();
        edge2Second = lastRange->isAtStartOfCurve2() ? last.edge2()->previous()->curve()
                                                     : lastRange->curve2LeftBezier();
    } else {
        edge2First = firstRange->isAtStartOfCurve2() ? first.edge2()->previous()->curve()
                                                     : firstRange->curve2LeftBezier();
        edge2Second = lastRange->isAtStopOfCurve2() ? last.edge2()->next()->curve()
                                                    : lastRange->curve2RightBezier();
    }

    // A branch a hair long up to its contour's joint (the stretch ended at the other contour's
    // joint, a hair short of this one's) lies within the stretch's tolerance, where hits are the
    // run's to decide: its direction tells no side, the curve beyond that joint does.
    auto isTail = [](const FBBezierCurvePtr &branch, const FBContourEdge *edge,
                     const FBContourEdge *otherEdge) {
        return FBBranch_IsTail(
            *branch, FBCurveStretchTolerance *
                         FBCurves_PairSize(edge->curve()->bounds(), otherEdge->curve()->bounds()));
    };
    if (!firstRange->isAtStartOfCurve1() && isTail(edge1Before, first.edge1(), first.edge2()))
        edge1Before = first.edge1()->previous()->curve();
    if (!lastRange->isAtStopOfCurve1() && isTail(edge1After, last.edge1(), last.edge2()))
        edge1After = last.edge1()->next()->curve();
    if (reversed) {
        if (!firstRange->isAtStopOfCurve2() && isTail(edge2First, first.edge2(), first.edge1()))
            edge2First = first.edge2()->next()->curve();
        if (!lastRange->isAtStartOfCurve2() && isTail(edge2Second, last.edge2(), last.edge1()))
            edge2Second = last.edge2()->previous()->curve();
    } else {
        if (!firstRange->isAtStartOfCurve2() && isTail(edge2First, first.edge2(), first.edge1()))
            edge2First = first.edge2()->previous()->curve();
        if (!lastRange->isAtStopOfCurve2() && isTail(edge2Second, last.edge2(), last.edge1()))
            edge2Second = last.edge2()->next()->curve();
    }

    // The shared stretch itself, leaving its first end and its last end, along contour 1.
    const FBBezierCurvePtr stretchStart =
        firstRange->curve1()->subcurveWithRange(firstRange->parameterRange1());
    const FBBezierCurvePtr stretchEnd =
        lastRange->curve1()->subcurveWithRange(lastRange->parameterRange1());
    const QPointF intoStretch = rightTangent(stretchStart);
    const QPointF backIntoStretch = leftTangent(stretchEnd);

    // A branch leaving each end, as the direction to a point `distance` along it (0: its
    // tangent). A left branch ends at the stretch, a right branch starts there. Equal distances
    // rather than equal parameters, so that arcs of different radii part.
    // Where the search ended the stretch on the two contours a little apart (curves touching
    // along a tangent part slowly), a branch of contour 2 is measured from contour 1's end of
    // the stretch: the gap between the ends shows which side contour 2 lies on there, and the
    // branches' own directions, taken at two different points, may not.
    // Contour 1's branches start at the stretch's ends, or at the joints beyond a tail: both
    // contours' branches are measured from there, so that a tail left out moves neither.
    const QPointF firstEnd = edge1Before->endPoint2();
    const QPointF lastEnd = edge1After->endPoint1();
    const QPointF firstEnd2 = reversed ? edge2First->endPoint1() : edge2First->endPoint2();
    const QPointF lastEnd2 = reversed ? edge2Second->endPoint2() : edge2Second->endPoint1();
    auto apart = [](QPointF a, QPointF b) {
        const double rounding =
            1e-9 *
            (1.0 + std::max({std::abs(a.x()), std::abs(a.y()), std::abs(b.x()), std::abs(b.y())}));
        return FBGeom_PointDistance(a, b) > rounding;
    };
    const bool endsApart = apart(firstEnd, firstEnd2) || apart(lastEnd, lastEnd2);
    // A null `from` measures from the curve's own end. (A pointer rather than an optional point:
    // the optimiser took an empty optional's point for one read before it was set.)
    auto leftBranch = [](const FBBezierCurvePtr &curve, double distance,
                         const QPointF *from = nullptr) {
        return distance == 0.0
                   ? FBOverlap_LeftTangentAtOffset(curve, 0.0)
                   : FBGeom_SubtractPoints(FBOverlap_PointAtChord(*curve, distance, false),
                                           from ? *from : curve->endPoint2());
    };
    auto rightBranch = [](const FBBezierCurvePtr &curve, double distance,
                          const QPointF *from = nullptr) {
        return distance == 0.0
                   ? FBOverlap_RightTangentAtOffset(curve, 0.0)
                   : FBGeom_SubtractPoints(FBOverlap_PointAtChord(*curve, distance, true),
                                           from ? *from : curve->endPoint1());
    };
    const QPointF *firstFrom = endsApart ? &firstEnd : nullptr;
    const QPointF *lastFrom = endsApart ? &lastEnd : nullptr;
    auto sameDirection = [](QPointF a, QPointF b) {
        return FBGeom_ArePointsCloseWithThreshold(FBGeom_NormalizeVector(a),
                                                  FBGeom_NormalizeVector(b), 1e-5);
    };
    FBTangentPair edge1Tangents;
    FBTangentPair edge2Tangents;
    // Branches of both contours that leave one end in one direction part further along. Branches
    // that bend alike there (a rounded corner drawn as one curve and as two) part only slowly:
    // directions apart by less than 1e-5 are rounding, and so read farther along. So is a branch
    // that turns back along the stretch (a curve running into its joint tangent to the side that
    // joint starts, a cusp): with the stretch it bounds no wedge to tell the sides by.
    const double shortest = std::min(
        {edge1Before->length(), edge1After->length(), edge2First->length(), edge2Second->length()});
    double parts[1 + std::size(FBBranch_FartherShares)] = {0.0};
    std::copy(std::begin(FBBranch_FartherShares), std::end(FBBranch_FartherShares), parts + 1);
    for (double part : parts) {
        if (part == 0.0 && endsApart)
            continue;
        const double d = shortest * part;
        if (readTo)
            *readTo = d;
        edge1Tangents = {leftBranch(edge1Before, d), rightBranch(edge1After, d)};
        edge2Tangents = {reversed ? rightBranch(edge2First, d, firstFrom)
                                  : leftBranch(edge2First, d, firstFrom),
                         reversed ? leftBranch(edge2Second, d, lastFrom)
                                  : rightBranch(edge2Second, d, lastFrom)};
        if (!sameDirection(edge1Tangents.left, edge2Tangents.left) &&
            !sameDirection(edge1Tangents.right, edge2Tangents.right) &&
            !sameDirection(edge1Tangents.left, intoStretch) &&
            !sameDirection(edge2Tangents.left, intoStretch) &&
            !sameDirection(edge1Tangents.right, backIntoStretch) &&
            !sameDirection(edge2Tangents.right, backIntoStretch))
            break;
    }
    if (FBGeom_SquaredLength(intoStretch) == 0.0 || FBGeom_SquaredLength(backIntoStretch) == 0.0)
        return FBGeom_TangentsCross(edge1Tangents, edge2Tangents);
    // Each end on its own: on which side of contour 1's path (in along one branch, on along the
    // stretch, or the other way round) does contour 2's branch leave? The outlines cross through
    // the stretch when the two ends answer differently. Folding the stretch into one point
    // instead would compare directions taken at two different places.
    const bool firstEndLeft =
        FBGeom_AngleRangeContainsAngle(FBGeom_MakeAngleRange(FBGeom_PolarAngle(intoStretch),
                                                             FBGeom_PolarAngle(edge1Tangents.left)),
                                       FBGeom_PolarAngle(edge2Tangents.left));
    const bool lastEndLeft =
        FBGeom_AngleRangeContainsAngle(FBGeom_MakeAngleRange(FBGeom_PolarAngle(edge1Tangents.right),
                                                             FBGeom_PolarAngle(backIntoStretch)),
                                       FBGeom_PolarAngle(edge2Tangents.right));
    return firstEndLeft != lastEndLeft;
}

// Outlines that run a hair apart rather than on each other (a copy moved by a ten-thousandth of
// its size) cross somewhere along the stretch, where the answers change from one to the other.
// Both sides' pieces are joined at the crossing's point, and a piece whose own end lies away
// from it is bent there, by as much as the sides lie apart, all along its length: the run's
// crossing goes where the sides lie nearest each other, at least a quarter of the run's first
// and last stretches in from the run's ends. Sides that lie on each other keep the crossing in
// the middle stretch's middle.
FBEdgeOverlapRun::Placement FBEdgeOverlapRun::crossingPlacement() const
{
    const size_t middleIndex = mOverlaps.size() / 2;
    const FBEdgeOverlap::Nearest middle = mOverlaps[middleIndex]->nearest(0.5, 0.5);
    FBEdgeOverlap::Nearest best = middle;
    size_t bestIndex = middleIndex;
    for (size_t i = 0; i < mOverlaps.size(); ++i) {
        const double from = i == 0 ? 0.25 : 0.0;
        const double to = i + 1 == mOverlaps.size() ? 0.75 : 1.0;
        const FBEdgeOverlap::Nearest candidate = mOverlaps[i]->nearest(from, to);
        if (candidate.distance < best.distance) {
            best = candidate;
            bestIndex = i;
        }
    }
    if (middle.distance > kApart && best.distance < middle.distance / 2)
        return {bestIndex, best, false};
    return {middleIndex, middle, true};
}

void FBEdgeOverlapRun::addCrossings()
{
    if (mOverlaps.empty())
        return;
    const Placement at = crossingPlacement();
    if (at.middle)
        mOverlaps[at.index]->addMiddleCrossing();
    else
        mOverlaps[at.index]->addCrossingAt(at.nearest.parameter1, at.nearest.parameter2);
}

double FBEdgeOverlapRun::endGapNear(QPointF point) const
{
    if (mOverlaps.empty())
        return 0.0;
    const FBBezierIntersectRange &first = *mOverlaps.front()->range();
    const FBBezierIntersectRange &last = *mOverlaps.back()->range();
    const QPointF start = first.curve1()->pointAtParameter(first.parameterRange1().minimum);
    const QPointF stop = last.curve1()->pointAtParameter(last.parameterRange1().maximum);
    return FBGeom_PointDistance(point, start) <= FBGeom_PointDistance(point, stop)
               ? mOverlaps.front()->nearest(0.0, 0.0).distance
               : mOverlaps.back()->nearest(1.0, 1.0).distance;
}

double FBEdgeOverlapRun::crossingGap() const
{
    if (mOverlaps.empty())
        return 0.0;
    const Placement at = crossingPlacement();
    if (!at.middle)
        return at.nearest.distance;
    const FBBezierIntersectRange &range = *mOverlaps[at.index]->range();
    return FBGeom_PointDistance(
        range.curve1()->pointAtParameter(FBGeom_RangeAverage(range.parameterRange1())),
        range.curve2()->pointAtParameter(FBGeom_RangeAverage(range.parameterRange2())));
}

FBBezierContour *FBEdgeOverlapRun::contour1() const
{
    return mOverlaps.empty() ? nullptr : mOverlaps.front()->edge1()->contour();
}

FBBezierContour *FBEdgeOverlapRun::contour2() const
{
    return mOverlaps.empty() ? nullptr : mOverlaps.front()->edge2()->contour();
}

QString FBEdgeOverlapRun::description() const
{
    QStringList overlaps;
    for (size_t i = 0; i < mOverlaps.size(); ++i)
        overlaps << QStringLiteral("%1: %2").arg(i).arg(mOverlaps[i]->description());
    return QStringLiteral("<FBEdgeOverlapRun: overlaps = (%1)>").arg(overlaps.join(", "));
}
