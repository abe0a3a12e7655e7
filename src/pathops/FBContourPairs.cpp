#include "pathops/FBContourPairs.h"

#include "pathops/FBBoxPairs.h"
#include "pathops/PathOperationState.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

namespace {

constexpr size_t kFewestContours = 32;

// Every edge of the contours, with the contour and the place in it that it came from.
struct EdgeList
{
    std::vector<QRectF> boxes;
    std::vector<std::pair<size_t, size_t>> at;
};

EdgeList edgesOf(const std::vector<FBBezierContourPtr> &contours,
                 const std::vector<bool> *only = nullptr)
{
    EdgeList list;
    for (size_t c = 0; c < contours.size(); ++c) {
        if (only && !(*only)[c])
            continue;
        const auto &edges = contours[c]->edges();
        for (size_t e = 0; e < edges.size(); ++e) {
            list.boxes.push_back(edges[e]->curve()->bounds());
            list.at.emplace_back(c, e);
        }
    }
    return list;
}

// The contour of each edge of the list.
std::vector<size_t> contourOfEach(const EdgeList &edges)
{
    std::vector<size_t> contours;
    contours.reserve(edges.at.size());
    for (const auto &[c, e] : edges.at)
        contours.push_back(c);
    return contours;
}

// The box round each contour's edges; nothing when a coordinate is not finite or a contour has
// no edge.
std::optional<std::vector<QRectF>> edgeBoxesOf(const std::vector<FBBezierContourPtr> &contours)
{
    std::vector<QRectF> boxes;
    boxes.reserve(contours.size());
    for (const FBBezierContourPtr &contour : contours) {
        double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
        for (const auto &edge : contour->edges()) {
            const QRectF b = edge->curve()->bounds();
            left = std::min(left, b.left());
            right = std::max(right, b.right());
            top = std::min(top, b.top());
            bottom = std::max(bottom, b.bottom());
        }
        if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) ||
            !std::isfinite(bottom))
            return std::nullopt;
        boxes.push_back(QRectF(QPointF(left, top), QPointF(right, bottom)));
    }
    return boxes;
}

// Which contours have a box meeting another contour's: only their edges can meet another
// contour's edges, since an edge's box lies within its contour's and is padded no more. Most
// contours of a large answer stand clear of the rest and are left out of the edge search.
std::vector<bool> contoursNearOthers(const std::vector<FBBezierContourPtr> &contours)
{
    // A coordinate that is not finite (or no edge) leaves every contour in the search.
    const std::optional<std::vector<QRectF>> boxes = edgeBoxesOf(contours);
    if (!boxes)
        return std::vector<bool>(contours.size(), true);
    // Each box its own group: boxes nested round one centre all meet, and are not listed in pairs.
    std::vector<size_t> each(boxes->size());
    for (size_t c = 0; c < each.size(); ++c)
        each[c] = c;
    return FBBoxPairs_GroupsMeetingOthers(*boxes, each, each.size());
}

// The same between two lists: which contours of each have a box meeting one of the other's.
std::pair<std::vector<bool>, std::vector<bool>>
contoursNearEither(const std::vector<FBBezierContourPtr> &first,
                   const std::vector<FBBezierContourPtr> &second)
{
    const std::optional<std::vector<QRectF>> firstBoxes = edgeBoxesOf(first);
    const std::optional<std::vector<QRectF>> secondBoxes = edgeBoxesOf(second);
    if (!firstBoxes || !secondBoxes)
        return {std::vector<bool>(first.size(), true), std::vector<bool>(second.size(), true)};
    return {FBBoxPairs_MeetingAny(*firstBoxes, *secondBoxes),
            FBBoxPairs_MeetingAny(*secondBoxes, *firstBoxes)};
}

// Counts, for points of a row, the pieces whose ranges (low, high] hold the point's height. The
// pieces are given by their two ends' heights, in pairs; each end's rank among all heights is
// found once, by one sort.
class HeightCounter
{
public:
    explicit HeightCounter(const std::vector<double> &ends) : mRanks(ends.size())
    {
        struct Place
        {
            double height;
            size_t end;
        };
        std::vector<Place> order;
        order.reserve(ends.size());
        for (size_t k = 0; k < ends.size(); ++k)
            order.push_back({ends[k], k});
        std::sort(order.begin(), order.end(),
                  [](const Place &a, const Place &b) { return a.height < b.height; });
        mHeights.reserve(order.size());
        for (const Place &place : order) {
            if (mHeights.empty() || mHeights.back() != place.height)
                mHeights.push_back(place.height);
            mRanks[place.end] = mHeights.size() - 1;
        }
        mTree.assign(mHeights.size() + 1, 0);
    }

    // Adds the piece whose ends are `ends[2 * piece]` and `ends[2 * piece + 1]`; a level one
    // holds no height.
    void add(size_t piece)
    {
        const size_t a = mRanks[2 * piece], b = mRanks[2 * piece + 1];
        if (a == b)
            return;
        change(std::min(a, b), 1);
        change(std::max(a, b), -1);
    }

    // How many ranges added so far hold y: those starting below it less those ending below it.
    qsizetype holding(double y) const
    {
        qsizetype sum = 0;
        for (size_t i =
                 size_t(std::lower_bound(mHeights.begin(), mHeights.end(), y) - mHeights.begin());
             i > 0; i -= i & (~i + 1))
            sum += mTree[i];
        return sum;
    }

private:
    void change(size_t rank, qsizetype by)
    {
        for (size_t i = rank + 1; i < mTree.size(); i += i & (~i + 1))
            mTree[i] += by;
    }

    std::vector<double> mHeights;
    std::vector<size_t> mRanks;
    std::vector<qsizetype> mTree;
};

