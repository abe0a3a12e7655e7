#pragma once
// One closed loop of curves taking part in a boolean operation: its edges, whether it is a hole,
// the overlaps it shares with contours of the other graph, and the even-odd tests by a ray.

#include "pathops/FBContourEdge.h"
#include "platform/BezierPath.h"

#include <QRectF>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class FBBezierContour;
class FBContourOverlap;
using FBBezierContourPtr = std::shared_ptr<FBBezierContour>;
using FBContourOverlapPtr = std::shared_ptr<FBContourOverlap>;

// What an answer keeps of a piece of one operand that runs along the other operand's outline all
// its length (the same outline drawn in both, where contours of one operand also cross each
// other): it bounds the answer when the answer differs on its two sides, `result` telling what
// the answer holds from whether a point lies in this operand's region and the other's. Only one
// operand's piece is kept (`keeps`), since the other's runs along the same outline.
struct FBAlongRule
{
    bool (*result)(bool self, bool other) = nullptr;
    bool keeps = false;
};

class FBBezierContour : public std::enable_shared_from_this<FBBezierContour>
{
public:
    FBBezierContour();
    FBBezierContour(const FBBezierContour &) = delete;
    FBBezierContour &operator=(const FBBezierContour &) = delete;
    static FBBezierContourPtr bezierContourWithCurve(const FBBezierCurvePtr &curve);

    // nullptr is ignored.
    void addCurve(const FBBezierCurvePtr &curve);
    void addReverseCurve(const FBBezierCurvePtr &curve);
    // The piece of an edge between two crossings; a missing crossing stands for the edge's end.
    void addCurveFrom(const FBEdgeCrossing *startCrossing, const FBEdgeCrossing *endCrossing);
    void addReverseCurveFrom(const FBEdgeCrossing *startCrossing,
                             const FBEdgeCrossing *endCrossing);
    // Moves the start of the edge at `first` to `start` and the end of the last edge to `end`:
    // the pieces traced from one crossing to the next then meet the pieces before and after
    // them exactly. Nothing happens when `first` is past the last edge.
    void joinEdgesFrom(size_t first, QPointF start, QPointF end);
    // Adds a line back to the start when the loop is open.
    void close();

    // The same curves, without crossings, marks or overlaps.
    FBBezierContourPtr copy() const;
    FBBezierContourPtr reversedContour() const;
    // 0 counter-clockwise in y-up terms (non-negative shoelace sum), 1 clockwise.
    int direction() const;
    FBBezierContourPtr contourMadeClockwiseIfNecessary();

    QRectF bounds() const;
    QPointF firstPoint() const;
    // Even-odd inside test by a horizontal ray.
    bool containsPoint(QPointF point) const;
    // Whether a ray from a point meets this contour at or next to the joint of two edges.
    bool rayMeetsJoint(const FBBezierCurvePtr &ray) const;
    qsizetype numberOfIntersectionsWithRay(const FBContourEdge *testEdge) const;
    // The number of times a ray crosses this contour, and whether the ray passes farther than
    // `reach` from every joint and touches no edge: a ray through a joint or along an edge can
    // be counted once too often or too seldom.
    struct RayCount
    {
        qsizetype crossings = 0;
        bool clear = true;
    };
    RayCount crossingsOfRay(const FBContourEdge *testEdge, double reach) const;
    std::vector<FBBezierIntersectionPtr> intersectionsWithRay(const FBContourEdge *testEdge) const;
    // The first edge whose start is not shared with a crossing of another contour.
    FBContourEdge *startEdge() const;
    // The crossings a walk round the contour from its start edge meets, each with its place on
    // the walk, listed by the contour of its counterpart (self crossings left out): marking
    // against one of many crossed contours then visits that one's crossings only.
    using CrossingWalk = std::unordered_map<const FBBezierContour *,
                                            std::vector<std::pair<size_t, FBEdgeCrossing *>>>;
    CrossingWalk crossingWalk() const;
    // With `walk` (this contour's crossingWalk(), the crossings unchanged since), the marks are
    // the same, found without walking the crossings of other contours; likewise with the other
    // contour's selfIntersectingContours() in hand.
    void markCrossingsAsEntryOrExitWithContour(
        FBBezierContour *otherContour, bool markInside, const CrossingWalk *walk = nullptr,
        const std::vector<FBBezierContour *> *otherSelfIntersecting = nullptr,
        FBAlongRule along = {});
    bool contourAndSelfIntersectingContoursContainPoint(QPointF point) const;
    const platform::BezierPath &bezierPath() const;

