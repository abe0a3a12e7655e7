#pragma once
// What the property test measures a combination by: paths flattened into polygons, the polygon
// clipper's answer on those, exact areas of curved paths by Green's theorem, and membership of
// grid points away from every outline.

#include "platform/BezierPath.h"

#include <QPointF>
#include <QRectF>
#include <algorithm>
#include <array>
#include <clipper.hpp>
#include <cmath>
#include <functional>
#include <vector>

namespace pathoracle {

using Polygon = std::vector<QPointF>;

// One closed contour: its segments as cubics (a line has its end points as controls).
using Contour = std::vector<std::array<QPointF, 4>>;

inline std::vector<Contour> contoursOf(const platform::BezierPath &path)
{
    std::vector<Contour> contours;
    Contour current;
    QPointF start, at;
    auto finish = [&] {
        if (!current.empty() && at != start)
            current.push_back({at, at, start, start});
        if (!current.empty())
            contours.push_back(std::move(current));
        current.clear();
    };
    for (const platform::BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case platform::BezierPathElement::MoveTo:
            finish();
            start = at = e.points[0];
            break;
        case platform::BezierPathElement::LineTo:
            current.push_back({at, at, e.points[0], e.points[0]});
            at = e.points[0];
            break;
        case platform::BezierPathElement::CurveTo:
            current.push_back({at, e.points[0], e.points[1], e.points[2]});
            at = e.points[2];
            break;
        case platform::BezierPathElement::ClosePath:
            finish();
            at = start;
            break;
        }
    }
    finish();
    return contours;
}

inline QPointF cubicAt(const std::array<QPointF, 4> &c, double t)
{
    const double u = 1 - t;
    return u * u * u * c[0] + 3 * u * u * t * c[1] + 3 * u * t * t * c[2] + t * t * t * c[3];
}

inline QPointF cubicDerivative(const std::array<QPointF, 4> &c, double t)
{
    const double u = 1 - t;
    return 3 * u * u * (c[1] - c[0]) + 6 * u * t * (c[2] - c[1]) + 3 * t * t * (c[3] - c[2]);
}

// The signed area a contour encloses (positive counter-clockwise in y-up terms). The integrand
// of a cubic is a polynomial of degree 5, which three Gauss-Legendre nodes integrate exactly.
inline double contourArea(const Contour &contour)
{
    static const double node = std::sqrt(0.6);
    const double ts[3] = {0.5 - node / 2, 0.5, 0.5 + node / 2};
    const double ws[3] = {5.0 / 18, 8.0 / 18, 5.0 / 18};
    double area = 0;
    for (const auto &c : contour) {
        for (int i = 0; i < 3; ++i) {
            const QPointF p = cubicAt(c, ts[i]);
            const QPointF d = cubicDerivative(c, ts[i]);
            area += ws[i] * (p.x() * d.y() - p.y() * d.x()) / 2;
        }
    }
    return area;
}

// Chords within `tolerance` of each segment.
inline Polygon flatten(const Contour &contour, double tolerance)
{
    Polygon polygon;
    for (const auto &c : contour) {
        const QPointF d1 = c[0] - 2 * c[1] + c[2];
        const QPointF d2 = c[1] - 2 * c[2] + c[3];
        const double m = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
        const int n = std::clamp(int(std::ceil(std::sqrt(3 * m / (4 * tolerance)))), 1, 100000);
        for (int i = 0; i < n; ++i)
            polygon.push_back(cubicAt(c, double(i) / n));
    }
    return polygon;
}

inline std::vector<Polygon> flatten(const platform::BezierPath &path, double tolerance = 1e-3)
{
    std::vector<Polygon> polygons;
    for (const Contour &c : contoursOf(path))
        polygons.push_back(flatten(c, tolerance));
    return polygons;
}

inline bool evenOddContains(const std::vector<Polygon> &polygons, QPointF q)
{
    bool inside = false;
    for (const Polygon &poly : polygons) {
        for (size_t i = 0, n = poly.size(); i < n; ++i) {
            const QPointF a = poly[i], b = poly[(i + 1) % n];
            if ((a.y() <= q.y()) != (b.y() <= q.y())) {
                const double x = a.x() + (q.y() - a.y()) / (b.y() - a.y()) * (b.x() - a.x());
                if (x < q.x())
                    inside = !inside;
            }
        }
    }
    return inside;
}

