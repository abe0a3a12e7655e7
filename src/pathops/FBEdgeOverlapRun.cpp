#include "pathops/FBEdgeOverlapRun.h"

#include "pathops/FBContourEdge.h"

#include <QStringList>

namespace {

// Past this many ambiguous tries the last tangents decide as they are.
constexpr int kMaxTangentTries = 100000;

QPointF leftTangent(const FBBezierCurvePtr &curve)
{
    return FBGeom_SubtractPoints(curve->controlPoint2(), curve->endPoint2());
}

QPointF rightTangent(const FBBezierCurvePtr &curve)
{
    return FBGeom_SubtractPoints(curve->controlPoint1(), curve->endPoint1());
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

bool FBEdgeOverlapRun::insertOverlap(const FBEdgeOverlapPtr &overlap)
{
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

bool FBEdgeOverlapRun::isComplete() const
{
    return !mOverlaps.empty() && mOverlaps.back()->fitsBefore(*mOverlaps.front());
}

bool FBEdgeOverlapRun::isCrossing() const
{
    if (mOverlaps.empty())
        return false;
    const FBEdgeOverlap &first = *mOverlaps.front();
    const FBEdgeOverlap &last = *mOverlaps.back();
    const FBBezierIntersectRangePtr &firstRange = first.range();
    const FBBezierIntersectRangePtr &lastRange = last.range();
    // The curves leaving both ends of the shared stretch, on each contour.
    const FBBezierCurvePtr edge1Before = firstRange->isAtStartOfCurve1()
                                             ? first.edge1()->previous()->curve()
                                             : firstRange->curve1LeftBezier();
    const FBBezierCurvePtr edge1After = lastRange->isAtStopOfCurve1()
                                            ? last.edge1()->next()->curve()
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

    FBTangentPair edge1Tangents;
    FBTangentPair edge2Tangents;
    double offset = 0.0;
    for (int tries = 0;; ++tries) {
        edge1Tangents = {FBOverlap_LeftTangentAtOffset(edge1Before, offset),
                         FBOverlap_RightTangentAtOffset(edge1After, offset)};
        edge2Tangents = {reversed ? FBOverlap_RightTangentAtOffset(edge2First, offset)
                                  : FBOverlap_LeftTangentAtOffset(edge2First, offset),
                         reversed ? FBOverlap_LeftTangentAtOffset(edge2Second, offset)
                                  : FBOverlap_RightTangentAtOffset(edge2Second, offset)};
        if (tries >= kMaxTangentTries)
            break;
        const QPointF a1 = FBGeom_NormalizeVector(edge1Tangents.left);
        const QPointF a2 = FBGeom_NormalizeVector(edge1Tangents.right);
        const QPointF b1 = FBGeom_NormalizeVector(edge2Tangents.left);
        const QPointF b2 = FBGeom_NormalizeVector(edge2Tangents.right);
        // Leaving in one direction tells nothing yet: look a little further along.
        if (a1 == b1 || a1 == b2 || a2 == b1 || a2 == b2) {
            offset += 1.0;
            continue;
        }
        break;
    }
    return FBGeom_TangentsCross(edge1Tangents, edge2Tangents);
}

void FBEdgeOverlapRun::addCrossings()
{
    if (mOverlaps.empty())
        return;
    mOverlaps[mOverlaps.size() / 2]->addMiddleCrossing();
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
