#include "pathops/PathCurveFitting.h"

#include "pathops/FBBezierCurve.h"
#include "pathops/FBGeometry.h"
#include "pathops/PelkoNSBezierPath.h"

#include <array>
#include <cmath>

using platform::BezierPath;

namespace {

using Cubic = std::array<QPointF, 4>;

// Newton rounds tried when the worst error is within the squared threshold.
constexpr int kRefinementRounds = 4;

QPointF pointAt(const BezierPath &path, qint64 index)
{
    return fb_pointAtIndex(path, index);
}

BezierPath pathOfCubic(const BezierPath &attributesFrom, const Cubic &c)
{
    BezierPath path;
    fb_copyAttributesFrom(path, attributesFrom);
    path.moveToPoint(c[0]);
    path.curveToPoint(c[3], c[1], c[2]);
    return path;
}

Cubic cubicOfPath(const BezierPath &bezier)
{
    if (bezier.elementCount() < 2)
        return {};
    const QPointF start = fb_pointAtIndex(bezier, 0);
    const platform::BezierPath::Element &curve = bezier.element(1);
    return {start, curve.points[0], curve.points[1], curve.points[2]};
}

QPointF curvePoint(const Cubic &c, double t)
{
    return FBBezierCurve::bezierCurveWithEndPoint1(c[0], c[1], c[2], c[3])->pointAtParameter(t);
}

Cubic naiveCubic(const BezierPath &path, Range range, QPointF leftTangent, QPointF rightTangent)
{
    const QPointF a = pointAt(path, range.location);
    const QPointF b = pointAt(path, range.location + range.length - 1);
    const double third = FBGeom_PointDistance(a, b) / 3.0;
    return {a, FBGeom_AddPoints(a, FBGeom_ScaleVectorToLength(leftTangent, third)),
            FBGeom_AddPoints(b, FBGeom_ScaleVectorToLength(rightTangent, third)), b};
}

Cubic leastSquaresCubic(const BezierPath &path, Range range, const std::vector<float> &u,
                        QPointF leftTangent, QPointF rightTangent)
{
    const QPointF v0 = pointAt(path, range.location);
    const QPointF v3 = pointAt(path, range.location + range.length - 1);
    double c00 = 0, c01 = 0, c11 = 0, x0 = 0, x1 = 0;
    for (qint64 i = 0; i < range.length && size_t(i) < u.size(); ++i) {
        const float t = u[size_t(i)];
        const float s = 1.0f - t;
        const QPointF a1 = FBGeom_ScaleVectorToLength(leftTangent, 3.0 * t * s * s);
        const QPointF a2 = FBGeom_ScaleVectorToLength(rightTangent, 3.0 * t * t * s);
        c00 += FBGeom_DotProduct(a1, a1);
        c01 += FBGeom_DotProduct(a1, a2);
        c11 += FBGeom_DotProduct(a2, a2);
        const double b0 = std::pow(s, 3.0f), b1 = 3.0 * t * s * s, b2 = 3.0 * t * t * s,
                     b3 = std::pow(t, 3.0f);
        const QPointF on = v0 * b0 + v0 * b1 + v3 * b2 + v3 * b3;
        const QPointF tmp = FBGeom_SubtractPoints(pointAt(path, range.location + i), on);
        x0 += FBGeom_DotProduct(a1, tmp);
        x1 += FBGeom_DotProduct(a2, tmp);
    }
    const double det = c00 * c11 - c01 * c01;
    double alphaLeft = 0, alphaRight = 0;
    if (det != 0) {
        alphaLeft = (x0 * c11 - x1 * c01) / det;
        alphaRight = (c00 * x1 - c01 * x0) / det;
    }
    const double epsilon = 1e-6 * FBGeom_PointDistance(v0, v3);
    if (alphaLeft >= epsilon && alphaRight >= epsilon)
        return {v0, FBGeom_AddPoints(v0, FBGeom_ScaleVectorToLength(leftTangent, alphaLeft)),
                FBGeom_AddPoints(v3, FBGeom_ScaleVectorToLength(rightTangent, alphaRight)), v3};
    return naiveCubic(path, range, leftTangent, rightTangent);
}

double maximumError(const BezierPath &path, const Cubic &c, Range range,
                    const std::vector<float> &u, qint64 *maximumIndex)
{
    if (range.length <= 2)
        return 0;
    double largest = 0;
    for (qint64 i = 1; i < range.length - 1 && size_t(i) < u.size(); ++i) {
        const QPointF on = curvePoint(c, u[size_t(i)]);
        const double d =
            FBGeom_SquaredLength(FBGeom_SubtractPoints(on, pointAt(path, range.location + i)));
        // A later point wins a tie; a distance that is not a number counts as no error.
        if (d >= largest) {
            largest = d;
            if (maximumIndex)
                *maximumIndex = range.location + i;
        }
    }
    return largest;
}

std::vector<float> refined(const BezierPath &path, const std::vector<float> &u, Range range,
                           const Cubic &c)
{
    const FBBezierCurvePtr curve = FBBezierCurve::bezierCurveWithEndPoint1(c[0], c[1], c[2], c[3]);
    std::vector<float> out(u.size());
    for (size_t i = 0; i < u.size() && qint64(i) < range.length; ++i)
        out[i] = float(curve->refineParameter(u[i], pointAt(path, range.location + qint64(i))));
    return out;
}

struct Piece
{
    Range range;
    QPointF leftTangent;
    QPointF rightTangent;
};

// Steps 1 to 4 of fitting one range: the cubic when it is good enough (or cannot be bettered
// by a split), else the index to split at.
bool fitOrSplit(const BezierPath &path, const Piece &piece, double threshold, Cubic *cubic,
                qint64 *splitIndex)
{
    if (piece.range.length == 2) {
        *cubic = naiveCubic(path, piece.range, piece.leftTangent, piece.rightTangent);
        return true;
    }
    std::vector<float> u = fb_estimateParametersUsingChordLengthMethodInRange(path, piece.range);
    *cubic = leastSquaresCubic(path, piece.range, u, piece.leftTangent, piece.rightTangent);
    qint64 worst = NotFound;
    double error = maximumError(path, *cubic, piece.range, u, &worst);
    if (error < threshold)
        return true;
    if (error < threshold * threshold) {
        for (int round = 0; round < kRefinementRounds; ++round) {
            u = refined(path, u, piece.range, *cubic);
            *cubic = leastSquaresCubic(path, piece.range, u, piece.leftTangent, piece.rightTangent);
            worst = NotFound;
            error = maximumError(path, *cubic, piece.range, u, &worst);
            if (error < threshold)
                return true;
        }
    }
    // With every error not a number and a threshold that nothing passes, no point was found
    // to split at: the cubic is the answer.
    if (worst == NotFound || worst <= piece.range.location ||
        worst >= piece.range.location + piece.range.length - 1)
        return true;
    *splitIndex = worst;
    return false;
}

} // namespace