// Whether the closed contour holds `q`, by the even-odd count of a ray from it to the left, on
// the curves rather than on chords: each segment is cut where it turns up or down, and each piece
// that passes q's height (its lower end counting as below) is crossed once, where bisection finds.
inline bool contourContains(const Contour &contour, QPointF q)
{
    bool inside = false;
    for (const auto &c : contour) {
        // Where y' = 0: a t^2 + b t + c0 = 0 for the derivative's y.
        const double p0 = c[0].y(), p1 = c[1].y(), p2 = c[2].y(), p3 = c[3].y();
        const double a = -p0 + 3 * p1 - 3 * p2 + p3, b = 2 * (p0 - 2 * p1 + p2), c0 = p1 - p0;
        std::vector<double> cuts{0.0};
        auto addCut = [&cuts](double t) {
            if (t > 0 && t < 1)
                cuts.push_back(t);
        };
        if (std::abs(a) > 1e-300) {
            const double disc = b * b - 4 * a * c0;
            if (disc >= 0) {
                const double root = std::sqrt(disc);
                addCut((-b - root) / (2 * a));
                addCut((-b + root) / (2 * a));
            }
        } else if (std::abs(b) > 1e-300) {
            addCut(-c0 / b);
        }
        cuts.push_back(1.0);
        std::sort(cuts.begin(), cuts.end());
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            double lo = cuts[k], hi = cuts[k + 1];
            const bool loBelow = cubicAt(c, lo).y() <= q.y();
            if (loBelow == (cubicAt(c, hi).y() <= q.y()))
                continue;
            for (int step = 0; step < 80 && hi - lo > 1e-17; ++step) {
                const double mid = (lo + hi) / 2;
                ((cubicAt(c, mid).y() <= q.y()) == loBelow ? lo : hi) = mid;
            }
            if (cubicAt(c, (lo + hi) / 2).x() < q.x())
                inside = !inside;
        }
    }
    return inside;
}

inline double distanceToSegment2(QPointF q, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(q - a, ab) / len2, 0.0, 1.0) : 0;
    const QPointF d = q - (a + t * ab);
    return QPointF::dotProduct(d, d);
}

inline double distanceToSegment(QPointF q, QPointF a, QPointF b)
{
    return std::sqrt(distanceToSegment2(q, a, b));
}

// The even-odd area of a path whose contours do not cross: each contour's exact area, counted
// positive at an even depth of nesting and negative at an odd one.
inline double evenOddArea(const platform::BezierPath &path)
{
    const std::vector<Contour> contours = contoursOf(path);
    std::vector<Polygon> flat;
    std::vector<QRectF> boxes;
    for (const Contour &c : contours) {
        flat.push_back(flatten(c, 1e-4));
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        for (QPointF p : flat.back()) {
            x0 = std::min(x0, p.x()), y0 = std::min(y0, p.y());
            x1 = std::max(x1, p.x()), y1 = std::max(y1, p.y());
        }
        boxes.push_back(QRectF(QPointF(x0, y0), QPointF(x1, y1)));
    }
    // No side of a polygon lies nearer to q than its box. Distances are compared squared.
    auto boxDistance2 = [](QPointF q, const QRectF &box) {
        const double dx = std::max({box.left() - q.x(), 0.0, q.x() - box.right()});
        const double dy = std::max({box.top() - q.y(), 0.0, q.y() - box.bottom()});
        return dx * dx + dy * dy;
    };
    double total = 0;
    for (size_t i = 0; i < contours.size(); ++i) {
        // The depth is read at the point of this outline farthest from the others. Outlines
        // may share sides, so where the first samples all lie on another outline, the sides are
        // searched finely for a stretch the others leave.
        QPointF probe;
        double best = -1; // squared
        size_t hintPolygon = flat.size(), hintSide = 0;
        auto sample = [&](const std::vector<double> &ts) {
            for (size_t s = 0; s < contours[i].size() && s < 16; ++s) {
                for (double t : ts) {
                    const QPointF q = cubicAt(contours[i][s], t);
                    // The search stops once q is no farther than the best probe so far, and
                    // skips outlines whose box is farther than the nearest side found: neither
                    // changes which sample is farthest. The side nearest to the previous sample
                    // is tried first, as it is near this one too.
                    auto side = [&flat, q](size_t j, size_t k) {
                        const size_t n = flat[j].size();
                        return distanceToSegment2(q, flat[j][k], flat[j][(k + 1) % n]);
                    };
                    double nearest =
                        hintPolygon < flat.size() ? side(hintPolygon, hintSide) : 1e300;
                    for (size_t j = 0; j < flat.size() && nearest > best; ++j) {
                        if (j == i || boxDistance2(q, boxes[j]) >= nearest)
                            continue;
                        for (size_t k = 0, n = flat[j].size(); k < n && nearest > best; ++k) {
                            const double d = side(j, k);
                            if (d < nearest) {
                                nearest = d;
                                hintPolygon = j;
                                hintSide = k;
                            }
                        }
                    }
                    if (nearest > best) {
                        best = nearest;
                        probe = q;
                    }
                }
            }
        };
        sample({0.5, 0.25});
        if (best < 1e-6) {
            std::vector<double> fine;
            for (int k = 1; k < 64; ++k)
                fine.push_back(k / 64.0);
            sample(fine);
        }
        // On the curves themselves: a probe nearer another outline than its chords part from it
        // (an outline and its copy grown by a hair) may lie on the wrong side of the chords.
        int depth = 0;
        for (size_t j = 0; j < contours.size(); ++j) {
            if (j != i && contourContains(contours[j], probe))
                ++depth;
        }
        const double a = std::abs(contourArea(contours[i]));
        total += depth % 2 ? -a : a;
    }
    return total;
}

