// Splitting a traced contour where it runs along a level or upright side and back.

#include "pathops/FBContourSlits.h"

#include "pathops/FBBezierCurve.h"
#include "pathops/FBContourEdge.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace {

using Curves = std::vector<FBBezierCurvePtr>;

// Lines keep a coordinate all their points share exactly, so lines on one side compare equal.
struct LineKey
{
    bool level;
    double coordinate;
    bool operator<(const LineKey &other) const
    {
        return std::pair(level, coordinate) < std::pair(other.level, other.coordinate);
    }
};

std::optional<LineKey> axisLineKey(const FBBezierCurve &curve)
{
    if (!curve.isStraightLine())
        return std::nullopt;
    const QPointF a = curve.endPoint1();
    const QPointF b = curve.endPoint2();
    if (a == b)
        return std::nullopt;
    if (a.y() == b.y())
        return LineKey{true, a.y()};
    if (a.x() == b.x())
        return LineKey{false, a.x()};
    return std::nullopt;
}

double along(QPointF p, bool level)
{
    return level ? p.x() : p.y();
}

// The stretch two lines on one axis line share while running opposite ways, as the points
// bounding it on the first line (from its start's side), if it has a length.
std::optional<std::pair<QPointF, QPointF>> reversedStretch(const FBBezierCurve &first,
                                                           const FBBezierCurve &second, bool level)
{
    const QPointF p = first.endPoint1(), q = first.endPoint2();
    const QPointF r = second.endPoint1(), s = second.endPoint2();
    const double sign = along(q, level) > along(p, level) ? 1 : -1;
    if ((along(s, level) - along(r, level)) * sign >= 0)
        return std::nullopt;
    // Positions measured in the first line's direction.
    const double p0 = along(p, level) * sign, q0 = along(q, level) * sign;
    const double s0 = along(s, level) * sign, r0 = along(r, level) * sign;
    const QPointF from = s0 > p0 ? s : p;
    const QPointF to = r0 < q0 ? r : q;
    if (std::max(s0, p0) >= std::min(r0, q0))
        return std::nullopt;
    return std::pair(from, to);
}

void appendLine(Curves &curves, QPointF from, QPointF to)
{
    if (from != to)
        curves.push_back(FBBezierCurve::bezierCurveWithLineStartPoint(from, to));
}

// Splits `curves` at its first slit into the loops on either side; false when it has none.
bool splitAtFirstSlit(const Curves &curves, Curves &outer, Curves &inner)
{
    std::map<LineKey, std::vector<size_t>> lines;
    for (size_t i = 0; i < curves.size(); ++i) {
        if (const std::optional<LineKey> key = axisLineKey(*curves[i]))
            lines[*key].push_back(i);
    }
    for (const auto &[key, indexes] : lines) {
        for (size_t m = 0; m < indexes.size(); ++m) {
            for (size_t n = m + 1; n < indexes.size(); ++n) {
                const size_t i = indexes[m], j = indexes[n];
                const auto stretch = reversedStretch(*curves[i], *curves[j], key.level);
                if (!stretch)
                    continue;
                // Line i runs p a b q, line j runs r b a s: drop a b and b a.
                const auto [a, b] = *stretch;
                outer.assign(curves.begin(), curves.begin() + qsizetype(i));
                appendLine(outer, curves[i]->endPoint1(), a);
                appendLine(outer, a, curves[j]->endPoint2());
                outer.insert(outer.end(), curves.begin() + qsizetype(j) + 1, curves.end());
                inner.clear();
                appendLine(inner, b, curves[i]->endPoint2());
                inner.insert(inner.end(), curves.begin() + qsizetype(i) + 1,
                             curves.begin() + qsizetype(j));
                appendLine(inner, curves[j]->endPoint1(), b);
                return true;
            }
        }
    }
    return false;
}

