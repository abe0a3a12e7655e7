#pragma once
// A path as the boolean operations see it: a set of closed contours of cubic curves, each marked
// as a filled region or a hole. Building one from a path, the crossings between two graphs and
// inside one, the four operations, the containment test, and the way back to a path.
//
// An operation inserts crossings and overlaps into both graphs and removes them before it
// returns, so the same two graphs can be combined again. A graph is used by one thread at a time.

#include "pathops/FBBezierContour.h"
#include "pathops/FBContourPairs.h"
#include "platform/BezierPath.h"

#include <QRectF>
#include <functional>
#include <optional>
#include <vector>

// A call on a contour's index that a search makes while it runs: it refers to the callable it
// was made from (a lambda at the call), so that passing one allocates nothing.
class FBIndexFilter
{
public:
    FBIndexFilter() = default;
    template <typename F>
    FBIndexFilter(const F &filter)
        : mFilter(&filter),
          mCall([](const void *f, size_t i) { return bool((*static_cast<const F *>(f))(i)); })
    {}
    explicit operator bool() const { return mCall != nullptr; }
    bool operator()(size_t i) const { return mCall(mFilter, i); }

private:
    const void *mFilter = nullptr;
    bool (*mCall)(const void *, size_t) = nullptr;
};

class FBBezierGraph
{
public:
    FBBezierGraph();
    // Contours from the path's subpaths, each marked filled or hole by a ray count.
    explicit FBBezierGraph(const platform::BezierPath &path);
    static FBBezierGraph bezierGraphWithBezierPath(const platform::BezierPath &path);
    static FBBezierGraph bezierGraph() { return FBBezierGraph(); }

    void addContour(const FBBezierContourPtr &contour);
    const std::vector<FBBezierContourPtr> &contours() const { return mContours; }
    // The union of the contours' bounds; the zero rectangle without contours.
    QRectF bounds() const;
    // 0 when the contour bounds a filled region, 1 when it bounds a hole.
    int contourInsides(const FBBezierContour *contour) const;

    // The four operations; each answers a new graph. Throw platform::Exception when the running
    // combination is cancelled or runs out of time.
    FBBezierGraph unionWithBezierGraph(FBBezierGraph &graph);
    FBBezierGraph intersectWithBezierGraph(FBBezierGraph &graph);
    FBBezierGraph differenceWithBezierGraph(FBBezierGraph &graph);
    FBBezierGraph xorWithBezierGraph(FBBezierGraph &graph);

    // Steps of the operations.
    // With `pairs`, FBContourPairs_Between of the two graphs' contours as they are now.
    void insertCrossingsWithBezierGraph(FBBezierGraph &other,
                                        const std::vector<FBContourEdgePair> *pairs = nullptr);
    void insertSelfCrossings();
    void removeDuplicateCrossings();
    bool doesEdge(const FBContourEdge *edge1, const FBContourEdge *edge2,
                  FBBezierIntersection &intersection) const;
    void removeCrossings();
    void removeSelfCrossings();
    void removeOverlaps();
    void markCrossingsAsEntryOrExitWithBezierGraph(FBBezierGraph &otherGraph, bool markInside,
                                                   FBAlongRule along = {});
    // Both graphs' crossings marked (with self crossings in place), and touches dropped.
    void markCrossingsOfBothGraphs(FBBezierGraph &theirs, bool markOursInside,
                                   bool markTheirsInside, FBAlongRule alongOurs = {},
                                   FBAlongRule alongTheirs = {});
    // Drops every crossing pair that both outlines' marks found to be a touch: the pieces on both
    // sides of it lie on one side of the other outline, on both outlines.
    void removeTouchingCrossings();
    FBBezierGraph bezierGraphFromIntersections();
    // Every crossing's entry mark turned over and made unprocessed: the marks of the other
    // operation's sides (a difference the other way round) for one more trace.
    void turnCrossingsOver();
    FBEdgeCrossing *firstUnprocessedCrossing() const;
    std::vector<FBBezierContourPtr> nonintersectingContours() const;
    void unionEquivalentNonintersectingContours(std::vector<FBBezierContourPtr> &ourContours,
                                                std::vector<FBBezierContourPtr> &theirContours,
                                                std::vector<FBBezierContourPtr> &results) const;
    void intersectEquivalentNonintersectingContours(std::vector<FBBezierContourPtr> &ourContours,
                                                    std::vector<FBBezierContourPtr> &theirContours,
                                                    std::vector<FBBezierContourPtr> &results) const;
    void
    differenceEquivalentNonintersectingContours(std::vector<FBBezierContourPtr> &ourContours,
                                                std::vector<FBBezierContourPtr> &theirContours,
                                                std::vector<FBBezierContourPtr> &results) const;
    void xorEquivalentNonintersectingContours(std::vector<FBBezierContourPtr> &ourContours,
                                              std::vector<FBBezierContourPtr> &theirContours,
                                              std::vector<FBBezierContourPtr> &results) const;

