#include "pathops/PathBooleanOperations.h"

#include "pathops/FBBezierGraph.h"
#include "pathops/FBGeometry.h"
#include "pathops/PathOperationState.h"
#include "pathops/PelkoNSBezierPath.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <vector>

using platform::BezierPath;

namespace {

bool hasOnlyFinitePoints(const BezierPath &path)
{
    for (const BezierPath::Element &e : path.elements()) {
        const int used = e.type == platform::BezierPathElement::CurveTo ? 3 : 1;
        for (int i = 0; i < used; ++i) {
            if (!std::isfinite(e.points[i].x()) || !std::isfinite(e.points[i].y()))
                return false;
        }
    }
    return true;
}

enum class GraphOperation { Union, Intersect, Difference, Xor };

// Moves every point of every element by `map`.
template <typename Map> void mapPathPoints(BezierPath &path, Map map)
{
    for (qint64 i = 0; i < path.elementCount(); ++i) {
        const platform::BezierPathElement type = path.element(i).type;
        if (type == platform::BezierPathElement::ClosePath)
            continue;
        QPointF points[3] = {{0, 0}, {0, 0}, {0, 0}};
        const int used = type == platform::BezierPathElement::CurveTo ? 3 : 1;
        path.elementAtIndex(i, points);
        for (int k = 0; k < used; ++k)
            points[k] = map(points[k]);
        path.setAssociatedPoints(points, i);
    }
}

// The engine's closeness tests are fixed distances (one point within 1e-10, a curve within 1e-5
// of a point is a point, the points of a crossing within 1e-3) and some of its measures square
// coordinates, so the same shapes in other units met them at another share of their size and
// could come out differently. Both operands are therefore scaled by a power of two (exact) until
// the box of their points is 64 to 128 units across, and moved to the origin when they lie far
// out for their size (exact there, else within the input's own rounding); the answer is taken
// back the same way. The answer to shapes scaled by a power of two is then the same answer scaled.
constexpr int kStandardHalfSideExponent = 6;
constexpr double kFarthestForSide = 1e6;

// The box of both paths' points, control points included: left, right, top, bottom (left above
// right when there are no points).
std::array<double, 4> pointBox(const BezierPath &path, const BezierPath &other)
{
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (const BezierPath *p : {&path, &other}) {
        for (const BezierPath::Element &e : p->elements()) {
            if (e.type == platform::BezierPathElement::ClosePath)
                continue;
            const int used = e.type == platform::BezierPathElement::CurveTo ? 3 : 1;
            for (int i = 0; i < used; ++i) {
                left = std::min(left, e.points[i].x());
                right = std::max(right, e.points[i].x());
                top = std::min(top, e.points[i].y());
                bottom = std::max(bottom, e.points[i].y());
            }
        }
    }
    return {left, right, top, bottom};
}

struct Placement
{
    double centreX = 0.0;
    double centreY = 0.0;
    int exponent = 0;
};

std::optional<Placement> placementFor(const BezierPath &path, const BezierPath &other)
{
    const auto [left, right, top, bottom] = pointBox(path, other);
    // Halves first, so that nothing overflows on the largest coordinates.
    const double halfSide = std::max(right / 2 - left / 2, bottom / 2 - top / 2);
    if (!(halfSide > 0) || !std::isfinite(halfSide))
        return std::nullopt;
    Placement placement;
    const double centreX = left / 2 + right / 2, centreY = top / 2 + bottom / 2;
    const bool far = std::max(std::abs(centreX), std::abs(centreY)) > kFarthestForSide * halfSide;
    if (far) {
        placement.centreX = centreX;
        placement.centreY = centreY;
    }
    int exponent = 0;
    std::frexp(halfSide, &exponent);
    placement.exponent = kStandardHalfSideExponent - exponent;
    if (!far && placement.exponent == 0)
        return std::nullopt;
    return placement;
}

// `value` times 2 to the exponent, as std::ldexp gives it. While the power of two is itself an
// ordinary number, the product is exact or rounded once, the same digits as ldexp's and far
// cheaper than the library's call on every coordinate of every operand and answer.
class PowerOfTwo
{
public:
    explicit PowerOfTwo(int exponent)
        : mExponent(exponent), mFactor(std::ldexp(1.0, exponent)),
          mPlain(exponent >= -1000 && exponent <= 1000)
    {}
    double operator()(double value) const
    {
        return mPlain ? value * mFactor : std::ldexp(value, mExponent);
    }

private:
    int mExponent;
    double mFactor;
    bool mPlain;
};

// The points moved by (-x, -y), then scaled by 2 to the exponent; and back.
BezierPath movedAndScaled(BezierPath path, double x, double y, int exponent)
{
    const PowerOfTwo scale(exponent);
    mapPathPoints(path, [=](QPointF p) { return QPointF(scale(p.x() - x), scale(p.y() - y)); });
    return path;
}

BezierPath scaledBackAndMoved(BezierPath path, double x, double y, int exponent)
{
    const PowerOfTwo scale(-exponent);
    mapPathPoints(path, [=](QPointF p) { return QPointF(scale(p.x()) + x, scale(p.y()) + y); });
    return path;
}

BezierPath placed(BezierPath path, const Placement &placement)
{
    return movedAndScaled(std::move(path), placement.centreX, placement.centreY,
                          placement.exponent);
}

BezierPath takenBack(BezierPath path, const Placement &placement)
{
    return scaledBackAndMoved(std::move(path), placement.centreX, placement.centreY,
                              placement.exponent);
}

FBBezierGraph combineGraphs(const BezierPath &path, const BezierPath &other,
                            GraphOperation operation)
{
    FBBezierGraph ours(path);
    FBBezierGraph theirs(other);
    switch (operation) {
    case GraphOperation::Union:
        return ours.unionWithBezierGraph(theirs);
    case GraphOperation::Intersect:
        return ours.intersectWithBezierGraph(theirs);
    case GraphOperation::Difference:
        return ours.differenceWithBezierGraph(theirs);
    case GraphOperation::Xor:
        break;
    }
    return ours.xorWithBezierGraph(theirs);
}

BezierPath combine(const BezierPath &path, const BezierPath &other, GraphOperation operation)
{
    BezierPath empty;
    fb_copyAttributesFrom(empty, path);
    if (!hasOnlyFinitePoints(path) || !hasOnlyFinitePoints(other)) {
        platform::LogWarning(lcPathops,
                             QStringLiteral("ERROR path operation: a coordinate is not finite"));
        return empty;
    }
    const std::optional<Placement> placement = placementFor(path, other);
    BezierPath answer;
    try {
        answer = placement ? takenBack(combineGraphs(placed(path, *placement),
                                                     placed(other, *placement), operation)
                                           .bezierPath(),
                                       *placement)
                           : combineGraphs(path, other, operation).bezierPath();
    } catch (const std::bad_alloc &) {
        // Callers expect the engine's own failures only; the input is too large for memory.
        platform::LogWarning(lcPathops, QStringLiteral("ERROR path operation: out of memory"));
        throw platform::Exception(QStringLiteral("Path operation out of memory"),
                                  QStringLiteral("memory"));
    }
    if (!hasOnlyFinitePoints(answer)) {
        platform::LogWarning(lcPathops,
                             QStringLiteral("ERROR path operation: the answer is not finite"));
        return empty;
    }
    fb_copyAttributesFrom(answer, path);
    return answer;
}

struct RandomSource
{
    std::mutex mutex;
    std::mt19937_64 engine{quint64(std::chrono::steady_clock::now().time_since_epoch().count())};
};

RandomSource &randomSource()
{
    static RandomSource source;
    return source;
}

// Puts the start time back however the guarded combination ends.
struct StartTimeScope
{
    StartTimeScope() { gPathOperationStartTime.store(PathOperation_CurrentMediaTime()); }
    ~StartTimeScope() { gPathOperationStartTime.store(-1.0); }
    StartTimeScope(const StartTimeScope &) = delete;
    StartTimeScope &operator=(const StartTimeScope &) = delete;
};

double signedDraw(double lower, double upper)
{
    const double value = PathOperation_RandomDouble(lower, upper);
    return PathOperation_RandomNumber(10) < 5 ? -value : value;
}

// The guarded entry works in a frame of the operands' own size, so that its answers do not
// depend on their units: both paths are moved to the origin when they lie far from it and
// scaled by a power of two so that their smallest outline is 8 to 16 units across (unless the
// largest coordinates would come near overflowing). The move is by a multiple of the largest
// coordinates' unit in the last place and the scale a power of two, so both are exact, and a
// pair a power of two larger or smaller gives the same frame and the same answer scaled.
struct GuardFrame
{
    double shiftX = 0.0;
    double shiftY = 0.0;
    int exponent = 0;
    // The smallest outline's size in the frame; 0 when every outline is a point.
    double smallest = 0.0;
};

// The largest coordinates in the frame stay below 2 to this power.
constexpr int kLargestFrameExponent = 1000;

// The frame's move along one axis: a multiple of the unit in the last place of the largest
// coordinate, so that subtracting it is exact, when the points lie far from the origin for
// their spread.
double frameShift(double low, double high)
{
    const double half = high / 2 - low / 2;
    const double centre = low / 2 + high / 2;
    if (!(std::abs(centre) > 4 * half))
        return 0.0;
    int exponent = 0;
    std::frexp(std::max(std::abs(low), std::abs(high)), &exponent);
    return std::ldexp(std::nearbyint(std::ldexp(centre, 53 - exponent)), exponent - 53);
}

GuardFrame guardFrameFor(const BezierPath &path, const BezierPath &other)
{
    const auto [left, right, top, bottom] = pointBox(path, other);
    GuardFrame frame;
    if (!(left <= right))
        return frame;
    frame.shiftX = frameShift(left, right);
    frame.shiftY = frameShift(top, bottom);
    // Each outline's size is the larger side of its points' box, measured after the move.
    double smallest = INFINITY;
    for (const BezierPath *p : {&path, &other}) {
        double l = INFINITY, r = -INFINITY, t = INFINITY, b = -INFINITY;
        auto finish = [&] {
            if (l <= r) {
                const double size = std::max(r - l, b - t);
                if (size > 0)
                    smallest = std::min(smallest, size);
            }
            l = t = INFINITY;
            r = b = -INFINITY;
        };
        for (const BezierPath::Element &e : p->elements()) {
            if (e.type == platform::BezierPathElement::ClosePath)
                continue;
            if (e.type == platform::BezierPathElement::MoveTo)
                finish();
            const int used = e.type == platform::BezierPathElement::CurveTo ? 3 : 1;
            for (int i = 0; i < used; ++i) {
                const double x = e.points[i].x() - frame.shiftX;
                const double y = e.points[i].y() - frame.shiftY;
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
        }
        finish();
    }
    const double largest =
        std::max({std::abs(left - frame.shiftX), std::abs(right - frame.shiftX),
                  std::abs(top - frame.shiftY), std::abs(bottom - frame.shiftY)});
    int largestExponent = 0;
    std::frexp(largest, &largestExponent);
    if (std::isfinite(smallest)) {
        int exponent = 0;
        std::frexp(smallest, &exponent);
        // smallest * 2^(4 - exponent) lies in [8, 16).
        frame.exponent = std::min(4 - exponent, kLargestFrameExponent - largestExponent);
        frame.smallest = std::ldexp(smallest, frame.exponent);
    }
    return frame;
}

BezierPath intoFrame(BezierPath path, const GuardFrame &frame)
{
    return movedAndScaled(std::move(path), frame.shiftX, frame.shiftY, frame.exponent);
}

BezierPath outOfFrame(BezierPath path, const GuardFrame &frame)
{
    return scaledBackAndMoved(std::move(path), frame.shiftX, frame.shiftY, frame.exponent);
}

} // namespace

BezierPath fb_union(const BezierPath &path, const BezierPath &other)
{
    return combine(path, other, GraphOperation::Union);
}

BezierPath fb_intersect(const BezierPath &path, const BezierPath &other)
{
    return combine(path, other, GraphOperation::Intersect);
}

BezierPath fb_difference(const BezierPath &path, const BezierPath &other)
{
    return combine(path, other, GraphOperation::Difference);
}

BezierPath fb_xor(const BezierPath &path, const BezierPath &other)
{
    return combine(path, other, GraphOperation::Xor);
}

void PathOperation_SeedRandom(quint64 seed)
{
    RandomSource &source = randomSource();
    std::lock_guard lock(source.mutex);
    source.engine.seed(seed);
}

double PathOperation_RandomDouble(double lower, double upper)
{
    if (!(lower < upper))
        return lower;
    RandomSource &source = randomSource();
    std::lock_guard lock(source.mutex);
    return std::uniform_real_distribution<double>(lower, upper)(source.engine);
}

quint64 PathOperation_RandomNumber(quint64 n)
{
    if (n == 0)
        return 0;
    RandomSource &source = randomSource();
    std::lock_guard lock(source.mutex);
    return std::uniform_int_distribution<quint64>(0, n - 1)(source.engine);
}

void JitterPathPoints(BezierPath *path, double lower, double upper)
{
    if (!path || path->elementCount() < 2)
        return;
    for (qint64 i = 0; i < path->elementCount(); ++i) {
        QPointF points[3] = {{0, 0}, {0, 0}, {0, 0}};
        path->elementAtIndex(i, points);
        for (QPointF &p : points) {
            p.rx() += signedDraw(lower, upper);
            p.ry() += signedDraw(lower, upper);
        }
        path->setAssociatedPoints(points, i);
    }
}

std::optional<BezierPath> performBooleanOp(const BezierPath &path, qint32 operation,
                                           const BezierPath *other)
{
    if (!other)
        return std::nullopt;
    if (!hasOnlyFinitePoints(path) || !hasOnlyFinitePoints(*other)) {
        platform::LogWarning(lcPathops,
                             QStringLiteral("ERROR path operation: a coordinate is not finite"));
        return std::nullopt;
    }
    StartTimeScope clock;
    try {
        const GuardFrame frame = guardFrameFor(path, *other);
        const BezierPath a = intoFrame(path, frame);
        const BezierPath b = intoFrame(*other, frame);
        auto combined = [operation](const BezierPath &x, const BezierPath &y) {
            switch (operation) {
            case PathBooleanUnion:
                return fb_union(x, y);
            case PathBooleanIntersect:
                return fb_intersect(x, y);
            case PathBooleanDifference:
                return fb_difference(x, y);
            default:
                return fb_xor(x, y);
            }
        };
        // A jittered combination was once drawn too, and kept only where it matched this one: it
        // could never change an answer, only redo the work up to eight times.
        const BezierPath result = combined(a, b);
        if (result.isEmpty())
            return std::nullopt;
        const BezierPath answer = outOfFrame(result, frame);
        if (!hasOnlyFinitePoints(answer)) {
            platform::LogWarning(lcPathops,
                                 QStringLiteral("ERROR path operation: the answer is not finite"));
            return std::nullopt;
        }
        return answer;
    } catch (const platform::Exception &e) {
        platform::reportException(__FILE__, Q_FUNC_INFO, __LINE__, &e);
        return std::nullopt;
    }
}

namespace {

// One range of the simplification: `count` elements from `first`, whose first element stands as
// a move-to at `anchor` (a close has no point of its own: it is its subpath's start).
struct SimplifyTask
{
    qint64 first = 0;
    qint64 count = 0;
    QPointF anchor;
    bool join = false; // joins the two results on top of the stack instead
};

class Simplifier
{
public:
    Simplifier(const BezierPath &path, double threshold) : mPath(path), mThreshold(threshold)
    {
        mLastMoveTo.resize(size_t(path.elementCount()), -1);
        qint64 last = -1;
        for (qint64 i = 0; i < path.elementCount(); ++i) {
            if (path.element(i).type == platform::BezierPathElement::MoveTo)
                last = i;
            mLastMoveTo[size_t(i)] = last;
        }
    }