// The polygon clipper's even-odd answer on the paths flattened to `tolerance` and put on a grid
// of 1/cellsPerTolerance of it, as an area in the paths' units. Outlines that coincide with
// other joints are flattened through other points: their chords part by up to the tolerance, so
// these want a fine one.
inline double clipperArea(const platform::BezierPath &a, const platform::BezierPath &b,
                          ClipperLib::ClipType type, double tolerance = 1e-3,
                          double cellsPerTolerance = 10)
{
    const double scale = cellsPerTolerance / tolerance;
    auto toClipper = [scale, tolerance](const platform::BezierPath &path) {
        ClipperLib::Paths paths;
        for (const Polygon &poly : flatten(path, tolerance)) {
            ClipperLib::Path p;
            for (QPointF q : poly)
                p.push_back({ClipperLib::cInt(std::llround(q.x() * scale)),
                             ClipperLib::cInt(std::llround(q.y() * scale))});
            paths.push_back(std::move(p));
        }
        return paths;
    };
    ClipperLib::Clipper clipper;
    clipper.AddPaths(toClipper(a), ClipperLib::ptSubject, true);
    clipper.AddPaths(toClipper(b), ClipperLib::ptClip, true);
    ClipperLib::Paths solution;
    clipper.Execute(type, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    double area = 0;
    for (const ClipperLib::Path &p : solution)
        area += ClipperLib::Area(p);
    return area / (scale * scale);
}

struct MembershipReport
{
    int checked = 0;
    int mismatches = 0;
    QPointF firstMismatch;
};

// Compares `result` with `expected(inA, inB)` on a grid of side x side points over `area`,
// skipping points within `margin` of an outline of A, B or the result.
inline MembershipReport membership(const platform::BezierPath &a, const platform::BezierPath &b,
                                   const platform::BezierPath &result, const QRectF &area,
                                   const std::function<bool(bool, bool)> &expected, int side = 100,
                                   double margin = 1e-2)
{
    const std::vector<Polygon> fa = flatten(a), fb = flatten(b), fr = flatten(result);
    struct Crossings
    {
        std::vector<double> xs;
        bool inside(double x) const
        {
            return (std::lower_bound(xs.begin(), xs.end(), x) - xs.begin()) % 2 == 1;
        }
    };
    // Each side of each path, listed under the rows that come within the margin of it (a row or
    // two more at each end, against rounding): a row looks only at its own sides.
    const double rowStep = area.height() / side;
    struct Side
    {
        int path;
        QPointF p, q;
    };
    std::vector<std::vector<Side>> rows(size_t(std::max(side, 0)));
    const std::vector<Polygon> *paths[3] = {&fa, &fb, &fr};
    for (int k = 0; k < 3; ++k) {
        for (const Polygon &poly : *paths[k]) {
            for (size_t i = 0, n = poly.size(); i < n; ++i) {
                const QPointF p = poly[i], q = poly[(i + 1) % n];
                const double lo = std::min(p.y(), q.y()) - margin;
                const double hi = std::max(p.y(), q.y()) + margin;
                const bool flat = !(rowStep > 0);
                const double first = flat ? 0.0 : std::floor((lo - area.top()) / rowStep - 0.5) - 1;
                const double last =
                    flat ? side - 1.0 : std::ceil((hi - area.top()) / rowStep - 0.5) + 1;
                if (!(last >= 0 && first < side))
                    continue;
                for (int row = int(std::max(first, 0.0)); row <= int(std::min(last, side - 1.0));
                     ++row)
                    rows[size_t(row)].push_back({k, p, q});
            }
        }
    }
    MembershipReport report;
    for (int row = 0; row < side; ++row) {
        const double y = area.top() + (row + 0.5) * area.height() / side;
        Crossings crossings[3];
        std::vector<std::pair<double, double>> skip;
        for (const Side &s : rows[size_t(row)]) {
            const QPointF p = s.p, q = s.q;
            if ((p.y() <= y) != (q.y() <= y))
                crossings[s.path].xs.push_back(p.x() +
                                               (y - p.y()) / (q.y() - p.y()) * (q.x() - p.x()));
            const double lo = std::min(p.y(), q.y()), hi = std::max(p.y(), q.y());
            if (hi < y - margin || lo > y + margin)
                continue;
            // The part of the segment within the band around the row, widened.
            double t0 = 0, t1 = 1;
            if (q.y() != p.y()) {
                double s0 = (y - margin - p.y()) / (q.y() - p.y());
                double s1 = (y + margin - p.y()) / (q.y() - p.y());
                if (s0 > s1)
                    std::swap(s0, s1);
                t0 = std::max(0.0, s0);
                t1 = std::min(1.0, s1);
            }
            const double x0 = p.x() + t0 * (q.x() - p.x());
            const double x1 = p.x() + t1 * (q.x() - p.x());
            skip.push_back({std::min(x0, x1) - margin, std::max(x0, x1) + margin});
        }
        for (Crossings &c : crossings)
            std::sort(c.xs.begin(), c.xs.end());
        // The skipped stretches joined where they overlap, met in order by the columns.
        std::sort(skip.begin(), skip.end());
        std::vector<std::pair<double, double>> joined;
        for (const auto &range : skip) {
            if (!joined.empty() && range.first <= joined.back().second)
                joined.back().second = std::max(joined.back().second, range.second);
            else
                joined.push_back(range);
        }
        size_t at = 0;
        for (int column = 0; column < side; ++column) {
            const double x = area.left() + (column + 0.5) * area.width() / side;
            while (at < joined.size() && joined[at].second < x)
                ++at;
            if (at < joined.size() && joined[at].first <= x)
                continue;
            ++report.checked;
            if (crossings[2].inside(x) !=
                expected(crossings[0].inside(x), crossings[1].inside(x))) {
                if (report.mismatches++ == 0)
                    report.firstMismatch = QPointF(x, y);
            }
        }
    }
    return report;
}

// The length of the path's outlines, flattened.
inline double outlineLength(const platform::BezierPath &path)
{
    double length = 0;
    for (const Polygon &poly : flatten(path)) {
        for (size_t i = 0; i < poly.size(); ++i) {
            const QPointF d = poly[(i + 1) % poly.size()] - poly[i];
            length += std::hypot(d.x(), d.y());
        }
    }
    return length;
}

// The larger side of the box of the smallest outline of either path (control points included).
inline double smallestOutline(const platform::BezierPath &a, const platform::BezierPath &b)
{
    double smallest = INFINITY;
    for (const platform::BezierPath *path : {&a, &b}) {
        for (const Contour &contour : contoursOf(*path)) {
            double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
            for (const auto &curve : contour) {
                for (QPointF p : curve) {
                    left = std::min(left, p.x());
                    right = std::max(right, p.x());
                    top = std::min(top, p.y());
                    bottom = std::max(bottom, p.y());
                }
            }
            const double size = std::max(right - left, bottom - top);
            if (size > 0)
                smallest = std::min(smallest, size);
        }
    }
    return smallest;
}

// The path with every point passed through map, its winding rule kept.
template <typename Map> platform::BezierPath mappedPath(const platform::BezierPath &path, Map map)
{
    platform::BezierPath result;
    for (const platform::BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case platform::BezierPathElement::MoveTo:
            result.moveToPoint(map(e.points[0]));
            break;
        case platform::BezierPathElement::LineTo:
            result.lineToPoint(map(e.points[0]));
            break;
        case platform::BezierPathElement::CurveTo:
            result.curveToPoint(map(e.points[2]), map(e.points[0]), map(e.points[1]));
            break;
        case platform::BezierPathElement::ClosePath:
            result.closePath();
            break;
        }
    }
    result.setWindingRule(path.windingRule());
    return result;
}

// The path scaled by 2 to the exponent: exact.
inline platform::BezierPath scaledByPowerOfTwo(const platform::BezierPath &path, int exponent)
{
    return mappedPath(path, [exponent](QPointF p) {
        return QPointF(std::ldexp(p.x(), exponent), std::ldexp(p.y(), exponent));
    });
}

} // namespace pathoracle
