#include "pathops/PathShapeQueries.h"

#include "graphics/DrawingUtility.h"
#include "graphics/PelkoNSBezierPath.h"
#include "graphics/PelkoNSBezierPathShapes.h"
#include "pathops/OABezierPathIntersection.h"
#include "pathops/PathCurveFitting.h"
#include "pathops/PathLineIntersections.h"
#include "pathops/PathPathIntersections.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <cmath>

using platform::BezierPath;
using platform::BezierPathElement;

namespace {

const QString kNaNMessage = QStringLiteral("**** NaN value error **** ");
constexpr double kSentinelSlack = 0.1;
constexpr double kShortestLine = 0.1;
// A closed subpath that begins with a curve gets a line this long in x and y first.
constexpr double kLeadInStep = 0.1;

QPointF checked(QPointF p)
{
    if (!std::isnan(p.x()) && !std::isnan(p.y()))
        return p;
    platform::Log(lcPathops, kNaNMessage);
    return QPointF();
}

bool isNoPoint(QPointF p)
{
    return std::fabs(p.x() - kNoElementPoint.x()) <= kSentinelSlack &&
           std::fabs(p.y() - kNoElementPoint.y()) <= kSentinelSlack;
}

bool hasArea(QRectF r)
{
    return r.width() > 0 && r.height() > 0;
}

// A closed subpath rebuilt for fitting: NaN points read as zero, and a curve right after the
// move-to preceded by a short line.
BezierPath closedForFitting(const BezierPath &sub)
{
    BezierPath out;
    QPointF start;
    for (qint64 i = 0; i < sub.elementCount(); ++i) {
        const BezierPath::Element &e = sub.element(i);
        switch (e.type) {
        case BezierPathElement::MoveTo:
            start = checked(e.points[0]);
            out.moveToPoint(start);
            break;
        case BezierPathElement::LineTo:
            out.lineToPoint(checked(e.points[0]));
            break;
        case BezierPathElement::CurveTo: {
            const QPointF c1 = checked(e.points[0]);
            const QPointF c2 = checked(e.points[1]);
            const QPointF end = checked(e.points[2]);
            if (i == 1)
                out.lineToPoint(QPointF(start.x() + kLeadInStep, start.y() + kLeadInStep));
            out.curveToPoint(end, c1, c2);
            break;
        }
        case BezierPathElement::ClosePath:
            out.closePath();
            break;
        }
    }
    return out;
}

} // namespace

bool isIntersectWithPath(const BezierPath &path, const BezierPath *other)
{
    GUARD_BEGIN
    if (path.isEmpty() || !other || other->isEmpty())
        return false;
    const QPointF p = firstElementPoint(path);
    const QPointF q = firstElementPoint(*other);
    if (isNoPoint(p) || isNoPoint(q))
        return false;
    if (path.containsPoint(q) || other->containsPoint(p))
        return true;
    const QRectF a = path.bounds();
    const QRectF b = other->bounds();
    if (hasArea(a) && hasArea(b) && !a.intersects(b))
        return false;
    return allIntersectionsWithPath(path, other, nullptr);
    GUARD_END(false)
}

std::shared_ptr<DOT> IntersectionsWithLine(const BezierPath &path, QPointF a, QPointF b)
{
    GUARD_BEGIN
    if (!(DistanceBetweenPoints(a, b) >= kShortestLine))
        return nullptr;
    OABezierPathIntersection record;
    if (!firstIntersectionWithLine(path, &record, a, b))
        return nullptr;
    return DOT::DotFromPoint(record.location());
    GUARD_END(nullptr)
}

std::optional<BezierPath> fb_fitCurve2(const BezierPath &path, double error)
{
    GUARD_BEGIN
    platform::Log(lcPathops, QStringLiteral(" ******* fb_fitCurve2 is NOT OK AT ALL ********* "));
    if (path.elementCount() < 2)
        return std::nullopt;
    const std::optional<QList<BezierPath>> members = memberOfPath(path);
    if (!members || members->isEmpty())
        return std::nullopt;
    QList<BezierPath> fitted;
    for (const BezierPath &sub : *members) {
        if (sub.elementCount() <= 1)
            continue;
        BezierPath input = sub;
        if (isClosed(sub)) {
            input = closedForFitting(sub);
            if (input.isEmpty())
                continue;
        }
        BezierPath fit = fb_fitCurve(input, error);
        if (fit.elementCount() > 1)
            fitted.append(fit);
    }
    if (fitted.isEmpty())
        return std::nullopt;
    BezierPath joined;
    for (const BezierPath &fit : fitted) {
        if (fit.elementCount() > 1)
            joined.appendBezierPath(fit);
    }
    if (joined.elementCount() <= 1)
        return std::nullopt;
    joined.setLineWidth(path.lineWidth());
    return joined;
    GUARD_END(std::nullopt)
}