    BezierPath run()
    {
        std::vector<SimplifyTask> tasks;
        std::vector<BezierPath> results;
        tasks.push_back({0, mPath.elementCount(), fb_pointAtIndex(mPath, 0), false});
        while (!tasks.empty()) {
            const SimplifyTask task = tasks.back();
            tasks.pop_back();
            if (task.join) {
                BezierPath right = std::move(results.back());
                results.pop_back();
                fb_appendPath(results.back(),
                              fb_subpathWithRange(right, Range{1, right.elementCount() - 1}));
            } else {
                step(task, tasks, results);
            }
        }
        return std::move(results.back());
    }

private:
    // The point of element k as the range starting at task.first sees it.
    QPointF pointInRange(const SimplifyTask &task, qint64 k) const
    {
        if (k == task.first)
            return task.anchor;
        if (mPath.element(k).type != platform::BezierPathElement::ClosePath)
            return fb_pointAtIndex(mPath, k);
        const qint64 move = mLastMoveTo[size_t(k)];
        return move > task.first ? fb_pointAtIndex(mPath, move) : task.anchor;
    }

    void step(const SimplifyTask &task, std::vector<SimplifyTask> &tasks,
              std::vector<BezierPath> &results) const
    {
        if (task.count < 3) {
            BezierPath piece = fb_subpathWithRange(mPath, Range{task.first, task.count});
            QPointF start[3] = {task.anchor, {}, {}};
            piece.setAssociatedPoints(start, 0);
            results.push_back(std::move(piece));
            return;
        }
        const qint64 lastIndex = task.first + task.count - 1;
        const QPointF first = task.anchor;
        const QPointF last = pointInRange(task, lastIndex);
        // The first index of the greatest distance: only a strictly greater one replaces it.
        qint64 split = 1;
        double farthest =
            FBGeom_DistancePointToLine(pointInRange(task, task.first + 1), first, last);
        for (qint64 i = 2; i <= task.count - 2; ++i) {
            const double d =
                FBGeom_DistancePointToLine(pointInRange(task, task.first + i), first, last);
            if (d > farthest) {
                farthest = d;
                split = i;
            }
        }
        if (farthest >= mThreshold) {
            const SimplifyTask left{task.first, split + 1, task.anchor, false};
            const SimplifyTask right{task.first + split, task.count - split,
                                     pointInRange(task, task.first + split), false};
            tasks.push_back({0, 0, {}, true});
            tasks.push_back(right);
            tasks.push_back(left);
            return;
        }
        BezierPath line;
        fb_copyAttributesFrom(line, mPath);
        line.moveToPoint(first);
        line.lineToPoint(last);
        results.push_back(std::move(line));
    }

    const BezierPath &mPath;
    const double mThreshold;
    std::vector<qint64> mLastMoveTo;
};

} // namespace

BezierPath fb_simplify(const BezierPath &path, double threshold)
{
    if (path.elementCount() < 3)
        return path;
    return Simplifier(path, threshold).run();
}