// Joins two loops where they run along one stretch opposite ways, dropping the stretch; false
// when they share none.
bool joinAtFirstSharedStretch(std::vector<Curves> &loops)
{
    std::map<LineKey, std::vector<std::pair<size_t, size_t>>> lines;
    for (size_t l = 0; l < loops.size(); ++l) {
        for (size_t i = 0; i < loops[l].size(); ++i) {
            if (const std::optional<LineKey> key = axisLineKey(*loops[l][i]))
                lines[*key].push_back({l, i});
        }
    }
    for (const auto &[key, places] : lines) {
        for (size_t m = 0; m < places.size(); ++m) {
            for (size_t n = m + 1; n < places.size(); ++n) {
                const auto [x, i] = places[m];
                const auto [y, j] = places[n];
                if (x == y)
                    continue;
                const Curves &first = loops[x];
                const Curves &second = loops[y];
                const auto stretch = reversedStretch(*first[i], *second[j], key.level);
                if (!stretch)
                    continue;
                // Line i runs p a b q, line j runs r b a s: drop a b and b a.
                const auto [a, b] = *stretch;
                Curves joined(first.begin(), first.begin() + qsizetype(i));
                appendLine(joined, first[i]->endPoint1(), a);
                appendLine(joined, a, second[j]->endPoint2());
                joined.insert(joined.end(), second.begin() + qsizetype(j) + 1, second.end());
                joined.insert(joined.end(), second.begin(), second.begin() + qsizetype(j));
                appendLine(joined, second[j]->endPoint1(), b);
                appendLine(joined, b, first[i]->endPoint2());
                joined.insert(joined.end(), first.begin() + qsizetype(i) + 1, first.end());
                loops[x] = std::move(joined);
                loops.erase(loops.begin() + qsizetype(y));
                return true;
            }
        }
    }
    return false;
}

FBBezierContourPtr contourOfCurves(const Curves &curves)
{
    auto contour = std::make_shared<FBBezierContour>();
    for (const FBBezierCurvePtr &curve : curves)
        contour->addCurve(curve);
    return contour;
}

} // namespace

std::vector<FBBezierContourPtr>
contoursWithoutSharedSides(const std::vector<FBBezierContourPtr> &traced)
{
    std::vector<Curves> loops;
    loops.reserve(traced.size());
    for (const FBBezierContourPtr &contour : traced) {
        Curves curves;
        curves.reserve(contour->edges().size());
        for (const auto &edge : contour->edges())
            curves.push_back(edge->curve());
        loops.push_back(std::move(curves));
    }
    bool joined = false;
    while (joinAtFirstSharedStretch(loops))
        joined = true;
    if (!joined) {
        std::vector<FBBezierContourPtr> contours;
        for (const FBBezierContourPtr &contour : traced) {
            for (const FBBezierContourPtr &piece : contoursWithoutSlits(contour))
                contours.push_back(piece);
        }
        return contours;
    }
    std::vector<FBBezierContourPtr> contours;
    for (const Curves &loop : loops) {
        if (loop.empty())
            continue;
        for (const FBBezierContourPtr &piece : contoursWithoutSlits(contourOfCurves(loop)))
            contours.push_back(piece);
    }
    return contours;
}

std::vector<FBBezierContourPtr> contoursWithoutSlits(const FBBezierContourPtr &contour)
{
    Curves curves;
    curves.reserve(contour->edges().size());
    for (const auto &edge : contour->edges())
        curves.push_back(edge->curve());
    std::vector<Curves> pending;
    std::vector<Curves> done;
    Curves outer, inner;
    if (!splitAtFirstSlit(curves, outer, inner))
        return {contour};
    pending.push_back(std::move(outer));
    pending.push_back(std::move(inner));
    while (!pending.empty()) {
        Curves loop = std::move(pending.back());
        pending.pop_back();
        if (loop.empty())
            continue;
        if (splitAtFirstSlit(loop, outer, inner)) {
            pending.push_back(std::move(outer));
            pending.push_back(std::move(inner));
        } else {
            done.push_back(std::move(loop));
        }
    }
    std::vector<FBBezierContourPtr> contours;
    for (const Curves &loop : done) {
        auto piece = std::make_shared<FBBezierContour>();
        for (const FBBezierCurvePtr &curve : loop)
            piece->addCurve(curve);
        contours.push_back(piece);
    }
    return contours;
}
