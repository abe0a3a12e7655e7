#pragma once
// Where the first subpaths of two paths meet, ordered along the first path. A path against
// itself reports where it crosses itself, not the joints of its neighbouring segments.

#include "pathops/OABezierPathIntersection.h"
#include "platform/BezierPath.h"

#include <QList>

// `found`, when given, is emptied and receives every crossing; without it the answer comes at
// the first crossing. Passing the path itself as `other` finds its self-crossings.
bool allIntersectionsWithPath_withSingleSubOnly(const platform::BezierPath &path,
                                                const platform::BezierPath *other,
                                                QList<OABezierPathIntersection> *found);

// Every crossing of every subpath of `path` with every subpath of `other`, each pair's run
// ordered along the first path; without `found` the answer comes at the first crossing.
bool allIntersectionsWithPath(const platform::BezierPath &path, const platform::BezierPath *other,
                              QList<OABezierPathIntersection> *found);
