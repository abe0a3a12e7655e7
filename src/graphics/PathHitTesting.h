#pragma once
// Whether a path's outline passes through a rectangle: the hit test the geometry routines and
// the path operations build on. Segments are tested one by one against the rect's sides; a
// cubic is halved until its control box is within the tolerance of the rect.

#include <QPointF>
#include <QRectF>

#include "platform/BezierPath.h"

// A cubic in power form: B(t) = a0 + a1 t + a2 t^2 + a3 t^3 for t in [0, 1].
struct CurveCoefficients
{
    QPointF a0, a1, a2, a3;
};

CurveCoefficients CurveCoefficientsFromPoints(QPointF p0, QPointF c1, QPointF c2, QPointF p3);

// The cubic comes within `tolerance` of touching the rect (its control box meets the rect and
// is no wider or higher than the tolerance, after halving). Past a fixed depth of halving the
// box alone answers.
bool curveTouchesRect(const CurveCoefficients &curve, QRectF rect, double tolerance);

// Walks a path's segments as the hit tests read them: a close runs back to the start of the
// subpath begun after the last close (or to the first point). For every element after the
// first move-to, calls visit(index, type, from, points), where `points` are the element's own
// (a close's is that start). Answers the index of the first element whose visit answers true,
// else 0 (also for a path that does not begin with a move-to).
template <class Visit> qint64 findPathSegment(const platform::BezierPath &path, Visit visit)
{
    using platform::BezierPathElement;
    if (path.isEmpty() || path.element(0).type != BezierPathElement::MoveTo)
        return 0;
    QPointF current = path.element(0).points[0];
    QPointF start = current;
    bool justClosed = false;
    const qint64 n = path.elementCount();
    for (qint64 i = 1; i < n; ++i) {
        const platform::BezierPath::Element &e = path.element(i);
        const QPointF *points = e.type == BezierPathElement::ClosePath ? &start : e.points.data();
        if (visit(i, e.type, current, points))
            return i;
        switch (e.type) {
        case BezierPathElement::MoveTo:
            current = e.points[0];
            if (justClosed)
                start = current;
            justClosed = false;
            break;
        case BezierPathElement::LineTo:
            current = e.points[0];
            break;
        case BezierPathElement::CurveTo:
            current = e.points[2];
            break;
        case BezierPathElement::ClosePath:
            current = start;
            justClosed = true;
            break;
        }
    }
    return 0;
}

// The outline crosses a side of the rect; curves count within the path's line width + 1. An
// outline wholly inside the rect does not cross it. A subpath's start moves only at a move-to
// that follows a close.
bool intersectsRect(const platform::BezierPath &path, QRectF rect);
