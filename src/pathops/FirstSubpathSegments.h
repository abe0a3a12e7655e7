#pragma once
// Visits the segments of a path's first subpath: kind (line or curve; a close is a line back
// to the start), element index, start point and the element's points. An open subpath is
// closed back to its start when `closeOpen` is set; that segment takes the next index.

#include "platform/BezierPath.h"

template <class Visit>
void visitFirstSubpathSegments(const platform::BezierPath &path, bool closeOpen, Visit visit)
{
    using platform::BezierPathElement;
    const qint64 n = path.elementCount();
    if (n < 2 || path.element(0).type != BezierPathElement::MoveTo)
        return;
    const QPointF start = path.element(0).points[0];
    QPointF current = start;
    qint64 i = 1;
    for (; i < n; ++i) {
        const platform::BezierPath::Element &e = path.element(i);
        if (e.type == BezierPathElement::MoveTo)
            break;
        if (e.type == BezierPathElement::ClosePath) {
            visit(BezierPathElement::LineTo, i, current, &start);
            return;
        }
        visit(e.type, i, current, e.points.data());
        current = e.type == BezierPathElement::CurveTo ? e.points[2] : e.points[0];
    }
    if (closeOpen)
        visit(BezierPathElement::LineTo, i, current, &start);
}
