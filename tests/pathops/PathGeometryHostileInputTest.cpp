// Every path query on long paths, huge coordinates, NaN, infinities and negative line widths:
// each answers without crashing or reading out of bounds.
#include <gtest/gtest.h>

#include "graphics/PelkoNSBezierPathShapes.h"
#include "pathops/PathHitTest.h"
#include "pathops/PathLineIntersections.h"
#include "pathops/PathPathIntersections.h"
#include "pathops/PathShapeQueries.h"
#include "pathops/PathTextForms.h"
#include "pathops/PathWalking.h"

#include <QRandomGenerator>

#include <cmath>

using platform::BezierPath;

namespace {

BezierPath zigzag(int elements, double scale, bool curves)
{
    BezierPath path;
    path.moveToPoint(QPointF(0, 0));
    for (int i = 1; i < elements; ++i) {
        const QPointF p(i * scale, (i % 2 ? 1 : -1) * scale);
        if (curves)
            path.curveToPoint(p, p + QPointF(-scale, scale), p + QPointF(scale / 2, -scale));
        else
            path.lineToPoint(p);
    }
    path.closePath();
    return path;
}

BezierPath withPoint(QPointF odd)
{
    BezierPath path;
    path.moveToPoint(QPointF(0, 0));
    path.lineToPoint(QPointF(10, 0));
    path.curveToPoint(odd, QPointF(10, 10), odd);
    path.lineToPoint(QPointF(0, 10));
    path.closePath();
    return path;
}

} // namespace

TEST(PathGeometryHostileInput, EveryQueryAnswers)
{
    const double nan = std::nan("");
    const double inf = INFINITY;
    BezierPath negativeWidth = zigzag(50, 3, true);
    negativeWidth.setLineWidth(-40);
    BezierPath onlyMove;
    onlyMove.moveToPoint(QPointF(1, 1));
    BezierPath startsWithLine;
    startsWithLine.lineToPoint(QPointF(1, 1));
    startsWithLine.lineToPoint(QPointF(5, 1));
    const struct
    {
        const char *name;
        BezierPath path;
    } rows[] = {
        {"100,000 lines", zigzag(100000, 1, false)},
        {"100,000 curves", zigzag(100000, 1, true)},
        {"near 1e8", zigzag(1000, 1e8, true)},
        {"NaN", withPoint(QPointF(nan, 3))},
        {"infinite", withPoint(QPointF(inf, -inf))},
        {"negative line width", negativeWidth},
        {"only a move", onlyMove},
        {"starts with a line", startsWithLine},
        {"empty", BezierPath()},
    };
    const QPointF probes[] = {{5, 0.5}, {0, 0}, {1e8, 1e8}, {nan, 1}, {inf, 2}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const BezierPath &path = row.path;
        for (QPointF q : probes) {
            double t = 0;
            qint64 w = 0;
            quint64 h = 0;
            intersectsPointWithDiff(path, q, 3.0f);
            isPathCoverAllRect(path, QRectF(q, QSizeF(2, 2)));
            const qint64 hit = segmentHitByPoint(path, q, &t, 5.0);
            EXPECT_GE(hit, 0);
            EXPECT_LT(hit, std::max<qint64>(1, path.elementCount()));
            getPositionForPoint(path, q);
            getWindingAndHitForPoint(path, &w, &h, q);
            OABezierPathIntersection found;
            firstIntersectionWithLine(path, &found, q, q + QPointF(100, 37));
            QPointF at;
            intersectionWithLine(path, &at, q, q + QPointF(-50, 80));
        }
        isClockwise(path);
        if (path.elementCount() <= 1000) {
            QList<OABezierPathIntersection> found;
            allIntersectionsWithPath_withSingleSubOnly(path, &path, &found);
            EXPECT_LE(found.size(), 16 * path.elementCount() * path.elementCount());
        }
    }
}

TEST(PathGeometryHostileInput, WalksLengthsFormsAndShapesAnswer)
{
    const double nan = std::nan("");
    const double inf = INFINITY;
    BezierPath negativeWidth = zigzag(50, 3, true);
    negativeWidth.setLineWidth(-40);
    const struct
    {
        const char *name;
        BezierPath path;
    } rows[] = {
        {"100,000 lines", zigzag(100000, 1, false)},
        {"2,000 curves", zigzag(2000, 1, true)},
        {"near 1e8", zigzag(200, 1e8, true)},
        {"NaN", withPoint(QPointF(nan, 3))},
        {"infinite", withPoint(QPointF(inf, -inf))},
        {"negative line width", negativeWidth},
        {"empty", BezierPath()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const BezierPath &path = row.path;
        double total = 0;
        lengthToSegment(path, path.elementCount() / 2, 0.5, &total);
        double parameter = 0;
        for (double l : {0.25, 0.75})
            segmentAndParameter(path, &parameter, l, true);
        segmentAndParameter(path, &parameter, total / 3, false);
        for (double p : {0.0, 0.4, 1.0}) {
            getPointInfoForPosition(path, p);
            getPointForPositionAndOffset(path, p, 2);
        }
        const std::optional<BezierPath> back = pathFromString(pathToString(path));
        ASSERT_EQ(back.has_value(), !path.isEmpty());
        BezierPath fromPlist;
        loadPropertyListRepresentation(fromPlist, propertyListRepresentation(path));
        EXPECT_EQ(fromPlist.elementCount(), path.elementCount());
        hash(path);
        isClockWise(path);
        isLine(path, nullptr, nullptr);
        isSinglePolyLine(path, 1);
        pathByRemoveTooNearPoint(path);
        memberOfPath(path);
        getAreaForPolyPath(path, nullptr);
        if (path.elementCount() <= 2000) {
            splitPathToSmallLine(path, 1);
            fb_fitCurve2(path, 1);
            fb_fitCurve2(path, -1);
            isIntersectWithPath(path, &path);
            IntersectionsWithLine(path, QPointF(-1, -1), QPointF(1e3, 1e3));
        }
    }
}
