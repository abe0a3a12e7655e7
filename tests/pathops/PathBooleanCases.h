#pragma once
// The shapes and checks the seeded property tests of the four combinations share: a seeded maker
// of shape pairs (circles, grid cells, letter-like outlines, near copies, siblings, folds), and
// the check of one pair against the polygon clipper, by areas, membership, exact-area identities
// and repeats, with the pair's text form to paste into a regression row.

#include "ClipperOracle.h"
#include "PathShapes.h"
#include "pathops/FBBezierGraph.h"
#include "pathops/PathTextForms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace pathcases {

using platform::BezierPath;
struct ShapePair
{
    std::string kind;
    BezierPath a, b;
    // Every point of one within a hair of the other's (a copy scaled by a hair): the engine may
    // read them as one outline, and the slivers between them go to either side of it.
    bool oneOutline = false;
};

class ShapeMaker
{
public:
    explicit ShapeMaker(quint64 seed) : mRandom(seed) {}

    double real(double lo, double hi)
    {
        return std::uniform_real_distribution<double>(lo, hi)(mRandom);
    }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(mRandom); }
    bool coin() { return integer(0, 1) == 1; }

    BezierPath oriented(BezierPath path)
    {
        return coin() ? path.bezierPathByReversingPath() : path;
    }

    BezierPath circle(QPointF c, double r)
    {
        return oriented(
            BezierPath::bezierPathWithOvalInRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r)));
    }

    BezierPath polygon(const std::vector<QPointF> &points)
    {
        BezierPath path;
        for (size_t i = 0; i < points.size(); ++i) {
            if (i == 0)
                path.moveToPoint(points[i]);
            else
                path.lineToPoint(points[i]);
        }
        path.closePath();
        return oriented(path);
    }

    BezierPath rect(double x, double y, double w, double h)
    {
        return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
    }

    ShapePair circles()
    {
        const QPointF c1(real(0, 20), real(0, 20));
        const double r1 = real(2, 10);
        double r2 = real(2, 10);
        QPointF c2(real(0, 20), real(0, 20));
        const double angle = real(0, 2 * std::numbers::pi);
        const QPointF dir(std::cos(angle), std::sin(angle));
        switch (integer(0, 4)) {
        case 0:
            return {"circles tangent outside", circle(c1, r1), circle(c1 + (r1 + r2) * dir, r2)};
        case 1:
            if (std::abs(r1 - r2) < 0.5)
                r2 = r1 / 2;
            return {"circles tangent inside", circle(c1, r1),
                    circle(c1 + std::abs(r1 - r2) * dir, r2)};
        case 2:
            if (std::abs(r1 - r2) < 0.5)
                r2 = r1 / 2;
            return {"circles concentric", circle(c1, r1), circle(c1, r2)};
        case 3:
            return {"circles equal", circle(c1, r1), circle(c1, r1)};
        default:
            return {"circles", circle(c1, r1), circle(c2, r2)};
        }
    }

    ShapePair gridRects()
    {
        const int x = integer(0, 8), y = integer(0, 8), w = integer(1, 6), h = integer(1, 6);
        int bx = integer(0, 8), by = integer(0, 8), bw = integer(1, 6), bh = integer(1, 6);
        switch (integer(0, 3)) {
        case 0: // side by side, sharing part of an edge
            bx = x + w;
            break;
        case 1: // above, sharing part of an edge
            by = y + h;
            break;
        case 2: // sharing one edge's line inside
            bx = x;
            break;
        default:
            break;
        }
        return {"grid rectangles", rect(x, y, w, h), rect(bx, by, bw, bh)};
    }

    BezierPath star()
    {
        const QPointF c(real(0, 20), real(0, 20));
        const int points = integer(5, 8);
        const double outer = real(3, 10), inner = outer * real(0.35, 0.6);
        const double turn = real(0, 2 * std::numbers::pi);
        std::vector<QPointF> vertices;
        for (int i = 0; i < 2 * points; ++i) {
            const double r = i % 2 ? inner : outer;
            const double a = turn + i * std::numbers::pi / points;
            vertices.push_back(c + r * QPointF(std::cos(a), std::sin(a)));
        }
        return polygon(vertices);
    }

    // One contour with two lobes meeting at a single vertex.
    BezierPath selfTouching()
    {
        const QPointF o(real(0, 15), real(0, 15));
        const double s = real(2, 6);
        std::vector<QPointF> unit;
        if (coin())
            unit = {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 2}, {1, 1}, {0, 1}};
        else
            unit = {{0, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 2}, {1, 1}};
        std::vector<QPointF> points;
        for (QPointF p : unit)
            points.push_back(o + s * p);
        return polygon(points);
    }

    // A ring inside the hole of a ring: four nested outlines, squares or circles.
    BezierPath nestedRings()
    {
        const QPointF c(real(5, 15), real(5, 15));
        const double r = real(5, 10);
        const bool round = coin();
        BezierPath path;
        for (double f : {1.0, 0.8, 0.55, 0.35}) {
            const QPointF at = c + QPointF(real(-0.04, 0.04), real(-0.04, 0.04)) * r;
            const double rr = f * r;
            path.appendBezierPath(round ? circle(at, rr)
                                        : rect(at.x() - rr, at.y() - rr, 2 * rr, 2 * rr));
        }
        return path;
    }

    BezierPath anyShape()
    {
        switch (integer(0, 4)) {
        case 0:
            return circle({real(0, 20), real(0, 20)}, real(2, 10));
        case 1:
            return rect(integer(0, 8), integer(0, 8), integer(1, 6), integer(1, 6));
        case 2:
            return star();
        case 3:
            return selfTouching();
        default:
            return nestedRings();
        }
    }

    ShapePair pair()
    {
        switch (integer(0, 5)) {
        case 0:
            return circles();
        case 1:
            return gridRects();
        case 2:
            return {"stars", star(), star()};
        case 3:
            return {"self-touching", selfTouching(), anyShape()};
        case 4:
            return {"nested rings", nestedRings(), anyShape()};
        default:
            return {"mixed", anyShape(), anyShape()};
        }
    }

    // A shape of filled cells on a small integer grid, traced into outlines with counters:
    // their corners share rows and columns, so rays from one contour run along the edges of
    // another and through its corners. Cells touching only at a corner are joined first.
    BezierPath gridCells(int side, QPointF origin)
    {
        std::vector<std::vector<bool>> filled(size_t(side), std::vector<bool>(size_t(side), false));
        for (auto &row : filled) {
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = integer(0, 99) < 55;
        }
        auto at = [&filled, side](int x, int y) {
            return x >= 0 && y >= 0 && x < side && y < side && filled[size_t(y)][size_t(x)];
        };
        filled[size_t(side / 2)][size_t(side / 2)] = true;
        for (bool changed = true; changed;) {
            changed = false;
            for (int y = 0; y + 1 < side; ++y) {
                for (int x = 0; x + 1 < side; ++x) {
                    const bool a = at(x, y), b = at(x + 1, y), c = at(x, y + 1),
                               d = at(x + 1, y + 1);
                    if (a == d && b == c && a != b) {
                        // Cells meeting only at a corner.
                        filled[size_t(y)][size_t(a ? x + 1 : x)] = true;
                        changed = true;
                    }
                }
            }
        }
        return traceCells(at, side, origin);
    }

    // A letter-like outline: a stem with serifs and a bowl of cubics (or a frame with a bar),
    // with one or two counters whose first points lie level with a serif's top or the bar.
    BezierPath glyph(QPointF o)
    {
        const double h = integer(8, 14), t = integer(1, 2);
        const double w = t + 1 + integer(2, 5) + h / 4;
        const double serif = integer(0, 2);
        BezierPath path;
        switch (integer(0, 2)) {
        case 0: { // a "D" or "B": stem and serifs on the left, bowls of cubics on the right
            const bool two = coin();
            const double k = 0.5523;
            path.moveToPoint(o + QPointF(-serif, 0));
            path.lineToPoint(o + QPointF(w - h / 4, 0));
            auto bowl = [&](double y0, double y1, double x0, double reach) {
                // From (x0, y0) round to (x0, y1) bulging right by `reach`.
                const double r = (y1 - y0) / 2, c = y0 + r;
                path.curveToPoint(o + QPointF(x0 + reach, c), o + QPointF(x0 + k * reach, y0),
                                  o + QPointF(x0 + reach, c - k * r));
                path.curveToPoint(o + QPointF(x0, y1), o + QPointF(x0 + reach, c + k * r),
                                  o + QPointF(x0 + k * reach, y1));
            };
            if (two) {
                // A waist between the bowls, as in a "B", rather than a cusp.
                const double g = t / 4;
                bowl(0, h / 2 - g, w - h / 4, h / 4);
                path.lineToPoint(o + QPointF(w - h / 4, h / 2 + g));
                bowl(h / 2 + g, h, w - h / 4, h / 4);
            } else {
                bowl(0, h, w - h / 4, h / 4);
            }
            path.lineToPoint(o + QPointF(-serif, h));
            if (serif > 0) {
                path.lineToPoint(o + QPointF(-serif, h - t));
                path.lineToPoint(o + QPointF(0, h - t));
                path.lineToPoint(o + QPointF(0, t));
                path.lineToPoint(o + QPointF(-serif, t));
            }
            path.closePath();
            const double inner = (h / 4 - t) > 0.5 ? h / 4 - t : 0.5;
            auto counter = [&](double y0, double y1) {
                BezierPath c;
                c.moveToPoint(o + QPointF(t + 1, y0));
                c.lineToPoint(o + QPointF(w - h / 4, y0));
                const double r = (y1 - y0) / 2, m = y0 + r;
                c.curveToPoint(o + QPointF(w - h / 4 + inner, m),
                               o + QPointF(w - h / 4 + k * inner, y0),
                               o + QPointF(w - h / 4 + inner, m - k * r));
                c.curveToPoint(o + QPointF(w - h / 4, y1),
                               o + QPointF(w - h / 4 + inner, m + k * r),
                               o + QPointF(w - h / 4 + k * inner, y1));
                c.lineToPoint(o + QPointF(t + 1, y1));
                c.closePath();
                path.appendBezierPath(oriented(c));
            };
            if (two) {
                counter(t, h / 2 - t / 2);
                counter(h / 2 + t / 2, h - t);
            } else {
                counter(t, h - t);
            }
            break;
        }
        case 1: { // an "8" of frames: an outline with serif notches and two counters
            path = polygon({o, o + QPointF(w, 0), o + QPointF(w, t), o + QPointF(w + serif, t),
                            o + QPointF(w + serif, h - t), o + QPointF(w, h - t), o + QPointF(w, h),
                            o + QPointF(0, h)});
            const double bar = integer(int(t) + 1, int(h - t) - 2);
            path.appendBezierPath(polygon({o + QPointF(t, t), o + QPointF(w - t, t),
                                           o + QPointF(w - t, bar), o + QPointF(t, bar)}));
            path.appendBezierPath(polygon({o + QPointF(t, bar + 1), o + QPointF(w - t, bar + 1),
                                           o + QPointF(w - t, h - t), o + QPointF(t, h - t)}));
            break;
        }
        default: { // an "o": a counter starting level with the bowl's joints
            const QPointF c = o + QPointF(w / 2, h / 2);
            path = circle(c, w / 2);
            const double r = w / 2 - t;
            path.appendBezierPath(circle(c + QPointF(integer(-1, 1) * 0.25, 0), r));
            break;
        }
        }
        path.setWindingRule(platform::WindingRule::EvenOdd);
        return path;
    }

    // A circle of four cubics as drawing programs write it: centre and radius on a grid of
    // thousandths, control points rounded to thousandths.
    BezierPath roundedCircle(QPointF c, double r)
    {
        auto round3 = [](double v) { return std::round(v * 1000) / 1000; };
        const double k = round3(0.5522847498 * r);
        auto p = [&](double dx, double dy) { return QPointF(c.x() + dx, c.y() + dy); };
        BezierPath path;
        path.moveToPoint(p(r, 0));
        path.curveToPoint(p(0, r), p(r, k), p(k, r));
        path.curveToPoint(p(-r, 0), p(-k, r), p(-r, k));
        path.curveToPoint(p(0, -r), p(-r, -k), p(-k, -r));
        path.curveToPoint(p(r, 0), p(k, -r), p(r, -k));
        path.closePath();
        return oriented(path);
    }

    BezierPath gridOrGlyph()
    {
        const QPointF o(integer(0, 6), integer(0, 6));
        return coin() ? gridCells(integer(3, 6), o) : glyph(o);
    }

    // The other operand lies half a cell off A's grid: rays from A's counters run along A's
    // own edges and through its corners, while the two outlines cross rather than share
    // stretches of their sides.
    ShapePair countersOnAGrid()
    {
        const QPointF o(integer(0, 4), integer(0, 4));
        const BezierPath a = gridCells(integer(3, 7), o);
        const QPointF half(integer(-3, 3) + 0.5, integer(-3, 3) + 0.5);
        switch (integer(0, 2)) {
        case 0:
            return {"grid counters", a, gridCells(integer(3, 7), o + half)};
        case 1:
            return {"grid counters and a rectangle", a,
                    rect(integer(0, 8) + 0.5, integer(0, 8) + 0.5, integer(1, 6), integer(1, 6))};
        default:
            return {"grid counters and a circle", a,
                    circle(o + QPointF(real(0, 6), real(0, 6)), real(1, 4))};
        }
    }

    ShapePair glyphs()
    {
        const BezierPath a = glyph({qreal(integer(0, 4)), qreal(integer(0, 4))});
        switch (integer(0, 3)) {
        case 0: { // shifted copies, their bars and serifs on one level
            BezierPath b = movedPath(a, integer(-6, 6), integer(-6, 6));
            return {"glyph and itself shifted", a, b};
        }
        case 1:
            return {"glyphs overlaid", a, glyph({qreal(integer(0, 4)), qreal(integer(0, 4))})};
        case 2:
            return {"glyph and a bar", a,
                    rect(integer(-2, 4), integer(2, 10), integer(4, 14), integer(1, 3))};
        default:
            return {"glyph and a circle", a, circle({real(0, 12), real(0, 14)}, real(1, 6))};
        }
    }

    ShapePair selfPairs()
    {
        BezierPath a;
        switch (integer(0, 3)) {
        case 0:
            a = gridOrGlyph();
            break;
        case 1:
            a = nestedRings();
            break;
        case 2:
            a = star();
            break;
        default:
            a = circle({real(0, 20), real(0, 20)}, real(2, 10));
            break;
        }
        switch (integer(0, 5)) {
        case 0:
            return {"itself", a, a};
        case 1:
            return {"itself reversed", a, a.bezierPathByReversingPath()};
        case 2:
            return {"itself moved a hair across", a, movedPath(a, 1e-6, 0)};
        case 3:
            return {"itself moved a hair up", a, movedPath(a, 0, 1e-6)};
        case 4:
            return {"itself moved a hair both ways", a, movedPath(a, 1e-6, 1e-6)};
        default: {
            const QPointF c(integer(5000, 15000) / 1000.0, integer(5000, 15000) / 1000.0);
            const BezierPath round = roundedCircle(c, integer(2000, 10000) / 1000.0);
            return {"circle and itself turned a quarter", round, quarterTurn(round, c)};
        }
        }
    }

    ShapePair touching()
    {
        const BezierPath a = coin() ? gridOrGlyph() : anyShape();
        const QRectF box = a.bounds();
        const double w = real(1, 6), h = real(1, 6);
        switch (integer(0, 5)) {
        case 0: // sharing the right side
            return {"rectangle on the box's right side", a,
                    rect(box.right(), box.top() + real(-2, box.height()), w, h)};
        case 1:
            return {"rectangle on the box's left side", a,
                    rect(box.left() - w, box.top() + real(-2, box.height()), w, h)};
        case 2:
            return {"rectangle on the box's top", a,
                    rect(box.left() + real(-2, box.width()), box.top() - h, w, h)};
        case 3:
            return {"rectangle on the box's bottom", a,
                    rect(box.left() + real(-2, box.width()), box.bottom(), w, h)};
        case 4:
            return {"rectangle at the box's corner", a, rect(box.right(), box.bottom(), w, h)};
        default:
            return {"rectangle at the box's other corner", a,
                    rect(box.left() - w, box.top() - h, w, h)};
        }
    }

    // Outlines as drawings hold them: each contour a closed run of segments, a line's control
    // points at its ends.
    struct Segment
    {
        bool line = true;
        std::array<QPointF, 4> p;
    };
    using Outline = std::vector<Segment>;

    static std::vector<Outline> outlinesOf(const BezierPath &path)
    {
        std::vector<Outline> outlines;
        Outline current;
        QPointF start, at;
        auto finish = [&] {
            if (!current.empty() && at != start)
                current.push_back({true, {at, at, start, start}});
            if (!current.empty())
                outlines.push_back(std::move(current));
            current.clear();
        };
        for (const BezierPath::Element &e : path.elements()) {
            switch (e.type) {
            case platform::BezierPathElement::MoveTo:
                finish();
                start = at = e.points[0];
                break;
            case platform::BezierPathElement::LineTo:
                current.push_back({true, {at, at, e.points[0], e.points[0]}});
                at = e.points[0];
                break;
            case platform::BezierPathElement::CurveTo:
                current.push_back({false, {at, e.points[0], e.points[1], e.points[2]}});
                at = e.points[2];
                break;
            case platform::BezierPathElement::ClosePath:
                finish();
                at = start;
                break;
            }
        }
        finish();
        return outlines;
    }

    static BezierPath pathOf(const std::vector<Outline> &outlines)
    {
        BezierPath path;
        for (const Outline &outline : outlines) {
            path.moveToPoint(outline.front().p[0]);
            for (const Segment &s : outline) {
                if (s.line)
                    path.lineToPoint(s.p[3]);
                else
                    path.curveToPoint(s.p[3], s.p[1], s.p[2]);
            }
            path.closePath();
        }
        path.setWindingRule(platform::WindingRule::EvenOdd);
        return path;
    }

    // The two halves of a segment at parameter t (de Casteljau's construction).
    static std::pair<Segment, Segment> split(const Segment &s, double t)
    {
        auto mix = [t](QPointF a, QPointF b) { return a + t * (b - a); };
        if (s.line) {
            const QPointF m = mix(s.p[0], s.p[3]);
            return {{true, {s.p[0], s.p[0], m, m}}, {true, {m, m, s.p[3], s.p[3]}}};
        }
        const QPointF a = mix(s.p[0], s.p[1]), b = mix(s.p[1], s.p[2]), c = mix(s.p[2], s.p[3]);
        const QPointF d = mix(a, b), e = mix(b, c), m = mix(d, e);
        return {{false, {s.p[0], a, d, m}}, {false, {m, e, c, s.p[3]}}};
    }

    static Outline reversed(const Outline &outline)
    {
        Outline back;
        for (auto it = outline.rbegin(); it != outline.rend(); ++it)
            back.push_back({it->line, {it->p[3], it->p[2], it->p[1], it->p[0]}});
        return back;
    }

    // The same outlines drawn again: every segment split at one or two random parameters, each
    // contour started at another joint, and now and then reversed.
    std::vector<Outline> redrawn(const std::vector<Outline> &outlines)
    {
        std::vector<Outline> result;
        for (const Outline &outline : outlines) {
            Outline again;
            for (const Segment &s : outline) {
                Segment rest = s;
                const int cuts = integer(1, 2);
                double done = 0;
                for (int k = 0; k < cuts; ++k) {
                    // A cut at t of the whole segment is at (t - done) / (1 - done) of the rest.
                    const double t = done + real(0.05, 0.95) * (1 - done) / (cuts - k);
                    const auto [head, tail] = split(rest, (t - done) / (1 - done));
                    again.push_back(head);
                    rest = tail;
                    done = t;
                }
                again.push_back(rest);
            }
            std::rotate(again.begin(), again.begin() + integer(0, int(again.size()) - 1),
                        again.end());
            result.push_back(coin() ? reversed(again) : again);
        }
        return result;
    }

    static double signedArea(const Outline &outline)
    {
        double area = 0;
        for (const Segment &s : outline) {
            for (int i = 0; i < 3; ++i)
                area += (s.p[i].x() * s.p[i + 1].y() - s.p[i + 1].x() * s.p[i].y()) / 2;
        }
        return area;
    }

    // The outlines offset by d (outwards from the fill for d > 0): every joint moved along the
    // mitre of its two sides' normals, and each curve's inner control points along the normals
    // at its ends, as a drawing program grows an outline.
    static std::vector<Outline> offset(const std::vector<Outline> &outlines, double d)
    {
        const std::vector<pathoracle::Polygon> flat = pathoracle::flatten(pathOf(outlines));
        std::vector<Outline> result;
        for (size_t c = 0; c < outlines.size(); ++c) {
            const Outline &outline = outlines[c];
            int depth = 0;
            const QPointF probe = outline.front().p[0];
            for (size_t j = 0; j < outlines.size(); ++j) {
                if (j != c && pathoracle::evenOddContains({flat[j]}, probe))
                    ++depth;
            }
            // The normal to the right of the direction of travel points out of a contour
            // running counter-clockwise with y up (positive area); a counter grows inwards.
            const double side = (signedArea(outline) < 0 ? -1 : 1) * (depth % 2 ? -1 : 1);
            auto normal = [side](QPointF v) {
                const double len = std::hypot(v.x(), v.y());
                return len > 0 ? side * QPointF(v.y(), -v.x()) / len : QPointF();
            };
            auto startDirection = [](const Segment &s) {
                for (int i = 1; i < 4; ++i) {
                    if (s.p[i] != s.p[0])
                        return s.p[i] - s.p[0];
                }
                return QPointF();
            };
            auto endDirection = [](const Segment &s) {
                for (int i = 2; i >= 0; --i) {
                    if (s.p[i] != s.p[3])
                        return s.p[3] - s.p[i];
                }
                return QPointF();
            };
            const size_t n = outline.size();
            std::vector<QPointF> joints(n);
            for (size_t i = 0; i < n; ++i) {
                const QPointF in = normal(endDirection(outline[(i + n - 1) % n]));
                const QPointF out = normal(startDirection(outline[i]));
                const double cosine = QPointF::dotProduct(in, out);
                joints[i] = outline[i].p[0] + d * (in + out) / std::max(1 + cosine, 0.2);
            }
            Outline grown;
            for (size_t i = 0; i < n; ++i) {
                const Segment &s = outline[i];
                const QPointF from = joints[i], to = joints[(i + 1) % n];
                if (s.line) {
                    grown.push_back({true, {from, from, to, to}});
                } else {
                    grown.push_back({false,
                                     {from, s.p[1] + d * normal(startDirection(s)),
                                      s.p[2] + d * normal(endDirection(s)), to}});
                }
            }
            result.push_back(std::move(grown));
        }
        return result;
    }

    // A rectangle with corners of cubics of radius r.
    BezierPath roundedRect(double x, double y, double w, double h, double r)
    {
        const double k = 0.5523 * r;
        BezierPath path;
        path.moveToPoint({x + r, y});
        path.lineToPoint({x + w - r, y});
        path.curveToPoint({x + w, y + r}, {x + w - r + k, y}, {x + w, y + r - k});
        path.lineToPoint({x + w, y + h - r});
        path.curveToPoint({x + w - r, y + h}, {x + w, y + h - r + k}, {x + w - r + k, y + h});
        path.lineToPoint({x + r, y + h});
        path.curveToPoint({x, y + h - r}, {x + r - k, y + h}, {x, y + h - r + k});
        path.lineToPoint({x, y + r});
        path.curveToPoint({x + r, y}, {x, y + r - k}, {x + r - k, y});
        path.closePath();
        return oriented(path);
    }

    // A shape whose outline stays clear of itself when grown or shrunk by a share of its size.
    BezierPath convexShape()
    {
        const QPointF o(real(0, 8), real(0, 8));
        switch (integer(0, 3)) {
        case 0:
            return circle(o + QPointF(6, 6), real(3, 8));
        case 1:
            return roundedCircle(o + QPointF(6, 6), integer(3000, 8000) / 1000.0);
        case 2: {
            const double w = real(4, 14), h = real(4, 14);
            return roundedRect(o.x(), o.y(), w, h, real(0.5, std::min(w, h) / 2));
        }
        default:
            return rect(o.x(), o.y(), real(4, 14), real(4, 14));
        }
    }

    static double sizeOf(const BezierPath &path)
    {
        const QRectF box = path.bounds();
        return std::max(box.width(), box.height());
    }

    // A share of a size from 1e-4 to 0.3, spread evenly over the powers of ten.
    double hairToThird() { return std::pow(10.0, real(-4, std::log10(0.3))); }

    // One outline and the same drawn with other joints: its curves split again, started
    // elsewhere, reversed.
    ShapePair splitCopies()
    {
        BezierPath a;
        switch (integer(0, 3)) {
        case 0:
            a = glyph({qreal(integer(0, 4)), qreal(integer(0, 4))});
            break;
        case 1:
            a = convexShape();
            break;
        case 2:
            a = gridCells(integer(3, 6), {qreal(integer(0, 4)), qreal(integer(0, 4))});
            break;
        default:
            a = star();
            break;
        }
        const std::vector<Outline> outlines = outlinesOf(a);
        if (coin())
            return {"outline and itself drawn with other joints", a, pathOf(redrawn(outlines))};
        // Both drawn again, each its own way.
        return {"outline drawn with other joints twice", pathOf(redrawn(outlines)),
                pathOf(redrawn(outlines))};
    }

    // An outline against its copy moved, grown or stroked by a hair to a third of its size.
    ShapePair nearCopies()
    {
        const bool letter = coin();
        const BezierPath a =
            letter ? glyph({qreal(integer(0, 4)), qreal(integer(0, 4))}) : convexShape();
        const double size = sizeOf(a);
        // Letters' stems and counters are a tenth of their size: they are grown by less.
        const double d = hairToThird() * size * (letter ? 0.03 : 1.0);
        const std::vector<Outline> outlines = outlinesOf(a);
        // Shrunk by less than a fifth of the narrower side, the outline stays clear of itself.
        const double inward = 0.2 * std::min(a.bounds().width(), a.bounds().height());
        switch (integer(0, 3)) {
        case 0: {
            const double angle = real(0, 2 * std::numbers::pi);
            const double by = hairToThird() * size;
            return {"outline and itself moved", a,
                    movedPath(a, by * std::cos(angle), by * std::sin(angle))};
        }
        case 1:
            return {"outline and itself grown", a, pathOf(redrawn(offset(outlines, d)))};
        case 2:
            return {"outline and itself shrunk", a,
                    pathOf(redrawn(offset(outlines, -std::min(d, inward))))};
        default: {
            // The stroke: the band between the outline grown and shrunk by half its width.
            std::vector<Outline> band = offset(outlines, d / 2);
            for (const Outline &o : offset(outlines, -std::min(d / 2, inward)))
                band.push_back(o);
            return {"outline and its stroke", a, pathOf(redrawn(band))};
        }
        }
    }

    // A letter-like outline: a stem from x = left to x0 (serifs of width `serif` and height t
    // on its left) and a bowl of reach `reach` right of x0, from y = 0 to h, at o.
    static BezierPath stemAndBowl(QPointF o, double left, double x0, double h, double reach,
                                  double serif, double t)
    {
        const double k = 0.5523;
        BezierPath path;
        path.moveToPoint(o + QPointF(left - serif, 0));
        path.lineToPoint(o + QPointF(x0, 0));
        path.curveToPoint(o + QPointF(x0 + reach, h / 2), o + QPointF(x0 + k * reach, 0),
                          o + QPointF(x0 + reach, h / 2 - k * h / 2));
        path.curveToPoint(o + QPointF(x0, h), o + QPointF(x0 + reach, h / 2 + k * h / 2),
                          o + QPointF(x0 + k * reach, h));
        path.lineToPoint(o + QPointF(left - serif, h));
        if (serif > 0) {
            path.lineToPoint(o + QPointF(left - serif, h - t));
            path.lineToPoint(o + QPointF(left, h - t));
            path.lineToPoint(o + QPointF(left, t));
            path.lineToPoint(o + QPointF(left - serif, t));
        }
        path.closePath();
        return path;
    }

    // Sibling outlines that share a stem, a bowl or a side, each drawn with its own joints.
    ShapePair siblings()
    {
        const QPointF o(integer(0, 4), integer(0, 4));
        const double h = integer(8, 14), t = integer(1, 2);
        const double left = integer(0, 2), x0 = left + t + integer(1, 4);
        const double reach = integer(2, 6), serif = integer(0, 2);
        BezierPath a = stemAndBowl(o, left, x0, h, reach, serif, t);
        BezierPath b;
        const char *kind = "";
        switch (integer(0, 3)) {
        case 0: {
            kind = "siblings sharing a bowl";
            const double otherLeft = left + integer(-2, 2) * 0.5;
            b = stemAndBowl(o, std::min(otherLeft, x0 - 0.5), x0, h, reach, integer(0, 2), t);
            break;
        }
        case 1: {
            kind = "siblings sharing a stem";
            double otherReach = integer(1, 7);
            if (otherReach == reach)
                otherReach += 0.5;
            b = stemAndBowl(o, left, x0, h, otherReach, serif, t);
            break;
        }
        case 2:
            kind = "a letter and its stem";
            b = rect(o.x() + left - serif, o.y(), x0 - left + serif, h);
            break;
        default: {
            kind = "siblings sharing a side";
            // A neighbour standing on the letter's foot or leaning on its stem.
            const double w = integer(1, 8), high = integer(1, 8);
            b = coin() ? rect(o.x() + left - serif + integer(-2, 2), o.y() - high, w, high)
                       : rect(o.x() + left - serif - w, o.y() + integer(-2, 4), w, high);
            break;
        }
        }
        return {kind, pathOf(redrawn(outlinesOf(a))), pathOf(redrawn(outlinesOf(b)))};
    }

    // 20 to 60 letter-like outlines stacked at one point, as a whole alphabet drawn at the
    // origin is.
    std::vector<BezierPath> fold()
    {
        const QPointF o(integer(0, 4), integer(0, 4));
        std::vector<BezierPath> outlines;
        const int count = integer(20, 60);
        for (int i = 0; i < count; ++i) {
            if (integer(0, 3) == 0) {
                const double h = integer(8, 14), t = integer(1, 2);
                const double left = integer(0, 2);
                outlines.push_back(stemAndBowl(o, left, left + t + integer(1, 4), h, integer(2, 6),
                                               integer(0, 2), t));
            } else {
                outlines.push_back(glyph(o));
            }
        }
        return outlines;
    }

    // A pair for the guarded entry, to be scaled to a size from 1e-3 to 1e4.
    ShapePair guardedPair()
    {
        switch (integer(0, 3)) {
        case 0:
        case 1:
            return pair();
        case 2:
            return glyphs();
        default:
            return touching();
        }
    }