    // The contours on the other side of this contour's crossings, each once.
    std::vector<FBBezierContour *> intersectingContours() const;
    // Contours of the same graph this one meets, crossing it or touching it (at a point or along
    // a side), as the self crossings found them; they count with it where the other graph's
    // pieces are read. Cleared with the self crossings.
    void addMeetingContour(FBBezierContour *contour);
    void clearMeetingContours() { mMeeting.clear(); }
    // Whether a point near this contour lies in the region of its graph is the even-odd count of
    // `counted` (this contour and contours meeting it) turned over by this parity: that of the
    // contours holding this one that `counted` leaves out.
    bool parityOutside(const std::vector<const FBBezierContour *> &counted) const;
    std::vector<FBBezierContour *> selfIntersectingContours() const;
    // Adds every contour reachable through self crossings or meetings, except `originalContour`.
    void addSelfIntersectingContoursToArray(std::vector<FBBezierContour *> &contours,
                                            const FBBezierContour *originalContour) const;

    void addOverlap(const FBContourOverlapPtr &overlap);
    void removeAllOverlaps();
    // Both outlines coincide along their whole length.
    bool isEquivalent(const FBBezierContour *other) const;
    // The area the outline encloses, taken as positive.
    double enclosedArea() const;
    // Equivalent, and enclosing the same area to rounding: one outline drawn twice (or moved by
    // less than the coincidence tolerance). Equivalent contours whose areas differ are a hair
    // apart: one inside the other (a copy grown, shrunk or stroked by a hair), or crossing it at
    // angles too small for any crossing to be found (a copy scaled by a hair about a point).
    bool isSameOutline(const FBBezierContour *other) const;

    QString description() const;
    platform::BezierPath debugPathForIntersectionType(int type) const;

    const std::vector<std::unique_ptr<FBContourEdge>> &edges() const { return mEdges; }
    int inside() const { return mInside; }
    void setInside(int inside) { mInside = inside; }
    const std::vector<FBContourOverlapPtr> &overlaps() const { return mOverlaps; }
    // Those of the overlaps that hold shared stretches: a contour crossing thousands of others
    // has an overlap with each, nearly all of them empty.
    const std::vector<FBContourOverlapPtr> &sharedOverlaps() const { return mSharedOverlaps; }

private:
    // The intersections of a ray with one edge whose box it meets; or, when `clear`, the one
    // crossing that no search needs to find (in the middle of both, not tangent).
    struct RayHit
    {
        const FBContourEdge *edge;
        std::vector<FBBezierIntersectionPtr> intersections;
        bool clear = false;
    };
    // With `quick`, edges the ray clearly crosses once are not searched.
    std::vector<RayHit> hitsOfRay(const FBBezierCurvePtr &ray, bool quick) const;
    static bool hitsMeetJoint(const std::vector<RayHit> &hits);
    // The crossings among the hits, each crossing at a joint once; a clear crossing is nullptr.
    static std::vector<FBBezierIntersectionPtr> crossingsAmongHits(const FBContourEdge *testEdge,
                                                                   const std::vector<RayHit> &hits);

    std::vector<std::unique_ptr<FBContourEdge>> mEdges;
    mutable QRectF mBounds;
    int mInside = 0;
    std::vector<FBContourOverlapPtr> mOverlaps;
    std::vector<FBContourOverlapPtr> mSharedOverlaps;
    std::vector<FBBezierContour *> mMeeting;
    mutable std::optional<platform::BezierPath> mBezPathCache;
};