// Whether the edge's ends lie on different sides of the line at height y, an end on the line
// counting as above it.
bool endsStraddle(const FBBezierCurve &curve, double y)
{
    return (curve.endPoint1().y() >= y) != (curve.endPoint2().y() >= y);
}

bool allFinite(const EdgeList &edges, const std::vector<FBBezierContourPtr> &contours)
{
    for (const QRectF &box : edges.boxes) {
        if (!std::isfinite(box.left()) || !std::isfinite(box.right()) ||
            !std::isfinite(box.top()) || !std::isfinite(box.bottom()))
            return false;
    }
    for (const FBBezierContourPtr &contour : contours) {
        for (const auto &edge : contour->edges()) {
            const FBBezierCurve &curve = *edge->curve();
            if (!std::isfinite(curve.endPoint1().y()) || !std::isfinite(curve.endPoint2().y()))
                return false;
        }
    }
    return true;
}

} // namespace

std::vector<FBContourEdgePair> FBContourPairs_Between(const std::vector<FBBezierContourPtr> &first,
                                                      const std::vector<FBBezierContourPtr> &second)
{
    const auto [firstNear, secondNear] = contoursNearEither(first, second);
    const EdgeList ours = edgesOf(first, &firstNear);
    const EdgeList theirs = edgesOf(second, &secondNear);
    std::vector<FBContourEdgePair> pairs;
    for (const auto &[p, q] : FBBoxPairs_Meeting(ours.boxes, theirs.boxes))
        pairs.push_back(
            {ours.at[p].first, theirs.at[q].first, ours.at[p].second, theirs.at[q].second});
    std::sort(pairs.begin(), pairs.end(), [](const auto &x, const auto &y) {
        return std::tie(x.contour1, x.contour2, x.edge1, x.edge2) <
               std::tie(y.contour1, y.contour2, y.edge1, y.edge2);
    });
    return pairs;
}

std::vector<FBContourEdgePair>
FBContourPairs_Within(const std::vector<FBBezierContourPtr> &contours)
{
    // A graph of one contour (each circle of a fold) has no pair of contours.
    if (contours.size() < 2)
        return {};
    const std::vector<bool> near = contoursNearOthers(contours);
    const EdgeList edges = edgesOf(contours, &near);
    const std::vector<size_t> groups = contourOfEach(edges);
    std::vector<FBContourEdgePair> pairs;
    // p < q, so p's contour comes first.
    for (const auto &[p, q] : FBBoxPairs_MeetingWithin(edges.boxes, &groups))
        pairs.push_back(
            {edges.at[q].first, edges.at[p].first, edges.at[q].second, edges.at[p].second});
    std::sort(pairs.begin(), pairs.end(), [](const auto &x, const auto &y) {
        if (x.contour1 != y.contour1)
            return x.contour1 > y.contour1;
        return std::tie(x.contour2, x.edge1, x.edge2) < std::tie(y.contour2, y.edge1, y.edge2);
    });
    return pairs;
}

std::vector<std::optional<int>>
FBContourPairs_IsolatedInsides(const std::vector<FBBezierContourPtr> &contours,
                               std::optional<std::vector<FBContourEdgePair>> *within)
{
    std::vector<std::optional<int>> insides(contours.size());
    // A few contours are counted ray by ray as quickly.
    if (contours.size() < kFewestContours)
        return insides;
    const EdgeList edges = edgesOf(contours);
    if (!allFinite(edges, contours))
        return insides;
    std::vector<FBContourEdgePair> pairs = FBContourPairs_Within(contours);
    std::vector<bool> isolated(contours.size(), true);
    for (const FBContourEdgePair &pair : pairs)
        isolated[pair.contour1] = isolated[pair.contour2] = false;
    if (within)
        *within = std::move(pairs);
    // The tested contours by their first points from left to right, and the edges by where
    // their boxes end on the right: each point's count holds the edges wholly to its left.
    std::vector<size_t> tested;
    for (size_t c = 0; c < contours.size(); ++c) {
        if (isolated[c] && !contours[c]->edges().empty())
            tested.push_back(c);
    }
    if (tested.empty())
        return insides;
    std::sort(tested.begin(), tested.end(), [&contours](size_t a, size_t b) {
        return contours[a]->firstPoint().x() < contours[b]->firstPoint().x();
    });
    struct Right
    {
        double x;
        size_t edge;
    };
    std::vector<Right> byRight;
    byRight.reserve(edges.boxes.size());
    std::vector<double> heights;
    heights.reserve(2 * edges.boxes.size());
    for (size_t k = 0; k < edges.boxes.size(); ++k) {
        byRight.push_back({edges.boxes[k].right(), k});
        const FBBezierCurve &curve =
            *contours[edges.at[k].first]->edges()[edges.at[k].second]->curve();
        heights.push_back(curve.endPoint1().y());
        heights.push_back(curve.endPoint2().y());
    }
    std::sort(byRight.begin(), byRight.end(),
              [](const Right &a, const Right &b) { return a.x < b.x; });
    HeightCounter counter(heights);
    size_t added = 0;
    for (size_t n = 0; n < tested.size(); ++n) {
        if (n % 1024 == 1023)
            PathOperation_CheckCancelAndTimeLimit();
        const FBBezierContour &contour = *contours[tested[n]];
        const QPointF start = contour.firstPoint();
        for (; added < byRight.size() && byRight[added].x < start.x(); ++added)
            counter.add(byRight[added].edge);
        qsizetype count = counter.holding(start.y());
        // The contour's own edges do not count.
        for (const auto &edge : contour.edges()) {
            if (edge->curve()->bounds().right() < start.x() &&
                endsStraddle(*edge->curve(), start.y()))
                --count;
        }
        insides[tested[n]] = (count & 1) ? 1 : 0;
    }
    return insides;
}