private:
    template <typename At> BezierPath traceCells(At at, int side, QPointF origin)
    {
        // Directed unit edges with the filled cell on their left, keyed by their start.
        std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> from;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                if (!at(x, y))
                    continue;
                if (!at(x, y - 1))
                    from[{x, y}].push_back({x + 1, y});
                if (!at(x + 1, y))
                    from[{x + 1, y}].push_back({x + 1, y + 1});
                if (!at(x, y + 1))
                    from[{x + 1, y + 1}].push_back({x, y + 1});
                if (!at(x - 1, y))
                    from[{x, y + 1}].push_back({x, y});
            }
        }
        BezierPath path;
        while (!from.empty()) {
            const std::pair<int, int> first = from.begin()->first;
            std::vector<QPointF> points;
            std::pair<int, int> at0 = first;
            do {
                auto &outs = from[at0];
                const std::pair<int, int> next = outs.back();
                outs.pop_back();
                if (outs.empty())
                    from.erase(at0);
                points.push_back(origin + QPointF(at0.first, at0.second));
                at0 = next;
            } while (at0 != first);
            // Corners only, but now and then a point in the middle of a straight run is kept.
            std::vector<QPointF> corners;
            for (size_t i = 0; i < points.size(); ++i) {
                const QPointF p = points[(i + points.size() - 1) % points.size()];
                const QPointF q = points[i];
                const QPointF r = points[(i + 1) % points.size()];
                const bool straight =
                    (p.x() == q.x() && q.x() == r.x()) || (p.y() == q.y() && q.y() == r.y());
                if (!straight || integer(0, 9) == 0)
                    corners.push_back(q);
            }
            std::rotate(corners.begin(), corners.begin() + integer(0, int(corners.size()) - 1),
                        corners.end());
            path.appendBezierPath(polygon(corners));
        }
        path.setWindingRule(platform::WindingRule::EvenOdd);
        return path;
    }

    static BezierPath quarterTurn(const BezierPath &path, QPointF c)
    {
        return pathoracle::mappedPath(path, [c](QPointF p) {
            return QPointF(c.x() - (p.y() - c.y()), c.y() + (p.x() - c.x()));
        });
    }

    std::mt19937_64 mRandom;
};

