#pragma once
// Circular arcs: the arc through three points, arcs as paths, arcs against rects, and arcs
// carried through transforms.

#include <QPointF>
#include <QRectF>
#include <optional>

#include "graphics/UtilityMathAngles.h"
#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"

// None for a radius of 0 or less. A scale other than 1 (and above 0) scales centre and radius.
std::optional<platform::BezierPath> CreateArcPath(const ARC_INFO &arc, double scale);
// The arc from p1 through p2 to p3.
bool MakeArcThroughThreePoints(ARC_INFO *out, QPointF p1, QPointF p2, QPointF p3);
bool GetCircleCenterFromThreePoints(QPointF *out, QPointF p1, QPointF p2, QPointF p3);
bool ArcIntersectsRect(const ARC_INFO &arc, QRectF rect);
bool ArcInsideRect(QRectF rect, const ARC_INFO &arc);
bool GrowArcRadius(ARC_INFO *out, const ARC_INFO &arc, double delta);
// The arc the transform makes of it (a mirror turns its direction); a null transform or an arc
// without a radius comes back unchanged.
ARC_INFO TransformArc(const ARC_INFO &arc, const platform::AffineTransform *transform);
platform::BezierPath CreateSegmentPath(double scale, QPointF a, QPointF b);
bool AppendArcToPath(platform::BezierPath *path, QPointF center, float radius, float startAngle,
                     float endAngle, bool clockwise);
