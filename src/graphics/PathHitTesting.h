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

// The outline crosses a side of the rect; curves count within the path's line width + 1. An
// outline wholly inside the rect does not cross it. A subpath's start moves only at a move-to
// that follows a close.
bool intersectsRect(const platform::BezierPath &path, QRectF rect);