BezierPath fb_fitCurve(const BezierPath &path, double threshold)
{
    const qint64 count = path.elementCount();
    if (count < 2)
        return path;
    return fb_fitCubicToRange(path, MakeRange(0, count), fb_computeLeftTangentAtIndex(path, 0),
                              fb_computeRightTangentAtIndex(path, count - 1), threshold);
}

BezierPath fb_fitCubicToRange(const BezierPath &path, Range range, QPointF leftTangent,
                              QPointF rightTangent, double threshold)
{
    BezierPath result;
    fb_copyAttributesFrom(result, path);
    if (range.length < 2 || range.location < 0 || MaxRange(range) > path.elementCount())
        return result;
    result.moveToPoint(pointAt(path, range.location));

    // Depth-first, left half before right: the pieces come out in path order. The stack is
    // as deep as the point count at worst, never the call stack.
    std::vector<Piece> pending{{range, leftTangent, rightTangent}};
    while (!pending.empty()) {
        const Piece piece = pending.back();
        pending.pop_back();
        Cubic cubic;
        qint64 m = NotFound;
        if (fitOrSplit(path, piece, threshold, &cubic, &m)) {
            result.curveToPoint(cubic[3], cubic[1], cubic[2]);
            continue;
        }
        const QPointF centre = fb_computeCenterTangentAtIndex(path, m);
        const Range left = MakeRange(piece.range.location, m - piece.range.location + 1);
        const Range right = MakeRange(m, MaxRange(piece.range) - m);
        pending.push_back({right, FBGeom_NegatePoint(centre), piece.rightTangent});
        pending.push_back({left, piece.leftTangent, centre});
    }
    return result;
}

