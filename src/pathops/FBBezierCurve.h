#pragma once
// One cubic Bezier segment, the unit of work of the path engine. A straight line is held as a
// cubic whose control points lie on it, and remembers that it is straight.
//
// Curves are values: every operation answers new curves and none changes its receiver, so they
// are shared as std::shared_ptr<const FBBezierCurve> and made only through the factories.

#include "pathops/FBCurvePoints.h"
#include "pathops/FBGeometry.h"
#include "platform/BezierPath.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <array>
#include <atomic>
#include <memory>
#include <vector>

class FBBezierCurve;
class FBBezierIntersection;
class FBBezierIntersectRange;
using FBBezierCurvePtr = std::shared_ptr<const FBBezierCurve>;
using FBBezierIntersectionPtr = std::shared_ptr<FBBezierIntersection>;
using FBBezierIntersectRangePtr = std::shared_ptr<FBBezierIntersectRange>;

class FBBezierCurve : public std::enable_shared_from_this<FBBezierCurve>
{
    struct Key
    {
    };

public:
    FBBezierCurve(Key, QPointF endPoint1, QPointF controlPoint1, QPointF controlPoint2,
                  QPointF endPoint2, bool isStraightLine);

    static FBBezierCurvePtr bezierCurveWithEndPoint1(QPointF endPoint1, QPointF controlPoint1,
                                                     QPointF controlPoint2, QPointF endPoint2);
    // Control points at a third and two thirds of the way from s to e.
    static FBBezierCurvePtr bezierCurveWithLineStartPoint(QPointF startPoint, QPointF endPoint);
    // One curve per line or curve element, in order. A line or curve after a close starts at
    // the closed subpath's start, as the path draws it.
    static std::vector<FBBezierCurvePtr>
    bezierCurvesFromBezierPath(const platform::BezierPath &path);

    QPointF endPoint1() const { return mEndPoint1; }
    QPointF controlPoint1() const { return mControlPoint1; }
    QPointF controlPoint2() const { return mControlPoint2; }
    QPointF endPoint2() const { return mEndPoint2; }
    bool isStraightLine() const { return mIsStraightLine; }
    std::array<QPointF, 4> points() const
    {
        return {mEndPoint1, mControlPoint1, mControlPoint2, mEndPoint2};
    }

    // Points compared in order, so a reversed curve is as a rule not equal; a single-point
    // curve equals nothing.
    bool isEqual(const FBBezierCurve &other) const;

    // The point at t; the pieces [0, t] and [t, 1] when asked for.
    QPointF pointAtParameter(double t, FBBezierCurvePtr *leftBezierCurve = nullptr,
                             FBBezierCurvePtr *rightBezierCurve = nullptr) const;
    std::array<FBBezierCurvePtr, 2> splitCurveAtParameter(double t) const;
    FBBezierCurvePtr subcurveWithRange(FBRange range) const;
    // The pieces before, inside and after the range; nullptr for a missing piece.
    std::array<FBBezierCurvePtr, 3> splitSubcurvesWithRange(FBRange range) const;
    FBBezierCurvePtr reversedCurve() const;
    // The same curve with its end points moved to `start` and `end`, each neighbouring control
    // point moved along with its end so that the curve leaves in the same direction; the curve
    // itself when neither moves.
    FBBezierCurvePtr curveWithEndPoints(QPointF start, QPointF end) const;
    // One Newton step from t toward the parameter of the curve point nearest to `point`;
    // neither clamped nor guarded against a zero divisor.
    double refineParameter(double t, QPointF point) const;

    double length() const;
    double lengthAtParameter(double t) const;
    // Counter-clockwise from the lowest point.
    std::vector<QPointF> convexHull() const;
    bool isPoint() const;
    // The tight box, curve extremes included.
    // Measured once per curve: the graph asks for an edge's box again at every step.
    QRectF bounds() const;
    platform::BezierPath bezierPath() const;
    QString description() const;

    // Where this curve meets `curve`. Where the two run along each other the search stores the
    // overlap (when asked) and answers no intersection. Throws platform::Exception when the
    // running combination was cancelled or ran out of time.
    std::vector<FBBezierIntersectionPtr>
    intersectionsWithBezierCurve(const FBBezierCurvePtr &curve,
                                 FBBezierIntersectRangePtr *overlapRange = nullptr) const;
    // One level of the search: this curve is the piece `usRange` of `originalUs`, `curve` the
    // piece `themRange` of `originalThem`; both ranges narrow as the search goes.
    std::vector<FBBezierIntersectionPtr>
    intersectionsWithBezierCurve(const FBBezierCurvePtr &curve, FBRange *usRange,
                                 FBRange *themRange, const FBBezierCurvePtr &originalUs,
                                 const FBBezierCurvePtr &originalThem,
                                 FBBezierIntersectRangePtr *overlapRange, int depth) const;
    // The piece of `original` that may still meet `curve`; `intersects` false when nothing can.
    FBBezierCurvePtr bezierClipWithBezierCurve(const FBBezierCurvePtr &curve,
                                               const FBBezierCurvePtr &original,
                                               FBRange *originalRange, bool *intersects) const;
    FBNormalizedLine regularFatLineBounds(FBRange *range) const;
    FBNormalizedLine perpendicularFatLineBounds(FBRange *range) const;
    // The parameters that can lie inside the strip, or the empty range (1, 0).
    FBRange clipWithFatLine(const FBNormalizedLine &fatLine, FBRange bounds) const;

    // The hull of any four points, ordered as convexHull() orders them.
    static std::vector<QPointF> convexHullOfPoints(const std::array<QPointF, 4> &points);
    static FBCurveHull hullOfPoints(const std::array<QPointF, 4> &points);

private:
    FBBezierCurvePtr self() const { return shared_from_this(); }
    static FBBezierCurvePtr make(const std::array<QPointF, 4> &p, bool isStraightLine);
    QRectF computeBounds() const;

    const QPointF mEndPoint1;
    const QPointF mControlPoint1;
    const QPointF mControlPoint2;
    const QPointF mEndPoint2;
    const bool mIsStraightLine;
    // The first thread to finish measuring stores the box; 0 unknown, 1 being stored, 2 stored.
    mutable std::atomic<int> mBoundsState{0};
    mutable QRectF mBounds;
};
