#include "pathops/FBBezierGraph.h"

#include "pathops/FBBoxPairs.h"
#include "pathops/FBCoincidentContours.h"
#include "pathops/FBContourPairs.h"
#include "pathops/FBContourOverlap.h"
#include "pathops/FBCurvePoints.h"
#include "pathops/FBCurveStretch.h"
#include "pathops/FBEdgeOverlapRun.h"
#include "pathops/FBTolerances.h"
#include "pathops/PathOperationState.h"
#include "pathops/PelkoNSBezierPath.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace {

bool isZeroRect(const QRectF &r)
{
    return r.x() == 0 && r.y() == 0 && r.width() == 0 && r.height() == 0;
}

std::vector<QRectF> contourBounds(const std::vector<FBBezierContourPtr> &contours)
{
    std::vector<QRectF> boxes;
    boxes.reserve(contours.size());
    for (const FBBezierContourPtr &contour : contours)
        boxes.push_back(contour->bounds());
    return boxes;
}

// The edges of a contour whose boxes meet `box`, by their index, and those boxes.
void edgesMeeting(const FBBezierContour &contour, const QRectF &box, std::vector<size_t> &indices,
                  std::vector<QRectF> &boxes)
{
    for (size_t i = 0; i < contour.edges().size(); ++i) {
        const QRectF b = contour.edges()[i]->curve()->bounds();
        if (FBBoxPairs_BoxesMeet(box, b)) {
            indices.push_back(i);
            boxes.push_back(b);
        }
    }
}

// Whether any edge of one contour meets any edge of the other. Only the edges near the other
// contour's box are paired: a long outline and a small contour beside it share few.
bool contoursIntersect(const FBBezierContour &a, const FBBezierContour &b)
{
    if (!FBBoxPairs_BoxesMeet(a.bounds(), b.bounds()))
        return false;
    std::vector<size_t> aIndices, bIndices;
    std::vector<QRectF> aBoxes, bBoxes;
    edgesMeeting(a, b.bounds(), aIndices, aBoxes);
    edgesMeeting(b, a.bounds(), bIndices, bBoxes);
    for (const auto &[i, j] : FBBoxPairs_Meeting(aBoxes, bBoxes)) {
        const FBBezierCurvePtr &curve = b.edges()[bIndices[j]]->curve();
        if (!a.edges()[aIndices[i]]->curve()->intersectionsWithBezierCurve(curve).empty())
            return true;
    }
    return false;
}

} // namespace

FBBezierGraph::FBBezierGraph()
{
    mContours.reserve(2);
}

FBBezierGraph::FBBezierGraph(const platform::BezierPath &path) : FBBezierGraph()
{
    buildFromPath(path);
}

FBBezierGraph FBBezierGraph::bezierGraphWithBezierPath(const platform::BezierPath &path)
{
    return FBBezierGraph(path);
}

void FBBezierGraph::buildFromPath(const platform::BezierPath &path)
{
    FBBezierContourPtr contour;
    QPointF lastPoint;
    // Where a segment after a close starts its new contour; none before the first move-to.
    std::optional<QPointF> reopenAt;
    bool closedByLine = false;
    auto startContour = [&](QPointF start) {
        // Rays that cross curves clearly search nothing: the loops over many contours look
        // for a cancel themselves.
        PathOperation_CheckCancelAndTimeLimit();
        contour = std::make_shared<FBBezierContour>();
        addContour(contour);
        closedByLine = false;
        lastPoint = start;
    };
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        const NSBezierElement element = fb_elementAtIndex(path, i);
        switch (element.kind) {
        case 0:
            if (contour && !closedByLine)
                contour->close();
            startContour(element.point);
            break;
        case 1:
        case 2:
            if (!contour) {
                if (!reopenAt)
                    break;
                startContour(*reopenAt);
            }
            if (element.kind == 1) {
                if (element.point == lastPoint)
                    break;
                contour->addCurve(
                    FBBezierCurve::bezierCurveWithLineStartPoint(lastPoint, element.point));
            } else {
                if (element.point == lastPoint && element.controlPoints[0] == lastPoint &&
                    element.controlPoints[1] == lastPoint)
                    break;
                contour->addCurve(FBBezierCurve::bezierCurveWithEndPoint1(
                    lastPoint, element.controlPoints[0], element.controlPoints[1], element.point));
            }
            lastPoint = element.point;
            break;
        case 3:
            if (!contour)
                break;
            if (!contour->edges().empty()) {
                const QPointF start = contour->edges().front()->curve()->endPoint1();
                if (lastPoint != start) {
                    contour->addCurve(
                        FBBezierCurve::bezierCurveWithLineStartPoint(lastPoint, start));
                    closedByLine = true;
                }
            }
            // What follows a close starts afresh where the closed subpath started.
            if (!closedByLine)
                contour->close();
            reopenAt = element.point;
            contour.reset();
            break;
        }
    }
    if (contour && !closedByLine)
        contour->close();
    // A subpath that drew nothing is no contour.
    std::erase_if(mContours, [](const FBBezierContourPtr &c) { return c->edges().empty(); });
    mBounds = QRectF();

    const std::vector<int> insides = allContourInsides();
    for (size_t i = 0; i < mContours.size(); ++i)
        mContours[i]->setInside(insides[i]);
}