BezierPath fb_fitBezierUsingNaiveMethodInRange(const BezierPath &path, Range range,
                                               QPointF leftTangent, QPointF rightTangent)
{
    if (range.length < 1 || range.location < 0 || MaxRange(range) > path.elementCount())
        return BezierPath();
    return pathOfCubic(path, naiveCubic(path, range, leftTangent, rightTangent));
}

std::vector<float> fb_estimateParametersUsingChordLengthMethodInRange(const BezierPath &path,
                                                                      Range range)
{
    if (range.length < 1 || range.location < 0 || MaxRange(range) > path.elementCount())
        return {};
    std::vector<float> u(size_t(range.length));
    double total = 0;
    u[0] = 0;
    for (qint64 i = 1; i < range.length; ++i) {
        total += FBGeom_PointDistance(pointAt(path, range.location + i - 1),
                                      pointAt(path, range.location + i));
        u[size_t(i)] = float(total);
    }
    for (float &value : u)
        value = float(value / total);
    return u;
}

BezierPath fb_fitBezierInRange(const BezierPath &path, Range range,
                               const std::vector<float> &parameters, QPointF leftTangent,
                               QPointF rightTangent)
{
    if (range.length < 1 || range.location < 0 || MaxRange(range) > path.elementCount())
        return BezierPath();
    return pathOfCubic(path, leastSquaresCubic(path, range, parameters, leftTangent, rightTangent));
}

double fb_findMaximumErrorForBezier(const BezierPath &path, const BezierPath &bezier, Range range,
                                    const std::vector<float> &parameters, qint64 *maximumIndex)
{
    if (range.location < 0 || MaxRange(range) > path.elementCount())
        return 0;
    return maximumError(path, cubicOfPath(bezier), range, parameters, maximumIndex);
}

std::vector<float> fb_refineParameters(const BezierPath &path, const std::vector<float> &parameters,
                                       Range range, const BezierPath &bezier)
{
    if (range.location < 0 || MaxRange(range) > path.elementCount())
        return parameters;
    return refined(path, parameters, range, cubicOfPath(bezier));
}

QPointF fb_computeLeftTangentAtIndex(const BezierPath &path, qint64 index)
{
    return FBGeom_NormalizeVector(
        FBGeom_SubtractPoints(pointAt(path, index + 1), pointAt(path, index)));
}

QPointF fb_computeRightTangentAtIndex(const BezierPath &path, qint64 index)
{
    return FBGeom_NormalizeVector(
        FBGeom_SubtractPoints(pointAt(path, index - 1), pointAt(path, index)));
}

QPointF fb_computeCenterTangentAtIndex(const BezierPath &path, qint64 index)
{
    const QPointF before = FBGeom_SubtractPoints(pointAt(path, index - 1), pointAt(path, index));
    const QPointF after = FBGeom_SubtractPoints(pointAt(path, index), pointAt(path, index + 1));
    return FBGeom_NormalizeVector(FBGeom_ScalePoint(FBGeom_AddPoints(before, after), 0.5));
}