struct OperationKind
{
    const char *name;
    ClipperLib::ClipType clip;
    bool (*inside)(bool, bool);
    FBBezierGraph (FBBezierGraph::*combine)(FBBezierGraph &);
};

const OperationKind kOperations[] = {
    {"union", ClipperLib::ctUnion, [](bool a, bool b) { return a || b; },
     &FBBezierGraph::unionWithBezierGraph},
    {"intersection", ClipperLib::ctIntersection, [](bool a, bool b) { return a && b; },
     &FBBezierGraph::intersectWithBezierGraph},
    {"difference", ClipperLib::ctDifference, [](bool a, bool b) { return a && !b; },
     &FBBezierGraph::differenceWithBezierGraph},
    {"exclusive or", ClipperLib::ctXor, [](bool a, bool b) { return a != b; },
     &FBBezierGraph::xorWithBezierGraph},
};

inline bool graphIsClean(const FBBezierGraph &graph)
{
    for (const FBBezierContourPtr &contour : graph.contours()) {
        if (!contour->overlaps().empty())
            return false;
        for (const auto &edge : contour->edges()) {
            if (!edge->crossings().empty())
                return false;
        }
    }
    return true;
}

// The faults found in one pair, one line each; empty when it passes.
// The clipper's flattening: `flatness` (1e-3 unless outlines coincide with other joints).
// Copies shrunk or stroked past a corner's radius curl there; only those are looked at for it,
// since the look flattens both operands finely.
// Always: every area is measured by the clipper (answers whose contours cross each other, as
// the slivers between a shape and its copy turned a hair may).
enum class Curls { No, Maybe, Always };

