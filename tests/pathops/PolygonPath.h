#pragma once
// A path through the given points, closed unless told otherwise: the shapes the path tests use.

#include "platform/BezierPath.h"

#include <initializer_list>

inline platform::BezierPath polygon(std::initializer_list<QPointF> points, bool close = true)
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
