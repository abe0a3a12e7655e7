// A path in the text form, a point and a line, through every path query: the text and
// property-list forms (a written path reads back equal), the walk, positions and lengths, hit
// tests and winding, crossings with itself, with the line and with a second path, the point lists
// and shape tests, and curve fitting with thresholds of 0 and below too. The first line of the
// input holds the numbers: point x y, line x1 y1 x2 y2, a fitting threshold and a split step.
#include "FuzzQuiet.h"
#include "FuzzShortStacks.h"
#include "graphics/PathHitTesting.h"
#include "graphics/PelkoNSBezierPathShapes.h"
#include "pathops/PathCurveFitting.h"
#include "pathops/PathHitTest.h"
#include "pathops/PathLineIntersections.h"
#include "pathops/PathPathIntersections.h"
#include "pathops/PathShapeQueries.h"
#include "pathops/PathTextForms.h"
#include "pathops/PathWalking.h"
#include "platform/Guard.h"

#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void textForms(const platform::BezierPath &path)
{
    // What is written reads back as the same written text.
    const QString text = pathToString(path);
    const std::optional<platform::BezierPath> back = pathFromString(text);
    check(text.isEmpty() || back.has_value());
    if (back)
        check(pathToString(*back) == text);
    platform::BezierPath fromPlist;
    loadPropertyListRepresentation(fromPlist, propertyListRepresentation(path));
    check(fromPlist.elementCount() == path.elementCount());
    check(isEqual(path, &path));
    if (isEqual(path, &fromPlist))
        check(hash(path) == hash(fromPlist));
    strokesSimilarlyIgnoringEndcapsToPath(path, path.bezierPathByReversingPath());
}

void walking(const platform::BezierPath &path)
{
    for (bool close : {false, true}) {
        subpathWalkingState s;
        if (!initSubpathWalkingState(&s, path, 0, close))
            continue;
        int steps = 0;
        while (nextSubpathElement(&s)) {
            check(++steps <= path.elementCount() + 1);
            subpathElementLength(&s, 0.01);
            hasNextSubpathElement(&s);
        }
        for (qint64 i = 1; i < std::min<qint64>(path.elementCount(), 8); ++i)
            repositionSubpathWalkingState(&s, i);
    }
    for (double p : {-1.0, 0.0, 0.3, 0.5, 0.999, 1.0, 2.0}) {
        getPointInfoForPosition(path, p);
        getPointForPositionAndOffset(path, p, 3);
        getNormalForPosition(path, p);
    }
    for (qint64 i = -1; i <= std::min<qint64>(path.elementCount(), 8); ++i) {
        for (double t : {0.0, 0.5, 1.0}) {
            try {
                getPointForPosition(path, {i, t});
            } catch (const platform::Exception &) {
            }
        }
        double total = 0;
        lengthToSegment(path, i, 0.5, &total);
    }
    double parameter = 0;
    for (double l : {0.1, 0.5, 0.9, 1.0, 10.0, 1e9}) {
        const qint64 a = segmentAndParameter(path, &parameter, l, true);
        const qint64 b = segmentAndParameter(path, &parameter, l, false);
        check(a >= 0 && a <= std::max<qint64>(path.elementCount() - 1, 0));
        check(b >= 0 && b <= std::max<qint64>(path.elementCount() - 1, 0));
    }
}

void hitsAndCrossings(const platform::BezierPath &path, QPointF q, QPointF a, QPointF b)
{
    intersectsPointWithDiff(path, q, 2);
    isPathCoverAllRect(path, QRectF(a, b).normalized());
    double position = 0;
    segmentHitByPoint(path, q, &position, 3);
    isStrokeHitByPoint(path, q);
    getPositionForPoint(path, q);
    qint64 winding = 0;
    quint64 hits = 0;
    getWindingAndHitForPoint(path, &winding, &hits, q);
    intersectsRect(path, QRectF(a, b).normalized());

    OABezierPathIntersection first;
    firstIntersectionWithLine(path, &first, a, b);
    QPointF nearest;
    intersectionWithLine(path, &nearest, a, b);
    IntersectionsWithLine(path, a, b);
    QList<OABezierPathIntersection> found;
    allIntersectionsWithPath_withSingleSubOnly(path, &path, &found);
    platform::BezierPath line;
    line.moveToPoint(a);
    line.lineToPoint(b);
    allIntersectionsWithPath(path, &line, &found);
    isIntersectWithPath(path, &line);
}

void shapes(const platform::BezierPath &path, float step)
{
    std::vector<QPointF> buffer(size_t(std::min<qint64>(path.elementCount(), 4096)) + 100);
    int count = 0;
    bool closed = false, curve = false;
    getPointArray(path, buffer.data(), &count, int(buffer.size() - 100), &closed, &curve, 1.0f);
    check(count >= 0 && count <= int(buffer.size() - 100));
    isClockWise(path);
    LINE_ line;
    bool nan = false;
    isLine(path, &line, &nan);
    isSinglePolyLine(path, 1);
    isSinglePolyLine(path, -1);
    pathByRemoveTooNearPoint(path);
    // A few lines only: each may be cut into 100,000 pieces.
    if (path.elementCount() <= 4) {
        const double before = platform::BezierPath::defaultFlatness();
        splitPathToSmallLine(path, step);
        check(platform::BezierPath::defaultFlatness() == before);
    }
    memberOfPath(path);
    bool ok = false;
    getAreaForPolyPath(path, &ok);
}

void fitting(const platform::BezierPath &path, double threshold)
{
    if (path.elementCount() > 256)
        return;
    for (double t : {threshold, 0.0, -1.0, 4.0})
        fb_fitCurve(path, t);
    fb_fitCurve2(path, threshold);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 20000)
        return 0;
    const QString input =
        QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = input.indexOf(QLatin1Char('\n'));
    const QStringList fields =
        (newline < 0 ? QString() : input.left(newline)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    double n[8] = {0, 0, 0, 0, 100, 100, 1, 1};
    for (qsizetype i = 0; i < fields.size() && i < 8; ++i)
        n[i] = LeadingNumberOfText(fields[i]);
    const std::optional<platform::BezierPath> parsed = pathFromString(input.mid(newline + 1));
    if (!parsed)
        return 0;
    const platform::BezierPath &path = *parsed;
    const QPointF q(n[0], n[1]), a(n[2], n[3]), b(n[4], n[5]);
    textForms(path);
    walking(path);
    hitsAndCrossings(path, q, a, b);
    shapes(path, float(n[7]));
    fitting(path, n[6]);
    return 0;
}