inline std::vector<std::string> checkPair(const BezierPath &a, const BezierPath &b,
                                          double flatness = 1e-3, Curls curls = Curls::No,
                                          bool oneOutline = false)
{
    std::vector<std::string> faults;
    auto fault = [&faults](const std::string &op, const std::string &what) {
        faults.push_back(op + ": " + what);
    };
    // The exact measure takes each contour's signed area, which is the area it fills only when
    // it does not cross itself. A copy shrunk past a corner's radius curls there, and the answer
    // keeps the curl: where a contour of an operand fills other than its signed area on the
    // clipper's flattening, every area is measured by the clipper on that flattening instead.
    auto clipperFilled = [flatness](const BezierPath &path) {
        return pathoracle::clipperArea(path, BezierPath(), ClipperLib::ctUnion, flatness);
    };
    auto crossesItself = [flatness](const BezierPath &path) {
        const double cells = 10 / flatness;
        for (const pathoracle::Polygon &polygon : pathoracle::flatten(path, flatness)) {
            ClipperLib::Path p;
            for (QPointF q : polygon)
                p.push_back({ClipperLib::cInt(std::llround(q.x() * cells)),
                             ClipperLib::cInt(std::llround(q.y() * cells))});
            ClipperLib::Paths filled;
            ClipperLib::SimplifyPolygon(p, filled, ClipperLib::pftEvenOdd);
            double area = 0;
            for (const ClipperLib::Path &f : filled)
                area += ClipperLib::Area(f);
            const double signedArea = std::abs(ClipperLib::Area(p));
            if (std::abs(std::abs(area) - signedArea) > 1e-4 * signedArea)
                return true;
        }
        return false;
    };
    const bool curled =
        curls == Curls::Always || (curls == Curls::Maybe && (crossesItself(a) || crossesItself(b)));
    auto measure = [curled, &clipperFilled](const BezierPath &path) {
        return curled ? clipperFilled(path) : pathoracle::evenOddArea(path);
    };
    const double areaA = std::abs(measure(a));
    const double areaB = std::abs(measure(b));
    const double scale = areaA + areaB;
    QRectF frame = a.bounds().united(b.bounds());
    frame.adjust(-1, -1, 1, 1);
    double exact[4] = {};
    for (int k = 0; k < 4; ++k) {
        const OperationKind &op = kOperations[k];
        FBBezierGraph ga(a), gb(b);
        BezierPath result, again;
        try {
            result = (ga.*op.combine)(gb).bezierPath();
            if (!graphIsClean(ga) || !graphIsClean(gb))
                fault(op.name, "crossings or overlaps left in an input");
            again = (ga.*op.combine)(gb).bezierPath();
        } catch (const std::exception &e) {
            fault(op.name, std::string("threw ") + e.what());
            continue;
        }
        if (!(again == result))
            fault(op.name, "a repeat gives another path");
        exact[k] = measure(result);
        // Compared by size: the clipper can hand back an answer turned the other way round (its
        // outline clockwise) where an operand is a speck a few of its cells across.
        const double clip = pathoracle::clipperArea(a, b, op.clip, flatness);
        const double allowed = std::max(0.005 * std::abs(clip), 1e-4 * scale);
        if (!(std::abs(std::abs(exact[k]) - std::abs(clip)) <= allowed)) {
            std::ostringstream s;
            s << "area " << exact[k] << " against the clipper's " << clip;
            fault(op.name, s.str());
        }
        const pathoracle::MembershipReport m =
            pathoracle::membership(a, b, result, frame, op.inside);
        if (m.mismatches > 0) {
            std::ostringstream s;
            s << m.mismatches << " of " << m.checked << " points wrong, first at ("
              << m.firstMismatch.x() << ", " << m.firstMismatch.y() << ")";
            fault(op.name, s.str());
        }
    }
    // Read as one outline, the copies' union and intersection are one of them to a hair, and
    // the slivers between them may be missing from them while the exclusive or, both outlines,
    // has them all: the identities hold to the slivers' area.
    const double tolerance =
        1e-5 * scale +
        (oneOutline ? std::abs(pathoracle::clipperArea(a, b, ClipperLib::ctXor, flatness)) : 0.0);
    if (!(std::abs(exact[0] + exact[1] - areaA - areaB) <= tolerance)) {
        std::ostringstream s;
        s << "|A u B| + |A n B| = " << exact[0] + exact[1] << ", |A| + |B| = " << areaA + areaB;
        fault("areas", s.str());
    }
    if (!(std::abs(exact[3] - (exact[0] - exact[1])) <= tolerance)) {
        std::ostringstream s;
        s << "|A x B| = " << exact[3] << ", |A u B| - |A n B| = " << exact[0] - exact[1];
        fault("areas", s.str());
    }
    return faults;
}

