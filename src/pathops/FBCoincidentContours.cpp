#include "pathops/FBCoincidentContours.h"

#include "pathops/FBBezierContour.h"
#include "pathops/FBBezierIntersectRange.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

bool near(QPointF p, QPointF q, double tolerance)
{
    return std::abs(p.x() - q.x()) <= tolerance && std::abs(p.y() - q.y()) <= tolerance;
}

// An edge whose points all lie within the tolerance of its start draws nothing.
bool drawsNothing(const FBContourEdge &edge, double tolerance)
{
    const std::array<QPointF, 4> p = edge.curve()->points();
    return near(p[1], p[0], tolerance) && near(p[2], p[0], tolerance) &&
           near(p[3], p[0], tolerance);
}

bool sameCurve(const FBBezierCurve &a, const FBBezierCurve &b, bool reversed, double tolerance)
{
    const std::array<QPointF, 4> p = a.points();
    const std::array<QPointF, 4> q = b.points();
    for (size_t k = 0; k < 4; ++k) {
        if (!near(p[k], q[reversed ? 3 - k : k], tolerance))
            return false;
    }
    return true;
}

std::vector<FBContourEdge *> drawingEdges(const FBBezierContour &contour, double tolerance)
{
    std::vector<FBContourEdge *> edges;
    for (const auto &edge : contour.edges()) {
        if (!drawsNothing(*edge, tolerance))
            edges.push_back(edge.get());
    }
    return edges;
}

// For each drawing edge of ours, in order, the edge of theirs on the same curve: theirs[(start
// + i) mod n] forwards, theirs[(start - i) mod n] reversed.
std::optional<std::vector<FBContourEdge *>> matchEdges(const std::vector<FBContourEdge *> &ours,
                                                       const std::vector<FBContourEdge *> &theirs,
                                                       bool reversed, double tolerance)
{
    const size_t n = ours.size();
    for (size_t start = 0; start < n; ++start) {
        if (!sameCurve(*ours[0]->curve(), *theirs[start]->curve(), reversed, tolerance))
            continue;
        std::vector<FBContourEdge *> matched{theirs[start]};
        for (size_t i = 1; i < n; ++i) {
            FBContourEdge *other = theirs[reversed ? (start + n - i) % n : (start + i) % n];
            if (!sameCurve(*ours[i]->curve(), *other->curve(), reversed, tolerance))
                break;
            matched.push_back(other);
        }
        if (matched.size() == n)
            return matched;
    }
    return std::nullopt;
}

} // namespace

double FBCoincidence_Tolerance(const QRectF &a, const QRectF &b)
{
    const double size = std::max({a.width(), a.height(), b.width(), b.height(), 1.0});
    // Coordinates far from the origin carry rounding of their own.
    const double rounding = 1e-9 * std::max(FBGeom_LargestMagnitude(a), FBGeom_LargestMagnitude(b));
    return 1e-5 * size + rounding;
}

FBContourOverlapPtr FBCoincidence_CompleteOverlap(FBBezierContour &ours, FBBezierContour &theirs)
{
    const QRectF a = ours.bounds();
    const QRectF b = theirs.bounds();
    const double tolerance = FBCoincidence_Tolerance(a, b);
    if (!(std::isfinite(tolerance) && near(a.topLeft(), b.topLeft(), tolerance) &&
          near(a.bottomRight(), b.bottomRight(), tolerance)))
        return nullptr;
    const std::vector<FBContourEdge *> ourEdges = drawingEdges(ours, tolerance);
    const std::vector<FBContourEdge *> theirEdges = drawingEdges(theirs, tolerance);
    if (ourEdges.empty() || ourEdges.size() != theirEdges.size())
        return nullptr;
    bool reversed = false;
    std::optional<std::vector<FBContourEdge *>> matched =
        matchEdges(ourEdges, theirEdges, false, tolerance);
    if (!matched) {
        reversed = true;
        matched = matchEdges(ourEdges, theirEdges, true, tolerance);
    }
    if (!matched)
        return nullptr;

    // Whole edges, in order round our contour from its first edge, so that each stretch fits
    // before the next and the last before the first. An edge of ours that draws nothing shares
    // the end of the drawing edge before it.
    const FBRange whole = FBGeom_MakeRange(0.0, 1.0);
    const auto overlap = std::make_shared<FBContourOverlap>();
    const size_t firstDrawing = size_t(ourEdges.front()->index());
    FBContourEdge *lastMatched = matched->back();
    size_t next = 0;
    for (size_t k = 0; k < ours.edges().size(); ++k) {
        FBContourEdge *edge = ours.edges()[(firstDrawing + k) % ours.edges().size()].get();
        FBContourEdge *other = nullptr;
        FBRange otherRange = whole;
        if (next < ourEdges.size() && edge == ourEdges[next]) {
            other = (*matched)[next++];
            lastMatched = other;
        } else {
            other = lastMatched;
            const double end = reversed ? 0.0 : 1.0;
            otherRange = FBGeom_MakeRange(end, end);
        }
        overlap->addOverlap(FBBezierIntersectRange::intersectRangeWithCurve1(
                                edge->curve(), whole, other->curve(), otherRange, reversed),
                            edge, other);
    }
    return overlap->isComplete() ? overlap : nullptr;
}