    // Containment of a contour that crosses nothing, by rays across it and the graph; a contour
    // of the graph equivalent to it but enclosing another area (a copy a hair apart) holds it when
    // it encloses more.
    bool containsContour(const FBBezierContour *contour) const;
    bool eliminateContainers(std::vector<FBBezierContour *> &containers,
                             const FBBezierContour *testContour, const FBBezierCurvePtr &ray) const;
    bool findBoundsOfContour(const FBBezierContour *testContour, const FBBezierCurvePtr &ray,
                             QPointF *testMinimum, QPointF *testMaximum) const;
    // With the tested contour's box, containers whose box cannot hold it add no crossings.
    bool findCrossingsOnContainers(const std::vector<FBBezierContour *> &containers,
                                   const FBBezierCurvePtr &ray, QPointF testMinimum,
                                   QPointF testMaximum,
                                   std::vector<FBEdgeCrossingPtr> &crossingsBefore,
                                   std::vector<FBEdgeCrossingPtr> &crossingsAfter,
                                   const QRectF *testBounds = nullptr) const;

    // The contours as one even-odd path, each a closed subpath.
    platform::BezierPath bezierPath() const;

    // For inspection: the first steps of an operation, and drawings of a contour's joints and of
    // the ray that decides whether it is a hole.
    void debuggingInsertCrossingsForUnionWithBezierGraph(FBBezierGraph &otherGraph);
    void debuggingInsertCrossingsForIntersectWithBezierGraph(FBBezierGraph &otherGraph);
    void debuggingInsertCrossingsForDifferenceWithBezierGraph(FBBezierGraph &otherGraph);
    void debuggingInsertCrossingsWithBezierGraph(FBBezierGraph &otherGraph, bool markInside,
                                                 bool markOtherInside);
    void debuggingInsertIntersectionsWithBezierGraph(FBBezierGraph &otherGraph);
    platform::BezierPath debugPathForJointsOfContour(const FBBezierContour *contour) const;
    platform::BezierPath debugPathForContainmentOfContour(const FBBezierContour *contour) const;
    QString description() const;

private:
    enum class Operation { Union, Intersect, Difference, Xor };
    bool containsContourByRays(const FBBezierContour *contour) const;
    FBBezierGraph combine(FBBezierGraph &theirs, Operation operation);
    // The contours and what is known of them, put aside while an operation works on copies.
    struct SavedContours
    {
        std::vector<FBBezierContourPtr> contours;
        std::optional<std::vector<FBContourEdgePair>> pairsWithin;
    };
    // Puts each contour that has a replacement (non-null, at its index) aside in `saved` for
    // it; false, and nothing changes, without replacements.
    bool replaceContours(const std::vector<FBBezierContourPtr> &cuts, SavedContours &saved);
    void restoreContours(SavedContours &saved);
    void buildFromPath(const platform::BezierPath &path);
    // The hole-or-fill mark of every contour at once, each ray meeting only the contours whose
    // boxes it meets.
    std::vector<int> allContourInsides() const;
    // 1 when a ray from the contour crosses the other contours (`boxes` their bounds) an odd
    // number of times, 0 otherwise.
    int holeOrFill(const FBBezierContour *testContour, const std::vector<QRectF> &boxes) const;
    // The contours whose boxes a horizontal (or vertical) line at `position` meets, in order;
    // `slack` widens every box by at least that much, and `keep`, when given, picks among them
    // before they are put in order.
    std::vector<size_t> contoursAcross(double position, bool horizontal, double slack = 0.0,
                                       FBIndexFilter keep = {}) const;
    // In order, a few contours among which are all whose boxes, grown by `reach`, hold `box`; or
    // nothing when a box is not finite and every contour must be asked.
    std::optional<std::vector<size_t>> contoursAround(const QRectF &box, double reach) const;

    // Contours ordered by where their boxes begin across one axis (with where they end), and
    // the longest box.
    struct Span
    {
        double start;
        size_t index;
        double finish;
    };
    struct SpanIndex
    {
        std::vector<Span> byStart;
        double longest = 0.0;
        // Whether every coordinate of every box is a finite number.
        bool finite = true;
    };

    std::vector<FBBezierContourPtr> mContours;
    mutable QRectF mBounds;
    mutable std::optional<SpanIndex> mRows;
    mutable std::optional<SpanIndex> mColumns;
    // The edge pairs of different contours whose boxes meet, when the hole-or-fill sweep found
    // them; kept until a contour is added.
    mutable std::optional<std::vector<FBContourEdgePair>> mPairsWithin;
};

// Helpers of the containment test, on crossings that were never inserted into their edges.
qsizetype FBContainment_NumberOfTimesContourAppearsInCrossings(
    const FBBezierContour *contour, const std::vector<FBEdgeCrossingPtr> &crossings);
std::vector<FBBezierContour *>
FBContainment_ContoursFromCrossings(const std::vector<FBEdgeCrossingPtr> &crossings);
void FBContainment_RemoveContourCrossingsThatDontAppearIn(
    std::vector<FBEdgeCrossingPtr> &crossings1, const std::vector<FBEdgeCrossingPtr> &crossings2);
void FBContainment_RemoveContoursThatDontContain(std::vector<FBEdgeCrossingPtr> &crossings);
// Which side of `container` a contour that meets it (touching it at a point, or sharing a side
// with it) lies on, by points of it clear of the container's outline: true inside, false
// outside, nothing when they disagree (the two cross) or none lies clear.
std::optional<bool> FBContainment_SideOfTouchingContour(const FBBezierContour &contour,
                                                        const FBBezierContour &container);
void FBContainment_RemoveCrossingsForContours(std::vector<FBEdgeCrossingPtr> &crossings,
                                              const std::vector<FBBezierContour *> &contours);