// The text form's records with every digit, so that a failing pair reads back exactly.
inline std::string exactText(const BezierPath &path)
{
    std::string text;
    auto number = [&text](double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, ";%.17g", v);
        text += buffer;
    };
    for (const BezierPath::Element &e : path.elements()) {
        switch (e.type) {
        case platform::BezierPathElement::MoveTo:
        case platform::BezierPathElement::LineTo:
            text += e.type == platform::BezierPathElement::MoveTo ? "M" : "L";
            number(e.points[0].x());
            number(e.points[0].y());
            break;
        case platform::BezierPathElement::CurveTo:
            text += "S";
            for (const QPointF &p : e.points) {
                number(p.x());
                number(p.y());
            }
            break;
        case platform::BezierPathElement::ClosePath:
            text += "C;";
            break;
        }
        text += "@";
    }
    return text;
}

inline std::string describe(const std::vector<std::string> &faults, const BezierPath &a,
                            const BezierPath &b)
{
    std::string text;
    for (const std::string &f : faults)
        text += "  " + f + "\n";
    text += "  A: " + pathToString(a).toStdString() + "\n";
    text += "  B: " + pathToString(b).toStdString() + "\n";
    text += "  exact A: " + exactText(a) + "\n";
    text += "  exact B: " + exactText(b) + "\n";
    return text;
}

} // namespace pathcases
