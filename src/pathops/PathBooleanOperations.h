#pragma once
// Union, intersection, difference and exclusive or of two paths, exact on their curves; the
// guarded entry the progress dialog uses, which first separates coincident points of the two
// inputs by a small random jitter (for callers that want one); and a polyline simplification by
// farthest-point splitting.

#include "platform/BezierPath.h"

#include <QtGlobal>
#include <optional>

// The combinations of two graphs, as a path (even-odd) with the receiver's attributes. An input
// with a non-finite coordinate gives an empty path (logged). Operands too small, too large or too
// far out for the engine's tolerances are combined moved and scaled into their range, and the
// answer put back. Throw platform::Exception when the running combination is cancelled, runs
// out of time or runs out of memory (logged).
platform::BezierPath fb_union(const platform::BezierPath &path, const platform::BezierPath &other);
platform::BezierPath fb_intersect(const platform::BezierPath &path,
                                  const platform::BezierPath &other);
platform::BezierPath fb_difference(const platform::BezierPath &path,
                                   const platform::BezierPath &other);
platform::BezierPath fb_xor(const platform::BezierPath &path, const platform::BezierPath &other);

// Operation codes of performBooleanOp (and the progress dialog's action); any other code is the
// exclusive or.
enum PathBooleanOperation : qint32 {
    PathBooleanUnion = 0,
    PathBooleanIntersect = 1,
    PathBooleanDifference = 2,
    PathBooleanXor = 3,
};

// One combination with a time limit, in a frame of the operands' own size: both paths are moved
// to the origin when they lie far from it and scaled by a power of two so that their smallest
// outline is 8 to 16 units across (both exact), combined, and the answer is taken back to the
// operands' units exactly. Answers nothing for a null argument, an empty combination, a
// non-finite coordinate, a cancel or the time limit (the last two reported).
std::optional<platform::BezierPath> performBooleanOp(const platform::BezierPath &path,
                                                     qint32 operation,
                                                     const platform::BezierPath *other);

// Moves every point of every element by +-[lower, upper) in x and in y; nothing for a path of
// fewer than two elements.
void JitterPathPoints(platform::BezierPath *path, double lower, double upper);

// The random source of the jitter; seeded from the clock unless a caller seeds it (tests and
// fuzzing, for answers that repeat).
void PathOperation_SeedRandom(quint64 seed);
double PathOperation_RandomDouble(double lower, double upper);
// An integer in [0, n); 0 when n is 0.
quint64 PathOperation_RandomNumber(quint64 n);

// The path through the points that stand farther than `threshold` from the line of their
// neighbours' split, found by splitting at the farthest point. A path of fewer than three
// elements comes back unchanged.
platform::BezierPath fb_simplify(const platform::BezierPath &path, double threshold);
