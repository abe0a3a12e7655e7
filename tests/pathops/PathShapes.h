#pragma once
// Shapes and checks the boolean-operation tests share: squares, rings and circles as paths, and
// a membership comparison of a result against what the operation means point by point.

#include "PolygonPath.h"
#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"

#include <QRectF>
#include <cmath>
#include <functional>
#include <random>

inline platform::BezierPath squarePath(double x, double y, double side)
{
    return polygon({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}});
}

inline platform::BezierPath evenOdd(platform::BezierPath path)
{
    path.setWindingRule(platform::WindingRule::EvenOdd);
    return path;
}

// A square (x, y, side) with a square hole (holeX, holeY, holeSide), even-odd.
inline platform::BezierPath squareRing(double x, double y, double side, double holeX, double holeY,
                                       double holeSide)
{
    platform::BezierPath ring = squarePath(x, y, side);
    ring.appendBezierPath(squarePath(holeX, holeY, holeSide));
    return evenOdd(ring);
}

// A square with a square hole, both drawn the same way round.
inline platform::BezierPath ringPath(double outer, double holeX, double holeSide)
{
    return squareRing(0, 0, outer, holeX, holeX, holeSide);
}

inline platform::BezierPath movedPath(platform::BezierPath path, double dx, double dy)
{
    platform::AffineTransform shift;
    shift.translateXBy(dx, dy);
    path.transformUsingAffineTransform(shift);
    return path;
}

inline platform::BezierPath circlePath(double cx, double cy, double r)
{
    return platform::BezierPath::bezierPathWithOvalInRect(QRectF(cx - r, cy - r, 2 * r, 2 * r));
}

// The number of grid points over `area` (step `step`) at which `result` disagrees with
// `expected(inA, inB)`; points whose neighbours within `margin` disagree about A or B (near an
// outline) are skipped.
inline int membershipMismatches(const platform::BezierPath &a, const platform::BezierPath &b,
                                const platform::BezierPath &result, const QRectF &area, double step,
                                const std::function<bool(bool, bool)> &expected,
                                double margin = 0.05)
{
    const platform::BezierPath ea = evenOdd(a);
    const platform::BezierPath eb = evenOdd(b);
    const platform::BezierPath er = evenOdd(result);
    auto steady = [margin](const platform::BezierPath &p, QPointF q) {
        const bool here = p.containsPoint(q);
        const QPointF around[] = {{margin, 0}, {-margin, 0}, {0, margin}, {0, -margin}};
        for (QPointF d : around) {
            if (p.containsPoint(q + d) != here)
                return false;
        }
        return true;
    };
    int mismatches = 0;
    for (double y = area.top() + step / 2; y < area.bottom(); y += step) {
        for (double x = area.left() + step / 2; x < area.right(); x += step) {
            const QPointF q(x, y);
            if (!steady(ea, q) || !steady(eb, q))
                continue;
            if (er.containsPoint(q) != expected(ea.containsPoint(q), eb.containsPoint(q)))
                ++mismatches;
        }
    }
    return mismatches;
}

// `count` circles of radius 5 to 20 in one path, their centres spread over a square of side
// 30·√count, from a seed: overlapping enough that a union takes a while.
inline platform::BezierPath seededCircles(int count, quint64 seed)
{
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> at(0, 30 * std::sqrt(double(count)));
    std::uniform_real_distribution<double> radius(5, 20);
    platform::BezierPath path;
    for (int i = 0; i < count; ++i) {
        const double r = radius(random);
        path.appendBezierPathWithOvalInRect(QRectF(at(random) - r, at(random) - r, 2 * r, 2 * r));
    }
    return path;
}
