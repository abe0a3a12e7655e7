#pragma once
// Shape questions that need the curve intersections: whether two paths meet, where a line first
// meets a path (as a shape-layer point), and a curve fitted through each subpath.

#include "graphics/DOT.h"
#include "platform/BezierPath.h"

#include <QPointF>
#include <memory>
#include <optional>

// One holds the other's first point, or their outlines cross.
bool isIntersectWithPath(const platform::BezierPath &path, const platform::BezierPath *other);
// The point where the segment a-b first meets the path's first subpath; null when a and b are
// closer than 0.1 or nothing meets.
std::shared_ptr<DOT> IntersectionsWithLine(const platform::BezierPath &path, QPointF a, QPointF b);
// Cubics fitted through each subpath within `error` (a closed subpath starting with a curve gets
// a short line first), joined into one path with the path's line width.
std::optional<platform::BezierPath> fb_fitCurve2(const platform::BezierPath &path, double error);
