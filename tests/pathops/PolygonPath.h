#pragma once
// A path through the given points, closed or open: the shapes the path tests use.

#include "platform/BezierPath.h"

#include <initializer_list>
#include <vector>

template <class Points> platform::BezierPath pathThroughPoints(const Points &points, bool close)
{
    platform::BezierPath path;
    bool first = true;
    for (QPointF p : points) {
        if (first)
            path.moveToPoint(p);
        else
            path.lineToPoint(p);
        first = false;
    }
    if (close)
        path.closePath();
    return path;
}

inline platform::BezierPath polygon(std::initializer_list<QPointF> points, bool close = true)
{
    return pathThroughPoints(points, close);
}

inline platform::BezierPath polyline(std::initializer_list<QPointF> points, bool close = false)
{
    return pathThroughPoints(points, close);
}

inline platform::BezierPath polyline(const std::vector<QPointF> &points, bool close = false)
{
    return pathThroughPoints(points, close);
}
