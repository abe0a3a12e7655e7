#pragma once
// Paths the geometry benchmarks share.

#include "platform/BezierPath.h"

#include <QPointF>
#include <cmath>
#include <numbers>

// A wavy loop: cubics between points on a circle whose radius changes a little, each bulging out
// on one side and in on the other.
inline platform::BezierPath wavyCubicLoop(int elements, double radius)
{
    platform::BezierPath path;
    auto at = [&](int i) {
        const double a = 2 * std::numbers::pi * i / elements;
        const double r = radius * (1 + 0.05 * std::sin(40 * a));
        return QPointF(r * std::cos(a), r * std::sin(a));
    };
    path.moveToPoint(at(0));
    for (int i = 0; i < elements; ++i) {
        const QPointF p0 = at(i), p3 = at(i + 1);
        const QPointF bulge = QPointF(-(p3 - p0).y(), (p3 - p0).x()) * 0.3;
        path.curveToPoint(p3, p0 + (p3 - p0) / 3 + bulge, p0 + 2 * (p3 - p0) / 3 - bulge);
    }
    path.closePath();
    return path;
}
