#pragma once
// Consecutive shared stretches of two contours, in order along the first contour, and whether
// the two outlines cross through them.

#include "pathops/FBEdgeOverlap.h"

#include <optional>
#include <vector>

class FBBezierContour;

class FBEdgeOverlapRun
{
public:
    // False when the overlap continues neither end of the run.
    bool insertOverlap(const FBEdgeOverlapPtr &overlap);
    // Appends `next` when its first stretch continues this run's last; false otherwise.
    bool appendRun(const FBEdgeOverlapRun &next);
    // The run closes on itself: the contours coincide all the way round.
    bool isComplete() const;
    // Whether the outlines pass through each other here rather than touch and turn back. With
    // `readTo`, how far (in a straight line) from each end along the branches the answer was
    // read: 0 where the tangents at the ends told. Read once, until the run changes.
    bool isCrossing(double *readTo = nullptr) const;
    // One crossing pair where the sides lie nearest, or at the middle stretch.
    void addCrossings();
    // How far apart the two sides lie where addCrossings puts the crossing pair.
    double crossingGap() const;
    // How far apart the two sides lie at the run's end nearer `point`.
    double endGapNear(QPointF point) const;
    FBBezierContour *contour1() const;
    FBBezierContour *contour2() const;
    QString description() const;

    const std::vector<FBEdgeOverlapPtr> &overlaps() const { return mOverlaps; }

private:
    // Where the crossing pair goes: a stretch and a point on it, or that stretch's middle.
    struct Placement
    {
        size_t index = 0;
        FBEdgeOverlap::Nearest nearest;
        bool middle = true;
    };
    Placement crossingPlacement() const;
    bool readCrossing(double *readTo) const;

    std::vector<FBEdgeOverlapPtr> mOverlaps;
    // isCrossing's answer and how far it read, once read.
    struct Reading
    {
        bool crossing;
        double readTo;
    };
    mutable std::optional<Reading> mReading;
};

// Branches that leave one point in one direction are told apart farther along them, at these
// shares of the shortest branch, nearest first (a shared run's ends and a joint's branches alike).
inline constexpr double FBBranch_FartherShares[] = {1.0 / 64, 1.0 / 16, 1.0 / 4, 1.0 / 2};

// Whether a branch up to its contour's joint is a tail no longer than `hair`: its direction tells
// no side, and the curve beyond that joint is read instead.
inline bool FBBranch_IsTail(const FBBezierCurve &branch, double hair)
{
    return branch.length() <= hair;
}

// The tangent arriving at the curve's end (left) or leaving its start (right), taken `offset`
// units along the curve from that end; offset 0 uses the curve's own control points.
QPointF FBOverlap_LeftTangentAtOffset(const FBBezierCurvePtr &curve, double offset);
QPointF FBOverlap_RightTangentAtOffset(const FBBezierCurvePtr &curve, double offset);
// The point `distance` from the curve's start (or end) in a straight line, or the far end when
// the curve reaches no farther: branches leaving one point are compared at equal distances from
// it. A share of the parameter would put the points of curves bending differently at different
// distances, and their directions, which part only slowly, could then show the wrong side.
QPointF FBOverlap_PointAtChord(const FBBezierCurve &curve, double distance, bool fromStart);