void FBBezierGraph::addContour(const FBBezierContourPtr &contour)
{
    mContours.push_back(contour);
    mBounds = QRectF();
    mRows.reset();
    mColumns.reset();
    mPairsWithin.reset();
}

std::vector<size_t> FBBezierGraph::contoursAcross(double position, bool horizontal, double slack,
                                                  FBIndexFilter keep) const
{
    std::optional<SpanIndex> &index = horizontal ? mRows : mColumns;
    if (!index) {
        index = SpanIndex{{}, 0.0}; // emplace() needs the nested type complete under clang
        index->byStart.reserve(mContours.size());
        for (size_t i = 0; i < mContours.size(); ++i) {
            const QRectF b = mContours[i]->bounds();
            const double start = horizontal ? b.top() : b.left();
            const double length = horizontal ? b.height() : b.width();
            // A box that is not a number goes first and reaches everywhere.
            const bool finite = std::isfinite(start) && std::isfinite(length);
            index->byStart.push_back(
                {finite ? start : -INFINITY, i, horizontal ? b.bottom() : b.right()});
            index->longest = std::max(index->longest, finite ? length : double(INFINITY));
            index->finite = index->finite && std::isfinite(b.left()) && std::isfinite(b.right()) &&
                            std::isfinite(b.top()) && std::isfinite(b.bottom());
        }
        std::sort(index->byStart.begin(), index->byStart.end(), [](const Span &a, const Span &b) {
            return a.start != b.start ? a.start < b.start : a.index < b.index;
        });
    }
    const double pad = std::max(1e-9 * (1.0 + std::abs(position)), slack);
    const auto &spans = index->byStart;
    const auto end = std::upper_bound(spans.begin(), spans.end(), position + pad,
                                      [](double value, const Span &s) { return value < s.start; });
    auto it = std::lower_bound(spans.begin(), end, position - pad - index->longest,
                               [](const Span &s, double value) { return s.start < value; });
    if (!std::isfinite(index->longest))
        it = spans.begin();
    std::vector<size_t> found;
    for (; it != end; ++it) {
        if (!(it->finish < position - pad) && (!keep || keep(it->index)))
            found.push_back(it->index);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<std::vector<size_t>> FBBezierGraph::contoursAround(const QRectF &box,
                                                                 double reach) const
{
    const double extent = std::max(FBGeom_LargestMagnitude(box), FBGeom_LargestMagnitude(bounds()));
    if (!std::isfinite(extent) || !std::isfinite(reach))
        return std::nullopt;
    // A box that holds `box` does so give or take `reach` and the boxes' own rounding pad (at
    // most 1e-9 of the largest coordinate met): twice that is room enough.
    const double slack = 2.0 * (reach + 1e-9 * (1.0 + extent));
    std::vector<size_t> found = contoursAcross(box.top(), true, slack, [&](size_t i) {
        const QRectF outer = mContours[i]->bounds();
        return !(box.left() < outer.left() - slack || outer.right() + slack < box.right() ||
                 outer.bottom() + slack < box.bottom());
    });
    if (!mRows->finite)
        return std::nullopt;
    return found;
}

std::vector<int> FBBezierGraph::allContourInsides() const
{
    std::vector<int> insides(mContours.size(), 0);
    const std::vector<QRectF> boxes = contourBounds(mContours);
    // Contours clear of every other outline are counted in one sweep; the rays of holeOrFill are
    // for the rest, which other outlines meet or come close to.
    const std::vector<std::optional<int>> isolated =
        FBContourPairs_IsolatedInsides(mContours, &mPairsWithin);
    for (size_t i = 0; i < mContours.size(); ++i) {
        PathOperation_CheckCancelAndTimeLimit();
        insides[i] = isolated[i] ? *isolated[i] : holeOrFill(mContours[i].get(), boxes);
    }
    return insides;
}

namespace {

// Where the hole-or-fill ray of a contour may start: its first point, then points along its
// edges, whose heights seldom are those of another contour's corners. Each is worked out when
// asked for: the first nearly always decides.
class RayStarts
{
public:
    explicit RayStarts(const FBBezierContour &contour) : mContour(contour) {}

    size_t size() const { return std::min(MostStarts, 1 + 2 * mContour.edges().size()); }
    QPointF operator[](size_t k) const
    {
        if (k == 0)
            return mContour.firstPoint();
        const auto &edges = mContour.edges();
        const double t = (k - 1) < edges.size() ? 0.5 : 0.3819660112501051;
        return edges[(k - 1) % edges.size()]->curve()->pointAtParameter(t);
    }

private:
    static constexpr size_t MostStarts = 24;
    const FBBezierContour &mContour;
};

} // namespace

int FBBezierGraph::holeOrFill(const FBBezierContour *testContour,
                              const std::vector<QRectF> &boxes) const
{
    // Alone in its graph, a contour has nothing around it: a fill.
    if (mContours.size() == 1 && mContours.front().get() == testContour)
        return 0;
    const QRectF graphBounds = bounds();
    const double reach =
        1e-9 * (1.0 + std::max({std::abs(graphBounds.left()), std::abs(graphBounds.right()),
                                std::abs(graphBounds.top()), std::abs(graphBounds.bottom())}));
    // A contour that meets the tested one is counted by where the tested one lies beside it,
    // not by a ray: it may touch it at a point or share a side with it (a counter's tip on its
    // hole's side, a hole sharing its outline's side). One that crosses it says nothing about
    // whether it is a hole; asked once.
    std::unordered_map<size_t, bool> meets;
    auto meetsTested = [&](size_t j) {
        const auto found = meets.find(j);
        if (found != meets.end())
            return found->second;
        return meets[j] = contoursIntersect(*mContours[j], *testContour);
    };
    const QRectF testBox = testContour->bounds();
    // Of a large graph, only the contours whose boxes span the tested one's top can hold it.
    std::optional<std::vector<size_t>> around = contoursAround(testBox, reach);
    if (!around) {
        around.emplace(mContours.size());
        std::iota(around->begin(), around->end(), size_t(0));
    }
    qsizetype touching = 0;
    for (size_t j : *around) {
        if (mContours[j].get() == testContour ||
            !FBBoxPairs_BoxHolds(boxes[j].adjusted(-reach, -reach, reach, reach), testBox) ||
            !meetsTested(j))
            continue;
        if (FBContainment_SideOfTouchingContour(*testContour, *mContours[j]) == true)
            ++touching;
    }
    // A ray through another contour's corner, or along its edge, can be counted one crossing
    // off. The first start whose ray passes clear of every corner decides; when none does, the
    // first point's count stands.
    std::optional<qsizetype> firstCount;
    // Beside a joint by more than a rounding error at the tested contour's own scale: a speck's
    // ray always passes within a billionth of the coordinates of its neighbours' joints, which
    // lie a share of its size away, and no start of it would be clear.
    const double jointReach =
        FBTol_AtCurveSize(reach, std::max(testBox.width(), testBox.height()),
                          std::max({std::abs(testBox.left()), std::abs(testBox.right()),
                                    std::abs(testBox.top()), std::abs(testBox.bottom())}));
    const RayStarts starts(*testContour);
    for (size_t k = 0; k < starts.size(); ++k) {
        const QPointF start = starts[k];
        // A contour whose box does not hold the start cannot surround it: the ray crosses it an
        // even number of times. Most contours of a large graph have none that can.
        const std::vector<size_t> holding = contoursAcross(start.y(), true, 0.0, [&](size_t j) {
            return mContours[j].get() != testContour && FBBoxPairs_BoxHoldsPoint(boxes[j], start);
        });
        if (holding.empty())
            return (touching & 1) ? 1 : 0;
        const double endX =
            start.x() > graphBounds.left() ? graphBounds.left() - 10 : graphBounds.right() + 10;
        const FBBezierContourPtr ray = FBBezierContour::bezierContourWithCurve(
            FBBezierCurve::bezierCurveWithLineStartPoint(start, QPointF(endX, start.y())));
        const FBContourEdge *testEdge = ray->edges().front().get();
        const QRectF rayBounds = testEdge->curve()->bounds();
        FBBezierContour::RayCount total;
        for (size_t j : holding) {
            if (!FBBoxPairs_BoxesMeet(rayBounds, boxes[j]) || meetsTested(j))
                continue;
            const FBBezierContour::RayCount count =
                mContours[j]->crossingsOfRay(testEdge, jointReach);
            total.crossings += count.crossings;
            total.clear = total.clear && count.clear;
            if (!total.clear && firstCount)
                break;
        }
        if (total.clear)
            return ((total.crossings + touching) & 1) ? 1 : 0;
        if (!firstCount)
            firstCount = total.crossings;
    }
    return ((*firstCount + touching) & 1) ? 1 : 0;
}

QRectF FBBezierGraph::bounds() const
{
    if (!isZeroRect(mBounds))
        return mBounds;
    if (mContours.empty())
        return QRectF();
    QRectF total;
    for (const FBBezierContourPtr &contour : mContours) {
        const QRectF b = contour->bounds();
        total = isZeroRect(total) ? b : FBGeom_UnionRect(total, b);
    }
    mBounds = total;
    return mBounds;
}

int FBBezierGraph::contourInsides(const FBBezierContour *testContour) const
{
    return holeOrFill(testContour, contourBounds(mContours));
}

void FBBezierGraph::removeCrossings()
{
    for (const FBBezierContourPtr &contour : mContours) {
        contour->clearMeetingContours();
        for (const auto &edge : contour->edges())
            edge->removeAllCrossings();
    }
}

void FBBezierGraph::removeSelfCrossings()
{
    for (const FBBezierContourPtr &contour : mContours) {
        contour->clearMeetingContours();
        for (const auto &edge : contour->edges()) {
            const std::vector<FBEdgeCrossingPtr> crossings = edge->crossings();
            for (const FBEdgeCrossingPtr &crossing : crossings) {
                if (crossing->isSelfCrossing())
                    crossing->removeFromEdge();
            }
        }
    }
}

void FBBezierGraph::removeOverlaps()
{
    for (const FBBezierContourPtr &contour : mContours)
        contour->removeAllOverlaps();
}

platform::BezierPath FBBezierGraph::bezierPath() const
{
    platform::BezierPath path;
    path.setWindingRule(platform::WindingRule::EvenOdd);
    qint64 elements = 0;
    for (const FBBezierContourPtr &contour : mContours)
        elements += contour->edges().empty() ? 0 : qint64(contour->edges().size()) + 2;
    path.reserveElements(elements);
    for (const FBBezierContourPtr &contour : mContours) {
        if (contour->edges().empty())
            continue;
        path.moveToPoint(contour->edges().front()->curve()->endPoint1());
        for (const auto &edge : contour->edges()) {
            const FBBezierCurvePtr &curve = edge->curve();
            if (curve->isStraightLine())
                path.lineToPoint(curve->endPoint2());
            else
                path.curveToPoint(curve->endPoint2(), curve->controlPoint1(),
                                  curve->controlPoint2());
        }
        path.closePath();
    }
    return path;
}

QString FBBezierGraph::description() const
{
    const QRectF b = bounds();
    QStringList contours;
    for (size_t i = 0; i < mContours.size(); ++i)
        contours << QStringLiteral("%1: %2").arg(i).arg(mContours[i]->description());
    return QString::asprintf("<FBBezierGraph: bounds = (%f, %f)(%f, %f) contours = ", b.x(), b.y(),
                             b.width(), b.height()) +
           QStringLiteral("(%1)>").arg(contours.join(", "));
}
